#include <gtest/gtest.h>

#include "platform/handles.h"
#include "test_support.h"
#include "platform/seh_guard.h"

namespace {

using WriteNullFn = int (*)(int);
using RaiseFn = int (*)(DWORD);
using AddFn = int (*)(int, int);

class SehGuard : public ::testing::Test {
 protected:
  void SetUp() override {
    lib.reset(LoadLibraryW(L"faulty.dll"));
    ASSERT_TRUE(lib.valid());
  }
  template <typename Fn>
  Fn Proc(const char* name) {
    return moni::test::ProcOf<Fn>(lib, name);
  }
  moni::Module lib;
};

TEST_F(SehGuard, AccessViolationInLibraryBecomesACode) {
  auto writeNull = Proc<WriteNullFn>("FaultyWriteNull");
  ASSERT_NE(writeNull, nullptr);
  DWORD code = 0;
  EXPECT_FALSE(moni::Guarded([&] { writeNull(7); }, &code));
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  // The process and the guard go on working: fault again, then a clean call.
  EXPECT_EQ(moni::GuardedCall(-99, [&] { return writeNull(8); }), -99);
  auto add = Proc<AddFn>("FaultyAdd");
  EXPECT_EQ(moni::GuardedCall(-99, [&] { return add(2, 3); }), 5);
}

TEST_F(SehGuard, RaisedExceptionCodeIsReported) {
  auto raise = Proc<RaiseFn>("FaultyRaise");
  ASSERT_NE(raise, nullptr);
  DWORD code = 0;
  EXPECT_FALSE(moni::Guarded([&] { raise(0xE0001234); }, &code));
  EXPECT_EQ(code, 0xE0001234u);
}

TEST_F(SehGuard, FaultsOnSeveralThreadsAreKeptApart) {
  auto writeNull = Proc<WriteNullFn>("FaultyWriteNull");
  auto add = Proc<AddFn>("FaultyAdd");
  struct Work {
    WriteNullFn writeNull;
    AddFn add;
    int faults = 0;
    int sums = 0;
  };
  auto body = [](void* p) -> DWORD {
    auto* w = static_cast<Work*>(p);
    for (int i = 0; i < 200; ++i) {
      if (moni::GuardedCall(-99, [&] { return w->writeNull(i); }) == -99) ++w->faults;
      if (moni::GuardedCall(-99, [&] { return w->add(i, 1); }) == i + 1) ++w->sums;
    }
    return 0;
  };
  Work a{writeNull, add}, b{writeNull, add};
  {
    moni::Thread ta, tb;
    ASSERT_TRUE(ta.start(body, &a));
    ASSERT_TRUE(tb.start(body, &b));
  }  // both joined here
  EXPECT_EQ(a.faults, 200);
  EXPECT_EQ(b.faults, 200);
  EXPECT_EQ(a.sums, 200);
  EXPECT_EQ(b.sums, 200);
}

}  // namespace
