// kit_install: puts the sample printer kit into this Windows installation (a
// Wine prefix or a test machine): the communication library stand-ins into
// the system folder, the five sample drivers with their files, the four
// sample printers and their simulator scenarios. Runs again without harm;
// prints one line per step and ends with 0 when everything worked.
#include <cstdio>
#include <string>

#include "kit.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace {

void Print(const std::wstring& line) {
  std::string text;
  if (!moni::WideToAnsi(line, text)) text = "(line not representable)";
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadText(const std::wstring& path, std::string& text) {
  moni::KernelHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  text.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return true;
}

struct SamplePrinter {
  const wchar_t* name;
  const wchar_t* port;
  const wchar_t* scenario;  // in kit_scenarios\ beside this program
};

constexpr SamplePrinter kPrinters[] = {
    {moni::kit::kPrinter, L"USB001", L"local.ini"},
    {moni::kit::kPrinterNetwork, L"IP_127.0.0.1", L"network.ini"},
    {moni::kit::kPrinterOtherModel, L"USB002", L"othermodel.ini"},
    {moni::kit::kPrinterNoStatus, L"USB003", L"nostatus.ini"},
};

struct SampleDriver {
  const wchar_t* name;
  const wchar_t* dataFile;
};

constexpr SampleDriver kDrivers[] = {
    {moni::kit::kDriver, moni::kit::kDataFile},
    {moni::kit::kDriverNoLib, moni::kit::kDataFileNoLib},
    {moni::kit::kDriverPartial, moni::kit::kDataFilePartial},
    {moni::kit::kDriverIcons, moni::kit::kDataFileIcons},
    {moni::kit::kDriverIconsOff, moni::kit::kDataFileIconsOff},
    {moni::kit::kDriverInkOrder, moni::kit::kDataFileInkOrder},
};

}  // namespace

int wmain() {
  const moni::kit::Report report = [](const std::wstring& line) { Print(L"  " + line); };
  const std::wstring from = moni::kit::ProgramFolder();
  bool ok = true;

  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  Print(L"communication library stand-ins -> " + std::wstring(system));
  for (const wchar_t* library : {L"BQAPI.DLL", L"BQAPINX.DLL", L"BQSACTL.DLL"}) {
    if (!Exists(from + library)) {
      Print(L"  warning: " + from + library + L" not built, skipped");
      continue;
    }
    ok = moni::kit::CopyIfChanged(from + library, std::wstring(system) + L"\\" + library, report) && ok;
  }

  Print(L"printer-driver directory " + moni::kit::DriverDirectory());
  for (const SampleDriver& driver : kDrivers) {
    Print(L"driver \"" + std::wstring(driver.name) + L"\" (" + driver.dataFile + L")");
    if (!moni::kit::InstallDriver(driver.name, driver.dataFile, report)) {
      Print(L"  FAILED");
      ok = false;
    }
  }
  // The main sample driver's ink-ordering key, as its installer writes it.
  const std::wstring inkOrderKey = moni::kit::InkOrderKeyOf(moni::kit::kDriver);
  if (moni::kit::WriteInkOrderKey(inkOrderKey, moni::kit::SampleInkOrderValues())) {
    Print(L"ink-ordering key HKLM\\" + inkOrderKey);
  } else {
    Print(L"cannot write the ink-ordering key HKLM\\" + inkOrderKey);
    ok = false;
  }
  // The web browser's stand-in opens the http and https addresses.
  const std::wstring recorder = std::wstring(system) + L"\\" + moni::kit::kUrlRecorder;
  if (moni::kit::CopyIfChanged(from + moni::kit::kUrlRecorder, recorder, report) && moni::kit::RegisterUrlOpener(recorder)) {
    Print(L"web addresses open " + recorder);
  } else {
    Print(L"cannot register " + recorder + L" for web addresses");
    ok = false;
  }
  if (!ok) {
    Print(L"kit install failed");
    return 1;
  }

  const std::wstring scenarios = moni::kit::ScenarioFolder();
  Print(L"scenario folder " + scenarios);
  if (scenarios.empty()) ok = false;
  for (const SamplePrinter& printer : kPrinters) {
    Print(L"printer \"" + std::wstring(printer.name) + L"\" on " + printer.port);
    std::string scenario;
    if (!ReadText(from + L"kit_scenarios\\" + printer.scenario, scenario)) {
      Print(L"  cannot read scenario " + std::wstring(printer.scenario));
      ok = false;
      continue;
    }
    // The network printer answers through the SNMP agent of this run.
    scenario = moni::kit::WithAgent(scenario, moni::kit::AgentAddress());
    for (int openType : {moni::kit::kOpenByPrinter, moni::kit::kOpenByPort}) {
      const std::wstring key = openType == moni::kit::kOpenByPrinter ? printer.name : printer.port;
      if (moni::kit::WriteScenario(openType, key, scenario)) {
        Print(L"  scenario " + moni::kit::ScenarioFileName(openType, key));
      } else {
        Print(L"  cannot write scenario " + moni::kit::ScenarioFileName(openType, key) + L": error " +
              std::to_wstring(GetLastError()));
        ok = false;
      }
    }
    if (moni::kit::AddPrinter(printer.name, moni::kit::kDriver, printer.port)) {
      Print(L"  added");
    } else {
      Print(L"  cannot add printer: error " + std::to_wstring(GetLastError()));
      ok = false;
    }
  }
  Print(ok ? L"kit installed" : L"kit install failed");
  return ok ? 0 : 1;
}
