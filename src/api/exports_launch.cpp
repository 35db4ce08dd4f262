// The exports that open a window or start a program for one printer.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

int WINAPI PrStartView(int, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, void*, DWORD) { return NotAvailable("PrStartView", 1); }

int WINAPI PrStartPreference(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrStartPreference", -3); }

int WINAPI PrDocumentProperties(LPCWSTR) { return NotAvailable("PrDocumentProperties", 0); }

int WINAPI PrDisplaySpoolJob(LPCWSTR, HWND) { return NotAvailable("PrDisplaySpoolJob", -1); }

int WINAPI PrEntryIconDlg(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrEntryIconDlg", -1); }

int WINAPI PrIconInstall(LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrIconInstall", 1); }

int WINAPI PrKioskaPopUp(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, const KioskaOption*) { return NotAvailable("PrKioskaPopUp", 1); }

int WINAPI PrKiosSameDrvs(LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrKiosSameDrvs", 1); }

int WINAPI PrPackagePopUp(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrPackagePopUp", 1); }
