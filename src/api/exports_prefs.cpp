// The export that opens the monitoring preferences.
#include "api/export_frame.h"
#include "api/monicore.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "ui/prefs/duv_env_dlg.h"
#include "ui/prefs/tray_choice.h"

namespace {

std::wstring Text(LPCWSTR s) { return s ? std::wstring(s) : std::wstring(); }

constexpr wchar_t kNoResource[] = L"Cannot link Resource Dll";
constexpr wchar_t kCaption[] = L"TALMER Vigilo 3";

}  // namespace

int WINAPI PrStartPreference(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, LPCWSTR datFileName,
                             LPCWSTR resourceName) {
  CDebugLog log("PrStartPreference");
  const std::wstring printer = Text(printerName), driver = Text(driverName), port = Text(portName), model = Text(modelId);
  const std::wstring datFile = Text(datFileName), resource = Text(resourceName);
  log.Write("PrStartPreference : Enter (%s, %s, %s, %s, %s, %s)\n", printer, driver, port, model, datFile, resource);

  CBaseInfo& info = CBaseInfo::Instance();
  if (info.SetPrinterInformation(printer, driver, port, model, datFile, resource) < 0) {
    log.Write("PrStartPreference : error : SetPrinterInformation\n");
    return 1;
  }
  if (IsDuvSettingOn(printer)) {
    log.Write("func = PrStartPreference, Duv is Invalid.\n");
    return 1;
  }

  CDuvEnvDlg::Identity identity;
  identity.printer = printer;
  identity.driver = driver;
  identity.port = port;
  identity.model = model;
  // What the host leaves out, the printer information has resolved.
  identity.datFile = datFile.empty() ? info.ProfileName : datFile;
  identity.resource = resource.empty() ? info.ResourceName : resource;
  identity.bitmaps = info.BmpResName;
  identity.installPath = info.InstallPath;
  CDuvEnvDlg dialog(identity, moni::prefs::DuvEnvOptions::ForRunningSystem());
  if (!dialog.Initialize()) {
    log.Write("PrStartPreference : error : resource library %s\n", identity.resource);
    MessageBoxW(nullptr, kNoResource, kCaption, MB_OK);
    return -1;
  }

  const INT_PTR result = dialog.DoModal(nullptr);
  log.Write("PrStartPreference : dialog = %d\n", static_cast<long long>(result));
  if (result == IDOK) {
    const int enable = dialog.GetTrayIconEnable();
    const moni::prefs::TrayIdentity tray{printer, driver, port, model};
    moni::prefs::ApplyTrayChoice(enable, tray);
    return 0;
  }
  if (result == IDCANCEL) return 1;
  log.Write("PrStartPreference : error : the dialog could not be shown\n");
  return -3;
}
