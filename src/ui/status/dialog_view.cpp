#include "ui/status/dialog_view.h"

#include "foundation/debug_log.h"
#include "foundation/registry_key.h"
#include "platform/text.h"

using namespace moni::view;

namespace {
constexpr UINT kIdsProduct = 1100;
}

CDialogView::~CDialogView() { Destroy(); }

CSubView& CDialogView::SubView(SubViewIndex i) {
  switch (i) {
    case kStatusArea: return m_status;
    case kJobArea: return m_job;
    case kInkArea: return m_ink;
    case kTipsArea: return m_tips;
    case kFurtherArea: return m_further;
    default: return m_buttons;
  }
}

bool CDialogView::Create(HWND window, HMODULE resource, const std::wstring& setupData, const std::wstring& modelId) {
  ViewContext context = ViewContext::FromBaseInfo(resource, nullptr);
  context.setupData = setupData;
  context.modelId = modelId;
  return Create(window, context);
}

bool CDialogView::Create(HWND window, const ViewContext& context) {
  CDebugLog log("CDialogView::Create");
  Destroy();
  m_hWnd = window;
  m_context = context;
  for (int i = 0; i < kSubViews; ++i) {
    if (!SubView(static_cast<SubViewIndex>(i)).Create(window, m_context, m_context.templates[i])) {
      log.Write("Error : sub-view %d cannot be made, the view is not created\n", i);
      Destroy();
      return false;
    }
  }
  DWORD display = 1;
  if (!m_context.printerKey.empty()) {
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, m_context.printerKey)) display = key.QueryDword(L"DisplayTips", 1);
  }
  m_tips.SetDisplayTips(display != 0);
  m_further.SetTipsShown(display != 0);
  m_buttons.SetButtons(m_iMainId, m_iSubId);

  RECT r = {};
  GetWindowRect(window, &r);
  m_iWidth = r.right - r.left;
  m_iHeight = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFIXEDFRAME);
  m_bCreated = true;
  return true;
}

void CDialogView::Destroy() {
  m_bCreated = false;
  for (int i = 0; i < kSubViews; ++i) SubView(static_cast<SubViewIndex>(i)).Destroy();
  m_iDialogType = 0;
  m_iMainId = kIdsClose;
  m_iSubId = 0;
  m_hCartridgeDlg = nullptr;
}

void CDialogView::End() {
  for (int i = 0; i < kSubViews; ++i) SubView(static_cast<SubViewIndex>(i)).End();
}

HWND CDialogView::Item(int id) const {
  auto& self = const_cast<CDialogView&>(*this);
  for (int i = 0; i < kSubViews; ++i) {
    if (HWND item = self.SubView(static_cast<SubViewIndex>(i)).Item(id)) return item;
  }
  return nullptr;
}

std::wstring CDialogView::Caption() const {
  const std::wstring product = moni::LoadResourceString(m_context.resource, kIdsProduct);
  return moni::ToWide(ViewCaption(m_iDialogType, moni::ToU16(product), moni::ToU16(m_context.printerName), moni::ToU16(m_context.portName)));
}

void CDialogView::SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) {
  if (!m_bCreated) return;
  for (int i = 0; i < kSubViews; ++i) SubView(static_cast<SubViewIndex>(i)).SetViewStatus(status, progress);
  if (m_iDialogType == kProgress && IsIconic(m_hWnd)) {
    std::wstring caption = Caption();
    if (progress && progress->m_bValid && progress->m_Record.dwProgress[1] != 0) {
      caption = moni::ToWide(MinimizedPrefix(progress->m_Record.dwProgress[0], progress->m_Record.dwProgress[1])) + caption;
    }
    SetWindowTextW(m_hWnd, caption.c_str());
  }
  if (status) {
    m_iButton1 = status->Row().button1;
    m_iButton2 = status->Row().button2;
    m_bAllowsReset = AllowsJobReset(*status);
  }
  if (m_iDialogType == kPopup || m_iDialogType == kDetail) ApplyButtons();
  // A sub-view that grew or shrank with its texts moves the ones below it.
  for (int i = 0; i < kSubViews; ++i) {
    CSubView& view = SubView(static_cast<SubViewIndex>(i));
    if (m_iDialogType != 0 && view.IsVisible() && view.GetSize().cy != m_laidOut[i]) {
      Layout();
      break;
    }
  }
}

void CDialogView::ApplyButtons() {
  const ButtonPair pair = MapButtons(m_iDialogType, m_iButton1, m_iButton2, m_bAllowsReset);
  if (pair.main != m_iMainId || pair.sub != m_iSubId) {
    CDebugLog("CDialogView::SetButton").Write("Button Condition Change\n");
    m_iMainId = pair.main;
    m_iSubId = pair.sub;
    m_buttons.SetButtons(m_iMainId, m_iSubId);
  }
  SetSystemMenu();
}

void CDialogView::SetSystemMenu() {
  const TypeLayout layout = LayoutOfType(m_iDialogType);
  HMENU menu = GetSystemMenu(m_hWnd, FALSE);
  if (!menu) return;
  const bool close = layout.closeByButton && CloseEnabled(m_iDialogType, m_iMainId);
  EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (close ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | (layout.minimizeEnabled ? MF_ENABLED : MF_GRAYED));
}

int CDialogView::ChangeDialogType(int type) {
  CDebugLog log("CDialogView::ChangeDialogType");
  const int previous = m_iDialogType;
  type = NormalizeDialogType(type);
  if (!m_bCreated || type == previous) return previous;
  log.Write("Dialog type : %d -> %d\n", previous, type);
  m_iDialogType = type;
  SetWindowTextW(m_hWnd, Caption().c_str());

  const TypeLayout layout = LayoutOfType(type);
  for (int i = 0; i < kSubViews; ++i) SubView(static_cast<SubViewIndex>(i)).ShowForType(type);
  if (layout.buttonsShown) ApplyButtons();

  LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  const LONG_PTR wanted = layout.minimizeBox ? (style | WS_MINIMIZEBOX) : (style & ~static_cast<LONG_PTR>(WS_MINIMIZEBOX));
  if (wanted != style) {
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, wanted);
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  SetSystemMenu();

  if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_RESTORE);
  if (type != kDetail && m_hCartridgeDlg && IsWindow(m_hCartridgeDlg)) {
    SendMessageW(m_hCartridgeDlg, WM_CLOSE, 0, 0);
    m_hCartridgeDlg = nullptr;
  }
  Layout();
  BringForward(type);
  if (type != kProgress) m_buttons.DefaultHandling(m_hWnd);
  return previous;
}

void CDialogView::Layout() {
  if (!m_bCreated) return;
  // The stack starts at the top of the client area; the window is as high
  // as its frame and title bar plus the stack.
  const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE), exStyle = GetWindowLongW(m_hWnd, GWL_EXSTYLE);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(exStyle));
  std::vector<StackItem> items;
  for (int i = 0; i < kSubViews; ++i) {
    CSubView& view = SubView(static_cast<SubViewIndex>(i));
    m_laidOut[i] = static_cast<int>(view.GetSize().cy);
    items.push_back({view.IsVisible(), m_laidOut[i]});
  }
  const StackResult stack = StackSubViews(items, frame.bottom - frame.top);
  for (int i = 0; i < kSubViews; ++i) SubView(static_cast<SubViewIndex>(i)).Move(0, stack.top[static_cast<size_t>(i)]);
  m_iHeight = stack.windowHeight;
  if (IsIconic(m_hWnd)) return;
  RECT r;
  GetWindowRect(m_hWnd, &r);
  m_iWidth = r.right - r.left;
  SetWindowPos(m_hWnd, nullptr, 0, 0, m_iWidth, m_iHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CDialogView::BringForward(int type) {
  if (!m_bCreated) return;
  switch (NormalizeDialogType(type)) {
    case kProgress:
      ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
      SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case kHideProgress:
      ShowWindow(m_hWnd, SW_HIDE);
      break;
    default:
      SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
      SetForegroundWindow(m_hWnd);
      break;
  }
}

BOOL CDialogView::DrawItem(const DRAWITEMSTRUCT& item) {
  for (int i = 0; i < kSubViews; ++i) {
    if (SubView(static_cast<SubViewIndex>(i)).DrawItem(item)) return TRUE;
  }
  return FALSE;
}

void CDialogView::SetDisplayTips(bool display) {
  m_tips.SetDisplayTips(display);
  m_further.SetTipsShown(display);
  Layout();
}

void CDialogView::SetInkOrderButtons(bool present, const std::wstring& caption) {
  m_ink.SetInkOrderButton(present, caption);
  m_job.SetInkOrderButton(present, caption);
}
