// The one-shot status query exports.
#include "api/export_frame.h"
#include "api/monicore.h"
#include "api/printer_status_query.h"
#include "foundation/debug_log.h"
#include "platform/text.h"

namespace {

int RunQuery(const char* exportName, const wchar_t* printerName, BYTE** buffer) {
  CDebugLog log(exportName);
  log.Write("%s : Enter\n", exportName);
  CGetPrinterStatus query;
  const int result = query.ProcMain(printerName, buffer);
  log.Write("%s : Leave result = %d\n", exportName, result);
  return result;
}

constexpr int kCheckNotAvailable = -1;

}  // namespace

int WINAPI PrGetPrinterStatus(LPCSTR printerName, BYTE** buffer) {
  if (printerName == nullptr || printerName[0] == '\0') return RunQuery("PrGetPrinterStatus", nullptr, buffer);
  std::wstring wide;
  if (!moni::AnsiToWide(printerName, wide)) return query_result::kOutOfMemory;
  return RunQuery("PrGetPrinterStatus", wide.c_str(), buffer);
}

// The cartridge checks are not part of this build: the flag stays 0.
int WINAPI PrGetPrinterStatus2(LPCWSTR printerName, BYTE** buffer, BYTE* cartridgeFlag) {
  const int result = RunQuery("PrGetPrinterStatus2", printerName, buffer);
  if (cartridgeFlag) *cartridgeFlag = 0;
  return result;
}

void WINAPI PrReleasePrinterStatus(BYTE* buffer) {
  CDebugLog log("PrReleasePrinterStatus");
  if (buffer == nullptr) return;
  if (GlobalFree(buffer) != nullptr) log.Write("Error : Buffer Free\n");
}

int WINAPI PrCheckGenuineCartridgeA(LPCSTR, BYTE*, DWORD*) {
  return moni::api::NotAvailable("PrCheckGenuineCartridgeA", kCheckNotAvailable);
}

int WINAPI PrCheckGenuineCartridgeW(LPCWSTR, BYTE*, DWORD*) {
  return moni::api::NotAvailable("PrCheckGenuineCartridgeW", kCheckNotAvailable);
}
