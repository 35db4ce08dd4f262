// The tray program of one printer in the user's start-up list, and starting
// it: shared by the monitoring preferences (OK) and the tray icon question.
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

}  // namespace moni::prefs
