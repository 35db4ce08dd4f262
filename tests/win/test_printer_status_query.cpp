// The one-shot status query against the printer simulator: every result code.
// Each test makes its own printer and its own scenario folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "api/monicore.h"
#include "kit.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

constexpr wchar_t kDriver[] = L"TALMER VGL3 Sample";
constexpr char kDeviceId[] = "MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;";
// "@BDC ST2\r\n" and a few bytes of a reply.
constexpr char kReplyHex[] = "40424443205354320D0A0600010203040506";

class Query : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = moni::kit::MakeScenarioFolder(moni::test::TempFolder() + L"bqsim_" + moni::test::UniqueTestName());
    printer = L"Query " + moni::test::UniqueTestName();
    lib.reset(LoadLibraryW(L"monicore.dll"));
    ASSERT_TRUE(lib.valid());
    query = moni::test::ProcOf<decltype(&PrGetPrinterStatus2)>(lib, "PrGetPrinterStatus2");
    queryAnsi = moni::test::ProcOf<decltype(&PrGetPrinterStatus)>(lib, "PrGetPrinterStatus");
    release = moni::test::ProcOf<decltype(&PrReleasePrinterStatus)>(lib, "PrReleasePrinterStatus");
  }
  void TearDown() override {
    release(reply);
    if (added) moni::kit::DeletePrinter(printer);
    lib.reset();
    moni::kit::RemoveScenarioFolder(folder);
  }

  // Adds the test's printer with the given driver and scenario text.
  void AddPrinter(const std::string& scenario, const wchar_t* driver = kDriver) {
    ASSERT_TRUE(moni::kit::AddPrinter(printer, driver, L"LPT1:"));
    added = true;
    ASSERT_TRUE(moni::kit::WriteScenario(1, printer, scenario));
  }
  static std::string Scenario(const std::string& extra, const char* channels = "0x10000005:0x0007",
                              const char* deviceId = kDeviceId) {
    return std::string("[Printer]\nDeviceID=") + deviceId + "\nChannels=" + channels + "\nAdvance=call\nReply1=" +
           kReplyHex + "\n" + extra;
  }
  int Run() { return query(printer.c_str(), &reply, nullptr); }
  std::string Journal() { return moni::test::ReadFileBytes(folder + L"\\journal.log"); }

  std::wstring folder, printer;
  moni::Module lib;
  decltype(&PrGetPrinterStatus2) query = nullptr;
  decltype(&PrGetPrinterStatus) queryAnsi = nullptr;
  decltype(&PrReleasePrinterStatus) release = nullptr;
  BYTE* reply = nullptr;
  bool added = false;
};

size_t Count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST_F(Query, ReplyIsReturnedWithATerminatingZeroAndTheLibraryReleased) {
  AddPrinter(Scenario(""));
  BYTE flag = 9;
  const int result = query(printer.c_str(), &reply, &flag);
  ASSERT_EQ(result, 18);
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 10), "@BDC ST2\r\n");
  EXPECT_EQ(reply[result], 0);
  EXPECT_EQ(flag, 0);  // no cartridge check in this build
  const std::string journal = Journal();
  EXPECT_EQ(Count(journal, "BQInitialize"), 1u);
  EXPECT_EQ(Count(journal, "BQOpenChannel"), 1u);
  EXPECT_EQ(Count(journal, "BQCloseChannel"), 1u);
  EXPECT_EQ(Count(journal, "BQRelease"), 1u);
  // The ANSI form answers the same.
  release(reply);
  reply = nullptr;
  std::string ansi;
  ASSERT_TRUE(moni::WideToAnsi(printer, ansi));
  EXPECT_EQ(queryAnsi(ansi.c_str(), &reply), 18);
}

TEST_F(Query, ArgumentsAndUnknownPrinters) {
  BYTE* untouched = reinterpret_cast<BYTE*>(0x1234);
  EXPECT_EQ(query(L"", &untouched, nullptr), -50);
  EXPECT_EQ(query(nullptr, &untouched, nullptr), -50);
  EXPECT_EQ(queryAnsi("", &untouched), -50);
  EXPECT_EQ(untouched, reinterpret_cast<BYTE*>(0x1234));
  EXPECT_EQ(query(L"Some printer", nullptr, nullptr), -51);
  EXPECT_EQ(query(L"No such printer here", &reply, nullptr), -52);
  EXPECT_EQ(reply, nullptr);
}

TEST_F(Query, LibraryThatDoesNotLoadOrLacksAnExport) {
  AddPrinter(Scenario(""), L"TALMER VGL3 Sample NoLib");
  EXPECT_EQ(Run(), -53);
  moni::kit::DeletePrinter(printer);
  AddPrinter(Scenario(""), L"TALMER VGL3 Sample Partial");
  EXPECT_EQ(Run(), -54);
}

TEST_F(Query, LibraryResultsArePassedOn) {
  // BQInitialize failing: the library is unloaded without BQRelease.
  ASSERT_TRUE(moni::test::WriteTextFile(folder + L"\\library.ini", "[Library]\nInitialize=-3\n"));
  AddPrinter(Scenario(""));
  EXPECT_EQ(Run(), -3);
  EXPECT_EQ(Count(Journal(), "BQRelease"), 0u);
  DeleteFileW((folder + L"\\library.ini").c_str());

  // The size query answers; the reply itself fails.
  ASSERT_TRUE(moni::kit::WriteScenario(1, printer, Scenario("[Inject]\nBQGetStatus@2=-17\n")));
  EXPECT_EQ(Run(), -17);
  EXPECT_NE(reply, nullptr);  // allocated once the size was known; the caller releases it
  release(reply);
  reply = nullptr;

  ASSERT_TRUE(moni::kit::WriteScenario(1, printer, Scenario("[Inject]\nBQOpenChannel=-8\n")));
  EXPECT_EQ(Run(), -8);
}

TEST_F(Query, PrinterWithoutStatusChannelOrOfAnotherModel) {
  AddPrinter(Scenario("", "0x10000003:0x0003"));
  EXPECT_EQ(Run(), -55);
  ASSERT_TRUE(moni::kit::WriteScenario(1, printer, Scenario("", "0x10000005:0x0007", "MFG:TALMER;MDL:XP-999;")));
  EXPECT_EQ(Run(), -57);
  ASSERT_TRUE(moni::kit::WriteScenario(1, printer, Scenario("", "0x10000005:0x0007", "MFG:TALMER;MDL:smp-100;")));
  EXPECT_EQ(Run(), -57);  // the model's letter case counts
  ASSERT_TRUE(moni::kit::WriteScenario(1, printer, Scenario("", "0x10000005:0x0007", "MFG:TALMER;CLS:PRINTER;")));
  EXPECT_EQ(Run(), -57);  // no model at all
}

TEST_F(Query, FaultsInTheLibrary) {
  AddPrinter(Scenario("[Inject]\nBQGetStatus=seh\n"));
  EXPECT_EQ(Run(), -99);
  release(reply);
  reply = nullptr;
  EXPECT_EQ(Count(Journal(), "BQRelease"), 1u);  // released after the fault
  // A size query that answers a positive number gives no size.
  ASSERT_TRUE(moni::kit::WriteScenario(1, printer, Scenario("[Inject]\nBQGetDeviceID=5\n")));
  EXPECT_EQ(Run(), -4);
}

TEST_F(Query, NameOutsideTheAnsiCodePage) {
  printer += L" \u2603";  // a snowman has no form in the ANSI code page
  AddPrinter(Scenario(""));
  EXPECT_EQ(Run(), -56);
}

TEST_F(Query, NoStatusToGive) {
  AddPrinter("[Printer]\nDeviceID=" + std::string(kDeviceId) + "\nChannels=0x10000005:0x0007\nReply1=-\n");
  EXPECT_EQ(Run(), 0);
}

}  // namespace
