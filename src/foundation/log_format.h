// Line formatting of the debug logs (portable core, no windows.h).
//
// Log messages are printf-style formats written in the code (never text read
// from a file, the registry or another process). The arguments are typed, so a
// conversion that does not match its argument, or a missing argument, cannot
// read stray memory: it prints nothing.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace moni::logfmt {

// One argument of a log message. It keeps the size of the caller's type, so
// that "%x" of a negative 32-bit value prints 8 digits as printf does.
class Arg {
 public:
  enum class Kind { Signed, Unsigned, Narrow, Wide, Pointer };

  Arg(int v) : m_kind(Kind::Signed), m_bytes(sizeof v), m_signed(v) {}
  Arg(long v) : m_kind(Kind::Signed), m_bytes(sizeof v), m_signed(v) {}
  Arg(long long v) : m_kind(Kind::Signed), m_bytes(sizeof v), m_signed(v) {}
  Arg(unsigned v) : m_kind(Kind::Unsigned), m_bytes(sizeof v), m_unsigned(v) {}
  Arg(unsigned long v) : m_kind(Kind::Unsigned), m_bytes(sizeof v), m_unsigned(v) {}
  Arg(unsigned long long v) : m_kind(Kind::Unsigned), m_bytes(sizeof v), m_unsigned(v) {}
  Arg(const char* s) : m_kind(Kind::Narrow), m_narrow(s ? s : "(null)") {}
  Arg(std::string_view s) : m_kind(Kind::Narrow), m_narrow(s) {}
  Arg(const std::string& s) : m_kind(Kind::Narrow), m_narrow(s) {}
  Arg(const char16_t* s) : m_kind(Kind::Wide), m_wide(s ? s : u"(null)") {}
  Arg(std::u16string_view s) : m_kind(Kind::Wide), m_wide(s) {}
  Arg(const std::u16string& s) : m_kind(Kind::Wide), m_wide(s) {}
  // wchar_t is UTF-16 on Windows; elsewhere it is not taken.
  template <typename W, typename = std::enable_if_t<std::is_same_v<W, wchar_t> && sizeof(W) == sizeof(char16_t)>>
  Arg(const W* s) : Arg(reinterpret_cast<const char16_t*>(s)) {}
  template <typename W, typename = std::enable_if_t<std::is_same_v<W, wchar_t> && sizeof(W) == sizeof(char16_t)>>
  Arg(std::basic_string_view<W> s) : Arg(std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size())) {}
  template <typename W, typename = std::enable_if_t<std::is_same_v<W, wchar_t> && sizeof(W) == sizeof(char16_t)>>
  Arg(const std::basic_string<W>& s) : Arg(std::basic_string_view<W>(s)) {}
  Arg(const void* p) : m_kind(Kind::Pointer), m_bytes(sizeof p), m_unsigned(reinterpret_cast<std::uintptr_t>(p)) {}

  Kind kind() const { return m_kind; }
  bool IsNumber() const { return m_kind == Kind::Signed || m_kind == Kind::Unsigned || m_kind == Kind::Pointer; }
  bool IsText() const { return m_kind == Kind::Narrow || m_kind == Kind::Wide; }
  // A number taken as signed or unsigned of the caller's type size (the bits
  // printf would see); 0 for text.
  long long AsSigned() const;
  unsigned long long AsUnsigned() const;
  // Text as UTF-16 (narrow text taken as UTF-8); empty for numbers.
  std::u16string AsText() const;

 private:
  Kind m_kind;
  unsigned char m_bytes = 0;
  long long m_signed = 0;
  unsigned long long m_unsigned = 0;
  std::string_view m_narrow;
  std::u16string_view m_wide;
};

// Applies a printf-style format: %%, %d %i %u %x %X %o %c %s %p (and %C %S as
// %c %s) with the flags "-0#+ ", a width and a precision (digits or "*"), and
// length modifiers (h hh l ll z j t I64 I32 I L w). "h" and "hh" narrow an
// integer to 16 or 8 bits as printf does; the others are ignored because the
// argument carries its own type. Narrow text is taken as UTF-8.
//
// Numbers go with the integer conversions and "%p", text with "%s". Each
// conversion consumes one argument (and one more for each "*"); when that
// argument is missing or of the other kind, the conversion prints nothing.
// A conversion that is not understood (such as "%n" or "%f", or a "%" at the
// end) is copied as it stands and consumes no argument, so "100%\n" keeps its
// line end. Widths and precisions above kMaxWidth are taken as kMaxWidth.
// "%c" prints the argument as a Unicode code point (none for 0, U+FFFD when it
// is not one); "%p" prints 16 upper-case hex digits.
std::u16string Format(std::string_view format, std::initializer_list<Arg> args);

inline constexpr int kMaxWidth = 4096;

// "%04X;%04X;%5u:%02u.%03u; " with the process id, the thread id and the tick
// count in minutes (not reduced), seconds and milliseconds, followed by two
// blanks for each nesting level (at most kMaxIndent levels are shown).
std::u16string ScopedPrefix(std::uint32_t pid, std::uint32_t tid, std::uint32_t tickMs, std::uint32_t depth);

inline constexpr std::uint32_t kMaxIndent = 100;

// "%04X;%5u:%02u.%03u; " for the tray program's line log.
std::u16string LinePrefix(std::uint32_t pid, std::uint32_t tickMs);

// The label directly followed by the bytes as upper-case hex pairs separated by
// single blanks and a final "\n"; empty when data is null, count is below 1 or
// the label is empty (nothing is written then).
std::u16string HexMessage(std::u16string_view label, const std::uint8_t* data, long long count);

}  // namespace moni::logfmt
