#include "ui/prefs/entry_icon_dlg.h"

#include "foundation/debug_log.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kMutexPrefix[] = L"ENTRY_ICON_DLG_MUOBJNAME_";

void CentreOnScreen(HWND window) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  RECT frame = {};
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor) || !GetWindowRect(window, &frame))
    return;
  const RECT& area = monitor.rcWork;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CEntryIconDlg::CEntryIconDlg(HMODULE resources, std::wstring printer)
    : m_hResources(resources), m_szPrinterName(std::move(printer)) {}

std::wstring CEntryIconDlg::MutexName(const std::wstring& printer) {
  std::wstring name = kMutexPrefix + printer;
  for (wchar_t& c : name) {
    if (c == L'\\') c = L'/';
  }
  return name;
}

int CEntryIconDlg::MultiEntryIconDlgCheck(const std::wstring& printer) {
  moni::KernelHandle open(OpenMutexW(SYNCHRONIZE, FALSE, MutexName(printer).c_str()));
  return open ? 1 : 0;
}

int CEntryIconDlg::CreateMutex(const std::wstring& printer, moni::OwnedMutex& mutex) {
  CDebugLog log("CEntryIconDlg::CreateMutex");
  mutex.reset();
  if (MultiEntryIconDlgCheck(printer)) {
    log.Write("Error CreateMutex(muiti execute error)\n");
    return 0;
  }
  moni::OwnedMutex made(::CreateMutexW(nullptr, TRUE, MutexName(printer).c_str()));
  const DWORD error = GetLastError();
  if (!made || error == ERROR_ALREADY_EXISTS) {
    log.Write("Error CreateMutex(muiti execute error)\n");
    return 0;
  }
  mutex = std::move(made);
  return 1;
}

INT_PTR CEntryIconDlg::DoModal() {
  CDebugLog log("CEntryIconDlg::DoModal");
  const INT_PTR result = DialogBoxParamW(m_hResources, MAKEINTRESOURCEW(kTemplate), nullptr, &CEntryIconDlg::DialogProc,
                                         reinterpret_cast<LPARAM>(this));
  log.Write("DialogBoxParam : %d\n", static_cast<int>(result));
  return result == IDOK || result == IDCANCEL ? result : -1;
}

BOOL CEntryIconDlg::OnInitDialog(HWND dialog) {
  SetDlgItemTextW(dialog, kPromptControl, moni::LoadResourceString(m_hResources, kPromptString).c_str());
  if (HWND name = GetDlgItem(dialog, kPrinterControl)) {
    LOGFONTW font = {};
    if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(name, WM_GETFONT, 0, 0)), sizeof font, &font)) {
      font.lfWeight = FW_BOLD;
      m_boldFont.reset(CreateFontIndirectW(&font));
      if (m_boldFont) SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont.get()), FALSE);
    }
    SetWindowTextW(name, m_szPrinterName.c_str());
  }
  CentreOnScreen(dialog);
  if (!SetForegroundWindow(dialog)) {
    // Not allowed to take the foreground: shown above the others once, without
    // staying on top and without taking the focus from the user.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return TRUE;
}

INT_PTR CALLBACK CEntryIconDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* self = reinterpret_cast<CEntryIconDlg*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      return self ? self->OnInitDialog(dialog) : TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}
