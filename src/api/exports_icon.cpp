// The exports that ask for and install the printers' tray icons.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

int WINAPI PrEntryIconDlg(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrEntryIconDlg", -1); }

int WINAPI PrIconInstall(LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrIconInstall", 1); }
