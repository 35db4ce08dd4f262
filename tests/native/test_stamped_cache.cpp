#include <gtest/gtest.h>

#include <string>

#include "foundation/stamped_cache.h"

namespace {

using moni::filecache::JoinKey;
using moni::filecache::Stamp;
using moni::filecache::StampedCache;

TEST(StampedCache, AValueIsTakenOnlyWithTheStampItWasKeptWith) {
  StampedCache<int> cache(4);
  const Stamp kept{100, 5000};
  cache.Put(u"C:\\drv\\a.dat", kept, 1);
  struct Case {
    const char* what;
    std::u16string key;
    Stamp stamp;
    bool hit;
  };
  const Case cases[] = {
      {"same file, same stamp", u"C:\\drv\\a.dat", {100, 5000}, true},
      {"same size, new time", u"C:\\drv\\a.dat", {100, 5001}, false},
      {"same time, new size", u"C:\\drv\\a.dat", {101, 5000}, false},
      {"same time, one byte less", u"C:\\drv\\a.dat", {99, 5000}, false},
      {"another file with the stamp", u"C:\\drv\\b.dat", {100, 5000}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cache.Find(c.key, c.stamp).value_or(-1), c.hit ? 1 : -1) << c.what;
  }
  // A changed file's value replaces the old one: one entry per key.
  cache.Put(u"C:\\drv\\a.dat", {101, 5000}, 2);
  EXPECT_EQ(cache.Size(), 1u);
  EXPECT_FALSE(cache.Find(u"C:\\drv\\a.dat", kept));
  EXPECT_EQ(cache.Find(u"C:\\drv\\a.dat", {101, 5000}), 2);
}

TEST(StampedCache, HoldsItsCapacityAndLetsTheOldestGo) {
  StampedCache<int> cache(3);
  const Stamp stamp{1, 1};
  for (int i = 0; i < 3; ++i) cache.Put(u"f" + std::u16string(1, static_cast<char16_t>(u'0' + i)), stamp, i);
  EXPECT_EQ(cache.Size(), 3u);  // exactly full: all kept
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cache.Find(u"f" + std::u16string(1, static_cast<char16_t>(u'0' + i)), stamp), i);
  cache.Put(u"f3", stamp, 3);  // one past: the first kept goes
  EXPECT_EQ(cache.Size(), 3u);
  EXPECT_FALSE(cache.Find(u"f0", stamp));
  EXPECT_EQ(cache.Find(u"f1", stamp), 1);
  EXPECT_EQ(cache.Find(u"f3", stamp), 3);
  // Putting a kept key again moves it to the end instead of growing.
  cache.Put(u"f1", stamp, 10);
  cache.Put(u"f4", stamp, 4);
  EXPECT_EQ(cache.Find(u"f1", stamp), 10);
  EXPECT_FALSE(cache.Find(u"f2", stamp));

  StampedCache<int> none(0);
  none.Put(u"f", stamp, 1);
  EXPECT_EQ(none.Size(), 0u);
  EXPECT_FALSE(none.Find(u"f", stamp));
}

TEST(StampedCache, JoinedKeysKeepTheirPartsApart) {
  // The folders a file was read with belong to the key: moving text from one
  // part into the next never gives the same key.
  EXPECT_NE(JoinKey({u"a", u"bc"}), JoinKey({u"ab", u"c"}));
  EXPECT_NE(JoinKey({u"a", u""}), JoinKey({u"a"}));
  EXPECT_NE(JoinKey({u"", u"a"}), JoinKey({u"a"}));
  EXPECT_EQ(JoinKey({u"a", u"b"}), std::u16string(u"a\0b", 3));
}

}  // namespace
