// The progress meter against the progress library stand-in, with a real
// window that collects its messages and the spooler's job list scripted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "progress_fixture.h"

namespace {

using moni::progress::JobRecord;
using moni::test::ProgressFixture;
using moni::test::Received;

constexpr DWORD kLibJob = 0x101;  // the stand-in's id of the first job

std::string Job(DWORD winJob, const std::string& extra) {
  return "[Job1]\nWinJobId=" + std::to_string(winJob) + "\n" + extra;
}

class ProgressMeterTest : public ProgressFixture {
 protected:
  // The test printer with one job, which the spooler lists too.
  void PrinterWithJob(DWORD winJob, const std::string& extra) {
    AddPrinter(Job(winJob, extra));
    SpoolerHasJob(printer, winJob);
  }
  // Pumps until the worker thread has ended.
  bool PumpUntilEnded(CProgressMeter& meter, DWORD ms = 15000) {
    return PumpUntil([&] { return !meter.IsRunning(); }, ms);
  }
};

TEST_F(ProgressMeterTest, FollowsAJobFromStartToEnd) {
  PrinterWithJob(7,
                 "Document=Quarterly report\nPaperCodes=1,2,3\nPaperSource=Sheet feeder\nMediaType=Plain paper\n"
                 "PaperSize=A4\nSheets=2,5\nProgress=100\nDuration=300\nInfo104=9\nHost=1:0A0B0C\n");
  CProgressMeter meter(FastOptions());
  meter.Initialize(printer, port);
  // The sample driver's data file names a library that is not shipped (level
  // 2); the meter falls back to the default library at level 1.
  EXPECT_EQ(meter.LibraryName(), L"V_SMPPRG.DLL");
  EXPECT_EQ(meter.Level(), 2u);
  EXPECT_EQ(meter.ServiceName(), L"V_G00RP1");
  meter.SetParam(CProgressMeter::kNoticeWindow, reinterpret_cast<ULONG_PTR>(window));

  JobRecord last{};
  onMessage = [&](const Received& r) {
    // The record as the window reads it; the last status comes after the job
    // ended and its record was cleared.
    JobRecord now{};
    if (r.message == WM_PROGRESSIF_STATUS && meter.GetJobRecord(now)) last = now;
  };
  EXPECT_EQ(meter.AddPMJob(7, 1), 1);
  EXPECT_EQ(meter.AddPMJob(7, 1), 0);  // already listed: nothing more
  EXPECT_EQ(meter.GetJobCount(), 1);
  ASSERT_TRUE(PumpUntilEnded(meter));
  PumpUntil([] { return false; }, 50);  // what was posted last

  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.front().message, WM_PROGRESSIF_JOBFOUND);
  const auto status = MessagesOf(WM_PROGRESSIF_STATUS);
  ASSERT_GE(status.size(), 2u);
  for (const Received& r : status) EXPECT_EQ(r.lParam, 7);
  EXPECT_TRUE(MessagesOf(WM_PROGRESSIF_WAIT).empty());

  EXPECT_EQ(last.dwJobId, 7u);
  EXPECT_EQ(last.dwParam, 1u);
  EXPECT_EQ(std::u16string(last.szDocument), u"Quarterly report");
  EXPECT_EQ(std::u16string(last.szPaperSource), u"Sheet feeder");
  EXPECT_EQ(std::u16string(last.szMediaType), u"Plain paper");
  EXPECT_EQ(std::u16string(last.szPaperSize), u"A4");
  EXPECT_EQ(last.wPaperCodes[2], 3);
  EXPECT_EQ(last.dwSheets[0], 2u);
  EXPECT_EQ(last.dwSheets[1], 5u);
  EXPECT_EQ(last.dwProgress[1], 100u);
  EXPECT_EQ(last.bInfo104, 1u);
  EXPECT_EQ(last.dwInfo104, 9u);
  EXPECT_EQ(last.bHostInfo, 1u);
  EXPECT_EQ(last.HostInfo[0], 3);  // length
  EXPECT_EQ(last.HostInfo[1], 1);  // kind
  EXPECT_EQ(last.HostInfo[4], 0x0C);

  // The job was followed once, the library was opened at level 1 and left again.
  EXPECT_EQ(meter.GetJobCount(), 0);
  EXPECT_EQ(JournalCount("TLMA_StartProgress"), 1u);
  EXPECT_EQ(JournalCount("TLMA_EndProgress"), 1u);
  EXPECT_NE(Journal().find("TLMA_Open Progress%20" ), std::string::npos);
  EXPECT_NE(Journal().find(" 0x00000007 1 - "), std::string::npos);  // job 7 opened at level 1
  EXPECT_EQ(JournalCount("TLMA_Close"), JournalCount("TLMA_Open"));

  // A later job on the empty list starts a new thread.
  WriteJobScenario(printer, Job(8, "Duration=50\nPaperCodes=1,1,1\n"));
  SpoolerHasJob(printer, 8);
  EXPECT_EQ(meter.AddPMJob(8, 0), 1);
  EXPECT_TRUE(meter.IsRunning());
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_EQ(JournalCount("TLMA_StartProgress"), 2u);
}

TEST_F(ProgressMeterTest, WaitReasonsInPriorityEachReportedToTheJob) {
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=100\nWait=0x8005\n");
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !MessagesOf(WM_PROGRESSIF_WAIT).empty(); }));
  EXPECT_EQ(MessagesOf(WM_PROGRESSIF_WAIT).front().lParam, 7);

  for (DWORD expected : {0x1u, 0x8000u, 0x4u}) {
    DWORD reason = 0;
    ASSERT_EQ(meter.GetWaitReason(&reason), 1);
    EXPECT_EQ(reason, expected);
    meter.ClearWaitReason(reason);
    ASSERT_TRUE(PumpUntil([&] { return JournalCount(SetCall(kLibJob, 203, expected)) == 1; })) << expected;
  }
  ASSERT_TRUE(PumpUntilEnded(meter));
  DWORD reason = 0;
  EXPECT_EQ(meter.GetWaitReason(&reason), 0);
  EXPECT_EQ(MessagesOf(WM_PROGRESSIF_WAIT).size(), 1u);
  EXPECT_GE(MessagesOf(WM_PROGRESSIF_STATUS).size(), 1u);
}

TEST_F(ProgressMeterTest, AutoClearMaskLeavesOnlyTheWindowsBits) {
  // Every low bit and the bit that is cleared at once.
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=50\nWait=0x80000FFF\n");
  CProgressMeter meter(FastOptions());
  Attach(meter);
  meter.SetParam(CProgressMeter::kAutoClearMask, 0xFFFFF77A);
  EXPECT_EQ(meter.GetParam(CProgressMeter::kAutoClearMask), 0xFFFFF77Au);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !MessagesOf(WM_PROGRESSIF_WAIT).empty(); }));
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 203, 0x80000000)), 1u);
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 203, 0x77A)), 1u);
  EXPECT_EQ(JournalCount(" 22 "), 0u);  // bit 0x8 went with the mask: no ink set read

  std::vector<DWORD> order;
  DWORD reason = 0;
  while (meter.GetWaitReason(&reason)) {
    order.push_back(reason);
    meter.ClearWaitReason(reason);
  }
  EXPECT_EQ(order, (std::vector<DWORD>{0x1, 0x80, 0x4, 0x800}));
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 203, 0x885)), 1u);  // all four reported together
}

TEST_F(ProgressMeterTest, InkSetWaitReadsTheInkSetOrClearsTheBit) {
  AddPrinter(Job(7, "PaperCodes=1,1,1\nDuration=50\nWait=0x8\nInkSet=3,0x11,0x22,0x33\n") +
             "[Job2]\nWinJobId=8\nPaperCodes=1,1,1\nDuration=50\nWait=0x9\n");
  SpoolerHasJob(printer, 7);
  SpoolerHasJob(printer, 8);
  CProgressMeter meter(FastOptions());
  Attach(meter);
  onMessage = [&](const Received& r) {
    DWORD reason = 0;
    if (r.message == WM_PROGRESSIF_WAIT) {
      while (meter.GetWaitReason(&reason)) meter.ClearWaitReason(reason);
    }
  };
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_EQ(meter.AddPMJob(8, 1), 1);
  ASSERT_TRUE(PumpUntilEnded(meter));
  // Job 7 has ink set data: the window was told, with the data at hand.
  const CProgressMeter::InkSet inks = meter.GetInkSet();
  EXPECT_EQ(inks.wICNum, 3);
  EXPECT_EQ(inks.wOPIC[2], 0x33);
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 203, 0x8)), 1u);
  // Job 8 has none: bit 0x8 is cleared in the job at once, the window sees 0x1 only.
  EXPECT_EQ(JournalCount(SetCall(kLibJob + 1, 203, 0x8)), 1u);
  EXPECT_EQ(JournalCount(SetCall(kLibJob + 1, 203, 0x1)), 1u);
  const auto waits = MessagesOf(WM_PROGRESSIF_WAIT);
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_EQ(waits[1].lParam, 8);
}

TEST_F(ProgressMeterTest, DestroyWhileTheWorkerSendsToTheWindow) {
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=never\n");
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  // Without pumping: once the host information was read, the worker sends
  // "job found" to this thread and waits for it.
  const ULONGLONG end = GetTickCount64() + 10000;
  while (JournalCount(" 0x00000101 4 ") == 0 && GetTickCount64() < end) Sleep(5);
  ASSERT_EQ(JournalCount(" 0x00000101 4 "), 1u);
  Sleep(50);
  meter.Destroy();  // serves the sent message while it waits
  EXPECT_FALSE(meter.IsRunning());
  EXPECT_TRUE(CProgressMeter::IsPrimaryThreadEnding());
  EXPECT_EQ(MessagesOf(WM_PROGRESSIF_JOBFOUND).size(), 1u);
  EXPECT_EQ(JournalCount("TLMA_Close"), 1u);
}

// A meter made on another thread clears the process-wide ending flag; the
// stop that Destroy gives its own worker holds all the same. A worker that
// missed its stop would follow the job for ever: after 3 s the job is deleted
// and leaves the spooler, which ends the worker, and the round counts as lost.
TEST_F(ProgressMeterTest, DestroyEndsItsWorkerWhileOtherMetersAreMade) {
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=never\n");
  std::atomic<bool> done{false};
  std::thread maker([&] {
    while (!done.load()) CProgressMeter other(FastOptions());
  });
  moni::KernelHandle destroyed(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  int lost = 0;
  for (int round = 0; round < 20 && lost == 0; ++round) {
    CProgressMeter meter(FastOptions());
    meter.Initialize(printer, port);
    ASSERT_EQ(meter.AddPMJob(7, 1), 1);
    Sleep(round % 4 * 10);  // stopped at different steps of the worker
    std::thread watchdog([&] {
      if (WaitForSingleObject(destroyed.get(), 3000) == WAIT_TIMEOUT) {
        ++lost;
        meter.CancelJob(7, 0x10000);
        WritePrivateProfileStringW(printer.c_str(), L"7", nullptr, jobList.c_str());
      }
    });
    meter.Destroy();
    SetEvent(destroyed.get());
    watchdog.join();
    EXPECT_FALSE(meter.IsRunning());
  }
  done = true;
  maker.join();
  EXPECT_EQ(lost, 0);
}

TEST_F(ProgressMeterTest, ClearingBit0x20AloneIsNotReportedToTheJob) {
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=never\nWait=0x21\n");
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !MessagesOf(WM_PROGRESSIF_WAIT).empty(); }));
  meter.ClearWaitReason(0x20);
  // The thread sees the change within a wait period or two.
  const size_t before = JournalCount("TLMA_TestJob");
  ASSERT_TRUE(PumpUntil([&] { return JournalCount("TLMA_TestJob") >= before + 3; }));
  meter.ClearWaitReason(0x1);
  ASSERT_TRUE(PumpUntil([&] { return JournalCount(SetCall(kLibJob, 203, 0x1)) == 1; }));
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 203, 0x20)), 0u);
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 203, 0x21)), 0u);
  meter.Destroy();
  EXPECT_FALSE(meter.IsRunning());
}

TEST_F(ProgressMeterTest, CommandsReachOnlyTheirJob) {
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=never\nOnDelete=end\n");
  SpoolerHasJob(printer, 8);
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_EQ(meter.AddPMJob(8, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !MessagesOf(WM_PROGRESSIF_STATUS).empty(); }));

  // Pause and resume of the followed job; the status read afterwards shows it.
  meter.SetJobCommand(7, moni::progress::TLM_COMMAND_PAUSE);
  ASSERT_TRUE(PumpUntil([&] { return JournalCount(SetCall(kLibJob, 201, 1)) == 1; }));
  JobRecord record{};
  ASSERT_TRUE(PumpUntil([&] { return meter.GetJobRecord(record) && (record.dwJobStatus & 0x10); }));
  meter.SetJobCommand(7, moni::progress::TLM_COMMAND_RESUME);
  ASSERT_TRUE(PumpUntil([&] { return JournalCount(SetCall(kLibJob, 201, 2)) == 1; }));

  // A delete for job 8 while job 7 is followed is dropped.
  meter.CancelJob(8, 0x10000);
  const size_t reads = MessagesOf(WM_PROGRESSIF_STATUS).size();
  ASSERT_TRUE(PumpUntil([&] { return MessagesOf(WM_PROGRESSIF_STATUS).size() >= reads + 3; }));
  EXPECT_EQ(JournalCount(" 202 "), 0u);
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 201, 3)), 0u);

  // Job 7's own delete goes through with its reason; the job ends.
  meter.CancelJob(7, 0x10000);
  ASSERT_TRUE(PumpUntil([&] { return meter.GetJobCount() == 1; }));
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 202, 0x10000)), 1u);
  EXPECT_EQ(JournalCount(SetCall(kLibJob, 201, 3)), 1u);
  EXPECT_EQ(meter.GetJobId(0), 8u);

  // Job 8 never reaches the library; when it leaves the spooler the thread ends.
  SpoolerLosesJob(printer, 8);
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_EQ(meter.GetJobCount(), 0);
}

TEST_F(ProgressMeterTest, PauseAndResumeNotSentInAStateThatRefusesThem) {
  PrinterWithJob(7, "PaperCodes=1,1,1\nDuration=never\nStatus=0x8\n");
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return !MessagesOf(WM_PROGRESSIF_STATUS).empty(); }));
  meter.SetJobCommand(7, moni::progress::TLM_COMMAND_PAUSE);
  meter.SetJobCommand(7, moni::progress::TLM_COMMAND_RESUME);
  const size_t reads = MessagesOf(WM_PROGRESSIF_STATUS).size();
  ASSERT_TRUE(PumpUntil([&] { return MessagesOf(WM_PROGRESSIF_STATUS).size() >= reads + 3; }));
  EXPECT_EQ(JournalCount(" 201 "), 0u);
  meter.Destroy();
}

TEST_F(ProgressMeterTest, JobThatLeavesTheSpoolerEndsTheThread) {
  // The library follows another user's job the whole time.
  AddPrinter(Job(5, "PaperCodes=1,1,1\nDuration=never\n"));
  SpoolerHasJob(printer, 9);
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(9, 1), 1);
  ASSERT_TRUE(PumpUntil([&] { return JournalCount("TLMA_GetJobInfo") >= 3; }));
  EXPECT_TRUE(meter.IsRunning());
  SpoolerLosesJob(printer, 9);
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_EQ(meter.GetJobCount(), 0);
  EXPECT_TRUE(received.empty());  // nothing of job 5 reached the window
  EXPECT_EQ(JournalCount("TLMA_Close"), JournalCount("TLMA_Open"));
}

TEST_F(ProgressMeterTest, MissingLibraryDropsTheOldestJob) {
  PrinterWithJob(7, "PaperCodes=1,1,1\n");
  SpoolerHasJob(printer, 8);
  CProgressMeter::Options options = FastOptions();
  options.libraryFolder = folder + L"\\";  // holds no library
  CProgressMeter meter(options);
  meter.Initialize(printer, port);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_EQ(meter.GetJobCount(), 0);
  // A new job starts a new attempt, which drops it again.
  ASSERT_EQ(meter.AddPMJob(8, 1), 1);
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_EQ(meter.GetJobCount(), 0);
  EXPECT_TRUE(Journal().empty());
}

TEST_F(ProgressMeterTest, FailingCallsAndExceptionsOfTheLibrary) {
  // The first status reads fail, one raises; the job is still followed to its end.
  AddPrinter(Job(7, "PaperCodes=1,1,1\nDuration=200\n") +
             "[Inject]\nTLMA_GetJobInfo:102@1=0\nTLMA_GetJobInfo:101@2=seh\nTLMA_Open@1=0\n");
  SpoolerHasJob(printer, 7);
  CProgressMeter meter(FastOptions());
  Attach(meter);
  ASSERT_EQ(meter.AddPMJob(7, 1), 1);
  ASSERT_TRUE(PumpUntilEnded(meter));
  EXPECT_GE(JournalCount("TLMA_Open"), 2u);
  EXPECT_EQ(JournalCount(" seh"), 1u);
  EXPECT_FALSE(MessagesOf(WM_PROGRESSIF_STATUS).empty());
  EXPECT_EQ(meter.GetJobCount(), 0);
}

TEST(ProgressInfo, GetProgressDataOnlyForShownOrForcedRecords) {
  CProgressInfo info;
  info.m_Record.dwJobId = 7;
  JobRecord out{};
  out.dwJobId = 99;
  EXPECT_EQ(info.GetProgressData(&out, 1), 0);  // not valid
  EXPECT_EQ(out.dwJobId, 0u);
  info.m_bValid = true;
  EXPECT_EQ(info.GetProgressData(&out, 0), 0);  // option 0: not shown
  EXPECT_EQ(info.GetProgressData(&out, 1), 1);
  EXPECT_EQ(out.dwJobId, 7u);
  info.m_Record.dwParam = 1;
  std::memset(&out, 0, sizeof out);
  EXPECT_EQ(info.GetProgressData(&out, 0), 1);
  EXPECT_EQ(out.dwJobId, 7u);
}

}  // namespace
