#include "ui/status/row_views.h"

#include "ui/status/view_core.h"

namespace moni::view {

bool CFurtherView::OnCreate() {
  ShowItem(kSupportButton, false);
  return true;
}

void CFurtherView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  SetActive(layout.jobActive || !layout.jobShown);
  SetVisible(layout.furtherShown);
}

void CFurtherView::SetTipsShown(bool shown) { SetItemText(kTipsButton, Text(shown ? kIdsHideTips : kIdsShowTips)); }

void CFurtherView::SetSupportAvailable(bool available) { ShowItem(kSupportButton, available); }

void CButtonRowView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  m_iMode = layout.buttonMode;
  SetActive(layout.buttonsShown);
  SetVisible(layout.buttonsShown);
}

void CButtonRowView::SetButton(int control, int id) {
  HWND button = Item(control);
  if (!button) return;
  const std::wstring caption = id != 0 ? Text(static_cast<UINT>(id)) : std::wstring();
  const bool usable = id != 0 && !caption.empty();
  SetWindowTextW(button, caption.c_str());
  EnableWindow(button, usable);
  ShowWindow(button, usable ? SW_SHOWNA : SW_HIDE);
}

void CButtonRowView::SetButtons(int mainId, int subId) {
  SetButton(kMainButton, mainId);
  SetButton(kSubButton, subId);
}

void CButtonRowView::DefaultHandling(HWND dialog) {
  SendMessageW(dialog, DM_SETDEFID, kMainButton, 0);
  HWND main = Item(kMainButton);
  if (main && IsWindowVisible(main) && IsWindowEnabled(main) && GetForegroundWindow() == dialog) SetFocus(main);
}

}  // namespace moni::view
