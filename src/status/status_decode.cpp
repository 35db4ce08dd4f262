#include "status/status_decode.h"

#include <cstring>

#include "comm/bqapi.h"

namespace moni::status {

namespace {

constexpr std::uint8_t kInkEmpty = 0xFF;    // "n", "NA": no reading
constexpr std::uint8_t kInkReplace = 0xFE;  // "r", "w", "RE", "WE"
constexpr std::uint8_t kInkUnknown = 0xFD;  // "i", "CI"

constexpr std::size_t kMaxInks = sizeof(StatusBuff::abyInkRemain);
constexpr std::size_t kMaxWarnings = sizeof(StatusBuff::abyWarning);
constexpr std::size_t kMaxTextWarnings = 30;
constexpr std::size_t kMaxTextInkSlots = 20;  // awInkCode and awInkColor as one run
// The job text keeps its last byte 0 so that it always ends.
constexpr std::size_t kMaxJobText = sizeof(StatusBuff::abyJobText) - 1;
constexpr std::size_t kMax1F = sizeof(StatusBuff::aby1F);

// ---------------------------------------------------------------------------
// Replies

constexpr char kBinaryHeader[] = "@BDC ST2\r\n";  // 10 bytes
constexpr char kTextHeader[] = "@BDC ST\r\n";     // 9 bytes
constexpr std::size_t kBinaryHeaderSize = sizeof(kBinaryHeader) - 1;
constexpr std::size_t kTextHeaderSize = sizeof(kTextHeader) - 1;
constexpr std::size_t kBinaryFieldArea = 12;  // after the header and the 16-bit area length

bool StartsWith(const std::uint8_t* reply, std::size_t size, const char* prefix, std::size_t prefixSize) {
  return size >= prefixSize && std::memcmp(reply, prefix, prefixSize) == 0;
}

std::uint16_t& InkSlot(StatusBuff& record, std::size_t slot) {
  return slot < kMaxInks ? record.awInkCode[slot] : record.awInkColor[slot - kMaxInks];
}

std::uint8_t InkRemainOfByte(std::uint8_t b) {
  switch (b) {
    case 'n': return kInkEmpty;
    case 'r':
    case 'w': return kInkReplace;
    case 'i': return kInkUnknown;
    default: return b > 100 ? 100 : b;
  }
}

// A big-endian number of up to four significant bytes; a field without bytes
// or with a number beyond 32 bits leaves `value` as it is.
void ReadBigEndian(const std::uint8_t* data, std::size_t length, std::uint32_t& value) {
  std::size_t first = 0;
  while (first < length && data[first] == 0) ++first;
  if (length == 0 || length - first > 4) return;
  std::uint32_t number = 0;
  for (std::size_t i = first; i < length; ++i) number = (number << 8) | data[i];
  value = number;
}

// Ink information: the entry size (3 or 4), then whole entries of ink code,
// ink colour, remaining ink and, with size 4, an extra byte.
bool ReadInkField(const std::uint8_t* data, std::size_t length, StatusBuff& record) {
  if (length < 1) return false;
  const std::size_t entrySize = data[0];
  if (entrySize != 3 && entrySize != 4) return false;
  if ((length - 1) % entrySize != 0) return false;
  for (std::size_t pos = 1; pos < length; pos += entrySize) {
    const std::size_t i = record.byInkCount;
    if (i >= kMaxInks) return false;
    const std::uint8_t code = data[pos];
    const std::uint8_t colour = data[pos + 1];
    std::uint16_t stored;
    if (code == 0x03 || code == 0x04 || code == 0x05 || code == 0x01) {
      stored = code;
    } else {
      switch (colour) {
        case 0x01: stored = 0x03; break;
        case 0x02: stored = 0x04; break;
        case 0x03: stored = 0x05; break;
        case 0x00: stored = 0x01; break;
        default: return false;
      }
    }
    record.awInkCode[i] = stored;
    record.awInkColor[i] = colour;
    record.abyInkRemain[i] = InkRemainOfByte(data[pos + 2]);
    if (entrySize == 4) record.abyInkExtra[i] = data[pos + 3];
    ++record.byInkCount;
    ++record.byInkSlotCount;
  }
  return true;
}

void ReadJobField(const std::uint8_t* data, std::size_t length, StatusBuff& record) {
  if (length < 1 || data[0] > 3) return;
  std::uint32_t job = 0;
  const std::size_t numberEnd = length < 5 ? length : 5;
  for (std::size_t i = numberEnd; i > 1; --i) job = (job << 8) | data[i - 1];
  record.dwJobNo = job;
  std::memset(record.abyJobText, 0, sizeof record.abyJobText);
  if (length > 5) {
    const std::size_t textSize = length - 5 < kMaxJobText ? length - 5 : kMaxJobText;
    std::memcpy(record.abyJobText, data + 5, textSize);
  }
}

// ---------------------------------------------------------------------------
// Text form

// The value of each byte as a hexadecimal digit, -1 for a byte that is none.
struct HexDigits {
  std::int8_t value[256];
  constexpr HexDigits() : value() {
    for (int c = 0; c < 256; ++c) value[c] = -1;
    for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<std::int8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<std::int8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) value[c] = static_cast<std::int8_t>(c - 'A' + 10);
  }
};
constexpr HexDigits kHexDigits;

int HexDigit(std::uint8_t c) { return kHexDigits.value[c]; }

class TextScanner {
 public:
  TextScanner(const std::uint8_t* data, std::size_t size, std::size_t pos) : data_(data), size_(size), pos_(pos) {}

  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Peek() const { return data_[pos_]; }
  void Skip() { ++pos_; }

  bool Tag(const char* tag) {
    const std::size_t n = std::strlen(tag);
    if (size_ - pos_ < n || std::memcmp(data_ + pos_, tag, n) != 0) return false;
    pos_ += n;
    return true;
  }
  bool Char(char c) {
    if (AtEnd() || data_[pos_] != static_cast<std::uint8_t>(c)) return false;
    ++pos_;
    return true;
  }
  bool Hex(std::size_t digits, std::uint32_t& value) {
    if (size_ - pos_ < digits) return false;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      const int d = HexDigit(data_[pos_ + i]);
      if (d < 0) return false;
      v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    pos_ += digits;
    value = v;
    return true;
  }
  bool Byte(std::uint8_t& value) {
    std::uint32_t v = 0;
    if (!Hex(2, v)) return false;
    value = static_cast<std::uint8_t>(v);
    return true;
  }
  // "XX;" after a tag.
  bool ByteField(std::uint8_t& value) { return Byte(value) && Char(';'); }
  // One remaining-ink item: a mark of two letters or two hexadecimal digits.
  // No mark is two hexadecimal digits, so the number, the usual item, is
  // tried first.
  bool InkItem(std::uint8_t& value) {
    if (Byte(value)) value = value > 100 ? 100 : value;
    else if (Tag("NA")) value = kInkEmpty;
    else if (Tag("RE") || Tag("WE")) value = kInkReplace;
    else if (Tag("CI")) value = kInkUnknown;
    else return false;
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_;
};

// ---------------------------------------------------------------------------
// Tables

constexpr int kAny = -1;
constexpr int kNone = -2;

struct StatusCodeRow {
  int state;
  int error;
  int warning;
  std::uint32_t inkMask;
  int status;
};

constexpr StatusCodeRow kStatusCodes[] = {
    {0x00, kNone, kNone, 0, 21},
    {0x00, 0x00, kAny, 0, 14},
    {0x00, 0x01, kAny, 0, 18},
    {0x00, 0x04, kAny, 0, 6},
    {0x00, 0x05, kAny, 0x22222222, 57},
    {0x00, 0x05, kAny, 0x44444444, 25},
    {0x00, 0x05, kAny, 0x11111111, 2},
    {0x00, 0x05, kAny, 0x88888888, 57},
    {0x00, 0x06, kAny, 0, 5},
    {0x00, 0x10, kAny, 0, 31},
    {0x00, 0x12, kAny, 0, 30},
    {0x00, kAny, kAny, 0, 9},
    {0x08, kAny, kAny, 0, 19},
    {0x0A, kAny, kAny, 0, 58},
    {kAny, kAny, 0x10, 0, 20},
    {kAny, kAny, 0x11, 0, 20},
    {kAny, kAny, 0x12, 0, 20},
    {kAny, kAny, 0x13, 0, 20},
    {kAny, kAny, 0x14, 0, 20},
    {kAny, kAny, 0x15, 0, 20},
    {kAny, kAny, 0x16, 0, 20},
    {kAny, kAny, 0x20, 0, 32},
    {0x01, kAny, kAny, 0, 17},
    {0x02, kAny, kAny, 0, 11},
    {0x03, kAny, kAny, 0, 11},
    {0x04, kAny, kAny, 0, 1},
    {0x07, kAny, kAny, 0, 10},
    {kAny, kAny, kAny, 0, 21},
};
static_assert(sizeof kStatusCodes / sizeof kStatusCodes[0] == 28);

// kind, status, simple, notify, text 1, text 2, kind key, utility, TSS, 0, third, button 1, button 2
constexpr StatusInfoRow kStatusInfo[] = {
    {1, 14, 12, 12, 3506, 3006, 7, -1, 0, 0, 16010, 1601, 0},
    {1, 18, 999, 12, 3507, 3007, 1, -1, 0, 0, 0, 1601, 0},
    {1, 6, 5, 12, 3510, 3010, 4, -1, 2, 0, 16003, 1605, 0},
    {1, 2, 10, 12, 3524, 3024, 2, 0, 1, 0, 16008, 1612, 0},
    {1, 25, 10, 12, 3533, 3029, 2, 0, 1, 0, 16008, 1612, 0},
    {1, 57, 10, 12, 3536, 3032, 2, 0, 1, 0, 16008, 1612, 0},
    {1, 5, 3, 12, 3512, 3012, 3, -1, 0, 0, 16001, 1606, 1608},
    {1, 31, 12, 12, 3532, 3028, 7, -1, 0, 0, 16010, 1601, 0},
    {1, 30, 12, 12, 3531, 3027, 9, -1, 0, 0, 16010, 1612, 0},
    {1, 9, 12, 12, 3514, 3014, 7, -1, 0, 0, 16010, 1601, 0},
    {1, 17, 999, 12, 3501, 3001, 1, -1, 0, 0, 0, 1601, 0},
    {1, 11, 999, 999, 3502, 3002, 1, -1, 0, 0, 0, 1600, 0},
    {1, 1, 1, 1, 3504, 3004, 1, -1, 0, 0, 0, 1600, 0},
    {1, 10, 1, 1, 3523, 3023, 1, -1, 0, 0, 0, 1601, 0},
    {1, 19, 12, 12, 3526, 3026, 2, 0, 1, 0, 16010, 1601, 0},
    {1, 58, 1, 1, 3554, 3050, 1, -1, 0, 0, 0, 1601, 0},
    {1, 20, 9, 9, 3555, 3051, 5, 1, 1, 0, 16007, 1601, 0},
    {1, 32, 13, 501, 3541, 3036, 8, -1, 0, 0, 16011, 1601, 0},
    {1, 16, 12, 12, 3525, 3025, 7, -1, 0, 0, 16010, 1601, 0},
    {1, 21, 11, 11, 3528, 2002, 6, -1, 0, 0, 16009, 1601, 0},
    {1, 22, 14, 14, 3528, 2002, 6, -1, 0, 0, 16009, 1601, 0},
    {1, 59, 12, 12, 3582, 3079, 7, -1, 0, 0, 16010, 1600, 1614},
    {1, -1, 12, 12, 3529, 2101, 7, -1, 0, 0, 16010, 1601, 0},
    {2, 22, 11, 11, 3528, 2002, 6, -1, 0, 0, 16009, 1601, 0},
    {2, -1, 11, 11, 3530, 2102, 6, -1, 0, 0, 16009, 1601, 0},
    {0, 1000, 1, 1, 3527, 2001, 1, -1, 0, 0, 0, 1600, 0},
    {0, -1, 11, 11, 3528, 2002, 6, -1, 0, 0, 16009, 1600, 0},  // ends the table
};
constexpr int kStatusInfoCount = static_cast<int>(sizeof kStatusInfo / sizeof kStatusInfo[0]);
static_assert(kStatusInfoCount == 27);

constexpr StatusKindRow kStatusKinds[] = {
    {1, {511, 1, 759, 0, 0}},   {2, {512, 1, 761, 0, 1}}, {3, {512, 1, 760, 770, 1}}, {4, {512, 1, 752, 0, 1}},
    {5, {510, 1, 761, 0, 1}},   {6, {512, 1, 750, 0, 1}}, {7, {512, 1, 758, 0, 1}},   {8, {510, 1, 758, 0, 1}},
    {9, {512, 1, 760, 0, 1}},   {10, {512, 1, 760, 777, 1}},
    {0, {0, 0, 0, 0, 0}},  // ends the table
};

struct InkNameRow {
  int slot;
  std::uint16_t inkCode;
  std::uint32_t stringId;
  std::uint32_t second;
};

constexpr InkNameRow kInkNames[] = {
    {0, 0x03, 4150, 2},
    {1, 0x04, 4151, 3},
    {2, 0x05, 4152, 4},
    {3, 0x01, 4153, 0},
};

std::size_t WarningCount(const StatusBuff& record) {
  return record.byWarningCount < kMaxWarnings ? record.byWarningCount : kMaxWarnings;
}

// What a row is matched against: the record, and its selected warning and
// ink state bits, worked out when a row first asks for them (most replies
// find their row before any row does).
class RowInputs {
 public:
  explicit RowInputs(const StatusBuff& record) : record(record) {}
  std::uint8_t Selected() {
    if (!m_haveSelected) {
      m_selected = SelectedWarning(record);
      m_haveSelected = true;
    }
    return m_selected;
  }
  std::uint32_t InkBits() {
    if (!m_haveInkBits) {
      m_inkBits = InkStateBits(record);
      m_haveInkBits = true;
    }
    return m_inkBits;
  }
  const StatusBuff& record;

 private:
  bool m_haveSelected = false, m_haveInkBits = false;
  std::uint8_t m_selected = 0;
  std::uint32_t m_inkBits = 0;
};

bool RowMatches(const StatusCodeRow& row, RowInputs& in) {
  const StatusBuff& record = in.record;
  if (row.state != kAny && row.state != record.byState) return false;
  if (row.error == kNone) {
    if (record.byError != 0xFF) return false;
  } else if (row.error != kAny && row.error != record.byError) {
    return false;
  }
  if (row.warning == kNone) {
    if (WarningCount(record) != 0) return false;
  } else if (row.warning != kAny && row.warning != in.Selected()) {
    return false;
  }
  const std::uint32_t mask = row.inkMask & 0x77777777u;
  if (mask != 0 && (in.InkBits() & mask) == 0) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

int ReplyKindOfChannel(std::uint32_t channel) {
  for (const bqapi::StatusChannel& candidate : bqapi::kStatusChannels)
    if (candidate.channel == channel && channel != 0) return candidate.replyKind;
  return 0;
}

namespace {

StatusBuff InitialStatusBuff() {
  StatusBuff record;
  std::memset(&record, 0, sizeof record);
  record.byState = 0xFF;
  record.byError = 0xFF;
  std::memset(record.abyRC, 0xFF, sizeof record.abyRC);
  record.dwReserved0 = 0;
  record.dwReserved2 = 2;
  record.dwValue24 = 0xFFFFFFFF;
  record.dwValue0E = 0xFFFFFFFF;
  std::memset(record.aby1F, 0xFF, sizeof record.aby1F);
  std::memset(record.abyInkExtra, 0xFF, sizeof record.abyInkExtra);
  record.byReserved0 = 0;
  std::memset(record.abyReservedFF, 0xFF, sizeof record.abyReservedFF);
  return record;
}

// Every reply starts from this record: one copy instead of a dozen fills.
const StatusBuff kInitialStatusBuff = InitialStatusBuff();

}  // namespace

void InitStatusBuff(StatusBuff& record) { std::memcpy(&record, &kInitialStatusBuff, sizeof record); }

bool ConvertStatusInfo(const std::uint8_t* reply, std::size_t size, StatusBuff& record) {
  InitStatusBuff(record);
  if (reply == nullptr) return false;
  if (StartsWith(reply, size, kBinaryHeader, kBinaryHeaderSize)) return ConvertBinaryStatus(reply, size, record);
  if (StartsWith(reply, size, kTextHeader, kTextHeaderSize)) return ConvertAsciiStatus(reply, size, record);
  return false;
}

bool ConvertBinaryStatus(const std::uint8_t* reply, std::size_t size, StatusBuff& record) {
  if (reply == nullptr || size < kBinaryFieldArea) return false;
  const std::size_t areaLength = reply[10] | (reply[11] << 8);
  if (areaLength == 0) return false;
  const std::uint8_t* area = reply + kBinaryFieldArea;
  const std::size_t available = size - kBinaryFieldArea;  // bytes of the area that were received

  bool haveState = false;
  std::size_t pos = 0;
  while (pos < areaLength) {
    // Every field, read or skipped, lies within the reply.
    if (available - pos < 2) return false;
    const std::uint8_t type = area[pos];
    const std::size_t length = area[pos + 1];
    const std::uint8_t* data = area + pos + 2;
    if (available - pos - 2 < length) return false;
    switch (type) {
      case 0x01:
        if (length != 1) return false;
        record.byState = data[0];
        haveState = true;
        break;
      case 0x02:
        if (length != 1) return false;
        record.byError = data[0];
        break;
      case 0x04: {
        // The reply may announce up to 255 codes; the count says how many are kept.
        const std::size_t kept = length < kMaxWarnings ? length : kMaxWarnings;
        std::memset(record.abyWarning, 0, sizeof record.abyWarning);
        std::memcpy(record.abyWarning, data, kept);
        record.byWarningCount = static_cast<std::uint8_t>(kept);
        break;
      }
      case 0x0F:
        if (!ReadInkField(data, length, record)) return false;
        break;
      case 0x13:
        if (length != 1) return false;
        record.bCancel = data[0] == 0x81 ? 1 : 0;
        break;
      case 0x19: ReadJobField(data, length, record); break;
      case 0x0E: ReadBigEndian(data, length, record.dwValue0E); break;
      case 0x24: ReadBigEndian(data, length, record.dwValue24); break;
      case 0x1F:
        record.dwLen1F = static_cast<std::uint32_t>(length);
        std::memcpy(record.aby1F, data, length < kMax1F ? length : kMax1F);
        break;
      default: break;
    }
    pos += 2 + length;
  }
  return haveState;
}

bool ConvertAsciiStatus(const std::uint8_t* reply, std::size_t size, StatusBuff& record) {
  if (reply == nullptr || size < kTextHeaderSize) return false;
  TextScanner s(reply, size, kTextHeaderSize);
  bool haveState = false;
  while (!s.AtEnd()) {
    const std::uint8_t c = s.Peek();
    if (c == 0x0C || c == 0xFF) return haveState;
    std::uint8_t value = 0;
    // The tags begin with different letters (but "IQ:" and "INK:"): a byte
    // that begins none is passed over without trying each of them.
    if (c != 'S' && c != 'E' && c != 'R' && c != 'C' && c != 'I' && c != 'W') {
      s.Skip();
    } else if (s.Tag("ST:")) {
      if (!s.ByteField(record.byState)) return false;
      haveState = true;
    } else if (s.Tag("ER:")) {
      if (!s.ByteField(record.byError)) return false;
    } else if (s.Tag("RC:")) {
      if (!s.ByteField(record.abyRC[2])) return false;
    } else if (s.Tag("CA:")) {
      if (!s.ByteField(value)) return false;
      record.bCancel = value == 0x81 ? 1 : 0;
    } else if (s.Tag("IQ:")) {
      // A repeated field replaces the earlier one.
      std::memset(record.abyInkRemain, 0, sizeof record.abyInkRemain);
      std::size_t n = 0;
      while (!s.Char(';')) {
        if (n == kMaxInks || !s.InkItem(value)) return false;
        record.abyInkRemain[n++] = value;
      }
      record.byInkCount = static_cast<std::uint8_t>(n);
    } else if (s.Tag("WR:")) {
      std::memset(record.abyWarning, 0, sizeof record.abyWarning);
      std::size_t n = 0;
      while (!s.Char(';')) {
        if (n == kMaxTextWarnings || !s.Byte(value)) return false;
        record.abyWarning[n++] = value;
        s.Char(',');
      }
      record.byWarningCount = static_cast<std::uint8_t>(n);
    } else if (s.Tag("INK:")) {
      std::memset(record.awInkCode, 0, sizeof record.awInkCode);
      std::memset(record.awInkColor, 0, sizeof record.awInkColor);
      std::size_t n = 0;
      std::uint32_t item = 0;
      while (!s.Char(';')) {
        if (n == kMaxTextInkSlots || !s.Hex(4, item)) return false;
        InkSlot(record, n++) = static_cast<std::uint16_t>(item);
        s.Char(',');
      }
      record.byInkSlotCount = static_cast<std::uint8_t>(n);
    } else {
      s.Skip();
    }
  }
  return false;  // no form feed
}

std::uint8_t SelectedWarning(const StatusBuff& record) {
  const std::size_t n = WarningCount(record);
  if (n == 0) return 0;
  // The first code of the most urgent group (high digit 2, then 4, 3, 1);
  // the first code of all when none is in a group. One pass: the rank of a
  // code's group, lower is more urgent, and 4 for no group.
  constexpr std::uint8_t kRankOfHigh[16] = {4, 3, 0, 2, 1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
  std::uint8_t chosen = record.abyWarning[0];
  std::uint8_t best = 4;
  for (std::size_t i = 0; i < n && best != 0; ++i) {
    const std::uint8_t rank = kRankOfHigh[record.abyWarning[i] >> 4];
    if (rank < best) {
      best = rank;
      chosen = record.abyWarning[i];
    }
  }
  return chosen;
}

std::uint32_t InkStateBits(const StatusBuff& record) {
  std::uint32_t bits = 0;
  const std::size_t n = record.byInkCount < 4 ? record.byInkCount : 4;
  for (std::size_t i = 0; i < n; ++i) {
    switch (record.abyInkRemain[i]) {
      case 0: bits |= 1u << (4 * i); break;
      case kInkReplace: bits |= 1u << (4 * i + 1); break;
      case kInkEmpty: bits |= 1u << (4 * i + 2); break;
      case kInkUnknown: bits |= 1u << (4 * i + 3); break;
      default: break;
    }
  }
  return bits;
}

std::uint32_t WarningBits(const StatusBuff& record) {
  std::uint32_t bits = 0;
  const std::size_t n = WarningCount(record);
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned w = record.abyWarning[i];
    if (w >= 0x10 && w <= 0x17) bits |= 1u << (4 * (w - 0x10));
    else if (w >= 0x30 && w <= 0x37) bits |= 1u << (4 * (w - 0x30) + 1);
  }
  return bits;
}

int GetStatusNo(const StatusBuff& record, int* rowIndex) {
  RowInputs inputs(record);
  int index = 0;
  for (const StatusCodeRow& row : kStatusCodes) {
    if (RowMatches(row, inputs)) {
      if (rowIndex) *rowIndex = index;
      return row.status;
    }
    ++index;
  }
  if (rowIndex) *rowIndex = -1;
  return 0;
}

bool ReadHbmStatus(const std::uint8_t* reply, std::size_t size, int& status) {
  if (reply == nullptr || size < 3 || std::memcmp(reply, "hbm", 3) != 0) return false;
  std::size_t pos = 3;
  for (;;) {
    if (pos >= size) return false;
    const std::uint8_t id = reply[pos];
    if (id == 0xFF) return false;
    if (size - pos < 2) return false;
    const std::size_t length = reply[pos + 1];
    if (size - pos - 2 < length) return false;
    if (id == 0xFE) {
      if (length == 0) return false;  // an entry without its status byte
      status = reply[pos + 2];
      return true;
    }
    pos += 2 + length;
  }
}

int SearchStatusInfo(int kind, int status) {
  for (int i = 0; i < kStatusInfoCount; ++i)
    if (kStatusInfo[i].kind == kind && kStatusInfo[i].status == status) return i;
  return -1;
}

const StatusInfoRow& StatusInfoAt(int index) {
  if (index < 0 || index >= kStatusInfoCount) return kStatusInfo[kStatusInfoCount - 1];
  return kStatusInfo[index];
}

StatusKindRow StatusKindOf(int key) {
  for (const StatusKindRow& row : kStatusKinds) {
    if (row.key == 0) return row;
    if (row.key == key) return row;
  }
  return StatusKindRow{};
}

std::uint32_t InkNameStringId(int slot, std::uint16_t inkCode) {
  for (const InkNameRow& row : kInkNames)
    if (row.slot == slot && row.inkCode == inkCode) return row.stringId;
  return 0;
}

bool IsInkListMessage(int textId) {
  switch (textId) {
    case 3024:
    case 3026:
    case 3029:
    case 3032:
    case 3047:
    case 3051:
    case 3052: return true;
    default: return false;
  }
}

unsigned ConcernedInkSlots(int textId, std::uint32_t inkStateBits, std::uint32_t warningBits) {
  unsigned slots = 0;
  for (unsigned i = 0; i < 4; ++i) {
    const std::uint32_t nibbleInk = (inkStateBits >> (4 * i)) & 0xF;
    const std::uint32_t nibbleWarning = (warningBits >> (4 * i)) & 0xF;
    bool concerned = false;
    switch (textId) {
      case 3024:
      case 3029:
      case 3032:
      case 3047:
        if ((inkStateBits & 0x8888u) == 0x8888u) return 0xF;
        concerned = (nibbleInk & 0x7) != 0;
        break;
      case 3026: concerned = (nibbleInk & 0xE) != 0; break;
      case 3051: concerned = (nibbleWarning & 0x1) != 0; break;
      case 3052: concerned = (nibbleWarning & 0x2) != 0; break;
      default: return 0;
    }
    if (concerned) slots |= 1u << i;
  }
  return slots;
}

void InkStatusTexts(const StatusBuff& record, std::string texts[4]) {
  const std::size_t n = record.byInkCount < 4 ? record.byInkCount : 4;
  for (std::size_t i = 0; i < 4; ++i) {
    const unsigned value = i < n ? record.abyInkRemain[i] : 0xFCu;
    texts[i] = value >= 0xFC ? std::string("NA") : std::to_string(value);
  }
}

}  // namespace moni::status
