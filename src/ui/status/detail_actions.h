// CDetailActions: what the status window does for its buttons and on its own
// initiative besides following the printer: the buttons and their commands
// to the printer, cancelling print data, the reset command, troubleshooting,
// support and help, the communication library's messages, the ink pop-ups
// and the dialogs a waiting job opens. The controller (CDetail) calls these
// and nothing else of its actions; each runs on the window's thread.
//
// The dialogs that belong to other parts of the product (troubleshooting,
// version, cartridge check and information, double-sided printing, paper-gap
// lever) are the stand-ins of CStandInDialog.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

class CDetail;
class CPrinterStatus;

class CDetailActions {
 public:
  // The wait dialogs' answers.
  static constexpr int kContinue = 1;
  static constexpr int kCancelJob = 2;

  explicit CDetailActions(CDetail& detail) : m_detail(detail) {}
  ~CDetailActions();
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

  // The pause before a reset command is sent again after "rj:NA;" or
  // "rj:BUSY;" (tests shorten it).
  void SetResetRetryDelay(UINT ms) { m_retryDelayMs = ms; }
  // Reset commands queued by this window so far (read by tests on another thread).
  int ResetCommandsSent() const { return m_resetsSent.load(); }

 private:
  void OnMainButton();
  void OnSubButton();
  void OnStop();
  void OnPause();
  void OnCancel();
  void OnTroubleShoot();
  void OnSupport();
  void OnTipHelp();
  void OnTipButton();
  void OnServiceCall();
  void OnCartridgeInfo();
  void OnInkOrderButton();
  void OfflineCancel();
  // Clears job-accepted, reads the job (forced or not) and asks the progress
  // meter to delete it.
  void CancelJob(bool forced);
  // A remote command on the command channel, when it is open.
  void SendRemote(char first, char second);
  void RetryResetLater();
  static void CALLBACK RetryTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD);
  std::wstring Text(UINT id) const;
  HMODULE Resources() const;

  CDetail& m_detail;
  HWND m_hCartridgeDlg = nullptr;
  HWND m_hHelpWindow = nullptr;
  UINT m_retryDelayMs = 500;
  UINT_PTR m_retryTimer = 0;
  std::atomic<int> m_resetsSent{0};
};
