// V_HAUDF1.DLL: the driver's registry-access library. Exports by ordinal only.
// Ordinals 4, 11 and 7 are the registry open, query and close that the
// monitor routes its machine-wide reads through; they pass straight on to the
// system. Every other ordinal does nothing and reports success.
#include <windows.h>

extern "C" {

LONG WINAPI HaOpenKey(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return RegOpenKeyExW(root, subKey, options, access, result);
}

LONG WINAPI HaQueryValue(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  return RegQueryValueExW(key, name, reserved, type, data, size);
}

LONG WINAPI HaCloseKey(HKEY key) { return RegCloseKey(key); }

// Takes no parameters: on x64 the caller removes whatever it passed.
LONG WINAPI HaNothing() { return ERROR_SUCCESS; }

}  // extern "C"
