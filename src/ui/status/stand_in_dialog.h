// CStandInDialog: the dialogs of the status window that other parts of the
// product provide (troubleshooting, the version, double-sided printing, the
// cartridge check and information, the paper-gap lever alert) in their
// simplest form: the template of the resource library, the caller's
// arguments in its text control, and the answer of its buttons.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class CStandInDialog {
 public:
  // Templates.
  static constexpr int kTroubleshooting = 103, kVersion = 104, kDoubleSided = 105, kCartridgeCheck = 107,
                       kPaperGapLever = 124;
  // Controls: the arguments (the version dialog: the product name), a second
  // text (the version dialog: the version), and the icon.
  static constexpr int kText = 1001, kDetail = 1002, kIcon = 1003;
  // Answers: OK / continue, Cancel / cancel the job (also the close box).
  static constexpr INT_PTR kContinue = 1, kCancelJob = 2;

  // Runs template `templateId` of `resources` modally, owned by `owner`, with
  // `text` in control kText and `detail` in kDetail (where the template has
  // them). `opened` is called with the dialog once it is shown, and with null
  // when it ends. Returns kContinue or kCancelJob; -1 when the template cannot
  // be shown.
  static INT_PTR Run(HMODULE resources, int templateId, HWND owner, const std::wstring& text, const std::wstring& detail = {},
                     const std::function<void(HWND)>& opened = {});

 private:
  struct Args;
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
