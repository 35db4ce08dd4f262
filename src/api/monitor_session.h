// The monitoring session behind the session exports: one process-wide monitor
// buffer (the session record), the communication library reference the
// session holds, and the last real status number reported.
//
// A host drives one session at a time from one thread: Start, GetChannel,
// then GetStatus as often as it likes, and End. Nothing here is locked.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace moni::session {

// The session record.
struct MonitorBuffer {
  virtual ~MonitorBuffer() = default;
  std::uint32_t dwStatusChannelNo = 0;   // the status channel selected; 0 until one is
  std::uint16_t wChannelMode = 0;        // its mode bits (bit 15: reached over the network)
  std::int32_t dwStatusChannelHandle = 0;  // the open status channel; valid when above 0
  HWND hMonWnd = nullptr;                // the host's window
};

struct StartArgs {
  HWND window = nullptr;
  std::wstring printer, driver, port, model, profile, resource;
  const void* job = nullptr;
};
int Start(const StartArgs& args);
int GetChannel(DWORD* channelNo);
int CheckModelID();

struct StatusOutputs {
  int enableGetStatusErr = 0;
  int* popup = nullptr;
  int* soundPlay = nullptr;
  int* printing = nullptr;  // 0 no decoded reply, 2 the printer is printing (state 3), else 1
  int* realStatusNo = nullptr;
  int* simpleStatusNo = nullptr;
};
int GetStatus(const StatusOutputs& out);
int End();
int GetTimerValue(DWORD channelNo, int* network);

// The interval a timer string names: the decimal number before the first ","
// (or of the whole string, blanks before it skipped); -1 when that is not a
// number of seconds above 0.
inline int ParseTimerString(const std::wstring& text) {
  const std::wstring head = text.substr(0, text.find(L','));
  size_t i = 0;
  while (i < head.size() && (head[i] == L' ' || head[i] == L'\t')) ++i;
  bool negative = false;
  if (i < head.size() && (head[i] == L'+' || head[i] == L'-')) negative = head[i++] == L'-';
  long long value = 0;
  for (; i < head.size() && head[i] >= L'0' && head[i] <= L'9'; ++i) {
    value = value * 10 + (head[i] - L'0');
    if (value > 0x7FFFFFFF) return -1;  // no interval of that many seconds
  }
  if (negative || value == 0) return -1;
  return static_cast<int>(value);
}

// The longest status reply taken from the library; a larger size is refused.
inline constexpr std::uint32_t kMaxReplySize = 1u << 20;

}  // namespace moni::session
