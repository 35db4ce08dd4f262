// The watchdog: never fires while the window counts, fires once per further
// period while starved, one event per printer, a second Wakeup changes
// nothing, and the fallback wait without an event.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/handles.h"
#include "test_support.h"
#include "ui/status/watchdog.h"

namespace {

// Times (ms since the recorder was made) of the emergency calls.
class Calls {
 public:
  std::function<void()> Proc() {
    return [this] {
      std::lock_guard<std::mutex> lock(m_lock);
      m_times.push_back(GetTickCount64() - m_start);
    };
  }
  ULONGLONG Now() const { return GetTickCount64() - m_start; }
  std::vector<ULONGLONG> Times() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_times;
  }

 private:
  ULONGLONG m_start = GetTickCount64();
  std::mutex m_lock;
  std::vector<ULONGLONG> m_times;
};

std::wstring Name(const wchar_t* suffix) { return L"Watch\\" + moni::test::UniqueTestName() + suffix; }

TEST(WatchDog, FedNeverFiresStarvedFiresOncePerPeriod) {
  constexpr DWORD kPeriod = 400;
  Calls calls;
  CWatchDog dog;
  dog.SetPeriodMs(kPeriod);
  ASSERT_TRUE(dog.Wakeup(Name(L""), calls.Proc()));
  ASSERT_TRUE(dog.HasEvent());
  // A count every 50 ms for four periods: never.
  ULONGLONG lastCount = 0;
  for (int i = 0; i < 20; ++i) {
    dog.IncrementCounter();
    lastCount = calls.Now();
    Sleep(50);
  }
  EXPECT_TRUE(calls.Times().empty());
  // Starved from here on.
  Sleep(kPeriod * 4 + kPeriod / 2);
  dog.Shutdown();
  const auto times = calls.Times();
  // About 1,850 ms without a count: the first call a whole period after the
  // last count, then one per further period.
  ASSERT_GE(times.size(), 3u);
  ASSERT_LE(times.size(), 5u);
  EXPECT_GE(times[0], lastCount + kPeriod - 20);
  for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], kPeriod - 20) << i;
}

TEST(WatchDog, EventPerPrinterWithSlashesAndGoneAfterShutdown) {
  CWatchDog first, second;
  ASSERT_TRUE(first.Wakeup(L"\\\\server\\" + moni::test::UniqueTestName(), nullptr));
  ASSERT_TRUE(second.Wakeup(L"Local " + moni::test::UniqueTestName(), nullptr));
  EXPECT_EQ(first.EventName(), L"WatchDogPeriodEvent_//server/" + moni::test::UniqueTestName());
  EXPECT_NE(first.EventName(), second.EventName());
  ASSERT_TRUE(first.HasEvent());
  ASSERT_TRUE(second.HasEvent());
  const std::wstring name = first.EventName();
  {
    moni::KernelHandle opened(OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
    EXPECT_TRUE(opened.valid());
  }
  const ULONGLONG before = GetTickCount64();
  first.Shutdown();  // the thread waits on the event for 180 s: the signal ends it at once
  EXPECT_LT(GetTickCount64() - before, 1000u);
  EXPECT_FALSE(first.IsRunning());
  EXPECT_EQ(first.PeriodMs(), 180000u);
  moni::KernelHandle gone(OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
  EXPECT_FALSE(gone.valid());
}

TEST(WatchDog, WakeupOnARunningWatchDogChangesNothing) {
  Calls firstCalls, secondCalls;
  CWatchDog dog;
  dog.SetPeriodMs(100);
  ASSERT_TRUE(dog.Wakeup(Name(L"-1"), firstCalls.Proc()));
  const std::wstring event = dog.EventName();
  EXPECT_TRUE(dog.Wakeup(Name(L"-2"), secondCalls.Proc()));
  EXPECT_EQ(dog.EventName(), event);
  Sleep(500);
  dog.Shutdown();
  EXPECT_GE(firstCalls.Times().size(), 2u);
  EXPECT_TRUE(secondCalls.Times().empty());
}

TEST(WatchDog, WithoutItsEventTheFallbackWaitStillWatches) {
  // Another kind of object holds the event's name, so the event cannot be made.
  const std::wstring name = Name(L"");
  std::wstring eventName = L"WatchDogPeriodEvent_" + name;
  for (wchar_t& c : eventName) c = c == L'\\' ? L'/' : c;
  moni::KernelHandle squatter(CreateMutexW(nullptr, FALSE, eventName.c_str()));
  ASSERT_TRUE(squatter.valid());

  Calls calls;
  CWatchDog dog(20);
  dog.SetPeriodMs(400);
  ASSERT_TRUE(dog.Wakeup(name, calls.Proc()));
  EXPECT_FALSE(dog.HasEvent());
  for (int i = 0; i < 12; ++i) {  // fed for 600 ms
    dog.IncrementCounter();
    Sleep(50);
  }
  EXPECT_TRUE(calls.Times().empty());
  Sleep(1000);  // starved: calls at about 400 and 800 ms after the last count
  const ULONGLONG before = GetTickCount64();
  dog.Shutdown();
  EXPECT_LT(GetTickCount64() - before, 200u);  // within a step or two
  const auto times = calls.Times();
  EXPECT_GE(times.size(), 1u);
  EXPECT_LE(times.size(), 3u);
}

}  // namespace
