// Log line formatting over arbitrary formats and argument lists: the format,
// the text arguments and the numbers all come from the input, and the list may
// be shorter than the format asks for. Nothing may read past the list, and the
// output stays bounded by the format.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/log_format.h"

namespace {

using moni::logfmt::Arg;

struct Pool {
  int i32;
  unsigned u32;
  long long i64;
  unsigned long long u64;
  const void* pointer;
  std::string_view narrow;
  std::u16string_view wide;

  Arg Pick(std::uint8_t sel) const {
    switch (sel % 7) {
      case 0: return Arg(i32);
      case 1: return Arg(u32);
      case 2: return Arg(i64);
      case 3: return Arg(u64);
      case 4: return Arg(pointer);
      case 5: return Arg(narrow);
      default: return Arg(wide);
    }
  }
};

std::u16string FormatWith(std::string_view format, const Pool& p, const std::uint8_t* sel, unsigned count) {
  using moni::logfmt::Format;
  switch (count) {
    case 0: return Format(format, {});
    case 1: return Format(format, {p.Pick(sel[0])});
    case 2: return Format(format, {p.Pick(sel[0]), p.Pick(sel[1])});
    case 3: return Format(format, {p.Pick(sel[0]), p.Pick(sel[1]), p.Pick(sel[2])});
    case 4: return Format(format, {p.Pick(sel[0]), p.Pick(sel[1]), p.Pick(sel[2]), p.Pick(sel[3])});
    default:
      return Format(format, {p.Pick(sel[0]), p.Pick(sel[1]), p.Pick(sel[2]), p.Pick(sel[3]), p.Pick(sel[4]),
                             p.Pick(sel[5])});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Header: argument count, six kind selectors, 16 bytes of numbers.
  constexpr std::size_t kHeader = 1 + 6 + 16;
  if (size < kHeader) return 0;
  const unsigned count = data[0] % 7;
  const std::uint8_t* sel = data + 1;
  std::uint64_t a, b;
  std::memcpy(&a, data + 7, 8);
  std::memcpy(&b, data + 15, 8);

  // The rest: format, then after the first NUL the text of the arguments.
  const std::string_view rest(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
  const std::size_t nul = rest.find('\0');
  const std::string_view format = rest.substr(0, nul);
  const std::string_view text = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  std::u16string wide;
  for (std::size_t k = 0; k + 1 < text.size(); k += 2)
    wide.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(text[k]) | static_cast<std::uint8_t>(text[k + 1]) << 8));

  const Pool pool{static_cast<int>(a), static_cast<unsigned>(a >> 32), static_cast<long long>(a),
                  b, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(b)), text, wide};
  const std::u16string out = FormatWith(format, pool, sel, count);
  // Every conversion takes at least two format bytes and yields at most a
  // capped width, a number or one argument's text.
  const std::size_t bound = format.size() * (moni::logfmt::kMaxWidth + text.size() + wide.size() + 64) + 16;
  if (out.size() > bound) __builtin_trap();

  // The hex dump of the same bytes under a label taken from the text.
  const std::u16string label = pool.Pick(6).AsText();
  const long long hexCount = static_cast<long long>(static_cast<std::int8_t>(sel[0])) % 64;
  const long long usable = hexCount < static_cast<long long>(size) ? hexCount : static_cast<long long>(size);
  const std::u16string hex = moni::logfmt::HexMessage(label, data, usable);
  const bool empty = label.empty() || usable < 1;
  if (empty != hex.empty()) __builtin_trap();
  if (!empty && hex.size() != label.size() + 3 * static_cast<std::size_t>(usable)) __builtin_trap();
  return 0;
}
