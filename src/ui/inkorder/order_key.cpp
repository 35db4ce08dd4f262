#include "ui/inkorder/order_key.h"

#include "platform/text.h"

std::wstring COrderKey::PathOf(const std::wstring& driverName) { return L"Software\\TALMER\\" + driverName + L" IO_URL"; }

bool COrderKey::Open(const std::wstring& path) {
  m_machine.Close();
  if (m_registry.Open(HKEY_LOCAL_MACHINE, path, false, KEY_READ)) return true;
  return m_machine.Open(path);
}

std::wstring COrderKey::String(const std::wstring& name) {
  if (m_registry.IsOpen()) return m_registry.QueryString(name);
  if (m_machine.IsOpen()) return m_machine.QueryString(name);
  return {};
}

moni::inkorder::StoredValue COrderKey::Dword(const std::wstring& name) {
  if (m_registry.IsOpen()) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(m_registry.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value)
      return value;
    return std::nullopt;
  }
  if (!m_machine.IsOpen()) return std::nullopt;
  // The library's reader gives its fallback for a value of another type:
  // two different fallbacks tell a missing value from a stored one.
  const DWORD first = m_machine.QueryDword(name, 0);
  if (m_machine.LastError() != ERROR_SUCCESS) return std::nullopt;
  if (first != m_machine.QueryDword(name, 1)) return std::nullopt;
  return first;
}

moni::inkorder::Thresholds ThresholdsOfKey(COrderKey& key) {
  const std::wstring borderLine = key.String(L"BorderLine");
  return moni::inkorder::ThresholdsOf(borderLine.empty() ? std::nullopt
                                                         : std::optional<std::u16string>(moni::ToU16(borderLine)));
}

void ApplyOrderKey(moni::inkorder::CInkOrderInfo& info, COrderKey& key) {
  using moni::ToU16;
  info.thresholds = ThresholdsOfKey(key);
  info.whereToBuy = ToU16(key.String(L"Custom_BtnWhereToBuy"));
  info.remindLater = ToU16(key.String(L"Custom_BtnRemindMeLater"));
  info.cancel = ToU16(key.String(L"Custom_BtnCancel"));
  for (size_t i = 0; i < info.templates.size(); ++i) {
    const std::u16string_view name = moni::inkorder::CustomMessageName(moni::inkorder::kOrderMenu + static_cast<int>(i));
    info.templates[i] = ToU16(key.String(moni::ToWide(name)));
  }
  for (size_t i = 0; i < info.inks.size() && i < moni::inkorder::kOptionInks; ++i) {
    const std::wstring digit = std::to_wstring(i + 1);
    if (std::wstring first = key.String(L"01" + digit); !first.empty()) info.inks[i].cartridge = ToU16(first);
    if (std::wstring second = key.String(L"11" + digit); !second.empty()) info.inks[i].secondCartridge = ToU16(second);
  }
}
