#include "ui/status/watchdog_core.h"

namespace moni::watchdog {

std::u16string EventName(std::u16string_view name) {
  std::u16string event = u"WatchDogPeriodEvent_";
  for (char16_t c : name) event.push_back(c == u'\\' ? u'/' : c);
  return event;
}

bool SleepMeasure::Done(std::uint32_t now, std::uint32_t periodMs) {
  if (now < start) start = now;  // the count went backwards: measure again from here
  return now - start >= periodMs;
}

}  // namespace moni::watchdog
