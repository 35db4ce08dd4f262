// The generation of the communication library a driver uses, and whether its
// status agent allows monitoring. The agent rules read shared machine keys
// (HKLM\Software\TALMER\BQPrinter*): those cases run alone (CMakeLists.txt)
// and remove the keys before and after.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "comm/check_bid.h"
#include "kit.h"
#include "platform/handles.h"
#include "test_support.h"

namespace {

constexpr wchar_t kAgent1[] = L"Software\\TALMER\\BQPrinter\\SAgent";
constexpr wchar_t kAgent2[] = L"Software\\TALMER\\BQPrinter\\SAgent2";
constexpr wchar_t kAgent4[] = L"Software\\TALMER\\BQPrinter4\\SAgent4";
constexpr wchar_t kDriver[] = L"TALMER VGL3 Sample";

void RemoveAgentKeys() {
  for (const wchar_t* key : {kAgent1, kAgent2, kAgent4}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAgent1);
}

void SetAllow(const wchar_t* subkey, DWORD value) {
  moni::RegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key.get(), L"AllowMonitoring", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
}

class AgentKeys : public ::testing::Test {
 protected:
  void SetUp() override { RemoveAgentKeys(); }
  void TearDown() override {
    RemoveAgentKeys();
    SetEnvironmentVariableW(L"BQSACTL_STATE", nullptr);
  }
  static int Allows(int generation, DWORD agentType = 0, const std::wstring& controlDll = L"") {
    return CCheckBid::AgentAllowsMonitoring(generation, kDriver, agentType, controlDll);
  }
};

TEST(CheckBid, GenerationOfTheSampleDriver) {
  const std::wstring printer = L"CheckBid " + moni::test::UniqueTestName();
  ASSERT_TRUE(moni::kit::AddPrinter(printer, kDriver, L"LPT1:"));
  CCheckBid bid(kDriver, printer);  // "BQAPI_VERSION" 1
  EXPECT_EQ(bid.GetGeneration(), 1);
  EXPECT_EQ(CCheckBid(kDriver, L"").GetGeneration(), 1);
  EXPECT_EQ(CCheckBid(L"", printer).GetGeneration(), 1);
  moni::kit::DeletePrinter(printer);
}

TEST_F(AgentKeys, GenerationsOneToThree) {
  EXPECT_EQ(Allows(1), 0);
  EXPECT_EQ(Allows(2), 0);
  moni::RegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAgent1, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr), ERROR_SUCCESS);
  key.reset();
  EXPECT_EQ(Allows(1), 1);  // the key alone is enough
  EXPECT_EQ(Allows(2), 0);  // its key exists now, its value not

  SetAllow(kAgent2, 0);
  EXPECT_EQ(Allows(2), 0);
  SetAllow(kAgent2, 1);
  EXPECT_EQ(Allows(2), 1);
  EXPECT_EQ(Allows(3), 0);  // never, whatever the keys say
  // A value of another type does not allow.
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAgent2, 0, KEY_WRITE, key.put()), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key.get(), L"AllowMonitoring", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 4), ERROR_SUCCESS);
  EXPECT_EQ(Allows(2), 0);
}

TEST_F(AgentKeys, GenerationFourAsksTheControlLibraryFirst) {
  SetAllow(kAgent4, 1);
  SetEnvironmentVariableW(L"BQSACTL_STATE", L"0");
  EXPECT_EQ(Allows(4, 1, L"BQSACTL.DLL"), 0);  // the library's answer counts, not the key
  SetEnvironmentVariableW(L"BQSACTL_STATE", L"1");
  EXPECT_EQ(Allows(4, 1, L"BQSACTL.DLL"), 1);
  SetEnvironmentVariableW(L"BQSACTL_STATE", L"2");
  EXPECT_EQ(Allows(4, 1, L"BQSACTL.DLL"), 1);
  SetEnvironmentVariableW(L"BQSACTL_STATE", L"3");
  EXPECT_EQ(Allows(4, 1, L"BQSACTL.DLL"), 0);
  SetEnvironmentVariableW(L"BQSACTL_STATE", L"seh");
  EXPECT_EQ(Allows(4, 1, L"BQSACTL.DLL"), 0);  // a fault in the library denies
  EXPECT_EQ(GetModuleHandleW(L"BQSACTL.DLL"), nullptr);  // unloaded after each use

  // Without a usable library the key decides.
  SetEnvironmentVariableW(L"BQSACTL_STATE", L"0");
  EXPECT_EQ(Allows(4, 0, L"BQSACTL.DLL"), 1);         // the driver's agent type is not 1
  EXPECT_EQ(Allows(4, 1, L""), 1);                     // no library named
  EXPECT_EQ(Allows(4, 1, L"BQSACTLMISSING.DLL"), 1);   // it does not load
  EXPECT_EQ(Allows(4, 1, L"BQAPI.DLL"), 1);            // it lacks the agent exports
  SetAllow(kAgent4, 0);
  EXPECT_EQ(Allows(4, 0, L""), 0);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAgent4);
  EXPECT_EQ(Allows(4, 0, L""), 0);
}

}  // namespace
