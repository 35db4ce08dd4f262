// monictl story: the sample printer's story told with the windows a user
// meets, one step after the other, each ending by itself: the tray icon's
// menu, the pop-up that opens on paper out and closes itself once the printer
// is ready, the progress meter of a print job, the low-ink reminder with its
// ink-order dialog, and the monitoring preferences. Each step saves a picture
// of its window; a window that shows nothing fails the story.
//
// The printer's replies come from a scenario of the story's own (the
// simulator's folder is set for this process only); the windows open through
// the exports of monicore.dll and the programs of the driver, as a driver's
// host and the tray program open them.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "api/monicore.h"
#include "api/start_view.h"
#include "commands.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "foundation/startup_list.h"
#include "foundation/monitor_map.h"
#include "foundation/monitor_map_core.h"
#include "foundation/request_block.h"
#include "picture/window_picture.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "status/status_info.h"
#include "tray/main_frame.h"
#include "ui/inkorder/ink_order.h"
#include "ui/prefs/startup_entry.h"

namespace monictl {

namespace {

constexpr wchar_t kPrinter[] = L"TALMER Sample Printer";
constexpr DWORD kJobId = 7;
constexpr std::uint32_t kChannel = 0x10000005;

// "@BDC ST2" replies of the sample model: ready, paper out, black ink low (12 %).
constexpr char kReady[] = "4042444320535432" "0D0A" "1100" "010104" "0F0D03" "030150" "04025A" "050355" "01003C";
constexpr char kPaperOut[] = "4042444320535432" "0D0A" "1400" "010100" "020101" "0F0D03" "030150" "04025A" "050355" "01003C";
constexpr char kInkLow[] = "4042444320535432" "0D0A" "1400" "010104" "040113" "0F0D03" "030146" "04023C" "050341" "01000C";

std::vector<BYTE> FromHex(const char* hex) {
  std::vector<BYTE> bytes;
  for (const char* p = hex; p[0] && p[1]; p += 2) bytes.push_back(static_cast<BYTE>(std::stoul(std::string(p, 2), nullptr, 16)));
  return bytes;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

// Whether the window belongs to a program of that file name (without its folder).
bool OfProgram(HWND window, const std::wstring& fileName) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const moni::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return false;
  const std::wstring full(path, size);
  const size_t slash = full.find_last_of(L"\\/");
  return _wcsicmp(full.substr(slash == std::wstring::npos ? 0 : slash + 1).c_str(), fileName.c_str()) == 0;
}

// Polls `done` every 50 ms until it holds or `ms` have passed.
bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
}

// A visible top-level window of the class that `accept` takes, or null.
HWND FindShown(const wchar_t* className, const std::function<bool(HWND)>& accept) {
  struct Search {
    const wchar_t* className;
    const std::function<bool(HWND)>* accept;
    HWND found;
  } search{className, &accept, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (std::wstring(name) != s->className || !IsWindowVisible(window) || !(*s->accept)(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}
DWORD ThreadOf(HWND window) { return GetWindowThreadProcessId(window, nullptr); }
DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// A call of an export that shows a dialog, on a thread of its own.
class WindowThread {
 public:
  explicit WindowThread(std::function<int()> body)
      : m_thread([this, body = std::move(body)] {
          m_id = GetCurrentThreadId();
          m_result = body();
          m_done = true;
        }) {
    WaitUntil([&] { return m_id.load() != 0; }, 5000);
  }
  ~WindowThread() {
    // A window still open on the way out (a failed step) ends as on suspend.
    if (!m_done && m_id) {
      if (HWND window = FindShown(L"#32770", [&](HWND w) { return ThreadOf(w) == m_id; })) {
        PostMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
      }
    }
    m_thread.join();
  }
  HWND Window() const { return FindShown(L"#32770", [&](HWND w) { return ThreadOf(w) == m_id; }); }
  bool Finish(DWORD ms) { return WaitUntil([&] { return m_done.load(); }, ms); }
  int result() const { return m_result; }

 private:
  std::atomic<DWORD> m_id{0};
  std::atomic<bool> m_done{false};
  std::atomic<int> m_result{0};
  std::thread m_thread;
};

// The job the progress step prints: Wine's spooler keeps no jobs, so the
// story tells its own window about the job for as long as it prints.
class StoryJobs : public moni::spooler::JobSource {
 public:
  void Print(ULONGLONG untilTick) { m_until = untilTick; }
  std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds) override {
    if (printer != kPrinter) return std::nullopt;
    std::vector<bool> present;
    for (DWORD id : jobIds) present.push_back(id == kJobId && GetTickCount64() < m_until.load());
    return present;
  }
  bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType) override {
    if (printer != kPrinter || jobId != kJobId) return false;
    dataType = L"RAW";
    return true;
  }

 private:
  std::atomic<ULONGLONG> m_until{0};
};

class Story {
 public:
  Story(std::wstring out, std::wstring driver, std::wstring port, std::wstring model)
      : m_out(std::move(out)), m_driver(std::move(driver)), m_port(std::move(port)), m_model(std::move(model)) {}

  int Run(HMODULE lib);

 private:
  bool SetUp();
  void TearDown();
  bool Scenario(const char* reply);
  // Saves the window's picture as NAME.png; false (and says so) when it is blank.
  bool Picture(HWND window, const wchar_t* name);
  void Say(const char* text) {
    printf("%s\n", text);
    fflush(stdout);
  }

  bool TrayMenu();
  bool PopUp(HMODULE lib);
  bool Progress();
  bool InkReminder();
  bool Preferences(HMODULE lib);

  std::wstring m_out, m_driver, m_port, m_model;
  std::wstring m_folder, m_jobFolder;
  HWND m_tray = nullptr;
  bool m_addedStartupEntry = false;
  std::vector<std::wstring> m_pictures;
  int m_blank = 0;
};

bool Story::SetUp() {
  m_folder = moni::files::TempFolder() + L"monictl_story_bq";
  m_jobFolder = moni::files::TempFolder() + L"monictl_story_pg";
  CreateDirectoryW(m_folder.c_str(), nullptr);
  CreateDirectoryW(m_jobFolder.c_str(), nullptr);
  CreateDirectoryW(m_out.c_str(), nullptr);
  SetEnvironmentVariableW(L"BQSIM_DIR", m_folder.c_str());
  SetEnvironmentVariableW(L"PGSIM_DIR", m_jobFolder.c_str());
  const std::string job = "[Job1]\nWinJobId=" + std::to_string(kJobId) +
                          "\nDocument=Holiday photos\nPaperCodes=1,2,3\nMediaType=Photo paper\nPaperSize=10 x 15 cm\n"
                          "Sheets=1,3\nProgress=100\nDuration=6000\nInfo104=9\n";
  return Scenario(kReady) && WriteText(m_jobFolder + L"\\printer-" + kPrinter + L".ini", job);
}

void Story::TearDown() {
  for (const std::wstring& folder : {m_folder, m_jobFolder}) {
    for (const wchar_t* file : {L"\\printer-TALMER Sample Printer.ini", L"\\journal.log", L"\\scenario.tmp"})
      DeleteFileW((folder + file).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  SetEnvironmentVariableW(L"BQSIM_DIR", nullptr);
  SetEnvironmentVariableW(L"PGSIM_DIR", nullptr);
}

// The printer answers every status read with the reply from now on; the file
// is moved into place whole, so the simulator never reads half of it.
bool Story::Scenario(const char* reply) {
  const std::string text = std::string("[Printer]\nDeviceID=MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;DES:TALMER SMP-100;\n") +
                           "Channels=0x10000005:0x0007,0x10010003:0x0003\nAdvance=call\nAtEnd=stay\nReply1=" + reply + "\n";
  const std::wstring temp = m_folder + L"\\scenario.tmp";
  return WriteText(temp, text) &&
         MoveFileExW(temp.c_str(), (m_folder + L"\\printer-" + kPrinter + L".ini").c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool Story::Picture(HWND window, const wchar_t* name) {
  const std::wstring path = m_out + L"\\" + name + L".png";
  const auto saved = moni::picture::SaveWindowPicture(window, path);
  if (saved == moni::picture::SaveResult::kSaved) {
    m_pictures.push_back(path);
    printf("   picture: %s\n", Utf8(path).c_str());
    return true;
  }
  ++m_blank;
  printf("   NO PICTURE: the window showed nothing (%s)\n", saved == moni::picture::SaveResult::kBlank ? "blank" : "not written");
  return false;
}

bool Story::TrayMenu() {
  Say("\n== 1. The tray icon. The tray program starts for the printer, as at log-on, and the user\n"
      "   right-clicks its icon: the menu opens the status window, the preferences, the printer's\n"
      "   maintenance utilities, ink ordering and the driver update.");
  // The printer's entry in the start-up list, as the preferences write it: with
  // it, the status window does not ask whether to show the tray icon.
  std::wstring entry;
  CRegistryKey run;
  if (!run.Open(HKEY_CURRENT_USER, moni::startup::kRunKey) || !run.ReadString(kPrinter, entry) || entry.empty()) {
    moni::prefs::RegStartupEntry(1, {kPrinter, m_driver, m_port, m_model});
    m_addedStartupEntry = true;
  }
  if (!moni::prefs::StartTrayIconExe(1, {kPrinter, m_driver, m_port, m_model})) {
    Say("   the tray program could not be started");
    return false;
  }
  WaitUntil(
      [&] {
        std::wstring mapName;
        GetMapFileName(kPrinter, mapName);
        moni::KernelHandle section(OpenFileMappingW(FILE_MAP_READ, FALSE, mapName.c_str()));
        if (!section) return false;
        moni::MappedView view = moni::monitormap::MapTable(section.get(), FILE_MAP_READ);
        if (!view) return false;
        const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(view.get()), moni::monitormap::kSectionSize);
        const auto record = moni::monitormap::FindRecord(bytes, moni::ToU16(kPrinter));
        if (!record) return false;
        m_tray = reinterpret_cast<HWND>(static_cast<UINT_PTR>(
            moni::monitormap::ReadHandle(bytes, *record, moni::monitormap::kTrayHandleOffset)));
        return m_tray && IsWindow(m_tray);
      },
      15000);
  if (!m_tray || !IsWindow(m_tray)) {
    Say("   the tray program did not come up");
    return false;
  }
  SetCursorPos(900, 700);
  PostMessageW(m_tray, moni::tray::kIconCallbackMessage, 0, WM_RBUTTONDOWN);
  const DWORD trayProcess = ProcessOf(m_tray);
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = FindShown(L"#32768", [&](HWND w) { return ProcessOf(w) == trayProcess; })) != nullptr; }, 5000);
  if (!menu) {
    Say("   the menu did not open");
    return false;
  }
  Sleep(300);
  const bool ok = Picture(menu, L"1-tray-menu");
  // The user presses Esc.
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  if (!WaitUntil([&] { return !IsWindowVisible(menu); }, 2000)) PostMessageW(m_tray, WM_CANCELMODE, 0, 0);
  WaitUntil([&] { return !IsWindowVisible(menu); }, 2000);
  return ok;
}

bool Story::PopUp(HMODULE lib) {
  Say("\n== 2. Paper out. The driver's host polls the printer; it runs out of paper and the status\n"
      "   window opens by itself as a pop-up with what to do. The user loads paper: the pop-up\n"
      "   sees the printer ready and closes by itself.");
  const auto monitoringStart = moni::ProcAddress<decltype(&PrMonitoringStart)>(lib, "PrMonitoringStart");
  const auto getChannel = moni::ProcAddress<decltype(&PrGetChannel)>(lib, "PrGetChannel");
  const auto getStatus = moni::ProcAddress<decltype(&PrGetStatus)>(lib, "PrGetStatus");
  const auto monitoringEnd = moni::ProcAddress<decltype(&PrMonitoringEnd)>(lib, "PrMonitoringEnd");
  const auto startView = moni::ProcAddress<decltype(&PrStartView)>(lib, "PrStartView");
  if (!monitoringStart || !getChannel || !getStatus || !monitoringEnd || !startView) return false;
  int popup = 0, sound = 0, printing = 0, real = 0, simple = 0;
  if (!Scenario(kPaperOut)) return false;
  const int started = monitoringStart(nullptr, kPrinter, m_driver.c_str(), m_port.c_str(), m_model.c_str(), L"", L"", nullptr);
  DWORD channel = 0;
  const int result = started == 0 && getChannel(&channel) == 0 ? getStatus(-1, &popup, &sound, &printing, &real, &simple) : -1;
  monitoringEnd();
  printf("   the host's poll: status %d, pop-up %s\n", real, popup ? "wanted" : "not wanted (the user switched it off)");
  if (result != 1) return false;

  WindowThread view([&] {
    return startView(1, kPrinter, m_driver.c_str(), m_port.c_str(), m_model.c_str(), L"", L"", nullptr, 0);
  });
  HWND window = nullptr;
  WaitUntil([&] { return (window = view.Window()) != nullptr; }, 10000);
  if (!window) {
    Say("   the pop-up did not open");
    return false;
  }
  Sleep(2500);  // its first status is read half a second after it opens
  const bool ok = Picture(window, L"2-popup-paper-out");
  Say("   the user loads paper; the printer is ready again");
  Scenario(kReady);
  if (!view.Finish(15000)) {
    Say("   the pop-up did not close by itself");
    return false;
  }
  Say("   the pop-up closed by itself");
  return ok;
}

bool Story::Progress() {
  Say("\n== 3. A print job. The driver hands the job to the status window, which shows the\n"
      "   progress meter while the job prints and closes by itself after it.");
  // The request a driver hands over: the job's id and its option, as texts.
  namespace rq = moni::request;
  const std::string job = std::to_string(kJobId) + '\0', option = std::string("1") + '\0';
  const std::vector<std::uint8_t> block = rq::WriteBlock({{rq::kKeyJobId, job}, {rq::kKeyOption, option}});

  StoryJobs jobs;
  jobs.Print(GetTickCount64() + 7000);
  moni::spooler::SetJobSource(&jobs);
  std::atomic<bool> printingShown{false};
  moni::view::DetailOptions options;
  options.onUpdate = [&](const moni::view::UpdateNote& note) {
    if (note.dialogType == 3 && note.jobPercent > 0) printingShown = true;
  };
  moni::api::ViewArguments args;
  args.viewType = 3;
  args.printer = kPrinter;
  args.driver = m_driver;
  args.port = m_port;
  args.model = m_model;
  args.block = block.data();
  args.blockSize = static_cast<DWORD>(block.size());
  bool ok = false;
  {
    WindowThread view([&] { return moni::api::StartView(args, options); });
    HWND window = nullptr;
    WaitUntil([&] { return printingShown.load() && (window = view.Window()) != nullptr; }, 10000);
    if (window) {
      Sleep(1500);
      ok = Picture(window, L"3-progress-meter");
    } else {
      Say("   the progress meter did not show the job");
    }
    if (view.Finish(20000)) Say("   the job is printed; the progress meter closed by itself");
    else Say("   the progress meter did not close by itself");
  }
  moni::spooler::SetJobSource(nullptr);
  return ok;
}

bool Story::InkReminder() {
  Say("\n== 4. Ink low. The black ink falls below the reminder's threshold (20 %): the status window\n"
      "   starts the driver's companion program, which shows the ink-order dialog with the\n"
      "   cartridges to buy. The user closes it.");
  const std::vector<BYTE> reply = FromHex(kInkLow);
  const CStatusInfo maker(nullptr, moni::status::SpoolerSteps::None());
  const auto status = maker.CreateStatusObject(kChannel, reply.data(), reply.size(), 0, 0, FALSE);
  moni::status::StatusBuff record{};
  if (!status || !status->GetStatusBuff(&record)) return false;
  if (CBaseInfo::Instance().SetPrinterInformation(kPrinter, m_driver, m_port, m_model, L"", L"") < 0) return false;
  const moni::inkorder::InkOrderSetup setup = moni::inkorder::SetupFromBaseInfo(CBaseInfo::Instance());
  const std::wstring companion = setup.companion.substr(setup.companion.find_last_of(L"\\") + 1);
  const CInkOrder inkOrder(setup);
  if (!inkOrder.CallInkOrder(record, 20)) {
    Say("   the companion program could not be started");
    return false;
  }
  HWND dialog = nullptr;
  WaitUntil([&] {
    return (dialog = FindShown(L"#32770", [&](HWND w) { return OfProgram(w, companion); })) != nullptr;
  }, 15000);
  if (!dialog) {
    Say("   the ink-order dialog did not open");
    return false;
  }
  Sleep(800);
  const bool ok = Picture(dialog, L"4-ink-order");
  const moni::KernelHandle program(OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(dialog)));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  if (program) WaitForSingleObject(program.get(), 10000);
  Say("   the dialog is closed and the companion program has ended");
  return ok;
}

bool Story::Preferences(HMODULE lib) {
  Say("\n== 5. The preferences. The user opens the monitoring preferences (from the tray menu or\n"
      "   the driver): which conditions pop up, the sound, the tray icon. The user cancels.");
  const auto startPreference = moni::ProcAddress<decltype(&PrStartPreference)>(lib, "PrStartPreference");
  if (!startPreference) return false;
  WindowThread prefs([&] { return startPreference(kPrinter, m_driver.c_str(), m_port.c_str(), m_model.c_str(), L"", L""); });
  HWND window = nullptr;
  WaitUntil([&] { return (window = prefs.Window()) != nullptr; }, 10000);
  if (!window) {
    Say("   the preferences did not open");
    return false;
  }
  Sleep(800);
  const bool ok = Picture(window, L"5-preferences");
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  prefs.Finish(10000);
  return ok;
}

int Story::Run(HMODULE lib) {
  if (!SetUp()) {
    Say("monictl: story: the story's scenario files could not be written");
    TearDown();
    return 1;
  }
  int failed = 0;
  failed += !TrayMenu();
  failed += !PopUp(lib);
  failed += !Progress();
  failed += !InkReminder();
  failed += !Preferences(lib);
  if (m_tray && IsWindow(m_tray)) {
    Say("\n== The user quits the tray program.");
    const moni::KernelHandle tray(OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(m_tray)));
    PostMessageW(m_tray, WM_CLOSE, 0, 0);
    if (tray) WaitForSingleObject(tray.get(), 10000);
  }
  if (m_addedStartupEntry) moni::prefs::RegStartupEntry(0, {kPrinter, m_driver, m_port, m_model});
  TearDown();
  printf("\n== the story's pictures (%zu):\n", m_pictures.size());
  for (const std::wstring& picture : m_pictures) printf("   %s\n", Utf8(picture).c_str());
  if (m_blank) printf("%d picture(s) were blank\n", m_blank);
  printf("story %s: %d of 5 steps failed\n", failed ? "FAILED" : "done", failed);
  return failed ? 1 : 0;
}

}  // namespace

int CmdStory(const Args& args) {
  std::wstring out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--out" && i + 1 < args.size()) {
      out = args[++i];
      if (!out.empty() && out[0] == L'/') out = L"Z:" + out;  // a path of the Linux side
      for (wchar_t& c : out) c = c == L'/' ? L'\\' : c;
    } else {
      return UsageError("story takes --out FOLDER");
    }
  }
  if (out.empty()) return UsageError("story: where do the pictures go (--out FOLDER)?");
  std::wstring driver, port;
  if (!moni::spooler::GetPrinterDriverAndPort(kPrinter, driver, port)) {
    fprintf(stderr, "monictl: story: the sample printer is not installed (scripts/wine-env start installs it)\n");
    return 1;
  }
  const std::wstring model = GetModelIdFromDriver(kPrinter, driver);
  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib || model.empty()) {
    fprintf(stderr, "monictl: story: monicore.dll could not be loaded, or the driver names no model\n");
    return 1;
  }
  return Story(out, driver, port, model).Run(lib.get());
}

}  // namespace monictl
