// Invariants of a decoded status record shared by the status fuzz targets.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "status/status_decode.h"

namespace moni::status::fuzzchecks {

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

inline bool IsInkValue(std::uint8_t v) { return v <= 100 || v == 0xFD || v == 0xFE || v == 0xFF; }

// What holds for every record a reply decodes to. The binary form keeps up to
// 32 warnings and one ink slot per ink, of the codes 1, 3, 4, 5; the text form
// 30 warnings and 20 ink slots.
inline void CheckRecord(const std::uint8_t* reply, std::size_t size, const StatusBuff& r) {
  const bool binary = size >= 10 && std::memcmp(reply, "@BDC ST2\r\n", 10) == 0;
  const std::size_t maxWarnings = binary ? 32 : 30;
  const std::size_t maxSlots = binary ? 10 : 20;
  if (binary) {
    Check(r.byInkSlotCount == r.byInkCount);
    for (std::size_t i = 0; i < r.byInkCount; ++i) {
      const std::uint16_t code = r.awInkCode[i];
      Check(code == 1 || code == 3 || code == 4 || code == 5);
    }
  }
  Check(r.byInkCount <= 10);
  Check(r.byWarningCount <= maxWarnings);
  Check(r.byInkSlotCount <= maxSlots);
  for (std::size_t i = 0; i < r.byInkCount; ++i) Check(IsInkValue(r.abyInkRemain[i]));
  for (std::size_t i = r.byInkCount; i < 10; ++i) Check(r.abyInkRemain[i] == 0);
  Check(r.abyJobText[32] == 0);
  Check(r.dwReserved0 == 0 && r.dwReserved2 == 2 && r.byReserved0 == 0);

  // The status number comes from the table and has a row; its kind key a kind row.
  int row = -2;
  const int status = GetStatusNo(r, &row);
  Check(row >= 0 && row < 28);
  const int index = SearchStatusInfo(1, status);
  Check(index >= 0);
  Check(StatusKindOf(StatusInfoAt(index).kindKey).key != 0);

  const std::uint32_t inkBits = InkStateBits(r);
  const std::uint32_t warningBits = WarningBits(r);
  Check((inkBits & ~0xFFFFu) == 0);
  Check((warningBits & ~0x33333333u) == 0);
  for (int id : {3024, 3026, 3029, 3032, 3047, 3051, 3052}) Check(ConcernedInkSlots(id, inkBits, warningBits) <= 0xF);

  std::string texts[4];
  InkStatusTexts(r, texts);
  for (const std::string& t : texts) {
    Check(!t.empty() && t.size() <= 3);
    if (t != "NA") Check(std::stoi(t) >= 0 && std::stoi(t) <= 100);
  }
}

// Decoding the same bytes twice gives the same record (nothing depends on
// what the record held before).
inline void CheckRepeatable(const std::uint8_t* reply, std::size_t size, bool ok, const StatusBuff& first) {
  StatusBuff again;
  std::memset(&again, 0x5A, sizeof again);
  Check(ConvertStatusInfo(reply, size, again) == ok);
  if (ok) Check(std::memcmp(&again, &first, sizeof again) == 0);
}

// One input of a reply target: the bytes that follow `header`, or, when the
// input begins with 0xA5, the whole reply. The reply is decoded from an
// exact-size copy, so that a read past its end is caught.
inline int FuzzReply(const std::uint8_t* data, std::size_t size, const char* header) {
  std::vector<std::uint8_t> reply;
  if (size > 0 && data[0] == 0xA5) {
    reply.assign(data + 1, data + size);
  } else {
    reply.assign(header, header + std::strlen(header));
    reply.insert(reply.end(), data, data + size);
  }
  std::vector<std::uint8_t> exact(reply);
  exact.shrink_to_fit();

  StatusBuff record;
  const bool ok = ConvertStatusInfo(exact.data(), exact.size(), record);
  if (ok) CheckRecord(exact.data(), exact.size(), record);
  CheckRepeatable(exact.data(), exact.size(), ok, record);
  return 0;
}

}  // namespace moni::status::fuzzchecks
