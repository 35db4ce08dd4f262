// monictl watch: a monitoring session over monicore.dll, run the way a
// printer-driver host runs it: defaults, start, status channel, model check,
// timer value, then one status poll per interval until the poll count is
// reached or Ctrl+C is pressed; the session is always ended.
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "api/monicore.h"
#include "commands.h"
#include "foundation/base_info.h"
#include "foundation/target_keys.h"
#include "platform/handles.h"
#include "platform/spooler.h"
#include "status/status_decode.h"

namespace monictl {

namespace {

// What a real status number means, in words. Real status 0 comes with a
// result of 1 when no reply could be read (the simple status then tells why).
const char* RealMeaning(int real) {
  switch (real) {
    case 1: return "ready";
    case 2: return "ink out";
    case 5: return "the printer needs service";
    case 6: return "paper out";
    case 9: return "printer error";
    case 10: return "cleaning the print head";
    case 11: return "busy";
    case 14: return "general error: turn the printer off and on";
    case 16: return "cover open";
    case 17: return "printing";
    case 18: return "paper not loaded correctly";
    case 19: return "cartridge missing or not recognised";
    case 20: return "ink low";
    case 21: return "no reply from the printer";
    case 22: return "communication error";
    case 25: return "cartridges need checking";
    case 30: return "paper loaded the wrong way";
    case 31: return "paper size does not match the settings";
    case 32: return "a part is near the end of its service life";
    case 57: return "cartridge must be replaced";
    case 58: return "cooling down";
    case 59: return "printer offline";
    case 1000: return "searching for the printer";
    default: return nullptr;
  }
}

// Without a reply (real status 0) the simple status is that of the error
// status the library chose.
const char* NoReplyMeaning(int simple) {
  switch (simple) {
    case 11: return "no reply from the printer";
    case 14: return "communication error";
    case 12: return "printer offline or cover open";
    default: return "no status";
  }
}

const char* InkColour(unsigned code) {
  switch (code) {
    case 0x01: return "black";
    case 0x03: return "cyan";
    case 0x04: return "magenta";
    case 0x05: return "yellow";
    default: return nullptr;
  }
}

const char* InkLetter(unsigned code) {
  switch (code) {
    case 0x01: return "K";
    case 0x03: return "C";
    case 0x04: return "M";
    case 0x05: return "Y";
    default: return nullptr;
  }
}

// --- the exports, typed after monicore.h ----------------------------------

template <typename F>
F Proc(HMODULE lib, const char* name) {
  return moni::ProcAddress<F>(lib, name);
}

struct Exports {
  decltype(&PrSetRegDefaultValue) setRegDefaultValue = nullptr;
  decltype(&PrMonitoringStart) monitoringStart = nullptr;
  decltype(&PrGetChannel) getChannel = nullptr;
  decltype(&PrCheckModelID) checkModelId = nullptr;
  decltype(&PrGetTimerValue) getTimerValue = nullptr;
  decltype(&PrGetStatus) getStatus = nullptr;
  decltype(&PrMonitoringEnd) monitoringEnd = nullptr;

  bool Load(HMODULE lib) {
    setRegDefaultValue = Proc<decltype(setRegDefaultValue)>(lib, "PrSetRegDefaultValue");
    monitoringStart = Proc<decltype(monitoringStart)>(lib, "PrMonitoringStart");
    getChannel = Proc<decltype(getChannel)>(lib, "PrGetChannel");
    checkModelId = Proc<decltype(checkModelId)>(lib, "PrCheckModelID");
    getTimerValue = Proc<decltype(getTimerValue)>(lib, "PrGetTimerValue");
    getStatus = Proc<decltype(getStatus)>(lib, "PrGetStatus");
    monitoringEnd = Proc<decltype(monitoringEnd)>(lib, "PrMonitoringEnd");
    return setRegDefaultValue && monitoringStart && getChannel && checkModelId && getTimerValue && getStatus && monitoringEnd;
  }
};

// --- Ctrl+C -----------------------------------------------------------------

std::atomic<bool> g_stop{false};
std::atomic<HANDLE> g_stopEvent{nullptr};

BOOL WINAPI OnConsoleCtrl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
  g_stop = true;
  if (HANDLE event = g_stopEvent.load()) SetEvent(event);
  return TRUE;
}

// Installs the handler for its lifetime; the handler signals `event`.
class CtrlCGuard {
 public:
  explicit CtrlCGuard(HANDLE event) {
    g_stop = false;
    g_stopEvent = event;
    m_installed = SetConsoleCtrlHandler(OnConsoleCtrl, TRUE) != FALSE;
  }
  ~CtrlCGuard() {
    if (m_installed) SetConsoleCtrlHandler(OnConsoleCtrl, FALSE);
    g_stopEvent = nullptr;
  }
  CtrlCGuard(const CtrlCGuard&) = delete;
  CtrlCGuard& operator=(const CtrlCGuard&) = delete;

 private:
  bool m_installed = false;
};

// The session ends however the watch ends once it was started.
class SessionEnd {
 public:
  explicit SessionEnd(decltype(&PrMonitoringEnd) end) : m_end(end) {}
  ~SessionEnd() { m_end(); }
  SessionEnd(const SessionEnd&) = delete;
  SessionEnd& operator=(const SessionEnd&) = delete;

 private:
  decltype(&PrMonitoringEnd) m_end;
};

// --- one poll ---------------------------------------------------------------

struct Poll {
  int result = 0;
  int real = 0;
  int simple = 0;
  int popup = 0;
  int sound = 0;
  int printing = 0;
  bool haveRecord = false;
  moni::status::StatusBuff record{};
};

// The raw reply the library stored under the printer's target key.
bool ReadStoredReply(const std::wstring& keyPath, std::vector<BYTE>& reply) {
  reply.clear();
  moni::RegKey key;
  if (keyPath.empty() || RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), L"Status", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY || size == 0 ||
      size > 65536)
    return false;
  reply.resize(size);
  if (RegQueryValueExW(key.get(), L"Status", nullptr, &type, reply.data(), &size) != ERROR_SUCCESS || type != REG_BINARY) {
    reply.clear();
    return false;
  }
  reply.resize(size);
  return true;
}

std::string LocalTime() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[16];
  snprintf(text, sizeof text, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
  return text;
}

std::string InkValue(std::uint8_t v) {
  switch (v) {
    case 0xFF: return "n/a";
    case 0xFE: return "replace";
    case 0xFD: return "?";
    default: return std::to_string(v) + "%";
  }
}

std::string InkText(const Poll& p) {
  if (!p.haveRecord || p.record.byInkCount == 0) return "-";
  std::string out;
  for (unsigned i = 0; i < p.record.byInkCount && i < 10; ++i) {
    const unsigned code = p.record.awInkCode[i];
    char name[16];
    if (const char* letter = InkLetter(code)) snprintf(name, sizeof name, "%s", letter);
    else snprintf(name, sizeof name, "ink 0x%02X", code);
    out += (i ? " " : "") + std::string(name) + " " + InkValue(p.record.abyInkRemain[i]);
  }
  return out;
}

std::string InkJson(const Poll& p) {
  std::string out = "[";
  for (unsigned i = 0; p.haveRecord && i < p.record.byInkCount && i < 10; ++i)
    out += (i ? "," : "") + std::to_string(p.record.abyInkRemain[i]);
  return out + "]";
}

// The inks a status is about (ink low, ink out, ...), as the status message
// lists them: "black", "cyan and black", or empty.
std::string ConcernedInks(const Poll& p) {
  namespace st = moni::status;
  if (!p.haveRecord) return {};
  const int row = st::SearchStatusInfo(1, p.real);
  if (row < 0) return {};
  const int text = st::StatusInfoAt(row).text2;
  if (!st::IsInkListMessage(text)) return {};
  const unsigned slots = st::ConcernedInkSlots(text, st::InkStateBits(p.record), st::WarningBits(p.record));
  std::vector<std::string> names;
  for (unsigned i = 0; i < 4 && i < p.record.byInkCount; ++i) {
    if (!(slots & (1u << i))) continue;
    const char* colour = InkColour(p.record.awInkCode[i]);
    names.push_back(colour ? colour : "ink " + std::to_string(i + 1));
  }
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return out;
}

std::string Meaning(const Poll& p) {
  if (p.result == 0) return "the printer gave no status";
  if (p.result < 0) return "the status could not be read";
  if (p.real == 0) return NoReplyMeaning(p.simple);
  if (p.real == 11 && p.haveRecord && p.record.byState == 3) return "printing";
  const char* text = RealMeaning(p.real);
  if (!text) return "status " + std::to_string(p.real);
  const std::string inks = ConcernedInks(p);
  // A warning while the printer prints (state 3): it goes on printing.
  const std::string printing = p.haveRecord && p.record.byState == 3 ? "printing, " : "";
  return printing + (inks.empty() ? text : std::string(text) + ": " + inks);
}

void PrintPoll(const Poll& p, bool json) {
  if (json) {
    printf("{\"time\":\"%s\",\"result\":%d,\"real\":%d,\"simple\":%d,\"popup\":%d,\"sound\":%d,\"printing\":%d,\"inks\":%s}\n",
           LocalTime().c_str(), p.result, p.real, p.simple, p.popup, p.sound, p.printing, InkJson(p).c_str());
  } else {
    const char* popup = p.popup ? (p.sound ? "yes, with sound" : "yes, silent") : "no";
    printf("%s  %-30s %4d  %6d  %-15s  %s\n", LocalTime().c_str(), Meaning(p).c_str(), p.real, p.simple, popup,
           InkText(p).c_str());
  }
  fflush(stdout);
}

// --- arguments --------------------------------------------------------------

struct Options {
  std::wstring printer;
  long long count = 0;  // 0: until Ctrl+C
  double interval = 0;  // seconds; 0: the library's timer value
  bool json = false;
};

bool ParseCount(const std::wstring& text, long long& out) {
  wchar_t* end = nullptr;
  errno = 0;
  const long long v = std::wcstoll(text.c_str(), &end, 10);
  if (text.empty() || errno || !end || *end || v < 1 || v > INT_MAX) return false;
  out = v;
  return true;
}

bool ParseInterval(const std::wstring& text, double& out) {
  wchar_t* end = nullptr;
  errno = 0;
  const double v = std::wcstod(text.c_str(), &end);
  if (text.empty() || errno || !end || *end || !std::isfinite(v) || v < 0.01 || v > 86400) return false;
  out = v;
  return true;
}

int ParseOptions(const Args& args, Options& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == L"--json") o.json = true;
    else if (arg == L"--count") {
      if (!hasValue || !ParseCount(args[++i], o.count)) return UsageError("watch: --count takes a number of polls (1 or more)");
    } else if (arg == L"--interval") {
      if (!hasValue || !ParseInterval(args[++i], o.interval))
        return UsageError("watch: --interval takes seconds (0.01 to 86400, fractions allowed)");
    } else if (arg.size() > 1 && arg[0] == L'-') return UsageError("watch: unknown option");
    else if (o.printer.empty()) o.printer = arg;
    else return UsageError("watch takes one printer name");
  }
  if (o.printer.empty()) return UsageError("watch: which printer?");
  return 0;
}

int CannotStart(const std::string& message) {
  fprintf(stderr, "monictl: watch: %s\n", message.c_str());
  return 1;
}

}  // namespace

int CmdWatch(const Args& args) {
  Options o;
  if (const int usage = ParseOptions(args, o)) return usage;

  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  if (!lib) return CannotStart("monicore.dll could not be loaded (error " + std::to_string(GetLastError()) + ")");
  Exports pr;
  if (!pr.Load(lib.get())) return CannotStart("monicore.dll lacks a session export (see \"monictl exports\")");

  std::wstring driver, port;
  if (!moni::spooler::GetPrinterDriverAndPort(o.printer, driver, port))
    return CannotStart("no printer \"" + Utf8(o.printer) + "\" (see \"monictl printers\")");
  const std::wstring model = GetModelIdFromDriver(o.printer, driver);
  if (model.empty())
    return CannotStart("the driver \"" + Utf8(driver) + "\" names no model identifier in its setup data: not a monitored printer");

  if (!o.json) {
    printf("printer   %s\n", Utf8(o.printer).c_str());
    printf("driver    %s\n", Utf8(driver).c_str());
    printf("port      %s\n", Utf8(port).c_str());
    printf("model     %s (from the driver's setup data)\n", Utf8(model).c_str());
    fflush(stdout);
  }

  const int defaults = pr.setRegDefaultValue(o.printer.c_str(), driver.c_str(), port.c_str(), model.c_str(), L"");
  if (defaults == 4)
    fprintf(stderr, "monictl: watch: note: the printer's settings were written, but not its notification defaults\n");
  else if (defaults != 0)
    fprintf(stderr, "monictl: watch: note: the printer's default settings could not be written (%d)\n", defaults);

  const int started = pr.monitoringStart(nullptr, o.printer.c_str(), driver.c_str(), port.c_str(), model.c_str(), L"", L"", nullptr);
  SessionEnd end(pr.monitoringEnd);  // the session reference is taken even when the start fails
  if (started != 0)
    return CannotStart("the monitoring session could not be started (the driver's files or the communication library are missing?)");

  DWORD channel = 0;
  if (pr.getChannel(&channel) != 0)
    return CannotStart(channel ? "the status channel could not be opened" : "the printer offers no status channel");

  const int modelCheck = pr.checkModelId();
  int network = 0;
  const int timer = pr.getTimerValue(channel, &network);
  double interval = o.interval;
  const char* intervalSource = "--interval";
  if (interval <= 0) {
    interval = timer > 0 ? timer : 5;
    intervalSource = timer > 0 ? "the driver's timer value" : "no timer value from the driver: a default";
  }

  if (!o.json) {
    printf("channel   0x%08X (%s)\n", static_cast<unsigned>(channel), network ? "network" : "local");
    printf("check     %s\n", modelCheck == 1   ? "the printer reports this model"
                             : modelCheck == 2 ? "WARNING: the printer reports another model"
                                               : "the printer does not say which model it is");
    printf("interval  %g s (%s)\n", interval, intervalSource);
    printf("polls     %s\n\n", o.count ? std::to_string(o.count).c_str() : "until Ctrl+C");
    printf("real: the printer's exact condition; simple: the class a driver host is given;\n"
           "pop-up: what the user's notification settings ask the host to show\n\n");
    printf("time      status                         real  simple  pop-up           ink left\n");
    fflush(stdout);
  } else if (modelCheck == 2) {
    fprintf(stderr, "monictl: watch: the printer reports another model than its driver's\n");
  }

  std::wstring keyPath;
  moni::KernelHandle stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stopEvent) return CannotStart("no event for the poll timer (error " + std::to_string(GetLastError()) + ")");
  CtrlCGuard ctrlC(stopEvent.get());
  const DWORD waitMs = static_cast<DWORD>(std::lround(interval * 1000.0));

  for (long long n = 1; !g_stop; ++n) {
    Poll p;
    p.result = pr.getStatus(-1, &p.popup, &p.sound, &p.printing, &p.real, &p.simple);
    if (p.result == 1 && p.real != 0) {
      if (keyPath.empty()) GetTargetPrnKey(o.printer, false, keyPath);
      std::vector<BYTE> reply;
      p.haveRecord = ReadStoredReply(keyPath, reply) && moni::status::ConvertStatusInfo(reply.data(), reply.size(), p.record);
    }
    PrintPoll(p, o.json);
    if (o.count && n >= o.count) break;
    WaitForSingleObject(stopEvent.get(), waitMs);
  }
  if (g_stop && !o.json) printf("stopped (Ctrl+C)\n");
  return 0;
}

}  // namespace monictl
