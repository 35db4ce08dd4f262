#include "ui/status/tip_view.h"

#include "foundation/debug_log.h"

namespace moni::view {

bool CTipView::OnCreate() {
  std::vector<TipEntry> tips;
  for (int id = kFirstTip; id < kFirstTip + kMaxTips; ++id) {
    if (Text(static_cast<UINT>(id)).empty()) break;
    tips.push_back({id, id + kHelpOffset});
  }
  m_tips = TipRotation(std::move(tips));
  SetItemText(kText, L"");
  return true;
}

void CTipView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  m_bTypeShows = layout.tipsShown;
  SetActive(layout.tipsActive);
  Apply();
}

void CTipView::SetDisplayTips(bool display) {
  m_bDisplay = display;
  Apply();
}

void CTipView::Apply() {
  const bool shown = m_bTypeShows && m_bDisplay && m_hWnd;
  if (shown && !m_bTimer) {
    m_tips.Show();
    ShowCurrent();
    m_bTimer = SetTimer(m_hWnd, kTipTimer, m_context->timing.tipTickMs, nullptr) != 0;
  } else if (!shown && m_bTimer) {
    OnEnd();
  }
  if (!shown) {
    m_tips.Hide();
    ShowCurrent();
  }
  SetVisible(shown);
}

void CTipView::OnEnd() {
  if (m_bTimer && m_hWnd) KillTimer(m_hWnd, kTipTimer);
  m_bTimer = false;
}

BOOL CTipView::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_TIMER || wParam != kTipTimer) return FALSE;
  if (m_tips.Tick(m_bHoldBack)) {
    CDebugLog("CTipView::ChangeNextTip").Write("m_iNowIndex = %d\n", m_tips.Index());
    ShowCurrent();
  }
  return TRUE;
}

void CTipView::ChangeNextTip() {
  m_tips.Next();
  CDebugLog("CTipView::ChangeNextTip").Write("m_iNowIndex = %d\n", m_tips.Index());
  ShowCurrent();
}

void CTipView::ShowCurrent() {
  const TipEntry* tip = m_tips.Current();
  SetItemText(kText, tip ? Text(static_cast<UINT>(tip->textId)) : std::wstring());
  EnableItem(kHelpButton, tip != nullptr && !Text(static_cast<UINT>(tip->helpId)).empty());
}

int CTipView::CurrentHelpId() const {
  const TipEntry* tip = m_tips.Current();
  return tip ? tip->helpId : 0;
}

int CTipView::CurrentTipId() const {
  const TipEntry* tip = m_tips.Current();
  return tip ? tip->textId : 0;
}

void CTipView::SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) {
  const bool valid = progress && progress->m_bValid;
  // Near the end of a job the tip stays (the remaining time is short).
  m_bHoldBack = valid && progress->m_Record.bInfo104 != 0 && progress->m_Record.dwInfo104 < 15;
  moni::status::StatusBuff record{};
  if (!valid || !status || status->GetStatusBuff(&record) != 1 || record.byInkCount == 0) return;
  const int before = CurrentTipId();
  if (record.dwWarningBits == 0 && record.dwInkStateBits == 0) m_tips.SetInkTip(false);
  if (record.dwWarningBits & 0x11111111u) m_tips.SetInkTip(true);
  if (m_tips.JobChanged(progress->m_Record.dwJobId) || CurrentTipId() != before) ShowCurrent();
}

}  // namespace moni::view
