#include "ui/status/detail.h"

#include <atomic>
#include <cstring>

#include "comm/channel_list.h"
#include "foundation/base_info.h"
#include "foundation/com_status.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/monitor_map.h"
#include "foundation/notification.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "foundation/request_block.h"
#include "foundation/target_keys.h"
#include "platform/text.h"
#include "ui/status/detail_core.h"

using moni::detail::kStatusSearching;
using moni::view::kDetail;
using moni::view::kHideProgress;
using moni::view::kPopup;
using moni::view::kProgress;

namespace {

constexpr UINT kIdsCaption = 1100;
constexpr UINT kIdsVersionItem = 1131;
constexpr UINT kIdsMapFailure = 1202;
constexpr UINT kIdsNoProfile = 1223;
constexpr UINT kIdsTimerDefault = 1340;
constexpr int kWindowIcon = 621;
constexpr DWORD kHandOverWaitMs = 5000;
constexpr wchar_t kPositionX[] = L"PopupPOSX";
constexpr wchar_t kPositionY[] = L"PopupPOSY";

// The candidate channels of the command channels, each list ended by 0.
constexpr std::uint32_t kCommandChannels[] = {0x10000005, 0};
constexpr std::uint32_t kResetChannels[] = {0x00000004, 0x10000005, 0};

// Wait reasons whose cancelling leaves the loop and the job unaccepted.
constexpr DWORD kCancellableWaits = 0x2 | 0x4 | 0x8 | 0x10 | 0x80 | 0x100 | 0x200 | 0x800;

// The screen the window is placed on: the full-screen client area and the
// caption height, never beyond the work area (a system without a taskbar may
// report a full-screen height that, with the caption added, passes the
// screen's bottom edge, and the corner window would be cut off).
moni::detail::Screen ScreenNow() {
  moni::detail::Screen screen{GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN), GetSystemMetrics(SM_CYCAPTION)};
  RECT work;
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && work.bottom > screen.caption) {
    if (screen.width > work.right) screen.width = work.right;
    if (screen.height + screen.caption > work.bottom) screen.height = work.bottom - screen.caption;
  }
  return screen;
}

}  // namespace

bool CDetail::s_bWaitDialogRunning = false;

moni::view::ModelSettings moni::view::ModelSettings::Read(const std::wstring& setupData, const std::wstring& model) {
  using moni::profile::ReadIniInt;
  ModelSettings s;
  s.inkColorNum = static_cast<int>(ReadIniInt(setupData, model, L"INKCOLORNUM", 4));
  s.setupUtility = static_cast<int>(ReadIniInt(setupData, model, L"SetupUtility", 0));
  s.language = static_cast<int>(ReadIniInt(setupData, model, L"Language", 0));
  s.sendRsCommand = static_cast<int>(ReadIniInt(setupData, model, L"SendRScommand", 0));
  s.commErrDisableTime = static_cast<int>(ReadIniInt(setupData, model, L"CommErrDisableTime", 0));
  s.maintenanceTankNum = static_cast<int>(ReadIniInt(setupData, model, L"MaintenanceTankNum", 0));
  return s;
}

CDetail::CDetail(moni::view::DetailOptions options)
    : m_options(std::move(options)), m_progress(m_options.progress), m_actions(*this) {
  m_progressInfo.m_bJobAccepted = true;
}

CDetail::~CDetail() {
  EndProc();
  m_progress.Destroy();
}

std::wstring CDetail::Text(UINT id) const { return moni::LoadResourceString(m_request.resource, id); }

INT_PTR CDetail::DoModal(const moni::view::ViewRequest& request) {
  CDebugLog log("CDetail::DoModal");
  m_request = request;
  if (m_request.dialogType != kProgress || m_request.requestBlock.size() < 4) m_request.requestBlock.clear();
  const CBaseInfo& base = CBaseInfo::Instance();
  if (base.DuvDriverKey.empty()) {
    log.Write("Error : the printer information is not set up\n");
    MessageBoxW(nullptr, Text(kIdsNoProfile).c_str(), Text(kIdsCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return 2;
  }
  m_strDriverName = base.DriverName;
  m_strInstallPath = base.InstallPath;
  m_strPrinterKey = base.CurrentUserKey;
  if (m_strPrinterKey.empty()) {
    const bool byPort = m_request.printerName.empty();
    std::wstring path;
    if (GetTargetPrnKey(OpenName(), byPort, path) == 0 && path.size() < 260) m_strPrinterKey = path;
  }
  m_iDialogType = m_request.dialogType;
  m_progress.Initialize(m_request.printerName, m_request.portName);
  const INT_PTR code = RunDialog(m_request.resource, kTemplate);
  log.Write("End code : %d\n", static_cast<long long>(code));
  return code;
}

// ---------------------------------------------------------------------------
// Opening

BOOL CDetail::OnInitDialog() {
  CDebugLog log("CDetail::OnInitDialog");
  const HWND hwnd = Window();
  m_inkOrder = std::make_unique<CInkOrder>(moni::inkorder::SetupFromBaseInfo(CBaseInfo::Instance()));

  HWND other = nullptr;
  const int check = MultiExecuteCheck(m_request.printerName, m_request.portName, kMapRole, hwnd, &other, m_hMapSection);
  log.Write("MultiExecuteCheck : %d\n", check);
  if (check != moni::monitormap::kHolds) {
    // This window never held the printer's role: ending it must not take
    // the role away from the window that holds it.
    m_bHandedOver = true;
    if (check == moni::monitormap::kUnusable) {
      MessageBoxW(nullptr, Text(kIdsMapFailure).c_str(), Text(kIdsCaption).c_str(), MB_OK);
    } else if (other) {
      HandOver(other);
    }
    Finish(2);
    return FALSE;
  }
  m_bRegistered = true;

  if (!InitBqapiObject(m_request.printerName, m_request.portName)) {
    log.Write("Error : InitBqapiObject\n");
    Finish(2);
    return FALSE;
  }
  m_bEnding = false;
  m_bTroubleShooting = false;
  m_watchdog.SetPeriodMs(m_options.watchdogPeriodMs);
  m_watchdog.Wakeup(OpenName(), [this] { EmergencyProc(); });

  m_sound = std::make_unique<CSoundResource>(m_request.setupData, m_request.modelId, m_strInstallPath, m_request.resource,
                                             m_options.playSound);
  if (!m_sound->IsAvailable()) m_sound.reset();

  SetSystemMenu();
  SetIcons();
  wchar_t own[256] = {};
  GetWindowTextW(hwnd, own, 256);
  SetWindowTextW(hwnd, (std::wstring(own) + L" : " + OpenName()).c_str());

  m_statusInfo = std::make_unique<CStatusInfo>(m_request.setupData.c_str());
  m_progress.SetParam(CProgressMeter::kNoticeWindow, reinterpret_cast<ULONG_PTR>(hwnd));
  m_progress.SetParam(CProgressMeter::kAutoClearMask, kAutoClearMask);

  moni::view::ViewContext context = moni::view::ViewContext::FromBaseInfo(m_request.resource, m_request.bitmaps);
  context.setupData = m_request.setupData;
  context.modelId = m_request.modelId;
  context.printerName = m_request.printerName;
  context.portName = m_request.portName;
  context.printerKey = m_strPrinterKey;
  context.timing = m_options.viewTiming;
  if (!m_view.Create(hwnd, context)) {
    log.Write("Error : the view cannot be made\n");
    Finish(2);
    return FALSE;
  }

  switch (m_iDialogType) {
    case kPopup:
      m_bSavePosition = m_bAutoOpened = true;
      SetDefStatus();
      m_iDialogType = kDetail;
      log.Write("First dialog type : Popup\n");
      break;
    case kProgress:
    case kHideProgress:
      m_bSavePosition = m_bAutoOpened = true;
      Replace(Searching());
      if (!m_request.requestBlock.empty()) OnRequestBlock(m_request.requestBlock.data(), m_request.requestBlock.size());
      m_iDialogType = kHideProgress;
      log.Write("First dialog type : ProgressMeter\n");
      break;
    default:
      m_bSavePosition = m_bAutoOpened = false;
      Replace(Searching());
      m_iDialogType = kDetail;
      log.Write("First dialog type : Detail\n");
      break;
  }

  const CDetailActions::SupportTarget support = m_actions.LookUpSupportTarget();
  m_strSupportTarget = support.target;
  m_iSupportKind = support.kind;
  m_view.SetSupportAvailable(!m_strSupportTarget.empty() && m_statusInfo->HasHtmHandler());
  m_actions.SetUpInkOrderButtons();

  ShowWindow(hwnd, SW_HIDE);
  m_view.SetViewStatus(m_pPrinterStatus.get(), &m_progressInfo);
  SetSoundStatus(m_pPrinterStatus.get());
  m_view.ChangeDialogType(m_iDialogType);
  PlaceWindow();
  ShowForType();
  m_view.BringForward(m_iDialogType);

  SetMonitoringPeriods();
  const DWORD grace = m_request.settings.commErrDisableTime > 0 ? static_cast<DWORD>(m_request.settings.commErrDisableTime) : 0;
  if (m_iDialogType == kDetail && grace != 0) {
    m_bGraceOver = false;
    m_bGraceTimer = SetTimer(hwnd, kGraceTimer, grace, nullptr) != 0;
    if (!m_bGraceTimer) m_bGraceOver = true;
  } else {
    m_bGraceOver = true;
  }

  if (m_inkOrder->IsAvailable() && !m_strPrinterKey.empty()) {
    m_inkOrder->InitializeLevels(m_strPrinterKey);
    m_inkOrder->SetDisableState(m_strPrinterKey);
  }
  m_bDispWaitDlg = false;

  if (!StartThreads()) {
    log.Write("Error : the threads cannot be started\n");
    Finish(2);
    return FALSE;
  }
  Notify(0);
  log.Write("Exit CDetail::OnInitDialog\n");
  return FALSE;
}

// Another window serves the printer: it gets this request.
void CDetail::HandOver(HWND other) {
  CDebugLog log("CDetail::HandOver");
  switch (m_iDialogType) {
    case kPopup:
      SendMessageTimeoutW(other, WM_USERPOPUP, 0, 0, SMTO_ABORTIFHUNG, kHandOverWaitMs, nullptr);
      SetForegroundWindow(other);
      break;
    case kProgress:
      if (!m_request.requestBlock.empty()) {
        // The block's first word is its length; never more than the caller gave.
        std::uint32_t length = 0;
        std::memcpy(&length, m_request.requestBlock.data(), sizeof length);
        if (length > m_request.requestBlock.size()) length = static_cast<std::uint32_t>(m_request.requestBlock.size());
        COPYDATASTRUCT data = {0, length, m_request.requestBlock.data()};
        SendMessageTimeoutW(other, WM_COPYDATA, reinterpret_cast<WPARAM>(Window()), reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG, kHandOverWaitMs, nullptr);
      }
      break;
    case kHideProgress:
      break;
    default:
      SetForegroundWindow(other);
      PostMessageW(other, WM_USERDETAIL, 0, 0);
      break;
  }
  log.Write("Handed over (type %d)\n", m_iDialogType);
}

int CDetail::InitBqapiObject(const std::wstring& printerName, const std::wstring& portName) {
  CDebugLog log("CDetail::InitBqapiObject");
  const bool byName = !printerName.empty();
  const std::wstring& name = byName ? printerName : portName;
  const int openType = byName ? bqapi::kOpenByPrinter : bqapi::kOpenByPort;
  m_statusThread = std::make_unique<CDetailBqStatus>(openType, name.c_str());
  m_statusThread->Initialize(printerName, portName, m_request.modelId, name);
  m_cmdChannel = std::make_unique<CBqCmdChnl>(openType, name.c_str());
  m_tagchipChannel = std::make_unique<CBqCmdChnl>(openType, name.c_str());
  m_resetChannel = std::make_unique<CBqCmdChnl>(openType, name.c_str());
  return m_statusThread && m_cmdChannel && m_tagchipChannel && m_resetChannel ? 1 : 0;
}

void CDetail::SetSystemMenu() {
  HMENU menu = GetSystemMenu(Window(), FALSE);
  if (!menu) return;
  const std::wstring version = Text(kIdsVersionItem);
  if (!version.empty()) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kVersionItem, version.c_str());
  }
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
}

// Icon 621 of the bitmap library, else of the resource library.
void CDetail::SetIcons() {
  auto load = [&](int cx, int cy) {
    for (HMODULE module : {m_request.bitmaps, m_request.resource}) {
      if (!module) continue;
      if (HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(kWindowIcon), IMAGE_ICON, cx, cy, 0))
        return static_cast<HICON>(icon);
    }
    return static_cast<HICON>(nullptr);
  };
  m_smallIcon.reset(load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
  m_largeIcon.reset(load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
  if (m_smallIcon) SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
  if (m_largeIcon) SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon.get()));
}

void CDetail::SetMonitoringPeriods() {
  CDebugLog log("CDetail::SetMonitoringPeriods");
  std::wstring local = CDatReader::GetDriverString(m_request.printerName, m_strDriverName, L"LocalMonitoringTimer");
  std::wstring network = CDatReader::GetDriverString(m_request.printerName, m_strDriverName, L"NetworkMonitoringTimer");
  if (local.empty()) local = Text(kIdsTimerDefault);
  if (network.empty()) network = L"30";
  const int localSeconds = moni::detail::ParsePeriodSeconds(moni::ToU16(local));
  const int networkSeconds = moni::detail::ParsePeriodSeconds(moni::ToU16(network));
  if (!m_strPrinterKey.empty()) {
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, m_strPrinterKey, false, KEY_SET_VALUE)) key.SetDword(L"Timer", static_cast<DWORD>(localSeconds));
  }
  log.Write("LocalTimer = %d, NetWorkTimer = %d\n", localSeconds, networkSeconds);
  if (localSeconds != 0 && networkSeconds != 0) m_statusThread->SetIntervals(localSeconds, networkSeconds);
}

bool CDetail::StartThreads() {
  const HWND hwnd = Window();
  m_statusThread->SetPeriods(m_options.statusStartMs, m_options.statusTickMs);
  if (!m_statusThread->StartStatusThread(hwnd, nullptr, nullptr)) return false;
  for (CBqCmdChnl* channel : {m_cmdChannel.get(), m_tagchipChannel.get(), m_resetChannel.get()}) {
    channel->SetPeriods(m_options.commandStartMs, m_options.commandPollMs);
  }
  return m_cmdChannel->StartBlockingThread(hwnd, kCommandChannels, sizeof kCommandChannels) &&
         m_tagchipChannel->StartBlockingThread(hwnd, kCommandChannels, sizeof kCommandChannels) &&
         m_resetChannel->StartBlockingThread(hwnd, kResetChannels, sizeof kResetChannels);
}

// ---------------------------------------------------------------------------
// Status objects

void CDetail::Replace(std::unique_ptr<CPrinterStatus> status) {
  if (!status) return;
  m_iShownStatusNo = status->GetRealStatusNo();
  m_pPrinterStatus = std::move(status);
}

std::unique_ptr<CPrinterStatus> CDetail::Searching() const {
  return m_statusInfo ? m_statusInfo->CreateStatusObject(0, nullptr, 0, kStatusSearching, 0, FALSE) : nullptr;
}

std::uint32_t CDetail::FirstAvailableStatusChannel() const {
  CBqApiBase& library = CBqApiBase::Instance();
  if (!library.IsEnabled()) return 0;
  const bool byName = !m_request.printerName.empty();
  if (library.BQGetAvailableChannel(byName ? bqapi::kOpenByPrinter : bqapi::kOpenByPort, OpenName().c_str()) < 1) return 0;
  const auto first = moni::comm::FirstStatusChannel(library.ChannelList());
  return first ? first->channel : 0;
}

std::unique_ptr<CPrinterStatus> CDetail::Numbered(int statusNo, bool firstAvailableWhenNone) const {
  if (!m_statusInfo) return nullptr;
  if (m_statusThread) {
    const CBqApiChannel::State state = m_statusThread->GetState();
    if (state.selected) {
      return m_statusInfo->CreateStatusObject(state.entry.channel, nullptr, 0, statusNo, state.entry.mode & bqapi::kModeNetwork,
                                              FALSE);
    }
  }
  const std::uint32_t channel = firstAvailableWhenNone ? FirstAvailableStatusChannel() : 0;
  return m_statusInfo->CreateStatusObject(channel, nullptr, 0, statusNo, 0, FALSE);
}

bool CDetail::NotifyWorthy(const CPrinterStatus* status) const {
  return status && QueryNotification(m_request.printerName, m_request.portName, status->GetNotifyNo()).notify != 0;
}

bool CDetail::Offline() const { return m_statusInfo && m_statusInfo->CheckPrinterOffline(OpenName()) == 1; }

// ---------------------------------------------------------------------------
// Updates

int CDetail::UpdateStatus(int reason, int result) {
  CDebugLog log("CDetail::UpdateStatus");
  StatusProc(reason, result);
  const int type = CheckDialogCondition(m_pPrinterStatus.get(), m_progressInfo);
  if (type != 0) {
    m_view.SetViewStatus(m_pPrinterStatus.get(), &m_progressInfo);
    SetSoundStatus(m_pPrinterStatus.get());
  } else {
    log.Write("CDetail::UpdateStatus : close dialog\n");
    if (reason != 1) Finish(2);
  }
  Notify(reason);
  return type;
}

int CDetail::StatusProc(int reason, int result) {
  CDebugLog log("CDetail::StatusProc");
  if (reason == 1) {
    // The watchdog: while a job prints, the printing side's "ComStatus".
    const int com = m_statusThread && m_statusThread->RefreshPrinting() ? m_statusThread->ComStatusResult() : 0;
    if (com == -1 && !m_bCommErrShown) {
      m_bCommErrShown = true;
      m_actions.ShowCommErrorMessages();
      return GetStatus(com);
    }
    if (com >= 0) {
      log.Write("CDetail::StatusProc : status is searching\n");
      Replace(Searching());
      return 0;
    }
    result = com;
  } else if (reason == 4) {
    return GetStatus(result);
  }
  int statusNo = moni::detail::StatusOfConditionResult(result);
  if (statusNo == 0) {
    statusNo = moni::detail::StatusOfCommFailure(Offline(), m_iEnableGetStatusErr, !m_bGraceOver);
    if (statusNo == kStatusSearching) {
      Replace(Searching());
      return 0;
    }
  }
  Replace(Numbered(statusNo, true));
  return 0;
}

int CDetail::GetStatus(int result) {
  CDebugLog log("CDetail::GetStatus");
  // A result other than 1 is the error code; so is a status record that
  // cannot be read.
  bool failed = result != 1;
  int error = failed ? result : 0;
  std::vector<BYTE> reply;
  DWORD channel = 0;
  if (!failed) {
    CRegistryKey key;
    DWORD type = 0, size = 0;
    failed = m_strPrinterKey.empty() || !key.Open(HKEY_CURRENT_USER, m_strPrinterKey) ||
             RegQueryValueExW(key.Get(), L"Status", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
             size > CBqApiBase::kMaxQuerySize;
    if (!failed) {
      reply.resize(size);
      failed = RegQueryValueExW(key.Get(), L"Status", nullptr, &type, reply.data(), &size) != ERROR_SUCCESS;
      reply.resize(failed ? 0 : size);
      channel = key.QueryDword(L"Channel", 0);
    }
    if (failed) error = -1;
  }
  m_watchdog.IncrementCounter();
  if (failed) {
    reply.clear();
    if (error == 0) return 0;
    if (error == -2) return -2;
    const int statusNo = moni::detail::StatusOfCommFailure(Offline(), m_iEnableGetStatusErr, !m_bGraceOver);
    if (statusNo == kStatusSearching) {
      Replace(Searching());
      return error;
    }
    Replace(Numbered(statusNo, false));
    return error;
  }

  if (m_iEnableGetStatusErr == -1) {
    m_iEnableGetStatusErr = static_cast<int>(
        moni::profile::ReadIniInt(m_request.setupData, m_request.modelId, L"EnableGetStatusErr", 0));
  }
  DWORD network = 0;
  if (m_statusThread) {
    const CBqApiChannel::State state = m_statusThread->GetState();
    if (state.selected && state.entry.channel != 0) {
      network = state.entry.mode & bqapi::kModeNetwork;
      if (channel == 0) channel = state.entry.channel;
    }
  }
  BOOL keepButtons = FALSE;
  if (m_resetChannel) {
    const CBqApiChannel::State reset = m_resetChannel->GetState();
    keepButtons = reset.selected && reset.entry.channel == bqapi::kChannelNetwork &&
                  m_resetChannel->PrintServerType() == CBqApiEx2::kServerD4;
  }
  auto status = m_statusInfo->CreateStatusObject(channel, reply.data(), reply.size(), 0, network, keepButtons);
  if (!status) {
    log.Write("Error : the status reply cannot be decoded\n");
    status = m_statusInfo->CreateStatusObject(0, nullptr, 0, 0, 0, FALSE);
  }
  Replace(std::move(status));
  if (!m_bGraceOver) EndGrace();

  moni::status::StatusBuff record{};
  if (m_pPrinterStatus && m_pPrinterStatus->GetStatusBuff(&record) && record.bCancel) {
    log.Write("Request DataCancel\n");
    m_actions.CancelPrintingData(m_view.DialogType());
  }
  m_actions.PopupInkOrder();
  if (m_actions.CartridgeDialog()) m_actions.PassInksToCartridgeDialog(m_pPrinterStatus.get());
  return 1;
}

int CDetail::SetDefStatus() {
  CDebugLog log("CDetail::SetDefStatus");
  CRegistryKey key;
  int statusNo = moni::detail::kStatusCommError;
  if (m_strPrinterKey.empty() || !key.Open(HKEY_CURRENT_USER, m_strPrinterKey)) {
    log.Write("RegStatus.IsOpen() == 0\n");
  } else {
    if (m_statusThread) m_statusThread->RefreshPrinting();
    const DWORD com = key.QueryDword(moni::comstatus::kValueName);
    if (com == moni::comstatus::kNew) {
      GetStatus(1);
      return 1;
    }
    statusNo = moni::detail::StatusOfComStatus(com, Offline());
  }
  auto status = Numbered(statusNo, true);
  if (!status) {
    log.Write("error : m_pPrinterStatus == NULL\n");
    return 0;
  }
  Replace(std::move(status));
  return 1;
}

int CDetail::CheckDialogCondition(const CPrinterStatus* status, CProgressInfo& progress) {
  CDebugLog log("CDetail::CheckDialogCondition");
  const bool notify = NotifyWorthy(status);
  log.Write(notify ? "Status is error\n" : "Status is normal\n");
  const int jobCount = m_progress.GetJobCount();
  const std::uint32_t word = moni::detail::ConditionWord(notify, progress.m_Record.dwParam, jobCount);
  log.Write(word & moni::detail::kJobPrinting ? "Job is printing\n"
            : word & moni::detail::kJobNone    ? "Job is ready\n"
                                               : "Job is waiting\n");
  const int statusNo = status ? status->GetRealStatusNo() : 0;
  const int current = m_view.DialogType();
  const moni::detail::ConditionFacts facts{current, word, m_bAutoOpened, m_actions.HelpWindowOpen(),
                                           statusNo == m_iLastStatusNo};
  const int row = moni::detail::FindConditionRow(facts);
  const int next = row >= 0 ? moni::detail::ConditionTable()[static_cast<size_t>(row)].next : current;
  log.Write("ConditionTable[%d][1] : 0x%08x\n", row, row >= 0 ? moni::detail::ConditionTable()[static_cast<size_t>(row)].condition : 0u);

  const bool notifyError = moni::detail::IsNotifyWorthyError(status != nullptr, notify, statusNo);
  if (!m_hWaitDlg) {
    DWORD reason = 0;
    if (m_progress.GetWaitReason(&reason) && reason == 0x4 && !notifyError) {
      moni::progress::JobRecord job{};
      m_progress.GetJobRecord(job);
      if (job.dwJobId != 0) {
        log.Write("Post WM_PROGRESSIF_WAIT message. JobID :0x%08x\n", job.dwJobId);
        PostMessageW(Window(), WM_PROGRESSIF_WAIT, 0, static_cast<LPARAM>(job.dwJobId));
        m_dwPendingWaitJobId = 0;
      }
    }
  } else if (notifyError) {
    log.Write("Send error message to WaitDialog.\n");
    SendMessageW(m_hWaitDlg, WM_WAITDLG_ERROR, 0, 0);
  }
  m_iLastStatusNo = statusNo;

  if (next == moni::detail::kClose) {
    if (m_inkOrder && !m_strPrinterKey.empty()) m_inkOrder->SetDisableState(m_strPrinterKey);
    log.Write("CDetail::CheckDialogCondition : exit : dialog end (return 0)\n");
    return 0;
  }
  if (next != current) {
    if (m_hWaitDlg && !IsWindowVisible(Window()) && next == kPopup && (statusNo == 20 || statusNo == 32)) ShowForType();
    m_view.ChangeDialogType(next);
    if (next != kDetail) EndGrace();
  }
  return m_view.DialogType();
}

int CDetail::SetSoundStatus(const CPrinterStatus* status) {
  CDebugLog log("CDetail::SetSoundStatus");
  const bool printing = m_statusThread && m_statusThread->Printing();
  const int number = status ? moni::detail::SoundNumberOf(status->Row()) : moni::detail::kNoSound;
  const bool wanted = status && QueryNotification(m_request.printerName, m_request.portName, status->GetNotifyNo()).sound != 0;
  const moni::detail::SoundChoice choice =
      moni::detail::DecideSound(printing && status, m_sound != nullptr, number, wanted, m_iLastSound);
  bool started = false;
  if (choice.play) {
    log.Write("PlaySound : No.%d\n", number);
    const WORD id = moni::detail::SoundResourceOf(status->KindRow());
    if (id != 0) started = m_sound->Play(id);
  }
  m_iLastSound = choice.lastSound;
  return started ? 1 : 0;
}

void CDetail::EndGrace() {
  if (m_bGraceTimer) KillTimer(Window(), kGraceTimer);
  m_bGraceTimer = false;
  m_bGraceOver = true;
}

void CDetail::Notify(int reason) {
  if (!m_options.onUpdate) return;
  moni::view::UpdateNote note;
  note.reason = reason;
  note.statusNo = m_iShownStatusNo;
  note.dialogType = Ended() || m_bEnding ? 0 : m_view.DialogType();
  const std::uint32_t* progress = m_progressInfo.m_Record.dwProgress;
  if (m_progressInfo.m_bValid && progress[1] != 0) note.jobPercent = static_cast<int>(progress[0] * 100ull / progress[1]);
  note.jobFinished = m_progressInfo.m_bValid && m_progressInfo.m_bFinished;
  m_options.onUpdate(note);
}

// ---------------------------------------------------------------------------
// Progress

int CDetail::ProgressTimer() {
  CDebugLog log("CDetail::ProgressTimer");
  moni::progress::JobRecord current{};
  const bool found = m_progress.GetJobRecord(current);
  if (found) {
    log.Write("Progress Information : Found\n");
    size_t length = 0;
    while (length < moni::progress::kNameUnits && current.szDocument[length]) ++length;
    log.Write("JobID = 0x%08x, Param = %u, Document = %s, Status = 0x%08x, Progress = %u / %u\n", current.dwJobId, current.dwParam,
              std::u16string_view(current.szDocument, length), current.dwJobStatus, current.dwProgress[0], current.dwProgress[1]);
  } else {
    log.Write("Progress Information : Not Found\n");
  }
  moni::detail::ShownJob shown{m_progressInfo.m_Record, m_progressInfo.m_bValid, m_progressInfo.m_bFinished,
                               m_progressInfo.m_bJobAccepted};
  const moni::detail::JobStep step = moni::detail::StepShownJob(shown, found ? &current : nullptr, m_dwInkMonitorJobId);
  m_progressInfo.m_Record = shown.record;
  m_progressInfo.m_bValid = shown.valid;
  m_progressInfo.m_bFinished = shown.finished;
  m_progressInfo.m_bJobAccepted = shown.accepted;
  if (step.note) log.Write(step.note);
  if (step.resetInkOrderDisable && m_inkOrder && !m_strPrinterKey.empty()) m_inkOrder->SetDisableState(m_strPrinterKey);
  m_actions.PopupInkMonitor();
  return 1;
}

int CDetail::OnProgressIFStatus(WPARAM source) {
  CDebugLog log("CDetail::OnProgressIFStatus");
  log.Write("Enter CDetail::OnProgressIFStatus source = %d\n", static_cast<long long>(source));
  if (CProgressMeter::IsPrimaryThreadEnding() || m_bEnding) {
    log.Write("progress meter thread end or primary thread end:return 0\n");
    return 0;
  }
  if (m_bDispWaitDlg) {
    log.Write("a wait dialog is shown:return 0\n");
    return 0;
  }
  if (m_bUseProgressTimer) {
    log.Write("the progress timer is pending:return 0\n");
    return 0;
  }
  ProgressTimer();
  if (CheckDialogCondition(m_pPrinterStatus.get(), m_progressInfo) != 0) {
    m_view.SetViewStatus(m_pPrinterStatus.get(), &m_progressInfo);
    if (m_progressInfo.m_bFinished) {
      m_bProgressTimer = SetTimer(Window(), kProgressTimer, m_options.progressTimerMs, nullptr) != 0;
      m_bUseProgressTimer = m_bProgressTimer;
    }
    Notify(5);
  } else {
    Finish(2);
    Notify(5);
  }
  return 0;
}

int CDetail::OnProgressIFWait(DWORD jobId) {
  CDebugLog log("CDetail::OnProgressIFWait");
  if (jobId == 0) {
    log.Write("Exit CDetail::OnProgressIFWait JobID = 0\n");
    return 0;
  }
  if (m_bMoving) {
    m_dwPendingWaitJobId = jobId;
    if (!m_bWaitTimer) m_bWaitTimer = SetTimer(Window(), kWaitTimer, m_options.waitTimerMs, nullptr) != 0;
    return 0;
  }
  m_bDispWaitDlg = true;
  if (IsIconic(Window())) ShowWindow(Window(), SW_RESTORE);

  DWORD reason = 0;
  while (!m_bEnding && m_progress.GetWaitReason(&reason)) {
    int result = CDetailActions::kContinue;
    const int statusNo = m_pPrinterStatus ? m_pPrinterStatus->GetRealStatusNo() : 0;
    if (reason == 0x1) {
      log.Write("*** TAGCHIP check start ***\n");
      m_dwPendingWaitJobId = 0;
      result = m_actions.RunCartridgeCheck(jobId);
      log.Write("*** TAGCHIP check end ***\niResult : %d\n", result);
    } else if (reason == 0x2 || reason == 0x4) {
      if (s_bWaitDialogRunning) {
        log.Write("WaitDialog is running. return 0\n");
        return 0;
      }
      s_bWaitDialogRunning = true;
      log.Write("*** double side printing dialog start ***\n");
      if (moni::detail::IsNotifyWorthyError(m_pPrinterStatus != nullptr, NotifyWorthy(m_pPrinterStatus.get()), statusNo)) {
        log.Write("Reserve processing (error status)\n");
        m_bDispWaitDlg = false;
        s_bWaitDialogRunning = false;
        return 0;
      }
      m_dwPendingWaitJobId = 0;
      if (!((statusNo == 20 || statusNo == 32) && m_view.DialogType() != kProgress)) {
        log.Write("Main Dialog hides\n");
        ShowWindow(Window(), SW_HIDE);
      }
      result = m_actions.RunDoubleSidedDialog(reason, jobId);
      ShowForType();
      s_bWaitDialogRunning = false;
      log.Write("*** double side printing dialog end ***\n");
    } else if (reason == 0x80 || reason == 0x800) {
      log.Write("*** PG Lever alert dialog start ***\n");
      result = m_actions.RunPaperGapLeverAlert(reason, jobId);
      log.Write("*** PG Lever alert dialog end ***\n");
    }
    if (reason == 0x1 && result == CDetailActions::kCancelJob) {
      log.Write("*** Cancel job ***\n");
      SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(moni::view::CJobView::kStop, BN_CLICKED), 0);
      break;
    }
    if (reason == 0x1 && result == CDetailActions::kContinue) m_actions.QueueExCommand();
    if (result == CDetailActions::kCancelJob && (reason & kCancellableWaits) == reason) {
      m_progressInfo.m_bJobAccepted = false;
      break;
    }
    m_progress.ClearWaitReason(reason);
    log.Write("dwWaitReason = 0x%08x\n", reason);
  }
  m_bDispWaitDlg = false;
  SendMessageW(Window(), WM_PROGRESSIF_STATUS, 2, 0);
  return 0;
}

// ---------------------------------------------------------------------------
// Requests from other windows

void CDetail::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
  CDebugLog log("CDetail::OnCopyData");
  // Only a request block from another status window of the monitor: a dialog
  // that names itself as the sender, with the monitor's data identifier.
  wchar_t className[16] = {};
  if (!data || data->dwData != 0 || !sender || sender == Window() || !IsWindow(sender) ||
      GetClassNameW(sender, className, 16) == 0 || std::wstring(className) != L"#32770") {
    log.Write("Error : not a request of the monitor\n");
    return;
  }
  if (!data->lpData || data->cbData == 0) return;
  OnRequestBlock(static_cast<const std::uint8_t*>(data->lpData), data->cbData);
}

void CDetail::OnRequestBlock(const std::uint8_t* bytes, size_t size) {
  CDebugLog log("CDetail::OnRequestBlock");
  // A copy: the block is read from memory that another process filled.
  const std::vector<std::uint8_t> copy(bytes, bytes + size);
  const auto block = moni::request::Block::Read(copy);
  if (!block) {
    log.Write("Error : the request block is not valid\n");
    return;
  }
  const moni::request::WindowRequest request = moni::request::ReadWindowRequest(*block);
  log.Write("Request dialog : %d\n", static_cast<int>(request.kind));
  switch (request.kind) {
    case moni::request::RequestKind::Detail:
      SendMessageW(Window(), WM_USERDETAIL, 0, 0);
      break;
    case moni::request::RequestKind::AddJob:
      SendMessageW(Window(), WM_USERADDJOB, request.option, static_cast<LPARAM>(request.jobId));
      break;
    case moni::request::RequestKind::None:
      break;
  }
}

void CDetail::OnUserDetail() {
  CDebugLog log("CDetail::OnUserDetail");
  m_bAutoOpened = false;
  const int type = m_view.DialogType();
  if ((type == kPopup || type == kDetail) && m_hWaitDlg && IsWindow(m_hWaitDlg)) {
    SetForegroundWindow(m_hWaitDlg);
  } else if (type == kHideProgress) {
    m_bSavePosition = false;
    Replace(Searching());
    m_view.SetViewStatus(m_pPrinterStatus.get(), &m_progressInfo);
    m_view.ChangeDialogType(kDetail);
    PlaceWindow();
  }
}

// ---------------------------------------------------------------------------
// Results of the threads

int CDetail::OnResultBQDeviceID(int result) {
  if (m_bEnding) {
    CDebugLog("CDetail::OnResultBQDeviceID").Write("process thread end:return 0\n");
    return 0;
  }
  if (result == -1 && !m_bCommErrShown) {
    m_bCommErrShown = true;
    m_actions.ShowCommErrorMessages();
  }
  UpdateStatus(2, result);
  return 0;
}

int CDetail::OnResultBQStChannel(int result) {
  if (m_bEnding) {
    CDebugLog("CDetail::OnResultBQStChannel").Write("process thread end:return 0\n");
    return 0;
  }
  if (result == -1 && !m_bCommErrShown) {
    m_bCommErrShown = true;
    m_actions.ShowCommErrorMessages();
  }
  UpdateStatus(3, result);
  return 0;
}

int CDetail::OnResultBQStatus(int result) {
  if (m_bEnding || m_bTroubleShooting) {
    CDebugLog("CDetail::OnResultBQStatus").Write("process thread end:return 0\n");
    return 0;
  }
  UpdateStatus(4, result);
  return 0;
}

void CDetail::EmergencyProc() {
  CDebugLog("CDetail::EmergencyProc").Write("EmergencyProc\n");
  PostMessageW(Window(), WM_DETAIL_EMERGENCY, 0, 0);
}

// ---------------------------------------------------------------------------
// The window

void CDetail::OnTimer(UINT_PTR id) {
  CDebugLog log("CDetail::OnTimer");
  const HWND hwnd = Window();
  if (id == kGraceTimer) {
    EndGrace();
  } else if (id == kWaitTimer) {
    KillTimer(hwnd, kWaitTimer);
    m_bWaitTimer = false;
    PostMessageW(hwnd, WM_PROGRESSIF_WAIT, 0, static_cast<LPARAM>(m_dwPendingWaitJobId));
    m_dwPendingWaitJobId = 0;
  } else if (id == kProgressTimer) {
    if (m_TimerFlag) {
      log.Write("Exit CDetail::OnTimer m_TimerFlag != 0\n");
      return;
    }
    m_TimerFlag = true;
    KillTimer(hwnd, kProgressTimer);
    m_bProgressTimer = false;
    m_bUseProgressTimer = false;
    SendMessageW(hwnd, WM_PROGRESSIF_STATUS, 1, 0);
    m_TimerFlag = false;
  }
}

void CDetail::PlaceWindow() {
  CDebugLog log("CDetail::PlaceWindow");
  const HWND hwnd = Window();
  RECT r;
  GetWindowRect(hwnd, &r);
  DWORD storedX = moni::detail::kNoStoredPosition, storedY = moni::detail::kNoStoredPosition;
  CRegistryKey key;
  if (m_bSavePosition && !m_strPrinterKey.empty() && key.Open(HKEY_CURRENT_USER, m_strPrinterKey, false, KEY_QUERY_VALUE | KEY_SET_VALUE)) {
    storedX = key.QueryDword(kPositionX, moni::detail::kNoStoredPosition);
    storedY = key.QueryDword(kPositionY, moni::detail::kNoStoredPosition);
  }
  const moni::detail::Placement place =
      moni::detail::PlaceWindow(m_view.DialogType(), m_bSavePosition, storedX, storedY, r.right - r.left, r.bottom - r.top, ScreenNow());
  SetWindowPos(hwnd, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (place.writeBack && key.IsOpen()) {
    log.Write("Position %d, %d written back\n", place.x, place.y);
    key.SetDword(kPositionX, static_cast<DWORD>(place.x));
    key.SetDword(kPositionY, static_cast<DWORD>(place.y));
  }
}

// The views keep the top left corner when a type or a status makes the window
// larger: a window placed in the lower right corner would grow off the screen.
void CDetail::KeepOnScreen() {
  RECT r;
  if (!GetWindowRect(Window(), &r)) return;
  const moni::detail::Placement place = moni::detail::KeepOnScreen(r.left, r.top, r.right - r.left, r.bottom - r.top, ScreenNow());
  if (place.x != r.left || place.y != r.top)
    SetWindowPos(Window(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDetail::ShowForType() {
  ShowWindow(Window(), m_view.DialogType() == kHideProgress ? SW_HIDE : SW_SHOWNA);
}

void CDetail::OnSize(WPARAM kind) {
  HMENU menu = GetSystemMenu(Window(), FALSE);
  if (!menu) return;
  if (kind == SIZE_RESTORED) {
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | (m_view.DialogType() == kProgress ? MF_ENABLED : MF_GRAYED));
    SetWindowTextW(Window(), m_view.Caption().c_str());
    KeepOnScreen();
  } else if (kind == SIZE_MINIMIZED) {
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
  }
}

// The position is remembered while the window is placed by itself; not the
// place of a minimized window.
void CDetail::OnMove() {
  if (!m_bSavePosition || m_strPrinterKey.empty() || IsIconic(Window())) return;
  RECT r;
  GetWindowRect(Window(), &r);
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, m_strPrinterKey, false, KEY_SET_VALUE)) return;
  key.SetDword(kPositionX, static_cast<DWORD>(r.left));
  key.SetDword(kPositionY, static_cast<DWORD>(r.top));
}

void CDetail::OnClose() {
  HMENU menu = GetSystemMenu(Window(), FALSE);
  const UINT state = menu ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : 0;
  if (state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED))) return;
  Finish(2);
}

void CDetail::Finish(INT_PTR code) {
  EndProc();
  EndDialog(code);
}

int CDetail::EndProc() {
  CDebugLog log("CDetail::EndProc");
  m_bEnding = true;
  m_watchdog.Shutdown();
  m_view.End();
  m_actions.CloseCartridgeDialog();
  const HWND hwnd = Window();
  if (hwnd) ShowWindow(hwnd, SW_HIDE);
  if (m_bRegistered && !m_bHandedOver) ReleaseMapPrinter(m_hMapSection.get(), m_request.printerName, m_request.portName, kMapRole);
  m_bRegistered = false;
  m_hMapSection.reset();
  if (m_sound) m_sound->Stop();
  m_sound.reset();
  if (m_statusThread) {
    m_statusThread->EndStatusThread(1);
    if (m_statusThread->Handle() >= 0) m_statusThread->CloseChannel();
    m_statusThread.reset();
  }
  if (hwnd) {
    for (UINT_PTR timer : {kProgressTimer, kWaitTimer, kGraceTimer}) KillTimer(hwnd, timer);
  }
  m_bProgressTimer = m_bWaitTimer = m_bGraceTimer = false;
  m_pPrinterStatus.reset();
  for (std::unique_ptr<CBqCmdChnl>* channel : {&m_cmdChannel, &m_tagchipChannel, &m_resetChannel}) {
    if (!*channel) continue;
    (*channel)->EndBlockingThread(1);
    if ((*channel)->Handle() >= 0) (*channel)->CloseChannel();
    channel->reset();
  }
  // The progress meter reports to a window that is going no more.
  m_progress.SetParam(CProgressMeter::kNoticeWindow, 0);
  return 0;
}

INT_PTR CDetail::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = Window();
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (m_bEnding) return TRUE;
      m_actions.OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kVersionItem) {
        m_actions.ShowVersionDialog();
        return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_MOVE:
      OnMove();
      return FALSE;
    case WM_SIZE:
      OnSize(wParam);
      return FALSE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_ACTIVE && m_hWaitDlg && IsWindow(m_hWaitDlg) && !IsWindowVisible(hwnd)) SetForegroundWindow(m_hWaitDlg);
      return FALSE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_ENDSESSION:
      // Only when the session really ends: a cancelled log-off keeps the window.
      if (wParam) {
        m_progress.Destroy();
        EndProc();
      }
      return SetResult(0);
    case WM_DRAWITEM:
      return SetResult(m_view.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)));
    case WM_WINDOWPOSCHANGING:
      if (m_view.DialogType() == kHideProgress) {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (pos->flags & SWP_SHOWWINDOW) pos->flags = (pos->flags & ~SWP_SHOWWINDOW) | SWP_HIDEWINDOW;
      }
      return FALSE;
    case WM_COPYDATA:
      OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return SetResult(TRUE);
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_MOVING: {
      RECT now;
      GetWindowRect(hwnd, &now);
      auto* moving = reinterpret_cast<RECT*>(lParam);
      moving->right = moving->left + (now.right - now.left);
      moving->bottom = moving->top + (now.bottom - now.top);
      return SetResult(TRUE);
    }
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMSUSPEND) {
        m_progress.Destroy();
        Finish(2);
      }
      return SetResult(TRUE);
    case WM_ENTERSIZEMOVE:
      m_bMoving = true;
      return FALSE;
    case WM_EXITSIZEMOVE:
      m_bMoving = false;
      return FALSE;
    case WM_QUERYNEWPALETTE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return SetResult(TRUE);
    case WM_USERADDJOB:
      if (!m_bEnding) m_progress.AddPMJob(static_cast<DWORD>(lParam), static_cast<DWORD>(wParam));
      return TRUE;
    case WM_USERDETAIL:
      if (!m_bEnding) OnUserDetail();
      return TRUE;
    case WM_RESULT_BQSENDREV:
      if (!m_bEnding) m_actions.OnBqSendRev(wParam, lParam);
      return TRUE;
    case WM_PROGRESSIF_STATUS:
      return SetResult(OnProgressIFStatus(wParam));
    case WM_PROGRESSIF_WAIT:
      return SetResult(m_bEnding ? 0 : OnProgressIFWait(static_cast<DWORD>(lParam)));
    case WM_RESULT_BQDEVICEID:
      return SetResult(OnResultBQDeviceID(static_cast<int>(static_cast<INT_PTR>(wParam))));
    case WM_RESULT_BQSTCHANNEL:
      return SetResult(OnResultBQStChannel(static_cast<int>(static_cast<INT_PTR>(wParam))));
    case WM_RESULT_BQSTATUS:
      return SetResult(OnResultBQStatus(static_cast<int>(static_cast<INT_PTR>(wParam))));
    case WM_WAITDLG_REGISTER: {
      // Only a wait dialog of this process registers: the window sends to it
      // and must not wait on another program's window.
      const HWND dialog = reinterpret_cast<HWND>(lParam);
      DWORD owner = 0;
      if (!dialog || (IsWindow(dialog) && GetWindowThreadProcessId(dialog, &owner) && owner == GetCurrentProcessId())) m_hWaitDlg = dialog;
      return TRUE;
    }
    case WM_DETAIL_EMERGENCY:
      if (!m_bEnding) UpdateStatus(1, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
