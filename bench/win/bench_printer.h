// What the timing harnesses share: removing the monitor's keys of the printer
// a harness made for itself.
#pragma once
#include <windows.h>

#include <string>

#include "foundation/registry_key.h"
#include "foundation/target_keys.h"

namespace moni::bench {

// Deletes every key below HKCU that the monitor keeps for `printer`.
inline void RemoveTargetKeys(const std::wstring& printer) {
  std::wstring path;
  while (GetTargetPrnKey(printer, false, path) == 0) {
    CRegistryKey parent;
    if (!parent.Open(HKEY_CURRENT_USER, moni::targetkeys::ParentPath(false), false, KEY_ALL_ACCESS) ||
        !parent.DeleteTree(path.substr(path.rfind(L'\\') + 1)))
      return;
  }
}

}  // namespace moni::bench
