#include <gtest/gtest.h>

#include "tray/tray_menu_core.h"

namespace {

using namespace moni::tray;

std::vector<int> Layout(const std::vector<MenuEntry>& entries) {
  std::vector<int> out;
  for (const MenuEntry& e : entries) out.push_back(e.separator ? 0 : e.id);
  return out;
}

TEST(TrayMenu, SeparatorsGoBeforeTheNumberedAddedItems) {
  const std::vector<ExtraItem> items = {{920, u"a"}, {921, u""}, {922, u"b"}, {923, u"c"}, {930, u"d"}, {998, u"e"}};
  EXPECT_EQ(Layout(PlanExtraItems(items, ParseSeparators(u"2,4"))), (std::vector<int>{920, 0, 922, 923, 0, 930, 998}));
  // Numbers are taken in list order: one that is passed blocks the rest.
  EXPECT_EQ(Layout(PlanExtraItems(items, ParseSeparators(u"3,2"))), (std::vector<int>{920, 922, 0, 923, 930, 998}));
  EXPECT_EQ(Layout(PlanExtraItems(items, ParseSeparators(u"1, 2,x,9"))), (std::vector<int>{0, 920, 0, 922, 923, 930, 998}));
  EXPECT_EQ(Layout(PlanExtraItems(items, {})), (std::vector<int>{920, 922, 923, 930, 998}));
  EXPECT_TRUE(PlanExtraItems({{920, u""}}, {1}).empty());

  EXPECT_EQ(ParseSeparators(u""), std::vector<int>{});
  EXPECT_EQ(ParseSeparators(u"99999999999,5"), (std::vector<int>{0, 5}));
  std::u16string many;
  for (int i = 0; i < 100; ++i) many += u"1,";
  EXPECT_EQ(ParseSeparators(many).size(), 79u);
}

TEST(TrayMenu, CommandTemplates) {
  EXPECT_EQ(FileNameUpper(u"C:\\drv\\v_g20dp1.exe"), u"V_G20DP1.EXE");
  EXPECT_TRUE(IsInkOrderTemplate(u"c:\\drv\\V_G20DP1.exe /menu", u"V_G20DP1.EXE"));
  EXPECT_FALSE(IsInkOrderTemplate(u"c:\\drv\\V_G20DP1.exe /order", u"V_G20DP1.EXE"));
  EXPECT_FALSE(IsInkOrderTemplate(u"MENU", u""));

  const auto utility = SplitUtilityTemplate(u"C:\\drv\\V_SMPUTL.DLL /U11");
  ASSERT_TRUE(utility.has_value());
  EXPECT_EQ(utility->library, u"C:\\drv\\V_SMPUTL.DLL");
  EXPECT_EQ(utility->function, 11);
  EXPECT_FALSE(SplitUtilityTemplate(u"V_SMPUTL.DLL").has_value());
  EXPECT_EQ(SplitUtilityTemplate(u"x /Uzz")->function, 0);

  const CommandSplit command = SplitAtFirstBlank(u"C:\\drv\\TOOL.EXE /A \"b c\"");
  EXPECT_EQ(command.program, u"C:\\drv\\TOOL.EXE");
  EXPECT_EQ(command.arguments, u"/A \"b c\"");
  EXPECT_FALSE(SplitAtFirstBlank(u"TOOL.EXE").hasArguments);

  const CommandSplit update = SplitAtFirstSlash(FormatDriverUpdateCommand(u"%sUPD.EXE  /CHECK /X", u"C:\\upd\\"));
  EXPECT_EQ(update.program, u"C:\\upd\\UPD.EXE");
  EXPECT_EQ(update.arguments, u"/CHECK /X");
  EXPECT_EQ(SemaphoreName(u"\\\\server\\printer"), u"//server/printer");
}

TEST(TrayMenu, DriverUpdateTemplateTakesOnlyItsFolder) {
  // Conversions beyond the one folder print nothing and read nothing; "%n"
  // stays as it is.
  EXPECT_EQ(FormatDriverUpdateCommand(u"%s%s%d%x%p%n%S.EXE", u"C:\\u\\"), u"C:\\u\\%n.EXE");
  EXPECT_EQ(FormatDriverUpdateCommand(u"%d%sUPD.EXE", u"C:\\u\\"), u"UPD.EXE");
  EXPECT_EQ(FormatDriverUpdateCommand(u"%%s %-300s|", u"f"), u"%s " + std::u16string(u"f") + std::u16string(299, u' ') + u"|");
}

}  // namespace
