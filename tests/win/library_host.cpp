// A driver host in a folder of its own, for the library search test: loads
// monicore.dll from the path given, asks for the printer's status once through
// the one-shot query and once through a monitoring session, and writes what it
// got into the output file:
//   query <result of PrGetPrinterStatus2>
//   session <path of the BQAPI.DLL the session loaded, or "-"> <PrGetChannel's result>
// Usage: library_host MONICORE PRINTER DRIVER PORT MODEL OUTPUT
#include <windows.h>

#include <string>

#include "api/monicore.h"
#include "platform/handles.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 7) return 2;
  moni::Module core(LoadLibraryW(argv[1]));
  const auto query = moni::ProcAddress<decltype(&PrGetPrinterStatus2)>(core.get(), "PrGetPrinterStatus2");
  const auto release = moni::ProcAddress<decltype(&PrReleasePrinterStatus)>(core.get(), "PrReleasePrinterStatus");
  const auto start = moni::ProcAddress<decltype(&PrMonitoringStart)>(core.get(), "PrMonitoringStart");
  const auto getChannel = moni::ProcAddress<decltype(&PrGetChannel)>(core.get(), "PrGetChannel");
  const auto end = moni::ProcAddress<decltype(&PrMonitoringEnd)>(core.get(), "PrMonitoringEnd");
  if (!core || !query || !release || !start || !getChannel || !end) return 3;
  const wchar_t* printer = argv[2];

  BYTE* reply = nullptr;
  const int result = query(printer, &reply, nullptr);
  release(reply);
  std::wstring out = L"query " + std::to_wstring(result) + L"\r\n";

  start(nullptr, printer, argv[3], argv[4], argv[5], L"", L"", nullptr);
  wchar_t path[MAX_PATH] = L"-";
  if (const HMODULE library = GetModuleHandleW(L"BQAPI.DLL")) GetModuleFileNameW(library, path, MAX_PATH);
  DWORD channel = 0;
  const int got = getChannel(&channel);
  end();
  out += L"session " + std::wstring(path) + L" " + std::to_wstring(got) + L"\r\n";

  moni::KernelHandle file(CreateFileW(argv[6], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size() * sizeof(wchar_t)), &written, nullptr) ? 0 : 4;
}
