// Decoding a typical status reply, binary and text, against one plain pass
// over the same bytes (summing them). After the table, the ratio of each
// decode to its plain pass (CPU time per reply) is printed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "status/status_decode.h"

namespace {

using moni::status::ConvertStatusInfo;
using moni::status::GetStatusNo;
using moni::status::StatusBuff;
using Bytes = std::vector<std::uint8_t>;

Bytes BinaryReply() {
  const Bytes fields{
      0x01, 0x01, 0x00,                                                    // state
      0x02, 0x01, 0x05,                                                    // error
      0x0F, 0x0D, 0x03, 0x03, 0x01, 40, 0x04, 0x02, 'r', 0x05, 0x03, 75, 0x01, 0x00, 0,  // four inks
      0x04, 0x02, 0x10, 0x31,                                              // warnings
      0x19, 0x0D, 0x00, 0x2A, 0x00, 0x00, 0x00, 'r', 'e', 'p', 'o', 'r', 't', '.', 'p',  // job
  };
  Bytes reply{'@', 'B', 'D', 'C', ' ', 'S', 'T', '2', '\r', '\n'};
  reply.push_back(static_cast<std::uint8_t>(fields.size()));
  reply.push_back(0);
  reply.insert(reply.end(), fields.begin(), fields.end());
  return reply;
}

Bytes TextReply() {
  const std::string text = "@BDC ST\r\nST:00;ER:05;CA:00;IQ:28RE4B00;WR:10,31;INK:0003,0004,0005,0001;RC:01;\x0C";
  return Bytes(text.begin(), text.end());
}

void PlainPass(benchmark::State& state, const Bytes& reply) {
  for (auto _ : state) {
    unsigned sum = 0;
    const std::uint8_t* p = reply.data();
    benchmark::DoNotOptimize(p);
    for (std::size_t i = 0; i < reply.size(); ++i) sum += p[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}

void Decode(benchmark::State& state, const Bytes& reply) {
  StatusBuff record;
  for (auto _ : state) {
    const std::uint8_t* p = reply.data();
    benchmark::DoNotOptimize(p);
    const bool ok = ConvertStatusInfo(p, reply.size(), record);
    int status = GetStatusNo(record);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(status);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}

const Bytes kBinary = BinaryReply();
const Bytes kText = TextReply();

BENCHMARK_CAPTURE(PlainPass, binary, kBinary);
BENCHMARK_CAPTURE(Decode, binary, kBinary);
BENCHMARK_CAPTURE(PlainPass, text, kText);
BENCHMARK_CAPTURE(Decode, text, kText);

// Keeps the time per iteration of every run for the ratios.
// With repetitions, the mean (reported after the single runs) is kept.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
        times[run.run_name.str()] = run.GetAdjustedCPUTime();
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* kind : {"binary", "text"}) {
    const auto plain = reporter.times.find(std::string("PlainPass/") + kind);
    const auto decode = reporter.times.find(std::string("Decode/") + kind);
    if (plain == reporter.times.end() || decode == reporter.times.end() || plain->second <= 0) continue;
    const std::size_t bytes = std::string(kind) == "binary" ? kBinary.size() : kText.size();
    std::printf("%-6s reply (%zu bytes): decode %.1f ns, plain pass %.1f ns, ratio %.1f\n", kind, bytes, decode->second,
                plain->second, decode->second / plain->second);
  }
  benchmark::Shutdown();
  return 0;
}
