// The generation of the communication library from a driver's setup data.
#include <gtest/gtest.h>

#include <cstdint>

#include "comm/bid_generation.h"

namespace {

using moni::comm::BidGeneration;

TEST(BidGeneration, VersionWinsWhenGiven) {
  EXPECT_EQ(BidGeneration(1, u"BQAPI4.DLL"), 1);
  EXPECT_EQ(BidGeneration(2, u""), 2);
  EXPECT_EQ(BidGeneration(3, u"BQAPI.DLL"), 3);
  EXPECT_EQ(BidGeneration(4, u""), 4);
  EXPECT_EQ(BidGeneration(70, u"BQAPI2.DLL"), 4);
}

TEST(BidGeneration, LibraryNameWhenTheVersionIsMissingOrNotPositive) {
  // A missing DWORD reads as 0xFFFFFFFF, that is -1.
  EXPECT_EQ(BidGeneration(-1, u"BQAPI3.DLL"), 3);
  EXPECT_EQ(BidGeneration(0, u"C:\\Drivers\\BQAPI4.DLL"), 4);
  EXPECT_EQ(BidGeneration(0, u"BQAPI2.DLL"), 2);
  EXPECT_EQ(BidGeneration(0, u"bqapi3.dll"), 3);  // the same file to Windows
  EXPECT_EQ(BidGeneration(0, u"BQAPI.DLL"), 1);
  EXPECT_EQ(BidGeneration(0, u"BQAPI"), 1);
  EXPECT_EQ(BidGeneration(0, u""), 1);
  EXPECT_EQ(BidGeneration(INT32_MIN, u"BQAPI4"), 4);
  // The later generation is named first when a name carries two.
  EXPECT_EQ(BidGeneration(0, u"BQAPI2_BQAPI4.DLL"), 4);
}

}  // namespace
