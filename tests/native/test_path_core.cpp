#include <gtest/gtest.h>

#include <string>

#include "platform/path_core.h"

namespace {

using moni::LibraryPath;

TEST(LibraryPathKind, OnlyBareNamesAndFullPathsAreLoadable) {
  const struct {
    std::u16string path;
    LibraryPath kind;
  } cases[] = {
      {u"BQAPI.DLL", LibraryPath::kBareName},
      {u"x", LibraryPath::kBareName},
      {u"bq api.dll", LibraryPath::kBareName},
      {u"C:\\drv\\BQAPI.DLL", LibraryPath::kFullPath},
      {u"c:/drv/BQAPI.DLL", LibraryPath::kFullPath},
      {u"Z:\\", LibraryPath::kFullPath},
      {u"\\\\server\\share\\x.dll", LibraryPath::kFullPath},
      {u"//server/share/x.dll", LibraryPath::kFullPath},
      {u"\\\\?\\C:\\drv\\x.dll", LibraryPath::kFullPath},
      {u"", LibraryPath::kRelative},
      {u".", LibraryPath::kRelative},
      {u"..", LibraryPath::kRelative},
      {u"\\x.dll", LibraryPath::kRelative},        // the current drive's root (an empty install folder and "\")
      {u"C:x.dll", LibraryPath::kRelative},        // the current folder of drive C
      {u"C:", LibraryPath::kRelative},
      {u"1:\\x.dll", LibraryPath::kRelative},    // no drive letter
      {u".\\x.dll", LibraryPath::kRelative},
      {u"sub\\x.dll", LibraryPath::kRelative},
      {u"sub/x.dll", LibraryPath::kRelative},
      {u"\\\\\\x.dll", LibraryPath::kRelative},    // three slashes name no server
      {u"\\\\", LibraryPath::kRelative},
      {u"x.dll:stream", LibraryPath::kRelative},
  };
  for (const auto& c : cases)
    EXPECT_EQ(moni::ClassifyLibraryPath(c.path), c.kind) << std::string(c.path.begin(), c.path.end());
}

}  // namespace
