// The parameter text the programs of the system pass to each other (portable
// core, no windows.h): a sequence of switches "/NAME", each optionally with a
// decimal length and a value in double quotes.
//
//   /P "Printer name"      value between the quotes
//   /P12 "ab"c/d" x..."    length form: exactly 12 characters after the quote
//   /S                     flag (no value)
//
// Text between switches is ignored; a double quote there toggles a quoted
// stretch in which "/" does not start a switch.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moni::cmdline {

// Names are handed out with at most this many characters (a 260-character
// buffer with its terminator).
inline constexpr size_t kMaxNameChars = 259;

struct Switch {
  std::u16string name;                  // as written, at most kMaxNameChars characters
  std::optional<std::u16string> value;  // nothing for a flag
  bool hasLength = false;               // the value was given in the length form
};

struct ScanResult {
  std::vector<Switch> switches;  // in text order
  // A switch with a length but no double quote after it ends the list: it and
  // everything after it are not reported (the walk by index stops there).
  bool stoppedAtLengthWithoutValue = false;
};

// All switches of the text in order.
ScanResult ScanSwitches(std::u16string_view text);

// The index-th switch (from 0, in text order): its name and value. Returns the
// value's length (0 for a flag or an empty value), or -1 when there is no such
// switch; on -1 both outputs are empty.
std::int64_t GetSwitch(std::u16string_view text, size_t index, std::u16string& name, std::u16string& value);

// Switch names compare without regard to case of the letters A to Z only.
bool NameEquals(std::u16string_view a, std::u16string_view b);

// The text of a parameter file: UTF-16 little-endian without byte-order mark,
// up to the first zero character (the tray program writes one) or the end;
// an odd last byte is dropped.
std::u16string DecodeParameterFile(std::string_view bytes);

}  // namespace moni::cmdline

namespace moni::cmdline {

// Longest printer, driver, port, model or other text value taken (a
// 260-character field with its terminator); longer values are not accepted.
inline constexpr size_t kMaxValueChars = 259;

// What a parameter text carries, switch by switch, as the tray program keeps
// it. Texts are empty and flags 0 when their switch was not given.
struct TrayFields {
  std::u16string printerName;  // P
  std::u16string driverName;   // D
  std::u16string portName;     // O
  std::u16string modelId;      // M
  bool remove = false;         // R
  bool preferences = false;    // E
  bool iconInstall = false;    // I
  int iconFrom = 0;            // EF: 1 "HKCU", 2 "HKLM", else 0
  std::uint64_t window = 0;    // HWND, decimal
  std::u16string paramFile;    // FU
  // Passed through to the status window program.
  bool s = false, u = false, c = false, spl = false, dp = false, a = false, ppop = false, bsr = false, td = false;
  std::u16string j, tlm, t, l, n, ic, x, ps, rp;
  bool efGiven = false;  // "EF" was present (with any value)
};

// Applies every switch of the text to the fields in text order (a later
// switch overwrites an earlier one); unknown names are skipped. Returns
// whether "FU" was among them.
bool ApplySwitches(std::u16string_view text, TrayFields& fields);

// The decimal number at the start of a value (0 when there is none); stops at
// the first other character and saturates instead of overflowing.
std::uint64_t ParseDecimal(std::u16string_view value);

}  // namespace moni::cmdline
