// CDatReader: the registry entries of the setup data file of the driver
// actually installed for a printer (or of a driver by name), read from the file
// instead of the registry.
//
// The file is found through the driver's data file: its value "SADatI" in the
// section "User Mode Printer Driver Information" names the setup data file,
// which lies in the driver directory (the folder of the driver's main file).
// The parsing itself is moni::setupdata (foundation/setup_data.h).
//
// Every lookup locates the file again through the spooler, so a printer given
// another driver is seen at once. What is read from files is kept for the
// process, keyed by the file's path, size and last-write time (and the folders
// the tokens stand for): the setup data file's tables, parsed once, and the
// name the driver's data file gives it. A file written meanwhile has a new size
// or time and is read anew. Within a request that reads several values, a
// RequestScope asks the spooler once per printer or driver.
#pragma once
#include <windows.h>

#include <memory>
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

  // While one lives on a thread, the spooler's answer for a printer or a
  // driver (which driver, where its files are) is asked once and reused by
  // every lookup of that thread: for one request that reads several values
  // (a one-shot status query, filling the printer information). Scopes nest;
  // the answers go with the outermost one.
  class RequestScope {
   public:
    RequestScope();
    ~RequestScope();
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

    struct Answers;

   private:
    std::unique_ptr<Answers> m_answers;  // the outermost scope's; null in a nested one
  };

  CDatReader();
  CDatReader(const CDatReader&) = delete;
  CDatReader& operator=(const CDatReader&) = delete;

  // Locate, read and parse the file; 1 when both tables hold at least one
  // entry, else 0 with both tables empty.
  int OpenByPrinter(const std::wstring& printerName);
  int OpenByDriver(const std::wstring& driverName);
  // Reads the file at `path` directly; `driverDir` and `systemDir` are what
  // the DRIVERDIR and SYSTEMDIR tokens stand for.
  int OpenFile(const std::wstring& path, const std::wstring& driverDir, const std::wstring& systemDir);

  const moni::setupdata::Tables& tables() const { return *m_tables; }
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

  // The files of the printer's (or the named driver's) driver, as the spooler
  // gives them (within a RequestScope, asked once); false when it knows no
  // such printer or driver.
  static bool DriverFilesOf(Source source, const std::wstring& printerOrDriver, moni::spooler::DriverFiles& out);

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
  // SetupFileOf without the kept names: asks the data file.
  static std::wstring ReadSetupFileName(const moni::spooler::DriverFiles& files);

  std::shared_ptr<const moni::setupdata::Tables> m_tables;  // never null; shared with the kept files
  Failure m_failure = Failure::None;
};
