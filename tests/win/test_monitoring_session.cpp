// The monitoring session exports against the printer simulator: session
// lifecycle, the status channel, status replies and their failures, the
// registry status record, the notification decision, the model check and the
// polling interval. The session state lives in monicore.dll for the whole
// process; every case runs in a process of its own (one ctest test per case)
// with its own printer and scenario folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "api/monicore.h"
#include "api/monitor_session.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/handles.h"
#include "test_support.h"

namespace {

constexpr char kDeviceId[] = "MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;DES:TALMER SMP-100;";
// The sample printer's replies: ready, printing, black ink low (twice), paper
// out, black ink out.
constexpr const char* kLocalReplies[] = {
    "40424443205354320D0A12000101040F0D0303015004025A05035501003C",
    "40424443205354320D0A12000101030F0D0303014604025005034B010028",
    "40424443205354320D0A15000101030F0D0303013C04024605034101000F040113",
    "40424443205354320D0A15000101030F0D0303013204023C050337010005040113",
    "40424443205354320D0A18000101000201040F0D0303013204023C050337010005040113",
    "40424443205354320D0A15000101000201050F0D0303012D040237050332010000",
};
// Ready, with the warning that asks for attention (simple status 13).
constexpr char kAttentionReply[] = "40424443205354320D0A15000101040F0D0303015004025A05035501003C040120";
// A reply the printer gives when it cannot talk to its engine (status 21).
constexpr char kNoReplyReply[] = "40424443205354320D0A0600010100" "0201FF";

constexpr DWORD kLocalChannel = 0x10000005;
constexpr DWORD kNetworkChannel = 0x00000004;
constexpr int kUntouched = 77;

std::vector<BYTE> FromHex(const std::string& hex) {
  std::vector<BYTE> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

size_t Count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

struct Outputs {
  int popup = kUntouched, sound = kUntouched, printing = kUntouched, real = kUntouched, simple = kUntouched;
};

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = moni::kit::MakeScenarioFolder(moni::test::TempFolder() + L"bqsim_" + moni::test::UniqueTestName());
    printer = L"Session " + moni::test::UniqueTestName();
    lib.reset(LoadLibraryW(L"monicore.dll"));
    ASSERT_TRUE(lib.valid());
    start = moni::test::ProcOf<decltype(&PrMonitoringStart)>(lib, "PrMonitoringStart");
    getChannel = moni::test::ProcOf<decltype(&PrGetChannel)>(lib, "PrGetChannel");
    checkModel = moni::test::ProcOf<decltype(&PrCheckModelID)>(lib, "PrCheckModelID");
    getStatus = moni::test::ProcOf<decltype(&PrGetStatus)>(lib, "PrGetStatus");
    end = moni::test::ProcOf<decltype(&PrMonitoringEnd)>(lib, "PrMonitoringEnd");
    timer = moni::test::ProcOf<decltype(&PrGetTimerValue)>(lib, "PrGetTimerValue");
    releaseRegistry = moni::test::ProcOf<decltype(&PrReleaseRegistry)>(lib, "PrReleaseRegistry");
    ASSERT_TRUE(start && getChannel && checkModel && getStatus && end && timer && releaseRegistry);
  }
  void TearDown() override {
    // The session's library references go before the process ends.
    if (end) {
      for (int i = 0; i < 4; ++i) end();
    }
    moni::test::RemoveTargetKeysOf(printer);
    if (added) moni::kit::DeletePrinter(printer);
    moni::kit::RemoveScenarioFolder(folder);
  }

  void AddPrinter(const std::string& scenario) {
    ASSERT_TRUE(moni::kit::AddPrinter(printer, moni::kit::kDriver, port));
    added = true;
    ASSERT_TRUE(moni::kit::WriteScenario(moni::kit::kOpenByPrinter, printer, scenario));
  }
  void Rewrite(const std::string& scenario) {
    ASSERT_TRUE(moni::kit::WriteScenario(moni::kit::kOpenByPrinter, printer, scenario));
  }
  static std::string Scenario(const std::vector<std::string>& replies, const std::string& extra = "",
                              const char* channels = "0x10000005:0x0007,0x10010003:0x0003", const char* deviceId = kDeviceId) {
    std::string text = std::string("[Printer]\nDeviceID=") + deviceId + "\nChannels=" + channels + "\nAdvance=call\nAtEnd=stay\n";
    for (size_t i = 0; i < replies.size(); ++i) text += "Reply" + std::to_string(i + 1) + "=" + replies[i] + "\n";
    return text + extra;
  }
  static std::string LocalScenario(const std::string& extra = "") {
    return Scenario(std::vector<std::string>(std::begin(kLocalReplies), std::end(kLocalReplies)), extra);
  }

  int Start(const wchar_t* model = moni::kit::kModelID, const wchar_t* driver = moni::kit::kDriver, const wchar_t* profile = L"",
            const wchar_t* resource = L"") {
    return start(nullptr, printer.c_str(), driver, port, model, profile, resource, nullptr);
  }
  int Status(Outputs& out, int enableErr = 0) { return getStatus(enableErr, &out.popup, &out.sound, &out.printing, &out.real, &out.simple); }

  std::wstring PrinterKey() const {
    std::wstring path;
    return GetTargetPrnKey(printer, false, path) == 0 ? path : std::wstring();
  }
  DWORD ReadDword(const std::wstring& name, DWORD fallback = 0xDEADBEEF) const {
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, PrinterKey())) return fallback;
    return key.QueryDword(name, fallback);
  }
  std::vector<BYTE> ReadBinary(const std::wstring& name) const {
    CRegistryKey key;
    std::vector<BYTE> data(4096);
    DWORD size = static_cast<DWORD>(data.size()), type = 0;
    if (!key.Open(HKEY_CURRENT_USER, PrinterKey()) ||
        RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS || type != REG_BINARY)
      return {};
    data.resize(size);
    return data;
  }
  void WriteDword(const std::wstring& subKey, const std::wstring& name, DWORD value) {
    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, PrinterKey() + subKey, true, KEY_ALL_ACCESS));
    ASSERT_TRUE(key.SetDword(name, value));
  }
  // Switches the spooler's "work offline" attribute of the test's printer.
  void SetOffline(bool offline) {
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    moni::PrinterHandle handle;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), handle.put(), &access));
    DWORD needed = 0;
    GetPrinterW(handle.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterW(handle.get(), 2, buffer.data(), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    if (offline)
      info->Attributes |= PRINTER_ATTRIBUTE_WORK_OFFLINE;
    else
      info->Attributes &= ~PRINTER_ATTRIBUTE_WORK_OFFLINE;
    info->pSecurityDescriptor = nullptr;
    ASSERT_TRUE(SetPrinterW(handle.get(), 2, buffer.data(), 0));
  }
  std::string Journal() const { return moni::test::ReadFileBytes(folder + L"\\journal.log"); }

  std::wstring folder, printer;
  const wchar_t* port = L"LPT1:";
  bool added = false;
  moni::Module lib;
  decltype(&PrMonitoringStart) start = nullptr;
  decltype(&PrGetChannel) getChannel = nullptr;
  decltype(&PrCheckModelID) checkModel = nullptr;
  decltype(&PrGetStatus) getStatus = nullptr;
  decltype(&PrMonitoringEnd) end = nullptr;
  decltype(&PrGetTimerValue) timer = nullptr;
  decltype(&PrReleaseRegistry) releaseRegistry = nullptr;
};

TEST_F(Session, WithoutASessionNothingIsAskedAndOutputsStayUntouched) {
  AddPrinter(LocalScenario());
  Outputs out;
  EXPECT_EQ(Status(out), 1);
  EXPECT_EQ(out.popup, kUntouched);
  EXPECT_EQ(out.sound, kUntouched);
  EXPECT_EQ(out.real, kUntouched);
  EXPECT_EQ(out.simple, kUntouched);
  DWORD channel = 5;
  EXPECT_EQ(getChannel(&channel), 1);
  EXPECT_EQ(channel, 0u);
  EXPECT_EQ(getChannel(nullptr), 1);
  EXPECT_EQ(checkModel(), 0);
  int network = kUntouched;
  EXPECT_EQ(timer(0, &network), -1);
  EXPECT_EQ(network, kUntouched);
  EXPECT_EQ(Count(Journal(), "BQGetStatus"), 0u);
}

TEST_F(Session, RepliesAreDecodedRecordedAndNotified) {
  AddPrinter(LocalScenario());
  ASSERT_EQ(Start(), 0);
  DWORD channel = 0;
  ASSERT_EQ(getChannel(&channel), 0);
  EXPECT_EQ(channel, kLocalChannel);
  WriteDword(L"", L"SoundNotifyEnable", 1);
  WriteDword(L"\\Notify", L"009", 1);
  WriteDword(L"\\Notify", L"012", 0);
  CRegistryKey notify;
  ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, PrinterKey() + L"\\Notify", false, KEY_ALL_ACCESS));
  RegDeleteValueW(notify.Get(), L"001");  // the profile's default for notification 1

  Outputs out;
  ASSERT_EQ(Status(out), 1);  // ready
  EXPECT_EQ(out.real, 1);
  EXPECT_EQ(out.simple, 1);
  EXPECT_EQ(out.popup, 0);  // no "Notify" value for notification 1
  EXPECT_EQ(out.sound, 0);
  EXPECT_EQ(ReadBinary(L"Status"), FromHex(kLocalReplies[0]));
  EXPECT_EQ(ReadDword(L"Channel"), kLocalChannel);
  EXPECT_EQ(ReadDword(L"ComStatus"), 1u);

  ASSERT_EQ(Status(out), 1);  // printing
  EXPECT_EQ(out.real, 11);
  EXPECT_EQ(ReadBinary(L"Status"), FromHex(kLocalReplies[1]));

  ASSERT_EQ(Status(out), 1);  // ink low: notification 9 is switched on, with sound
  EXPECT_EQ(out.real, 20);
  EXPECT_EQ(out.simple, 9);
  EXPECT_EQ(out.popup, 1);
  EXPECT_EQ(out.sound, 1);

  WriteDword(L"", L"SoundNotifyEnable", 0);
  ASSERT_EQ(Status(out), 1);  // ink low again: a popup without sound
  EXPECT_EQ(out.popup, 1);
  EXPECT_EQ(out.sound, 0);

  WriteDword(L"", L"SoundNotifyEnable", 1);
  ASSERT_EQ(Status(out), 1);  // paper out: notification 12 is switched off, so no sound either
  EXPECT_EQ(out.real, 6);
  EXPECT_EQ(out.simple, 5);
  EXPECT_EQ(out.popup, 0);
  EXPECT_EQ(out.sound, 0);

  EXPECT_EQ(end(), 0);
  const std::string journal = Journal();
  EXPECT_EQ(Count(journal, "BQOpenChannel"), 1u);
  EXPECT_EQ(Count(journal, "BQCloseChannel"), 1u);
  EXPECT_EQ(Count(journal, "BQGetStatus"), 10u);  // a size query and a read per reply
  EXPECT_EQ(Status(out), 1);  // the session is over
  EXPECT_EQ(Count(Journal(), "BQGetStatus"), 10u);
}

TEST_F(Session, RepeatedAttentionIsNotifiedOnce) {
  AddPrinter(Scenario({kAttentionReply, kAttentionReply, kLocalReplies[0], kAttentionReply}));
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(getChannel(nullptr), 0);
  WriteDword(L"", L"SoundNotifyEnable", 1);
  WriteDword(L"\\Notify", L"501", 1);
  Outputs out;
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.real, 32);
  EXPECT_EQ(out.simple, 13);
  EXPECT_EQ(out.popup, 1);
  EXPECT_EQ(out.sound, 1);
  ASSERT_EQ(Status(out), 1);  // the same status again: no second notification
  EXPECT_EQ(out.real, 32);
  EXPECT_EQ(out.simple, 13);
  EXPECT_EQ(out.popup, 0);
  EXPECT_EQ(out.sound, 0);
  ASSERT_EQ(Status(out), 1);  // ready in between
  EXPECT_EQ(out.real, 1);
  ASSERT_EQ(Status(out), 1);  // the attention comes back: notified again
  EXPECT_EQ(out.real, 32);
  EXPECT_EQ(out.popup, 1);
  EXPECT_EQ(out.sound, 1);
}

// Without a channel the error status is looked up for no channel kind: every
// one of them shows as the table's last row (simple status 11); which one was
// chosen shows in what is recorded as "ComStatus".
TEST_F(Session, BeforeTheChannelErrorStatusesAreGiven) {
  AddPrinter(LocalScenario());
  ASSERT_EQ(Start(), 0);
  Outputs out;
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, 11);
  EXPECT_EQ(out.popup, 1);  // the sample model notifies communication errors (item 011)
  EXPECT_EQ(ReadDword(L"ComStatus"), 0xDEADBEEFu);  // nothing recorded without a channel
  out = Outputs{};
  ASSERT_EQ(Status(out, 1), 1);
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, 11);
  EXPECT_EQ(ReadDword(L"ComStatus"), 0xDEADBEEFu);
  EXPECT_EQ(Count(Journal(), "BQGetStatus"), 0u);
}

TEST_F(Session, OfflinePrinterGivesStatus59) {
  AddPrinter(Scenario({kNoReplyReply}));
  ASSERT_EQ(Start(), 0);
  SetOffline(true);
  Outputs out;
  ASSERT_EQ(Status(out), 1);  // no channel yet
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, 11);
  EXPECT_EQ(ReadDword(L"ComStatus"), 5u);
  // A recorded 3 (status 16) comes before the spooler is asked.
  WriteDword(L"", L"ComStatus", 3);
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(ReadDword(L"ComStatus"), 3u);

  ASSERT_EQ(getChannel(nullptr), 0);
  ASSERT_EQ(Status(out, 1), 1);  // the channel answers a communication error
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, 12);  // status 59
  EXPECT_EQ(ReadDword(L"ComStatus"), 5u);
  SetOffline(false);
  ASSERT_EQ(Status(out, 1), 1);
  EXPECT_EQ(out.simple, 14);  // status 22
  EXPECT_EQ(ReadDword(L"ComStatus"), 4u);
}

TEST_F(Session, CommunicationErrorRepliesAndLibraryFaults) {
  AddPrinter(Scenario({kNoReplyReply}));
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(getChannel(nullptr), 0);
  Outputs out;
  // A reply that decodes to status 21 is a failure, not a status.
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, 11);
  EXPECT_EQ(ReadDword(L"ComStatus"), 0u);
  EXPECT_TRUE(ReadBinary(L"Status").empty());
  ASSERT_EQ(Status(out, 1), 1);
  EXPECT_EQ(out.simple, 14);
  EXPECT_EQ(ReadDword(L"ComStatus"), 4u);

  // A structured exception in the library: the failure path.
  Rewrite(Scenario({kLocalReplies[0]}, "[Inject]\nBQGetStatus=seh\n"));
  out = Outputs{};
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, 11);
  EXPECT_EQ(ReadDword(L"ComStatus"), 0u);

  // Busy, at the size query or at the read: -1 with nothing set but the zeros.
  Rewrite(Scenario({kLocalReplies[0]}, "[Inject]\nBQGetStatus=-17\n"));
  out = Outputs{};
  EXPECT_EQ(Status(out), -1);
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.popup, 0);
  EXPECT_EQ(out.simple, kUntouched);
  Rewrite(Scenario({kLocalReplies[0]}, "[Inject]\nBQGetStatus@2=-17\n"));
  EXPECT_EQ(Status(out), -1);
  // A read that fails otherwise: the failure path.
  Rewrite(Scenario({kLocalReplies[0]}, "[Inject]\nBQGetStatus@2=-8\n"));
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.simple, 11);

  // The printer recovers.
  Rewrite(Scenario({kLocalReplies[0]}));
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.real, 1);
  EXPECT_EQ(ReadDword(L"ComStatus"), 1u);
}

TEST_F(Session, NoStatusLeavesTheSimpleStatus) {
  AddPrinter(Scenario({"-"}));
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(getChannel(nullptr), 0);
  Outputs out;
  EXPECT_EQ(Status(out), 0);
  EXPECT_EQ(out.popup, 0);
  EXPECT_EQ(out.sound, 0);
  EXPECT_EQ(out.real, 0);
  EXPECT_EQ(out.simple, kUntouched);
  EXPECT_EQ(ReadDword(L"ComStatus"), 0xDEADBEEFu);
}

TEST_F(Session, LibraryThatDoesNotInitialise) {
  ASSERT_TRUE(moni::test::WriteTextFile(folder + L"\\library.ini", "[Library]\nInitialize=-3\n"));
  AddPrinter(LocalScenario());
  EXPECT_EQ(Start(), 1);
  Outputs out;
  EXPECT_EQ(Status(out), 1);
  EXPECT_EQ(out.simple, kUntouched);
  EXPECT_EQ(out.real, kUntouched);
  DWORD channel = 5;
  EXPECT_EQ(getChannel(&channel), 1);
  EXPECT_EQ(channel, 0u);
  EXPECT_EQ(end(), 1);
  EXPECT_EQ(GetModuleHandleW(L"BQAPI.DLL"), nullptr);
  EXPECT_EQ(Count(Journal(), "BQRelease"), 0u);
}

TEST_F(Session, ChannelSelectionAndSessionReferences) {
  // No channel with the status mode bit.
  AddPrinter(Scenario({kLocalReplies[0]}, "", "0x10000005:0x0003,0x10010003:0x0003"));
  ASSERT_EQ(Start(), 0);
  DWORD channel = 5;
  EXPECT_EQ(getChannel(&channel), 1);
  EXPECT_EQ(channel, 0u);
  EXPECT_EQ(end(), 0);
  // The library (and its channel list) went with the last reference.
  EXPECT_EQ(GetModuleHandleW(L"BQAPI.DLL"), nullptr);

  // The first candidate the printer offers with the status bit; the number is
  // given even when the channel does not open.
  Rewrite(Scenario({kLocalReplies[0]}, "[Inject]\nBQOpenChannel@1=-8\n", "0x10000003:0x0007,0x10010003:0x0007"));
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Start(), 0);  // a second reference on the same session
  EXPECT_EQ(getChannel(&channel), 1);
  EXPECT_EQ(channel, 0x10010003u);
  EXPECT_EQ(getChannel(&channel), 0);
  EXPECT_EQ(getChannel(&channel), 0);  // the first channel is closed, not dropped
  EXPECT_EQ(Count(Journal(), "BQCloseChannel"), 1u);
  Outputs out;
  ASSERT_EQ(Status(out), 1);
  EXPECT_EQ(out.real, 1);

  EXPECT_EQ(end(), 0);  // ends the session, one reference stays
  EXPECT_NE(GetModuleHandleW(L"BQAPI.DLL"), nullptr);
  EXPECT_EQ(Count(Journal(), "BQCloseChannel"), 2u);
  out = Outputs{};
  EXPECT_EQ(Status(out), 1);
  EXPECT_EQ(out.simple, kUntouched);
  EXPECT_EQ(end(), 0);
  EXPECT_EQ(GetModuleHandleW(L"BQAPI.DLL"), nullptr);
}

// The device identifier is cached for the process: one identifier per case.
TEST_F(Session, ModelCheckIgnoresLetterCase) {
  AddPrinter(Scenario({kLocalReplies[0]}, "", "0x10000005:0x0007", "MFG:TALMER;MDL:ab12;CLS:PRINTER;"));
  ASSERT_EQ(Start(L"AB12"), 0);
  EXPECT_EQ(checkModel(), 1);
  ASSERT_EQ(Start(L"AB13"), 0);
  EXPECT_EQ(checkModel(), 2);
}

TEST_F(Session, ModelCheckWithoutAModel) {
  AddPrinter(Scenario({kLocalReplies[0]}, "", "0x10000005:0x0007", "MFG:TALMER;CMD:ESCPL2,BDC;CLS:PRINTER;"));
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(checkModel(), 0);
}

TEST_F(Session, ModelCheckWithAnUnendedModel) {
  AddPrinter(Scenario({kLocalReplies[0]}, "", "0x10000005:0x0007", "MFG:TALMER;MDL:SMP-100"));
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(checkModel(), 0);
}

TEST_F(Session, TimerOfALocalPrinter) {
  AddPrinter(LocalScenario());
  int network = kUntouched;
  EXPECT_EQ(timer(0, &network), -1);  // no session
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(timer(0, &network), 5);
  EXPECT_EQ(network, 0);
  EXPECT_EQ(timer(0x02000001, &network), -1);  // a channel the printer does not offer
  ASSERT_EQ(getChannel(nullptr), 0);
  EXPECT_EQ(timer(0, nullptr), 5);
}

TEST_F(Session, TimerOfANetworkPrinterLearnsTheMode) {
  AddPrinter(Scenario({kLocalReplies[0]}, "", "0x00000004:0x8007"));
  ASSERT_EQ(Start(), 0);
  int network = kUntouched;
  EXPECT_EQ(timer(0, &network), 5);  // the mode is not known yet
  EXPECT_EQ(network, 0);
  EXPECT_EQ(timer(kNetworkChannel, &network), 30);
  EXPECT_EQ(network, 1);
  DWORD channel = 0;
  ASSERT_EQ(getChannel(&channel), 0);
  EXPECT_EQ(channel, kNetworkChannel);
  EXPECT_EQ(timer(0, &network), 30);  // the session's channel mode
  EXPECT_EQ(network, 1);
}

TEST_F(Session, TimerFromTheResourceWhenTheDriverNamesNone) {
  AddPrinter(Scenario({kLocalReplies[0]}, "", "0x00000004:0x8007,0x10000005:0x0007"));
  // The printer information of the real driver first; the session then names
  // a driver whose setup data has no monitoring intervals.
  ASSERT_EQ(releaseRegistry(printer.c_str(), moni::kit::kDriver, port, moni::kit::kModelID), 0);
  const std::wstring folder = moni::kit::InstalledDriverFolder(moni::kit::kDriver);
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(Start(moni::kit::kModelID, L"TALMER VGL3 Sample Unlisted", (folder + L"TLSMP100.DAT").c_str(),
                  (folder + L"V_SMPRES.DLL").c_str()),
            0);
  int network = kUntouched;
  EXPECT_EQ(timer(kNetworkChannel, &network), 30);  // the resource's 10, tripled for the network
  EXPECT_EQ(network, 1);
  EXPECT_EQ(timer(kLocalChannel, &network), 10);
  EXPECT_EQ(network, 0);
  EXPECT_EQ(timer(0, &network), 10);
}

TEST(TimerString, FirstNumberOfSecondsAboveZero) {
  using moni::session::ParseTimerString;
  EXPECT_EQ(ParseTimerString(L"30,60"), 30);
  EXPECT_EQ(ParseTimerString(L"5"), 5);
  EXPECT_EQ(ParseTimerString(L" 7,x"), 7);
  EXPECT_EQ(ParseTimerString(L"0"), -1);
  EXPECT_EQ(ParseTimerString(L"0,60"), -1);
  EXPECT_EQ(ParseTimerString(L""), -1);
  EXPECT_EQ(ParseTimerString(L"abc"), -1);
  EXPECT_EQ(ParseTimerString(L"-5"), -1);
  EXPECT_EQ(ParseTimerString(L"99999999999"), -1);
}

}  // namespace
