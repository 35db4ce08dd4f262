#include <gtest/gtest.h>

#include "api/monicore.h"
#include "platform/handles.h"
#include "test_support.h"

namespace {

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    lib.reset(LoadLibraryW(L"monicore.dll"));
    ASSERT_TRUE(lib.valid());
  }
  template <typename Fn>
  Fn Proc(const char* name) {
    return moni::test::ProcOf<Fn>(lib, name);
  }
  moni::Module lib;
};

TEST_F(Exports, EveryHostFunctionIsExportedUndecorated) {
  const char* names[] = {
      "PrSetRegDefaultValue", "PrReleaseRegistry",    "PrMonitoringStart",      "PrGetChannel",      "PrCheckModelID",
      "PrGetStatus",          "PrMonitoringEnd",      "PrGetTimerValue",        "PrGetPrinterStatus", "PrGetPrinterStatus2",
      "PrReleasePrinterStatus", "PrStartView",        "PrStartPreference",      "PrDocumentProperties", "PrDisplaySpoolJob",
      "PrEntryIconDlg",       "PrIconInstall",        "PrKioskaPopUp",          "PrKiosSameDrvs",    "PrPackagePopUp",
      "PrCheckGenuineCartridgeA", "PrCheckGenuineCartridgeW",
  };
  static_assert(std::size(names) == 22);
  for (const char* name : names) EXPECT_NE(GetProcAddress(lib.get(), name), nullptr) << name;
}

TEST_F(Exports, QueryArgumentsAreCheckedAndTheBufferIsReleased) {
  auto query = Proc<decltype(&PrGetPrinterStatus2)>("PrGetPrinterStatus2");
  auto release = Proc<decltype(&PrReleasePrinterStatus)>("PrReleasePrinterStatus");
  BYTE* buffer = nullptr;
  BYTE flag = 7;
  EXPECT_EQ(query(nullptr, &buffer, &flag), -50);
  EXPECT_EQ(query(L"", &buffer, nullptr), -50);
  EXPECT_EQ(query(L"Some Printer", nullptr, nullptr), -51);
  EXPECT_EQ(flag, 0);
  release(nullptr);  // ignored
  release(static_cast<BYTE*>(GlobalAlloc(GMEM_FIXED, 16)));
}

TEST_F(Exports, SessionWithoutStartLeavesOutputsUntouched) {
  auto getStatus = Proc<decltype(&PrGetStatus)>("PrGetStatus");
  int popup = 5, sound = 6, real = 7, simple = 8;
  int printing = 9;
  EXPECT_EQ(getStatus(0, &popup, &sound, &printing, &real, &simple), 1);
  EXPECT_EQ(printing, 9);
  EXPECT_EQ(popup, 5);
  EXPECT_EQ(sound, 6);
  EXPECT_EQ(real, 7);
  EXPECT_EQ(simple, 8);
}

}  // namespace
