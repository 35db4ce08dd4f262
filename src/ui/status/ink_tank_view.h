// CInkTankView, the ink area: one tank control per ink with its colour name
// under it, the cartridge message and, in the detail mode, the cartridge
// information and ink-order buttons.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/status/sub_view.h"
#include "ui/status/view_core.h"

namespace moni::view {

class CInkTankView : public CSubView {
 public:
  static constexpr int kTanks[kTankCount] = {390, 391, 392, 393};
  static constexpr int kLabels[kTankCount] = {359, 360, 361, 362};
  static constexpr int kMessage = 30601, kHeading = 30602, kCartridgeButton = 30600, kInkOrderButton = 388;

  CInkTankView() : CSubView("ink area") {}
  ~CInkTankView() override { Destroy(); }

  void ShowForType(int type) override;
  void SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) override;
  // The reply of the remaining-ink channel: black and colour values (-1 unknown).
  void ChangeTankTagchipRemain(int black, int colour);
  // The ink-order button of the detail mode.
  void SetInkOrderButton(bool present, const std::wstring& caption);

  int Mode() const { return m_iMode; }
  int InkCount() const { return m_iInkCount; }
  int Level(int i) const { return i >= 0 && i < kTankCount ? m_iLevel[i] : 0; }
  bool Absent(int i) const { return i >= 0 && i < kTankCount && m_bAbsent[i]; }
  int Mark(int i) const { return i == 0 || i == 1 ? m_iMark[i] : 0; }
  HWND Tank(int i) const { return i >= 0 && i < kTankCount ? m_hTank[i] : nullptr; }

 protected:
  bool OnCreate() override;

 private:
  void PlaceTanks();
  void SendToTank(int i, int command, const LevelBlock* block);

  HWND m_hTank[kTankCount] = {};
  int m_iMode = 2;
  int m_iInkCount = kTankCount;
  int m_iLevel[kTankCount] = {};
  bool m_bAbsent[kTankCount] = {};
  int m_iMark[2] = {0, 0};
  std::uint16_t m_inkSet[2 * kTankCount + 1] = {0xFFFF};  // count, codes and colours last labelled
  bool m_bInkOrder = false;
  // Where the tanks go: their size and top, the labels' offset below them,
  // the span in the gauges-only mode and in the detail mode.
  int m_tankWidth = 0, m_tankHeight = 0, m_tankTop = 0, m_labelTop = 0, m_labelWidth = 0, m_labelHeight = 0;
  int m_spanLeft = 0, m_spanWide = 0, m_spanNarrow = 0;
};

}  // namespace moni::view
