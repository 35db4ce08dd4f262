// CStatusInfo: turns a status reply (or a status number alone) into a
// CPrinterStatus, and decides which troubleshooting aid a status offers
// (Win32 layer over the decoding in status_decode.h).
//
// Made on the caller's stack with the model's profile file name; it keeps no
// state between replies. The spooler steps (does the printer have a job, is it
// working offline) go through SpoolerSteps, which a host without a printer
// (monictl decode) or a test replaces.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "status/printer_status.h"
#include "status/status_decode.h"

namespace moni::status {

struct SpoolerSteps {
  // Whether the printer (by name) has a job queued.
  std::function<bool(const std::wstring& printer)> hasJob;
  // Whether the spooler marks the printer as working offline.
  std::function<bool(const std::wstring& printer)> isOffline;

  // The real spooler.
  static SpoolerSteps System();
  // No printer: never a job, never offline.
  static SpoolerSteps None();
};

// The spooler's answers behind SpoolerSteps::System().
bool PrinterHasJob(const std::wstring& printer);
bool PrinterIsOffline(const std::wstring& printer);

// What CreateStatusObject decided on the way (for hosts that show it).
struct CreateDetails {
  int kind = 0;            // the reply kind of the channel
  int statusNo = 0;        // the status number the row was searched with
  int rowIndex = -1;       // the status information row taken
  bool recordDecoded = false;  // a kind-1 reply was decoded into the record
  StatusBuff record{};     // the decoded record (when recordDecoded)
};

}  // namespace moni::status

class CStatusInfo {
 public:
  // `profileName` may be null (taken as empty: no troubleshooting aid).
  explicit CStatusInfo(const wchar_t* profileName, moni::status::SpoolerSteps steps = moni::status::SpoolerSteps::System());

  // A new status object owned by the caller, or null when the reply cannot be
  // decoded or no row fits. With a reply it is decoded by the channel's kind;
  // without one (reply null or size 0) the status number decides. A non-zero
  // `statusNo` always overrides the decoded status. `bNetwork` is the
  // channel's mode bit 15 (0x8000) or 0.
  std::unique_ptr<CPrinterStatus> CreateStatusObject(std::uint32_t channel, const BYTE* reply, std::size_t size, int statusNo,
                                                     DWORD bNetwork, BOOL bKeepButtons,
                                                     moni::status::CreateDetails* details = nullptr) const;

  // 1 when the spooler marks the printer as working offline, else 0.
  int CheckPrinterOffline(const std::wstring& printerName) const;

  // Fills info.ts for info.row from the profile's troubleshooting switch, the
  // model's utility library and the resource library (CBaseInfo's printer).
  void SetTroubleDialogInfo(moni::status::StatusClassInfo& info) const;

  const std::wstring& ProfileName() const { return m_strProfileName; }
  // Whether a handler for web pages is registered (HKCR\.HTM exists).
  bool HasHtmHandler() const { return m_bHtm; }

 private:
  std::wstring m_strProfileName;
  bool m_bHtm = false;
  moni::status::SpoolerSteps m_steps;
};
