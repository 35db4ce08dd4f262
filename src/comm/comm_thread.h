// What the status and command threads share: the result messages, where the
// results go (a window by posted message, else a callback), and the worker
// thread with its running flag.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "platform/handles.h"

// Messages the communication threads post to their window.
inline constexpr UINT WM_RESULT_BQSENDREV = 0x414;    // wParam channel handle, lParam result of the send
inline constexpr UINT WM_RESULT_BQDEVICEID = 0x428;   // wParam negative result of the model check or of "ComStatus"
inline constexpr UINT WM_RESULT_BQSTCHANNEL = 0x429;  // wParam result of opening the status channel
inline constexpr UINT WM_RESULT_BQSTATUS = 0x42A;     // wParam result of reading the status

// Receives the same values a window would get, on the worker thread.
using BqResultCallback = void (*)(void* context, UINT message, WPARAM wParam, LPARAM lParam);

namespace moni::comm {

// A window (results posted) or else a callback (called on the worker thread).
struct ResultTarget {
  HWND window = nullptr;
  BqResultCallback callback = nullptr;
  void* context = nullptr;

  void Deliver(UINT message, WPARAM wParam, LPARAM lParam = 0) const;
  // A signed result as wParam, as the window reads it back.
  static WPARAM Value(int result) { return static_cast<WPARAM>(static_cast<INT_PTR>(result)); }
};

// One worker thread and its running flag. The flag is the stop signal that
// the thread reads between steps; stopping also wakes the thread from its
// pauses, so that a stop never waits for a whole period.
class Worker {
 public:
  Worker();
  ~Worker();  // stops and joins
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Starts body(arg) on a new thread with the running flag set; false (flag
  // clear) when the thread cannot be created. The flag is cleared again when
  // the body returns.
  bool Start(void (*body)(void*), void* arg);
  // Clears the running flag and wakes the thread; with `wait`, joins it.
  void Stop(bool wait);
  bool Running() const { return m_running.load(); }
  bool HasThread() const { return m_thread.valid(); }
  // Sleeps `ms` unless stopped first; true while still running.
  bool Pause(DWORD ms) const;

 private:
  static DWORD WINAPI Main(void* self);

  std::atomic<bool> m_running{false};
  KernelHandle m_stop;  // manual reset: set while stopping
  void (*m_body)(void*) = nullptr;
  void* m_arg = nullptr;
  Thread m_thread;
};

}  // namespace moni::comm
