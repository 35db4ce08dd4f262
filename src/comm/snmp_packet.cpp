#include "comm/snmp_packet.h"

#include <cstring>
#include <vector>

namespace moni::comm::snmp {
namespace {

constexpr std::uint8_t kSequence = 0x30;
constexpr std::uint8_t kInteger = 0x02;
constexpr std::uint8_t kOctetString = 0x04;
constexpr std::uint8_t kObjectId = 0x06;
constexpr std::uint8_t kNull = 0x05;
constexpr std::uint8_t kGetRequest = 0xA0;
constexpr std::uint8_t kContextConstructed = 0xA0;  // both bits: a PDU or another constructed context tag

// Nesting deeper than this is not a response.
constexpr int kMaxDepth = 16;

// 1.3.6.1.4.1.<enterprise> in BER: 1.3 as one byte, then each sub-identifier.
constexpr std::uint8_t kEnterpriseHigh = 0x80 | static_cast<std::uint8_t>(kPrinterEnterprise >> 7);
constexpr std::uint8_t kEnterpriseLow = static_cast<std::uint8_t>(kPrinterEnterprise & 0x7F);
constexpr std::uint8_t kCommandPrefix[] = {0x2B, 6, 1, 4, 1, kEnterpriseHigh, kEnterpriseLow, 1, 2, 2, 44, 1, 1, 2, 1};
static_assert(sizeof kCommandPrefix == 15);
// The job reset prefix up to its three name-dependent sub-identifiers.
constexpr std::uint8_t kResetPrefix[] = {0x2B, 6, 1, 4, 1, kEnterpriseHigh, kEnterpriseLow, 1, 2, 2, 40, 1, 1, 2};
constexpr std::size_t kResetPrefixLength = sizeof kResetPrefix + 4;  // then (13 + n), 8, 0, (10 + n)
static_assert(kResetPrefixLength == 18);

// Writes the packet around an object identifier of `oidLength` bytes whose
// first `prefixLength` bytes are in `prefix`, followed by the encoded command.
// The caller has checked that every length fits in one byte.
std::size_t WritePacket(const std::uint8_t* prefix, std::size_t prefixLength, const std::uint8_t* command, std::size_t length,
                        std::uint8_t* packet) {
  const std::size_t oid = prefixLength + length;
  const std::size_t binding = 2 + oid + 2;
  const std::size_t list = 2 + binding;
  const std::size_t pdu = 9 + 2 + list;
  const std::size_t message = 3 + 2 + kCommunity.size() + 2 + pdu;
  std::size_t at = 0;
  auto put = [&](std::uint8_t b) { packet[at++] = b; };
  put(kSequence), put(static_cast<std::uint8_t>(message));
  put(kInteger), put(1), put(0);  // version 0: SNMP version 1
  put(kOctetString), put(static_cast<std::uint8_t>(kCommunity.size()));
  for (char c : kCommunity) put(static_cast<std::uint8_t>(c));
  put(kGetRequest), put(static_cast<std::uint8_t>(pdu));
  put(kInteger), put(1), put(1);  // request-id 1
  put(kInteger), put(1), put(0);  // error-status
  put(kInteger), put(1), put(0);  // error-index
  put(kSequence), put(static_cast<std::uint8_t>(list));
  put(kSequence), put(static_cast<std::uint8_t>(binding));
  put(kObjectId), put(static_cast<std::uint8_t>(oid));
  std::memcpy(packet + at, prefix, prefixLength);
  at += prefixLength;
  if (length) std::memcpy(packet + at, command, length);
  at += length;
  put(kNull), put(0);
  return at;
}

// One BER element within its holder.
struct Element {
  std::uint8_t tag = 0;
  const std::uint8_t* content = nullptr;
  std::size_t length = 0;
};

bool IsConstructed(std::uint8_t tag) { return tag == kSequence || (tag & kContextConstructed) == kContextConstructed; }

// Reads the element at data[*pos], within `size`; advances *pos past it.
bool ReadElement(const std::uint8_t* data, std::size_t size, std::size_t* pos, Element& out) {
  std::size_t at = *pos;
  if (at >= size) return false;
  out.tag = data[at++];
  if (at >= size) return false;
  const std::uint8_t first = data[at++];
  std::uint64_t length = 0;
  if (first < 0x80) {
    length = first;
  } else if (first >= 0x81 && first <= 0x84) {
    const std::size_t count = first - 0x80;
    if (size - at < count) return false;
    for (std::size_t i = 0; i < count; ++i) length = length << 8 | data[at++];
  } else {
    return false;
  }
  if (length > size - at) return false;
  out.content = data + at;
  out.length = static_cast<std::size_t>(length);
  *pos = at + out.length;
  return true;
}

// The elements that a constructed element holds; false when one of them (at
// any depth) does not fit in what holds it.
bool Children(const Element& parent, std::vector<Element>& out, int depth);

bool Validate(const Element& element, int depth) {
  if (!IsConstructed(element.tag)) return true;
  std::vector<Element> ignored;
  return Children(element, ignored, depth + 1);
}

bool Children(const Element& parent, std::vector<Element>& out, int depth) {
  if (depth > kMaxDepth) return false;
  out.clear();
  std::size_t pos = 0;
  while (pos < parent.length) {
    Element child;
    if (!ReadElement(parent.content, parent.length, &pos, child) || !Validate(child, depth)) return false;
    out.push_back(child);
  }
  return true;
}

bool IsShortInteger(const Element& e) { return e.tag == kInteger && e.length == 1; }

// A one-byte INTEGER as the signed value it encodes.
int IntegerValue(const Element& e) { return static_cast<std::int8_t>(e.content[0]); }

}  // namespace

std::size_t EncodedLength(const std::uint8_t* command, std::size_t length) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < length; ++i) n += command[i] > 127 ? 2 : 1;
  return n;
}

std::size_t EncodeCommand(const std::uint8_t* command, std::size_t length, std::uint8_t* out, std::size_t capacity) {
  if (EncodedLength(command, length) > capacity) return 0;
  std::size_t at = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (command[i] > 127) {
      out[at++] = 0x81;
      out[at++] = static_cast<std::uint8_t>(command[i] - 128);
    } else {
      out[at++] = command[i];
    }
  }
  return at;
}

std::size_t MakeSnmpPacket(const std::uint8_t* command, std::size_t length, std::uint8_t* packet) {
  if (length > kMaxPacketCommand || (length && !command)) return 0;
  static_assert(kMaxPacketCommand + kPacketOverhead <= kPacketBufferSize);
  return WritePacket(kCommandPrefix, sizeof kCommandPrefix, command, length, packet);
}

std::size_t MakeResetPacket(const std::uint8_t* command, std::size_t length, std::size_t nameLength, std::uint8_t* packet) {
  // The name-dependent sub-identifiers must stay one byte each (below 128).
  if (length > kMaxResetCommand || nameLength + 13 > 127 || (length && !command)) return 0;
  static_assert(kMaxResetCommand + kResetPacketOverhead <= kPacketBufferSize);
  std::uint8_t prefix[kResetPrefixLength];
  std::memcpy(prefix, kResetPrefix, sizeof kResetPrefix);
  std::size_t at = sizeof kResetPrefix;
  prefix[at++] = static_cast<std::uint8_t>(13 + nameLength);
  prefix[at++] = 8;
  prefix[at++] = 0;
  prefix[at++] = static_cast<std::uint8_t>(10 + nameLength);
  return WritePacket(prefix, sizeof prefix, command, length, packet);
}

Reply ParseSnmpReply(const std::uint8_t* data, std::size_t size) {
  Reply reply;
  if (!data) return reply;
  std::size_t pos = 0;
  Element message;
  if (!ReadElement(data, size, &pos, message) || message.tag != kSequence) return reply;
  std::vector<Element> parts;
  if (!Children(message, parts, 0) || parts.size() != 3) return reply;
  if (!IsShortInteger(parts[0]) || parts[1].tag != kOctetString || (parts[2].tag & kContextConstructed) != kContextConstructed)
    return reply;
  std::vector<Element> pdu;
  if (!Children(parts[2], pdu, 1) || pdu.size() != 4) return reply;
  if (!IsShortInteger(pdu[0]) || !IsShortInteger(pdu[1]) || !IsShortInteger(pdu[2]) || pdu[3].tag != kSequence) return reply;
  reply.errorStatus = IntegerValue(pdu[1]);
  reply.errorIndex = IntegerValue(pdu[2]);
  if (reply.errorStatus != 0 || reply.errorIndex != 0) {
    reply.outcome = ReplyOutcome::kError;
    return reply;
  }
  std::vector<Element> bindings;
  if (!Children(pdu[3], bindings, 2)) return reply;
  if (bindings.size() != 1) {
    reply.outcome = ReplyOutcome::kNotOneBinding;
    return reply;
  }
  std::vector<Element> binding;
  if (!IsConstructed(bindings[0].tag) || !Children(bindings[0], binding, 3) || binding.empty()) return reply;
  const Element& value = binding.back();
  if (value.length <= 1) {
    reply.outcome = ReplyOutcome::kNoAnswer;
    return reply;
  }
  reply.outcome = ReplyOutcome::kAnswer;
  reply.answer = value.content + 1;
  reply.answerLength = value.length - 1;
  return reply;
}

}  // namespace moni::comm::snmp
