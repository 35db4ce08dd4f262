// The monitor map's record table over a byte buffer (portable core, no
// windows.h). The Win32 layer maps the named section and hands its bytes in;
// everything here reads and writes the records in place.
//
// 500 records of 1,066 bytes, packed, record k at 1,066 x k:
//   0     1,040  key: printer (or port) name, UTF-16LE, zero-terminated
//   1,040 2      reserved
//   1,042 8      status window handle (roles 1 and 2)
//   1,050 8      preferences dialog handle (role 0)
//   1,058 8      tray program handle (role 3)
// A first key character of 0 marks a free record; 0x00FF marks the end of
// the table (this record and all after it are unused).
//
// The records are written by other processes: nothing here trusts a key to
// carry its terminator or the table to carry its end marker.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace moni::monitormap {

inline constexpr size_t kRecordCount = 500;
inline constexpr size_t kRecordSize = 1066;
inline constexpr size_t kSectionSize = kRecordCount * kRecordSize;  // 533,000
inline constexpr size_t kKeyOffset = 0;
inline constexpr size_t kKeyBytes = 1040;
inline constexpr size_t kKeyMaxChars = 519;  // plus the terminator
inline constexpr size_t kReservedOffset = 1040;
inline constexpr size_t kStatusHandleOffset = 1042;
inline constexpr size_t kPrefsHandleOffset = 1050;
inline constexpr size_t kTrayHandleOffset = 1058;
inline constexpr size_t kClaimClearBytes = kRecordSize - kReservedOffset;  // 26
inline constexpr char16_t kFree = 0;
inline constexpr char16_t kEndMarker = 0x00FF;

// Section name used when the driver's setup data names none.
inline constexpr char16_t kDefaultMapFileName[] = u"DuvV5MapFile_Ink";

enum class Role : std::int32_t { Preferences = 0, StatusWindow = 1, StatusWindow2 = 2, Tray = 3 };

// The handle field of a role, or nothing for a value outside 0 to 3.
std::optional<size_t> RoleFieldOffset(std::int32_t role);

enum class CheckResult : int {
  Holds = 0,        // this process now holds the role
  HeldByOther = 1,  // a live window holds it (or the role is unknown)
  Unusable = 2,     // the table cannot take the key
};

struct CheckOutcome {
  CheckResult result = CheckResult::Unusable;
  std::uint64_t otherWindow = 0;  // with HeldByOther
};

// Tells whether a window handle still names a window. An empty function
// counts every handle as live.
using IsWindowFn = std::function<bool(std::uint64_t)>;

// The key a printer is registered under: the printer name, or the port name
// when the printer name is empty.
std::u16string_view KeyOf(std::u16string_view printer, std::u16string_view port);

// Marks a newly created section: the end marker in record 0.
void InitialiseNew(std::span<std::uint8_t> map);

// Number of whole records the buffer holds (at most kRecordCount).
size_t RecordsIn(std::span<const std::uint8_t> map);

char16_t FirstChar(std::span<const std::uint8_t> map, size_t record);
// The key of a record, up to its terminator and never past its key field.
std::u16string ReadKey(std::span<const std::uint8_t> map, size_t record);
// Compares a record's key with `key` without regard to case; a key field
// without terminator never equals anything.
bool KeyEquals(std::span<const std::uint8_t> map, size_t record, std::u16string_view key);

std::uint64_t ReadHandle(std::span<const std::uint8_t> map, size_t record, size_t fieldOffset);
void WriteHandle(std::span<std::uint8_t> map, size_t record, size_t fieldOffset, std::uint64_t handle);

// The record holding `key`, walking from record 0 to the end marker.
std::optional<size_t> FindRecord(std::span<const std::uint8_t> map, std::u16string_view key);

// The lookup-or-register step for a role: an existing record for the key is
// reused (its role taken over when empty or no longer a window); otherwise a
// record is claimed, lowest free first, else at the end marker, which moves
// one record on. An empty key, one longer than kKeyMaxChars or containing a
// zero character or starting with the end marker character (U+00FF), or a
// full table give Unusable without writing anything.
CheckOutcome CheckAndRegister(std::span<std::uint8_t> map, std::u16string_view key, std::int32_t role,
                              std::uint64_t ownWindow, const IsWindowFn& isWindow);

// Clears the role's field of the key's record; a record left without any
// role becomes free. Does nothing when the key is not registered.
void Release(std::span<std::uint8_t> map, std::u16string_view key, std::int32_t role);

// Stores the tray program's window into the key's existing record. Returns
// false when the key is not registered.
bool SetTrayWindow(std::span<std::uint8_t> map, std::u16string_view key, std::uint64_t window);

}  // namespace moni::monitormap
