// The status window actions' decisions that need no window: the remote
// commands' bytes, the remaining-ink reply of the cartridge chip channel, the
// reset replies and their retries, help contexts, and the ink-monitor
// pop-ups' bookkeeping.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace moni::actions {

// A remote command: two letters, a length of 1 (16 bits, little-endian) and
// the data byte 1 ("rs" cancel, "pj" discharge paper, "pe" return ink).
std::vector<std::uint8_t> RemoteCommand(char first, char second);
// The "ex" command queued after a cartridge check that continues.
std::vector<std::uint8_t> ExCommand();

// The remaining ink of the cartridge chip channel's reply
// ("@BDC PS\r\n" "IR:" black colour ";", each value four hexadecimal digits,
// "NAVL" or "BUSY" when not available). Values not read stay -1.
struct TagchipRemain {
  int black = -1;
  int colour = -1;
};
TagchipRemain DecodeTagchipRemain(const std::uint8_t* reply, std::size_t size);

// What a reply on the reset command channel does to the reset attempt.
enum class ResetStep {
  End,    // the attempt is over: the retry count goes back to 0
  Retry,  // send the reset command again (after a pause)
  Leave,  // a reply of another kind: the count stays as it is
};
// `dSeries`: the channel's print server is a "D4" one; `result`: the
// receive's result; `retries`: the automatic resends of this attempt so far
// (the first command of an attempt is not one of them).
ResetStep NextResetStep(bool dSeries, int result, const std::uint8_t* reply, std::size_t size, int retries);
// At most this many automatic resends after "rj:NA;" or "rj:BUSY;"; the
// next such reply ends the attempt.
inline constexpr int kResetRetryLimit = 3;

// Whether `reply` begins with `prefix`, compared without regard to letter case.
bool ReplyStartsWith(const std::uint8_t* reply, std::size_t size, std::string_view prefix);

// The help context of a tip's text: decimal, or hexadecimal after "0x" (an
// invalid hexadecimal digit gives 0). Values beyond 32 bits give -1 (nothing
// is shown), as does a negative number.
long long ParseHelpContext(std::u16string_view text);

// One ink's stored ink-monitor state ("PopupInk" + two digits).
struct StoredInk {
  std::u16string color;
  std::uint32_t popup = 0;
  std::uint32_t inkRemain = 100;
  std::uint32_t isPopup = 0;
};
// The state after a status: a new colour starts over; a valid level (below
// 253) above the stored one (a refill) clears the pop-up mark; the level is kept.
StoredInk UpdateStoredInk(StoredInk stored, std::u16string_view color, int level);

// The ink-monitor program's starts for a status: kind 'E' for every empty ink
// when the ink data's mode byte is 5, kind 'L' for every low-ink code 16 + i.
struct InkMonitorStart {
  char kind;
  int ink;
};
std::vector<InkMonitorStart> InkMonitorStarts(std::uint8_t modeByte, const std::uint8_t* levels, int levelCount,
                                              const std::uint8_t* lowCodes, int lowCount, int inkCount);

}  // namespace moni::actions
