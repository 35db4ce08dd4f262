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

}  // namespace moni::comstatus
