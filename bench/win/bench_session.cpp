// Times the monitoring exports against the printer simulator: PrGetStatus in
// one session (channel open, a reply decoded and recorded per call) and the
// one-shot PrGetPrinterStatus (library loaded and unloaded per call).
//
//   bench_session [N_STATUS [N_QUERY]]      defaults 200 and 50
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "api/monicore.h"
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

void RemoveTargetKeys(const std::wstring& printer) {
  std::wstring path;
  while (GetTargetPrnKey(printer, false, path) == 0) {
    CRegistryKey parent;
    if (!parent.Open(HKEY_CURRENT_USER, moni::targetkeys::ParentPath(false), false, KEY_ALL_ACCESS) ||
        !parent.DeleteTree(path.substr(path.rfind(L'\\') + 1)))
      return;
  }
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
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    auto elapsedMs = [&](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
      return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    };

    if (!start || !getChannel || !getStatus || !end || !query || !release) {
      std::fprintf(stderr, "bench_session: monicore.dll not found or incomplete\n");
    } else if (start(nullptr, printer.c_str(), moni::kit::kDriver, port, moni::kit::kModelID, L"", L"", nullptr) != 0 ||
               getChannel(nullptr) != 0) {
      std::fprintf(stderr, "bench_session: the session did not start\n");
      end();
    } else {
      std::vector<double> statusMs, queryMs;
      int failures = 0;
      for (int i = 0; i < statusCalls; ++i) {
        int popup = 0, sound = 0, printing = 0, real = 0, simple = 0;
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        const int result = getStatus(0, &popup, &sound, &printing, &real, &simple);
        QueryPerformanceCounter(&b);
        if (result != 1 || real == 0) ++failures;
        statusMs.push_back(elapsedMs(a, b));
      }
      end();
      for (int i = 0; i < queryCalls; ++i) {
        BYTE* reply = nullptr;
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        const int result = query(printer.c_str(), &reply, nullptr);
        QueryPerformanceCounter(&b);
        release(reply);
        if (result <= 0) ++failures;
        queryMs.push_back(elapsedMs(a, b));
      }
      const Timing s = Summarise(statusMs), q = Summarise(queryMs);
      std::printf("PrGetStatus (one session)       N=%d  mean %.3f ms  median %.3f ms\n", statusCalls, s.mean, s.median);
      std::printf("PrGetPrinterStatus2 (one-shot)  N=%d  mean %.3f ms  median %.3f ms\n", queryCalls, q.mean, q.median);
      std::printf("failed calls: %d\n", failures);
      rc = failures == 0 ? 0 : 1;
    }
  }
  RemoveTargetKeys(printer);
  moni::kit::DeletePrinter(printer);
  moni::kit::RemoveScenarioFolder(folder);
  return rc;
}
