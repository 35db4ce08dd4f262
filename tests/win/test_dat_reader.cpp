#include <gtest/gtest.h>

#include <string>

#include "foundation/dat_reader.h"
#include "kit.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

constexpr wchar_t kSampleDriver[] = L"TALMER VGL3 Sample";
constexpr wchar_t kSamplePrinter[] = L"TALMER Sample Printer";
constexpr wchar_t kSampleDriverKey[] = L"Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample";
constexpr DWORD kNotFound = static_cast<DWORD>(-1);

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  moni::KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::wstring Lookup(const CDatReader& reader, const wchar_t* path, const wchar_t* name) {
  std::u16string value;
  moni::setupdata::LookupString(reader.tables(), moni::ToU16(path), moni::ToU16(name), value);
  return moni::ToWide(value);
}

// A file's last-write time in 100 ns units, and setting it.
ULONGLONG WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}
bool SetWriteTime(const std::wstring& path, ULONGLONG time) {
  moni::KernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  const FILETIME ft = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  return file.valid() && SetFileTime(file.get(), nullptr, nullptr, &ft);
}
// Rewrites the file with the bytes and gives it the last-write time.
bool Rewrite(const std::wstring& path, const std::string& bytes, ULONGLONG time) {
  return WriteBytes(path, bytes) && SetWriteTime(path, time) && WriteTime(path) == time;
}

// A setup data file that sets the driver's "ModelID" and "InstallPath".
std::string SetupWithModel(const std::string& model) {
  return "[Install]\r\n"
         "REGPATH=1,\"HKEY_LOCAL_MACHINE\\Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample\"\r\n"
         "REGENTER=1,\"InstallPath\",DRIVERDIR+\"\\\"\r\n"
         "REGENTER=1,\"ModelID\",\"" + model + "\"\r\n";
}

TEST(DatReader, OpenFileReadsTheInstallEntriesAndEmptiesOnFailure) {
  moni::test::TempFile file(L"setup_", L".dat");
  ASSERT_TRUE(WriteBytes(file.path(),
                         "[Install]\r\n"
                         "REGPATH=1,\"HKEY_LOCAL_MACHINE\\Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample\"\r\n"
                         "REGENTER=1,\"InstallPath\",DRIVERDIR+\"\\\"\r\n"
                         "REGENTER=1,\"Haudf\",SYSTEMDIR+\"\\V_HAUDF1.DLL\",WINNT\r\n"
                         "REGENTER=1,\"Old\",\"x\",WIN9X\r\n"
                         "REGENTER=1,\"BQAPI_VERSION\",0x10\r\n"));
  CDatReader reader;
  ASSERT_EQ(reader.OpenFile(file.path(), L"C:\\drv\\", L"C:\\sys"), 1);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::None);
  EXPECT_EQ(Lookup(reader, kSampleDriverKey, L"InstallPath"), L"C:\\drv\\");
  // Wine, like every 64-bit Windows, is of the NT family.
  EXPECT_EQ(Lookup(reader, kSampleDriverKey, L"Haudf"), L"C:\\sys\\V_HAUDF1.DLL");
  EXPECT_EQ(reader.tables().ValueCount(), 3u);

  // A failed open leaves nothing of the earlier one.
  EXPECT_EQ(reader.OpenFile(file.path() + L".missing", L"C:\\drv", L"C:\\sys"), 0);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::Unreadable);
  EXPECT_EQ(reader.tables().PathCount(), 0u);
  EXPECT_EQ(reader.tables().ValueCount(), 0u);

  ASSERT_TRUE(WriteBytes(file.path(), ""));
  EXPECT_EQ(reader.OpenFile(file.path(), L"C:\\drv", L"C:\\sys"), 0);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::NoEntries);
  EXPECT_EQ(reader.OpenFile(L"", L"C:\\drv", L"C:\\sys"), 0);
}

TEST(DatReader, ParsedFileIsKeptUntilItsSizeOrWriteTimeChanges) {
  moni::test::TempFile file(L"kept_", L".dat");
  auto value = [&](const wchar_t* name, const wchar_t* driverDir = L"C:\\drv") {
    CDatReader reader;
    reader.OpenFile(file.path(), driverDir, L"C:\\sys");
    return Lookup(reader, kSampleDriverKey, name);
  };
  ASSERT_TRUE(WriteBytes(file.path(), SetupWithModel("AAA-1")));
  const ULONGLONG first = WriteTime(file.path());
  EXPECT_EQ(value(L"ModelID"), L"AAA-1");

  struct Step {
    const char* what;
    const char* model;
    ULONGLONG time;
    const wchar_t* expected;
  };
  const Step steps[] = {
      // Size and time as before: the tables parsed before are taken.
      {"same size, same time", "BBB-1", first, L"AAA-1"},
      {"same size, the next time", "BBB-1", first + 1, L"BBB-1"},
      {"one byte more, the same time", "CCCC-1", first + 1, L"CCCC-1"},
      {"one byte less, the same time", "DDD-1", first + 1, L"DDD-1"},
      {"same size, an earlier time", "EEE-1", first, L"EEE-1"},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(Rewrite(file.path(), SetupWithModel(step.model), step.time)) << step.what;
    EXPECT_EQ(value(L"ModelID"), step.expected) << step.what;
  }
  // What DRIVERDIR stands for is part of what was kept.
  EXPECT_EQ(value(L"InstallPath", L"C:\\drv"), L"C:\\drv\\");
  EXPECT_EQ(value(L"InstallPath", L"D:\\other"), L"D:\\other\\");

  // A file without entries is kept as such, and read anew once it changes.
  CDatReader reader;
  ASSERT_TRUE(Rewrite(file.path(), "[Install]\r\n", first));
  EXPECT_EQ(reader.OpenFile(file.path(), L"C:\\drv", L"C:\\sys"), 0);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::NoEntries);
  EXPECT_EQ(reader.OpenFile(file.path(), L"C:\\drv", L"C:\\sys"), 0);
  ASSERT_TRUE(Rewrite(file.path(), SetupWithModel("FFF-1"), first));
  EXPECT_EQ(reader.OpenFile(file.path(), L"C:\\drv", L"C:\\sys"), 1);
  EXPECT_EQ(Lookup(reader, kSampleDriverKey, L"ModelID"), L"FFF-1");
  // A file that is gone is no longer read from what was kept.
  ASSERT_TRUE(DeleteFileW(file.path().c_str()));
  EXPECT_EQ(reader.OpenFile(file.path(), L"C:\\drv", L"C:\\sys"), 0);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::Unreadable);
}

TEST(DatReader, SetupFileNameIsReadAnewWhenTheDataFileChanges) {
  moni::test::TempFile data(L"drvkept_", L".ini");
  moni::spooler::DriverFiles driver;
  driver.dataFile = data.path();
  driver.driverDirectory = L"C:\\drivers\\x64\\3";
  const auto ini = [](const char* name) { return std::string("[User Mode Printer Driver Information]\r\nSADatI=") + name + "\r\n"; };
  ASSERT_TRUE(WriteBytes(data.path(), ini("AAAA.DAT")));
  const ULONGLONG first = WriteTime(data.path());
  EXPECT_EQ(CDatReader::SetupFileOf(driver), L"C:\\drivers\\x64\\3\\AAAA.DAT");
  ASSERT_TRUE(Rewrite(data.path(), ini("BBBB.DAT"), first + 1));
  EXPECT_EQ(CDatReader::SetupFileOf(driver), L"C:\\drivers\\x64\\3\\BBBB.DAT");
  ASSERT_TRUE(Rewrite(data.path(), ini("CCCCC.DAT"), first + 1));
  EXPECT_EQ(CDatReader::SetupFileOf(driver), L"C:\\drivers\\x64\\3\\CCCCC.DAT");
  // The same data file in another driver directory names a file there.
  driver.driverDirectory = L"C:\\drivers\\x64\\4";
  EXPECT_EQ(CDatReader::SetupFileOf(driver), L"C:\\drivers\\x64\\4\\CCCCC.DAT");
}

TEST(DatReader, SetupFileIsNamedByTheDataFileInTheDriverDirectory) {
  // A new file each time: the profile functions may keep a file they read.
  int files = 0;
  auto setupFileOf = [&files](const char* ini) {
    moni::test::TempFile data(L"drvini" + std::to_wstring(++files) + L"_", L".ini");
    EXPECT_TRUE(WriteBytes(data.path(), ini));
    moni::spooler::DriverFiles driver;
    driver.dataFile = data.path();
    driver.driverDirectory = L"C:\\drivers\\x64\\3";
    return CDatReader::SetupFileOf(driver);
  };
  EXPECT_EQ(setupFileOf("[User Mode Printer Driver Information]\r\nSADatI=TLSMP100.DAT\r\n"),
            L"C:\\drivers\\x64\\3\\TLSMP100.DAT");
  EXPECT_EQ(setupFileOf("[Other]\r\nSADatI=TLSMP100.DAT\r\n"), L"");
  // 63 characters are taken; a longer name is refused rather than cut into
  // the name of another file.
  const std::string longest(59, 'N');
  EXPECT_EQ(setupFileOf(("[User Mode Printer Driver Information]\r\nSADatI=" + longest + ".DAT\r\n").c_str()),
            L"C:\\drivers\\x64\\3\\" + std::wstring(59, L'N') + L".DAT");
  EXPECT_EQ(setupFileOf(("[User Mode Printer Driver Information]\r\nSADatI=" + longest + "X.DAT\r\n").c_str()), L"");
  EXPECT_EQ(CDatReader::SetupFileOf({}), L"");
}

TEST(DatReader, LookupsRefuseEmptyArgumentsAndUnknownNames) {
  using Source = CDatReader::Source;
  const std::wstring unknown = L"No Such Printer " + moni::test::UniqueTestName();
  for (Source source : {Source::Printer, Source::Driver}) {
    EXPECT_EQ(CDatReader::GetPrivateRegString(source, L"", kSampleDriverKey, L"ModelID"), L"");
    EXPECT_EQ(CDatReader::GetPrivateRegString(source, kSamplePrinter, L"", L"ModelID"), L"");
    EXPECT_EQ(CDatReader::GetPrivateRegString(source, kSamplePrinter, kSampleDriverKey, L""), L"");
    EXPECT_EQ(CDatReader::GetPrivateRegDword(source, L"", kSampleDriverKey, L"BQAPI_VERSION"), kNotFound);
    EXPECT_EQ(CDatReader::GetPrivateRegString(source, unknown, kSampleDriverKey, L"ModelID"), L"");
    EXPECT_EQ(CDatReader::GetPrivateRegDword(source, unknown, kSampleDriverKey, L"BQAPI_VERSION"), kNotFound);
  }
  CDatReader reader;
  EXPECT_EQ(reader.OpenByPrinter(unknown), 0);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::NoDriverInfo);
  EXPECT_EQ(reader.OpenByDriver(unknown), 0);
  EXPECT_EQ(reader.failure(), CDatReader::Failure::NoDriverInfo);
  moni::spooler::DriverFiles files;
  files.driverName = L"stale";
  EXPECT_FALSE(moni::spooler::GetDriverFilesForPrinter(unknown, files));
  EXPECT_TRUE(files.driverName.empty());
}

// The sample kit's driver and printer (sample/README.md), installed into the
// prefix when the Wine runtime starts.
TEST(DatReaderSampleKit, SpoolerGivesTheDriverFilesOfPrinterAndDriver) {
  std::wstring driver, port;
  ASSERT_TRUE(moni::spooler::GetPrinterDriverAndPort(kSamplePrinter, driver, port)) << "sample kit not installed";
  EXPECT_EQ(driver, kSampleDriver);
  EXPECT_EQ(port, L"USB001");

  moni::spooler::DriverFiles byPrinter, byDriver;
  ASSERT_TRUE(moni::spooler::GetDriverFilesForPrinter(kSamplePrinter, byPrinter));
  ASSERT_TRUE(moni::spooler::GetDriverFilesForDriver(L"talmer vgl3 SAMPLE", byDriver));
  EXPECT_EQ(byPrinter.driverName, kSampleDriver);
  EXPECT_EQ(byDriver.driverName, kSampleDriver);
  EXPECT_EQ(byDriver.driverPath, byPrinter.driverPath);
  EXPECT_EQ(byDriver.dataFile, byPrinter.dataFile);
  ASSERT_FALSE(byPrinter.driverDirectory.empty());
  EXPECT_NE(byPrinter.driverDirectory.back(), L'\\');
  EXPECT_EQ(_wcsicmp(byPrinter.dataFile.c_str(), (byPrinter.driverDirectory + L"\\TLSMPDRV.INI").c_str()), 0);
  EXPECT_EQ(CDatReader::SetupFileOf(byPrinter), byPrinter.driverDirectory + L"\\TLSMP100.DAT");
}

TEST(DatReaderSampleKit, RequestScopeAsksTheSpoolerOncePerPrinter) {
  using Source = CDatReader::Source;
  const std::wstring printer = L"Scope " + moni::test::UniqueTestName();
  ASSERT_TRUE(moni::kit::AddPrinter(printer, kSampleDriver, L"LPT1:"));
  moni::spooler::DriverFiles files;
  {
    CDatReader::RequestScope scope;
    ASSERT_TRUE(CDatReader::DriverFilesOf(Source::Printer, printer, files));
    EXPECT_EQ(files.driverName, kSampleDriver);
    ASSERT_TRUE(moni::kit::DeletePrinter(printer));
    {
      // A nested scope takes the answers of the request it belongs to.
      CDatReader::RequestScope nested;
      EXPECT_TRUE(CDatReader::DriverFilesOf(Source::Printer, printer, files));
    }
    EXPECT_TRUE(CDatReader::DriverFilesOf(Source::Printer, printer, files));
    EXPECT_EQ(CDatReader::GetPrivateRegString(Source::Printer, printer, kSampleDriverKey, L"ModelID"), L"SMP-100");
  }
  // The next request asks the spooler again.
  EXPECT_FALSE(CDatReader::DriverFilesOf(Source::Printer, printer, files));
  EXPECT_TRUE(files.driverName.empty());
  EXPECT_EQ(CDatReader::GetPrivateRegString(Source::Printer, printer, kSampleDriverKey, L"ModelID"), L"");
}

TEST(DatReaderSampleKit, ValuesOfTheInstalledDriver) {
  using Source = CDatReader::Source;
  CDatReader reader;
  ASSERT_EQ(reader.OpenByPrinter(kSamplePrinter), 1) << "sample kit not installed";
  ASSERT_EQ(reader.OpenByDriver(kSampleDriver), 1);

  EXPECT_EQ(CDatReader::GetPrivateRegString(Source::Printer, kSamplePrinter, kSampleDriverKey, L"ModelID"), L"SMP-100");
  EXPECT_EQ(CDatReader::GetPrivateRegString(Source::Driver, kSampleDriver, kSampleDriverKey, L"ModelID"), L"SMP-100");
  // The registry path and the name are compared without regard to case.
  EXPECT_EQ(CDatReader::GetPrivateRegString(Source::Driver, kSampleDriver, L"SOFTWARE\\talmer\\VGL3\\Driver\\TALMER VGL3 SAMPLE",
                                            L"modelid"),
            L"SMP-100");

  // InstallPath is the driver directory with its backslash.
  moni::spooler::DriverFiles files;
  ASSERT_TRUE(moni::spooler::GetDriverFilesForPrinter(kSamplePrinter, files));
  EXPECT_EQ(CDatReader::GetPrivateRegString(Source::Printer, kSamplePrinter, kSampleDriverKey, L"InstallPath"),
            files.driverDirectory + L"\\");
  // A string is no DWORD.
  EXPECT_EQ(CDatReader::GetPrivateRegDword(Source::Printer, kSamplePrinter, kSampleDriverKey, L"ModelID"), kNotFound);
}

}  // namespace
