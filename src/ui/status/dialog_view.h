// CDialogView: draws the status window. It owns the six sub-views (status
// message area, job area, ink area, tips, further area, button row), made as
// child dialogs of the status window and stacked one under the other; it
// switches them between the dialog types, writes the caption, lays the window
// out, hands every status object and progress record to the sub-views and
// maps the status's buttons to the captions of the main and sub button.
//
// How the status window controller uses it:
// - OnInitDialog: Create(window, context) once the window of template 102
//   exists (ViewContext::FromBaseInfo gives the printer's identity and files);
//   a false result ends the window.
// - Every status object and progress record: SetViewStatus; every type
//   change: ChangeDialogType (which lays out, brings forward and returns the
//   previous type).
// - Messages: WM_DRAWITEM goes to DrawItem; WM_SIZE (restored) takes Caption()
//   again. The sub-views pass the WM_COMMAND of their controls to the window
//   (controls keep their ids); they colour their own controls and run their
//   own timers (1 tips, 20 animations) on their own windows, so the window's
//   timer ids stay free.
// - EndProc: End(); the destructor destroys the sub-views.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/status/ink_tank_view.h"
#include "ui/status/job_view.h"
#include "ui/status/row_views.h"
#include "ui/status/status_area_view.h"
#include "ui/status/sub_view.h"
#include "ui/status/tip_view.h"
#include "ui/status/view_core.h"

class CDialogView {
 public:
  enum SubViewIndex { kStatusArea, kJobArea, kInkArea, kTipsArea, kFurtherArea, kButtonRow, kSubViews };

  CDialogView() = default;
  ~CDialogView();
  CDialogView(const CDialogView&) = delete;
  CDialogView& operator=(const CDialogView&) = delete;

  // Makes the six sub-views on `window` (the dialog of template 102), reads
  // "DisplayTips" (default 1) under the printer key and measures the window.
  // False, with nothing left made, when a sub-view cannot be made (a missing
  // template, a resource library without them).
  bool Create(HWND window, const moni::view::ViewContext& context);
  // The same with the identity of the process's printer information.
  bool Create(HWND window, HMODULE resource, const std::wstring& setupData, const std::wstring& modelId);
  void Destroy();
  // The status window ends: timers stop, sub-views hide.
  void End();

  // Hands both to every sub-view, then the minimized progress caption and
  // the buttons of the pop-up and detail types.
  void SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress);
  // Switches to `type` (1 to 4; others are 2) and returns the previous type;
  // nothing happens when the type is unchanged.
  int ChangeDialogType(int type);
  int DialogType() const { return m_iDialogType; }
  std::wstring Caption() const;
  void Layout();
  void BringForward(int type);

  void DisableStopAndPause() { m_job.DisableStopAndPause(); }
  void DisablePause() { m_job.DisablePause(); }
  BOOL DrawItem(const DRAWITEMSTRUCT& item);

  int MainButtonId() const { return m_iMainId; }
  int SubButtonId() const { return m_iSubId; }
  bool DisplayTips() const { return m_tips.DisplayTips(); }
  // Shows or hides the tips (the tips switch) and lays the window out again.
  void SetDisplayTips(bool display);
  void SetInkOrderButtons(bool present, const std::wstring& caption);
  void SetSupportAvailable(bool available) { m_further.SetSupportAvailable(available); }
  // The cartridge information dialog while it is open (closed when the type
  // changes to one other than the detail type); null when none.
  void SetCartridgeDialog(HWND dialog) { m_hCartridgeDlg = dialog; }

  // A control of any sub-view by its id.
  HWND Item(int id) const;
  moni::view::CSubView& SubView(SubViewIndex i);
  moni::view::CInkTankView& InkView() { return m_ink; }
  moni::view::CTipView& TipView() { return m_tips; }
  moni::view::CJobView& JobView() { return m_job; }
  bool IsCreated() const { return m_bCreated; }
  int Width() const { return m_iWidth; }
  int Height() const { return m_iHeight; }

  // Whether the ink-cancel caption closes the detail window: the status
  // keeps its buttons for a print server that resets jobs itself.
  static bool AllowsJobReset(const CPrinterStatus& status) { return status.KeepButtons() != 0; }

 private:
  void ApplyButtons();
  void SetSystemMenu();

  HWND m_hWnd = nullptr;
  moni::view::ViewContext m_context;
  moni::view::CStatusAreaView m_status;
  moni::view::CJobView m_job;
  moni::view::CInkTankView m_ink;
  moni::view::CTipView m_tips;
  moni::view::CFurtherView m_further;
  moni::view::CButtonRowView m_buttons;
  bool m_bCreated = false;
  int m_iDialogType = 0;
  int m_iWidth = 0, m_iHeight = 0;
  int m_iMainId = moni::view::kIdsClose, m_iSubId = 0;
  // What the last status object asked of the buttons.
  int m_iButton1 = moni::view::kIdsClose, m_iButton2 = 0;
  bool m_bAllowsReset = false;
  HWND m_hCartridgeDlg = nullptr;
  int m_laidOut[kSubViews] = {};  // heights of the sub-views at the last layout
};
