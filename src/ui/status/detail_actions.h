// CDetailActions: what the status window does for its buttons and on its own
// initiative besides following the printer: the buttons and their commands
// to the printer, cancelling print data, the reset command, troubleshooting,
// support and help, the communication library's messages, the ink pop-ups
// and the dialogs a waiting job opens. The controller (CDetail) calls these
// and nothing else of its actions; each runs on the window's thread.
//
// This build carries the closing main button and the ink reminder after a
// status update; the other actions log that they are not available and do
// nothing, and the wait dialogs answer "continue".
#pragma once
#include <windows.h>

#include <string>

class CDetail;
class CPrinterStatus;

class CDetailActions {
 public:
  // The wait dialogs' answers.
  static constexpr int kContinue = 1;
  static constexpr int kCancelJob = 2;

  explicit CDetailActions(CDetail& detail) : m_detail(detail) {}
  CDetailActions(const CDetailActions&) = delete;
  CDetailActions& operator=(const CDetailActions&) = delete;

  // At opening: where the support button leads (empty: nowhere) and its kind
  // (1 a problem-solver file, 2 an address).
  struct SupportTarget {
    std::wstring target;
    int kind = 0;
  };
  SupportTarget LookUpSupportTarget();
  // At opening: whether the ink-order buttons show, and their caption.
  void SetUpInkOrderButtons();

  // WM_COMMAND of the window (the sub-views pass their controls' on); true
  // when the control is one of the actions'.
  bool OnCommand(int controlId);
  // The system menu's version item.
  void ShowVersionDialog();
  // A command channel finished a receive (WM_RESULT_BQSENDREV).
  void OnBqSendRev(WPARAM channel, LPARAM result);

  // After a status update: the status asked for its print data to be
  // cancelled; the ink reminder; the cartridge information dialog's inks.
  void CancelPrintingData(int dialogType);
  void PopupInkOrder();
  void PassInksToCartridgeDialog(const CPrinterStatus* status);
  // After a progress update: the ink-monitor pop-ups.
  void PopupInkMonitor();
  // The reset command for the current job; 1 when one was sent.
  int SendResetCommand(int skipChecks);
  // The communication library's messages: 0 when one was shown, else 1.
  int ShowCommErrorMessages();

  // A help window of the status window is open.
  bool HelpWindowOpen() const;
  // The cartridge information dialog while it is open, else null.
  HWND CartridgeDialog() const { return m_hCartridgeDlg; }
  void CloseCartridgeDialog();

  // The dialogs of a waiting job (nested loops): kContinue or kCancelJob.
  int RunCartridgeCheck(DWORD jobId);
  int RunDoubleSidedDialog(DWORD reason, DWORD jobId);
  int RunPaperGapLeverAlert(DWORD reason, DWORD jobId);
  // After a cartridge check that continues: the "ex" command on the reset channel.
  void QueueExCommand();

 private:
  void OnMainButton();
  void NotAvailable(const char* action) const;

  CDetail& m_detail;
  HWND m_hCartridgeDlg = nullptr;
  HWND m_hHelpWindow = nullptr;
};
