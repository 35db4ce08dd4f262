// The spooler adapter: the few printer and driver queries the monitor makes,
// with the buffer sizing of the spooler API done once here.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace moni::spooler {

// The files of an installed printer driver (driver information level 3).
struct DriverFiles {
  std::wstring driverName;
  std::wstring driverPath;       // the driver's main file
  std::wstring dataFile;         // with its folder (the driver directory when the spooler gave none)
  std::wstring configFile;
  std::wstring helpFile;         // as the spooler gives it (may be empty)
  std::wstring driverDirectory;  // folder of the main file, without a trailing "\"
};

// The driver files of the printer's driver; false when the printer cannot be
// opened or the spooler gives no driver information.
bool GetDriverFilesForPrinter(const std::wstring& printer, DriverFiles& out);

// The driver files of the installed driver of that name (compared without
// regard to case) for this system's environment; false when there is none.
bool GetDriverFilesForDriver(const std::wstring& driverName, DriverFiles& out);

// The printer's driver and port names (printer information level 2); false,
// and both emptied, when the printer cannot be opened or queried.
bool GetPrinterDriverAndPort(const std::wstring& printer, std::wstring& driver, std::wstring& port);

// Job queries. Wine's spooler answers none of them (it never has a job), so
// they can be answered from a job list instead: when the environment variable
// MONI_SPOOLER_JOBS names an initialisation file, a printer exists when the
// file has a section of its name, and its jobs are that section's keys (the
// job id in decimal) with the job's data type as value. Only the tests and
// the Wine kit set the variable; without it the spooler is asked.
inline constexpr wchar_t kJobListVariable[] = L"MONI_SPOOLER_JOBS";

// For each of `jobIds`, whether the spooler still has that job on the
// printer; nullopt when the printer cannot be opened. A job counts as gone
// when the spooler needs no bytes to describe it or calls its id invalid.
std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds);

// The data type of a job ("RAW", "NT EMF 1.008", ...; job information level
// 2); false when the printer or the job is not there.
bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType);

}  // namespace moni::spooler
