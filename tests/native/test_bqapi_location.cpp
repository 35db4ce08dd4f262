// Which files the two bindings of the communication library load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/bqapi_location.h"

namespace {

using moni::comm::BqapiFiles;
using moni::comm::BqapiUse;
using Files = std::vector<std::u16string>;

TEST(BqapiLocation, SharedInstanceTriesTheDriversFileThenTheDefault) {
  const struct {
    std::u16string file, folder;
    Files expected;
  } cases[] = {
      {u"", u"C:\\drv\\", {u"BQAPI.DLL"}},
      {u"BQAPIX.DLL", u"C:\\drv\\", {u"C:\\drv\\BQAPIX.DLL", u"BQAPI.DLL"}},
      {u"BQAPIX.DLL", u"", {u"BQAPIX.DLL", u"BQAPI.DLL"}},  // folder unknown: the bare name, from the system folder
  };
  for (const auto& c : cases) {
    // The generation and the system play no part.
    for (int generation : {0, 4})
      for (int platform : {0, 6})
        EXPECT_EQ(BqapiFiles(BqapiUse::kShared, {c.file, generation, c.folder}, platform), c.expected)
            << std::string(c.file.begin(), c.file.end()) << " " << generation << " " << platform;
  }
}

TEST(BqapiLocation, OneShotQueryUsesTheDriversFolderFromTheFourthGenerationOn) {
  const std::u16string folder = u"C:\\drv\\";
  const struct {
    std::u16string file;
    int generation, platform;
    Files expected;
  } cases[] = {
      {u"", 0, 6, {u"BQAPI.DLL"}},
      {u"BQAPI3.DLL", 3, 6, {u"BQAPI3.DLL"}},
      {u"BQAPI3.DLL", 4, 6, {u"C:\\drv\\BQAPI3.DLL"}},          // the generation itself, exactly
      {u"BQAPI3.DLL", 5, 6, {u"C:\\drv\\BQAPI3.DLL"}},
      {u"BQAPI.DLL", 4, 5, {u"BQAPI.DLL"}},                     // NT 4.0
      {u"bqapi4.dll", 0, 6, {u"C:\\drv\\bqapi4.dll"}},          // no generation: the file's name decides
      {u"bqapi4.dll", -1, 6, {u"C:\\drv\\bqapi4.dll"}},
      {u"BQAPI4.DLL", 1, 6, {u"BQAPI4.DLL"}},                   // a generation given wins over the name
      {u"BQAPI4.DLLX", 0, 6, {u"BQAPI4.DLLX"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BqapiFiles(BqapiUse::kOneShot, {c.file, c.generation, folder}, c.platform), c.expected)
        << std::string(c.file.begin(), c.file.end()) << " " << c.generation << " " << c.platform;
  // The driver's folder needed but unknown: nothing is loaded.
  EXPECT_TRUE(BqapiFiles(BqapiUse::kOneShot, {u"BQAPI.DLL", 4, u""}, 6).empty());
}

TEST(BqapiLocation, PlatformClass) {
  EXPECT_EQ(moni::comm::PlatformClass(true, 10), 6);
  EXPECT_EQ(moni::comm::PlatformClass(true, 5), 6);
  EXPECT_EQ(moni::comm::PlatformClass(true, 4), 5);
  EXPECT_EQ(moni::comm::PlatformClass(true, 3), 4);
  EXPECT_EQ(moni::comm::PlatformClass(false, 10), 0);
}

}  // namespace
