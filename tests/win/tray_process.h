// Driving real tray programs from a test: start monitray.exe with a command
// line, find its hidden main window, read its line log, wait for its end.
#pragma once
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "foundation/monitor_map.h"
#include "foundation/monitor_map_core.h"
#include "kit.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "test_support.h"
#include "window_support.h"

namespace moni::test {

// The monitor map section of the sample drivers.
inline constexpr wchar_t kMapName[] = L"TLSMP100MapFile";

// The tray field of a key's record in the sample drivers' section, 0 when the
// key is not registered (or the section does not exist).
inline std::uint64_t TrayHandleInMap(const std::wstring& key, bool* found = nullptr) {
  namespace mm = moni::monitormap;
  if (found) *found = false;
  KernelHandle section(OpenFileMappingW(FILE_MAP_READ, FALSE, kMapName));
  if (!section) return 0;
  MappedView view = mm::MapTable(section.get(), FILE_MAP_READ);
  if (!view) return 0;
  const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(view.get()), mm::kSectionSize);
  const auto record = mm::FindRecord(bytes, ToU16(key));
  if (!record) return 0;
  if (found) *found = true;
  return mm::ReadHandle(bytes, *record, mm::kTrayHandleOffset);
}

// The live main window of the printer's tray program, or null.
inline HWND RunningTrayWindow(const std::wstring& printer) {
  HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(TrayHandleInMap(printer)));
  return window && IsWindow(window) ? window : nullptr;
}

class TrayProcess {
 public:
  TrayProcess() = default;
  ~TrayProcess() {
    if (!m_process) return;
    if (WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
      if (HWND window = MainWindow()) PostMessageW(window, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(m_process.get(), 5000) == WAIT_TIMEOUT) TerminateProcess(m_process.get(), 1);
    }
  }
  TrayProcess(const TrayProcess&) = delete;
  TrayProcess& operator=(const TrayProcess&) = delete;

  static std::wstring Program() { return kit::InstalledDriverFolder(kit::kDriver) + L"monitray.exe"; }

  bool Start(const std::wstring& arguments) {
    // Process ids are reused: only what the log gains from now on is ours.
    m_logStart = ReadFileBytes(LogPath()).size();
    std::wstring line = L"\"" + Program() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      return false;
    }
    CloseHandle(info.hThread);
    m_process.reset(info.hProcess);
    m_pid = info.dwProcessId;
    return true;
  }

  DWORD pid() const { return m_pid; }
  HANDLE handle() const { return m_process.get(); }

  HWND MainWindow() const {
    const std::vector<HWND> windows = WindowsOf(m_pid, L"TrayIconWClass");
    return windows.empty() ? nullptr : windows.front();
  }
  // Waits until the program runs its message loop with its window registered.
  HWND WaitForWindow(DWORD ms = 10000) const {
    HWND window = nullptr;
    WaitFor([&] { return Ended() || ((window = MainWindow()) != nullptr && HasLogged(L"MainFrame.StartUp() : Result : 1")); },
            ms);
    return window;
  }
  bool Ended() const { return WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0; }
  // The exit code, or STILL_ACTIVE when it did not end within `ms`.
  DWORD WaitForExit(DWORD ms) const {
    WaitForSingleObject(m_process.get(), ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.get(), &code);
    return code;
  }

  // The lines this process wrote into the tray line log.
  std::vector<std::string> LogLines() const {
    const std::string all = ReadFileBytes(LogPath());
    const std::string text = all.size() > m_logStart ? all.substr(m_logStart) : std::string();
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%04X;", static_cast<unsigned>(m_pid));
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
      at = end + 1;
    }
    return lines;
  }
  bool HasLogged(const std::wstring& fragment) const {
    std::string narrow(fragment.begin(), fragment.end());
    for (const std::string& line : LogLines()) {
      if (line.find(narrow) != std::string::npos) return true;
    }
    return false;
  }

 private:
  static std::wstring LogPath() { return TempFolder() + L"V_G40IC.LOG"; }

  KernelHandle m_process;
  DWORD m_pid = 0;
  size_t m_logStart = 0;
};

}  // namespace moni::test
