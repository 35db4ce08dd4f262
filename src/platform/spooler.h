// The spooler adapter: the few printer and driver queries the monitor makes,
// with the buffer sizing of the spooler API done once here.
#pragma once
#include <windows.h>

#include <string>

namespace moni::spooler {

// The files of an installed printer driver (driver information level 3).
struct DriverFiles {
  std::wstring driverName;
  std::wstring driverPath;       // the driver's main file
  std::wstring dataFile;         // with its folder (the driver directory when the spooler gave none)
  std::wstring configFile;
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

}  // namespace moni::spooler
