// CProgressMeter: follows the print jobs that the status window has been told
// about through the progress library, one worker thread per meter; posts the
// window each status read (WM_PROGRESSIF_STATUS) and each wait reason of the
// job (WM_PROGRESSIF_WAIT), and passes the user's pause, resume and delete
// back to the job. CProgressInfo is the status window's copy of a job record.
//
// One lock guards everything the window's thread and the worker share; it is
// not held across calls into the progress library, except while the record
// is stored and while the spooler is asked which jobs remain.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/handles.h"
#include "ui/progress/progress_core.h"

class CProgressLibrary;

inline constexpr UINT WM_PROGRESSIF_STATUS = 1054;
inline constexpr UINT WM_PROGRESSIF_WAIT = 1055;
inline constexpr UINT WM_PROGRESSIF_JOBFOUND = WM_USER + 32;  // 1056, sent, no parameters

class CProgressInfo {
 public:
  moni::progress::JobRecord m_Record{};
  bool m_bValid = false;
  bool m_bFinished = false;
  bool m_bJobAccepted = false;

  // Copies the record out and returns 1 when it is valid and either shown by
  // the progress meter (option non-zero) or `force` is 1; else zeroes `out`
  // and returns 0.
  int GetProgressData(moni::progress::JobRecord* out, int force) const;
};

class CProgressMeter {
 public:
  // The periods of the worker thread; tests shorten them.
  struct Timing {
    DWORD idleMs = 1000;     // after a pass that found no listed job, and between opens
    DWORD commandMs = 1000;  // after a command was passed to the job
    DWORD pollMs = 10;       // between status reads of the followed job
    DWORD waitMs = 1000;     // while the job waits for the window
  };
  struct Options {
    Timing timing;
    std::wstring libraryFolder;  // ending in "\"; empty: the running program's folder
  };

  // Parameters of SetParam / GetParam.
  enum Param { kNoticeWindow = 1, kAutoClearMask = 2 };

  CProgressMeter();
  explicit CProgressMeter(Options options);
  ~CProgressMeter();
  CProgressMeter(const CProgressMeter&) = delete;
  CProgressMeter& operator=(const CProgressMeter&) = delete;

  // Once: the printer and port, and the library, level and service name from
  // the driver's setup data or data file.
  void Initialize(const std::wstring& printer, const std::wstring& port);

  // 1 when the job was added (the worker thread is started when none is at
  // work), 0 when it was already listed.
  int AddPMJob(DWORD winJobId, DWORD option);
  // Asks the job to be deleted with that reason (the status window passes 0x10000).
  void CancelJob(DWORD winJobId, DWORD reason);
  // Sets the pending command for a job (pause 1, resume 2, ...).
  void SetJobCommand(DWORD winJobId, DWORD command, DWORD reason = 0);

  // Whether a wait reason is pending; `reason` gets the one to handle first.
  int GetWaitReason(DWORD* reason);
  void ClearWaitReason(DWORD reason);

  int GetJobCount();
  // The job id at `index`, 0 when there is none.
  DWORD GetJobId(int index);
  // Removes a listed job; false when it was not listed.
  bool RemoveJob(DWORD winJobId);

  void SetParam(int param, ULONG_PTR value);
  ULONG_PTR GetParam(int param);

  // The host information, its padding and its read flag (record offsets 556 to 595).
  void GetJobHostInfo(BYTE out[moni::progress::kHostInfoBlock]);
  // A copy of the current job record; true while a job's record is being filled.
  bool GetJobRecord(moni::progress::JobRecord& out);
  // The ink set data of the job that waits for it.
  struct InkSet {
    std::uint16_t wICNum = 0;
    std::uint16_t wOPIC[31] = {};
  };
  InkSet GetInkSet();

  // Ends the worker thread: sets the meter's and the process-wide ending flag
  // and waits for it.
  void Destroy();
  // Whether the worker thread is alive.
  bool IsRunning();

  // The process-wide flag that tells every worker thread to end.
  static bool IsPrimaryThreadEnding();

  // What Initialize chose.
  const std::wstring& LibraryName() const { return m_strLibrary; }
  DWORD Level() const { return m_dwLevel; }
  const std::wstring& ServiceName() const { return m_strService; }

 private:
  static DWORD WINAPI ThreadProc(void* self);
  void ProgressMain();
  bool IsJobRemaining();
  void ProgressMeterProc(CProgressLibrary& lib, DWORD winJobId);
  bool ReceiveJobInfo(CProgressLibrary& lib, DWORD winJobId);
  bool ReceiveJobStatus(CProgressLibrary& lib, DWORD winJobId);
  void ReadHostInfo(CProgressLibrary& lib);
  int CheckWaitReason(CProgressLibrary& lib, DWORD winJobId);
  BOOL SendJobCommand(CProgressLibrary& lib, DWORD winJobId);
  void NotifyReceiveStatus(DWORD winJobId);
  bool ReadText(CProgressLibrary& lib, DWORD info, std::u16string& out);
  bool Pause(DWORD ms);  // sleeps; false when the ending flag is set afterwards
  // Whether the worker is to end: this meter's Destroy, or the process-wide flag.
  bool Ending() const;
  void WaitForThread();
  bool FindListed(DWORD winJobId, DWORD* option);

  Options m_options;
  std::mutex m_lock;
  std::vector<std::pair<DWORD, DWORD>> m_JobArray;  // (Windows job id, option), in the order added
  moni::progress::JobRecord m_Record{};
  DWORD m_dwCmdTarget = 0, m_dwCommand = 0, m_dwCmdReason = 0;
  bool m_bJobPresent = false;
  bool m_bJobsRemaining = false;
  DWORD m_dwWaitReason = 0;
  HWND m_hNoticeWnd = nullptr;
  DWORD m_dwAutoClearMask = 0;
  InkSet m_InkSetID;

  std::wstring m_strPrinter, m_strPort;
  DWORD m_dwStartJobId = 0;
  std::atomic<HANDLE> m_hProgMeterIF{nullptr};
  std::atomic<DWORD> m_dwJobId{0};
  std::atomic<bool> m_bEnding{false};  // set by this meter's Destroy
  bool m_bDebug = false;
  std::wstring m_strLibrary = L"tlipgi10.dll";
  DWORD m_dwLevel = 1;
  std::wstring m_strService;
  moni::Thread m_thread;
};
