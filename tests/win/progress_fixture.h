// What the progress meter tests share: a printer of the test's own with a job
// scenario for the progress library stand-in, the spooler's job list for it,
// a real window that collects the meter's messages, and the stand-in's journal.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "job_list.h"
#include "kit.h"
#include "platform/spooler.h"
#include "test_support.h"
#include "ui/progress/progress_meter.h"

namespace moni::test {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class ProgressFixture : public ::testing::Test {
 public:
  // The collecting window's view of the running test.
  static std::vector<Received>* s_received;
  static std::function<void(const Received&)>* s_onMessage;

 protected:
  void SetUp() override;
  void TearDown() override;

  // Adds the printer (sample driver) and writes its job scenario.
  void AddPrinter(const std::string& scenario);
  void WriteJobScenario(const std::wstring& printerName, const std::string& scenario);
  // The spooler's job list of a printer: job id and data type.
  void SpoolerHasJob(const std::wstring& printerName, DWORD job, const wchar_t* dataType = L"RAW");
  void SpoolerLosesJob(const std::wstring& printerName, DWORD job);

  // Short periods, so that a test takes well under a second per job.
  static CProgressMeter::Options FastOptions();
  // Points the meter at the test printer and at the collecting window.
  void Attach(CProgressMeter& meter) const;

  // Dispatches messages until `done` holds or `ms` have passed; true when it held.
  bool PumpUntil(const std::function<bool()>& done, DWORD ms = 10000);
  std::string Journal() const;
  size_t JournalCount(const std::string& text) const;
  std::vector<Received> MessagesOf(UINT message) const;
  // The journal's text of a set call on the printer: "TLMA_SetJobInfo <printer> <job> <info> <value> ".
  std::string SetCall(DWORD libJob, DWORD info, DWORD value) const;

  std::wstring printer, port, folder, jobList;
  std::unique_ptr<JobList> jobs;  // answers this program's job queries
  HWND window = nullptr;
  bool added = false;
  std::vector<Received> received;
  std::function<void(const Received&)> onMessage;
};

}  // namespace moni::test
