// The texts of the tray icon registration and the reading of start-up values.
#include <gtest/gtest.h>

#include <string>

#include "foundation/command_line_core.h"
#include "foundation/startup_list_core.h"
#include "ui/prefs/icon_texts_core.h"

namespace {

using namespace moni::icons;
using moni::startup::ParseStartupValue;

TEST(IconTexts, FriendlyNameIsCutBeforeTheFirstCommaAndLosesOneTrailingBlank) {
  const struct {
    std::u16string in, out;
  } cases[] = {
      {u"Printer A,LPT1:,TALMER", u"Printer A"},
      {u"Printer A ,LPT1:", u"Printer A"},
      {u"Printer A  ,LPT1:", u"Printer A "},  // one character only
      {u"Printer A\t,x", u"Printer A"},
      {u"Printer A\x1f", u"Printer A"},       // control characters count as blanks
      {u"Printer A!", u"Printer A!"},         // 33 is the first kept character
      {u"No comma ", u"No comma"},
      {u",LPT1:", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitPrinterFriendlyName(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST(IconTexts, MonitoringEntryNamesHaveSixteenDigits) {
  EXPECT_EQ(MonitoringEntryName(0), u"P0000000000000000");
  EXPECT_EQ(MonitoringEntryName(1), u"P0000000000000001");
  EXPECT_EQ(MonitoringEntryName(4294967295u), u"P0000004294967295");
}

TEST(IconTexts, ParameterFilesCarryNamesWithQuotesAndLineEndsIntact) {
  const std::u16string printer = u"Office \"A\"\n/P 2";
  const std::u16string port = u"\\\\srv\\q/1";
  const auto startup = StartupParamText(printer, port, u"SMP-100", kShortText);
  ASSERT_TRUE(startup);
  EXPECT_EQ(*startup, u"/P15 \"Office \"A\"\n/P 2\"\n/O9 \"\\\\srv\\q/1\"\n/M \"SMP-100\"");
  const std::u16string install = InstallStartText(printer, u"SMP-100", true, true);
  const std::u16string tray = TrayStartText(printer, port, u"M\"1", true);
  for (const std::u16string& text : {*startup, install, tray}) {
    moni::cmdline::TrayFields fields;
    moni::cmdline::ApplySwitches(text, fields);
    EXPECT_EQ(fields.printerName, printer);
  }
  EXPECT_EQ(InstallStartText(u"A", u"SMP-100", false, true), u"/P1 \"A\"\n/M7 \"SMP-100\"\n/I\n");
  EXPECT_EQ(InstallStartText(u"A", u"SMP-100", true, false), u"/P1 \"A\"\n/M7 \"SMP-100\"\n/R\n");
  EXPECT_EQ(TrayStartText(u"A", u"USB001", u"SMP-100", false), u"/P1 \"A\"\n/O6 \"USB001\"\n/M7 \"SMP-100\"\n");
  moni::cmdline::TrayFields fields;
  moni::cmdline::ApplySwitches(tray, fields);
  EXPECT_EQ(fields.portName, port);
  EXPECT_EQ(fields.modelId, u"M\"1");
  EXPECT_TRUE(fields.remove);
}

TEST(IconTexts, TextsAreRefusedOneCharacterPastTheirLimit) {
  // "/P<n> "..."\n/O1 "X"\n/M "M"": 23 characters around a printer name of
  // three digits' length.
  const auto withPrinter = [](size_t n) { return StartupParamText(std::u16string(n, u'a'), u"X", u"M", kShortText); };
  ASSERT_TRUE(withPrinter(236));
  EXPECT_EQ(withPrinter(236)->size(), kShortText);
  EXPECT_FALSE(withPrinter(237));

  // "<program> /FU "<file>" /EF "HKCU"": 18 characters besides the two.
  const std::u16string file = u"C:\\T\\V_G1.tmp";
  const auto startup = [&](size_t n, size_t limit) { return StartupCommandLine(std::u16string(n, u'p'), file, limit); };
  EXPECT_EQ(startup(kShortText - 18 - file.size(), kShortText)->size(), kShortText);
  EXPECT_FALSE(startup(kShortText - 17 - file.size(), kShortText));
  EXPECT_EQ(startup(kLongText - 18 - file.size(), kLongText)->size(), kLongText);
  EXPECT_FALSE(startup(kLongText - 17 - file.size(), kLongText));

  // "<program> /FU "<file>"": 7 characters besides the two.
  const auto fileLine = [&](size_t n) { return FileCommandLine(std::u16string(n, u'p'), file, kLongText); };
  EXPECT_EQ(fileLine(kLongText - 7 - file.size())->size(), kLongText);
  EXPECT_FALSE(fileLine(kLongText - 6 - file.size()));
}

TEST(IconTexts, CommandLines) {
  EXPECT_EQ(*StartupCommandLine(u"C:\\drv\\V_G20IC1.EXE", u"C:\\T\\V_G1.tmp", kShortText),
            u"C:\\drv\\V_G20IC1.EXE /FU \"C:\\T\\V_G1.tmp\" /EF \"HKCU\"");
  // A program path with a blank is quoted: Windows would start "C:\Program.exe".
  EXPECT_EQ(*FileCommandLine(u"C:\\Program Files\\V_G20IC1.EXE", u"V_G1.tmp", kLongText),
            u"\"C:\\Program Files\\V_G20IC1.EXE\" /FU \"V_G1.tmp\"");
  EXPECT_EQ(*InlineCommandLine(u"T.EXE", u"Printer A", u"USB001", u"SMP-100", true, kLongText),
            u"T.EXE /P9 \"Printer A\" /O6 \"USB001\" /M \"SMP-100\"  /R");
  EXPECT_EQ(*InlineCommandLine(u"T.EXE", u"Printer A", u"USB001", u"SMP-100", false, kLongText),
            u"T.EXE /P9 \"Printer A\" /O6 \"USB001\" /M \"SMP-100\" ");
  const std::u16string inlineRemove = *InlineCommandLine(u"T.EXE", u"A\"/R", u"P", u"M", true, kLongText);
  moni::cmdline::TrayFields fields;
  moni::cmdline::ApplySwitches(inlineRemove, fields);
  EXPECT_EQ(fields.printerName, u"A\"/R");
  EXPECT_TRUE(fields.remove);
}

TEST(StartupValues, TheParameterFileIsTheQuotedValueOfItsSwitch) {
  const struct {
    std::u16string value, program, file, from;
  } cases[] = {
      {u"C:\\d\\V_G20IC1.EXE /FU \"C:\\T\\V_G1.tmp\" /EF \"HKCU\"", u"C:\\d\\V_G20IC1.EXE", u"C:\\T\\V_G1.tmp", u"HKCU"},
      // The quoted program is no parameter file (the first quoted text is not).
      {u"\"C:\\Program Files\\V_G20IC1.EXE\" /FU \"C:\\T\\V_G2.tmp\" /EF \"HKCU\"", u"C:\\Program Files\\V_G20IC1.EXE",
       u"C:\\T\\V_G2.tmp", u"HKCU"},
      {u"monitray.exe /EF \"HKLM\" /F \"C:\\T\\V_G3.tmp\"", u"monitray.exe", u"C:\\T\\V_G3.tmp", u"HKLM"},
      {u"monitray.exe /F \"C:\\T\\old.tmp\" /FU \"C:\\T\\new.tmp\"", u"monitray.exe", u"C:\\T\\new.tmp", u""},
      // Without double quotes no file is named.
      {u"monitray.exe /FU C:\\T\\V_G4.tmp /EF HKCU", u"monitray.exe", u"", u""},
      {u"monitray.exe", u"monitray.exe", u"", u""},
      {u"", u"", u"", u""},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseStartupValue(c.value);
    EXPECT_EQ(parsed.program, c.program) << std::string(c.value.begin(), c.value.end());
    EXPECT_EQ(parsed.paramFile, c.file) << std::string(c.value.begin(), c.value.end());
    EXPECT_EQ(parsed.from, c.from) << std::string(c.value.begin(), c.value.end());
  }
  EXPECT_TRUE(moni::startup::HasParamFilePrefix(u"v_g1A2.tmp"));
  EXPECT_FALSE(moni::startup::HasParamFilePrefix(u"V_G"));
  EXPECT_FALSE(moni::startup::HasParamFilePrefix(u"X_G1.tmp"));
  EXPECT_EQ(moni::startup::EntryName(u"", u"USB001"), u"USB001");
  EXPECT_EQ(moni::startup::EntryName(u"Printer A", u"USB001"), u"Printer A");
}

}  // namespace
