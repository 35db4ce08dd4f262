#include <gtest/gtest.h>

#include <string>

#include "foundation/command_line_core.h"
#include "foundation/parameter_text_core.h"

namespace {

using namespace moni::cmdline;

struct Seen {
  std::u16string name;
  std::optional<std::u16string> value;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> Scan(std::u16string_view text) {
  std::vector<Seen> out;
  for (const Switch& sw : ScanSwitches(text).switches) out.push_back({sw.name, sw.value});
  return out;
}

TEST(CommandLine, LengthFormTakesExactCharactersWhateverTheyContain) {
  // The 12 characters hold a quote, a slash and a blank; the closing quote
  // after them does not open a quoted stretch that would hide "/O".
  const std::u16string text = u"/P12 \"ab\"c/d efghi\"\n/O6 \"USB001\"\n/E\n";
  EXPECT_EQ(Scan(text), (std::vector<Seen>{{u"P", u"ab\"c/d efghi"}, {u"O", u"USB001"}, {u"E", std::nullopt}}));

  std::u16string name, value;
  EXPECT_EQ(GetSwitch(text, 0, name, value), 12);
  EXPECT_EQ(name, u"P");
  EXPECT_EQ(value, u"ab\"c/d efghi");
  EXPECT_EQ(GetSwitch(text, 2, name, value), 0);
  EXPECT_EQ(name, u"E");
  EXPECT_EQ(GetSwitch(text, 3, name, value), -1);
  EXPECT_TRUE(name.empty() && value.empty());
}

TEST(CommandLine, QuotedValuesFlagsAndTextBetweenSwitches) {
  // Lower case directly followed by the quote; a flag before another switch
  // on the same line stays a flag; a quoted stretch between switches hides
  // its slash; blanks and slashes inside a value are kept.
  const std::u16string text = u"monitray.exe \"C:/x /Q\" /p\"Printer A\" /S /O \"\\\\srv/q 1\" junk /HWND \"1234\"";
  EXPECT_EQ(Scan(text), (std::vector<Seen>{{u"p", u"Printer A"},
                                           {u"S", std::nullopt},
                                           {u"O", u"\\\\srv/q 1"},
                                           {u"HWND", u"1234"}}));
  EXPECT_TRUE(NameEquals(u"p", u"P"));
  EXPECT_TRUE(NameEquals(u"hWnd", u"HWND"));
  EXPECT_FALSE(NameEquals(u"E", u"EF"));
  EXPECT_FALSE(NameEquals(u"\u00e9", u"\u00c9"));  // letters A to Z only
}

TEST(CommandLine, ParameterFileLinesKeepOrderIncludingUnknownNames) {
  const std::u16string text = u"/P \"Printer\"\n/ZZ \"whatever\"\n/D \"Driver\"\n/EF \"HKCU\"\n/FU \"V_G12.tmp\"\n";
  EXPECT_EQ(Scan(text), (std::vector<Seen>{{u"P", u"Printer"},
                                           {u"ZZ", u"whatever"},
                                           {u"D", u"Driver"},
                                           {u"EF", u"HKCU"},
                                           {u"FU", u"V_G12.tmp"}}));
}

TEST(CommandLine, MalformedTextStaysWithinItsLine) {
  // An unterminated value ends at its line end; the next line still counts.
  EXPECT_EQ(Scan(u"/P \"open value / here\n/O \"port\""),
            (std::vector<Seen>{{u"P", u"open value / here"}, {u"O", u"port"}}));
  EXPECT_EQ(Scan(u"/P \"to the end"), (std::vector<Seen>{{u"P", u"to the end"}}));
  // Empty names are reported as such; a lone slash at the end is a flag.
  EXPECT_EQ(Scan(u"/ \"v\" /\"w\" /"), (std::vector<Seen>{{u"", u"v"}, {u"", u"w"}, {u"", std::nullopt}}));
  // Digits with junk between them make one length.
  EXPECT_EQ(Scan(u"/P1x2 \"abcdefghijklm\""), (std::vector<Seen>{{u"P", u"abcdefghijkl"}}));
}

TEST(CommandLine, LengthFormFailures) {
  // A length without a quote after it ends the list there.
  const std::u16string noQuote = u"/S\n/P5\n/O \"port\"";
  const ScanResult scan = ScanSwitches(noQuote);
  ASSERT_EQ(scan.switches.size(), 1u);
  EXPECT_TRUE(scan.stoppedAtLengthWithoutValue);
  std::u16string name, value;
  EXPECT_EQ(GetSwitch(noQuote, 1, name, value), -1);
  EXPECT_TRUE(name.empty() && value.empty());

  // A length that runs past the text leaves the value empty and swallows
  // the rest, also for a length too large for any counter; a length that
  // ends exactly at the end of the text takes it all.
  const struct {
    std::u16string text;
    std::vector<Seen> seen;
  } rows[] = {
      {u"/P3 \"abc", {{u"P", u"abc"}}},
      {u"/P3 \"ab", {{u"P", u""}}},
      {u"/P4 \"abc", {{u"P", u""}}},
      {u"/P3 \"abc\" /S", {{u"P", u"abc"}, {u"S", std::nullopt}}},
      {u"/P0 \"\" /S", {{u"P", u""}, {u"S", std::nullopt}}},
      {u"/P20 \"short\" /O \"x\"", {{u"P", u""}}},
      {u"/P4294967295 \"x\"", {{u"P", u""}}},
      {u"/P99999999999999999999999 \"x\"", {{u"P", u""}}},
  };
  for (const auto& row : rows) EXPECT_EQ(Scan(row.text), row.seen) << std::string(row.text.begin(), row.text.end());
}

TEST(CommandLine, LongNamesAreCutWhileTheScanGoesOn) {
  for (size_t length : {kMaxNameChars - 1, kMaxNameChars, kMaxNameChars + 1, size_t{300}}) {
    const std::u16string longName(length, u'N');
    const auto seen = Scan(u"/" + longName + u" \"v\" /S");
    ASSERT_EQ(seen.size(), 2u) << length;
    EXPECT_EQ(seen[0].name, longName.substr(0, kMaxNameChars)) << length;
    EXPECT_EQ(seen[0].value, u"v") << length;
    EXPECT_EQ(seen[1].name, u"S") << length;
  }
}

TEST(CommandLine, ParameterFileBytes) {
  const struct {
    std::string bytes;
    std::u16string text;
  } rows[] = {
      // Up to the terminator the tray program writes; what follows it is not read.
      {std::string("/\0P\0 \0\"\0\xe9\0\x2d\x4e\"\0\n\0\0\0/\0S\0", 22), u"/P \"\u00e9\u4e2d\"\n"},
      {std::string("/\0S\0\n", 5), u"/S"},    // an odd last byte is dropped
      {std::string("/\0S\0\n\0", 6), u"/S\n"},  // the last whole character is kept
      {std::string("/", 1), u""},
      {{}, u""},
  };
  for (const auto& row : rows) EXPECT_EQ(DecodeParameterFile(row.bytes), row.text) << row.bytes.size();
}

}  // namespace

namespace {

using moni::cmdline::ParameterSet;

TrayFields Fields(std::u16string_view text) {
  TrayFields f;
  ApplySwitches(text, f);
  return f;
}

}  // namespace

TEST(TrayFields, SwitchesFillTheirFieldsAndLaterOnesWin) {
  const TrayFields f = Fields(
      u"/P \"First\" /Q \"ignored\" /p\"Second\" /D \"Drv\" /O \"USB001\" /M \"SMP-100\" /R /i /EF \"hkcu\" "
      u"/HWND \"123456789012\" /TLM \"t\" /PPOP /FU \"V_G1.tmp\"");
  EXPECT_EQ(f.printerName, u"Second");
  EXPECT_EQ(f.driverName, u"Drv");
  EXPECT_EQ(f.portName, u"USB001");
  EXPECT_EQ(f.modelId, u"SMP-100");
  EXPECT_TRUE(f.remove && f.iconInstall && f.ppop && f.efGiven);
  EXPECT_FALSE(f.preferences);
  EXPECT_EQ(f.iconFrom, 1);
  EXPECT_EQ(f.window, 123456789012u);
  EXPECT_EQ(f.tlm, u"t");
  EXPECT_EQ(f.paramFile, u"V_G1.tmp");

  EXPECT_EQ(Fields(u"/EF \"HKLM\"").iconFrom, 2);
  EXPECT_EQ(Fields(u"/EF \"HKU\"").iconFrom, 0);
  EXPECT_EQ(Fields(u"/HWND \"12x3\"").window, 12u);
  EXPECT_EQ(Fields(u"/HWND \"99999999999999999999999\"").window, UINT64_MAX);
}

TEST(TrayFields, ValuesOf260CharactersAreNotAccepted) {
  const std::u16string ok(259, u'p'), tooLong(260, u'p');
  EXPECT_EQ(Fields(u"/P \"" + ok + u"\"").printerName, ok);
  EXPECT_EQ(Fields(u"/P \"keep\" /P \"" + tooLong + u"\"").printerName, u"keep");
  EXPECT_EQ(Fields(u"/P260 \"" + tooLong + u"\" /O \"port\"").portName, u"port");
}

TEST(ParameterText, FixedOrderOnlySetSwitchesAndLinesThatFit) {
  ParameterSet set;
  set.SetFlag(u"TD");
  set.SetText(u"HWND", u"42");
  set.SetFlag(u"S");
  set.SetText(u"M", u"SMP-100");
  set.SetText(u"D", u"");  // empty identity switches are left out
  set.SetText(u"P", u"My Printer");
  set.SetFlag(u"E");
  set.SetFlag(u"E", false);
  EXPECT_EQ(set.Build(), u"/P \"My Printer\"\n/M \"SMP-100\"\n/S\n/HWND \"42\"\n/TD\n");

  // The text reads back as it was set.
  const TrayFields f = Fields(*set.Build());
  EXPECT_EQ(f.printerName, u"My Printer");
  EXPECT_TRUE(f.s && f.td && !f.preferences);
  EXPECT_EQ(f.window, 42u);

  // "/P " + quotes + "\n" around 270 characters is 276: one too many.
  set.SetText(u"P", std::u16string(270, u'x'));
  EXPECT_FALSE(set.Build().has_value());
  set.SetText(u"P", std::u16string(269, u'x'));
  EXPECT_TRUE(set.Build().has_value());
}

TEST(ParameterText, NamesWithQuotesAndSlashesComeBackIntact) {
  const std::u16string printer = u"Office \"A\" /O \"x\" 2";
  ParameterSet set;
  set.SetText(u"P", printer);
  set.SetText(u"O", u"USB001");
  EXPECT_EQ(Fields(*set.Build()).printerName, printer);
  EXPECT_EQ(Fields(*set.Build()).portName, u"USB001");

  const TrayFields status = Fields(StatusWindowText(printer, u"IP_1.2.3.4", u"SMP-100", u"/E"));
  EXPECT_EQ(status.printerName, printer);
  EXPECT_EQ(status.portName, u"IP_1.2.3.4");
  EXPECT_EQ(status.modelId, u"SMP-100");
  EXPECT_TRUE(status.preferences);
  EXPECT_EQ(StatusWindowText(u"P1", u"U", u"M", u""), u"/P2 \"P1\"\n/O1 \"U\"\n/M1 \"M\"\n");

  const std::u16string menu = MenuCommandText(u"/MENU \"x\"", printer, u"SMP-100", u"Drv", u"USB001");
  EXPECT_EQ(menu.back(), u'"');  // no line end after the last line
  const TrayFields m = Fields(menu);
  EXPECT_EQ(m.printerName, printer);
  EXPECT_EQ(m.driverName, u"Drv");
}
