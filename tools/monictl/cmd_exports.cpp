// monictl exports: which of the functions hosts call monicore.dll exports.
#include <windows.h>

#include <cstdio>
#include <iterator>

#include "commands.h"
#include "platform/handles.h"

namespace monictl {

namespace {
constexpr const char* kExportNames[] = {
    "PrSetRegDefaultValue", "PrReleaseRegistry",      "PrMonitoringStart",        "PrGetChannel",
    "PrCheckModelID",       "PrGetStatus",            "PrMonitoringEnd",          "PrGetTimerValue",
    "PrGetPrinterStatus",   "PrGetPrinterStatus2",    "PrReleasePrinterStatus",   "PrStartView",
    "PrStartPreference",    "PrDocumentProperties",   "PrDisplaySpoolJob",        "PrEntryIconDlg",
    "PrIconInstall",        "PrKioskaPopUp",          "PrKiosSameDrvs",           "PrPackagePopUp",
    "PrCheckGenuineCartridgeA", "PrCheckGenuineCartridgeW",
};
}  // namespace

int CmdExports(const Args& args) {
  const bool json = args.size() == 1 && args[0] == L"--json";
  if (!args.empty() && !json) return UsageError("exports takes only --json");
  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib) {
    const DWORD error = GetLastError();
    if (json) printf("{\"loaded\":false,\"error\":%lu}\n", error);
    else fprintf(stderr, "monictl: monicore.dll could not be loaded (error %lu)\n", error);
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

}  // namespace monictl
