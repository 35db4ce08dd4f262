// CWatchDog: guards the status window against a status thread that stopped
// delivering. The window counts every status evaluation (IncrementCounter); a
// thread of the watchdog waits one period at a time and, when a whole period
// passed without a count, calls the emergency procedure on its own thread
// (the status window hands the work to its window thread).
//
// The wait is on a named manual-reset event that every count signals; when the
// event cannot be made the thread sleeps in steps instead (the fallback wait).
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "platform/handles.h"

class CWatchDog {
 public:
  static constexpr DWORD kDefaultPeriodSeconds = 180;

  // The fallback wait's step; tests shorten it.
  explicit CWatchDog(DWORD sleepStepMs = 1000);
  ~CWatchDog();
  CWatchDog(const CWatchDog&) = delete;
  CWatchDog& operator=(const CWatchDog&) = delete;

  void SetPeriodSecond(DWORD seconds);
  // The period in milliseconds (tests use short periods).
  void SetPeriodMs(DWORD ms);
  DWORD PeriodMs() const { return m_dwPeriodMs; }

  // Starts the watchdog unless its thread exists: the event
  // "WatchDogPeriodEvent_" + name (backslashes made slashes), then the thread.
  // True when a thread runs afterwards (also the one that ran before).
  bool Wakeup(const std::wstring& name, std::function<void()> emergencyProc);

  // One status evaluation: counts and signals the event.
  void IncrementCounter();

  // Stops and joins the thread, closes the event and resets every member
  // (period back to 180 s, counter 0, no procedure).
  void Shutdown();

  bool IsRunning() const { return m_bRunning.load(); }
  // The event's name while the watchdog runs with one; empty otherwise.
  const std::wstring& EventName() const { return m_strEventName; }
  bool HasEvent() const { return m_hEvent.valid(); }

 private:
  static DWORD WINAPI ThreadProc(void* self);
  void WatchDogMain();
  bool FallbackWait();  // false when the running flag was cleared

  const DWORD m_dwSleepStepMs;
  std::atomic<bool> m_bRunning{false};
  std::atomic<DWORD> m_dwPeriodMs{kDefaultPeriodSeconds * 1000};
  std::atomic<unsigned long> m_dwCounter{0};
  std::function<void()> m_emergencyProc;
  std::wstring m_strEventName;
  moni::KernelHandle m_hEvent;
  moni::Thread m_thread;
};
