#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "status/status_decode.h"

namespace {

using namespace moni::status;
using Bytes = std::vector<std::uint8_t>;

// "@BDC ST2\r\n", the field area length, then the fields.
Bytes Binary(const Bytes& fields, int areaLength = -1) {
  Bytes reply{'@', 'B', 'D', 'C', ' ', 'S', 'T', '2', '\r', '\n'};
  const std::size_t length = areaLength < 0 ? fields.size() : static_cast<std::size_t>(areaLength);
  reply.push_back(static_cast<std::uint8_t>(length & 0xFF));
  reply.push_back(static_cast<std::uint8_t>(length >> 8));
  reply.insert(reply.end(), fields.begin(), fields.end());
  return reply;
}

Bytes Text(const std::string& body) {
  const std::string reply = "@BDC ST\r\n" + body;
  return Bytes(reply.begin(), reply.end());
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Decodes from a copy of exactly the reply's size, so that a read past it is caught.
bool Decode(const Bytes& reply, StatusBuff& record) {
  const auto exact = std::make_unique<std::uint8_t[]>(reply.size());
  std::copy(reply.begin(), reply.end(), exact.get());
  return ConvertStatusInfo(exact.get(), reply.size(), record);
}

StatusBuff Decoded(const Bytes& reply) {
  StatusBuff record;
  EXPECT_TRUE(Decode(reply, record));
  return record;
}

bool Fails(const Bytes& reply) {
  StatusBuff record;
  return !Decode(reply, record);
}

int StatusOf(const Bytes& reply, int* row = nullptr) { return GetStatusNo(Decoded(reply), row); }

TEST(StatusDecode, BinaryStateOnlyGivesReadyRow) {
  int row = -2;
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x04}), &row), 1);
  EXPECT_EQ(row, 25);
  // Fields the reply lacks keep their initial values, whatever the record held.
  StatusBuff r;
  std::memset(&r, 0xAB, sizeof r);
  ASSERT_TRUE(Decode(Binary({0x01, 0x01, 0x04}), r));
  EXPECT_EQ(r.byState, 4);
  EXPECT_EQ(r.byError, 0xFF);
  EXPECT_EQ(r.byWarningCount, 0);
  EXPECT_EQ(r.abyRC[2], 0xFF);
  EXPECT_EQ(r.dwValue24, 0xFFFFFFFFu);
  EXPECT_EQ(r.dwReserved2, 2u);
  EXPECT_EQ(r.abyInkExtra[9], 0xFF);
  EXPECT_EQ(r.abyReservedFF[0], 0xFF);
  // Header form decides: the text header with binary fields is not binary.
  EXPECT_TRUE(Fails(Text("\x01\x01\x04")));
  const Bytes other{'@', 'B', 'D', 'C', ' ', 'S', 'X', '\r', '\n', 0x0C};
  EXPECT_TRUE(Fails(other));
}

TEST(StatusDecode, BinaryNeedsStateAndFieldsWithinTheReply) {
  Bytes tenInks{0x01, 0x01, 0x04, 0x0F, 31, 3};
  for (int i = 0; i < 10; ++i) tenInks.insert(tenInks.end(), {0x03, 0x00, 50});
  Bytes elevenInks = tenInks;
  elevenInks.insert(elevenInks.end(), {0x0F, 4, 3, 0x04, 0x00, 1});  // the eleventh in a second field
  const struct {
    const char* what;
    Bytes fields;
    int areaLength;  // -1: the fields' size
    bool ok;
  } rows[] = {
      {"state, ending with the reply", {0x01, 0x01, 0x04}, -1, true},
      {"state byte missing", {0x01, 0x01}, -1, false},
      {"a field header cut by the end", {0x01, 0x01, 0x04, 0x02}, -1, false},
      {"area one byte longer than the reply", {0x01, 0x01, 0x04}, 4, false},
      {"area ending before the bytes that follow", {0x01, 0x01, 0x04, 0x02, 0x01, 0x05}, 3, true},
      {"empty area", {}, 0, false},
      {"skipped field ending with the reply", {0x01, 0x01, 0x04, 0x55, 0x02, 9, 9}, -1, true},
      {"skipped field one byte past the reply", {0x01, 0x01, 0x04, 0x55, 0x03, 9, 9}, -1, false},
      {"no field 0x01", {0x02, 0x01, 0x00, 0x13, 0x01, 0x81}, -1, false},
      {"state of two bytes", {0x01, 0x02, 0x04, 0x00}, -1, false},
      {"error without its byte", {0x01, 0x01, 0x04, 0x02, 0x00}, -1, false},
      {"cancel of two bytes", {0x01, 0x01, 0x04, 0x13, 0x02, 0x81, 0}, -1, false},
      {"ten inks", tenInks, -1, true},
      {"eleven inks", elevenInks, -1, false},
  };
  for (const auto& row : rows) {
    StatusBuff record;
    EXPECT_EQ(Decode(Binary(row.fields, row.areaLength), record), row.ok) << row.what;
  }
  // The header and the area length take 12 bytes: 11 are not a reply, and
  // bytes after the area are not read.
  Bytes shortReply = Binary({0x01, 0x01, 0x04});
  shortReply.resize(11);
  EXPECT_TRUE(Fails(shortReply));
  EXPECT_EQ(Decoded(Binary({0x01, 0x01, 0x04, 0x02, 0x01, 0x05}, 3)).byError, 0xFF);
  // Unknown fields are skipped; cancel needs 0x81.
  EXPECT_EQ(Decoded(Binary({0x77, 0x02, 9, 9, 0x01, 0x01, 0x00, 0x13, 0x01, 0x81})).bCancel, 1u);
  EXPECT_EQ(Decoded(Binary({0x01, 0x01, 0x00, 0x13, 0x01, 0x80})).bCancel, 0u);
}

TEST(StatusDecode, BinaryFieldsKeepWhatTheirArraysHold) {
  auto field = [](std::uint8_t type, const Bytes& data) {
    Bytes f{0x01, 0x01, 0x04, type, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    return Binary(f);
  };
  auto counting = [](size_t n, size_t from = 0) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(from + i + 1);
    return b;
  };
  auto job = [&](size_t textBytes) { return Cat(Bytes{0x00, 1, 0, 0, 0}, Bytes(textBytes, 'x')); };
  // Warnings: 32 kept.
  for (size_t n : {31u, 32u, 33u}) {
    const StatusBuff r = Decoded(field(0x04, counting(n)));
    EXPECT_EQ(r.byWarningCount, n < 32 ? n : 32) << n;
    EXPECT_EQ(r.abyWarning[31], n < 32 ? 0 : 32) << n;
  }
  // Job text: 32 bytes kept, the last of the 33 stays 0.
  for (size_t n : {31u, 32u, 33u}) {
    const StatusBuff r = Decoded(field(0x19, job(n)));
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(r.abyJobText)), n < 32 ? n : 32) << n;
    EXPECT_EQ(r.dwJobNo, 1u) << n;
  }
  // Job number: four bytes after the selector, fewer when the field is shorter.
  EXPECT_EQ(Decoded(field(0x19, {0x01, 0x78, 0x56, 0x34, 0x12})).dwJobNo, 0x12345678u);
  EXPECT_EQ(Decoded(field(0x19, {0x01, 0x78, 0x56, 0x34})).dwJobNo, 0x345678u);
  // Field 0x1F: its length, and its first 20 bytes.
  for (size_t n : {19u, 20u, 21u}) {
    const StatusBuff r = Decoded(field(0x1F, counting(n)));
    EXPECT_EQ(r.dwLen1F, n) << n;
    EXPECT_EQ(r.aby1F[19], n < 20 ? 0xFF : 20) << n;
    EXPECT_EQ(r.abyInkExtra[0], 0xFF) << n;  // the field after them
  }
  // Remaining ink: 100 is the top, anything above is cut to it.
  for (std::uint8_t remain : {99, 100, 101}) {
    const StatusBuff r = Decoded(field(0x0F, {3, 0x03, 0x00, remain}));
    EXPECT_EQ(r.abyInkRemain[0], remain < 100 ? remain : 100) << int{remain};
  }
}

TEST(StatusDecode, BinaryInkField) {
  // Entry size 3: code, colour, remaining.
  StatusBuff r = Decoded(Binary({0x01, 0x01, 0x04, 0x0F, 10, 3, 0x07, 0x02, 150, 0x01, 0x09, 'r', 0x03, 0x00, 'n'}));
  ASSERT_EQ(r.byInkCount, 3);
  EXPECT_EQ(r.byInkSlotCount, 3);
  EXPECT_EQ(r.awInkCode[0], 0x04);  // unknown code, taken from the colour
  EXPECT_EQ(r.awInkColor[0], 0x02);
  EXPECT_EQ(r.abyInkRemain[0], 100);
  EXPECT_EQ(r.awInkCode[1], 0x01);  // a known code stays
  EXPECT_EQ(r.awInkColor[1], 0x09);
  EXPECT_EQ(r.abyInkRemain[1], 0xFE);
  EXPECT_EQ(r.abyInkRemain[2], 0xFF);
  EXPECT_EQ(r.abyInkExtra[0], 0xFF);  // not given with entry size 3

  r = Decoded(Binary({0x0F, 9, 4, 0x05, 0, 'i', 0x42, 0x03, 3, 'w', 0x43, 0x01, 0x01, 0x04}));
  EXPECT_EQ(r.abyInkRemain[0], 0xFD);
  EXPECT_EQ(r.abyInkExtra[0], 0x42);
  EXPECT_EQ(r.abyInkRemain[1], 0xFE);
  EXPECT_EQ(r.abyInkExtra[1], 0x43);

  EXPECT_TRUE(Fails(Binary({0x01, 0x01, 0x04, 0x0F, 4, 3, 0x07, 0x09, 50})));  // no code, no colour
  EXPECT_TRUE(Fails(Binary({0x01, 0x01, 0x04, 0x0F, 4, 5, 0x03, 0x00, 50})));  // entry size 5
  EXPECT_TRUE(Fails(Binary({0x01, 0x01, 0x04, 0x0F, 0})));                       // no entry size
  EXPECT_TRUE(Fails(Binary({0x01, 0x01, 0x04, 0x0F, 5, 3, 0x03, 0x00, 50, 1})));  // part of an entry
  Bytes eleven{0x01, 0x01, 0x04, 0x0F, 34, 3};
  for (int i = 0; i < 11; ++i) eleven.insert(eleven.end(), {0x03, 0x00, 50});
  EXPECT_TRUE(Fails(Binary(eleven)));
}

TEST(StatusDecode, BinaryWarningCountIsClampedToKeptCodes) {
  Bytes fields{0x01, 0x01, 0x00, 0x04, 200};
  for (int i = 0; i < 200; ++i) fields.push_back(i < 32 ? 0x01 : 0x20);
  const StatusBuff r = Decoded(Binary(fields));
  EXPECT_EQ(r.byWarningCount, 32);
  EXPECT_EQ(SelectedWarning(r), 0x01);  // 0x20 lies beyond the kept codes

  StatusBuff forged = r;
  forged.byWarningCount = 255;  // a record from elsewhere
  EXPECT_EQ(SelectedWarning(forged), 0x01);
  EXPECT_EQ(WarningBits(forged), 0u);
}

TEST(StatusDecode, BinaryNumberAndJobFields) {
  StatusBuff r = Decoded(Binary({0x01, 0x01, 0x04, 0x0E, 2, 0x12, 0x34, 0x24, 4, 0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(r.dwValue0E, 0x1234u);
  EXPECT_EQ(r.dwValue24, 0xDEADBEEFu);
  // Leading zeros fit; a number beyond 32 bits or an empty field keeps the initial value.
  r = Decoded(Binary({0x01, 0x01, 0x04, 0x0E, 6, 0, 0, 1, 2, 3, 4, 0x24, 5, 1, 2, 3, 4, 5}));
  EXPECT_EQ(r.dwValue0E, 0x01020304u);
  EXPECT_EQ(r.dwValue24, 0xFFFFFFFFu);
  EXPECT_EQ(Decoded(Binary({0x01, 0x01, 0x04, 0x0E, 0})).dwValue0E, 0xFFFFFFFFu);

  r = Decoded(Binary({0x01, 0x01, 0x04, 0x19, 8, 0x02, 0x78, 0x56, 0x34, 0x12, 'A', 'B', 'C'}));
  EXPECT_EQ(r.dwJobNo, 0x12345678u);
  EXPECT_STREQ(reinterpret_cast<const char*>(r.abyJobText), "ABC");
  EXPECT_EQ(Decoded(Binary({0x01, 0x01, 0x04, 0x19, 5, 0x04, 1, 0, 0, 0})).dwJobNo, 0u);  // skipped
}

TEST(StatusDecode, StatusCodeOrder) {
  // Error 0x05: the 0xFE row precedes the 0-ink row; the 0x88888888 row is no condition.
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x02, 0x01, 0x05, 0x0F, 7, 3, 0x03, 0, 'r', 0x04, 0, 0})), 57);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x02, 0x01, 0x05, 0x0F, 4, 3, 0x03, 0, 0})), 2);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x02, 0x01, 0x05, 0x0F, 4, 3, 0x03, 0, 'n'})), 25);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x02, 0x01, 0x05})), 57);
  // Only the first four inks count.
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x02, 0x01, 0x05, 0x0F, 16, 3, 3, 0, 9, 3, 0, 9, 3, 0, 9, 3, 0, 9,
                             3, 0, 0})),
            57);

  // Warnings 0x10 and 0x20 select 0x20.
  StatusBuff r = Decoded(Binary({0x01, 0x01, 0x04, 0x04, 0x02, 0x10, 0x20}));
  EXPECT_EQ(SelectedWarning(r), 0x20);
  int row = -2;
  EXPECT_EQ(GetStatusNo(r, &row), 32);
  EXPECT_EQ(row, 21);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x04, 0x04, 0x02, 0x13, 0x30})), 1);  // 0x30 is preferred to 0x13
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x04, 0x04, 0x02, 0x05, 0x13})), 20);
  EXPECT_EQ(SelectedWarning(Decoded(Binary({0x01, 0x01, 0x04, 0x04, 0x03, 0x05, 0x13, 0x42}))), 0x42);
  EXPECT_EQ(SelectedWarning(Decoded(Binary({0x01, 0x01, 0x04, 0x04, 0x02, 0x05, 0x66}))), 0x05);

  // State 0 without error and warnings; with warnings it falls to "any error".
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00})), 21);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x04, 0x01, 0x50})), 9);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x02, 0x01, 0x00})), 14);
  // State 0 rows come before the warning rows; unknown states fall to the last row.
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x00, 0x04, 0x01, 0x20})), 9);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x0A, 0x04, 0x01, 0x20})), 58);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x07, 0x04, 0x01, 0x20})), 32);
  EXPECT_EQ(StatusOf(Binary({0x01, 0x01, 0x44}), &row), 21);
  EXPECT_EQ(row, 27);
}

TEST(StatusDecode, StateAndWarningBits) {
  StatusBuff r = Decoded(Binary({0x01, 0x01, 0x04, 0x04, 0x04, 0x10, 0x11, 0x37, 0x18, 0x0F, 13, 3, 3, 0, 0, 4, 0, 'r',
                                 5, 0, 'n', 1, 0, 'i', 0x0F, 4, 3, 1, 0, 0}));
  EXPECT_EQ(WarningBits(r), 0x20000011u);
  EXPECT_EQ(InkStateBits(r), 0x8421u);  // the fifth ink at 0 is not counted
}

TEST(StatusDecode, TextReply) {
  StatusBuff r = Decoded(Text("ST:04;IQ:NA5F;\x0C"));
  EXPECT_EQ(r.byState, 4);
  ASSERT_EQ(r.byInkCount, 2);
  EXPECT_EQ(r.abyInkRemain[0], 0xFF);
  EXPECT_EQ(r.abyInkRemain[1], 95);

  r = Decoded(Text("xxER:0a;ST:00;RC:3c;CA:81;IQ:REWECIff00;WR:10,4f,2A;INK:0003,0104,0001;\xFFjunk"));
  EXPECT_EQ(r.byError, 0x0A);
  EXPECT_EQ(r.abyRC[2], 0x3C);
  EXPECT_EQ(r.abyRC[0], 0xFF);
  EXPECT_EQ(r.bCancel, 1u);
  ASSERT_EQ(r.byInkCount, 5);
  EXPECT_EQ(r.abyInkRemain[0], 0xFE);
  EXPECT_EQ(r.abyInkRemain[1], 0xFE);
  EXPECT_EQ(r.abyInkRemain[2], 0xFD);
  EXPECT_EQ(r.abyInkRemain[3], 100);
  EXPECT_EQ(r.abyInkRemain[4], 0);
  ASSERT_EQ(r.byWarningCount, 3);
  EXPECT_EQ(r.abyWarning[2], 0x2A);
  EXPECT_EQ(r.byInkSlotCount, 3);
  EXPECT_EQ(r.awInkCode[1], 0x0104);
  EXPECT_TRUE(Fails(Text("ST:00;INK:0003,0104\xFF")));  // not closed before the end mark
  // A repeated field replaces the earlier one.
  r = Decoded(Text("ST:01;IQ:0102030405;WR:10,11;IQ:07;WR:12;\x0C"));
  EXPECT_EQ(r.byInkCount, 1);
  EXPECT_EQ(r.abyInkRemain[1], 0);
  EXPECT_EQ(r.byWarningCount, 1);
  EXPECT_EQ(WarningBits(r), 0x100u);
}

TEST(StatusDecode, TextInkSlotsRunIntoColours) {
  std::string items;
  for (int i = 0; i < 12; ++i) items += (i ? "," : "") + std::string(i < 10 ? "0003" : "0102");
  const StatusBuff r = Decoded(Text("ST:02;INK:" + items + ";\x0C"));
  EXPECT_EQ(r.byInkSlotCount, 12);
  EXPECT_EQ(r.awInkCode[9], 0x0003);
  EXPECT_EQ(r.awInkColor[0], 0x0102);
  EXPECT_EQ(r.awInkColor[1], 0x0102);
  EXPECT_EQ(r.awInkColor[2], 0);
}

TEST(StatusDecode, MalformedText) {
  EXPECT_TRUE(Fails(Text("ST:04\x0C")));         // no ";"
  EXPECT_TRUE(Fails(Text("ST:04")));             // end of data
  EXPECT_TRUE(Fails(Text("ST:04;")));            // no form feed
  EXPECT_TRUE(Fails(Text("ST:4g;\x0C")));        // not a hex digit
  EXPECT_TRUE(Fails(Text("ST:04;ER:0;\x0C")));   // one digit
  EXPECT_TRUE(Fails(Text("ER:00;\x0C")));        // no state
  EXPECT_TRUE(Fails(Text("ST:04;IQ:NAX1;\x0C")));
  EXPECT_TRUE(Fails(Text("ST:04;IQ:0102030405060708090A0B;\x0C")));  // 11 inks
  EXPECT_EQ(Decoded(Text("ST:04;IQ:0102030405060708090A;\x0C")).byInkCount, 10);
  EXPECT_TRUE(Fails(Text("ST:04;WR:10,,11;\x0C")));
  EXPECT_TRUE(Fails(Text("ST:04;INK:003;\x0C")));
  std::string warnings;
  for (int i = 0; i < 31; ++i) warnings += "10";
  EXPECT_TRUE(Fails(Text("ST:04;WR:" + warnings + ";\x0C")));
  EXPECT_EQ(Decoded(Text("ST:04;WR:" + warnings.substr(2) + ";\x0C")).byWarningCount, 30);
  std::string slots;
  for (int i = 0; i < 21; ++i) slots += "0001";
  EXPECT_TRUE(Fails(Text("ST:04;INK:" + slots + ";\x0C")));
  EXPECT_EQ(Decoded(Text("ST:04;INK:" + slots.substr(4) + ";\x0C")).byInkSlotCount, 20);
  // Digits and tags cut by the end of the reply.
  EXPECT_TRUE(Fails(Text("ST:0")));
  EXPECT_TRUE(Fails(Text("ST:04;INK:000")));
  EXPECT_EQ(Decoded(Text("ST:04;\x0C")).byState, 4);
  // A tag cut by the end, and unknown text, are passed over.
  EXPECT_EQ(Decoded(Text("S:T:ST:01;zz\x0C")).byState, 1);
  EXPECT_TRUE(Fails(Text("ST:01;S")));
}

TEST(StatusDecode, HbmReplies) {
  const struct {
    const char* what;
    Bytes reply;
    int status;  // -1: no status
  } rows[] = {
      {"status after a skipped entry", {'h', 'b', 'm', 0x01, 0x02, 9, 9, 0xFE, 0x01, 22, 0xFF}, 22},
      {"status entry ending with the reply", {'h', 'b', 'm', 0xFE, 0x01, 0x16}, 0x16},
      {"status entry one byte past the reply", {'h', 'b', 'm', 0xFE, 0x02, 0x16}, -1},
      {"status entry without its byte", {'h', 'b', 'm', 0xFE, 0x00, 0x16}, -1},
      {"entry header cut by the end", {'h', 'b', 'm', 0xFE}, -1},
      {"skipped entry one byte past the reply", {'h', 'b', 'm', 0x01, 0x05, 9, 0xFE, 0x01, 22}, -1},
      {"skipped entry ending with the reply", {'h', 'b', 'm', 0x01, 0x01, 9}, -1},
      {"end mark before the status", {'h', 'b', 'm', 0x01, 0x00, 0xFF, 0x00, 0xFE, 0x01, 22}, -1},
      {"header in another case", {'H', 'B', 'M', 0xFE, 0x01, 0x16}, -1},
      {"header cut", {'h', 'b'}, -1},
  };
  for (const auto& row : rows) {
    int status = -1;
    EXPECT_EQ(ReadHbmStatus(row.reply.data(), row.reply.size(), status), row.status >= 0) << row.what;
    if (row.status >= 0) {
      EXPECT_EQ(status, row.status) << row.what;
    }
  }
}

TEST(StatusTables, SearchAndDefaults) {
  // Status 21 on channel 0 (kind 0) has no row: the kind's default is the ending row.
  EXPECT_EQ(SearchStatusInfo(0, 21), -1);
  const int index = SearchStatusInfo(0, -1);
  EXPECT_EQ(index, 26);
  EXPECT_EQ(StatusInfoAt(index).simple, 11);
  EXPECT_EQ(StatusInfoAt(SearchStatusInfo(1, 21)).simple, 11);
  EXPECT_EQ(StatusInfoAt(SearchStatusInfo(2, 22)).kind, 2);
  EXPECT_EQ(StatusInfoAt(SearchStatusInfo(1, -1)).text2, 2101);
  EXPECT_EQ(SearchStatusInfo(3, -1), -1);
  EXPECT_EQ(&StatusInfoAt(-1), &StatusInfoAt(26));
  EXPECT_EQ(&StatusInfoAt(1000), &StatusInfoAt(26));

  // Every status the code table can give has a row of kind 1, whose kind key has a kind row.
  for (int s : {21, 14, 18, 6, 57, 25, 2, 5, 31, 30, 9, 19, 58, 20, 32, 17, 11, 1, 10}) {
    const int i = SearchStatusInfo(1, s);
    ASSERT_GE(i, 0) << s;
    EXPECT_NE(StatusKindOf(StatusInfoAt(i).kindKey).key, 0) << s;
  }
  EXPECT_EQ(StatusKindOf(10).values[3], 777);
  EXPECT_EQ(StatusKindOf(11).key, 0);
  EXPECT_EQ(StatusKindOf(0).values[0], 0);
}

TEST(StatusTables, Buttons) {
  StatusInfoRow row = StatusInfoAt(SearchStatusInfo(1, 59));
  bool asked = false;
  AdjustButtons(row, {0x10000005, false, false}, [&] { asked = true; return true; });
  EXPECT_TRUE(asked);
  EXPECT_EQ(row.button2, 1614);
  AdjustButtons(row, {0x10000005, false, false}, [] { return false; });
  EXPECT_EQ(row.button2, 0);

  row = StatusInfoAt(SearchStatusInfo(1, 6));  // 1605
  AdjustButtons(row, {0x10000005, true, true}, [] { return true; });
  EXPECT_EQ(row.button1, 1601);
}

TEST(InkMessages, ConcernedSlots) {
  EXPECT_EQ(ConcernedInkSlots(3051, 0, 0x11), 0x3u);
  EXPECT_EQ(ConcernedInkSlots(3024, 0x8888, 0), 0xFu);
  EXPECT_EQ(ConcernedInkSlots(3024, 0x0020, 0), 0x2u);
  EXPECT_EQ(ConcernedInkSlots(3024, 0x0888, 0), 0x0u);  // bit 3 alone concerns nothing
  EXPECT_EQ(ConcernedInkSlots(3026, 0x0888, 0), 0x7u);
  EXPECT_EQ(ConcernedInkSlots(3026, 0x1111, 0), 0x0u);
  EXPECT_EQ(ConcernedInkSlots(3052, 0, 0x2220), 0xEu);
  EXPECT_EQ(ConcernedInkSlots(3006, 0xFFFF, 0xFFFF), 0u);
  EXPECT_TRUE(IsInkListMessage(3047));
  EXPECT_FALSE(IsInkListMessage(3006));

  EXPECT_EQ(InkNameStringId(1, 0x04), 4151u);
  EXPECT_EQ(InkNameStringId(1, 0x03), 0u);  // the ink of another slot
  EXPECT_EQ(InkNameStringId(4, 0x01), 0u);
}

TEST(InkMessages, InkStatusTexts) {
  std::string texts[4];
  InkStatusTexts(Decoded(Binary({0x01, 0x01, 0x04, 0x0F, 7, 3, 3, 0, 40, 4, 0, 'r'})), texts);
  EXPECT_EQ(texts[0], "40");
  EXPECT_EQ(texts[1], "NA");
  EXPECT_EQ(texts[2], "NA");
  EXPECT_EQ(texts[3], "NA");
  InkStatusTexts(Decoded(Text("ST:00;IQ:00640aCI01;\x0C")), texts);
  EXPECT_EQ(texts[0], "0");
  EXPECT_EQ(texts[1], "100");
  EXPECT_EQ(texts[2], "10");
  EXPECT_EQ(texts[3], "NA");
}

}  // namespace
