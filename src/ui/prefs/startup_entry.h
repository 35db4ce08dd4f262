// The tray program of one printer in the user's start-up list, and starting
// it: shared by the monitoring preferences (OK), the tray icon question and
// the tray icon installation of a driver's printers.
#pragma once
#include <string>

namespace moni::prefs {

// The printer as these workers name it; an empty printer name means the port
// stands in for it.
struct TrayIdentity {
  std::wstring printer, driver, port, model;
};

// Writes (enable 1) or removes (any other value) the printer's start-up entry
// of the tray program. Returns 1.
int RegStartupEntry(int enable, const TrayIdentity& identity);

// Starts the tray program for the printer; with enable 0 it is told to end
// (and to remove its icon). Returns 1 when the process was created, else 0.
int StartTrayIconExe(int enable, const TrayIdentity& identity);

// The start-up entry that an installation of the driver's tray icons writes
// (texts of at most 259 characters). The parameter file of the entry it
// replaces is deleted once the new entry is in place. Nothing is written when
// the tray program cannot be found or a text does not fit.
bool RegInstallStartupEntry(const TrayIdentity& identity);

// The tray program of the printer's driver: the file that the driver's value
// "V_GICN" names, else "V_G20IC1.EXE" in the driver's install folder; empty
// when neither is a file.
std::wstring FindTrayProgram(const TrayIdentity& identity);

// Starts exactly `program` with the command line (its first word being the
// program), without inherited handles; true when the process was created.
bool Execute(const std::wstring& program, const std::wstring& commandLine);

// 1 when this is a 32-bit process on 64-bit Windows (the start-up list is
// then opened in its 64-bit view), else 0.
int IsWow64();

}  // namespace moni::prefs
