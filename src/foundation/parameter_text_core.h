// Writing parameter texts (portable core, no windows.h): what one program of
// the system hands the next one, read back by the switch scanner of
// command_line_core.h.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace moni::cmdline {

// The switches a host sets for the tray program or the status window program.
// Only switches that are set are written, each on its own line, in a fixed
// order: P D O M J S R E U C TLM I HWND SPL DP A T L N IC PPOP X PS BSR RP TD.
class ParameterSet {
 public:
  // A text switch ("P", "J", "HWND", ...). An empty printer, driver, port or
  // model name is not written.
  void SetText(std::u16string_view name, std::u16string_view value);
  void SetFlag(std::u16string_view name, bool on = true);
  void Clear() { m_values.clear(); }

  // The text, or nothing when a line does not fit kMaxLineChars.
  std::optional<std::u16string> Build() const;

 private:
  std::map<std::u16string, std::optional<std::u16string>> m_values;  // nothing = flag
};

// A line, with its "\n", holds at most this many characters (a 276-character
// buffer with its terminator).
inline constexpr size_t kMaxLineChars = 275;

// One switch with its value in double quotes: "/P "name"". A value that holds
// a double quote or a line end itself is written in the length form
// ("/P7 "a"b c d"") so that it comes back intact.
std::u16string SwitchWithValue(std::u16string_view name, std::u16string_view value);
// The length form always: "/P12 "...".
std::u16string SwitchWithLength(std::u16string_view name, std::u16string_view value);

// What the tray program hands the status window program: printer, port and
// model in the length form, one per line, then the extra line ("/E" for the
// preferences, or nothing).
std::u16string StatusWindowText(std::u16string_view printer, std::u16string_view port, std::u16string_view model,
                                std::u16string_view extraLine);

// What the tray program hands a menu command: the command's own arguments,
// then the printer, model, driver and port switches on lines of their own (no
// line end after the last).
std::u16string MenuCommandText(std::u16string_view arguments, std::u16string_view printer, std::u16string_view model,
                               std::u16string_view driver, std::u16string_view port);

}  // namespace moni::cmdline
