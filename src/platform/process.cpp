#include "platform/process.h"

namespace moni {

bool StartProcess(const std::wstring& commandLine, StartedProcess& out, DWORD creationFlags, const std::wstring& currentFolder) {
  out = StartedProcess();
  std::wstring line = commandLine;  // CreateProcessW may write into it
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                      currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &info))
    return false;
  out.process.reset(info.hProcess);
  out.thread.reset(info.hThread);
  out.processId = info.dwProcessId;
  return true;
}

}  // namespace moni
