// The export that opens the monitoring preferences.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

int WINAPI PrStartPreference(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrStartPreference", -3); }
