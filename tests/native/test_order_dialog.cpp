// What the ink-order dialog shows and opens: its gauge and the line under it,
// the resource ids of its texts, the fresh-status inks, the ordering page's
// address and the same-driver command line.
#include <gtest/gtest.h>

#include "foundation/command_line_core.h"
#include "ui/inkorder/order_dialog_core.h"

namespace {

using namespace moni::inkorder;

std::vector<OrderInk> Inks(std::initializer_list<std::uint32_t> quantities) {
  std::vector<OrderInk> inks;
  for (std::uint32_t q : quantities) inks.push_back({q, 0, 0, {}, {}});
  return inks;
}

TEST(InkOrderGauge, LowestKnownLevelOfTheFirstFourInks) {
  const Thresholds t{{30, 15, 8, 2}};
  const struct {
    std::vector<OrderInk> inks;
    int type;
    GaugeView expected;
  } cases[] = {
      // known, level, value, low value, state
      {Inks({40, 25}), kOrder20, {true, 25, 63, 65, kGaugeWarning}},
      {Inks({40, 30}), kOrder20, {true, 30, 65, 65, kGaugeWarning}},  // at the threshold itself
      {Inks({40, 31}), kOrder20, {true, 31, 66, 65, kGaugePlain}},    // one above it
      {Inks({50, 0}), kOrder00, {true, 0, 50, 51, kGaugeError}},       // empty: the error state
      {Inks({1}), kOrder00, {true, 1, 51, 51, kGaugeWarning}},          // 1 % still shows
      {Inks({99}), kOrderMenu, {true, 99, 100, 65, kGaugePlain}},       // the menu warns below B0
      {Inks({100, 100}), kOrderMenu, {true, 100, 100, 65, kGaugePlain}},
      {Inks({255, 254, 253, 101}), kOrder10, {false, 0, 0, 58, kGaugeNoNeedle}},  // marks and 101 are no levels
      {Inks({255, 12}), kOrder10, {true, 12, 56, 58, kGaugeWarning}},
      {Inks({90, 80, 70, 60, 5}), kOrder05, {true, 60, 80, 54, kGaugePlain}},  // a fifth ink is not shown
      {{}, kOrder05, {false, 0, 0, 54, kGaugeNoNeedle}},
  };
  for (const auto& c : cases) {
    const GaugeView g = GaugeOf(c.inks, c.type, t);
    EXPECT_EQ(g, c.expected) << "type " << c.type << ", first ink "
                             << (c.inks.empty() ? -1 : static_cast<int>(c.inks[0].quantity));
  }
  // The line under the gauge takes the level as its only argument; a template
  // that asks for more prints nothing for it.
  const GaugeView low = GaugeOf(Inks({7}), kOrder05, t);
  EXPECT_EQ(GaugeLine(low, u"Lowest ink level: %d %%", u"?"), u"Lowest ink level: 7 %");
  EXPECT_EQ(GaugeLine(low, u"%d|%s|%d|%n", u"?"), u"7|||%n");
  EXPECT_EQ(GaugeLine(GaugeOf({}, kOrder05, t), u"%d", u"Ink level not available"), u"Ink level not available");
  EXPECT_EQ(PrinterLine(u"Printer: %s %s %d", u"P %s"), u"Printer: P %s  ");
  EXPECT_EQ(PrinterLine(u"", u"P"), u"P");
}

TEST(InkOrderGauge, TitlesAndCartridgeTextIds) {
  const int titles[] = {0, 0, 0, 0, 3555, 3555, 3555, 3524, 0};
  for (int type = 0; type < 9; ++type) EXPECT_EQ(TitleStringId(type), titles[type]) << type;
  EXPECT_EQ(CartridgeTextId(0, 0, false), 32000);
  EXPECT_EQ(CartridgeTextId(3, 1, false), 32301);
  EXPECT_EQ(CartridgeTextId(3, 99, true), 32799);  // the last of the table
  EXPECT_EQ(CartridgeTextId(3, 100, false), 0);    // one past it
  EXPECT_EQ(CartridgeTextId(4, 1, false), 0);      // a fifth ink
}

TEST(InkOrderGauge, FreshStatusGivesFourInksAndAQueryRecord) {
  moni::status::StatusBuff record{};
  moni::status::InitStatusBuff(record);
  record.byInkCount = 6;
  for (int i = 0; i < 6; ++i) {
    record.abyInkRemain[i] = static_cast<std::uint8_t>(10 * i);
    record.awInkCode[i] = static_cast<std::uint16_t>(i + 1);
  }
  CInkOrderInfo info;
  info.inks = Inks({1, 2, 3, 4, 5});
  info.shutOff = kShutOffEnabled;
  TakePrinterInks(info, record);
  ASSERT_EQ(info.inks.size(), 4u);
  EXPECT_EQ(info.inks[3].quantity, 30u);
  EXPECT_EQ(info.inks[3].inkCode, 4u);
  EXPECT_EQ(info.inks[3].notifyCode, 0u);
  EXPECT_EQ(info.shutOff, kShutOffUnknown);

  info.inks.push_back({254, 0, 0, {}, {}});  // a fifth one is not sent
  const moni::status::StatusBuff query = QueryRecordOf(info.inks);
  EXPECT_EQ(query.byInkCount, 4);
  EXPECT_EQ(query.abyInkRemain[1], 10);
  EXPECT_EQ(query.abyInkRemain[4], 0);
  record.byInkCount = 0;
  TakePrinterInks(info, record);
  EXPECT_TRUE(info.inks.empty());
  EXPECT_EQ(QueryRecordOf(info.inks).byInkCount, 0);
}

TEST(InkOrderAddress, OnlyWebAddressesGoToTheShell) {
  const struct {
    std::u16string_view address;
    bool web;
  } cases[] = {
      {u"https://shop.example.com/smp100/ink?model=SMP100&nation=0&count=4&i1=15", true},
      {u"HTTP://x", true},
      {u"http://", false},  // nothing after the scheme
      {u"https://", false},
      {u"https://a b", false},
      {u"https://a\"b", false},  // would end the browser's quoted argument
      {u"https://a\r\nb", false},
      {u"https://a\x7f", false},
      {u"https:/a", false},
      {u"ftp://a", false},
      {u"file:///C:/windows/system32/calc.exe", false},
      {u"C:\\windows\\system32\\calc.exe", false},
      {u"httpsx://a", false},
      {u"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWebAddress(c.address), c.web) << std::string(c.address.begin(), c.address.end());
}

TEST(InkOrderAddress, SameDriverCommandLineReadsBackWhole) {
  const PrinterIdentity who{u"Office \"A\" /P \"x\"", u"TALMER VGL3 Sample", u"LPT1:", u"SMP-100"};
  const std::u16string line = SameDriverCommandLine(u"C:\\Program Files\\V_G20DP1.EXE", u"MENU", who);
  EXPECT_EQ(line.rfind(u"\"C:\\Program Files\\V_G20DP1.EXE\" /A /T \"MENU\" /P", 0), 0u);
  moni::cmdline::TrayFields f;
  moni::cmdline::ApplySwitches(line.substr(line.find(u" /A")), f);
  EXPECT_TRUE(f.a);
  EXPECT_EQ(f.t, u"MENU");
  EXPECT_EQ(f.printerName, who.printer);
  EXPECT_EQ(f.portName, who.port);
  EXPECT_EQ(f.driverName, who.driver);
  EXPECT_EQ(f.modelId, who.model);
}

}  // namespace
