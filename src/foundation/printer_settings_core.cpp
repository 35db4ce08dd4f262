#include "foundation/printer_settings_core.h"

namespace moni::settings {

std::u16string NotifyValueName(int code) {
  const bool negative = code < 0;
  // Without a sign the magnitude of INT_MIN does not fit an int.
  std::uint32_t magnitude = negative ? 0u - static_cast<std::uint32_t>(code) : static_cast<std::uint32_t>(code);
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  // "%03d": the sign counts towards the width of three.
  const size_t width = negative ? 2 : 3;
  if (digits.size() < width) digits.insert(digits.begin(), width - digits.size(), u'0');
  return negative ? u"-" + digits : digits;
}

Notification DecideNotification(const StoredNotification& stored) {
  Notification answer;
  if (!stored.keyOpened) return answer;
  const int sound = IsOn(stored.sound.value_or(0)) ? 1 : 0;
  if (!stored.notifyKeyOpened) {
    answer.sound = sound;
    return answer;
  }
  answer.result = 0;
  answer.notify = IsOn(stored.notify.value_or(0)) ? 1 : 0;
  answer.sound = sound && answer.notify ? 1 : 0;
  return answer;
}

}  // namespace moni::settings
