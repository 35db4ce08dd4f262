// The communication library binding: the library (BQAPI*.DLL) is loaded once
// per process and shared by every user through a reference count.
//
// - CBqApiBase: the one process-wide library instance. It loads the library
//   named by the driver's setup data (else BQAPI.DLL from the search path),
//   binds the twelve exports, initialises it, and caches what the library says
//   about the printer (its channel list, its device identifier).
// - CBqApi: a counted handle; while one lives the library stays loaded.
// - CBqApiChannel: a CBqApi that selects one of the printer's channels by its
//   mode bits, opens it and closes it again.
//
// Every library call runs under the structured-exception guard: a call that
// raises counts as bqapi::kException (-99) and is logged as
// "Exception Error : <export>". Failures are results, never exceptions.
//
// Threads: the users run on threads that the callers serialise; the reference
// count is atomic all the same, the caches are not locked.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "comm/bqapi.h"
#include "platform/handles.h"

class CBqApiBase {
 public:
  static CBqApiBase& Instance();

  CBqApiBase() = default;
  virtual ~CBqApiBase();
  CBqApiBase(const CBqApiBase&) = delete;
  CBqApiBase& operator=(const CBqApiBase&) = delete;

  // Loads and initialises the library unless that is done; returns m_bEnable.
  int Initialize();
  // Unloads the library when no reference is left: frees the channel list,
  // releases the library (when it was initialised) and unloads it. The device
  // identifier cache survives: it lives for the whole process.
  void Destroy();

  // The printer's channel count; the list stays in the instance (ChannelList).
  // A list already read is returned without asking the library, whatever the
  // name. -1 on failure, -99 when the library raised.
  int BQGetAvailableChannel(int openType, const wchar_t* name);
  // The printer's device identifier; cached for the process once read (also
  // for other names). Empty on failure; a one-character string U+FFFF when
  // the name cannot be converted to the ANSI code page.
  std::wstring BQGetDeviceID(int openType, const wchar_t* name);
  // A channel handle (valid when above 0); -1 when not enabled or the name is
  // missing or cannot be converted, -99 when the library raised.
  int BQOpenChannel(int openType, const wchar_t* name, std::uint32_t channel);

  // The entries the last BQGetAvailableChannel read; never more than the
  // library's buffer held.
  const std::vector<bqapi::ChannelEntry>& ChannelList() const { return m_channelList; }
  int ChannelCount() const { return m_nChannelCount; }

  bool IsEnabled() const { return m_bEnable != 0; }
  bool IsLoaded() const { return m_hInst.valid(); }
  int InitializeResult() const { return m_hBqApi; }
  int ReferenceCount() const { return m_nRefCount.load(); }

  // The longest name handed to the library, in bytes; far beyond any printer
  // name or port, so a longer one is refused as not a name.
  static constexpr size_t kMaxNameBytes = 1024;
  // Larger sizes than this from a size query are not believed.
  static constexpr std::uint32_t kMaxQuerySize = 1u << 20;

 private:
  friend class CBqApi;

  // Loads the library file: the driver's "BQAPI32" below its install folder,
  // else BQAPI.DLL from the search path.
  void Load();
  // Binds the twelve exports; false when one is missing.
  bool Bind();
  void Unbind();
  // The name in the ANSI code page; false (and the error logged) when it
  // cannot be converted exactly.
  static bool ConvertName(const wchar_t* name, std::string& out);

  int m_nChannelCount = -1;
  std::vector<bqapi::ChannelEntry> m_channelList;
  std::wstring m_strDeviceId;
  std::atomic<int> m_nRefCount{0};
  int m_bEnable = 0;
  moni::Module m_hInst;
  int m_hBqApi = -1;

  bqapi::BQInitializeFn m_pBQInitialize = nullptr;
  bqapi::BQReleaseFn m_pBQRelease = nullptr;
  bqapi::BQGetDeviceIDFn m_pBQGetDeviceID = nullptr;
  bqapi::BQGetAvailableChannelFn m_pBQGetAvailableChannel = nullptr;
  bqapi::BQOpenChannelFn m_pBQOpenChannel = nullptr;
  bqapi::BQCloseChannelFn m_pBQCloseChannel = nullptr;
  bqapi::BQSetOptionFn m_pBQSetOption = nullptr;
  bqapi::BQGetOptionFn m_pBQGetOption = nullptr;
  bqapi::BQReceiveCancelFn m_pBQReceiveCancel = nullptr;
  bqapi::BQGetStatusFn m_pBQGetStatus = nullptr;
  bqapi::BQReceiveFn m_pBQReceive = nullptr;
  bqapi::BQSendFn m_pBQSend = nullptr;
};

class CBqApi {
 public:
  // Takes a reference on the instance and initialises it when it is not
  // enabled; the exports are copied when it is.
  CBqApi();
  // Gives the reference back; the last one unloads the library.
  virtual ~CBqApi();
  CBqApi(const CBqApi&) = delete;
  CBqApi& operator=(const CBqApi&) = delete;

  bool IsEnabled() const { return m_pBase && m_pBase->IsEnabled(); }

  // Forwarders to the library: -15 when it is not there, -99 when it raised.
  int BQGetStatus(int handle, unsigned char* buffer, std::uint32_t* size);
  int BQCloseChannel(int handle);
  int BQSend(int handle, const unsigned char* data, std::uint32_t length);
  int BQReceive(int handle, unsigned char* buffer, std::uint32_t* size, std::uint32_t wait);

  // The printer's device identifier (the instance's cache); empty for no name.
  const std::wstring& GetDeviceID(int openType, const wchar_t* name);

 protected:
  CBqApiBase* m_pBase = nullptr;
  std::wstring m_strDeviceId;

  bqapi::BQInitializeFn m_pBQInitialize = nullptr;
  bqapi::BQReleaseFn m_pBQRelease = nullptr;
  bqapi::BQGetDeviceIDFn m_pBQGetDeviceID = nullptr;
  bqapi::BQOpenChannelFn m_pBQOpenChannel = nullptr;
  bqapi::BQCloseChannelFn m_pBQCloseChannel = nullptr;
  bqapi::BQSetOptionFn m_pBQSetOption = nullptr;
  bqapi::BQGetOptionFn m_pBQGetOption = nullptr;
  bqapi::BQReceiveCancelFn m_pBQReceiveCancel = nullptr;
  bqapi::BQGetStatusFn m_pBQGetStatus = nullptr;
  bqapi::BQReceiveFn m_pBQReceive = nullptr;
  bqapi::BQSendFn m_pBQSend = nullptr;
};

class CBqApiChannel : public CBqApi {
 public:
  // The printer by open type (bqapi::kOpenByPort or kOpenByPrinter) and name;
  // a channel number other than 0 is selected at once (SelectChannel).
  CBqApiChannel(int openType, const wchar_t* name, std::uint32_t channel = 0, std::uint16_t mode = 0);
  // Closes the channel if one is open.
  ~CBqApiChannel() override;

  // Selects the printer's channel when it offers it with every bit of `mode`:
  // 1 selected, 0 not; -1 when a channel is open or the printer's channel
  // list cannot be read.
  int SelectChannel(std::uint32_t channel, std::uint16_t mode);

  // The index-th candidate status channel and the kind of reply it gives
  // (1 or 2; 0 past the end, where the channel is 0).
  static std::uint32_t EnumStatusChannel(int index, int* replyKind = nullptr);

  // Opens the selected channel: the handle (above 0), the library's failure,
  // or 0 when nothing is selected.
  int OpenChannel();
  // Closes the open channel: the library's result, or -16 when none is open.
  int CloseChannel();

  bool IsSelected() const { return m_bSelected != 0; }
  bqapi::ChannelEntry Selected() const { return m_selected; }
  int Handle() const { return m_hChannel; }
  int OpenType() const { return m_nOpenType; }
  const std::wstring& Name() const { return m_strName; }

 protected:
  int m_nOpenType = -1;
  std::wstring m_strName;  // empty: no name copied (library not enabled, unknown open type)
  bool m_bHasName = false;
  const std::vector<bqapi::ChannelEntry>* m_pChannelList = nullptr;
  int m_nChannelCount = -1;
  int m_bSelected = 0;
  bqapi::ChannelEntry m_selected{};
  int m_hChannel = -1;
};
