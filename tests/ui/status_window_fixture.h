// What the status window's tests share: sample replies, the request a driver
// hands over for a job, the window's export on a thread of its own, and a
// fixture with a printer of the test's own, its scenario folder and a job
// folder that the progress library stand-in and the test's job list read.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "api/start_view.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "foundation/request_block.h"
#include "foundation/target_keys.h"
#include "job_list.h"
#include "kit.h"
#include "platform/spooler.h"
#include "window_support.h"

namespace moni::test {

// Status replies of the sample model: the fields after the header, in hex.
inline constexpr char kInks[] = "0F0D03" "030150" "04025A" "050355" "01003C";
inline const std::string kReady = std::string("010104") + kInks;  // status 1

// The whole reply ("@BDC ST2" and the field area's length) for the fields.
inline std::vector<BYTE> Reply(const std::string& fields) {
  std::vector<BYTE> reply = {'@', 'B', 'D', 'C', ' ', 'S', 'T', '2', '\r', '\n', 0, 0};
  for (size_t i = 0; i + 1 < fields.size(); i += 2)
    reply.push_back(static_cast<BYTE>(std::strtoul(fields.substr(i, 2).c_str(), nullptr, 16)));
  reply[10] = static_cast<BYTE>((reply.size() - 12) & 0xFF);
  reply[11] = static_cast<BYTE>((reply.size() - 12) >> 8);
  return reply;
}
inline std::string Hex(const std::vector<BYTE>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (BYTE b : bytes) out += std::string{digits[b >> 4], digits[b & 15]};
  return out;
}

// The request a driver hands over for a job: its id and option.
inline std::vector<std::uint8_t> JobBlock(DWORD job, DWORD option = 1) {
  return request::WriteBlock({{request::kKeyJobId, std::to_string(job) + std::string(1, '\0')},
                              {request::kKeyOption, std::to_string(option) + std::string(1, '\0')}});
}

// A window's export on a thread of its own; a window still open when the
// test leaves (a failed check) is ended as on suspend, whatever its type.
class ViewThread : public DialogThread {
 public:
  using DialogThread::DialogThread;
  ~ViewThread() {
    if (Finish(0)) return;
    if (HWND window = picture::DialogOfThread(id())) PostMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    Finish(10000);
  }
};

class StatusWindowFixture : public ::testing::Test {
 protected:
  // The printer "<namePrefix><test name>" on a port "<portPrefix>NN" of its own.
  void Prepare(const std::wstring& namePrefix, const std::wstring& portPrefix) {
    folder = kit::MakeScenarioFolder(TempFolder() + L"bqsim_" + UniqueTestName());
    jobFolder = TempFolder() + L"pgsim_" + UniqueTestName();
    CreateDirectoryW(jobFolder.c_str(), nullptr);
    SetEnvironmentVariableW(L"PGSIM_DIR", jobFolder.c_str());
    jobs = std::make_unique<JobList>(jobFolder + L"\\jobs.ini");
    spooler::SetJobSource(jobs.get());
    printer = namePrefix + UniqueTestName();
    port = portPrefix + std::to_wstring(GetCurrentProcessId() % 90 + 10);
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, port));
  }
  void TearDown() override {
    spooler::SetJobSource(nullptr);
    jobs.reset();
    RemoveTargetKeysOf(printer);
    kit::DeletePrinter(printer);
    SetEnvironmentVariableW(L"PGSIM_DIR", nullptr);
    kit::RemoveScenarioFolder(folder);
    kit::RemoveScenarioFolder(jobFolder);
  }

  std::wstring PrinterKey() const {
    std::wstring path;
    return GetTargetPrnKey(printer, false, path) == 0 ? path : std::wstring();
  }
  // The printer's key with its defaults, as the first export call makes it.
  void MakePrinterKey() {
    ASSERT_GE(CBaseInfo::Instance().SetPrinterInformation(printer, kit::kDriver, port, kit::kModelID, L"", L""), 0);
    ASSERT_FALSE(PrinterKey().empty());
  }
  void SetKeyValue(const wchar_t* name, DWORD value) {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, PrinterKey(), false, KEY_SET_VALUE)) << "no printer key yet";
    ASSERT_TRUE(key.SetDword(name, value));
  }

  // Short periods: the status every 0.5 s (the sample's 5 s local period in
  // ticks of 100 ms), commands and the progress meter at once.
  static view::DetailOptions ShortPeriods() {
    view::DetailOptions options;
    options.statusStartMs = 50;
    options.statusTickMs = 100;
    options.commandStartMs = 20;
    options.progressTimerMs = 300;
    options.progress.timing = {20, 20, 5, 20};
    return options;
  }

  std::wstring folder, jobFolder, printer, port;
  std::unique_ptr<JobList> jobs;
};

}  // namespace moni::test
