#include "tray/startup_cleanup.h"

#include <windows.h>

#include "foundation/command_line.h"
#include "foundation/registry_key.h"
#include "foundation/startup_list.h"

namespace moni::tray {

void DeleteStartupReg(const std::wstring& printerName, const std::wstring& paramFile) {
  CRegistryKey run;
  if (!run.Open(HKEY_CURRENT_USER, moni::startup::kRunKey, false, KEY_ALL_ACCESS)) return;
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

void DeleteParamFile(const std::wstring& path) { CParamFile::Delete(path); }

}  // namespace moni::tray
