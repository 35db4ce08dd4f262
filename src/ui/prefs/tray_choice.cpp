#include "ui/prefs/tray_choice.h"

#include <mutex>

#include "foundation/debug_log.h"

namespace moni::prefs {

namespace {
std::mutex g_lock;
TrayWorkers g_workers{&RegStartupEntry, &StartTrayIconExe};
}  // namespace

TrayWorkers SetTrayWorkers(TrayWorkers workers) {
  std::lock_guard hold(g_lock);
  const TrayWorkers before = g_workers;
  g_workers = workers.regStartupEntry && workers.startTrayIconExe ? workers : TrayWorkers{&RegStartupEntry, &StartTrayIconExe};
  return before;
}

void ApplyTrayChoice(int enable, const TrayIdentity& identity) {
  TrayWorkers workers;
  {
    std::lock_guard hold(g_lock);
    workers = g_workers;
  }
  CDebugLog log("ApplyTrayChoice");
  const int entry = workers.regStartupEntry(enable, identity);
  const int started = workers.startTrayIconExe(enable, identity);
  log.Write("TrayIconEnable %d: RegStartupEntry = %d, StartTrayIconExe = %d\n", enable, entry, started);
}

}  // namespace moni::prefs
