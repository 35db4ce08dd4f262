// The one-shot status query exports.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

namespace {
constexpr int kNameMissing = -50;
constexpr int kNoBufferPlace = -51;
constexpr int kLibraryNotLoaded = -53;
constexpr int kCheckNotAvailable = -1;

template <typename Char>
int QueryNotAvailable(const char* exportName, const Char* printerName, BYTE** buffer) {
  if (printerName == nullptr || printerName[0] == 0) return NotAvailable(exportName, kNameMissing);
  if (buffer == nullptr) return NotAvailable(exportName, kNoBufferPlace);
  *buffer = nullptr;
  return NotAvailable(exportName, kLibraryNotLoaded);
}
}  // namespace

int WINAPI PrGetPrinterStatus(LPCSTR printerName, BYTE** buffer) { return QueryNotAvailable("PrGetPrinterStatus", printerName, buffer); }

int WINAPI PrGetPrinterStatus2(LPCWSTR printerName, BYTE** buffer, BYTE* cartridgeFlag) {
  if (cartridgeFlag) *cartridgeFlag = 0;
  return QueryNotAvailable("PrGetPrinterStatus2", printerName, buffer);
}

void WINAPI PrReleasePrinterStatus(BYTE* buffer) {
  CDebugLog log("PrReleasePrinterStatus");
  if (buffer == nullptr) return;
  if (GlobalFree(buffer) != nullptr) log.Write("Error : Buffer Free\n");
}

int WINAPI PrCheckGenuineCartridgeA(LPCSTR, BYTE*, DWORD*) { return NotAvailable("PrCheckGenuineCartridgeA", kCheckNotAvailable); }

int WINAPI PrCheckGenuineCartridgeW(LPCWSTR, BYTE*, DWORD*) { return NotAvailable("PrCheckGenuineCartridgeW", kCheckNotAvailable); }
