// Times one registration of a tray program into the sample driver's monitor
// map when it already holds 498 keys: MultiExecuteCheck (section name from the
// driver's setup data, section opened, table walked, record claimed) and the
// release after it.
//
//   bench_monitor_map [N]      default 200
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/monitor_map.h"
#include "kit.h"

int wmain(int argc, wchar_t** argv) {
  const int calls = argc > 1 ? _wtoi(argv[1]) : 200;
  if (calls < 1) {
    std::fprintf(stderr, "usage: bench_monitor_map [N]\n");
    return 2;
  }
  const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  const std::wstring printer = L"Bench Map " + suffix;
  if (!moni::kit::AddPrinter(printer, moni::kit::kDriver, L"USB001")) {
    std::fprintf(stderr, "bench_monitor_map: cannot make the printer\n");
    return 1;
  }
  std::wstring name;
  GetMapFileName(printer, name);
  moni::KernelHandle section = moni::monitormap::CreateOrOpenSection(name);
  HWND holder = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::vector<std::wstring> keys;
  HWND other = nullptr;
  while (keys.size() < 498) {
    const std::wstring key = L"Bench Key " + std::to_wstring(keys.size()) + L" " + suffix;
    if (CheckMapPrinter(section.get(), key, 3, holder, &other) != 0) break;
    keys.push_back(key);
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  int failures = 0;
  for (int i = 0; i < calls && keys.size() == 498; ++i) {
    moni::KernelHandle held;
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    const int result = MultiExecuteCheck(printer, L"", 3, holder, &other, held);
    ReleaseMapPrinter(held.get(), printer, L"", 3);
    QueryPerformanceCounter(&b);
    if (result != 0) ++failures;
    ms.push_back(static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart));
  }
  int rc = 1;
  if (keys.size() != 498) {
    std::fprintf(stderr, "bench_monitor_map: the map holds other keys (%zu free)\n", keys.size());
  } else {
    std::sort(ms.begin(), ms.end());
    double mean = 0;
    for (double v : ms) mean += v;
    mean /= static_cast<double>(ms.size());
    std::printf("MultiExecuteCheck + ReleaseMapPrinter, 498 keys held  N=%d  mean %.3f ms  median %.3f ms\n", calls,
                mean, ms[ms.size() / 2]);
    std::printf("failed calls: %d\n", failures);
    rc = failures == 0 ? 0 : 1;
  }
  for (const std::wstring& key : keys) ReleaseMapPrinter(section.get(), key, L"", 3);
  DestroyWindow(holder);
  moni::kit::DeletePrinter(printer);
  return rc;
}
