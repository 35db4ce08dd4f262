// The driver's ink-ordering key: HKLM "Software\TALMER\<driver> IO_URL",
// written by the driver's installer and only read here ("BorderLine",
// "EnablePopup", "INK_OrderURL", the custom button texts and message
// templates, the cartridge texts).
#pragma once
#include <windows.h>

#include <string>

#include "foundation/registry_key.h"
#include "ui/inkorder/order_info_core.h"
#include "ui/inkorder/reminder_core.h"

class COrderKey {
 public:
  // The key's path below HKLM for a driver.
  static std::wstring PathOf(const std::wstring& driverName);

  // Opens the key at `path` below HKLM for reading: in the registry, and when
  // it cannot be opened there, through the driver's registry-access library
  // while that is active (else through the registry again). The library is
  // attached by the exports that show the ink-order dialog; this reader only
  // uses it when it is there.
  bool Open(const std::wstring& path);
  bool IsOpen() const { return m_registry.IsOpen() || m_machine.IsOpen(); }

  // A string value; empty when the key is not open or the value is missing,
  // empty or not a string.
  std::wstring String(const std::wstring& name);
  // A REG_DWORD value; nothing when it is missing or of another type.
  moni::inkorder::StoredValue Dword(const std::wstring& name);

 private:
  CRegistryKey m_registry;
  CMachineKey m_machine;
};

// The thresholds of the key's "BorderLine" (the defaults when it is missing
// or refused).
moni::inkorder::Thresholds ThresholdsOfKey(COrderKey& key);

// Takes into the dialog's information what the ink-ordering key holds: the
// thresholds ("BorderLine"), the custom button texts and message templates,
// and for each ink (index 0 to 3) the cartridge texts "011" to "014" and
// "111" to "114" where they are set (they replace the resource library's).
void ApplyOrderKey(moni::inkorder::CInkOrderInfo& info, COrderKey& key);
