#include <gtest/gtest.h>

#include <string>

#include "foundation/setup_data.h"

namespace {

using namespace moni::setupdata;

constexpr char16_t kDriverKey[] = u"Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample";

Context NtContext(unsigned major = 10, unsigned minor = 0) {
  return {u"C:\\drivers\\x64\\3", u"C:\\windows\\system32", {true, major, minor}};
}

// A file whose Install section declares the driver key as path 1, followed by
// the given lines.
std::string WithDriverPath(const std::string& lines) {
  return "[Install]\n"
         "REGPATH=1,\"HKEY_LOCAL_MACHINE\\Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample\"\n" +
         lines;
}

struct Parsed {
  Tables tables;
  bool ok = false;

  Parsed(const std::string& bytes, const Context& context = NtContext()) {
    ok = Parse(WidenBytes(bytes), context, tables);
  }
  std::u16string String(std::u16string_view name, std::u16string_view path = kDriverKey) const {
    std::u16string out;
    LookupString(tables, path, name, out);
    return out;
  }
  std::uint32_t Dword(std::u16string_view name, std::u16string_view path = kDriverKey) const {
    std::uint32_t out = 0;
    return LookupDword(tables, path, name, out) ? out : 0xFFFFFFFFu;
  }
  bool Has(std::u16string_view name) const { return tables.Find(kDriverKey, name).has_value(); }
};

TEST(SetupData, FolderTokensExpandToTheFolderAndTheQuotedText) {
  Parsed p(WithDriverPath(
      "REGENTER=1,\"InstallPath\",DRIVERDIR+\"\\\"\n"
      "REGENTER=1,\"Lib\",  systemdir  +  \"\\V_HAUDF1.DLL\"\n"
      // The first token named decides; the other may appear in the text.
      "REGENTER=1,\"Named\",SYSTEMDIR + \"\\DRIVERDIR.TXT\"\n"
      "REGENTER=1,\"Bare\",DRIVERDIR\n"
      "REGENTER=1,\"NoPlus\",DRIVERDIR \"\\x\"\n"
      "REGENTER=1,\"Unquoted\",DRIVERDIR + \\x\n"
      // A quoted value is a plain string even when it names a token.
      "REGENTER=1,\"Literal\",\"C:\\DriverDir\\x\"\n"));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.String(u"InstallPath"), u"C:\\drivers\\x64\\3\\");
  EXPECT_EQ(p.String(u"Lib"), u"C:\\windows\\system32\\V_HAUDF1.DLL");
  EXPECT_EQ(p.String(u"Named"), u"C:\\windows\\system32\\DRIVERDIR.TXT");
  EXPECT_FALSE(p.Has(u"Bare"));
  EXPECT_FALSE(p.Has(u"NoPlus"));
  EXPECT_FALSE(p.Has(u"Unquoted"));
  EXPECT_EQ(p.String(u"Literal"), u"C:\\DriverDir\\x");

  // A folder given with its trailing backslash is not doubled.
  Context context = NtContext();
  context.driverDir = u"D:\\drv\\";
  EXPECT_EQ(Parsed(WithDriverPath("REGENTER=1,\"InstallPath\",DRIVERDIR+\"\\\"\n"), context).String(u"InstallPath"), u"D:\\drv\\");
  // An unknown folder and an empty text leave nothing: the entry is dropped.
  context.driverDir.clear();
  EXPECT_FALSE(Parsed(WithDriverPath("REGENTER=1,\"InstallPath\",DRIVERDIR+\"\"\n"), context).ok);
}

TEST(SetupData, NumbersAreHexOrDecimal32BitAndNotStrings) {
  Parsed p(WithDriverPath(
      "REGENTER=1,\"Hex\",0x10\n"
      "REGENTER=1,\"Dec\",10\n"
      "REGENTER=1,\"Upper\",0XfF\n"
      "REGENTER=1,\"Max\",0xFFFFFFFF\n"
      "REGENTER=1,\"MaxDec\",4294967295\n"
      "REGENTER=1,\"Zeros\",000000000000000000000042\n"
      "REGENTER=1,\"Text\",\"abc\"\n"));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.Dword(u"Hex"), 16u);
  EXPECT_EQ(p.Dword(u"Dec"), 10u);
  EXPECT_EQ(p.Dword(u"Upper"), 255u);
  EXPECT_EQ(p.Dword(u"Zeros"), 42u);
  EXPECT_TRUE(p.Has(u"Max"));
  EXPECT_TRUE(p.Has(u"MaxDec"));
  // Each lookup answers for its own type only.
  EXPECT_EQ(p.String(u"Hex"), u"");
  EXPECT_EQ(p.String(u"Dec"), u"");
  EXPECT_EQ(p.Dword(u"Text"), 0xFFFFFFFFu);

  // Numbers beyond 32 bits and anything that is not wholly a number are
  // dropped rather than read in part or wrapped.
  for (const char* bad : {"0x100000000", "4294967296", "99999999999999999999", "0x", "12abc", "-1", "+5", "0x1G", "1 2", "1.5"}) {
    Parsed q(WithDriverPath(std::string("REGENTER=1,\"Bad\",") + bad + "\nREGENTER=1,\"Good\",1\n"));
    EXPECT_FALSE(q.Has(u"Bad")) << bad;
    EXPECT_TRUE(q.Has(u"Good")) << bad;
  }
}

TEST(SetupData, ConditionsKeepAnEntryWhenOneHolds) {
  const std::string lines =
      "REGENTER=1,\"Both\",1,WIN9X,WINNT\n"
      "REGENTER=1,\"Build32\",1,BUILD32\n"
      "REGENTER=1,\"Build64\",1,build64\n"
      "REGENTER=1,\"All\",1,ALL\n"
      "REGENTER=1,\"EmptyField\",1,BUILD32,\n"
      "REGENTER=1,\"Unknown\",1,WINXP\n"
      "REGENTER=1,\"Nine\",1,WIN9X\n"
      "REGENTER=1,\"Nt4\",1,WINNT40\n"
      "REGENTER=1,\"W2k\",1,WIN2000\n"
      "REGENTER=1,\"XpOn\",1, WIN2KLATER \n";
  auto kept = [&](const Context& context) {
    Parsed p(WithDriverPath(lines), context);
    std::u16string names;
    for (const ValueEntry& e : p.tables.Values()) names += e.name + u" ";
    return names;
  };
  EXPECT_EQ(kept(NtContext(10, 0)), u"Both Build64 All EmptyField W2k XpOn ");
  EXPECT_EQ(kept(NtContext(5, 1)), u"Both Build64 All EmptyField W2k XpOn ");
  EXPECT_EQ(kept(NtContext(5, 0)), u"Both Build64 All EmptyField W2k ");
  EXPECT_EQ(kept(NtContext(4, 0)), u"Both Build64 All EmptyField Nt4 ");
  EXPECT_EQ(kept({u"C:\\d", u"C:\\s", {false, 4, 10}}), u"Both Build64 All EmptyField Nine ");
}

TEST(SetupData, LaterDuplicateReplacesAndMovesToTheEnd) {
  Parsed p(WithDriverPath(
      "REGENTER=1,\"ModelID\",\"OLD\"\n"
      "REGENTER=1,\"Other\",5\n"
      "REGENTER=1,\"ModelID\",\"SMP-100\"\n"
      // Same name in another case is another entry; the lookup takes the first.
      "REGENTER=1,\"MODELID\",\"LATER\"\n"
      // A duplicate that is dropped (its condition fails) replaces nothing.
      "REGENTER=1,\"Other\",6,BUILD32\n"));
  ASSERT_TRUE(p.ok);
  const auto values = p.tables.Values();
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, u"Other");
  EXPECT_EQ(values[0].dword, 5u);
  EXPECT_EQ(values[1], (ValueEntry{u"1", u"ModelID", kTypeString, u"SMP-100", 0}));
  EXPECT_EQ(values[2].name, u"MODELID");
  EXPECT_EQ(p.String(u"modelid"), u"SMP-100");

  // A duplicate of another type replaces the string too.
  Parsed q(WithDriverPath("REGENTER=1,\"V\",\"text\"\nREGENTER=1,\"V\",7\n"));
  EXPECT_EQ(q.Dword(u"V"), 7u);
  EXPECT_EQ(q.String(u"V"), u"");
}

TEST(SetupData, OnlyTheFirstInstallSectionIsRead) {
  Parsed p(
      "[Strings]\n"
      "REGPATH=9,\"HKEY_LOCAL_MACHINE\\Software\\Before\"\n"
      "[ install ]\n"
      "REGENTER=1,\"Early\",1\n"  // entries may come before their path
      "regpath = 1 , \"HKEY_LOCAL_MACHINE\\Software\\A\"\n"
      "[Other]\n"
      "REGPATH=2,\"HKEY_LOCAL_MACHINE\\Software\\After\"\n"
      "REGENTER=2,\"Late\",1\n"
      "[Install]\n"
      "REGPATH=3,\"HKEY_LOCAL_MACHINE\\Software\\Again\"\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.tables.Paths(), (std::vector<PathEntry>{{u"1", u"Software\\A"}}));
  ASSERT_EQ(p.tables.ValueCount(), 1u);
  EXPECT_EQ(p.tables.Values()[0].name, u"Early");
}

TEST(SetupData, EitherTableEmptyLeavesBothEmpty) {
  const Context context = NtContext();
  Tables tables;
  // Leftovers of an earlier parse go too.
  ASSERT_TRUE(Parse(WidenBytes(WithDriverPath("REGENTER=1,\"A\",1\n")), context, tables));
  for (const std::string& text : {
           std::string(),
           std::string("REGPATH=1,\"HKEY_LOCAL_MACHINE\\Software\\A\"\nREGENTER=1,\"A\",1\n"),  // no section
           std::string("[Install]\nREGENTER=1,\"A\",1\n"),                                       // no path
           WithDriverPath(""),                                                                  // no value
           WithDriverPath("REGENTER=1,\"A\",1,BUILD32\n"),                                       // value dropped
           std::string("[Install]\nREGPATH=1,\"HKEY_CURRENT_USER\\Software\\A\"\nREGENTER=1,\"A\",1\n"),
           std::string("[Install]\nREGPATH=1,\"HKEY_LOCAL_MACHINE\\\"\nREGENTER=1,\"A\",1\n"),
           std::string("[Install]\nREGPATH=,\"HKEY_LOCAL_MACHINE\\Software\\A\"\nREGENTER=,\"A\",1\n"),
       }) {
    EXPECT_FALSE(Parse(WidenBytes(text), context, tables)) << text;
    EXPECT_EQ(tables.PathCount(), 0u) << text;
    EXPECT_EQ(tables.ValueCount(), 0u) << text;
  }
}

TEST(SetupData, LineSyntaxCommentsQuotesAndLineEnds) {
  Parsed p(
      "  [Install]  // the installer's entries\r\n"
      "// REGPATH=7,\"HKEY_LOCAL_MACHINE\\Software\\Commented\"\r\n"
      "REGPATH=1,\"HKEY_LOCAL_MACHINE\\Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample\" // driver key\r\n"
      "\r\n"
      "REGENTER = 1 , \"ModelID\" , \"SMP-100\" \r\n"
      "REGENTER=1,\"Url\",\"http://example\"\r\n"            // cut at "//" even inside quotes
      "REGENTER=1,Bare,1\r\n"                              // names must be quoted
      "REGENTER=1,\"\",1\r\n"
      "REGENTER=1,\"Tab\",\t0x20\t\r\n"
      "REGENTER\r\n"
      "=1,\"NoKey\",1\r\n"
      "REGENTER=\r\n"
      "REGENTER=1,\"Short\"\r\n"
      "REGENTER=1,\"LastLine\",3");  // no line end at all
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.tables.PathCount(), 1u);
  EXPECT_EQ(p.String(u"ModelID"), u"SMP-100");
  EXPECT_FALSE(p.Has(u"Url"));  // "\"http:" is no quoted text
  EXPECT_EQ(p.Dword(u"Tab"), 0x20u);
  EXPECT_EQ(p.Dword(u"LastLine"), 3u);
  EXPECT_FALSE(p.Has(u"Bare"));
  EXPECT_EQ(p.tables.ValueCount(), 3u);
}

TEST(SetupData, QuotesProtectCommasOnlyInAFieldThatBeginsWithOne) {
  // The value of the entry "N" (nothing: dropped) for each way of writing
  // its fields after the name.
  const struct {
    const char* fields;
    const char16_t* value;
  } rows[] = {
      {"\"a,b\"", u"a,b"},
      {"   \"a,b\"  ", u"a,b"},                            // blanks before the quote
      {"\"say \"\"hi\"\", then go\"", u"say \"hi\", then go"},  // doubled quotes
      {"\"a,b\",ALL", u"a,b"},
      {"\"a\",BUILD32\"x,ALL", u"a"},                        // a quote inside a condition protects nothing
      {"\"a\",BUILD32,\"x,ALL\"", nullptr},                  // ... but one that begins it does
      {"DRIVERDIR+\"\\a,b\"", nullptr},                      // cut at the comma: no closing quote
      {"DRIVERDIR + \"\\a\" , ALL", u"C:\\drivers\\x64\\3\\a"},
      {"\"ab\"c,ALL", nullptr},                               // text after the closing quote stays in the field
      {"\"a\"b\"c,d\"", nullptr},                             // the closing quote ends the protection
      {"\"unterminated, WIN9X", nullptr},                     // runs to the end of the line
  };
  for (const auto& row : rows) {
    const Parsed p(WithDriverPath(std::string("REGENTER=1,\"N\",") + row.fields + "\n"));
    if (row.value) {
      EXPECT_EQ(p.String(u"N"), row.value) << row.fields;
    } else {
      EXPECT_FALSE(p.Has(u"N")) << row.fields;
    }
  }
  // A quoted name holds commas too; a path as well.
  Parsed p(
      "[Install]\n"
      "REGPATH=1,\"HKEY_LOCAL_MACHINE\\Software\\A,B\"\n"
      "REGENTER=1,\"Comma, name\",\"v\"\n");
  EXPECT_EQ(p.String(u"Comma, name", u"Software\\A,B"), u"v");
}

TEST(SetupData, LookupsIgnoreCaseAndTakeTheFirstMatchingPath) {
  Parsed p(
      "[Install]\n"
      "REGPATH=A,\"hkey_local_machine\\Software\\Dup\"\n"
      "REGPATH=B,\"HKEY_LOCAL_MACHINE\\SOFTWARE\\DUP\"\n"
      "REGPATH=C,\"HKEY_LOCAL_MACHINE\\Software\\Only\"\n"
      "REGPATH=D,\"RegRoot HKEY_LOCAL_MACHINE\\Software\\Prefixed\"\n"
      "REGENTER=b,\"InB\",\"b\"\n"
      "REGENTER=a,\"Name\",\"a\"\n"
      "REGENTER=C,\"Name\",\"c\"\n"
      "REGENTER=D,\"Name\",\"d\"\n"
      "REGENTER=\xC4,\"\xC9t\xE9\",\"latin\"\n"
      "REGPATH=\xE4,\"HKEY_LOCAL_MACHINE\\Software\\\xC9t\xE9\"\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.String(u"NAME", u"software\\dup"), u"a");
  // The first matching path decides, even when only a later one has the name.
  EXPECT_EQ(p.String(u"InB", u"Software\\Dup"), u"");
  EXPECT_EQ(p.String(u"name", u"SOFTWARE\\ONLY"), u"c");
  EXPECT_EQ(p.String(u"Name", u"Software\\Prefixed"), u"d");
  EXPECT_EQ(p.String(u"Name", u"Software\\Missing"), u"");
  EXPECT_EQ(p.String(u"Name", u""), u"");
  // Bytes above 127 are Latin-1 characters, letters compared without case.
  EXPECT_EQ(p.String(u"\u00e9T\u00c9", u"SOFTWARE\\\u00e9T\u00c9"), u"latin");
}

TEST(SetupData, MalformedInputIsSkippedNotFatal) {
  std::string junk = WithDriverPath("REGENTER=1,\"Ok\",1\n");
  junk += std::string("REGENTER=1,\"Nul\0\",\"x\0y\"\n", 24);
  junk += "REGENTER=" + std::string(100000, ',') + "\n";
  junk += "REGENTER=" + std::string(100000, '"') + "\n";
  junk += "REGPATH=" + std::string(50000, 'x') + ",\"HKEY_LOCAL_MACHINE\\" + std::string(50000, '\\') + "\"\n";
  junk += "REGPATH=" + std::string(50000, 'x') + ",\"HKEY_LOCAL_MACHINE\\" + std::string(50000, '\\') + "\n";
  junk += "\xff\xfe\x80\x01\n=\n==\n\"\n,\n[\n]\n";
  junk += "[]\nREGENTER=1,\"AfterEmptySection\",1\n";
  Parsed p("\xEF\xBB\xBF" + junk);
  ASSERT_TRUE(p.ok);  // the byte-order mark does not hide the first section
  EXPECT_EQ(p.Dword(u"Ok"), 1u);
  EXPECT_EQ(p.String(std::u16string(u"Nul\0", 4)), std::u16string(u"x\0y", 3));
  EXPECT_EQ(p.tables.PathCount(), 2u);
  EXPECT_FALSE(p.Has(u"AfterEmptySection"));
}

}  // namespace
