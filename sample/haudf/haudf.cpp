// V_HAUDF1.DLL: the driver's registry-access library. Exports by ordinal only.
// Ordinals 4, 11 and 7 are the registry open, query and close that the
// monitor routes its machine-wide reads through; they pass on to the system.
// Like a driver whose 32-bit installer wrote its keys, the open also finds a
// key of the local machine that only the 32-bit view of the registry holds.
// Every other ordinal does nothing and reports success.
#include <windows.h>

extern "C" {

LONG WINAPI HaOpenKey(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  const LONG rc = RegOpenKeyExW(root, subKey, options, access, result);
  if (rc != ERROR_FILE_NOT_FOUND || root != HKEY_LOCAL_MACHINE || (access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY)))
    return rc;
  return RegOpenKeyExW(root, subKey, options, access | KEY_WOW64_32KEY, result);
}

LONG WINAPI HaQueryValue(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  return RegQueryValueExW(key, name, reserved, type, data, size);
}

LONG WINAPI HaCloseKey(HKEY key) { return RegCloseKey(key); }

// Takes no parameters: on x64 the caller removes whatever it passed.
LONG WINAPI HaNothing() { return ERROR_SUCCESS; }

}  // extern "C"
