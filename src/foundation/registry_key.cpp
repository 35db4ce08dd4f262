#include "foundation/registry_key.h"

#include <vector>

#include "foundation/reg_access_library.h"

namespace {

// The string in `bytes` up to its first zero; an odd trailing byte is dropped.
std::wstring StringOf(const std::vector<BYTE>& bytes, DWORD size) {
  const size_t chars = size / sizeof(wchar_t);
  const auto* text = reinterpret_cast<const wchar_t*>(bytes.data());
  size_t n = 0;
  while (n < chars && text[n] != L'\0') ++n;
  return std::wstring(text, n);
}

// Reads a string value through `query(type, data, size)` of the RegQueryValueExW
// form, asking for the size first and again when the value grew meanwhile.
template <typename Query>
bool ReadStringWith(Query query, std::wstring& out) {
  out.clear();
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, size = 0;
    LONG rc = query(&type, nullptr, &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size > CRegistryKey::kMaxValueBytes) return false;
    std::vector<BYTE> bytes(size + sizeof(wchar_t), 0);
    DWORD got = size;
    rc = query(&type, bytes.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || got > size) return false;
    out = StringOf(bytes, got);
    return true;
  }
  return false;
}

}  // namespace

bool CRegistryKey::Open(HKEY root, const std::wstring& subKey, bool create, REGSAM access, bool* created) {
  Close();
  if (access == 0) access = create ? KEY_ALL_ACCESS : KEY_READ;
  LONG rc;
  if (create) {
    DWORD disposition = 0;
    rc = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, m_key.put(), &disposition);
    if (rc == ERROR_SUCCESS && created) *created = disposition == REG_CREATED_NEW_KEY;
  } else {
    rc = RegOpenKeyExW(root, subKey.c_str(), 0, access, m_key.put());
    if (created) *created = false;
  }
  if (rc != ERROR_SUCCESS) {
    m_key.release();  // nothing was stored on failure
    return false;
  }
  m_access = access;
  return true;
}

void CRegistryKey::Close() {
  m_key.reset();
  m_access = 0;
}

bool CRegistryKey::ReadString(const std::wstring& name, std::wstring& out) const {
  out.clear();
  if (!IsOpen()) return false;
  return ReadStringWith(
      [&](DWORD* type, BYTE* data, DWORD* size) { return RegQueryValueExW(m_key.get(), name.c_str(), nullptr, type, data, size); },
      out);
}

std::wstring CRegistryKey::QueryString(const std::wstring& name, const std::wstring& fallback) const {
  std::wstring value;
  return ReadString(name, value) ? value : fallback;
}

DWORD CRegistryKey::QueryDword(const std::wstring& name, DWORD fallback) const {
  if (!IsOpen()) return fallback;
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG rc = RegQueryValueExW(m_key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : fallback;
}

bool CRegistryKey::HasValue(const std::wstring& name) const {
  return IsOpen() && RegQueryValueExW(m_key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegistryKey::SetString(const std::wstring& name, const std::wstring& text) {
  if (!IsOpen()) return false;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (bytes > kMaxValueBytes) return false;
  return RegSetValueExW(m_key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

bool CRegistryKey::SetDword(const std::wstring& name, DWORD value) {
  return IsOpen() &&
         RegSetValueExW(m_key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

std::wstring CRegistryKey::EnumKey(DWORD index) const {
  if (!IsOpen()) return {};
  wchar_t name[kMaxName + 1] = {};
  DWORD length = static_cast<DWORD>(std::size(name));
  if (RegEnumKeyExW(m_key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return {};
  return std::wstring(name, length < std::size(name) ? length : 0);
}

std::wstring CRegistryKey::EnumValue(DWORD index) const {
  if (!IsOpen()) return {};
  wchar_t name[kMaxName + 1] = {};
  DWORD length = static_cast<DWORD>(std::size(name));
  if (RegEnumValueW(m_key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return {};
  return std::wstring(name, length < std::size(name) ? length : 0);
}

bool CRegistryKey::DeleteTree(const std::wstring& subKey) {
  if (!IsOpen() || subKey.empty()) return false;
  CRegistryKey child;
  if (!child.Open(m_key.get(), subKey, false, KEY_READ | KEY_WRITE | DELETE)) return false;
  // The names first: deleting while enumerating would shift the indexes.
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    std::wstring name = child.EnumKey(i);
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  bool ok = true;
  for (const auto& name : names) ok = child.DeleteTree(name) && ok;
  child.Close();
  return RegDeleteKeyW(m_key.get(), subKey.c_str()) == ERROR_SUCCESS && ok;
}

void moni::handle_traits::AccessLibraryKey::Close(HKEY h) { moni::regaccess::CloseKey(h); }

bool CMachineKey::Open(const std::wstring& subKey) {
  Close();
  HKEY key = nullptr;
  if (moni::regaccess::IsActive()) {
    // Without the library's close a key opened through it could not be closed.
    if (!moni::regaccess::HasKeyFunctions()) {
      m_lastError = moni::regaccess::kMissingFunction;
      return false;
    }
    m_lastError = moni::regaccess::OpenKey(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key);
    if (m_lastError == ERROR_SUCCESS) m_libraryKey.reset(key);
  } else {
    m_lastError = RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key);
    if (m_lastError == ERROR_SUCCESS) m_systemKey.reset(key);
  }
  return m_lastError == ERROR_SUCCESS && IsOpen();
}

void CMachineKey::Close() {
  m_systemKey.reset();
  m_libraryKey.reset();
}

LONG CMachineKey::Query(const std::wstring& name, DWORD* type, BYTE* data, DWORD* size) {
  if (m_libraryKey) return moni::regaccess::QueryValue(m_libraryKey.get(), name.c_str(), type, data, size);
  if (m_systemKey) return RegQueryValueExW(m_systemKey.get(), name.c_str(), nullptr, type, data, size);
  return ERROR_INVALID_HANDLE;
}

std::wstring CMachineKey::QueryString(const std::wstring& name, const std::wstring& fallback) {
  std::wstring value;
  const bool ok = ReadStringWith([&](DWORD* type, BYTE* data, DWORD* size) { return Query(name, type, data, size); }, value);
  return ok ? value : fallback;
}

DWORD CMachineKey::QueryDword(const std::wstring& name, DWORD fallback) {
  DWORD type = 0, value = 0, size = sizeof value;
  m_lastError = Query(name, &type, reinterpret_cast<BYTE*>(&value), &size);
  return m_lastError == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : fallback;
}
