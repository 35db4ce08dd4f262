#include "foundation/command_line_core.h"

#include <limits>

namespace moni::cmdline {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool EndsName(char16_t c) {
  return IsDigit(c) || c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'"' || c == u'/';
}

// Where the part of a switch after its name ends: the value's opening quote,
// or the line end or "/" that closes a switch without value.
bool EndsSwitchHead(char16_t c) { return c == u'"' || c == u'\n' || c == u'/'; }

constexpr size_t kMaxLength = std::numeric_limits<std::uint32_t>::max();

enum class Step { Found, End, LengthWithoutValue };

struct Scanner {
  std::u16string_view text;
  size_t pos = 0;
  bool inQuotes = false;

  // Reads the next switch into `out` (name and value) and moves past it.
  Step Next(Switch& out) {
    // Find the "/" that starts a switch.
    for (;;) {
      if (pos >= text.size()) return Step::End;
      const char16_t c = text[pos++];
      if (c == u'"') {
        inQuotes = !inQuotes;
      } else if (c == u'/' && !inQuotes) {
        break;
      }
    }

    const size_t nameStart = pos;
    while (pos < text.size() && !EndsName(text[pos])) ++pos;
    const size_t nameLen = pos - nameStart;
    out.name.assign(text.substr(nameStart, nameLen < kMaxNameChars ? nameLen : kMaxNameChars));
    out.value.reset();
    out.hasLength = false;

    size_t length = 0;
    if (pos < text.size() && IsDigit(text[pos])) {
      out.hasLength = true;
      for (; pos < text.size() && !EndsSwitchHead(text[pos]); ++pos) {
        if (!IsDigit(text[pos])) continue;
        const size_t d = static_cast<size_t>(text[pos] - u'0');
        length = length > (kMaxLength - d) / 10 ? kMaxLength : length * 10 + d;
      }
    } else {
      while (pos < text.size() && !EndsSwitchHead(text[pos])) ++pos;
    }

    if (pos >= text.size() || text[pos] != u'"') {
      // No value on this switch: a flag, unless a length announced one.
      return out.hasLength ? Step::LengthWithoutValue : Step::Found;
    }
    ++pos;  // the opening quote

    if (out.hasLength) {
      if (text.size() - pos < length) {
        // The announced value runs past the text: it stays empty and claims
        // the rest of the text.
        out.value.emplace();
        pos = text.size();
        return Step::Found;
      }
      out.value.emplace(text.substr(pos, length));
      pos += length;
      if (pos < text.size() && text[pos] == u'"') ++pos;  // its closing quote
      return Step::Found;
    }

    const size_t valueStart = pos;
    while (pos < text.size() && text[pos] != u'"' && text[pos] != u'\n') ++pos;
    out.value.emplace(text.substr(valueStart, pos - valueStart));
    if (pos < text.size() && text[pos] == u'"') ++pos;
    return Step::Found;
  }
};

}  // namespace

ScanResult ScanSwitches(std::u16string_view text) {
  ScanResult result;
  Scanner scanner{text};
  for (;;) {
    Switch sw;
    const Step step = scanner.Next(sw);
    if (step == Step::End) break;
    if (step == Step::LengthWithoutValue) {
      result.stoppedAtLengthWithoutValue = true;
      break;
    }
    result.switches.push_back(std::move(sw));
  }
  return result;
}

std::int64_t GetSwitch(std::u16string_view text, size_t index, std::u16string& name, std::u16string& value) {
  name.clear();
  value.clear();
  Scanner scanner{text};
  Switch sw;
  for (size_t i = 0;; ++i) {
    if (scanner.Next(sw) != Step::Found) return -1;
    if (i == index) break;
  }
  name = std::move(sw.name);
  if (sw.value) value = std::move(*sw.value);
  return static_cast<std::int64_t>(value.size());
}

bool NameEquals(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char16_t c) -> char16_t { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::u16string DecodeParameterFile(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8));
    if (c == u'\0') break;
    text.push_back(c);
  }
  return text;
}

}  // namespace moni::cmdline

namespace moni::cmdline {

namespace {

struct TextSwitch {
  const char16_t* name;
  std::u16string TrayFields::*field;
};
struct FlagSwitch {
  const char16_t* name;
  bool TrayFields::*field;
};

constexpr TextSwitch kTextSwitches[] = {
    {u"P", &TrayFields::printerName}, {u"D", &TrayFields::driverName}, {u"O", &TrayFields::portName},
    {u"M", &TrayFields::modelId},     {u"FU", &TrayFields::paramFile}, {u"J", &TrayFields::j},
    {u"TLM", &TrayFields::tlm},       {u"T", &TrayFields::t},          {u"L", &TrayFields::l},
    {u"N", &TrayFields::n},           {u"IC", &TrayFields::ic},        {u"X", &TrayFields::x},
    {u"PS", &TrayFields::ps},         {u"RP", &TrayFields::rp},
};
constexpr FlagSwitch kFlagSwitches[] = {
    {u"R", &TrayFields::remove}, {u"E", &TrayFields::preferences}, {u"I", &TrayFields::iconInstall},
    {u"S", &TrayFields::s},      {u"U", &TrayFields::u},           {u"C", &TrayFields::c},
    {u"SPL", &TrayFields::spl},  {u"DP", &TrayFields::dp},         {u"A", &TrayFields::a},
    {u"PPOP", &TrayFields::ppop}, {u"BSR", &TrayFields::bsr},      {u"TD", &TrayFields::td},
};

void Apply(const Switch& sw, TrayFields& fields) {
  const std::u16string value = sw.value.value_or(std::u16string());
  if (value.size() > kMaxValueChars) return;
  for (const FlagSwitch& f : kFlagSwitches) {
    if (NameEquals(sw.name, f.name)) {
      fields.*f.field = true;
      return;
    }
  }
  for (const TextSwitch& t : kTextSwitches) {
    if (NameEquals(sw.name, t.name)) {
      fields.*t.field = value;
      return;
    }
  }
  if (NameEquals(sw.name, u"EF")) {
    fields.efGiven = true;
    fields.iconFrom = NameEquals(value, u"HKCU") ? 1 : NameEquals(value, u"HKLM") ? 2 : 0;
  } else if (NameEquals(sw.name, u"HWND")) {
    fields.window = ParseDecimal(value);
  }
}

}  // namespace

std::uint64_t ParseDecimal(std::u16string_view value) {
  std::uint64_t n = 0;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  for (char16_t c : value) {
    if (!IsDigit(c)) break;
    const std::uint64_t d = static_cast<std::uint64_t>(c - u'0');
    n = n > (kMax - d) / 10 ? kMax : n * 10 + d;
  }
  return n;
}

bool ApplySwitches(std::u16string_view text, TrayFields& fields) {
  bool sawFile = false;
  for (const Switch& sw : ScanSwitches(text).switches) {
    Apply(sw, fields);
    if (NameEquals(sw.name, u"FU")) sawFile = true;
  }
  return sawFile;
}

}  // namespace moni::cmdline
