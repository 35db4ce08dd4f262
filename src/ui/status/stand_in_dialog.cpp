#include "ui/status/stand_in_dialog.h"

#include "foundation/debug_log.h"

struct CStandInDialog::Args {
  HMODULE resources;
  const std::wstring* text;
  const std::wstring* detail;
  const std::function<void(HWND)>* opened;
};

INT_PTR CALLBACK CStandInDialog::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const Args& args = *reinterpret_cast<const Args*>(lParam);
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      if (HWND text = GetDlgItem(hwnd, kText); text && !args.text->empty()) SetWindowTextW(text, args.text->c_str());
      if (HWND detail = GetDlgItem(hwnd, kDetail); detail && !args.detail->empty()) SetWindowTextW(detail, args.detail->c_str());
      if (HWND icon = GetDlgItem(hwnd, kIcon)) {
        // The icon is the template's (a shared resource: not destroyed).
        if (HICON picture = static_cast<HICON>(LoadImageW(args.resources, MAKEINTRESOURCEW(621), IMAGE_ICON, 32, 32, LR_SHARED)))
          SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
      }
      RECT r{};
      GetWindowRect(hwnd, &r);
      const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
      const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
      SetWindowPos(hwnd, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      SetForegroundWindow(hwnd);
      if (*args.opened) (*args.opened)(hwnd);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        const auto* args = reinterpret_cast<const Args*>(GetWindowLongPtrW(hwnd, DWLP_USER));
        if (args && *args->opened) (*args->opened)(nullptr);
        EndDialog(hwnd, LOWORD(wParam) == IDOK ? kContinue : kCancelJob);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CStandInDialog::Run(HMODULE resources, int templateId, HWND owner, const std::wstring& text, const std::wstring& detail,
                            const std::function<void(HWND)>& opened) {
  CDebugLog log("CStandInDialog::Run");
  if (!resources || !FindResourceW(resources, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5))) {
    log.Write("Error : no template %d\n", templateId);
    return -1;
  }
  Args args{resources, &text, &detail, &opened};
  const INT_PTR result =
      DialogBoxParamW(resources, MAKEINTRESOURCEW(templateId), owner, &CStandInDialog::Proc, reinterpret_cast<LPARAM>(&args));
  log.Write("template %d : %d\n", templateId, static_cast<long long>(result));
  if (result != kContinue && result != kCancelJob) {
    if (opened) opened(nullptr);
    return -1;
  }
  return result;
}
