// The exports that ask for and install the printers' tray icons.
#include "api/export_frame.h"
#include "api/monicore.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "foundation/support_library.h"
#include "platform/handles.h"
#include "ui/prefs/entry_icon_dlg.h"
#include "ui/prefs/icon_install.h"
#include "ui/prefs/startup_entry.h"

namespace {

std::wstring Text(LPCWSTR s) { return s ? std::wstring(s) : std::wstring(); }

moni::Module LoadResources(const std::wstring& path) {
  return moni::Module(path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

}  // namespace

int WINAPI PrEntryIconDlg(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId) {
  CDebugLog log("PrEntryIconDlg");
  const moni::prefs::TrayIdentity identity = {Text(printerName), Text(driverName), Text(portName), Text(modelId)};
  log.Write("PrEntryIconDlg : Enter (%s, %s, %s, %s)\n", identity.printer, identity.driver, identity.port, identity.model);
  CBaseInfo& info = CBaseInfo::Instance();
  if (info.SetPrinterInformation(identity.printer, identity.driver, identity.port, identity.model, L"", L"") < 0) {
    log.Write("Error : SetPrinterInformation\n");
    return -1;
  }
  const moni::Module resources = LoadResources(info.ResourceName);
  const moni::Module bitmaps = LoadResources(info.BmpResName);
  CRegistryKey userKey;
  const bool keyOpen = !info.CurrentUserKey.empty() &&
                       userKey.Open(HKEY_CURRENT_USER, info.CurrentUserKey, false, KEY_QUERY_VALUE | KEY_SET_VALUE);
  moni::OwnedMutex question;
  if (!resources || (!info.BmpResName.empty() && !bitmaps) || !keyOpen ||
      !CEntryIconDlg::CreateMutex(info.OpenName(), question)) {
    log.Write("Error : the question cannot be shown\n");
    return -1;
  }
  CEntryIconDlg dialog(resources.get(), info.OpenName());
  const INT_PTR answer = dialog.DoModal();
  if (answer == IDOK) {
    moni::prefs::RegStartupEntry(1, identity);
    moni::prefs::StartTrayIconExe(1, identity);
  } else if (answer == IDCANCEL) {
    log.Write("EntryDlg ID = Cancel\n");
    userKey.SetDword(L"TrayIconEnable", 0);
  }
  log.Write("PrEntryIconDlg : Exit (%d)\n", static_cast<int>(answer));
  return answer == IDOK || answer == IDCANCEL ? 0 : -1;
}

int WINAPI PrIconInstall(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR modelId) {
  CDebugLog log("PrIconInstall");
  const std::wstring printer = Text(printerName), driver = Text(driverName), model = Text(modelId);
  log.Write("PrIconInstall : Enter (%s, %s, %s)\n", printer, driver, model);
  const moni::support::CSupportLibrary library(moni::support::AttachBy::Driver, driver);
  const moni::OwnedMutex turn = moni::prefs::WaitForInstallTurn();
  const int result = moni::prefs::StartCallingIcon(printer, driver, model);
  log.Write("PrIconInstall : Exit (StartCallingIcon = %d)\n", result);
  return 1;
}
