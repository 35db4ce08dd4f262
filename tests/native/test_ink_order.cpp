#include <gtest/gtest.h>

#include <memory>

#include "foundation/command_line_core.h"
#include "ui/inkorder/order_info_core.h"
#include "ui/inkorder/reminder_core.h"
#include "ui/inkorder/reminder_json.h"

namespace {

using namespace moni::inkorder;
using Four = std::array<StoredValue, 4>;
constexpr std::nullopt_t none = std::nullopt;

Four All(std::uint32_t v) { return {v, v, v, v}; }

TEST(InkOrderThresholds, BorderLineIsFourPercentagesOrNothing) {
  const struct {
    std::u16string_view text;
    std::optional<std::array<std::uint32_t, 4>> expected;
  } cases[] = {
      {u"20,10,5,0", {{20, 10, 5, 0}}},
      {u"30,15,8,2", {{30, 15, 8, 2}}},
      {u" 30 , 15 ,\t8, 2 ", {{30, 15, 8, 2}}},
      {u"100,100,100,100", {{100, 100, 100, 100}}},  // the limit itself
      {u"0,0,0,0", {{0, 0, 0, 0}}},
      {u"101,10,5,0", none},  // one past the limit
      {u"20,10,5,101", none},
      {u"99999999999999999999,1,1,1", none},
      {u"20,10,5", none},  // fewer than four
      {u"20,10,5,0,0", none},  // more than four
      {u"20,10,5,0,", none},
      {u"20,,5,0", none},
      {u"-1,10,5,0", none},
      {u"+5,10,5,0", none},
      {u"2O,10,5,0", none},  // a letter O
      {u"20,10,5,x", none},
      {u"20 10,5,0,0", none},
      {u"", none},
      {u"\uFF12\uFF10,10,5,0", none},  // full-width digits
  };
  for (const auto& c : cases) {
    const auto parsed = ParseBorderLine(c.text);
    ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << std::string(c.text.begin(), c.text.end());
    if (parsed) {
      EXPECT_EQ(parsed->b, *c.expected);
    }
  }
  EXPECT_EQ(ThresholdsOf(std::nullopt), Thresholds{});
  EXPECT_EQ(ThresholdsOf(u"20,10"), Thresholds{});
  EXPECT_EQ(ThresholdsOf(u"30,15,8,2").b, (std::array<std::uint32_t, 4>{30, 15, 8, 2}));
}

TEST(InkOrderThresholds, ModesOrderTypesButtonsAndRemindLater) {
  const Thresholds t{{30, 15, 8, 2}};
  const struct {
    std::u16string_view mode;
    int type;
    std::uint32_t threshold;
    std::optional<std::uint32_t> later;
    OrderButtons buttons;
  } rows[] = {
      {u"MENU", 3, 100, none, {true, false, true}},  {u"AUTO20", 4, 30, 15, {true, true, true}},
      {u"AUTO10", 5, 15, 8, {true, true, true}},     {u"AUTO05", 6, 8, 2, {true, true, true}},
      {u"AUTO00", 7, 2, none, {true, false, true}},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(OrderTypeOfMode(r.mode), r.type);
    EXPECT_EQ(ModeOfOrderType(r.type), r.mode);
    EXPECT_EQ(ThresholdOfOrderType(r.type, t), r.threshold);
    EXPECT_EQ(RemindLaterLevel(r.type, t), r.later) << r.type;  // AUTO00 and MENU store nothing
    EXPECT_EQ(ButtonsOfOrderType(r.type), r.buttons) << r.type;
  }
  for (std::u16string_view other : {u"menu", u"Auto20", u"AUTO20 ", u"AUTO", u""}) EXPECT_EQ(OrderTypeOfMode(other), 0);
  for (int other : {0, 2, 8}) {
    EXPECT_EQ(ButtonsOfOrderType(other), OrderButtons{});
    EXPECT_EQ(ThresholdOfOrderType(other, t), 100u);
    EXPECT_FALSE(RemindLaterLevel(other, t).has_value());
    EXPECT_TRUE(ModeOfOrderType(other).empty());
  }
  EXPECT_EQ(ModeOfThreshold(8, t), u"AUTO05");
  EXPECT_EQ(ModeOfThreshold(9, t), u"");
  // A later equal threshold wins.
  EXPECT_EQ(ModeOfThreshold(0, Thresholds{{20, 10, 0, 0}}), u"AUTO00");
  EXPECT_EQ(ModeOfThreshold(20, Thresholds{{20, 20, 5, 0}}), u"AUTO10");
}

ReminderState On(std::vector<std::uint8_t> inks, Four levels, Four last = {}) {
  ReminderState s;
  s.inks = std::move(inks);
  s.enablePopup = 1;
  s.available = true;
  s.levels = levels;
  s.last = last;
  return s;
}

TEST(InkOrderReminder, Decisions) {
  const struct {
    const char* name;
    ReminderState state;
    std::optional<std::uint32_t> threshold;  // nothing: not due
    std::u16string_view mode;
    ReminderReason reason;
    Four levels, last;
  } cases[] = {
      {"15 % with the first level gets AUTO20 and records the levels", On({15, 80}, All(20)), 20, u"AUTO20",
       ReminderReason::Due, All(20), {15, 80, none, none}},
      {"after remind me later (level 10) 15 % is quiet", On({15, 80}, All(10), {15, 80}), none, u"",
       ReminderReason::AboveThreshold, All(10), {15, 80, none, none}},
      {"below 10 % the next reminder is AUTO10", On({9}, All(10), {15}), 10, u"AUTO10", ReminderReason::Due, All(10),
       {9, none, none, none}},
      {"below 5 % AUTO05", On({4}, All(5), {9}), 5, u"AUTO05", ReminderReason::Due, All(5), {4, none, none, none}},
      {"at 0 % AUTO00 whatever the stored level", On({0}, All(0), {4}), 0, u"AUTO00", ReminderReason::Due, All(0),
       {0, none, none, none}},
      {"two inks at 50 and 0: AUTO00 although the first is full", On({50, 0}, All(20), {50, 0}), 0, u"AUTO00",
       ReminderReason::Due, All(20), {50, 0, none, none}},
      {"a new cartridge sets the level to the band of the lowest ink: no reminder at 15 %",
       On({60, 15}, All(5), {10, 15}), none, u"", ReminderReason::AboveThreshold, All(10), {60, 15, none, none}},
      {"a new cartridge while another ink is at 0 still gives AUTO00", On({100, 0}, All(5), {3, 0}), 0, u"AUTO00",
       ReminderReason::Due, All(0), {100, 0, none, none}},
      {"an ink that rises beyond a missing last value (100) counts as replaced", On({255, 40}, All(5)), none, u"",
       ReminderReason::AboveThreshold, All(20), {255, 40, none, none}},
      {"levels never written and 50 %: no threshold passed, no out-of-ink reminder", On({50}, {}), none, u"",
       ReminderReason::AboveThreshold, {}, {50, none, none, none}},
      {"levels never written and 12 %: AUTO20", On({12}, {}), 20, u"AUTO20", ReminderReason::Due, {},
       {12, none, none, none}},
      {"the fifth ink is the lowest; only four last values are kept", On({50, 50, 50, 50, 3, 60}, All(20), All(50)), 5,
       u"AUTO05", ReminderReason::Due, All(20), All(50)},
      {"inks beyond the tenth are not looked at", On({50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 0, 0}, All(20), All(50)),
       none, u"", ReminderReason::AboveThreshold, All(20), All(50)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ReminderDecision d = DecideReminder(c.state);
    EXPECT_EQ(d.due, c.threshold.has_value());
    EXPECT_EQ(d.threshold, c.threshold);
    EXPECT_EQ(d.mode, c.mode);
    EXPECT_EQ(d.reason, c.reason);
    EXPECT_EQ(d.levels, c.levels);
    EXPECT_EQ(d.last, c.last);
  }
}

TEST(InkOrderReminder, MovedThresholds) {
  ReminderState s = On({20, 90}, All(30));
  s.borderLine = u"30,15,8,2";
  ReminderDecision d = DecideReminder(s);
  EXPECT_TRUE(d.borderLineUsed);
  EXPECT_EQ(d.threshold, 30u);
  EXPECT_EQ(d.mode, u"AUTO20");
  s.levels = {21, 30, 30, 30};  // the smallest stored level decides
  EXPECT_TRUE(DecideReminder(s).due);
  s.levels = All(20);  // only a stored level above 20 gives the reminder
  EXPECT_FALSE(DecideReminder(s).due);

  // Below B3 the reminder is the last one (AUTO00), so that remind me later,
  // which would store B3 again, cannot bring it back after every update.
  s.inks = {1, 90};
  s.levels = All(2);
  d = DecideReminder(s);
  EXPECT_EQ(d.threshold, 2u);
  EXPECT_EQ(d.mode, u"AUTO00");
  s.inks = {0, 90};
  EXPECT_EQ(DecideReminder(s).mode, u"AUTO00");

  s.borderLine = u"30,15,8";  // refused: the defaults
  s.inks = {15};
  s.levels = All(20);
  d = DecideReminder(s);
  EXPECT_FALSE(d.borderLineUsed);
  EXPECT_EQ(d.thresholds, Thresholds{});
  EXPECT_EQ(d.mode, u"AUTO20");
}

TEST(InkOrderReminder, SwitchesLockAndAvailability) {
  const ReminderState base = On({15, 80}, All(20), {90, 90});
  const struct {
    const char* name;
    StoredValue ioEnablePopup, enablePopup, inkOrderDisable;
    bool onScreen, available;
    ReminderReason reason;
    bool levelsAndLastKept;  // nothing written
  } cases[] = {
      {"the printer's own switch wins", 1, 0, none, false, true, ReminderReason::Due, false},
      {"without it the key's switch decides", none, 1, none, false, true, ReminderReason::Due, false},
      {"the printer's switch off", 0, 1, none, false, true, ReminderReason::PopupOff, true},
      {"any value but 1 is off", 2, 1, none, false, true, ReminderReason::PopupOff, true},
      {"both missing", none, none, none, false, true, ReminderReason::PopupOff, true},
      {"the key's switch at 2", none, 2, none, false, true, ReminderReason::PopupOff, true},
      {"cancelled in the dialog", 1, none, 1, false, true, ReminderReason::Disabled, false},
      {"only 1 cancels", 1, none, 2, false, true, ReminderReason::Due, false},
      {"a reminder on screen", 1, none, 0, true, true, ReminderReason::OnScreen, false},
      {"ink ordering not available", 1, none, none, false, false, ReminderReason::NotAvailable, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReminderState s = base;
    s.ioEnablePopup = c.ioEnablePopup;
    s.enablePopup = c.enablePopup;
    s.inkOrderDisable = c.inkOrderDisable;
    s.onScreen = c.onScreen;
    s.available = c.available;
    const ReminderDecision d = DecideReminder(s);
    EXPECT_EQ(d.reason, c.reason);
    EXPECT_EQ(d.due, c.reason == ReminderReason::Due);
    EXPECT_EQ(d.lastWritten, !c.levelsAndLastKept);
    EXPECT_EQ(d.last, (c.levelsAndLastKept ? base.last : Four{15, 80}));
    EXPECT_FALSE(d.levelsWritten);
  }
  // Without ink levels nothing is decided and nothing stored.
  ReminderState empty = base;
  empty.inks.clear();
  const ReminderDecision d = DecideReminder(empty);
  EXPECT_EQ(d.reason, ReminderReason::NoInks);
  EXPECT_FALSE(d.lastWritten || d.levelsWritten || d.due);
}

TEST(InkOrderReminder, InkLevelsOfARecordStopAtItsTen) {
  moni::status::StatusBuff record{};
  for (int i = 0; i < 10; ++i) record.abyInkRemain[i] = static_cast<std::uint8_t>(10 + i);
  record.byInkCount = 3;
  EXPECT_EQ(InkLevelsOf(record), (std::vector<std::uint8_t>{10, 11, 12}));
  record.byInkCount = 10;
  EXPECT_EQ(InkLevelsOf(record).size(), 10u);
  record.byInkCount = 200;  // a count beyond the record's inks
  EXPECT_EQ(InkLevelsOf(record).size(), 10u);
}

TEST(InkOrderCompanion, ParameterTextReadsBackThroughTheSwitchScanner) {
  moni::status::StatusBuff record{};
  record.byInkCount = 5;  // only the first four go into the text
  const std::uint8_t levels[] = {0x50, 0xFF, 0x05, 100, 7};
  const std::uint16_t colours[] = {1, 2, 3, 0, 4};
  const std::uint16_t codes[] = {3, 4, 1234, 1, 5};
  for (int i = 0; i < 5; ++i) {
    record.abyInkRemain[i] = levels[i];
    record.awInkColor[i] = colours[i];
    record.awInkCode[i] = codes[i];
  }
  const PrinterIdentity who{u"Printer", u"Driver", u"USB001", u"SMP-100"};
  EXPECT_EQ(CompanionParameterText(u"AUTO20", who, record),
            u" /A\n /T \"AUTO20\"\n /P \"Printer\"\n /D \"Driver\"\n /M \"SMP-100\"\n /O \"USB001\"\n"
            u"/L \"50FF0564\"\n/N \"01020300\"\n/IC \"03049901\"\n");

  const PrinterIdentity quoted{u"A \"quoted\" /P \"x\"", u"D", u"LPT1:", u"M"};
  moni::cmdline::TrayFields f;
  moni::cmdline::ApplySwitches(CompanionParameterText(u"AUTO00", quoted, record), f);
  EXPECT_EQ(f.printerName, quoted.printer);
  EXPECT_EQ(f.portName, u"LPT1:");
  EXPECT_TRUE(f.a);
  EXPECT_EQ(f.t, u"AUTO00");
  EXPECT_EQ(f.l, u"50FF0564");
  EXPECT_EQ(f.n, u"01020300");
  EXPECT_EQ(f.ic, u"03049901");

  record.byInkCount = 0;
  moni::cmdline::ApplySwitches(CompanionParameterText(u"", who, record), f);
  EXPECT_EQ(f.t, u"");
  EXPECT_EQ(f.l, u"");
}

TEST(InkOrderCompanion, PopupLockName) {
  EXPECT_EQ(PopupLockName(u"Software\\TALMER\\VGL3\\DUVData\\TLLTarget\\P0000000000000003", u"C:\\drv\\V_G20DP1.EXE"),
            u"/P P0000000000000003/M V_G20DP1.EXE");
  EXPECT_EQ(PopupLockName(u"P0000000000000001", u"V_G20DP1.EXE"), u"/P P0000000000000001/M V_G20DP1.EXE");
  EXPECT_EQ(PopupLockName(u"Software\\P1", u""), u"");
  EXPECT_EQ(PopupLockName(u"Software\\", u"C:\\x.exe"), u"");
  EXPECT_EQ(PopupLockName(u"P1", u"C:\\drv\\"), u"");
}

TEST(InkOrderOptions, InkLeftAndCodeTexts) {
  const struct {
    std::u16string_view text;
    std::vector<std::uint8_t> inkLeft, decimal;
  } cases[] = {
      {u"NARE", {255, 254}, {0, 0}},
      {u"WECI", {254, 253}, {0, 0}},
      {u"64FF0a00", {100, 255, 10, 0}, {64, 0, 0, 0}},
      {u"6G", {96}, {60}},  // a bad second digit leaves the first times the base
      {u"G6", {0}, {0}},    // a bad first digit gives 0
      {u"na", {0}, {0}},
      {u"empty", {0xE0, 0}, {0, 0}},
      {u"0103", {1, 3}, {1, 3}},
      {u"5", {}, {}},  // half an ink
      {u"64A", {100}, {64}},
      {u"0102030405", {1, 2, 3, 4}, {1, 2, 3, 4}},  // at most four inks
      {u"", {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InkLeftQuantities(c.text), c.inkLeft) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(DecimalPairs(c.text), c.decimal) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(InkOrderOptions, TextsAreReadUpToTheirTerminatorAndABound) {
  EXPECT_TRUE(BoundedText(nullptr).empty());
  const char16_t shortText[] = u"NA";
  EXPECT_EQ(BoundedText(shortText), u"NA");
  // A text without a terminator, exactly as long as the bound, on the heap of
  // its own: no character after it is read.
  auto full = std::make_unique<char16_t[]>(kMaxOptionChars);
  for (size_t i = 0; i < kMaxOptionChars; ++i) full[i] = u'A';
  EXPECT_EQ(BoundedText(full.get()).size(), kMaxOptionChars);
  EXPECT_EQ(BoundedText(full.get(), 6), u"AAAAAA");
  EXPECT_EQ(OrderTypeOfMode(BoundedText(full.get())), 0);
}

TEST(InkOrderOptions, ShutOffState) {
  EXPECT_EQ(ResolveShutOff(kShutOffUnknown, 1), kShutOffEnabled);
  EXPECT_EQ(ResolveShutOff(kShutOffUnknown, 0), kShutOffDisabled);
  EXPECT_EQ(ResolveShutOff(kShutOffUnknown, 2), kShutOffDisabled);
  EXPECT_EQ(ResolveShutOff(kShutOffEnabled, 0), kShutOffEnabled);
  EXPECT_EQ(ResolveShutOff(kShutOffDisabled, 1), kShutOffDisabled);
  EXPECT_EQ(ResolveShutOff(7, 1), kShutOffDisabled);
}

TEST(InkOrderMessage, CartridgeListNamesTheLowInksOnly) {
  const std::vector<OrderInk> inks = {
      {15, 1, 3, u"T1", u"S1"},   // low, second text because of notify code 1
      {100, 1, 4, u"T2", u"S2"},  // full
      {0, 0, 5, u"T3", u"S3"},    // empty; notify code 0: first text only
      {254, 1, 1, u"T4", u"S4"},  // "RE": not listed as low
      {0, 0, 1, u"T5", u""},      // a fifth ink is not looked at
  };
  EXPECT_EQ(CartridgeList(inks, 20), u"T1 / S1\r\nT3");
  EXPECT_EQ(CartridgeList(inks, 16), u"T1 / S1\r\nT3");
  EXPECT_EQ(CartridgeList(inks, 15), u"T3");  // below the threshold, not at it
  EXPECT_EQ(CartridgeList(inks, 100), u"T1 / S1\r\nT3");
  EXPECT_EQ(CartridgeList(inks, 101), u"T1 / S1\r\nT2 / S2\r\nT3");
  EXPECT_EQ(CartridgeList({{0, 1, 3, u"", u"S1"}, {0, 0, 4, u"", u"S2"}}, 20), u"S1");
}

TEST(InkOrderMessage, TemplatesAndArgumentLayouts) {
  const struct {
    int layout, type, shutOff;
    std::u16string_view expected;
  } rows[] = {
      {1, 3, 0, u"B|P||"}, {1, 3, 1, u"B|X||"}, {1, 4, 0, u"X|B|P|L"}, {1, 6, 1, u"B|X|L|"},
      {1, 7, 0, u"X|B|P|"}, {1, 7, 1, u"B|X||"}, {3, 3, 0, u"B|||"},    {3, 3, 1, u"B|X||"},
      {3, 5, 0, u"X|B|L|"}, {3, 5, 1, u"X|B|L|"}, {3, 7, 1, u"X|B||"},   {2, 4, 0, u""},
      {0, 4, 0, u""},       {1, 8, 0, u""},       {3, 2, 1, u""},
  };
  for (const auto& r : rows) {
    MessageParts p{r.type, r.shutOff, r.layout, u"%s|%s|%s|%s", u"X", u"B", u"L", u"P"};
    EXPECT_EQ(MainMessage(p), r.expected) << r.layout << " " << r.type << " " << r.shutOff;
  }
  EXPECT_EQ(MessageTemplateId(3, 0), 31600);
  EXPECT_EQ(MessageTemplateId(3, 1), 31250);
  EXPECT_EQ(MessageTemplateId(4, 0), 31601);
  EXPECT_EQ(MessageTemplateId(6, 1), 31253);
  EXPECT_EQ(MessageTemplateId(7, 0), 31604);
  EXPECT_EQ(MessageTemplateId(7, 1), 31254);
  EXPECT_EQ(MessageTemplateId(8, 0), 0);
  EXPECT_EQ(CustomMessageName(3), u"Custom_MsgMenu");
  EXPECT_EQ(CustomMessageName(6), u"Custom_Msg05");
  EXPECT_TRUE(CustomMessageName(2).empty());
  const struct {
    std::u16string_view text;
    int layout;
  } layouts[] = {{u"1", 1}, {u" 3 ", 3}, {u"x", 0}, {u"", 0}, {u"12345", 0}, {u"-1", 0}};
  for (const auto& l : layouts) EXPECT_EQ(ParseLayout(l.text), l.layout);
}

TEST(InkOrderMessage, HostileTemplateFromTheRegistryReadsNothingItWasNotGiven) {
  // "AUTO00", layout 3: two arguments, the list and the where-to-buy text.
  MessageParts p{7, 0, 3, u"%n%s%d%s%s%x%p%.1s%5000s|%-3s|%%|%", u"LIST", u"BUY", u"LATER", u"PRN"};
  EXPECT_EQ(MainMessage(p), u"%nLIST||%|%");
  // A width is capped: the message stays bounded whatever the template asks.
  p.templ = u"%99999s";
  EXPECT_EQ(MainMessage(p).size(), 4096u);
  // Arguments are text, never formats of their own.
  p = MessageParts{3, 0, 1, u"%s-%s", u"", u"B", u"", u"%s%n%x"};
  EXPECT_EQ(MainMessage(p), u"B-%s%n%x");
}

TEST(InkOrderJson, StatesAndTheirDecisions) {
  const struct {
    std::string_view state;
    std::string_view decision;
  } rows[] = {
      {R"({"inks":[15,80],"borderLine":"20,10,5,0","ioEnablePopup":null,"enablePopup":1,"inkOrderDisable":null,)"
       R"("onScreen":false,"available":true,"levels":[20,20,20,20],"last":[null,null,null,null]})",
       R"({"due":true,"threshold":20,"mode":"AUTO20","levels":[20,20,20,20],"last":[15,80,null,null]})"},
      {"\xEF\xBB\xBF { \"inks\" : [ 0 ] ,\n\"ioEnablePopup\":1,\"available\":true,\"inkOrderDisable\":1 } \r\n",
       R"({"due":false,"threshold":null,"mode":"","levels":[null,null,null,null],"last":[0,null,null,null]})"},
      {"{}", R"({"due":false,"threshold":null,"mode":"","levels":[null,null,null,null],"last":[null,null,null,null]})"},
      {R"({"inks":[60,15],"enablePopup":1,"available":true,"levels":[5,5,5,5],"last":[10,15,4294967295,0]})",
       R"({"due":false,"threshold":null,"mode":"","levels":[10,10,10,10],"last":[60,15,4294967295,0]})"},
      {R"({"inks":[1],"borderLine":"30,15,8,2","enablePopup":1,"available":true,"levels":[2,2,2,2]})",
       R"({"due":true,"threshold":2,"mode":"AUTO00","levels":[2,2,2,2],"last":[1,null,null,null]})"},
      {R"({"inks":[0,0,0,0,0,0,0,0,0,255],"borderLine":"a\"b\\\u0041","ioEnablePopup":4294967295})",
       R"({"due":false,"threshold":null,"mode":"","levels":[null,null,null,null],"last":[null,null,null,null]})"},
  };
  for (const auto& r : rows) {
    ReminderState s;
    std::string error;
    ASSERT_TRUE(ParseReminderState(r.state, s, error)) << r.state << ": " << error;
    EXPECT_EQ(DecisionJson(DecideReminder(s)), r.decision) << r.state;
  }
  ReminderState s;
  std::string error;
  ASSERT_TRUE(ParseReminderState(R"({"borderLine":"a\"b\\\u0041\ud83d"})", s, error));
  EXPECT_EQ(s.borderLine, std::u16string(u"a\"b\\A\xD83D"));
}

TEST(InkOrderJson, BadStatesAreRefusedWithAReason) {
  const struct {
    std::string_view state;
    std::string_view reason;
  } rows[] = {
      {"", "expected '{'"},
      {"[]", "expected '{'"},
      {R"({"inks":[256]})", "\"inks\" is a list"},
      {R"({"inks":[-1]})", "negative number"},
      {R"({"inks":[1.5]})", "not whole"},
      {R"({"inks":[1e2]})", "not whole"},
      {R"({"inks":[01]})", "leading zero"},
      {R"({"inks":[[1]]})", "nested value"},
      {R"({"inks":[0,0,0,0,0,0,0,0,0,0,0]})", "more than 10 entries"},
      {R"({"inks":[null]})", "\"inks\" is a list"},
      {R"({"levels":[1,2,3]})", "list of four"},
      {R"({"last":[1,2,3,4,5]})", "list of four"},
      {R"({"levels":4})", "list of four"},
      {R"({"ioEnablePopup":4294967296})", "out of range"},
      {R"({"enablePopup":"1"})", "number or null"},
      {R"({"onScreen":1})", "true or false"},
      {R"({"borderLine":20})", "string or null"},
      {R"({"available":true,"available":false})", "given twice"},
      {R"({"avilable":true})", "unknown member \"avilable\""},
      {R"({"inks":[1]} x)", "text after the object"},
      {R"({"inks":[1],})", "expected a string"},
      {R"({"borderLine":"20)", "unfinished string"},
      {"{\"borderLine\":\"a\x01\"}", "control character"},
      {R"({"borderLine":"\x41"})", "bad escape"},
      {R"({"borderLine":"\u00G1"})", "bad \\u escape"},
      {R"({"inks":[1])", "expected '}'"},
      {R"({"onScreen":tru})", "expected a value"},
  };
  for (const auto& r : rows) {
    ReminderState s;
    std::string error;
    EXPECT_FALSE(ParseReminderState(r.state, s, error)) << r.state;
    EXPECT_NE(error.find(r.reason), std::string::npos) << r.state << ": " << error;
  }
  ReminderState s;
  std::string error;
  EXPECT_TRUE(ParseReminderState(R"({"inks":[0,0,0,0,0,0,0,0,0,0]})", s, error)) << error;  // ten: the limit
  EXPECT_EQ(s.inks.size(), 10u);
  EXPECT_FALSE(ParseReminderState(std::string(kMaxStateBytes + 1, ' '), s, error));
}

}  // namespace
