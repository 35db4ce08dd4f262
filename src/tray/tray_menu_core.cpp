#include "tray/tray_menu_core.h"

#include <limits>

#include "foundation/log_format.h"
#include "platform/text_core.h"

namespace moni::tray {

namespace {

int Decimal(std::u16string_view piece) {
  size_t i = 0;
  while (i < piece.size() && (piece[i] == u' ' || piece[i] == u'\t')) ++i;
  long long n = 0;
  for (; i < piece.size() && piece[i] >= u'0' && piece[i] <= u'9'; ++i) {
    n = n * 10 + (piece[i] - u'0');
    if (n > std::numeric_limits<int>::max()) return 0;
  }
  return static_cast<int>(n);
}

}  // namespace

std::vector<int> ParseSeparators(std::u16string_view list) {
  std::vector<int> out;
  while (!list.empty() && out.size() < static_cast<size_t>(kExtraItemCount)) {
    const size_t comma = list.find(u',');
    out.push_back(Decimal(list.substr(0, comma)));
    if (comma == std::u16string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return out;
}

std::vector<MenuEntry> PlanExtraItems(const std::vector<ExtraItem>& items, const std::vector<int>& separators) {
  std::vector<MenuEntry> out;
  size_t nextSeparator = 0;
  int added = 0;
  for (const ExtraItem& item : items) {
    if (item.text.empty()) continue;
    if (nextSeparator < separators.size() && separators[nextSeparator] == added + 1) {
      out.push_back({true, 0});
      ++nextSeparator;
    }
    out.push_back({false, item.id});
    ++added;
  }
  return out;
}

std::u16string Upper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  return out;
}

bool ContainsUpper(std::u16string_view text, std::u16string_view upperNeedle) {
  return !upperNeedle.empty() && Upper(text).find(upperNeedle) != std::u16string::npos;
}

std::u16string FileNameUpper(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return Upper(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

bool IsInkOrderTemplate(std::u16string_view templ, std::u16string_view inkOrderProgramUpper) {
  return ContainsUpper(templ, inkOrderProgramUpper) && ContainsUpper(templ, u"MENU");
}

std::optional<UtilityCall> SplitUtilityTemplate(std::u16string_view templ) {
  const size_t at = templ.find(u" /U");
  if (at == std::u16string_view::npos) return std::nullopt;
  return UtilityCall{std::u16string(templ.substr(0, at)), Decimal(templ.substr(at + 3))};
}

CommandSplit SplitAtFirstBlank(std::u16string_view templ) {
  const size_t blank = templ.find(u' ');
  if (blank == std::u16string_view::npos) return {std::u16string(templ), {}, false};
  return {std::u16string(templ.substr(0, blank)), std::u16string(templ.substr(blank + 1)), true};
}

CommandSplit SplitAtFirstSlash(std::u16string_view command) {
  const size_t slash = command.find(u'/');
  std::u16string program(command.substr(0, slash));
  while (!program.empty() && program.back() == u' ') program.pop_back();
  if (slash == std::u16string_view::npos) return {program, {}, false};
  return {program, std::u16string(command.substr(slash)), true};
}

std::u16string FormatDriverUpdateCommand(std::u16string_view templ, std::u16string_view folder) {
  return logfmt::Format(NarrowUtf8(templ), {logfmt::Arg(folder)});
}

std::u16string SemaphoreName(std::u16string_view printer) {
  std::u16string name(printer);
  for (char16_t& c : name) {
    if (c == u'\\') c = u'/';
  }
  return name;
}

}  // namespace moni::tray
