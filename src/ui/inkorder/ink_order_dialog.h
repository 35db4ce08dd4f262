// The ink-order dialog (template 140 of the model's resource library): the
// low-ink reminder or the ordering dialog of the menu, with the ink gauge in
// the place of control 31002, the main message, the automatic-reminder check
// box and three buttons: where to buy (opens the ordering page, the dialog
// stays), remind me later (moves the next reminder to the next threshold) and
// cancel (no more reminders until the status window opens again).
//
// CInkOrderDlgCall loads the resource library for one dialog; ExpInkOrderDoModal
// sets up the printer information, completes the order information and runs
// the dialog modal on the calling thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/handles.h"
#include "status/printer_status.h"
#include "status/status_decode.h"
#include "ui/inkorder/order_dialog_core.h"
#include "ui/inkorder/order_info_core.h"
#include "ui/common/sector_graph.h"

namespace moni::inkorder {

// Reads a fresh status of a printer whose device names the model: true and
// the decoded record, else false. The dialog asks it when the caller passed
// no ink state (the menu); the exports give it the one-shot status query.
using PrinterStatusReader =
    std::function<bool(const std::wstring& printer, const std::wstring& model, status::StatusBuff& record)>;

// "INK_OrderURL" (or another value) of the driver's ink-ordering key: true and
// the text when it is set.
bool GetNewInkOrderURL(const std::wstring& valueName, const std::wstring& driver, std::wstring& url);
// "InkTankType" (or another value) of the printer's driver, below the driver's
// key and "\InkOrder" in the setup data: true and the text when it is set.
bool GetInkTankType(const std::wstring& valueName, const std::wstring& printer, const std::wstring& driver,
                    std::wstring& type);

// What the where-to-buy button needs besides the query.
struct BuyNowSource {
  HMODULE resources = nullptr;  // strings 31080, 31083, 31085, 31090
  std::wstring driver;          // its ink-ordering key holds "INK_OrderURL"
  std::wstring profile, model;  // the model's section: "BuyInkMsgDlg"
};
enum class BuyNow {
  Opened,     // the shell took the address
  Declined,   // the user cancelled the confirmation
  NoAddress,  // the driver names no ordering page
  Refused,    // the address is no web address: never handed to the shell
  Failed,     // the shell could not open it
};
// Opens the ordering page for the ink status query `query`: asks first when
// the model's "BuyInkMsgDlg" is 1 (the default), then hands string 31085,
// "INK_OrderURL" and the query to the shell's open verb. An address that
// cannot be opened is reported to the user (string 31083).
BuyNow OpenBuyNowURL(HWND owner, const std::wstring& query, const BuyNowSource& source);

// Completes the order information from the resource library and the
// ink-ordering key: the cartridge texts of each ink (the library's table,
// replaced by the key's "011".. and "111".. where set), the thresholds, the
// custom button texts and message templates.
void RebuildOrderInfo(CInkOrderInfo& info, HMODULE resources);

}  // namespace moni::inkorder

class CInkOrderDialog {
 public:
  static constexpr int kTemplate = 140;
  static constexpr int kMessage = 31001, kGauge = 31002, kLevelLine = 31003, kPrinterLine = 31004;
  static constexpr int kWhereToBuy = 31020, kRemindLater = 31021, kCancel = 31023, kAutoReminders = 31036;

  struct Context {
    HMODULE resources = nullptr;  // the template and texts
    HMODULE bitmaps = nullptr;    // the gauge's icons (may be null)
    std::wstring printerKey;      // the printer's target key below HKCU
    moni::status::ModelFiles files;  // the resource library's path, the profile file, the model's section
    moni::inkorder::PrinterStatusReader readPrinter;  // may be empty
  };

  CInkOrderDialog(moni::inkorder::CInkOrderInfo& info, Context context);
  CInkOrderDialog(const CInkOrderDialog&) = delete;
  CInkOrderDialog& operator=(const CInkOrderDialog&) = delete;

  // Runs the dialog modal without owner: 2 after remind me later, cancel or
  // closing; -1 when it cannot be shown.
  INT_PTR DoModal();

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL OnInitDialog(HWND dialog);
  void ShowGauge();
  void ShowMessage();
  void FitToMessage();
  void ShowButtons();
  void OnWhereToBuy();
  void OnRemindLater();
  void OnCancel();
  void StoreAutoReminders(HKEY key) const;
  std::wstring Text(UINT id) const;

  moni::inkorder::CInkOrderInfo& m_info;
  Context m_context;
  HWND m_hWnd = nullptr;
  CSectorGraph m_gauge;
};

class CInkOrderDlgCall {
 public:
  explicit CInkOrderDlgCall(moni::inkorder::PrinterStatusReader readPrinter = {});
  // Loads the resource library at `resourcePath`, runs ExpInkOrderDoModal and
  // frees the library: the dialog's result, 2 when the library cannot be
  // loaded.
  INT_PTR DoModal(const std::wstring& resourcePath, moni::inkorder::CInkOrderInfo& info) const;

 private:
  moni::inkorder::PrinterStatusReader m_readPrinter;
};

// Sets up the printer information for the order's four names, loads the
// bitmap library it names, completes the order information and runs the
// dialog: its result; 2 without resource library or order information, or
// when the printer information cannot be set up.
INT_PTR ExpInkOrderDoModal(HMODULE resources, moni::inkorder::CInkOrderInfo* info,
                           const moni::inkorder::PrinterStatusReader& readPrinter = {});
