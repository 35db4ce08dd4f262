#include "ui/status/modeless_dialog.h"

#include "foundation/debug_log.h"

CModelessDialog::~CModelessDialog() = default;

INT_PTR CModelessDialog::RunDialog(HMODULE module, int templateId) {
  CDebugLog log("CModelessDialog::RunDialog");
  m_bEnded = false;
  m_nCode = 0;
  if (!module || !FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5))) {
    log.Write("Error : template %d is missing\n", templateId);
    return -1;
  }
  m_window.reset(CreateDialogParamW(module, MAKEINTRESOURCEW(templateId), nullptr, &CModelessDialog::StaticProc,
                                    reinterpret_cast<LPARAM>(this)));
  if (!m_window) {
    log.Write("Error : CreateDialog %d : %lu\n", templateId, GetLastError());
    m_hWnd = nullptr;
    return -1;
  }
  bool hostQuit = false;
  WPARAM hostCode = 0;
  MSG msg;
  while (!m_bEnded) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) {
      log.Write("Error : GetMessage : %lu\n", GetLastError());
      EndDialog(2);
      break;
    }
    if (got == 0) {
      // The host was asked to end: the dialog ends and the host's loop gets
      // its quit message after all.
      hostQuit = true;
      hostCode = msg.wParam;
      EndDialog(2);
      break;
    }
    if (!IsDialogMessageW(m_hWnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  m_window.reset();
  m_hWnd = nullptr;
  if (hostQuit) PostQuitMessage(static_cast<int>(hostCode));
  log.Write("End code : %d\n", static_cast<long long>(m_nCode));
  return m_nCode;
}

void CModelessDialog::EndDialog(INT_PTR code) {
  if (!m_hWnd || !IsWindow(m_hWnd) || m_bEnded) return;
  m_bEnded = true;
  m_nCode = code;
  PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop when this came from another message loop
}

INT_PTR CModelessDialog::SetResult(LRESULT result) {
  SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CALLBACK CModelessDialog::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CModelessDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CModelessDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->m_hWnd = window;
  }
  if (!self || self->m_hWnd != window) return FALSE;
  return self->DialogProc(message, wParam, lParam);
}
