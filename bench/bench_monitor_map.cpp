// One registration into a monitor map that already holds 498 keys (the
// table takes 499): the walk over every record to the end marker, the claim
// of the last free record and the end marker moved on. Released again after
// each registration, so every iteration sees the same table.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "foundation/monitor_map_core.h"

namespace {

using namespace moni::monitormap;

std::vector<std::uint8_t> TableWith(size_t keys) {
  std::vector<std::uint8_t> map(kSectionSize, 0);
  InitialiseNew(map);
  for (size_t i = 0; i < keys; ++i) {
    std::u16string key = u"TALMER Office Printer ###";
    key[22] = static_cast<char16_t>(u'A' + i % 26);
    key[23] = static_cast<char16_t>(u'0' + i / 26 % 10);
    key[24] = static_cast<char16_t>(u'0' + i / 260);
    CheckAndRegister(map, key, 3, 0x1000 + i, {});
  }
  return map;
}

void RegisterInto498(benchmark::State& state) {
  std::vector<std::uint8_t> map = TableWith(498);
  const auto live = [](std::uint64_t) { return true; };
  for (auto _ : state) {
    const CheckOutcome out = CheckAndRegister(map, u"TALMER Sample Printer", 3, 0x4242, live);
    benchmark::DoNotOptimize(out);
    Release(map, u"TALMER Sample Printer", 3);
  }
}
BENCHMARK(RegisterInto498);

// The same walk when the key is already registered in the last record.
void FindTheLastOf499(benchmark::State& state) {
  std::vector<std::uint8_t> map = TableWith(498);
  const auto live = [](std::uint64_t) { return true; };
  CheckAndRegister(map, u"TALMER Sample Printer", 3, 0x4242, live);
  for (auto _ : state) {
    const CheckOutcome out = CheckAndRegister(map, u"TALMER Sample Printer", 3, 0x4343, live);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(FindTheLastOf499);

}  // namespace

BENCHMARK_MAIN();
