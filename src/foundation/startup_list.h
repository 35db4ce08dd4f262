// The user's start-up list (HKCU "software\Microsoft\Windows\CurrentVersion\Run")
// as the library and the tray program share it: one value per printer whose
// tray program starts at log-on, each naming a parameter file in the user's
// temporary folder that stays there for the next log-on. Reading a value is
// moni::startup::ParseStartupValue (startup_list_core.h).
#pragma once
#include <windows.h>

#include <string>

#include "foundation/startup_list_core.h"

namespace moni::startup {

inline constexpr wchar_t kRunKey[] = L"software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Whether `path` is one of the monitor's parameter files: a file (not a
// folder) whose name begins with "V_G", directly in the user's temporary
// folder. Nothing else is ever deleted as a parameter file.
bool IsOwnParamFile(const std::wstring& path);

struct OldIconFile {
  bool valueRead = false;  // the value exists and is text
  std::wstring value;      // its text
  std::wstring file;       // the parameter file it names, or empty
  bool deleted = false;    // that file was one of ours and has been deleted
};

// The start-up value `valueName` under root\keyPath and the parameter file
// it names; nothing is deleted.
OldIconFile ReadOldIconFile(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);

// DelOldIconRegFile: deletes the parameter file that the start-up value
// `valueName` under root\keyPath names ("/FU" or the older "/F" with a quoted
// path), when it is one of ours. The value itself stays.
OldIconFile DelOldIconRegFile(HKEY root, const std::wstring& keyPath, const std::wstring& valueName);

}  // namespace moni::startup
