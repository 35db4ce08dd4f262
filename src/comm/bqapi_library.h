// The communication library as its bindings load and call it: its exports in
// one table, and the loading of its file as the driver's setup data names it
// (comm/bqapi_location.h decides which file).
#pragma once
#include <windows.h>

#include <string>

#include "comm/bqapi.h"
#include "comm/bqapi_location.h"
#include "platform/handles.h"

namespace bqapi {

// The exports a binding calls, bound by name.
struct Exports {
  BQInitializeFn BQInitialize = nullptr;
  BQReleaseFn BQRelease = nullptr;
  BQGetDeviceIDFn BQGetDeviceID = nullptr;
  BQGetAvailableChannelFn BQGetAvailableChannel = nullptr;
  BQOpenChannelFn BQOpenChannel = nullptr;
  BQCloseChannelFn BQCloseChannel = nullptr;
  BQSetOptionFn BQSetOption = nullptr;
  BQGetOptionFn BQGetOption = nullptr;
  BQReceiveCancelFn BQReceiveCancel = nullptr;
  BQGetStatusFn BQGetStatus = nullptr;
  BQReceiveFn BQReceive = nullptr;
  BQSendFn BQSend = nullptr;

  // Sets of exports, one bit each in the order above.
  enum Set : unsigned {
    kInitialize = 1u << 0, kRelease = 1u << 1, kGetDeviceID = 1u << 2, kGetAvailableChannel = 1u << 3,
    kOpenChannel = 1u << 4, kCloseChannel = 1u << 5, kSetOption = 1u << 6, kGetOption = 1u << 7,
    kReceiveCancel = 1u << 8, kGetStatus = 1u << 9, kReceive = 1u << 10, kSend = 1u << 11,
  };
  static constexpr unsigned kAll = (1u << 12) - 1;
  // What the one-shot status query calls.
  static constexpr unsigned kOneShot =
      kInitialize | kRelease | kGetAvailableChannel | kOpenChannel | kCloseChannel | kGetStatus | kGetDeviceID;

  // Binds the exports of `set` from the module, the others stay null. True
  // when every one was found; otherwise nothing stays bound.
  bool Bind(HMODULE module, unsigned set);
  // Whether every export of `set` is bound.
  bool Has(unsigned set) const;
};

}  // namespace bqapi

namespace moni::comm {

// Loads the communication library for the printer and its driver the way
// `use` finds it (BqapiFiles), trying each file in turn; empty when none
// loads. The driver's setup data is read through the printer; `modelId` is
// what the shared instance needs to resolve the driver's folder.
Module LoadBqapi(BqapiUse use, const std::wstring& printerName, const std::wstring& driverName, const std::wstring& modelId);

}  // namespace moni::comm
