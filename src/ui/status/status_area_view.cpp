#include "ui/status/status_area_view.h"

#include "foundation/debug_log.h"
#include "platform/text.h"
#include "ui/status/paint_support.h"
#include "ui/status/view_core.h"

namespace moni::view {

void CStatusAreaView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  m_iMode = layout.statusMode;
  SetActive(layout.statusShown);
  SetVisible(layout.statusShown);
  if (!layout.statusShown) {
    ShowItem(kTroubleButton, false);
    ShowItem(kTroubleText, false);
  }
  UpdateTimer();
}

void CStatusAreaView::SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) {
  if (!m_hWnd) return;
  if (status) {
    std::wstring message;
    status->GetStatusMessage(message, m_context->files);
    SetItemText(kMessage, message);
    const int third = status->Row().third;
    SetItemText(kDetail, third > 0 ? Text(static_cast<UINT>(third)) : std::wstring());
    SetPicture(status->KindRow().values[2], status->KindRow().values[3]);
    const bool trouble = status->GetTsInfo(nullptr) != moni::status::kTsNone && m_bActive && IsVisible();
    ShowItem(kTroubleButton, trouble);
    EnableItem(kTroubleButton, trouble);
    ShowItem(kTroubleText, trouble);
  }
  const bool job = progress && progress->m_bValid;
  SetItemText(kDocument, job ? ShortenForControl(Item(kDocument), moni::ToWide(FixedText(progress->m_Record.szDocument))) : std::wstring());
}

void CStatusAreaView::SetPicture(int first, int second) {
  if (first == m_iPicture && second == m_iPicture2) return;
  CDebugLog log("CStatusAreaView::SetPicture");
  m_iPicture = first;
  m_iPicture2 = second;
  m_iFrameCount = 0;
  m_iFrame = 0;
  for (int id : {first, second}) {
    if (id <= 0) continue;
    HANDLE icon = LoadImageW(m_context->Pictures(), MAKEINTRESOURCEW(id), IMAGE_ICON, kPictureWidth, kPictureHeight, 0);
    if (!icon) {
      log.Write("Error : picture %d not found\n", id);
      continue;
    }
    m_frames[m_iFrameCount++].reset(static_cast<HICON>(icon));
  }
  for (int i = m_iFrameCount; i < 2; ++i) m_frames[i].reset();
  if (HWND picture = Item(kPicture)) InvalidateRect(picture, nullptr, FALSE);
  UpdateTimer();
}

void CStatusAreaView::UpdateTimer() {
  const bool wanted = m_hWnd && m_iFrameCount > 1 && IsVisible();
  if (wanted && !m_bTimer) m_bTimer = SetTimer(m_hWnd, kAnimationTimer, m_context->timing.animationMs, nullptr) != 0;
  if (!wanted && m_bTimer) {
    KillTimer(m_hWnd, kAnimationTimer);
    m_bTimer = false;
  }
}

void CStatusAreaView::OnEnd() {
  if (m_bTimer && m_hWnd) KillTimer(m_hWnd, kAnimationTimer);
  m_bTimer = false;
}

BOOL CStatusAreaView::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_TIMER || wParam != kAnimationTimer) return FALSE;
  if (m_iFrameCount > 1) {
    m_iFrame = (m_iFrame + 1) % m_iFrameCount;
    if (HWND picture = Item(kPicture)) InvalidateRect(picture, nullptr, FALSE);
  }
  return TRUE;
}

BOOL CStatusAreaView::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != kPicture || item.hwndItem != Item(kPicture)) return FALSE;
  CPaintBuffer buffer(item.hDC, item.rcItem);
  FillRect(buffer.dc(), &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (m_iFrameCount > 0) {
    const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - kPictureWidth) / 2;
    const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - kPictureHeight) / 2;
    DrawIconEx(buffer.dc(), x, y, m_frames[m_iFrame % m_iFrameCount].get(), kPictureWidth, kPictureHeight, 0, nullptr, DI_NORMAL);
  }
  return TRUE;
}

}  // namespace moni::view
