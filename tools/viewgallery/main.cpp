// viewgallery [FOLDER]: pictures of the status window's views and the ink
// gauge (see view_gallery.h) into FOLDER (default: views\ beside the program).
#include <windows.h>

#include <cstdio>
#include <string>

#include "view_gallery.h"

int wmain(int argc, wchar_t** argv) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bin = self;
  bin = bin.substr(0, bin.find_last_of(L'\\') + 1);
  std::wstring out = argc > 1 ? argv[1] : bin + L"views";
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  CreateDirectoryW(out.c_str(), nullptr);
  auto report = [](const std::wstring& line) { std::fwprintf(stdout, L"%ls\n", line.c_str()); };
  const auto views = moni::gallery::RenderViews(bin, out, report);
  const auto gauges = moni::gallery::RenderGauges(bin, out, report);
  std::fwprintf(stdout, L"%d pictures, %zu failures\n", views.saved + gauges.saved, views.failures.size() + gauges.failures.size());
  return views.failures.empty() && gauges.failures.empty() ? 0 : 1;
}
