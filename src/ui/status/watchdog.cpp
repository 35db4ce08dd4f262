#include "ui/status/watchdog.h"

#include "foundation/debug_log.h"
#include "platform/text.h"
#include "ui/status/watchdog_core.h"

CWatchDog::CWatchDog(DWORD sleepStepMs) : m_dwSleepStepMs(sleepStepMs == 0 ? 1 : sleepStepMs) {}

CWatchDog::~CWatchDog() { Shutdown(); }

void CWatchDog::SetPeriodSecond(DWORD seconds) {
  CDebugLog log("CWatchDog::SetPeriodSecond");
  log.Write("dwSecond = %u\n", seconds);
  SetPeriodMs(seconds > MAXDWORD / 1000 ? MAXDWORD : seconds * 1000);
}

void CWatchDog::SetPeriodMs(DWORD ms) { m_dwPeriodMs = ms; }

bool CWatchDog::Wakeup(const std::wstring& name, std::function<void()> emergencyProc) {
  CDebugLog log("CWatchDog::Wakeup");
  if (m_thread.valid()) return true;  // already watching: nothing changes
  m_strEventName = moni::ToWide(moni::watchdog::EventName(moni::ToU16(name)));
  log.Write("EventName = %s\n", m_strEventName);
  m_hEvent.reset(CreateEventW(nullptr, TRUE, FALSE, m_strEventName.c_str()));
  if (!m_hEvent) log.Write("Error : CreateEvent %u, the wait sleeps in steps\n", GetLastError());
  m_emergencyProc = std::move(emergencyProc);
  m_bRunning = true;
  if (!m_thread.start(&CWatchDog::ThreadProc, this)) {
    log.Write("Error : CreateThread %u\n", GetLastError());
    m_bRunning = false;
    m_hEvent.reset();
    m_emergencyProc = nullptr;
    m_strEventName.clear();
    return false;
  }
  return true;
}

void CWatchDog::IncrementCounter() {
  ++m_dwCounter;
  if (m_hEvent) SetEvent(m_hEvent.get());
}

void CWatchDog::Shutdown() {
  if (m_thread.valid()) {
    m_bRunning = false;
    if (m_hEvent) SetEvent(m_hEvent.get());
    m_thread.join();
  }
  m_bRunning = false;
  m_hEvent.reset();
  m_strEventName.clear();
  m_dwPeriodMs = kDefaultPeriodSeconds * 1000;
  m_dwCounter = 0;
  m_emergencyProc = nullptr;
}

DWORD WINAPI CWatchDog::ThreadProc(void* self) {
  static_cast<CWatchDog*>(self)->WatchDogMain();
  return 0;
}

bool CWatchDog::FallbackWait() {
  moni::watchdog::SleepMeasure measure{GetTickCount()};
  while (m_bRunning) {
    if (measure.Done(GetTickCount(), m_dwPeriodMs)) return true;
    Sleep(m_dwSleepStepMs);
  }
  CDebugLog("CWatchDog::WatchDogMain").Write("CWatchDog::WatchDogMain : break of sleep\n");
  return false;
}

void CWatchDog::WatchDogMain() {
  CDebugLog log("CWatchDog::WatchDogMain");
  unsigned long remembered = m_dwCounter;
  for (;;) {
    if (m_hEvent) {
      ResetEvent(m_hEvent.get());
      // Shutdown clears the flag before it signals: a signal that the reset
      // took away is seen here, so the thread never waits a period for nothing.
      if (m_bRunning) WaitForSingleObject(m_hEvent.get(), m_dwPeriodMs);
    } else {
      FallbackWait();
    }
    if (!m_bRunning) {
      log.Write("CWatchDog::WatchDogMain : end of watch\n");
      break;
    }
    if (m_dwCounter == remembered && m_emergencyProc) {
      log.Write("CWatchDog::WatchDogMain : call emergency proc\n");
      m_emergencyProc();
    }
    remembered = m_dwCounter;
  }
  log.Write("CWatchDog::WatchDogMain : exit\n");
}
