// The status agent's shared-printer switch through the agent-control library
// stand-in, and the spooler-side service program against Wine's service
// manager (under a service name of the test's own).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "comm/status_agent.h"
#include "kit.h"
#include "test_support.h"
#include "ui/prefs/prefs_core.h"
#include "ui/prefs/service_program.h"
#include "window_support.h"

namespace {

using moni::test::WaitFor;

class AgentAndService : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = moni::kit::MakeScenarioFolder(moni::test::TempFolder() + L"agent_" + moni::test::UniqueTestName());
    printer = L"Agent " + moni::test::UniqueTestName();
    ASSERT_TRUE(moni::kit::AddPrinter(printer, moni::kit::kDriver, L"LPT1:"));
  }
  void TearDown() override {
    moni::kit::DeletePrinter(printer);
    moni::kit::RemoveScenarioFolder(folder);
  }
  void SetAgent(const wchar_t* key, const wchar_t* value) {
    WritePrivateProfileStringW(moni::kit::kDriver, key, value, (folder + L"\\sagent.ini").c_str());
  }
  std::string File(const wchar_t* name) const { return moni::test::ReadFileBytes(folder + L"\\" + name); }

  std::wstring folder, printer;
};

TEST_F(AgentAndService, SharedSwitchThroughTheControlLibrary) {
  CStatusAgent agent(moni::kit::kDriver, printer);
  EXPECT_EQ(agent.Type(), 1);
  EXPECT_EQ(agent.ControlLibrary(), L"BQSACTL.DLL");
  EXPECT_TRUE(agent.CanShare());
  EXPECT_EQ(agent.GetShare(), 0);
  EXPECT_TRUE(agent.SetShare(true));
  EXPECT_EQ(agent.GetShare(), 1);

  SetAgent(L"Switch", L"fail");
  EXPECT_FALSE(agent.SetShare(false));
  EXPECT_EQ(agent.GetShare(), 1);
  SetAgent(L"Switch", L"seh");  // a fault in the library is a failed switch
  EXPECT_FALSE(agent.SetShare(false));
  EXPECT_EQ(agent.GetShare(), 1);
  EXPECT_EQ(GetModuleHandleW(L"BQSACTL.DLL"), nullptr);  // unloaded after each use
  SetAgent(L"Possible", L"0");
  EXPECT_FALSE(agent.CanShare());
  EXPECT_NE(File(L"journal.log").find("SetSAgentShare 1 TALMER VGL3 Sample 0\r\n"), std::string::npos);
  EXPECT_NE(File(L"journal.log").find("SetSAgentShare 0 TALMER VGL3 Sample -1\r\n"), std::string::npos);

  // Without a printer the driver's setup data names no library: nothing can be asked.
  CStatusAgent unnamed(moni::kit::kDriver, L"");
  EXPECT_EQ(unnamed.GetShare(), -1);
  EXPECT_FALSE(unnamed.CanShare());
  EXPECT_FALSE(unnamed.SetShare(true));
}

TEST_F(AgentAndService, ServiceProgramInstallRefreshAndRemove) {
  // The stand-in names its service after its file: a copy of the test's own.
  const std::wstring name = L"SRP" + std::to_wstring(GetCurrentProcessId());
  const std::wstring source = folder + L"\\" + name + L".EXE";
  ASSERT_TRUE(CopyFileW((moni::kit::ProgramFolder() + L"V_G00RP1.EXE").c_str(), source.c_str(), FALSE));
  CServiceProgram service(name, source);
  EXPECT_EQ(service.ServiceName(), name);
  EXPECT_NE(service.TargetPath().find(L"\\TALMER\\TLW!3 SSRP\\" + name + L".EXE"), std::wstring::npos) << service.TargetPath();
  EXPECT_EQ(service.Check(), moni::prefs::kServiceNotInstalled);
  EXPECT_EQ(CServiceProgram(name, source + L".missing").Set(true), -2);

  // Installed from a folder with a blank in its path.
  ASSERT_EQ(service.Set(true), 1);
  ASSERT_TRUE(WaitFor([&] { return service.Check() == moni::prefs::kServiceRunning; }, 10000));
  EXPECT_NE(File(L"service.log").find(" /IS " + std::string(name.begin(), name.end()) + " 0"), std::string::npos);

  // Up to date: nothing happens.
  EXPECT_EQ(service.Refresh(50, 20), 0);
  // An older copy: removed, copied and installed again.
  HANDLE target = CreateFileW(service.TargetPath().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(target, INVALID_HANDLE_VALUE);
  FILETIME old = {0x10000000, 0x01000000};
  SetFileTime(target, nullptr, nullptr, &old);
  CloseHandle(target);
  EXPECT_EQ(service.Refresh(50, 100), 1);
  ASSERT_TRUE(WaitFor([&] { return File(L"service.log").rfind(" /IS ") > File(L"service.log").find(" /R "); }, 10000));
  ASSERT_TRUE(WaitFor([&] { return service.Check() == moni::prefs::kServiceRunning; }, 10000));
  const std::string log = File(L"service.log");
  const size_t removed = log.find(" /R ");
  EXPECT_LT(log.find(" /IS "), removed) << log;  // installed, removed, installed again
  EXPECT_GT(log.rfind(" /IS "), removed) << log;

  ASSERT_EQ(service.Set(false), 1);
  EXPECT_TRUE(WaitFor([&] { return service.Check() == moni::prefs::kServiceNotInstalled; }, 10000));
  WaitFor([&] { return DeleteFileW(service.TargetPath().c_str()) != FALSE; }, 5000);
}

}  // namespace
