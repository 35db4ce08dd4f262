// The request block reader: what it takes from a job description, and that a
// block pointing outside itself is refused rather than read.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/request_block.h"

namespace {

using namespace moni::request;

void Put(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct TestEntry {
  std::uint32_t key;
  std::string value;  // bytes as they go into the data area
};

// A well-formed block: header, table of `entries`, data area holding the
// values followed by `extra`.
std::vector<std::uint8_t> Build(const std::vector<TestEntry>& entries, const std::string& extra = {}) {
  const size_t table = kHeaderSize, tableSize = entries.size() * kEntrySize, data = table + tableSize;
  std::string area;
  for (const auto& e : entries) area += e.value;
  area += extra;
  std::vector<std::uint8_t> b(data + area.size());
  Put(b, 0, static_cast<std::uint32_t>(b.size()));
  Put(b, 4, static_cast<std::uint32_t>(table));
  Put(b, 8, static_cast<std::uint32_t>(tableSize));
  Put(b, 16, static_cast<std::uint32_t>(entries.size()));
  Put(b, 20, static_cast<std::uint32_t>(area.size()));
  size_t at = data;
  for (size_t i = 0; i < entries.size(); ++i) {
    Put(b, table + i * kEntrySize, static_cast<std::uint32_t>(at));
    Put(b, table + i * kEntrySize + 4, static_cast<std::uint32_t>(entries[i].value.size()));
    Put(b, table + i * kEntrySize + 8, entries[i].key);
    at += entries[i].value.size();
  }
  std::copy(area.begin(), area.end(), b.begin() + data);
  return b;
}

PortFileJob PortFile(const std::vector<std::uint8_t>& b) {
  const auto block = Block::Read(b);
  EXPECT_TRUE(block.has_value());
  return block ? ReadPortFileJob(*block) : PortFileJob{};
}

TEST(RequestBlock, PortFileJobNeedsTheMarkAndAJobEntry) {
  // A port-file job with its number.
  auto job = PortFile(Build({{1, "x"}, {kKeyJobId, "42"}}, "\x07"));
  EXPECT_TRUE(job.portFile);
  EXPECT_EQ(job.jobId, 42u);
  // No mark: not a port-file job, but the number is still read.
  job = PortFile(Build({{kKeyJobId, "42"}}, "abc"));
  EXPECT_FALSE(job.portFile);
  EXPECT_EQ(job.jobId, 42u);
  // The mark without a job entry.
  job = PortFile(Build({{3, "42"}}, "\x07"));
  EXPECT_FALSE(job.portFile);
  EXPECT_EQ(job.jobId, 0u);
  // The mark may be inside a value too: the whole data area counts.
  job = PortFile(Build({{kKeyJobId, "5"}, {2, std::string("a\x07", 2)}}));
  EXPECT_TRUE(job.portFile);
  // The later of two job entries wins; a value that is no number is passed over.
  job = PortFile(Build({{kKeyJobId, "11"}, {kKeyJobId, "12"}, {kKeyJobId, "abc"}}, "\x07"));
  EXPECT_TRUE(job.portFile);
  EXPECT_EQ(job.jobId, 12u);
}

TEST(RequestBlock, ValuesAsSingleByteOrWideText) {
  auto value = [](const std::string& s) {
    return ParseDecimalValue(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
  };
  EXPECT_EQ(value("  123"), 123u);
  EXPECT_EQ(value(std::string("77\0garbage", 10)), 77u);
  EXPECT_EQ(value(std::string("9\0" "1\0\0\0", 6)), 91u);  // UTF-16LE with its terminator
  EXPECT_EQ(value("4294967295"), 4294967295u);
  EXPECT_FALSE(value("4294967296"));
  EXPECT_FALSE(value(""));
  EXPECT_FALSE(value("-3"));
}

TEST(RequestBlock, WindowRequestKinds) {
  auto request = ReadWindowRequest(*Block::Read(Build({{kKeyJobId, "8"}, {kKeyOption, "1"}})));
  EXPECT_EQ(request.kind, RequestKind::AddJob);
  EXPECT_EQ(request.jobId, 8u);
  EXPECT_EQ(request.option, 1u);
  EXPECT_EQ(ReadWindowRequest(*Block::Read(Build({{kKeyOption, "1"}}))).kind, RequestKind::Detail);
  EXPECT_EQ(ReadWindowRequest(*Block::Read(Build({{kKeyJobId, "8"}}, "\x08"))).kind, RequestKind::None);
}

TEST(RequestBlock, BlocksPointingOutsideThemselvesAreRefused) {
  const auto good = Build({{kKeyJobId, "42"}}, "\x07");
  ASSERT_TRUE(Block::Read(good));
  // Only part of the block at hand, or a total size of 0 or below the header.
  EXPECT_FALSE(Block::Read(std::span(good).first(good.size() - 1)));
  auto bad = good;
  Put(bad, 0, 0);
  EXPECT_FALSE(Block::Read(bad));
  Put(bad, 0, 20);
  EXPECT_FALSE(Block::Read(bad));
  // A total size above the bytes at hand.
  bad = good;
  Put(bad, 0, static_cast<std::uint32_t>(good.size() + 1));
  EXPECT_FALSE(Block::Read(bad));
  // Table outside the block, with an offset that would wrap in 32 bits.
  bad = good;
  Put(bad, 4, 0xFFFFFFF0u);
  EXPECT_FALSE(Block::Read(bad));
  // More entries than the table holds.
  bad = good;
  Put(bad, 16, 2);
  EXPECT_FALSE(Block::Read(bad));
  // Data area past the end.
  bad = good;
  Put(bad, 20, 1000);
  EXPECT_FALSE(Block::Read(bad));
  // An entry whose value runs past the end, or starts there.
  bad = good;
  Put(bad, kHeaderSize + 4, 0xFFFFFFFFu);
  EXPECT_FALSE(Block::Read(bad));
  bad = good;
  Put(bad, kHeaderSize, static_cast<std::uint32_t>(good.size() + 4));
  EXPECT_FALSE(Block::Read(bad));
  // A smaller total size than the bytes at hand: only that much is the block.
  auto shorter = good;
  shorter.push_back(7);
  EXPECT_EQ(Block::Read(shorter)->TotalSize(), good.size());
}

TEST(RequestBlock, EntryWithoutOffsetIsNoValue) {
  auto b = Build({{kKeyJobId, "42"}}, "\x07");
  Put(b, kHeaderSize, 0);  // data offset 0
  const auto job = PortFile(b);
  EXPECT_FALSE(job.portFile);
  EXPECT_EQ(job.jobId, 0u);
}

}  // namespace
