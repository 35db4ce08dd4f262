#include "ui/status/detail_core.h"

#include <cstdint>

namespace moni::detail {

namespace {

// A window the system opened hides while its job waits, shows the error of a
// waiting job as a pop-up, follows a printing job as the progress meter and
// closes when nothing is left to show; a window the user opened stays.
constexpr ConditionRow kConditionTable[] = {
    {2, kNeedsAutoOpened | kJobWaiting | kStatusNormal, 4},
    {3, kNeedsAutoOpened | kJobWaiting | kStatusNormal, 4},
    {4, kJobWaiting | kStatusNormal, 4},
    {4, kNeedsSameStatus | kJobWaiting | kStatusError, 4},
    {4, kJobWaiting | kStatusError, 1},
    {1, kJobWaiting | kStatusError, 1},
    {kAnyType, kNeedsHelpWindow | kNeedsAutoOpened | kJobNone | kStatusNormal, 4},
    {kAnyType, kNeedsAutoOpened | kJobNone | kStatusNormal, kClose},
    {kAnyType, kJobNone | kStatusNormal, 2},
    {kAnyType, kJobNone | kStatusError, 2},
    {kAnyType, kJobPrinting | kStatusNormal, 3},
    {kAnyType, kJobPrinting | kStatusError, 1},
    {kAnyType, kJobWaiting | kStatusNormal, 2},
    {kAnyType, kJobWaiting | kStatusError, 2},
};

void MarkFinished(ShownJob& shown) {
  shown.finished = true;
  shown.record.dwProgress[0] = 100;
  shown.record.dwProgress[1] = 100;
  shown.record.bInfo104 = 1;
  shown.record.dwInfo104 = 0;
}

}  // namespace

std::span<const ConditionRow> ConditionTable() { return kConditionTable; }

std::uint32_t ConditionWord(bool notifyWorthy, std::uint32_t jobOption, int jobCount) {
  const std::uint32_t status = notifyWorthy ? kStatusError : kStatusNormal;
  if (jobOption != 0) return status | kJobPrinting;
  return status | (jobCount < 1 ? kJobNone : kJobWaiting);
}

int FindConditionRow(const ConditionFacts& facts) {
  const auto table = ConditionTable();
  for (size_t i = 0; i < table.size(); ++i) {
    const ConditionRow& row = table[i];
    if (row.current != kAnyType && row.current != facts.currentType) continue;
    if ((row.condition & 0xFFFF) != facts.word) continue;
    if ((row.condition & kNeedsAutoOpened) && !facts.autoOpened) continue;
    if ((row.condition & kNeedsHelpWindow) && !facts.helpWindow) continue;
    if ((row.condition & kNeedsSameStatus) && !facts.sameStatus) continue;
    return static_cast<int>(i);
  }
  return -1;
}

bool IsNotifyWorthyError(bool haveStatus, bool notifyWorthy, int statusNo) {
  return haveStatus && notifyWorthy && statusNo != 20 && statusNo != kStatusCommError && statusNo != 32;
}

int StatusOfConditionResult(int result) {
  switch (result) {
    case -2: return kStatusOtherModel;
    case -3: return kStatusCommErrorShown;
    case -4: return kStatusOffline;
    default: return 0;
  }
}

int StatusOfCommFailure(bool offline, int enableGetStatusErr, bool graceRunning) {
  if (offline) return kStatusOffline;
  if (enableGetStatusErr >= 1) return kStatusCommErrorShown;
  return graceRunning ? kStatusSearching : kStatusCommError;
}

int StatusOfComStatus(std::uint32_t comStatus, bool offline) {
  switch (comStatus) {
    case 1: return 0;
    case 3: return kStatusOtherModel;
    case 4: return kStatusCommErrorShown;
    case 5: return kStatusOffline;
    default: return offline ? kStatusOffline : kStatusCommError;
  }
}

int SoundNumberOf(const status::StatusInfoRow& row) { return row.status >= 0 ? row.status : 0; }

std::uint16_t SoundResourceOf(const status::StatusKindRow& kindRow) {
  return static_cast<std::uint16_t>(kindRow.values[0] & 0xFFFF);
}

SoundChoice DecideSound(bool printing, bool haveSounds, int soundNumber, bool soundWanted, int lastSound) {
  if (!printing || !haveSounds) return {false, kNoSound};
  if (soundNumber == lastSound) return {false, lastSound};
  return {soundWanted, soundNumber};
}

JobStep StepShownJob(ShownJob& shown, const progress::JobRecord* current, std::uint32_t& inkMonitorJobId) {
  JobStep step;
  const std::uint32_t previousId = shown.valid ? shown.record.dwJobId : 0;
  if (current && current->dwParam != 0) {
    if (!shown.valid || shown.finished || !shown.accepted || current->dwJobId == previousId) {
      shown.record = *current;
      shown.valid = true;
      shown.finished = false;
      if (current->dwJobId != previousId) shown.accepted = true;
      if (inkMonitorJobId != 0 && inkMonitorJobId != current->dwJobId) {
        step.resetInkOrderDisable = true;
        step.note = "InkMonitor Disable Clear 2\n";
      }
    } else {
      // Another job while the shown one is still running: it is shown as
      // complete first, the new one comes with the next step.
      MarkFinished(shown);
      step.resetInkOrderDisable = true;
      step.note = "InkMonitor Disable Clear 1\n";
    }
    inkMonitorJobId = current->dwJobId;
    return step;
  }
  if (!shown.valid || shown.finished || !shown.accepted) {
    shown.record = progress::JobRecord{};
    shown.valid = false;
    shown.finished = false;
    shown.accepted = true;
  } else {
    MarkFinished(shown);
  }
  return step;
}

Placement PlaceWindow(int type, bool savePosition, std::uint32_t storedX, std::uint32_t storedY, int width, int height,
                      const Screen& screen) {
  const long long bottom = static_cast<long long>(screen.height) + screen.caption;
  Placement centre{static_cast<int>((screen.width - static_cast<long long>(width)) / 2),
                   static_cast<int>((bottom - height) / 2), false};
  if (!savePosition) return centre;
  Placement place = centre;
  if (type == 3 || type == 4) {
    place.x = static_cast<int>(screen.width - static_cast<long long>(width));
    place.y = static_cast<int>(bottom - height);
  }
  // A stored position is taken only when some of the window is on the screen.
  const long long x = static_cast<std::int32_t>(storedX), y = static_cast<std::int32_t>(storedY);
  const bool xOnScreen = x < screen.width && x + width > 0;
  const bool yOnScreen = y < bottom && y + height > 0;
  if (xOnScreen) place.x = static_cast<int>(x);
  if (yOnScreen) place.y = static_cast<int>(y);
  place.writeBack = !xOnScreen || !yOnScreen;
  return place;
}

Placement KeepOnScreen(int x, int y, int width, int height, const Screen& screen) {
  const long long right = screen.width, bottom = static_cast<long long>(screen.height) + screen.caption;
  long long px = x, py = y;
  if (px + width > right) px = right - width;
  if (py + height > bottom) py = bottom - height;
  if (px < 0 && x >= 0) px = 0;
  if (py < 0 && y >= 0) py = 0;
  return {static_cast<int>(px < x ? px : x), static_cast<int>(py < y ? py : y), false};
}

int ParsePeriodSeconds(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  long long value = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    digits = true;
    value = value * 10 + (text[i] - u'0');
    if (value > kMaxPeriodSeconds) return 0;
  }
  return digits ? static_cast<int>(value) : 0;
}

}  // namespace moni::detail
