// The status window against printers of the tests' own: a pop-up that closes
// itself and a detail window that stays, a job followed in the progress type,
// the hand-over of a second request, requests that ask for nothing or are
// not valid, the grace period after opening, sounds, stored positions, the
// watchdog, switched-off monitoring, threads and handles left behind,
// resource libraries that lack templates or texts, the tray icon question,
// the status program, and pictures of every type in both languages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "api/monicore.h"
#include "api/start_view.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "foundation/request_block.h"
#include "foundation/startup_list.h"
#include "foundation/target_keys.h"
#include "job_list.h"
#include "kit.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/spooler.h"
#include "resources.h"
#include "ui/prefs/entry_icon_dlg.h"
#include "status_window_fixture.h"
#include "window_support.h"

namespace moni::test {
namespace {

using moni::view::UpdateNote;

// More status replies of the sample model (fields after the header).
const std::string kPaperOut = std::string("010100" "020101") + kInks;  // status 18
const std::string kInkLow = std::string("010104" "040113") + "0F0D03" "030146" "04023C" "050341" "01000C";  // status 20

void Put(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

int ThreadCount() {
  KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL ok = Thread32First(snapshot.get(), &entry); ok; ok = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  }
  return n;
}

DWORD HandleCount() {
  DWORD n = 0;
  GetProcessHandleCount(GetCurrentProcess(), &n);
  return n;
}

struct Seen {
  UpdateNote note;
  DWORD thread;
  ULONGLONG tick;
};

class StatusWindow : public StatusWindowFixture {
 protected:
  void SetUp() override {
    Prepare(L"Window ", L"USB3");
    if (HasFatalFailure()) return;
    WriteScenario(kReady);
    // The sample model enables the tray icon and the low-ink reminder: every
    // opening would ask the tray icon question, and a low ink would show the
    // ink-order dialog, each in a program of its own that waits for the user
    // (and holds the test's output open). Only the test of the question asks it.
    MakePrinterKey();
    SetKeyValue(L"TrayIconEnable", 0);
    SetKeyValue(inkorder::kIoEnablePopup, 0);
  }

  // The printer answers every status read with one reply (fields in hex), or
  // with the replies in turn (one per read, staying on the last).
  void WriteScenario(const std::string& fields, const std::string& more = {}, const char* deviceId = "MDL:SMP-100;") {
    std::string text = std::string("[Printer]\nDeviceID=MFG:TALMER;CMD:ESCPL2,BDC;") + deviceId +
                       "\nChannels=0x10000005:0x0007\nAdvance=call\nAtEnd=stay\nReply1=" + Hex(Reply(fields)) + "\n" + more;
    ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer, text));
  }
  // A job the spooler holds and the progress library follows.
  void JobScenario(DWORD job, const char* duration) {
    const std::string text = "[Job1]\nWinJobId=" + std::to_string(job) +
                             "\nDocument=Quarterly report\nPaperCodes=1,2,3\nMediaType=Plain paper\nPaperSize=A4\nSheets=1,2\n"
                             "Progress=100\nDuration=" + duration + "\nInfo104=9\n";
    ASSERT_TRUE(WriteTextFile(jobFolder + L"\\" + kit::ScenarioFileName(kit::kOpenByPrinter, printer), text));
    ASSERT_TRUE(WritePrivateProfileStringW(printer.c_str(), std::to_wstring(job).c_str(), L"RAW", (jobFolder + L"\\jobs.ini").c_str()));
  }

  DWORD KeyValue(const wchar_t* name) {
    CRegistryKey key;
    return key.Open(HKEY_CURRENT_USER, PrinterKey()) ? key.QueryDword(name) : static_cast<DWORD>(-1);
  }

  // Short periods; the sounds and updates recorded.
  view::DetailOptions Fast() {
    view::DetailOptions options = ShortPeriods();
    options.playSound = [this](HMODULE, WORD id) {
      std::lock_guard lock(m_lock);
      sounds.push_back(id);
      return true;
    };
    options.onUpdate = [this](const UpdateNote& note) {
      std::lock_guard lock(m_lock);
      seen.push_back({note, GetCurrentThreadId(), GetTickCount64()});
    };
    return options;
  }
  api::ViewArguments Args(int type, const std::vector<std::uint8_t>* block = nullptr, const std::wstring& resource = L"") {
    api::ViewArguments args;
    args.viewType = type;
    args.printer = printer;
    args.driver = kit::kDriver;
    args.port = port;
    args.model = kit::kModelID;
    args.resource = resource.empty() ? L"" : kit::ProgramFolder() + resource;
    if (block) {
      args.block = block->data();
      args.blockSize = static_cast<DWORD>(block->size());
    }
    return args;
  }
  std::unique_ptr<ViewThread> Open(const api::ViewArguments& args, const view::DetailOptions& options) {
    return std::make_unique<ViewThread>([args, options] { return api::StartView(args, options); });
  }

  std::vector<Seen> Seen_() {
    std::lock_guard lock(m_lock);
    return seen;
  }
  // Waits for an update that `fits`; true when one came.
  template <typename F>
  bool WaitForUpdate(F fits, DWORD ms = 8000) {
    return WaitFor(
        [&] {
          for (const Seen& s : Seen_()) {
            if (fits(s.note)) return true;
          }
          return false;
        },
        ms);
  }
  // The updates so far, for failure messages: "reason/status/type" each.
  std::string Updates() {
    std::string out;
    for (const Seen& s : Seen_())
      out += std::to_string(s.note.reason) + "/" + std::to_string(s.note.statusNo) + "/" + std::to_string(s.note.dialogType) + " ";
    return out;
  }
  size_t Count(int reason) {
    size_t n = 0;
    for (const Seen& s : Seen_()) n += s.note.reason == reason;
    return n;
  }
  // Ends a window as the user does (its close box) and waits for the export.
  void Close(DialogThread& thread) {
    HWND window = picture::DialogOfThread(thread.id());
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(thread.Finish(10000));
  }

  std::mutex m_lock;
  std::vector<Seen> seen;
  std::vector<WORD> sounds;
};

TEST_F(StatusWindow, PopUpClosesItselfWhenReadyAgainDetailStays) {
  struct Case {
    int type;
    bool closesItself;
  };
  for (const Case c : {Case{1, true}, Case{2, false}}) {
    seen.clear();
    WriteScenario(kPaperOut);
    auto thread = Open(Args(c.type), Fast());
    ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 4 && n.statusNo == 18; })) << c.type;
    HWND window = picture::DialogOfThread(thread->id());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(Seen_().back().note.dialogType, 2) << "a condition without a job shows the detail type";
    const size_t before = Seen_().size();
    WriteScenario(kReady);
    if (c.closesItself) {
      ASSERT_TRUE(thread->Finish(8000)) << "the pop-up closes when the printer is ready";
      EXPECT_EQ(thread->result(), 0);
      EXPECT_EQ(Seen_().back().note.statusNo, 1);
      EXPECT_EQ(Seen_().back().note.dialogType, 0);
    } else {
      ASSERT_TRUE(WaitFor([&] { return Seen_().size() >= before + 3 && Seen_().back().note.statusNo == 1; }, 8000));
      EXPECT_FALSE(thread->Finish(0)) << "the user's window stays";
      EXPECT_TRUE(IsWindowVisible(window));
      EXPECT_EQ(Seen_().back().note.dialogType, 2);
      Close(*thread);
    }
  }
}

TEST_F(StatusWindow, JobFollowedInTheProgressTypeShowsCompleteForOneTimerPeriod) {
  JobScenario(7, "1500");
  const auto block = JobBlock(7, 1);
  auto thread = Open(Args(3, &block), Fast());
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.dialogType == 3 && n.jobPercent >= 0 && !n.jobFinished; }))
      << "the job shows in the progress type";
  EXPECT_TRUE(IsWindowVisible(picture::DialogOfThread(thread->id())));
  ASSERT_TRUE(thread->Finish(10000)) << "the window closes by itself after the job";
  const std::vector<Seen> all = Seen_();
  size_t finished = all.size();
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].note.jobFinished && finished == all.size()) finished = i;
  }
  ASSERT_LT(finished, all.size()) << "the job was shown complete";
  EXPECT_EQ(all[finished].note.jobPercent, 100);
  EXPECT_EQ(all[finished].note.dialogType, 3);
  const ULONGLONG shown = all.back().tick - all[finished].tick;
  EXPECT_GE(shown, 250u) << "complete for one timer period (300 ms)";
  EXPECT_LT(shown, 3000u);
  EXPECT_EQ(all.back().note.dialogType, 0);
  EXPECT_FALSE(all.back().note.jobFinished);
}

TEST_F(StatusWindow, SecondRequestForThePrinterIsHandedToTheOpenWindow) {
  JobScenario(9, "never");
  auto first = Open(Args(2), Fast());
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 4; }));
  HWND window = picture::DialogOfThread(first->id());
  ASSERT_NE(window, nullptr);

  // A progress request with the job: the first window follows it.
  std::vector<UpdateNote> secondNotes;
  view::DetailOptions second = Fast();
  second.onUpdate = [&](const UpdateNote& n) { secondNotes.push_back(n); };
  const auto block = JobBlock(9, 1);
  EXPECT_EQ(api::StartView(Args(3, &block), second), 0);
  EXPECT_TRUE(secondNotes.empty()) << "the second window never opened";
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.dialogType == 3; })) << "the first window shows the job";

  // A third request (detail) still finds the first window: it was not taken
  // off the monitor map by the second one.
  std::vector<UpdateNote> thirdNotes;
  view::DetailOptions third = Fast();
  third.onUpdate = [&](const UpdateNote& n) { thirdNotes.push_back(n); };
  EXPECT_EQ(api::StartView(Args(2), third), 0);
  EXPECT_TRUE(thirdNotes.empty());
  EXPECT_EQ(picture::DialogOfThread(first->id()), window);
  PostMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);  // the progress type has no close box
  ASSERT_TRUE(first->Finish(10000));
}

TEST_F(StatusWindow, HiddenProgressWindowStaysHiddenAndTakesOnlyValidRequests) {
  JobScenario(7, "never");
  const auto waiting = JobBlock(7, 0);  // a job the window does not show: it waits hidden
  auto thread = Open(Args(3, &waiting), Fast());
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 4 && n.dialogType == 4; }));
  HWND window = picture::DialogOfThread(thread->id());
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));

  ShowWindow(window, SW_SHOW);  // asked to show by someone else: still hidden
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  EXPECT_FALSE(IsWindowVisible(window));

  const WindowHandle sender(CreateWindowExW(0, L"#32770", L"sender", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  const WindowHandle stranger(CreateWindowExW(0, L"Static", L"stranger", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(sender && stranger);
  const auto detail = request::WriteBlock({});
  auto shortBy = [](std::vector<std::uint8_t> b, size_t n) { b.resize(b.size() - n); return b; };
  auto patched = [](std::vector<std::uint8_t> b, size_t at, std::uint32_t v) { Put(b, at, v); return b; };
  struct Request {
    const char* what;
    HWND from;
    ULONG_PTR id;
    std::vector<std::uint8_t> bytes;
  };
  const Request nothing[] = {
      {"a byte of value 8", sender.get(), 0, request::WriteBlock({}, "\x08")},
      {"a byte of value 8 beside a job", sender.get(), 0, request::WriteBlock({{10, std::string("7\0", 2)}}, "\x08")},
      {"fewer bytes than its size says", sender.get(), 0, shortBy(detail, 1)},
      {"a table beyond the block", sender.get(), 0, patched(detail, 4, 0xFFFFFFF0)},
      {"a value beyond the block", sender.get(), 0,
       patched(request::WriteBlock({{10, std::string("5\0", 2)}}), 24, 0x7FFFFFFF)},
      {"a size of 0", sender.get(), 0, patched(detail, 0, 0)},
      {"another data identifier", sender.get(), 1, detail},
      {"a sender that is no dialog", stranger.get(), 0, detail},
      {"no sender", nullptr, 0, detail},
  };
  for (const Request& r : nothing) {
    COPYDATASTRUCT data = {r.id, static_cast<DWORD>(r.bytes.size()), const_cast<std::uint8_t*>(r.bytes.data())};
    SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(r.from), reinterpret_cast<LPARAM>(&data));
    Sleep(50);
    EXPECT_FALSE(IsWindowVisible(window)) << r.what;
    EXPECT_FALSE(thread->Finish(0)) << r.what;
  }
  // A value without its terminating zero that runs to the end of the block:
  // read as far as the block goes.
  const auto unterminated = request::WriteBlock({{10, "8"}});
  COPYDATASTRUCT data = {0, static_cast<DWORD>(unterminated.size()), const_cast<std::uint8_t*>(unterminated.data())};
  SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.get()), reinterpret_cast<LPARAM>(&data));
  EXPECT_FALSE(IsWindowVisible(window)) << "job 8 is only added to the list";

  // The user asks for the window: a detail request shows it.
  data = {0, static_cast<DWORD>(detail.size()), const_cast<std::uint8_t*>(detail.data())};
  SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.get()), reinterpret_cast<LPARAM>(&data));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window); }, 3000));
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 4 && n.dialogType == 2; }));
  Close(*thread);
}

TEST_F(StatusWindow, CommunicationFailuresShowSearchingDuringTheGracePeriod) {
  // A printer that offers no status channel: every poll is a failure.
  ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer,
                                 "[Printer]\nDeviceID=MFG:TALMER;MDL:SMP-100;\nChannels=0x10000005:0x0003\nReply1=-\n"));
  // Without a status channel the communication error is the unknown state of
  // channel 0 (-1, "cannot be reached").
  constexpr int kUnreachable = -1;
  struct Case {
    int graceMs;
    int first;
  };
  for (const Case c : {Case{1500, 1000}, Case{0, kUnreachable}}) {
    seen.clear();
    view::ViewRequest request;
    request.printerName = printer;
    request.portName = port;
    request.modelId = kit::kModelID;
    request.setupData = CBaseInfo::Instance().ProfileName;
    request.dialogType = 2;
    const Module resource(LoadLibraryExW((kit::ProgramFolder() + L"V_SMPRES.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    request.resource = resource.get();
    request.settings.commErrDisableTime = c.graceMs;
    const view::DetailOptions options = Fast();
    ViewThread thread([&] { return static_cast<int>(CDetail(options).DoModal(request)); });
    ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 3; })) << c.graceMs;
    EXPECT_EQ(Seen_().back().note.statusNo, c.first) << c.graceMs;
    if (c.graceMs) {
      const ULONGLONG opened = Seen_().front().tick;
      ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 3 && n.statusNo == kUnreachable; }, 6000)) << Updates();
      for (const Seen& s : Seen_()) {
        if (s.note.reason == 3 && s.note.statusNo == kUnreachable) {
          EXPECT_GE(s.tick - opened, 1200u) << "not before the grace period is over";
          break;
        }
        if (s.note.reason == 3) {
          EXPECT_EQ(s.note.statusNo, 1000);
        }
      }
    }
    Close(thread);
  }
}

TEST_F(StatusWindow, SoundsPlayOncePerConditionWhilePrintingAndUndecodableRepliesKeepTheWindow) {
  // The printing side holds the printer: the window follows the status record it writes.
  const KernelHandle printing(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, (L"V_GTMS_" + printer).c_str()));
  ASSERT_TRUE(printing);
  // The printing side's record: the reply, its channel, and "ComStatus" 1 (a new status).
  auto write = [&](const std::vector<BYTE>& reply) {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, PrinterKey(), false, KEY_SET_VALUE));
    ASSERT_EQ(RegSetValueExW(key.Get(), L"Status", 0, REG_BINARY, reply.data(), static_cast<DWORD>(reply.size())), ERROR_SUCCESS);
    ASSERT_TRUE(key.SetDword(L"Channel", 0x10000005));
    ASSERT_TRUE(key.SetDword(L"ComStatus", 1));
  };
  auto status = [&](const std::vector<BYTE>& reply) {
    const size_t before = Count(4);
    write(reply);
    ASSERT_TRUE(WaitFor([&] { return Count(4) > before; }, 5000));
  };
  write(Reply(kReady));
  auto thread = Open(Args(2), Fast());
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 4; }));
  struct Step {
    std::vector<BYTE> reply;
    int statusNo;
    size_t sounds;
  };
  const Step steps[] = {
      {Reply(kReady), 1, 0},     // ready: its notification is off
      {Reply(kPaperOut), 18, 1},  // out of paper: sounds
      {Reply(kPaperOut), 18, 1},  // still out: not again
      // Not decoded: the window goes on with the unknown state, which is
      // the communication error's notification and sounds.
      {{'n', 'o', 't', ' ', 'a', ' ', 'r', 'e', 'p', 'l', 'y'}, -1, 2},
      {Reply(kReady), 1, 2},
      {Reply(kPaperOut), 18, 3},  // out again: sounds again
  };
  for (const Step& s : steps) {
    status(s.reply);
    EXPECT_EQ(Seen_().back().note.statusNo, s.statusNo);
    std::lock_guard lock(m_lock);
    EXPECT_EQ(sounds.size(), s.sounds) << s.statusNo;
  }
  EXPECT_EQ(sounds.back(), IDW_SOUND_INFORMATION) << "the sound of the status's kind";
  EXPECT_TRUE(IsWindow(picture::DialogOfThread(thread->id())));
  Close(*thread);
}

TEST_F(StatusWindow, StoredPositionsOffTheScreenAreReplacedAndWrittenBack) {
  WriteScenario(kPaperOut);  // the pop-up stays while the condition lasts
  // The full-screen area with the caption, within the work area (Wine's
  // full-screen height with the caption passes the screen's bottom edge).
  RECT work = {};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const int width = std::min<int>(GetSystemMetrics(SM_CXFULLSCREEN), work.right),
            bottom = std::min<int>(GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION), work.bottom);
  struct Case {
    int x, y;
    bool keptX, keptY;
  };
  const Case cases[] = {{40, 30, true, true}, {width, 30, false, true}, {40, bottom, true, false}, {-2000, -2000, false, false}};
  for (const Case& c : cases) {
    seen.clear();
    SetKeyValue(L"PopupPOSX", static_cast<DWORD>(c.x));
    SetKeyValue(L"PopupPOSY", static_cast<DWORD>(c.y));
    auto thread = Open(Args(1), Fast());  // a pop-up request remembers its place
    ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 0; }));
    HWND window = picture::DialogOfThread(thread->id());
    RECT r = {};
    GetWindowRect(window, &r);
    // A refused value is replaced by the centre of the screen.
    EXPECT_EQ(r.left, c.keptX ? c.x : (width - (r.right - r.left)) / 2) << c.x << "," << c.y;
    EXPECT_EQ(r.top, c.keptY ? c.y : (bottom - (r.bottom - r.top)) / 2) << c.x << "," << c.y;
    EXPECT_EQ(static_cast<LONG>(KeyValue(L"PopupPOSX")), r.left) << "the place used is stored";
    EXPECT_EQ(static_cast<LONG>(KeyValue(L"PopupPOSY")), r.top);
    Close(*thread);
  }
}

TEST_F(StatusWindow, StarvedStatusThreadMakesTheWatchdogUpdateOncePerPeriodOnTheWindowThread) {
  struct Case {
    const char* channels;  // without the status mode: the status thread never delivers a status
    DWORD periodMs;
    size_t least, most;
  };
  const Case cases[] = {{"0x10000005:0x0003", 400, 3, 6}, {"0x10000005:0x0007", 900, 0, 0}};
  for (const Case& c : cases) {
    seen.clear();
    ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer,
                                   std::string("[Printer]\nDeviceID=MFG:TALMER;MDL:SMP-100;\nChannels=") + c.channels +
                                       "\nReply1=" + Hex(Reply(kReady)) + "\n"));
    view::DetailOptions options = Fast();
    options.watchdogPeriodMs = c.periodMs;
    auto thread = Open(Args(2), options);
    ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 3 || n.reason == 4; }));
    const ULONGLONG start = GetTickCount64();
    Sleep(2100);
    const std::vector<Seen> all = Seen_();
    size_t emergencies = 0;
    for (const Seen& s : all) {
      if (s.note.reason != 1 || s.tick < start) continue;
      ++emergencies;
      EXPECT_EQ(s.thread, thread->id()) << "on the window's thread";
    }
    EXPECT_GE(emergencies, c.least) << c.channels << " " << Updates();
    EXPECT_LE(emergencies, c.most) << c.channels << " " << Updates();
    Close(*thread);
  }
}

TEST_F(StatusWindow, SwitchedOffMonitoringOpensNothing) {
  const Module library(LoadLibraryW((kit::ProgramFolder() + L"monicore.dll").c_str()));
  const auto start = ProcOf<decltype(&PrStartView)>(library, "PrStartView");
  ASSERT_NE(start, nullptr);
  PrinterHandle handle;
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), handle.put(), &defaults));
  DWORD off = 1;
  ASSERT_EQ(SetPrinterDataW(handle.get(), const_cast<wchar_t*>(L"DUVSetting"), REG_DWORD, reinterpret_cast<BYTE*>(&off), sizeof off),
            static_cast<DWORD>(ERROR_SUCCESS));
  const ULONGLONG begin = GetTickCount64();
  EXPECT_EQ(start(2, printer.c_str(), kit::kDriver, port.c_str(), kit::kModelID, L"", L"", nullptr, 0), 1);
  EXPECT_LT(GetTickCount64() - begin, 3000u) << "no window ran";
  EXPECT_EQ(picture::DialogOfThread(GetCurrentThreadId()), nullptr);
}

TEST_F(StatusWindow, EveryThreadAndHandleIsGoneAfterTheWindowCloses) {
  JobScenario(7, "never");
  const auto block = JobBlock(7, 1);
  auto run = [&] {
    seen.clear();
    auto thread = Open(Args(3, &block), Fast());
    ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.dialogType == 3 && n.jobPercent >= 0; }));
    PostMessageW(picture::DialogOfThread(thread->id()), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ASSERT_TRUE(thread->Finish(10000));
  };
  run();  // libraries loaded once and kept by the process
  const int threads = ThreadCount();
  const DWORD handles = HandleCount();
  run();
  run();
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_EQ(HandleCount(), handles);
}

TEST_F(StatusWindow, ResourceLibrariesWithoutTemplatesOrTextsEndCleanlyOrWork) {
  // Without templates: no window, the export returns at once.
  seen.clear();
  EXPECT_EQ(api::StartView(Args(2, nullptr, L"status_texts.dll"), Fast()), 0);
  EXPECT_TRUE(Seen_().empty());

  // Templates without the window's own texts: it works without them.
  auto thread = Open(Args(2, nullptr, L"window_templates.dll"), Fast());
  ASSERT_TRUE(WaitForUpdate([](const UpdateNote& n) { return n.reason == 4 && n.statusNo == 1; }));
  HWND window = picture::DialogOfThread(thread->id());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  HMENU menu = GetSystemMenu(window, FALSE);
  EXPECT_EQ(GetMenuState(menu, CDetail::kVersionItem, MF_BYCOMMAND), static_cast<UINT>(-1)) << "no version item without its text";
  Close(*thread);
}

TEST_F(StatusWindow, TrayIconQuestionAskedThroughTheStatusProgramOnce) {
  SetKeyValue(L"TrayIconEnable", 1);
  CRegistryKey run;
  ASSERT_TRUE(run.Open(HKEY_CURRENT_USER, startup::kRunKey, true, KEY_ALL_ACCESS));
  RegDeleteValueW(run.Get(), printer.c_str());

  const Module library(LoadLibraryW((kit::ProgramFolder() + L"monicore.dll").c_str()));
  const auto start = ProcOf<decltype(&PrStartView)>(library, "PrStartView");
  ASSERT_NE(start, nullptr);
  const std::wstring name = printer, portName = port;
  ViewThread thread([&] { return start(2, name.c_str(), kit::kDriver, portName.c_str(), kit::kModelID, L"", L"", nullptr, 0); });
  // The status program asks in a process of its own.
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        question = FindWindowW(L"#32770", nullptr);
        for (HWND w = question; w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid != GetCurrentProcessId() && IsWindowVisible(w) && ControlText(w, CEntryIconDlg::kPrinterControl) == name) {
            question = w;
            return true;
          }
        }
        return false;
      },
      15000))
      << "the question of the status program";
  Click(question, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return KeyValue(L"TrayIconEnable") == 0; }, 10000)) << "Cancel: not asked again";
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = picture::DialogOfThread(thread.id())) && IsWindowVisible(window); }, 10000))
      << "the status window opens in any case";
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(thread.Finish(10000));
  EXPECT_EQ(thread.result(), 0);

  // With the icon on and its start-up entry in place nothing is asked.
  SetKeyValue(L"TrayIconEnable", 1);
  ASSERT_TRUE(run.SetString(printer, L"monitray.exe /FU \"x\""));
  ViewThread again([&] { return start(2, name.c_str(), kit::kDriver, portName.c_str(), kit::kModelID, L"", L"", nullptr, 0); });
  ASSERT_TRUE(WaitFor([&] { return (window = picture::DialogOfThread(again.id())) && IsWindowVisible(window); }, 10000));
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(again.Finish(10000));
  RegDeleteValueW(run.Get(), printer.c_str());
  const std::string started = ReadFileBytes(folder + L"\\programs.log");
  EXPECT_EQ(std::count(started.begin(), started.end(), '\n'), 1) << started;
}

TEST_F(StatusWindow, StatusProgramOpensTheStatusWindowForTheTrayMenusPrinterItem) {
  // What the tray program writes for its printer item: the length form.
  const std::wstring text = L"/P" + std::to_wstring(printer.size()) + L" \"" + printer + L"\"\n/O" + std::to_wstring(port.size()) +
                            L" \"" + port + L"\"\n/M7 \"SMP-100\"\n";
  const std::wstring file = files::WriteNewTempFile(L"V_G", files::Utf16Bytes(text, true));
  ASSERT_FALSE(file.empty());
  const std::wstring program = kit::InstalledDriverFolder(kit::kDriver) + L"V_G20RN1.EXE";
  StartedProcess started;
  ASSERT_TRUE(StartProgram(program, L"\"" + program + L"\" /FU \"" + file + L"\"", started));
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto windows = WindowsOf(started.processId, L"#32770");
        for (HWND w : windows) {
          if (IsWindowVisible(w) && WindowText(w).find(printer) != std::wstring::npos) window = w;
        }
        return window != nullptr;
      },
      15000));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(started.process.get(), 10000), WAIT_OBJECT_0) << "the program ends with its window";
}

// monictl view as a support engineer runs it: the window in monictl's own
// process, a picture of it, the closing after the time asked for, and the
// export's result on stdout; a pop-up on a ready printer closes by itself.
TEST_F(StatusWindow, MonictlViewOpensTheWindowAndPrintsTheResult) {
  struct Case {
    const wchar_t* options;
    DWORD exitCode;
    const char* printed;  // in the output
    bool picture;
  };
  const Case cases[] = {
      {L"--type detail --screenshot \"%s\" --close-after 1", 0, "result 0 (the window ran and closed)", true},
      {L"--type hidden --screenshot \"%s\" --close-after 1", 0, "the hidden type shows no window", false},
      // Ready: nothing to show, the pop-up ends by itself long before the longest time allowed.
      {L"--type popup --close-after 86400", 0, "result 0", false},
      {L"--type sideways", 2, "--type is popup, detail, progress or hidden", false},
      {L"--close-after 86401", 2, "--close-after takes seconds (0 to 86400)", false},
  };
  for (const Case& c : cases) {
    TempFile output(L"monictl_view_", L".txt"), picture(L"monictl_view_", L".png");
    std::wstring options = c.options;
    const size_t slot = options.find(L"%s");
    if (slot != std::wstring::npos) options.replace(slot, 2, picture.path());
    const KernelHandle processHandle =
        StartWithOutput(kit::ProgramFolder() + L"monictl.exe", L"view \"" + printer + L"\" " + options, output.path());
    ASSERT_TRUE(processHandle.valid());
    ASSERT_EQ(WaitForSingleObject(processHandle.get(), 20000), WAIT_OBJECT_0) << c.options;
    DWORD exitCode = 9;
    GetExitCodeProcess(processHandle.get(), &exitCode);
    const std::string text = ReadFileBytes(output.path());
    EXPECT_EQ(exitCode, c.exitCode) << text;
    EXPECT_NE(text.find(c.printed), std::string::npos) << text;
    EXPECT_EQ(picture.exists(), c.picture) << text;
  }
}

// Pictures of the window against the sample printer's states, in English and
// German: the detail type (ready, printing, out of paper, ink low, ink out
// with an absent cyan tank, searching, communication error), the progress
// type (a job printing) and the pop-up (a job printing, out of paper).
TEST_F(StatusWindow, PicturesOfEveryTypeInBothLanguages) {
  if (ArtifactFolder().empty()) GTEST_SKIP() << "no artifact folder";
  JobScenario(7, "never");
  const auto block = JobBlock(7, 1);
  const std::string printing = std::string("010103") + "0F0D03" "030146" "040250" "05034B" "010028";
  const std::string inkOut = std::string("010100" "020105") + "0F0D03" "03016E" "040250" "050346" "010000";  // cyan "n": absent
  constexpr int kSearching = 1000, kUnreachable = -1, kAny = -2;
  struct Shot {
    const wchar_t* name;
    int type;
    const std::string* fields;  // null: the printer offers no status channel
    int reason, statusNo, shownType;
    DWORD statusStartMs;  // long: the first status is still awaited
  };
  const Shot shots[] = {
      {L"detail-ready", 2, &kReady, 4, 1, 2, 50},
      {L"detail-printing", 2, &printing, 4, kAny, 2, 50},
      {L"detail-paperout", 2, &kPaperOut, 4, 18, 2, 50},
      {L"detail-inklow", 2, &kInkLow, 4, 20, 2, 50},
      {L"detail-inkout", 2, &inkOut, 4, kAny, 2, 50},
      {L"detail-searching", 2, &kReady, 0, kSearching, 2, 60000},
      {L"detail-commerror", 2, nullptr, 3, kUnreachable, 2, 50},
      {L"progress-printing", 3, &printing, 4, kAny, 3, 50},
      {L"popup-paperout", 3, &kPaperOut, 4, 18, 1, 50},
  };
  for (const wchar_t* language : {L"en", L"de"}) {
    for (const Shot& s : shots) {
      seen.clear();
      if (s.fields) {
        WriteScenario(*s.fields);
      } else {
        ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer,
                                       "[Printer]\nDeviceID=MFG:TALMER;MDL:SMP-100;\nChannels=0x10000005:0x0003\nReply1=-\n"));
      }
      const std::wstring library = std::wstring(language) == L"en" ? L"V_SMPRES.DLL" : L"V_SMPRDE.DLL";
      view::DetailOptions options = Fast();
      options.statusStartMs = s.statusStartMs;
      auto thread = Open(Args(s.type, s.type == 3 ? &block : nullptr, library), options);
      ASSERT_TRUE(WaitForUpdate([&s](const UpdateNote& n) {
        return n.reason == s.reason && n.dialogType == s.shownType && (s.statusNo == kAny || n.statusNo == s.statusNo) &&
               (s.type != 3 || n.jobPercent >= 0);  // a job request: its job is shown
      })) << s.name << " " << Updates();
      Sleep(600);  // the progress of the job and the pictures' first frames
      HWND window = picture::DialogOfThread(thread->id());
      EXPECT_EQ(SaveWindowPicture(window, std::wstring(L"window\\") + language + L"-" + s.name + L".png"),
                picture::SaveResult::kSaved)
          << s.name;
      PostMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
      ASSERT_TRUE(thread->Finish(10000)) << s.name;
    }
  }
}

}  // namespace
}  // namespace moni::test
