// The help of the monitoring preferences: HTML help (a ".chm" file, through
// the system's HTML help control, loaded when first needed) or classic help,
// with the dialog's help map. Without a help file every request does nothing.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

class CDuvHelp {
 public:
  explicit CDuvHelp(std::wstring helpFile);
  ~CDuvHelp();
  CDuvHelp(const CDuvHelp&) = delete;
  CDuvHelp& operator=(const CDuvHelp&) = delete;

  const std::wstring& File() const { return m_strFile; }
  bool IsHtml() const { return m_bHtml; }

  // The help button: the dialog's own topic.
  void ShowDialogTopic(HWND owner);
  // The pop-up topic of a help context at the cursor (HTML help), or the
  // platform's help on the control with the help map (classic help).
  void ShowPopupTopic(HWND control, DWORD context);
  // The platform's what's-this (F1) or context-menu help with the help map.
  void ShowMapHelp(HWND control, bool contextMenu);

 private:
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  HtmlHelpFn Html();

  std::wstring m_strFile;
  bool m_bHtml = false;
  moni::Module m_hhctrl;
  HtmlHelpFn m_fnHtmlHelp = nullptr;
  DWORD m_dwCookie = 0;  // the HTML help session
};
