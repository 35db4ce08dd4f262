/* Entry point of the resource-only libraries: they run no code and link no
   runtime, so loading them (also as an image) always succeeds. */
#include <windows.h>

BOOL WINAPI ResourceLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}
