// monictl icons: the tray programs in the user's start-up list, and the two
// exports that put them there.
//
//   icons list [--json]      the start-up values that start a tray program, with
//                            their parameter files decoded (never deleted)
//   icons install DRIVER [--printer NAME] [--model ID]
//                            PrIconInstall as the driver's companion program
//                            calls it, then what each printer of the driver got
//   icons ask PRINTER        PrEntryIconDlg: the question for one printer
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "api/monicore.h"
#include "commands.h"
#include "foundation/base_info.h"
#include "foundation/command_line.h"
#include "foundation/dat_reader.h"
#include "foundation/registry_key.h"
#include "foundation/startup_list.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "ui/prefs/icon_install.h"

namespace monictl {

namespace {

struct ListedEntry {
  std::wstring name, command, program, file;
  bool fileExists = false;
  moni::cmdline::TrayFields fields;
  std::string problem;  // empty when the file was read and names a printer or port
};

// The start-up values in the Run key that carry a parameter file and "/EF".
std::vector<ListedEntry> StartupEntries() {
  std::vector<ListedEntry> entries;
  CRegistryKey run;
  if (!run.Open(HKEY_CURRENT_USER, moni::startup::kRunKey, false, KEY_READ)) return entries;
  for (DWORD i = 0;; ++i) {
    const std::wstring name = run.EnumValue(i);
    if (name.empty()) break;
    ListedEntry entry;
    entry.name = name;
    if (!run.ReadString(name, entry.command)) continue;
    const auto value = moni::startup::ParseStartupValue(moni::ToU16(entry.command));
    if (value.paramFile.empty() || value.from.empty()) continue;
    entry.program = moni::ToWide(value.program);
    entry.file = moni::ToWide(value.paramFile);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    entry.fileExists = GetFileAttributesExW(entry.file.c_str(), GetFileExInfoStandard, &data) &&
                       !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string bytes;
    if (!entry.fileExists) {
      entry.problem = "missing";
    } else if (data.nFileSizeHigh != 0 || data.nFileSizeLow > CTrayCommandLineInfo::kMaxParamFileBytes) {
      entry.problem = "too large";
    } else if (!moni::files::ReadWholeFile(entry.file, bytes, CTrayCommandLineInfo::kMaxParamFileBytes)) {
      entry.problem = "unreadable";
    } else {
      moni::cmdline::ApplySwitches(moni::cmdline::DecodeParameterFile(bytes), entry.fields);
      if (entry.fields.printerName.empty() && entry.fields.portName.empty()) entry.problem = "no printer or port in it";
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

int List(const Args& args) {
  bool json = false;
  for (const std::wstring& arg : args) {
    if (arg != L"--json") return UsageError("icons list takes only --json");
    json = true;
  }
  const std::vector<ListedEntry> entries = StartupEntries();
  if (!json) {
    if (entries.empty()) puts("no tray program in the start-up list");
    for (const ListedEntry& e : entries) {
      printf("%s\n  program  %s\n  file     %s%s\n", Utf8(e.name).c_str(), Utf8(e.program).c_str(), Utf8(e.file).c_str(),
             e.problem.empty() ? "" : (" (" + e.problem + ")").c_str());
      if (e.problem.empty()) {
        printf("  printer  %s\n  port     %s\n  model    %s\n", Utf8(moni::ToWide(e.fields.printerName)).c_str(),
               Utf8(moni::ToWide(e.fields.portName)).c_str(), Utf8(moni::ToWide(e.fields.modelId)).c_str());
      }
    }
    return 0;
  }
  std::string out = "{\"entries\":[";
  for (size_t i = 0; i < entries.size(); ++i) {
    const ListedEntry& e = entries[i];
    out += std::string(i ? "," : "") + "{\"name\":" + JsonString(e.name) + ",\"command\":" + JsonString(e.command) +
           ",\"program\":" + JsonString(e.program) + ",\"file\":" + JsonString(e.file) +
           ",\"fileExists\":" + (e.fileExists ? "true" : "false") +
           ",\"printer\":" + JsonString(moni::ToWide(e.fields.printerName)) +
           ",\"port\":" + JsonString(moni::ToWide(e.fields.portName)) +
           ",\"model\":" + JsonString(moni::ToWide(e.fields.modelId)) +
           ",\"problem\":" +
           (e.problem.empty() ? std::string("null") : JsonString(std::wstring(e.problem.begin(), e.problem.end()))) + "}";
  }
  puts((out + "]}").c_str());
  return 0;
}

moni::Module LoadMonicore() {
  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib) fprintf(stderr, "monictl: monicore.dll could not be loaded (error %lu)\n", GetLastError());
  return lib;
}

std::wstring StartupValueOf(const std::wstring& name) {
  CRegistryKey run;
  std::wstring value;
  if (run.Open(HKEY_CURRENT_USER, moni::startup::kRunKey, false, KEY_READ)) run.ReadString(name, value);
  return value;
}

int Install(const Args& args) {
  if (args.empty() || args[0].rfind(L"--", 0) == 0) return UsageError("icons install needs DRIVER");
  const std::wstring driver = args[0];
  std::wstring printer, model;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == L"--printer" && i + 1 < args.size()) {
      printer = args[++i];
    } else if (args[i] == L"--model" && i + 1 < args.size()) {
      model = args[++i];
    } else {
      return UsageError("icons install DRIVER [--printer NAME] [--model ID]");
    }
  }
  const auto all = moni::spooler::EnumLocalPrinters();
  if (!all) {
    fputs("monictl: the printers cannot be listed\n", stderr);
    return 1;
  }
  std::map<std::wstring, std::wstring> before;  // the driver's printers and their start-up values
  for (const auto& each : *all) {
    if (CompareStringOrdinal(each.driver.c_str(), -1, driver.c_str(), -1, TRUE) == CSTR_EQUAL)
      before[each.name] = StartupValueOf(each.name);
  }
  const moni::Module lib = LoadMonicore();
  const auto install = moni::ProcAddress<decltype(&PrIconInstall)>(lib.get(), "PrIconInstall");
  if (!install) return 1;
  const int result = install(printer.c_str(), driver.c_str(), model.c_str());
  printf("PrIconInstall : %d\n", result);
  if (before.empty()) printf("the driver \"%s\" has no printers\n", Utf8(driver).c_str());
  for (const auto& [name, value] : before) {
    const bool written = StartupValueOf(name) != value;
    std::string why = written ? "start-up entry written, tray program started" : "skipped";
    if (!written && !moni::prefs::IsMyTargetPrinter(name)) {
      const std::wstring companion = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, name,
                                                                     L"Software\\TALMER\\VGL3\\Driver\\" + driver, L"DepExe");
      why = "skipped: only the driver's companion program (\"DepExe\" = \"" + Utf8(companion) + "\") installs its icons";
    }
    printf("%s : %s\n", Utf8(name).c_str(), why.c_str());
  }
  return 0;
}

int Ask(const Args& args) {
  if (args.size() != 1) return UsageError("icons ask PRINTER");
  const std::wstring& printer = args[0];
  moni::spooler::PrinterInfo info;
  if (!moni::spooler::GetPrinterInfo(printer, info)) {
    fprintf(stderr, "monictl: no printer \"%s\"\n", Utf8(printer).c_str());
    return 1;
  }
  const std::wstring model = GetModelIdFromDriver(info.name, info.driver);
  const moni::Module lib = LoadMonicore();
  const auto ask = moni::ProcAddress<decltype(&PrEntryIconDlg)>(lib.get(), "PrEntryIconDlg");
  if (!ask) return 1;
  const int result = ask(info.name.c_str(), info.driver.c_str(), info.port.c_str(), model.c_str());
  if (result != 0) {
    printf("PrEntryIconDlg : %d (the question could not be shown, or it is open already)\n", result);
    return 1;
  }
  printf("PrEntryIconDlg : 0 (answered; start-up entry %s)\n", StartupValueOf(info.name).empty() ? "none" : "written");
  return 0;
}

}  // namespace

int CmdIcons(const Args& args) {
  if (args.empty()) return UsageError("icons needs list, install or ask");
  const Args rest(args.begin() + 1, args.end());
  if (args[0] == L"list") return List(rest);
  if (args[0] == L"install") return Install(rest);
  if (args[0] == L"ask") return Ask(rest);
  return UsageError("icons needs list, install or ask");
}

}  // namespace monictl
