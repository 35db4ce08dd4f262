// SNMP packing of printer commands, the BER reply parser and the command
// builders, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/printer_commands.h"
#include "comm/snmp_packet.h"

namespace {

using namespace moni::comm;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kEnterpriseBer[] = {0x80 | (snmp::kPrinterEnterprise >> 7), snmp::kPrinterEnterprise & 0x7F};

Bytes Packet(const Bytes& command) {
  Bytes out(snmp::kPacketBufferSize, 0xEE);
  out.resize(snmp::MakeSnmpPacket(command.data(), command.size(), out.data()));
  return out;
}

// A BER element with a short- or long-form length.
Bytes Tlv(std::uint8_t tag, const Bytes& content) {
  Bytes out{tag};
  if (content.size() < 0x80) {
    out.push_back(static_cast<std::uint8_t>(content.size()));
  } else {
    out.push_back(0x82);
    out.push_back(static_cast<std::uint8_t>(content.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(content.size()));
  }
  out.insert(out.end(), content.begin(), content.end());
  return out;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Binding(const Bytes& value) { return Tlv(0x30, Cat({Tlv(0x06, {0x2B, 6, 1}), Tlv(0x04, value)})); }
Bytes Response(const Bytes& bindings, std::uint8_t errorStatus = 0, std::uint8_t errorIndex = 0) {
  const Bytes pdu = Tlv(0xA2, Cat({Tlv(0x02, {1}), Tlv(0x02, {errorStatus}), Tlv(0x02, {errorIndex}), Tlv(0x30, bindings)}));
  return Tlv(0x30, Cat({Tlv(0x02, {0}), Tlv(0x04, {'q', 'o', 'r', 'v', 'e', 'x'}), pdu}));
}
snmp::Reply Parse(const Bytes& bytes) { return snmp::ParseSnmpReply(bytes.data(), bytes.size()); }
std::string Answer(const snmp::Reply& r) { return std::string(reinterpret_cast<const char*>(r.answer), r.answerLength); }

TEST(SnmpPacket, StatusRequestLayout) {
  const Bytes command(std::begin(kStatusRequest), std::end(kStatusRequest));
  const Bytes expected = Cat({{0x30, 0x2D + 5, 0x02, 0x01, 0x00, 0x04, 0x06, 'q', 'o', 'r', 'v', 'e', 'x', 0xA0, 0x20 + 5, 0x02,
                               0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x15 + 5, 0x30, 0x13 + 5, 0x06, 0x0F + 5,
                               0x2B, 6, 1, 4, 1},
                              Bytes(std::begin(kEnterpriseBer), std::end(kEnterpriseBer)),
                              {1, 2, 2, 44, 1, 1, 2, 1},
                              command,
                              {0x05, 0x00}});
  EXPECT_EQ(Packet(command), expected);
  EXPECT_EQ(expected.size(), 5u + snmp::kPacketOverhead);
}

TEST(SnmpPacket, HighByteTakesTwoBytesAndEveryLengthGrowsByOne) {
  const Bytes low{'x', 0x48}, high{'x', 0xC8};
  Bytes encoded(4);
  encoded.resize(snmp::EncodeCommand(high.data(), high.size(), encoded.data(), encoded.size()));
  EXPECT_EQ(encoded, (Bytes{'x', 0x81, 0x48}));
  const Bytes a = Packet(low), b = Packet(encoded);
  ASSERT_EQ(b.size(), a.size() + 1);
  for (size_t at : {1u, 14u, 25u, 27u, 29u}) EXPECT_EQ(b[at], a[at] + 1) << "length field at " << at;
  // The packet a real agent gets parses back as one GetRequest binding.
  EXPECT_EQ(snmp::ParseSnmpReply(b.data(), b.size()).outcome, snmp::ReplyOutcome::kNoAnswer);
  // No room, nothing written.
  std::uint8_t tiny[2] = {0x11, 0x22};
  EXPECT_EQ(snmp::EncodeCommand(high.data(), high.size(), tiny, sizeof tiny), 0u);
  EXPECT_EQ(tiny[0], 0x11);
}

TEST(SnmpPacket, CommandsTooLongForOneByteLengthsAreRefused) {
  const Bytes fits(snmp::kMaxPacketCommand, 'a'), over(snmp::kMaxPacketCommand + 1, 'a');
  EXPECT_EQ(Packet(fits).size(), snmp::kMaxPacketCommand + snmp::kPacketOverhead);
  EXPECT_EQ(Packet(fits)[1], 0x7F);
  EXPECT_TRUE(Packet(over).empty());
}

TEST(SnmpReply, AnswerIsTheValueWithoutItsFirstByte) {
  const Bytes response = Response(Binding({0x00, 'r', 'j', ':', 'O'}));
  const auto r = Parse(response);
  ASSERT_EQ(r.outcome, snmp::ReplyOutcome::kAnswer);
  EXPECT_EQ(Answer(r), "rj:O");
  // Long-form lengths are read as well.
  const Bytes big(300, 'z');
  const Bytes bigResponse = Response(Binding(big));
  const auto l = Parse(bigResponse);
  ASSERT_EQ(l.outcome, snmp::ReplyOutcome::kAnswer);
  EXPECT_EQ(l.answerLength, 299u);
}

// A response whose binding's value carries its length in the given form.
Bytes WithLengthForm(std::uint8_t form, const Bytes& value) {
  // Form 0: the short form; 0x80 + n: n length bytes follow.
  Bytes length{form == 0 ? static_cast<std::uint8_t>(value.size()) : form};
  const size_t count = form == 0 ? 0 : form - 0x80u;
  for (size_t i = count; i > 0; --i) length.push_back(static_cast<std::uint8_t>(value.size() >> (8 * (i - 1))));
  Bytes element{0x04};
  element.insert(element.end(), length.begin(), length.end());
  element.insert(element.end(), value.begin(), value.end());
  return Response(Tlv(0x30, Cat({Tlv(0x06, {0x2B, 6, 1}), element})));
}

TEST(SnmpReply, LengthFormsAndNestingHaveExactLimits) {
  const Bytes value{0x00, 'r', 'j'};
  const struct {
    const char* what;
    Bytes message;
    snmp::ReplyOutcome outcome;
  } rows[] = {
      {"short form", WithLengthForm(0, value), snmp::ReplyOutcome::kAnswer},
      {"long form, one byte", WithLengthForm(0x81, value), snmp::ReplyOutcome::kAnswer},
      {"long form, four bytes", WithLengthForm(0x84, value), snmp::ReplyOutcome::kAnswer},
      {"long form, five bytes", WithLengthForm(0x85, value), snmp::ReplyOutcome::kMalformed},
      {"indefinite form", WithLengthForm(0x80, value), snmp::ReplyOutcome::kMalformed},
  };
  for (const auto& row : rows) EXPECT_EQ(Parse(row.message).outcome, row.outcome) << row.what;

  // A long-form length whose own bytes run past the end.
  const Bytes cutLength{0x30, 0x84, 0x00, 0x00, 0x00};
  EXPECT_EQ(Parse(cutLength).outcome, snmp::ReplyOutcome::kMalformed);

  // Nesting: the binding's value lies four levels down; thirteen more
  // sequences around it reach the deepest level read, fourteen go past it.
  auto nested = [](int depth) {
    Bytes inner{0x04, 0x01, 'x'};
    for (int i = 0; i < depth; ++i) inner = Tlv(0x30, inner);
    return Response(Tlv(0x30, Cat({Tlv(0x06, {0x2B, 6, 1}), inner})));
  };
  EXPECT_EQ(Parse(nested(13)).outcome, snmp::ReplyOutcome::kAnswer);
  EXPECT_EQ(Parse(nested(14)).outcome, snmp::ReplyOutcome::kMalformed);
}

TEST(SnmpReply, ErrorsBindingsAndShortValuesGiveNoAnswer) {
  const auto e = Parse(Response(Binding({0, 'a', 'b'}), 2, 1));
  EXPECT_EQ(e.outcome, snmp::ReplyOutcome::kError);
  EXPECT_EQ(e.errorStatus, 2);
  EXPECT_EQ(e.errorIndex, 1);
  EXPECT_EQ(Parse(Response(Cat({Binding({0, 'a', 'b'}), Binding({0, 'c', 'd'})}))).outcome, snmp::ReplyOutcome::kNotOneBinding);
  EXPECT_EQ(Parse(Response({})).outcome, snmp::ReplyOutcome::kNotOneBinding);
  EXPECT_EQ(Parse(Response(Binding({0x41}))).outcome, snmp::ReplyOutcome::kNoAnswer);
  EXPECT_EQ(Parse(Response(Binding({}))).outcome, snmp::ReplyOutcome::kNoAnswer);
  // Two bytes: the shortest answer, of one byte.
  const Bytes shortest = Response(Binding({0x41, 'z'}));
  const auto one = Parse(shortest);
  ASSERT_EQ(one.outcome, snmp::ReplyOutcome::kAnswer);
  EXPECT_EQ(Answer(one), "z");
}

TEST(SnmpReply, MalformedResponsesAreRefusedWhereverTheyEnd) {
  const Bytes good = Response(Binding({0, 'o', 'k'}));
  for (size_t n = 0; n < good.size(); ++n) {
    const Bytes cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_EQ(Parse(cut).outcome, snmp::ReplyOutcome::kMalformed) << "cut at " << n;
  }
  EXPECT_EQ(snmp::ParseSnmpReply(nullptr, 10).outcome, snmp::ReplyOutcome::kMalformed);
  Bytes longer = good;
  longer[1] = 0x85;  // no such length form
  EXPECT_EQ(Parse(longer).outcome, snmp::ReplyOutcome::kMalformed);
  Bytes inner = good;
  inner[3] = 2;  // the version INTEGER claims more than it holds... and is no longer of length 1
  EXPECT_EQ(Parse(inner).outcome, snmp::ReplyOutcome::kMalformed);
  // Shapes that are BER but no response.
  const Bytes pdu = Tlv(0xA2, Cat({Tlv(0x02, {1}), Tlv(0x02, {0}), Tlv(0x02, {0}), Tlv(0x30, Binding({0, 'x', 'y'}))}));
  EXPECT_EQ(Parse(Tlv(0x30, Cat({Tlv(0x02, {0}), pdu}))).outcome, snmp::ReplyOutcome::kMalformed);
  EXPECT_EQ(Parse(Tlv(0x30, Cat({Tlv(0x02, {0, 0}), Tlv(0x04, {}), pdu}))).outcome, snmp::ReplyOutcome::kMalformed);
  EXPECT_EQ(Parse(Tlv(0x31, Cat({Tlv(0x02, {0}), Tlv(0x04, {}), pdu}))).outcome, snmp::ReplyOutcome::kMalformed);
  // Deep nesting ends the parse instead of the stack.
  Bytes deep = {0x04, 0x00};
  for (int i = 0; i < 40; ++i) deep = Tlv(0x30, deep);
  EXPECT_EQ(Parse(Response(Tlv(0x30, deep))).outcome, snmp::ReplyOutcome::kMalformed);
}

TEST(ResetCommand, LocalForm) {
  Bytes out(snmp::kPacketBufferSize);
  const Bytes name{'d', 'o', 'c'};
  out.resize(BuildResetCommand(ResetForm::kLocal, 0x01020304, 2, name.data(), name.size(), out.data()));
  EXPECT_EQ(out, (Bytes{'r', 'j', 9, 0, 0, 2, 0x04, 0x03, 0x02, 0x01, 'd', 'o', 'c'}));
}

TEST(ResetCommand, NetworkFormsEncodeFromTheJobNumberOn) {
  const Bytes name{'a', 0xE3};
  Bytes d4(snmp::kPacketBufferSize);
  d4.resize(BuildResetCommand(ResetForm::kPrintServerD4, 0x80, 1, name.data(), name.size(), d4.data()));
  const Bytes encoded{'r', 'j', 8, 0, 0, 1, 0x81, 0x00, 0, 0, 0, 'a', 0x81, 0x63};
  EXPECT_EQ(d4, Packet(encoded));

  Bytes plain(snmp::kPacketBufferSize);
  plain.resize(BuildResetCommand(ResetForm::kNetwork, 0x80, 1, name.data(), name.size(), plain.data()));
  ASSERT_EQ(plain.size(), encoded.size() + snmp::kResetPacketOverhead);
  EXPECT_EQ(plain[1], 0x30 + encoded.size());
  EXPECT_EQ(plain[29], 0x12 + encoded.size());  // object identifier length
  const Bytes oidPrefix = Cat({{0x2B, 6, 1, 4, 1}, Bytes(std::begin(kEnterpriseBer), std::end(kEnterpriseBer)),
                               {1, 2, 2, 40, 1, 1, 2, 13 + 2, 8, 0, 10 + 2}});
  EXPECT_EQ(Bytes(plain.begin() + 30, plain.begin() + 48), oidPrefix);
  EXPECT_EQ(Bytes(plain.begin() + 48, plain.end() - 2), encoded);
}

TEST(ResetCommand, NamesTooLongForTheBufferOrPacketAreRefused) {
  Bytes out(snmp::kPacketBufferSize + 16, 0xEE);
  const Bytes longest(kMaxLocalJobName, 'n'), over(kMaxLocalJobName + 1, 'n');
  EXPECT_EQ(BuildResetCommand(ResetForm::kLocal, 1, 0, longest.data(), longest.size(), out.data()), snmp::kPacketBufferSize);
  EXPECT_EQ(BuildResetCommand(ResetForm::kLocal, 1, 0, over.data(), over.size(), out.data()), 0u);
  // On the network every name byte above 127 counts twice.
  const Bytes ascii(72, 'n'), high(36, 0xE3), highOver(37, 0xE3);
  EXPECT_GT(BuildResetCommand(ResetForm::kPrintServerD4, 1, 0, ascii.data(), ascii.size(), out.data()), 0u);
  EXPECT_GT(BuildResetCommand(ResetForm::kPrintServerD4, 1, 0, high.data(), high.size(), out.data()), 0u);
  EXPECT_EQ(BuildResetCommand(ResetForm::kPrintServerD4, 1, 0, highOver.data(), highOver.size(), out.data()), 0u);
  const Bytes plainFits(69, 'n'), plainOver(70, 'n');
  EXPECT_EQ(BuildResetCommand(ResetForm::kNetwork, 1, 0, plainFits.data(), plainFits.size(), out.data()), 79u + 50u);
  EXPECT_EQ(BuildResetCommand(ResetForm::kNetwork, 1, 0, plainOver.data(), plainOver.size(), out.data()), 0u);
  // Every refusal and every success stays inside the buffer.
  for (size_t i = snmp::kPacketBufferSize; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE);
  // A name type that cannot be a sub-identifier.
  EXPECT_EQ(BuildResetCommand(ResetForm::kNetwork, 1, 0x90, ascii.data(), 3, out.data()), 0u);
}

TEST(InfoCommand, SelectorsByIndex) {
  const std::uint8_t expected[] = {1, 2, 3, 4, 1, 2, 3, 4, 5, 6, 7};
  std::uint8_t out[kInfoCommandLength];
  for (int i = 0; i < kInfoCommandCount; ++i) {
    ASSERT_TRUE(BuildInfoCommand(i, out));
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{'i', 'i', 2, 0, 1, expected[i]}));
  }
  EXPECT_FALSE(BuildInfoCommand(11, out));
  EXPECT_FALSE(BuildInfoCommand(-1, out));
}

}  // namespace
