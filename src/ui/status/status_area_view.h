// The status message area: the status picture (animated), the status
// message, the detail text, the troubleshooting offer and the current job's
// document name.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "ui/status/sub_view.h"

namespace moni::view {

class CStatusAreaView : public CSubView {
 public:
  static constexpr int kPicture = 210, kMessage = 212, kDetail = 384, kTroubleButton = 215, kTroubleText = 241, kDocument = 307;
  static constexpr UINT_PTR kAnimationTimer = 20;
  static constexpr int kPictureWidth = 111, kPictureHeight = 88;

  CStatusAreaView() : CSubView("status area") {}
  ~CStatusAreaView() override { Destroy(); }

  void ShowForType(int type) override;
  void SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) override;
  BOOL DrawItem(const DRAWITEMSTRUCT& item) override;
  SIZE GetSize() const override;

  int Mode() const { return m_iMode; }
  int PictureId() const { return m_iPicture; }

 protected:
  bool OnCreate() override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnEnd() override;

 private:
  void SetPicture(int first, int second);
  void UpdateTimer();
  void ShowTroubleshooting();
  // Places the message, detail, document and troubleshooting rows under one
  // another as high as their texts need, and sizes the area to fit them.
  void ArrangeRows();
  int TextHeight(int id, int width) const;  // of the control's text wrapped at `width`

  moni::GdiHandle m_boldFont;
  bool m_bTrouble = false;
  int m_iHeight = 0;
  // From the template: the column's left and width, the margins, the gap
  // between rows, the picture's bottom, the button's size.
  int m_columnLeft = 0, m_columnWidth = 0, m_margin = 0, m_gap = 0, m_pictureBottom = 0, m_buttonWidth = 0, m_buttonHeight = 0;

  int m_iMode = 2;
  int m_iPicture = 0, m_iPicture2 = 0;
  moni::IconHandle m_frames[2];
  int m_iFrameCount = 0, m_iFrame = 0;
  bool m_bTimer = false;
};

}  // namespace moni::view
