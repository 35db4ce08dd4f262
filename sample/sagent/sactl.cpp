// Stand-in for a driver's status-agent control library (BQSACTL.DLL). The
// agent it controls is pretend.
//
// CheckSAgent reports the state that the host process's environment variable
// BQSACTL_STATE holds (a number; "seh" raises an access violation; unset or not
// a number: 1, running). InstallSAgent, StartSAgent and UninstallSAgent succeed
// (0) without doing anything.
//
// Shared-printer monitoring, per driver, from the section named after the
// driver in sagent.ini of the simulator's scenario folder (sample/README.md):
//   Possible=1   CanSAgentShare's answer (default 1)
//   Share=0      the setting GetSAgentShare reports (default 0)
//   Switch=ok    what SetSAgentShare does: "ok" sets Share, "fail" returns -1
//                and changes nothing, "seh" raises an access violation
//   SwitchMs=0   how long SetSAgentShare takes before it does it
// Each SetSAgentShare appends "<pid> SetSAgentShare <on> <driver> <result>" to
// journal.log in the same folder.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "scenario_folder.h"

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

bool Named(const wchar_t* driverName) { return driverName != nullptr && driverName[0] != L'\0'; }

std::wstring AgentFile() { return bqsim::Join(bqsim::ScenarioFolder(), L"sagent.ini"); }

int ReadInt(const wchar_t* driverName, const wchar_t* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntW(driverName, key, fallback, AgentFile().c_str()));
}

std::wstring ReadText(const wchar_t* driverName, const wchar_t* key, const wchar_t* fallback) {
  wchar_t text[64] = {};
  GetPrivateProfileStringW(driverName, key, fallback, text, 64, AgentFile().c_str());
  return text;
}

void Journal(int on, const wchar_t* driverName, int result) {
  std::string driver;
  for (const wchar_t* p = driverName; *p; ++p) driver.push_back(*p < 0x80 ? static_cast<char>(*p) : '?');
  const std::string line = std::to_string(GetCurrentProcessId()) + " SetSAgentShare " + std::to_string(on) + " " + driver + " " +
                           std::to_string(result) + "\r\n";
  bqsim::AppendToFolderFile(L"journal.log", line);
}

}  // namespace

extern "C" {

int InstallSAgent(const wchar_t* /*driverName*/) { return 0; }
int StartSAgent(const wchar_t* /*driverName*/) { return 0; }
int UninstallSAgent(const wchar_t* /*driverName*/) { return 0; }

int CheckSAgent(const wchar_t* driverName) {
  if (!Named(driverName)) return -1;
  wchar_t text[32] = {};
  const DWORD n = GetEnvironmentVariableW(L"BQSACTL_STATE", text, 32);
  if (n == 0 || n >= 32) return 1;
  if (std::wcscmp(text, L"seh") == 0) RaiseAccessViolation();
  wchar_t* end = nullptr;
  const long state = std::wcstol(text, &end, 10);
  return end != text && *end == L'\0' ? static_cast<int>(state) : 1;
}

int CanSAgentShare(const wchar_t* driverName) {
  if (!Named(driverName)) return -1;
  return ReadInt(driverName, L"Possible", 1) != 0 ? 1 : 0;
}

int GetSAgentShare(const wchar_t* driverName) {
  if (!Named(driverName)) return -1;
  return ReadInt(driverName, L"Share", 0) != 0 ? 1 : 0;
}

int SetSAgentShare(const wchar_t* driverName, int on) {
  if (!Named(driverName)) return -1;
  const int delay = ReadInt(driverName, L"SwitchMs", 0);
  if (delay > 0) Sleep(static_cast<DWORD>(delay));
  const std::wstring how = ReadText(driverName, L"Switch", L"ok");
  if (how == L"seh") {
    Journal(on, driverName, -99);
    RaiseAccessViolation();
  }
  int result = -1;
  if (how == L"ok") {
    result = WritePrivateProfileStringW(driverName, L"Share", on ? L"1" : L"0", AgentFile().c_str()) ? 0 : -1;
  }
  Journal(on, driverName, result);
  return result;
}

}  // extern "C"
