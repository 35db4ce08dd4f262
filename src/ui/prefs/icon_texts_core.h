// The texts of the tray icon registration (portable core, no windows.h): the
// parameter files and command lines with which the library puts a printer's
// tray program into the user's start-up list and starts it, the names of the
// printers' monitoring entries, and the cut of a friendly printer name.
//
// Values that may hold double quotes or line ends (printer and port names)
// travel in the length form ("/P12 "..."") so that they come back intact.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moni::icons {

// Longest texts: a 260- or a 520-character buffer with its terminator.
inline constexpr size_t kShortText = 259;
inline constexpr size_t kLongText = 519;

// The part of a friendly name before its first comma, without one blank or
// control character (below 33) at its end.
std::u16string SplitPrinterFriendlyName(std::u16string_view name);

// "P" and the number in 16 zero-padded decimal digits.
std::u16string MonitoringEntryName(std::uint32_t n);

// The parameter file of a start-up entry:
//   /P<n> "<printer>"\n/O<n> "<port>"\n/M "<model>"
// nothing when it is longer than `maxChars`.
std::optional<std::u16string> StartupParamText(std::u16string_view printer, std::u16string_view port,
                                               std::u16string_view model, size_t maxChars);

// The parameter file of a tray program started by an installation:
//   /P<n> "<printer>"\n/M<n> "<model>"\n  then "/R\n" (remove) and "/I\n" (install)
std::u16string InstallStartText(std::u16string_view printer, std::u16string_view model, bool remove, bool install);

// The parameter file of a tray program started for one printer:
//   /P<n> "<printer>"\n/O<n> "<port>"\n/M<n> "<model>"\n  then "/R\n" (remove)
std::u16string TrayStartText(std::u16string_view printer, std::u16string_view port, std::u16string_view model,
                             bool remove);

// The program as the first word of a command line: in double quotes when it
// holds a blank, so that no other program is started in its place.
std::u16string ProgramWord(std::u16string_view program);

// <program> /FU "<file>" /EF "HKCU"   (the start-up entry)
std::optional<std::u16string> StartupCommandLine(std::u16string_view program, std::u16string_view file,
                                                 size_t maxChars);
// <program> /FU "<file>"
std::optional<std::u16string> FileCommandLine(std::u16string_view program, std::u16string_view file, size_t maxChars);
// <program> /P<n> "<printer>" /O<n> "<port>" /M "<model>" <" /R" or nothing>
std::optional<std::u16string> InlineCommandLine(std::u16string_view program, std::u16string_view printer,
                                                std::u16string_view port, std::u16string_view model, bool remove,
                                                size_t maxChars);

}  // namespace moni::icons
