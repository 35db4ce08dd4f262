#include "platform/process.h"

namespace moni {

namespace {

bool Start(const wchar_t* program, const std::wstring& commandLine, StartedProcess& out, DWORD creationFlags,
           const std::wstring& currentFolder) {
  out = StartedProcess();
  std::wstring line = commandLine;  // CreateProcessW may write into it
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                      currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &info))
    return false;
  out.process.reset(info.hProcess);
  out.thread.reset(info.hThread);
  out.processId = info.dwProcessId;
  return true;
}

}  // namespace

bool StartProcess(const std::wstring& commandLine, StartedProcess& out, DWORD creationFlags, const std::wstring& currentFolder) {
  return Start(nullptr, commandLine, out, creationFlags, currentFolder);
}

bool StartProgram(const std::wstring& program, const std::wstring& commandLine, StartedProcess& out) {
  return Start(program.c_str(), commandLine, out, 0, L"");
}

}  // namespace moni
