#include <gtest/gtest.h>

#include "platform/text_core.h"

namespace {

TEST(TextCore, Utf8RoundTripIncludingSurrogatePairs) {
  const std::u16string wide = u"Printer \u00e9\u4e2d \U0001F5A8";
  EXPECT_EQ(moni::WidenUtf8(moni::NarrowUtf8(wide)), wide);
  EXPECT_EQ(moni::NarrowUtf8(u"abc"), "abc");
}

TEST(TextCore, InvalidBytesAreKeptOneByOne) {
  // A lone continuation byte, a truncated sequence, an overlong form and an
  // encoded surrogate each widen byte by byte instead of being dropped.
  EXPECT_EQ(moni::WidenUtf8("a\x80z"), std::u16string(u"a\u0080z"));
  EXPECT_EQ(moni::WidenUtf8("\xE4\xB8"), std::u16string(u"\u00e4\u00b8"));
  EXPECT_EQ(moni::WidenUtf8("\xC0\xAF"), std::u16string(u"\u00c0\u00af"));
  EXPECT_EQ(moni::WidenUtf8("\xED\xA0\x80").size(), 3u);
}

TEST(TextCore, UnpairedSurrogateBecomesReplacement) {
  std::u16string lone(1, static_cast<char16_t>(0xD800));
  EXPECT_EQ(moni::NarrowUtf8(lone), "\xEF\xBF\xBD");
  std::u16string reversed{static_cast<char16_t>(0xDC00), static_cast<char16_t>(0xD800)};
  EXPECT_EQ(moni::NarrowUtf8(reversed), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
