// The watchdog's decisions (portable core, no windows.h): the name of its
// event and the measurement of the fallback wait.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace moni::watchdog {

// "WatchDogPeriodEvent_" and the name with every backslash made a slash (a
// backslash would name a kernel object namespace).
std::u16string EventName(std::u16string_view name);

// The fallback wait measures the period by a tick count that may wrap: it
// starts at `start`; a count below the start restarts the measurement.
struct SleepMeasure {
  std::uint32_t start = 0;
  // True when `periodMs` have passed at `now`.
  bool Done(std::uint32_t now, std::uint32_t periodMs);
};

}  // namespace moni::watchdog
