// Target keys against Wine's registry and spooler: lowest free index, reuse by
// name without regard to case, stale-key removal, first-time defaults, and the
// first call for a new printer through monicore.dll.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "api/monicore.h"
#include "foundation/base_info.h"
#include "foundation/printer_settings.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "test_support.h"

namespace {

constexpr wchar_t kModel[] = L"SMP-100";

// Keys below a data root of this test alone, removed afterwards.
class TargetKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    root = L"Software\\TALMER\\VGL3\\Test_" + moni::test::UniqueTestName();
    moni::targetkeys::SetDataRootForTest(root);
  }
  void TearDown() override {
    moni::targetkeys::SetDataRootForTest(L"");
    CRegistryKey vgl3;
    if (vgl3.Open(HKEY_CURRENT_USER, L"Software\\TALMER\\VGL3", false, KEY_ALL_ACCESS)) {
      vgl3.DeleteTree(root.substr(root.rfind(L'\\') + 1));
    }
    for (const auto& p : printers) moni::kit::DeletePrinter(p);
  }
  std::wstring Parent(bool byPort) const { return root + (byPort ? L"\\TLNTarget" : L"\\TLLTarget"); }
  // A target key with the given sub-key name and "Name" (none when null).
  void MakeKey(bool byPort, const std::wstring& sub, const wchar_t* name) {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, Parent(byPort) + L"\\" + sub, true));
    if (name) {
      ASSERT_TRUE(key.SetString(L"Name", name));
    }
  }
  bool KeyExists(bool byPort, const std::wstring& sub) const {
    CRegistryKey key;
    return key.Open(HKEY_CURRENT_USER, Parent(byPort) + L"\\" + sub);
  }
  std::wstring AddPrinter(const std::wstring& tag) {
    const std::wstring name = L"TK " + tag + L" " + moni::test::UniqueTestName();
    EXPECT_TRUE(moni::kit::AddPrinter(name, moni::kit::kDriver, L"LPT1:"));
    printers.push_back(name);
    return name;
  }

  std::wstring root;
  std::vector<std::wstring> printers;
};

TEST_F(TargetKeys, NewKeyTakesTheLowestFreeIndexAndIsFoundAgain) {
  const std::wstring port = L"HBPORT_" + moni::test::UniqueTestName();
  MakeKey(true, L"P0000000000000000", L"port A");
  MakeKey(true, L"P0000000000000002", L"port C");
  bool byPort = false;
  std::wstring path;
  int created = 7;
  // A port key has no printer whose library could fill the defaults: 4.
  EXPECT_EQ(GetOrCreateTargetPrnKey(L"", port, kModel, byPort, path, &created), 4);
  EXPECT_TRUE(byPort);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(path, Parent(true) + L"\\P0000000000000001");
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, path));
  EXPECT_EQ(key.QueryString(L"Name"), port);
  EXPECT_EQ(key.QueryDword(L"Setting"), 0u);
  EXPECT_EQ(key.QueryDword(L"Timer"), 10u);

  std::wstring again;
  CharUpperW(const_cast<wchar_t*>(port.data()));
  EXPECT_EQ(GetTargetPrnKey(port, true, again), 0);
  EXPECT_EQ(again, path);
  created = 7;
  EXPECT_EQ(GetOrCreateTargetPrnKey(L"", port, kModel, byPort, again, &created), 0);
  EXPECT_EQ(created, 7);  // found: left alone
  EXPECT_FALSE(KeyExists(true, L"P0000000000000003"));
  EXPECT_EQ(GetTargetPrnKey(L"other port", true, again), 1);
  EXPECT_EQ(GetTargetPrnKey(L"x", false, again), 4);  // no TLLTarget here
}

TEST_F(TargetKeys, NameDifferingOnlyInCaseIsReused) {
  const std::wstring printer = AddPrinter(L"Case");
  std::wstring lower = printer;
  CharLowerW(lower.data());
  MakeKey(false, L"P0000000000000005", lower.c_str());
  bool byPort = true;
  std::wstring path;
  EXPECT_EQ(GetOrCreateTargetPrnKey(printer, L"LPT1:", kModel, byPort, path, nullptr), 0);
  EXPECT_FALSE(byPort);
  EXPECT_EQ(path, Parent(false) + L"\\P0000000000000005");
  EXPECT_FALSE(KeyExists(false, L"P0000000000000000"));
}

TEST_F(TargetKeys, KeyFoundBeforeIsCheckedBeforeItIsTakenAgain) {
  const auto found = [&](const wchar_t* name) {
    std::wstring path;
    return GetTargetPrnKey(name, false, path) == 0 ? path.substr(path.rfind(L'\\') + 1) : std::wstring(L"none");
  };
  const auto rename = [&](const wchar_t* sub, const wchar_t* name) {
    CRegistryKey key;
    return key.Open(HKEY_CURRENT_USER, Parent(false) + L"\\" + sub, false, KEY_SET_VALUE) && key.SetString(L"Name", name);
  };
  const auto remove = [&](const wchar_t* sub) {
    CRegistryKey parent;
    return parent.Open(HKEY_CURRENT_USER, Parent(false), false, KEY_ALL_ACCESS) && parent.DeleteTree(sub);
  };
  MakeKey(false, L"P0000000000000001", L"printer A");
  EXPECT_EQ(found(L"printer A"), L"P0000000000000001");
  EXPECT_EQ(found(L"PRINTER a"), L"P0000000000000001");
  // Given to another printer: no longer this one's.
  ASSERT_TRUE(rename(L"P0000000000000001", L"printer B"));
  EXPECT_EQ(found(L"printer A"), L"none");
  EXPECT_EQ(found(L"printer B"), L"P0000000000000001");
  // Removed and made again at another index: the new one.
  ASSERT_TRUE(remove(L"P0000000000000001"));
  MakeKey(false, L"P0000000000000003", L"printer B");
  EXPECT_EQ(found(L"printer B"), L"P0000000000000003");
  // Removed: none.
  ASSERT_TRUE(remove(L"P0000000000000003"));
  EXPECT_EQ(found(L"printer B"), L"none");
  // The same name below the port keys is another key.
  MakeKey(false, L"P0000000000000000", L"LPT7:");
  MakeKey(true, L"P0000000000000002", L"LPT7:");
  std::wstring path;
  EXPECT_EQ(found(L"LPT7:"), L"P0000000000000000");
  ASSERT_EQ(GetTargetPrnKey(L"LPT7:", true, path), 0);
  EXPECT_EQ(path, Parent(true) + L"\\P0000000000000002");
}

TEST_F(TargetKeys, StaleKeysAreRemovedInOnePass) {
  const std::wstring kept = AddPrinter(L"Kept");
  const std::wstring gone1 = AddPrinter(L"Gone1");
  const std::wstring gone2 = AddPrinter(L"Gone2");
  MakeKey(false, L"P0000000000000000", kept.c_str());
  MakeKey(false, L"P0000000000000001", gone1.c_str());
  MakeKey(false, L"P0000000000000001\\Notify", nullptr);
  MakeKey(false, L"P0000000000000002", gone2.c_str());
  MakeKey(false, L"P0000000000000003", nullptr);
  MakeKey(false, L"P0000000000000004", L"");
  MakeKey(false, L"P0000000000000005", kept.c_str());
  MakeKey(true, L"P0000000000000000", L"");
  MakeKey(true, L"P0000000000000001", nullptr);
  MakeKey(true, L"P0000000000000002", L"LPT9:");
  ASSERT_TRUE(moni::kit::DeletePrinter(gone1));
  ASSERT_TRUE(moni::kit::DeletePrinter(gone2));

  EXPECT_EQ(CleanTargetPrnKeys(), 0);
  EXPECT_TRUE(KeyExists(false, L"P0000000000000000"));
  for (const wchar_t* sub : {L"P0000000000000001", L"P0000000000000002", L"P0000000000000003", L"P0000000000000004"})
    EXPECT_FALSE(KeyExists(false, sub)) << sub;
  EXPECT_TRUE(KeyExists(false, L"P0000000000000005"));
  EXPECT_FALSE(KeyExists(true, L"P0000000000000000"));
  EXPECT_FALSE(KeyExists(true, L"P0000000000000001"));
  EXPECT_TRUE(KeyExists(true, L"P0000000000000002"));

  // The freed index is given out again.
  bool byPort = false;
  std::wstring path;
  GetOrCreateTargetPrnKey(gone1, L"LPT1:", kModel, byPort, path, nullptr);
  EXPECT_EQ(path, Parent(false) + L"\\P0000000000000001");
}

// The defaults of a profile of this test, copied into a key of this test.
class Defaults : public TargetKeys {
 protected:
  void SetUp() override {
    TargetKeys::SetUp();
    MakeKey(false, L"P0000000000000000", L"printer");
    key = Parent(false) + L"\\P0000000000000000";
  }
  void Write(const std::string& modelSection) {
    ASSERT_TRUE(moni::test::WriteTextFile(profile.path(), "[SMP-100]\r\n" + modelSection + "[Other]\r\nITEM001=9\r\n"));
  }
  DWORD Item(const wchar_t* name) {
    CRegistryKey notify;
    return notify.Open(HKEY_CURRENT_USER, key + L"\\Notify") ? notify.QueryDword(name) : 0xBADu;
  }
  moni::test::TempFile profile{L"profile_", L".dat"};
  std::wstring key;
};

TEST_F(Defaults, CopiedOnceAndUserChangesKept) {
  Write("SoundNotifyEnable=1\r\nTrayIconSelected=3\r\nITEMNUM=3\r\nITEM001=1\r\nITEM002=0\r\nITEM003=5\r\nITEM004=1\r\n");
  EXPECT_EQ(SetRegDefaultValue(profile.path(), kModel, key), 0);
  CRegistryKey target;
  ASSERT_TRUE(target.Open(HKEY_CURRENT_USER, key));
  EXPECT_EQ(target.QueryDword(L"SoundNotifyEnable"), 1u);
  EXPECT_EQ(target.QueryDword(L"TrayIconEnable"), 0u);
  EXPECT_EQ(target.QueryDword(L"TrayIconSelected"), 3u);
  EXPECT_EQ(Item(L"001"), 1u);
  EXPECT_EQ(Item(L"002"), 0u);
  EXPECT_EQ(Item(L"003"), 5u);
  EXPECT_EQ(Item(L"004"), DWORD(-1));  // past ITEMNUM

  // The user changes one item and another one is lost; a second run keeps the
  // change and restores the missing one.
  CRegistryKey notify;
  ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, key + L"\\Notify", false, KEY_ALL_ACCESS));
  ASSERT_TRUE(notify.SetDword(L"002", 7));
  ASSERT_EQ(RegDeleteValueW(notify.Get(), L"003"), ERROR_SUCCESS);
  EXPECT_EQ(SetRegDefaultValue(profile.path(), kModel, key), 0);
  EXPECT_EQ(Item(L"002"), 7u);
  EXPECT_EQ(Item(L"003"), 5u);
}

TEST_F(Defaults, FailuresAreReported) {
  Write("ITEM001=1\r\n");
  EXPECT_EQ(SetRegDefaultValue(profile.path(), kModel, key), 4);  // no ITEMNUM
  EXPECT_EQ(SetRegDefaultValue(profile.path(), kModel, key + L"\\NoSuchKey"), 1);
  // A section that does not fit its 32,767 characters is not half copied.
  std::string longSection = "ITEMNUM=1\r\nITEM001=1\r\n";
  while (longSection.size() < 40000) longSection += "Filler" + std::to_string(longSection.size()) + "=some text\r\n";
  Write(longSection);
  EXPECT_EQ(SetRegDefaultValue(profile.path(), kModel, key), 4);
  EXPECT_EQ(Item(L"001"), DWORD(-1));
  // Just inside the limit it is read whole.
  std::string fits;
  while (fits.size() < 30000) fits += "Filler" + std::to_string(fits.size()) + "=some text\r\n";
  Write(fits + "ITEMNUM=1\r\nITEM002=6\r\n");
  EXPECT_EQ(SetRegDefaultValue(profile.path(), kModel, key), 0);
  EXPECT_EQ(Item(L"002"), 6u);
}

// The first call for a new printer, against the real TLLTarget key.
class NewPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    printer = L"TK New " + moni::test::UniqueTestName();
    ASSERT_TRUE(moni::kit::AddPrinter(printer, moni::kit::kDriver, port));
  }
  void TearDown() override {
    moni::test::RemoveTargetKeysOf(printer);
    moni::kit::DeletePrinter(printer);
  }
  std::wstring printer;
  const std::wstring port = L"LPT1:";
};

TEST_F(NewPrinter, FirstCallCreatesTheKeyWithTheProfileDefaults) {
  CBaseInfo& info = CBaseInfo::Instance();
  int created = 9;
  const int result = info.SetPrinterInformation(printer, moni::kit::kDriver, port, kModel, L"", L"", &created);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(info.IsEnablePrnInfo(), 1);
  EXPECT_EQ(created, 1);
  auto endsWith = [](const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && _wcsicmp(s.c_str() + s.size() - tail.size(), tail.c_str()) == 0;
  };
  EXPECT_TRUE(endsWith(info.ProfileName, L"\\TLSMP100.DAT")) << info.ProfileName;
  EXPECT_TRUE(endsWith(info.ResourceName, L"\\V_SMPRES.DLL")) << info.ResourceName;
  EXPECT_TRUE(endsWith(info.BmpResName, L"\\V_SMPBMP.DLL")) << info.BmpResName;
  EXPECT_TRUE(endsWith(info.InstallPath, L"\\")) << info.InstallPath;
  EXPECT_EQ(info.UtilityName, info.InstallPath + L"V_SMPUTL.DLL");
  EXPECT_EQ(info.DuvDriverKey, std::wstring(L"Software\\TALMER\\VGL3\\Driver\\") + moni::kit::kDriver);

  std::wstring path;
  ASSERT_EQ(GetTargetPrnKey(printer, false, path), 0);
  EXPECT_EQ(info.CurrentUserKey, path);
  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, path));
  EXPECT_EQ(key.QueryString(L"Name"), printer);
  EXPECT_EQ(key.QueryDword(L"Setting"), 0u);
  EXPECT_EQ(key.QueryDword(L"Timer"), 10u);
  EXPECT_EQ(key.QueryDword(L"SoundNotifyEnable"), 1u);  // filled through the model's PrnDll (monicore.dll)
  CRegistryKey notify;
  ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, path + L"\\Notify", false, KEY_ALL_ACCESS));
  EXPECT_EQ(notify.QueryDword(L"001"), 0u);
  EXPECT_EQ(notify.QueryDword(L"009"), 1u);
  EXPECT_EQ(notify.QueryDword(L"014"), 1u);

  // A second fill finds the key; the flag is left alone.
  created = 9;
  EXPECT_EQ(info.SetPrinterInformation(printer, moni::kit::kDriver, port, kModel, L"", L"", &created), 1);
  EXPECT_EQ(created, 9);

  // The export keeps a changed item and answers for the printer.
  ASSERT_TRUE(notify.SetDword(L"001", 0));
  moni::Module lib(LoadLibraryW(L"monicore.dll"));
  ASSERT_TRUE(lib.valid());
  auto setDefaults = moni::test::ProcOf<decltype(&PrSetRegDefaultValue)>(lib, "PrSetRegDefaultValue");
  auto release = moni::test::ProcOf<decltype(&PrReleaseRegistry)>(lib, "PrReleaseRegistry");
  EXPECT_EQ(setDefaults(printer.c_str(), moni::kit::kDriver, port.c_str(), kModel, nullptr), 0);
  EXPECT_EQ(notify.QueryDword(L"001"), 0u);
  EXPECT_EQ(release(printer.c_str(), moni::kit::kDriver, port.c_str(), kModel), 0);
  EXPECT_EQ(release(printer.c_str(), L"", port.c_str(), kModel), 1);
  EXPECT_EQ(setDefaults(nullptr, moni::kit::kDriver, port.c_str(), kModel, nullptr), 1);
}

}  // namespace
