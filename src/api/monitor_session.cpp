#include "api/monitor_session.h"

#include <climits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "comm/bqapi_binding.h"
#include "comm/channel_list.h"
#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/notification.h"
#include "foundation/registry_key.h"
#include "foundation/com_status.h"
#include "foundation/target_keys.h"
#include "platform/text.h"
#include "status/status_info.h"
#include "ui/progress/spooler_jobs.h"

namespace moni::session {
namespace {

constexpr UINT kTimerStringId = 1340;

// Communication-error statuses and the statuses of the failure path.
constexpr int kStatusNoReply = 21;
constexpr int kStatusReplyError = 22;
constexpr int kStatusBusy = 16;
constexpr int kStatusOffline = 59;
constexpr int kSimpleAttention = 13;


// The process-wide session state.
std::unique_ptr<MonitorBuffer> g_monitorBuffer;
// One library reference per PrMonitoringStart. Never destroyed: references a
// host leaves behind when it unloads the library are left to the loader, as
// releasing the communication library from inside the loader lock is unsafe.
std::vector<std::unique_ptr<CBqApi>>& g_sessionReferences = *new std::vector<std::unique_ptr<CBqApi>>;
int g_lastRealStatusNo = -1;

int OpenType(const CBaseInfo& info) { return info.PrinterName.empty() ? bqapi::kOpenByPort : bqapi::kOpenByPrinter; }

// The printer key below HKCU; empty when there is none.
std::wstring PrinterKey() {
  const CBaseInfo& info = CBaseInfo::Instance();
  const bool byPort = info.PrinterName.empty();
  const std::wstring& name = byPort ? info.PortName : info.PrinterName;
  std::wstring path;
  if (name.empty() || GetTargetPrnKey(name, byPort, path) != 0 || path.size() >= MAX_PATH) return {};
  return path;
}

// Writes of the status record are best effort: a failed write changes nothing
// the host sees. Each takes the printer key found for the poll (PrinterKey).
void WriteComStatus(const std::wstring& path, DWORD value) {
  CRegistryKey key;
  if (path.empty() || !key.Open(HKEY_CURRENT_USER, path, true, KEY_ALL_ACCESS)) return;
  key.SetDword(comstatus::kValueName, value);
}

DWORD ReadComStatus(const std::wstring& path) {
  CRegistryKey key;
  if (path.empty() || !key.Open(HKEY_CURRENT_USER, path)) return comstatus::kSeen;
  return key.QueryDword(comstatus::kValueName, comstatus::kSeen);
}

void WriteStatusRecord(const std::wstring& path, const BYTE* reply, DWORD size, std::uint32_t channel) {
  CRegistryKey key;
  if (path.empty() || !key.Open(HKEY_CURRENT_USER, path, true, KEY_ALL_ACCESS)) return;
  RegSetValueExW(key.Get(), L"Status", 0, REG_BINARY, reply, size);
  key.SetDword(L"Channel", channel);
  key.SetDword(comstatus::kValueName, comstatus::kNew);
}

// Popup and sound for notification number `notifyNo` from the user's
// settings below the printer key (the one notification query): sound only
// accompanies a popup.
void DecideNotification(const std::wstring& path, int notifyNo, int* popup, int* soundPlay) {
  const moni::settings::Notification answer = QueryNotificationAt(path, notifyNo);
  if (popup) *popup = answer.notify;
  if (soundPlay) *soundPlay = answer.sound && answer.notify ? 1 : 0;
}

// The decoder of the session. A session reports status numbers only: the
// buttons and the troubleshooting aid of a status object are the status
// window's. So the decoder asks the spooler for no jobs (they decide a button
// alone) and leaves out the aid (the profile's language sections, the
// model's utility library and resource library read on every poll); whether
// the printer is offline is still asked on the failure path.
CStatusInfo SessionDecoder() {
  moni::status::SpoolerSteps steps = moni::status::SpoolerSteps::System();
  steps.hasJob = nullptr;
  return CStatusInfo(nullptr, std::move(steps));
}

// Why a session cannot be used: no buffer, no printer information, no library.
enum class Unusable { None, NoBuffer, NoPrinterInfo, NoLibrary };

Unusable CheckSession(const CBqApi& library) {
  if (!g_monitorBuffer) return Unusable::NoBuffer;
  if (CBaseInfo::Instance().IsEnablePrnInfo() < 0) return Unusable::NoPrinterInfo;
  if (!library.IsEnabled()) return Unusable::NoLibrary;
  return Unusable::None;
}

}  // namespace

int Start(const StartArgs& args) {
  CDebugLog log("PrMonitoringStart");
  log.Write("PrMonitoringStart : Enter (%p, %s, %s, %s, %s, %s, %s, %p)\n", static_cast<const void*>(args.window), args.printer,
            args.driver, args.port, args.model, args.profile, args.resource, args.job);
  CBaseInfo& info = CBaseInfo::Instance();
  const int set = info.SetPrinterInformation(args.printer, args.driver, args.port, args.model, args.profile, args.resource);
  if (set < 0) log.Write("PrMonitoringStart : error : SetPrinterInformation\n");

  // A job that prints to a port file is followed to its end instead of
  // starting a session.
  DWORD jobNumber = 0;
  if (args.job && IsPrintingPortFile(args.job, &jobNumber) == 1) {
    WaitForPrintingCompletion(args.printer, args.port, jobNumber);
    log.Write("PrMonitoringStart : port file job %08x handled\n", jobNumber);
    return 1;
  }

  CBqApi library;
  if (!library.IsEnabled()) {
    log.Write("PrMonitoringStart : error : library is disable\n");
    return 1;
  }
  std::unique_ptr<CBqApi> reference(new (std::nothrow) CBqApi);
  if (!reference) {
    log.Write("PrMonitoringStart : error : no session reference\n");
    return 1;
  }
  g_sessionReferences.push_back(std::move(reference));

  if (set >= 0 && !g_monitorBuffer) {
    g_monitorBuffer.reset(new (std::nothrow) MonitorBuffer);
    if (!g_monitorBuffer) {
      log.Write("PrMonitoringStart : error : NULL == pMonitorBuffer\n");
      return 1;
    }
    g_monitorBuffer->hMonWnd = args.window;
  }
  return set >= 0 ? 0 : 1;
}

int GetChannel(DWORD* channelNo) {
  CDebugLog log("PrGetChannel");
  log.Write("PrGetChannel : Enter (%p)\n", static_cast<const void*>(channelNo));
  if (channelNo) *channelNo = 0;
  CBqApi library;
  switch (CheckSession(library)) {
    case Unusable::NoBuffer: log.Write("PrGetChannel : error : NULL == pMonitorBuffer\n"); return 1;
    case Unusable::NoPrinterInfo: log.Write("PrGetChannel : error : IsEnablePrnInfo() < 0\n"); return 1;
    case Unusable::NoLibrary: log.Write("PrGetChannel : error : library is disable\n"); return 1;
    case Unusable::None: break;
  }

  const CBaseInfo& info = CBaseInfo::Instance();
  const std::wstring& name = info.OpenName();
  const int openType = OpenType(info);
  CBqApiChannel selector(openType, name.c_str(), 0, 3);
  if (!selector.IsEnabled()) {
    log.Write("PrGetChannel : error : channel is disable\n");
    return 1;
  }

  // A channel of an earlier call is closed before another is opened: the
  // buffer keeps one handle, and a handle dropped from it would stay open.
  MonitorBuffer& buffer = *g_monitorBuffer;
  if (buffer.dwStatusChannelHandle > 0) {
    const int closed = library.BQCloseChannel(buffer.dwStatusChannelHandle);
    log.Write("PrGetChannel : BQCloseChannel(%d) = %d\n", buffer.dwStatusChannelHandle, closed);
  }
  buffer.dwStatusChannelNo = 0;
  buffer.wChannelMode = 0;
  buffer.dwStatusChannelHandle = 0;

  std::uint32_t channel = 0;
  std::uint16_t mode = 0;
  for (int i = 0;; ++i) {
    const std::uint32_t candidate = CBqApiChannel::EnumStatusChannel(i);
    if (candidate == 0) break;
    if (selector.SelectChannel(candidate, bqapi::kModeStatus) == 1) {
      channel = candidate;
      mode = selector.Selected().mode;
      break;
    }
  }
  if (channel == 0) {
    log.Write("PrGetChannel : error : 0 == dwStatusChannelNo\n");
    return 1;
  }
  if (channelNo) *channelNo = channel;

  const int handle = CBqApiBase::Instance().BQOpenChannel(openType, name.c_str(), channel);
  log.Write("PrGetChannel : channel %#x, mode %#x, handle %d\n", channel, static_cast<unsigned>(mode), handle);
  if (handle <= 0) {
    log.Write("PrGetChannel : error : 0 >= dwStatusChannelHandle\n");
    return 1;
  }
  buffer.dwStatusChannelNo = channel;
  buffer.wChannelMode = mode;
  buffer.dwStatusChannelHandle = handle;
  return 0;
}

int CheckModelID() {
  CDebugLog log("PrCheckModelID");
  log.Write("PrCheckModelID : Enter\n");
  CBqApi library;
  switch (CheckSession(library)) {
    case Unusable::NoBuffer: log.Write("PrCheckModelID : error : NULL == pMonitorBuffer\n"); return 0;
    case Unusable::NoPrinterInfo: log.Write("PrCheckModelID : error : IsEnablePrnInfo() < 0\n"); return 0;
    case Unusable::NoLibrary: log.Write("PrCheckModelID : error : library is disable\n"); return 0;
    case Unusable::None: break;
  }
  const CBaseInfo& info = CBaseInfo::Instance();
  const std::wstring deviceId = library.GetDeviceID(OpenType(info), info.OpenName().c_str());
  const size_t at = deviceId.find(L"MDL:");
  if (at == std::wstring::npos) {
    log.Write("PrCheckModelID : error : no MDL\n");
    return 0;
  }
  const size_t end = deviceId.find(L';', at + 4);
  if (end == std::wstring::npos || end == at + 4) {
    log.Write("PrCheckModelID : error : no model\n");
    return 0;
  }
  const std::wstring model = deviceId.substr(at + 4, end - at - 4);
  const int result = moni::comm::EqualIgnoringAsciiCase(moni::ToU16(model), moni::ToU16(info.ModelID)) ? 1 : 2;
  log.Write("PrCheckModelID : %s / %s = %d\n", model, info.ModelID, result);
  return result;
}

int GetStatus(const StatusOutputs& out) {
  CDebugLog log("PrGetStatus");
  log.Write("PrGetStatus : Enter (%d, %p, %p, %d, %p, %p)\n", out.enableGetStatusErr, static_cast<const void*>(out.popup),
            static_cast<const void*>(out.soundPlay), static_cast<const void*>(out.printing), static_cast<const void*>(out.realStatusNo),
            static_cast<const void*>(out.simpleStatusNo));
  CBqApi library;
  switch (CheckSession(library)) {
    case Unusable::NoBuffer: log.Write("PrGetStatus : error : NULL == pMonitorBuffer\n"); return 1;
    case Unusable::NoPrinterInfo: log.Write("PrGetStatus : error : IsEnablePrnInfo() < 0\n"); return 1;
    case Unusable::NoLibrary: log.Write("PrGetStatus : error : library is disable\n"); return 1;
    case Unusable::None: break;
  }

  const CBaseInfo& info = CBaseInfo::Instance();
  const CStatusInfo decoder = SessionDecoder();
  if (out.popup) *out.popup = 0;
  if (out.soundPlay) *out.soundPlay = 0;
  int bPrinting = 0;
  if (out.printing) *out.printing = 0;
  if (out.realStatusNo) *out.realStatusNo = 0;

  const MonitorBuffer& buffer = *g_monitorBuffer;
  const std::uint32_t channel = buffer.dwStatusChannelNo;
  const bool channelOpen = buffer.dwStatusChannelNo != 0 && buffer.dwStatusChannelHandle != 0;
  const DWORD network = (buffer.wChannelMode & bqapi::kModeNetwork) ? bqapi::kModeNetwork : 0;

  // The reply, then its decoding; any failure leaves `code` set.
  int code = 1;
  std::vector<BYTE> reply;
  DWORD replySize = 0;
  std::unique_ptr<CPrinterStatus> status;
  if (!channelOpen) {
    log.Write("PrGetStatus : error : 0 == dwStatusChannelNo || 0 == dwStatusChannelHandle\n");
    code = -1;
  }
  if (code == 1) {
    std::uint32_t size = 0;
    const int result = library.BQGetStatus(buffer.dwStatusChannelHandle, nullptr, &size);
    log.Write("PrGetStatus : BQGetStatus(size) = %d, size = %u\n", result, size);
    if (result == 0) code = 0;
    else if (result == bqapi::kBusy) code = -2;
    else if (result < 0 && result != bqapi::kNeedBuffer) code = -1;
    else if (size == 0) code = -1;  // no reply to ask for
    else if (size > kMaxReplySize) {
      log.Write("PrGetStatus : error : reply size %u\n", size);
      code = -2;
    }
    if (code == 1) {
      try {
        reply.assign(size, 0);
      } catch (const std::bad_alloc&) {
        log.Write("PrGetStatus : error : no buffer\n");
        code = -2;
      }
    }
    if (code == 1) {
      std::uint32_t asked = size;
      const int got = library.BQGetStatus(buffer.dwStatusChannelHandle, reply.data(), &asked);
      log.Write("PrGetStatus : BQGetStatus = %d\n", got);
      if (got == 0) code = 0;
      else if (got == bqapi::kBusy) code = -2;
      else if (got < 0) code = -1;
      else replySize = static_cast<DWORD>(got) < size ? static_cast<DWORD>(got) : size;  // never past the buffer
    }
  }
  if (code == 1) {
    log.WriteHex(reply.data(), static_cast<long>(replySize), "Binary_Data:");
    status = decoder.CreateStatusObject(channel, reply.data(), replySize, 0, network, FALSE);
    if (!status) {
      log.Write("ERROR!! : NULL == pStatus\n");
      code = -1;
    } else if (status->GetRealStatusNo() == kStatusNoReply || status->GetRealStatusNo() == kStatusReplyError) {
      log.Write("PrGetStatus : error : RealStatusNo = %d\n", status->GetRealStatusNo());
      status.reset();
      code = -1;
    }
  }

  if (code == 1) {
    const std::wstring key = PrinterKey();
    WriteStatusRecord(key, reply.data(), replySize, channel);
    reply.clear();
    const int realNo = status->GetRealStatusNo();
    const int simpleNo = status->GetSimpleStatusNo();
    const int notifyNo = status->GetNotifyNo();
    moni::status::StatusBuff record{};
    if (!status->GetStatusBuff(&record)) bPrinting = 0;
    else bPrinting = record.byState == 3 ? 2 : 1;
    status.reset();
    if (out.printing) *out.printing = bPrinting;
    if (out.realStatusNo) *out.realStatusNo = realNo;
    if (out.simpleStatusNo) *out.simpleStatusNo = simpleNo;
    log.Write("PrGetStatus : RealStatusNo = %d, SimpleStatusNo = %d, bPrinting = %d\n", realNo, simpleNo, bPrinting);
    if (bPrinting == 1 && simpleNo == kSimpleAttention && realNo == g_lastRealStatusNo) {
      log.Write("PrGetStatus : same status, no notification\n");
      return 1;
    }
    g_lastRealStatusNo = realNo;
    DecideNotification(key, notifyNo, out.popup, out.soundPlay);
    return 1;
  }

  reply.clear();
  if (code == 0) return 0;
  if (code == -2) return -1;

  const std::wstring key = PrinterKey();
  int errorNo;
  if (channelOpen) {
    if (decoder.CheckPrinterOffline(info.OpenName())) {
      errorNo = kStatusOffline;
      WriteComStatus(key, comstatus::kOffline);
    } else if (out.enableGetStatusErr > 0) {
      errorNo = kStatusReplyError;
      WriteComStatus(key, comstatus::kReplyError);
    } else {
      errorNo = kStatusNoReply;
      WriteComStatus(key, comstatus::kNoReply);
    }
  } else if (ReadComStatus(key) == comstatus::kBusy) {
    errorNo = kStatusBusy;
  } else if (decoder.CheckPrinterOffline(info.OpenName())) {
    errorNo = kStatusOffline;
    WriteComStatus(key, comstatus::kOffline);
  } else {
    errorNo = out.enableGetStatusErr > 0 ? kStatusReplyError : kStatusNoReply;
  }
  log.Write("PrGetStatus : error status %d\n", errorNo);
  status = decoder.CreateStatusObject(channel, nullptr, 0, errorNo, network, FALSE);
  if (!status) {
    log.Write("PrGetStatus() : Error : status object == NULL\n");
    return -1;
  }
  const int simpleNo = status->GetSimpleStatusNo();
  status.reset();
  if (out.simpleStatusNo) *out.simpleStatusNo = simpleNo;
  DecideNotification(key, simpleNo, out.popup, out.soundPlay);
  return 1;
}

int End() {
  CDebugLog log("PrMonitoringEnd");
  log.Write("PrMonitoringEnd : Enter\n");
  CBqApi library;
  if (!library.IsEnabled()) {
    log.Write("PrMonitoringEnd : error : library is disable\n");
    return 1;
  }
  if (!g_sessionReferences.empty() && CBqApiBase::Instance().ReferenceCount() > 0) g_sessionReferences.pop_back();
  if (g_monitorBuffer) {
    if (g_monitorBuffer->dwStatusChannelHandle > 0) {
      const int closed = library.BQCloseChannel(g_monitorBuffer->dwStatusChannelHandle);
      log.Write("PrMonitoringEnd : BQCloseChannel = %d\n", closed);
    }
    g_monitorBuffer.reset();
  }
  return 0;
}

int GetTimerValue(DWORD channelNo, int* network) {
  CDebugLog log("PrGetTimerValue");
  log.Write("PrGetTimerValue : Enter (%#x, %p)\n", static_cast<unsigned>(channelNo), static_cast<const void*>(network));
  const CBaseInfo& info = CBaseInfo::Instance();
  if (info.IsEnablePrnInfo() < 0 || !g_monitorBuffer) {
    log.Write("PrGetTimerValue : error : NULL == pMonitorBuffer\n");
    return -1;
  }
  std::uint16_t mode = g_monitorBuffer->wChannelMode;
  bool learned = false;
  if (channelNo != 0 && mode == 0) {
    CBqApiChannel selector(bqapi::kOpenByPrinter, info.PrinterName.c_str());
    if (!selector.IsEnabled()) {
      log.Write("PrGetTimerValue : error : channel is disable\n");
      return -1;
    }
    if (selector.SelectChannel(channelNo, bqapi::kModeStatus) != 1) {
      log.Write("PrGetTimerValue : error : SelectChannel(%#x)\n", static_cast<unsigned>(channelNo));
      return -1;
    }
    mode = selector.Selected().mode;
    learned = true;
  }
  const bool isNetwork = (mode & bqapi::kModeNetwork) != 0;
  if (network) *network = isNetwork ? 1 : 0;

  const std::wstring text = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, info.PrinterName,
                                                            moni::DriverKey(info.DriverName),
                                                            isNetwork ? L"NetworkMonitoringTimer" : L"LocalMonitoringTimer");
  if (!text.empty()) {
    const int interval = ParseTimerString(text);
    log.Write("PrGetTimerValue : %s = %d\n", text, interval);
    return interval;
  }

  moni::Module resource(info.ResourceName.empty()
                            ? nullptr
                            : LoadLibraryExW(info.ResourceName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!resource) {
    log.Write("PrGetTimerValue : error : LoadLibrary %s\n", info.ResourceName);
    return -1;
  }
  wchar_t buffer[32] = {};
  const int length = LoadStringW(resource.get(), kTimerStringId, buffer, static_cast<int>(sizeof buffer / sizeof buffer[0]));
  int interval = length > 0 ? ParseTimerString(std::wstring(buffer, static_cast<size_t>(length))) : -1;
  if (interval > 0 && learned && isNetwork) interval = interval > INT_MAX / 3 ? -1 : interval * 3;
  log.Write("PrGetTimerValue : resource interval = %d\n", interval);
  return interval;
}

}  // namespace moni::session
