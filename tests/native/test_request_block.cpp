// The request block reader: what it takes from a job description, and that a
// block pointing outside itself, even by one byte, is refused rather than read.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "foundation/request_block.h"

namespace {

using namespace moni::request;

void Put(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Blocks as a host writes them (key, value bytes).
using TestEntry = std::pair<std::uint32_t, std::string>;
std::vector<std::uint8_t> Build(const std::vector<TestEntry>& entries, const std::string& extra = {}) {
  return WriteBlock(entries, extra);
}

// A block given field by field over `bytes` bytes (zeros beyond the header
// and the table), so that each bound can be placed exactly.
struct Layout {
  std::uint32_t total, tableOffset, tableSize, count, dataSize;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;  // data offset, length
  size_t bytes;
};

std::vector<std::uint8_t> Make(const Layout& l) {
  std::vector<std::uint8_t> b(l.bytes < kHeaderSize ? kHeaderSize : l.bytes);
  Put(b, 0, l.total);
  Put(b, 4, l.tableOffset);
  Put(b, 8, l.tableSize);
  Put(b, 16, l.count);
  Put(b, 20, l.dataSize);
  for (size_t i = 0; i < l.entries.size(); ++i) {
    Put(b, l.tableOffset + i * kEntrySize, l.entries[i].first);
    Put(b, l.tableOffset + i * kEntrySize + 4, l.entries[i].second);
  }
  b.resize(l.bytes);
  b.shrink_to_fit();  // a read past the bytes at hand is caught
  return b;
}

TEST(RequestBlock, EveryBoundHoldsToTheByte) {
  // The base: 64 bytes, one entry at 24, a data area of 24 bytes at 40 whose
  // whole is the entry's value. Each row moves one bound to, or one past, its limit.
  constexpr std::uint32_t kMax = kMaxBlockSize;
  const struct {
    const char* what;
    Layout layout;
    bool accepted;
  } rows[] = {
      {"base: everything ends exactly at the total", {64, 24, 16, 1, 24, {{40, 24}}, 64}, true},
      {"bytes at hand one short of the total", {64, 24, 16, 1, 24, {{40, 24}}, 63}, false},
      {"total one below the bytes at hand", {63, 24, 16, 1, 23, {{40, 23}}, 64}, true},
      {"header alone", {24, 24, 0, 0, 0, {}, 24}, true},
      {"total one below the header", {23, 23, 0, 0, 0, {}, 24}, false},
      {"bytes one short of a header", {23, 23, 0, 0, 0, {}, 23}, false},
      {"total at the largest block taken", {kMax, 24, 16, 1, kMax - 40, {{40, kMax - 40}}, kMax}, true},
      {"total one past the largest block taken", {kMax + 1, 24, 16, 1, 0, {{40, 0}}, kMax + 1}, false},
      {"table ends at the total", {64, 48, 16, 1, 0, {{64, 0}}, 64}, true},
      {"table ends one past the total", {64, 48, 17, 1, 0, {{64, 0}}, 64}, false},
      {"empty table at the total", {64, 64, 0, 0, 0, {}, 64}, true},
      {"empty table one past the total", {64, 65, 0, 0, 0, {}, 64}, false},
      {"two entries fill the table", {64, 24, 32, 2, 8, {{56, 4}, {60, 4}}, 64}, true},
      {"two entries, table one byte short", {64, 24, 31, 2, 9, {{56, 4}, {60, 4}}, 64}, false},
      {"data area one past the total", {64, 24, 16, 1, 25, {{40, 24}}, 64}, false},
      {"entry one past the total", {64, 24, 16, 1, 24, {{40, 25}}, 64}, false},
      {"empty entry at the total", {64, 24, 16, 1, 24, {{64, 0}}, 64}, true},
      {"empty entry one past the total", {64, 24, 16, 1, 24, {{65, 0}}, 64}, false},
      {"table offset wrapping in 32 bits", {64, 0xFFFFFFF0u, 0x20, 0, 0, {}, 64}, false},
      {"data size wrapping in 32 bits", {64, 24, 16, 1, 0xFFFFFFF0u, {{40, 0}}, 64}, false},
      {"entry length wrapping in 32 bits", {64, 24, 16, 1, 24, {{40, 0xFFFFFFF0u}}, 64}, false},
  };
  for (const auto& row : rows) {
    const std::vector<std::uint8_t> bytes = Make(row.layout);
    const auto block = Block::Read(bytes);
    ASSERT_EQ(block.has_value(), row.accepted) << row.what;
    if (!block) continue;
    EXPECT_EQ(block->TotalSize(), row.layout.total) << row.what;
    EXPECT_EQ(block->DataArea().size(), row.layout.dataSize) << row.what;
    ASSERT_EQ(block->Entries().size(), row.layout.count) << row.what;
    for (size_t i = 0; i < block->Entries().size(); ++i) {
      const auto value = block->Value(block->Entries()[i]);
      EXPECT_EQ(value.data(), bytes.data() + row.layout.entries[i].first) << row.what;
      EXPECT_EQ(value.size(), row.layout.entries[i].second) << row.what;
    }
  }
}

TEST(RequestBlock, PortFileJobNeedsTheMarkAndAJobEntry) {
  const struct {
    const char* what;
    std::vector<TestEntry> entries;
    std::string extra;
    bool portFile;
    std::uint32_t jobId;
  } rows[] = {
      {"mark and job", {{1, "x"}, {kKeyJobId, "42"}}, "\x07", true, 42},
      {"no mark: the number is still read", {{kKeyJobId, "42"}}, "abc", false, 42},
      {"mark without a job entry", {{3, "42"}}, "\x07", false, 0},
      {"the mark inside a value counts", {{kKeyJobId, "5"}, {2, std::string("a\x07", 2)}}, "", true, 5},
      {"the later job wins, no number passed over", {{kKeyJobId, "11"}, {kKeyJobId, "12"}, {kKeyJobId, "abc"}}, "\x07",
       true, 12},
      {"a job entry that is no number", {{kKeyJobId, "abc"}}, "\x07", true, 0},
  };
  for (const auto& row : rows) {
    const std::vector<std::uint8_t> bytes = Build(row.entries, row.extra);  // the block's spans point into it
    const auto block = Block::Read(bytes);
    ASSERT_TRUE(block) << row.what;
    const PortFileJob job = ReadPortFileJob(*block);
    EXPECT_EQ(job.portFile, row.portFile) << row.what;
    EXPECT_EQ(job.jobId, row.jobId) << row.what;
  }

  // An entry with data offset 0 has no value: neither a job nor a number.
  auto b = Build({{kKeyJobId, "42"}}, "\x07");
  Put(b, kHeaderSize, 0);
  const PortFileJob job = ReadPortFileJob(*Block::Read(b));
  EXPECT_FALSE(job.portFile);
  EXPECT_EQ(job.jobId, 0u);
}

TEST(RequestBlock, ValuesAsSingleByteOrWideText) {
  const struct {
    std::string bytes;
    std::optional<std::uint32_t> number;
  } rows[] = {
      {"  123", 123u},
      {std::string("77\0garbage", 10), 77u},
      {std::string("9\0" "1\0\0\0", 6), 91u},  // UTF-16LE with its terminator
      {"4294967295", 4294967295u},
      {"4294967296", std::nullopt},
      {std::string("4\0" "2\0" "9\0" "4\0" "9\0" "6\0" "7\0" "2\0" "9\0" "6\0", 20), std::nullopt},
      {"", std::nullopt},
      {"-3", std::nullopt},
  };
  for (const auto& row : rows) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(row.bytes.data()), row.bytes.size());
    EXPECT_EQ(ParseDecimalValue(bytes), row.number) << row.bytes;
  }
}

TEST(RequestBlock, WindowRequestKinds) {
  const struct {
    const char* what;
    std::vector<TestEntry> entries;
    std::string extra;
    RequestKind kind;
    std::uint32_t jobId, option;
  } rows[] = {
      {"job and option", {{kKeyJobId, "8"}, {kKeyOption, "1"}}, "", RequestKind::AddJob, 8, 1},
      {"option alone", {{kKeyOption, "1"}}, "", RequestKind::Detail, 0, 1},
      {"job 0", {{kKeyJobId, "0"}}, "", RequestKind::Detail, 0, 0},
      {"the no-request mark wins", {{kKeyJobId, "8"}}, "\x08", RequestKind::None, 0, 0},
      {"the mark inside a value", {{kKeyJobId, "8"}, {3, std::string("\x08", 1)}}, "", RequestKind::None, 0, 0},
  };
  for (const auto& row : rows) {
    const std::vector<std::uint8_t> bytes = Build(row.entries, row.extra);
    const WindowRequest request = ReadWindowRequest(*Block::Read(bytes));
    EXPECT_EQ(request.kind, row.kind) << row.what;
    EXPECT_EQ(request.jobId, row.jobId) << row.what;
    EXPECT_EQ(request.option, row.option) << row.what;

    // A window may be handed more bytes than the block says it has (the
    // message's own size): what lies past the block is never read.
    std::vector<std::uint8_t> longer = bytes;
    longer.insert(longer.end(), {0x08, 0x07, '9'});
    const WindowRequest same = ReadWindowRequest(*Block::Read(longer));
    EXPECT_EQ(same.kind, row.kind) << row.what;
    EXPECT_EQ(same.jobId, row.jobId) << row.what;
  }
}

}  // namespace
