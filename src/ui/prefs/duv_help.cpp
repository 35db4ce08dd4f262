#include "ui/prefs/duv_help.h"

#include <htmlhelp.h>

#include "foundation/debug_log.h"
#include "platform/text.h"
#include "ui/prefs/prefs_core.h"

namespace {

// The help map in the form the platform's help functions take.
const DWORD* HelpIds() {
  static const std::vector<DWORD> ids = [] {
    std::vector<DWORD> out;
    for (const auto& entry : moni::prefs::HelpMap()) {
      out.push_back(entry.control);
      out.push_back(entry.context);
    }
    return out;
  }();
  return ids.data();
}

}  // namespace

CDuvHelp::CDuvHelp(std::wstring helpFile) : m_strFile(std::move(helpFile)) {
  m_bHtml = moni::prefs::IsHtmlHelpFile(moni::ToU16(m_strFile));
  if (m_bHtml && Html()) m_fnHtmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&m_dwCookie));
}

CDuvHelp::~CDuvHelp() {
  if (m_fnHtmlHelp && m_dwCookie) m_fnHtmlHelp(nullptr, nullptr, HH_UNINITIALIZE, m_dwCookie);
}

CDuvHelp::HtmlHelpFn CDuvHelp::Html() {
  if (!m_fnHtmlHelp && !m_hhctrl) {
    m_hhctrl.reset(LoadLibraryW(L"hhctrl.ocx"));
    if (m_hhctrl) m_fnHtmlHelp = moni::ProcAddress<HtmlHelpFn>(m_hhctrl.get(), "HtmlHelpW");
    if (!m_fnHtmlHelp) CDebugLog("CDuvHelp").Write("Error : HTML help not available\n");
  }
  return m_fnHtmlHelp;
}

void CDuvHelp::ShowDialogTopic(HWND owner) {
  CDebugLog log("CDuvEnvDlg::OnHelp");
  if (m_strFile.empty()) {
    log.Write("No help file\n");
    return;
  }
  if (!m_bHtml) {
    WinHelpW(owner, m_strFile.c_str(), HELP_CONTEXT, moni::prefs::kDialogHelpContext);
  } else if (Html()) {
    m_fnHtmlHelp(owner, m_strFile.c_str(), HH_HELP_CONTEXT, moni::prefs::kDialogHelpContext);
  }
}

void CDuvHelp::ShowPopupTopic(HWND control, DWORD context) {
  CDebugLog log("CDuvEnvDlg::ShowPopupTopic");
  if (m_strFile.empty() || context == 0) return;
  if (!m_bHtml) {
    WinHelpW(control, m_strFile.c_str(), HELP_CONTEXTPOPUP, context);
    return;
  }
  if (!Html()) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const auto rect = moni::prefs::HelpWindowRect(cursor.x, cursor.y, {work.left, work.top, work.right, work.bottom});
  std::wstring type = moni::AsWide(moni::prefs::kHelpWindowType);
  HH_WINTYPE window = {};
  window.cbStruct = sizeof window;
  window.fUniCodeStrings = TRUE;
  window.fsValidMembers = HHWIN_PARAM_PROPERTIES | HHWIN_PARAM_STYLES | HHWIN_PARAM_RECT;
  window.pszType = type.c_str();
  window.fsWinProperties = HHWIN_PROP_NODEF_STYLES | HHWIN_PROP_NOTITLEBAR;
  window.dwStyles = WS_POPUP | WS_BORDER;
  window.rcWindowPos = {rect.left, rect.top, rect.right, rect.bottom};
  m_fnHtmlHelp(nullptr, nullptr, HH_SET_WIN_TYPE, reinterpret_cast<DWORD_PTR>(&window));
  const std::wstring topic = moni::ToWide(moni::prefs::HtmlHelpTopic(moni::ToU16(m_strFile), context));
  log.Write("Topic : %s\n", topic);
  m_fnHtmlHelp(control, topic.c_str(), HH_DISPLAY_TOPIC, 0);
}

void CDuvHelp::ShowMapHelp(HWND control, bool contextMenu) {
  if (m_strFile.empty()) return;
  const auto ids = reinterpret_cast<DWORD_PTR>(HelpIds());
  if (!m_bHtml) {
    WinHelpW(control, m_strFile.c_str(), contextMenu ? HELP_CONTEXTMENU : HELP_WM_HELP, ids);
  } else if (Html()) {
    m_fnHtmlHelp(control, m_strFile.c_str(), contextMenu ? HH_TP_HELP_CONTEXTMENU : HH_TP_HELP_WM_HELP, ids);
  }
}
