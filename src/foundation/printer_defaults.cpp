#include "foundation/printer_defaults.h"

#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/printer_settings.h"
#include "foundation/target_keys.h"

int SetPrinterDefaults(const std::wstring& printer, const std::wstring& driver, const std::wstring& port,
                       const std::wstring& model, const std::wstring& datFile) {
  CDebugLog log("SetPrinterDefaults");
  std::wstring profile = datFile;
  if (profile.empty() && !model.empty()) {
    std::wstring found;
    if (GetProfileName(found, driver, model, printer)) profile = found;
  }
  CBaseInfo& info = CBaseInfo::Instance();
  if (info.SetPrinterInformation(printer, driver, port, model, profile, L"") < 0) {
    log.Write("ERROR : SetPrinterInformation\n");
    return 1;
  }
  const bool byPort = printer.empty();
  const std::wstring& name = byPort ? port : printer;
  if (name.empty()) {
    log.Write("ERROR : PrinterName/PortName is NULL\n");
    return 1;
  }
  std::wstring key;
  if (GetTargetPrnKey(name, byPort, key) != 0) {
    log.Write("ERROR : GetTargetPrnKey Not Found!!\n");
    return 1;
  }
  return SetRegDefaultValue(info.ProfileName, model, key);
}
