// The monitoring session exports.
#include "api/export_frame.h"
#include "api/monicore.h"
#include "api/monitor_session.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/printer_settings.h"
#include "foundation/target_keys.h"

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

int WINAPI PrMonitoringStart(HWND hMonWnd, LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId,
                             LPCWSTR datFileName, LPCWSTR resourceName, void* jobDescriptor) {
  moni::session::StartArgs args;
  args.window = hMonWnd;
  args.printer = Text(printerName);
  args.driver = Text(driverName);
  args.port = Text(portName);
  args.model = Text(modelId);
  args.profile = Text(datFileName);
  args.resource = Text(resourceName);
  args.job = jobDescriptor;
  return moni::session::Start(args);
}

int WINAPI PrGetChannel(DWORD* channelNo) { return moni::session::GetChannel(channelNo); }

int WINAPI PrCheckModelID() { return moni::session::CheckModelID(); }

// Without a session the outputs stay untouched and the result is 1.
int WINAPI PrGetStatus(int iEnableGetStatusErr, int* pbPopup, int* pbSoundPlay, int* pbPrinting, int* pnRealStatusNo,
                       int* pnSimpleStatusNo) {
  moni::session::StatusOutputs out;
  out.enableGetStatusErr = iEnableGetStatusErr;
  out.popup = pbPopup;
  out.soundPlay = pbSoundPlay;
  out.printing = pbPrinting;
  out.realStatusNo = pnRealStatusNo;
  out.simpleStatusNo = pnSimpleStatusNo;
  return moni::session::GetStatus(out);
}

int WINAPI PrMonitoringEnd() { return moni::session::End(); }

int WINAPI PrGetTimerValue(DWORD dwChannelNo, int* pbNetwork) { return moni::session::GetTimerValue(dwChannelNo, pbNetwork); }
