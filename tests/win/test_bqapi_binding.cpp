// The communication library binding against the printer simulator: one
// library per process shared by counted handles, channel selection by mode
// bits, the caches, and what faults in the library come to. Each test makes
// its own printer and its own scenario folder; every case runs in a process
// of its own (one ctest test per case), so the process-wide instance starts
// unloaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "comm/bqapi_binding.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "kit.h"
#include "platform/handles.h"
#include "test_support.h"

namespace {

constexpr char kDeviceId[] = "MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;";
constexpr char kReplyHex[] = "40424443205354320D0A0600010203040506";

template <typename S>
size_t Count(const S& text, const S& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != S::npos; at = text.find(word, at + 1)) ++n;
  return n;
}
size_t Count(const std::string& text, const char* word) { return Count(text, std::string(word)); }
size_t Count(const std::wstring& text, const wchar_t* word) { return Count(text, std::wstring(word)); }

// Two threads meet here before each goes on.
class Rendezvous {
 public:
  void Meet() {
    const unsigned generation = m_generation.load();
    if (m_arrived.fetch_add(1) == 1) {
      m_arrived = 0;
      ++m_generation;
      return;
    }
    while (m_generation.load() == generation) SwitchToThread();
  }

 private:
  std::atomic<unsigned> m_arrived{0}, m_generation{0};
};

class Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = moni::kit::MakeScenarioFolder(moni::test::TempFolder() + L"bqsim_" + moni::test::UniqueTestName());
    printer = L"Binding " + moni::test::UniqueTestName();
    CDebugLog::SetSettingsForTest(true, log.path());
  }
  void TearDown() override {
    CDebugLog::SetSettingsForTest(false, L"");
    if (added) moni::kit::DeletePrinter(printer);
    moni::kit::RemoveScenarioFolder(folder);
  }

  // The test's printer with the driver and scenario; the printer profile
  // names it, as the exports fill it before they use the binding.
  void AddPrinter(const std::string& scenario, const wchar_t* driver = moni::kit::kDriver) {
    ASSERT_TRUE(moni::kit::AddPrinter(printer, driver, L"LPT1:"));
    added = true;
    ASSERT_TRUE(moni::kit::WriteScenario(bqapi::kOpenByPrinter, printer, scenario));
    CBaseInfo& info = CBaseInfo::Instance();
    info.PrinterName = printer;
    info.DriverName = driver;
    info.PortName = L"LPT1:";
    info.ModelID = moni::kit::kModelID;
  }
  static std::string Scenario(const std::string& extra = "", const char* channels = "0x10000005:0x0007,0x10010003:0x0003") {
    return std::string("[Printer]\nDeviceID=") + kDeviceId + "\nChannels=" + channels + "\nAdvance=call\nReply1=" + kReplyHex +
           "\n" + extra;
  }
  void LibraryIni(const std::string& text) { ASSERT_TRUE(moni::test::WriteTextFile(folder + L"\\library.ini", text)); }
  std::string Journal() const { return moni::test::ReadFileBytes(folder + L"\\journal.log"); }
  // The debug log as text (UTF-16LE on disk).
  std::wstring Log() const {
    const std::string bytes = moni::test::ReadFileBytes(log.path());
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  }
  static bool Loaded(const wchar_t* module = L"BQAPI.DLL") { return GetModuleHandleW(module) != nullptr; }

  std::wstring folder, printer;
  moni::test::TempFile log{L"moni_bind_"};
  bool added = false;
};

TEST_F(Binding, HandlesShareOneLibraryReleasedOnceAfterTheLast) {
  AddPrinter(Scenario());
  ASSERT_FALSE(Loaded());
  {
    CBqApi first;
    ASSERT_TRUE(first.IsEnabled());
    {
      CBqApi second;
      EXPECT_TRUE(second.IsEnabled());
      EXPECT_EQ(CBqApiBase::Instance().ReferenceCount(), 2);
    }
    EXPECT_TRUE(Loaded());  // the first handle still holds it
    EXPECT_EQ(Count(Journal(), " BQRelease "), 0u);
  }
  EXPECT_FALSE(Loaded());
  EXPECT_EQ(CBqApiBase::Instance().ReferenceCount(), 0);
  std::string journal = Journal();
  EXPECT_EQ(Count(journal, " BQInitialize "), 1u);
  EXPECT_EQ(Count(journal, " BQRelease "), 1u);

  // A library that refuses to be released is unloaded all the same; loaded
  // again it is bound and initialised afresh, not called through the exports
  // of the module that went away.
  LibraryIni("[Library]\nRelease=-3\n");
  { CBqApi once; }
  EXPECT_FALSE(Loaded());
  {
    CBqApi again;
    EXPECT_TRUE(again.IsEnabled());
    std::uint32_t size = 0;
    EXPECT_EQ(again.BQGetStatus(12345, nullptr, &size), -5);  // reaches the library: an unknown handle
  }
  journal = Journal();
  EXPECT_EQ(Count(journal, " BQInitialize "), 3u);
  EXPECT_EQ(Count(journal, " BQRelease "), 3u);
}

TEST_F(Binding, LibraryThatFailsToInitialiseStaysLoadedAndUntouched) {
  AddPrinter(Scenario());
  LibraryIni("[Library]\nInitialize=1\n");
  {
    CBqApi first;
    EXPECT_FALSE(first.IsEnabled());
    EXPECT_TRUE(Loaded());
    EXPECT_EQ(CBqApiBase::Instance().InitializeResult(), 1);
    CBqApiChannel channel(bqapi::kOpenByPrinter, printer.c_str(), 0x10000005, 4);  // initialises no second time
    EXPECT_FALSE(channel.IsEnabled());
    EXPECT_FALSE(channel.IsSelected());
    EXPECT_EQ(channel.OpenChannel(), 0);
    std::uint32_t size = 0;
    EXPECT_EQ(channel.BQGetStatus(1, nullptr, &size), bqapi::kNotLoaded);
    EXPECT_EQ(channel.BQCloseChannel(1), bqapi::kNotLoaded);
    EXPECT_EQ(channel.BQSend(1, nullptr, 0), bqapi::kNotLoaded);
    EXPECT_EQ(channel.BQReceive(1, nullptr, &size, 0), bqapi::kNotLoaded);
    EXPECT_EQ(channel.GetDeviceID(bqapi::kOpenByPrinter, printer.c_str()), L"");
    EXPECT_EQ(CBqApiBase::Instance().BQOpenChannel(bqapi::kOpenByPrinter, printer.c_str(), 0x10000005), -1);
  }
  EXPECT_FALSE(Loaded());
  const std::string journal = Journal();
  EXPECT_EQ(Count(journal, " BQInitialize "), 1u);
  EXPECT_EQ(Count(journal, "\n"), 1u) << journal;  // nothing but BQInitialize, not even BQRelease
}

TEST_F(Binding, LibraryNamedByTheDriverIsLoadedFromItsFolder) {
  // The "Partial" driver names BQAPINX.DLL, which lacks BQGetStatus: loaded
  // from the driver's folder, never initialised.
  AddPrinter(Scenario(), moni::kit::kDriverPartial);
  {
    CBqApi api;
    EXPECT_FALSE(api.IsEnabled());
    const HMODULE partial = GetModuleHandleW(L"BQAPINX.DLL");
    ASSERT_NE(partial, nullptr);
    EXPECT_FALSE(Loaded(L"BQAPI.DLL"));
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(partial, path, MAX_PATH);
    const std::wstring expected = moni::kit::InstalledDriverFolder(moni::kit::kDriverPartial) + L"BQAPINX.DLL";
    EXPECT_EQ(CompareStringOrdinal(path, -1, expected.c_str(), -1, TRUE), CSTR_EQUAL) << path;
  }
  EXPECT_FALSE(Loaded(L"BQAPINX.DLL"));
  EXPECT_EQ(Journal(), "");
}

TEST_F(Binding, ChannelIsSelectedOnlyWithAllItsModeBitsAndOpened) {
  AddPrinter(Scenario());
  CBqApi session;  // keeps the library, and with it the channel list, loaded throughout
  {
    CBqApiChannel byConstructor(bqapi::kOpenByPrinter, printer.c_str(), 0x10000005, 8);
    EXPECT_FALSE(byConstructor.IsSelected());
    EXPECT_EQ(byConstructor.OpenChannel(), 0);
  }
  CBqApiChannel channel(bqapi::kOpenByPrinter, printer.c_str());
  ASSERT_TRUE(channel.IsEnabled());
  EXPECT_EQ(channel.SelectChannel(0x10000005, 8), 0);
  EXPECT_EQ(channel.Selected().channel, 0u);
  EXPECT_EQ(channel.SelectChannel(0x10000005, 0x000C), 0);  // one bit of two is not enough
  EXPECT_EQ(channel.SelectChannel(0x10000003, 0), 0);       // not offered
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), 1);
  EXPECT_EQ(channel.Selected().channel, 0x10000005u);
  EXPECT_EQ(channel.Selected().mode, 0x0007);

  const int handle = channel.OpenChannel();
  ASSERT_GT(handle, 0);
  EXPECT_EQ(channel.Handle(), handle);
  EXPECT_EQ(channel.SelectChannel(0x10010003, 1), -1);  // not while a channel is open
  std::uint32_t size = 0;
  ASSERT_EQ(channel.BQGetStatus(handle, nullptr, &size), bqapi::kNeedBuffer);
  std::string reply(size + 1, '\0');
  EXPECT_EQ(channel.BQGetStatus(handle, reinterpret_cast<unsigned char*>(reply.data()), &size), 18);
  EXPECT_EQ(reply.substr(0, 10), "@BDC ST2\r\n");
  EXPECT_EQ(channel.CloseChannel(), 0);
  EXPECT_EQ(channel.Handle(), -1);
  EXPECT_EQ(channel.CloseChannel(), bqapi::kNoChannel);

  {
    // Another owner opens a channel and leaves the closing to its destructor;
    // the list read above serves it.
    CBqApiChannel other(bqapi::kOpenByPrinter, printer.c_str(), 0x10010003, 3);
    ASSERT_TRUE(other.IsSelected());
    EXPECT_GT(other.OpenChannel(), 0);
  }
  const std::string journal = Journal();
  EXPECT_EQ(Count(journal, " BQGetAvailableChannel "), 2u);  // the list is read once (size, then entries) for all owners
  EXPECT_EQ(Count(journal, " BQOpenChannel "), 2u);
  EXPECT_EQ(Count(journal, " BQCloseChannel "), 2u);
  EXPECT_NE(Log().find(L"m_hChannel : "), std::wstring::npos);
}

TEST_F(Binding, ChannelListIsNotReadPastTheBuffer) {
  // The call with the buffer claims far more channels than the two it has room for.
  AddPrinter(Scenario("[Inject]\nBQGetAvailableChannel@2=100000000\n"));
  CBqApi api;
  ASSERT_TRUE(api.IsEnabled());
  CBqApiBase& base = CBqApiBase::Instance();
  EXPECT_EQ(base.BQGetAvailableChannel(bqapi::kOpenByPrinter, printer.c_str()), 2);
  EXPECT_EQ(base.ChannelList().size(), 2u);
  EXPECT_EQ(base.ChannelCount(), 2);

}

TEST_F(Binding, ChannelListThatCannotBeReadFailsTheSelection) {
  AddPrinter(Scenario("[Inject]\nBQGetAvailableChannel@1=-17\nBQGetAvailableChannel@3=0\n"));
  CBqApiChannel channel(bqapi::kOpenByPrinter, printer.c_str());
  ASSERT_TRUE(channel.IsEnabled());
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), -1);  // the size query fails
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), -1);  // the entries call answers no channel
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), 1);   // the library answers again
  EXPECT_EQ(Count(Log(), L"failed BQGetAvailableChannel()\n"), 2u);
}

TEST_F(Binding, DeviceIdIsAskedOnceForTheWholeProcess) {
  AddPrinter(Scenario());
  {
    CBqApi api;
    EXPECT_EQ(api.GetDeviceID(bqapi::kOpenByPrinter, nullptr), L"");
    const std::wstring id = api.GetDeviceID(bqapi::kOpenByPrinter, printer.c_str());
    EXPECT_EQ(id, L"MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;");
    EXPECT_EQ(api.GetDeviceID(bqapi::kOpenByPrinter, L"Some other printer"), id);
  }
  {
    CBqApi later;  // loaded again: the identifier is still known
    EXPECT_EQ(later.GetDeviceID(bqapi::kOpenByPort, L"LPT9:"), L"MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;");
  }
  EXPECT_EQ(Count(Journal(), " BQGetDeviceID "), 2u);  // size, then text: once
}

TEST_F(Binding, FaultsInTheLibraryCountAsMinus99) {
  AddPrinter(Scenario("[Inject]\nBQGetStatus=seh\nBQOpenChannel@1=seh\nBQGetDeviceID@2=seh\n"));
  CBqApiChannel channel(bqapi::kOpenByPrinter, printer.c_str(), 0x10000005, 4);
  ASSERT_TRUE(channel.IsSelected());
  EXPECT_EQ(channel.OpenChannel(), bqapi::kException);
  EXPECT_EQ(channel.Handle(), -1);  // nothing to close
  const int handle = channel.OpenChannel();
  ASSERT_GT(handle, 0);
  std::uint32_t size = 0;
  EXPECT_EQ(channel.BQGetStatus(handle, nullptr, &size), bqapi::kException);
  // A device identifier whose reading raised is not kept.
  EXPECT_EQ(channel.GetDeviceID(bqapi::kOpenByPrinter, printer.c_str()), L"");
  EXPECT_EQ(channel.GetDeviceID(bqapi::kOpenByPrinter, printer.c_str()), L"MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;");
  const std::wstring text = Log();
  EXPECT_NE(text.find(L"Exception Error : BQGetStatus\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"Exception Error : BQOpenChannel\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"Exception Error : BQGetDeviceID\n"), std::wstring::npos);
}

TEST_F(Binding, NameOutsideTheCodePageIsNotHandedOn) {
  AddPrinter(Scenario());
  const std::wstring name = L"Binding \x4E2D\x6587";  // letters the Western code page lacks
  CBqApiChannel channel(bqapi::kOpenByPrinter, name.c_str(), 0x10000005, 4);
  ASSERT_TRUE(channel.IsEnabled());
  EXPECT_FALSE(channel.IsSelected());
  EXPECT_EQ(channel.SelectChannel(0x10000005, 4), -1);
  CBqApiBase& base = CBqApiBase::Instance();
  EXPECT_EQ(base.BQOpenChannel(bqapi::kOpenByPrinter, name.c_str(), 0x10000005), -1);
  EXPECT_EQ(base.BQGetDeviceID(bqapi::kOpenByPrinter, name.c_str()), std::wstring(1, L'\xFFFF'));
  EXPECT_NE(Log().find(L"PrinterName Convert Error : "), std::wstring::npos);
  EXPECT_EQ(Count(Journal(), "\n"), 1u);  // BQInitialize only
}

// Handles taken and given back on two threads: in every round one thread
// gives back the last handle while the other takes a new one at the same
// moment. The unload and the load never interleave, so once both are done the
// new handle finds the library enabled and reaches it through exports that
// are still there (an unknown handle gets the library's own -5, not -99 from
// a call into a module that went).
TEST_F(Binding, HandlesOnTwoThreadsNeverCallALibraryThatWent) {
  AddPrinter(Scenario());
  CDebugLog::SetSettingsForTest(false, L"");
  constexpr int kRounds = 60;
  std::unique_ptr<CBqApi> held[2] = {std::make_unique<CBqApi>(), nullptr};
  Rendezvous together;
  std::atomic<int> wrong{0};
  auto work = [&](int me) {
    for (int round = 0; round < kRounds; ++round) {
      together.Meet();
      const bool giving = round % 2 == me;
      if (giving)
        held[me].reset();
      else
        held[me] = std::make_unique<CBqApi>();
      together.Meet();  // the other thread's step is over
      std::uint32_t size = 0;
      if (!giving && (!held[me]->IsEnabled() || held[me]->BQGetStatus(12345, nullptr, &size) != -5)) ++wrong;
    }
  };
  std::thread first(work, 0), second(work, 1);
  first.join();
  second.join();
  EXPECT_EQ(wrong.load(), 0);
  held[0].reset();
  held[1].reset();
  EXPECT_FALSE(Loaded());
  EXPECT_EQ(CBqApiBase::Instance().ReferenceCount(), 0);
  const std::string journal = Journal();
  EXPECT_EQ(Count(journal, " BQInitialize "), Count(journal, " BQRelease "));
}

// A status or command thread selects and opens while its owner reads the
// channel's state: every snapshot is one the channel was in.
TEST_F(Binding, ChannelStateReadOnAnotherThreadIsAlwaysWhole) {
  AddPrinter(Scenario());  // 0x10000005 with mode 7, 0x10010003 with mode 3
  CDebugLog::SetSettingsForTest(false, L"");
  CBqApi session;
  CBqApiChannel channel(bqapi::kOpenByPrinter, printer.c_str());
  std::atomic<bool> done{false};
  std::thread selector([&] {
    for (int round = 0; round < 300; ++round) {
      channel.SelectChannel(0x10000005, 4);
      channel.OpenChannel();
      channel.CloseChannel();
      channel.SelectChannel(0x10000005, 8);  // not with that mode: nothing selected
      channel.SelectChannel(0x10010003, 1);
    }
    done = true;
  });
  size_t reads = 0, torn = 0;
  while (!done.load()) {
    const CBqApiChannel::State state = channel.GetState();
    const bool status = state.selected && state.entry.channel == 0x10000005 && state.entry.mode == 7;
    const bool command = state.selected && state.entry.channel == 0x10010003 && state.entry.mode == 3;
    const bool none = !state.selected && state.entry.channel == 0 && state.entry.mode == 0;
    if (!(status || command || none) || (state.handle >= 0 && !status)) ++torn;
    ++reads;
  }
  selector.join();
  EXPECT_EQ(torn, 0u) << "of " << reads;
  EXPECT_EQ(Count(Journal(), " BQOpenChannel "), 300u);
}

}  // namespace
