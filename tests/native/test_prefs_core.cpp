#include <gtest/gtest.h>

#include "foundation/printer_settings_core.h"
#include "ui/prefs/prefs_core.h"

namespace {

using namespace moni::prefs;
using moni::settings::Notification;
using moni::settings::StoredNotification;

TEST(PrefsCore, ItemCountFromTheResourceString) {
  struct Case {
    const char16_t* text;
    size_t count;
    bool valid, capped;
  } const cases[] = {
      {u"4", 4, true, false},
      {u" 6 ", 6, true, false},
      {u"0", 0, true, false},
      {u"", 0, false, false},
      {u"6 items", 0, false, false},
      {u"-1", 0, false, false},
      {u"+3", 0, false, false},
      {u"63", 63, true, false},
      {u"64", 64, true, false},  // the limit itself
      {u"65", 64, true, true},   // one past it
      {u"99999999999999999999999", 64, true, true},
  };
  for (const Case& c : cases) {
    const ItemCount got = ParseItemCount(c.text);
    EXPECT_EQ(got.count, c.count) << static_cast<int>(c.text[0]);
    EXPECT_EQ(got.valid, c.valid);
    EXPECT_EQ(got.capped, c.capped);
  }
  EXPECT_EQ(NotifyItemCode(0), 12);
  EXPECT_EQ(NotifyItemCode(3), 501);
  EXPECT_EQ(NotifyItemCode(4), 0);  // past the table
}

TEST(PrefsCore, SettingsAsTheDialogTakesThem) {
  using namespace moni::settings;
  EXPECT_EQ(NotifyValueName(12), u"012");
  EXPECT_EQ(NotifyValueName(0), u"000");
  EXPECT_EQ(NotifyValueName(501), u"501");
  EXPECT_EQ(NotifyValueName(1234), u"1234");
  EXPECT_EQ(NotifyValueName(-1), u"-01");
  EXPECT_EQ(NotifyValueName(-2147483647 - 1), u"-2147483648");

  EXPECT_EQ(SoundSetting(1, true), 1);
  EXPECT_EQ(SoundSetting(2, true), 0);
  EXPECT_EQ(SoundSetting(1, false), 0);
  EXPECT_EQ(TrayIconSetting(0xFFFFFFFF), 0);
  for (std::uint32_t design : {0u, 4u, 7u, 0xFFFFFFFFu}) EXPECT_EQ(DesignSetting(design), 0) << design;
  for (std::uint32_t design : {1u, 2u, 3u}) EXPECT_EQ(DesignSetting(design), static_cast<int>(design));
}

TEST(PrefsCore, NotificationQueryDecision) {
  struct Case {
    StoredNotification stored;
    Notification answer;
  } const cases[] = {
      {{false, 1, true, 1}, {1, 0, 0}},                     // no printer key: nothing
      {{true, 1, false, std::nullopt}, {1, 1, 0}},          // no "Notify": the sound setting alone
      {{true, 1, true, 1}, {0, 1, 1}},
      {{true, 1, true, std::nullopt}, {0, 0, 0}},           // a missing switch: no pop-up, no sound
      {{true, 0, true, 1}, {0, 0, 1}},
      {{true, std::nullopt, true, 1}, {0, 0, 1}},
      {{true, 2, true, 1}, {0, 0, 1}},                      // 2 is off, as the dialog shows it
      {{true, 1, true, 2}, {0, 0, 0}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Notification got = moni::settings::DecideNotification(cases[i].stored);
    EXPECT_EQ(got.result, cases[i].answer.result) << i;
    EXPECT_EQ(got.sound, cases[i].answer.sound) << i;
    EXPECT_EQ(got.notify, cases[i].answer.notify) << i;
  }
}

TEST(PrefsCore, PreviewsAndDesignSpacing) {
  EXPECT_EQ(PreviewBitmap(true, 0), 501);
  EXPECT_EQ(PreviewBitmap(true, 2), 503);
  EXPECT_EQ(PreviewBitmap(true, 3), 500);
  EXPECT_EQ(PreviewBitmap(true, -1), 500);
  EXPECT_EQ(PreviewBitmap(false, 1), 500);
  EXPECT_EQ(SpreadIconSpacing(3, 180), 60);
  EXPECT_EQ(SpreadIconSpacing(1, 181), 181);
  EXPECT_EQ(SpreadIconSpacing(4, 180), 0);  // the list arranges four and more itself
  EXPECT_EQ(SpreadIconSpacing(0, 180), 0);
  EXPECT_EQ(SpreadIconSpacing(2, 0), 0);
}

TEST(PrefsCore, HelpMapTopicsAndWindow) {
  const auto& map = HelpMap();
  ASSERT_EQ(map.size(), 15u);
  EXPECT_EQ(map.front().control, 100u);
  EXPECT_EQ(map.back().control, 0u);  // the end of the map
  EXPECT_EQ(map.back().context, 0u);
  EXPECT_EQ(HelpContextOf(203), 0x3005u);
  EXPECT_EQ(HelpContextOf(223), 0x3010u);
  EXPECT_EQ(HelpContextOf(208), 0x3015u);
  EXPECT_EQ(HelpContextOf(1), 0u);
  EXPECT_EQ(HelpContextOf(0), 0u);

  EXPECT_TRUE(IsHtmlHelpFile(u"C:\\drv\\SMP.CHM"));
  EXPECT_TRUE(IsHtmlHelpFile(u"smp.chm"));
  EXPECT_FALSE(IsHtmlHelpFile(u"smp.hlp"));
  EXPECT_FALSE(IsHtmlHelpFile(u"chm"));
  EXPECT_EQ(HtmlHelpTopic(u"C:\\h.chm", 0x3005), u"C:\\h.chm::HTML\\0X3005.htm>DuvHH_Context");
  EXPECT_EQ(HtmlHelpTopic(u"h.chm", 0xA), u"h.chm::HTML\\0X000A.htm>DuvHH_Context");

  const Rect screen{0, 0, 1280, 1024};
  EXPECT_EQ(HelpWindowRect(100, 200, screen), (Rect{100, 200, 420, 456}));
  EXPECT_EQ(HelpWindowRect(960, 768, screen), (Rect{960, 768, 1280, 1024}));  // exactly fits
  EXPECT_EQ(HelpWindowRect(961, 769, screen), (Rect{960, 768, 1280, 1024}));  // one past: moved
  EXPECT_EQ(HelpWindowRect(-5, -5, screen), (Rect{0, 0, 320, 256}));
}

TEST(PrefsCore, SharedBoxAndAgent) {
  EXPECT_TRUE(SharedBoxShown({false, 4, 10}));  // Windows 9x
  EXPECT_TRUE(SharedBoxShown({true, 4, 0}));
  EXPECT_TRUE(SharedBoxShown({true, 5, 0}));
  EXPECT_FALSE(SharedBoxShown({true, 5, 1}));
  EXPECT_FALSE(SharedBoxShown({true, 6, 0}));

  EXPECT_FALSE(SharedMonitoringPossible(3, true, true));
  EXPECT_TRUE(SharedMonitoringPossible(4, true, false));
  EXPECT_FALSE(SharedMonitoringPossible(4, false, true));
  EXPECT_TRUE(SharedMonitoringPossible(1, false, true));
  EXPECT_FALSE(SharedMonitoringPossible(2, true, false));

  EXPECT_FALSE(SharedCheckAllowed(u"smart", 0));
  EXPECT_TRUE(SharedCheckAllowed(u"SMART", 1));
  EXPECT_TRUE(SharedCheckAllowed(u"SMART", 0xFFFFFFFF));  // no "SAgentType"
  EXPECT_TRUE(SharedCheckAllowed(u"XSMART", 0));
  EXPECT_TRUE(SharedCheckAllowed(u"", 0));

  EXPECT_TRUE(NwlinkConflict(1, true));
  EXPECT_FALSE(NwlinkConflict(2, true));
  EXPECT_FALSE(NwlinkConflict(1, false));
}

TEST(PrefsCore, ServiceWhenTheDialogOpens) {
  const Platform nt5{true, 5, 0}, win98{false, 4, 10};
  struct Case {
    SharedStartupInput in;
    bool disable, message;
    ServiceAction service;
  } const cases[] = {
      {{nt5, true, false, true, kServiceNotInstalled}, false, false, ServiceAction::Install},
      {{nt5, true, false, true, kServiceRunning}, false, false, ServiceAction::Refresh},
      {{nt5, true, false, true, kServiceStateUnknown}, false, false, ServiceAction::Refresh},
      {{nt5, false, false, true, kServiceStopped}, false, false, ServiceAction::Remove},
      {{nt5, false, false, true, kServiceNotInstalled}, false, false, ServiceAction::None},
      {{nt5, true, false, true, kServiceManagerClosed}, false, false, ServiceAction::None},
      {{nt5, true, false, false, kServiceRunning}, true, false, ServiceAction::Refresh},  // not an administrator
      {{win98, true, true, false, kServiceRunning}, false, true, ServiceAction::None},
      {{win98, false, true, false, kServiceNotInstalled}, false, false, ServiceAction::None},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const SharedStartup got = DecideSharedStartup(cases[i].in);
    EXPECT_EQ(got.disableBox, cases[i].disable) << i;
    EXPECT_EQ(got.nwlinkMessage, cases[i].message) << i;
    EXPECT_EQ(got.service, cases[i].service) << i;
  }
}

TEST(PrefsCore, ServiceAfterOk) {
  struct Case {
    bool turnedOn, setupOk, agentNowOn;
    int state;
    ServiceAction action;
  } const cases[] = {
      {true, true, true, kServiceNotInstalled, ServiceAction::Install},
      {true, false, false, kServiceNotInstalled, ServiceAction::None},
      {true, false, true, kServiceNotInstalled, ServiceAction::Install},  // the agent is on all the same
      {false, true, false, kServiceRunning, ServiceAction::Remove},
      {false, false, true, kServiceRunning, ServiceAction::None},
      {false, true, true, kServiceStopped, ServiceAction::Remove},  // switching off succeeded
      {true, true, true, kServiceRunning, ServiceAction::None},
      {true, false, false, kServiceManagerClosed, ServiceAction::Remove},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(DecideServiceAfterOk(c.turnedOn, c.setupOk, c.agentNowOn, c.state), c.action) << i;
  }
  EXPECT_TRUE(ServiceProgramOutdated(false, 0, 0));
  EXPECT_TRUE(ServiceProgramOutdated(true, 99, 100));
  EXPECT_FALSE(ServiceProgramOutdated(true, 100, 100));  // not older: left alone
}

TEST(PrefsCore, ServiceNamesFoldersAndCommand) {
  EXPECT_EQ(ServiceName(u""), u"TALMER_PM_RPCV2_01");
  EXPECT_EQ(ServiceName(u"V_G00RP1"), u"V_G00RP1");
  EXPECT_EQ(ServiceTargetFolder(u"V_G00RP1", u"C:\\ProgramData\\", u"C:\\windows\\system32"),
            u"C:\\ProgramData\\TALMER\\TLW!3 SSRP");
  EXPECT_EQ(ServiceTargetFolder(u"", u"C:\\ProgramData", u"C:\\windows\\system32"), u"C:\\windows\\system32");
  // The path holds a blank: it is quoted.
  EXPECT_EQ(ServiceCommandLine(u"C:\\ProgramData\\TALMER\\TLW!3 SSRP\\V_G00RP1.EXE", true),
            u"\"C:\\ProgramData\\TALMER\\TLW!3 SSRP\\V_G00RP1.EXE\" /IS");
  EXPECT_EQ(ServiceCommandLine(u"C:\\x.exe", false), u"\"C:\\x.exe\" /R");
  EXPECT_EQ(FileNameOf(u"C:\\a/b\\V_G00RP1.EXE"), u"V_G00RP1.EXE");
  EXPECT_EQ(FileNameOf(u"plain"), u"plain");
}

}  // namespace
