#include <gtest/gtest.h>

#include <string>

#include "foundation/dat_reader.h"
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
