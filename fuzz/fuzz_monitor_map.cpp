// The monitor map's record walk over a section another process may have
// written anything into: no read or write may leave the buffer, a registered
// key must be found again, and releasing every role frees its record.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/monitor_map_core.h"

namespace {

using namespace moni::monitormap;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::u16string TakeKey(FuzzedDataProvider& in) {
  const std::string bytes = in.ConsumeRandomLengthString(1200);
  std::u16string key;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    key.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  // A small table most of the time (fast), the full section now and then, and
  // sometimes a buffer that ends inside a record.
  const std::uint8_t shape = in.ConsumeIntegral<std::uint8_t>();
  size_t bytes = (shape < 240 ? shape % 9 : kRecordCount) * kRecordSize;
  if (shape & 0x10) bytes += in.ConsumeIntegralInRange<size_t>(0, kRecordSize - 1);
  auto owned = std::make_unique<std::uint8_t[]>(bytes);  // exact size, so ASan sees overruns
  std::memset(owned.get(), 0, bytes);
  const std::span<std::uint8_t> map(owned.get(), bytes);

  // What another process left there: raw bytes at chosen places.
  const int patches = in.ConsumeIntegralInRange<int>(0, 8);
  for (int i = 0; i < patches && bytes > 0; ++i) {
    const size_t at = in.ConsumeIntegralInRange<size_t>(0, bytes - 1);
    const std::vector<std::uint8_t> patch = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 64));
    if (!patch.empty()) std::memcpy(owned.get() + at, patch.data(), std::min(patch.size(), bytes - at));
  }
  if (shape & 0x20) InitialiseNew(map);

  const auto isWindow = [](std::uint64_t h) { return (h & 1) == 0; };
  while (in.remaining_bytes() > 0) {
    const std::u16string key = TakeKey(in);
    const std::int32_t role = in.ConsumeIntegralInRange<std::int32_t>(-1, 4);
    const std::uint64_t window = in.ConsumeIntegral<std::uint64_t>();
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0: {
        const CheckOutcome out = CheckAndRegister(map, key, role, window, isWindow);
        if (out.result == CheckResult::Holds) {
          const std::optional<size_t> found = FindRecord(map, key);
          Check(found.has_value());
          Check(ReadHandle(map, *found, *RoleFieldOffset(role)) == window);
        }
        break;
      }
      case 1: Release(map, key, role); break;
      case 2:
        if (SetTrayWindow(map, key, window)) Check(FindRecord(map, key).has_value());
        break;
      default:
        for (size_t k = 0; k < RecordsIn(map); ++k) Check(ReadKey(map, k).size() <= kKeyBytes / 2);
        break;
    }
  }
  return 0;
}
