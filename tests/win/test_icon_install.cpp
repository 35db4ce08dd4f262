// The tray icon registration: monitoring entries, start-up values and their
// parameter files, the driver support library, the wait for the ink-ordering
// key, and PrIconInstall run by the driver's companion program (real
// processes: the companion stand-in, the tray programs it starts).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "api/monicore.h"
#include "foundation/startup_list.h"
#include "foundation/support_library.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/files.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "test_support.h"
#include "tray_process.h"
#include "ui/prefs/icon_install.h"
#include "ui/prefs/icon_texts_core.h"
#include "ui/prefs/startup_entry.h"

namespace {

using namespace moni::test;
namespace kit = moni::kit;
namespace prefs = moni::prefs;
namespace support = moni::support;
using moni::startup::kRunKey;

std::wstring ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) return L"\x01";
  std::wstring value(size / sizeof(wchar_t), L'\0');
  RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value.data(), &size);
  value.resize(wcslen(value.c_str()));
  return value;
}

DWORD ReadDword(const std::wstring& key, const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
             ? value
             : 0xDEADu;
}

void SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SetDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

// Whether the tray program that logged the printer's name also logged that
// it was started to remove the icon (lines "<pid>;...").
bool RemoveSeenInLog(const std::string& text, const std::string& printer) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  for (const std::string& line : lines) {
    if (line.find("cmdInfo.m_szPrinterName : " + printer) == std::string::npos) continue;
    const std::string tag = line.substr(0, line.find(';') + 1);
    for (const std::string& other : lines) {
      if (other.rfind(tag, 0) == 0 && other.find("cmdInfo.m_fRemove : 1") != std::string::npos) return true;
    }
  }
  return false;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The monitoring entries below a private data root (parallel tests share none).
class MonitoringEntries : public ::testing::Test {
 protected:
  void SetUp() override {
    root = L"Software\\TALMER\\VGL3\\IconTest_" + UniqueTestName();
    moni::targetkeys::SetDataRootForTest(root);
  }
  void TearDown() override {
    moni::targetkeys::SetDataRootForTest(L"");
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  }
  std::wstring Entry(std::uint32_t n) const {
    return moni::targetkeys::ParentPath(false) + L"\\" + moni::ToWide(moni::icons::MonitoringEntryName(n));
  }
  std::wstring root;
};

TEST_F(MonitoringEntries, EntryOfThePrinterIsReusedElseTheFirstMissingNumberIsTaken) {
  const std::wstring printer = L"Printer " + UniqueTestName();
  struct Named {
    std::uint32_t n;
    std::optional<std::wstring> name;  // nothing: "Name" is a number
  };
  const struct {
    const char* what;
    std::vector<Named> before;
    std::uint32_t taken;
  } cases[] = {
      {"none yet", {}, 0},
      {"reused in another letter case", {{0, L"Other"}, {1, L"PRINTER " + UniqueTestName()}}, 1},
      {"a gap before the printer's own entry", {{1, printer}}, 0},
      {"a number or no name are other printers", {{0, std::nullopt}, {1, L""}, {3, printer}}, 2},
  };
  for (const auto& c : cases) {
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
    for (const Named& named : c.before) {
      if (named.name) {
        SetString(Entry(named.n), L"Name", *named.name);
      } else {
        SetDword(Entry(named.n), L"Name", 7);
      }
      SetDword(Entry(named.n), L"Setting", 255);
      SetDword(Entry(named.n), L"Timer", 3);
    }
    std::wstring path;
    EXPECT_EQ(prefs::CreateMonitoringReg(printer, path), static_cast<int>(Entry(c.taken).size())) << c.what;
    EXPECT_EQ(path, Entry(c.taken)) << c.what;
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, path, L"Name"), printer) << c.what;
    EXPECT_EQ(ReadDword(path, L"Setting"), 0u) << c.what;
    EXPECT_EQ(ReadDword(path, L"Timer"), 10u) << c.what;
    for (const Named& named : c.before) {
      if (named.n != c.taken) {
        EXPECT_EQ(ReadDword(Entry(named.n), L"Setting"), 255u) << c.what << " " << named.n;
      }
    }
  }
}

TEST_F(MonitoringEntries, KeyPathOfTheLimitIsTakenAndOneLongerIsRefused) {
  // The entry path is the root, "\TLLTarget" and "\P" with 16 digits.
  const std::wstring base = root;
  for (size_t total : {moni::targetkeys::kMaxPath, moni::targetkeys::kMaxPath + 1}) {
    const std::wstring padded = base + L"\\" + std::wstring(total - 28 - base.size() - 1, L'x');
    moni::targetkeys::SetDataRootForTest(padded);
    std::wstring path;
    const int length = prefs::CreateMonitoringReg(L"Printer", path);
    if (total == moni::targetkeys::kMaxPath) {
      EXPECT_EQ(length, static_cast<int>(total));
    } else {
      EXPECT_EQ(length, -1);
      EXPECT_TRUE(path.empty());
    }
  }
}

TEST_F(MonitoringEntries, TrayIconSettingIsTheFirstNumberFoundForThePrinter) {
  const std::wstring printer = L"Tray " + UniqueTestName();
  DWORD enable = 99;
  EXPECT_EQ(prefs::GetTrayIconInfo(printer, enable), 0);  // no entries at all
  SetString(Entry(0), L"Name", printer);                   // no setting: the search goes on
  SetString(Entry(1), L"Name", L"Someone else");
  SetDword(Entry(1), L"TrayIconEnable", 1);
  SetString(Entry(2), L"Name", printer);
  SetString(Entry(2), L"TrayIconEnable", L"1");  // text is no setting
  EXPECT_EQ(prefs::GetTrayIconInfo(printer, enable), 0);
  SetString(Entry(3), L"Name", L"TRAY " + UniqueTestName());
  SetDword(Entry(3), L"TrayIconEnable", 0);
  EXPECT_EQ(prefs::GetTrayIconInfo(printer, enable), 1);
  EXPECT_EQ(enable, 0u);
}

// DelOldIconRegFile over values of a private key.
TEST(StartupFiles, OnlyParameterFilesOfTheTemporaryFolderAreDeleted) {
  const std::wstring key = L"Software\\TALMER\\VGL3\\IconTest_" + UniqueTestName();
  const std::wstring temp = moni::files::TempFolder();
  const std::wstring unique = UniqueTestName();
  const std::wstring sub = temp + L"sub_" + unique;
  CreateDirectoryW(sub.c_str(), nullptr);
  const std::wstring ours = temp + L"V_Gp" + unique + L".tmp";
  const std::wstring notPrefixed = temp + L"Xp" + unique + L".tmp";
  const std::wstring elsewhere = sub + L"\\V_Gq" + unique + L".tmp";
  const std::wstring folder = temp + L"V_Gdir" + unique;
  const std::wstring program = temp + L"V_Gprog" + unique + L".exe";
  const struct {
    std::wstring value;
    std::wstring file;  // written before; whether it goes
    bool gone;
    bool deleted;       // whether a file was deleted
  } cases[] = {
      {L"monitray.exe /FU \"" + ours + L"\" /EF \"HKCU\"", ours, true, true},
      {L"monitray.exe /F \"" + ours + L"\"", ours, true, true},
      {L"monitray.exe /FU \"" + notPrefixed + L"\" /EF \"HKCU\"", notPrefixed, false, false},
      {L"monitray.exe /FU \"" + elsewhere + L"\" /EF \"HKCU\"", elsewhere, false, false},
      {L"monitray.exe /FU " + ours + L" /EF HKCU", ours, false, false},  // no double quote
      // The quoted program is not the parameter file, however it is named.
      {L"\"" + program + L"\" /FU \"" + ours + L"\" /EF \"HKCU\"", program, false, true},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteTextFile(ours, "x") && WriteTextFile(c.file, "x"));
    SetString(key, L"Printer", c.value);
    const auto old = moni::startup::DelOldIconRegFile(HKEY_CURRENT_USER, key, L"Printer");
    EXPECT_EQ(old.deleted, c.deleted) << moni::NarrowUtf8(moni::ToU16(c.value));
    EXPECT_EQ(Exists(c.file), !c.gone) << moni::NarrowUtf8(moni::ToU16(c.value));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, L"Printer"), c.value);  // the value stays
    DeleteFileW(c.file.c_str());
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  SetString(key, L"Printer", L"monitray.exe /FU \"" + folder + L"\"");
  EXPECT_FALSE(moni::startup::DelOldIconRegFile(HKEY_CURRENT_USER, key, L"Printer").deleted);
  EXPECT_TRUE(Exists(folder));
  SetDword(key, L"Printer", 1);  // not text
  EXPECT_FALSE(moni::startup::DelOldIconRegFile(HKEY_CURRENT_USER, key, L"Printer").valueRead);
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(sub.c_str());
  DeleteFileW(ours.c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

// The start-up entry of one printer as the preferences and the question
// write and remove it; a port stands in for a missing printer name.
TEST(StartupEntry, WrittenWithANewFileEachTimeAndRemovedWhateverItsLength) {
  const prefs::TrayIdentity identity = {L"", kit::kDriver, L"PORT_" + UniqueTestName(), kit::kModelID};
  const auto fileOf = [&] {
    return moni::ToWide(moni::startup::ParseStartupValue(moni::ToU16(ReadString(HKEY_CURRENT_USER, kRunKey, identity.port.c_str())))
                            .paramFile);
  };
  EXPECT_EQ(prefs::RegStartupEntry(1, identity), 1);
  const std::wstring first = fileOf();
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kRunKey, identity.port.c_str()),
            kit::InstalledDriverFolder(kit::kDriver) + L"V_G20IC1.EXE /FU \"" + first + L"\" /EF \"HKCU\"");
  const std::wstring text = L"/P0 \"\"\n/O" + std::to_wstring(identity.port.size()) + L" \"" + identity.port + L"\"\n/M \"SMP-100\"";
  EXPECT_EQ(ReadFileBytes(first), moni::files::Utf16Bytes(text, true));
  EXPECT_EQ(prefs::RegStartupEntry(1, identity), 1);
  const std::wstring second = fileOf();
  EXPECT_NE(second, first);
  EXPECT_FALSE(Exists(first));
  EXPECT_TRUE(Exists(second));
  // Longer than any command line the monitor writes.
  SetString(kRunKey, identity.port.c_str(), std::wstring(600, L' ') + L"x.exe /FU \"" + second + L"\"");
  EXPECT_EQ(prefs::RegStartupEntry(0, identity), 1);
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kRunKey, identity.port.c_str()), L"\x01");
  EXPECT_FALSE(Exists(second));
}

// The driver support library of the exports.
TEST(SupportLibrary, HeldByTheLastAttachmentAndGoneAfterIt) {
  ASSERT_EQ(GetModuleHandleW(L"V_HAUDF1.DLL"), nullptr);
  {
    const support::CSupportLibrary outer(support::AttachBy::Driver, kit::kDriver);
    ASSERT_TRUE(outer.Attached());
    EXPECT_TRUE(support::HasFirstInterface() && support::HasSecondInterface());
    {
      const support::CSupportLibrary inner(support::AttachBy::Printer, kit::kPrinter);
      EXPECT_TRUE(inner.Attached());
    }
    EXPECT_TRUE(support::IsAttached());
    EXPECT_NE(GetModuleHandleW(L"V_HAUDF1.DLL"), nullptr);
  }
  EXPECT_FALSE(support::IsAttached());
  EXPECT_EQ(GetModuleHandleW(L"V_HAUDF1.DLL"), nullptr);
  for (const auto mode : {support::AttachBy::Driver, support::AttachBy::Printer}) {
    const support::CSupportLibrary none(mode, L"No Such " + UniqueTestName());
    EXPECT_FALSE(none.Attached());
  }
  HKEY key = nullptr;
  EXPECT_EQ(support::OpenKey(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), 12);
}

TEST(SupportLibrary, AnInterfaceWithAMissingOrdinalIsCleared) {
  const support::CSupportLibrary partial(kit::ProgramFolder() + L"support_partial.dll");
  ASSERT_TRUE(partial.Attached());
  EXPECT_FALSE(support::HasFirstInterface());  // ordinal 13 is missing
  EXPECT_TRUE(support::HasSecondInterface());
  HKEY key = nullptr;
  EXPECT_EQ(support::OpenKey(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), 12);
  EXPECT_EQ(support::CloseKey(reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x7777))), ERROR_INVALID_HANDLE);
}

// The ink-ordering key of a driver whose installer wrote it into the 32-bit
// view: the sample library finds it there, the registry does not.
class InkOrderKey : public ::testing::Test {
 protected:
  void SetUp() override { driver = L"IconTest " + UniqueTestName(); }
  void TearDown() override {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), view, 0);
  }
  std::wstring Key() const { return L"software\\TALMER\\" + driver + L" IO_URL"; }
  void Make(REGSAM view) {
    moni::RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
  }
  std::wstring driver;
};

TEST_F(InkOrderKey, WaitEndsWhenTheKeyOpensInTheRegistryOrThroughTheAttachedLibrary) {
  const prefs::InkOrderWait wait = {60, 3};
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(prefs::CheckInkOrderReg(driver, wait), 3);  // never there: three pauses, then on
  EXPECT_GE(GetTickCount64() - start, 3 * 60u - 20u);
  Make(KEY_WOW64_32KEY);
  EXPECT_EQ(prefs::CheckInkOrderReg(driver, wait), 3);
  {
    const support::CSupportLibrary library(support::AttachBy::Driver, kit::kDriver);
    ASSERT_TRUE(library.Attached());
    EXPECT_EQ(prefs::CheckInkOrderReg(driver, wait), 0);
  }
  Make(KEY_WOW64_64KEY);
  EXPECT_EQ(prefs::CheckInkOrderReg(driver, wait), 0);
}

TEST_F(InkOrderKey, KeyNameOfTheLimitIsWaitedForAndOneLongerIsNot) {
  // "software\TALMER\" (16) + driver + " IO_URL" (7).
  const prefs::InkOrderWait wait = {1, 3};
  EXPECT_EQ(prefs::CheckInkOrderReg(std::wstring(236, L'd'), wait), 3);
  EXPECT_EQ(prefs::CheckInkOrderReg(std::wstring(237, L'd'), wait), 0);
}

// PrIconInstall in this process: this program is no companion, so no printer
// is acted on; what is seen is the turn and the library.
TEST(IconInstallTurn, ASecondInstallationWaitsForTheFirstWithTheLibraryAttached) {
  const moni::Module library(LoadLibraryW(L"monicore.dll"));
  const auto install = ProcOf<decltype(&PrIconInstall)>(library, "PrIconInstall");
  ASSERT_NE(install, nullptr);
  moni::OwnedMutex first(CreateMutexW(nullptr, TRUE, prefs::kInstallMutex));
  ASSERT_TRUE(first.valid());
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  std::atomic<int> result{-5};
  std::thread second([&] { result = install(nullptr, kit::kDriverIcons, nullptr); });
  Sleep(400);
  EXPECT_EQ(result.load(), -5);
  EXPECT_NE(GetModuleHandleW(L"V_HAUDF1.DLL"), nullptr);
  first.reset();
  EXPECT_TRUE(WaitFor([&] { return result.load() != -5; }, 5000));
  second.join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(GetModuleHandleW(L"V_HAUDF1.DLL"), nullptr);
}

// The installation as the driver's companion program runs it, with printers
// of the two icon drivers of the kit. Real tray programs: run alone.
class IconInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = kit::MakeScenarioFolder(TempFolder() + L"icons_" + UniqueTestName());
    for (const wchar_t* driver : {kit::kDriverIcons, kit::kDriverIconsOff}) {
      RemoveLeftoverPrinters(driver);
      MakeInkOrderKey(driver);
    }
  }
  void TearDown() override {
    for (const std::wstring& printer : m_printers) {
      if (HWND window = RunningTrayWindow(printer)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        WaitFor([&] { return !IsWindow(window); }, 10000);
      }
      moni::startup::DelOldIconRegFile(HKEY_CURRENT_USER, kRunKey, printer);
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, printer.c_str());
      kit::DeletePrinter(printer);
      for (std::wstring key; GetTargetPrnKey(printer, false, key) == 0; key.clear())
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    }
    for (const wchar_t* driver : {kit::kDriverIcons, kit::kDriverIconsOff}) {
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\TALMER\\" + std::wstring(driver) + L" IO_URL").c_str());
    }
    kit::RemoveScenarioFolder(m_folder);
  }

  static void RemoveLeftoverPrinters(const std::wstring& driver) {
    for (const auto& printer : moni::spooler::EnumLocalPrinters().value_or(std::vector<moni::spooler::PrinterInfo>{})) {
      if (printer.driver == driver) kit::DeletePrinter(printer.name);
    }
  }
  // The key exists, so that the installation does not wait for it.
  static void MakeInkOrderKey(const std::wstring& driver) {
    moni::RegKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\TALMER\\" + driver + L" IO_URL").c_str(), 0, nullptr, 0, KEY_WRITE,
                    nullptr, key.put(), nullptr);
  }

  std::wstring AddPrinter(const std::wstring& label, const wchar_t* driver = kit::kDriverIcons) {
    const std::wstring name = L"Icons " + label + L" " + UniqueTestName();
    EXPECT_TRUE(kit::AddPrinter(name, driver, L"USB001"));
    m_printers.push_back(name);
    return name;
  }

  static std::wstring DriverFolder() { return kit::InstalledDriverFolder(kit::kDriverIcons); }

  // Runs the program (a name in the driver's folder, or a path) with the
  // arguments until it ends; its exit code, or STILL_ACTIVE.
  static DWORD RunProgram(const std::wstring& program, const std::wstring& arguments) {
    const std::wstring path = program.find(L'\\') == std::wstring::npos ? DriverFolder() + program : program;
    std::wstring line = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return STILL_ACTIVE;
    moni::KernelHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), 60000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
  }
  static std::wstring Install(const std::wstring& driver, const std::wstring& printer = L"") {
    std::wstring arguments = L"/ICONINSTALL /D \"" + driver + L"\"";
    if (!printer.empty()) arguments += L" /P" + std::to_wstring(printer.size()) + L" \"" + printer + L"\"";
    return arguments;
  }

  // The companion stand-in's lines ("programs.log").
  std::string ProgramsLog() const { return ReadFileBytes(m_folder + L"\\programs.log"); }

  static std::wstring RunValue(const std::wstring& printer) { return ReadString(HKEY_CURRENT_USER, kRunKey, printer.c_str()); }
  static size_t EntriesNamed(const std::wstring& printer) {
    size_t count = 0;
    const std::wstring parent = moni::targetkeys::ParentPath(false);
    moni::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
    wchar_t name[300];
    for (DWORD i = 0;; ++i) {
      DWORD size = 300;
      if (RegEnumKeyExW(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (ReadString(HKEY_CURRENT_USER, parent + L"\\" + name, L"Name") == printer) ++count;
    }
    return count;
  }

  // What the printer got: one monitoring entry with the model's defaults, one
  // start-up value naming the tray program and a parameter file of its
  // identity, and a running tray program.
  void ExpectInstalled(const std::wstring& printer, DWORD trayIconEnable) {
    SCOPED_TRACE(moni::NarrowUtf8(moni::ToU16(printer)));
    EXPECT_EQ(EntriesNamed(printer), 1u);
    std::wstring key;
    ASSERT_EQ(GetTargetPrnKey(printer, false, key), 0);
    EXPECT_EQ(ReadDword(key, L"Setting"), 0u);
    EXPECT_EQ(ReadDword(key, L"Timer"), 10u);
    EXPECT_EQ(ReadDword(key, L"TrayIconEnable"), trayIconEnable);
    const auto value = moni::startup::ParseStartupValue(moni::ToU16(RunValue(printer)));
    EXPECT_EQ(moni::ToWide(value.program), DriverFolder() + L"V_G20IC1.EXE");
    EXPECT_EQ(value.from, u"HKCU");
    const std::wstring file = moni::ToWide(value.paramFile);
    EXPECT_TRUE(moni::startup::IsOwnParamFile(file)) << moni::NarrowUtf8(value.paramFile);
    const std::wstring text = L"/P" + std::to_wstring(printer.size()) + L" \"" + printer + L"\"\n/O6 \"USB001\"\n/M \"SMP-100\"";
    EXPECT_EQ(ReadFileBytes(file), moni::files::Utf16Bytes(text, true));
  }
  void ExpectUntouched(const std::wstring& printer) {
    SCOPED_TRACE(moni::NarrowUtf8(moni::ToU16(printer)));
    EXPECT_EQ(EntriesNamed(printer), 0u);
    EXPECT_EQ(RunValue(printer), L"\x01");
    EXPECT_EQ(RunningTrayWindow(printer), nullptr);
  }
  static HWND WaitForTray(const std::wstring& printer) {
    HWND window = nullptr;
    WaitFor([&] { return (window = RunningTrayWindow(printer)) != nullptr; }, 15000);
    return window;
  }
  // Ends the printer's tray program as a second one started with "/R" does.
  void EndWithRemove(const std::wstring& printer, HWND window) {
    EXPECT_EQ(RunProgram(L"V_G20IC1.EXE", L"/P" + std::to_wstring(printer.size()) + L" \"" + printer + L"\" /R"), 0u);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }, 10000));
  }

  std::vector<std::wstring> m_printers;
  std::wstring m_folder;
};

TEST_F(IconInstall, EveryPrinterOfTheDriverGetsEntryStartupValueAndTrayProgram) {
  const std::wstring a = AddPrinter(L"A"), b = AddPrinter(L"B");
  const std::wstring other = AddPrinter(L"Other", kit::kDriver);
  // A stale entry of a printer that is gone is removed on the way.
  const std::wstring stale = moni::targetkeys::ParentPath(false) + L"\\P0000000000009999";
  SetString(stale, L"Name", L"Gone " + UniqueTestName());

  EXPECT_EQ(RunProgram(L"V_G20DP1.EXE", Install(kit::kDriverIcons)), 0u);
  EXPECT_NE(ProgramsLog().find("install=1"), std::string::npos);
  for (const std::wstring& printer : {a, b}) {
    ExpectInstalled(printer, 1);
    HWND window = WaitForTray(printer);
    ASSERT_NE(window, nullptr);
    EndWithRemove(printer, window);
  }
  ExpectUntouched(other);
  moni::RegKey gone;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, stale.c_str(), 0, KEY_READ, gone.put()), ERROR_SUCCESS);
  gone.release();

  // Again: the entries are reused, and each start-up value gets a new file
  // while the file of the value it replaces goes.
  const std::wstring firstFile = moni::ToWide(moni::startup::ParseStartupValue(moni::ToU16(RunValue(a))).paramFile);
  EXPECT_EQ(RunProgram(L"V_G20DP1.EXE", Install(kit::kDriverIcons)), 0u);
  ExpectInstalled(a, 1);
  EXPECT_FALSE(Exists(firstFile));
}

TEST_F(IconInstall, AFriendlyNameActsOnThatPrinterOnly) {
  const std::wstring a = AddPrinter(L"A"), b = AddPrinter(L"B");
  EXPECT_EQ(RunProgram(L"V_G20DP1.EXE", Install(kit::kDriverIcons, a + L",USB001,TALMER")), 0u);
  ExpectInstalled(a, 1);
  EXPECT_NE(WaitForTray(a), nullptr);
  ExpectUntouched(b);
}

TEST_F(IconInstall, ASwitchedOffIconStillGetsItsEntryAndItsProgramIsToldToEnd) {
  const std::wstring printer = AddPrinter(L"Off", kit::kDriverIconsOff);
  const std::wstring log = TempFolder() + L"V_G40IC.LOG";
  const size_t logStart = ReadFileBytes(log).size();
  DWORD on = 1;
  RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\TALMER\\VGL3", L"V_GIC", REG_DWORD, &on, sizeof on);
  EXPECT_EQ(RunProgram(L"V_G20DP1.EXE", Install(kit::kDriverIconsOff)), 0u);
  ExpectInstalled(printer, 0);
  // The tray program it started read "/R" from its file and ended at once.
  const std::string name = moni::NarrowUtf8(moni::ToU16(printer));
  EXPECT_TRUE(WaitFor([&] { return RemoveSeenInLog(ReadFileBytes(log).substr(logStart), name); }, 10000));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\TALMER\\VGL3", L"V_GIC");
  EXPECT_EQ(RunningTrayWindow(printer), nullptr);
}

TEST_F(IconInstall, OnlyTheCompanionProgramInAnyLetterCaseActs) {
  const std::wstring printer = AddPrinter(L"Case");
  // The same stand-in under the status program's name is not the companion.
  EXPECT_EQ(RunProgram(L"V_G20RN1.EXE", Install(kit::kDriverIcons)), 0u);
  EXPECT_NE(ProgramsLog().find("install=1"), std::string::npos);
  ExpectUntouched(printer);
  std::wstring lower = DriverFolder() + L"v_g20dp1.exe";
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  EXPECT_EQ(RunProgram(lower, Install(kit::kDriverIcons)), 0u);
  ExpectInstalled(printer, 1);
}

TEST_F(IconInstall, APrinterDeletedWhileTheInstallationRunsIsSkipped) {
  const std::wstring a = AddPrinter(L"A"), b = AddPrinter(L"B");
  // Without the ink-ordering key the installation waits 3 s after the first
  // printer: the second one is deleted meanwhile.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\TALMER\\" + std::wstring(kit::kDriverIcons) + L" IO_URL").c_str());
  std::thread remove([&] {
    WaitFor([&] { return RunValue(a) != L"\x01"; }, 20000);
    kit::DeletePrinter(b);
  });
  EXPECT_EQ(RunProgram(L"V_G20DP1.EXE", Install(kit::kDriverIcons)), 0u);
  remove.join();
  ExpectInstalled(a, 1);
  ExpectUntouched(b);
}

}  // namespace
