// CEntryIconDlg: the question whether to show a printer's status icon in the
// notification area (dialog template 145 of the model's resource library).
// One question per printer is open at a time across all processes of the
// log-on, held by the named mutex "ENTRY_ICON_DLG_MUOBJNAME_<printer>"; the
// status window asks MultiEntryIconDlgCheck before it has the question asked.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

class CEntryIconDlg {
 public:
  static constexpr int kTemplate = 145;
  static constexpr int kPromptControl = 246;
  static constexpr int kPromptString = 247;
  // Shows the printer's name when the template has it.
  static constexpr int kPrinterControl = 248;

  CEntryIconDlg(HMODULE resources, std::wstring printer);
  CEntryIconDlg(const CEntryIconDlg&) = delete;
  CEntryIconDlg& operator=(const CEntryIconDlg&) = delete;

  // Shows the question modal on this thread, without owner, centred on the
  // screen: 1 (OK), 2 (Cancel), or -1 when it cannot be shown.
  INT_PTR DoModal();
  BOOL OnInitDialog(HWND dialog);

  // The mutex name of the printer's question. A backslash (as in the name of
  // a printer connection) is not allowed in such a name and becomes "/".
  static std::wstring MutexName(const std::wstring& printer);
  // 1 when a question for the printer is open in any process, else 0.
  static int MultiEntryIconDlgCheck(const std::wstring& printer);
  // 1 and the held mutex when this thread now owns the printer's question; 0
  // when a question for it is open already or the mutex cannot be made.
  static int CreateMutex(const std::wstring& printer, moni::OwnedMutex& mutex);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  HMODULE m_hResources;
  std::wstring m_szPrinterName;
  moni::GdiHandle m_boldFont;
};
