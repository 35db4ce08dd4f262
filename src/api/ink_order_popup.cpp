#include "api/ink_order_popup.h"

#include "api/printer_status_query.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/target_keys.h"
#include "platform/process.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "ui/inkorder/ink_order.h"
#include "ui/prefs/icon_install.h"

namespace moni::inkorder {

PrinterStatusReader OneShotStatusReader() {
  return [](const std::wstring& printer, const std::wstring&, status::StatusBuff& record) {
    BYTE* reply = nullptr;
    CGetPrinterStatus query;
    const int size = query.ProcMain(printer.c_str(), &reply);
    const GlobalBlock owned(static_cast<HGLOBAL>(reply));
    return size > 0 && reply && status::ConvertStatusInfo(reply, static_cast<size_t>(size), record);
  };
}

const char* OutcomeText(PopupOutcome outcome) {
  switch (outcome) {
    case PopupOutcome::Shown: return "shown";
    case PopupOutcome::MissingName: return "a name is missing";
    case PopupOutcome::NotTarget: return "the printer's driver names another companion program";
    case PopupOutcome::NoEntry: return "no monitoring entry";
    case PopupOutcome::OnScreen: return "a pop-up of the printer is on screen";
    case PopupOutcome::NoMode: return "no such mode";
    case PopupOutcome::NoOrderUrl: return "INK_OrderURL is not set";
    case PopupOutcome::NoInkTank: return "InkTankType is not set";
    case PopupOutcome::NoResources: return "no resource library";
    case PopupOutcome::NotShown: return "the dialog could not be shown";
  }
  return "";
}

PopupOutcome ShowInkOrderPopup(const PrinterIdentity& who, const OptionBlock& options, const std::wstring& programPath,
                               const PrinterStatusReader& readPrinter) {
  CDebugLog log("ShowInkOrderPopup");
  const std::wstring printer = ToWide(who.printer), driver = ToWide(who.driver), port = ToWide(who.port),
                     model = ToWide(who.model);
  std::wstring entry;
  if (GetTargetPrnKey(printer, false, entry) != 0) {
    if (!moni::prefs::CreateDefaultRegistry(printer, driver, model, port) || GetTargetPrnKey(printer, false, entry) != 0)
      return PopupOutcome::NoEntry;
  }
  KernelHandle lock;
  if (!AcquirePopupLock(entry, programPath, lock)) return PopupOutcome::OnScreen;

  CInkOrderInfo info;
  if (!info.SetOptions(&options)) return PopupOutcome::NoMode;
  log.Write("Mode : %s\n", ModeOfOrderType(info.orderType));
  std::wstring url, tank, resources;
  if (!GetNewInkOrderURL(L"INK_OrderURL", driver, url)) return PopupOutcome::NoOrderUrl;
  if (!GetInkTankType(L"InkTankType", printer, driver, tank)) return PopupOutcome::NoInkTank;
  if (!GetResDllPath(resources, driver, model, printer)) return PopupOutcome::NoResources;
  info.printer = who.printer;
  info.driver = who.driver;
  info.port = who.port;
  info.model = who.model;
  info.orderUrl = ToU16(url);
  info.inkTankType = ToU16(tank);
  const INT_PTR result = CInkOrderDlgCall(readPrinter).DoModal(resources, info);
  log.Write("Dialog : %d\n", static_cast<int>(result));
  return result == -1 ? PopupOutcome::NotShown : PopupOutcome::Shown;
}

PopupOutcome CallInkOrder2(const PrinterIdentity& who, const OptionBlock& options, const PrinterStatusReader& readPrinter) {
  CDebugLog log("CallInkOrder2");
  log.Write("Printer : %s, driver : %s, port : %s, model : %s\n", who.printer, who.driver, who.port, who.model);
  const bool named = !who.printer.empty() && !who.driver.empty() && !who.port.empty() && !who.model.empty();
  const PopupOutcome outcome = !named ? PopupOutcome::MissingName
                               : !moni::prefs::IsMyTargetPrinter(ToWide(who.printer))
                                   ? PopupOutcome::NotTarget
                                   : ShowInkOrderPopup(who, options, RunningProgramPath(), readPrinter);
  log.Write("Result : %s\n", OutcomeText(outcome));
  return outcome;
}

int ExecuteInkOrderWithSameDrivers(const std::wstring& driver, const std::wstring& model, const std::wstring& mode,
                                   const std::wstring& program) {
  CDebugLog log("ExecuteInkOrderWithSameDrivers");
  if (OrderTypeOfMode(ToU16(mode)) != kOrderMenu) {
    log.Write("Mode %s : not the menu\n", mode);
    return 0;
  }
  const auto printers = spooler::EnumLocalPrinters();
  if (!printers) {
    log.Write("Error : the printers cannot be listed (%u)\n", static_cast<unsigned>(GetLastError()));
    return 0;
  }
  for (const spooler::PrinterInfo& printer : *printers) {
    if (printer.driver != driver) continue;
    const std::wstring commandLine = ToWide(SameDriverCommandLine(
        ToU16(program), ToU16(mode), {ToU16(printer.name), ToU16(driver), ToU16(printer.port), ToU16(model)}));
    log.Write("CmdLine = %s\n", commandLine);
    StartedProcess started;
    if (!StartProgram(program, commandLine, started)) {
      log.Write("Error : cannot start (%u)\n", static_cast<unsigned>(GetLastError()));
    }
  }
  return 1;
}

}  // namespace moni::inkorder
