// The job area: the current job's document, sheets, remaining time, progress,
// paper, and the stop and pause buttons, with the printing animation and the
// ink-order button.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/handles.h"
#include "ui/status/sub_view.h"

namespace moni::view {

class CJobView : public CSubView {
 public:
  static constexpr int kDocument = 300, kSheets = 301, kTime = 302, kAnimation = 304, kProgress = 305, kPaper = 306,
                       kStop = 308, kPause = 309, kLogo = 378, kInkOrder = 389;
  static constexpr UINT_PTR kAnimationTimer = 20;
  static constexpr int kLogoPicture = 595, kFirstFrame = 589, kFrames = 3;

  CJobView() : CSubView("job area") {}
  ~CJobView() override { Destroy(); }

  void ShowForType(int type) override;
  void SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) override;
  BOOL DrawItem(const DRAWITEMSTRUCT& item) override;

  // Stop and pause keep their place and become disabled.
  void DisableStopAndPause();
  void DisablePause();
  // The ink-order button: shown with `caption` (string 31299 when empty) when present.
  void SetInkOrderButton(bool present, const std::wstring& caption);

 protected:
  bool OnCreate() override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnEnd() override;

 private:
  void UpdateTimer();

  moni::GdiHandle m_logo;
  moni::IconHandle m_frames[kFrames];
  int m_iFrame = 0;
  bool m_bTimer = false;
  std::uint32_t m_dwJobId = 0;
  std::uint16_t m_wPaperCodes[3] = {0xFFFF, 0xFFFF, 0xFFFF};
  int m_iPauseCaption = 0;
};

}  // namespace moni::view
