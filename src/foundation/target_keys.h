// The printers' own keys below HKCU (target keys): one per Windows printer
// below TLLTarget, one per port below TLNTarget for hosts that name only a
// port. Keys are named "P" and 16 decimal digits, given out lowest free first.
#pragma once
#include <string>

namespace moni::targetkeys {

inline constexpr wchar_t kDataRoot[] = L"Software\\TALMER\\VGL3\\DUVData";
// Longest key path handed out (characters, without the terminator: below 260).
inline constexpr size_t kMaxPath = 259;

// The TLLTarget or TLNTarget path below HKCU.
std::wstring ParentPath(bool byPort);

// For tests: another data root instead of kDataRoot (empty restores it).
void SetDataRootForTest(const std::wstring& root);

}  // namespace moni::targetkeys

// 0 and the key path when a target key whose "Name" equals the name (without
// regard to case) exists; 1 when none does; 4 when the parent key cannot be
// opened. `byPort` chooses TLNTarget (a port name) over TLLTarget.
int GetTargetPrnKey(const std::wstring& name, bool byPort, std::wstring& keyPath);

// Finds the key of the printer (or, with an empty printer name, of the port)
// or creates it. 0 when found (`created` untouched); otherwise 1 when the key
// could not be made, else the result of filling its defaults through the
// model's printer library (4 no library, 5 no export, else the export's own
// result); `created`, when given, is then 1 exactly when that result is 0.
int GetOrCreateTargetPrnKey(const std::wstring& printerName, const std::wstring& portName, const std::wstring& modelId,
                            bool& byPort, std::wstring& keyPath, int* created);

// Removes target keys whose printer is gone (TLLTarget) or that serve no port
// (TLNTarget). 0, or -1 when a parent key cannot be opened.
int CleanTargetPrnKeys();

// The printer's driver (and port) names from the spooler; false, and empty
// names, when the printer cannot be queried or a name is 260 characters or more.
bool GetPrinterDriverName(const std::wstring& printerName, std::wstring& driver);
bool GetPrinterDriverAndPort(const std::wstring& printerName, std::wstring& driver, std::wstring& port);
