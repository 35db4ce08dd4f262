#include "foundation/parameter_text_core.h"


namespace moni::cmdline {

namespace {

struct Slot {
  const char16_t* name;
  bool flag;
};

constexpr Slot kOrder[] = {
    {u"P", false},   {u"D", false},   {u"O", false},  {u"M", false},   {u"J", false},    {u"S", true},
    {u"R", true},    {u"E", true},    {u"U", true},   {u"C", true},    {u"TLM", false},  {u"I", true},
    {u"HWND", false}, {u"SPL", true}, {u"DP", true},  {u"A", true},    {u"T", false},    {u"L", false},
    {u"N", false},   {u"IC", false},  {u"PPOP", true}, {u"X", false},  {u"PS", false},   {u"BSR", true},
    {u"RP", false},  {u"TD", true},
};

bool IsIdentity(std::u16string_view name) {
  return name == u"P" || name == u"D" || name == u"O" || name == u"M";
}

std::u16string Upper(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  return out;
}

std::u16string Decimal(size_t n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n != 0);
  return digits;
}

std::u16string Quoted(std::u16string_view value) {
  std::u16string out(u" \"");
  out.append(value);
  out.push_back(u'"');
  return out;
}

}  // namespace

void ParameterSet::SetText(std::u16string_view name, std::u16string_view value) {
  m_values[Upper(name)] = std::u16string(value);
}

void ParameterSet::SetFlag(std::u16string_view name, bool on) {
  if (on) {
    m_values[Upper(name)] = std::nullopt;
  } else {
    m_values.erase(Upper(name));
  }
}

std::optional<std::u16string> ParameterSet::Build() const {
  std::u16string text;
  for (const Slot& slot : kOrder) {
    const auto it = m_values.find(slot.name);
    if (it == m_values.end()) continue;
    std::u16string line;
    if (slot.flag || !it->second) {
      if (!slot.flag) continue;  // a text switch set as a flag carries nothing
      line = std::u16string(u"/") + slot.name;
    } else {
      if (it->second->empty() && IsIdentity(slot.name)) continue;
      line = SwitchWithValue(slot.name, *it->second);
    }
    line.push_back(u'\n');
    if (line.size() > kMaxLineChars) return std::nullopt;
    text += line;
  }
  return text;
}

std::u16string SwitchWithValue(std::u16string_view name, std::u16string_view value) {
  if (value.find_first_of(u"\"\n") != std::u16string_view::npos) return SwitchWithLength(name, value);
  return u"/" + std::u16string(name) + Quoted(value);
}

std::u16string SwitchWithLength(std::u16string_view name, std::u16string_view value) {
  return u"/" + std::u16string(name) + Decimal(value.size()) + Quoted(value);
}

std::u16string StatusWindowText(std::u16string_view printer, std::u16string_view port, std::u16string_view model,
                                std::u16string_view extraLine) {
  return SwitchWithLength(u"P", printer) + u"\n" + SwitchWithLength(u"O", port) + u"\n" +
         SwitchWithLength(u"M", model) + u"\n" + std::u16string(extraLine);
}

std::u16string MenuCommandText(std::u16string_view arguments, std::u16string_view printer, std::u16string_view model,
                               std::u16string_view driver, std::u16string_view port) {
  return std::u16string(arguments) + u"\n" + SwitchWithValue(u"P", printer) + u"\n" + SwitchWithValue(u"M", model) +
         u"\n" + SwitchWithValue(u"D", driver) + u"\n" + SwitchWithValue(u"O", port);
}

}  // namespace moni::cmdline
