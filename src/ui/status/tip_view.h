// CTipView, the tips area: one tip at a time, the next every fifth tick of
// its timer, with a help button for the current tip. The ink tip comes and
// goes with the ink warnings; a new print job brings the next tip at once.
#pragma once
#include <windows.h>

#include "ui/status/sub_view.h"
#include "ui/status/view_core.h"

namespace moni::view {

class CTipView : public CSubView {
 public:
  static constexpr int kHeading = 318, kText = 319, kHelpButton = 320;
  static constexpr UINT_PTR kTipTimer = 1;
  // Tip texts are the strings from 2200 on (up to 20); the string 100 above a
  // text is its help context.
  static constexpr int kFirstTip = 2200, kMaxTips = 20, kHelpOffset = 100;

  CTipView() : CSubView("tips area") {}
  ~CTipView() override { Destroy(); }

  void ShowForType(int type) override;
  void SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) override;

  // The user's choice ("DisplayTips").
  void SetDisplayTips(bool display);
  bool DisplayTips() const { return m_bDisplay; }
  void ChangeNextTip();
  // The current tip's help context string id; 0 without a current tip.
  int CurrentHelpId() const;
  int CurrentTipId() const;
  const TipRotation& Rotation() const { return m_tips; }

 protected:
  bool OnCreate() override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnEnd() override;

 private:
  void Apply();  // shows or hides by type and choice; starts or stops the timer
  void ShowCurrent();

  TipRotation m_tips;
  bool m_bDisplay = true;
  bool m_bTypeShows = false;
  bool m_bTimer = false;
  bool m_bHoldBack = false;
};

}  // namespace moni::view
