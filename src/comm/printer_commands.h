// Commands the monitor sends to a printer, built into the caller's 256-byte
// command buffer (portable core): the status request, the cartridge chip
// reset, the info queries and the job reset command ("rj") in its three forms.
#pragma once
#include <cstddef>
#include <cstdint>

#include "comm/snmp_packet.h"

namespace moni::comm {

// "st" 0x01 0x00 0x01.
inline constexpr std::uint8_t kStatusRequest[] = {'s', 't', 0x01, 0x00, 0x01};
// "ex" 0x06 0x00 0x00 0x00 0x00 0x00 0x19 0x00.
inline constexpr std::uint8_t kCartridgeReset[] = {'e', 'x', 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00};

// Info commands: "ii" 0x02 0x00 0x01 and a selector byte; indexes 0 to 10.
inline constexpr int kInfoCommandCount = 11;
inline constexpr std::size_t kInfoCommandLength = 6;
// Writes the index-th info command into out (6 bytes); false for an index
// outside 0 to 10.
bool BuildInfoCommand(int index, std::uint8_t* out);

// How a job reset travels: as it is (local connection), as a GetRequest to
// a plain print server, or packed for a print server of the "D4" kind.
enum class ResetForm { kLocal, kNetwork, kPrintServerD4 };

// The longest job name each form can carry, whatever its bytes (a byte above
// 127 takes two bytes on the network).
inline constexpr std::size_t kMaxLocalJobName = snmp::kPacketBufferSize - 10;  // 246

// The job reset command for job `jobNumber` and the name's bytes, in the
// form asked for, written into `out` (snmp::kPacketBufferSize bytes).
// Returns its length, or 0 (nothing usable written) when the command does
// not fit its buffer or its packet: a name longer than the form allows (in
// its network encoding, for the network forms), or on the network a name
// type above 127, which cannot travel as one sub-identifier.
std::size_t BuildResetCommand(ResetForm form, std::uint32_t jobNumber, std::uint8_t nameType, const std::uint8_t* name,
                              std::size_t nameLength, std::uint8_t* out);

}  // namespace moni::comm
