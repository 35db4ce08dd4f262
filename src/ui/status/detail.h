// CDetail: the controller of the status window, the one window that follows
// one printer. It is opened as a pop-up (monitoring found a condition worth
// showing), as the detailed window (the user asked for it) or as the progress
// meter of a print job; it runs its own message loop on the calling thread,
// takes the status thread's results and the progress meter's reports, and
// after every update decides from its condition table which form it takes:
// pop-up, detail, progress, hidden progress, or closed. A window the system
// opened closes or hides itself when nothing is left to show; one the user
// opened stays. One window serves a printer: a second request is handed to
// the window that is open already (through the monitor map).
//
// Threads: everything here runs on the window's thread. The status thread,
// the command channels' threads and the progress meter's thread post their
// results; the watchdog's thread posts WM_DETAIL_EMERGENCY, whose work is
// done here. Every thread the window starts is ended and joined before
// DoModal returns.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/bq_cmd_chnl.h"
#include "comm/bq_stat_channel.h"
#include "platform/handles.h"
#include "status/printer_status.h"
#include "status/status_info.h"
#include "ui/inkorder/ink_order.h"
#include "ui/progress/progress_meter.h"
#include "ui/status/detail_actions.h"
#include "ui/status/dialog_view.h"
#include "ui/status/modeless_dialog.h"
#include "ui/status/sound_resource.h"
#include "ui/status/watchdog.h"

// Messages of the status window (besides the threads' WM_RESULT_* and
// WM_PROGRESSIF_*).
inline constexpr UINT WM_USERADDJOB = WM_USER + 5;         // wParam option, lParam job id
inline constexpr UINT WM_USERDETAIL = WM_USER + 6;         // the user asks for the detailed window
inline constexpr UINT WM_USERPOPUP = WM_USER + 7;          // a second pop-up request (no handler)
inline constexpr UINT WM_WAITDLG_REGISTER = WM_USER + 70;  // lParam: a wait dialog's window, 0 when it goes
inline constexpr UINT WM_WAITDLG_ERROR = WM_USER + 71;     // to the registered wait dialog
// The watchdog's emergency, handed to the window's thread.
inline constexpr UINT WM_DETAIL_EMERGENCY = WM_APP + 0x117;

namespace moni::view {

// The six model settings that PrStartView reads from the setup data file
// (the model's section; integers).
struct ModelSettings {
  int inkColorNum = 4;
  int setupUtility = 0;
  int language = 0;
  int sendRsCommand = 0;
  int commErrDisableTime = 0;  // milliseconds of "searching" instead of a communication error after opening
  int maintenanceTankNum = 0;
  static ModelSettings Read(const std::wstring& setupData, const std::wstring& model);
};

// What a status window is opened for.
struct ViewRequest {
  std::wstring printerName, portName, modelId;
  std::wstring setupData;  // the model's setup data (profile) file
  int dialogType = 2;      // 1 pop-up, 2 detail, 3 progress with a request block, 4 hidden progress
  std::vector<std::uint8_t> requestBlock;  // the caller's block (type 3), as many bytes as it gave
  HMODULE resource = nullptr;  // the resource library (not owned)
  HMODULE bitmaps = nullptr;   // the bitmap library (not owned; may be null)
  ModelSettings settings;
};

// What an update did, for whoever watches the window (tests, the benchmark).
struct UpdateNote {
  int reason = 0;      // 0 opening, 1 watchdog, 2 model check, 3 status channel, 4 status, 5 progress
  int statusNo = 0;    // the real status number shown (1000 searching)
  int dialogType = 0;  // the type afterwards; 0 when the window closes
  int jobPercent = -1;  // the job shown: its progress in percent; -1 none
  bool jobFinished = false;  // the job shown is complete (shown for one timer period)
};

// The periods and players of the window; the defaults are the product's,
// tests shorten them.
struct DetailOptions {
  DWORD statusStartMs = 500;  // the status thread's first pause
  DWORD statusTickMs = 1000;  // its tick; the monitoring periods count ticks
  DWORD commandStartMs = 500;
  DWORD commandPollMs = 0;  // 0: the command channels' own
  DWORD watchdogPeriodMs = 45 * 1000;
  DWORD progressTimerMs = 1000;  // how long a finished job is shown complete
  DWORD waitTimerMs = 100;       // a wait report deferred while the window moves
  CProgressMeter::Options progress;
  ViewTiming viewTiming;
  CSoundResource::Player playSound = &CSoundResource::PlayResource;
  std::function<void(const UpdateNote&)> onUpdate;  // on the window's thread, after each update
};

}  // namespace moni::view

class CDetail : public CModelessDialog {
 public:
  static constexpr int kTemplate = 102;
  static constexpr UINT kVersionItem = 912;
  static constexpr UINT_PTR kProgressTimer = 9, kWaitTimer = 10, kGraceTimer = 11;
  // The status window's role in the monitor map.
  static constexpr int kMapRole = 2;
  // Wait reasons the window handles itself; the progress meter clears the others.
  static constexpr DWORD kAutoClearMask = 0xFFFFF77A;

  explicit CDetail(moni::view::DetailOptions options = {});
  ~CDetail() override;

  // Opens the window for the request and runs it until it ends: 1 (closed
  // by its main button) or 2; 2 without a window when the printer's profile
  // is not set up (after telling the user) or another window serves the
  // printer; -1 when the window cannot be made.
  INT_PTR DoModal(const moni::view::ViewRequest& request);

  int UpdateStatus(int reason, int result);
  int StatusProc(int reason, int result);
  int GetStatus(int result);
  int SetDefStatus();
  int CheckDialogCondition(const CPrinterStatus* status, CProgressInfo& progress);
  int SetSoundStatus(const CPrinterStatus* status);
  int ProgressTimer();
  int EndProc();
  int InitBqapiObject(const std::wstring& printerName, const std::wstring& portName);
  // Called by the watchdog's thread: the window re-reads the status on its own thread.
  void EmergencyProc();

  // What the actions and the tests look at.
  CDialogView& View() { return m_view; }
  const CPrinterStatus* Status() const { return m_pPrinterStatus.get(); }
  CProgressMeter& ProgressMeter() { return m_progress; }
  CProgressInfo& ProgressInfo() { return m_progressInfo; }
  const moni::view::ViewRequest& Request() const { return m_request; }
  const std::wstring& PrinterKey() const { return m_strPrinterKey; }
  const std::wstring& OpenName() const { return m_request.printerName.empty() ? m_request.portName : m_request.printerName; }

 protected:
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class CDetailActions;

  BOOL OnInitDialog();
  void HandOver(HWND other);
  void SetSystemMenu();
  void SetIcons();
  void SetMonitoringPeriods();
  bool StartThreads();
  void OnTimer(UINT_PTR id);
  void OnCopyData(HWND sender, const COPYDATASTRUCT* data);
  void OnRequestBlock(const std::uint8_t* bytes, size_t size);
  void OnUserDetail();
  int OnResultBQDeviceID(int result);
  int OnResultBQStChannel(int result);
  int OnResultBQStatus(int result);
  int OnProgressIFStatus(WPARAM source);
  int OnProgressIFWait(DWORD jobId);
  void OnSize(WPARAM kind);
  void OnMove();
  void OnClose();
  void PlaceWindow();
  void KeepOnScreen();
  // Shows the window for its type (hidden in type 4).
  void ShowForType();
  void EndGrace();
  void Finish(INT_PTR code);  // EndProc, then the end of the dialog

  // Status objects.
  void Replace(std::unique_ptr<CPrinterStatus> status);
  std::unique_ptr<CPrinterStatus> Searching() const;
  // A status object for a status number: on the status thread's channel when
  // it has one, else on the printer's first status channel (or channel 0).
  std::unique_ptr<CPrinterStatus> Numbered(int statusNo, bool firstAvailableWhenNone) const;
  std::uint32_t FirstAvailableStatusChannel() const;
  bool NotifyWorthy(const CPrinterStatus* status) const;
  bool Offline() const;
  void Notify(int reason);
  std::wstring Text(UINT id) const;

  moni::view::DetailOptions m_options;
  moni::view::ViewRequest m_request;
  std::wstring m_strPrinterKey;
  std::wstring m_strDriverName, m_strInstallPath;
  std::unique_ptr<CStatusInfo> m_statusInfo;
  std::unique_ptr<CPrinterStatus> m_pPrinterStatus;
  CDialogView m_view;
  std::unique_ptr<CDetailBqStatus> m_statusThread;
  std::unique_ptr<CBqCmdChnl> m_cmdChannel, m_tagchipChannel, m_resetChannel;
  CProgressMeter m_progress;
  CProgressInfo m_progressInfo;
  CWatchDog m_watchdog;
  std::unique_ptr<CSoundResource> m_sound;
  std::unique_ptr<CInkOrder> m_inkOrder;
  CDetailActions m_actions;
  moni::KernelHandle m_hMapSection;
  moni::IconHandle m_smallIcon, m_largeIcon;

  int m_iDialogType = 2;
  bool m_bProgressTimer = false, m_bWaitTimer = false, m_bGraceTimer = false;
  bool m_TimerFlag = false;
  bool m_bUseProgressTimer = false;
  bool m_bDispWaitDlg = false;
  bool m_bEnding = false;
  bool m_bMoving = false;
  bool m_bAutoOpened = false;
  bool m_bSavePosition = false;
  bool m_bGraceOver = true;
  bool m_bTroubleShooting = false;
  bool m_bCommErrShown = false;
  bool m_bRegistered = false;  // this window holds the printer's role in the monitor map
  bool m_bHandedOver = false;
  int m_iEnableGetStatusErr = -1;
  int m_iLastSound = -1;
  int m_iLastStatusNo = 0;
  int m_iShownStatusNo = 0;  // the real status number of the last status object (for UpdateNote)
  DWORD m_dwPendingWaitJobId = 0;
  HWND m_hWaitDlg = nullptr;
  std::uint32_t m_dwInkMonitorJobId = 0;
  int m_iResetRetry = 0;
  std::wstring m_strSupportTarget;
  int m_iSupportKind = 0;

  // A double-sided printing dialog of this process is open in a nested loop.
  static bool s_bWaitDialogRunning;
};
