#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/log_format.h"

namespace {

using moni::logfmt::Format;
using moni::logfmt::HexMessage;
using moni::logfmt::LinePrefix;
using moni::logfmt::ScopedPrefix;

TEST(LogPrefix, TickCountSplitsIntoUnreducedMinutesSecondsAndMilliseconds) {
  // 3,723,456 ms: 62 minutes (not reduced modulo 60), 3 s, 456 ms.
  EXPECT_EQ(ScopedPrefix(0x1A2B, 0x3C, 3723456, 0), u"1A2B;003C;   62:03.456; ");
  EXPECT_EQ(LinePrefix(0x1A2B, 3723456), u"1A2B;   62:03.456; ");
  EXPECT_EQ(LinePrefix(0, 0), u"0000;    0:00.000; ");
  // Ids wider than four digits are not cut; the largest tick still fits five columns.
  EXPECT_EQ(ScopedPrefix(0x12345, 0xABCDEF01, 0xFFFFFFFF, 0), u"12345;ABCDEF01;71582:47.295; ");
}

TEST(LogPrefix, IndentationIsTwoBlanksPerLevelAndBounded) {
  EXPECT_EQ(ScopedPrefix(1, 2, 1000, 2), u"0001;0002;    0:01.000;     ");
  // A runaway depth costs at most kMaxIndent levels, not gigabytes.
  constexpr std::uint32_t kMax = moni::logfmt::kMaxIndent;
  const size_t bare = ScopedPrefix(1, 2, 1000, 0).size();
  for (std::uint32_t depth : {3u, kMax - 1, kMax, kMax + 1, 0xFFFFFFFFu})
    EXPECT_EQ(ScopedPrefix(1, 2, 1000, depth).size(), bare + 2 * (depth < kMax ? depth : kMax)) << depth;
}

TEST(LogHex, BytesFollowTheLabelWithSingleBlanksAndNoTrailingBlank) {
  const std::uint8_t bytes[] = {0x1B, 0x40, 0x0A};
  EXPECT_EQ(HexMessage(u"Binary_Data:", bytes, 3), u"Binary_Data:1B 40 0A\n");
  const std::uint8_t one[] = {0xff};
  EXPECT_EQ(HexMessage(u"x", one, 1), u"xFF\n");
  // The label is text, never a format.
  EXPECT_EQ(HexMessage(u"%s%n:", one, 1), u"%s%n:FF\n");
}

TEST(LogHex, NothingForNoDataOrNoLabel) {
  const std::uint8_t bytes[] = {0x1B};
  EXPECT_EQ(HexMessage(u"Binary_Data:", bytes, 0), u"");
  EXPECT_EQ(HexMessage(u"Binary_Data:", bytes, -1), u"");
  EXPECT_EQ(HexMessage(u"Binary_Data:", nullptr, 3), u"");
  EXPECT_EQ(HexMessage(u"", bytes, 1), u"");
}

TEST(LogFormat, TextConversionsTakeNarrowAndWideText) {
  EXPECT_EQ(Format("%s\n", {"CDetail::OnTimer"}), u"CDetail::OnTimer\n");
  EXPECT_EQ(Format("%s : %s\n", {u"Printer \u00e9", std::string("caf\xc3\xa9")}), u"Printer \u00e9 : caf\u00e9\n");
  EXPECT_EQ(Format("[%5s|%-5s|%.2s]", {"ab", u"cd", "xyz"}), u"[   ab|cd   |xy]");
  EXPECT_EQ(Format("%S", {"wide or narrow"}), u"wide or narrow");
  EXPECT_EQ(Format("%s", {static_cast<const char*>(nullptr)}), u"(null)");
  // A precision does not split a surrogate pair.
  EXPECT_EQ(Format("%.1s|%.2s", {u"\U0001F5A8", u"\U0001F5A8"}), u"|\U0001F5A8");
  // Text in the arguments is never taken as a format.
  EXPECT_EQ(Format("%s", {"%s%n%d"}), u"%s%n%d");
#if defined(_WIN32)
  // On Windows wchar_t text is UTF-16 and is taken as it is.
  EXPECT_EQ(Format("%s|%s|%s", {L"wide", std::wstring(L"str\u00e9"), std::wstring_view(L"view")}),
            u"wide|str\u00e9|view");
#endif
}

TEST(LogFormat, IntegerConversionsFollowPrintf) {
  EXPECT_EQ(Format("%d %i %u", {-42, 7, 42u}), u"-42 7 42");
  EXPECT_EQ(Format("%x %X %#x %o", {255, 255, 255, 8}), u"ff FF 0xff 10");
  EXPECT_EQ(Format("[%5u][%-4d][%02X][%+d][% d]", {7u, 3, 10, 5, 5}), u"[    7][3   ][0A][+5][ 5]");
  EXPECT_EQ(Format("[%.3d][%08.3d][%#o]", {5, -5, 8}), u"[005][    -005][010]");
  EXPECT_EQ(Format("%lu %ld %I64d %zu %llx %I32u", {1ul, 2l, 3ll, 4ull, 5ull, 6u}), u"1 2 3 4 5 6");
  EXPECT_EQ(Format("%c%c%C", {'O', 'K', 0x00e9}), u"OK\u00e9");
  EXPECT_EQ(Format("100%%", {}), u"100%");
}

TEST(LogFormat, NegativeValuesKeepTheWidthOfTheirType) {
  // printf shows a negative 32-bit value in hex with 8 digits, not 16.
  EXPECT_EQ(Format("%x", {-1}), u"ffffffff");
  EXPECT_EQ(Format("%08X", {static_cast<long>(0x80004005u)}), u"80004005");
  EXPECT_EQ(Format("%llx", {-1ll}), u"ffffffffffffffff");
  EXPECT_EQ(Format("%d", {0xFFFFFFFFu}), u"-1");
  EXPECT_EQ(Format("%u", {-2}), u"4294967294");
  // "h" and "hh" narrow as printf does.
  EXPECT_EQ(Format("%hx %hhx %hd %hhu", {0x12345, 0x1FF, 0x18000, 0x1FF}), u"2345 ff -32768 255");
}

TEST(LogFormat, WidthAndPrecisionFromArguments) {
  EXPECT_EQ(Format("[%*d][%-*d][%.*s]", {4, 1, 3, 2, 2, "abc"}), u"[   1][2  ][ab]");
  EXPECT_EQ(Format("[%*d]", {-4, 1}), u"[1   ]");   // a negative width left-justifies
  EXPECT_EQ(Format("[%.*d]", {-1, 7}), u"[7]");      // a negative precision is none
  // Widths and precisions, written or given, are capped at kMaxWidth instead
  // of allocating gigabytes.
  constexpr int kMax = moni::logfmt::kMaxWidth;
  for (int n : {kMax - 1, kMax, kMax + 1, 999999999}) {
    const size_t capped = static_cast<size_t>(n < kMax ? n : kMax);
    const std::string digits = std::to_string(n);
    EXPECT_EQ(Format("%" + digits + "d", {1}).size(), capped) << n;
    EXPECT_EQ(Format("%." + digits + "d", {1}).size(), capped) << n;
    EXPECT_EQ(Format("%" + digits + "p", {static_cast<const void*>(nullptr)}).size(), capped) << n;
    EXPECT_EQ(Format("%*s", {n, "x"}).size(), capped) << n;
    EXPECT_EQ(Format("%-*c", {-n, 'c'}).size(), capped) << n;
    EXPECT_EQ(Format("%.*s", {n, std::string(kMax + 8, 'x')}).size(), capped) << n;
  }
}

TEST(LogFormat, PointersPrintAsSixteenHexDigits) {
  int object = 0;
  const std::u16string text = Format("%p", {static_cast<const void*>(&object)});
  EXPECT_EQ(text.size(), 2 * sizeof(void*));
  EXPECT_EQ(Format("%p", {static_cast<const void*>(nullptr)}), std::u16string(2 * sizeof(void*), u'0'));
  EXPECT_EQ(Format("[%20p]", {static_cast<const void*>(nullptr)}).size(), 22u);
}

TEST(LogFormat, MissingOrMismatchedArgumentsPrintNothing) {
  EXPECT_EQ(Format("a=%d b=%s c=%x\n", {}), u"a= b= c=\n");
  EXPECT_EQ(Format("a=%d b=%d\n", {1}), u"a=1 b=\n");
  EXPECT_EQ(Format("%s|%d|%c|%p", {5, "five", "x", "y"}), u"|||");
  // A mismatch still consumes its argument, so later conversions stay in place.
  EXPECT_EQ(Format("%s %d", {1, 2}), u" 2");
  // A "*" without a number spoils its conversion, but nothing reads past the list.
  EXPECT_EQ(Format("[%*d]", {"w", 3}), u"[]");
  EXPECT_EQ(Format("[%*d][%.*s]", {}), u"[][]");
  EXPECT_EQ(Format("%d", {1, 2, 3}), u"1");
}

TEST(LogFormat, ConversionsNotUnderstoodAreCopiedLiterally) {
  EXPECT_EQ(Format("100%", {}), u"100%");
  EXPECT_EQ(Format("done 100%\n", {}), u"done 100%\n");
  EXPECT_EQ(Format("%-08", {1}), u"%-08");
  EXPECT_EQ(Format("%n%f|%d", {1}), u"%n%f|1");
  EXPECT_EQ(Format("%ll", {}), u"%ll");
}

TEST(LogFormat, LiteralTextIsUtf8) {
  EXPECT_EQ(Format("caf\xc3\xa9 %d \xe4\xb8\xad", {1}), u"caf\u00e9 1 \u4e2d");
  // Bytes that are not UTF-8 keep their length.
  EXPECT_EQ(Format("\xe9%d", {2}), u"\u00e92");
  EXPECT_EQ(Format(std::string_view("a\0b", 3), {}), std::u16string(u"a\0b", 3));
}

}  // namespace
