// The driver's printing preferences and the printer's job queue, as the
// driver asks for them: one set of printing preferences at a time in the
// user's log-on, kept as the printer's default where the user may change it.
#pragma once
#include <windows.h>

#include <string>

namespace moni::api {

// The mutex that serialises the printing preferences across processes.
inline constexpr wchar_t kDocumentPropertiesMutex[] = L"VGL3 CallDocumentProperties /DP";

// 1 when the printing preferences were shown (or there was nothing to show);
// 0 when another caller is showing them.
int RunDocumentProperties(const std::wstring& printer);
// 0 when the printer's queue window was requested; -1 for an empty name.
int RunDisplaySpoolJob(const std::wstring& printer, HWND owner);

// Where a confirmed device mode went: the printer's default (level 2), the
// global device mode (level 8), the user's (level 9); 0 when none took it.
int StoreDeviceMode(HANDLE printer, bool administer, DEVMODEW* mode);

}  // namespace moni::api
