// The monitoring session exports.
#include "api/export_frame.h"
#include "api/monicore.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/target_keys.h"

using moni::api::NotAvailable;

namespace {
std::wstring Text(LPCWSTR s) { return s ? std::wstring(s) : std::wstring(); }
}  // namespace

int WINAPI PrSetRegDefaultValue(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, LPCWSTR datFileName) {
  CDebugLog log("PrSetRegDefaultValue");
  const std::wstring printer = Text(printerName), driver = Text(driverName), port = Text(portName), model = Text(modelId);
  std::wstring profile = Text(datFileName);
  log.Write("PrSetRegDefaultValue : Enter (%s, %s, %s, %s, %s)\n", printer, driver, port, model, profile);
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
  const int result = SetRegDefaultValue(info.ProfileName, model, key);
  log.Write("PrSetRegDefaultValue : result = %d\n", result);
  return result;
}

int WINAPI PrReleaseRegistry(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId) {
  CDebugLog log("PrReleaseRegistry");
  const std::wstring printer = Text(printerName), driver = Text(driverName), port = Text(portName), model = Text(modelId);
  log.Write("PrReleaseRegistry : Enter (%s, %s, %s, %s)\n", printer, driver, port, model);
  const int set = CBaseInfo::Instance().SetPrinterInformation(printer, driver, port, model, L"", L"");
  log.Write("PrReleaseRegistry : SetPrinterInformation = %d\n", set);
  return set < 0 ? 1 : 0;
}

int WINAPI PrMonitoringStart(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, void*) {
  return NotAvailable("PrMonitoringStart", 1);
}

int WINAPI PrGetChannel(DWORD*) { return NotAvailable("PrGetChannel", 1); }

int WINAPI PrCheckModelID() { return NotAvailable("PrCheckModelID", 0); }

// Without a session the outputs stay untouched and the result is 1.
int WINAPI PrGetStatus(int, int*, int*, int, int*, int*) { return NotAvailable("PrGetStatus", 1); }

int WINAPI PrMonitoringEnd() { return NotAvailable("PrMonitoringEnd", 1); }

int WINAPI PrGetTimerValue(DWORD, int*) { return NotAvailable("PrGetTimerValue", -1); }
