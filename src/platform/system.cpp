#include "platform/system.h"

#include "platform/path_core.h"
#include "platform/text.h"

namespace moni {

SystemVersion RunningSystemVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");  // always loaded; not owned
  const auto rtlGetVersion = ntdll ? ProcAddress<RtlGetVersionFn>(ntdll, "RtlGetVersion") : nullptr;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return {};
  return {info.dwPlatformId == VER_PLATFORM_WIN32_NT, info.dwMajorVersion, info.dwMinorVersion};
}

std::wstring RunningProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  while (path.size() <= 32768) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
  return {};
}

std::wstring SystemFolder() {
  std::wstring dir(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const UINT n = GetSystemDirectoryW(dir.data(), static_cast<UINT>(dir.size()));
    if (n == 0) return {};
    if (n < dir.size()) {
      dir.resize(n);
      while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
      return dir;
    }
    dir.assign(n, L'\0');
  }
  return {};
}

Module LoadNamedLibrary(const std::wstring& name) {
  std::wstring path;
  switch (ClassifyLibraryPath(ToU16(name))) {
    case LibraryPath::kBareName:
      path = SystemFolder();
      if (path.empty()) return Module();
      path += L'\\';
      path += name;
      break;
    case LibraryPath::kFullPath:
      path = name;
      break;
    case LibraryPath::kRelative:
      SetLastError(ERROR_BAD_PATHNAME);
      return Module();
  }
  // A full path, also for a bare name: a module of that name that the host
  // loaded from elsewhere is not taken for this one.
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // A system whose loader lacks the search flags refuses them.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return Module(module);
}

}  // namespace moni
