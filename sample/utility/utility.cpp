// V_SMPUTL.DLL: the sample model's utility library. Whether the printer's
// type is supported by the ink replacement program is scripted through the
// host's environment: SMPUTL_SUPPORT (a number, default 0) is what
// UtIsSupportTypeW answers. The ink replacement functions do nothing.
#include <windows.h>

#include <cwchar>

extern "C" {

WORD WINAPI UtIsSupportTypeW(const wchar_t* printer, const wchar_t* driver, int reserved) {
  (void)printer;
  (void)driver;
  (void)reserved;
  wchar_t value[32] = {};
  const DWORD n = GetEnvironmentVariableW(L"SMPUTL_SUPPORT", value, sizeof value / sizeof value[0]);
  if (n == 0 || n >= sizeof value / sizeof value[0]) return 0;
  return static_cast<WORD>(std::wcstoul(value, nullptr, 0));
}

// Opens the ink replacement window for the printer; the stand-in opens none.
int WINAPI WndInkReplacementW(HWND owner, const wchar_t* printer, int param) {
  (void)owner;
  (void)printer;
  (void)param;
  return 0;
}

// Starts the ink replacement program for the printer; the stand-in starts none.
int WINAPI UtInkReplacementW(HWND owner, const wchar_t* printer) {
  (void)owner;
  (void)printer;
  return 0;
}

}  // extern "C"
