#include "ui/prefs/icon_install.h"

#include <climits>

#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/printer_defaults.h"
#include "foundation/debug_log.h"
#include "foundation/registry_key.h"
#include "foundation/support_library.h"
#include "foundation/target_keys.h"
#include "platform/files.h"
#include "platform/spooler.h"
#include "platform/system.h"
#include "platform/text.h"
#include "ui/prefs/icon_texts_core.h"
#include "ui/prefs/startup_entry.h"

namespace moni::prefs {

namespace {

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return false;
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring DriverValue(const std::wstring& printer, const std::wstring& driver, const wchar_t* name) {
  return CDatReader::GetPrivateRegString(CDatReader::Source::Printer, printer, moni::DriverKey(driver), name);
}

bool PrinterExists(const std::wstring& printer) {
  spooler::PrinterInfo info;
  return spooler::GetPrinterInfo(printer, info);
}

// Every level of the path below HKCU, from the second on, exists afterwards.
bool MakeLevels(const std::wstring& path) {
  for (size_t at = path.find(L'\\');;) {
    at = at == std::wstring::npos ? at : path.find(L'\\', at + 1);
    const std::wstring level = path.substr(0, at);
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, level, false, KEY_READ) && !key.Open(HKEY_CURRENT_USER, level, true, KEY_ALL_ACCESS))
      return false;
    if (at == std::wstring::npos) return true;
  }
}

}  // namespace

std::wstring GetRealFriendlyName(const std::wstring& name) {
  spooler::PrinterInfo info;
  if (spooler::GetPrinterInfo(name, info)) return info.name;
  const size_t slash = name.find_last_of(L'\\');
  if (slash != std::wstring::npos && spooler::GetPrinterInfo(name.substr(slash + 1), info)) return info.name;
  return {};
}

int IsMyTargetPrinter(const std::wstring& printer) {
  CDebugLog log("IsMyTargetPrinter");
  spooler::PrinterInfo info;
  if (!spooler::GetPrinterInfo(printer, info)) return 0;
  const std::wstring companion = DriverValue(printer, info.driver, L"DepExe");
  const std::wstring running = RunningProgramPath();
  log.Write("DepExe : %s, running : %s\n", companion, running);
  return !companion.empty() && !running.empty() && SameNoCase(companion, running) ? 1 : 0;
}

int CreateMonitoringReg(const std::wstring& printer, std::wstring& keyPath) {
  CDebugLog log("CreateMonitoringReg");
  keyPath.clear();
  const std::wstring parent = targetkeys::ParentPath(false);
  if (!MakeLevels(parent)) return -1;
  CRegistryKey entry;
  bool lookedAgain = false;
  for (std::uint32_t n = 0; n < INT_MAX;) {
    const std::wstring path = parent + L"\\" + ToWide(icons::MonitoringEntryName(n));
    if (path.size() > targetkeys::kMaxPath) return -1;
    CRegistryKey probe;
    std::wstring name;
    if (!probe.Open(HKEY_CURRENT_USER, path, false, KEY_READ)) {
      bool created = false;
      if (!entry.Open(HKEY_CURRENT_USER, path, true, KEY_ALL_ACCESS, &created)) return -1;
      if (!created && !lookedAgain) {
        // Another process made it this moment: look at it once more.
        entry.Close();
        lookedAgain = true;
        continue;
      }
    } else if (!probe.ReadString(L"Name", name) || !SameNoCase(name, printer)) {
      ++n;
      lookedAgain = false;
      continue;
    } else if (!entry.Open(HKEY_CURRENT_USER, path, false, KEY_ALL_ACCESS)) {
      return -1;
    }
    if (!entry.SetString(L"Name", printer) || !entry.SetDword(L"Setting", 0) || !entry.SetDword(L"Timer", 10)) {
      log.Write("Error : %s not written\n", path);
      return -1;
    }
    keyPath = path;
    log.Write("Entry : %s\n", path);
    return static_cast<int>(path.size());
  }
  return -1;
}

int CreateDefaultRegistry(const std::wstring& printer, const std::wstring& driver, const std::wstring& model,
                          const std::wstring& port) {
  CDebugLog log("CreateDefaultRegistry");
  CleanTargetPrnKeys();
  std::wstring entry;
  if (CreateMonitoringReg(printer, entry) < 0) return 0;
  std::wstring setupData;
  if (!GetProfileName(setupData, driver, model, printer)) {
    log.Write("Error : no setup data for %s\n", printer);
    return 0;
  }
  const int result = SetPrinterDefaults(printer, driver, port, model, setupData);
  log.Write("SetPrinterDefaults : %d\n", result);
  return 1;
}

int GetTrayIconInfo(const std::wstring& printer, DWORD& enable) {
  CRegistryKey parent;
  if (!parent.Open(HKEY_CURRENT_USER, targetkeys::ParentPath(false), false, KEY_READ)) return 0;
  for (DWORD i = 0;; ++i) {
    const std::wstring sub = parent.EnumKey(i);
    if (sub.empty()) return 0;
    CRegistryKey key;
    std::wstring name;
    if (!key.Open(parent.Get(), sub, false, KEY_READ) || !key.ReadString(L"Name", name) || !SameNoCase(name, printer))
      continue;
    const DWORD value = key.QueryDword(L"TrayIconEnable");
    if (value != static_cast<DWORD>(-1)) {
      enable = value;
      return 1;
    }
  }
}

int CheckInkOrderReg(const std::wstring& driver, const InkOrderWait& wait) {
  CDebugLog log("CheckInkOrderReg");
  const std::wstring key = L"software\\TALMER\\" + driver + L" IO_URL";
  if (key.size() > icons::kShortText) return 0;
  for (int attempt = 1;; ++attempt) {
    if (support::MachineKeyOpens(key) || attempt > wait.attempts) return attempt - 1;
    log.Write("Wait 1000ms x %d.\n", attempt);
    Sleep(wait.pauseMs);
  }
}

int ExecuteIcon(const std::wstring& printer, const std::wstring& driver, const std::wstring& model, DWORD traySetting,
                int install) {
  CDebugLog log("ExecuteIcon");
  const std::wstring program = FindTrayProgram({printer, driver, L"", model});
  if (program.empty()) return 0;
  const std::u16string text = icons::InstallStartText(ToU16(printer), ToU16(model), traySetting == 0, install == 1);
  const std::wstring file = files::WriteNewTempFile(L"V_G", files::Utf16Bytes(ToWide(text), true));
  if (file.empty()) {
    log.Write("Error : no parameter file (%lu)\n", GetLastError());
    return 0;
  }
  const auto line = icons::FileCommandLine(ToU16(program), ToU16(file), icons::kLongText);
  if (!line || !Execute(program, ToWide(*line))) {
    log.Write("Error : tray program %s not started\n", program);
    DeleteFileW(file.c_str());
    return 0;
  }
  return 1;
}

OwnedMutex WaitForInstallTurn(DWORD pollMs) {
  CDebugLog log("WaitForInstallTurn");
  for (;;) {
    for (;;) {
      const KernelHandle other(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstallMutex));
      if (!other) break;
      Sleep(pollMs);
    }
    OwnedMutex mine(CreateMutexW(nullptr, TRUE, kInstallMutex));
    if (!mine) {
      log.Write("Error : CreateMutex (%lu)\n", GetLastError());
      return mine;
    }
    // Another installation made it between the look and the creation: wait for it.
    if (GetLastError() != ERROR_ALREADY_EXISTS) return mine;
  }
}

int StartCallingIcon(const std::wstring& printer, const std::wstring& driver, const std::wstring& model,
                     const InkOrderWait& wait) {
  CDebugLog log("StartCallingIcon");
  log.Write("StartCallingIcon : (%s, %s, %s)\n", printer, driver, model);
  std::wstring target;
  if (!printer.empty()) {
    const std::wstring cut = ToWide(icons::SplitPrinterFriendlyName(ToU16(printer)));
    target = GetRealFriendlyName(cut);
    if (target.empty()) target = cut;
  }
  std::wstring modelId = model;
  if (modelId.empty()) modelId = GetModelIdFromDriver(L"", driver);
  if (modelId.empty()) {
    log.Write("invalid /M parameter.\n");
    return 0;
  }
  const auto printers = spooler::EnumLocalPrinters();
  if (!printers) {
    log.Write("Error : the printers cannot be listed (%lu)\n", GetLastError());
    return 0;
  }
  for (const spooler::PrinterInfo& each : *printers) {
    if (!SameNoCase(each.driver, driver)) {
      log.Write("Skip %s : driver %s\n", each.name, each.driver);
      continue;
    }
    if (!IsMyTargetPrinter(each.name)) {
      log.Write("Skip %s : not a printer of this companion program\n", each.name);
      continue;
    }
    if (!target.empty() && !SameNoCase(target, each.name)) {
      log.Write("Skip %s : not %s\n", each.name, target);
      continue;
    }
    CreateDefaultRegistry(each.name, driver, modelId, each.port);
    DWORD enable = 0;
    if (!GetTrayIconInfo(each.name, enable)) {
      if (!PrinterExists(each.name)) {
        // Deleted meanwhile: its new entry goes again, the others go on.
        log.Write("Skip %s : deleted\n", each.name);
        CleanTargetPrnKeys();
        continue;
      }
      log.Write("Error : no tray setting for %s\n", each.name);
      return 0;
    }
    const TrayIdentity identity = {each.name, driver, each.port, modelId};
    RegInstallStartupEntry(identity);
    CheckInkOrderReg(driver, wait);
    ExecuteIcon(each.name, driver, modelId, enable, 1);
  }
  return 1;
}

}  // namespace moni::prefs
