// V_SMPUTL.DLL: the sample model's utility library. Whether the printer's
// type is supported by the ink replacement program is scripted through the
// host's environment: SMPUTL_SUPPORT (a number, default 0) is what
// UtIsSupportTypeW answers. The ink replacement functions do nothing.
//
// The maintenance functions the tray program calls (nozzle check, head
// cleaning, gap alignment, automatic head cleaning) append a line
// "<function>\t<printer>\t<argument count that is empty>" to "utility.log" in
// %BQSIM_DIR% (nothing when it is not set), then take SMPUTL_DELAY_MS
// milliseconds (default 0), as a real utility's dialog would.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

DWORD EnvNumber(const wchar_t* name) {
  wchar_t value[32] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, sizeof value / sizeof value[0]);
  if (n == 0 || n >= sizeof value / sizeof value[0]) return 0;
  return static_cast<DWORD>(std::wcstoul(value, nullptr, 0));
}

int Maintenance(const wchar_t* function, const wchar_t* printer, const wchar_t* a, const wchar_t* b,
                const wchar_t* c) {
  wchar_t folder[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"BQSIM_DIR", folder, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    const int empty = (a && !*a) + (b && !*b) + (c && !*c);
    std::wstring line = std::wstring(function) + L"\t" + (printer ? printer : L"(null)") + L"\t" +
                        std::to_wstring(empty) + L"\n";
    char utf8[2048] = {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8,
                                          sizeof utf8, nullptr, nullptr);
    HANDLE file = CreateFileW((std::wstring(folder) + L"\\utility.log").c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, utf8, static_cast<DWORD>(bytes), &written, nullptr);
      CloseHandle(file);
    }
  }
  Sleep(EnvNumber(L"SMPUTL_DELAY_MS"));
  return 0;
}

}  // namespace

extern "C" {

WORD WINAPI UtIsSupportTypeW(const wchar_t* printer, const wchar_t* driver, int reserved) {
  (void)printer;
  (void)driver;
  (void)reserved;
  return static_cast<WORD>(EnvNumber(L"SMPUTL_SUPPORT"));
}

#define MAINTENANCE(name)                                                                          \
  int WINAPI name(const wchar_t* printer, const wchar_t* a, const wchar_t* b, const wchar_t* c) { \
    return Maintenance(L## #name, printer, a, b, c);                                               \
  }
MAINTENANCE(UtPrintNozzleTestPatternW)
MAINTENANCE(UtCleanHeadW)
MAINTENANCE(UtAlignGapW)
MAINTENANCE(UtAutoCleanHeadW)
#undef MAINTENANCE

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
