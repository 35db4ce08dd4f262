#include "comm/bid_generation.h"

namespace moni::comm {

namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// Whether the text contains "BQAPI" followed by the digit, in any letter case
// (file names are compared so by the system).
bool NamesGeneration(std::u16string_view text, char16_t digit) {
  constexpr std::u16string_view kStem = u"BQAPI";
  for (size_t at = 0; at + kStem.size() < text.size(); ++at) {
    size_t i = 0;
    while (i < kStem.size() && Upper(text[at + i]) == kStem[i]) ++i;
    if (i == kStem.size() && text[at + kStem.size()] == digit) return true;
  }
  return false;
}

}  // namespace

int GenerationFromLibraryName(std::u16string_view libraryName) {
  if (NamesGeneration(libraryName, u'4')) return 4;
  if (NamesGeneration(libraryName, u'3')) return 3;
  if (NamesGeneration(libraryName, u'2')) return 2;
  return 1;
}

int BidGeneration(std::int32_t version, std::u16string_view libraryName) {
  if (version <= 0) return GenerationFromLibraryName(libraryName);
  if (version >= 4) return 4;
  return version;  // 1, 2 or 3
}

}  // namespace moni::comm
