#include "ui/inkorder/reminder_core.h"

#include <algorithm>

#include "foundation/parameter_text_core.h"

namespace moni::inkorder {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// One piece of "BorderLine": a decimal number from 0 to 100 between blanks.
std::optional<std::uint32_t> Percentage(std::u16string_view piece) {
  while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
  while (!piece.empty() && IsBlank(piece.back())) piece.remove_suffix(1);
  if (piece.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char16_t c : piece) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > 100) return std::nullopt;
  }
  return value;
}

struct ModeRow {
  int orderType;
  std::u16string_view mode;
};
constexpr ModeRow kModes[] = {
    {kOrderMenu, u"MENU"}, {kOrder20, u"AUTO20"}, {kOrder10, u"AUTO10"}, {kOrder05, u"AUTO05"}, {kOrder00, u"AUTO00"},
};

// The band of a level: the first threshold it is at or above, else B3.
std::uint32_t BandOf(std::uint32_t level, const Thresholds& t) {
  for (size_t i = 0; i < 3; ++i) {
    if (level >= t.b[i]) return t.b[i];
  }
  return t.b[3];
}

void AppendTwoDigits(std::u16string& out, unsigned value, unsigned base) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  if (base == 10 && value > 99) value = 99;
  out.push_back(kDigits[value / base % base]);
  out.push_back(kDigits[value % base]);
}

std::u16string_view Tail(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<Thresholds> ParseBorderLine(std::u16string_view text) {
  Thresholds out;
  for (size_t i = 0; i < 4; ++i) {
    const size_t comma = text.find(u',');
    if ((i < 3) == (comma == std::u16string_view::npos)) return std::nullopt;  // three commas, exactly
    const auto value = Percentage(text.substr(0, comma));
    if (!value) return std::nullopt;
    out.b[i] = *value;
    if (i < 3) text.remove_prefix(comma + 1);
  }
  return out;
}

Thresholds ThresholdsOf(const std::optional<std::u16string>& borderLine) {
  if (borderLine) {
    if (const auto parsed = ParseBorderLine(*borderLine)) return *parsed;
  }
  return Thresholds{};
}

int OrderTypeOfMode(std::u16string_view mode) {
  for (const ModeRow& row : kModes) {
    if (row.mode == mode) return row.orderType;
  }
  return 0;
}

std::u16string_view ModeOfOrderType(int orderType) {
  for (const ModeRow& row : kModes) {
    if (row.orderType == orderType) return row.mode;
  }
  return {};
}

std::u16string_view ModeOfThreshold(std::uint32_t threshold, const Thresholds& t) {
  std::u16string_view mode;
  for (size_t i = 0; i < 4; ++i) {
    if (threshold == t.b[i]) mode = ModeOfOrderType(kOrder20 + static_cast<int>(i));
  }
  return mode;
}

std::uint32_t ThresholdOfOrderType(int orderType, const Thresholds& t) {
  if (orderType >= kOrder20 && orderType <= kOrder00) return t.b[orderType - kOrder20];
  return 100;
}

std::optional<std::uint32_t> RemindLaterLevel(int orderType, const Thresholds& t) {
  if (orderType >= kOrder20 && orderType <= kOrder05) return t.b[orderType - kOrder20 + 1];
  return std::nullopt;
}

OrderButtons ButtonsOfOrderType(int orderType) {
  switch (orderType) {
    case kOrderMenu:
    case kOrder00: return {true, false, true};
    case kOrder20:
    case kOrder10:
    case kOrder05: return {true, true, true};
    default: return {};
  }
}

bool RemindersOn(StoredValue ioEnablePopup, StoredValue enablePopup) {
  return ioEnablePopup ? *ioEnablePopup == 1 : enablePopup == 1u;
}

std::string_view ReasonText(ReminderReason reason) {
  switch (reason) {
    case ReminderReason::Due: return "due";
    case ReminderReason::PopupOff: return "automatic reminders are off";
    case ReminderReason::NoInks: return "the status carries no ink levels";
    case ReminderReason::NotAvailable: return "ink ordering is not available for the printer";
    case ReminderReason::AboveThreshold: return "no threshold below the stored level was passed";
    case ReminderReason::Disabled: return "reminders were cancelled (InkOrderDisable is 1)";
    case ReminderReason::OnScreen: return "a reminder for the printer is on screen";
  }
  return "";
}

ReminderDecision DecideReminder(const ReminderState& state) {
  ReminderDecision d;
  d.levels = state.levels;
  d.last = state.last;
  d.thresholds = ThresholdsOf(state.borderLine);
  d.borderLineUsed = state.borderLine && ParseBorderLine(*state.borderLine).has_value();

  if (!RemindersOn(state.ioEnablePopup, state.enablePopup)) {
    d.reason = ReminderReason::PopupOff;
    return d;
  }
  const size_t count = std::min(state.inks.size(), kMaxInks);
  if (count == 0) {
    d.reason = ReminderReason::NoInks;
    return d;
  }
  const std::uint8_t m = *std::min_element(state.inks.begin(), state.inks.begin() + count);
  d.lowest = m;
  const size_t firstFour = std::min<size_t>(count, 4);
  const Thresholds& t = d.thresholds;

  if (state.available) {
    for (size_t i = 0; i < firstFour; ++i) {
      if (state.inks[i] > state.last[i].value_or(kMissingLast)) {
        d.replacedInk = static_cast<int>(i);
        d.levels.fill(BandOf(m, t));
        d.levelsWritten = true;
        break;
      }
    }
    std::uint32_t stored = kMissingLevel;
    for (const StoredValue& level : d.levels) stored = std::min(stored, level.value_or(kMissingLevel));
    d.storedLevel = stored;
  }

  if (m == 0 || d.storedLevel > m) {
    for (size_t i = 0; i < 3; ++i) {
      if (t.b[i] > m) d.passed = t.b[i];
    }
    if (m <= t.b[3]) d.passed = t.b[3];
  }

  if (!d.passed) {
    d.reason = ReminderReason::AboveThreshold;
  } else if (!state.available) {
    d.reason = ReminderReason::NotAvailable;
  } else if (state.inkOrderDisable == 1u) {
    d.reason = ReminderReason::Disabled;
  } else if (state.onScreen) {
    d.reason = ReminderReason::OnScreen;
  } else {
    d.reason = ReminderReason::Due;
    d.due = true;
    d.threshold = d.passed;
    d.mode = std::u16string(ModeOfThreshold(*d.passed, t));
  }

  if (state.available) {
    for (size_t i = 0; i < firstFour; ++i) d.last[i] = state.inks[i];
    d.lastWritten = true;
  }
  return d;
}

std::vector<std::uint8_t> InkLevelsOf(const status::StatusBuff& record) {
  const size_t count = std::min<size_t>(record.byInkCount, kMaxInks);
  return std::vector<std::uint8_t>(record.abyInkRemain, record.abyInkRemain + count);
}

std::u16string CompanionParameterText(std::u16string_view mode, const PrinterIdentity& who,
                                      const status::StatusBuff& record) {
  const size_t count = std::min<size_t>(record.byInkCount, 4);
  std::u16string levels, colours, codes;
  for (size_t i = 0; i < count; ++i) {
    AppendTwoDigits(levels, record.abyInkRemain[i], 16);
    AppendTwoDigits(colours, record.awInkColor[i], 10);
    AppendTwoDigits(codes, record.awInkCode[i], 10);
  }
  using cmdline::SwitchWithValue;
  std::u16string text = u" /A\n";
  text += u" " + SwitchWithValue(u"T", mode) + u"\n";
  text += u" " + SwitchWithValue(u"P", who.printer) + u"\n";
  text += u" " + SwitchWithValue(u"D", who.driver) + u"\n";
  text += u" " + SwitchWithValue(u"M", who.model) + u"\n";
  text += u" " + SwitchWithValue(u"O", who.port) + u"\n";
  text += SwitchWithValue(u"L", levels) + u"\n";
  text += SwitchWithValue(u"N", colours) + u"\n";
  text += SwitchWithValue(u"IC", codes) + u"\n";
  return text;
}

std::u16string PopupLockName(std::u16string_view printerKey, std::u16string_view programPath) {
  const std::u16string_view entry = Tail(printerKey), program = Tail(programPath);
  if (entry.empty() || program.empty()) return {};
  return u"/P " + std::u16string(entry) + u"/M " + std::u16string(program);
}

}  // namespace moni::inkorder
