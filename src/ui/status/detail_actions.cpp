#include "ui/status/detail_actions.h"

#include <shellapi.h>
#include <winspool.h>

#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"
#include "platform/spooler.h"
#include "platform/system.h"
#include "platform/text.h"
#include "ui/inkorder/ink_order_dialog.h"
#include "ui/status/actions_core.h"
#include "ui/status/detail.h"
#include "ui/status/stand_in_dialog.h"
#include "ui/status/view_core.h"

namespace {

namespace pg = moni::progress;

// Controls and texts of the actions.
constexpr int kServiceCall = 91, kTroubleShoot = 215, kPrnStop = 308, kPrnPause = 309, kPrnCancel = 310, kTipButton = 317,
              kTipHelp = 320, kSubButton = 325, kSupport = 386, kInkOrder1 = 388, kInkOrder2 = 389, kTagchipInfo = 30600;
constexpr int kIdsDischargePaper = 1605, kIdsInkReturn = 1608, kIdsInkOfflineCancel = 1614;
constexpr UINT kIdsCaption = 1100, kIdsSupportFailCaption = 1225, kIdsReplaceRequest = 1233, kIdsCommInUse = 1234,
               kIdsCommOther = 1235, kIdsSupportFailed = 1609, kIdsSupportCaption = 1610, kIdsSupportQuestion = 1611,
               kIdsInkOrderButton = 31081;
constexpr DWORD kCancelReason = 0x10000;
constexpr UINT_PTR kRetryTimerId = 0x7252;  // "rR"
constexpr DWORD kPause = 1, kResume = 2, kJobPaused = 0x10;
constexpr DWORD kSharedModeBit = 0x8000;

// The status windows whose reset retry is pending (each window's entry is
// used on its own thread; the lock guards the map itself).
std::mutex g_retryLock;
std::map<HWND, CDetailActions*>& RetryOwners() {
  static std::map<HWND, CDetailActions*> owners;
  return owners;
}

// HKLM, the native view first, then the 32-bit one.
bool OpenMachineKey(CRegistryKey& key, const std::wstring& path) {
  return key.Open(HKEY_LOCAL_MACHINE, path, false, KEY_READ) || key.Open(HKEY_LOCAL_MACHINE, path, false, KEY_READ | KEY_WOW64_32KEY);
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The value `name` of the key `base` + "\E", else of each subkey of `base`
// in turn, that `accept` takes.
template <typename Accept>
std::wstring FindTarget(const std::wstring& base, const wchar_t* name, Accept accept) {
  CRegistryKey key;
  if (OpenMachineKey(key, base + L"\\E")) {
    const std::wstring value = key.QueryString(name);
    if (accept(value)) return value;
  }
  CRegistryKey parent;
  if (!OpenMachineKey(parent, base)) return {};
  for (DWORD i = 0;; ++i) {
    const std::wstring sub = parent.EnumKey(i);
    if (sub.empty()) break;
    CRegistryKey child;
    if (!OpenMachineKey(child, base + L"\\" + sub)) continue;
    const std::wstring value = child.QueryString(name);
    if (accept(value)) return value;
  }
  return {};
}

std::string HexDump(const std::uint8_t* data, size_t size) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
    out += (i % 16 == 15) ? '\n' : ' ';
  }
  return out;
}

}  // namespace

CDetailActions::~CDetailActions() {
  std::lock_guard lock(g_retryLock);
  auto& owners = RetryOwners();
  for (auto it = owners.begin(); it != owners.end();) it = it->second == this ? owners.erase(it) : std::next(it);
}

std::wstring CDetailActions::Text(UINT id) const { return m_detail.Text(id); }
HMODULE CDetailActions::Resources() const { return m_detail.m_request.resource; }

// ---------------------------------------------------------------------------
// At opening

CDetailActions::SupportTarget CDetailActions::LookUpSupportTarget() {
  CDebugLog log("CDetailActions::LookUpSupportTarget");
  const std::wstring base = L"software\\TALMER\\" + m_detail.m_strDriverName;
  SupportTarget out;
  if (m_detail.m_strDriverName.empty()) return out;
  out.target = FindTarget(base + L" PSolver", L"KeyFile", [](const std::wstring& v) { return FileExists(v); });
  if (!out.target.empty()) {
    out.kind = 1;
  } else {
    out.target = FindTarget(base + L" TS_URL", L"TSupportURL", [](const std::wstring& v) { return !v.empty(); });
    if (!out.target.empty()) out.kind = 2;
  }
  log.Write("Support target : %s (kind %d)\n", out.target, out.kind);
  return out;
}

void CDetailActions::SetUpInkOrderButtons() {
  CRegistryKey key;
  const bool present =
      !m_detail.m_strDriverName.empty() && OpenMachineKey(key, L"Software\\TALMER\\" + m_detail.m_strDriverName + L" IO_URL");
  m_detail.View().SetInkOrderButtons(present, Text(kIdsInkOrderButton));
}

// ---------------------------------------------------------------------------
// Buttons

bool CDetailActions::OnCommand(int controlId) {
  switch (controlId) {
    case IDOK: OnMainButton(); return true;
    case kServiceCall: OnServiceCall(); return true;
    case kTroubleShoot: OnTroubleShoot(); return true;
    case kPrnStop: OnStop(); return true;
    case kPrnPause: OnPause(); return true;
    case kPrnCancel: OnCancel(); return true;
    case kTipButton: OnTipButton(); return true;
    case kTipHelp: OnTipHelp(); return true;
    case kSubButton: OnSubButton(); return true;
    case kSupport: OnSupport(); return true;
    case kInkOrder1:
    case kInkOrder2: OnInkOrderButton(); return true;
    case kTagchipInfo: OnCartridgeInfo(); return true;
    default: return false;
  }
}

void CDetailActions::CancelJob(bool forced) {
  CDebugLog log("CDetailActions::CancelJob");
  CProgressInfo& info = m_detail.ProgressInfo();
  info.m_bJobAccepted = false;
  pg::JobRecord record{};
  info.GetProgressData(&record, forced ? 1 : 0);
  log.Write("Job Cancel\n");
  log.Write("  Job ID : 0x%08X\n", record.dwJobId);
  m_detail.ProgressMeter().CancelJob(record.dwJobId, kCancelReason);
}

void CDetailActions::SendRemote(char first, char second) {
  CBqCmdChnl* channel = m_detail.m_cmdChannel.get();
  if (!channel || channel->Handle() <= 0) {
    CDebugLog("CDetailActions::SendRemote").Write("no command channel : %c%c not sent\n", first, second);
    return;
  }
  const std::vector<std::uint8_t> command = moni::actions::RemoteCommand(first, second);
  channel->QueueRequest(command.data(), static_cast<std::uint32_t>(command.size()));
}

// The main button, by the string its caption came from.
void CDetailActions::OnMainButton() {
  CDebugLog log("CDetailActions::OnMainButton");
  CDialogView& view = m_detail.View();
  const bool popup = view.DialogType() == moni::view::kPopup;
  switch (const int id = view.MainButtonId()) {
    case moni::view::kIdsStop:
      log.Write("ButtonType : IDS_STOP\n");
      if (popup) CancelJob(false);
      return;
    case kIdsDischargePaper:
      log.Write("ButtonType : IDS_DISCHARGE_PAPER\n");
      SendRemote('p', 'j');
      return;
    case moni::view::kIdsInkCancel:
    case moni::view::kIdsInkStopReset: {
      log.Write(id == moni::view::kIdsInkCancel ? "ButtonType : IDS_INK_CANCEL\n" : "ButtonType : IDS_INK_STOPRESET\n");
      const CPrinterStatus* status = m_detail.Status();
      if (popup && status && CDialogView::AllowsJobReset(*status)) {
        m_detail.m_iResetRetry = 0;
        SendResetCommand(1);
      } else {
        SendRemote('r', 's');
      }
      if (popup) CancelJob(false);
      return;
    }
    default:
      break;
  }
  // The close caption: a window whose job is still known to the progress
  // meter (or whose help is open) hides and closes itself later.
  if (m_detail.ProgressMeter().GetJobCount() > 0 || HelpWindowOpen()) {
    m_detail.m_bAutoOpened = true;
    view.ChangeDialogType(moni::view::kHideProgress);
    m_detail.ShowForType();  // the view lays itself out; the window itself hides
    return;
  }
  m_detail.Finish(1);
}

void CDetailActions::OnSubButton() {
  CDebugLog log("CDetailActions::OnSubButton");
  switch (m_detail.View().SubButtonId()) {
    case kIdsDischargePaper:
      log.Write("ButtonType : IDS_DISCHARGE_PAPER\n");
      SendRemote('p', 'j');
      break;
    case kIdsInkReturn:
      log.Write("ButtonType : IDS_INK_RETURN\n");
      SendRemote('p', 'e');
      break;
    case kIdsInkOfflineCancel:
      log.Write("ButtonType : IDS_INK_OFFLINE_CANCEL\n");
      OfflineCancel();
      break;
    default:
      break;
  }
}

// Cancels in the spooler the jobs that the progress meter follows, the
// spooler's first job at a time. A pass whose first job is none of the
// meter's ends the loop: cancelling nothing, it would only repeat.
void CDetailActions::OfflineCancel() {
  CDebugLog log("CDetailActions::OfflineCancel");
  CProgressMeter& meter = m_detail.ProgressMeter();
  const std::wstring& name = m_detail.OpenName();
  while (meter.GetJobCount() > 0) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE};
    HANDLE raw = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &raw, &defaults)) return;
    moni::PrinterHandle printer(raw);
    DWORD needed = 0, returned = 0;
    EnumJobsW(printer.get(), 0, 1, 2, nullptr, 0, &needed, &returned);
    if (needed == 0) return;
    std::vector<BYTE> buffer(needed);
    if (!EnumJobsW(printer.get(), 0, 1, 2, buffer.data(), needed, &needed, &returned) || returned == 0) return;
    log.Write("Job info is found\n");
    const DWORD jobId = reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->JobId;
    const int count = meter.GetJobCount();
    log.Write("Max Job Num: %d\n", count);
    bool cancelled = false;
    for (int i = 0; i < count && !cancelled; ++i) {
      const DWORD listed = meter.GetJobId(i);
      log.Write("Del Job ID : %d\n", listed);
      if (listed != jobId) continue;
      log.Write("Del Spooler Job\n");
      SetJobW(printer.get(), jobId, 0, nullptr, JOB_CONTROL_CANCEL);
      meter.RemoveJob(jobId);
      cancelled = true;
    }
    if (!cancelled) return;
  }
}

void CDetailActions::OnStop() {
  CDebugLog("CDetailActions::OnStop").Write("Stop\n");
  m_detail.View().DisableStopAndPause();
  m_detail.ProgressInfo().m_bJobAccepted = false;
  m_detail.m_iResetRetry = 0;
  SendResetCommand(1);
  CancelJob(false);
}

void CDetailActions::OnPause() {
  CDebugLog log("CDetailActions::OnPause");
  m_detail.View().DisablePause();
  pg::JobRecord record{};
  m_detail.ProgressInfo().GetProgressData(&record, 0);
  const DWORD command = (record.dwJobStatus & kJobPaused) ? kResume : kPause;
  log.Write("Job ID : 0x%08X, command %d\n", record.dwJobId, command);
  m_detail.ProgressMeter().SetJobCommand(record.dwJobId, command);
}

void CDetailActions::OnCancel() {
  CDebugLog("CDetailActions::OnCancel").Write("Cancel\n");
  m_detail.View().DisableStopAndPause();
  CancelJob(false);
}

void CDetailActions::CancelPrintingData(int dialogType) {
  CDebugLog log("CDetailActions::CancelPrintingData");
  if (m_detail.ProgressMeter().GetJobCount() <= 0) return;
  m_detail.m_iResetRetry = 0;
  if (SendResetCommand(0) != 1) return;
  if (dialogType == moni::view::kProgress) {
    m_detail.View().DisableStopAndPause();
    m_detail.ProgressInfo().m_bJobAccepted = false;
  }
  CancelJob(true);
}

// ---------------------------------------------------------------------------
// The reset command

int CDetailActions::SendResetCommand(int skipChecks) {
  CDebugLog log("CDetailActions::SendResetCommand");
  CBqCmdChnl* channel = m_detail.m_resetChannel.get();
  if (!channel || channel->Handle() <= 0) return 0;

  pg::JobRecord record{};
  DWORD jobId = 0;
  std::uint8_t host[pg::kHostInfoBlock] = {};
  if (m_detail.ProgressInfo().GetProgressData(&record, 1)) {
    jobId = record.dwJobId;
    std::memcpy(host, reinterpret_cast<const std::uint8_t*>(&record) + offsetof(pg::JobRecord, HostInfo), sizeof host);
  } else {
    log.Write("JobInfo from ProgressIFTask\n");
    pg::JobRecord current{};
    m_detail.ProgressMeter().GetJobRecord(current);
    jobId = current.dwJobId;
    m_detail.ProgressMeter().GetJobHostInfo(host);
  }
  const std::uint8_t length = host[0], kind = host[1];
  const std::uint8_t* data = host + 2;
  std::uint32_t valid = 0;
  std::memcpy(&valid, host + (offsetof(pg::JobRecord, bHostInfo) - offsetof(pg::JobRecord, HostInfo)), sizeof valid);
  log.Write("Current Job ID : 0x%08X\n", jobId);
  log.Write("*** Host infomation from Sorrel ***\n");
  log.Write("Host infomation m1 = %#x\n", kind);
  log.Write("Host infomation Length = %#x\n", length);
  log.Write("Binary_Data:\n%s\n", HexDump(data, 32));
  if (valid != 1) {
    log.Write("HostInfo is invalid\n");
    return 0;
  }
  // The host's length byte is the printer's: never more than the 32 bytes kept.
  const std::uint32_t nameLength = length <= 32 ? length : 32;

  if (!skipChecks) {
    const CPrinterStatus* status = m_detail.Status();
    moni::status::StatusBuff buff{};
    if (!status || !status->GetStatusBuff(&buff) || buff.byInkCount == 0 || status->Row().kind != 1) return 0;
    log.Write("CPrinterStatus::GetStatusJobID\n");
    const DWORD printerJob = status->GetStatusJobID();
    log.Write("Status Reply Job ID = 0x%x\n", printerJob);
    bool checkName = false;
    if (channel->IsSelected() && (channel->Selected().mode & kSharedModeBit)) {
      if (channel->Selected().channel == bqapi::kChannelNetwork) {
        log.Write("Network connection !!\n");
      } else {
        log.Write("Share connection !!\n");
      }
      // Whether a shared printer's job is this host's own is not known here:
      // the name decides, as on the network.
      checkName = true;
    } else {
      log.Write("Local connection !!\n");
      log.Write("Check Job Name through !!\n");
    }
    bool nameMatches = true;
    if (checkName) {
      log.Write("Check Job Name !!\n");
      const std::uint8_t* text = buff.abyJobText;
      if (kind == 1) {
        nameMatches = std::memcmp(data, text, nameLength) == 0;
      } else {
        // Both as wide strings, each within its 32 bytes.
        std::u16string hostName, printerName;
        for (std::uint32_t i = 0; i + 1 < 32; i += 2) {
          const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
          if (!c) break;
          hostName += c;
        }
        for (std::uint32_t i = 0; i + 1 < 32; i += 2) {
          const char16_t c = static_cast<char16_t>(text[i] | (text[i + 1] << 8));
          if (!c) break;
          printerName += c;
        }
        nameMatches = hostName == printerName;
      }
    }
    const bool idMatches = printerJob == jobId;
    log.Write("Job name is %s !!\n", nameMatches ? "Enable" : "Disable");
    log.Write("Job ID is %s !!\n", idMatches ? "Enable" : "Disable");
    if (!nameMatches || !idMatches) return 0;
  }

  log.Write("Send command !!\n");
  if (!channel->ResetPrinterRJ(jobId, kind, data, nameLength)) return 0;
  ++m_resetsSent;
  return 1;
}

void CDetailActions::RetryResetLater() {
  const HWND window = m_detail.Window();
  std::lock_guard lock(g_retryLock);
  RetryOwners()[window] = this;
  m_retryTimer = SetTimer(window, kRetryTimerId, m_retryDelayMs, &CDetailActions::RetryTimerProc);
  if (!m_retryTimer) RetryOwners().erase(window);
}

void CALLBACK CDetailActions::RetryTimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(hwnd, id);
  CDetailActions* self = nullptr;
  {
    std::lock_guard lock(g_retryLock);
    auto& owners = RetryOwners();
    const auto found = owners.find(hwnd);
    if (found == owners.end()) return;
    self = found->second;
    owners.erase(found);
  }
  self->m_retryTimer = 0;
  if (self->m_detail.m_bEnding) return;
  ++self->m_detail.m_iResetRetry;
  if (self->SendResetCommand(1) != 1) self->m_detail.m_iResetRetry = 0;
}

void CDetailActions::OnBqSendRev(WPARAM channelHandle, LPARAM result) {
  CDebugLog log("CDetailActions::OnBqSendRev");
  if (m_detail.m_bEnding) return;
  const int handle = static_cast<int>(channelHandle);
  const int outcome = static_cast<int>(result);
  auto take = [&](CBqCmdChnl& channel, CBqCmdChnl::Request& answer) {
    const bool got = channel.TakeAnswer(answer) == 1;
    log.Write("Result = %d\n", outcome);
    if (got) log.Write("Buffer : %s\n", std::string(answer.answer.begin(), answer.answer.end()));
    return got;
  };
  CBqCmdChnl::Request answer;
  if (m_detail.m_cmdChannel && handle > 0 && m_detail.m_cmdChannel->Handle() == handle) {
    take(*m_detail.m_cmdChannel, answer);
  } else if (m_detail.m_tagchipChannel && handle > 0 && m_detail.m_tagchipChannel->Handle() == handle) {
    if (take(*m_detail.m_tagchipChannel, answer) && outcome > 0) {
      const auto remain = moni::actions::DecodeTagchipRemain(answer.answer.data(), answer.answer.size());
      m_detail.View().InkView().ChangeTankTagchipRemain(remain.black, remain.colour);
    }
  } else if (m_detail.m_resetChannel && handle > 0 && m_detail.m_resetChannel->Handle() == handle) {
    CBqCmdChnl& channel = *m_detail.m_resetChannel;
    take(channel, answer);
    using moni::actions::ResetStep;
    const ResetStep step = moni::actions::NextResetStep(channel.PrintServerType() == CBqApiEx2::kServerD4, outcome,
                                                        answer.answer.data(), answer.answer.size(), m_detail.m_iResetRetry);
    if (step == ResetStep::End) {
      m_detail.m_iResetRetry = 0;
    } else if (step == ResetStep::Retry && !m_retryTimer) {
      log.Write("Retry %d\n", m_detail.m_iResetRetry + 1);
      RetryResetLater();
    }
  }
}

void CDetailActions::QueueExCommand() {
  CBqCmdChnl* channel = m_detail.m_resetChannel.get();
  if (!channel || channel->Handle() <= 0) return;
  const std::vector<std::uint8_t> command = moni::actions::ExCommand();
  if (channel->IsSelected() && channel->Selected().channel == bqapi::kChannelNetwork &&
      channel->PrintServerType() == CBqApiEx2::kServerD4) {
    std::vector<std::uint8_t> packet(moni::comm::snmp::kPacketBufferSize);
    const std::uint32_t size =
        CBqApiEx2::MakeSnmpPacket(command.data(), static_cast<std::uint32_t>(command.size()), packet.data());
    if (size) channel->QueueRequest(packet.data(), size);
    return;
  }
  channel->QueueRequest(command.data(), static_cast<std::uint32_t>(command.size()));
}

// ---------------------------------------------------------------------------
// Troubleshooting, support, help, service call

void CDetailActions::OnTroubleShoot() {
  CDebugLog log("CDetailActions::OnTroubleShoot");
  const CPrinterStatus* status = m_detail.Status();
  moni::status::TsInfo info;
  if (!status || status->GetTsInfo(&info) == moni::status::kTsNone) return;
  m_detail.m_bTroubleShooting = true;
  const bool autoOpened = m_detail.m_bAutoOpened;
  m_detail.m_bAutoOpened = false;
  const moni::view::ViewRequest& request = m_detail.Request();
  const std::wstring driver = m_detail.m_strDriverName;
  switch (info.dwType) {
    case 1:
      if (!info.text.empty()) ShellExecuteW(m_detail.Window(), nullptr, info.text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case moni::status::kTsResource: {
      const std::wstring text = L"Troubleshooting " + std::to_wstring(info.wResourceId) + L" (" +
                                std::to_wstring(info.resource.size()) + L" bytes)\r\n" + m_detail.OpenName();
      CStandInDialog::Run(Resources(), CStandInDialog::kTroubleshooting, m_detail.Window(), text);
      break;
    }
    case 3: case 4: case 5: case 6: {
      static const struct {
        DWORD kind;
        const char* log;
        const char* function;
      } kFunctions[] = {{5, "TROUBLESHOOT_TYPE_SETUP\n", "UtSetupfromDuvW"},
                        {3, "TROUBLESHOOT_TYPE_UTILITY\n", "UtInkReplacementW"},
                        {4, "TROUBLESHOOT_TYPE_WINDOW\n", "WndInkReplacementW"},
                        {6, "TROUBLESHOOT_TYPE_PAPERJAM\n", "WndMethodPaperJamW"}};
      for (const auto& f : kFunctions) {
        if (f.kind != info.dwType) continue;
        log.Write(f.log);
        moni::Module library = moni::LoadNamedLibrary(CBaseInfo::Instance().UtilityName);
        if (!library) break;
        using Four = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR);
        using Five = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, DWORD);
        const wchar_t *p = request.printerName.c_str(), *d = driver.c_str(), *o = request.portName.c_str(),
                      *m = request.modelId.c_str();
        if (f.kind == 4) {
          if (auto call = moni::ProcAddress<Five>(library.get(), f.function))
            moni::Guarded([&] { call(p, d, o, m, info.wParam); });
        } else if (auto call = moni::ProcAddress<Four>(library.get(), f.function)) {
          moni::Guarded([&] { call(p, d, o, m); });
        }
      }
      break;
    }
    default:
      break;
  }
  m_detail.m_bAutoOpened = autoOpened;
  m_detail.m_bTroubleShooting = false;
  PostMessageW(m_detail.Window(), WM_RESULT_BQSTATUS, 1, 0);
}

void CDetailActions::OnSupport() {
  CDebugLog log("CDetailActions::OnSupport");
  const std::wstring& target = m_detail.m_strSupportTarget;
  const int kind = m_detail.m_iSupportKind;
  if (target.empty()) return;
  const moni::view::ViewRequest& request = m_detail.Request();
  if (kind == 2 && moni::profile::ReadIniInt(request.setupData, request.modelId, L"SupportDialog", 0) == 1) {
    if (MessageBoxW(m_detail.Window(), Text(kIdsSupportQuestion).c_str(), Text(kIdsSupportCaption).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
  }
  const auto opened =
      reinterpret_cast<INT_PTR>(ShellExecuteW(m_detail.Window(), L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  log.Write("ShellExecute : %d\n", static_cast<long long>(opened));
  if (opened > 32) return;
  const std::wstring text = Text(kIdsSupportFailed) + (kind == 1 ? L" 3" : L" 4");
  MessageBoxW(m_detail.Window(), text.c_str(), Text(kIdsSupportFailCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// The model's help file: the language section's "HelpFile" beside the driver,
// else the help file the driver's information names.
static std::wstring ModelHelpFile(const moni::view::ViewRequest& request, const std::wstring& installPath) {
  const std::wstring section = moni::profile::ChooseResourceSection(request.setupData, GetUserDefaultLangID());
  const std::wstring name = section.empty() ? std::wstring() : moni::profile::ReadIniString(request.setupData, section, L"HelpFile");
  moni::spooler::DriverFiles files;
  const bool haveDriver = !request.printerName.empty() && moni::spooler::GetDriverFilesForPrinter(request.printerName, files);
  if (!name.empty()) return (haveDriver ? files.driverDirectory + L"\\" : installPath) + name;
  return haveDriver ? files.helpFile : std::wstring();
}

void CDetailActions::OnTipHelp() {
  CDebugLog log("CDetailActions::OnTipHelp");
  const int textId = m_detail.View().TipView().CurrentHelpId();
  const long long context = textId > 0 ? moni::actions::ParseHelpContext(moni::ToU16(Text(static_cast<UINT>(textId)))) : -1;
  log.Write("Help context : %d\n", context);
  if (context < 0) return;
  const std::wstring file = ModelHelpFile(m_detail.Request(), m_detail.m_strInstallPath);
  log.Write("Help file : %s\n", file);
  // A help file that is not there shows nothing (the help programs would
  // report it in windows of their own).
  if (!FileExists(file)) return;
  const size_t dot = file.find_last_of(L'.');
  const bool html = dot != std::wstring::npos && _wcsicmp(file.c_str() + dot, L".chm") == 0;
  if (html) {
    moni::Module hhctrl = moni::LoadNamedLibrary(L"hhctrl.ocx");
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    constexpr UINT kHelpContext = 0x000F;
    if (auto call = hhctrl ? moni::ProcAddress<HtmlHelpFn>(hhctrl.get(), "HtmlHelpW") : nullptr) {
      HWND window = nullptr;
      moni::Guarded([&] { window = call(GetDesktopWindow(), file.c_str(), kHelpContext, static_cast<DWORD_PTR>(context)); });
      m_hHelpWindow = window;
      // hhctrl stays loaded while its window may be open.
      if (window) hhctrl.release();
    }
  } else {
    WinHelpW(m_detail.Window(), file.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
  }
}

void CDetailActions::OnTipButton() {
  CDebugLog log("CDetailActions::OnTipButton");
  CDialogView& view = m_detail.View();
  const bool display = !view.DisplayTips();
  view.SetDisplayTips(display);
  if (!m_detail.PrinterKey().empty()) {
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, m_detail.PrinterKey(), false, KEY_SET_VALUE)) key.SetDword(L"DisplayTips", display ? 1 : 0);
  }
  RECT r{};
  const HWND window = m_detail.Window();
  GetWindowRect(window, &r);
  const int bottom = GetSystemMetrics(SM_CYSCREEN) + GetSystemMetrics(SM_CYCAPTION);
  if (r.bottom > bottom) {
    int top = r.top - (r.bottom - bottom);
    if (top < 0) top = 0;
    SetWindowPos(window, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CDetailActions::OnServiceCall() {
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, L"Software\\TALMER\\VGL3\\DUVData", false, KEY_QUERY_VALUE)) return;
  std::wstring text = key.QueryString(m_detail.OpenName());
  if (text.size() > 260) text.resize(260);
  if (text.empty()) return;
  MessageBoxW(m_detail.Window(), text.c_str(), L"Service Call Error!", MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------------------
// Dialogs

void CDetailActions::OnCartridgeInfo() {
  CDebugLog log("CDetailActions::OnCartridgeInfo");
  if (m_hCartridgeDlg) return;
  log.Write("DoModal\n");
  const std::wstring text = m_detail.OpenName() + L"\r\n" + m_detail.Request().setupData;
  CStandInDialog::Run(Resources(), CStandInDialog::kCartridgeCheck, m_detail.Window(), text, L"", [this](HWND dialog) {
    m_hCartridgeDlg = dialog;
    m_detail.View().SetCartridgeDialog(dialog);
    if (dialog) PassInksToCartridgeDialog(m_detail.Status());
  });
}

void CDetailActions::PassInksToCartridgeDialog(const CPrinterStatus* status) {
  moni::status::StatusBuff buff{};
  if (!m_hCartridgeDlg || !status || !status->GetStatusBuff(&buff)) return;
  std::wstring inks;
  for (int i = 0; i < buff.byInkCount && i < 10; ++i) {
    if (i) inks += L", ";
    inks += std::to_wstring(buff.abyInkRemain[i]);
  }
  SetDlgItemTextW(m_hCartridgeDlg, CStandInDialog::kDetail, inks.c_str());
}

void CDetailActions::CloseCartridgeDialog() {
  if (m_hCartridgeDlg && IsWindow(m_hCartridgeDlg)) PostMessageW(m_hCartridgeDlg, WM_COMMAND, IDCANCEL, 0);
  m_hCartridgeDlg = nullptr;
}

void CDetailActions::ShowVersionDialog() {
  CDebugLog("CDetailActions::ShowVersionDialog").Write("Version\n");
  CStandInDialog::Run(Resources(), CStandInDialog::kVersion, m_detail.Window(), Text(kIdsCaption), L"" MONI_VERSION_TEXT);
}

static std::wstring WaitArguments(DWORD reason, const std::wstring& printer, const std::wstring& port, DWORD jobId) {
  const bool byPort = printer.empty();
  wchar_t head[64];
  swprintf(head, 64, L"0x%08lX, job %lu, ", static_cast<unsigned long>(reason), static_cast<unsigned long>(jobId));
  return head + (byPort ? L"port " + port : L"printer " + printer);
}

int CDetailActions::RunCartridgeCheck(DWORD jobId) {
  const std::wstring text = L"job " + std::to_wstring(jobId) + L", " + m_detail.OpenName() + L"\r\n" + m_detail.Request().setupData;
  const INT_PTR result = CStandInDialog::Run(Resources(), CStandInDialog::kCartridgeCheck, m_detail.Window(), text);
  return result == CStandInDialog::kCancelJob ? kCancelJob : kContinue;
}

int CDetailActions::RunDoubleSidedDialog(DWORD reason, DWORD jobId) {
  const auto& r = m_detail.Request();
  const INT_PTR result = CStandInDialog::Run(Resources(), CStandInDialog::kDoubleSided, nullptr,
                                             WaitArguments(reason, r.printerName, r.portName, jobId));
  return result == CStandInDialog::kCancelJob ? kCancelJob : kContinue;
}

int CDetailActions::RunPaperGapLeverAlert(DWORD reason, DWORD jobId) {
  const auto& r = m_detail.Request();
  const INT_PTR result = CStandInDialog::Run(Resources(), CStandInDialog::kPaperGapLever, m_detail.Window(),
                                             WaitArguments(reason, r.printerName, r.portName, jobId));
  return result == CStandInDialog::kCancelJob ? kCancelJob : kContinue;
}

// ---------------------------------------------------------------------------
// Messages and the ink pop-ups

int CDetailActions::ShowCommErrorMessages() {
  CDebugLog log("CDetailActions::ShowCommErrorMessages");
  CRegistryKey key;
  if (!OpenMachineKey(key, L"Software\\TALMER\\VGL3\\DUVCommon")) return 1;
  int result = 1;
  const struct {
    const wchar_t* name;
    UINT text;
  } kMessages[] = {{L"RST_FREPLACE", kIdsReplaceRequest}, {L"ERR_BQAPIINUSE", kIdsCommInUse}, {L"ERR_OTHERS", kIdsCommOther}};
  for (const auto& m : kMessages) {
    if (key.QueryDword(m.name, 0) != 1) continue;
    log.Write("%s\n", std::wstring(m.name));
    MessageBoxW(m_detail.Window(), Text(m.text).c_str(), Text(kIdsCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
    result = 0;
  }
  return result;
}

void CDetailActions::OnInkOrderButton() {
  CDebugLog log("CDetailActions::OnInkOrderButton");
  const CPrinterStatus* status = m_detail.Status();
  moni::status::StatusBuff record{};
  if (!m_detail.m_inkOrder || !m_detail.m_inkOrder->IsAvailable() || !status || !status->GetStatusBuff(&record)) return;
  const moni::view::ViewRequest& request = m_detail.Request();
  moni::status::ModelFiles files = moni::status::ModelFiles::FromBaseInfo();
  const std::wstring query = status->GetInkStatusURL(record, files);
  moni::inkorder::OpenBuyNowURL(m_detail.Window(), query, {Resources(), m_detail.m_strDriverName, request.setupData, request.modelId});
}

// The ink reminder after a status update, on the printer's own settings.
void CDetailActions::PopupInkOrder() {
  const CPrinterStatus* status = m_detail.Status();
  moni::status::StatusBuff record{};
  if (!m_detail.m_inkOrder || !status || !status->GetStatusBuff(&record) || m_detail.PrinterKey().empty()) return;
  m_detail.m_inkOrder->PopupInkOrder(m_detail.PrinterKey(), record);
}

void CDetailActions::PopupInkMonitor() {
  const std::wstring& driver = m_detail.m_strDriverName;
  const std::wstring& printerKey = m_detail.PrinterKey();
  if (driver.empty() || printerKey.empty()) return;
  CRegistryKey machine;
  if (!OpenMachineKey(machine, L"software\\TALMER\\" + driver + L" IC_JP")) return;
  CDebugLog log("CDetailActions::PopupInkMonitor");
  const std::wstring userPath = printerKey + L"\\IC_JP";
  CRegistryKey user;
  if (!user.Open(HKEY_CURRENT_USER, userPath, true, KEY_ALL_ACCESS)) return;
  const DWORD initialize = machine.QueryDword(L"Initialize", 0), disable = machine.QueryDword(L"Disable", 0);
  user.SetDword(L"Initialize", initialize);
  user.SetDword(L"Disable", disable);
  if (initialize != 0) {
    for (std::wstring sub = user.EnumKey(0); !sub.empty(); sub = user.EnumKey(0)) {
      if (!user.DeleteTree(sub)) break;
    }
    user.SetDword(L"Initialize", 0);
    CRegistryKey writable;
    const std::wstring machinePath = L"software\\TALMER\\" + driver + L" IC_JP";
    if (writable.Open(HKEY_LOCAL_MACHINE, machinePath, false, KEY_SET_VALUE) ||
        writable.Open(HKEY_LOCAL_MACHINE, machinePath, false, KEY_SET_VALUE | KEY_WOW64_32KEY))
      writable.SetDword(L"Initialize", 0);
  }
  if (user.QueryDword(L"Disable", 0) == 1) {
    log.Write("InkMonitorPopup Disable    = %d\n", 1);
    return;
  }
  const CPrinterStatus* status = m_detail.Status();
  moni::status::StatusBuff record{};
  if (!status || !status->GetStatusBuff(&record) || record.byInkCount == 0) {
    log.Write("Don't Get Status\n");
    return;
  }
  const int inkCount = m_detail.Request().settings.inkColorNum;
  const int known = record.byInkCount < 10 ? record.byInkCount : 10;
  for (int i = 0; i < inkCount && i < 100; ++i) {
    wchar_t name[16];
    swprintf(name, 16, L"PopupInk%.2d", i);
    CRegistryKey ink;
    if (!ink.Open(HKEY_CURRENT_USER, userPath + L"\\" + name, true, KEY_ALL_ACCESS)) continue;
    moni::actions::StoredInk stored;
    stored.color = moni::ToU16(ink.QueryString(L"Color"));
    stored.popup = ink.QueryDword(L"Popup", 0);
    stored.inkRemain = ink.QueryDword(L"InkRemain", 100);
    stored.isPopup = ink.QueryDword(L"IsPopup", 0);
    const std::u16string color = i < known ? moni::ToU16(std::to_wstring(record.awInkColor[i])) : std::u16string();
    const int level = i < known ? record.abyInkRemain[i] : 255;
    const moni::actions::StoredInk next = moni::actions::UpdateStoredInk(stored, color, level);
    ink.SetString(L"Color", moni::ToWide(next.color));
    ink.SetDword(L"Popup", next.popup);
    ink.SetDword(L"InkRemain", next.inkRemain);
    ink.SetDword(L"IsPopup", next.isPopup);
  }
  log.Write("InkStatus Write Registry Complete\n");
  const auto starts = moni::actions::InkMonitorStarts(record.byState, record.abyInkRemain, known, record.abyWarning,
                                                      record.byWarningCount < 32 ? record.byWarningCount : 32, inkCount);
  // The ink monitor program is not part of this product: its starts are logged.
  for (const auto& s : starts) log.Write("InkMonitorExec : %c %d\n", std::string(1, s.kind), s.ink);
}

bool CDetailActions::HelpWindowOpen() const { return m_hHelpWindow && IsWindow(m_hHelpWindow); }
