// The status window's actions against printers of the tests' own: the
// cancel button in the detail and pop-up types, the job reset's retries on a
// busy print server, the close button while a job is known, the support
// button, tip help without a help file, the printing preferences' one caller
// at a time and the job queue without a printer name; pictures of the
// stand-in dialogs and the version dialog in both languages.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "api/driver_dialogs.h"
#include "api/start_view.h"
#include "foundation/base_info.h"
#include "foundation/printer_settings_core.h"
#include "foundation/registry_key.h"
#include "foundation/request_block.h"
#include "foundation/target_keys.h"
#include "job_list.h"
#include "kit.h"
#include "platform/files.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "resources.h"
#include "ui/status/stand_in_dialog.h"
#include "status_window_fixture.h"
#include "window_support.h"

namespace moni::test {
namespace {

const std::string kInkCancel = std::string("010100" "020106") + kInks;  // status 5: Cancel (1606), Move Cartridge Holder

// The caption of the window's main button (control 1 of a sub-view).
std::wstring MainButton(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        if (GetDlgCtrlID(child) != IDOK || !IsWindowVisible(child)) return TRUE;
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found ? WindowText(found) : std::wstring();
}

size_t CountLines(const std::string& text, const std::vector<std::string>& parts) {
  size_t n = 0;
  for (const std::string& line : Lines(text)) {
    n += std::all_of(parts.begin(), parts.end(), [&](const std::string& p) { return line.find(p) != std::string::npos; });
  }
  return n;
}

class StatusActions : public StatusWindowFixture {
 protected:
  void SetUp() override {
    Prepare(L"Actions ", L"USB4");
    if (HasFatalFailure()) return;
    Scenario(kReady);
    // No tray icon question: the status program would ask it in a process of its own.
    MakePrinterKey();
    SetKeyValue(L"TrayIconEnable", 0);
  }

  // The printer answers every status read with one reply; `network`: it is
  // reached through a "D4" print server on channel 0x00000004 as well.
  void Scenario(const std::string& fields, bool network = false) {
    std::string text = std::string("[Printer]\nDeviceID=MFG:TALMER;CMD:ESCPL2,BDC") + (network ? ",D4" : "") +
                       ";MDL:SMP-100;\nChannels=" + (network ? "0x00000004:0x8007," : "") +
                       "0x10000005:0x0007\nAdvance=call\nAtEnd=stay\nReply1=" + Hex(Reply(fields)) + "\n";
    if (network) text += "[Network]\nAgent=" + kit::AgentAddress() + "\n";
    ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer, text));
  }
  // A job that runs until it is deleted, deletes ignored; `host` its host
  // information (kind:hex data).
  void Job(DWORD job, const char* host) {
    const std::string text = "[Job1]\nWinJobId=" + std::to_string(job) +
                             "\nDocument=Quarterly report\nPaperCodes=1,2,3\nMediaType=Plain paper\nPaperSize=A4\n"
                             "Sheets=1,2\nProgress=100\nDuration=never\nInfo104=9\nOnDelete=ignore\nHost=" + host + "\n";
    ASSERT_TRUE(WriteTextFile(jobFolder + L"\\" + kit::ScenarioFileName(kit::kOpenByPrinter, printer), text));
    ASSERT_TRUE(WritePrivateProfileStringW(printer.c_str(), std::to_wstring(job).c_str(), L"RAW", (jobFolder + L"\\jobs.ini").c_str()));
  }

  view::DetailOptions Fast() {
    view::DetailOptions options = ShortPeriods();
    options.playSound = [](HMODULE, WORD) { return true; };
    options.onUpdate = [this](const view::UpdateNote& note) {
      if (note.reason == 4) lastStatus = note.statusNo;
      lastType = note.dialogType;
      if (note.jobPercent >= 0) jobShown = true;
    };
    return options;
  }
  std::unique_ptr<ViewThread> Open(int type, const std::vector<std::uint8_t>* block = nullptr, const std::wstring& setupData = L"") {
    api::ViewArguments args;
    args.viewType = type;
    args.printer = printer;
    args.driver = kit::kDriver;
    args.port = port;
    args.model = kit::kModelID;
    args.datFile = setupData;
    if (block) {
      args.block = block->data();
      args.blockSize = static_cast<DWORD>(block->size());
    }
    const view::DetailOptions options = Fast();
    return std::make_unique<ViewThread>([args, options] { return api::StartView(args, options); });
  }
  // Presses a control of the status window as its sub-view passes it on.
  static void Press(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  // Ends the window whatever its type (a hidden one ignores its close box).
  void Close(ViewThread& thread) {
    if (HWND window = picture::DialogOfThread(thread.id())) PostMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ASSERT_TRUE(thread.Finish(10000));
  }

  // A copy of the model's setup data with values of the test's own.
  struct Value {
    const wchar_t *section, *name, *value;
  };
  std::wstring SetupData(const std::vector<Value>& values) {
    CBaseInfo& info = CBaseInfo::Instance();
    EXPECT_GE(info.SetPrinterInformation(printer, kit::kDriver, port, kit::kModelID, L"", L""), 0);
    const std::wstring path = folder + L"\\setup.dat";
    EXPECT_TRUE(CopyFileW(info.ProfileName.c_str(), path.c_str(), FALSE));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const Value& v : values) EXPECT_TRUE(WritePrivateProfileStringW(v.section, v.name, v.value, path.c_str()));
    return path;
  }

  std::string Journal() const { return ReadFileBytes(folder + L"\\journal.log"); }
  std::string JobJournal() const { return ReadFileBytes(jobFolder + L"\\journal.log"); }
  // Commands sent on a channel: BQSend calls on it.
  size_t Sends(const char* channel) const { return CountLines(Journal(), {" BQSend ", channel}); }
  // Jobs the progress meter asked to delete.
  size_t Deletes() const { return CountLines(JobJournal(), {"TLMA_SetJobInfo", " 201 0x00000003 "}); }

  std::wstring datFile;
  std::atomic<int> lastStatus{0}, lastType{0};
  std::atomic<bool> jobShown{false};
};

TEST_F(StatusActions, InkCancelInTheDetailTypeSendsRsAndCancelsNoJob) {
  Scenario(kInkCancel);
  Job(31, "1:4A4F4231");
  auto thread = Open(2);
  ASSERT_TRUE(WaitFor([&] { return lastStatus == 5; }, 10000));
  HWND window = picture::DialogOfThread(thread->id());
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_USERADDJOB, 0, 31);  // a job is known, and stays so
  ASSERT_TRUE(WaitFor([&] { return MainButton(window) == L"Cancel"; }, 5000)) << MainButton(window);
  EXPECT_EQ(lastType, 2);
  Sleep(300);  // the command channels are open
  const size_t commands = CountLines(Journal(), {" BQSend ", "0x10000005 5\r"}), deletes = Deletes();
  Press(window, IDOK);
  ASSERT_TRUE(WaitFor([&] { return CountLines(Journal(), {" BQSend ", "0x10000005 5\r"}) == commands + 1; }, 5000))
      << "one 5-byte command (\"rs\")";
  Sleep(500);
  EXPECT_EQ(CountLines(Journal(), {" BQSend ", "0x10000005 5\r"}), commands + 1);
  EXPECT_EQ(Deletes(), deletes) << "no job cancelled";
  EXPECT_FALSE(thread->Finish(0)) << "the window stays";
  Close(*thread);
}

// Behind a "D4" print server the pop-up keeps the printer's own button: it
// resets the job on the network channel instead of sending "rs", and cancels it.
TEST_F(StatusActions, InkCancelInThePopUpTypeResetsTheJobAndCancelsIt) {
  Scenario(kInkCancel, true);
  Job(33, "1:4A4F4233");
  {  // every condition pops up: the progress window of the job turns into a pop-up
    std::wstring key;
    ASSERT_EQ(GetTargetPrnKey(printer, false, key), 0);
    CRegistryKey notify;
    ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, key + L"\\" + moni::ToWide(settings::kNotifyKey), true, KEY_SET_VALUE));
    for (int code = 0; code < 128; ++code) notify.SetDword(moni::ToWide(settings::NotifyValueName(code)), 1);
  }
  const auto block = JobBlock(33);
  auto thread = Open(3, &block);
  ASSERT_TRUE(WaitFor([&] { return lastStatus == 5; }, 10000));
  HWND window = picture::DialogOfThread(thread->id());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return MainButton(window) == L"Cancel"; }, 10000)) << MainButton(window) << " type " << lastType;
  EXPECT_EQ(lastType, 1);
  const size_t resets = Sends("0x00000004"), rs = CountLines(Journal(), {" BQSend ", "0x10000005 5\r"});
  const size_t deletes = Deletes();
  Press(window, IDOK);
  ASSERT_TRUE(WaitFor([&] { return Sends("0x00000004") == resets + 1; }, 5000)) << "the reset on the print server";
  ASSERT_TRUE(WaitFor([&] { return Deletes() > deletes; }, 5000)) << "the job cancelled";
  Sleep(500);  // an "rj:OK;" answer: no resend
  EXPECT_EQ(Sends("0x00000004"), resets + 1);
  EXPECT_EQ(CountLines(Journal(), {" BQSend ", "0x10000005 5\r"}), rs) << "no \"rs\"";
  Close(*thread);
}

TEST_F(StatusActions, BusyPrintServerGetsTheResetThreeTimesMoreAndNoFourth) {
  Scenario(kReady, true);
  Job(32, "1:42555359");  // "BUSY": the print server answers "rj:BUSY;"
  const auto block = JobBlock(32);
  auto thread = Open(3, &block);
  ASSERT_TRUE(WaitFor([&] { return lastType == 3 && jobShown; }, 10000));
  HWND window = picture::DialogOfThread(thread->id());
  Sleep(300);
  const size_t before = Sends("0x00000004");
  Press(window, 308);  // stop
  ASSERT_TRUE(WaitFor([&] { return Sends("0x00000004") >= before + 4; }, 8000)) << Sends("0x00000004") - before;
  Sleep(1500);  // three pauses of 500 ms would have passed for a fifth
  EXPECT_EQ(Sends("0x00000004") - before, 4u) << "the reset and three resends";
  EXPECT_GE(Deletes(), 1u) << "the job was cancelled";
  Close(*thread);
}

TEST_F(StatusActions, CloseWithAJobStillKnownHidesTheWindow) {
  Job(33, "1:4A4F4231");
  auto thread = Open(2);
  ASSERT_TRUE(WaitFor([&] { return lastStatus == 1; }, 10000));
  HWND window = picture::DialogOfThread(thread->id());
  // The driver tells the window of a job that waits to be printed.
  PostMessageW(window, WM_USERADDJOB, 0, 33);
  Sleep(500);
  ASSERT_TRUE(IsWindowVisible(window));
  ASSERT_EQ(MainButton(window), L"Close");
  Press(window, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }, 5000)) << "hidden (type 4)";
  EXPECT_FALSE(thread->Finish(300)) << "the window goes on following the job";
  Close(*thread);
}

// The support button: an address asks first when the model wants it; a
// problem-solver file opens at once.
class SupportButton : public StatusActions {
 protected:
  void SetUp() override {
    StatusActions::SetUp();
    urlKey = std::wstring(L"software\\TALMER\\") + kit::kDriver + L" TS_URL";
    solverKey = std::wstring(L"software\\TALMER\\") + kit::kDriver + L" PSolver";
    // Files of this kind open in the web browser's stand-in, which records them.
    CRegistryKey http;
    ASSERT_TRUE(http.Open(HKEY_LOCAL_MACHINE, L"Software\\Classes\\http\\shell\\open\\command", false, KEY_QUERY_VALUE));
    const std::wstring opener = http.QueryString(L"");
    ASSERT_FALSE(opener.empty());
    CRegistryKey ext, command;
    ASSERT_TRUE(ext.Open(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.monisolve", true, KEY_SET_VALUE));
    ASSERT_TRUE(ext.SetString(L"", L"MoniTest.Solver"));
    ASSERT_TRUE(command.Open(HKEY_LOCAL_MACHINE, L"Software\\Classes\\MoniTest.Solver\\shell\\open\\command", true, KEY_SET_VALUE));
    ASSERT_TRUE(command.SetString(L"", opener));
    // The model asks before the support page.
    datFile = SetupData({{kit::kModelID, L"SupportDialog", L"1"}});
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, urlKey.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, solverKey.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.monisolve");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\MoniTest.Solver");
    StatusActions::TearDown();
  }
  std::vector<std::string> Opened() const { return Lines(ReadFileBytes(folder + L"\\" + kit::kUrlLog)); }
  // The message box of the window's thread, if one shows within `ms`.
  static HWND Question(DWORD thread, DWORD ms) {
    HWND found = nullptr;
    WaitFor(
        [&] {
          for (HWND w : ThreadWindows(thread)) {
            if (GetDlgItem(w, IDYES) && GetDlgItem(w, IDNO)) found = w;
          }
          return found != nullptr;
        },
        ms);
    return found;
  }
  std::wstring urlKey, solverKey;
};

TEST_F(SupportButton, AddressAsksFirstProblemSolverOpensWithoutAsking) {
  const std::wstring address = L"http://support.example.invalid/smp-100";
  CRegistryKey url;
  ASSERT_TRUE(url.Open(HKEY_LOCAL_MACHINE, urlKey + L"\\E", true, KEY_SET_VALUE));
  ASSERT_TRUE(url.SetString(L"TSupportURL", address));
  {
    auto thread = Open(2, nullptr, datFile);
    ASSERT_TRUE(WaitFor([&] { return lastStatus == 1; }, 10000));
    HWND window = picture::DialogOfThread(thread->id());
    Press(window, 386);
    HWND question = Question(thread->id(), 5000);
    ASSERT_NE(question, nullptr) << "asked first";
    ASSERT_TRUE(Click(question, IDNO));
    Sleep(1000);
    EXPECT_TRUE(Opened().empty()) << "No opens nothing";
    Press(window, 386);
    question = Question(thread->id(), 5000);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(Click(question, IDYES));
    ASSERT_TRUE(WaitFor([&] { return Opened().size() == 1; }, 10000));
    EXPECT_NE(Opened().back().find("support.example.invalid"), std::string::npos) << Opened().back();
    Close(*thread);
    lastStatus = 0;
  }
  // A problem-solver file found in a subkey of the key (its "E" names a file that is not there).
  const std::wstring solver = folder + L"\\solver.monisolve";
  ASSERT_TRUE(WriteTextFile(solver, "solver"));
  CRegistryKey missing, found;
  ASSERT_TRUE(missing.Open(HKEY_LOCAL_MACHINE, solverKey + L"\\E", true, KEY_SET_VALUE));
  ASSERT_TRUE(missing.SetString(L"KeyFile", folder + L"\\gone.monisolve"));
  ASSERT_TRUE(found.Open(HKEY_LOCAL_MACHINE, solverKey + L"\\SMP", true, KEY_SET_VALUE));
  ASSERT_TRUE(found.SetString(L"KeyFile", solver));
  auto thread = Open(2, nullptr, datFile);
  ASSERT_TRUE(WaitFor([&] { return lastStatus == 1; }, 10000));
  Press(picture::DialogOfThread(thread->id()), 386);
  ASSERT_TRUE(WaitFor([&] { return Opened().size() == 2; }, 10000)) << "opened without a question";
  EXPECT_EQ(Question(thread->id(), 0), nullptr);
  EXPECT_NE(Opened().back().find("solver.monisolve"), std::string::npos) << Opened().back();
  Close(*thread);
}

TEST_F(StatusActions, TipHelpWithoutAHelpFileShowsNothing) {
  datFile = SetupData({{L"ENU", L"HelpFile", L"missing.chm"}, {L"DEU", L"HelpFile", L"missing.chm"}});
  auto thread = Open(2, nullptr, datFile);
  ASSERT_TRUE(WaitFor([&] { return lastStatus == 1; }, 10000));
  HWND window = picture::DialogOfThread(thread->id());
  Press(window, 320);
  Sleep(800);
  EXPECT_EQ(ThreadWindows(thread->id()).size(), 1u) << "only the status window";
  EXPECT_FALSE(thread->Finish(0));
  Close(*thread);
}

TEST(PrintingPreferences, OneCallerAtATimeAndTheQueueNeedsAName) {
  {
    // Another caller holds the printing preferences: nothing is shown.
    KernelHandle other(CreateMutexW(nullptr, TRUE, api::kDocumentPropertiesMutex));
    ASSERT_TRUE(other);
    EXPECT_EQ(api::RunDocumentProperties(kit::kPrinter), 0);
    ReleaseMutex(other.get());
  }
  // Alone, for a printer that is not this program's, nothing needs showing.
  EXPECT_EQ(api::RunDocumentProperties(kit::kPrinter), 1);
  EXPECT_EQ(api::RunDocumentProperties(L""), 1);
  // The mutex is gone again: a second call is not refused.
  EXPECT_EQ(api::RunDocumentProperties(kit::kPrinter), 1);
  EXPECT_EQ(api::RunDisplaySpoolJob(L"", nullptr), -1);
}

// Pictures of the stand-in dialogs and the version dialog in both languages.
TEST(StandInDialogs, PicturesInBothLanguages) {
  if (ArtifactFolder().empty()) GTEST_SKIP() << "no artifact folder";
  struct Dialog {
    int id;
    const wchar_t* name;
    const wchar_t* text;
    const wchar_t* detail;
  };
  const Dialog dialogs[] = {
      {CStandInDialog::kTroubleshooting, L"troubleshooting", L"Troubleshooting 11010 (48 bytes)\r\nTALMER Sample Printer", L""},
      {CStandInDialog::kVersion, L"version", L"TALMER Vigilo 3", L"0.1.0"},
      {CStandInDialog::kDoubleSided, L"double_sided", L"0x00000002, job 12, printer TALMER Sample Printer", L""},
      {CStandInDialog::kCartridgeCheck, L"cartridge", L"job 12, TALMER Sample Printer\r\nC:\\windows\\system32\\spool\\SMP100.DAT",
       L"80, 90, 85, 60"},
      {CStandInDialog::kPaperGapLever, L"paper_gap_lever", L"0x00000080, job 12, printer TALMER Sample Printer", L""},
  };
  for (const wchar_t* language : {L"V_SMPRES.DLL", L"V_SMPRDE.DLL"}) {
    const std::wstring path = kit::ProgramFolder() + language;
    Module resources(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(resources) << path.size();
    const std::wstring suffix = std::wstring(language) == L"V_SMPRES.DLL" ? L"_en" : L"_de";
    for (const Dialog& d : dialogs) {
      for (const INT_PTR answer : {CStandInDialog::kContinue, CStandInDialog::kCancelJob}) {
        HMODULE module = resources.get();
        DialogThread thread([module, d] {
          return static_cast<int>(CStandInDialog::Run(module, d.id, nullptr, d.text, d.detail));
        });
        HWND dialog = WaitForDialog(thread.id(), CStandInDialog::kText);
        ASSERT_NE(dialog, nullptr) << d.id;
        EXPECT_EQ(ControlText(dialog, CStandInDialog::kText), d.text);
        for (int id : {CStandInDialog::kText, CStandInDialog::kDetail}) {
          if (GetDlgItem(dialog, id)) {
            EXPECT_TRUE(TextFits(dialog, id)) << d.id << " control " << id;
          }
        }
        if (answer == CStandInDialog::kContinue) {
          EXPECT_NE(SaveWindowPicture(dialog, std::wstring(L"window\\") + d.name + suffix + L".png"), picture::SaveResult::kBlank);
        }
        const int button = answer == CStandInDialog::kContinue || !GetDlgItem(dialog, IDCANCEL) ? IDOK : IDCANCEL;
        ASSERT_TRUE(Click(dialog, button));
        ASSERT_TRUE(thread.Finish(5000));
        EXPECT_EQ(thread.result(), button == IDOK ? 1 : 2) << d.id;
      }
    }
  }
  // A library without the template shows nothing.
  EXPECT_EQ(CStandInDialog::Run(GetModuleHandleW(nullptr), CStandInDialog::kVersion, nullptr, L"x"), -1);
}

}  // namespace
}  // namespace moni::test
