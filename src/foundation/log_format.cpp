#include "foundation/log_format.h"

#include <cstdio>

#include "platform/text_core.h"

namespace moni::logfmt {

namespace {

// Sign-extends the low `bytes` bytes of v.
long long SignExtend(unsigned long long v, unsigned bytes) {
  if (bytes == 0 || bytes >= sizeof v) return static_cast<long long>(v);
  const unsigned bits = bytes * 8;
  const unsigned long long sign = 1ull << (bits - 1);
  v &= (1ull << bits) - 1;
  return static_cast<long long>((v ^ sign) - sign);
}

unsigned long long ZeroExtend(long long v, unsigned bytes) {
  auto u = static_cast<unsigned long long>(v);
  if (bytes == 0 || bytes >= sizeof u) return u;
  return u & ((1ull << (bytes * 8)) - 1);
}

void AppendAscii(std::u16string& out, const char* text, int length) {
  for (int k = 0; k < length; ++k) out.push_back(static_cast<unsigned char>(text[k]));
}

// Pads `body` with blanks to `width`, on the left unless left-justified.
void AppendPadded(std::u16string& out, std::u16string_view body, int width, bool left) {
  const size_t pad = width > 0 && static_cast<size_t>(width) > body.size() ? width - body.size() : 0;
  if (!left) out.append(pad, u' ');
  out.append(body);
  if (left) out.append(pad, u' ');
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// One parsed conversion.
struct Directive {
  std::string flags;
  bool left = false;
  int width = -1;
  int precision = -1;
  int narrowTo = 0;  // 2 for "h", 1 for "hh"
  bool broken = false;  // a "*" whose argument was missing or not a number
};

// Reads the digits at fmt[j...], capped at kMaxWidth.
int ReadNumber(std::string_view fmt, size_t& j) {
  int n = 0;
  while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') {
    n = n * 10 + (fmt[j] - '0');
    if (n > kMaxWidth) n = kMaxWidth;
    ++j;
  }
  return n;
}

int ClampStar(long long v) { return v > kMaxWidth ? kMaxWidth : v < -kMaxWidth ? -kMaxWidth : static_cast<int>(v); }

void AppendInteger(std::u16string& out, const Directive& dir, char conv, const Arg& arg) {
  std::string f = "%";
  for (char flag : dir.flags) {
    if (flag == '#' && conv != 'x' && conv != 'X' && conv != 'o') continue;  // printf leaves it undefined there
    f.push_back(flag);
  }
  if (dir.width >= 0) f += std::to_string(dir.width);
  if (dir.precision >= 0) f += "." + std::to_string(dir.precision);
  f += "ll";
  char buf[2 * kMaxWidth + 64];
  int n;
  if (conv == 'd' || conv == 'i') {
    long long v = arg.AsSigned();
    if (dir.narrowTo == 2) v = static_cast<short>(v);
    if (dir.narrowTo == 1) v = static_cast<signed char>(v);
    f += 'd';
    n = std::snprintf(buf, sizeof buf, f.c_str(), v);
  } else {
    unsigned long long v = arg.AsUnsigned();
    if (dir.narrowTo == 2) v = static_cast<unsigned short>(v);
    if (dir.narrowTo == 1) v = static_cast<unsigned char>(v);
    f += conv;
    n = std::snprintf(buf, sizeof buf, f.c_str(), v);
  }
  if (n > 0) AppendAscii(out, buf, n < static_cast<int>(sizeof buf) ? n : static_cast<int>(sizeof buf) - 1);
}

void AppendPointer(std::u16string& out, const Directive& dir, const Arg& arg) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%0*llX", static_cast<int>(2 * sizeof(void*)), arg.AsUnsigned());
  std::u16string body;
  if (n > 0) AppendAscii(body, buf, n);
  AppendPadded(out, body, dir.width, dir.left);
}

void AppendChar(std::u16string& out, const Directive& dir, const Arg& arg) {
  const long long cp = arg.AsSigned();
  std::u16string body;
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    const auto v = static_cast<char32_t>(cp - 0x10000);
    body.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
    body.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
  } else if (cp > 0 && cp < 0x10000 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
    body.push_back(static_cast<char16_t>(cp));
  } else if (cp != 0) {
    body.push_back(u'\uFFFD');
  }
  AppendPadded(out, body, dir.width, dir.left);
}

void AppendText(std::u16string& out, const Directive& dir, const Arg& arg) {
  std::u16string text = arg.AsText();
  if (dir.precision >= 0 && text.size() > static_cast<size_t>(dir.precision)) {
    size_t keep = static_cast<size_t>(dir.precision);
    if (keep > 0 && IsHighSurrogate(text[keep - 1])) --keep;  // never half a pair
    text.resize(keep);
  }
  AppendPadded(out, text, dir.width, dir.left);
}

}  // namespace

long long Arg::AsSigned() const {
  switch (m_kind) {
    case Kind::Signed: return m_signed;
    case Kind::Unsigned:
    case Kind::Pointer: return SignExtend(m_unsigned, m_bytes);
    default: return 0;
  }
}

unsigned long long Arg::AsUnsigned() const {
  switch (m_kind) {
    case Kind::Signed: return ZeroExtend(m_signed, m_bytes);
    case Kind::Unsigned:
    case Kind::Pointer: return m_unsigned;
    default: return 0;
  }
}

std::u16string Arg::AsText() const {
  if (m_kind == Kind::Narrow) return WidenUtf8(m_narrow);
  if (m_kind == Kind::Wide) return std::u16string(m_wide);
  return {};
}

std::u16string Format(std::string_view fmt, std::initializer_list<Arg> args) {
  std::u16string out;
  out.reserve(fmt.size() + 16 * args.size());
  const Arg* next = args.begin();
  const Arg* const end = args.end();
  auto take = [&]() -> const Arg* { return next != end ? next++ : nullptr; };

  size_t literal = 0;  // start of the text not yet copied
  size_t i = 0;
  while (i < fmt.size()) {
    if (fmt[i] != '%') {
      ++i;
      continue;
    }
    out += WidenUtf8(fmt.substr(literal, i - literal));
    literal = i;  // an unknown conversion is copied from here
    size_t j = i + 1;
    Directive dir;

    for (bool more = true; more && j < fmt.size();) {
      switch (fmt[j]) {
        case '-': dir.left = true; [[fallthrough]];
        case '0': case '#': case '+': case ' ': dir.flags.push_back(fmt[j]); ++j; break;
        default: more = false;
      }
    }
    if (j < fmt.size() && fmt[j] == '*') {
      ++j;
      const Arg* w = take();
      if (w && w->IsNumber()) {
        dir.width = ClampStar(w->AsSigned());
        if (dir.width < 0) {  // a negative width asks for left justification
          dir.width = -dir.width;
          dir.left = true;
          dir.flags.push_back('-');
        }
      } else {
        dir.broken = true;
      }
    } else if (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') {
      dir.width = ReadNumber(fmt, j);
    }
    if (j < fmt.size() && fmt[j] == '.') {
      ++j;
      if (j < fmt.size() && fmt[j] == '*') {
        ++j;
        const Arg* p = take();
        if (p && p->IsNumber()) {
          const int v = ClampStar(p->AsSigned());
          dir.precision = v < 0 ? -1 : v;  // negative: as if none was given
        } else {
          dir.broken = true;
        }
      } else {
        dir.precision = ReadNumber(fmt, j);
      }
    }
    // Length modifiers.
    if (j < fmt.size()) {
      const std::string_view rest = fmt.substr(j);
      if (rest.substr(0, 2) == "hh") { dir.narrowTo = 1; j += 2; }
      else if (rest.substr(0, 1) == "h") { dir.narrowTo = 2; j += 1; }
      else if (rest.substr(0, 2) == "ll") j += 2;
      else if (rest.substr(0, 3) == "I64" || rest.substr(0, 3) == "I32") j += 3;
      else if (!rest.empty() && (rest[0] == 'l' || rest[0] == 'L' || rest[0] == 'j' || rest[0] == 'z' ||
                                 rest[0] == 't' || rest[0] == 'w' || rest[0] == 'I')) j += 1;
    }
    if (j >= fmt.size()) break;  // unfinished: copied below with the rest

    const char conv = fmt[j];
    bool known = true;
    switch (conv) {
      case '%':
        out.push_back(u'%');
        break;
      case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': {
        const Arg* a = take();
        if (a && a->IsNumber() && !dir.broken) AppendInteger(out, dir, conv, *a);
        break;
      }
      case 'c': case 'C': {
        const Arg* a = take();
        if (a && a->IsNumber() && !dir.broken) AppendChar(out, dir, *a);
        break;
      }
      case 'p': {
        const Arg* a = take();
        if (a && a->IsNumber() && !dir.broken) AppendPointer(out, dir, *a);
        break;
      }
      case 's': case 'S': {
        const Arg* a = take();
        if (a && a->IsText() && !dir.broken) AppendText(out, dir, *a);
        break;
      }
      default:
        known = false;
    }
    i = j + 1;
    if (known) literal = i;
  }
  out += WidenUtf8(fmt.substr(literal));
  return out;
}

std::u16string ScopedPrefix(std::uint32_t pid, std::uint32_t tid, std::uint32_t tickMs, std::uint32_t depth) {
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, "%04X;%04X;%5u:%02u.%03u; ", static_cast<unsigned>(pid),
                              static_cast<unsigned>(tid), static_cast<unsigned>(tickMs / 60000),
                              static_cast<unsigned>(tickMs / 1000 % 60), static_cast<unsigned>(tickMs % 1000));
  std::u16string out;
  if (n > 0) AppendAscii(out, buf, n);
  out.append(2 * static_cast<size_t>(depth < kMaxIndent ? depth : kMaxIndent), u' ');
  return out;
}

std::u16string LinePrefix(std::uint32_t pid, std::uint32_t tickMs) {
  char buf[48];
  const int n = std::snprintf(buf, sizeof buf, "%04X;%5u:%02u.%03u; ", static_cast<unsigned>(pid),
                              static_cast<unsigned>(tickMs / 60000), static_cast<unsigned>(tickMs / 1000 % 60),
                              static_cast<unsigned>(tickMs % 1000));
  std::u16string out;
  if (n > 0) AppendAscii(out, buf, n);
  return out;
}

std::u16string HexMessage(std::u16string_view label, const std::uint8_t* data, long long count) {
  if (data == nullptr || count < 1 || label.empty()) return {};
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out;
  out.reserve(label.size() + 3 * static_cast<size_t>(count));
  out.append(label);
  for (long long k = 0; k < count; ++k) {
    if (k > 0) out.push_back(u' ');
    out.push_back(kDigits[data[k] >> 4]);
    out.push_back(kDigits[data[k] & 0x0F]);
  }
  out.push_back(u'\n');
  return out;
}

}  // namespace moni::logfmt
