#include "ui/status/sub_view.h"

#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "ui/status/paint_support.h"

namespace moni::view {

ViewContext ViewContext::FromBaseInfo(HMODULE resource, HMODULE bitmaps) {
  const CBaseInfo& base = CBaseInfo::Instance();
  ViewContext context;
  context.resource = resource;
  context.bitmaps = bitmaps;
  context.setupData = base.ProfileName;
  context.modelId = base.ModelID;
  context.printerName = base.PrinterName;
  context.portName = base.PortName;
  context.printerKey = base.CurrentUserKey;
  context.files = moni::status::ModelFiles::FromBaseInfo();
  return context;
}

CSubView::~CSubView() { Destroy(); }

bool CSubView::Create(HWND parent, const ViewContext& context, int templateId) {
  CDebugLog log("CSubView::Create");
  Destroy();
  m_context = &context;
  m_hParent = parent;
  if (!context.resource || !FindResourceW(context.resource, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5))) {
    log.Write("Error : %s : template %d is missing\n", m_name, templateId);
    return false;
  }
  m_hWnd = CreateDialogParamW(context.resource, MAKEINTRESOURCEW(templateId), parent, &CSubView::DialogProc,
                              reinterpret_cast<LPARAM>(this));
  if (!m_hWnd) {
    log.Write("Error : %s : CreateDialog %d : %u\n", m_name, templateId, GetLastError());
    return false;
  }
  if (!OnCreate()) {
    log.Write("Error : %s : its controls are missing\n", m_name);
    Destroy();
    return false;
  }
  return true;
}

void CSubView::Destroy() {
  if (m_hWnd) {
    OnEnd();
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
  }
}

bool CSubView::IsVisible() const { return m_hWnd && (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0; }

void CSubView::End() {
  OnEnd();
  SetVisible(false);
}

void CSubView::SetActive(bool active) {
  m_bActive = active;
  if (m_hWnd) EnableWindow(m_hWnd, active);
}

SIZE CSubView::GetSize() const {
  RECT r = {};
  if (m_hWnd) GetWindowRect(m_hWnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void CSubView::Move(int x, int y) {
  if (m_hWnd) SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CSubView::DrawItem(const DRAWITEMSTRUCT&) { return FALSE; }

void CSubView::SetVisible(bool visible) {
  if (m_hWnd) ShowWindow(m_hWnd, visible ? SW_SHOWNA : SW_HIDE);
}

void CSubView::SetItemText(int id, const std::wstring& text) {
  HWND item = Item(id);
  if (!item) return;
  wchar_t current[1024] = {};
  const int length = GetWindowTextW(item, current, 1024);
  if (length >= 1023 || text != current) SetWindowTextW(item, text.c_str());
}

void CSubView::ShowItem(int id, bool shown) {
  if (HWND item = Item(id)) ShowWindow(item, shown ? SW_SHOWNA : SW_HIDE);
}

void CSubView::EnableItem(int id, bool enabled) {
  if (HWND item = Item(id)) EnableWindow(item, enabled);
}

INT_PTR CALLBACK CSubView::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    reinterpret_cast<CSubView*>(lParam)->m_hWnd = hwnd;
    return FALSE;
  }
  auto* self = reinterpret_cast<CSubView*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      // The status window handles every control by its id.
      SendMessageW(self->m_hParent, WM_COMMAND, wParam, lParam);
      return TRUE;
    case WM_DRAWITEM: {
      const BOOL drawn = self->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, drawn);
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      // The ink-order text (388) stands on the highlight while it can be
      // clicked; disabled, its grey text would not be readable on it.
      const HWND control = reinterpret_cast<HWND>(lParam);
      const bool highlight = message == WM_CTLCOLORSTATIC && GetDlgCtrlID(control) == 388 && IsWindowEnabled(control);
      SetBkColor(dc, highlight ? kHighlight : RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(highlight ? self->m_highlightBrush.get() : self->m_whiteBrush.get());
    }
    default:
      return self->OnMessage(message, wParam, lParam);
  }
}

void DrawHighlightButton(const DRAWITEMSTRUCT& item) {
  CPaintBuffer buffer(item.hDC, item.rcItem);
  HDC dc = buffer.dc();
  RECT r = item.rcItem;
  // A disabled button loses its colour: grey text on the highlight is not
  // readable, and a coloured button looks as if it could be pressed.
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  GdiHandle brush(CreateSolidBrush(disabled ? GetSysColor(COLOR_BTNFACE) : kHighlight));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  if (item.itemState & ODS_SELECTED) OffsetRect(&r, 1, 1);
  wchar_t text[256] = {};
  GetWindowTextW(item.hwndItem, text, 256);
  SelectedObject font(dc, ParentFont(item.hwndItem));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace moni::view
