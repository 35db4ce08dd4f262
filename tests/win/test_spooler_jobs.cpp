// The spooler job helpers: the job description read from the caller's memory,
// PrMonitoringStart with a job that prints to a port file, and a job rendered
// on a print server followed through the remote service over RPC.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "api/monicore.h"
#include "foundation/request_block.h"
#include "progress_fixture.h"
#include "ui/progress/spooler_jobs.h"

namespace {

using moni::test::ProgressFixture;

// A job description: header, one entry per value, then the values and `extra`.
std::vector<std::uint8_t> Description(const std::vector<std::pair<std::uint32_t, std::string>>& entries, const std::string& extra) {
  const std::uint32_t table = 24, tableSize = static_cast<std::uint32_t>(entries.size() * 16), data = table + tableSize;
  std::string area;
  for (const auto& e : entries) area += e.second;
  area += extra;
  std::vector<std::uint32_t> words = {data + static_cast<std::uint32_t>(area.size()), table, tableSize, 0,
                                      static_cast<std::uint32_t>(entries.size()), static_cast<std::uint32_t>(area.size())};
  std::uint32_t at = data;
  for (const auto& e : entries) {
    words.insert(words.end(), {at, static_cast<std::uint32_t>(e.second.size()), e.first, 0});
    at += static_cast<std::uint32_t>(e.second.size());
  }
  std::vector<std::uint8_t> block(words.size() * 4 + area.size());
  std::memcpy(block.data(), words.data(), words.size() * 4);
  std::memcpy(block.data() + words.size() * 4, area.data(), area.size());
  return block;
}

TEST(PortFileJob, ReadFromTheCallersBlock) {
  DWORD job = 99;
  auto block = Description({{10, "12"}}, "\x07");
  EXPECT_EQ(IsPrintingPortFile(block.data(), &job), 1);
  EXPECT_EQ(job, 12u);
  block = Description({{10, "12"}}, "abc");
  job = 99;
  EXPECT_EQ(IsPrintingPortFile(block.data(), &job), 0);
  EXPECT_EQ(job, 12u);
  block = Description({{11, "12"}}, "\x07");
  EXPECT_EQ(IsPrintingPortFile(block.data(), &job), 0);
  EXPECT_EQ(job, 0u);
  block = Description({{10, "3"}, {10, "4"}}, "\x07");
  EXPECT_EQ(IsPrintingPortFile(block.data(), &job), 1);
  EXPECT_EQ(job, 4u);
  std::uint32_t empty[6] = {};
  job = 99;
  EXPECT_EQ(IsPrintingPortFile(empty, &job), 0);
  EXPECT_EQ(job, 0u);
  EXPECT_EQ(IsPrintingPortFile(nullptr, &job), 0);
}

TEST(PortFileJob, BlockReachingIntoUnreadableMemoryIsIgnored) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  auto* pages = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
  // A well-formed block whose stated size runs into the page that cannot be read.
  auto block = Description({{10, "12"}}, std::string(64, '\x07'));
  std::uint8_t* at = pages + page - 40;
  std::memcpy(at, block.data(), 40);
  DWORD job = 99;
  EXPECT_EQ(IsPrintingPortFile(at, &job), 0);
  EXPECT_EQ(job, 0u);
  VirtualFree(pages, 0, MEM_RELEASE);
}

class PortFileStart : public ProgressFixture {};

TEST_F(PortFileStart, MonitoringStartHandsThePortFileJobToTheMeter) {
  AddPrinter("[Job1]\nWinJobId=12\nPaperCodes=1,1,1\nDuration=never\n");
  SpoolerHasJob(printer, 12);
  auto block = Description({{10, "12"}}, "\x07");
  moni::Module lib(LoadLibraryW(L"monicore.dll"));
  ASSERT_TRUE(lib.valid());
  const auto start = moni::test::ProcOf<decltype(&PrMonitoringStart)>(lib, "PrMonitoringStart");
  const auto getChannel = moni::test::ProcOf<decltype(&PrGetChannel)>(lib, "PrGetChannel");
  ASSERT_TRUE(start && getChannel);
  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(start(nullptr, printer.c_str(), moni::kit::kDriver, port.c_str(), moni::kit::kModelID, L"", L"", block.data()), 1);
  EXPECT_LT(GetTickCount64() - started, 10000u);
  // No session was made.
  DWORD channel = 5;
  EXPECT_EQ(getChannel(&channel), 1);
  EXPECT_EQ(channel, 0u);
}

// The remote service stand-in, ended on every path.
class Service {
 public:
  explicit Service(const std::wstring& name) : m_stop(CreateEventW(nullptr, TRUE, FALSE, name.c_str())),
                                                 m_ready(CreateEventW(nullptr, TRUE, FALSE, (name + L".ready").c_str())) {
    std::wstring command = L"\"" + CProgressLibraryFolder() + L"tlpgsvc.exe\" /stop " + name;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      m_process.reset(pi.hProcess);
      CloseHandle(pi.hThread);
      m_pid = pi.dwProcessId;
    }
  }
  ~Service() {
    if (!m_process) return;
    SetEvent(m_stop.get());
    if (WaitForSingleObject(m_process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(m_process.get(), 1);
  }
  bool WaitReady() const {
    const HANDLE both[] = {m_ready.get(), m_process.get()};
    return m_process && WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
  }
  DWORD pid() const { return m_pid; }

 private:
  static std::wstring CProgressLibraryFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full = path;
    return full.substr(0, full.find_last_of(L'\\') + 1);
  }
  moni::KernelHandle m_stop, m_ready, m_process;
  DWORD m_pid = 0;
};

class RemoteProgress : public ProgressFixture {};

TEST_F(RemoteProgress, JobRenderedOnAServerIsFollowedOverRpc) {
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &length));
  const std::wstring local = L"Remote " + moni::test::UniqueTestName();
  const std::wstring remote = L"\\\\" + std::wstring(computer) + L"\\" + local;
  WriteJobScenario(local, "[Job1]\nWinJobId=7\nDocument=Served\nPaperCodes=1,2,3\nDuration=200\nWait=0x2\n");
  SpoolerHasJob(remote, 7, L"NT EMF 1.008");

  Service service(L"tlpgsvc_stop_" + moni::test::UniqueTestName());
  ASSERT_TRUE(service.WaitReady());
  CProgressMeter meter(FastOptions());
  meter.Initialize(remote, port);
  meter.SetParam(CProgressMeter::kNoticeWindow, reinterpret_cast<ULONG_PTR>(window));
  using moni::progress::JobRecord;
  JobRecord last{};
  onMessage = [&](const moni::test::Received& r) {
    // The record as the window reads it; the last status comes after the job
    // ended and its record was cleared.
    JobRecord now{};
    if (r.message == WM_PROGRESSIF_STATUS && meter.GetJobRecord(now)) last = now;
    if (r.message == WM_PROGRESSIF_WAIT) {
      DWORD reason = 0;
      if (meter.GetWaitReason(&reason)) meter.ClearWaitReason(reason);
    }
  };
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !meter.IsRunning(); }, 20000));

  // Every operation went to the service; the printer reached it without its server part.
  const std::string service_ = std::to_string(service.pid()) + " ";
  const std::string journal = Journal();
  EXPECT_NE(journal.find(service_ + "TLMA_Load "), std::string::npos) << journal;
  EXPECT_NE(journal.find(service_ + "TLMA_Open Remote%20"), std::string::npos);
  EXPECT_NE(journal.find(service_ + "TLMA_SetJobInfo Remote%20" ), std::string::npos);  // the wait reason cleared
  EXPECT_NE(journal.find(service_ + "TLMA_Free "), std::string::npos);
  EXPECT_EQ(journal.find(std::to_string(GetCurrentProcessId()) + " TLMA_"), std::string::npos);
  EXPECT_EQ(std::u16string(last.szDocument), u"Served");
  EXPECT_EQ(meter.GetJobCount(), 0);
}

// The monicore.dll that the kit installs and a user gets asks the spooler
// alone about jobs: a job list named by the variable that once steered it is
// not read. Read, the list calls the job of a print server's printer rendered
// there and sends the meter to that server's service, as this program's own
// meter (which the tests point at the list) shows first.
TEST_F(RemoteProgress, ShippedLibraryIgnoresAJobListVariable) {
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &length));
  const std::wstring remote = L"\\\\" + std::wstring(computer) + L"\\Remote " + moni::test::UniqueTestName();
  SpoolerHasJob(remote, 12, L"NT EMF 1.008");
  Service service(L"tlpgsvc_stop_" + moni::test::UniqueTestName());
  ASSERT_TRUE(service.WaitReady());
  const std::string served = std::to_string(service.pid()) + " TLMA_Load ";
  {
    CProgressMeter meter(FastOptions());
    meter.Initialize(remote, port);
    ASSERT_EQ(meter.AddPMJob(12, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return Journal().find(served) != std::string::npos; }, 20000));
  }

  DeleteFileW((folder + L"\\journal.log").c_str());
  SetEnvironmentVariableW(L"MONI_SPOOLER_JOBS", jobList.c_str());
  auto block = Description({{10, "12"}}, "\x07");
  moni::Module lib(LoadLibraryW(L"monicore.dll"));
  ASSERT_TRUE(lib.valid());
  const auto start = moni::test::ProcOf<decltype(&PrMonitoringStart)>(lib, "PrMonitoringStart");
  ASSERT_TRUE(start);
  EXPECT_EQ(start(nullptr, remote.c_str(), moni::kit::kDriver, port.c_str(), moni::kit::kModelID, L"", L"", block.data()), 1);
  SetEnvironmentVariableW(L"MONI_SPOOLER_JOBS", nullptr);
  EXPECT_EQ(Journal().find(served), std::string::npos) << Journal();
}

TEST_F(RemoteProgress, ServiceNotRunningCountsAsAMissingLibrary) {
  const std::wstring remote = L"\\\\NOSUCHSERVER\\Remote " + moni::test::UniqueTestName();
  SpoolerHasJob(remote, 7, L"NT EMF 1.008");
  CProgressMeter meter(FastOptions());
  meter.Initialize(remote, port);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !meter.IsRunning(); }, 30000));
  EXPECT_EQ(meter.GetJobCount(), 0);
}

}  // namespace
