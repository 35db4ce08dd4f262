// The printer's notification settings in the registry: the notification query
// that the session and the status window ask, and the reads that fill in a
// missing setting from the model's defaults. Keys below a data root of the
// test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/notification.h"
#include "foundation/printer_settings.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "test_support.h"

namespace {

class PrinterSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    root = L"Software\\TALMER\\VGL3\\Test_" + moni::test::UniqueTestName();
    moni::targetkeys::SetDataRootForTest(root);
    printerKey = moni::targetkeys::ParentPath(false) + L"\\P0000000000000000";
    portKey = moni::targetkeys::ParentPath(true) + L"\\P0000000000000000";
    ASSERT_TRUE(Key(printerKey).SetString(L"Name", L"Settings Printer"));
    ASSERT_TRUE(Key(portKey).SetString(L"Name", L"SETPORT:"));
  }
  void TearDown() override {
    moni::targetkeys::SetDataRootForTest(L"");
    CRegistryKey vgl3;
    if (vgl3.Open(HKEY_CURRENT_USER, L"Software\\TALMER\\VGL3", false, KEY_ALL_ACCESS)) vgl3.DeleteTree(root.substr(root.rfind(L'\\') + 1));
  }
  static CRegistryKey& Key(const std::wstring& path) {
    static CRegistryKey key;
    EXPECT_TRUE(key.Open(HKEY_CURRENT_USER, path, true));
    return key;
  }

  std::wstring root, printerKey, portKey;
};

TEST_F(PrinterSettings, NotificationQueryByPrinterAndByPort) {
  // No key for the name: result 1, nothing.
  auto none = QueryNotification(L"Other Printer", L"", 12);
  EXPECT_EQ(none.result, 1);
  EXPECT_EQ(none.notify + none.sound, 0);

  // A key without "Notify": result 1, the sound setting alone.
  ASSERT_TRUE(Key(printerKey).SetDword(L"SoundNotifyEnable", 1));
  auto noNotify = QueryNotification(L"settings printer", L"SETPORT:", 12);  // the name, in any case, wins over the port
  EXPECT_EQ(noNotify.result, 1);
  EXPECT_EQ(noNotify.sound, 1);
  EXPECT_EQ(noNotify.notify, 0);

  ASSERT_TRUE(Key(printerKey + L"\\Notify").SetDword(L"012", 1));
  ASSERT_TRUE(Key(printerKey + L"\\Notify").SetString(L"009", L"1"));  // not a DWORD: off
  auto on = QueryNotification(L"Settings Printer", L"", 12);
  EXPECT_EQ(on.result, 0);
  EXPECT_EQ(on.notify, 1);
  EXPECT_EQ(on.sound, 1);
  auto wrongType = QueryNotification(L"Settings Printer", L"", 9);
  EXPECT_EQ(wrongType.result, 0);
  EXPECT_EQ(wrongType.notify, 0);
  EXPECT_EQ(wrongType.sound, 0);  // sound only with a pop-up

  // Without a printer name the port's key answers.
  ASSERT_TRUE(Key(portKey + L"\\Notify").SetDword(L"501", 1));
  auto byPort = QueryNotification(L"", L"setport:", 501);
  EXPECT_EQ(byPort.result, 0);
  EXPECT_EQ(byPort.notify, 1);
  EXPECT_EQ(byPort.sound, 0);  // the port's key has no sound setting
}

TEST_F(PrinterSettings, MissingSettingTakesTheDefaultOnceAndOthersStay) {
  moni::test::TempFile profile(L"settings_", L".dat");
  ASSERT_TRUE(moni::test::WriteTextFile(profile.path(), "[SMP-100]\r\nTrayIconSelected=2\r\nITEM012=1\r\n"));
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, printerKey, false, KEY_ALL_ACCESS));
  ASSERT_TRUE(key.SetDword(L"TrayIconEnable", 0));
  ASSERT_TRUE(key.SetString(L"SoundNotifyEnable", L"1"));

  using moni::settings::SettingOrDefault;
  EXPECT_EQ(SettingOrDefault(key, L"TrayIconSelected", L"TrayIconSelected", profile.path(), L"SMP-100"), 2u);
  EXPECT_EQ(key.QueryDword(L"TrayIconSelected"), 2u);  // written at once
  ASSERT_TRUE(key.SetDword(L"TrayIconSelected", 3));
  EXPECT_EQ(SettingOrDefault(key, L"TrayIconSelected", L"TrayIconSelected", profile.path(), L"SMP-100"), 3u);  // never replaced
  EXPECT_EQ(SettingOrDefault(key, L"TrayIconEnable", L"TrayIconEnable", profile.path(), L"SMP-100"), 0u);
  // A value of another type: the default is used and the value kept.
  EXPECT_EQ(SettingOrDefault(key, L"SoundNotifyEnable", L"SoundNotifyEnable", profile.path(), L"SMP-100"), 0u);
  EXPECT_EQ(key.QueryString(L"SoundNotifyEnable"), L"1");
  // The item defaults of the dialog come through the same read.
  CRegistryKey notify;
  ASSERT_TRUE(notify.Open(key.Get(), L"Notify", true));
  EXPECT_EQ(SettingOrDefault(notify, L"012", L"ITEM012", profile.path(), L"SMP-100"), 1u);
  EXPECT_EQ(SettingOrDefault(notify, L"000", L"ITEM000", profile.path(), L"SMP-100"), 0u);
  EXPECT_EQ(notify.QueryDword(L"000"), 0u);
}

}  // namespace
