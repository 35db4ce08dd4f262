#include "ui/progress/progress_meter.h"

#include <algorithm>
#include <cstring>

#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "platform/spooler.h"
#include "ui/progress/progress_library.h"

namespace {

using moni::progress::JobRecord;
namespace pg = moni::progress;

// Set by Destroy, cleared when a meter is made; read by every worker thread
// and by the status window. A meter's own stop is its m_bEnding as well, so
// that a meter made meanwhile cannot cancel it by clearing this flag.
std::atomic<bool> g_bPrimaryThreadEnding{false};

constexpr wchar_t kDebugKey[] = L"Software\\TALMER\\VGL3\\Debug";
constexpr wchar_t kDriverInfoSection[] = L"User Mode Printer Driver Information";
// A name longer than this is not taken from the library.
constexpr DWORD kMaxTextBytes = 64 * 1024;


void StoreName(char16_t (&field)[pg::kNameUnits], const std::u16string& text) {
  std::memset(field, 0, sizeof field);
  std::copy_n(text.begin(), std::min(text.size(), pg::kNameUnits - 1), field);
}


}  // namespace

int CProgressInfo::GetProgressData(JobRecord* out, int force) const {
  CDebugLog log("CProgressInfo::GetProgressData");
  if (!out) return 0;
  if (m_bValid && (m_Record.dwParam != 0 || force == 1)) {
    log.Write("JobInfo Enable: Progressmeter %s\n", m_Record.dwParam != 0 ? "on" : "forced");
    *out = m_Record;
    return 1;
  }
  log.Write("JobInfo Disable\n");
  std::memset(out, 0, sizeof *out);
  return 0;
}

CProgressMeter::CProgressMeter() : CProgressMeter(Options()) {}

CProgressMeter::CProgressMeter(Options options) : m_options(std::move(options)) {
  g_bPrimaryThreadEnding.store(false);
  if (m_options.libraryFolder.empty()) m_options.libraryFolder = CProgressLibrary::ProgramFolder();
}

CProgressMeter::~CProgressMeter() { Destroy(); }

bool CProgressMeter::IsPrimaryThreadEnding() { return g_bPrimaryThreadEnding.load(); }

bool CProgressMeter::Ending() const { return m_bEnding.load() || g_bPrimaryThreadEnding.load(); }

void CProgressMeter::Initialize(const std::wstring& printer, const std::wstring& port) {
  CDebugLog log("CProgressMeter::Initialize");
  if (!m_strPrinter.empty() || !m_strPort.empty()) return;
  m_strPrinter = printer;
  m_strPort = port;
  m_strLibrary = tlma::kDefaultLibrary;
  m_dwLevel = tlma::kDefaultLevel;

  std::wstring driver, ignoredPort;
  moni::spooler::GetPrinterDriverAndPort(printer, driver, ignoredPort);
  const std::wstring driverKey = moni::DriverKey(driver);
  std::wstring name;
  if (!driver.empty())
    name = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, printer, driverKey, L"ProgressDllName");
  if (!name.empty()) {
    log.Write("ProgressDllName(from driver key) = %s\n", name);
  } else {
    moni::spooler::DriverFiles files;
    if (moni::spooler::GetDriverFilesForPrinter(printer, files) && !files.dataFile.empty())
      name = moni::profile::ReadIniString(files.dataFile, kDriverInfoSection, L"ProgressMeterI");
    if (!name.empty()) log.Write("ProgressDllName(from vif) = %s\n", name);
  }
  if (!name.empty()) {
    m_strLibrary = name;
    m_dwLevel = tlma::kDriverLibraryLevel;
  } else {
    log.Write("I/F name not found\n");
  }
  log.Write("I/F level = %d\n", static_cast<int>(m_dwLevel));
  if (!driver.empty())
    m_strService = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, printer, driverKey, L"STMSRV_INTERNALNAME");

  CRegistryKey debug;
  m_bDebug = debug.Open(HKEY_LOCAL_MACHINE, kDebugKey, false, KEY_READ) && debug.QueryDword(L"EnableProgress", 0) != 0;
}

int CProgressMeter::AddPMJob(DWORD winJobId, DWORD option) {
  CDebugLog log("CProgressMeter::AddPMJob");
  bool start = false;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (std::any_of(m_JobArray.begin(), m_JobArray.end(), [&](const auto& job) { return job.first == winJobId; })) return 0;
    start = m_JobArray.empty() && !m_bJobsRemaining;
    m_JobArray.emplace_back(winJobId, option);
    if (start) m_bJobsRemaining = true;  // a thread is at work from now on
  }
  if (start) {
    if (m_thread.valid()) {
      log.Write("enter : WaitForSingleObject[1]\n");
      WaitForThread();
    }
    m_dwStartJobId = winJobId;
    m_bEnding = false;
    if (!m_thread.start(ThreadProc, this)) {
      log.Write("*** Error *** : CreateThread (%lu)\n", GetLastError());
      std::lock_guard<std::mutex> guard(m_lock);
      m_bJobsRemaining = false;
    }
  }
  return 1;
}

void CProgressMeter::CancelJob(DWORD winJobId, DWORD reason) {
  CDebugLog log("CProgressMeter::CancelJob");
  log.Write("dwReason : 0x%08x\n", reason);
  SetJobCommand(winJobId, pg::TLM_COMMAND_DELETE, reason);
}

void CProgressMeter::SetJobCommand(DWORD winJobId, DWORD command, DWORD reason) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_dwCmdTarget = winJobId;
  m_dwCommand = command;
  m_dwCmdReason = reason;
}

int CProgressMeter::GetWaitReason(DWORD* reason) {
  CDebugLog log("CProgressMeter::GetWaitReason");
  DWORD flags = 0;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    flags = m_dwWaitReason;
  }
  if (flags == 0) return 0;
  const DWORD selected = pg::SelectWaitReason(flags);
  log.Write("SelectReason : *lpdwWaitReason = 0x%08x\n", selected);
  if (reason) *reason = selected;
  return 1;
}

void CProgressMeter::ClearWaitReason(DWORD reason) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_dwWaitReason &= ~reason;
}

int CProgressMeter::GetJobCount() {
  std::lock_guard<std::mutex> guard(m_lock);
  return static_cast<int>(m_JobArray.size());
}

DWORD CProgressMeter::GetJobId(int index) {
  std::lock_guard<std::mutex> guard(m_lock);
  return index >= 0 && static_cast<size_t>(index) < m_JobArray.size() ? m_JobArray[index].first : 0;
}

bool CProgressMeter::RemoveJob(DWORD winJobId) {
  std::lock_guard<std::mutex> guard(m_lock);
  const auto it = std::find_if(m_JobArray.begin(), m_JobArray.end(), [&](const auto& job) { return job.first == winJobId; });
  if (it == m_JobArray.end()) return false;
  m_JobArray.erase(it);
  return true;
}

bool CProgressMeter::FindListed(DWORD winJobId, DWORD* option) {
  std::lock_guard<std::mutex> guard(m_lock);
  for (const auto& job : m_JobArray) {
    if (job.first == winJobId) {
      if (option) *option = job.second;
      return true;
    }
  }
  return false;
}

void CProgressMeter::SetParam(int param, ULONG_PTR value) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (param == kNoticeWindow) m_hNoticeWnd = reinterpret_cast<HWND>(value);
  if (param == kAutoClearMask) m_dwAutoClearMask = static_cast<DWORD>(value);
}

ULONG_PTR CProgressMeter::GetParam(int param) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (param == kNoticeWindow) return reinterpret_cast<ULONG_PTR>(m_hNoticeWnd);
  if (param == kAutoClearMask) return m_dwAutoClearMask;
  return 0;
}

void CProgressMeter::GetJobHostInfo(BYTE out[pg::kHostInfoBlock]) {
  std::lock_guard<std::mutex> guard(m_lock);
  std::memcpy(out, reinterpret_cast<const BYTE*>(&m_Record) + offsetof(JobRecord, HostInfo), pg::kHostInfoBlock);
}

bool CProgressMeter::GetJobRecord(JobRecord& out) {
  std::lock_guard<std::mutex> guard(m_lock);
  out = m_Record;
  return m_bJobPresent;
}

CProgressMeter::InkSet CProgressMeter::GetInkSet() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_InkSetID;
}

void CProgressMeter::Destroy() {
  if (!m_thread.valid()) return;
  CDebugLog log("CProgressMeter::Destroy");
  m_bEnding = true;
  g_bPrimaryThreadEnding.store(true);
  log.Write("enter : WaitForSingleObject[2]\n");
  WaitForThread();
}

bool CProgressMeter::IsRunning() { return m_thread.valid() && !m_thread.wait(0); }

// Waits for the worker without time-out. The worker sends this thread one
// message when it finds a job, so the wait serves sent messages meanwhile
// (and only those: nothing posted is dispatched here).
void CProgressMeter::WaitForThread() {
  const HANDLE thread = m_thread.get();
  while (thread && MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  m_thread.join();
}

bool CProgressMeter::Pause(DWORD ms) {
  Sleep(ms);
  return !Ending();
}

DWORD WINAPI CProgressMeter::ThreadProc(void* self) {
  static_cast<CProgressMeter*>(self)->ProgressMain();
  return 0;
}

void CProgressMeter::ProgressMain() {
  CDebugLog log("CProgressMeter::ProgressMain");
  CProgressLibrary lib;
  CProgressLibrary::LoadArgs load{m_strLibrary, m_strPrinter, m_dwStartJobId, m_strService, m_options.libraryFolder};
  DWORD level = m_dwLevel;
  auto tryLoad = [&] {
    log.Write("enter : TLMA_Load : ProgressIFName = %s, PrinterName = %s, StartWinJobID = 0x%08x, ServiceName = %s\n",
              load.library, load.printer, load.startJob, load.serviceName);
    const bool ok = lib.Load(load);
    log.Write("exit : TLMA_Load : hTlmaInst = %x\n", ok ? 1u : 0u);
    return ok;
  };
  bool loaded = tryLoad();
  if (!loaded && level == tlma::kDriverLibraryLevel) {
    load.library = tlma::kDefaultLibrary;
    level = tlma::kDefaultLevel;
    loaded = tryLoad();
  }
  if (!loaded) {
    log.Write("*** Error *** : TLMA_Load : hTlmaInst == NULL\n");
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_JobArray.empty()) {
      log.Write("Delete Oldest Job\n");
      m_JobArray.erase(m_JobArray.begin());
    }
    m_bJobsRemaining = false;
    return;
  }

  while (IsJobRemaining()) {
    if (Ending()) break;
    std::vector<DWORD> listed;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      for (const auto& job : m_JobArray) listed.push_back(job.first);
    }
    HANDLE handle = nullptr;
    for (DWORD id : listed) {
      if ((handle = lib.Open(m_strPrinter, m_strPort, level, id)) != nullptr) break;
    }
    m_hProgMeterIF = handle;
    if (handle) {
      while (!Ending() && lib.Test(handle)) {
        const DWORD libJob = lib.GetCurrentJob(handle);
        m_dwJobId = libJob;
        DWORD winJob = 0, needed = 0, option = 0;
        bool followed = false;
        if (!lib.GetJobInfo(handle, libJob, pg::kInfoWinJobId, reinterpret_cast<BYTE*>(&winJob), sizeof winJob, &needed)) {
          log.Write("*** Error *** : TLMA_GetJobInfo\n");
        } else if (FindListed(winJob, &option)) {
          {
            std::lock_guard<std::mutex> guard(m_lock);
            std::memset(&m_Record, 0, sizeof m_Record);
            m_Record.dwJobId = winJob;
            m_Record.dwParam = option;
          }
          ReadHostInfo(lib);
          HWND window = reinterpret_cast<HWND>(GetParam(kNoticeWindow));
          if (IsWindow(window)) SendMessageW(window, WM_PROGRESSIF_JOBFOUND, 0, 0);
          if (CheckWaitReason(lib, winJob) == 1) ProgressMeterProc(lib, winJob);
          if (Ending()) break;
          NotifyReceiveStatus(winJob);
          RemoveJob(winJob);
          m_dwJobId = 0;
          followed = true;
        }
        if (!followed) {
          if (!Pause(m_options.timing.idleMs)) break;
          // The listed jobs may have left the spooler while the library
          // follows jobs of others: then there is nothing more to wait for.
          if (!IsJobRemaining()) break;
        }
      }
      {
        std::lock_guard<std::mutex> guard(m_lock);
        std::memset(&m_Record, 0, sizeof m_Record);
      }
      lib.Close(handle);
      m_hProgMeterIF = nullptr;
    } else {
      log.Write("*** Error *** : TLMA_Open : m_hProgMeterIF == NULL\n");
    }
    if (!Pause(m_options.timing.idleMs)) break;
  }
  lib.Free();
  std::lock_guard<std::mutex> guard(m_lock);
  m_bJobsRemaining = false;
}

bool CProgressMeter::IsJobRemaining() {
  CDebugLog log("CProgressMeter::IsJobRemaining");
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_bDebug && !m_JobArray.empty()) {
    std::vector<DWORD> ids;
    for (const auto& job : m_JobArray) ids.push_back(job.first);
    if (const auto present = moni::spooler::JobsPresent(m_strPrinter, ids)) {
      for (size_t i = 0; i < ids.size(); ++i) {
        if ((*present)[i]) continue;
        log.Write("job 0x%08x left the spooler\n", ids[i]);
        m_JobArray.erase(std::find_if(m_JobArray.begin(), m_JobArray.end(), [&](const auto& job) { return job.first == ids[i]; }));
      }
    }
  }
  if (m_JobArray.empty()) log.Write("size of m_JobArray = 0\n");
  m_bJobsRemaining = !m_JobArray.empty();
  return m_bJobsRemaining;
}

void CProgressMeter::ProgressMeterProc(CProgressLibrary& lib, DWORD winJobId) {
  CDebugLog log("CProgressMeter::ProgressMeterProc");
  const HANDLE handle = m_hProgMeterIF;
  const DWORD job = m_dwJobId;
  lib.StartProgress(handle, job);
  ReceiveJobInfo(lib, winJobId);
  while (lib.TestJob(handle, job)) {
    if (Ending()) break;
    ReadHostInfo(lib);
    if (CheckWaitReason(lib, winJobId) == 1) {
      if (ReceiveJobStatus(lib, winJobId)) {
        NotifyReceiveStatus(winJobId);
        Sleep(SendJobCommand(lib, winJobId) ? m_options.timing.commandMs : m_options.timing.pollMs);
      } else {
        log.Write("error ReceiveJobStatus\n");
        Sleep(m_options.timing.pollMs);
      }
    } else {
      Sleep(m_options.timing.pollMs);
    }
  }
  lib.EndProgress(handle, job);
  std::lock_guard<std::mutex> guard(m_lock);
  m_bJobPresent = false;
}

bool CProgressMeter::ReadText(CProgressLibrary& lib, DWORD info, std::u16string& out) {
  out.clear();
  DWORD needed = 0;
  lib.GetJobInfo(m_hProgMeterIF, m_dwJobId, info, nullptr, 0, &needed);
  if (needed == 0 || needed > kMaxTextBytes) return false;
  std::vector<BYTE> buffer(needed + sizeof(char16_t), 0);  // room for a terminator the library left out
  DWORD got = 0;
  if (!lib.GetJobInfo(m_hProgMeterIF, m_dwJobId, info, buffer.data(), needed, &got)) return false;
  const auto* text = reinterpret_cast<const char16_t*>(buffer.data());
  const size_t units = needed / sizeof(char16_t);
  out.assign(text, std::find(text, text + units, u'\0'));
  return true;
}

bool CProgressMeter::ReceiveJobInfo(CProgressLibrary& lib, DWORD winJobId) {
  CDebugLog log("CProgressMeter::ReceiveJobInfo");
  std::u16string document;
  const bool haveName = ReadText(lib, pg::kInfoDocument, document);
  std::uint16_t codes[3] = {};
  DWORD needed = 0;
  const bool haveCodes = lib.GetJobInfo(m_hProgMeterIF, m_dwJobId, pg::kInfoPaperCodes, reinterpret_cast<BYTE*>(codes),
                                        sizeof codes, &needed) != FALSE;
  std::u16string source, media, size;
  if (haveCodes) {
    ReadText(lib, pg::kInfoPaperSource, source);
    ReadText(lib, pg::kInfoMediaType, media);
    ReadText(lib, pg::kInfoPaperSize, size);
  }
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_Record.dwJobId = winJobId;
    StoreName(m_Record.szDocument, document);
    if (haveCodes) {
      std::copy_n(codes, 3, m_Record.wPaperCodes);
      StoreName(m_Record.szPaperSource, source);
      StoreName(m_Record.szMediaType, media);
      StoreName(m_Record.szPaperSize, size);
    } else {
      std::fill_n(m_Record.wPaperCodes, 3, 0);
    }
  }
  log.Write(haveName && haveCodes ? "success Doc and Property\n" : "error Doc/Property\n");
  return haveName && haveCodes;
}

bool CProgressMeter::ReceiveJobStatus(CProgressLibrary& lib, DWORD winJobId) {
  CDebugLog log("CProgressMeter::ReceiveJobStatus");
  const HANDLE h = m_hProgMeterIF;
  const DWORD job = m_dwJobId;
  bool needName = false;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    needName = m_Record.szDocument[0] == u'\0';
  }
  std::u16string document;
  const bool haveName = needName && ReadText(lib, pg::kInfoDocument, document);
  DWORD needed = 0;
  std::uint16_t codes[3] = {};
  const bool haveCodes = lib.GetJobInfo(h, job, pg::kInfoPaperCodes, reinterpret_cast<BYTE*>(codes), sizeof codes, &needed) != FALSE;
  std::u16string source, media, size;
  if (haveCodes) {
    ReadText(lib, pg::kInfoPaperSource, source);
    ReadText(lib, pg::kInfoMediaType, media);
    ReadText(lib, pg::kInfoPaperSize, size);
  }
  DWORD sheets[2] = {}, progress[2] = {}, value104 = 0, status = 0;
  const bool haveSheets = lib.GetJobInfo(h, job, pg::TLM_JOBINFO_SHEETS, reinterpret_cast<BYTE*>(sheets), sizeof sheets, &needed) != FALSE;
  if (!haveSheets) log.Write("error TLM_JOBINFO_SHEETS\n");
  const bool haveProgress =
      lib.GetJobInfo(h, job, pg::TLM_JOBINFO_PROGRESS, reinterpret_cast<BYTE*>(progress), sizeof progress, &needed) != FALSE;
  if (!haveProgress) log.Write("error TLM_JOBINFO_PROGRESS\n");
  const bool have104 = lib.GetJobInfo(h, job, pg::kInfo104, reinterpret_cast<BYTE*>(&value104), sizeof value104, &needed) != FALSE;
  if (!have104) value104 = 0;
  const bool haveStatus =
      lib.GetJobInfo(h, job, pg::TLM_JOBINFO_JOBSTATUS, reinterpret_cast<BYTE*>(&status), sizeof status, &needed) != FALSE;
  if (!haveStatus) log.Write("error TLM_JOBINFO_JOBSTATUS\n");
  if (!haveSheets || !haveProgress || !haveStatus) return false;

  std::lock_guard<std::mutex> guard(m_lock);
  if (haveName) StoreName(m_Record.szDocument, document);
  if (haveCodes) {
    std::copy_n(codes, 3, m_Record.wPaperCodes);
    StoreName(m_Record.szPaperSource, source);
    StoreName(m_Record.szMediaType, media);
    StoreName(m_Record.szPaperSize, size);
  }
  m_Record.dwJobId = winJobId;
  m_Record.dwJobStatus = status;
  std::copy_n(sheets, 2, m_Record.dwSheets);
  std::copy_n(progress, 2, m_Record.dwProgress);
  m_Record.bInfo104 = have104 ? 1 : 0;
  m_Record.dwInfo104 = value104;
  m_bJobPresent = true;
  return true;
}

void CProgressMeter::ReadHostInfo(CProgressLibrary& lib) {
  BYTE host[pg::kHostInfoSize] = {};
  DWORD needed = 0;
  const bool ok = lib.GetJobInfo(m_hProgMeterIF, m_dwJobId, pg::kInfoHost, host, sizeof host, &needed) != FALSE;
  std::lock_guard<std::mutex> guard(m_lock);
  std::memcpy(m_Record.HostInfo, host, sizeof host);
  m_Record.bHostInfo = ok ? 1 : 0;
}

int CProgressMeter::CheckWaitReason(CProgressLibrary& lib, DWORD winJobId) {
  CDebugLog log("CProgressMeter::CheckWaitReason");
  const HANDLE h = m_hProgMeterIF;
  const DWORD job = m_dwJobId;
  auto clearAll = [&] {
    std::lock_guard<std::mutex> guard(m_lock);
    m_dwWaitReason = 0;
  };
  DWORD flags = 0, needed = 0;
  if (!lib.GetJobInfo(h, job, pg::kInfoWaitFlags, reinterpret_cast<BYTE*>(&flags), sizeof flags, &needed)) {
    log.Write("WaitReason Not Found\n");
    clearAll();
    return 1;
  }
  if (flags == 0) {
    clearAll();
    return 1;
  }
  log.Write("WaitReason Found[1st] : dwWaitFlag = 0x%08x\n", flags);
  if (flags & pg::kWaitClearAtOnce) {
    flags &= ~pg::kWaitClearAtOnce;
    lib.SetJobInfo(h, job, pg::kInfoWaitFlags, pg::kWaitClearAtOnce);
  }
  const DWORD autoClear = flags & static_cast<DWORD>(GetParam(kAutoClearMask));
  if (autoClear) {
    log.Write("AutoClear : dwAutoClearFlag = 0x%08x\n", autoClear);
    lib.SetJobInfo(h, job, pg::kInfoWaitFlags, autoClear);
    flags &= ~autoClear;
  }
  if (flags & pg::kWaitInkSet) {
    InkSet inks;
    if (lib.GetJobInfo(h, job, pg::kInfoInkSet, reinterpret_cast<BYTE*>(&inks), sizeof inks, &needed)) {
      log.Write("Get Inkset data\n");
      log.Write("wICNum = %d\n", static_cast<int>(inks.wICNum));
      for (int i = 0; i < 31; ++i) log.Write("wOPIC[%d] = 0x%04x\n", i, static_cast<unsigned>(inks.wOPIC[i]));
      std::lock_guard<std::mutex> guard(m_lock);
      m_InkSetID = inks;
    } else {
      lib.SetJobInfo(h, job, pg::kInfoWaitFlags, pg::kWaitInkSet);
      flags &= ~pg::kWaitInkSet;
    }
  }
  if (flags == 0) {
    log.Write("Complete : CheckWaitReason\n");
    clearAll();
    return 1;
  }
  log.Write("WaitReason Found[2nd] : dwWaitFlag = 0x%08x\n", flags);
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_dwWaitReason = flags;
    window = m_hNoticeWnd;
  }
  if (IsWindow(window)) PostMessageW(window, WM_PROGRESSIF_WAIT, 0, winJobId);

  while (flags != 0) {
    log.Write("WaitReason Found[3rd] : dwWaitFlag = 0x%08x, m_dwJobId = 0x%08x\n", flags, job);
    if (!lib.TestJob(h, job)) {
      log.Write("*** Error *** : TLMA_TestJob\n");
      clearAll();
      return 0;
    }
    Sleep(m_options.timing.waitMs);
    bool commandPending = false;
    DWORD now = 0;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      commandPending = m_dwCommand != 0;
      now = m_dwWaitReason;
    }
    if (commandPending) {
      SendJobCommand(lib, winJobId);
    } else if (now != flags) {
      if (const DWORD report = pg::ClearedBitsToReport(flags, now)) lib.SetJobInfo(h, job, pg::kInfoWaitFlags, report);
      flags = now;
      log.Write("Remainder WaitReason : dwRemainsReason = 0x%08x\n", flags);
    }
    if (Ending()) return 0;
  }
  log.Write("Complete : CheckWaitReason\n");
  clearAll();
  return 1;
}

BOOL CProgressMeter::SendJobCommand(CProgressLibrary& lib, DWORD winJobId) {
  CDebugLog log("CProgressMeter::SendJobCommand");
  DWORD target = 0, command = 0, reason = 0;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    target = std::exchange(m_dwCmdTarget, 0);
    command = std::exchange(m_dwCommand, 0);
    reason = std::exchange(m_dwCmdReason, 0);
  }
  if (command == 0) return TRUE;
  if (target != winJobId) {
    log.Write("command %d for job 0x%08x dropped\n", static_cast<int>(command), target);
    return TRUE;
  }
  log.Write("dwTargetJob : 0x%08x, dwWinJobId : 0x%08x\n", target, winJobId);
  const HANDLE h = m_hProgMeterIF;
  const DWORD job = m_dwJobId;
  auto status = [&] {
    DWORD value = 0, needed = 0;
    lib.GetJobInfo(h, job, pg::TLM_JOBINFO_JOBSTATUS, reinterpret_cast<BYTE*>(&value), sizeof value, &needed);
    return value;
  };
  auto setCommand = [&](DWORD value) { return lib.SetJobInfo(h, job, pg::TLM_JOBINFO_COMMAND, value); };
  switch (command) {
    case pg::TLM_COMMAND_PAUSE: {
      const DWORD s = status();
      if (s & pg::kJobStatusNoPauseResume) return TRUE;
      return (s & pg::kJobStatusPaused) ? FALSE : setCommand(pg::TLM_COMMAND_PAUSE);
    }
    case pg::TLM_COMMAND_RESUME: {
      const DWORD s = status();
      if (s & pg::kJobStatusNoPauseResume) return TRUE;
      return (s & pg::kJobStatusPaused) ? setCommand(pg::TLM_COMMAND_RESUME) : FALSE;
    }
    case pg::TLM_COMMAND_DELETE: {
      const BOOL reasonSet = lib.SetJobInfo(h, job, pg::TLM_JOBINFO_DELREASON, reason);
      log.Write("TLM_JOBINFO_DELREASON : %s\n", reasonSet ? "TRUE" : "FALSE");
      const BOOL deleted = setCommand(pg::TLM_COMMAND_DELETE);
      log.Write("TLM_COMMAND_DELETE : %s\n", deleted ? "TRUE" : "FALSE");
      return deleted;
    }
    case pg::TLM_COMMAND_BKSAVE:
    case pg::TLM_COMMAND_CONTIN_MSGON:
    case pg::TLM_COMMAND_CONTIN_MSGOFF:
      return setCommand(command);
    default:
      return TRUE;
  }
}

void CProgressMeter::NotifyReceiveStatus(DWORD winJobId) {
  const HWND window = reinterpret_cast<HWND>(GetParam(kNoticeWindow));
  if (IsWindow(window)) PostMessageW(window, WM_PROGRESSIF_STATUS, 0, winJobId);
}
