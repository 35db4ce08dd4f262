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
