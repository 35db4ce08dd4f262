// The command channel against the printer simulator (local channel) and,
// through the simulator's network channel, against the run's real SNMP agent
// (net-snmp's snmpd with the printers' handler, started by scripts/wine-env):
// the queues and the worker thread, the job reset in its three forms, the
// status request, the cartridge reset and the info commands, and what the
// reply parser makes of the agent's error, several bindings, short values
// and silence.
#include "platform/socket.h"  // before windows.h
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "comm/bq_cmd_chnl.h"
#include "comm/printer_commands.h"
#include "comm_test_support.h"
#include "message_window.h"

namespace {

using moni::test::MessageWindow;
using Bytes = std::vector<std::uint8_t>;

constexpr DWORD kPollMs = 20;
constexpr std::uint32_t kLocalChannel = 0x10000005;

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }
bool Contains(const Bytes& bytes, const Bytes& part) {
  return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

// A plain print server, whose kind the thread would learn from a status
// request that goes unanswered.
class PlainServerChannel : public CBqCmdChnl {
 public:
  using CBqCmdChnl::CBqCmdChnl;
  void AssumePlainServer() { m_nPrintServerType = kServerPlain; }
};

class CommandChannel : public moni::test::CommTest {
 protected:
  // Replies of the local printer to "rj" and "ii" commands.
  static std::string LocalScenario(const std::string& extra = "") {
    return Scenario("0x10000005:0x0007", extra + "[Commands]\n726A=726A3A4F4B3B\n6969=69693A4F4B3B\n");
  }
  MessageWindow window;
};

TEST_F(CommandChannel, RequestQueuedBeforeTheChannelOpensIsSentOnceItOpens) {
  WriteScenario(LocalScenario("[Inject]\nBQOpenChannel@1=-7\nBQOpenChannel@2=-7\nBQOpenChannel@3=-7\n"));
  CBqCmdChnl channel(bqapi::kOpenByPrinter, printer.c_str());
  channel.SetPeriods(10, kPollMs);
  // 0x10010003 is not offered; 0x10000005 fails to open three times, then opens.
  const std::uint32_t candidates[] = {0x10010003, kLocalChannel, 0};
  ASSERT_EQ(channel.StartBlockingThread(window.hwnd(), candidates, sizeof candidates), 1);
  const Bytes name = Of("doc");
  ASSERT_EQ(channel.ResetPrinterRJ(0x01020304, 2, name.data(), static_cast<std::uint32_t>(name.size())), 1);
  ASSERT_TRUE(window.PumpUntil([&] { return Calls("BQOpenChannel") >= 2; }, 5000));
  EXPECT_EQ(channel.PendingRequests(), 1u);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSENDREV, 1, 5000));
  EXPECT_EQ(Calls("BQOpenChannel"), 4u);
  const auto posted = window.Of(WM_RESULT_BQSENDREV).at(0);
  EXPECT_EQ(static_cast<int>(posted.wParam), channel.Handle());
  EXPECT_EQ(posted.lParam, 6);

  CBqCmdChnl::Request answer;
  ASSERT_EQ(channel.TakeAnswer(answer), 1);
  EXPECT_EQ(answer.request, (Bytes{'r', 'j', 9, 0, 0, 2, 4, 3, 2, 1, 'd', 'o', 'c'}));
  EXPECT_EQ(Text(answer.answer), "rj:OK;");
  EXPECT_EQ(answer.result, 6);
  EXPECT_EQ(channel.TakeAnswer(answer), 0);
  EXPECT_TRUE(window.PumpUntil([&] { return channel.PendingRequests() == 0; }, 2000));
  // Info commands travel as their six bytes on a local channel.
  ASSERT_EQ(channel.SendInfoCommand(9), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSENDREV, 2, 5000));
  ASSERT_EQ(channel.TakeAnswer(answer), 1);
  EXPECT_EQ(answer.request, (Bytes{'i', 'i', 2, 0, 1, 6}));
  EXPECT_EQ(Text(answer.answer), "ii:OK;");
  channel.EndBlockingThread(1);
  EXPECT_EQ(Calls("BQSend"), 2u);
}

TEST_F(CommandChannel, EndBlockingThreadDiscardsQueuedRequests) {
  WriteScenario(LocalScenario("[Inject]\nBQOpenChannel=-7\n"));
  CBqCmdChnl channel(bqapi::kOpenByPrinter, printer.c_str());
  channel.SetPeriods(10, kPollMs);
  const std::uint32_t candidates[] = {kLocalChannel, 0};
  const Bytes command = Of("rj\x06");
  ASSERT_EQ(channel.StartBlockingThread(window.hwnd(), candidates, sizeof candidates), 1);
  EXPECT_EQ(channel.StartBlockingThread(window.hwnd(), candidates, sizeof candidates), 0);
  ASSERT_TRUE(channel.QueueRequest(command.data(), 3));
  ASSERT_TRUE(channel.QueueRequest(command.data(), 3));
  ASSERT_TRUE(window.PumpUntil([&] { return Calls("BQOpenChannel") >= 3; }, 5000));
  EXPECT_EQ(channel.PendingRequests(), 2u);  // kept while no channel opens
  channel.EndBlockingThread(1);
  EXPECT_FALSE(channel.IsRunning());
  EXPECT_EQ(channel.PendingRequests(), 0u);

  // Once the channel opens nothing of the discarded requests is sent.
  WriteScenario(LocalScenario());
  ASSERT_EQ(channel.StartBlockingThread(window.hwnd(), candidates, sizeof candidates), 1);
  ASSERT_TRUE(window.PumpUntil([&] { return channel.Handle() > 0; }, 5000));
  window.Pump(10 * kPollMs);
  channel.EndBlockingThread(1);
  EXPECT_TRUE(window.posted().empty());
  EXPECT_EQ(Calls("BQSend"), 0u);
}

TEST_F(CommandChannel, WithoutCandidatesTheThreadPollsWithoutSending) {
  WriteScenario(LocalScenario());
  CBqCmdChnl channel(bqapi::kOpenByPrinter, printer.c_str());
  channel.SetPeriods(10, kPollMs);
  // Too long for the 256-byte command: refused, nothing queued.
  const Bytes longest(moni::comm::kMaxLocalJobName, 'n'), tooLong(moni::comm::kMaxLocalJobName + 1, 'n');
  EXPECT_EQ(channel.ResetPrinterRJ(1, 0, tooLong.data(), static_cast<std::uint32_t>(tooLong.size())), 0);
  EXPECT_EQ(channel.PendingRequests(), 0u);
  ASSERT_EQ(channel.StartBlockingThread(window.hwnd(), nullptr, nullptr), 1);
  ASSERT_EQ(channel.ResetPrinterRJ(1, 0, longest.data(), static_cast<std::uint32_t>(longest.size())), 1);
  window.Pump(10 * kPollMs);
  EXPECT_TRUE(channel.IsRunning());
  EXPECT_EQ(channel.PendingRequests(), 1u);
  channel.EndBlockingThread(1);
  EXPECT_TRUE(window.posted().empty());
  EXPECT_EQ(Calls("BQOpenChannel"), 0u);
}

TEST_F(CommandChannel, SendWithoutAChannelIsRefused) {
  WriteScenario(LocalScenario());
  CBqCmdChnl channel(bqapi::kOpenByPrinter, printer.c_str());
  Bytes reply = Of("stale");
  EXPECT_EQ(channel.CommonBQSend(moni::comm::kStatusRequest, 5, reply), bqapi::kNoChannel);
  EXPECT_TRUE(reply.empty());
  EXPECT_EQ(channel.GetTagchipReplacementReset(reply), bqapi::kNoChannel);
  EXPECT_EQ(channel.CheckPrintServer(), -1);
}

// ---------------------------------------------------------------------------
// The network channel and the SNMP agent.

class NetworkReplies : public CommandChannel {
 protected:
  void SetUp() override {
    CommandChannel::SetUp();
    ASSERT_TRUE(GetEnvironmentVariableA("MONI_SNMP_AGENT", nullptr, 0) > 0)
        << "no SNMP agent: the test harness (scripts/wine-env start) runs one";
  }
  static std::string NetworkScenario(const std::string& agent = moni::kit::AgentAddress()) {
    return Scenario("0x00000004:0x8007", "[Network]\nAgent=" + agent + "\n",
                    "MFG:TALMER;CMD:ESCPL2,BDC,D4;MDL:SMP-100;CLS:PRINTER;");
  }
  static Bytes Packed(const Bytes& command) {
    Bytes packet(moni::comm::snmp::kPacketBufferSize);
    packet.resize(CBqApiEx2::MakeSnmpPacket(command.data(), static_cast<std::uint32_t>(command.size()), packet.data()));
    return packet;
  }
  static int Send(CBqApiEx2& channel, const Bytes& packet, Bytes& reply) {
    return channel.CommonBQSend(packet.data(), static_cast<std::uint32_t>(packet.size()), reply);
  }
};

TEST_F(NetworkReplies, StatusRequestAndJobResetsReachTheAgent) {
  WriteScenario(NetworkScenario());
  CBqCmdChnl channel(bqapi::kOpenByPrinter, printer.c_str(), bqapi::kChannelNetwork, 3);
  ASSERT_GT(channel.OpenChannel(), 0);
  ASSERT_EQ(channel.CheckPrintServer(), CBqApiEx2::kServerD4);
  Bytes reply;
  ASSERT_EQ(channel.GetPrinterStatus(reply), 30);
  EXPECT_EQ(Text(Bytes(reply.begin(), reply.begin() + 8)), "@BDC ST2");
  ASSERT_EQ(channel.GetTagchipReplacementReset(reply), 6);
  EXPECT_EQ(Text(reply), "ex:OK;");

  // Job number 0xC8 and a name byte 0xE3 each travel as 0x81 and the byte less 128.
  // Requests are queued once the thread runs (starting empties the queues).
  channel.SetPeriods(10, kPollMs);
  ASSERT_EQ(channel.StartBlockingThread(window.hwnd(), nullptr, nullptr), 1);
  const Bytes name{'a', 0xE3}, busy = Of("BUSY"), doc = Of("doc");
  ASSERT_EQ(channel.ResetPrinterRJ(0xC8, 1, name.data(), 2), 1);
  ASSERT_EQ(channel.ResetPrinterRJ(0, 1, doc.data(), 3), 1);
  ASSERT_EQ(channel.ResetPrinterRJ(9, 1, busy.data(), 4), 1);
  ASSERT_EQ(channel.SendInfoCommand(0), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSENDREV, 4, 10000));

  const char* expected[] = {"rj:OK;", "rj:NA;", "rj:BUSY;", "ii:OK;"};
  CBqCmdChnl::Request answer;
  for (const char* text : expected) {
    ASSERT_EQ(channel.TakeAnswer(answer), 1);
    EXPECT_EQ(Text(answer.answer), text);
    EXPECT_EQ(answer.result, static_cast<int>(std::string(text).size()));
  }
  for (const auto& posted : window.posted()) EXPECT_EQ(static_cast<int>(posted.wParam), channel.Handle());
  // Ending drops the answers nobody took.
  ASSERT_EQ(channel.SendInfoCommand(1), 1);
  channel.EndBlockingThread(1);
  EXPECT_EQ(channel.TakeAnswer(answer), 0);
}

TEST_F(NetworkReplies, JobResetPacketsCarryTheEncodedBytes) {
  WriteScenario(NetworkScenario());
  PlainServerChannel channel(bqapi::kOpenByPrinter, printer.c_str(), bqapi::kChannelNetwork, 3);
  ASSERT_GT(channel.OpenChannel(), 0);
  ASSERT_EQ(channel.CheckPrintServer(), CBqApiEx2::kServerD4);
  channel.SetPeriods(10, kPollMs);
  ASSERT_EQ(channel.StartBlockingThread(window.hwnd(), nullptr, nullptr), 1);
  const Bytes name{'a', 0xE3};
  ASSERT_EQ(channel.ResetPrinterRJ(0xC8, 1, name.data(), 2), 1);
  // The same reset to a plain print server: its own object identifier.
  channel.AssumePlainServer();
  ASSERT_EQ(channel.ResetPrinterRJ(0xC8, 1, name.data(), 2), 1);
  ASSERT_TRUE(window.WaitFor(WM_RESULT_BQSENDREV, 2, 10000));

  const Bytes encoded{'r', 'j', 8, 0, 0, 1, 0x81, 0x48, 0, 0, 0, 'a', 0x81, 0x63};
  CBqCmdChnl::Request d4, plain;
  ASSERT_EQ(channel.TakeAnswer(d4), 1);
  ASSERT_EQ(channel.TakeAnswer(plain), 1);
  EXPECT_EQ(d4.request, Packed(encoded));
  EXPECT_EQ(Text(d4.answer), "rj:OK;");
  EXPECT_EQ(plain.request.size(), encoded.size() + 50);
  EXPECT_TRUE(Contains(plain.request, Bytes{1, 1, 2, 15, 8, 0, 12}));
  EXPECT_TRUE(Contains(plain.request, encoded));
  EXPECT_EQ(Text(plain.answer), "rj:OK;");
  channel.EndBlockingThread(1);
}

TEST_F(NetworkReplies, ErrorStatusBindingsAndShortValuesGiveNoAnswer) {
  WriteScenario(NetworkScenario());
  CBqApiEx2 channel(bqapi::kOpenByPrinter, printer.c_str(), bqapi::kChannelNetwork, 3);
  ASSERT_GT(channel.OpenChannel(), 0);
  Bytes reply;
  // A command the printer does not know: the agent answers noSuchName (2).
  EXPECT_EQ(Send(channel, Packed(Of("zz")), reply), 0);
  EXPECT_TRUE(reply.empty());
  EXPECT_EQ(channel.LastSnmpError(), 2);
  // A value of one byte holds no answer; one of five bytes its last four.
  EXPECT_EQ(Send(channel, Packed(Of("v1")), reply), 0);
  ASSERT_EQ(Send(channel, Packed(Of("v5")), reply), 4);
  EXPECT_EQ(Text(reply), "abcd");
  // Two bindings in one request: the agent answers both, which is no answer.
  const Bytes one = Packed(Of("v5"));
  const Bytes binding(one.begin() + 26, one.end());
  Bytes two = one;
  two.insert(two.end(), binding.begin(), binding.end());
  for (size_t at : {1u, 14u, 25u}) two[at] = static_cast<std::uint8_t>(two[at] + binding.size());
  EXPECT_EQ(Send(channel, two, reply), 0);
  EXPECT_TRUE(reply.empty());
  ASSERT_EQ(Send(channel, one, reply), 4);  // and the channel answers as before
}

TEST_F(NetworkReplies, NoAnswerWithinTheWait) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  {
    // A port where a socket is bound but nobody answers.
    moni::Socket silent(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(silent.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int length = sizeof address;
    ASSERT_EQ(getsockname(silent.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    WriteScenario(NetworkScenario("127.0.0.1:" + std::to_string(ntohs(address.sin_port))));

    CBqCmdChnl channel(bqapi::kOpenByPrinter, printer.c_str(), bqapi::kChannelNetwork, 3);
    ASSERT_GT(channel.OpenChannel(), 0);
    Bytes reply;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.GetPrinterStatus(reply), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    EXPECT_TRUE(reply.empty());
    // A "D4" print server that does not answer the status request is a plain one.
    EXPECT_EQ(channel.CheckPrintServer(), CBqApiEx2::kServerPlain);
    EXPECT_EQ(channel.GetTagchipReplacementReset(reply), -1);
  }
  WSACleanup();
}

}  // namespace
