// The status window actions' decisions: remote command bytes, the remaining
// ink reply, the reset replies and their retries, help contexts and the
// ink-monitor bookkeeping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/status/actions_core.h"

namespace {

using namespace moni::actions;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(ActionsCore, CommandsHaveTheirExactBytes) {
  EXPECT_EQ(RemoteCommand('r', 's'), (std::vector<std::uint8_t>{'r', 's', 1, 0, 1}));
  EXPECT_EQ(RemoteCommand('p', 'e'), (std::vector<std::uint8_t>{'p', 'e', 1, 0, 1}));
  EXPECT_EQ(ExCommand(), (std::vector<std::uint8_t>{'e', 'x', 6, 0, 0, 0, 0, 0, 0x19, 0}));
}

TEST(ActionsCore, TagchipRemainReadsTwoValuesOrNone) {
  struct Case {
    std::string reply;
    int black, colour;
  };
  const Case cases[] = {
      {"@BDC PS\r\nIR:0050003C;", 0x50, 0x3C},
      {"@bdc ps\r\nir:FFFFabcd;", 0xFFFF, 0xABCD},      // letter case of the head and digits
      {"@BDC PS\r\nIR:0050003C;trailing", 0x50, 0x3C},  // 21 bytes are read
      {"@BDC PS\r\nIR:0050003C", -1, -1},               // 20 bytes: one short
      {"@BDC PS\r\nIR:0050003C:", -1, -1},              // no closing ";"
      {"@BDC PS\r\nIR:NAVL003C;", -1, -1},
      {"@BDC PS\r\nIR:0050BUSY;", -1, -1},
      {"@BDC PS\r\nIR:00G0003C;", -1, -1},  // not hexadecimal
      {"@BDC ST\r\nIR:0050003C;", -1, -1},  // another reply
      {"", -1, -1},
  };
  for (const Case& c : cases) {
    const auto bytes = Bytes(c.reply);
    const TagchipRemain r = DecodeTagchipRemain(bytes.data(), bytes.size());
    EXPECT_EQ(r.black, c.black) << c.reply;
    EXPECT_EQ(r.colour, c.colour) << c.reply;
  }
  EXPECT_EQ(DecodeTagchipRemain(nullptr, 21).black, -1);
}

TEST(ActionsCore, ResetRepliesRetryThreeTimesAtMost) {
  struct Case {
    bool dSeries;
    int result;
    std::string reply;
    int retries;
    ResetStep step;
  };
  const Case cases[] = {
      {true, 6, "rj:OK;", 0, ResetStep::End},
      {true, 6, "RJ:ok;", 2, ResetStep::End},
      {true, 6, "rj:NA;", 0, ResetStep::Retry},
      {true, 8, "rj:BUSY;", 2, ResetStep::Retry},  // the third resend
      {true, 8, "rj:BUSY;", 3, ResetStep::End},    // no fourth
      {true, 6, "rj:NA;", 3, ResetStep::End},
      {true, 7, "rj:BUSY", 0, ResetStep::Leave},   // one short of the prefix
      {true, 6, "ex:OK;", 1, ResetStep::Leave},    // another reply leaves the count
      {false, 8, "rj:BUSY;", 0, ResetStep::End},   // a plain print server: no retries
      {true, 0, "rj:BUSY;", 0, ResetStep::End},    // nothing received
      {true, -10, "", 1, ResetStep::End},
  };
  for (const Case& c : cases) {
    const auto bytes = Bytes(c.reply);
    EXPECT_EQ(NextResetStep(c.dSeries, c.result, bytes.data(), bytes.size(), c.retries), c.step)
        << c.reply << " after " << c.retries << " (" << c.dSeries << ", " << c.result << ")";
  }
}

TEST(ActionsCore, HelpContextsInDecimalOrHexadecimal) {
  struct Case {
    std::u16string text;
    long long context;
  };
  const Case cases[] = {
      {u"1001", 1001},           {u"0x3E9", 0x3E9},     {u"0X3e9", 0x3E9},
      {u"0x3G9", 0},             // an invalid hexadecimal digit
      {u"0x", 0},                {u"", 0},              {u"12abc", 12},
      {u"-5", -1},               // negative: nothing is shown
      {u"4294967295", 4294967295LL}, {u"4294967296", -1},  // the 32-bit limit and one past it
      {u"0xFFFFFFFF", 0xFFFFFFFFLL}, {u"0x100000000", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHelpContext(c.text), c.context) << std::string(c.text.begin(), c.text.end());
}

TEST(ActionsCore, StoredInkStartsOverForANewColourAndForgetsThePopUpOnARefill) {
  struct Case {
    StoredInk stored;
    std::u16string color;
    int level;
    StoredInk next;
  };
  const Case cases[] = {
      {{u"1", 1, 30, 1}, u"1", 20, {u"1", 1, 20, 1}},     // falling: the pop-up mark stays
      {{u"1", 1, 30, 1}, u"1", 31, {u"1", 0, 31, 1}},     // a refill clears it
      {{u"1", 1, 30, 1}, u"1", 30, {u"1", 1, 30, 1}},     // equal: no refill
      {{u"1", 1, 30, 1}, u"2", 40, {u"2", 0, 40, 0}},     // another cartridge: from the start
      {{u"1", 1, 30, 1}, u"1", 252, {u"1", 0, 252, 1}},   // the highest valid level
      {{u"1", 1, 30, 1}, u"1", 253, {u"1", 1, 30, 1}},    // not valid: kept as it is
      {{u"", 0, 100, 0}, u"3", 253, {u"3", 0, 100, 0}},
  };
  for (const Case& c : cases) {
    const StoredInk n = UpdateStoredInk(c.stored, c.color, c.level);
    EXPECT_EQ(n.color, c.next.color) << c.level;
    EXPECT_EQ(n.popup, c.next.popup) << c.level;
    EXPECT_EQ(n.inkRemain, c.next.inkRemain) << c.level;
    EXPECT_EQ(n.isPopup, c.next.isPopup) << c.level;
  }
}

TEST(ActionsCore, InkMonitorStartsForEmptyAndLowInksWithinTheInkCount) {
  const std::uint8_t levels[] = {0, 40, 0, 0};
  const std::uint8_t low[] = {16, 19, 20, 15, 3};
  std::string got;
  for (const auto& s : InkMonitorStarts(5, levels, 4, low, 5, 3)) got += std::string(1, s.kind) + std::to_string(s.ink) + " ";
  // ink 3 is beyond the count of 3; code 19 is ink 3; codes below 16 are no ink
  EXPECT_EQ(got, "E0 E2 L0 ");
  got.clear();
  for (const auto& s : InkMonitorStarts(4, levels, 4, low, 2, 4)) got += std::string(1, s.kind) + std::to_string(s.ink) + " ";
  EXPECT_EQ(got, "L0 L3 ");  // mode 4: no empty-ink starts
}

}  // namespace
