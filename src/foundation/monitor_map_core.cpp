#include "foundation/monitor_map_core.h"

#include <cstring>

namespace moni::monitormap {

namespace {

constexpr size_t kKeyChars = kKeyBytes / 2;  // 520: the field in characters

char16_t CharAt(std::span<const std::uint8_t> map, size_t record, size_t index) {
  const size_t at = record * kRecordSize + kKeyOffset + 2 * index;
  return static_cast<char16_t>(map[at] | (map[at + 1] << 8));
}

void PutChar(std::span<std::uint8_t> map, size_t record, size_t index, char16_t c) {
  const size_t at = record * kRecordSize + kKeyOffset + 2 * index;
  map[at] = static_cast<std::uint8_t>(c & 0xFF);
  map[at + 1] = static_cast<std::uint8_t>(c >> 8);
}

// Case folding for the letters of the Latin, Greek and Cyrillic blocks that
// have a single-character upper-case form; anything else compares as is.
char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c < 0x00E0) return c;
  if (c <= 0x00FE) return c == 0x00F7 ? c : static_cast<char16_t>(c - 0x20);
  if (c == 0x00FF) return 0x0178;
  if (c >= 0x0100 && c <= 0x017F) {
    const bool evenUpper = (c <= 0x0137) || (c >= 0x014A && c <= 0x0177);
    if (evenUpper) return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E)) return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    return c;
  }
  if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
  return c;
}

// A key starting with the end marker's character (a name beginning with
// U+00FF) would read as the end of the table and hide every record after it.
bool UsableKey(std::u16string_view key) {
  return !key.empty() && key.size() <= kKeyMaxChars && key.front() != kEndMarker &&
         key.find(u'\0') == std::u16string_view::npos;
}

void WriteKey(std::span<std::uint8_t> map, size_t record, std::u16string_view key) {
  // Everything after the first character first, so that a reader never sees
  // a record in use whose key is still the old one.
  std::memset(map.data() + record * kRecordSize + kKeyOffset + 2, 0, kKeyBytes - 2);
  for (size_t i = 1; i < key.size(); ++i) PutChar(map, record, i, key[i]);
  PutChar(map, record, 0, key[0]);
}

// The record to claim: the lowest free one, else the one holding the end
// marker (the marker then moves to its follower). Nothing when the marker
// sits in the last record or the table holds neither.
std::optional<size_t> ClaimRecord(std::span<std::uint8_t> map) {
  const size_t count = RecordsIn(map);
  for (size_t k = 0; k < count; ++k) {
    const char16_t first = FirstChar(map, k);
    if (first == kFree) return k;
    if (first == kEndMarker) {
      if (k + 1 >= count) return std::nullopt;
      PutChar(map, k + 1, 0, kEndMarker);
      return k;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<size_t> RoleFieldOffset(std::int32_t role) {
  switch (role) {
    case 0: return kPrefsHandleOffset;
    case 1:
    case 2: return kStatusHandleOffset;
    case 3: return kTrayHandleOffset;
    default: return std::nullopt;
  }
}

std::u16string_view KeyOf(std::u16string_view printer, std::u16string_view port) {
  return printer.empty() ? port : printer;
}

void InitialiseNew(std::span<std::uint8_t> map) {
  if (RecordsIn(map) > 0) PutChar(map, 0, 0, kEndMarker);
}

size_t RecordsIn(std::span<const std::uint8_t> map) {
  const size_t whole = map.size() / kRecordSize;
  return whole < kRecordCount ? whole : kRecordCount;
}

char16_t FirstChar(std::span<const std::uint8_t> map, size_t record) { return CharAt(map, record, 0); }

std::u16string ReadKey(std::span<const std::uint8_t> map, size_t record) {
  std::u16string key;
  for (size_t i = 0; i < kKeyChars; ++i) {
    const char16_t c = CharAt(map, record, i);
    if (c == u'\0') break;
    key.push_back(c);
  }
  return key;
}

bool KeyEquals(std::span<const std::uint8_t> map, size_t record, std::u16string_view key) {
  if (key.size() >= kKeyChars) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    const char16_t c = CharAt(map, record, i);
    if (c == u'\0' || Fold(c) != Fold(key[i])) return false;
  }
  return CharAt(map, record, key.size()) == u'\0';
}

std::uint64_t ReadHandle(std::span<const std::uint8_t> map, size_t record, size_t fieldOffset) {
  std::uint64_t handle = 0;
  std::memcpy(&handle, map.data() + record * kRecordSize + fieldOffset, sizeof handle);
  return handle;
}

void WriteHandle(std::span<std::uint8_t> map, size_t record, size_t fieldOffset, std::uint64_t handle) {
  std::memcpy(map.data() + record * kRecordSize + fieldOffset, &handle, sizeof handle);
}

std::optional<size_t> FindRecord(std::span<const std::uint8_t> map, std::u16string_view key) {
  if (key.empty()) return std::nullopt;
  const size_t count = RecordsIn(map);
  for (size_t k = 0; k < count; ++k) {
    if (FirstChar(map, k) == kEndMarker) return std::nullopt;
    if (KeyEquals(map, k, key)) return k;
  }
  return std::nullopt;
}

CheckOutcome CheckAndRegister(std::span<std::uint8_t> map, std::u16string_view key, std::int32_t role,
                              std::uint64_t ownWindow, const IsWindowFn& isWindow) {
  const std::optional<size_t> field = RoleFieldOffset(role);
  if (!field) return {CheckResult::HeldByOther, 0};
  if (!UsableKey(key)) return {CheckResult::Unusable, 0};

  if (const std::optional<size_t> found = FindRecord(map, key)) {
    const std::uint64_t held = ReadHandle(map, *found, *field);
    const bool live = held != 0 && (!isWindow || isWindow(held));
    if (live) return {CheckResult::HeldByOther, held};
    WriteHandle(map, *found, *field, ownWindow);
    return {CheckResult::Holds, 0};
  }

  const std::optional<size_t> claimed = ClaimRecord(map);
  if (!claimed) return {CheckResult::Unusable, 0};
  std::memset(map.data() + *claimed * kRecordSize + kReservedOffset, 0, kClaimClearBytes);
  WriteHandle(map, *claimed, *field, ownWindow);
  WriteKey(map, *claimed, key);
  return {CheckResult::Holds, 0};
}

void Release(std::span<std::uint8_t> map, std::u16string_view key, std::int32_t role) {
  const std::optional<size_t> field = RoleFieldOffset(role);
  if (!field) return;
  const std::optional<size_t> found = FindRecord(map, key);
  if (!found) return;
  WriteHandle(map, *found, *field, 0);
  if (ReadHandle(map, *found, kStatusHandleOffset) == 0 && ReadHandle(map, *found, kPrefsHandleOffset) == 0 &&
      ReadHandle(map, *found, kTrayHandleOffset) == 0) {
    PutChar(map, *found, 0, kFree);
  }
}

bool SetTrayWindow(std::span<std::uint8_t> map, std::u16string_view key, std::uint64_t window) {
  const std::optional<size_t> found = FindRecord(map, key);
  if (!found) return false;
  WriteHandle(map, *found, kTrayHandleOffset, window);
  return true;
}

}  // namespace moni::monitormap
