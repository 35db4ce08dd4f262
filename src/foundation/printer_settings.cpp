#include "foundation/printer_settings.h"

#include "foundation/debug_log.h"
#include "foundation/printer_settings_core.h"
#include "foundation/profile_reader.h"
#include "foundation/profile_text.h"
#include "foundation/registry_key.h"
#include "platform/text.h"

namespace moni::settings {

int WriteNotifyDefaults(HKEY printerKey, const std::wstring& profile, const std::wstring& modelId) {
  CDebugLog log("WriteNotifyDefaults");
  CRegistryKey notify;
  bool created = false;
  if (!notify.Open(printerKey, ToWide(kNotifyKey), true, KEY_ALL_ACCESS, &created)) {
    log.Write("Error : Notify key\n");
    return 4;
  }
  const UINT itemNum = profile::ReadIniInt(profile, modelId, L"ITEMNUM", 0);
  if (itemNum == 0) {
    log.Write("Error : ITEMNUM\n");
    return 4;
  }
  const auto section = profile::ReadIniSection(profile, modelId, kMaxItemSection);
  if (!section) {
    log.Write("Error : section %s does not fit\n", modelId);
    return 4;
  }
  for (const auto& item : profile::CollectNotifyItems(profile::SplitSectionLines(*section), itemNum)) {
    const std::wstring name = ToWide(item.name);
    if (!created && notify.HasValue(name)) continue;
    if (!notify.SetDword(name, static_cast<DWORD>(item.value))) {
      log.Write("Error : Notify value %s not written\n", name);
      return 4;
    }
  }
  return 0;
}

std::optional<DWORD> ReadDword(HKEY key, const std::wstring& name, bool* wrongType) {
  if (wrongType) *wrongType = false;
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) {
    if (wrongType) *wrongType = true;
    return std::nullopt;
  }
  return value;
}

DWORD SettingOrDefault(CRegistryKey& key, const std::wstring& name, const std::wstring& profileKey, const std::wstring& profile,
                       const std::wstring& modelId) {
  if (!key.IsOpen()) return 0;
  bool wrongType = false;
  if (const auto stored = ReadDword(key.Get(), name, &wrongType)) return *stored;
  CDebugLog log("SettingOrDefault");
  const DWORD fallback = profile::ReadIniInt(profile, modelId, profileKey, 0);
  if (wrongType) {
    log.Write("Error : %s is not a DWORD; the default %u is used and the value kept\n", name, fallback);
  } else if (!key.SetDword(name, fallback)) {
    log.Write("Error : default %s = %u not written\n", name, fallback);
  }
  return fallback;
}

}  // namespace moni::settings

int SetRegDefaultValue(const std::wstring& profile, const std::wstring& modelId, const std::wstring& keyPath) {
  CDebugLog log("SetRegDefaultValue");
  CRegistryKey key;
  if (profile.empty() || keyPath.empty() || !key.Open(HKEY_CURRENT_USER, keyPath, false, KEY_ALL_ACCESS)) return 1;
  for (const char16_t* name : {moni::settings::kSoundValue, moni::settings::kTrayIconValue, moni::settings::kDesignValue}) {
    const std::wstring value = moni::AsWide(name);
    if (!key.SetDword(value, moni::profile::ReadIniInt(profile, modelId, value, 0))) {
      log.Write("Error : %s not written\n", value);
      return 1;
    }
  }
  return moni::settings::WriteNotifyDefaults(key.Get(), profile, modelId);
}
