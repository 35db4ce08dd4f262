// The exports of ink ordering: the reminder pop-up, the same for every printer of a driver, the package pop-up.
#include "api/export_frame.h"
#include "api/monicore.h"

using moni::api::NotAvailable;

int WINAPI PrKioskaPopUp(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, const KioskaOption*) { return NotAvailable("PrKioskaPopUp", 1); }

int WINAPI PrKiosSameDrvs(LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrKiosSameDrvs", 1); }

int WINAPI PrPackagePopUp(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR) { return NotAvailable("PrPackagePopUp", 1); }
