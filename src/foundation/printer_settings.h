// A printer's monitoring settings below its key (HKCU): the one writer of
// their defaults from the model's setup data file, used by
// PrSetRegDefaultValue and by the monitoring preferences, and the reads that
// fill in a missing value from the same defaults. The values and how they are
// taken are in printer_settings_core.h.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

class CRegistryKey;

namespace moni::settings {

// The longest model section read for the notification items (characters).
inline constexpr size_t kMaxItemSection = 32767;

// Creates or opens "Notify" below the open printer key and copies the model's
// notification items into it ("ITEMNUM" of them, each "ITEMnnn=value" line of
// the model's section); values that were there before are kept. 0 when done;
// 4 when "ITEMNUM" is missing or 0, the section does not fit kMaxItemSection,
// or "Notify" cannot be created or written.
int WriteNotifyDefaults(HKEY printerKey, const std::wstring& profile, const std::wstring& modelId);

// The DWORD stored under `name`; nullopt when it is missing or of another
// type (`wrongType` tells which).
std::optional<DWORD> ReadDword(HKEY key, const std::wstring& name, bool* wrongType = nullptr);

// The value `name` of the open key. A missing value takes the profile's
// integer `profileKey` of the model's section (0 when absent) and is written
// at once; a value of another type is left as it is and the default is used
// (a log line tells). An existing DWORD is never replaced.
DWORD SettingOrDefault(CRegistryKey& key, const std::wstring& name, const std::wstring& profileKey, const std::wstring& profile,
                       const std::wstring& modelId);

}  // namespace moni::settings

// The default writer: opens the target key with full access, writes
// "SoundNotifyEnable", "TrayIconEnable" and "TrayIconSelected" from the model's
// section of the profile (replacing what is there) and then the notification
// items (WriteNotifyDefaults). 0 success, 1 the key cannot be opened or
// written, 4 the notification items were not copied.
int SetRegDefaultValue(const std::wstring& profile, const std::wstring& modelId, const std::wstring& keyPath);
