// What the tests of the status and command threads and of the network path
// share: a printer of the test's own with its simulator scenario, in a
// scenario folder of its own, and the simulator's journal of calls.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "comm/bqapi.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "test_support.h"

namespace moni::test {

constexpr char kSampleDeviceId[] = "MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;";
// A ready printer's status reply.
constexpr char kReadyReplyHex[] = "40424443205354320D0A12000101040F0D0303015004025A05035501003C";

class CommTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::MakeScenarioFolder(TempFolder() + L"bqsim_" + UniqueTestName());
    printer = L"Comm " + UniqueTestName();
  }
  void TearDown() override {
    RemoveTargetKeysOf(printer);
    if (added) kit::DeletePrinter(printer);
    kit::RemoveScenarioFolder(folder);
  }

  static std::string Scenario(const char* channels, const std::string& extra = "", const char* deviceId = kSampleDeviceId) {
    return std::string("[Printer]\nDeviceID=") + deviceId + "\nChannels=" + channels + "\nAdvance=call\nAtEnd=stay\nReply1=" +
           kReadyReplyHex + "\n" + extra;
  }
  void WriteScenario(const std::string& text) { ASSERT_TRUE(kit::WriteScenario(bqapi::kOpenByPrinter, printer, text)); }

  // A spooler printer of this name, so that its printer key is kept, and the
  // key made at once.
  void AddSpoolerPrinter() {
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, L"LPT1:"));
    added = true;
    bool byPort = false;
    std::wstring path;
    GetOrCreateTargetPrnKey(printer, L"LPT1:", kit::kModelID, byPort, path, nullptr);
    ASSERT_FALSE(PrinterKey().empty());
  }
  std::wstring PrinterKey() const {
    std::wstring path;
    return GetTargetPrnKey(printer, false, path) == 0 ? path : std::wstring();
  }

  std::string Journal() const { return ReadFileBytes(folder + L"\\journal.log"); }
  // Calls of the export in the journal ("BQSend", ...).
  size_t Calls(const std::string& exportName) const {
    const std::string journal = Journal(), word = " " + exportName + " ";
    size_t n = 0;
    for (size_t at = journal.find(word); at != std::string::npos; at = journal.find(word, at + 1)) ++n;
    return n;
  }

  std::wstring folder, printer;
  bool added = false;
};

}  // namespace moni::test
