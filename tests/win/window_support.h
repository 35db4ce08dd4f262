// Finding and driving windows from a test: waiting, the windows of a process
// or thread, control texts and states, clicks, and pictures of what a window
// shows. Dialogs of the monitor run modal on the thread that calls the export,
// so a test runs the export on a DialogThread and drives the dialog from its
// own thread by messages.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "picture/window_picture.h"
#include "test_support.h"

namespace moni::test {

// Polls `done` every 20 ms until it holds or `ms` have passed.
template <typename F>
bool WaitFor(F done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// The top-level windows of a process with the given class.
inline std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className) {
  struct Search {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
  } search{pid, className, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (owner == s->pid && std::wstring(name) == s->className) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The texts of a window's children (through WM_GETTEXT, which crosses processes).
inline std::wstring ChildTexts(HWND window) {
  std::wstring all;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        wchar_t text[512] = {};
        SendMessageTimeoutW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
        *reinterpret_cast<std::wstring*>(param) += std::wstring(text) + L"\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

// The visible top-level windows of one thread with the given class ("#32770"
// for dialogs).
inline std::vector<HWND> ThreadWindows(DWORD threadId, const wchar_t* className = L"#32770") {
  struct Search {
    const wchar_t* className;
    std::vector<HWND> found;
  } search{className, {}};
  EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (IsWindowVisible(window) && std::wstring(name) == s->className) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for a visible dialog of the thread; with `controlId` one that has
// that control (to tell a dialog from a message box). Null after `ms`.
inline HWND WaitForDialog(DWORD threadId, int controlId = 0, DWORD ms = 10000) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND w : ThreadWindows(threadId)) {
          if (controlId == 0 || GetDlgItem(w, controlId)) found = w;
        }
        return found != nullptr;
      },
      ms);
  return found;
}

// The text of a window (WM_GETTEXT, which also crosses threads and processes).
inline std::wstring WindowText(HWND window) {
  wchar_t text[2048] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}
inline std::wstring ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
inline bool IsChecked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool IsEnabledAndShown(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control && IsWindowEnabled(control) && IsWindowVisible(control);
}

// Whether the control's text fits it in its own font (picture::TextFits).
inline bool TextFits(HWND dialog, int id) { return picture::TextFits(GetDlgItem(dialog, id)); }

// Clicks a button or check box as the user would (the dialog gets its
// BN_CLICKED only when the control is enabled). Posted, so that a click that
// opens a message box or ends the dialog does not block the test.
inline bool Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control && PostMessageW(control, BM_CLICK, 0, 0);
}

// Runs `body` (an export that shows a modal window) on a thread of its own.
// The destructor waits for it: a test ends its dialog first.
class DialogThread {
 public:
  explicit DialogThread(std::function<int()> body)
      : m_thread([this, body = std::move(body)] {
          m_id = GetCurrentThreadId();
          m_result = body();
          m_done = true;
        }) {
    WaitFor([&] { return m_id.load() != 0; }, 5000);
  }
  ~DialogThread() {
    if (m_thread.joinable()) m_thread.join();
  }
  DialogThread(const DialogThread&) = delete;
  DialogThread& operator=(const DialogThread&) = delete;

  DWORD id() const { return m_id; }
  // Waits up to `ms` for the export to return; true when it did.
  bool Finish(DWORD ms = 10000) { return WaitFor([&] { return m_done.load(); }, ms); }
  int result() const { return m_result; }

 private:
  std::atomic<DWORD> m_id{0};
  std::atomic<bool> m_done{false};
  std::atomic<int> m_result{0};
  std::thread m_thread;
};

// The folder for the pictures of this run (MONI_ARTIFACT_DIR, which ctest sets
// to <tree>/artifacts), with a trailing backslash; empty when none is set.
inline std::wstring ArtifactFolder() {
  wchar_t dir[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"MONI_ARTIFACT_DIR", dir, MAX_PATH) == 0) return {};
  std::wstring folder = dir;
  if (folder.front() == L'/') folder = L"Z:" + folder;  // a Unix path from ctest
  for (wchar_t& c : folder) c = c == L'/' ? L'\\' : c;
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\";
}

// Saves what the window shows as <artifacts>\<name> (a relative name may hold
// one subfolder); kBlank when it shows nothing. The window's thread must
// handle its messages meanwhile (a DialogThread does).
inline picture::SaveResult SaveWindowPicture(HWND window, const std::wstring& name) {
  const std::wstring folder = ArtifactFolder();
  if (folder.empty()) return picture::SaveResult::kNotWritten;
  const size_t slash = name.find(L'\\');
  if (slash != std::wstring::npos) CreateDirectoryW((folder + name.substr(0, slash)).c_str(), nullptr);
  return picture::SaveWindowPicture(window, folder + name);
}

}  // namespace moni::test
