// SNMP version 1 packets for printers behind a print server (portable core).
//
// A command travels in the object identifier of a GetRequest: each command
// byte is one further sub-identifier after the printers' prefix, so a byte
// above 127 takes the two-byte BER form 0x81, (byte - 128). The printer's
// answer comes back as the value of the response's single variable binding,
// whose first byte is not part of the answer.
//
// Every length field of these packets is one byte (BER short form), so a
// command whose packet would need a longer length field is refused rather
// than sent with a wrong length; nothing is ever written past the 256-byte
// packet buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace moni::comm::snmp {

// The private enterprise number under which the printers publish their
// command object identifiers. Its BER form takes two bytes (128 to 16383).
// The test run's agent (scripts/wine-env) reads this number and the community
// below from this file, so that both are written in this one place.
inline constexpr std::uint32_t kPrinterEnterprise = 14392;
static_assert(kPrinterEnterprise >= 128 && kPrinterEnterprise < 16384, "the enterprise number takes two BER bytes");

// The read community, sent in every request.
inline constexpr std::string_view kCommunity = "qorvex";

// Size of every packet and command buffer.
inline constexpr std::size_t kPacketBufferSize = 256;

// Packet bytes around the command of MakeSnmpPacket (47) and of the job reset
// request to a plain print server (50).
inline constexpr std::size_t kPacketOverhead = 47;
inline constexpr std::size_t kResetPacketOverhead = 50;

// The longest (encoded) command each packet can carry: its outer length field
// (0x2D + n, and 0x30 + n) must stay a one-byte short-form length.
inline constexpr std::size_t kMaxPacketCommand = 0x7F - 0x2D;  // 82
inline constexpr std::size_t kMaxResetCommand = 0x7F - 0x30;   // 79

// Length of `command` once each byte above 127 is written as two bytes.
std::size_t EncodedLength(const std::uint8_t* command, std::size_t length);

// Writes the encoded command into out (room for `capacity` bytes); returns
// its length, or 0 (nothing written) when it does not fit.
std::size_t EncodeCommand(const std::uint8_t* command, std::size_t length, std::uint8_t* out, std::size_t capacity);

// The GetRequest carrying `command`, already encoded, under the prefix
// 1.3.6.1.4.1.<enterprise>.1.2.2.44.1.1.2.1: length + 47 bytes written into
// `packet` (kPacketBufferSize bytes). 0 when the command is longer than
// kMaxPacketCommand (nothing written).
std::size_t MakeSnmpPacket(const std::uint8_t* command, std::size_t length, std::uint8_t* packet);

// The job reset GetRequest of a plain print server: the object identifier
// 1.3.6.1.4.1.<enterprise>.1.2.2.40.1.1.2.(13 + n).8.0.(10 + n) followed by
// the encoded command, where n is the job name's length; length + 50 bytes
// written into `packet` (kPacketBufferSize bytes). 0 when the command is
// longer than kMaxResetCommand or n leaves the one-byte sub-identifiers.
std::size_t MakeResetPacket(const std::uint8_t* command, std::size_t length, std::size_t nameLength, std::uint8_t* packet);

// What a response comes to.
enum class ReplyOutcome {
  kAnswer,         // value holds the answer (the binding's value without its first byte)
  kMalformed,      // not BER, or not a response of the expected shape
  kError,          // error-status or error-index not 0
  kNotOneBinding,  // no or several variable bindings
  kNoAnswer,       // the value is one byte or empty
};

struct Reply {
  ReplyOutcome outcome = ReplyOutcome::kMalformed;
  int errorStatus = 0;  // from the PDU when it was read
  int errorIndex = 0;
  // The answer, pointing into the parsed bytes (kAnswer only).
  const std::uint8_t* answer = nullptr;
  std::size_t answerLength = 0;
};

// Parses a response message. Reads nothing outside [data, data + size).
Reply ParseSnmpReply(const std::uint8_t* data, std::size_t size);

}  // namespace moni::comm::snmp
