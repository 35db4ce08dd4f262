#include "comm/bqapi_binding.h"

#include <cstring>
#include <iterator>

#include "comm/channel_list.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "platform/seh_guard.h"
#include "platform/text.h"

namespace {

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

int CBqApiBase::Initialize() {
  std::lock_guard lock(m_lock);
  return InitializeLocked();
}

int CBqApiBase::InitializeLocked() {
  CDebugLog log("CBqApiBase::Initialize");
  if (m_bEnable) return m_bEnable;
  if (!m_hInst) {
    const CBaseInfo& info = CBaseInfo::Instance();
    m_hInst = moni::comm::LoadBqapi(moni::comm::BqapiUse::kShared, info.PrinterName, info.DriverName, info.ModelID);
  }
  if (m_hBqApi < 0 && m_hInst) {
    if (!m_exports.Bind(m_hInst.get(), bqapi::Exports::kAll)) {
      log.Write("Error : GetProcAddress\n");
      return m_bEnable;
    }
    m_hBqApi = Call("BQInitialize", [&] { return m_exports.BQInitialize(); });
    log.Write("BQInitialize : %d\n", m_hBqApi);
    if (m_hBqApi == 0) m_bEnable = 1;
  }
  return m_bEnable;
}

void CBqApiBase::Destroy() {
  std::lock_guard lock(m_lock);
  DestroyLocked();
}

void CBqApiBase::DestroyLocked() {
  if (m_nRefCount > 0) return;
  CDebugLog log("CBqApiBase::Destroy");
  m_channelList.clear();
  m_channelList.shrink_to_fit();
  m_nChannelCount = -1;
  // Only a library that BQInitialize made ready is released; one that refused
  // to initialise has nothing to release.
  if (m_hBqApi == 0 && m_exports.BQRelease) {
    const int released = Call("BQRelease", [&] { return m_exports.BQRelease(); });
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
    m_exports = bqapi::Exports();
    m_hBqApi = -1;
    m_bEnable = 0;
  }
}

bool CBqApiBase::TakeReference(bqapi::Exports& exports) {
  std::lock_guard lock(m_lock);
  ++m_nRefCount;
  if (!m_bEnable) InitializeLocked();
  if (!m_bEnable) return false;
  exports = m_exports;
  // A handle calls all but BQGetAvailableChannel through its own copy.
  if (!exports.Has(bqapi::Exports::kAll & ~bqapi::Exports::kGetAvailableChannel)) m_bEnable = 0;
  return m_bEnable != 0;
}

void CBqApiBase::DropReference() {
  std::lock_guard lock(m_lock);
  if (m_nRefCount > 0) --m_nRefCount;
  DestroyLocked();
}

std::vector<bqapi::ChannelEntry> CBqApiBase::ChannelList() const {
  std::lock_guard lock(m_lock);
  return m_channelList;
}

int CBqApiBase::ChannelCount() const {
  std::lock_guard lock(m_lock);
  return m_nChannelCount;
}

bool CBqApiBase::IsLoaded() const {
  std::lock_guard lock(m_lock);
  return m_hInst.valid();
}

int CBqApiBase::InitializeResult() const {
  std::lock_guard lock(m_lock);
  return m_hBqApi;
}

int CBqApiBase::ReferenceCount() const {
  std::lock_guard lock(m_lock);
  return m_nRefCount;
}

int CBqApiBase::BQGetAvailableChannel(int openType, const wchar_t* name) {
  CDebugLog log("CBqApiBase::BQGetAvailableChannel");
  bqapi::BQGetAvailableChannelFn query = nullptr;
  {
    std::lock_guard lock(m_lock);
    if (!m_bEnable || name == nullptr) return -1;
    if (m_nChannelCount >= 1 && !m_channelList.empty()) return m_nChannelCount;
    m_channelList.clear();
    m_nChannelCount = -1;
    query = m_exports.BQGetAvailableChannel;
  }
  std::string ansi;
  if (!ConvertName(name, ansi)) return -1;

  std::uint32_t size = 0;
  int result = Call("BQGetAvailableChannel", [&] { return query(openType, ansi.c_str(), nullptr, &size); });
  if (result == bqapi::kException) return result;
  if (result != bqapi::kNeedBuffer || size < 1 || size > kMaxQuerySize) return -1;
  std::vector<std::uint8_t> buffer(size + 1, 0);
  std::uint32_t asked = size;
  result = Call("BQGetAvailableChannel", [&] { return query(openType, ansi.c_str(), buffer.data(), &asked); });
  if (result == bqapi::kException) return result;
  // The library's count is believed only as far as the buffer holds entries.
  std::vector<bqapi::ChannelEntry> list = moni::comm::ReadChannelList(buffer.data(), size, result);
  if (list.empty()) return -1;
  if (static_cast<long long>(list.size()) != result)
    log.Write("Channel count %d, entries in the buffer %d\n", result, static_cast<int>(list.size()));
  std::lock_guard lock(m_lock);
  // Another user may have read the list meanwhile: the first one read stays.
  if (m_nChannelCount < 1 || m_channelList.empty()) {
    m_channelList = std::move(list);
    m_nChannelCount = static_cast<int>(m_channelList.size());
  }
  return m_nChannelCount;
}

std::wstring CBqApiBase::BQGetDeviceID(int openType, const wchar_t* name) {
  CDebugLog log("CBqApiBase::BQGetDeviceID");
  bqapi::BQGetDeviceIDFn query = nullptr;
  {
    std::lock_guard lock(m_lock);
    if (!m_bEnable || name == nullptr) return {};
    if (!m_strDeviceId.empty()) return m_strDeviceId;
    query = m_exports.BQGetDeviceID;
  }
  std::string ansi;
  if (!ConvertName(name, ansi)) return std::wstring(1, L'\xFFFF');

  std::uint32_t size = 0;
  int result = Call("BQGetDeviceID", [&] { return query(openType, ansi.c_str(), nullptr, &size); });
  if (result != bqapi::kNeedBuffer || size < 1 || size > kMaxQuerySize) return {};
  std::vector<char> buffer(size + 1, '\0');
  std::uint32_t asked = size;
  result = Call("BQGetDeviceID", [&] { return query(openType, ansi.c_str(), buffer.data(), &asked); });
  // A call that raised may have left half a text: nothing of it is kept.
  if (result > 0 || result == bqapi::kException) return {};
  buffer.back() = '\0';  // the text ends within the buffer whatever the library wrote
  std::wstring text;
  if (!moni::AnsiToWide(std::string_view(buffer.data(), std::strlen(buffer.data())), text) || text.empty()) return {};
  log.Write("DeviceID : %s\n", text);
  std::lock_guard lock(m_lock);
  if (m_strDeviceId.empty()) m_strDeviceId = std::move(text);
  return m_strDeviceId;
}

int CBqApiBase::BQOpenChannel(int openType, const wchar_t* name, std::uint32_t channel) {
  bqapi::BQOpenChannelFn open = nullptr;
  {
    std::lock_guard lock(m_lock);
    if (!m_bEnable || name == nullptr) return -1;
    open = m_exports.BQOpenChannel;
  }
  std::string ansi;
  if (!ConvertName(name, ansi)) return -1;
  return Call("BQOpenChannel", [&] { return open(openType, ansi.c_str(), channel); });
}

// ---------------------------------------------------------------------------
// CBqApi

CBqApi::CBqApi() : m_pBase(&CBqApiBase::Instance()) { m_pBase->TakeReference(m_api); }

CBqApi::~CBqApi() {
  if (m_pBase) m_pBase->DropReference();
}

int CBqApi::BQGetStatus(int handle, unsigned char* buffer, std::uint32_t* size) {
  if (!m_pBase || !m_api.BQGetStatus) return bqapi::kNotLoaded;
  return Call("BQGetStatus", [&] { return m_api.BQGetStatus(handle, buffer, size); });
}

int CBqApi::BQCloseChannel(int handle) {
  if (!m_pBase || !m_api.BQCloseChannel) return bqapi::kNotLoaded;
  return Call("BQCloseChannel", [&] { return m_api.BQCloseChannel(handle); });
}

int CBqApi::BQSend(int handle, const unsigned char* data, std::uint32_t length) {
  if (!m_pBase || !m_api.BQSend) return bqapi::kNotLoaded;
  return Call("BQSend", [&] { return m_api.BQSend(handle, data, length); });
}

int CBqApi::BQReceive(int handle, unsigned char* buffer, std::uint32_t* size, std::uint32_t wait) {
  if (!m_pBase || !m_api.BQReceive) return bqapi::kNotLoaded;
  return Call("BQReceive", [&] { return m_api.BQReceive(handle, buffer, size, wait); });
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

void CBqApiChannel::SetSelection(bool selected, const bqapi::ChannelEntry& entry) {
  std::lock_guard lock(m_stateLock);
  m_bSelected = selected ? 1 : 0;
  m_selected = entry;
}

CBqApiChannel::State CBqApiChannel::GetState() const {
  std::lock_guard lock(m_stateLock);
  return State{m_hChannel.load(), m_bSelected != 0, m_selected};
}

bool CBqApiChannel::IsSelected() const {
  std::lock_guard lock(m_stateLock);
  return m_bSelected != 0;
}

bqapi::ChannelEntry CBqApiChannel::Selected() const {
  std::lock_guard lock(m_stateLock);
  return m_selected;
}

int CBqApiChannel::SelectChannel(std::uint32_t channel, std::uint16_t mode) {
  CDebugLog log("CBqApiChannel::SelectChannel");
  if (m_hChannel >= 0) return -1;
  if (!m_bHaveChannels) {
    const int count = m_bHasName ? m_pBase->BQGetAvailableChannel(m_nOpenType, m_strName.c_str()) : -1;
    if (count >= 1) m_channels = m_pBase->ChannelList();
    if (count < 1 || m_channels.empty()) {
      log.Write("failed BQGetAvailableChannel()\n");
      SetSelection(false, Selected());
      return -1;
    }
    m_bHaveChannels = true;
  }
  const bqapi::ChannelEntry* entry = moni::comm::FindChannel(m_channels, channel);
  const bqapi::ChannelEntry chosen = entry && (entry->mode & mode) == mode ? *entry : bqapi::ChannelEntry{};
  // Channel 0 is "nothing selected", also when it was asked for.
  const bool selected = entry != nullptr && chosen.channel == channel && channel != 0;
  SetSelection(selected, chosen);
  return selected ? 1 : 0;
}

std::uint32_t CBqApiChannel::EnumStatusChannel(int index, int* replyKind) {
  constexpr int count = static_cast<int>(std::size(bqapi::kStatusChannels));
  if (index < 0 || index >= count) {
    if (replyKind) *replyKind = 0;
    return 0;
  }
  if (replyKind) *replyKind = bqapi::kStatusChannels[index].replyKind;
  return bqapi::kStatusChannels[index].channel;
}

int CBqApiChannel::OpenChannel() {
  CDebugLog log("CBqApiChannel::OpenChannel");
  const State state = GetState();
  if (!state.selected || !m_bHasName) return 0;
  if (state.handle >= 0) return state.handle;
  const int handle = m_pBase->BQOpenChannel(m_nOpenType, m_strName.c_str(), state.entry.channel);
  {
    // Only a handle above 0 is a channel; a failure leaves none open.
    std::lock_guard lock(m_stateLock);
    m_hChannel = handle > 0 ? handle : -1;
  }
  log.Write("m_hChannel : %d\n", handle);
  return handle;
}

int CBqApiChannel::CloseChannel() {
  int handle = -1;
  {
    std::lock_guard lock(m_stateLock);
    handle = m_hChannel.exchange(-1);
  }
  if (handle < 0) return bqapi::kNoChannel;
  const int result = BQCloseChannel(handle);
  CDebugLog log;
  log.Write("BQCloseChannel : %d\n", result);
  return result;
}
