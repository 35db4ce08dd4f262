// A real message-only window that records what other threads post to it, for
// the tests of the status and command threads. It lives on the test's thread,
// which pumps its messages while it waits.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace moni::test {

class MessageWindow {
 public:
  struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::chrono::steady_clock::time_point at;
    int value() const { return static_cast<int>(static_cast<INT_PTR>(wParam)); }
  };

  MessageWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &MessageWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // a second window finds the class registered
    m_hwnd = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (m_hwnd) SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND hwnd() const { return m_hwnd; }
  const std::vector<Posted>& posted() const { return m_posted; }

  // The messages recorded with this number, in order.
  std::vector<Posted> Of(UINT message) const {
    std::vector<Posted> out;
    for (const auto& p : m_posted)
      if (p.message == message) out.push_back(p);
    return out;
  }

  // Pumps messages until `done` holds or `timeoutMs` passed; returns `done()`.
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      if (done()) return true;
      const auto left = deadline - std::chrono::steady_clock::now();
      if (left <= std::chrono::steady_clock::duration::zero()) return done();
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms < 20 ? ms + 1 : 20), QS_ALLINPUT);
    }
  }
  // Pumps until `count` messages of this number came.
  bool WaitFor(UINT message, size_t count, DWORD timeoutMs) {
    return PumpUntil([&] { return Of(message).size() >= count; }, timeoutMs);
  }
  // Pumps for `ms` whatever comes.
  void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
  }

 private:
  static constexpr wchar_t kClass[] = L"MoniTestMessageWindow";

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message >= WM_USER) {
      self->m_posted.push_back({message, wParam, lParam, std::chrono::steady_clock::now()});
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HWND m_hwnd = nullptr;
  std::vector<Posted> m_posted;
};

}  // namespace moni::test
