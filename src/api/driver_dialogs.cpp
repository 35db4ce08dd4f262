#include "api/driver_dialogs.h"

#include <shellapi.h>
#include <winspool.h>

#include <vector>

#include "foundation/debug_log.h"
#include "foundation/support_library.h"
#include "platform/handles.h"
#include "ui/prefs/icon_install.h"

namespace moni::api {

namespace {

// The printing preferences of the printer, for the user to change.
void ShowPrintingPreferences(const std::wstring& name) {
  CDebugLog log("ShowPrintingPreferences");
  if (name.empty()) return;
  if (!prefs::IsMyTargetPrinter(name)) {
    log.Write("not a target printer : %s\n", name);
    return;
  }
  bool administer = true;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE};
  HANDLE raw = nullptr;
  if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &raw, &defaults)) {
    administer = false;
    defaults.DesiredAccess = PRINTER_ACCESS_USE;
    if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &raw, &defaults)) {
      log.Write("Error : OpenPrinter (%d)\n", GetLastError());
      return;
    }
  }
  PrinterHandle printer(raw);
  DWORD needed = 0;
  GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed ? needed : sizeof(PRINTER_INFO_2W));
  const DEVMODEW* current = nullptr;
  if (needed && GetPrinterW(printer.get(), 2, info.data(), needed, &needed))
    current = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
  LPWSTR deviceName = const_cast<LPWSTR>(name.c_str());
  const LONG size = DocumentPropertiesW(nullptr, printer.get(), deviceName, nullptr, nullptr, 0);
  if (size <= 0) {
    log.Write("Error : DocumentProperties size (%d)\n", size);
    return;
  }
  // Room for the driver's own part of the mode besides the one it reports.
  std::vector<BYTE> input(static_cast<size_t>(size)), output(static_cast<size_t>(size));
  auto* in = reinterpret_cast<DEVMODEW*>(input.data());
  if (current && static_cast<LONG>(current->dmSize + current->dmDriverExtra) <= size) {
    memcpy(in, current, current->dmSize + current->dmDriverExtra);
  } else if (DocumentPropertiesW(nullptr, printer.get(), deviceName, in, nullptr, DM_OUT_BUFFER) != IDOK) {
    log.Write("Error : no default device mode\n");
    return;
  }
  auto* out = reinterpret_cast<DEVMODEW*>(output.data());
  const LONG answer = DocumentPropertiesW(nullptr, printer.get(), deviceName, out, in, DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
  log.Write("DocumentProperties : %d\n", answer);
  if (answer != IDOK) return;
  log.Write("Stored at level %d\n", StoreDeviceMode(printer.get(), administer, out));
}

}  // namespace

int StoreDeviceMode(HANDLE printer, bool administer, DEVMODEW* mode) {
  if (administer) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    if (needed && GetPrinterW(printer, 2, info.data(), needed, &needed)) {
      auto* two = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
      two->pDevMode = mode;
      two->pSecurityDescriptor = nullptr;  // left as it is
      if (SetPrinterW(printer, 2, info.data(), 0)) return 2;
    }
  }
  PRINTER_INFO_8W global{mode};
  if (SetPrinterW(printer, 8, reinterpret_cast<LPBYTE>(&global), 0)) return 8;
  PRINTER_INFO_9W user{mode};
  if (SetPrinterW(printer, 9, reinterpret_cast<LPBYTE>(&user), 0)) return 9;
  return 0;
}

int RunDocumentProperties(const std::wstring& printer) {
  support::CSupportLibrary library(support::AttachBy::Printer, printer);
  KernelHandle mutex(CreateMutexW(nullptr, TRUE, kDocumentPropertiesMutex));
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
    CDebugLog("PrDocumentProperties").Write("the printing preferences are shown already\n");
    return 0;
  }
  ShowPrintingPreferences(printer);
  ReleaseMutex(mutex.get());
  return 1;
}

int RunDisplaySpoolJob(const std::wstring& printer, HWND owner) {
  support::CSupportLibrary library(support::AttachBy::Printer, printer);
  if (printer.empty()) return -1;
  SHInvokePrinterCommandW(owner, PRINTACTION_OPEN, printer.c_str(), nullptr, TRUE);
  return 0;
}

}  // namespace moni::api
