// The printer simulator (BQAPI.DLL) as the instrument the other tests build
// on: loaded from the build's bin folder and called through the product's
// function types, each test with a scenario folder of its own.
#include "platform/socket.h"  // before windows.h
#include <ws2tcpip.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "comm/bqapi.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr char kName[] = "Test Printer";
constexpr char kStatusChannels[] = "Channels=0x10000005:0x0007\n";

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) text += {digits[b >> 4], digits[b & 15]};
  return text;
}

using Socket = moni::Socket;

// A UDP agent on 127.0.0.1 that answers each datagram with "R:" and its bytes,
// except "quiet", which it only counts.
class Agent {
 public:
  Agent() {
    WSADATA data;
    m_winsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    m_socket.reset(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(m_socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(m_socket.get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      m_port = ntohs(address.sin_port);
      m_thread.start(&Agent::Serve, this);
    }
  }
  ~Agent() {
    m_stop = true;
    m_thread.join();
    m_socket.reset();
    if (m_winsock) WSACleanup();
  }
  int port() const { return m_port; }
  int received() const { return m_received; }

 private:
  static DWORD WINAPI Serve(void* context) {
    auto* self = static_cast<Agent*>(context);
    char buffer[1500];
    while (!self->m_stop) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(self->m_socket.get(), &readable);
      timeval poll{0, 20000};
      if (select(0, &readable, nullptr, nullptr, &poll) <= 0) continue;
      sockaddr_in from = {};
      int fromLength = sizeof from;
      const int got = recvfrom(self->m_socket.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (got < 0) continue;
      ++self->m_received;
      const std::string reply = "R:" + std::string(buffer, got);
      if (reply != "R:quiet") {
        sendto(self->m_socket.get(), reply.data(), static_cast<int>(reply.size()), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
      }
    }
    return 0;
  }

  bool m_winsock = false;
  Socket m_socket;
  int m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_received{0};
  moni::Thread m_thread;
};

class Simulator : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = moni::test::TempFolder() + L"bqsim_" + moni::test::UniqueTestName();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
    ASSERT_TRUE(fs::create_directories(m_dir));
    ASSERT_TRUE(SetEnvironmentVariableW(L"BQSIM_DIR", m_dir.c_str()));
  }
  void TearDown() override {
    m_lib.reset();
    SetEnvironmentVariableW(L"BQSIM_DIR", nullptr);
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }

  // Loads the simulator from the bin folder (beside this program) and binds it.
  void Load(const wchar_t* file = L"BQAPI.DLL") {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + file;
    m_lib.reset(LoadLibraryW(path.c_str()));
    ASSERT_TRUE(m_lib.valid());
    init = Proc<bqapi::BQInitializeFn>("BQInitialize");
    release = Proc<bqapi::BQReleaseFn>("BQRelease");
    channels = Proc<bqapi::BQGetAvailableChannelFn>("BQGetAvailableChannel");
    open = Proc<bqapi::BQOpenChannelFn>("BQOpenChannel");
    close = Proc<bqapi::BQCloseChannelFn>("BQCloseChannel");
    status = Proc<bqapi::BQGetStatusFn>("BQGetStatus");
    deviceId = Proc<bqapi::BQGetDeviceIDFn>("BQGetDeviceID");
    send = Proc<bqapi::BQSendFn>("BQSend");
    receive = Proc<bqapi::BQReceiveFn>("BQReceive");
    ASSERT_TRUE(init && release && channels && open && close && status && deviceId && send && receive);
  }
  template <typename Fn>
  Fn Proc(const char* name) {
    return moni::test::ProcOf<Fn>(m_lib, name);
  }

  // Replaces a file of the scenario folder in one step, as a reader sees it.
  void Write(const std::string& name, const std::string& text) {
    const std::wstring path = m_dir + L"\\" + std::wstring(name.begin(), name.end());
    const std::wstring temp = path + L".new";
    {
      moni::KernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD written = 0;
      ASSERT_TRUE(file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    }
    ASSERT_TRUE(MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  }
  void Scenario(const std::string& text) { Write(std::string("printer-") + kName + ".ini", text); }

  // One read the way the product makes it: the size, then the bytes. Gives the
  // bytes in hexadecimal, or "result N" when the first call is not -4.
  template <typename Call>
  static std::string TwoCalls(Call call) {
    std::uint32_t size = 0;
    int result = call(nullptr, &size);
    if (result != bqapi::kNeedBuffer) return "result " + std::to_string(result);
    std::string bytes(size + 1, '\0');
    result = call(reinterpret_cast<unsigned char*>(bytes.data()), &size);
    EXPECT_EQ(result, static_cast<int>(size));
    bytes.resize(size);
    return Hex(bytes);
  }
  std::string Status(int h) {
    return TwoCalls([&](unsigned char* b, std::uint32_t* s) { return status(h, b, s); });
  }
  std::string Receive(int h, std::uint32_t wait) {
    return TwoCalls([&](unsigned char* b, std::uint32_t* s) { return receive(h, b, s, wait); });
  }
  int Send(int h, const std::string& bytes) {
    return send(h, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()));
  }

  // The journal's lines, each checked to end in "\r\n".
  std::vector<std::string> Journal() {
    const std::string bytes = moni::test::ReadFileBytes(m_dir + L"\\journal.log");
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
      EXPECT_EQ(bytes[end - 1], '\r');
      lines.push_back(bytes.substr(start, end - 1 - start));
    }
    return lines;
  }

  std::wstring m_dir;
  moni::Module m_lib;
  bqapi::BQInitializeFn init = nullptr;
  bqapi::BQReleaseFn release = nullptr;
  bqapi::BQGetAvailableChannelFn channels = nullptr;
  bqapi::BQOpenChannelFn open = nullptr;
  bqapi::BQCloseChannelFn close = nullptr;
  bqapi::BQGetStatusFn status = nullptr;
  bqapi::BQGetDeviceIDFn deviceId = nullptr;
  bqapi::BQSendFn send = nullptr;
  bqapi::BQReceiveFn receive = nullptr;
};

TEST_F(Simulator, SizeQueriesAnswerTwiceAndNeverWritePastTheSize) {
  const std::string id = "MFG:TALMER;MDL:SMP-100;";
  Scenario("[Printer]\nDeviceID=" + id + "\nChannels=0x10000005:0x0007, 4:8004\nReply1=4142\n");
  Write("port-USB%3A7.ini", "[Printer]\nDeviceID=X\n");
  Load();

  std::uint32_t size = 0;
  EXPECT_EQ(channels(bqapi::kOpenByPrinter, kName, nullptr, &size), -4);
  ASSERT_EQ(size, 16u);
  std::vector<unsigned char> buffer(17, 0xCC);
  size = 15;
  EXPECT_EQ(channels(bqapi::kOpenByPrinter, kName, buffer.data(), &size), -4);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(buffer[0], 0xCC);
  EXPECT_EQ(channels(bqapi::kOpenByPrinter, kName, buffer.data(), &size), 2);
  bqapi::ChannelEntry entries[2];
  std::memcpy(entries, buffer.data(), sizeof entries);
  EXPECT_EQ(entries[0].channel, 0x10000005u);
  EXPECT_EQ(entries[0].mode, 0x0007);
  EXPECT_EQ(entries[1].channel, bqapi::kChannelNetwork);
  EXPECT_EQ(entries[1].mode, 0x8004);
  EXPECT_EQ(buffer[16], 0xCC);

  size = 0;
  EXPECT_EQ(deviceId(bqapi::kOpenByPrinter, kName, nullptr, &size), -4);
  ASSERT_EQ(size, id.size());
  std::string text(size + 1, '#');
  std::uint32_t tooSmall = size - 1;
  EXPECT_EQ(deviceId(bqapi::kOpenByPrinter, kName, text.data(), &tooSmall), -4);
  EXPECT_EQ(tooSmall, size);
  EXPECT_EQ(text[0], '#');
  EXPECT_EQ(deviceId(bqapi::kOpenByPrinter, kName, text.data(), &size), 0);
  EXPECT_EQ(text, id + "#");  // the byte past the size stays the caller's
  // By port, with the name escaped in the file name; another open type is another file.
  EXPECT_EQ(deviceId(bqapi::kOpenByPort, "USB:7", nullptr, &size), -4);
  EXPECT_EQ(size, 1u);
  EXPECT_LT(deviceId(bqapi::kOpenByPrinter, "USB:7", nullptr, &size), 0);
  EXPECT_LT(deviceId(bqapi::kOpenByPrinter, kName, nullptr, nullptr), 0);

  const int h = open(bqapi::kOpenByPrinter, kName, 0x10000005);
  ASSERT_GT(h, 0);
  unsigned char reply[2] = {0xCC, 0xCC};
  size = 1;
  EXPECT_EQ(status(h, reply, &size), -4);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(reply[0], 0xCC);
  EXPECT_EQ(status(h, reply, &size), 2);
  EXPECT_EQ(reply[1], 0x42);

  EXPECT_LT(open(bqapi::kOpenByPrinter, kName, 0x10010003), 0);  // not offered
  EXPECT_LT(open(bqapi::kOpenByPrinter, "Nobody", 0x10000005), 0);
  EXPECT_LT(status(h + 1, nullptr, &size), 0);
  EXPECT_EQ(close(h), 0);
  EXPECT_LT(status(h, nullptr, &size), 0);
}

TEST_F(Simulator, RepliesAdvanceAndARewrittenScenarioStartsOver) {
  Scenario(std::string("[Printer]\n") + kStatusChannels + "AtEnd=wrap\nReply1=01\nReply2=-\nReply3=02 03\n");
  Load();
  const int h = open(bqapi::kOpenByPrinter, kName, 0x10000005);
  const int other = open(bqapi::kOpenByPrinter, kName, 0x10000005);
  ASSERT_GT(h, 0);
  ASSERT_GT(other, h);
  EXPECT_EQ(Status(h), "01");  // the size query does not advance
  EXPECT_EQ(Status(h), "result 0");
  EXPECT_EQ(Status(other), "0203");  // one sequence per printer
  EXPECT_EQ(Status(h), "01");

  Scenario(std::string("[Printer]\n") + kStatusChannels + "AtEnd=stay\nReply1=0A\nReply2=0B0B\n");
  EXPECT_EQ(Status(h), "0A");
  EXPECT_EQ(Status(h), "0B0B");
  EXPECT_EQ(Status(h), "0B0B");

  Scenario(std::string("[Printer]\n") + kStatusChannels + "Advance=ms:40\nReply1=11\nReply2=2222\n");
  EXPECT_EQ(Status(h), "11");
  Sleep(50);
  EXPECT_EQ(Status(h), "2222");
}

TEST_F(Simulator, InjectedResultsReplaceCalls) {
  Scenario(std::string("[Printer]\nDeviceID=MDL:SMP-100;\n") + kStatusChannels +
           "Reply1=01\n[Inject]\nBQGetDeviceID=-17\nBQGetStatus@2=-17\nBQGetStatus@4=seh\n");
  Load();
  std::uint32_t size = 0;
  EXPECT_EQ(deviceId(bqapi::kOpenByPrinter, kName, nullptr, &size), bqapi::kBusy);
  EXPECT_EQ(deviceId(bqapi::kOpenByPrinter, kName, nullptr, &size), bqapi::kBusy);

  const int h = open(bqapi::kOpenByPrinter, kName, 0x10000005);
  ASSERT_GT(h, 0);
  unsigned char reply[4];
  EXPECT_EQ(status(h, nullptr, &size), -4);
  size = sizeof reply;
  EXPECT_EQ(status(h, reply, &size), bqapi::kBusy);
  EXPECT_EQ(status(h, nullptr, &size), -4);
  DWORD code = 0;
  EXPECT_FALSE(moni::Guarded([&] { status(h, reply, &size); }, &code));
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  size = sizeof reply;
  EXPECT_EQ(status(h, reply, &size), 1);  // fifth call: the simulator goes on

  const std::string prefix = std::to_string(GetCurrentProcessId()) + " BQGetStatus " + std::to_string(h) + " 0x10000005 ";
  const std::vector<std::string> journal = Journal();
  ASSERT_GE(journal.size(), 3u);
  EXPECT_EQ(journal[journal.size() - 2], prefix + "seh");
  EXPECT_EQ(journal.back(), prefix + "1");

  // A scenario with a mistake fails every call on its printer, loudly.
  Scenario(std::string("[Printer]\n") + kStatusChannels + "[Inject]\nBQGetStatsu=-17\n");
  EXPECT_EQ(status(h, nullptr, &size), -8);
}

TEST_F(Simulator, CommandChannelQueuesTheReplyOfTheLongestPrefix) {
  Scenario(std::string("[Printer]\n") + kStatusChannels + "[Commands]\n1B=AA\n1B40=0D0A\n");
  Load();
  const int h = open(bqapi::kOpenByPrinter, kName, 0x10000005);
  ASSERT_GT(h, 0);
  EXPECT_EQ(Send(h, "\x1B@A"), 3);
  EXPECT_EQ(Send(h, std::string("\x1B\0", 2)), 2);
  EXPECT_EQ(Receive(h, 5000), "0D0A");
  EXPECT_EQ(Receive(h, 5000), "AA");

  EXPECT_EQ(Send(h, "\xFF"), 1);
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Receive(h, 100), "result -10");
  EXPECT_GE(GetTickCount64() - start, 90u);

  // A reply queued by another thread ends the wait.
  struct Late {
    bqapi::BQSendFn send;
    int h;
  } late{send, h};
  moni::Thread sender;
  ASSERT_TRUE(sender.start(
      [](void* context) -> DWORD {
        auto* l = static_cast<Late*>(context);
        Sleep(50);
        l->send(l->h, reinterpret_cast<const unsigned char*>("\x1B@"), 2);
        return 0;
      },
      &late));
  start = GetTickCount64();
  EXPECT_EQ(Receive(h, 5000), "0D0A");
  EXPECT_LT(GetTickCount64() - start, 4000u);
}

TEST_F(Simulator, NetworkChannelExchangesDatagramsWithTheAgent) {
  Agent agent;
  ASSERT_GT(agent.port(), 0);
  Scenario("[Printer]\nChannels=0x00000004:0x8004\n[Network]\nAgent=127.0.0.1:" + std::to_string(agent.port()) + "\n");
  Write("printer-No Agent.ini", "[Printer]\nChannels=0x00000004:0x8004\n");
  Load();
  const int h = open(bqapi::kOpenByPrinter, kName, bqapi::kChannelNetwork);
  ASSERT_GT(h, 0);
  EXPECT_EQ(Send(h, "ping"), 4);
  EXPECT_EQ(Receive(h, bqapi::kReceiveWaitNetwork), Hex("R:ping"));

  EXPECT_EQ(Send(h, "quiet"), 5);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Receive(h, 100), "result -10");
  const ULONGLONG waited = GetTickCount64() - start;
  EXPECT_GE(waited, 90u);
  EXPECT_LT(waited, 1500u);
  EXPECT_EQ(agent.received(), 2);

  const int lost = open(bqapi::kOpenByPrinter, "No Agent", bqapi::kChannelNetwork);
  ASSERT_GT(lost, 0);
  EXPECT_LT(Send(lost, "ping"), 0);
  EXPECT_EQ(Receive(lost, 100), "result -10");
}

TEST_F(Simulator, LibrarySettingsExportsAndJournal) {
  Write("library.ini", "[Library]\nInitialize=-3\nRelease=2\n");
  Scenario(std::string("[Printer]\n") + kStatusChannels);
  {
    moni::Module partial(LoadLibraryW(L"BQAPINX.DLL"));
    ASSERT_TRUE(partial.valid());
    EXPECT_EQ(moni::test::ProcOf<bqapi::BQGetStatusFn>(partial, "BQGetStatus"), nullptr);
    for (const char* name : {"BQInitialize", "BQReceiveCancel", "BQSetOption", "BQGetOption", "BQGetEnvInfo"})
      EXPECT_NE(moni::test::ProcOf<void (*)()>(partial, name), nullptr) << name;
  }
  Load(L"BQAPI.DLL");
  EXPECT_EQ(init(), -3);
  const int h = open(bqapi::kOpenByPrinter, kName, 0x10000005);
  EXPECT_EQ(Status(h), "result 0");
  EXPECT_EQ(close(h), 0);
  EXPECT_EQ(release(), 2);

  Load(L"BQAPI.DLL");  // loaded again, the same journal
  const auto envInfo = Proc<bqapi::BQGetEnvInfoFn>("BQGetEnvInfo");
  ASSERT_NE(envInfo, nullptr);
  std::uint32_t size = 0;
  EXPECT_EQ(envInfo(nullptr, &size), -4);
  EXPECT_GT(size, 0u);
  Write("library.ini", "[Library]\nInitialize=seh\n");
  DWORD code = 0;
  EXPECT_FALSE(moni::Guarded([&] { init(); }, &code));
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  const std::string pid = std::to_string(GetCurrentProcessId()) + " ";
  const std::string handle = std::to_string(h);
  const std::vector<std::string> expected = {
      pid + "BQInitialize - - -3",
      pid + "BQOpenChannel 1 Test Printer " + handle,
      pid + "BQGetStatus " + handle + " 0x10000005 0",
      pid + "BQCloseChannel " + handle + " 0x10000005 0",
      pid + "BQRelease - - 2",
      pid + "BQGetEnvInfo - - -4",
      pid + "BQInitialize - - seh",
  };
  EXPECT_EQ(Journal(), expected);
}

}  // namespace
