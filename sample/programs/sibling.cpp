// V_G20RN1.EXE: stand-in for the sibling programs that the tray program and
// the library start (status window program; installed under other names as
// the ink-order program V_G20DP1.EXE and the driver update program
// V_SMPDU1.EXE). It reads its parameters with the monitor's own parser, which
// deletes a parameter file it was handed as the real programs do, and appends
// one line per start to "programs.log" in the simulator's scenario folder:
//
//   <program>\tP=<printer>\tO=<port>\tM=<model>\tD=<driver>\tE=<0|1>\tFU=<file>\tread=<0|1>\tgone=<0|1>
//   \tA=<0|1>\tT=<mode>\tL=<ink levels>\tN=<colours>\tIC=<ink codes>\tcmd=<line>
//
// as UTF-8 (one line; A to IC are what the status window hands the ink-order
// program). SIBLING_STAY_MS (environment, milliseconds) keeps it running that
// long after writing the line, so a test can see it alive.
//
// As the driver's companion program (V_G20DP1.EXE, the driver's "DepExe") it
// also does what a real one does after installation: with the switch
// "/ICONINSTALL" it calls PrIconInstall of monicore.dll (beside it) with the
// values of "/D" (driver), "/P" (printer, may be missing) and "/M" (model, may
// be missing), and adds "\tinstall=<result>" to its line.
//
// It also shows the ink-order pop-up as the companion program does: with "/A"
// (a reminder of the status window) it calls PrKioskaPopUp with the printer's
// identity and the option block of "/T" (mode), "/L" (ink left), "/N" (notify
// codes) and "/IC" (ink codes), a text that is not there passed as null, and
// adds "\tkioska=<result>"; with "/MENU" (the tray program's ink-order item)
// it calls PrKioskaPopUp in the mode "MENU" for the printer of "/P", or, with
// no printer, PrKiosSameDrvs for the driver of "/D", and adds "\tmenu=<result>".
// The line is written when the pop-up has closed.
//
// As the status window program (V_G20RN1.EXE) it opens what the real one
// opens after writing its line: with "/TD" the tray icon question
// (PrEntryIconDlg), otherwise the printer's status window in the detail type
// (PrStartView), which runs until it is closed. The preferences ("/E") and a
// maintenance command ("/MAINT") and an installation ("/ICONINSTALL") only
// leave their line.
// SIBLING_NO_WINDOWS (environment, any value) leaves that out, for tests that
// only follow what the tray program starts.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "api/monicore.h"
#include "foundation/command_line.h"
#include "kit.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text_core.h"
#include "platform/text.h"

namespace {

std::wstring ProgramName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

void Append(const std::wstring& line) {
  const std::wstring folder = moni::kit::ScenarioFolder();
  if (folder.empty()) return;
  moni::files::AppendEntry(folder + L"\\programs.log", moni::NarrowUtf8(moni::ToU16(line + L"\n")));
}

bool Requested(const std::wstring& cmd, std::u16string_view name) {
  for (const moni::cmdline::Switch& sw : moni::cmdline::ScanSwitches(moni::ToU16(cmd)).switches) {
    if (moni::cmdline::NameEquals(sw.name, name)) return true;
  }
  return false;
}

// An export of the monicore.dll beside the program; null when either is missing.
template <typename Fn>
Fn Export(const moni::Module& library, const char* name) {
  return moni::ProcAddress<Fn>(library.get(), name);
}

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

// The exports' results, or -1 when the library or the export is missing.
int CallIconInstall(const moni::Module& library, const CTrayCommandLineInfo& info) {
  const auto fn = Export<int(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR)>(library, "PrIconInstall");
  return fn ? fn(info.m_szPrinterName.c_str(), info.m_szDriverName.c_str(), info.m_szModelID.c_str()) : -1;
}

int CallKioskaPopUp(const moni::Module& library, const CTrayCommandLineInfo& info, const std::wstring& mode,
                    const std::wstring& inkLeft, const std::wstring& notify, const std::wstring& codes) {
  const auto fn = Export<int(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, const KioskaOption*)>(library, "PrKioskaPopUp");
  const KioskaOption option{OrNull(mode), OrNull(inkLeft), OrNull(notify), OrNull(codes)};
  return fn ? fn(info.m_szPrinterName.c_str(), info.m_szDriverName.c_str(), info.m_szPortName.c_str(),
                 info.m_szModelID.c_str(), &option)
            : -1;
}

int CallSameDrivers(const moni::Module& library, const CTrayCommandLineInfo& info) {
  const auto fn = Export<int(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR)>(library, "PrKiosSameDrvs");
  return fn ? fn(info.m_szDriverName.c_str(), info.m_szModelID.c_str(), L"MENU") : -1;
}

// What the program does as the companion program, as the tail of its line.
std::wstring ActAsCompanion(const std::wstring& switches, const CTrayCommandLineInfo& info) {
  const bool install = Requested(switches, u"ICONINSTALL"), menu = Requested(switches, u"MENU");
  if (!install && !info.fields.a && !menu) return {};
  const moni::Module library(LoadLibraryW((moni::kit::ProgramFolder() + L"monicore.dll").c_str()));
  if (install) return L"\tinstall=" + std::to_wstring(CallIconInstall(library, info));
  const moni::cmdline::TrayFields& f = info.fields;
  if (f.a) {
    using moni::ToWide;
    return L"\tkioska=" +
           std::to_wstring(CallKioskaPopUp(library, info, ToWide(f.t), ToWide(f.l), ToWide(f.n), ToWide(f.ic)));
  }
  const int result = info.m_szPrinterName.empty() ? CallSameDrivers(library, info)
                                                  : CallKioskaPopUp(library, info, L"MENU", L"", L"", L"");
  return L"\tmenu=" + std::to_wstring(result);
}

// What the status window program opens for its parameters, through the
// monicore.dll beside it.
void OpenStatusWindow(const CTrayCommandLineInfo& info, const std::wstring& cmd) {
  if (info.fields.preferences || Requested(cmd, u"MAINT") || Requested(cmd, u"ICONINSTALL")) return;
  const moni::Module library(LoadLibraryW((moni::kit::ProgramFolder() + L"monicore.dll").c_str()));
  if (info.fields.td) {
    if (const auto fn = Export<int(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR)>(library, "PrEntryIconDlg"))
      fn(info.m_szPrinterName.c_str(), info.m_szDriverName.c_str(), info.m_szPortName.c_str(), info.m_szModelID.c_str());
    return;
  }
  using StartViewFn = int(WINAPI*)(int, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, void*, DWORD);
  if (const auto fn = Export<StartViewFn>(library, "PrStartView")) {
    fn(2, info.m_szPrinterName.c_str(), info.m_szDriverName.c_str(), info.m_szPortName.c_str(), info.m_szModelID.c_str(), L"", L"",
       nullptr, 0);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The command line without the program's own name.
  std::wstring cmd = GetCommandLineW();
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc > 0) {
    const std::wstring first = argv[0];
    const size_t at = cmd.find(first);
    if (at != std::wstring::npos) {
      size_t end = at + first.size();
      if (end < cmd.size() && cmd[end] == L'"') ++end;
      cmd = cmd.substr(end);
    }
  }
  if (argv) LocalFree(argv);

  // The switches of a parameter file are read before the parser deletes it.
  CTrayCommandLineInfo first;
  first.Parse(cmd, false);
  std::wstring used, fileText, text;
  if (!first.m_szParamFile.empty()) ReadParameterFile(first.m_szParamFile, fileText, used);
  CTrayCommandLineInfo info;
  info.Parse(cmd);
  const bool gone = !info.m_szParamFile.empty() && !ReadParameterFile(info.m_szParamFile, text, used);
  const std::wstring companion = ActAsCompanion(cmd + L"\n" + fileText, info);
  Append(ProgramName() + L"\tP=" + info.m_szPrinterName + L"\tO=" + info.m_szPortName + L"\tM=" + info.m_szModelID +
         L"\tD=" + info.m_szDriverName + L"\tE=" + (info.fields.preferences ? L"1" : L"0") + L"\tFU=" +
         info.m_szParamFile + L"\tread=" + (info.m_fParamFileRead ? L"1" : L"0") + L"\tgone=" + (gone ? L"1" : L"0") +
         L"\tA=" + (info.fields.a ? L"1" : L"0") + L"\tT=" + moni::ToWide(info.fields.t) + L"\tL=" +
         moni::ToWide(info.fields.l) + L"\tN=" + moni::ToWide(info.fields.n) + L"\tIC=" + moni::ToWide(info.fields.ic) +
         L"\tcmd=" + cmd + companion);

  wchar_t stay[32] = {};
  if (GetEnvironmentVariableW(L"SIBLING_STAY_MS", stay, 32) > 0) Sleep(std::wcstoul(stay, nullptr, 10));
  if (_wcsicmp(ProgramName().c_str(), L"V_G20RN1.EXE") == 0 && GetEnvironmentVariableW(L"SIBLING_NO_WINDOWS", nullptr, 0) == 0)
    OpenStatusWindow(info, cmd);
  return 0;
}
