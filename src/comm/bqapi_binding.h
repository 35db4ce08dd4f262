// The communication library binding: the library (BQAPI*.DLL) is loaded once
// per process and shared by every user through a reference count.
//
// - CBqApiBase: the one process-wide library instance. It loads the library
//   named by the driver's setup data (else BQAPI.DLL from the system folder;
//   comm/bqapi_location.h), binds the twelve exports, initialises it, and
//   caches what the library says about the printer (its channel list, its
//   device identifier).
// - CBqApi: a counted handle; while one lives the library stays loaded.
// - CBqApiChannel: a CBqApi that selects one of the printer's channels by its
//   mode bits, opens it and closes it again.
//
// Every library call runs under the structured-exception guard: a call that
// raises counts as bqapi::kException (-99) and is logged as
// "Exception Error : <export>". Failures are results, never exceptions.
//
// Threads: handles are taken and given back on any thread. Taking a
// reference (and loading and initialising the library) and giving the last
// one back (and releasing and unloading it) are each one step under the
// instance's lock, so a handle never copies exports that are going away. The
// caches are read and written under the same lock; the library calls that
// fill them are made outside it. A channel's handle and selection are written
// by whichever thread selects and opens (a status or command thread) and may
// be read by its owner's thread at any time (GetState gives them together).
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "comm/bqapi.h"
#include "comm/bqapi_library.h"
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

  // A copy of the entries the last BQGetAvailableChannel read; never more
  // than the library's buffer held.
  std::vector<bqapi::ChannelEntry> ChannelList() const;
  int ChannelCount() const;

  bool IsEnabled() const { return m_bEnable.load() != 0; }
  bool IsLoaded() const;
  int InitializeResult() const;
  int ReferenceCount() const;

  // The longest name handed to the library, in bytes; far beyond any printer
  // name or port, so a longer one is refused as not a name.
  static constexpr size_t kMaxNameBytes = 1024;
  // Larger sizes than this from a size query are not believed.
  static constexpr std::uint32_t kMaxQuerySize = 1u << 20;

 private:
  friend class CBqApi;

  // Under m_lock: Initialize and Destroy, and a reference taken (the exports
  // copied into `exports` when enabled) or given back.
  int InitializeLocked();
  void DestroyLocked();
  bool TakeReference(bqapi::Exports& exports);
  void DropReference();
  // The name in the ANSI code page; false (and the error logged) when it
  // cannot be converted exactly.
  static bool ConvertName(const wchar_t* name, std::string& out);

  mutable std::mutex m_lock;  // everything below
  int m_nChannelCount = -1;
  std::vector<bqapi::ChannelEntry> m_channelList;
  std::wstring m_strDeviceId;
  int m_nRefCount = 0;
  std::atomic<int> m_bEnable{0};  // also read without the lock
  moni::Module m_hInst;
  int m_hBqApi = -1;
  bqapi::Exports m_exports;
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
  bqapi::Exports m_api;  // this handle's copy, taken with its reference
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

  // The channel as one consistent snapshot, for a thread that does not
  // select or open it itself.
  struct State {
    int handle = -1;
    bool selected = false;
    bqapi::ChannelEntry entry{};
  };
  State GetState() const;
  bool IsSelected() const;
  bqapi::ChannelEntry Selected() const;
  int Handle() const { return m_hChannel.load(); }
  int OpenType() const { return m_nOpenType; }
  const std::wstring& Name() const { return m_strName; }

 protected:
  // Set once by the constructor.
  int m_nOpenType = -1;
  std::wstring m_strName;  // empty: no name copied (library not enabled, unknown open type)
  bool m_bHasName = false;
  // Written under m_stateLock by the selecting and opening thread.
  std::atomic<int> m_hChannel{-1};

 private:
  void SetSelection(bool selected, const bqapi::ChannelEntry& entry);

  mutable std::mutex m_stateLock;  // the selection; the handle's writes
  std::vector<bqapi::ChannelEntry> m_channels;  // the printer's list, copied once
  bool m_bHaveChannels = false;
  int m_bSelected = 0;
  bqapi::ChannelEntry m_selected{};
};
