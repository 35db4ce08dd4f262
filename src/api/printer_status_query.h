// The one-shot status query: loads its own instance of the communication
// library, checks that the printer is the driver's model, opens a status
// channel, reads one status reply into a buffer the caller releases, and
// unloads the library again. Nothing of it outlives the call.
#pragma once
#include <windows.h>

#include <string>

#include "comm/bqapi.h"
#include "comm/bqapi_library.h"
#include "platform/handles.h"

// Result codes of the query; a positive result is the size of the reply.
namespace query_result {
constexpr int kNoName = -50;
constexpr int kNoBufferPlace = -51;
constexpr int kNoDriverName = -52;
constexpr int kLibraryNotLoaded = -53;
constexpr int kExportMissing = -54;
constexpr int kNoStatusChannel = -55;
constexpr int kOutOfMemory = -56;
constexpr int kOtherModel = -57;
constexpr int kNoSize = bqapi::kNeedBuffer;
constexpr int kException = bqapi::kException;
}  // namespace query_result

class CGetPrinterStatus {
 public:
  CGetPrinterStatus() = default;
  ~CGetPrinterStatus();
  CGetPrinterStatus(const CGetPrinterStatus&) = delete;
  CGetPrinterStatus& operator=(const CGetPrinterStatus&) = delete;

  // Runs the query for a printer; *buffer receives global memory (GlobalAlloc)
  // as soon as the reply size is known, also when a later step fails.
  int ProcMain(const wchar_t* printerName, BYTE** buffer);

 private:
  int StartProc();
  int CheckModelID();
  int SelectChannel();
  int GetPrnStatus(BYTE** buffer);
  void EndProc();
  int LoadBqapi();

  std::wstring m_strPrinterName;
  std::string m_strOpenName;  // the printer name in the ANSI code page
  moni::Module m_hModule;
  bqapi::Exports m_api;  // the seven exports the query calls (bqapi::Exports::kOneShot)
  int m_hChannel = 0;
  bool m_bStarted = false;  // BQInitialize succeeded: EndProc releases the library
};

// The printer's driver key in the setup data ("Software\TALMER\VGL3\Driver\"
// + driver name), or empty when the spooler does not give the driver name.
std::wstring DriverKeyOf(const std::wstring& printerName);

// A value of the printer's driver from the driver's setup data (key
// "Software\TALMER\VGL3\Driver\" + driver name). Returns 0, or -52 when the
// printer's driver name cannot be read from the spooler.
int GetDuvDrvRegData(const std::wstring& printerName, const wchar_t* valueName, std::wstring& value);
