// The notification query: whether a condition of a printer pops up a
// notification and plays a sound, from the user's settings below the
// printer's key. The monitoring session asks it before it reports a pop-up;
// the status window asks it before it pops up or plays a sound. The decision
// itself is moni::settings::DecideNotification (printer_settings_core.h).
#pragma once
#include <string>

#include "foundation/printer_settings_core.h"

// The answer for notification code `code` of the printer, or of the port when
// the printer name is empty: the printer's key is found by that name (result
// 1 and nothing when there is none or it does not open); result 1, no pop-up
// and the sound setting alone when its "Notify" subkey does not open; else 0,
// the code's switch and sound only with it.
moni::settings::Notification QueryNotification(const std::wstring& printerName, const std::wstring& portName, int code);

// The same for the printer key at `keyPath` below HKCU, found before (empty:
// there is none).
moni::settings::Notification QueryNotificationAt(const std::wstring& keyPath, int code);
