// The status threads against the printer simulator, posting to a real
// message-only window: the one-shot reader, the polling loop and its
// intervals, the model check, a printer without a status channel, a second
// start, and the printing side's status record while the "V_GTMS_" mapping
// exists. Periods are shortened: ticks of 40 ms, intervals of a few ticks.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "comm/bq_stat_channel.h"
#include "comm_test_support.h"
#include "message_window.h"

namespace {

using moni::test::MessageWindow;
using namespace std::chrono_literals;

constexpr DWORD kTickMs = 40;
constexpr int kLocalTicks = 2;
constexpr int kNetworkTicks = 5;
// Timers may fire a little early; never a whole tick.
constexpr auto kSlack = 15ms;

std::vector<BYTE> FromHex(const std::string& hex) {
  std::vector<BYTE> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

class StatusThread : public moni::test::CommTest {
 protected:
  std::unique_ptr<CDetailBqStatus> Detail() {
    auto status = std::make_unique<CDetailBqStatus>(bqapi::kOpenByPrinter, printer.c_str());
    EXPECT_EQ(status->Initialize(printer, L"LPT1:", moni::kit::kModelID, printer), 1);
    status->SetPeriods(10, kTickMs);
    status->SetIntervals(kLocalTicks, kNetworkTicks);
    return status;
  }
  // Every gap between the messages is at least `ticks` ticks.
  static void ExpectGaps(const std::vector<MessageWindow::Posted>& posted, int ticks) {
    for (size_t i = 1; i < posted.size(); ++i)
      EXPECT_GE(posted[i].at - posted[i - 1].at, std::chrono::milliseconds(ticks * kTickMs) - kSlack) << "gap " << i;
  }
  static void ExpectAll(const std::vector<MessageWindow::Posted>& posted, int value) {
    for (const auto& p : posted) EXPECT_EQ(p.value(), value);
  }
  void SetKeyDword(const wchar_t* name, DWORD value) {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, PrinterKey(), false, KEY_ALL_ACCESS));
    ASSERT_TRUE(key.SetDword(name, value));
  }
  DWORD KeyDword(const wchar_t* name) {
    CRegistryKey key;
    return key.Open(HKEY_CURRENT_USER, PrinterKey()) ? key.QueryDword(name, 0xDEAD) : 0xBEEF;
  }

  MessageWindow window;
};

TEST_F(StatusThread, OneShotReaderPostsOneResultAndEnds) {
  WriteScenario(Scenario("0x10000005:0x0007"));
  ASSERT_TRUE(window.hwnd());
  CBqStatChannel reader(bqapi::kOpenByPrinter, printer.c_str());
  reader.SetPeriods(10, kTickMs);
  ASSERT_EQ(reader.StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, 1, 5000));
  EXPECT_TRUE(window.PumpUntil([&] { return !reader.IsRunning(); }, 2000));
  window.Pump(3 * kTickMs);
  ASSERT_EQ(window.posted().size(), 1u);
  EXPECT_EQ(window.posted()[0].value(), 1);
  EXPECT_EQ(reader.Reply(), FromHex(moni::test::kReadyReplyHex));
  EXPECT_EQ(reader.Selected().channel, 0x10000005u);

  // Ended by itself, it starts again.
  ASSERT_EQ(reader.StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  EXPECT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, 2, 5000));
}

// The window thread copies the reply while the status thread replaces it with
// replies of other lengths: every copy is one whole reply.
TEST_F(StatusThread, ReplyCopiedWhileTheReaderReplacesItIsAlwaysWhole) {
  const std::string shortHex = moni::test::kReadyReplyHex, longHex = shortHex + std::string(400, 'E');
  WriteScenario(std::string("[Printer]\nDeviceID=") + moni::test::kSampleDeviceId +
                "\nChannels=0x10000005:0x0007\nAdvance=call\nAtEnd=wrap\nReply1=" + shortHex + "\nReply2=" + longHex + "\n");
  const std::vector<BYTE> shortReply = FromHex(shortHex), longReply = FromHex(longHex);
  CBqStatChannel reader(bqapi::kOpenByPrinter, printer.c_str());
  ASSERT_EQ(reader.OpenStatusChannel(), 1);
  std::atomic<bool> done{false};
  std::thread status([&] {
    for (int round = 0; round < 400; ++round) reader.GetPrinterStatus();
    done = true;
  });
  size_t copies = 0, broken = 0;
  while (!done.load()) {
    const std::vector<BYTE> reply = reader.Reply();
    if (!reply.empty() && reply != shortReply && reply != longReply) ++broken;
    ++copies;
  }
  status.join();
  EXPECT_EQ(broken, 0u) << "of " << copies;
  EXPECT_EQ(reader.Reply(), longReply);
}

TEST_F(StatusThread, OneShotReaderWithoutStatusChannelPostsMinusOne) {
  WriteScenario(Scenario("0x10000005:0x0003"));
  CBqStatChannel reader(bqapi::kOpenByPrinter, printer.c_str());
  reader.SetPeriods(10, kTickMs);
  ASSERT_EQ(reader.StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTCHANNEL, 1, 5000));
  EXPECT_EQ(window.posted().at(0).value(), -1);
}

TEST_F(StatusThread, PollingLoopWritesTheStatusEveryInterval) {
  AddSpoolerPrinter();
  WriteScenario(Scenario("0x10000005:0x0007"));
  auto status = Detail();
  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, 4, 5000));
  status->EndStatusThread(1);
  EXPECT_FALSE(status->IsRunning());
  const auto posted = window.Of(WM_RESULT_BQSTATUS);
  EXPECT_EQ(posted.size(), window.posted().size());  // nothing else was posted
  ExpectAll(posted, 1);
  ExpectGaps(posted, kLocalTicks);
  // The model is checked once (the size and the data), the status at every interval.
  EXPECT_EQ(Calls("BQGetDeviceID"), 2u);
  EXPECT_GE(Calls("BQGetStatus"), 2 * posted.size());

  CRegistryKey key;
  ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, PrinterKey()));
  std::vector<BYTE> stored(256);
  DWORD size = static_cast<DWORD>(stored.size());
  ASSERT_EQ(RegQueryValueExW(key.Get(), L"Status", nullptr, nullptr, stored.data(), &size), ERROR_SUCCESS);
  stored.resize(size);
  EXPECT_EQ(stored, FromHex(moni::test::kReadyReplyHex));
  EXPECT_EQ(key.QueryDword(L"Channel", 0), 0x10000005u);

  // Ended, nothing more comes.
  const size_t count = window.posted().size();
  window.Pump(3 * kLocalTicks * kTickMs);
  EXPECT_EQ(window.posted().size(), count);
}

TEST_F(StatusThread, NetworkModeUsesTheNetworkInterval) {
  AddSpoolerPrinter();
  WriteScenario(Scenario("0x10000005:0x8007"));
  auto status = Detail();
  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, 3, 5000));
  status->EndStatusThread(1);
  ExpectGaps(window.Of(WM_RESULT_BQSTATUS), kNetworkTicks);
}

TEST_F(StatusThread, AnotherModelPostsMinusTwoAtEveryIntervalAndIsNeverRead) {
  WriteScenario(Scenario("0x10000005:0x0007", "", "MFG:TALMER;CMD:ESCPL2;MDL:XP-999;"));
  auto status = Detail();
  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQDEVICEID, 3, 5000));
  status->EndStatusThread(1);
  const auto posted = window.Of(WM_RESULT_BQDEVICEID);
  EXPECT_EQ(posted.size(), window.posted().size());
  ExpectAll(posted, -2);
  ExpectGaps(posted, kLocalTicks);
  EXPECT_EQ(Calls("BQOpenChannel"), 0u);
  EXPECT_EQ(Calls("BQGetStatus"), 0u);
}

TEST_F(StatusThread, NoStatusChannelPostsMinusOneAtEveryInterval) {
  WriteScenario(Scenario("0x10000005:0x0003,0x02000001:0x0003"));
  auto status = Detail();
  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTCHANNEL, 3, 5000));
  status->EndStatusThread(1);
  const auto posted = window.Of(WM_RESULT_BQSTCHANNEL);
  EXPECT_EQ(posted.size(), window.posted().size());
  ExpectAll(posted, -1);
  ExpectGaps(posted, kLocalTicks);
}

TEST_F(StatusThread, ChannelThatDoesNotOpenAndABusyPrinterArePosted) {
  WriteScenario(Scenario("0x10000005:0x0007", "[Inject]\nBQOpenChannel@1=-7\nBQGetStatus=-17\n"));
  auto status = Detail();
  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, 2, 5000));
  status->EndStatusThread(1);
  // Chosen but not opened: 0; then opened, and the busy printer's -17 is -2.
  ASSERT_EQ(window.posted().at(0).message, WM_RESULT_BQSTCHANNEL);
  EXPECT_EQ(window.posted().at(0).value(), 0);
  ExpectAll(window.Of(WM_RESULT_BQSTATUS), -2);
  EXPECT_TRUE(PrinterKey().empty());  // nothing was written
}

TEST_F(StatusThread, StartOnARunningObjectChangesNothing) {
  WriteScenario(Scenario("0x10000005:0x0007", "", "MFG:TALMER;MDL:XP-999;"));
  MessageWindow second;
  auto status = Detail();
  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  EXPECT_EQ(status->StartStatusThread(second.hwnd(), nullptr, nullptr), 0);
  EXPECT_EQ(status->Initialize(L"x", L"y", L"z", L"w"), 0);  // the names stay while it runs
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQDEVICEID, 2, 5000));
  EXPECT_TRUE(second.posted().empty());
  status->EndStatusThread(1);
  ASSERT_EQ(status->StartStatusThread(second.hwnd(), nullptr, nullptr), 1);
  EXPECT_TRUE(second.WaitFor(WM_RESULT_BQDEVICEID, 1, 5000));
}

TEST_F(StatusThread, CallbackGetsTheResultsWithoutAWindow) {
  WriteScenario(Scenario("0x10000005:0x0003"));
  struct Seen {
    std::atomic<int> count{0};
    std::atomic<int> value{0};
    std::atomic<UINT> message{0};
  } seen;
  auto status = Detail();
  auto callback = [](void* context, UINT message, WPARAM wParam, LPARAM) {
    auto* s = static_cast<Seen*>(context);
    s->message = message;
    s->value = static_cast<int>(static_cast<INT_PTR>(wParam));
    ++s->count;
  };
  ASSERT_EQ(status->StartStatusThread(nullptr, callback, &seen), 1);
  EXPECT_TRUE(window.PumpUntil([&] { return seen.count.load() >= 1; }, 5000));
  status->EndStatusThread(1);
  EXPECT_EQ(seen.message.load(), WM_RESULT_BQSTCHANNEL);
  EXPECT_EQ(seen.value.load(), -1);
}

TEST_F(StatusThread, WhilePrintingTheRecordOfThePrintingSideIsFollowed) {
  AddSpoolerPrinter();
  WriteScenario(Scenario("0x10000005:0x0007"));
  {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, PrinterKey(), false, KEY_ALL_ACCESS));
    const auto reply = FromHex(moni::test::kReadyReplyHex);
    ASSERT_EQ(RegSetValueExW(key.Get(), L"Status", 0, REG_BINARY, reply.data(), static_cast<DWORD>(reply.size())), ERROR_SUCCESS);
  }
  SetKeyDword(L"ComStatus", 1);
  auto status = Detail();
  EXPECT_EQ(status->MonitorMapFile(), L"V_GTMS_" + printer);
  moni::KernelHandle map(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, status->MonitorMapFile().c_str()));
  ASSERT_TRUE(map.valid());

  ASSERT_EQ(status->StartStatusThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, 1, 5000));
  EXPECT_EQ(window.posted().at(0).value(), 1);
  EXPECT_TRUE(status->Printing());
  EXPECT_EQ(KeyDword(L"ComStatus"), 2u);
  // "ComStatus" 2: nothing new, nothing posted.
  window.Pump(4 * kTickMs);
  EXPECT_EQ(window.posted().size(), 1u);
  // A new status from the printing side, each time it comes.
  for (size_t n = 2; n <= 3; ++n) {
    SetKeyDword(L"ComStatus", 1);
    ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, n, 5000));
    EXPECT_EQ(window.posted().back().value(), 1);
    EXPECT_EQ(KeyDword(L"ComStatus"), 2u);
  }
  // Conditions the printing side saw, once a tick while printing.
  SetKeyDword(L"ComStatus", 3);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQDEVICEID, 3, 5000));
  ExpectGaps(window.Of(WM_RESULT_BQDEVICEID), 1);
  SetKeyDword(L"ComStatus", 5);
  ASSERT_TRUE(window.PumpUntil([&] { return window.posted().back().value() == -4; }, 5000));
  // The printer itself was never asked.
  EXPECT_EQ(Calls("BQGetStatus"), 0u);
  EXPECT_EQ(Calls("BQGetDeviceID"), 0u);

  // Printing over: the model is checked and the printer read again.
  map.reset();
  const size_t before = window.Of(WM_RESULT_BQSTATUS).size();
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSTATUS, before + 1, 5000));
  status->EndStatusThread(1);
  EXPECT_FALSE(status->Printing());
  EXPECT_GT(Calls("BQGetStatus"), 0u);
}

TEST_F(StatusThread, MapNameOfANetworkPathTurnsBackslashesIntoSlashes) {
  CDetailBqStatus status(bqapi::kOpenByPort, L"\\\\server\\queue");
  ASSERT_EQ(status.Initialize(L"", L"\\\\server\\queue", moni::kit::kModelID, L"\\\\server\\queue"), 1);
  EXPECT_EQ(status.MonitorMapFile(), L"V_GTMS_//server/queue");
}

}  // namespace
