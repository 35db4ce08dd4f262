#include "foundation/startup_list.h"

#include "foundation/registry_key.h"
#include "platform/files.h"
#include "platform/text.h"

namespace moni::startup {

namespace {

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The full path in its long form (8.3 names expanded), or empty.
std::wstring LongFullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD n = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (n == 0 || n >= needed) return {};
  full.resize(n);
  const DWORD longNeeded = GetLongPathNameW(full.c_str(), nullptr, 0);
  if (longNeeded == 0) return full;
  std::wstring longer(longNeeded, L'\0');
  const DWORD m = GetLongPathNameW(full.c_str(), longer.data(), longNeeded);
  if (m == 0 || m >= longNeeded) return full;
  longer.resize(m);
  return longer;
}

}  // namespace

bool IsOwnParamFile(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  const std::wstring full = LongFullPath(path);
  const std::wstring temp = LongFullPath(files::TempFolder());
  const size_t slash = full.find_last_of(L'\\');
  if (full.empty() || temp.empty() || slash == std::wstring::npos) return false;
  std::wstring folder = full.substr(0, slash + 1);
  std::wstring tempFolder = temp.back() == L'\\' ? temp : temp + L'\\';
  return SameNoCase(folder, tempFolder) && HasParamFilePrefix(ToU16(full.substr(slash + 1)));
}

OldIconFile ReadOldIconFile(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) {
  OldIconFile old;
  CRegistryKey key;
  if (!key.Open(root, keyPath, false, KEY_QUERY_VALUE) || !key.ReadString(valueName, old.value)) return old;
  old.valueRead = true;
  old.file = ToWide(ParseStartupValue(ToU16(old.value)).paramFile);
  return old;
}

OldIconFile DelOldIconRegFile(HKEY root, const std::wstring& keyPath, const std::wstring& valueName) {
  OldIconFile old = ReadOldIconFile(root, keyPath, valueName);
  old.deleted = IsOwnParamFile(old.file) && DeleteFileW(old.file.c_str());
  return old;
}

}  // namespace moni::startup
