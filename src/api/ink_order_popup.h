// The ink-order pop-up in the driver's companion program: CallInkOrder2 (the
// worker of PrKioskaPopUp) shows the ink-order dialog for one printer, once
// per printer and program at a time; ExecuteInkOrderWithSameDrivers (the
// worker of PrKiosSameDrvs) starts the program again for every printer of a
// driver. They join the tray icon registration (the companion check, the
// printer's monitoring entry), the one-shot status query (the ink state of a
// menu order) and the ink-order dialog.
#pragma once
#include <windows.h>

#include <string>

#include "platform/system.h"
#include "status/status_decode.h"
#include "ui/inkorder/ink_order_dialog.h"
#include "ui/inkorder/order_info_core.h"

namespace moni::inkorder {

// How a pop-up request ended (the log says it; the exports return 1 anyway).
enum class PopupOutcome {
  Shown,         // the dialog was shown and closed
  MissingName,   // a name of the printer's identity is empty
  NotTarget,     // the printer's driver does not name the running program as its companion
  NoEntry,       // the printer has no monitoring entry and none can be made
  OnScreen,      // a pop-up of this printer and program is on screen already
  NoMode,        // the mode text is none of "MENU", "AUTO20" ... "AUTO00"
  NoOrderUrl,    // the driver's ink-ordering key has no "INK_OrderURL"
  NoInkTank,     // the driver gives no "InkTankType": no ink ordering for the printer
  NoResources,   // the model's resource library is not found
  NotShown,      // the dialog could not be shown
};
const char* OutcomeText(PopupOutcome outcome);

// The dialog's reader of a fresh status: the one-shot status query (which
// checks that the printer is the driver's model), its reply decoded.
PrinterStatusReader OneShotStatusReader();

// CallInkOrder2 without the companion check: everything from the printer's
// monitoring entry on, with `programPath` as the program that shows the
// dialog (its file name is part of the pop-up lock).
PopupOutcome ShowInkOrderPopup(const PrinterIdentity& who, const OptionBlock& options, const std::wstring& programPath,
                               const PrinterStatusReader& readPrinter);

// The worker of PrKioskaPopUp: all four names given, the printer's driver
// naming the running program as its companion, then ShowInkOrderPopup.
PopupOutcome CallInkOrder2(const PrinterIdentity& who, const OptionBlock& options, const PrinterStatusReader& readPrinter);

// For the mode "MENU" (exactly): starts `program` (by default the running
// one) once for every local printer and connection whose driver is `driver`
// (exactly), with the mode and the printer's identity on the command line
// (SameDriverCommandLine). 1 when the printers were listed, else 0 (another
// mode, or the spooler cannot list them).
int ExecuteInkOrderWithSameDrivers(const std::wstring& driver, const std::wstring& model, const std::wstring& mode,
                                   const std::wstring& program = RunningProgramPath());

}  // namespace moni::inkorder
