// Starting another program: its process and main thread handles are owned
// from the moment CreateProcess gives them.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace moni {

struct StartedProcess {
  KernelHandle process;
  KernelHandle thread;
  DWORD processId = 0;
};

// Starts the command line (the program first, quoted when its path has
// blanks), in `currentFolder` when one is given. False when it cannot be
// started (GetLastError tells why); `out` then owns nothing.
bool StartProcess(const std::wstring& commandLine, StartedProcess& out, DWORD creationFlags = 0,
                  const std::wstring& currentFolder = L"");
// Starts `program` (a full path, never searched for) with `commandLine`, whose
// first part names the program again as the started program expects.
bool StartProgram(const std::wstring& program, const std::wstring& commandLine, StartedProcess& out);

}  // namespace moni
