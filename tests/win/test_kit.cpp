// The sample kit as the wine.start fixture installed it, seen through the
// spooler and the registry, and the kit's functions for printers of a test's own.
#include <gtest/gtest.h>

#include "kit.h"
#include "platform/handles.h"
#include "test_support.h"

namespace {

using namespace moni;

std::vector<BYTE> PrinterInfo(const std::wstring& name, DWORD level, bool driver) {
  PrinterHandle printer;
  if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), printer.put(), nullptr)) return {};
  DWORD needed = 0;
  if (driver)
    GetPrinterDriverW(printer.get(), nullptr, level, nullptr, 0, &needed);
  else
    GetPrinterW(printer.get(), level, nullptr, 0, &needed);
  std::vector<BYTE> info(needed);
  const BOOL ok = driver ? GetPrinterDriverW(printer.get(), nullptr, level, info.data(), needed, &needed)
                         : GetPrinterW(printer.get(), level, info.data(), needed, &needed);
  if (!ok || needed == 0) return {};
  return info;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

std::wstring MachineString(const std::wstring& key, const wchar_t* value) {
  wchar_t text[MAX_PATH] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"<none>";
  return text;
}

TEST(SampleKit, PrintersUseTheSampleDriverWithItsFiles) {
  const struct {
    const wchar_t* name;
    const wchar_t* port;
  } printers[] = {{kit::kPrinter, L"USB001"},
                  {kit::kPrinterNetwork, L"IP_127.0.0.1"},
                  {kit::kPrinterOtherModel, L"USB002"},
                  {kit::kPrinterNoStatus, L"USB003"}};
  for (const auto& p : printers) {
    const auto info = PrinterInfo(p.name, 2, false);
    ASSERT_FALSE(info.empty()) << p.name;
    const auto* printer = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    EXPECT_STREQ(printer->pDriverName, kit::kDriver) << p.name;
    EXPECT_STREQ(printer->pPortName, p.port) << p.name;
    EXPECT_STREQ(printer->pPrintProcessor, L"winprint") << p.name;
  }

  const auto info = PrinterInfo(kit::kPrinter, 3, true);
  ASSERT_FALSE(info.empty());
  const auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(info.data());
  const std::wstring folder = FolderOf(driver->pDriverPath);
  EXPECT_EQ(std::wstring(driver->pDataFile), folder + kit::kDataFile);
  EXPECT_EQ(kit::InstalledDriverFolder(kit::kDriver), folder);
  wchar_t setup[64] = {};
  GetPrivateProfileStringW(L"User Mode Printer Driver Information", L"SADatI", L"", setup, 64, driver->pDataFile);
  EXPECT_STREQ(setup, L"TLSMP100.DAT");
  for (const std::wstring& file : kit::MonitorFiles()) {
    if (file == L"BQAPINX.DLL") continue;  // built by another part of the kit, may be missing
    EXPECT_NE(GetFileAttributesW((folder + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
  }
  EXPECT_NE(GetFileAttributesW((folder + setup).c_str()), INVALID_FILE_ATTRIBUTES);

  // The driver answers the spooler's DEVMODE questions.
  PrinterHandle printer;
  ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(kit::kPrinter), printer.put(), nullptr));
  const LONG size = DocumentPropertiesW(nullptr, printer.get(), const_cast<wchar_t*>(kit::kPrinter), nullptr, nullptr, 0);
  ASSERT_GE(size, static_cast<LONG>(sizeof(DEVMODEW)));
  std::vector<BYTE> devmode(size);
  auto* dm = reinterpret_cast<DEVMODEW*>(devmode.data());
  EXPECT_EQ(DocumentPropertiesW(nullptr, printer.get(), const_cast<wchar_t*>(kit::kPrinter), dm, nullptr, DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(dm->dmSize, sizeof(DEVMODEW));
  EXPECT_EQ(dm->dmCopies, 1);
}

TEST(SampleKit, InstallerWroteTheSetupDataIntoTheRegistry) {
  const std::wstring key = L"Software\\TALMER\\VGL3\\Driver\\";
  const std::wstring folder = kit::InstalledDriverFolder(kit::kDriver);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(MachineString(key + kit::kDriver, L"InstallPath"), folder);
  EXPECT_EQ(MachineString(key + kit::kDriver, L"Profile"), folder + L"TLSMP100.DAT");
  EXPECT_EQ(MachineString(key + kit::kDriver, L"BQAPI32"), L"BQAPI.DLL");       // the 64-bit line
  EXPECT_EQ(MachineString(key + kit::kDriver, L"LocalMonitoringTimer"), L"5");   // the NT line
  EXPECT_EQ(MachineString(key + kit::kDriver, L"V_GICN"), folder + L"V_G20IC1.EXE");
  DWORD version = 0, size = sizeof version;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, (key + kit::kDriver).c_str(), L"BQAPI_VERSION", RRF_RT_REG_DWORD, nullptr, &version,
                         &size),
            ERROR_SUCCESS);
  EXPECT_EQ(version, 1u);
  EXPECT_EQ(MachineString(key + kit::kDriverNoLib, L"BQAPI32"), L"BQAPIMISSING.DLL");
  EXPECT_EQ(MachineString(key + kit::kDriverPartial, L"BQAPI32"), L"BQAPINX.DLL");
  EXPECT_EQ(MachineString(key + kit::kDriverPartial, L"Profile"), folder + L"TLSMPPAR.DAT");
  EXPECT_EQ(MachineString(L"Software\\TALMER\\VGL3\\Profile", L"SMP-100"), folder + L"TLSMP100.DAT");
}

TEST(SampleKit, RegistryAccessLibraryReadsLikeTheSystem) {
  const Module lib(LoadLibraryW((kit::InstalledDriverFolder(kit::kDriver) + L"V_HAUDF1.DLL").c_str()));
  ASSERT_TRUE(lib.valid());
  for (WORD ordinal = 1; ordinal <= 20; ++ordinal)
    EXPECT_NE(GetProcAddress(lib.get(), MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
  const auto open = test::ProcOf<decltype(&RegOpenKeyExW)>(lib, MAKEINTRESOURCEA(4));
  const auto query = test::ProcOf<decltype(&RegQueryValueExW)>(lib, MAKEINTRESOURCEA(11));
  const auto close = test::ProcOf<decltype(&RegCloseKey)>(lib, MAKEINTRESOURCEA(7));

  const std::wstring path = std::wstring(L"Software\\TALMER\\VGL3\\Driver\\") + kit::kDriver;
  HKEY key = nullptr;
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(query(key, L"ModelID", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof L"SMP-100");
  wchar_t small[3] = {};
  size = sizeof small;
  EXPECT_EQ(query(key, L"ModelID", nullptr, &type, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  wchar_t model[16] = {};
  size = sizeof model;
  EXPECT_EQ(query(key, L"ModelID", nullptr, &type, reinterpret_cast<BYTE*>(model), &size), ERROR_SUCCESS);
  EXPECT_STREQ(model, L"SMP-100");
  EXPECT_EQ(query(key, L"NoSuchValue", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(close(key), ERROR_SUCCESS);
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, L"Software\\TALMER\\VGL3\\NoSuchKey", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST(SampleKit, ModelLibrariesCarryTheirResources) {
  const std::wstring folder = kit::InstalledDriverFolder(kit::kDriver);
  const Module strings(LoadLibraryW((folder + L"V_SMPRES.DLL").c_str()));
  ASSERT_TRUE(strings.valid());
  wchar_t text[32] = {};
  EXPECT_EQ(LoadStringW(strings.get(), 1340, text, 32), 2);
  EXPECT_STREQ(text, L"10");
  EXPECT_GT(LoadStringW(strings.get(), 247, text, 32), 0);
  EXPECT_NE(FindResourceW(strings.get(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION), nullptr);

  const Module bitmaps(LoadLibraryW((folder + L"V_SMPBMP.DLL").c_str()));
  ASSERT_TRUE(bitmaps.valid());
  for (WORD id : {200, 201}) {
    HRSRC found = FindResourceW(bitmaps.get(), MAKEINTRESOURCEW(id), RT_BITMAP);
    ASSERT_NE(found, nullptr) << id;
    ASSERT_GE(SizeofResource(bitmaps.get(), found), sizeof(BITMAPINFOHEADER));
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(bitmaps.get(), found)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, id == 200 ? 32 : 16);
    EXPECT_EQ(header->biBitCount, 24);
  }
}

// Installing again while the monitor is loaded from the driver's folder.
TEST(SampleKit, CopyReplacesALibraryInUse) {
  const std::wstring bin = kit::ProgramFolder();
  test::TempFile target(L"kit_copy_", L".dll");
  ASSERT_TRUE(kit::CopyIfChanged(bin + L"V_SMPRES.DLL", target.path()));
  std::vector<std::wstring> lines;
  const kit::Report report = [&](const std::wstring& line) { lines.push_back(line); };
  {
    const Module loaded(LoadLibraryW(target.path().c_str()));
    ASSERT_TRUE(loaded.valid());
    EXPECT_TRUE(kit::CopyIfChanged(bin + L"V_SMPRES.DLL", target.path(), report));
    EXPECT_TRUE(kit::CopyIfChanged(bin + L"V_SMPBMP.DLL", target.path(), report));
    EXPECT_EQ(test::ReadFileBytes(target.path()), test::ReadFileBytes(bin + L"V_SMPBMP.DLL"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind(L"unchanged ", 0), 0u) << lines[0];
    EXPECT_NE(lines[1].find(L"in use"), std::wstring::npos) << lines[1];
  }
  // The next copy removes the old library set aside, now that nobody uses it.
  EXPECT_TRUE(kit::CopyIfChanged(bin + L"V_SMPRES.DLL", target.path()));
  WIN32_FIND_DATAW found;
  EXPECT_FALSE(FindHandle(FindFirstFileW((target.path() + L".old*").c_str(), &found)));
  EXPECT_FALSE(kit::CopyIfChanged(bin + L"NoSuchFile.dll", target.path()));
}

TEST(SampleKit, TestPrintersComeAndGo) {
  const std::wstring name = L"Kit Test " + test::UniqueTestName();
  ASSERT_TRUE(kit::AddPrinter(name, kit::kDriverPartial, L"USB009"));
  ASSERT_TRUE(kit::AddPrinter(name, kit::kDriver, L"USB008"));  // replaces the first
  const auto info = PrinterInfo(name, 2, false);
  ASSERT_FALSE(info.empty());
  EXPECT_STREQ(reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDriverName, kit::kDriver);
  EXPECT_STREQ(reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pPortName, L"USB008");

  EXPECT_TRUE(kit::DeletePrinter(name));
  PrinterHandle gone;
  EXPECT_FALSE(OpenPrinterW(const_cast<wchar_t*>(name.c_str()), gone.put(), nullptr));
  EXPECT_TRUE(kit::DeletePrinter(name));  // nothing left to delete
  EXPECT_FALSE(kit::AddPrinter(name, L"No Such Driver", L"USB009"));
}

TEST(SampleKit, ScenariosAreNamedAfterTheEscapedName) {
  // The installer's scenarios, in the default folder.
  const std::string local = test::ReadFileBytes(kit::ScenarioFolder() + L"\\printer-TALMER Sample Printer.ini");
  EXPECT_NE(local.find("MDL:SMP-100;"), std::string::npos);
  EXPECT_NE(test::ReadFileBytes(kit::ScenarioFolder() + L"\\port-IP_127.0.0.1.ini").find("Agent=" + kit::AgentAddress()),
            std::string::npos);

  const std::wstring folder = test::TempFolder() + L"bqsim_" + test::UniqueTestName() + L"\\sub";
  ASSERT_TRUE(SetEnvironmentVariableW(L"BQSIM_DIR", (folder + L"\\").c_str()));
  EXPECT_EQ(kit::ScenarioFolder(), folder);
  EXPECT_EQ(kit::ScenarioFileName(kit::kOpenByPort, L"a-Z_9. x"), L"port-a-Z_9. x.ini");
  EXPECT_EQ(kit::ScenarioFileName(kit::kOpenByPrinter, L"A/B%:\\"), L"printer-A%2FB%25%3A%5C.ini");
  if (GetACP() == 1252) {
    EXPECT_EQ(kit::ScenarioFileName(kit::kOpenByPrinter, L"Caf\u00e9"), L"printer-Caf%E9.ini");
  }
  EXPECT_EQ(kit::ScenarioFileName(7, L"x"), L"");

  ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, L"A/B", "[Printer]\r\nAdvance=call\r\n"));
  ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, L"A/B", "[Printer]\r\nAdvance=ms:100\r\n"));
  const std::wstring file = folder + L"\\printer-A%2FB.ini";
  EXPECT_EQ(test::ReadFileBytes(file), "[Printer]\r\nAdvance=ms:100\r\n");
  EXPECT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));  // nothing else left behind
  RemoveDirectoryW(folder.substr(0, folder.size() - 4).c_str());
}

}  // namespace
