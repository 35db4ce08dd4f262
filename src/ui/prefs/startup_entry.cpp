// Placeholder until the tray icon registration lands: nothing is written and
// nothing is started.
#include "ui/prefs/startup_entry.h"

#include "foundation/debug_log.h"

namespace moni::prefs {

int RegStartupEntry(int enable, const TrayIdentity& identity) {
  CDebugLog log("RegStartupEntry");
  log.Write("RegStartupEntry : not available in this build (enable = %d)\n", enable);
  return 1;
}

int StartTrayIconExe(int enable, const TrayIdentity& identity) {
  CDebugLog log("StartTrayIconExe");
  log.Write("StartTrayIconExe : not available in this build (enable = %d)\n", enable);
  return 0;
}

}  // namespace moni::prefs
