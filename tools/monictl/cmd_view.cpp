// monictl view: opens a printer's status window as a driver does
// (PrStartView of monicore.dll), in the type asked for, and prints the
// export's result once the window has closed. A watcher thread can save a
// picture of the window once its first status is shown, and close it after
// a given time.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "api/monicore.h"
#include "commands.h"
#include "foundation/base_info.h"
#include "picture/window_picture.h"
#include "platform/handles.h"
#include "platform/spooler.h"

namespace monictl {

namespace {

struct ViewType {
  const wchar_t* name;
  int type;
};
constexpr ViewType kTypes[] = {{L"popup", 1}, {L"detail", 2}, {L"progress", 3}, {L"hidden", 4}};

// How long the window is given to show its first status before its picture is taken.
constexpr DWORD kFirstStatusMs = 2500;

int Fail(const std::string& message) {
  fprintf(stderr, "monictl: view: %s\n", message.c_str());
  return 1;
}

// Waits up to `ms` (in steps, until `stop`) for `done`.
template <typename F>
bool WaitUntil(F done, DWORD ms, const std::atomic<bool>& stop) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!stop.load()) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return false;
}

// Runs beside the window's thread: the picture, then the closing.
void Watch(DWORD windowThread, const std::wstring& screenshot, double closeAfter, const std::atomic<bool>& stop) {
  const ULONGLONG start = GetTickCount64();
  if (!screenshot.empty()) {
    HWND window = nullptr;
    const bool shown = WaitUntil([&] { return (window = moni::picture::DialogOfThread(windowThread)) && IsWindowVisible(window); }, 10000, stop);
    if (shown) {
      WaitUntil([] { return false; }, kFirstStatusMs, stop);
      const auto saved = moni::picture::SaveWindowPicture(window, screenshot);
      if (saved == moni::picture::SaveResult::kSaved) printf("picture saved: %s\n", Utf8(screenshot).c_str());
      else fprintf(stderr, "monictl: view: the window showed nothing to save\n");
    } else if (!stop.load()) {
      fprintf(stderr, "monictl: view: the window was not shown (it closed, or it stays hidden), so no picture was taken\n");
    }
    fflush(stdout);
  }
  if (closeAfter < 0) return;
  const DWORD waited = static_cast<DWORD>(GetTickCount64() - start);
  const DWORD total = static_cast<DWORD>(closeAfter * 1000);
  WaitUntil([] { return false; }, total > waited ? total - waited : 0, stop);
  if (stop.load()) return;
  // Closing as the user would; a type without a close box (progress) ends
  // as it does when the computer goes to sleep.
  HWND window = moni::picture::DialogOfThread(windowThread);
  if (!window) return;
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitUntil([&] { return !IsWindow(window); }, 1000, stop)) return;
  PostMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
}

}  // namespace

int CmdView(const Args& args) {
  std::wstring printer, screenshot;
  int type = 2;
  double closeAfter = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == L"--type" && hasValue) {
      const std::wstring value = args[++i];
      type = 0;
      for (const ViewType& t : kTypes) {
        if (value == t.name) type = t.type;
      }
      if (type == 0) return UsageError("view: --type is popup, detail, progress or hidden");
    } else if (arg == L"--screenshot" && hasValue) {
      screenshot = WindowsPath(args[++i]);
    } else if (arg == L"--close-after" && hasValue) {
      wchar_t* end = nullptr;
      closeAfter = std::wcstod(args[++i].c_str(), &end);
      if (!end || *end || closeAfter < 0 || closeAfter > 86400) return UsageError("view: --close-after takes seconds (0 to 86400)");
    } else if (arg.size() > 1 && arg[0] == L'-') {
      return UsageError("view: unknown option, or an option without its value");
    } else if (printer.empty()) {
      printer = arg;
    } else {
      return UsageError("view takes one printer name");
    }
  }
  if (printer.empty()) return UsageError("view: which printer?");

  std::wstring driver, port;
  if (!moni::spooler::GetPrinterDriverAndPort(printer, driver, port))
    return Fail("no printer \"" + Utf8(printer) + "\" (see \"monictl printers\")");
  const std::wstring model = GetModelIdFromDriver(printer, driver);
  if (model.empty()) return Fail("the driver \"" + Utf8(driver) + "\" names no model identifier in its setup data: not a monitored printer");

  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib) return Fail("monicore.dll could not be loaded (error " + std::to_string(GetLastError()) + ")");
  const auto start = moni::ProcAddress<decltype(&PrStartView)>(lib.get(), "PrStartView");
  if (!start) return Fail("monicore.dll lacks PrStartView (see \"monictl exports\")");

  if (type == 4 && !screenshot.empty()) {
    fprintf(stderr, "monictl: view: the hidden type shows no window, so no picture is taken\n");
    screenshot.clear();
  }
  printf("opening the status window of \"%s\"; waiting for it to close\n", Utf8(printer).c_str());
  fflush(stdout);
  std::atomic<bool> stop{false};
  std::thread watcher;
  if (!screenshot.empty() || closeAfter >= 0) {
    const DWORD self = GetCurrentThreadId();
    watcher = std::thread([&, self] { Watch(self, screenshot, closeAfter, stop); });
  }
  const int result = start(type, printer.c_str(), driver.c_str(), port.c_str(), model.c_str(), L"", L"", nullptr, 0);
  stop = true;
  if (watcher.joinable()) watcher.join();
  const char* meaning = result == 0 ? "the window ran and closed"
                        : result == 1 ? "monitoring is switched off for the printer, or its information or resource library "
                                        "could not be set up"
                                      : "unknown result";
  printf("result %d (%s)\n", result, meaning);
  return result == 0 ? 0 : 1;
}

}  // namespace monictl
