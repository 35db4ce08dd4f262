// UTF-8 / UTF-16 conversion for the portable core (no windows.h).
#pragma once
#include <string>
#include <string_view>

namespace moni {

// Bytes that are not valid UTF-8 are taken one by one as Latin-1, so that any
// narrow text (ASCII replies, ANSI names) can be shown without loss of length.
std::u16string WidenUtf8(std::string_view text);

// Unpaired surrogates become U+FFFD.
std::string NarrowUtf8(std::u16string_view text);

}  // namespace moni
