#include <gtest/gtest.h>

#include <cstring>

#include "comm/channel_list.h"

namespace {

using moni::comm::FirstStatusChannel;
using moni::comm::ModelFromDeviceId;
using moni::comm::ReadChannelList;

std::vector<std::uint8_t> Buffer(std::initializer_list<bqapi::ChannelEntry> entries) {
  std::vector<std::uint8_t> bytes(entries.size() * 8 + 1);  // size + 1, as the library is called
  std::memcpy(bytes.data(), entries.begin(), entries.size() * 8);
  return bytes;
}

TEST(ChannelList, CountIsNotTrustedBeyondTheBuffer) {
  auto bytes = Buffer({{0x10000005, 0x0007, 0}, {0x02000001, 0x0004, 0}});
  EXPECT_EQ(ReadChannelList(bytes.data(), bytes.size(), 2).size(), 2u);
  EXPECT_EQ(ReadChannelList(bytes.data(), bytes.size(), 1000).size(), 2u);  // the buffer holds two
  EXPECT_EQ(ReadChannelList(bytes.data(), 7, 1).size(), 0u);                // not even one whole entry
  EXPECT_TRUE(ReadChannelList(bytes.data(), bytes.size(), 0).empty());
  EXPECT_TRUE(ReadChannelList(bytes.data(), bytes.size(), -4).empty());
  EXPECT_TRUE(ReadChannelList(nullptr, 64, 2).empty());
}

TEST(ChannelList, StatusChannelFollowsCandidateOrderAndNeedsTheStatusBit) {
  // 0x02000001 comes first in the list but last among the candidates.
  auto bytes = Buffer({{0x02000001, 0x0004, 0}, {0x10000003, 0x0005, 0}, {0x10000005, 0x0003, 0}});
  auto choice = FirstStatusChannel(ReadChannelList(bytes.data(), bytes.size(), 3));
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->channel, 0x10000003u);  // 0x10000005 lacks bit 0x4

  auto network = Buffer({{0x10000005, 0x0007, 0}, {0x00000004, 0x8004, 0}});
  choice = FirstStatusChannel(ReadChannelList(network.data(), network.size(), 2));
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->channel, 0x00000004u);
  EXPECT_EQ(choice->mode, 0x8004);

  auto none = Buffer({{0x10000003, 0x0003, 0}, {0x12345678, 0xFFFF, 0}});
  EXPECT_FALSE(FirstStatusChannel(ReadChannelList(none.data(), none.size(), 2)));
}

TEST(ChannelList, ModelIsTheMdlField) {
  EXPECT_EQ(ModelFromDeviceId("MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;CLS:PRINTER;"), "SMP-100");
  EXPECT_EQ(ModelFromDeviceId("MFG:TALMER;MDL:ab12"), "ab12");  // last field without ";"
  EXPECT_EQ(ModelFromDeviceId("MFG:TALMER;MODEL:X;"), "");
  EXPECT_EQ(ModelFromDeviceId("MDL:;"), "");
}

TEST(ChannelList, ModelMatchIgnoresOnlyAsciiCase) {
  using moni::comm::MatchModel;
  EXPECT_EQ(MatchModel(u"MFG:TALMER;MDL:smp-100;CLS:PRINTER;", u"SMP-100"), 1);
  EXPECT_EQ(MatchModel(u"MFG:TALMER;MDL:XP-999;", u"SMP-100"), -2);
  EXPECT_EQ(MatchModel(u"MFG:TALMER;MDL:SMP-100X;", u"SMP-100"), -2);
  EXPECT_EQ(MatchModel(u"MDL:\u00E9;", u"\u00C9"), -2);  // not an ASCII letter
  EXPECT_EQ(MatchModel(u"MFG:TALMER;", u"SMP-100"), -1);
  EXPECT_EQ(MatchModel(u"MDL:;", u"SMP-100"), -1);
}

}  // namespace
