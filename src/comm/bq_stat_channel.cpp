#include "comm/bq_stat_channel.h"

#include <new>

#include "comm/channel_list.h"
#include "foundation/com_status.h"
#include "foundation/debug_log.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kMapPrefix[] = L"V_GTMS_";


// Reads a status reply in the library's two calls into `reply` (size + 1
// zeroed bytes when `extra`): the size (above 0), 0 no status, or the
// library's failure; `noMemory` is set when no buffer could be had for the
// size the library gave.
int ReadStatus(CBqApi& library, int handle, std::vector<std::uint8_t>& reply, bool extra, bool& noMemory) {
  noMemory = false;
  std::uint32_t size = 0;
  const int result = library.BQGetStatus(handle, nullptr, &size);
  if (result == 0) return 0;
  if (result != bqapi::kNeedBuffer) return result < 0 ? result : 0;
  if (size == 0) return 0;
  noMemory = true;
  if (size > CBqApiBase::kMaxQuerySize) return 0;
  try {
    reply.assign(size + (extra ? 1 : 0), 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  noMemory = false;
  std::uint32_t got = size;
  const int read = library.BQGetStatus(handle, reply.data(), &got);
  if (read <= 0) {
    reply.clear();
    return read;
  }
  reply.resize(got < size ? got : size);
  return static_cast<int>(reply.size());
}

}  // namespace

// ---------------------------------------------------------------------------
// CBqStatChannel

CBqStatChannel::CBqStatChannel(int openType, const wchar_t* name) : CBqApiChannel(openType, name, 0, 3) {}

CBqStatChannel::~CBqStatChannel() { EndStatusThread(1); }

void CBqStatChannel::SetPeriods(DWORD startDelayMs, DWORD tickMs) {
  m_startDelayMs = startDelayMs;
  m_tickMs = tickMs;
}

int CBqStatChannel::StartStatusThread(HWND hWnd, BqResultCallback callback, void* context) {
  CDebugLog log("CBqStatChannel::StartStatusThread");
  if (m_worker.Running()) return 0;
  EndStatusThread(1);
  m_target = moni::comm::ResultTarget{hWnd, callback, context};
  if (!m_worker.Start(&CBqStatChannel::ThreadBody, this)) {
    log.Write("Error : CreateThread %d\n", static_cast<unsigned long>(GetLastError()));
    return 0;
  }
  return 1;
}

void CBqStatChannel::EndStatusThread(int wait) { m_worker.Stop(wait == 1); }

int CBqStatChannel::GetPrinterStatus() {
  if (m_hChannel < 0) return -1;
  std::vector<std::uint8_t> reply;
  bool noMemory = false;
  const int result = ReadStatus(*this, m_hChannel, reply, false, noMemory);
  if (noMemory) return -2;
  if (result <= 0) return result;
  std::lock_guard lock(m_replyLock);
  m_reply = std::move(reply);
  return 1;
}

std::vector<std::uint8_t> CBqStatChannel::Reply() const {
  std::lock_guard lock(m_replyLock);
  return m_reply;
}

std::uint32_t CBqStatChannel::EnumChannel(int index) {
  return index < bqapi::kOneShotReaderChannels ? EnumStatusChannel(index) : 0;
}

int CBqStatChannel::OpenStatusChannel() {
  CDebugLog log("CBqStatChannel::OpenStatusChannel");
  bool selected = false;
  for (int index = 0;; ++index) {
    const std::uint32_t channel = EnumChannel(index);
    if (channel == 0) break;
    const int result = SelectChannel(channel, bqapi::kModeStatus);
    if (result == 1) {
      log.Write("SelChannelNo. = %#x\n", static_cast<unsigned long>(channel));
      selected = true;
      break;
    }
    if (result == -1) break;
  }
  if (!selected) return -1;
  return OpenChannel() >= 1 ? 1 : 0;
}

void CBqStatChannel::BqStatusThreadMain() {
  if (!m_worker.Pause(m_startDelayMs)) return;
  if (m_hChannel < 0) {
    const int opened = OpenStatusChannel();
    if (opened < 1) {
      Post(WM_RESULT_BQSTCHANNEL, opened);
      return;
    }
  }
  if (!m_worker.Running()) return;
  const int result = GetPrinterStatus();
  if (m_worker.Running()) Post(WM_RESULT_BQSTATUS, result);
}

// ---------------------------------------------------------------------------
// CDetailBqStatus

CDetailBqStatus::CDetailBqStatus(int openType, const wchar_t* name) : CBqStatChannel(openType, name) {}

// The thread runs this class's loop: it ends before this part of the object goes.
CDetailBqStatus::~CDetailBqStatus() { EndStatusThread(1); }

int CDetailBqStatus::Initialize(const std::wstring& printerName, const std::wstring& portName, const std::wstring& modelId,
                                const std::wstring& mapName) {
  if (m_worker.Running()) return 0;
  m_strPrinterName = printerName;
  m_strPortName = portName;
  m_strModelId = modelId;
  m_strMonitorMapFile = kMapPrefix + mapName;
  for (wchar_t& c : m_strMonitorMapFile)
    if (c == L'\\') c = L'/';
  return 1;
}

void CDetailBqStatus::SetIntervals(int local, int network) {
  if (local > 0) m_nLocalInterval = local;
  if (network > 0) m_nNetworkInterval = network;
}

std::uint32_t CDetailBqStatus::EnumChannel(int index) { return EnumStatusChannel(index); }

bool CDetailBqStatus::RefreshPrinting() {
  const moni::KernelHandle map(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, m_strMonitorMapFile.c_str()));
  m_bPrinting = map.valid();
  return map.valid();
}

std::wstring CDetailBqStatus::PrinterKey() const {
  const bool byPort = m_strPrinterName.empty();
  const std::wstring& name = byPort ? m_strPortName : m_strPrinterName;
  std::wstring path;
  if (name.empty() || GetTargetPrnKey(name, byPort, path) != 0) return {};
  return path;
}

int CDetailBqStatus::CheckModelIDFromBQAPI() {
  CDebugLog log("CDetailBqStatus::CheckModelIDFromBQAPI");
  const bool byPort = m_strPrinterName.empty();
  const std::wstring& name = byPort ? m_strPortName : m_strPrinterName;
  const std::wstring& deviceId = GetDeviceID(byPort ? bqapi::kOpenByPort : bqapi::kOpenByPrinter, name.c_str());
  const int result = moni::comm::MatchModel(moni::ToU16(deviceId), moni::ToU16(m_strModelId));
  log.Write("Model check : %d\n", result);
  return result;
}

int CDetailBqStatus::ComStatusResult() {
  const std::wstring path = PrinterKey();
  if (path.empty()) return 1;  // no key: as if a new status were there
  CRegistryKey key;
  const DWORD value = key.Open(HKEY_CURRENT_USER, path)
                          ? key.QueryDword(moni::comstatus::kValueName, moni::comstatus::kSeen)
                          : moni::comstatus::kNew;
  return moni::comstatus::ResultOf(value);
}

int CDetailBqStatus::GetPrinterStatus() {
  CDebugLog log("CDetailBqStatus::GetPrinterStatus");
  if (m_bPrinting.load()) {
    // The printing side wrote the status record: it must be there to be read.
    const std::wstring path = PrinterKey();
    CRegistryKey key;
    if (path.empty() || !key.Open(HKEY_CURRENT_USER, path)) return -1;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), L"Status", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return -1;
    std::vector<BYTE> status(size);
    if (RegQueryValueExW(key.Get(), L"Status", nullptr, &type, status.data(), &size) != ERROR_SUCCESS) return -1;
    return 1;
  }

  std::vector<std::uint8_t> reply;
  bool noMemory = false;
  const int read = ReadStatus(*this, m_hChannel, reply, true, noMemory);
  if (noMemory) return -2;
  if (read == 0) return 0;
  if (read < 0) {
    log.Write("BQGetStatus : %d\n", read);
    return read == bqapi::kBusy ? -2 : -1;
  }
  bool byPort = false;
  std::wstring path;
  int created = 0;
  if (GetOrCreateTargetPrnKey(m_strPrinterName, m_strPortName, m_strModelId, byPort, path, &created) != 0) return 0;
  CRegistryKey key;
  if (!key.Open(HKEY_CURRENT_USER, path, true, KEY_ALL_ACCESS)) return -1;
  if (RegSetValueExW(key.Get(), L"Status", 0, REG_BINARY, reply.data(), static_cast<DWORD>(reply.size())) != ERROR_SUCCESS ||
      !key.SetDword(L"Channel", IsSelected() ? Selected().channel : 0))
    return -1;
  return 1;
}

int CDetailBqStatus::Interval() const {
  if (m_bPrinting.load()) return 1;
  if (m_hChannel < 0 || !(Selected().mode & bqapi::kModeNetwork)) return m_nLocalInterval;
  return m_nNetworkInterval;
}

void CDetailBqStatus::BqStatusThreadMain() {
  CDebugLog log("CDetailBqStatus::BqStatusThreadMain");
  if (!m_worker.Pause(m_startDelayMs)) return;
  bool modelChecked = false;
  int wait = 0, counter = 0;
  while (m_worker.Running()) {
    if (counter >= wait) {
      counter = 0;
      RefreshPrinting();
      int r = 1;
      if (m_bPrinting.load()) {
        r = ComStatusResult();
        if (r == 1) {
          modelChecked = true;
          CRegistryKey key;
          const std::wstring path = PrinterKey();
          if (!path.empty() && key.Open(HKEY_CURRENT_USER, path, false, KEY_ALL_ACCESS)) {
            key.SetDword(moni::comstatus::kValueName, moni::comstatus::kSeen);
          }
        }
      } else if (!modelChecked) {
        r = CheckModelIDFromBQAPI();
        if (r == 1) modelChecked = true;
      }
      if (!m_worker.Running()) break;
      int opened = 1;
      if (r < 0) {
        Post(WM_RESULT_BQDEVICEID, r);
      } else if (m_hChannel < 0 && (opened = OpenStatusChannel()) < 1) {
        // -1: no candidate offered for status; 0: chosen but not opened.
        Post(WM_RESULT_BQSTCHANNEL, opened);
      } else {
        if (!m_worker.Running()) break;
        if (r == 1) Post(WM_RESULT_BQSTATUS, GetPrinterStatus());
      }
      wait = Interval();
    }
    ++counter;
    if (!m_worker.Pause(m_tickMs)) break;
  }
}
