// The printer driver's registry-access library: a closed library, shipped with
// the driver, through which the monitor opens, reads and closes machine-wide
// (HKLM) keys. It is found through the driver's data file, loaded once per
// process and stays loaded; it is not reloaded for another driver.
#pragma once
#include <windows.h>

#include <string>

#include "platform/spooler.h"

namespace moni::regaccess {

// The data file value that names the library, and its section.
inline constexpr wchar_t kDataFileSection[] = L"User Mode Printer Driver Information";
inline constexpr wchar_t kDataFileValue[] = L"TLAUDF0164";
inline constexpr wchar_t kDefaultLibrary[] = L"V_HAUDF1.DLL";
// Longest library name taken from the data file.
inline constexpr size_t kMaxLibraryName = 64;

// Result of a routed call whose function the library lacks.
inline constexpr LONG kMissingFunction = 12;

// The library's full path for the driver: the data file's value (or the
// default) in the folder of the driver's main file; empty when the value is
// longer than kMaxLibraryName or the driver has no folder.
std::wstring LibraryPathOf(const spooler::DriverFiles& files);

// Activates the library of the named driver (or of the printer's driver).
// True when it is active in this process, also when it was already.
bool ActivateForDriver(const std::wstring& driverName);
bool ActivateForPrinter(const std::wstring& printerName);

bool IsActive();

// The routed registry calls: the parameters and results of RegOpenKeyExW,
// RegQueryValueExW and RegCloseKey. kMissingFunction when the library lacks
// the function (or is not active); a fault inside the library gives
// ERROR_INVALID_FUNCTION.
bool HasKeyFunctions();
LONG OpenKey(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG QueryValue(HKEY key, LPCWSTR name, LPDWORD type, LPBYTE data, LPDWORD size);
LONG CloseKey(HKEY key);

// For tests: unloads the library and forgets the activation.
void ForgetForTest();

}  // namespace moni::regaccess
