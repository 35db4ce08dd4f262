#include "ui/prefs/startup_entry.h"

#include <windows.h>

#include <cstdint>
#include <optional>

#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/registry_key.h"
#include "foundation/startup_list.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "ui/prefs/icon_texts_core.h"

namespace moni::prefs {

namespace {

constexpr wchar_t kParamFilePrefix[] = L"V_G";
constexpr wchar_t kDefaultTrayProgram[] = L"V_G20IC1.EXE";

std::wstring EntryNameOf(const TrayIdentity& identity) {
  return ToWide(startup::EntryName(ToU16(identity.printer), ToU16(identity.port)));
}

std::wstring WriteParamFile(const std::u16string& text) {
  return files::WriteNewTempFile(kParamFilePrefix, files::Utf16Bytes(ToWide(text), true));
}

// The start-up list, opened or created for writing (in its 64-bit view from a
// 32-bit process).
bool OpenRunKey(CRegistryKey& run) {
  const REGSAM view = IsWow64() ? KEY_WOW64_64KEY : 0;
  return run.Open(HKEY_CURRENT_USER, startup::kRunKey, true, KEY_ALL_ACCESS | view);
}

// A new parameter file for the printer's start-up entry and the command line
// that names it; nothing (and no file left) when a text does not fit or the
// file cannot be written.
std::optional<std::wstring> NewStartupCommand(const TrayIdentity& identity, const std::wstring& program,
                                              size_t maxText, size_t maxLine, CDebugLog& log) {
  const auto text = icons::StartupParamText(ToU16(identity.printer), ToU16(identity.port), ToU16(identity.model), maxText);
  if (!text) {
    log.Write("Error : the parameter text does not fit\n");
    return std::nullopt;
  }
  const std::wstring file = WriteParamFile(*text);
  if (file.empty()) {
    log.Write("Error : no parameter file (%lu)\n", GetLastError());
    return std::nullopt;
  }
  const auto line = icons::StartupCommandLine(ToU16(program), ToU16(file), maxLine);
  if (!line) {
    log.Write("Error : the command line does not fit\n");
    DeleteFileW(file.c_str());
    return std::nullopt;
  }
  return ToWide(*line);
}

}  // namespace

int IsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto fn = ProcAddress<IsWow64ProcessFn>(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process");
  BOOL wow64 = FALSE;
  return fn && fn(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

std::wstring FindTrayProgram(const TrayIdentity& identity) {
  return FindSiblingProgram(identity.printer, identity.driver, identity.model, L"V_GICN", kDefaultTrayProgram);
}

bool Execute(const std::wstring& program, const std::wstring& commandLine) {
  CDebugLog log("Execute");
  StartedProcess started;
  if (!StartProgram(program, commandLine, started)) {
    log.Write("Error : CreateProcess %s (%lu)\n", program, GetLastError());
    return false;
  }
  return true;
}

int RegStartupEntry(int enable, const TrayIdentity& identity) {
  CDebugLog log("RegStartupEntry");
  const std::wstring name = EntryNameOf(identity);
  startup::DelOldIconRegFile(HKEY_CURRENT_USER, startup::kRunKey, name);
  CRegistryKey run;
  if (enable != 1) {
    std::wstring value;
    if (OpenRunKey(run) && run.ReadString(name, value) && !value.empty()) RegDeleteValueW(run.Get(), name.c_str());
    return 1;
  }
  const std::wstring program = FindTrayProgram(identity);
  std::wstring line;
  if (!program.empty()) line = NewStartupCommand(identity, program, SIZE_MAX, icons::kLongText, log).value_or(L"");
  log.Write("szCmdLine = %s\n", line);
  if (!OpenRunKey(run) || !run.SetString(name, line)) log.Write("Error : start-up entry %s not written\n", name);
  return 1;
}

bool RegInstallStartupEntry(const TrayIdentity& identity) {
  CDebugLog log("RegInstallStartupEntry");
  const std::wstring name = EntryNameOf(identity);
  const std::wstring program = FindTrayProgram(identity);
  if (program.empty()) return false;
  const auto line = NewStartupCommand(identity, program, icons::kShortText, icons::kShortText, log);
  if (!line) return false;
  log.Write("szCmdLine = %s\n", *line);
  const startup::OldIconFile old = startup::ReadOldIconFile(HKEY_CURRENT_USER, startup::kRunKey, name);
  CRegistryKey run;
  if (!OpenRunKey(run) || !run.SetString(name, *line)) {
    log.Write("Error : start-up entry %s not written\n", name);
    DeleteFileW(ToWide(startup::ParseStartupValue(ToU16(*line)).paramFile).c_str());
    return false;
  }
  if (startup::IsOwnParamFile(old.file)) DeleteFileW(old.file.c_str());
  return true;
}

int StartTrayIconExe(int enable, const TrayIdentity& identity) {
  CDebugLog log("StartTrayIconExe");
  const std::wstring program = FindTrayProgram(identity);
  if (program.empty()) return 0;
  const bool remove = enable == 0;
  const std::wstring file =
      WriteParamFile(icons::TrayStartText(ToU16(identity.printer), ToU16(identity.port), ToU16(identity.model), remove));
  std::optional<std::u16string> line;
  if (!file.empty()) {
    // The tray program looks a bare name up in the temporary folder.
    line = icons::FileCommandLine(ToU16(program), ToU16(file.substr(file.find_last_of(L'\\') + 1)), icons::kLongText);
  } else {
    line = icons::InlineCommandLine(ToU16(program), ToU16(identity.printer), ToU16(identity.port), ToU16(identity.model),
                                    remove, icons::kLongText);
  }
  if (!line) {
    log.Write("Error : the command line does not fit\n");
    if (!file.empty()) DeleteFileW(file.c_str());
    return 0;
  }
  log.Write("szCmdLine = %s\n", ToWide(*line));
  if (!Execute(program, ToWide(*line))) {
    if (!file.empty()) DeleteFileW(file.c_str());
    return 0;
  }
  return 1;
}

}  // namespace moni::prefs
