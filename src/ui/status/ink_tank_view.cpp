#include "ui/status/ink_tank_view.h"

#include <algorithm>
#include <vector>

#include "foundation/debug_log.h"
#include "platform/text.h"
#include "ui/status/ink_tank_control.h"

namespace moni::view {
namespace {
constexpr int kNoStatus = 16;  // the printer cannot be asked: nothing to show of the cartridges
RECT ChildRect(HWND dialog, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
}  // namespace

bool CInkTankView::OnCreate() {
  CDebugLog log("CInkTankView::OnCreate");
  for (int i = 0; i < kTankCount; ++i) {
    if (!GetDlgItem(m_hWnd, kTanks[i]) || !GetDlgItem(m_hWnd, kLabels[i])) {
      log.Write("Error : tank control %d or its label is missing\n", kTanks[i]);
      return false;
    }
  }
  const RECT first = ChildRect(m_hWnd, GetDlgItem(m_hWnd, kTanks[0]));
  const RECT label = ChildRect(m_hWnd, GetDlgItem(m_hWnd, kLabels[0]));
  const RECT last = ChildRect(m_hWnd, GetDlgItem(m_hWnd, kTanks[kTankCount - 1]));
  RECT client;
  GetClientRect(m_hWnd, &client);
  m_tankWidth = first.right - first.left;
  m_tankHeight = first.bottom - first.top;
  m_tankTop = first.top;
  m_labelTop = label.top;
  m_labelHeight = label.bottom - label.top;
  m_labelWidth = label.right - label.left;
  m_spanLeft = std::min(first.left, label.left);
  // The detail mode keeps the tanks where the template puts them; the
  // gauges-only mode spreads them over the whole width.
  m_spanNarrow = std::max(last.right, static_cast<LONG>(label.left + (last.left - first.left) + m_labelWidth)) - m_spanLeft;
  m_spanWide = client.right - 2 * m_spanLeft;
  for (int i = 0; i < kTankCount; ++i) {
    m_hTank[i] = CreateTankInPlace(m_hWnd, kTanks[i], i);
    if (!m_hTank[i]) {
      log.Write("Error : tank control %d cannot be made\n", kTanks[i]);
      return false;
    }
    SetItemText(kLabels[i], L"");
  }
  SetItemText(kMessage, L"");
  SetItemText(kInkOrderButton, Text(31299));
  ShowItem(kInkOrderButton, false);
  PlaceTanks();
  return true;
}

void CInkTankView::PlaceTanks() {
  const int span = m_iMode == 2 ? m_spanNarrow : m_spanWide;
  const int slot = std::max(m_tankWidth, m_labelWidth);
  const std::vector<int> lefts = TankLefts(m_iInkCount, m_spanLeft, span, slot);
  for (int i = 0; i < kTankCount; ++i) {
    const bool shown = i < m_iInkCount;
    HWND label = Item(kLabels[i]);
    if (shown) {
      const int left = lefts[static_cast<size_t>(i)];
      SetWindowPos(m_hTank[i], nullptr, left + (slot - m_tankWidth) / 2, m_tankTop, m_tankWidth, m_tankHeight, SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowPos(label, nullptr, left + (slot - m_labelWidth) / 2, m_labelTop, m_labelWidth, m_labelHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(m_hTank[i], shown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(label, shown ? SW_SHOWNA : SW_HIDE);
  }
}

void CInkTankView::ShowForType(int type) {
  const TypeLayout layout = LayoutOfType(type);
  m_iMode = layout.inkMode;
  const bool detail = m_iMode == 2;
  ShowItem(kMessage, detail);
  ShowItem(kCartridgeButton, detail);
  ShowItem(kInkOrderButton, detail && m_bInkOrder);
  SetActive(m_iMode != 4);
  for (HWND tank : m_hTank) EnableWindow(tank, m_iMode != 4);
  PlaceTanks();
  SetVisible(true);
}

void CInkTankView::SendToTank(int i, int command, const LevelBlock* block) {
  SendMessageW(m_hTank[i], WM_USER, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(block));
}

void CInkTankView::SetViewStatus(const CPrinterStatus* status, const CProgressInfo*) {
  CDebugLog log("CInkTankView::SetViewStatus");
  if (!m_hWnd) return;
  moni::status::StatusBuff record{};
  const bool inkData = status && status->GetStatusBuff(&record) == 1 && record.byInkCount > 0;
  const int statusNo = status ? status->GetRealStatusNo() : 0;
  const bool detail = m_iMode == 2;
  if (!inkData) {
    const LevelBlock zero{};
    for (int i = 0; i < kTankCount; ++i) SendToTank(i, kTankError, &zero);
    SetItemText(kMessage, L"");
    ShowItem(kMessage, false);
    if (detail) {
      EnableItem(kInkOrderButton, false);
      EnableItem(kCartridgeButton, statusNo != kNoStatus);
    } else {
      EnableItem(kCartridgeButton, false);
    }
    return;
  }

  const InkArea area = InkAreaOf(record);
  if (area.clipped) log.Write("Error : %d inks, %d tanks: the first %d are shown\n", record.byInkCount, kTankCount, kTankCount);
  std::uint16_t inkSet[2 * kTankCount + 1] = {static_cast<std::uint16_t>(area.count)};
  for (int i = 0; i < area.count; ++i) {
    inkSet[1 + 2 * i] = record.awInkCode[i];
    inkSet[2 + 2 * i] = record.awInkColor[i];
  }
  if (!std::equal(std::begin(inkSet), std::end(inkSet), std::begin(m_inkSet))) {
    std::copy(std::begin(inkSet), std::end(inkSet), std::begin(m_inkSet));
    for (int i = 0; i < kTankCount; ++i) {
      SetItemText(kLabels[i], i < area.count && area.labelId[i] ? Text(area.labelId[i]) : std::wstring());
      SendMessageW(m_hTank[i], WM_USER, kTankHue, static_cast<LPARAM>(area.hue[i]));
    }
    if (m_iInkCount != area.count) {
      m_iInkCount = area.count;
      PlaceTanks();
    }
  }
  for (int i = 0; i < kTankCount; ++i) {
    m_iLevel[i] = i < area.count ? area.level[i].percent : 0;
    m_bAbsent[i] = i < area.count && area.level[i].absent;
  }

  if (detail) {
    ShowItem(kMessage, true);
    EnableItem(kCartridgeButton, statusNo != kNoStatus);
  }
  if (!m_bActive) return;
  LevelBlock block = LevelBlockOf(area);
  for (int i = 0; i < kTankCount; ++i) {
    EnableWindow(m_hTank[i], TRUE);
    if (i < area.count) SendToTank(i, kTankLevel, &block);
  }
  log.Write("Condition.Warning : %lx\n", record.dwWarningBits);
  log.Write("Condition.Error : %lx\n", record.dwInkStateBits);
  const TankPlan plan = PlanTankConditions(record.dwWarningBits, record.dwInkStateBits, area.count);
  if (plan.marksSet) {
    m_iMark[0] = block.marks[0] = plan.marks[0];
    m_iMark[1] = block.marks[1] = plan.marks[1];
  }
  for (const TankMessage& message : plan.messages) {
    log.Write("Send to ctrl message : %d\n", message.command);
    SendToTank(message.tank, message.command, message.passLevels ? &block : nullptr);
  }
}

void CInkTankView::ChangeTankTagchipRemain(int black, int colour) {
  CDebugLog log("CInkTankView::ChangeTankTagchipRemain");
  std::vector<int> levels(m_iLevel, m_iLevel + std::clamp(m_iInkCount, 0, kTankCount));
  const CartridgeMessage message = ChooseCartridgeMessage(black, colour, levels);
  std::wstring text;
  if (message.stringId != 0) {
    log.Write(message.colour ? "Color's string\n" : "Black's string\n");
    const std::wstring templ = Text(static_cast<UINT>(message.stringId));
    text = message.withValue ? ToWide(FormatText(ToU16(templ), {message.value})) : templ;
  }
  SetItemText(kMessage, text);
}

void CInkTankView::SetInkOrderButton(bool present, const std::wstring& caption) {
  m_bInkOrder = present;
  if (!caption.empty()) SetItemText(kInkOrderButton, caption);
  ShowItem(kInkOrderButton, present && m_iMode == 2);
}

}  // namespace moni::view
