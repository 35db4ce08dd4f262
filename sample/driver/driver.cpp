// TLSMPDRV.DLL: the sample printer driver's user-mode part, as far as the
// spooler needs one. It prints nothing and shows no pages; it answers the
// spooler's questions with a plain default DEVMODE and accepts every event.
#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cwchar>

namespace {

// The header the spooler passes to DrvDocumentPropertySheets when it wants a
// DEVMODE without a user interface (the property-sheet pointer is null then).
struct DocumentPropertyHeader {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  DEVMODEW* pdmIn;
  DEVMODEW* pdmOut;
  DWORD cbOut;
  DWORD fMode;
};

constexpr DWORD kFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR;

void FillDefaults(DEVMODEW& dm, const wchar_t* printerName) {
  ZeroMemory(&dm, sizeof dm);
  if (printerName) wcsncpy(dm.dmDeviceName, printerName, CCHDEVICENAME - 1);
  dm.dmSpecVersion = DM_SPECVERSION;
  dm.dmDriverVersion = 0x0100;
  dm.dmSize = sizeof dm;
  dm.dmFields = kFields;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPaperSize = DMPAPER_A4;
  dm.dmCopies = 1;
  dm.dmDefaultSource = DMBIN_AUTO;
  dm.dmPrintQuality = 360;
  dm.dmColor = DMCOLOR_COLOR;
}

// Takes the fields that this driver knows from the caller's DEVMODE.
void Merge(DEVMODEW& dm, const DEVMODEW& in) {
  if (in.dmSize < offsetof(DEVMODEW, dmColor) + sizeof in.dmColor) return;
  if ((in.dmFields & DM_ORIENTATION) && (in.dmOrientation == DMORIENT_PORTRAIT || in.dmOrientation == DMORIENT_LANDSCAPE))
    dm.dmOrientation = in.dmOrientation;
  if ((in.dmFields & DM_PAPERSIZE) && in.dmPaperSize > 0) dm.dmPaperSize = in.dmPaperSize;
  if ((in.dmFields & DM_COPIES) && in.dmCopies > 0) dm.dmCopies = in.dmCopies;
  if ((in.dmFields & DM_COLOR) && (in.dmColor == DMCOLOR_COLOR || in.dmColor == DMCOLOR_MONOCHROME)) dm.dmColor = in.dmColor;
}

}  // namespace

// Exported undecorated through driver.def.
extern "C" {

// Without a property sheet: the size of this driver's DEVMODE when no output
// is wanted, else the default DEVMODE (merged with the input) and IDOK.
// Property sheets: this driver has none to add.
LONG WINAPI DrvDocumentPropertySheets(void* propSheetInfo, LPARAM lParam) {
  if (propSheetInfo) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
  }
  auto* header = reinterpret_cast<DocumentPropertyHeader*>(lParam);
  if (!header || header->cbSize < sizeof(DocumentPropertyHeader)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (header->fMode == 0 || !header->pdmOut) return sizeof(DEVMODEW);
  if (!(header->fMode & DM_OUT_BUFFER)) return IDOK;
  // Callers of DocumentProperties promise a buffer of the size asked for
  // before; some spoolers pass no size at all then.
  if (header->cbOut != 0 && header->cbOut < sizeof(DEVMODEW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return -1;
  }
  DEVMODEW dm;
  FillDefaults(dm, header->pszPrinterName);
  if ((header->fMode & DM_IN_BUFFER) && header->pdmIn) Merge(dm, *header->pdmIn);
  *header->pdmOut = dm;
  return IDOK;
}

// Capabilities of a driver that has no paper, bin or resolution lists.
DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, void* output,
                                                         DEVMODEW* devMode) {
  switch (capability) {
    case DC_FIELDS:
      return kFields;
    case DC_SIZE:
      return sizeof(DEVMODEW);
    case DC_EXTRA:
      return 0;
    case DC_VERSION:
      return DM_SPECVERSION;
    case DC_DRIVER:
      return 0x0100;
    case DC_COPIES:
      return 1;
    case DC_ORIENTATION:
      return 0;
    case DC_COLORDEVICE:
      return 1;
    case DC_DUPLEX:
    case DC_COLLATE:
    case DC_STAPLE:
      return 0;
    case DC_PAPERS:
    case DC_PAPERNAMES:
    case DC_PAPERSIZE:
    case DC_BINS:
    case DC_BINNAMES:
    case DC_ENUMRESOLUTIONS:
    case DC_FILEDEPENDENCIES:
    case DC_MEDIATYPES:
    case DC_MEDIATYPENAMES:
    case DC_MEDIAREADY:
    case DC_NUP:
    case DC_PERSONALITY:
      return 0;  // an empty list
    case DC_MINEXTENT:
    case DC_MAXEXTENT:
      return 0;
    default:
      return GDI_ERROR;
  }
}

BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM lParam) { return TRUE; }

BOOL WINAPI DrvDriverEvent(DWORD event, DWORD level, LPBYTE driverInfo, LPARAM lParam) { return TRUE; }

}  // extern "C"
