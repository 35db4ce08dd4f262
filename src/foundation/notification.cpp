#include "foundation/notification.h"

#include "foundation/debug_log.h"
#include "foundation/printer_settings.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "platform/text.h"

moni::settings::Notification QueryNotification(const std::wstring& printerName, const std::wstring& portName, int code) {
  const bool byPort = printerName.empty();
  const std::wstring& name = byPort ? portName : printerName;
  std::wstring path;
  if (name.empty() || GetTargetPrnKey(name, byPort, path) != 0) path.clear();
  return QueryNotificationAt(path, code);
}

moni::settings::Notification QueryNotificationAt(const std::wstring& keyPath, int code) {
  using namespace moni::settings;
  CDebugLog log("QueryNotification");
  StoredNotification stored;
  CRegistryKey key;
  if (!keyPath.empty() && key.Open(HKEY_CURRENT_USER, keyPath)) {
    stored.keyOpened = true;
    bool wrongType = false;
    stored.sound = ReadDword(key.Get(), moni::ToWide(kSoundValue), &wrongType);
    if (wrongType) log.Write("Error : %s is not a DWORD\n", kSoundValue);
    CRegistryKey notify;
    if (notify.Open(key.Get(), moni::ToWide(kNotifyKey))) {
      stored.notifyKeyOpened = true;
      const std::u16string valueName = NotifyValueName(code);
      stored.notify = ReadDword(notify.Get(), moni::ToWide(valueName), &wrongType);
      if (wrongType) log.Write("Error : Notify %s is not a DWORD\n", valueName);
    }
  } else {
    log.Write("ERROR : GetTargetPrnKey Not Found!!\n");
  }
  const Notification answer = DecideNotification(stored);
  log.Write("NotifyNo : %d, Result : %d, Notify : %d, Sound : %d\n", code, answer.result, answer.notify, answer.sound);
  return answer;
}
