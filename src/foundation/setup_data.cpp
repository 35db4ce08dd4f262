#include "foundation/setup_data.h"

#include <iterator>

namespace moni::setupdata {

namespace {

using View = std::u16string_view;

constexpr View kInstallSection = u"Install";
constexpr View kRegPathKey = u"REGPATH";
constexpr View kRegEnterKey = u"REGENTER";
constexpr View kMachineRoot = u"HKEY_LOCAL_MACHINE\\";
constexpr View kDriverDirToken = u"DRIVERDIR";
constexpr View kSystemDirToken = u"SYSTEMDIR";

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

View Trim(View s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);  // Latin-1 letters
  return c;
}

std::u16string ToUpper(View s) {
  std::u16string out(s);
  for (char16_t& c : out) c = Upper(c);
  return out;
}

size_t FindNoCase(View haystack, View needle) {
  if (needle.size() > haystack.size()) return View::npos;
  for (size_t i = 0; i + needle.size() <= haystack.size(); ++i)
    if (EqualNoCase(haystack.substr(i, needle.size()), needle)) return i;
  return View::npos;
}

// The text between the first and the last character when both are double
// quotes; empty otherwise.
View Unquote(View field) {
  if (field.size() < 2 || field.front() != u'"' || field.back() != u'"') return {};
  return field.substr(1, field.size() - 2);
}

// Splits a value at its commas into trimmed fields. A field that begins with
// a double quote (after blanks) runs to the closing quote, commas included,
// and then on to the next comma; inside the quotes a doubled quote stands for
// one, and an unterminated quote runs to the end. In any other field a double
// quote is an ordinary character and protects no comma, as the driver's
// installer reads the same lines.
std::vector<std::u16string> SplitFields(View value) {
  std::vector<std::u16string> fields;
  size_t i = 0;
  const size_t n = value.size();
  for (;;) {
    std::u16string field;
    while (i < n && IsSpace(value[i])) ++i;
    if (i < n && value[i] == u'"') {
      field.push_back(u'"');
      for (++i; i < n; ++i) {
        if (value[i] != u'"') {
          field.push_back(value[i]);
        } else if (i + 1 < n && value[i + 1] == u'"') {
          field.push_back(u'"');
          ++i;
        } else {
          field.push_back(u'"');
          ++i;
          break;
        }
      }
    }
    const size_t comma = value.find(u',', i);
    const size_t stop = comma == View::npos ? n : comma;
    field.append(value.substr(i, stop - i));
    fields.emplace_back(Trim(field));
    if (comma == View::npos) break;
    i = comma + 1;
  }
  return fields;
}

// "0x" or "0X" and hexadecimal digits, or decimal digits, as a 32-bit number.
// Anything else, and a number above 0xFFFFFFFF, is refused.
std::optional<std::uint32_t> ParseDword(View text) {
  unsigned base = 10;
  if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char16_t c : text) {
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

View WithoutTrailingSlash(View dir) {
  while (!dir.empty() && (dir.back() == u'\\' || dir.back() == u'/')) dir.remove_suffix(1);
  return dir;
}

// `TOKEN + "text"`: the folder directly followed by the text; nothing when the
// token is not followed by "+" and a quoted text.
std::optional<std::u16string> ExpandFolder(View afterToken, View folder) {
  View rest = Trim(afterToken);
  if (rest.empty() || rest.front() != u'+') return std::nullopt;
  rest = Trim(rest.substr(1));
  if (rest.size() < 2 || rest.front() != u'"' || rest.back() != u'"') return std::nullopt;
  std::u16string out(WithoutTrailingSlash(folder));
  out += Unquote(rest);
  return out;
}

// The value field of a REGENTER line: a folder token with a quoted text, a
// quoted string, or a number. Nothing when it is none of them, or when a
// string comes out empty.
std::optional<ValueEntry> EvaluateValue(View field, const Context& context) {
  ValueEntry entry;
  // A quoted value is taken as it stands, even when its text names a token.
  if (field.empty() || field.front() != u'"') {
    const std::u16string upper = ToUpper(field);
    const size_t driverAt = upper.find(kDriverDirToken);
    const size_t systemAt = upper.find(kSystemDirToken);
    if (driverAt != std::u16string::npos || systemAt != std::u16string::npos) {
      const bool driver = driverAt < systemAt;  // the first token named
      const size_t end = driver ? driverAt + kDriverDirToken.size() : systemAt + kSystemDirToken.size();
      auto text = ExpandFolder(field.substr(end), driver ? context.driverDir : context.systemDir);
      if (!text || text->empty()) return std::nullopt;
      entry.type = kTypeString;
      entry.string = std::move(*text);
      return entry;
    }
    const auto number = ParseDword(field);
    if (!number) return std::nullopt;
    entry.type = kTypeDword;
    entry.dword = *number;
    return entry;
  }
  const View text = Unquote(field);
  if (text.empty()) return std::nullopt;
  entry.type = kTypeString;
  entry.string = std::u16string(text);
  return entry;
}

bool ConditionHolds(View condition, const Platform& p) {
  const std::u16string c = ToUpper(condition);
  if (c.empty() || c == u"ALL") return true;
  if (c == u"WIN9X") return !p.nt;
  if (c == u"WINNT") return p.nt;
  if (c == u"WINNT40") return p.nt && p.major == 4;
  if (c == u"WIN2000") return p.nt && p.major >= 5;
  if (c == u"WIN2KLATER") return p.nt && ((p.major == 5 && p.minor >= 1) || p.major >= 6);
  if (c == u"BUILD64") return true;
  return false;  // BUILD32 and anything unknown
}

struct KeyLine {
  View key;
  View value;
};

// The key lines of the first "Install" section, in file order. Each line ends
// at a line feed, loses what follows "//" (also inside quotes) and is trimmed.
std::vector<KeyLine> InstallLines(View text) {
  std::vector<KeyLine> lines;
  bool inSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(u'\n', pos);
    if (end == View::npos) end = text.size();
    View line = text.substr(pos, end - pos);
    pos = end + 1;
    const size_t comment = line.find(u"//");
    if (comment != View::npos) line = line.substr(0, comment);
    line = Trim(line);
    if (line.empty()) continue;
    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      if (inSection) break;  // the section ends at the next section line
      inSection = EqualNoCase(Trim(line.substr(1, line.size() - 2)), kInstallSection);
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find(u'=');
    if (eq == View::npos) continue;
    const View key = Trim(line.substr(0, eq));
    const View value = Trim(line.substr(eq + 1));
    if (key.empty() || value.empty()) continue;
    lines.push_back({key, value});
  }
  return lines;
}

void ReadPath(View value, Tables& out) {
  const auto fields = SplitFields(value);
  if (fields.size() < 2 || fields[0].empty()) return;
  const View quoted = Unquote(fields[1]);
  const size_t root = FindNoCase(quoted, kMachineRoot);
  if (root == View::npos) return;
  const View path = quoted.substr(root + kMachineRoot.size());
  if (path.empty()) return;
  out.AddPath({fields[0], std::u16string(path)});
}

void ReadValue(View value, const Context& context, Tables& out) {
  const auto fields = SplitFields(value);
  if (fields.size() < 3 || fields[0].empty()) return;
  const View name = Unquote(fields[1]);
  if (name.empty()) return;
  auto entry = EvaluateValue(fields[2], context);
  if (!entry) return;
  bool kept = fields.size() == 3;
  for (size_t k = 3; k < fields.size() && !kept; ++k) kept = ConditionHolds(fields[k], context.platform);
  if (!kept) return;
  entry->pathId = fields[0];
  entry->name = std::u16string(name);
  out.PutValue(std::move(*entry));
}

}  // namespace

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

void Tables::Clear() {
  {
    std::lock_guard<std::mutex> guard(m_pathLock);
    m_paths.clear();
  }
  std::lock_guard<std::mutex> guard(m_valueLock);
  m_valueIndex.clear();
  m_values.clear();
}

void Tables::AddPath(PathEntry entry) {
  std::lock_guard<std::mutex> guard(m_pathLock);
  m_paths.push_back(std::move(entry));
}

void Tables::PutValue(ValueEntry entry) {
  std::lock_guard<std::mutex> guard(m_valueLock);
  Key key(entry.pathId, entry.name);
  auto found = m_valueIndex.find(key);
  if (found != m_valueIndex.end()) {
    m_values.erase(found->second);
    m_valueIndex.erase(found);
  }
  m_values.push_back(std::move(entry));
  m_valueIndex.emplace(std::move(key), std::prev(m_values.end()));
}

std::vector<PathEntry> Tables::Paths() const {
  std::lock_guard<std::mutex> guard(m_pathLock);
  return m_paths;
}

std::vector<ValueEntry> Tables::Values() const {
  std::lock_guard<std::mutex> guard(m_valueLock);
  return {m_values.begin(), m_values.end()};
}

size_t Tables::PathCount() const {
  std::lock_guard<std::mutex> guard(m_pathLock);
  return m_paths.size();
}

size_t Tables::ValueCount() const {
  std::lock_guard<std::mutex> guard(m_valueLock);
  return m_values.size();
}

std::optional<ValueEntry> Tables::Find(std::u16string_view path, std::u16string_view name) const {
  std::u16string id;
  {
    std::lock_guard<std::mutex> guard(m_pathLock);
    auto it = m_paths.begin();
    while (it != m_paths.end() && !EqualNoCase(it->path, path)) ++it;
    if (it == m_paths.end()) return std::nullopt;
    id = it->id;
  }
  std::lock_guard<std::mutex> guard(m_valueLock);
  for (const ValueEntry& entry : m_values)
    if (EqualNoCase(entry.pathId, id) && EqualNoCase(entry.name, name)) return entry;
  return std::nullopt;
}

std::u16string WidenBytes(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::u16string out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
  return out;
}

bool Parse(std::u16string_view text, const Context& context, Tables& out) {
  out.Clear();
  const std::vector<KeyLine> lines = InstallLines(text);
  for (const KeyLine& line : lines)
    if (EqualNoCase(line.key, kRegPathKey)) ReadPath(line.value, out);
  if (out.PathCount() == 0) return false;
  for (const KeyLine& line : lines)
    if (EqualNoCase(line.key, kRegEnterKey)) ReadValue(line.value, context, out);
  if (out.ValueCount() == 0) {
    out.Clear();
    return false;
  }
  return true;
}

bool LookupString(const Tables& tables, std::u16string_view path, std::u16string_view name, std::u16string& out) {
  out.clear();
  const auto entry = tables.Find(path, name);
  if (!entry || entry->type != kTypeString) return false;
  out = entry->string;
  return true;
}

bool LookupDword(const Tables& tables, std::u16string_view path, std::u16string_view name, std::uint32_t& out) {
  out = 0;
  const auto entry = tables.Find(path, name);
  if (!entry || entry->type != kTypeDword) return false;
  out = entry->dword;
  return true;
}

}  // namespace moni::setupdata
