#include "ui/inkorder/reminder_json.h"

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "platform/text_core.h"

namespace moni::inkorder {

namespace {

// One value of a state member: a flat subset of JSON (no nested objects,
// arrays of numbers and nulls only).
struct Value {
  enum class Kind { Null, Bool, Number, String, Array } kind = Kind::Null;
  bool flag = false;
  std::uint64_t number = 0;
  std::u16string text;
  std::vector<std::optional<std::uint64_t>> items;
};

constexpr std::uint64_t kMaxNumber = 0xFFFFFFFFull;

class Reader {
 public:
  explicit Reader(std::string_view text) : m_text(text) {}

  bool Fail(std::string message) {
    if (m_error.empty()) m_error = std::move(message) + " at byte " + std::to_string(m_pos);
    return false;
  }
  const std::string& error() const { return m_error; }

  void SkipBlanks() {
    while (m_pos < m_text.size() &&
           (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\r' || m_text[m_pos] == '\n'))
      ++m_pos;
  }
  bool AtEnd() const { return m_pos >= m_text.size(); }
  bool Peek(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
  bool Take(char c) {
    SkipBlanks();
    if (!Peek(c)) return false;
    ++m_pos;
    return true;
  }
  bool Expect(char c) { return Take(c) || Fail(std::string("expected '") + c + "'"); }

  bool Word(std::string_view word) {
    if (m_text.substr(m_pos, word.size()) != word) return false;
    m_pos += word.size();
    return true;
  }

  // A whole number from 0 to 4294967295.
  bool Number(std::uint64_t& out) {
    SkipBlanks();
    if (Peek('-')) return Fail("negative number");
    const size_t start = m_pos;
    out = 0;
    while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
      out = out * 10 + static_cast<std::uint64_t>(m_text[m_pos] - '0');
      if (out > kMaxNumber) return Fail("number out of range");
      ++m_pos;
    }
    if (m_pos == start) return Fail("expected a value");
    if (m_pos - start > 1 && m_text[start] == '0') return Fail("number with a leading zero");
    if (Peek('.') || Peek('e') || Peek('E')) return Fail("number that is not whole");
    return true;
  }

  bool Hex4(std::uint32_t& out) {
    out = 0;
    for (int k = 0; k < 4; ++k, ++m_pos) {
      if (AtEnd()) return Fail("unfinished escape");
      const char c = m_text[m_pos];
      int v = -1;
      if (c >= '0' && c <= '9') v = c - '0';
      else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
      if (v < 0) return Fail("bad \\u escape");
      out = out * 16 + static_cast<std::uint32_t>(v);
    }
    return true;
  }

  bool String(std::u16string& out) {
    SkipBlanks();
    if (!Peek('"')) return Fail("expected a string");
    ++m_pos;
    out.clear();
    size_t run = m_pos;  // start of the bytes not yet copied
    for (;;) {
      if (AtEnd()) return Fail("unfinished string");
      const char c = m_text[m_pos];
      if (c == '"' || c == '\\') {
        out += WidenUtf8(m_text.substr(run, m_pos - run));
        ++m_pos;
        if (c == '"') return true;
        if (AtEnd()) return Fail("unfinished escape");
        const char e = m_text[m_pos++];
        switch (e) {
          case '"': out.push_back(u'"'); break;
          case '\\': out.push_back(u'\\'); break;
          case '/': out.push_back(u'/'); break;
          case 'b': out.push_back(u'\b'); break;
          case 'f': out.push_back(u'\f'); break;
          case 'n': out.push_back(u'\n'); break;
          case 'r': out.push_back(u'\r'); break;
          case 't': out.push_back(u'\t'); break;
          case 'u': {
            std::uint32_t unit = 0;
            if (!Hex4(unit)) return false;
            out.push_back(static_cast<char16_t>(unit));
            break;
          }
          default: --m_pos; return Fail("bad escape");
        }
        run = m_pos;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        return Fail("control character in a string");
      } else {
        ++m_pos;
      }
    }
  }

  bool Scalar(Value& v) {
    SkipBlanks();
    if (Word("null")) {
      v.kind = Value::Kind::Null;
    } else if (Word("true")) {
      v.kind = Value::Kind::Bool;
      v.flag = true;
    } else if (Word("false")) {
      v.kind = Value::Kind::Bool;
      v.flag = false;
    } else if (Peek('"')) {
      v.kind = Value::Kind::String;
      return String(v.text);
    } else if (Peek('[') || Peek('{')) {
      return Fail("nested value");
    } else {
      v.kind = Value::Kind::Number;
      return Number(v.number);
    }
    return true;
  }

  bool Member(Value& v) {
    SkipBlanks();
    if (!Peek('[')) return Scalar(v);
    ++m_pos;
    v.kind = Value::Kind::Array;
    if (Take(']')) return true;
    do {
      Value item;
      if (!Scalar(item)) return false;
      if (item.kind == Value::Kind::Null) {
        v.items.emplace_back();
      } else if (item.kind == Value::Kind::Number) {
        v.items.emplace_back(item.number);
      } else {
        return Fail("array entries are numbers or null");
      }
      if (v.items.size() > kMaxInks) return Fail("more than " + std::to_string(kMaxInks) + " entries");
    } while (Take(','));
    return Expect(']');
  }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
  std::string m_error;
};

bool Stored(const Value& v, const std::string& name, StoredValue& out, std::string& error) {
  if (v.kind == Value::Kind::Null) {
    out.reset();
    return true;
  }
  if (v.kind != Value::Kind::Number) {
    error = "\"" + name + "\" is a number or null";
    return false;
  }
  out = static_cast<std::uint32_t>(v.number);
  return true;
}

bool Flag(const Value& v, const std::string& name, bool& out, std::string& error) {
  if (v.kind != Value::Kind::Bool) {
    error = "\"" + name + "\" is true or false";
    return false;
  }
  out = v.flag;
  return true;
}

bool FourValues(const Value& v, const std::string& name, std::array<StoredValue, 4>& out, std::string& error) {
  if (v.kind != Value::Kind::Array || v.items.size() != 4) {
    error = "\"" + name + "\" is a list of four numbers or nulls";
    return false;
  }
  for (size_t i = 0; i < 4; ++i) {
    out[i].reset();
    if (v.items[i]) out[i] = static_cast<std::uint32_t>(*v.items[i]);
  }
  return true;
}

bool Inks(const Value& v, std::vector<std::uint8_t>& out, std::string& error) {
  out.clear();
  if (v.kind == Value::Kind::Array) {
    for (const auto& item : v.items) {
      if (!item || *item > 255) break;
      out.push_back(static_cast<std::uint8_t>(*item));
    }
    if (out.size() == v.items.size()) return true;
  }
  error = "\"inks\" is a list of at most " + std::to_string(kMaxInks) + " levels from 0 to 255";
  return false;
}

bool Apply(const std::string& name, const Value& v, ReminderState& s, std::string& error) {
  if (name == "inks") return Inks(v, s.inks, error);
  if (name == "borderLine") {
    if (v.kind == Value::Kind::Null) {
      s.borderLine.reset();
      return true;
    }
    if (v.kind != Value::Kind::String) {
      error = "\"borderLine\" is a string or null";
      return false;
    }
    s.borderLine = v.text;
    return true;
  }
  if (name == "ioEnablePopup") return Stored(v, name, s.ioEnablePopup, error);
  if (name == "enablePopup") return Stored(v, name, s.enablePopup, error);
  if (name == "inkOrderDisable") return Stored(v, name, s.inkOrderDisable, error);
  if (name == "onScreen") return Flag(v, name, s.onScreen, error);
  if (name == "available") return Flag(v, name, s.available, error);
  if (name == "levels") return FourValues(v, name, s.levels, error);
  if (name == "last") return FourValues(v, name, s.last, error);
  error = "unknown member \"" + name + "\"";
  return false;
}

std::string NumberText(const StoredValue& v) { return v ? std::to_string(*v) : "null"; }

std::string FourJson(const std::array<StoredValue, 4>& values) {
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + NumberText(values[i]);
  return out + "]";
}

}  // namespace

bool ParseReminderState(std::string_view json, ReminderState& state, std::string& error) {
  state = ReminderState{};
  error.clear();
  if (json.size() > kMaxStateBytes) {
    error = "state longer than " + std::to_string(kMaxStateBytes) + " bytes";
    return false;
  }
  if (json.substr(0, 3) == "\xEF\xBB\xBF") json.remove_prefix(3);
  Reader r(json);
  std::set<std::string> seen;
  if (!r.Expect('{')) {
    error = r.error();
    return false;
  }
  if (!r.Take('}')) {
    do {
      std::u16string key;
      Value value;
      if (!r.String(key) || !r.Expect(':') || !r.Member(value)) {
        error = r.error();
        return false;
      }
      const std::string name = NarrowUtf8(key);
      if (!seen.insert(name).second) {
        error = "member \"" + name + "\" given twice";
        return false;
      }
      if (!Apply(name, value, state, error)) return false;
    } while (r.Take(','));
    if (!r.Expect('}')) {
      error = r.error();
      return false;
    }
  }
  r.SkipBlanks();
  if (!r.AtEnd()) {
    r.Fail("text after the object");
    error = r.error();
    return false;
  }
  return true;
}

std::string DecisionJson(const ReminderDecision& d) {
  return std::string("{\"due\":") + (d.due ? "true" : "false") + ",\"threshold\":" + NumberText(d.threshold) +
         ",\"mode\":\"" + NarrowUtf8(d.mode) + "\",\"levels\":" + FourJson(d.levels) + ",\"last\":" + FourJson(d.last) +
         "}";
}

}  // namespace moni::inkorder
