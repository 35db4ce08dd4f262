// The tray program's decisions that need no Windows API (portable core): the
// extra menu items and their separators, and the command templates of the
// driver's setup data.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moni::tray {

inline constexpr int kStatusItem = 900;
inline constexpr int kPreferencesItem = 901;
inline constexpr int kFirstExtraItem = 920;
inline constexpr int kLastExtraItem = 998;
inline constexpr int kExtraItemCount = kLastExtraItem - kFirstExtraItem + 1;  // 79

// "Separators": decimal positions separated by commas, at most 79 of them.
// A piece that is not a number counts as 0 (which never matches).
std::vector<int> ParseSeparators(std::u16string_view list);

// An extra item found in the setup data and the resource library.
struct ExtraItem {
  int id = 0;
  std::u16string text;  // empty: the item is not shown
};

struct MenuEntry {
  bool separator = false;
  int id = 0;  // for items
};

// The entries appended after the base menu's own separator: the items with a
// text, in order, and a separator before the n-th added item for each n of
// the list, taken in list order (the next number not yet used must equal the
// count of items added so far plus one).
std::vector<MenuEntry> PlanExtraItems(const std::vector<ExtraItem>& items, const std::vector<int>& separators);

std::u16string Upper(std::u16string_view text);  // A-Z, a-z only
bool ContainsUpper(std::u16string_view text, std::u16string_view upperNeedle);

// The file name part of a path (after the last "\"), upper-cased.
std::u16string FileNameUpper(std::u16string_view path);

// An ink-order template names the ink-order program and "MENU".
bool IsInkOrderTemplate(std::u16string_view templ, std::u16string_view inkOrderProgramUpper);

// A utility template: the library before " /U" and the function number
// after it.
struct UtilityCall {
  std::u16string library;
  int function = 0;
};
std::optional<UtilityCall> SplitUtilityTemplate(std::u16string_view templ);

// An ordinary command: the program before the first blank and the arguments
// after it (no arguments when there is no blank).
struct CommandSplit {
  std::u16string program;
  std::u16string arguments;
  bool hasArguments = false;
};
CommandSplit SplitAtFirstBlank(std::u16string_view templ);

// A formatted driver update command: the program before the first "/"
// (trailing blanks removed) and the parameters from there on.
CommandSplit SplitAtFirstSlash(std::u16string_view command);

// A driver update template with the update program's folder for its one
// "%s" (the template comes from the setup data: any other conversion prints
// nothing, and nothing but the folder is ever read).
std::u16string FormatDriverUpdateCommand(std::u16string_view templ, std::u16string_view folder);

// The utility semaphore's name for a printer: every "\" becomes "/".
std::u16string SemaphoreName(std::u16string_view printer);

}  // namespace moni::tray
