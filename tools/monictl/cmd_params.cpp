// monictl params: what a command line or a parameter file carries, as the
// tray program reads it: the switches in text order and the fields after the
// parse (identity completed from the spooler and the setup data). A parameter
// file is read and never deleted.
#include <windows.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "foundation/command_line.h"
#include "platform/text.h"

namespace monictl {

namespace {

struct TextField {
  const char* name;
  const std::u16string moni::cmdline::TrayFields::*field;
};
struct FlagField {
  const char* name;
  bool moni::cmdline::TrayFields::*field;
};

using F = moni::cmdline::TrayFields;
constexpr TextField kTexts[] = {{"printerName", &F::printerName}, {"driverName", &F::driverName},
                                {"portName", &F::portName},       {"modelId", &F::modelId},
                                {"paramFile", &F::paramFile},     {"J", &F::j},
                                {"TLM", &F::tlm},                 {"T", &F::t},
                                {"L", &F::l},                     {"N", &F::n},
                                {"IC", &F::ic},                   {"X", &F::x},
                                {"PS", &F::ps},                   {"RP", &F::rp}};
constexpr FlagField kFlags[] = {{"remove", &F::remove},  {"preferences", &F::preferences}, {"iconInstall", &F::iconInstall},
                                {"S", &F::s},            {"U", &F::u},                     {"C", &F::c},
                                {"SPL", &F::spl},        {"DP", &F::dp},                   {"A", &F::a},
                                {"PPOP", &F::ppop},      {"BSR", &F::bsr},                 {"TD", &F::td}};

}  // namespace

int CmdParams(const Args& args) {
  std::wstring text;
  bool json = false, haveText = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--json") {
      json = true;
    } else if (args[i] == L"--file" && i + 1 < args.size() && !haveText) {
      std::wstring used;
      if (!ReadParameterFile(args[++i], text, used)) {
        // The file is looked for as given, then in the temporary folder: the
        // reason is that of the one that exists.
        const std::wstring& given = args[i];
        const auto exists = [](const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; };
        const bool inTemp = !exists(given) && !used.empty() && exists(used);
        const std::wstring& shown = inTemp ? used : given;
        std::string reason = ReadProblem(shown, CTrayCommandLineInfo::kMaxParamFileBytes, "parameter file");
        if (!inTemp && !exists(given)) reason += ", here or in the temporary folder";
        fprintf(stderr, "monictl: the parameter file \"%s\" cannot be read: %s\n", Utf8(shown).c_str(), reason.c_str());
        return 1;
      }
      haveText = true;
    } else if (!haveText) {
      text = args[i];
      haveText = true;
    } else {
      return UsageError("params takes one TEXT or --file FILE");
    }
  }
  if (!haveText) return UsageError("params needs TEXT or --file FILE");

  CTrayCommandLineInfo info;
  info.Parse(text, false);
  const moni::cmdline::TrayFields& f = info.fields;
  const auto switches = moni::cmdline::ScanSwitches(moni::ToU16(text)).switches;

  if (!json) {
    for (const moni::cmdline::Switch& sw : switches) {
      printf("/%s%s%s\n", Utf8(moni::ToWide(sw.name)).c_str(), sw.value ? " = " : "",
             sw.value ? Utf8(moni::ToWide(*sw.value)).c_str() : "");
    }
    for (const TextField& t : kTexts) printf("%-12s %s\n", t.name, Utf8(moni::ToWide(f.*t.field)).c_str());
    for (const FlagField& b : kFlags) printf("%-12s %s\n", b.name, (f.*b.field) ? "yes" : "no");
    printf("%-12s %d\n%-12s %llu\n", "iconFrom", f.iconFrom, "window", static_cast<unsigned long long>(f.window));
    return 0;
  }
  std::string out = "{\"switches\":[";
  for (size_t i = 0; i < switches.size(); ++i) {
    out += (i ? ",{\"name\":" : "{\"name\":") + JsonString(moni::ToWide(switches[i].name)) + ",\"value\":" +
           (switches[i].value ? JsonString(moni::ToWide(*switches[i].value)) : std::string("null")) + "}";
  }
  out += "],\"fields\":{";
  for (const TextField& t : kTexts) out += "\"" + std::string(t.name) + "\":" + JsonString(moni::ToWide(f.*t.field)) + ",";
  for (const FlagField& b : kFlags) out += "\"" + std::string(b.name) + "\":" + ((f.*b.field) ? "true," : "false,");
  out += "\"iconFrom\":" + std::to_string(f.iconFrom) + ",\"window\":" + std::to_string(f.window) +
         ",\"paramFileRead\":" + (info.m_fParamFileRead ? "true" : "false") + "}}";
  puts(out.c_str());
  return 0;
}

}  // namespace monictl
