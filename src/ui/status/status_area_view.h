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

  int Mode() const { return m_iMode; }
  int PictureId() const { return m_iPicture; }

 protected:
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnEnd() override;

 private:
  void SetPicture(int first, int second);
  void UpdateTimer();

  int m_iMode = 2;
  int m_iPicture = 0, m_iPicture2 = 0;
  moni::IconHandle m_frames[2];
  int m_iFrameCount = 0, m_iFrame = 0;
  bool m_bTimer = false;
};

}  // namespace moni::view
