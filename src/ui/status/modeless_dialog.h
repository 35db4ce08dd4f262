// CModelessDialog: a dialog made from a template of a resource library that
// runs a message loop of its own on the calling thread until it ends, and
// hands every message to the virtual dialog procedure of the derived class.
// The window has no owner, so the host's own windows stay usable meanwhile.
#pragma once
#include <windows.h>

#include "platform/handles.h"

class CModelessDialog {
 public:
  CModelessDialog() = default;
  virtual ~CModelessDialog();
  CModelessDialog(const CModelessDialog&) = delete;
  CModelessDialog& operator=(const CModelessDialog&) = delete;

  // Makes the dialog from template `templateId` of `module` and runs its
  // message loop until it ends; the window is destroyed before this returns.
  // Returns the end code, or -1 when the dialog cannot be made. A quit
  // message that the host's thread receives meanwhile ends the dialog with
  // code 2 and is posted again for the host's own loop.
  INT_PTR RunDialog(HMODULE module, int templateId);

  HWND Window() const { return m_hWnd; }
  bool Ended() const { return m_bEnded; }

 protected:
  // Ends the dialog with `code` once the current message is handled; nothing
  // happens when the window does not exist (any more).
  void EndDialog(INT_PTR code);

  // The dialog procedure: TRUE when the message was handled (a result goes
  // through SetResult), as for a dialog box procedure.
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // The result of the message being handled (DWLP_MSGRESULT); returns TRUE.
  INT_PTR SetResult(LRESULT result);

 private:
  static INT_PTR CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;
  moni::WindowHandle m_window;
  bool m_bEnded = false;
  INT_PTR m_nCode = 0;
};
