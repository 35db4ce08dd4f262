// The exports of the bidirectional communication library (BQAPI*.DLL) as this
// system calls them. The library is closed; it is loaded at run time and its
// exports are bound by name. Names travel in the ANSI code page.
//
// Every size query is two calls: with no buffer the call answers -4 and the
// size; the caller allocates size + 1 bytes and calls again.
#pragma once
#include <cstdint>

namespace bqapi {

// Open types: how a printer is named.
constexpr int kOpenByPort = 0;     // the name is the printer path (port name)
constexpr int kOpenByPrinter = 1;  // the name is the printer name

// Results with a fixed meaning.
constexpr int kNeedBuffer = -4;     // no buffer given: the size is in *size
constexpr int kNothingToReceive = -10;
constexpr int kNotLoaded = -15;     // the binding's own: the library is not loaded
constexpr int kNoChannel = -16;     // the binding's own: no channel is open
constexpr int kBusy = -17;
constexpr int kException = -99;     // a call that raised a structured exception

// Status channel candidates, in the order they are tried, with the kind of
// reply each gives (1: "@BDC ST..." replies, 2: "hbm" replies). The one-shot
// status reader of a status thread tries the first kOneShotReaderChannels.
constexpr std::uint32_t kChannelNetwork = 0x00000004;
struct StatusChannel {
  std::uint32_t channel;
  int replyKind;
};
constexpr StatusChannel kStatusChannels[] = {
    {0x00000004, 1}, {0x10000005, 1}, {0x10010003, 1}, {0x10000003, 1}, {0x02000001, 2},
};
constexpr int kOneShotReaderChannels = 3;
constexpr std::uint16_t kModeStatus = 0x0004;   // the channel can give status
constexpr std::uint16_t kModeNetwork = 0x8000;  // the printer is reached over the network

// One entry of BQGetAvailableChannel's buffer.
#pragma pack(push, 1)
struct ChannelEntry {
  std::uint32_t channel;
  std::uint16_t mode;
  std::uint16_t reserved;
};
#pragma pack(pop)
static_assert(sizeof(ChannelEntry) == 8);

// Receive wait values in milliseconds.
constexpr std::uint32_t kReceiveWait = 5000;
constexpr std::uint32_t kReceiveWaitNetwork = 2000;

extern "C" {
using BQInitializeFn = int (*)();
using BQReleaseFn = int (*)();
using BQGetAvailableChannelFn = int (*)(int openType, const char* name, unsigned char* buffer, std::uint32_t* size);
using BQOpenChannelFn = int (*)(int openType, const char* name, std::uint32_t channel);
using BQCloseChannelFn = int (*)(int handle);
using BQGetStatusFn = int (*)(int handle, unsigned char* buffer, std::uint32_t* size);
using BQGetDeviceIDFn = int (*)(int openType, const char* name, char* buffer, std::uint32_t* size);
using BQSendFn = int (*)(int handle, const unsigned char* data, std::uint32_t length);
using BQReceiveFn = int (*)(int handle, unsigned char* buffer, std::uint32_t* size, std::uint32_t wait);
// Exported by the library but not called by this system.
using BQReceiveCancelFn = int (*)(int handle);
using BQSetOptionFn = int (*)(int handle, std::uint32_t option, void* value, std::uint32_t size);
using BQGetOptionFn = int (*)(int handle, std::uint32_t option, void* value, std::uint32_t* size);
using BQGetEnvInfoFn = int (*)(void* info, std::uint32_t* size);
}

}  // namespace bqapi
