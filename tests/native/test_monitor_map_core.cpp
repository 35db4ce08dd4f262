#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/monitor_map_core.h"

namespace {

using namespace moni::monitormap;

constexpr std::int32_t kPrefs = 0, kStatus = 1, kStatus2 = 2, kTray = 3;

struct Map {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kSectionSize, 0xCC);
  std::set<std::uint64_t> windows;  // the handles that are live windows

  Map() { InitialiseNew(bytes); }
  CheckOutcome Check(std::u16string_view key, std::int32_t role, std::uint64_t own) {
    return CheckAndRegister(bytes, key, role, own, [this](std::uint64_t h) { return windows.count(h) != 0; });
  }
  char16_t First(size_t k) const { return FirstChar(bytes, k); }
};

std::u16string KeyNumber(size_t i) { return u"Printer " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                            std::u16string(1, static_cast<char16_t>(0x100 + i)); }

TEST(MonitorMap, RegistrationsFillRecordsAndMoveTheEndMarker) {
  Map map;
  EXPECT_EQ(map.Check(u"A", kTray, 0xFFFFFFFFFFFFFFFFull).result, CheckResult::Holds);
  EXPECT_EQ(ReadKey(map.bytes, 0), u"A");
  EXPECT_EQ(map.First(1), kEndMarker);
  // Reserved and other handle fields are cleared, the handle sits unaligned.
  EXPECT_EQ(ReadHandle(map.bytes, 0, kStatusHandleOffset), 0u);
  EXPECT_EQ(ReadHandle(map.bytes, 0, kPrefsHandleOffset), 0u);
  EXPECT_EQ(map.bytes[kReservedOffset], 0);
  EXPECT_EQ(map.bytes[kTrayHandleOffset], 0xFF);
  EXPECT_EQ(map.bytes[kRecordSize + 2], 0xCC);  // only the marker went into record 1

  ASSERT_TRUE(SetTrayWindow(map.bytes, u"A", 0x10010));
  EXPECT_FALSE(SetTrayWindow(map.bytes, u"Z", 0x10010));
  map.windows.insert(0x10010);

  EXPECT_EQ(map.Check(u"B", kTray, 0x20020).result, CheckResult::Holds);
  EXPECT_EQ(map.First(2), kEndMarker);
  EXPECT_EQ(FindRecord(map.bytes, u"b"), 1u);

  // A second tray program for "a" finds the running one.
  const CheckOutcome again = map.Check(u"a", kTray, 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(again.result, CheckResult::HeldByOther);
  EXPECT_EQ(again.otherWindow, 0x10010u);
  // Roles 1 and 2 share one field; other roles are always taken.
  EXPECT_EQ(map.Check(u"A", kStatus, 0x30030).result, CheckResult::Holds);
  map.windows.insert(0x30030);
  EXPECT_EQ(map.Check(u"A", kStatus2, 0x40040).otherWindow, 0x30030u);
  const CheckOutcome unknown = map.Check(u"New", 7, 0x50050);
  EXPECT_EQ(unknown.result, CheckResult::HeldByOther);
  EXPECT_EQ(unknown.otherWindow, 0u);
  EXPECT_FALSE(FindRecord(map.bytes, u"New"));
}

TEST(MonitorMap, DeadWindowsAreReplacedAndReleasedRecordsReused) {
  Map map;
  ASSERT_EQ(map.Check(u"A", kTray, 0x10010).result, CheckResult::Holds);
  ASSERT_EQ(map.Check(u"A", kStatus, 0x20020).result, CheckResult::Holds);
  ASSERT_EQ(map.Check(u"B", kPrefs, 0x30030).result, CheckResult::Holds);
  map.windows = {0x10010, 0x20020};

  // Tray crashed: its handle is no longer a window, the next one takes over.
  map.windows.erase(0x10010);
  EXPECT_EQ(map.Check(u"A", kTray, 0x11011).result, CheckResult::Holds);
  EXPECT_EQ(ReadHandle(map.bytes, 0, kTrayHandleOffset), 0x11011u);

  // Status window closes while the tray runs: the record stays in use.
  Release(map.bytes, u"a", kStatus);
  EXPECT_EQ(ReadKey(map.bytes, 0), u"A");
  Release(map.bytes, u"A", kTray);
  EXPECT_EQ(map.First(0), kFree);
  Release(map.bytes, u"A", kTray);  // no longer registered: nothing happens
  EXPECT_EQ(ReadKey(map.bytes, 1), u"B");

  // The freed record is the first one reused; the marker stays where it is.
  EXPECT_EQ(map.Check(u"C", kTray, 0x40040).result, CheckResult::Holds);
  EXPECT_EQ(ReadKey(map.bytes, 0), u"C");
  EXPECT_EQ(ReadHandle(map.bytes, 0, kStatusHandleOffset), 0u);
  EXPECT_EQ(map.First(2), kEndMarker);
  EXPECT_EQ(map.First(3), 0xCCCC);
}

TEST(MonitorMap, TableHoldsAtMost499Keys) {
  // Also when another process made the section larger than ours: records
  // past the 500th are never used.
  Map map;
  map.bytes.resize(kSectionSize + kRecordSize, 0xCC);
  for (size_t i = 0; i < kRecordCount - 1; ++i) {
    ASSERT_EQ(map.Check(KeyNumber(i), kTray, i + 1).result, CheckResult::Holds) << i;
  }
  EXPECT_EQ(map.First(kRecordCount - 1), kEndMarker);
  const std::vector<std::uint8_t> full = map.bytes;
  EXPECT_EQ(map.Check(u"One too many", kTray, 1).result, CheckResult::Unusable);
  EXPECT_EQ(map.bytes, full);
  EXPECT_EQ(FindRecord(map.bytes, KeyNumber(498)), 498u);
  EXPECT_EQ(map.bytes[kSectionSize], 0xCC);

  Release(map.bytes, KeyNumber(250), kTray);
  EXPECT_EQ(map.Check(u"One too many", kTray, 1).result, CheckResult::Holds);
  EXPECT_EQ(FindRecord(map.bytes, u"ONE TOO MANY"), 250u);
}

TEST(MonitorMap, KeysAreBoundedAndCompareWithoutCase) {
  Map map;
  const std::u16string longest(kKeyMaxChars, u'k');
  EXPECT_EQ(map.Check(longest + u"k", kTray, 1).result, CheckResult::Unusable);
  EXPECT_EQ(map.Check(u"", kTray, 1).result, CheckResult::Unusable);
  EXPECT_EQ(map.Check(std::u16string(u"a\0b", 3), kTray, 1).result, CheckResult::Unusable);
  // A name starting with U+00FF would read as the end of the table.
  EXPECT_EQ(map.Check(u"\u00ffprinter", kTray, 1).result, CheckResult::Unusable);
  EXPECT_EQ(map.First(0), kEndMarker);  // nothing was claimed

  ASSERT_EQ(map.Check(longest, kTray, 1).result, CheckResult::Holds);
  EXPECT_EQ(ReadKey(map.bytes, 0), longest);
  EXPECT_TRUE(FindRecord(map.bytes, std::u16string(kKeyMaxChars, u'K')));
  EXPECT_FALSE(FindRecord(map.bytes, longest.substr(1)));

  ASSERT_EQ(map.Check(u"\u00c4rger \u0416 \u0139", kTray, 2).result, CheckResult::Holds);
  EXPECT_EQ(FindRecord(map.bytes, u"\u00e4RGER \u0436 \u013a"), 1u);
}

TEST(MonitorMap, RecordsWrittenByOthersAreNotTrusted) {
  // Record 0's key fills its field without a terminator; the record after it
  // ends the table. The key is read only up to its field.
  Map map;
  for (size_t i = 0; i < kKeyBytes; i += 2) {
    map.bytes[i] = 'X';
    map.bytes[i + 1] = 0;
  }
  map.bytes[kRecordSize] = 0xFF;
  map.bytes[kRecordSize + 1] = 0;
  EXPECT_EQ(ReadKey(map.bytes, 0).size(), kKeyBytes / 2);
  EXPECT_FALSE(FindRecord(map.bytes, std::u16string(kKeyMaxChars, u'x')));
  // A key as long as the whole field never matches it, even when the bytes
  // after the field happen to be zero.
  map.bytes[kReservedOffset] = map.bytes[kReservedOffset + 1] = 0;
  EXPECT_FALSE(FindRecord(map.bytes, std::u16string(kKeyBytes / 2, u'x')));
  EXPECT_EQ(map.Check(std::u16string(kKeyMaxChars, u'x'), kTray, 1).result, CheckResult::Holds);
  EXPECT_EQ(FindRecord(map.bytes, std::u16string(kKeyMaxChars, u'x')), 1u);

  // A buffer of one record, in use and without end marker: no record can be
  // claimed and nothing past the buffer is touched.
  std::vector<std::uint8_t> one(kRecordSize, 'Y');
  EXPECT_EQ(CheckAndRegister(one, u"Y", kTray, 1, nullptr).result, CheckResult::Unusable);
  EXPECT_FALSE(SetTrayWindow(one, u"Y", 1));
  Release(one, u"Y", kTray);
  EXPECT_EQ(one, std::vector<std::uint8_t>(kRecordSize, 'Y'));

  // A buffer too short for a record holds none.
  std::vector<std::uint8_t> shortBuffer(kRecordSize - 1, 0);
  InitialiseNew(shortBuffer);
  EXPECT_EQ(shortBuffer, std::vector<std::uint8_t>(kRecordSize - 1, 0));
  EXPECT_EQ(CheckAndRegister(shortBuffer, u"Y", kTray, 1, nullptr).result, CheckResult::Unusable);
}

TEST(MonitorMap, OnlyWholeRecordsOfTheSectionCount) {
  const struct {
    size_t bytes, records;
  } rows[] = {
      {0, 0},
      {kRecordSize - 1, 0},
      {kRecordSize, 1},
      {2 * kRecordSize - 1, 1},
      {kSectionSize - 1, kRecordCount - 1},
      {kSectionSize, kRecordCount},
      {kSectionSize + kRecordSize, kRecordCount},
  };
  for (const auto& row : rows) {
    const std::vector<std::uint8_t> bytes(row.bytes);
    EXPECT_EQ(RecordsIn(bytes), row.records) << row.bytes;
  }
  // Two records: the first claim moves the marker into the last record,
  // which no claim can then take.
  std::vector<std::uint8_t> two(2 * kRecordSize, 0xCC);
  InitialiseNew(two);
  EXPECT_EQ(CheckAndRegister(two, u"A", kTray, 1, nullptr).result, CheckResult::Holds);
  EXPECT_EQ(FirstChar(two, 1), kEndMarker);
  EXPECT_EQ(CheckAndRegister(two, u"B", kTray, 1, nullptr).result, CheckResult::Unusable);
}

}  // namespace
