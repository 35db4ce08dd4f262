// The status views' decisions: dialog types, captions, buttons, ink levels and
// the tank messages, the cartridge message, layout, time texts, shortening and
// the tip rotation.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/status/view_core.h"
#include "ui/status/watchdog_core.h"

namespace {

using namespace moni::view;

TEST(ViewTypes, WhatEachTypeShows) {
  struct Case {
    int type;
    bool status, job, jobActive;
    int ink;
    bool buttons, tips, tipsActive, minimizeBox, closeByButton;
  };
  const Case cases[] = {
      {1, true, false, false, 1, true, false, false, false, true},
      {2, true, false, false, 2, true, false, false, false, true},
      {3, false, true, true, 1, false, true, true, true, false},
      {4, false, true, false, 4, false, true, false, true, false},
      {0, true, false, false, 2, true, false, false, false, true},  // anything else is the detail type
      {5, true, false, false, 2, true, false, false, false, true},
  };
  for (const Case& c : cases) {
    const TypeLayout l = LayoutOfType(c.type);
    EXPECT_EQ(l.statusShown, c.status) << c.type;
    EXPECT_EQ(l.jobShown, c.job) << c.type;
    EXPECT_EQ(l.jobActive, c.jobActive) << c.type;
    EXPECT_EQ(l.inkMode, c.ink) << c.type;
    EXPECT_EQ(l.buttonsShown, c.buttons) << c.type;
    EXPECT_EQ(l.tipsShown, c.tips) << c.type;
    EXPECT_EQ(l.tipsActive, c.tipsActive) << c.type;
    EXPECT_EQ(l.minimizeBox, c.minimizeBox) << c.type;
    EXPECT_EQ(l.closeByButton, c.closeByButton) << c.type;
  }
  EXPECT_EQ(LayoutOfType(2).statusMode, 2);
  EXPECT_EQ(LayoutOfType(1).statusMode, 1);
}

TEST(ViewButtons, DetailTypeClosesInsteadOfStopping) {
  struct Case {
    int type, b1, b2;
    bool reset;
    ButtonPair expected;
  };
  const Case cases[] = {
      {2, 1601, 0, false, {1600, 0}},      // stop: close in the detail type
      {1, 1601, 0, false, {1601, 0}},      // the pop-up keeps it
      {2, 1612, 0, false, {1600, 0}},      // stop and reset
      {2, 1606, 1608, false, {1606, 1608}},  // ink cancel stays without a job reset
      {2, 1606, 1608, true, {1600, 1608}},
      {1, 1606, 0, true, {1606, 0}},
      {2, 1605, 0, true, {1605, 0}},
      {7, 1601, 1614, false, {1600, 1614}},  // an unknown type is the detail type
      {3, 1601, 0, false, {1601, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(MapButtons(c.type, c.b1, c.b2, c.reset), c.expected) << c.type << " " << c.b1;
  EXPECT_TRUE(CloseEnabled(1, 1600));
  EXPECT_FALSE(CloseEnabled(1, 1601));
  EXPECT_FALSE(CloseEnabled(3, 1600));
  EXPECT_FALSE(CloseEnabled(4, 1600));
}

TEST(ViewCaption, ProgressNamesThePortOthersTheProduct) {
  EXPECT_EQ(ViewCaption(3, u"Vigilo", u"Office", u"USB001"), u"Office - USB001");
  EXPECT_EQ(ViewCaption(3, u"Vigilo", u"", u"USB001"), u"USB001");
  EXPECT_EQ(ViewCaption(2, u"Vigilo", u"Office", u"USB001"), u"Vigilo : Office");
  EXPECT_EQ(ViewCaption(1, u"Vigilo", u"", u"USB001"), u"Vigilo : USB001");
  EXPECT_EQ(ViewCaption(4, u"Vigilo", u"Office", u"USB001"), u"Vigilo : Office");
}

TEST(ViewCaption, MinimizedPercentUsesIntegerDivision) {
  EXPECT_EQ(MinimizedPrefix(2, 3), u"(66%) ");
  EXPECT_EQ(MinimizedPrefix(1, 3), u"(33%) ");
  EXPECT_EQ(MinimizedPrefix(0, 1), u"(0%) ");
  EXPECT_EQ(MinimizedPrefix(3, 3), u"(100%) ");
  EXPECT_EQ(MinimizedPrefix(4, 3), u"(100%) ");  // never above the whole
  EXPECT_EQ(MinimizedPrefix(0xFFFFFFFFu, 0xFFFFFFFFu), u"(100%) ");  // no overflow in current * 100
  EXPECT_EQ(MinimizedPrefix(0x7FFFFFFFu, 0xFFFFFFFFu), u"(49%) ");
  EXPECT_EQ(MinimizedPrefix(5, 0), u"");
}

TEST(InkLevels, UnmeasurableIsFullAndAbsentOthersAreClamped) {
  const struct {
    int raw;
    InkLevel level;
  } cases[] = {
      {0, {0, false}},     {1, {1, false}},     {100, {100, false}}, {101, {100, false}}, {252, {100, false}},
      {253, {100, true}},  {254, {100, true}},  {255, {100, true}},  {256, {100, false}}, {-1, {0, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(LevelOfByte(c.raw), c.level) << c.raw;
}

TEST(InkLevels, HueByColourCodeThenInkCodeAndLabelsByCode) {
  EXPECT_EQ(HueOfInk(0x03, 0x01), InkHue::Cyan);
  EXPECT_EQ(HueOfInk(0x01, 0x00), InkHue::Black);
  EXPECT_EQ(HueOfInk(0x04, 0x09), InkHue::Magenta);  // unknown colour code: the ink code decides
  EXPECT_EQ(HueOfInk(0x05, 0x7F), InkHue::Yellow);
  EXPECT_EQ(HueOfInk(0x07, 0x04), InkHue::Grey);
  EXPECT_EQ(InkLabelId(0, 0x03), 4150u);  // the table's own row
  EXPECT_EQ(InkLabelId(3, 0x01), 4153u);
  EXPECT_EQ(InkLabelId(0, 0x01), 4153u);  // black in the first slot of a two-ink model
  EXPECT_EQ(InkLabelId(1, 0x07), 0u);
}

moni::status::StatusBuff Record(std::initializer_list<int> levels) {
  moni::status::StatusBuff r;
  std::memset(&r, 0, sizeof r);
  int i = 0;
  for (int level : levels) {
    r.abyInkRemain[i] = static_cast<std::uint8_t>(level);
    r.awInkCode[i] = static_cast<std::uint16_t>(i == 3 ? 0x01 : 0x03 + i);
    r.awInkColor[i] = static_cast<std::uint16_t>(i == 3 ? 0 : i + 1);
    ++i;
  }
  r.byInkCount = static_cast<std::uint8_t>(i);
  return r;
}

TEST(InkLevels, AreaKeepsFourTanksAndTheBlockStaysInsideThem) {
  const auto four = InkAreaOf(Record({80, 255, 150, 0}));
  EXPECT_EQ(four.count, 4);
  EXPECT_FALSE(four.clipped);
  EXPECT_EQ(four.level[1], (InkLevel{100, true}));
  EXPECT_EQ(four.level[2], (InkLevel{100, false}));
  EXPECT_EQ(four.hue[3], InkHue::Black);
  EXPECT_EQ(four.labelId[0], 4150u);

  auto many = Record({10, 20, 30, 40, 50, 60});
  many.byInkCount = 10;
  const auto clipped = InkAreaOf(many);
  EXPECT_EQ(clipped.count, 4);
  EXPECT_TRUE(clipped.clipped);
  const LevelBlock block = LevelBlockOf(clipped);
  EXPECT_EQ(block.count, 4);
  EXPECT_EQ(block.percent[3], 40);

  const auto none = InkAreaOf(Record({}));
  EXPECT_EQ(none.count, 0);
  const LevelBlock empty = LevelBlockOf(none);
  const LevelBlock zero{};
  EXPECT_EQ(std::memcmp(&empty, &zero, sizeof zero), 0);
}

TEST(TankMessages, WarningsThenErrorsInTableOrder) {
  // warnings: ink 1 bit 0x2, ink 0 bit 0x1; errors: ink 2 bit 0x8, ink 0 bit 0x1, ink 3 bit 0x4, ink 1 bit 0x2
  const TankPlan plan = PlanTankConditions(0x00000021, 0x00004821, 4);
  const std::vector<TankMessage> expected = {
      {1, 23, true}, {0, 23, true},                  // warnings: all 0x2 bits, then all 0x1 bits
      {1, 25, true}, {3, 25, true},                  // errors 0x2 (ink 1), 0x4 (ink 3)
      {0, 24, false},                                // errors 0x1
      {2, 25, true},                                 // errors 0x8
  };
  EXPECT_EQ(plan.messages, expected);
  ASSERT_TRUE(plan.marksSet);  // the last error row that passes levels: 0x8
  EXPECT_EQ(plan.marks[0], 0);
  EXPECT_EQ(plan.marks[1], 1);

  const TankPlan absent = PlanTankConditions(0, 0x4, 4);
  EXPECT_EQ(absent.marks[0], 1);
  EXPECT_EQ(absent.marks[1], 1);
  EXPECT_FALSE(PlanTankConditions(0x1, 0x1, 4).marksSet);  // warnings and "empty" set no marks
}

TEST(TankMessages, OnlyTanksOfPresentInks) {
  EXPECT_TRUE(PlanTankConditions(0xFFFFFFFF, 0xFFFFFFFF, 0).messages.empty());
  const TankPlan two = PlanTankConditions(0, 0x1111, 2);
  EXPECT_EQ(two.messages, (std::vector<TankMessage>{{0, 24, false}, {1, 24, false}}));
  EXPECT_EQ(PlanTankConditions(0, 0x11111111, 9).messages.size(), 4u);  // never past the fourth tank
}

TEST(TankMessages, UnmeasurableLevelIsNeverAnEmptyTank) {
  const LevelBlock block = LevelBlockOf(InkAreaOf(Record({253, 254, 255, 0})));
  TankView views[4];
  for (int i = 0; i < 4; ++i) views[i] = ApplyTankCommand({}, i, kTankLevel, &block);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(views[i].state, TankState::Level) << i;
    EXPECT_TRUE(views[i].absent) << i;
    EXPECT_EQ(views[i].percent, 100) << i;
  }
  EXPECT_FALSE(views[3].absent);
  EXPECT_EQ(views[3].percent, 0);
  // The error rows keep the absent flag; "out" empties only the tank it names.
  EXPECT_TRUE(ApplyTankCommand(views[2], 2, kTankError, &block).absent);
  EXPECT_EQ(ApplyTankCommand(views[3], 3, kTankEmpty, nullptr).state, TankState::Empty);
  // A zeroed block (no ink data) is "no data", not an empty tank.
  const LevelBlock zero{};
  EXPECT_EQ(ApplyTankCommand(views[0], 0, kTankError, &zero).state, TankState::NoData);
  // A command that passes levels without a block, or a tank past the block.
  EXPECT_EQ(ApplyTankCommand(views[0], 0, kTankLevel, nullptr).state, TankState::NoData);
  EXPECT_EQ(ApplyTankCommand(views[0], 4, kTankLevel, &block).state, TankState::NoData);
  EXPECT_EQ(ApplyTankCommand(views[0], -1, kTankLow, &block).state, TankState::NoData);
  // Unknown commands change nothing; the packed form round-trips.
  const TankView low = ApplyTankCommand({}, 1, kTankLow, &block);
  EXPECT_EQ(PackTankView(ApplyTankCommand(low, 1, 99, &block)), PackTankView(low));
  const TankView back = UnpackTankView(PackTankView(low));
  EXPECT_EQ(back.state, TankState::Low);
  EXPECT_TRUE(back.absent);
  EXPECT_EQ(back.percent, 100);
}

TEST(CartridgeMessage, BlackOrColourByTheValues) {
  const std::vector<int> low = {80, 50, 90};
  const std::vector<int> high = {80, 51, 90};
  EXPECT_EQ(ChooseCartridgeMessage(20, 35, low), (CartridgeMessage{30651, true, 20, false}));
  EXPECT_EQ(ChooseCartridgeMessage(20, 35, high), CartridgeMessage{});  // no level below 51
  EXPECT_EQ(ChooseCartridgeMessage(-1, 35, low), CartridgeMessage{});
  EXPECT_EQ(ChooseCartridgeMessage(20, -1, low), CartridgeMessage{});
  EXPECT_EQ(ChooseCartridgeMessage(100, 99, low), (CartridgeMessage{30654, true, 99, true}));
  EXPECT_EQ(ChooseCartridgeMessage(101, 100, low), (CartridgeMessage{30653, false, 0, true}));
  EXPECT_EQ(ChooseCartridgeMessage(5, 0, low), (CartridgeMessage{30655, false, 0, true}));
  EXPECT_EQ(ChooseCartridgeMessage(5, 5, low), (CartridgeMessage{30651, true, 5, false}));  // equal: black
  EXPECT_EQ(ChooseCartridgeMessage(100, 100, low), (CartridgeMessage{30650, false, 0, false}));
  EXPECT_EQ(ChooseCartridgeMessage(0, 7, low), (CartridgeMessage{30652, false, 0, false}));
  EXPECT_EQ(ChooseCartridgeMessage(1, 7, low), (CartridgeMessage{30651, true, 1, false}));
  EXPECT_EQ(ChooseCartridgeMessage(20, 35, {}), CartridgeMessage{});
}

TEST(ViewLayout, HiddenSubViewsTakeNoRoom) {
  const StackResult r = StackSubViews({{true, 100}, {false, 80}, {true, 60}, {false, 40}, {true, 20}}, 31);
  EXPECT_EQ(r.top, (std::vector<int>{0, 100, 100, 160, 160}));
  EXPECT_EQ(r.clientHeight, 180);
  EXPECT_EQ(r.windowHeight, 211);
  EXPECT_EQ(StackSubViews({{false, 10}}, 25).windowHeight, 25);
}

TEST(ViewLayout, RowsWithGapsOnlyBetweenShownRows) {
  const RowResult r = StackRows(10, 4, {{true, 20}, {false, 9}, {true, 9}, {true, 14}});
  EXPECT_EQ(r.top, (std::vector<int>{10, 30, 34, 47}));
  EXPECT_EQ(r.bottom, 61);
  EXPECT_EQ(StackRows(10, 4, {{false, 20}, {true, 9}}).top, (std::vector<int>{10, 10}));
  EXPECT_EQ(StackRows(10, 4, {{false, 20}}).bottom, 10);
}

TEST(ViewLayout, TanksSpreadEvenlyAndNeverOverlap) {
  EXPECT_EQ(TankLefts(4, 0, 200, 40), (std::vector<int>{8, 56, 104, 152}));  // five gaps of 8
  EXPECT_EQ(TankLefts(2, 10, 200, 40), (std::vector<int>{50, 130}));
  EXPECT_EQ(TankLefts(1, 0, 41, 40), (std::vector<int>{0}));
  EXPECT_EQ(TankLefts(3, 0, 100, 40), (std::vector<int>{0, 40, 80}));  // too narrow: side by side
  EXPECT_TRUE(TankLefts(0, 0, 100, 40).empty());
}

TEST(JobArea, RemainingTimeInMinutesFromSixtySeconds) {
  EXPECT_EQ(RemainingTimeText(false, 90).stringId, 0);
  EXPECT_EQ(RemainingTimeText(true, 59).stringId, 1703);
  EXPECT_EQ(RemainingTimeText(true, 59).value, 59);
  EXPECT_EQ(RemainingTimeText(true, 60).stringId, 1702);
  EXPECT_EQ(RemainingTimeText(true, 60).value, 1);
  EXPECT_EQ(RemainingTimeText(true, 119).value, 1);
  EXPECT_EQ(RemainingTimeText(true, 0xFFFFFFFF).value, 0x7FFFFFFF / 60);  // a huge value stays positive
}

TEST(JobArea, TemplatesAreNeverPrintfFormats) {
  EXPECT_EQ(FormatText(u"Sheet %d of %d", {2, 5}), u"Sheet 2 of 5");
  EXPECT_EQ(FormatText(u"%s %n %d", {3}), u" %n ");  // a wrong or missing argument prints nothing
}

TEST(JobArea, NameFieldsEndAtTheirSize) {
  char16_t full[4] = {u'a', u'b', u'c', u'd'};  // no terminator: the field's end ends it
  EXPECT_EQ(FixedText(full), u"abcd");
  char16_t shorter[4] = {u'a', 0, u'c', 0};
  EXPECT_EQ(FixedText(shorter), u"a");
}

TEST(JobArea, ShortenedTextFitsExactlyAndKeepsPairs) {
  auto measure = [](std::u16string_view t) { return static_cast<int>(t.size()) * 10; };  // 10 per unit
  EXPECT_EQ(ShortenToFit(u"Report", 60, measure), u"Report");          // exactly full
  EXPECT_EQ(ShortenToFit(u"Report", 59, measure), u"Repo\u2026");     // one short: 4 units and the ellipsis
  EXPECT_EQ(ShortenToFit(u"Report", 10, measure), u"\u2026");
  EXPECT_EQ(ShortenToFit(u"Report", 9, measure), u"");
  EXPECT_EQ(ShortenToFit(u"", 0, measure), u"");
  // "ab" + one character outside the basic plane + "cd": a cut in the pair drops the pair.
  const std::u16string pair = u"ab\U0001F5A8cd";
  EXPECT_EQ(ShortenToFit(pair, 40, measure), u"ab\u2026");
  EXPECT_EQ(ShortenToFit(pair, 50, measure), u"ab\U0001F5A8\u2026");
}

std::vector<TipEntry> Tips() { return {{2200, 2300}, {2201, 2301}, {2202, 2302}}; }

TEST(Tips, EveryFifthTickAndHeldBackTicksDoNotCount) {
  TipRotation tips(Tips());
  EXPECT_EQ(tips.Index(), -1);
  EXPECT_FALSE(tips.Tick(false));  // hidden: no rotation
  tips.Show();
  EXPECT_EQ(tips.Current()->textId, 2200);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(tips.Tick(false)) << i;
  EXPECT_FALSE(tips.Tick(true));  // held back: does not count
  EXPECT_TRUE(tips.Tick(false));  // the fifth counted tick
  EXPECT_EQ(tips.Index(), 1);
  EXPECT_TRUE(tips.Next());
  EXPECT_TRUE(tips.Next());
  EXPECT_EQ(tips.Index(), 0);  // back to the first after the last
  tips.Hide();
  EXPECT_EQ(tips.Current(), nullptr);
}

TEST(Tips, InkTipLeavesAndReturnsWithoutLosingTheCurrentTip) {
  TipRotation tips(Tips());
  tips.Show();
  tips.Next();
  tips.Next();  // on 2202, the last
  tips.SetInkTip(false);
  ASSERT_EQ(tips.Entries().size(), 2u);
  EXPECT_EQ(tips.Current()->textId, 2202);  // index moved with it, not past the end
  tips.SetInkTip(true);
  EXPECT_EQ(tips.Entries()[1].textId, 2201);  // back at its configured place
  EXPECT_EQ(tips.Current()->textId, 2202);
  tips.SetInkTip(true);  // once only
  EXPECT_EQ(tips.Entries().size(), 3u);
  // The ink tip itself leaves while shown: the one after it is shown.
  tips.Next();
  tips.Next();
  ASSERT_EQ(tips.Current()->textId, 2201);
  tips.SetInkTip(false);
  EXPECT_EQ(tips.Current()->textId, 2202);

  TipRotation only({{2201, 2301}});
  only.Show();
  only.SetInkTip(false);
  EXPECT_EQ(only.Current(), nullptr);
  EXPECT_FALSE(only.Next());
}

TEST(Tips, NewJobShowsTheNextTipAtOnce) {
  TipRotation tips(Tips());
  tips.Show();
  EXPECT_TRUE(tips.JobChanged(7));
  EXPECT_EQ(tips.Index(), 1);
  EXPECT_FALSE(tips.JobChanged(7));
  EXPECT_FALSE(tips.JobChanged(0));
  EXPECT_TRUE(tips.JobChanged(7));  // a job after "none" is another job
}

TEST(WatchDogCore, EventNamesPerPrinterWithSlashes) {
  EXPECT_EQ(moni::watchdog::EventName(u"\\\\server\\Office"), u"WatchDogPeriodEvent_//server/Office");
  EXPECT_NE(moni::watchdog::EventName(u"A"), moni::watchdog::EventName(u"B"));
  EXPECT_EQ(moni::watchdog::EventName(u""), u"WatchDogPeriodEvent_");
}

TEST(WatchDogCore, FallbackMeasureRestartsWhenTheCountGoesBack) {
  moni::watchdog::SleepMeasure m{1000};
  EXPECT_FALSE(m.Done(1999, 1000));
  EXPECT_TRUE(m.Done(2000, 1000));  // exactly the period
  moni::watchdog::SleepMeasure wrapped{0xFFFFFF00u};
  EXPECT_FALSE(wrapped.Done(10, 1000));  // went back: starts again at 10
  EXPECT_EQ(wrapped.start, 10u);
  EXPECT_FALSE(wrapped.Done(1009, 1000));
  EXPECT_TRUE(wrapped.Done(1010, 1000));
}

}  // namespace
