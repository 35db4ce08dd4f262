#include "ui/status/view_core.h"

#include <algorithm>
#include <cstring>

#include "platform/text_core.h"

namespace moni::view {

int NormalizeDialogType(int type) {
  return type == kPopup || type == kProgress || type == kHideProgress ? type : kDetail;
}

TypeLayout LayoutOfType(int type) {
  switch (NormalizeDialogType(type)) {
    case kPopup:
      return {true, 1, false, false, 1, true, 1, false, false, false, false, true, false};
    case kProgress:
      return {false, 1, true, true, 1, false, 3, true, true, true, true, false, true};
    case kHideProgress:
      return {false, 1, true, false, 4, false, 4, true, false, true, true, false, true};
    default:
      return {true, 2, false, false, 2, true, 2, false, false, false, false, true, false};
  }
}

ButtonPair MapButtons(int type, int button1, int button2, bool allowsJobReset) {
  ButtonPair pair{button1, button2};
  if (NormalizeDialogType(type) == kDetail) {
    if (button1 == kIdsStop || button1 == kIdsInkStopReset) pair.main = kIdsClose;
    if (button1 == kIdsInkCancel && allowsJobReset) pair.main = kIdsClose;
  }
  return pair;
}

bool CloseEnabled(int type, int mainId) {
  const int t = NormalizeDialogType(type);
  return (t == kPopup || t == kDetail) && mainId == kIdsClose;
}

std::u16string ViewCaption(int type, std::u16string_view product, std::u16string_view printer, std::u16string_view port) {
  std::u16string caption;
  if (NormalizeDialogType(type) == kProgress) {
    if (!printer.empty()) caption.append(printer).append(u" - ");
    caption.append(port);
  } else {
    caption.append(product).append(u" : ").append(printer.empty() ? port : printer);
  }
  return caption;
}

std::u16string MinimizedPrefix(std::uint32_t current, std::uint32_t total) {
  if (total == 0) return {};
  const std::uint64_t percent = std::min<std::uint64_t>(static_cast<std::uint64_t>(current) * 100 / total, 100);
  return u"(" + WidenUtf8(std::to_string(percent)) + u"%) ";
}

// --- Inks -------------------------------------------------------------------

InkLevel LevelOfByte(int raw) {
  if (raw >= 253 && raw <= 255) return {100, true};
  return {std::clamp(raw, 0, 100), false};
}

InkHue HueOfInk(std::uint16_t inkCode, std::uint16_t colourCode) {
  switch (colourCode) {
    case 0x00: return InkHue::Black;
    case 0x01: return InkHue::Cyan;
    case 0x02: return InkHue::Magenta;
    case 0x03: return InkHue::Yellow;
    default: break;
  }
  switch (inkCode) {
    case 0x01: return InkHue::Black;
    case 0x03: return InkHue::Cyan;
    case 0x04: return InkHue::Magenta;
    case 0x05: return InkHue::Yellow;
    default: return InkHue::Grey;
  }
}

std::uint32_t InkLabelId(int slot, std::uint16_t inkCode) {
  if (const std::uint32_t id = status::InkNameStringId(slot, inkCode); id != 0) return id;
  for (int other = 0; other < kTankCount; ++other) {
    if (const std::uint32_t id = status::InkNameStringId(other, inkCode); id != 0) return id;
  }
  return 0;
}

InkArea InkAreaOf(const status::StatusBuff& record) {
  InkArea area;
  area.count = std::min<int>(record.byInkCount, kTankCount);
  area.clipped = record.byInkCount > kTankCount;
  for (int i = 0; i < area.count; ++i) {
    area.level[i] = LevelOfByte(record.abyInkRemain[i]);
    area.hue[i] = HueOfInk(record.awInkCode[i], record.awInkColor[i]);
    area.labelId[i] = InkLabelId(i, record.awInkCode[i]);
  }
  return area;
}

LevelBlock LevelBlockOf(const InkArea& area) {
  LevelBlock block;
  std::memset(&block, 0, sizeof block);
  block.count = std::clamp(area.count, 0, kTankCount);
  for (int i = 0; i < block.count; ++i) {
    block.percent[i] = area.level[i].percent;
    block.absent[i] = area.level[i].absent ? 1 : 0;
  }
  return block;
}

TankPlan PlanTankConditions(std::uint32_t warningBits, std::uint32_t errorBits, int inkCount) {
  struct Row {
    std::uint32_t bit;
    int command;
    bool passLevels;
    int marks[2];
  };
  static constexpr Row kWarningRows[] = {{0x2, kTankLow, true, {0, 0}}, {0x1, kTankLow, true, {0, 0}}};
  static constexpr Row kErrorRows[] = {
      {0x2, kTankError, true, {1, 1}}, {0x4, kTankError, true, {1, 1}}, {0x1, kTankEmpty, false, {0, 0}}, {0x8, kTankError, true, {0, 1}}};
  const int inks = std::clamp(inkCount, 0, kTankCount);
  TankPlan plan;
  auto walk = [&](std::uint32_t word, const Row* rows, size_t n, bool setsMarks) {
    for (size_t r = 0; r < n; ++r) {
      for (int ink = 0; ink < inks; ++ink) {
        if ((word & (rows[r].bit << (4 * ink))) == 0) continue;
        plan.messages.push_back({ink, rows[r].command, rows[r].passLevels});
        if (setsMarks && rows[r].passLevels) {
          plan.marksSet = true;
          plan.marks[0] = rows[r].marks[0];
          plan.marks[1] = rows[r].marks[1];
        }
      }
    }
  };
  walk(warningBits, kWarningRows, std::size(kWarningRows), false);
  walk(errorBits, kErrorRows, std::size(kErrorRows), true);
  return plan;
}

TankView ApplyTankCommand(const TankView& before, int index, int command, const LevelBlock* block) {
  TankView view = before;
  const bool hasLevel = block != nullptr && index >= 0 && index < kTankCount && index < block->count;
  auto takeLevel = [&] {
    view.percent = hasLevel ? std::clamp<int>(block->percent[index], 0, 100) : 0;
    view.absent = hasLevel && block->absent[index] != 0;
  };
  switch (command) {
    case kTankLevel:
      takeLevel();
      view.state = hasLevel ? TankState::Level : TankState::NoData;
      break;
    case kTankClear:
      view = TankView{TankState::Clear, 0, false};
      break;
    case kTankLow:
      takeLevel();
      view.state = hasLevel ? TankState::Low : TankState::NoData;
      break;
    case kTankEmpty:
      view.state = TankState::Empty;
      view.percent = 0;
      view.absent = false;
      break;
    case kTankError:
      takeLevel();
      view.state = hasLevel ? TankState::Error : TankState::NoData;
      break;
    default:
      break;
  }
  return view;
}

long PackTankView(const TankView& view) {
  return static_cast<long>(static_cast<int>(view.state)) << 16 | (view.absent ? 1L : 0L) << 8 | (view.percent & 0xFF);
}

TankView UnpackTankView(long packed) {
  return {static_cast<TankState>((packed >> 16) & 0xFF), static_cast<int>(packed & 0xFF), ((packed >> 8) & 1) != 0};
}

CartridgeMessage ChooseCartridgeMessage(int black, int colour, const std::vector<int>& levels) {
  const bool anyLow = std::any_of(levels.begin(), levels.end(), [](int level) { return level < 51; });
  if (!anyLow || black == -1 || colour == -1) return {};
  if (black > colour) {
    if (colour >= 100) return {30653, false, 0, true};
    if (colour >= 1) return {30654, true, colour, true};
    return {30655, false, 0, true};
  }
  if (black >= 100) return {30650, false, 0, false};
  if (black >= 1) return {30651, true, black, false};
  return {30652, false, 0, false};
}

// --- Layout -----------------------------------------------------------------

StackResult StackSubViews(const std::vector<StackItem>& items, int nonClientHeight) {
  StackResult result;
  int y = 0;
  for (const StackItem& item : items) {
    result.top.push_back(y);
    if (item.visible) y += std::max(item.height, 0);
  }
  result.clientHeight = y;
  result.windowHeight = y + std::max(nonClientHeight, 0);
  return result;
}

RowResult StackRows(int top, int gap, const std::vector<StackItem>& rows) {
  RowResult result;
  int y = top;
  bool first = true;
  for (const StackItem& row : rows) {
    if (row.visible && !first) y += gap;
    result.top.push_back(y);
    if (row.visible) {
      y += std::max(row.height, 0);
      first = false;
    }
  }
  result.bottom = y;
  return result;
}

std::vector<int> TankLefts(int count, int left, int span, int width) {
  std::vector<int> lefts;
  if (count <= 0) return lefts;
  const int free = std::max(span - count * width, 0);
  for (int i = 0; i < count; ++i) {
    // gap i+1 of count+1 equal gaps, rounded down; the tanks never overlap
    lefts.push_back(left + i * width + free * (i + 1) / (count + 1));
  }
  return lefts;
}

// --- Job area ---------------------------------------------------------------

TimeText RemainingTimeText(bool present, std::uint32_t seconds) {
  if (!present) return {};
  const std::uint32_t capped = std::min<std::uint32_t>(seconds, 0x7FFFFFFF);
  if (capped >= 60) return {1702, static_cast<int>(capped / 60)};
  return {1703, static_cast<int>(capped)};
}

std::u16string FormatText(std::u16string_view templ, std::initializer_list<logfmt::Arg> args) {
  return logfmt::Format(NarrowUtf8(templ), args);
}

std::u16string ShortenToFit(std::u16string_view text, int width, const std::function<int(std::u16string_view)>& measure) {
  if (measure(text) <= width) return std::u16string(text);
  static constexpr char16_t kEllipsis[] = u"\u2026";
  auto fits = [&](size_t n) { return measure(std::u16string(text.substr(0, n)) + kEllipsis) <= width; };
  if (!fits(0)) return {};
  size_t low = 0, high = text.size();  // fits(low) holds; the whole text does not
  while (high - low > 1) {
    const size_t mid = low + (high - low) / 2;
    if (fits(mid)) low = mid;
    else high = mid;
  }
  if (low > 0 && text[low - 1] >= 0xD800 && text[low - 1] <= 0xDBFF) --low;  // keep a pair whole
  return std::u16string(text.substr(0, low)) + kEllipsis;
}

// --- Tips -------------------------------------------------------------------

TipRotation::TipRotation(std::vector<TipEntry> configured) : m_configured(std::move(configured)), m_list(m_configured) {}

const TipEntry* TipRotation::Current() const {
  return m_index >= 0 && m_index < static_cast<int>(m_list.size()) ? &m_list[static_cast<size_t>(m_index)] : nullptr;
}

void TipRotation::Show() {
  if (m_index < 0 && !m_list.empty()) m_index = 0;
  m_count = kTicksPerTip;
}

void TipRotation::Hide() {
  m_index = -1;
  m_count = kTicksPerTip;
}

bool TipRotation::Tick(bool holdBack) {
  if (m_index < 0 || holdBack) return false;
  if (--m_count > 0) return false;
  m_count = kTicksPerTip;
  return Next();
}

bool TipRotation::Next() {
  if (m_list.empty()) {
    m_index = -1;
    return false;
  }
  m_index = m_index + 1 >= static_cast<int>(m_list.size()) ? 0 : m_index + 1;
  m_count = kTicksPerTip;
  return true;
}

void TipRotation::SetInkTip(bool included) {
  if (included == m_inkTip) return;
  m_inkTip = included;
  const TipEntry* current = Current();
  const int currentText = current ? current->textId : 0;
  const bool shown = m_index >= 0;
  // Position of the current tip in the configured order (to find its
  // successor when the ink tip itself leaves).
  size_t configuredAt = 0;
  for (size_t i = 0; i < m_configured.size(); ++i) {
    if (m_configured[i].textId == currentText) configuredAt = i;
  }
  m_list.clear();
  for (const TipEntry& entry : m_configured) {
    if (entry.textId == kInkTipTextId && !m_inkTip) continue;
    m_list.push_back(entry);
  }
  if (!shown) return;
  if (m_list.empty()) {
    m_index = -1;
    return;
  }
  m_index = 0;
  for (size_t at = configuredAt; at < m_configured.size(); ++at) {
    for (size_t i = 0; i < m_list.size(); ++i) {
      if (m_list[i].textId == m_configured[at].textId) {
        m_index = static_cast<int>(i);
        return;
      }
    }
  }
}

bool TipRotation::JobChanged(std::uint32_t jobId) {
  const bool changed = jobId != 0 && jobId != m_jobId;
  m_jobId = jobId;
  return changed && m_index >= 0 && Next();
}

}  // namespace moni::view
