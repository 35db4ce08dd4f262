// Stand-in for a driver's status-agent control library (BQSACTL.DLL). The
// agent it controls is pretend: CheckSAgent reports the state that the host
// process's environment variable BQSACTL_STATE holds (a number; "seh" raises an
// access violation; unset or not a number: 1, running). The other three
// exports succeed (0) without doing anything.
#include <windows.h>

#include <cstdlib>
#include <cwchar>

#if defined(_MSC_VER)
#define SACTL_NOINLINE __declspec(noinline)
#else
#define SACTL_NOINLINE __attribute__((noinline))
#endif

namespace {

SACTL_NOINLINE void RaiseAccessViolation() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 0;
}

}  // namespace

extern "C" {

int InstallSAgent(const wchar_t* /*driverName*/) { return 0; }
int StartSAgent(const wchar_t* /*driverName*/) { return 0; }
int UninstallSAgent(const wchar_t* /*driverName*/) { return 0; }

int CheckSAgent(const wchar_t* driverName) {
  if (driverName == nullptr || driverName[0] == L'\0') return -1;
  wchar_t text[32] = {};
  const DWORD n = GetEnvironmentVariableW(L"BQSACTL_STATE", text, 32);
  if (n == 0 || n >= 32) return 1;
  if (std::wcscmp(text, L"seh") == 0) RaiseAccessViolation();
  wchar_t* end = nullptr;
  const long state = std::wcstol(text, &end, 10);
  return end != text && *end == L'\0' ? static_cast<int>(state) : 1;
}

}  // extern "C"
