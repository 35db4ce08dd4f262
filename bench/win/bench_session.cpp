// Times the monitoring exports against the printer simulator, each beside its
// floor measured in the same run:
// - PrGetStatus in one session (channel open, a reply decoded and recorded per
//   call), beside the simulator's own BQGetStatus (size, then data) called
//   directly on an open channel of the same printer;
// - the one-shot PrGetPrinterStatus2 (library loaded and unloaded per call),
//   beside a bare LoadLibrary/FreeLibrary of the same communication library,
//   and beside the same load with the ten library calls of the query made
//   directly (what is left above it is the monitor's own work);
// - a session's start, channel and end, for the setup data it reads.
//
//   bench_session [N_STATUS [N_QUERY]]      defaults 200 and 50
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_printer.h"
#include "api/monicore.h"
#include "comm/bqapi.h"
#include "comm/bqapi_library.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/handles.h"

namespace {

constexpr char kScenario[] =
    "[Printer]\n"
    "DeviceID=MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;DES:TALMER SMP-100;\n"
    "Channels=0x10000005:0x0007,0x10010003:0x0003\n"
    "Advance=call\n"
    "AtEnd=wrap\n"
    "Reply1=40424443205354320D0A12000101040F0D0303015004025A05035501003C\n"
    "Reply2=40424443205354320D0A12000101030F0D0303014604025005034B010028\n"
    "Reply3=40424443205354320D0A15000101030F0D0303013C04024605034101000F040113\n";
constexpr std::uint32_t kStatusChannel = 0x10000005;

struct Timing {
  double mean = 0, median = 0;
};

Timing Summarise(std::vector<double> ms) {
  Timing t;
  if (ms.empty()) return t;
  for (double v : ms) t.mean += v;
  t.mean /= static_cast<double>(ms.size());
  std::sort(ms.begin(), ms.end());
  const size_t n = ms.size();
  t.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  return t;
}

void Report(const char* what, const std::vector<double>& ms) {
  const Timing t = Summarise(ms);
  std::printf("%-46s N=%-4zu mean %7.3f ms  median %7.3f ms\n", what, ms.size(), t.mean, t.median);
}

// Milliseconds a call takes.
class Stopwatch {
 public:
  Stopwatch() { QueryPerformanceFrequency(&m_frequency); }
  template <typename F>
  double Time(F&& f) const {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(m_frequency.QuadPart);
  }

 private:
  LARGE_INTEGER m_frequency;
};

// The communication library the sample driver names, from the system folder,
// with the exports the one-shot query binds.
class DirectLibrary {
 public:
  bool Load() {
    wchar_t system[MAX_PATH + 1] = {};
    GetSystemDirectoryW(system, MAX_PATH + 1);
    m_module.reset(LoadLibraryW((std::wstring(system) + L"\\BQAPI.DLL").c_str()));
    return m_module && api.Bind(m_module.get(), bqapi::Exports::kOneShot);
  }
  void Unload() {
    api = bqapi::Exports();
    m_module.reset();
  }
  bqapi::Exports api;

 private:
  moni::Module m_module;
};

// One size query and one data call, as the monitor asks every variable-sized
// answer of the library; true when the data call gave no failure.
template <typename Call>
bool SizeThenData(Call call, int success) {
  std::uint32_t size = 0;
  if (call(nullptr, &size) != bqapi::kNeedBuffer || size == 0) return false;
  std::vector<unsigned char> buffer(size + 1, 0);
  const int result = call(buffer.data(), &size);
  return success == 0 ? result == 0 : result > 0;
}

// The library loaded and unloaded, nothing called.
bool TimeBareLoad(int calls, const Stopwatch& clock, std::vector<double>& ms) {
  bool ok = true;
  for (int i = 0; ok && i < calls; ++i)
    ms.push_back(clock.Time([&] {
      DirectLibrary library;
      ok = library.Load();
    }));
  return ok;
}

// The library calls of one one-shot query, made directly: initialise, device
// identifier, channel list, open, status, close, release.
bool TimeDirectQuery(const std::string& name, int calls, const Stopwatch& clock, std::vector<double>& ms) {
  bool ok = true;
  for (int i = 0; ok && i < calls; ++i)
    ms.push_back(clock.Time([&] {
      DirectLibrary library;
      if (!library.Load() || library.api.BQInitialize() != 0) {
        ok = false;
        return;
      }
      const bqapi::Exports& api = library.api;
      ok = SizeThenData([&](unsigned char* b, std::uint32_t* s) {
             return api.BQGetDeviceID(bqapi::kOpenByPrinter, name.c_str(), reinterpret_cast<char*>(b), s);
           }, 0) &&
           SizeThenData([&](unsigned char* b, std::uint32_t* s) {
             return api.BQGetAvailableChannel(bqapi::kOpenByPrinter, name.c_str(), b, s);
           }, 1);
      const int handle = ok ? api.BQOpenChannel(bqapi::kOpenByPrinter, name.c_str(), kStatusChannel) : 0;
      ok = ok && handle > 0 && SizeThenData([&](unsigned char* b, std::uint32_t* s) { return api.BQGetStatus(handle, b, s); }, 1);
      if (handle > 0) api.BQCloseChannel(handle);
      api.BQRelease();
    }));
  return ok;
}

// The simulator's BQGetStatus, size then data, on a channel of the printer
// opened here.
bool TimeDirectStatus(const std::string& name, int calls, const Stopwatch& clock, std::vector<double>& ms) {
  DirectLibrary library;
  if (!library.Load() || library.api.BQInitialize() != 0) return false;
  const bqapi::Exports& api = library.api;
  const int handle = api.BQOpenChannel(bqapi::kOpenByPrinter, name.c_str(), kStatusChannel);
  bool ok = handle > 0;
  for (int i = 0; ok && i < calls; ++i)
    ms.push_back(clock.Time(
        [&] { ok = SizeThenData([&](unsigned char* b, std::uint32_t* s) { return api.BQGetStatus(handle, b, s); }, 1); }));
  if (handle > 0) api.BQCloseChannel(handle);
  api.BQRelease();
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int statusCalls = argc > 1 ? _wtoi(argv[1]) : 200;
  const int queryCalls = argc > 2 ? _wtoi(argv[2]) : 50;
  if (statusCalls < 1 || queryCalls < 1) {
    std::fprintf(stderr, "usage: bench_session [N_STATUS [N_QUERY]]\n");
    return 2;
  }

  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  const std::wstring folder = moni::kit::MakeScenarioFolder(std::wstring(temp) + L"bqsim_bench_" + suffix);
  const std::wstring printer = L"Bench Session " + suffix;
  const std::string ansiName(printer.begin(), printer.end());  // the name is ASCII
  const wchar_t* port = L"LPT1:";

  int rc = 1;
  if (!moni::kit::AddPrinter(printer, moni::kit::kDriver, port) ||
      !moni::kit::WriteScenario(moni::kit::kOpenByPrinter, printer, kScenario)) {
    std::fprintf(stderr, "bench_session: cannot make the printer\n");
  } else {
    moni::Module lib(LoadLibraryW(L"monicore.dll"));
    auto start = moni::ProcAddress<decltype(&PrMonitoringStart)>(lib.get(), "PrMonitoringStart");
    auto getChannel = moni::ProcAddress<decltype(&PrGetChannel)>(lib.get(), "PrGetChannel");
    auto getStatus = moni::ProcAddress<decltype(&PrGetStatus)>(lib.get(), "PrGetStatus");
    auto end = moni::ProcAddress<decltype(&PrMonitoringEnd)>(lib.get(), "PrMonitoringEnd");
    auto query = moni::ProcAddress<decltype(&PrGetPrinterStatus2)>(lib.get(), "PrGetPrinterStatus2");
    auto release = moni::ProcAddress<decltype(&PrReleasePrinterStatus)>(lib.get(), "PrReleasePrinterStatus");
    const Stopwatch clock;
    const auto startSession = [&] {
      return start(nullptr, printer.c_str(), moni::kit::kDriver, port, moni::kit::kModelID, L"", L"", nullptr) == 0 &&
             getChannel(nullptr) == 0;
    };

    if (!start || !getChannel || !getStatus || !end || !query || !release) {
      std::fprintf(stderr, "bench_session: monicore.dll not found or incomplete\n");
    } else if (!startSession()) {
      std::fprintf(stderr, "bench_session: the session did not start\n");
      end();
    } else {
      std::vector<double> statusMs, directStatusMs, queryMs, loadMs, directQueryMs, sessionMs;
      int failures = 0;
      for (int i = 0; i < statusCalls; ++i) {
        int popup = 0, sound = 0, printing = 0, real = 0, simple = 0, result = 0;
        statusMs.push_back(clock.Time([&] { result = getStatus(0, &popup, &sound, &printing, &real, &simple); }));
        if (result != 1 || real == 0) ++failures;
      }
      end();
      for (int i = 0; i < queryCalls; ++i) {
        BYTE* reply = nullptr;
        int result = 0;
        queryMs.push_back(clock.Time([&] { result = query(printer.c_str(), &reply, nullptr); }));
        release(reply);
        if (result <= 0) ++failures;
      }
      for (int i = 0; i < queryCalls; ++i) {
        bool started = false;
        sessionMs.push_back(clock.Time([&] {
          started = startSession();
          end();
        }));
        if (!started) ++failures;
      }
      if (!TimeDirectStatus(ansiName, statusCalls, clock, directStatusMs)) ++failures;
      if (!TimeBareLoad(queryCalls, clock, loadMs)) ++failures;
      if (!TimeDirectQuery(ansiName, queryCalls, clock, directQueryMs)) ++failures;
      Report("PrGetStatus (one session)", statusMs);
      Report("  floor: BQGetStatus of the simulator", directStatusMs);
      Report("PrGetPrinterStatus2 (one-shot)", queryMs);
      Report("  floor: LoadLibrary/FreeLibrary BQAPI.DLL", loadMs);
      Report("  the same with the query's 10 library calls", directQueryMs);
      Report("PrMonitoringStart, PrGetChannel, ...End", sessionMs);
      std::printf("failed calls: %d\n", failures);
      rc = failures == 0 ? 0 : 1;
    }
  }
  moni::bench::RemoveTargetKeys(printer);
  moni::kit::DeletePrinter(printer);
  moni::kit::RemoveScenarioFolder(folder);
  return rc;
}
