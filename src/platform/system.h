// What the running system is, where its own files lie, and how a library that
// outside data names is loaded without handing the choice to the host
// program's search path.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace moni {

struct SystemVersion {
  bool nt = true;
  DWORD major = 5;
  DWORD minor = 2;
};

// The real version of the running system, whatever the program's manifest
// says (Wine reports the Windows version its prefix is set to); the first
// 64-bit Windows (NT 5.2) when it cannot be read.
SystemVersion RunningSystemVersion();

// The system folder without a trailing "\", or empty.
std::wstring SystemFolder();

// The full path of the running program (its main module), or empty.
std::wstring RunningProgramPath();

// Loads a library that the driver's data names. The library is loaded into
// whatever program hosts this code, so its file is never taken from that
// program's folder or the current folder:
// - a bare file name ("BQAPI.DLL") is loaded from the system folder only;
// - a full path is loaded from there;
// - a relative path is refused (ERROR_BAD_PATHNAME).
// The library's own dependencies come from its folder and the system folder.
// Empty when nothing was loaded; GetLastError tells why.
Module LoadNamedLibrary(const std::wstring& name);

}  // namespace moni
