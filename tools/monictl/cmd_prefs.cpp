// monictl prefs: a printer's monitoring preferences. With --show, the settings
// as they are stored (nothing is opened or written); otherwise the preferences
// dialog opens as a driver's property page opens it (PrStartPreference of
// monicore.dll), and the result and the settings before and after are printed
// once it has closed.
#include <windows.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "api/monicore.h"
#include "comm/status_agent.h"
#include "commands.h"
#include "foundation/base_info.h"
#include "foundation/printer_settings.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "platform/handles.h"
#include "platform/spooler.h"

namespace monictl {

namespace {

// The settings as stored below the printer's key; a value that is missing or
// not a DWORD is absent.
struct Settings {
  std::wstring key;  // empty: the printer has no key yet
  std::optional<DWORD> sound, trayIcon, design;
  std::map<std::wstring, DWORD> notify;
  int shared = -1;  // the status agent's shared-printer setting; -1 unknown
};

Settings ReadSettings(const std::wstring& printer, const std::wstring& driver) {
  Settings s;
  s.shared = CStatusAgent(driver, printer).GetShare();
  if (GetTargetPrnKey(printer, false, s.key) != 0) {
    s.key.clear();
    return s;
  }
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, s.key)) return s;
  using moni::settings::ReadDword;
  s.sound = ReadDword(key.Get(), L"SoundNotifyEnable");
  s.trayIcon = ReadDword(key.Get(), L"TrayIconEnable");
  s.design = ReadDword(key.Get(), L"TrayIconSelected");
  CRegistryKey notify;
  if (notify.Open(key.Get(), L"Notify")) {
    for (DWORD i = 0;; ++i) {
      const std::wstring name = notify.EnumValue(i);
      if (name.empty()) break;
      if (const auto value = ReadDword(notify.Get(), name)) s.notify[name] = *value;
    }
  }
  return s;
}

std::string Number(const std::optional<DWORD>& v) { return v ? std::to_string(*v) : "null"; }

std::string Json(const Settings& s) {
  std::string out = "{\"key\":" + (s.key.empty() ? std::string("null") : JsonString(s.key)) + ",\"soundNotifyEnable\":" +
                    Number(s.sound) + ",\"trayIconEnable\":" + Number(s.trayIcon) + ",\"trayIconSelected\":" + Number(s.design) +
                    ",\"notify\":{";
  bool first = true;
  for (const auto& [name, value] : s.notify) {
    out += (first ? "" : ",") + JsonString(name) + ":" + std::to_string(value);
    first = false;
  }
  out += "},\"sharedMonitoring\":";
  out += s.shared < 0 ? "null" : (s.shared ? "true" : "false");
  return out + "}";
}

std::string Text(const std::optional<DWORD>& v) { return v ? std::to_string(*v) : "(not set)"; }

void PrintSettings(const char* title, const Settings& s) {
  printf("%s\n", title);
  printf("  key                %s\n", s.key.empty() ? "(none yet)" : Utf8(s.key).c_str());
  printf("  SoundNotifyEnable  %s\n", Text(s.sound).c_str());
  printf("  TrayIconEnable     %s\n", Text(s.trayIcon).c_str());
  printf("  TrayIconSelected   %s\n", Text(s.design).c_str());
  std::string items;
  for (const auto& [name, value] : s.notify) items += " " + Utf8(name) + "=" + std::to_string(value);
  printf("  Notify            %s\n", items.empty() ? " (none)" : items.c_str());
  printf("  shared printers    %s\n", s.shared < 0 ? "(the status agent cannot be asked)" : (s.shared ? "monitored" : "not monitored"));
}

const char* ResultMeaning(int result) {
  switch (result) {
    case 0: return "OK: the settings were applied";
    case 1: return "cancelled, or monitoring is switched off for the printer";
    case -1: return "the resource library could not be loaded";
    case -3: return "the dialog could not be shown";
    default: return "unknown result";
  }
}

int Fail(const std::string& message) {
  fprintf(stderr, "monictl: prefs: %s\n", message.c_str());
  return 1;
}

}  // namespace

int CmdPrefs(const Args& args) {
  std::wstring printer;
  bool json = false, show = false;
  for (const std::wstring& arg : args) {
    if (arg == L"--json") json = true;
    else if (arg == L"--show") show = true;
    else if (arg.size() > 1 && arg[0] == L'-') return UsageError("prefs: unknown option");
    else if (printer.empty()) printer = arg;
    else return UsageError("prefs takes one printer name");
  }
  if (printer.empty()) return UsageError("prefs: which printer?");

  std::wstring driver, port;
  if (!moni::spooler::GetPrinterDriverAndPort(printer, driver, port))
    return Fail("no printer \"" + Utf8(printer) + "\" (see \"monictl printers\")");
  const std::wstring model = GetModelIdFromDriver(printer, driver);
  if (model.empty()) return Fail("the driver \"" + Utf8(driver) + "\" names no model identifier in its setup data: not a monitored printer");

  const Settings before = ReadSettings(printer, driver);
  if (show) {
    if (json) printf("{\"printer\":%s,\"settings\":%s}\n", JsonString(printer).c_str(), Json(before).c_str());
    else PrintSettings(("printer " + Utf8(printer)).c_str(), before);
    return 0;
  }

  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib) return Fail("monicore.dll could not be loaded (error " + std::to_string(GetLastError()) + ")");
  const auto start = moni::ProcAddress<decltype(&PrStartPreference)>(lib.get(), "PrStartPreference");
  if (!start) return Fail("monicore.dll lacks PrStartPreference (see \"monictl exports\")");
  if (!json) {
    printf("opening the monitoring preferences of \"%s\"; waiting for the dialog to close\n", Utf8(printer).c_str());
    fflush(stdout);
  }
  const int result = start(printer.c_str(), driver.c_str(), port.c_str(), model.c_str(), L"", L"");
  const Settings after = ReadSettings(printer, driver);
  if (json) {
    printf("{\"printer\":%s,\"result\":%d,\"before\":%s,\"after\":%s}\n", JsonString(printer).c_str(), result, Json(before).c_str(),
           Json(after).c_str());
  } else {
    printf("result %d (%s)\n", result, ResultMeaning(result));
    PrintSettings("before", before);
    PrintSettings("after", after);
  }
  return result == 0 || result == 1 ? 0 : 1;
}

}  // namespace monictl
