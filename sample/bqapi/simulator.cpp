// The printer simulator: the communication library's exports, answering from
// one scenario file per printer (sample/README.md). One lock guards all state;
// BQReceive waits without it. A call whose scenario asks for a structured
// exception raises it at the very end, when nothing of the call is left to
// clean up and the lock is free.
#include "platform/socket.h"  // before windows.h
#include <ws2tcpip.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>

#include "comm/bqapi.h"
#include "platform/handles.h"
#include "scenario.h"
#include "scenario_folder.h"

#if defined(_MSC_VER)
#define BQSIM_NOINLINE __declspec(noinline)
#else
#define BQSIM_NOINLINE __attribute__((noinline))
#endif

namespace {

using bqsim::Injected;
using bqsim::Scenario;
using Clock = std::chrono::steady_clock;

// Results of the simulator's own (sample/README.md).
constexpr int kOk = 0;
constexpr int kBadArgument = -1;
constexpr int kNoPrinter = -2;
constexpr int kNotOffered = -3;
constexpr int kNeedBuffer = bqapi::kNeedBuffer;
constexpr int kUnknownHandle = -5;
constexpr int kSendFailed = -6;
constexpr int kInternalFailure = -7;
constexpr int kBadScenario = -8;
constexpr int kNothing = bqapi::kNothingToReceive;

// A name is read up to its terminating zero, but never further than this.
constexpr size_t kMaxName = 1024;
constexpr ULONGLONG kMaxFileSize = 1 << 20;
constexpr int kMaxDatagram = 65536;

using Socket = moni::Socket;

// What a call comes to: its result, or a structured exception to raise.
struct Outcome {
  int result = 0;
  bool seh = false;
};
Outcome Result(int result) { return {result, false}; }
Outcome From(const Injected& injected) { return {injected.result, injected.seh}; }

// The call's journal fields and scenario folder.
struct Record {
  const char* exportName = "";
  std::wstring folder;
  std::string target = "-";  // open type or handle
  std::string detail = "-";  // name or channel
};

struct PrinterState {
  ULONGLONG stamp = 0, size = 0;     // the scenario file's write time and size when read
  unsigned generation = 0;           // a new number with each reading
  std::optional<Scenario> scenario;  // nullopt: not a valid scenario
  std::map<std::string, unsigned> calls;  // per export, for NAME@N
  unsigned long long repliesGiven = 0;
  std::optional<Clock::time_point> firstStatus;
};

struct Channel {
  std::wstring printer;  // the scenario file
  std::uint32_t number = 0;
  std::deque<std::string> pending;    // replies waiting for BQReceive
  std::optional<std::string> pinned;  // the status reply whose size was asked for
  unsigned pinnedGeneration = 0;
  Socket socket;  // network channel: connected to the agent on the first BQSend
  bool closed = false;
};

std::string Hex8(std::uint32_t value) {
  char text[11];
  snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

// A name for the journal: control bytes as %XX, so that a line stays one line.
std::string Printable(std::string_view name) {
  std::string out;
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", b);
      out += hex;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

using bqsim::Join;
using bqsim::ScenarioFolder;

// The file's write time and size; false when there is no such file.
bool Stamp(const std::wstring& path, ULONGLONG& stamp, ULONGLONG& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  stamp = static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  size = static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

std::optional<std::string> ReadWhole(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  moni::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
    bytes.append(chunk, got);
    if (bytes.size() > kMaxFileSize) return std::nullopt;
  }
  return bytes;
}

// One line per call, appended; the file is opened for each line and shared,
// so that several processes can write to it.
void WriteJournal(const Record& record, const Outcome& outcome) noexcept {
  try {
    const std::string line = std::to_string(GetCurrentProcessId()) + " " + record.exportName + " " + record.target + " " +
                             record.detail + " " + (outcome.seh ? "seh" : std::to_string(outcome.result)) + "\r\n";
    moni::KernelHandle file(CreateFileW(Join(record.folder, L"journal.log").c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED atEnd = {};
    atEnd.Offset = atEnd.OffsetHigh = 0xFFFFFFFF;  // write at the end of the file
    DWORD written = 0;
    if (file) WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, &atEnd);
  } catch (...) {
  }
}

// Waits until `deadline` for a datagram on `s`.
std::optional<std::string> AwaitDatagram(SOCKET s, Clock::time_point deadline) {
  std::string datagram(kMaxDatagram, '\0');
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(std::max(deadline - Clock::now(), Clock::duration::zero()));
    timeval timeout{static_cast<long>(left.count() / 1000000), static_cast<long>(left.count() % 1000000)};
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    const int ready = select(0, &readable, nullptr, nullptr, &timeout);
    if (ready < 0) return std::nullopt;
    if (ready > 0) {
      const int got = recv(s, datagram.data(), kMaxDatagram, 0);
      if (got >= 0) {
        datagram.resize(static_cast<size_t>(got));
        return datagram;
      }
      // An error left by an earlier datagram (nobody at the agent's port): wait on.
    }
    if (Clock::now() >= deadline) return std::nullopt;
  }
}

class Simulator {
 public:
  Outcome Library(Record& record, const char* key) {
    const auto text = ReadWhole(Join(record.folder, L"library.ini"));
    if (!text) return Result(kOk);
    const bqsim::IniFile ini = bqsim::ParseIni(*text);
    const auto section = ini.find("library");
    if (section == ini.end()) return Result(kOk);
    const auto value = section->second.find(key);
    if (value == section->second.end()) return Result(kOk);
    const auto injected = bqsim::ParseInjected(value->second);
    return injected ? From(*injected) : Result(kBadScenario);
  }

  Outcome Release(Record& record) {
    {
      std::lock_guard lock(m_mutex);
      if (m_winsock && m_channels.empty()) {
        WSACleanup();
        m_winsock = false;
      }
    }
    return Library(record, "release");
  }

  Outcome GetAvailableChannel(Record& record, int openType, const char* name, unsigned char* buffer, std::uint32_t* size) {
    std::lock_guard lock(m_mutex);
    std::wstring path;
    PrinterState* printer = nullptr;
    if (auto early = EnterNamed(record, openType, name, size != nullptr, path, printer)) return *early;
    const auto& offers = printer->scenario->channels;
    const auto needed = static_cast<std::uint32_t>(offers.size() * sizeof(bqapi::ChannelEntry));
    if (!buffer || *size < needed) {
      *size = needed;
      return Result(kNeedBuffer);
    }
    for (size_t i = 0; i < offers.size(); ++i) {
      const bqapi::ChannelEntry entry{offers[i].channel, offers[i].mode, 0};
      std::memcpy(buffer + i * sizeof entry, &entry, sizeof entry);
    }
    *size = needed;
    return Result(static_cast<int>(offers.size()));
  }

  Outcome GetDeviceID(Record& record, int openType, const char* name, char* buffer, std::uint32_t* size) {
    std::lock_guard lock(m_mutex);
    std::wstring path;
    PrinterState* printer = nullptr;
    if (auto early = EnterNamed(record, openType, name, size != nullptr, path, printer)) return *early;
    const std::string& id = printer->scenario->deviceId;
    const auto needed = static_cast<std::uint32_t>(id.size());
    if (!buffer || *size < needed) {
      *size = needed;
      return Result(kNeedBuffer);
    }
    std::memcpy(buffer, id.data(), needed);
    if (*size > needed) buffer[needed] = '\0';
    *size = needed;
    return Result(kOk);
  }

  Outcome OpenChannel(Record& record, int openType, const char* name, std::uint32_t channel) {
    std::lock_guard lock(m_mutex);
    std::wstring path;
    PrinterState* printer = nullptr;
    if (auto early = EnterNamed(record, openType, name, true, path, printer)) return *early;
    if (!printer->scenario->Offer(channel)) return Result(kNotOffered);
    auto opened = std::make_shared<Channel>();
    opened->printer = std::move(path);
    opened->number = channel;
    do {
      m_lastHandle = m_lastHandle == INT_MAX ? 1 : m_lastHandle + 1;
    } while (m_channels.count(m_lastHandle));
    m_channels.emplace(m_lastHandle, std::move(opened));
    return Result(m_lastHandle);
  }

  // The handle is gone afterwards, whatever the printer's scenario says.
  Outcome CloseChannel(Record& record, int handle) {
    std::lock_guard lock(m_mutex);
    std::shared_ptr<Channel> channel;
    PrinterState* printer = nullptr;
    const auto early = EnterChannel(record, handle, true, channel, printer);
    if (!channel) return *early;
    channel->closed = true;
    m_channels.erase(handle);
    m_replyQueued.notify_all();
    return early ? *early : Result(kOk);
  }

  // The reply whose size a call without buffer gave is the one the next call
  // with a buffer gets, also when the scenario advances in between.
  Outcome GetStatus(Record& record, int handle, unsigned char* buffer, std::uint32_t* size) {
    std::lock_guard lock(m_mutex);
    std::shared_ptr<Channel> channel;
    PrinterState* printer = nullptr;
    if (auto early = EnterChannel(record, handle, size != nullptr, channel, printer)) return *early;
    if (!printer->firstStatus) printer->firstStatus = Clock::now();
    std::optional<std::string> reply =
        channel->pinned && channel->pinnedGeneration == printer->generation ? std::move(channel->pinned) : CurrentReply(*printer);
    channel->pinned.reset();
    if (!reply || reply->empty()) {
      Consume(*printer);
      *size = 0;
      return Result(0);
    }
    const auto needed = static_cast<std::uint32_t>(reply->size());
    if (!buffer || *size < needed) {
      channel->pinned = std::move(reply);
      channel->pinnedGeneration = printer->generation;
      *size = needed;
      return Result(kNeedBuffer);
    }
    std::memcpy(buffer, reply->data(), needed);
    *size = needed;
    Consume(*printer);
    return Result(static_cast<int>(needed));
  }

  Outcome Send(Record& record, int handle, const unsigned char* data, std::uint32_t length) {
    std::unique_lock lock(m_mutex);
    std::shared_ptr<Channel> channel;
    PrinterState* printer = nullptr;
    if (auto early = EnterChannel(record, handle, (data || length == 0) && length <= INT_MAX, channel, printer)) return *early;
    const std::string_view bytes(reinterpret_cast<const char*>(data), length);  // the caller's, for this call
    if (channel->number != bqapi::kChannelNetwork) {
      if (const std::string* reply = printer->scenario->CommandReply(bytes)) {
        channel->pending.push_back(*reply);
        m_replyQueued.notify_all();
      }
      return Result(static_cast<int>(length));
    }
    if (!channel->socket && !Connect(*printer->scenario, channel->socket)) return Result(kSendFailed);
    const SOCKET s = channel->socket.get();  // stays open while `channel` is held
    lock.unlock();
    if (bytes.size() > static_cast<size_t>(kMaxDatagram) ||
        send(s, bytes.data(), static_cast<int>(bytes.size()), 0) != static_cast<int>(bytes.size())) {
      return Result(kSendFailed);
    }
    return Result(static_cast<int>(length));
  }

  Outcome Receive(Record& record, int handle, unsigned char* buffer, std::uint32_t* size, std::uint32_t wait) {
    std::unique_lock lock(m_mutex);
    std::shared_ptr<Channel> channel;
    PrinterState* printer = nullptr;
    if (auto early = EnterChannel(record, handle, size != nullptr, channel, printer)) return *early;
    printer = nullptr;  // may go while the lock is free
    const auto deadline = Clock::now() + std::chrono::milliseconds(wait);
    if (channel->number == bqapi::kChannelNetwork) {
      if (channel->pending.empty() && channel->socket) {
        const SOCKET s = channel->socket.get();
        lock.unlock();
        auto datagram = AwaitDatagram(s, deadline);
        lock.lock();
        if (datagram) channel->pending.push_back(std::move(*datagram));
      }
    } else {
      m_replyQueued.wait_until(lock, deadline, [&] { return !channel->pending.empty() || channel->closed; });
    }
    if (channel->pending.empty()) return Result(kNothing);
    const std::string& reply = channel->pending.front();
    const auto needed = static_cast<std::uint32_t>(reply.size());
    if (!buffer || *size < needed) {
      *size = needed;
      return Result(kNeedBuffer);
    }
    std::memcpy(buffer, reply.data(), needed);
    *size = needed;
    channel->pending.pop_front();
    return Result(static_cast<int>(needed));
  }

  // The exports nobody calls: they answer for a known handle and do nothing.
  Outcome Acknowledge(Record& record, int handle, bool valid) {
    std::lock_guard lock(m_mutex);
    std::shared_ptr<Channel> channel;
    PrinterState* printer = nullptr;
    if (auto early = EnterChannel(record, handle, valid, channel, printer)) return *early;
    return Result(kOk);
  }

 private:
  // Under the lock: the printer of the scenario file `path`, read again when
  // the file changed (which starts the printer over), and the call counted.
  // Returns the outcome when the call ends here: no such printer, a scenario
  // that is not valid, an injected result.
  std::optional<Outcome> Enter(const std::wstring& path, const char* exportName, PrinterState*& printer) {
    ULONGLONG stamp = 0, size = 0;
    if (!Stamp(path, stamp, size)) {
      m_printers.erase(path);
      return Result(kNoPrinter);
    }
    PrinterState& state = m_printers[path];
    if (state.generation == 0 || state.stamp != stamp || state.size != size) {
      auto text = ReadWhole(path);
      if (!text) {
        m_printers.erase(path);
        return Result(kNoPrinter);
      }
      state = PrinterState{};
      state.stamp = stamp;
      state.size = size;
      state.generation = ++m_generation;
      std::string error;
      state.scenario = bqsim::ParseScenario(*text, error);
      if (!state.scenario) OutputDebugStringW((L"BQSim: " + path + L": " + std::wstring(error.begin(), error.end()) + L"\n").c_str());
    }
    printer = &state;
    if (!state.scenario) return Result(kBadScenario);
    const unsigned n = ++state.calls[exportName];
    if (const auto injected = state.scenario->InjectionFor(exportName, n)) return From(*injected);
    return std::nullopt;
  }

  std::optional<Outcome> EnterNamed(Record& record, int openType, const char* name, bool valid, std::wstring& path,
                                    PrinterState*& printer) {
    record.target = std::to_string(openType);
    if (!name) return Result(kBadArgument);
    const size_t length = strnlen(name, kMaxName + 1);
    const std::string_view text(name, std::min(length, kMaxName));
    record.detail = Printable(text);
    if (!valid || length > kMaxName || (openType != bqapi::kOpenByPort && openType != bqapi::kOpenByPrinter)) {
      return Result(kBadArgument);
    }
    const std::string file = bqsim::ScenarioFileName(openType, text);  // ASCII only
    path = Join(record.folder, std::wstring(file.begin(), file.end()));
    return Enter(path, record.exportName, printer);
  }

  std::optional<Outcome> EnterChannel(Record& record, int handle, bool valid, std::shared_ptr<Channel>& channel,
                                      PrinterState*& printer) {
    record.target = std::to_string(handle);
    const auto it = m_channels.find(handle);
    if (it == m_channels.end()) return Result(kUnknownHandle);
    channel = it->second;
    record.detail = Hex8(channel->number);
    if (!valid) return Result(kBadArgument);
    return Enter(channel->printer, record.exportName, printer);
  }

  static std::optional<std::string> CurrentReply(const PrinterState& printer) {
    const Scenario& s = *printer.scenario;
    if (s.replies.empty()) return std::nullopt;
    unsigned long long index = printer.repliesGiven;
    if (s.advanceMs) index = static_cast<unsigned long long>((Clock::now() - *printer.firstStatus) / std::chrono::milliseconds(s.advanceMs));
    const size_t count = s.replies.size();
    return s.replies[s.wrap ? index % count : std::min<unsigned long long>(index, count - 1)];
  }

  static void Consume(PrinterState& printer) {
    if (!printer.scenario->advanceMs) ++printer.repliesGiven;
  }

  // Under the lock: a UDP socket connected to the scenario's agent.
  bool Connect(const Scenario& s, Socket& out) {
    if (s.agentHost.empty()) return false;
    if (!m_winsock) {
      WSADATA data;
      if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
      m_winsock = true;
    }
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    if (getaddrinfo(s.agentHost.c_str(), s.agentPort.c_str(), &hints, &found) != 0 || !found) return false;
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, &freeaddrinfo);
    Socket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket || connect(socket.get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0) return false;
    out = std::move(socket);
    return true;
  }

  std::mutex m_mutex;
  std::condition_variable m_replyQueued;
  std::map<std::wstring, PrinterState> m_printers;
  std::map<int, std::shared_ptr<Channel>> m_channels;
  int m_lastHandle = 0;
  unsigned m_generation = 0;
  bool m_winsock = false;
};

Simulator& Sim() {
  static Simulator simulator;
  return simulator;
}

BQSIM_NOINLINE void RaiseAccessViolation() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 0;  // both volatile: neither the load nor the store may be left out
}

// Runs one call and writes its journal line; nothing escapes as a C++ exception.
template <typename Body>
BQSIM_NOINLINE Outcome Perform(const char* exportName, Body&& body) noexcept {
  Record record;
  record.exportName = exportName;
  Outcome outcome = Result(kInternalFailure);
  try {
    record.folder = ScenarioFolder();
    outcome = body(record);
  } catch (...) {
  }
  WriteJournal(record, outcome);
  return outcome;
}

template <typename Body>
int Run(const char* exportName, Body&& body) noexcept {
  const Outcome outcome = Perform(exportName, std::forward<Body>(body));
  if (outcome.seh) RaiseAccessViolation();
  return outcome.result;
}

// The text BQGetEnvInfo gives, in the usual two calls.
constexpr char kEnvInfo[] = "BQSim printer simulator";

}  // namespace

extern "C" {

int BQInitialize() {
  return Run("BQInitialize", [](Record& r) { return Sim().Library(r, "initialize"); });
}

int BQRelease() {
  return Run("BQRelease", [](Record& r) { return Sim().Release(r); });
}

int BQGetAvailableChannel(int openType, const char* name, unsigned char* buffer, std::uint32_t* size) {
  return Run("BQGetAvailableChannel", [&](Record& r) { return Sim().GetAvailableChannel(r, openType, name, buffer, size); });
}

int BQOpenChannel(int openType, const char* name, std::uint32_t channel) {
  return Run("BQOpenChannel", [&](Record& r) { return Sim().OpenChannel(r, openType, name, channel); });
}

int BQCloseChannel(int handle) {
  return Run("BQCloseChannel", [&](Record& r) { return Sim().CloseChannel(r, handle); });
}

int BQGetStatus(int handle, unsigned char* buffer, std::uint32_t* size) {
  return Run("BQGetStatus", [&](Record& r) { return Sim().GetStatus(r, handle, buffer, size); });
}

int BQGetDeviceID(int openType, const char* name, char* buffer, std::uint32_t* size) {
  return Run("BQGetDeviceID", [&](Record& r) { return Sim().GetDeviceID(r, openType, name, buffer, size); });
}

int BQSend(int handle, const unsigned char* data, std::uint32_t length) {
  return Run("BQSend", [&](Record& r) { return Sim().Send(r, handle, data, length); });
}

int BQReceive(int handle, unsigned char* buffer, std::uint32_t* size, std::uint32_t wait) {
  return Run("BQReceive", [&](Record& r) { return Sim().Receive(r, handle, buffer, size, wait); });
}

int BQReceiveCancel(int handle) {
  return Run("BQReceiveCancel", [&](Record& r) { return Sim().Acknowledge(r, handle, true); });
}

int BQSetOption(int handle, std::uint32_t /*option*/, void* /*value*/, std::uint32_t /*size*/) {
  return Run("BQSetOption", [&](Record& r) { return Sim().Acknowledge(r, handle, true); });
}

int BQGetOption(int handle, std::uint32_t /*option*/, void* /*value*/, std::uint32_t* size) {
  return Run("BQGetOption", [&](Record& r) {
    const Outcome outcome = Sim().Acknowledge(r, handle, size != nullptr);
    if (outcome.result == kOk && !outcome.seh) *size = 0;  // no options to give
    return outcome;
  });
}

int BQGetEnvInfo(void* info, std::uint32_t* size) {
  return Run("BQGetEnvInfo", [&](Record&) {
    if (!size) return Result(kBadArgument);
    const std::uint32_t needed = sizeof kEnvInfo - 1;
    if (!info || *size < needed) {
      *size = needed;
      return Result(kNeedBuffer);
    }
    std::memcpy(info, kEnvInfo, needed);
    if (*size > needed) static_cast<char*>(info)[needed] = '\0';
    *size = needed;
    return Result(kOk);
  });
}

}  // extern "C"

// The exports have exactly the types the product binds them with.
static_assert(std::is_same_v<decltype(&BQInitialize), bqapi::BQInitializeFn>);
static_assert(std::is_same_v<decltype(&BQRelease), bqapi::BQReleaseFn>);
static_assert(std::is_same_v<decltype(&BQGetAvailableChannel), bqapi::BQGetAvailableChannelFn>);
static_assert(std::is_same_v<decltype(&BQOpenChannel), bqapi::BQOpenChannelFn>);
static_assert(std::is_same_v<decltype(&BQCloseChannel), bqapi::BQCloseChannelFn>);
static_assert(std::is_same_v<decltype(&BQGetStatus), bqapi::BQGetStatusFn>);
static_assert(std::is_same_v<decltype(&BQGetDeviceID), bqapi::BQGetDeviceIDFn>);
static_assert(std::is_same_v<decltype(&BQSend), bqapi::BQSendFn>);
static_assert(std::is_same_v<decltype(&BQReceive), bqapi::BQReceiveFn>);
static_assert(std::is_same_v<decltype(&BQReceiveCancel), bqapi::BQReceiveCancelFn>);
static_assert(std::is_same_v<decltype(&BQSetOption), bqapi::BQSetOptionFn>);
static_assert(std::is_same_v<decltype(&BQGetOption), bqapi::BQGetOptionFn>);
static_assert(std::is_same_v<decltype(&BQGetEnvInfo), bqapi::BQGetEnvInfoFn>);
