#include "foundation/dat_reader.h"

#include <iterator>

#include "foundation/debug_log.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kDriverInfoSection[] = L"User Mode Printer Driver Information";
constexpr wchar_t kSetupFileValue[] = L"SADatI";

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

}  // namespace

int CDatReader::Fail(Failure failure) {
  m_tables.Clear();
  m_failure = failure;
  return 0;
}

int CDatReader::OpenByPrinter(const std::wstring& printerName) {
  CDebugLog log("CDatReader::OpenByPrinter");
  log.Write("PrinterName : %s\n", printerName);
  moni::spooler::DriverFiles files;
  if (!moni::spooler::GetDriverFilesForPrinter(printerName, files)) {
    log.Write("Error : no driver information (%lu)\n", GetLastError());
    return Fail(Failure::NoDriverInfo);
  }
  return OpenFromDriver(files);
}

int CDatReader::OpenByDriver(const std::wstring& driverName) {
  CDebugLog log("CDatReader::OpenByDriver");
  log.Write("DriverName : %s\n", driverName);
  moni::spooler::DriverFiles files;
  if (!moni::spooler::GetDriverFilesForDriver(driverName, files)) {
    log.Write("Error : no driver information (%lu)\n", GetLastError());
    return Fail(Failure::NoDriverInfo);
  }
  return OpenFromDriver(files);
}

int CDatReader::OpenFromDriver(const moni::spooler::DriverFiles& files) {
  const std::wstring path = SetupFileOf(files);
  if (path.empty()) return Fail(Failure::NoSetupFileName);
  return OpenFile(path, files.driverDirectory, SystemDirectory());
}

int CDatReader::OpenFile(const std::wstring& path, const std::wstring& driverDir, const std::wstring& systemDir) {
  CDebugLog log("CDatReader::OpenFile");
  log.Write("File : %s\n", path);
  std::string bytes;
  if (path.empty() || !moni::files::ReadWholeFile(path, bytes, CDatReader::kMaxFileSize)) {
    log.Write("Error : cannot read the file (%lu)\n", GetLastError());
    return Fail(Failure::Unreadable);
  }
  const moni::setupdata::Context context{moni::ToU16(driverDir), moni::ToU16(systemDir), CurrentPlatform()};
  if (!moni::setupdata::Parse(moni::setupdata::WidenBytes(bytes), context, m_tables)) {
    log.Write("Error : no registry entries in %lu bytes\n", static_cast<unsigned long>(bytes.size()));
    return Fail(Failure::NoEntries);
  }
  m_failure = Failure::None;
  log.Write("Paths : %lu, values : %lu\n", static_cast<unsigned long>(m_tables.PathCount()),
            static_cast<unsigned long>(m_tables.ValueCount()));
  return 1;
}

int CDatReader::Open(Source source, const std::wstring& printerOrDriver) {
  return source == Source::Printer ? OpenByPrinter(printerOrDriver) : OpenByDriver(printerOrDriver);
}

std::wstring CDatReader::SetupFileOf(const moni::spooler::DriverFiles& files) {
  CDebugLog log("CDatReader::SetupFileOf");
  if (files.dataFile.empty() || files.driverDirectory.empty()) {
    log.Write("Error : no data file or driver directory\n");
    return {};
  }
  // Only the NT form is read: the product is 64-bit and runs on NT systems
  // alone (Windows 95 drivers named the file in another section).
  // The buffer is larger than the longest name taken, so that a longer name is
  // seen and refused instead of cut into the name of another file.
  wchar_t name[MAX_PATH + 2] = {};
  const DWORD length = GetPrivateProfileStringW(kDriverInfoSection, kSetupFileValue, L"", name,
                                                static_cast<DWORD>(std::size(name)), files.dataFile.c_str());
  if (length == 0) {
    log.Write("Error : no SADatI in %s\n", files.dataFile);
    return {};
  }
  if (length > kMaxSetupFileName) {
    log.Write("Error : SADatI longer than %lu characters in %s\n", static_cast<unsigned long>(kMaxSetupFileName),
              files.dataFile);
    return {};
  }
  return WithoutTrailingSlash(files.driverDirectory) + L"\\" + std::wstring(name, length);
}

moni::setupdata::Platform CDatReader::CurrentPlatform() {
  const moni::SystemVersion version = moni::RunningSystemVersion();
  return {version.nt, version.major, version.minor};
}

std::wstring CDatReader::SystemDirectory() { return moni::SystemFolder(); }

std::wstring CDatReader::GetPrivateRegString(Source source, const std::wstring& printerOrDriver, const std::wstring& regPath,
                                             const std::wstring& name) {
  CDebugLog log("CDatReader::GetPrivateRegString");
  if (printerOrDriver.empty() || regPath.empty() || name.empty()) {
    log.Write("Error : empty argument\n");
    return {};
  }
  CDatReader reader;
  if (!reader.Open(source, printerOrDriver)) return {};
  std::u16string value;
  if (!moni::setupdata::LookupString(reader.tables(), moni::ToU16(regPath), moni::ToU16(name), value)) {
    log.Write("Not found : %s\\%s\n", regPath, name);
    return {};
  }
  log.Write("%s\\%s = %s\n", regPath, name, value);
  return moni::ToWide(value);
}

std::wstring CDatReader::GetDriverString(const std::wstring& printer, const std::wstring& driver, const std::wstring& name,
                                         const std::wstring& subKey) {
  if (driver.empty()) return {};
  const bool byPrinter = !printer.empty();
  return GetPrivateRegString(byPrinter ? Source::Printer : Source::Driver, byPrinter ? printer : driver,
                             moni::DriverKey(driver) + subKey, name);
}

DWORD CDatReader::GetPrivateRegDword(Source source, const std::wstring& printerOrDriver, const std::wstring& regPath,
                                     const std::wstring& name) {
  CDebugLog log("CDatReader::GetPrivateRegDword");
  constexpr DWORD kNotFound = static_cast<DWORD>(-1);
  if (printerOrDriver.empty() || regPath.empty() || name.empty()) {
    log.Write("Error : empty argument\n");
    return kNotFound;
  }
  CDatReader reader;
  if (!reader.Open(source, printerOrDriver)) return kNotFound;
  std::uint32_t value = 0;
  if (!moni::setupdata::LookupDword(reader.tables(), moni::ToU16(regPath), moni::ToU16(name), value)) {
    log.Write("Not found : %s\\%s\n", regPath, name);
    return kNotFound;
  }
  log.Write("%s\\%s = %lu\n", regPath, name, static_cast<unsigned long>(value));
  return value;
}
