// SNMP responses from the network: the parser reads nothing outside the
// received bytes, an answer lies inside them and is the tail of a value, and
// an error outcome carries the error fields. Inputs that begin with 0xA5 are
// wrapped as the value of a well-formed response first, which must then come
// back whole (less its first byte).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "comm/snmp_packet.h"

using namespace moni::comm::snmp;

namespace {
void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void PutLength(std::vector<std::uint8_t>& out, std::size_t n) {
  if (n < 0x80) {
    out.push_back(static_cast<std::uint8_t>(n));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n));
  }
}
std::vector<std::uint8_t> Tlv(std::uint8_t tag, const std::vector<std::uint8_t>& content) {
  std::vector<std::uint8_t> out{tag};
  PutLength(out, content.size());
  out.insert(out.end(), content.begin(), content.end());
  return out;
}
std::vector<std::uint8_t> Cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0 && data[0] == 0xA5) {
    if (size > 60000) return 0;
    const std::vector<std::uint8_t> value(data + 1, data + size);
    const auto binding = Tlv(0x30, Cat({Tlv(0x06, {0x2B, 6, 1}), Tlv(0x04, value)}));
    const auto pdu = Tlv(0xA2, Cat({Tlv(0x02, {1}), Tlv(0x02, {0}), Tlv(0x02, {0}), Tlv(0x30, binding)}));
    const auto message = Tlv(0x30, Cat({Tlv(0x02, {0}), Tlv(0x04, {'q', 'o', 'r', 'v', 'e', 'x'}), pdu}));
    const Reply r = ParseSnmpReply(message.data(), message.size());
    if (value.size() <= 1) {
      Check(r.outcome == ReplyOutcome::kNoAnswer);
    } else {
      Check(r.outcome == ReplyOutcome::kAnswer && r.answerLength == value.size() - 1);
      Check(std::memcmp(r.answer, value.data() + 1, r.answerLength) == 0);
    }
    return 0;
  }

  // An exact-size copy, so that any read past the end is caught.
  std::vector<std::uint8_t> bytes(data, data + size);
  bytes.shrink_to_fit();
  const Reply r = ParseSnmpReply(bytes.data(), bytes.size());
  switch (r.outcome) {
    case ReplyOutcome::kAnswer:
      Check(r.answer > bytes.data() && r.answerLength >= 1);
      Check(r.answer + r.answerLength <= bytes.data() + bytes.size());
      Check(r.errorStatus == 0 && r.errorIndex == 0);
      break;
    case ReplyOutcome::kError:
      Check(r.errorStatus != 0 || r.errorIndex != 0);
      Check(r.answer == nullptr && r.answerLength == 0);
      break;
    default:
      Check(r.answer == nullptr && r.answerLength == 0);
      break;
  }
  // A message starts with a SEQUENCE; whatever else parses is refused.
  if (size == 0 || data[0] != 0x30) Check(r.outcome == ReplyOutcome::kMalformed);
  return 0;
}
