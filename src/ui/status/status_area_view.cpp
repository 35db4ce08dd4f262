#include "ui/status/status_area_view.h"

#include <algorithm>
#include <vector>

#include "foundation/debug_log.h"
#include "platform/text.h"
#include "ui/status/paint_support.h"
#include "ui/status/view_core.h"

namespace moni::view {

namespace {
RECT ChildRect(HWND dialog, HWND child) {
  RECT r = {};
  if (child) {
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}
}  // namespace

bool CStatusAreaView::OnCreate() {
  // The status message stands out in bold.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  LOGFONTW lf = {};
  if (font && GetObjectW(font, sizeof lf, &lf)) {
    lf.lfWeight = FW_BOLD;
    m_boldFont.reset(CreateFontIndirectW(&lf));
    if (m_boldFont) SendMessageW(Item(kMessage), WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont.get()), FALSE);
  }
  const RECT message = ChildRect(m_hWnd, Item(kMessage));
  const RECT detail = ChildRect(m_hWnd, Item(kDetail));
  const RECT picture = ChildRect(m_hWnd, Item(kPicture));
  const RECT button = ChildRect(m_hWnd, Item(kTroubleButton));
  m_columnLeft = message.left;
  m_columnWidth = message.right - message.left;
  m_margin = message.top;
  m_gap = detail.top > message.bottom ? detail.top - message.bottom : 2;
  m_pictureBottom = picture.bottom;
  m_buttonWidth = button.right - button.left;
  m_buttonHeight = button.bottom - button.top;
  ArrangeRows();
  return true;
}

int CStatusAreaView::TextHeight(int id, int width) const {
  HWND item = Item(id);
  if (!item) return 0;
  wchar_t text[1024] = {};
  GetWindowTextW(item, text, 1024);
  HDC dc = GetDC(item);
  if (!dc) return 0;
  RECT r = {0, 0, width, 0};
  {
    SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text[0] ? text : L" ", -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  }
  ReleaseDC(item, dc);
  return r.bottom - r.top;
}

void CStatusAreaView::ArrangeRows() {
  if (!m_hWnd || m_columnWidth <= 0) return;
  auto hasText = [&](int id) { return GetWindowTextLengthW(Item(id)) > 0; };
  // The troubleshooting row: the offer's text beside its button at the right.
  const int buttonLeft = m_columnLeft + m_columnWidth - m_buttonWidth;
  const int labelWidth = buttonLeft - m_columnLeft - m_gap;
  const int labelHeight = TextHeight(kTroubleText, labelWidth);
  const std::vector<StackItem> rows = {{true, TextHeight(kMessage, m_columnWidth)},
                                       {hasText(kDetail), TextHeight(kDetail, m_columnWidth)},
                                       {hasText(kDocument), TextHeight(kDocument, m_columnWidth)},
                                       {m_bTrouble, std::max(m_buttonHeight, labelHeight)}};
  const RowResult placed = StackRows(m_margin, m_gap, rows);
  const int ids[] = {kMessage, kDetail, kDocument};
  for (size_t i = 0; i < 3; ++i) {
    SetWindowPos(Item(ids[i]), nullptr, m_columnLeft, placed.top[i], m_columnWidth, rows[i].height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowItem(ids[i], rows[i].visible);
  }
  const int rowHeight = rows[3].height;
  SetWindowPos(Item(kTroubleButton), nullptr, buttonLeft, placed.top[3] + (rowHeight - m_buttonHeight) / 2, m_buttonWidth,
               m_buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(Item(kTroubleText), nullptr, m_columnLeft, placed.top[3] + (rowHeight - labelHeight) / 2, labelWidth, labelHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(m_hWnd, &client);
  m_iHeight = std::max(m_pictureBottom, placed.bottom) + m_margin;
  SetWindowPos(m_hWnd, nullptr, 0, 0, client.right, m_iHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE CStatusAreaView::GetSize() const {
  SIZE size = CSubView::GetSize();
  if (m_iHeight > 0) size.cy = m_iHeight;
  return size;
}

void CStatusAreaView::ShowTroubleshooting() {
  const bool shown = m_bTrouble && m_bActive;
  ShowItem(kTroubleButton, shown);
  EnableItem(kTroubleButton, shown);
  ShowItem(kTroubleText, shown);
}

void CStatusAreaView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  m_iMode = layout.statusMode;
  SetActive(layout.statusShown);
  SetVisible(layout.statusShown);
  ShowTroubleshooting();
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
    m_bTrouble = status->GetTsInfo(nullptr) != moni::status::kTsNone;
    ShowTroubleshooting();
  }
  const bool job = progress && progress->m_bValid;
  SetItemText(kDocument, job ? ShortenForControl(Item(kDocument), moni::ToWide(FixedText(progress->m_Record.szDocument))) : std::wstring());
  ArrangeRows();
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
