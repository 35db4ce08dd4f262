// The progress meter's decisions: which wait reason the window handles first,
// what of the window's clearing is reported to the job, and the remote names.
#include <gtest/gtest.h>

#include "ui/progress/progress_core.h"

namespace {

using namespace moni::progress;

TEST(WaitReason, SelectionFollowsThePriority) {
  EXPECT_EQ(SelectWaitReason(0), 0u);
  EXPECT_EQ(SelectWaitReason(0x8005), 0x1u);
  EXPECT_EQ(SelectWaitReason(0x8004), 0x8000u);
  EXPECT_EQ(SelectWaitReason(0x0004), 0x4u);
  EXPECT_EQ(SelectWaitReason(0x4000 | 0x8000), 0x4000u);
  EXPECT_EQ(SelectWaitReason(0x2 | 0x400), 0x400u);
  EXPECT_EQ(SelectWaitReason(0x2000 | 0x4), 0x4u);
  // Bits outside the list: the lowest.
  EXPECT_EQ(SelectWaitReason(0x800 | 0x10000), 0x800u);
  EXPECT_EQ(SelectWaitReason(0x80000000), 0x80000000u);
  // Every listed bit wins over any unlisted one.
  for (std::uint32_t bit : {0x1u, 0x4000u, 0x8000u, 0x40u, 0x80u, 0x100u, 0x20u, 0x10u, 0x200u, 0x8u, 0x400u, 0x2u, 0x4u, 0x2000u})
    EXPECT_EQ(SelectWaitReason(bit | 0x800 | 0x1000), bit);
}

TEST(WaitReason, ClearedBitsReportedExceptBit0x20Alone) {
  EXPECT_EQ(ClearedBitsToReport(0x21, 0x1), 0u);
  EXPECT_EQ(ClearedBitsToReport(0x21, 0x20), 0x1u);
  EXPECT_EQ(ClearedBitsToReport(0x21, 0x0), 0x21u);
  EXPECT_EQ(ClearedBitsToReport(0x5, 0x5), 0u);
}

TEST(RemoteNames, EndpointAndServerPart) {
  EXPECT_EQ(RemoteEndpoint(u""), u"\\pipe\\TALMER_PM_RPCV2_01");
  EXPECT_EQ(RemoteEndpoint(u"V_G00RP1"), u"\\pipe\\V_G00RP1");
  EXPECT_EQ(ServerOfPrinter(u"\\\\srv\\Printer A"), u"srv");
  EXPECT_EQ(PrinterWithoutServer(u"\\\\srv\\Printer A"), u"Printer A");
  for (const char16_t* local : {u"Printer", u"\\\\srv", u"\\\\srv\\", u"\\\\\\x", u"\\x\\y"}) {
    EXPECT_EQ(ServerOfPrinter(local), u"") << std::string(local, local + std::char_traits<char16_t>::length(local)).size();
    EXPECT_EQ(PrinterWithoutServer(local), local);
  }
}

}  // namespace
