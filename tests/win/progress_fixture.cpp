#include "progress_fixture.h"

#include <algorithm>
#include <cstdio>

namespace moni::test {

std::vector<Received>* ProgressFixture::s_received = nullptr;
std::function<void(const Received&)>* ProgressFixture::s_onMessage = nullptr;

namespace {

LRESULT CALLBACK CollectProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PROGRESSIF_STATUS || message == WM_PROGRESSIF_WAIT || message == WM_PROGRESSIF_JOBFOUND) {
    const Received r{message, wParam, lParam};
    if (ProgressFixture::s_received) ProgressFixture::s_received->push_back(r);
    if (ProgressFixture::s_onMessage && *ProgressFixture::s_onMessage) (*ProgressFixture::s_onMessage)(r);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

constexpr wchar_t kClass[] = L"ProgressTestCollector";

}  // namespace

void ProgressFixture::SetUp() {
  s_received = &received;
  s_onMessage = &onMessage;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = CollectProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  window = CreateWindowW(kClass, L"collector", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  printer = L"Progress " + UniqueTestName();
  port = L"USB0" + std::to_wstring(GetCurrentProcessId() % 90 + 10);
  folder = TempFolder() + L"pgsim_" + UniqueTestName();
  CreateDirectoryW(folder.c_str(), nullptr);
  SetEnvironmentVariableW(L"PGSIM_DIR", folder.c_str());
  jobList = folder + L"\\jobs.ini";
  jobs = std::make_unique<JobList>(jobList);
  spooler::SetJobSource(jobs.get());
}

void ProgressFixture::TearDown() {
  if (window) DestroyWindow(window);
  s_received = nullptr;
  s_onMessage = nullptr;
  if (added) kit::DeletePrinter(printer);
  spooler::SetJobSource(nullptr);
  jobs.reset();
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (find) {
    do {
      DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(find.get(), &found));
  }
  find.reset();
  RemoveDirectoryW(folder.c_str());
}

void ProgressFixture::AddPrinter(const std::string& scenario) {
  ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, port));
  added = true;
  WriteJobScenario(printer, scenario);
}

void ProgressFixture::WriteJobScenario(const std::wstring& printerName, const std::string& scenario) {
  ASSERT_TRUE(WriteTextFile(folder + L"\\" + kit::ScenarioFileName(kit::kOpenByPrinter, printerName), scenario));
}

void ProgressFixture::SpoolerHasJob(const std::wstring& printerName, DWORD job, const wchar_t* dataType) {
  ASSERT_TRUE(WritePrivateProfileStringW(printerName.c_str(), std::to_wstring(job).c_str(), dataType, jobList.c_str()));
}

void ProgressFixture::SpoolerLosesJob(const std::wstring& printerName, DWORD job) {
  ASSERT_TRUE(WritePrivateProfileStringW(printerName.c_str(), std::to_wstring(job).c_str(), nullptr, jobList.c_str()));
}

CProgressMeter::Options ProgressFixture::FastOptions() {
  CProgressMeter::Options options;
  options.timing = {20, 20, 5, 20};
  return options;
}

bool ProgressFixture::PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

std::string ProgressFixture::Journal() const { return ReadFileBytes(folder + L"\\journal.log"); }

size_t ProgressFixture::JournalCount(const std::string& text) const {
  const std::string journal = Journal();
  size_t count = 0;
  for (size_t at = journal.find(text); at != std::string::npos; at = journal.find(text, at + 1)) ++count;
  return count;
}

std::vector<Received> ProgressFixture::MessagesOf(UINT message) const {
  std::vector<Received> out;
  std::copy_if(received.begin(), received.end(), std::back_inserter(out), [&](const Received& r) { return r.message == message; });
  return out;
}

std::string ProgressFixture::SetCall(DWORD libJob, DWORD info, DWORD value) const {
  std::string name;
  for (wchar_t c : printer) name += c == L' ' ? std::string("%20") : std::string(1, static_cast<char>(c));
  char text[64];
  snprintf(text, sizeof text, " 0x%08X %lu 0x%08X ", static_cast<unsigned>(libJob), static_cast<unsigned long>(info),
           static_cast<unsigned>(value));
  return "TLMA_SetJobInfo " + name + text;
}

}  // namespace moni::test

namespace moni::test {

void ProgressFixture::Attach(CProgressMeter& meter) const {
  meter.Initialize(printer, port);
  meter.SetParam(CProgressMeter::kNoticeWindow, reinterpret_cast<ULONG_PTR>(window));
}

}  // namespace moni::test
