// The model's profile file and the driver's registry-access library: language
// section choice over real INI files and resource files, sections read whole,
// and activation of the registry-access library through the spooler.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>

#include "foundation/base_info.h"
#include "foundation/profile_reader.h"
#include "foundation/reg_access_library.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "test_support.h"

namespace {

// A folder of this test with a profile file and the resource files it names.
class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = moni::test::TempFolder() + L"lang_" + moni::test::UniqueTestName() + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    profile = folder + L"MODEL.DAT";
  }
  void TearDown() override {
    for (const auto& f : files) DeleteFileW((folder + f).c_str());
    DeleteFileW(profile.c_str());
    RemoveDirectoryW(folder.c_str());
  }
  void Resource(const std::wstring& name) {
    ASSERT_TRUE(moni::test::WriteTextFile(folder + name, "MZ"));
    files.push_back(name);
  }
  void WriteProfile(const std::string& languageLines) {
    const std::string text = "[Language]\r\n" + languageLines +
                             "[DEU]\r\nResDll=RES_DE.DLL\r\n[ENG]\r\nResDll=RES_GB.DLL\r\n[ENU]\r\nResDll=RES_US.DLL\r\n"
                             "[FRA]\r\nResDll=RES_FR.DLL\r\n[JPN]\r\nResDll=\r\n";
    ASSERT_TRUE(moni::test::WriteTextFile(profile, text));
  }
  std::wstring Choose(LANGID id) { return moni::profile::ChooseResourceSection(profile, id); }

  std::wstring folder, profile;
  std::vector<std::wstring> files;
};

TEST_F(LanguageFiles, EveryFallbackOverRealFiles) {
  WriteProfile("JPN=11,1\r\nDEU=7,1,German\r\nENG=9,2\r\nENU=9,1\r\nFRA=c,1\r\n");
  Resource(L"RES_DE.DLL");
  Resource(L"RES_GB.DLL");
  Resource(L"RES_US.DLL");
  EXPECT_EQ(Choose(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)), L"DEU");           // exact
  EXPECT_EQ(Choose(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN)), L"DEU");  // primary only
  EXPECT_EQ(Choose(MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)), L"ENG");         // first English line
  // French: its library is missing, so English (United States).
  EXPECT_EQ(Choose(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)), L"ENU");
  // Japanese names no library at all (empty ResDll).
  EXPECT_EQ(Choose(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)), L"ENU");
  // Neither the choice nor English (United States): the first existing in file order.
  DeleteFileW((folder + L"RES_US.DLL").c_str());
  EXPECT_EQ(Choose(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)), L"DEU");
  DeleteFileW((folder + L"RES_DE.DLL").c_str());
  DeleteFileW((folder + L"RES_GB.DLL").c_str());
  EXPECT_EQ(Choose(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)), L"");
}

TEST_F(LanguageFiles, LanguageSectionLongerThanAnyFirstGuessIsReadWhole) {
  std::string lines;
  for (int i = 0; lines.size() < 100000; ++i) lines += "X" + std::to_string(i) + "=1" + std::to_string(i % 10) + ",1,unused\r\n";
  WriteProfile(lines + "FRA=c,1\r\n");
  Resource(L"RES_FR.DLL");
  EXPECT_EQ(Choose(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)), L"FRA");
  const auto section = moni::profile::ReadIniSection(profile, L"Language", 1u << 20, 16);
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(section->substr(section->size() - 8), u"FRA=c,1" + std::u16string(1, u'\0'));
  // The same section refused by a limit it does not fit.
  EXPECT_FALSE(moni::profile::ReadIniSection(profile, L"Language", 32767).has_value());
}

// A driver of this test whose data file names a registry-access library that
// does not exist.
class AccessLibrary : public ::testing::Test {
 protected:
  static constexpr wchar_t kMissingDriver[] = L"TALMER VGL3 Test NoAccessLib";
  static constexpr wchar_t kDataFile[] = L"TLTSTNAL.INI";
  void SetUp() override { moni::regaccess::ForgetForTest(); }
  void TearDown() override {
    moni::regaccess::ForgetForTest();
    if (installed) DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(kMissingDriver));
    DeleteFileW((moni::kit::ProgramFolder() + kDataFile).c_str());
  }
  bool installed = false;
};

TEST_F(AccessLibrary, MissingLibraryFailsThePrinterInformation) {
  ASSERT_TRUE(moni::test::WriteTextFile(moni::kit::ProgramFolder() + kDataFile,
                                        "[User Mode Printer Driver Information]\r\nSADatI=TLSMP100.DAT\r\n"
                                        "TLAUDF0164=V_NOSUCH.DLL\r\n"));
  std::wstring report;
  ASSERT_TRUE(moni::kit::InstallDriver(kMissingDriver, kDataFile, [&](const std::wstring& line) { report += line + L"\n"; }))
      << std::string(report.begin(), report.end());
  installed = true;
  CBaseInfo info;
  EXPECT_EQ(info.SetPrinterInformation(L"Any printer", kMissingDriver, L"LPT1:", L"SMP-100", L"", L""), -1);
  EXPECT_EQ(info.IsEnablePrnInfo(), -1);
  EXPECT_FALSE(moni::regaccess::IsActive());
  // An unknown driver fails the same way; incomplete identity before anything.
  EXPECT_EQ(info.SetPrinterInformation(L"Any printer", L"No such driver", L"LPT1:", L"SMP-100", L"", L""), -1);
  EXPECT_EQ(info.SetPrinterInformation(L"", moni::kit::kDriver, L"LPT1:", L"SMP-100", L"", L""), -1);
  EXPECT_FALSE(moni::regaccess::IsActive());
}

TEST_F(AccessLibrary, ActiveLibraryRoutesMachineKeyReads) {
  const std::wstring driverKey = std::wstring(L"Software\\TALMER\\VGL3\\Driver\\") + moni::kit::kDriver;
  ASSERT_TRUE(moni::regaccess::ActivateForDriver(moni::kit::kDriver));
  EXPECT_TRUE(moni::regaccess::IsActive());
  EXPECT_TRUE(moni::regaccess::HasKeyFunctions());
  // Once active it stays so, whatever driver is named next.
  EXPECT_TRUE(moni::regaccess::ActivateForDriver(L"No such driver"));
  CMachineKey key;
  ASSERT_TRUE(key.Open(driverKey));
  EXPECT_EQ(key.QueryString(L"ModelID"), L"SMP-100");
  EXPECT_EQ(key.QueryString(L"NoSuchValue", L"dflt"), L"dflt");
  EXPECT_EQ(key.QueryDword(L"NoSuchValue"), DWORD(-1));
  EXPECT_FALSE(key.Open(L"Software\\TALMER\\VGL3\\NoSuchKey"));
  EXPECT_EQ(key.LastError(), ERROR_FILE_NOT_FOUND);

  // Not active: the system's own functions, which give the same answers.
  moni::regaccess::ForgetForTest();
  EXPECT_EQ(moni::regaccess::OpenKey(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, nullptr), moni::regaccess::kMissingFunction);
  ASSERT_TRUE(key.Open(driverKey));
  EXPECT_EQ(key.QueryString(L"ModelID"), L"SMP-100");
}

TEST(AccessLibraryPath, NameFromTheDataFileOrTheDefault) {
  moni::test::TempFile data(L"data_", L".ini");
  moni::spooler::DriverFiles files;
  files.driverDirectory = L"C:\\drivers";
  files.dataFile = data.path();
  EXPECT_EQ(moni::regaccess::LibraryPathOf(files), L"C:\\drivers\\V_HAUDF1.DLL");
  ASSERT_TRUE(moni::test::WriteTextFile(data.path(), "[User Mode Printer Driver Information]\r\nTLAUDF0164=MYLIB.DLL\r\n"));
  EXPECT_EQ(moni::regaccess::LibraryPathOf(files), L"C:\\drivers\\MYLIB.DLL");
  // A name longer than 64 characters is refused rather than cut to another name.
  ASSERT_TRUE(moni::test::WriteTextFile(data.path(), "[User Mode Printer Driver Information]\r\nTLAUDF0164=" +
                                                         std::string(61, 'A') + ".DLL\r\n"));
  EXPECT_EQ(moni::regaccess::LibraryPathOf(files), L"");
}

}  // namespace

namespace {

// What the spooler and the setup data tell about a printer of this test's own,
// and its monitoring switch in the printer data.
TEST(PrinterFacts, DriverModelAndMonitoringSwitch) {
  const std::wstring printer = L"Facts " + moni::test::UniqueTestName();
  ASSERT_TRUE(moni::kit::AddPrinter(printer, L"TALMER VGL3 Sample", L"USB009"));
  std::wstring driver, port;
  EXPECT_TRUE(GetPrinterDriverAndPort(printer, driver, port));
  EXPECT_EQ(driver, L"TALMER VGL3 Sample");
  EXPECT_EQ(port, L"USB009");
  EXPECT_EQ(GetModelIdFromDriver(printer, L""), L"SMP-100");
  EXPECT_EQ(GetModelIdFromDriver(L"", L"TALMER VGL3 Sample"), L"SMP-100");

  EXPECT_EQ(IsDuvSettingOn(L""), 0);
  EXPECT_EQ(IsDuvSettingOn(L"No printer of that name"), 1);  // cannot be opened: off
  EXPECT_EQ(IsDuvSettingOn(printer), 0);                     // no value
  moni::PrinterHandle handle;
  std::wstring name = printer;
  PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterW(name.data(), handle.put(), &access));
  DWORD on = 1;
  ASSERT_EQ(SetPrinterDataW(handle.get(), const_cast<wchar_t*>(L"DUVSetting"), REG_DWORD, reinterpret_cast<BYTE*>(&on), sizeof on),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(IsDuvSettingOn(printer), 1);
  DWORD off = 0;
  SetPrinterDataW(handle.get(), const_cast<wchar_t*>(L"DUVSetting"), REG_DWORD, reinterpret_cast<BYTE*>(&off), sizeof off);
  EXPECT_EQ(IsDuvSettingOn(printer), 0);
  handle.reset();
  moni::kit::DeletePrinter(printer);
}

}  // namespace
