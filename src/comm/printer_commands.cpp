#include "comm/printer_commands.h"

#include <cstring>

namespace moni::comm {
namespace {

constexpr std::size_t kResetHeader = 6;  // "rj", n + 6, 0, 0, name type
constexpr std::size_t kResetFixed = 10;  // header and the job number

}  // namespace

bool BuildInfoCommand(int index, std::uint8_t* out) {
  static constexpr std::uint8_t kSelector[kInfoCommandCount] = {0x01, 0x02, 0x03, 0x04, 0x01, 0x02,
                                                                0x03, 0x04, 0x05, 0x06, 0x07};
  if (index < 0 || index >= kInfoCommandCount || !out) return false;
  const std::uint8_t command[kInfoCommandLength] = {'i', 'i', 0x02, 0x00, 0x01, kSelector[index]};
  std::memcpy(out, command, sizeof command);
  return true;
}

std::size_t BuildResetCommand(ResetForm form, std::uint32_t jobNumber, std::uint8_t nameType, const std::uint8_t* name,
                              std::size_t nameLength, std::uint8_t* out) {
  if (!out || (nameLength && !name) || nameLength > kMaxLocalJobName) return 0;
  // The local form, which the network forms start from.
  std::uint8_t command[snmp::kPacketBufferSize];
  command[0] = 'r';
  command[1] = 'j';
  command[2] = static_cast<std::uint8_t>(nameLength + 6);
  command[3] = 0;
  command[4] = 0;
  command[5] = nameType;
  for (int i = 0; i < 4; ++i) command[kResetHeader + i] = static_cast<std::uint8_t>(jobNumber >> (8 * i));
  if (nameLength) std::memcpy(command + kResetFixed, name, nameLength);
  const std::size_t length = kResetFixed + nameLength;
  if (form == ResetForm::kLocal) {
    std::memcpy(out, command, length);
    return length;
  }

  // On the network the header travels as it is and must be valid
  // sub-identifiers; the job number and the name are encoded.
  for (std::size_t i = 0; i < kResetHeader; ++i)
    if (command[i] > 127) return 0;
  std::uint8_t encoded[snmp::kPacketBufferSize];
  std::memcpy(encoded, command, kResetHeader);
  const std::size_t tail =
      snmp::EncodeCommand(command + kResetHeader, length - kResetHeader, encoded + kResetHeader, sizeof encoded - kResetHeader);
  if (tail == 0) return 0;
  const std::size_t encodedLength = kResetHeader + tail;
  return form == ResetForm::kPrintServerD4 ? snmp::MakeSnmpPacket(encoded, encodedLength, out)
                                           : snmp::MakeResetPacket(encoded, encodedLength, nameLength, out);
}

}  // namespace moni::comm
