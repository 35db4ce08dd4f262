// "ComStatus" under a printer's target key: the state of the last status
// read, written by whoever reads the printer (a host's monitoring session)
// and read by the status window's polling loop.
#pragma once
#include <cstdint>

namespace moni::comstatus {

inline constexpr wchar_t kValueName[] = L"ComStatus";

inline constexpr std::uint32_t kNoReply = 0;     // the printer did not answer
inline constexpr std::uint32_t kNew = 1;         // a reply was decoded and "Status" holds it
inline constexpr std::uint32_t kSeen = 2;        // already taken up (also: the value is missing)
inline constexpr std::uint32_t kBusy = 3;        // the printer was busy
inline constexpr std::uint32_t kReplyError = 4;  // the reply could not be read
inline constexpr std::uint32_t kOffline = 5;     // the spooler has the printer offline

// The value as a status result of the status window's polling loop: 1 a new
// status to read, 0 nothing new, or the condition to show (-1 no reply, -2
// busy, -3 a reply error, -4 offline).
constexpr int ResultOf(std::uint32_t value) {
  switch (value) {
    case kNoReply: return -1;
    case kNew: return 1;
    case kBusy: return -2;
    case kReplyError: return -3;
    case kOffline: return -4;
    default: return 0;
  }
}

}  // namespace moni::comstatus
