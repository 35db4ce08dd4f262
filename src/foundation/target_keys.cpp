#include "foundation/target_keys.h"

#include <windows.h>
#include <winspool.h>

#include <climits>
#include <cwchar>
#include <mutex>
#include <optional>
#include <vector>

#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"
#include "platform/spooler.h"
#include "platform/text.h"

namespace moni::targetkeys {

namespace {
std::mutex g_rootLock;
std::wstring g_root = kDataRoot;
}  // namespace

std::wstring ParentPath(bool byPort) {
  std::lock_guard<std::mutex> hold(g_rootLock);
  return g_root + (byPort ? L"\\TLNTarget" : L"\\TLLTarget");
}

void SetDataRootForTest(const std::wstring& root) {
  std::lock_guard<std::mutex> hold(g_rootLock);
  g_root = root.empty() ? std::wstring(kDataRoot) : root;
}

}  // namespace moni::targetkeys

using moni::targetkeys::kMaxPath;
using moni::targetkeys::ParentPath;

namespace {

bool SameNameNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return false;
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// All sub-key names, read before anything is deleted.
std::vector<std::wstring> SubKeyNames(const CRegistryKey& parent) {
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    std::wstring name = parent.EnumKey(i);
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

// Whether the printer named by a TLLTarget key is gone: it cannot be opened
// for use, or its level-2 information lacks a driver or a print processor.
bool PrinterIsGone(const std::wstring& printer) {
  std::wstring name = printer;
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  moni::PrinterHandle handle;
  if (!OpenPrinterW(name.data(), handle.put(), &defaults) || !handle) {
    handle.release();
    return true;
  }
  DWORD needed = 0;
  GetPrinterW(handle.get(), 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W) || needed > 16 * 1024 * 1024) return false;  // no answer: keep the key
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterW(handle.get(), 2, buffer.data(), needed, &needed)) return false;
  const auto& info = *reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  const auto empty = [&](const wchar_t* s) {
    const auto at = reinterpret_cast<const BYTE*>(s);
    return s == nullptr || at < buffer.data() || at >= buffer.data() + buffer.size() || *s == L'\0';
  };
  return empty(info.pDriverName) || empty(info.pPrintProcessor);
}

void RemoveStaleKey(CRegistryKey& parent, const std::wstring& name, bool markFirst) {
  if (markFirst) {
    CRegistryKey key;
    if (key.Open(parent.Get(), name, false, KEY_ALL_ACCESS)) key.SetDword(L"Setting", 255);
  }
  parent.DeleteTree(name);
}

// The keys found last, so that the next lookup of a name opens its key
// instead of walking every key below the parent (every status poll and
// settings read looks its printer up). A key is taken again only while it still exists and its
// "Name" still equals the name, so a key removed, or renamed for another
// printer, is looked for anew. The product makes one key per name; of two
// keys with one name (made by two processes at the same moment) the one
// found stays in use.
class FoundKeyList {
 public:
  std::optional<std::wstring> Find(const std::wstring& parentPath, const std::wstring& name) {
    std::wstring path;
    {
      std::lock_guard<std::mutex> hold(m_lock);
      for (const Entry& entry : m_entries)
        if (entry.parentPath == parentPath && SameNameNoCase(entry.name, name)) path = entry.path;
    }
    if (path.empty()) return std::nullopt;
    CRegistryKey key;
    std::wstring value;
    if (key.Open(HKEY_CURRENT_USER, path, false, KEY_READ) && key.ReadString(L"Name", value) && SameNameNoCase(value, name))
      return path;
    Forget(path);
    return std::nullopt;
  }

  void Put(const std::wstring& parentPath, const std::wstring& name, const std::wstring& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    std::erase_if(m_entries, [&](const Entry& entry) {
      return entry.path == path || (entry.parentPath == parentPath && SameNameNoCase(entry.name, name));
    });
    if (m_entries.size() == kKept) m_entries.erase(m_entries.begin());
    m_entries.push_back(Entry{parentPath, name, path});
  }

 private:
  void Forget(const std::wstring& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.path == path; });
  }

  struct Entry {
    std::wstring parentPath, name, path;
  };
  static constexpr size_t kKept = 8;
  std::mutex m_lock;
  std::vector<Entry> m_entries;  // oldest first
};

// Never destroyed: a lookup from another module's static destructor still finds it.
FoundKeyList& FoundKeys() {
  static FoundKeyList& list = *new FoundKeyList;
  return list;
}

// Makes the lowest free "P%016d" key below the parent; its path, or empty.
std::wstring CreateLowestFreeKey(const std::wstring& parentPath, CRegistryKey& key) {
  CRegistryKey parent;
  if (!parent.Open(HKEY_CURRENT_USER, parentPath, true, KEY_ALL_ACCESS)) return {};
  for (int n = 0; n < INT_MAX; ++n) {
    wchar_t path[kMaxPath + 1] = {};
    const int length = _snwprintf(path, std::size(path), L"%s\\P%016d", parentPath.c_str(), n);
    if (length < 0 || static_cast<size_t>(length) > kMaxPath) return {};
    bool created = false;
    if (!key.Open(HKEY_CURRENT_USER, path, true, KEY_ALL_ACCESS, &created)) return {};
    if (created) return std::wstring(path, static_cast<size_t>(length));
    key.Close();
  }
  return {};
}

// Fills the new key's defaults through the model's printer library.
int FillDefaults(const std::wstring& printerName, const std::wstring& portName, const std::wstring& modelId) {
  CDebugLog log("FillTargetKeyDefaults");
  std::wstring driver;
  GetPrinterDriverName(printerName, driver);
  std::wstring prnDll;
  GetPrnDllPath(prnDll, driver, modelId, printerName);
  log.Write("PrnDll : %s\n", prnDll);
  moni::Module library(prnDll.empty() ? nullptr : LoadLibraryExW(prnDll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) {
    log.Write("Error : LoadLibrary PrnDll\n");
    return 4;
  }
  using SetDefaults = int(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR);
  const auto fn = moni::ProcAddress<SetDefaults>(library.get(), "PrSetRegDefaultValue");
  if (!fn) {
    log.Write("Error : PrSetRegDefaultValue not found\n");
    return 5;
  }
  const int result = moni::GuardedCall<int>(
      1, [&] { return fn(printerName.c_str(), driver.c_str(), portName.c_str(), modelId.c_str(), L""); });
  log.Write("PrSetRegDefaultValue : %d\n", result);
  return result;
}

}  // namespace

int GetTargetPrnKey(const std::wstring& name, bool byPort, std::wstring& keyPath) {
  const std::wstring parentPath = ParentPath(byPort);
  if (std::optional<std::wstring> found = FoundKeys().Find(parentPath, name)) {
    keyPath = std::move(*found);
    return 0;
  }
  CRegistryKey parent;
  if (!parent.Open(HKEY_CURRENT_USER, parentPath, false, KEY_READ)) return 4;
  for (DWORD i = 0;; ++i) {
    const std::wstring sub = parent.EnumKey(i);
    if (sub.empty()) return 1;
    CRegistryKey key;
    std::wstring value;
    if (!key.Open(parent.Get(), sub, false, KEY_READ) || !key.ReadString(L"Name", value)) continue;
    if (SameNameNoCase(value, name)) {
      std::wstring path = parentPath + L"\\" + sub;
      if (path.size() > kMaxPath) continue;
      FoundKeys().Put(parentPath, name, path);
      keyPath = std::move(path);
      return 0;
    }
  }
}

int GetOrCreateTargetPrnKey(const std::wstring& printerName, const std::wstring& portName, const std::wstring& modelId,
                            bool& byPort, std::wstring& keyPath, int* created) {
  CDebugLog log("GetOrCreateTargetPrnKey");
  byPort = printerName.empty() && !portName.empty();
  const std::wstring& name = byPort ? portName : printerName;
  if (GetTargetPrnKey(name, byPort, keyPath) == 0) return 0;

  CleanTargetPrnKeys();
  CRegistryKey key;
  const std::wstring path = CreateLowestFreeKey(ParentPath(byPort), key);
  if (path.empty()) {
    log.Write("Error : no new target key\n");
    return 1;
  }
  bool ok = key.SetString(L"Name", name);
  if (ok) keyPath = path;
  ok = ok && key.SetDword(L"Setting", 0) && key.SetDword(L"Timer", 10);
  ok = ok && key.QueryDword(L"Setting") == 0;
  key.Close();
  if (!ok) {
    log.Write("Error : target key %s not written\n", path);
    return 1;
  }
  log.Write("Created : %s\n", path);
  const int result = FillDefaults(printerName, portName, modelId);
  if (created) *created = result == 0 ? 1 : 0;
  return result;
}

int CleanTargetPrnKeys() {
  CDebugLog log("CleanTargetPrnKeys");
  CRegistryKey printers;
  if (!printers.Open(HKEY_CURRENT_USER, ParentPath(false), false, KEY_ALL_ACCESS)) return -1;
  for (const std::wstring& sub : SubKeyNames(printers)) {
    CRegistryKey key;
    std::wstring name;
    const bool named = key.Open(printers.Get(), sub, false, KEY_READ) && key.ReadString(L"Name", name) && !name.empty();
    key.Close();
    if (named && !PrinterIsGone(name)) continue;
    log.Write("Stale : %s (%s)\n", sub, name);
    RemoveStaleKey(printers, sub, true);
  }
  CRegistryKey ports;
  if (!ports.Open(HKEY_CURRENT_USER, ParentPath(true), false, KEY_ALL_ACCESS)) return -1;
  for (const std::wstring& sub : SubKeyNames(ports)) {
    CRegistryKey key;
    std::wstring name;
    const bool named = key.Open(ports.Get(), sub, false, KEY_READ) && key.ReadString(L"Name", name) && !name.empty();
    key.Close();
    if (!named) RemoveStaleKey(ports, sub, false);
  }
  return 0;
}

bool GetPrinterDriverAndPort(const std::wstring& printerName, std::wstring& driver, std::wstring& port) {
  if (!moni::spooler::GetPrinterDriverAndPort(printerName, driver, port) || driver.size() >= 260 || port.size() >= 260) {
    driver.clear();
    port.clear();
    return false;
  }
  return true;
}

bool GetPrinterDriverName(const std::wstring& printerName, std::wstring& driver) {
  std::wstring port;
  return GetPrinterDriverAndPort(printerName, driver, port);
}
