// The monitoring session exports.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

int WINAPI PrSetRegDefaultValue(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrSetRegDefaultValue", 1); }

int WINAPI PrReleaseRegistry(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrReleaseRegistry", 1); }

int WINAPI PrMonitoringStart(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, void*) {
  return NotAvailable("PrMonitoringStart", 1);
}

int WINAPI PrGetChannel(DWORD*) { return NotAvailable("PrGetChannel", 1); }

int WINAPI PrCheckModelID() { return NotAvailable("PrCheckModelID", 0); }

// Without a session the outputs stay untouched and the result is 1.
int WINAPI PrGetStatus(int, int*, int*, int, int*, int*) { return NotAvailable("PrGetStatus", 1); }

int WINAPI PrMonitoringEnd() { return NotAvailable("PrMonitoringEnd", 1); }

int WINAPI PrGetTimerValue(DWORD, int*) { return NotAvailable("PrGetTimerValue", -1); }
