// The printer driver's support library (by default "V_HAUDF1.DLL" beside the
// driver's main file), attached by the exports that open ink-ordering and
// icon-installation work for the duration of their call.
//
// An export attaches it by building a CSupportLibrary as a local: by printer
// (the printer's driver) or by driver name. The library is loaded once per
// process however many attachments overlap, and unloaded when the last one
// ends, on every path out of the export. While it is attached, reads of a
// machine-wide key that the registry refuses may be retried through the
// library's own registry functions (MachineKeyOpens, OpenKey, ...). A library
// that cannot be found or loaded is no failure: the export works without it.
#pragma once
#include <windows.h>

#include <array>
#include <string>

namespace moni::support {

enum class AttachBy { Printer = 1, Driver = 2 };

// The ordinals bound for each interface; an interface of which one ordinal
// is missing is left empty.
inline constexpr std::array<WORD, 9> kFirstInterface = {2, 4, 6, 9, 11, 13, 15, 17, 19};
inline constexpr std::array<WORD, 11> kSecondInterface = {1, 3, 5, 8, 10, 12, 14, 16, 18, 7, 20};

class CSupportLibrary {
 public:
  // Attaches the library of the printer's driver or of the named driver.
  CSupportLibrary(AttachBy mode, const std::wstring& name);
  // Attaches the library at `path` (tests use libraries of their own).
  explicit CSupportLibrary(const std::wstring& path);
  ~CSupportLibrary();
  CSupportLibrary(const CSupportLibrary&) = delete;
  CSupportLibrary& operator=(const CSupportLibrary&) = delete;

  // Whether this attachment holds the library (it is loaded meanwhile).
  bool Attached() const { return m_held; }

 private:
  bool m_held = false;
};

// Whether the library is attached in this process, and which interfaces it offers.
bool IsAttached();
bool HasFirstInterface();
bool HasSecondInterface();

// The library's registry functions: the parameters and results of
// RegOpenKeyExW (ordinal 4), RegQueryValueExW (ordinal 11) and RegCloseKey
// (ordinal 7). 12 (as for the registry-access library) when the library is
// not attached or lacks the interface; ERROR_INVALID_FUNCTION when the call
// faults inside the library.
LONG OpenKey(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG QueryValue(HKEY key, LPCWSTR name, LPDWORD type, LPBYTE data, LPDWORD size);
LONG CloseKey(HKEY key);

// Whether HKLM\subKey can be opened for reading: in the registry, else, while
// the library is attached, through it.
bool MachineKeyOpens(const std::wstring& subKey);

}  // namespace moni::support
