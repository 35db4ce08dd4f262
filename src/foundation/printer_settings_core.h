// A printer's notification settings as the monitor reads them (portable
// core): the values below the printer's key, how each is taken, and the one
// decision whether a notification pops up and plays a sound.
//
// Values: "SoundNotifyEnable", "TrayIconEnable", "TrayIconSelected" and, in
// the subkey "Notify", one switch per notification code named by the code in
// three decimal digits. A switch is on when it holds 1; any other value is off.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace moni::settings {

inline constexpr char16_t kSoundValue[] = u"SoundNotifyEnable";
inline constexpr char16_t kTrayIconValue[] = u"TrayIconEnable";
inline constexpr char16_t kDesignValue[] = u"TrayIconSelected";
inline constexpr char16_t kNotifyKey[] = u"Notify";

// The value name of a notification code below "Notify": "%03d" ("012", "501",
// "000", "1234", "-01").
std::u16string NotifyValueName(int code);

// How the stored values are taken.
inline bool IsOn(std::uint32_t value) { return value == 1; }
// Sound is off whatever is stored when the model has no sound.
inline int SoundSetting(std::uint32_t value, bool soundAvailable) { return soundAvailable && IsOn(value) ? 1 : 0; }
inline int TrayIconSetting(std::uint32_t value) { return IsOn(value) ? 1 : 0; }
// Designs 1, 2 and 3 as they are (3: no icon), anything else design 0.
inline int DesignSetting(std::uint32_t value) { return value >= 1 && value <= 3 ? static_cast<int>(value) : 0; }

// The answer of the notification query for one code.
struct Notification {
  int result = 1;  // 0 answered from the printer's settings, 1 not (see below)
  int sound = 0;   // play a sound: only with a pop-up, and only when sound is on
  int notify = 0;  // pop up
};

// What the registry gave: whether the printer's key opened, its sound value,
// whether "Notify" opened and the code's switch there (nullopt: missing or
// not a DWORD).
struct StoredNotification {
  bool keyOpened = false;
  std::optional<std::uint32_t> sound;
  bool notifyKeyOpened = false;
  std::optional<std::uint32_t> notify;
};

// No key: result 1, nothing. No "Notify": result 1, no pop-up, the sound
// setting alone. Otherwise result 0, the switch, and sound only with it.
Notification DecideNotification(const StoredNotification& stored);

}  // namespace moni::settings
