// The exports that open the status window, the driver's printing preferences and the job queue.
#include <cstring>

#include "api/driver_dialogs.h"
#include "api/export_frame.h"
#include "api/monicore.h"
#include "api/start_view.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/registry_key.h"
#include "foundation/request_block.h"
#include "foundation/startup_list.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "ui/prefs/entry_icon_dlg.h"
#include "ui/prefs/startup_entry.h"

using moni::api::NotAvailable;

namespace {

std::wstring Text(LPCWSTR s) { return s ? std::wstring(s) : std::wstring(); }

moni::Module LoadResources(const std::wstring& path) {
  return moni::Module(path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// Offers the printer's tray icon: when the printer's tray icon is enabled but
// the user's start-up list has no entry for it, the status program asks the
// question ("/TD"), unless a question for the printer is open already. The
// status window opens in any case.
void OfferTrayIcon(const CBaseInfo& info) {
  CDebugLog log("OfferTrayIcon");
  CRegistryKey key;
  if (info.CurrentUserKey.empty() || !key.Open(HKEY_CURRENT_USER, info.CurrentUserKey, false, KEY_QUERY_VALUE | KEY_SET_VALUE) ||
      key.QueryDword(L"TrayIconEnable", 0) == 0)
    return;
  const std::wstring name = info.OpenName();
  CRegistryKey run;
  std::wstring entry;
  if (run.Open(HKEY_CURRENT_USER, moni::startup::kRunKey, false, KEY_QUERY_VALUE)) run.ReadString(name, entry);
  if (!entry.empty()) return;
  const std::wstring program = FindSiblingProgram(info.PrinterName, info.DriverName, info.ModelID, L"V_GRUN", L"V_G20RN1.EXE");
  if (program.empty() || CEntryIconDlg::MultiEntryIconDlgCheck(name)) return;
  const std::wstring text = L"/TD\n/P" + std::to_wstring(name.size()) + L" \"" + name + L"\"";
  const std::wstring file = moni::files::WriteNewTempFile(L"V_G", moni::files::Utf16Bytes(text, true));
  if (file.empty()) {
    log.Write("Error : no parameter file (%lu)\n", GetLastError());
    return;
  }
  const std::wstring commandLine = program + L" /FU \"" + file + L"\"";
  if (!moni::prefs::Execute(program, commandLine)) {
    DeleteFileW(file.c_str());
    log.Write("Kick Error Entry icon dialog\n");
    return;
  }
  log.Write("Entry icon param : %s\n", commandLine);
}

}  // namespace

int moni::api::StartView(const ViewArguments& args, const moni::view::DetailOptions& options) {
  CDebugLog log("PrStartView");
  log.Write("PrStartView : Enter (%s, %s, %s, %s, %s, %s)\n", args.printer, args.driver, args.port, args.model, args.datFile,
            args.resource);
  log.Write("ViewType : %d\n", args.viewType);
  if (IsDuvSettingOn(args.printer)) {
    log.Write("func = PrStartView, Duv is Invalid.\n");
    return 1;
  }
  CBaseInfo& info = CBaseInfo::Instance();
  if (info.SetPrinterInformation(args.printer, args.driver, args.port, args.model, args.datFile, args.resource) < 0) {
    log.Write("PrStartView : error : SetPrinterInformation\n");
    return 1;
  }
  const moni::Module resource = LoadResources(args.resource.empty() ? info.ResourceName : args.resource);
  if (!resource) {
    log.Write("PrStartView : error : resource library %s\n", args.resource.empty() ? info.ResourceName : args.resource);
    return 1;
  }
  const moni::Module bitmaps = LoadResources(info.BmpResName);

  OfferTrayIcon(info);

  moni::view::ViewRequest request;
  request.printerName = args.printer;
  request.portName = args.port;
  request.modelId = args.model;
  request.setupData = args.datFile.empty() ? info.ProfileName : args.datFile;
  request.dialogType = args.viewType;
  request.resource = resource.get();
  request.bitmaps = bitmaps.get();
  request.settings = moni::view::ModelSettings::Read(request.setupData, args.model);
  if (args.viewType == 3 && args.block && args.blockSize >= 4) {
    // The caller's block, as far as it goes; a block beyond the largest one
    // a window takes is not copied whole.
    const DWORD size = args.blockSize < moni::request::kMaxBlockSize ? args.blockSize : moni::request::kMaxBlockSize;
    const auto* bytes = static_cast<const std::uint8_t*>(args.block);
    request.requestBlock.assign(bytes, bytes + size);
  }
  {
    CDetail detail(options);
    const INT_PTR result = detail.DoModal(request);
    log.Write("CDetail::DoModal : %d\n", static_cast<long long>(result));
  }
  log.Write("PrStartView() Exit\n");
  return 0;
}

int WINAPI PrStartView(int viewType, LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId,
                       LPCWSTR datFileName, LPCWSTR resourceName, void* progressData, DWORD progressDataSize) {
  moni::api::ViewArguments args;
  args.viewType = viewType;
  args.printer = Text(printerName);
  args.driver = Text(driverName);
  args.port = Text(portName);
  args.model = Text(modelId);
  args.datFile = Text(datFileName);
  args.resource = Text(resourceName);
  args.block = progressData;
  args.blockSize = progressDataSize;
  return moni::api::StartView(args, moni::view::DetailOptions());
}

int WINAPI PrDocumentProperties(LPCWSTR printerName) {
  CDebugLog log("PrDocumentProperties");
  log.Write("PrDocumentProperties : Enter, %s\n", Text(printerName));
  const int result = moni::api::RunDocumentProperties(Text(printerName));
  log.Write("PrDocumentProperties : Exit, result = %d\n", result);
  return result;
}

int WINAPI PrDisplaySpoolJob(LPCWSTR printerName, HWND owner) {
  CDebugLog log("PrDisplaySpoolJob");
  log.Write("PrDisplaySpoolJob : Enter, %s\n", Text(printerName));
  const int result = moni::api::RunDisplaySpoolJob(Text(printerName), owner);
  log.Write("PrDisplaySpoolJob : Exit, result = %d\n", result);
  return result;
}
