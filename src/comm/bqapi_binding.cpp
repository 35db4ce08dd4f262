#include "comm/bqapi_binding.h"

#include <cstring>

#include "comm/channel_list.h"
#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "platform/seh_guard.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kDriverKey[] = L"Software\\TALMER\\VGL3\\Driver\\";

// Runs one library call under the guard; a call that raises is logged by its
// export name and counts as -99.
template <typename F>
int Call(const char* exportName, F&& f) {
  bool raised = false;
  int result = bqapi::kException;
  if (!moni::Guarded([&] { result = f(); })) raised = true;
  if (raised) {
    CDebugLog log;
    log.Write("Exception Error : %s\n", exportName);
    return bqapi::kException;
  }
  return result;
}


// The status channel candidates and the kind of reply each gives.
struct StatusChannel {
  std::uint32_t channel;
  int replyKind;
};
constexpr StatusChannel kStatusChannelKinds[] = {
    {0x00000004, 1}, {0x10000005, 1}, {0x10010003, 1}, {0x10000003, 1}, {0x02000001, 2},
};

}  // namespace

// ---------------------------------------------------------------------------
// CBqApiBase

CBqApiBase& CBqApiBase::Instance() {
  static CBqApiBase instance;
  return instance;
}

CBqApiBase::~CBqApiBase() {
  // At process end the library is left to the loader: releasing it from here
  // would run inside the loader lock.
  m_hInst.release();
}

bool CBqApiBase::ConvertName(const wchar_t* name, std::string& out) {
  // A name with characters the code page lacks must not reach the library as
  // another name: the conversion is exact or fails.
  if (!moni::WideToAnsi(name, out, /*exact=*/true) || out.size() > kMaxNameBytes) {
    const DWORD error = GetLastError();
    CDebugLog log;
    log.Write("PrinterName Convert Error : %d\n", static_cast<unsigned long>(error));
    out.clear();
    return false;
  }
  return true;
}

void CBqApiBase::Load() {
  CDebugLog log("CBqApiBase::Load");
  const CBaseInfo& info = CBaseInfo::Instance();
  std::wstring fileName;
  if (!info.PrinterName.empty() && !info.DriverName.empty())
    fileName = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, info.PrinterName, kDriverKey + info.DriverName,
                                               L"BQAPI32");
  if (!fileName.empty()) {
    std::wstring installPath;
    GetInstallPath(installPath, info.DriverName, info.ModelID, info.PrinterName);
    const std::wstring path = installPath + fileName;
    log.Write("BQAPI : %s\n", path);
    m_hInst.reset(LoadLibraryW(path.c_str()));
  }
  if (!m_hInst) {
    log.Write("BQAPI : %s\n", "BQAPI.DLL");
    m_hInst.reset(LoadLibraryW(L"BQAPI.DLL"));
  }
  if (!m_hInst) log.Write("Error : LoadLibrary %d\n", static_cast<unsigned long>(GetLastError()));
}

bool CBqApiBase::Bind() {
  const HMODULE lib = m_hInst.get();
  m_pBQInitialize = moni::ProcAddress<bqapi::BQInitializeFn>(lib, "BQInitialize");
  m_pBQRelease = moni::ProcAddress<bqapi::BQReleaseFn>(lib, "BQRelease");
  m_pBQGetDeviceID = moni::ProcAddress<bqapi::BQGetDeviceIDFn>(lib, "BQGetDeviceID");
  m_pBQGetAvailableChannel = moni::ProcAddress<bqapi::BQGetAvailableChannelFn>(lib, "BQGetAvailableChannel");
  m_pBQOpenChannel = moni::ProcAddress<bqapi::BQOpenChannelFn>(lib, "BQOpenChannel");
  m_pBQCloseChannel = moni::ProcAddress<bqapi::BQCloseChannelFn>(lib, "BQCloseChannel");
  m_pBQSetOption = moni::ProcAddress<bqapi::BQSetOptionFn>(lib, "BQSetOption");
  m_pBQGetOption = moni::ProcAddress<bqapi::BQGetOptionFn>(lib, "BQGetOption");
  m_pBQReceiveCancel = moni::ProcAddress<bqapi::BQReceiveCancelFn>(lib, "BQReceiveCancel");
  m_pBQGetStatus = moni::ProcAddress<bqapi::BQGetStatusFn>(lib, "BQGetStatus");
  m_pBQReceive = moni::ProcAddress<bqapi::BQReceiveFn>(lib, "BQReceive");
  m_pBQSend = moni::ProcAddress<bqapi::BQSendFn>(lib, "BQSend");
  const bool all = m_pBQInitialize && m_pBQRelease && m_pBQGetDeviceID && m_pBQGetAvailableChannel && m_pBQOpenChannel &&
                   m_pBQCloseChannel && m_pBQSetOption && m_pBQGetOption && m_pBQReceiveCancel && m_pBQGetStatus &&
                   m_pBQReceive && m_pBQSend;
  if (!all) Unbind();
  return all;
}

void CBqApiBase::Unbind() {
  m_pBQInitialize = nullptr;
  m_pBQRelease = nullptr;
  m_pBQGetDeviceID = nullptr;
  m_pBQGetAvailableChannel = nullptr;
  m_pBQOpenChannel = nullptr;
  m_pBQCloseChannel = nullptr;
  m_pBQSetOption = nullptr;
  m_pBQGetOption = nullptr;
  m_pBQReceiveCancel = nullptr;
  m_pBQGetStatus = nullptr;
  m_pBQReceive = nullptr;
  m_pBQSend = nullptr;
}

int CBqApiBase::Initialize() {
  CDebugLog log("CBqApiBase::Initialize");
  if (m_bEnable) return m_bEnable;
  if (!m_hInst) Load();
  if (m_hBqApi < 0 && m_hInst) {
    if (!Bind()) {
      log.Write("Error : GetProcAddress\n");
      return m_bEnable;
    }
    m_hBqApi = Call("BQInitialize", [&] { return m_pBQInitialize(); });
    log.Write("BQInitialize : %d\n", m_hBqApi);
    if (m_hBqApi == 0) m_bEnable = 1;
  }
  return m_bEnable;
}

void CBqApiBase::Destroy() {
  if (m_nRefCount.load() > 0) return;
  CDebugLog log("CBqApiBase::Destroy");
  m_channelList.clear();
  m_channelList.shrink_to_fit();
  m_nChannelCount = -1;
  // Only a library that BQInitialize made ready is released; one that refused
  // to initialise has nothing to release.
  if (m_hBqApi == 0 && m_pBQRelease) {
    const int released = Call("BQRelease", [&] { return m_pBQRelease(); });
    log.Write("BQRelease : %d\n", released);
    if (released >= 0) {
      m_hBqApi = -1;
      m_bEnable = 0;
    }
  }
  if (m_hInst) {
    m_hInst.reset();
    // The exports went with the module: a library loaded again is bound and
    // initialised afresh.
    Unbind();
    m_hBqApi = -1;
    m_bEnable = 0;
  }
}

int CBqApiBase::BQGetAvailableChannel(int openType, const wchar_t* name) {
  CDebugLog log("CBqApiBase::BQGetAvailableChannel");
  if (!m_bEnable || name == nullptr) return -1;
  if (m_nChannelCount >= 1 && !m_channelList.empty()) return m_nChannelCount;
  m_channelList.clear();
  m_nChannelCount = -1;
  std::string ansi;
  if (!ConvertName(name, ansi)) return -1;

  std::uint32_t size = 0;
  int result = Call("BQGetAvailableChannel", [&] { return m_pBQGetAvailableChannel(openType, ansi.c_str(), nullptr, &size); });
  if (result == bqapi::kException) return result;
  if (result != bqapi::kNeedBuffer || size < 1 || size > kMaxQuerySize) return -1;
  std::vector<std::uint8_t> buffer(size + 1, 0);
  std::uint32_t asked = size;
  result = Call("BQGetAvailableChannel", [&] { return m_pBQGetAvailableChannel(openType, ansi.c_str(), buffer.data(), &asked); });
  if (result == bqapi::kException) return result;
  // The library's count is believed only as far as the buffer holds entries.
  m_channelList = moni::comm::ReadChannelList(buffer.data(), size, result);
  if (m_channelList.empty()) return -1;
  if (static_cast<long long>(m_channelList.size()) != result)
    log.Write("Channel count %d, entries in the buffer %d\n", result, static_cast<int>(m_channelList.size()));
  m_nChannelCount = static_cast<int>(m_channelList.size());
  return m_nChannelCount;
}

std::wstring CBqApiBase::BQGetDeviceID(int openType, const wchar_t* name) {
  CDebugLog log("CBqApiBase::BQGetDeviceID");
  if (!m_bEnable || name == nullptr) return {};
  if (!m_strDeviceId.empty()) return m_strDeviceId;
  std::string ansi;
  if (!ConvertName(name, ansi)) return std::wstring(1, L'\xFFFF');
  m_strDeviceId.clear();

  std::uint32_t size = 0;
  int result = Call("BQGetDeviceID", [&] { return m_pBQGetDeviceID(openType, ansi.c_str(), nullptr, &size); });
  if (result != bqapi::kNeedBuffer || size < 1 || size > kMaxQuerySize) return m_strDeviceId;
  std::vector<char> buffer(size + 1, '\0');
  std::uint32_t asked = size;
  result = Call("BQGetDeviceID", [&] { return m_pBQGetDeviceID(openType, ansi.c_str(), buffer.data(), &asked); });
  // A call that raised may have left half a text: nothing of it is kept.
  if (result > 0 || result == bqapi::kException) return m_strDeviceId;
  buffer.back() = '\0';  // the text ends within the buffer whatever the library wrote
  std::wstring text;
  if (moni::AnsiToWide(std::string_view(buffer.data(), std::strlen(buffer.data())), text)) m_strDeviceId = std::move(text);
  log.Write("DeviceID : %s\n", m_strDeviceId);
  return m_strDeviceId;
}

int CBqApiBase::BQOpenChannel(int openType, const wchar_t* name, std::uint32_t channel) {
  if (!m_bEnable || name == nullptr) return -1;
  std::string ansi;
  if (!ConvertName(name, ansi)) return -1;
  return Call("BQOpenChannel", [&] { return m_pBQOpenChannel(openType, ansi.c_str(), channel); });
}

// ---------------------------------------------------------------------------
// CBqApi

CBqApi::CBqApi() : m_pBase(&CBqApiBase::Instance()) {
  CBqApiBase& base = *m_pBase;
  ++base.m_nRefCount;
  if (!base.m_bEnable) base.Initialize();
  if (!base.m_bEnable) return;
  m_pBQInitialize = base.m_pBQInitialize;
  m_pBQRelease = base.m_pBQRelease;
  m_pBQGetDeviceID = base.m_pBQGetDeviceID;
  m_pBQOpenChannel = base.m_pBQOpenChannel;
  m_pBQCloseChannel = base.m_pBQCloseChannel;
  m_pBQSetOption = base.m_pBQSetOption;
  m_pBQGetOption = base.m_pBQGetOption;
  m_pBQReceiveCancel = base.m_pBQReceiveCancel;
  m_pBQGetStatus = base.m_pBQGetStatus;
  m_pBQReceive = base.m_pBQReceive;
  m_pBQSend = base.m_pBQSend;
  if (!m_pBQInitialize || !m_pBQRelease || !m_pBQGetDeviceID || !m_pBQOpenChannel || !m_pBQCloseChannel || !m_pBQSetOption ||
      !m_pBQGetOption || !m_pBQReceiveCancel || !m_pBQGetStatus || !m_pBQReceive || !m_pBQSend)
    base.m_bEnable = 0;
}

CBqApi::~CBqApi() {
  if (!m_pBase) return;
  int count = m_pBase->m_nRefCount.load();
  while (count > 0 && !m_pBase->m_nRefCount.compare_exchange_weak(count, count - 1)) {
  }
  m_pBase->Destroy();
}

int CBqApi::BQGetStatus(int handle, unsigned char* buffer, std::uint32_t* size) {
  if (!m_pBase || !m_pBQGetStatus) return bqapi::kNotLoaded;
  return Call("BQGetStatus", [&] { return m_pBQGetStatus(handle, buffer, size); });
}

int CBqApi::BQCloseChannel(int handle) {
  if (!m_pBase || !m_pBQCloseChannel) return bqapi::kNotLoaded;
  return Call("BQCloseChannel", [&] { return m_pBQCloseChannel(handle); });
}

int CBqApi::BQSend(int handle, const unsigned char* data, std::uint32_t length) {
  if (!m_pBase || !m_pBQSend) return bqapi::kNotLoaded;
  return Call("BQSend", [&] { return m_pBQSend(handle, data, length); });
}

int CBqApi::BQReceive(int handle, unsigned char* buffer, std::uint32_t* size, std::uint32_t wait) {
  if (!m_pBase || !m_pBQReceive) return bqapi::kNotLoaded;
  return Call("BQReceive", [&] { return m_pBQReceive(handle, buffer, size, wait); });
}

const std::wstring& CBqApi::GetDeviceID(int openType, const wchar_t* name) {
  if (name == nullptr || !m_pBase)
    m_strDeviceId.clear();
  else
    m_strDeviceId = m_pBase->BQGetDeviceID(openType, name);
  return m_strDeviceId;
}

// ---------------------------------------------------------------------------
// CBqApiChannel

CBqApiChannel::CBqApiChannel(int openType, const wchar_t* name, std::uint32_t channel, std::uint16_t mode) {
  if (IsEnabled() && (openType == bqapi::kOpenByPort || openType == bqapi::kOpenByPrinter)) {
    m_nOpenType = openType;
    if (name != nullptr) {
      m_strName = name;
      m_bHasName = true;
    }
  }
  if (channel != 0) SelectChannel(channel, mode);
}

CBqApiChannel::~CBqApiChannel() {
  // A channel left open would outlive its owner in the library.
  if (m_hChannel >= 0) CloseChannel();
}

int CBqApiChannel::SelectChannel(std::uint32_t channel, std::uint16_t mode) {
  CDebugLog log("CBqApiChannel::SelectChannel");
  if (m_hChannel >= 0) return -1;
  if (m_pChannelList == nullptr) {
    const int count = m_bHasName ? m_pBase->BQGetAvailableChannel(m_nOpenType, m_strName.c_str()) : -1;
    if (count < 1) {
      log.Write("failed BQGetAvailableChannel()\n");
      m_bSelected = 0;
      return -1;
    }
    m_pChannelList = &m_pBase->ChannelList();
    m_nChannelCount = count;
  }
  const bqapi::ChannelEntry* entry = moni::comm::FindChannel(*m_pChannelList, channel);
  if (entry && (entry->mode & mode) == mode)
    m_selected = *entry;
  else
    m_selected = bqapi::ChannelEntry{};
  // Channel 0 is "nothing selected", also when it was asked for.
  m_bSelected = (entry != nullptr && m_selected.channel == channel && channel != 0) ? 1 : 0;
  return m_bSelected;
}

std::uint32_t CBqApiChannel::EnumStatusChannel(int index, int* replyKind) {
  constexpr int count = static_cast<int>(sizeof kStatusChannelKinds / sizeof kStatusChannelKinds[0]);
  if (index < 0 || index >= count) {
    if (replyKind) *replyKind = 0;
    return 0;
  }
  if (replyKind) *replyKind = kStatusChannelKinds[index].replyKind;
  return kStatusChannelKinds[index].channel;
}

int CBqApiChannel::OpenChannel() {
  CDebugLog log("CBqApiChannel::OpenChannel");
  if (!m_bSelected || !m_bHasName) return 0;
  if (m_hChannel >= 0) return m_hChannel;
  const int handle = m_pBase->BQOpenChannel(m_nOpenType, m_strName.c_str(), m_selected.channel);
  // Only a handle above 0 is a channel; a failure leaves none open.
  m_hChannel = handle > 0 ? handle : -1;
  log.Write("m_hChannel : %d\n", handle);
  return handle;
}

int CBqApiChannel::CloseChannel() {
  if (m_hChannel < 0) return bqapi::kNoChannel;
  const int result = BQCloseChannel(m_hChannel);
  CDebugLog log;
  log.Write("BQCloseChannel : %d\n", result);
  m_hChannel = -1;
  return result;
}
