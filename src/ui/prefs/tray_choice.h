// What OK in the monitoring preferences asks of the tray icon registration:
// the printer's start-up entry, then its tray program, with the chosen tray
// icon setting. The two workers are called through one replaceable pair, so
// that the preferences and the registration can be built and tested apart.
#pragma once
#include "ui/prefs/startup_entry.h"

namespace moni::prefs {

using TrayWorker = int (*)(int enable, const TrayIdentity& identity);
struct TrayWorkers {
  TrayWorker regStartupEntry = nullptr;
  TrayWorker startTrayIconExe = nullptr;
};

// Puts another pair in place (for tests) and returns the one before; a pair
// with a null member restores RegStartupEntry and StartTrayIconExe.
TrayWorkers SetTrayWorkers(TrayWorkers workers);

// RegStartupEntry, then StartTrayIconExe, both with `enable`.
void ApplyTrayChoice(int enable, const TrayIdentity& identity);

}  // namespace moni::prefs
