#include "foundation/profile_text.h"

#include <limits>

namespace moni::profile {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The hex digits of the field as one number; a value past 16 bits is held
// at the maximum so that it can never wrap into a real language number.
std::uint32_t HexField(std::u16string_view field) {
  std::uint32_t value = 0;
  for (char16_t c : field) {
    const int d = HexDigit(c);
    if (d < 0) continue;
    value = value > 0xFFFFu ? std::numeric_limits<std::uint32_t>::max() : value * 16u + static_cast<std::uint32_t>(d);
  }
  return value;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::vector<std::u16string> SplitSectionLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\0', start);
    if (end == std::u16string_view::npos) end = text.size();
    if (end > start) lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

LanguageLine ParseLanguageLine(std::u16string_view line) {
  LanguageLine out;
  const size_t eq = line.find(u'=');
  out.section = std::u16string(Trim(line.substr(0, eq)));
  if (eq == std::u16string_view::npos) return out;
  out.hasIds = true;
  std::u16string_view list = line.substr(eq + 1);
  const size_t comma1 = list.find(u',');
  out.primary = HexField(list.substr(0, comma1));
  if (comma1 != std::u16string_view::npos) {
    std::u16string_view rest = list.substr(comma1 + 1);
    out.sub = HexField(rest.substr(0, rest.find(u',')));
  }
  return out;
}

std::vector<LanguageLine> ParseLanguageLines(const std::vector<std::u16string>& lines) {
  std::vector<LanguageLine> out;
  out.reserve(lines.size());
  for (const auto& line : lines) out.push_back(ParseLanguageLine(line));
  return out;
}

std::optional<size_t> ChooseLanguageLine(const std::vector<LanguageLine>& lines, std::uint16_t langId) {
  if (lines.empty()) return std::nullopt;
  const std::uint32_t primary = langId & 0x3FFu;
  const std::uint32_t sub = (static_cast<std::uint32_t>(langId) >> 10) & 0x3Fu;
  std::optional<size_t> samePrimary, english;
  for (size_t i = 0; i < lines.size(); ++i) {
    const LanguageLine& l = lines[i];
    if (!l.hasIds) continue;
    if (l.primary == primary && l.sub == sub) return i;
    if (!samePrimary && l.primary == primary) samePrimary = i;
    if (!english && l.primary == 9) english = i;
  }
  if (samePrimary) return samePrimary;
  if (english) return english;
  return size_t{0};
}

std::optional<std::u16string> ChooseLanguageSection(const std::vector<LanguageLine>& lines, std::uint16_t userLangId,
                                                    const std::function<bool(const std::u16string&)>& usable) {
  for (std::uint16_t id : {userLangId, kEnglishUnitedStates}) {
    const auto chosen = ChooseLanguageLine(lines, id);
    if (chosen && !lines[*chosen].section.empty() && usable(lines[*chosen].section)) return lines[*chosen].section;
  }
  for (const LanguageLine& l : lines) {
    if (!l.section.empty() && usable(l.section)) return l.section;
  }
  return std::nullopt;
}

std::optional<NotifyItem> ParseNotifyItemLine(std::u16string_view line) {
  for (size_t at = line.find(u"ITEM"); at != std::u16string_view::npos; at = line.find(u"ITEM", at + 1)) {
    size_t p = at + 4;
    if (p + 3 > line.size() || !IsDigit(line[p]) || !IsDigit(line[p + 1]) || !IsDigit(line[p + 2])) continue;
    std::u16string name(line.substr(p, 3));
    p += 3;
    while (p < line.size() && IsBlank(line[p])) ++p;
    if (p >= line.size() || line[p] != u'=') continue;
    ++p;
    while (p < line.size() && IsBlank(line[p])) ++p;
    bool negative = false;
    if (p < line.size() && (line[p] == u'-' || line[p] == u'+')) negative = line[p++] == u'-';
    long long value = 0;
    for (; p < line.size() && IsDigit(line[p]); ++p) {
      value = value * 10 + (line[p] - u'0');
      if (value > 0x80000000LL) value = 0x80000000LL;  // held within 32 bits
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    return NotifyItem{std::move(name), static_cast<std::int32_t>(value)};
  }
  return std::nullopt;
}

std::vector<NotifyItem> CollectNotifyItems(const std::vector<std::u16string>& lines, size_t maxItems) {
  std::vector<NotifyItem> items;
  for (const auto& line : lines) {
    if (items.size() >= maxItems) break;
    if (auto item = ParseNotifyItemLine(line)) items.push_back(std::move(*item));
  }
  return items;
}

}  // namespace moni::profile
