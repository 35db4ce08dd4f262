// The further area (the tips switch and the support button of the progress
// window) and the button row (main button and sub button).
#pragma once
#include <windows.h>

#include "ui/status/sub_view.h"

namespace moni::view {

class CFurtherView : public CSubView {
 public:
  static constexpr int kTipsButton = 317, kSupportButton = 386;
  static constexpr UINT kIdsShowTips = 1640, kIdsHideTips = 1641;

  CFurtherView() : CSubView("further area") {}
  ~CFurtherView() override { Destroy(); }

  void ShowForType(int type) override;
  void SetViewStatus(const CPrinterStatus*, const CProgressInfo*) override {}
  // The tips switch names what it does next.
  void SetTipsShown(bool shown);
  void SetSupportAvailable(bool available);

 protected:
  bool OnCreate() override;
};

class CButtonRowView : public CSubView {
 public:
  static constexpr int kMainButton = 1, kSubButton = 325;

  CButtonRowView() : CSubView("button row") {}
  ~CButtonRowView() override { Destroy(); }

  void ShowForType(int type) override;
  void SetViewStatus(const CPrinterStatus*, const CProgressInfo*) override {}
  // Captions from the string ids: a button is enabled and shown only when
  // its id is not 0 and its string loads.
  void SetButtons(int mainId, int subId);
  // The main button becomes the dialog's default button and takes the focus.
  void DefaultHandling(HWND dialog);
  int Mode() const { return m_iMode; }

 private:
  void SetButton(int control, int id);
  int m_iMode = 2;
};

}  // namespace moni::view
