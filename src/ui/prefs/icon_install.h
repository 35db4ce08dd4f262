// The tray icon installation of a driver's printers (StartCallingIcon, the
// worker behind PrIconInstall): for every printer of the driver whose driver
// names the running program as its companion ("DepExe"), or for one named
// printer, it creates the printer's monitoring entry with the model's
// defaults, puts the tray program into the user's start-up list, waits
// briefly for the driver's ink-ordering key and starts the tray program.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace moni::prefs {

// The named mutex that serialises installations across the processes of the
// log-on.
inline constexpr wchar_t kInstallMutex[] = L"VGL3 StartCallingIcon /I";

// Waits, looking every `pollMs`, until no other installation holds the mutex,
// then holds it (released when the result is destroyed, on this thread). There
// is no time limit. A mutex that cannot be made at all gives an empty result.
OwnedMutex WaitForInstallTurn(DWORD pollMs = 50);

// The wait for the driver's ink-ordering key; tests shorten it.
struct InkOrderWait {
  DWORD pauseMs = 1000;
  int attempts = 3;
};

// 1 when the enumeration ran to its end; 0 when no model identifier can be
// found, the printers cannot be listed, or a printer's tray setting cannot be
// read. `printer` may be empty (every printer of the driver) or a friendly
// name; `model` may be empty (then the driver's value "ModelID" is used).
int StartCallingIcon(const std::wstring& printer, const std::wstring& driver, const std::wstring& model,
                     const InkOrderWait& wait = {});

// 1 when the printer's driver names the running program as its companion
// program (compared without regard to case), else 0.
int IsMyTargetPrinter(const std::wstring& printer);

// Removes stale monitoring entries, creates or reuses the printer's entry and
// writes the model's defaults into it: 1 when that worked, else 0.
int CreateDefaultRegistry(const std::wstring& printer, const std::wstring& driver, const std::wstring& model,
                          const std::wstring& port);

// The printer's monitoring entry below TLLTarget: the first "P%016u" key
// that is missing or whose "Name" is the printer's (without regard to case),
// with "Name", "Setting" = 0 and "Timer" = 10 written. The length of its path
// (written into `keyPath`), or -1.
int CreateMonitoringReg(const std::wstring& printer, std::wstring& keyPath);

// 1 and the value when an entry of the printer has "TrayIconEnable" (a
// 32-bit number; other types count as missing), else 0.
int GetTrayIconInfo(const std::wstring& printer, DWORD& enable);

// Waits until HKLM "software\TALMER\<driver> IO_URL" can be opened (in the
// registry or through the attached support library), at most wait.attempts
// pauses of wait.pauseMs. Returns the number of pauses.
int CheckInkOrderReg(const std::wstring& driver, const InkOrderWait& wait = {});

// Starts the tray program of an installation for the printer (with "/R"
// when the tray setting is 0, "/I" when `install` is 1): 1 when started.
int ExecuteIcon(const std::wstring& printer, const std::wstring& driver, const std::wstring& model, DWORD traySetting,
                int install);

// The spooler's name of the printer (also from a name with a server part
// that the spooler only knows without it); empty when there is none.
std::wstring GetRealFriendlyName(const std::wstring& name);

}  // namespace moni::prefs
