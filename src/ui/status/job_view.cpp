#include "ui/status/job_view.h"

#include <commctrl.h>

#include <cstring>

#include "foundation/debug_log.h"
#include "platform/text.h"
#include "ui/status/paint_support.h"
#include "ui/status/view_core.h"

namespace moni::view {
namespace {
constexpr UINT kIdsSheets = 1700, kIdsMediaType = 1560, kIdsPaperSize = 1500, kIdsPause = 1602, kIdsResume = 1603,
               kIdsInkOrder = 31299;
}

bool CJobView::OnCreate() {
  CDebugLog log("CJobView::OnCreate");
  HMODULE pictures = m_context->Pictures();
  m_logo.reset(LoadImageW(pictures, MAKEINTRESOURCEW(kLogoPicture), IMAGE_BITMAP, 0, 0, 0));
  if (m_logo) SendMessageW(Item(kLogo), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_logo.get()));
  else log.Write("Error : picture %d not found\n", kLogoPicture);
  for (int i = 0; i < kFrames; ++i) {
    m_frames[i].reset(static_cast<HICON>(LoadImageW(pictures, MAKEINTRESOURCEW(kFirstFrame + i), IMAGE_ICON, 111, 88, 0)));
  }
  if (HWND bar = Item(kProgress)) {
    SendMessageW(bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_ACTIVECAPTION)));
    SendMessageW(bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(RGB(255, 255, 255)));
    SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
  }
  SendMessageW(Item(kPaper), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);  // aligned with the texts above
  SetItemText(kInkOrder, Text(kIdsInkOrder));
  ShowItem(kInkOrder, false);
  for (int id : {kSheets, kTime, kPaper, kDocument}) SetItemText(id, L"");
  return true;
}

void CJobView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  SetActive(layout.jobActive);
  SetVisible(layout.jobShown);
  UpdateTimer();
}

void CJobView::UpdateTimer() {
  const bool wanted = m_hWnd && m_bActive && IsVisible() && m_frames[0];
  if (wanted && !m_bTimer) m_bTimer = SetTimer(m_hWnd, kAnimationTimer, m_context->timing.animationMs, nullptr) != 0;
  if (!wanted && m_bTimer) {
    KillTimer(m_hWnd, kAnimationTimer);
    m_bTimer = false;
  }
}

void CJobView::OnEnd() {
  if (m_bTimer && m_hWnd) KillTimer(m_hWnd, kAnimationTimer);
  m_bTimer = false;
}

BOOL CJobView::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_TIMER || wParam != kAnimationTimer) return FALSE;
  m_iFrame = (m_iFrame + 1) % kFrames;
  if (HWND animation = Item(kAnimation)) InvalidateRect(animation, nullptr, FALSE);
  return TRUE;
}

BOOL CJobView::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem == Item(kInkOrder) && item.hwndItem) {
    DrawHighlightButton(item);
    return TRUE;
  }
  if (item.hwndItem != Item(kAnimation) || !item.hwndItem) return FALSE;
  CPaintBuffer buffer(item.hDC, item.rcItem);
  FillRect(buffer.dc(), &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HICON frame = m_frames[m_iFrame % kFrames].get();
  if (!frame) frame = m_frames[0].get();
  if (frame) {
    const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - 111) / 2;
    const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - 88) / 2;
    DrawIconEx(buffer.dc(), x, y, frame, 111, 88, 0, nullptr, DI_NORMAL);
  }
  return TRUE;
}

void CJobView::SetViewStatus(const CPrinterStatus*, const CProgressInfo* progress) {
  if (!m_hWnd) return;
  moni::progress::JobRecord record;
  std::memset(&record, 0, sizeof record);
  const bool valid = progress && progress->m_bValid;
  if (valid) record = progress->m_Record;

  SetItemText(kDocument, valid ? ShortenForControl(Item(kDocument), ToWide(FixedText(record.szDocument))) : std::wstring());
  SetItemText(kSheets, valid ? ToWide(FormatText(ToU16(Text(kIdsSheets)), {record.dwSheets[0], record.dwSheets[1]})) : std::wstring());
  const TimeText time = RemainingTimeText(valid && record.bInfo104 != 0, record.dwInfo104);
  SetItemText(kTime, time.stringId ? ToWide(FormatText(ToU16(Text(static_cast<UINT>(time.stringId))), {time.value})) : std::wstring());

  if (HWND bar = Item(kProgress)) {
    const auto total = static_cast<std::int32_t>(record.dwProgress[1]);
    const auto current = static_cast<std::int32_t>(record.dwProgress[0]);
    if (total < 1) {
      SendMessageW(bar, PBM_SETRANGE32, 0, 100);
      SendMessageW(bar, PBM_SETPOS, 0, 0);
    } else {
      SendMessageW(bar, PBM_SETRANGE32, 0, total);
      if (current >= 0) SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(current), 0);
    }
  }

  if (std::memcmp(m_wPaperCodes, record.wPaperCodes, sizeof m_wPaperCodes) != 0) {
    std::memcpy(m_wPaperCodes, record.wPaperCodes, sizeof m_wPaperCodes);
    const std::u16string media(FixedText(record.szMediaType)), size(FixedText(record.szPaperSize));
    std::wstring paper;
    if (!media.empty() || !size.empty()) {
      paper = Text(kIdsMediaType) + L" : " + ToWide(media) + L"\r\n" + Text(kIdsPaperSize) + L" : " + ToWide(size);
    }
    SetItemText(kPaper, paper);
  }

  if (record.dwJobId != m_dwJobId) {
    m_dwJobId = record.dwJobId;
    if (m_bActive) {
      EnableItem(kStop, true);
      EnableItem(kPause, true);
    }
  }
  const int caption = (record.dwJobStatus & moni::progress::kJobStatusPaused) ? kIdsResume : kIdsPause;
  if (caption != m_iPauseCaption) {
    m_iPauseCaption = caption;
    SetItemText(kPause, Text(static_cast<UINT>(caption)));
    HWND pause = Item(kPause), stop = Item(kStop);
    if (m_bActive && pause && stop && !IsWindowEnabled(pause) && IsWindowEnabled(stop)) {
      EnableWindow(pause, TRUE);
      SetFocus(pause);
    }
  }
}

void CJobView::DisableStopAndPause() {
  EnableItem(kStop, false);
  EnableItem(kPause, false);
}

void CJobView::DisablePause() { EnableItem(kPause, false); }

void CJobView::SetInkOrderButton(bool present, const std::wstring& caption) {
  SetItemText(kInkOrder, caption.empty() ? Text(kIdsInkOrder) : caption);
  ShowItem(kInkOrder, present);
}

}  // namespace moni::view
