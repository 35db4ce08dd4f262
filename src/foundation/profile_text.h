// Text decisions over the model's profile file (portable core, no windows.h):
// the choice of the language section that names the resource library, and
// the walk over the notification-item lines of the model's section.
//
// Section text arrives as the profile reader gives it: one line per entry,
// each ended by a zero character (the final empty line may be missing).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moni::profile {

// The lines of a section's text, in file order; empty lines are dropped.
std::vector<std::u16string> SplitSectionLines(std::u16string_view text);

// One line of the "Language" section: "ENU=9,1,English".
struct LanguageLine {
  std::u16string section;  // before the first "=" (blanks around it trimmed)
  bool hasIds = false;     // false for a line without "="
  std::uint32_t primary = 0;
  std::uint32_t sub = 0;
};

// Splits a line at the first "="; the list after it at commas. Fields 1 and 2
// are hexadecimal; characters other than hex digits are skipped. Fields past
// the second are ignored.
LanguageLine ParseLanguageLine(std::u16string_view line);
std::vector<LanguageLine> ParseLanguageLines(const std::vector<std::u16string>& lines);

// The line for the language id (primary = id & 0x3FF, sub = (id >> 10) & 0x3F):
// the first exact match, else the first primary match, else the first line of
// primary language 9 (English), else the first line; nothing when there are no lines.
std::optional<size_t> ChooseLanguageLine(const std::vector<LanguageLine>& lines, std::uint16_t langId);

// The section to take the resource library from: the choice for the user's
// language if `usable` accepts its section, else the choice for 0x409, else
// the first usable line in file order; nothing when no line is usable.
// `usable` tells whether the section names a resource library that exists.
std::optional<std::u16string> ChooseLanguageSection(const std::vector<LanguageLine>& lines, std::uint16_t userLangId,
                                                    const std::function<bool(const std::u16string&)>& usable);

inline constexpr std::uint16_t kEnglishUnitedStates = 0x409;

// A notification item line of the model's section: "ITEM001=1".
struct NotifyItem {
  std::u16string name;  // the three digits, the value name below "Notify"
  std::int32_t value = 0;
};

// The item in a line that contains "ITEM", three decimal digits and "="
// (blanks allowed before the "="); the value is the decimal integer after
// the "=" (0 when there is none; held within 32 bits).
std::optional<NotifyItem> ParseNotifyItemLine(std::u16string_view line);

// The items of the section's lines in order, at most `maxItems`.
std::vector<NotifyItem> CollectNotifyItems(const std::vector<std::u16string>& lines, size_t maxItems);

}  // namespace moni::profile
