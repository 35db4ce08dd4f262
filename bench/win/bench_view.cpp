// Times the status window against the printer simulator at the product's
// periods (the sample model polls every 5 s): how long PrStartView takes
// until the window is shown and until its first status is painted, and the
// CPU time the open window costs over a stretch of monitoring.
//
//   bench_view [SECONDS [OPENINGS]]      defaults 60 and 5
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_printer.h"
#include "api/start_view.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "picture/window_picture.h"
#include "platform/handles.h"
#include "ui/inkorder/ink_order.h"

namespace {

// The sample printer's scenario: ready, printing, ink low, ..., staying on the last reply.
constexpr char kScenario[] =
    "[Printer]\n"
    "DeviceID=MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;DES:TALMER SMP-100;\n"
    "Channels=0x10000005:0x0007,0x10010003:0x0003\n"
    "Advance=call\n"
    "AtEnd=stay\n"
    "Reply1=40424443205354320D0A12000101040F0D0303015004025A05035501003C\n"
    "Reply2=40424443205354320D0A12000101030F0D0303014604025005034B010028\n"
    "Reply3=40424443205354320D0A15000101030F0D0303013C04024605034101000F040113\n"
    "Reply4=40424443205354320D0A12000101040F0D0303012D040237050332010064\n";

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// User and kernel time of the process so far, milliseconds.
double CpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) { return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
  return ms(kernel) + ms(user);
}

// One open window on a thread of its own, watched through its updates.
class OpenWindow {
 public:
  OpenWindow(const moni::api::ViewArguments& args) {
    moni::view::DetailOptions options;
    options.onUpdate = [this](const moni::view::UpdateNote& note) {
      if (note.reason == 0 && m_shown.load() == 0) m_shown = Now();
      if (note.reason == 4 && m_firstStatus.load() == 0) m_firstStatus = Now();
      if (note.reason == 4) ++m_statuses;
    };
    m_start = Now();
    m_thread = std::thread([this, args, options] {
      m_threadId = GetCurrentThreadId();
      moni::api::StartView(args, options);
    });
  }
  ~OpenWindow() { Close(); }

  // Waits for the first status and for the window to have painted it; the
  // times from the start, or false after 30 s.
  bool WaitForFirstPaint(double& shownMs, double& statusMs, double& paintedMs) {
    for (int i = 0; i < 3000; ++i) {
      HWND window = m_threadId.load() ? moni::picture::DialogOfThread(m_threadId) : nullptr;
      if (m_firstStatus.load() != 0 && window && IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE)) {
        paintedMs = Now() - m_start;
        shownMs = m_shown - m_start;
        statusMs = m_firstStatus - m_start;
        return true;
      }
      Sleep(1);
    }
    return false;
  }
  int Statuses() const { return m_statuses.load(); }
  void Close() {
    if (!m_thread.joinable()) return;
    if (HWND window = moni::picture::DialogOfThread(m_threadId)) PostMessageW(window, WM_CLOSE, 0, 0);
    m_thread.join();
  }

 private:
  double m_start = 0;
  std::atomic<double> m_shown{0}, m_firstStatus{0};
  std::atomic<int> m_statuses{0};
  std::atomic<DWORD> m_threadId{0};
  std::thread m_thread;
};

// The printer's key with its defaults, without the tray icon question and the
// low-ink reminder: each runs a program of its own that waits for the user
// and would be measured with the window.
bool QuietPrinterKey(const moni::api::ViewArguments& args) {
  if (CBaseInfo::Instance().SetPrinterInformation(args.printer, args.driver, args.port, args.model, L"", L"") < 0) return false;
  std::wstring path;
  CRegistryKey key;
  return GetTargetPrnKey(args.printer, false, path) == 0 && key.Open(HKEY_CURRENT_USER, path, false, KEY_SET_VALUE) &&
         key.SetDword(L"TrayIconEnable", 0) && key.SetDword(moni::inkorder::kIoEnablePopup, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 60;
  const int openings = argc > 2 ? _wtoi(argv[2]) : 5;
  if (seconds < 1 || openings < 1) {
    std::fprintf(stderr, "usage: bench_view [SECONDS [OPENINGS]]\n");
    return 2;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  const std::wstring folder = moni::kit::MakeScenarioFolder(std::wstring(temp) + L"bqsim_bench_view_" + suffix);
  moni::api::ViewArguments args;
  args.viewType = 2;
  args.printer = L"Bench View " + suffix;
  args.driver = moni::kit::kDriver;
  args.port = L"USB0" + std::to_wstring(GetCurrentProcessId() % 90 + 10);
  args.model = moni::kit::kModelID;

  int rc = 1;
  if (!moni::kit::AddPrinter(args.printer, moni::kit::kDriver, args.port) ||
      !moni::kit::WriteScenario(moni::kit::kOpenByPrinter, args.printer, kScenario) || !QuietPrinterKey(args)) {
    std::fprintf(stderr, "bench_view: cannot make the printer\n");
  } else {
    std::vector<double> shown, status, painted;
    bool ok = true;
    for (int i = 0; i < openings && ok; ++i) {
      moni::kit::WriteScenario(moni::kit::kOpenByPrinter, args.printer, kScenario);
      OpenWindow window(args);
      double s = 0, f = 0, p = 0;
      ok = window.WaitForFirstPaint(s, f, p);
      shown.push_back(s);
      status.push_back(f);
      painted.push_back(p);
    }
    if (!ok) {
      std::fprintf(stderr, "bench_view: the window showed no status within 30 s\n");
    } else {
      std::printf("PrStartView to the window shown / first status / first status painted, ms (%d openings):\n", openings);
      for (size_t i = 0; i < painted.size(); ++i)
        std::printf("  opening %zu: %8.1f %8.1f %8.1f%s\n", i + 1, shown[i], status[i], painted[i], i == 0 ? "  (libraries loaded)" : "");
      std::sort(painted.begin() + 1, painted.end());
      if (painted.size() > 1)
        std::printf("  median of the later openings, first status painted: %.1f ms\n", painted[1 + (painted.size() - 1) / 2]);

      OpenWindow window(args);
      double s = 0, f = 0, p = 0;
      window.WaitForFirstPaint(s, f, p);
      std::printf("monitoring for %d s\n", seconds);
      std::fflush(stdout);
      const double cpu0 = CpuMs(), wall0 = Now();
      Sleep(static_cast<DWORD>(seconds) * 1000);
      const double cpu = CpuMs() - cpu0, wall = Now() - wall0;
      std::printf("open detail window, %d s of monitoring: %d status updates, CPU %.1f ms (%.3f %% of one core)\n", seconds,
                  window.Statuses(), cpu, 100.0 * cpu / wall);
      rc = 0;
    }
  }
  moni::kit::DeletePrinter(args.printer);
  moni::bench::RemoveTargetKeys(args.printer);
  moni::kit::RemoveScenarioFolder(folder);
  return rc;
}
