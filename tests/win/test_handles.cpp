#include <gtest/gtest.h>

#include <string>

#include "platform/handles.h"

namespace {

bool HandleIsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != 0;
}

TEST(Handles, KernelHandleClosesOnceAndMovesOwnership) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    moni::KernelHandle a(raw);
    moni::KernelHandle b(std::move(a));
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(b.get(), raw);
    EXPECT_TRUE(HandleIsOpen(raw));
    moni::KernelHandle c;
    c = std::move(b);
    EXPECT_TRUE(HandleIsOpen(raw));
  }
  EXPECT_FALSE(HandleIsOpen(raw));
  // INVALID_HANDLE_VALUE (a failed CreateFile) owns nothing.
  moni::KernelHandle failed(CreateFileW(L"Z:\\no\\such\\dir\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(failed.valid());
}

TEST(Handles, RegistryKeyOutParameterAndRelease) {
  const std::wstring path = L"Software\\MoniTest\\Handles" + std::to_wstring(GetCurrentProcessId());
  moni::RegKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(key.valid());
  DWORD v = 5;
  EXPECT_EQ(RegSetValueExW(key.get(), L"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof v), ERROR_SUCCESS);
  HKEY raw = key.release();
  EXPECT_FALSE(key.valid());
  EXPECT_EQ(RegCloseKey(raw), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
}

TEST(Handles, MappingAndViewAreReleased) {
  const std::wstring name = L"MoniTestMapping" + std::to_wstring(GetCurrentProcessId());
  {
    moni::FileMapping mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name.c_str()));
    ASSERT_TRUE(mapping.valid());
    moni::MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_TRUE(view.valid());
    static_cast<char*>(view.get())[0] = 'x';
  }
  // The last handle is gone, so the named section no longer exists.
  moni::FileMapping again(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
  EXPECT_FALSE(again.valid());
}

TEST(Handles, ThreadIsJoinedBeforeItsOwnerGoes) {
  struct Shared {
    HANDLE release;
    volatile LONG done;
  } shared{CreateEventW(nullptr, TRUE, FALSE, nullptr), 0};
  moni::KernelHandle releaseOwner(shared.release);
  {
    moni::Thread t;
    ASSERT_TRUE(t.start([](void* p) -> DWORD {
      auto* s = static_cast<Shared*>(p);
      WaitForSingleObject(s->release, INFINITE);
      InterlockedExchange(&s->done, 1);
      return 0;
    }, &shared));
    EXPECT_FALSE(t.wait(0));
    SetEvent(shared.release);
  }
  EXPECT_EQ(shared.done, 1);
}

TEST(Handles, ModuleFreedWhenOwnerGoes) {
  {
    moni::Module lib(LoadLibraryW(L"faulty.dll"));
    ASSERT_TRUE(lib.valid());
    EXPECT_NE(GetModuleHandleW(L"faulty.dll"), nullptr);
  }
  EXPECT_EQ(GetModuleHandleW(L"faulty.dll"), nullptr);
}

}  // namespace

// Code that resets a handle and then reports GetLastError reports the failure
// it met, not the close: every way of closing keeps the thread's last error,
// also a close that fails itself (a handle value that is no longer valid).
TEST(Handles, ClosingKeepsTheThreadsLastError) {
  constexpr DWORD kReported = ERROR_FILE_NOT_FOUND;
  const auto stale = [] { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FF0)); };
  const auto event = [] { return CreateEventW(nullptr, TRUE, FALSE, nullptr); };
  struct Way {
    const char* name;
    void (*close)(moni::KernelHandle&, HANDLE next);
  };
  const Way ways[] = {
      {"reset", [](moni::KernelHandle& h, HANDLE) { h.reset(); }},
      {"reset to another", [](moni::KernelHandle& h, HANDLE next) { h.reset(next); }},
      {"move assignment", [](moni::KernelHandle& h, HANDLE next) { h = moni::KernelHandle(next); }},
      {"put", [](moni::KernelHandle& h, HANDLE) { h.put(); }},
      {"destructor", [](moni::KernelHandle& h, HANDLE) { moni::KernelHandle gone(h.release()); }},
  };
  for (const Way& way : ways) {
    for (const bool closeFails : {false, true}) {
      moni::KernelHandle handle(closeFails ? stale() : event());
      const HANDLE next = event();
      SetLastError(kReported);
      way.close(handle, next);
      EXPECT_EQ(GetLastError(), kReported) << way.name << (closeFails ? ", failing close" : "");
      if (handle.get() != next) CloseHandle(next);
    }
  }
  // The thread owner joins and closes in the same way.
  moni::Thread thread;
  ASSERT_TRUE(thread.start([](void*) -> DWORD { return 0; }, nullptr));
  SetLastError(kReported);
  thread.join();
  EXPECT_EQ(GetLastError(), kReported);
  // A registry key whose close fails.
  {
    moni::RegKey key(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FF4)));
    SetLastError(kReported);
  }
  EXPECT_EQ(GetLastError(), kReported);
}
