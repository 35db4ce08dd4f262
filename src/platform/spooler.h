// The spooler adapter: the few printer and driver queries the monitor makes,
// with the buffer sizing of the spooler API done once here. Failures are
// results; GetLastError tells the spooler's reason.
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

// A printer as its information level 2 describes it.
struct PrinterInfo {
  std::wstring name;  // the spooler's name of the printer
  std::wstring driver;
  std::wstring port;
};

// The printer's own name, driver and port; false, and all empty, when the
// printer cannot be opened or queried.
bool GetPrinterInfo(const std::wstring& printer, PrinterInfo& out);

// The local printers and printer connections, in the spooler's order;
// nothing when they cannot be listed.
std::optional<std::vector<PrinterInfo>> EnumLocalPrinters();

// Job queries can be answered by a stand-in instead of the spooler (Wine's
// spooler never has a job). Only a test program installs one, and only for its
// own copy of this layer: nothing in the deliverables does, so no outside
// setting decides which jobs a host of monicore.dll sees.
class JobSource {
 public:
  virtual ~JobSource() = default;
  virtual std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds) = 0;
  virtual bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType) = 0;
};
// Answers the job queries from `source` (null: from the spooler again). The
// source must outlive its use.
void SetJobSource(JobSource* source);

// For each of `jobIds`, whether the spooler still has that job on the
// printer; nullopt when the printer cannot be opened. A job counts as gone
// when the spooler needs no bytes to describe it or calls its id invalid.
std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds);

// The data type of a job ("RAW", "NT EMF 1.008", ...; job information level
// 2); false when the printer or the job is not there.
bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType);

}  // namespace moni::spooler
