// Language-section choice and the notification-item walk of the profile file.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/profile_text.h"

namespace {

using namespace moni::profile;
using namespace std::literals;

constexpr std::uint16_t Lang(unsigned primary, unsigned sub) { return static_cast<std::uint16_t>(primary | (sub << 10)); }

std::vector<LanguageLine> Lines(std::u16string_view text) { return ParseLanguageLines(SplitSectionLines(text)); }

TEST(LanguageLines, FieldsAreHexadecimalAndOtherCharactersSkipped) {
  const auto lines = Lines(u"ENU=9,1,English\0 DEU = 0x7 , 1\0CHS=4,2\0BAD\0HEX=1F,a\0"sv);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].section, u"ENU");
  EXPECT_EQ(lines[0].primary, 9u);
  EXPECT_EQ(lines[0].sub, 1u);
  EXPECT_EQ(lines[1].section, u"DEU");
  EXPECT_EQ(lines[1].primary, 7u);  // "0x7": the x is skipped, 07
  EXPECT_EQ(lines[1].sub, 1u);
  EXPECT_FALSE(lines[3].hasIds);
  EXPECT_EQ(lines[3].section, u"BAD");
  EXPECT_EQ(lines[4].primary, 0x1Fu);
  EXPECT_EQ(lines[4].sub, 0xAu);
  // A field far too long never wraps into a real language.
  EXPECT_NE(ParseLanguageLine(u"X=10000000009,1").primary, 9u);
}

TEST(LanguageChoice, ExactThenPrimaryThenEnglishThenFirst) {
  const auto lines = Lines(u"FRC=C,3\0FRA=C,1\0ENG=9,2\0ENU=9,1\0DEU=7,1\0"sv);
  EXPECT_EQ(ChooseLanguageLine(lines, Lang(0xC, 1)), 1u);  // exact, though FRC comes first
  EXPECT_EQ(ChooseLanguageLine(lines, Lang(0xC, 2)), 0u);  // first of the same primary language
  EXPECT_EQ(ChooseLanguageLine(lines, Lang(0x11, 1)), 2u); // Japanese: first English line
  EXPECT_EQ(ChooseLanguageLine(lines, 0x409), 3u);
  const auto noEnglish = Lines(u"DEU=7,1\0FRA=C,1\0"sv);
  EXPECT_EQ(ChooseLanguageLine(noEnglish, Lang(0x11, 1)), 0u);
  EXPECT_FALSE(ChooseLanguageLine({}, 0x409).has_value());
}

TEST(LanguageChoice, FallsBackWhenTheResourceLibraryIsMissing) {
  const auto lines = Lines(u"DEU=7,1\0ENG=9,2\0ENU=9,1\0JPN=11,1\0"sv);
  std::set<std::u16string> present;
  auto usable = [&](const std::u16string& s) { return present.count(s) > 0; };

  present = {u"DEU", u"ENU", u"JPN"};
  EXPECT_EQ(ChooseLanguageSection(lines, Lang(7, 1), usable), u"DEU");
  // German missing: English (United States) is the second choice.
  present = {u"ENU", u"JPN"};
  EXPECT_EQ(ChooseLanguageSection(lines, Lang(7, 1), usable), u"ENU");
  // Japanese user, no Japanese library: the first English line (ENG) is chosen
  // first, and with it missing the 0x409 line.
  present = {u"ENU"};
  EXPECT_EQ(ChooseLanguageSection(lines, Lang(0x11, 1), usable), u"ENU");
  // Neither choice usable: the first usable line in file order.
  present = {u"JPN", u"DEU"};
  EXPECT_EQ(ChooseLanguageSection(lines, Lang(0xC, 1), usable), u"DEU");
  present = {};
  EXPECT_FALSE(ChooseLanguageSection(lines, Lang(7, 1), usable).has_value());
}

TEST(NotifyItems, OnlyItemLinesCountUpToTheItemNumber) {
  const auto lines = SplitSectionLines(std::u16string_view(
      u"PrnDll=x.dll\0ITEMNUM=3\0ITEM001=1\0ITEM02=5\0ITEM0023=7\0ITEM002 = 0\0ITEM003=-4\0ITEM004=1\0", 86));
  const auto items = CollectNotifyItems(lines, 3);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].name, u"001");
  EXPECT_EQ(items[0].value, 1);
  EXPECT_EQ(items[1].name, u"002");
  EXPECT_EQ(items[1].value, 0);
  EXPECT_EQ(items[2].name, u"003");
  EXPECT_EQ(items[2].value, -4);
  EXPECT_EQ(CollectNotifyItems(lines, 100).size(), 4u);  // ends with the section
}

TEST(NotifyItems, ValuesAreHeldWithin32Bits) {
  EXPECT_EQ(ParseNotifyItemLine(u"ITEM009=99999999999")->value, 2147483647);
  EXPECT_EQ(ParseNotifyItemLine(u"ITEM009=-99999999999")->value, -2147483647 - 1);
  EXPECT_EQ(ParseNotifyItemLine(u"ITEM009=")->value, 0);
  EXPECT_EQ(ParseNotifyItemLine(u"XITEM123=4")->name, u"123");
  EXPECT_FALSE(ParseNotifyItemLine(u"ITEM12").has_value());
}

}  // namespace
