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

}  // namespace bqsim
