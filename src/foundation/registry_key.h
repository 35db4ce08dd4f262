// Registry key wrappers: CRegistryKey (one open key of any root, read and
// write) and CMachineKey (HKLM, read only, routed through the driver's
// registry-access library while that is active). Each closes its key when
// destroyed; failures are reported by results, never thrown.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

class CRegistryKey {
 public:
  CRegistryKey() = default;
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Opens root\subKey, or with `create` creates or opens it. Access 0 means
  // KEY_READ for open and KEY_ALL_ACCESS for create. `created`, when given,
  // tells whether the key was newly made. Closes any key held before.
  bool Open(HKEY root, const std::wstring& subKey, bool create = false, REGSAM access = 0, bool* created = nullptr);
  void Close();

  bool IsOpen() const { return m_key.valid(); }
  HKEY Get() const { return m_key.get(); }
  REGSAM Access() const { return m_access; }

  // The string value (REG_SZ or REG_EXPAND_SZ, not expanded) of any length;
  // false when the key is not open or the value cannot be read as a string.
  bool ReadString(const std::wstring& name, std::wstring& out) const;
  std::wstring QueryString(const std::wstring& name, const std::wstring& fallback = L"") const;
  // The REG_DWORD value, or the fallback ((DWORD)-1 in the second form).
  DWORD QueryDword(const std::wstring& name, DWORD fallback) const;
  DWORD QueryDword(const std::wstring& name) const { return QueryDword(name, static_cast<DWORD>(-1)); }
  bool HasValue(const std::wstring& name) const;

  // REG_SZ including the terminating zero; REG_DWORD.
  bool SetString(const std::wstring& name, const std::wstring& text);
  bool SetDword(const std::wstring& name, DWORD value);

  // The sub-key or value name at the index (at most kMaxName characters), or
  // empty when there is none or it is longer.
  std::wstring EnumKey(DWORD index) const;
  std::wstring EnumValue(DWORD index) const;

  // Removes the sub-key with everything below it, deepest keys first.
  bool DeleteTree(const std::wstring& subKey);

  static constexpr size_t kMaxName = 256;
  // Longest string value read; larger ones are refused.
  static constexpr DWORD kMaxValueBytes = 1024 * 1024;

 private:
  moni::RegKey m_key;
  REGSAM m_access = 0;
};

namespace moni::handle_traits {
// A key opened through the driver's registry-access library is closed through it.
struct AccessLibraryKey {
  using type = HKEY;
  static type Empty() { return nullptr; }
  static bool IsEmpty(type h) { return h == nullptr; }
  static void Close(type h);
};
}  // namespace moni::handle_traits

class CMachineKey {
 public:
  CMachineKey() = default;
  CMachineKey(const CMachineKey&) = delete;
  CMachineKey& operator=(const CMachineKey&) = delete;

  // Opens HKLM\subKey for reading. While the registry-access library is active
  // the open goes through it; when it lacks a needed function the open fails
  // with kMissingFunction (12) as LastError().
  bool Open(const std::wstring& subKey);
  void Close();
  bool IsOpen() const { return m_systemKey.valid() || m_libraryKey.valid(); }
  LONG LastError() const { return m_lastError; }

  std::wstring QueryString(const std::wstring& name, const std::wstring& fallback = L"");
  DWORD QueryDword(const std::wstring& name, DWORD fallback);
  DWORD QueryDword(const std::wstring& name) { return QueryDword(name, static_cast<DWORD>(-1)); }

 private:
  LONG Query(const std::wstring& name, DWORD* type, BYTE* data, DWORD* size);

  moni::RegKey m_systemKey;
  moni::UniqueHandle<moni::handle_traits::AccessLibraryKey> m_libraryKey;
  LONG m_lastError = ERROR_SUCCESS;
};
