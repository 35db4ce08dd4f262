// CDatReader: the registry entries of the setup data file of the driver
// actually installed for a printer (or of a driver by name), read from the file
// instead of the registry.
//
// The file is found through the driver's data file: its value "SADatI" in the
// section "User Mode Printer Driver Information" names the setup data file,
// which lies in the driver directory (the folder of the driver's main file).
// The parsing itself is moni::setupdata (foundation/setup_data.h).
//
// A reader serves one request: nothing is cached, every lookup locates, reads
// and parses the file again, so a driver updated meanwhile is seen at once.
#pragma once
#include <windows.h>

#include <string>

#include "foundation/setup_data.h"
#include "platform/spooler.h"

namespace moni {

// A driver's key in the setup data (and below HKLM): "Software\TALMER\VGL3\Driver\"
// followed by the driver name.
inline constexpr wchar_t kDriverKeyPrefix[] = L"Software\\TALMER\\VGL3\\Driver\\";
inline std::wstring DriverKey(const std::wstring& driverName) { return kDriverKeyPrefix + driverName; }

}  // namespace moni

class CDatReader {
 public:
  enum class Source { Printer, Driver };

  // Why the last Open* gave 0.
  enum class Failure {
    None,
    NoDriverInfo,     // the spooler knows no such printer or driver
    NoSetupFileName,  // the driver's data file names no setup data file
    Unreadable,       // the setup data file is missing, unreadable or too large
    NoEntries,        // it holds no usable registry path or no usable value
  };

  CDatReader() = default;
  CDatReader(const CDatReader&) = delete;
  CDatReader& operator=(const CDatReader&) = delete;

  // Locate, read and parse the file; 1 when both tables hold at least one
  // entry, else 0 with both tables empty.
  int OpenByPrinter(const std::wstring& printerName);
  int OpenByDriver(const std::wstring& driverName);
  // Reads the file at `path` directly; `driverDir` and `systemDir` are what
  // the DRIVERDIR and SYSTEMDIR tokens stand for.
  int OpenFile(const std::wstring& path, const std::wstring& driverDir, const std::wstring& systemDir);

  const moni::setupdata::Tables& tables() const { return m_tables; }
  Failure failure() const { return m_failure; }

  // The value `name` below the HKLM-relative registry path `regPath`, as the
  // setup data file of the printer's (or the named driver's) driver sets it.
  // The string form gives an empty string, the DWORD form (DWORD)-1, when an
  // argument is empty, the file cannot be read, or the value is missing or of
  // the other type.
  static std::wstring GetPrivateRegString(Source source, const std::wstring& printerOrDriver, const std::wstring& regPath,
                                          const std::wstring& name);
  static DWORD GetPrivateRegDword(Source source, const std::wstring& printerOrDriver, const std::wstring& regPath,
                                  const std::wstring& name);
  // A value of the driver's own key (`subKey` below it, e.g. L"\\Menu"): read
  // through the printer when one is named, else through the driver.
  static std::wstring GetDriverString(const std::wstring& printer, const std::wstring& driver, const std::wstring& name,
                                      const std::wstring& subKey = L"");

  // The full path of the setup data file the driver names, or empty.
  static std::wstring SetupFileOf(const moni::spooler::DriverFiles& files);
  // The running system, for the conditions of the entries.
  static moni::setupdata::Platform CurrentPlatform();
  // The system folder (what SYSTEMDIR stands for), without a trailing "\".
  static std::wstring SystemDirectory();

  // Larger files are refused; real ones are a few kilobytes.
  static constexpr DWORD kMaxFileSize = 16 * 1024 * 1024;
  // The longest setup data file name taken from "SADatI".
  static constexpr size_t kMaxSetupFileName = 63;

 private:
  int Open(Source source, const std::wstring& printerOrDriver);
  int OpenFromDriver(const moni::spooler::DriverFiles& files);
  int Fail(Failure failure);

  moni::setupdata::Tables m_tables;
  Failure m_failure = Failure::None;
};
