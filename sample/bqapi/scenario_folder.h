// Where the stand-ins of the communication library read their scenarios and
// write their journal: %BQSIM_DIR% when the host process sets it, else
// "BQSim" in the common application data folder (sample/README.md).
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace bqsim {

inline std::wstring Join(const std::wstring& folder, const std::wstring& file) {
  if (folder.empty()) return {};
  const wchar_t last = folder.back();
  return folder + (last == L'\\' || last == L'/' ? L"" : L"\\") + file;
}

inline std::wstring ScenarioFolder() {
  std::wstring dir(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetEnvironmentVariableW(L"BQSIM_DIR", dir.data(), static_cast<DWORD>(dir.size()));
    if (n == 0) break;
    if (n < dir.size()) {
      dir.resize(n);
      return dir;
    }
    dir.resize(n);  // n counts the terminating zero
  }
  static const std::wstring common = [] {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))
               ? Join(path, L"BQSim")
               : std::wstring();
  }();
  return common;
}

// Appends one line to a file of the scenario folder; the file is opened for
// each line and shared, so that several processes can write to it.
inline void AppendToFolderFile(const wchar_t* fileName, const std::string& line) {
  HANDLE file = CreateFileW(Join(ScenarioFolder(), fileName).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  OVERLAPPED atEnd = {};
  atEnd.Offset = atEnd.OffsetHigh = 0xFFFFFFFF;  // write at the end of the file
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, &atEnd);
  CloseHandle(file);
}

}  // namespace bqsim
