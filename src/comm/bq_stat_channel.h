// Status threads: a status channel read on a thread of its own, with the
// results posted to a window (or given to a callback).
//
// - CBqStatChannel opens a status channel and reads one status reply, once.
// - CDetailBqStatus is the status window's polling loop: it checks once that
//   the printer is the expected model, reads the status every interval and
//   writes it under the printer key, and while a job of the printer is being
//   printed (the printing side keeps the "V_GTMS_" mapping open) follows the
//   status record that the printing side writes instead of asking the printer.
//
// The window thread starts and ends the thread; the two share the object, and
// the running flag is the stop signal. Periods come from the caller
// (SetPeriods), so that a test need not wait whole seconds.
#pragma once
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "comm/bqapi_binding.h"
#include "comm/comm_thread.h"

class CBqStatChannel : public CBqApiChannel {
 public:
  // The printer by open type and name; no channel selected yet.
  CBqStatChannel(int openType, const wchar_t* name);
  // Ends the thread (waiting for it) before anything it uses goes.
  ~CBqStatChannel() override;

  // Starts the thread that posts the results to `hWnd` (or, without one,
  // calls `callback` with `context`): 1 started, 0 when it is already running
  // or cannot be started.
  virtual int StartStatusThread(HWND hWnd, BqResultCallback callback, void* context);
  // Clears the running flag; with `wait` 1 waits for the thread to end.
  virtual void EndStatusThread(int wait);
  bool IsRunning() const { return m_worker.Running(); }

  // Reads one status reply into the reply buffer: 1 read, 0 no status, the
  // library's negative result (-17 busy), -2 no memory, -1 no channel open.
  virtual int GetPrinterStatus();
  // Channel candidates: 0x00000004, 0x10000005, 0x10010003; 0 from index 3.
  virtual std::uint32_t EnumChannel(int index);
  // Picks the first candidate the printer offers for status and opens it:
  // 1 opened, 0 selected but not opened, -1 none selected.
  int OpenStatusChannel();

  // A copy of the last reply GetPrinterStatus read; the thread may replace
  // the reply meanwhile.
  std::vector<std::uint8_t> Reply() const;

  // The thread's pause before its first step and its tick (milliseconds):
  // 500 and 1000 unless the caller sets others before starting it.
  void SetPeriods(DWORD startDelayMs, DWORD tickMs);

 protected:
  virtual void BqStatusThreadMain();
  void Post(UINT message, int result) const { m_target.Deliver(message, moni::comm::ResultTarget::Value(result)); }

  mutable std::mutex m_replyLock;
  std::vector<std::uint8_t> m_reply;  // under m_replyLock
  moni::comm::ResultTarget m_target;
  DWORD m_startDelayMs = 500;
  DWORD m_tickMs = 1000;
  moni::comm::Worker m_worker;

 private:
  static void ThreadBody(void* self) { static_cast<CBqStatChannel*>(self)->BqStatusThreadMain(); }
};

class CDetailBqStatus : public CBqStatChannel {
 public:
  CDetailBqStatus(int openType, const wchar_t* name);
  ~CDetailBqStatus() override;

  // Stores the printer's names and model and the mapping's name ("V_GTMS_"
  // and the map name, every backslash a slash): 1, or 0 while running.
  int Initialize(const std::wstring& printerName, const std::wstring& portName, const std::wstring& modelId,
                 const std::wstring& mapName);

  // Refreshes the registry status record: while printing, checks that the
  // printing side's "Status" is there; otherwise reads the printer and writes
  // "Status" and "Channel" under the printer key. 1 success, 0 no status,
  // -1 failure, -2 the printer is busy (-17) or no memory.
  int GetPrinterStatus() override;
  // All five status channel candidates.
  std::uint32_t EnumChannel(int index) override;
  // 1 the printer reports the expected model, -2 another one, -1 unknown.
  int CheckModelIDFromBQAPI();

  // Polling intervals in ticks: 5 locally, 30 over the network by default;
  // values of 0 leave them.
  void SetIntervals(int local, int network);

  const std::wstring& MonitorMapFile() const { return m_strMonitorMapFile; }
  bool Printing() const { return m_bPrinting.load(); }
  // Sets the printing flag from the printing side's mapping now (the thread
  // refreshes it at every step); returns it.
  bool RefreshPrinting();

  // The "ComStatus" value while printing as a result: 1 a new status, 0
  // nothing new, negative a condition to show (-1, -2, -3, -4).
  int ComStatusResult();

 protected:
  void BqStatusThreadMain() override;

 private:
  // The printer key below HKCU (by printer name, else by port); empty when none.
  std::wstring PrinterKey() const;
  int Interval() const;

  std::wstring m_strModelId, m_strPrinterName, m_strPortName, m_strMonitorMapFile;
  std::atomic<bool> m_bPrinting{false};
  int m_nLocalInterval = 5;
  int m_nNetworkInterval = 30;
};
