// monictl: a command-line host over monicore.dll for driver integrators and
// support engineers.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"

namespace {

constexpr const char* kUsage =
    "usage: monictl COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  exports [--json]   load monicore.dll and list which of its exports a host finds\n"
    "  --version          the versions of monictl and of the monicore.dll next to it\n"
    "  --help             this text\n"
    "\n"
    "exit codes: 0 success, 1 the command's check failed, 2 usage error\n";

constexpr const char* kExportNames[] = {
    "PrSetRegDefaultValue", "PrReleaseRegistry",      "PrMonitoringStart",        "PrGetChannel",
    "PrCheckModelID",       "PrGetStatus",            "PrMonitoringEnd",          "PrGetTimerValue",
    "PrGetPrinterStatus",   "PrGetPrinterStatus2",    "PrReleasePrinterStatus",   "PrStartView",
    "PrStartPreference",    "PrDocumentProperties",   "PrDisplaySpoolJob",        "PrEntryIconDlg",
    "PrIconInstall",        "PrKioskaPopUp",          "PrKiosSameDrvs",           "PrPackagePopUp",
    "PrCheckGenuineCartridgeA", "PrCheckGenuineCartridgeW",
};

// The folder of monictl.exe, where monicore.dll is installed beside it.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string FileVersion(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return "unknown";
  std::vector<BYTE> block(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &len) || len < sizeof(*info))
    return "unknown";
  char text[64];
  snprintf(text, sizeof text, "%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS));
  return text;
}

int CmdVersion() {
  printf("monictl %s\nmonicore.dll %s\n", MONI_VERSION, FileVersion(ProgramFolder() + L"monicore.dll").c_str());
  return 0;
}

int CmdExports(bool json) {
  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib) {
    if (json) printf("{\"loaded\":false,\"error\":%lu}\n", GetLastError());
    else fprintf(stderr, "monictl: monicore.dll could not be loaded (error %lu)\n", GetLastError());
    return 1;
  }
  int found = 0;
  const int total = static_cast<int>(std::size(kExportNames));
  if (json) printf("{\"loaded\":true,\"exports\":[");
  for (int i = 0; i < total; ++i) {
    const bool present = GetProcAddress(lib.get(), kExportNames[i]) != nullptr;
    found += present;
    if (json) printf("%s{\"name\":\"%s\",\"present\":%s}", i ? "," : "", kExportNames[i], present ? "true" : "false");
    else printf("  %-26s %s\n", kExportNames[i], present ? "present" : "MISSING");
  }
  if (json) printf("],\"found\":%d,\"expected\":%d}\n", found, total);
  else printf("monicore.dll exports %d of the %d functions hosts call\n", found, total);
  return found == total ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring_view> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == L"--help" || args[0] == L"-h") {
    fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == L"--version") return CmdVersion();
  if (args[0] == L"exports") {
    const bool json = args.size() > 1 && args[1] == L"--json";
    if (args.size() > (json ? 2u : 1u)) {
      fputs(kUsage, stderr);
      return 2;
    }
    return CmdExports(json);
  }
  fprintf(stderr, "monictl: unknown command \"%ls\"\n\n%s", std::wstring(args[0]).c_str(), kUsage);
  return 2;
}
