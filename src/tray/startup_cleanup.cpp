#include "tray/startup_cleanup.h"

#include <windows.h>

#include "foundation/command_line.h"
#include "foundation/command_line_core.h"
#include "foundation/line_log.h"
#include "foundation/registry_key.h"
#include "platform/text.h"

namespace moni::tray {

void DeleteStartupReg(const std::wstring& printerName, const std::wstring& paramFile) {
  CRegistryKey run;
  if (!run.Open(HKEY_CURRENT_USER, kRunKey, false, KEY_ALL_ACCESS)) return;
  if (!printerName.empty()) {
    RegDeleteValueW(run.Get(), printerName.c_str());
    return;
  }
  if (paramFile.empty()) return;
  for (DWORD index = 0;; ++index) {
    const std::wstring name = run.EnumValue(index);
    if (name.empty()) break;
    std::wstring data;
    if (run.ReadString(name, data) && data.find(paramFile) != std::wstring::npos) {
      RegDeleteValueW(run.Get(), name.c_str());
      break;
    }
  }
}

void DelOldIconRegFile(const std::wstring& runKey, const std::wstring& entryName) {
  CRegistryKey run;
  if (!run.Open(HKEY_CURRENT_USER, runKey)) return;
  std::wstring param;
  if (!run.ReadString(entryName, param)) return;
  LogWriteStr(L"csParam\n", param.c_str());
  moni::cmdline::TrayFields fields;
  moni::cmdline::ApplySwitches(moni::ToU16(param), fields);
  std::wstring file = moni::ToWide(fields.paramFile);
  if (file.empty()) {
    // The older form "/F".
    for (const moni::cmdline::Switch& sw : moni::cmdline::ScanSwitches(moni::ToU16(param)).switches) {
      if (moni::cmdline::NameEquals(sw.name, u"F") && sw.value) file = moni::ToWide(*sw.value);
    }
  }
  if (!file.empty() && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(file.c_str());
}

void DeleteParamFile(const std::wstring& path) { CParamFile::Delete(path); }

}  // namespace moni::tray
