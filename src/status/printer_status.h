// CPrinterStatus: one decoded printer status (Win32 layer). CStatusInfo
// (status_info.h) makes it from a status reply or a status number; whoever
// receives it owns it and releases it through the virtual destructor.
//
// It holds the decoded record (when the status came from a reply), the status
// information row with the button changes CreateStatusObject made, the status
// kind row and the troubleshooting aid, and answers: the status numbers, the
// message text with the names of the inks concerned, whether a job was spooled
// as EMF, and the address of the printer's ink status page.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "status/status_decode.h"

namespace moni::status {

// The troubleshooting aid of a status.
enum TsType : DWORD { kTsNone = 0, kTsResource = 2, kTsUtility = 3, kTsWindow = 4 };

struct TsInfo {
  DWORD dwType = kTsNone;
  std::wstring text;  // always empty here
  // Type 2: the troubleshooting resource (RCDATA 11010 + n of the resource
  // library). The library is unloaded again after the lookup, so the aid
  // carries the resource's id and a copy of its bytes rather than a handle
  // into a module that is gone.
  WORD wResourceId = 0;
  std::vector<std::uint8_t> resource;
  WORD wParam = 0;  // type 4: the row's utility parameter; otherwise 0
};

// What CStatusInfo hands to the CPrinterStatus constructor.
struct StatusClassInfo {
  const StatusBuff* pStatusBuff = nullptr;  // null when there is no decoded record
  StatusInfoRow row{};
  StatusKindRow kindRow{};
  TsInfo ts;
  BOOL bKeepButtons = FALSE;
};

// The model's files that the status texts come from. FromBaseInfo() takes
// them from the process's printer information (CBaseInfo).
struct ModelFiles {
  std::wstring resourceLibrary;  // the resource library for the user's language
  std::wstring profile;          // the model's profile file
  std::wstring modelId;          // the model's section in it
  static ModelFiles FromBaseInfo();
};

}  // namespace moni::status

class CPrinterStatus {
 public:
  using StatusBuff = moni::status::StatusBuff;

  explicit CPrinterStatus(const moni::status::StatusClassInfo& info);
  virtual ~CPrinterStatus();
  CPrinterStatus(const CPrinterStatus&) = delete;
  CPrinterStatus& operator=(const CPrinterStatus&) = delete;

  // Columns 2, 3 and 4 of the row: the real status number (-1 for a kind's
  // default row), the simple status number and the notification number.
  int GetRealStatusNo() const { return m_row.status; }
  int GetSimpleStatusNo() const { return m_row.simple; }
  int GetNotifyNo() const { return m_row.notify; }

  // Copies the record and returns 1 when one is held; else 0, nothing copied.
  int GetStatusBuff(StatusBuff* out) const;
  // Copies the troubleshooting aid (when out is given); returns its type.
  DWORD GetTsInfo(moni::status::TsInfo* out) const;
  // The job number the printer reports printing (0 without a record).
  DWORD GetStatusJobID() const { return m_record.dwJobNo; }

  // The status message of the row's second text id; ink-list templates get
  // the names of the inks concerned, one per line. Returns the length, 0 when
  // the text cannot be loaded (`text` is then empty).
  int GetStatusMessage(std::wstring& text) const;
  int GetStatusMessage(std::wstring& text, const moni::status::ModelFiles& files) const;

  // 1 when the spooler holds job `jobId` of the printer (the port when the
  // printer name is null or empty) with a data type containing "EMF", else 0.
  static int IsEMFSpool(DWORD jobId, const wchar_t* printerName, const wchar_t* portName);

  // The address of the ink status page for the record's inks; empty when the
  // resource library has no address template.
  std::wstring GetInkStatusURL(const StatusBuff& record) const;
  std::wstring GetInkStatusURL(const StatusBuff& record, const moni::status::ModelFiles& files) const;

  // The nation number for the ink status page: HKLM Software\TALMER\VGL3\Debug
  // "Debug_Nation" when set, else HKCU Control Panel\International\Geo
  // "Nation"; 0 when neither is there.
  static int GetNationNumber();

  BOOL HaveStatus() const { return m_bHaveStatus; }
  const moni::status::StatusInfoRow& Row() const { return m_row; }
  const moni::status::StatusKindRow& KindRow() const { return m_kindRow; }
  BOOL KeepButtons() const { return m_bKeepButtons; }

 private:
  BOOL m_bHaveStatus = FALSE;
  StatusBuff m_record{};
  moni::status::StatusInfoRow m_row{};
  moni::status::StatusKindRow m_kindRow{};
  moni::status::TsInfo m_ts;
  BOOL m_bKeepButtons = FALSE;
};
