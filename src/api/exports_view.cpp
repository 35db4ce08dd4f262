// The exports that open the status window, the driver's printing preferences and the job queue.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

int WINAPI PrStartView(int, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, void*, DWORD) { return NotAvailable("PrStartView", 1); }

int WINAPI PrDocumentProperties(LPCWSTR) { return NotAvailable("PrDocumentProperties", 0); }

int WINAPI PrDisplaySpoolJob(LPCWSTR, HWND) { return NotAvailable("PrDisplaySpoolJob", -1); }
