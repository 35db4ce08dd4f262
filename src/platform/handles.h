// One owner for each Win32 resource: small move-only RAII types, written once
// and used everywhere (registry keys, kernel handles, modules, file mappings and
// their views, printer handles, threads).
#pragma once
#include <windows.h>
#include <rpc.h>
#include <winspool.h>
#include <commctrl.h>

#include <utility>

namespace moni {

// Traits: `type`, `Empty()` (the value that owns nothing), `IsEmpty(v)` and
// `Close(v)`.
template <typename Traits>
class UniqueHandle {
 public:
  using type = typename Traits::type;

  UniqueHandle() noexcept : m_value(Traits::Empty()) {}
  explicit UniqueHandle(type value) noexcept : m_value(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  type get() const noexcept { return m_value; }
  bool valid() const noexcept { return !Traits::IsEmpty(m_value); }
  explicit operator bool() const noexcept { return valid(); }

  // Closes what it owns and takes `value`. The thread's last error survives
  // the close, so a caller that resets a handle on its way out of a failure
  // still reports the failure's error.
  void reset(type value = Traits::Empty()) noexcept {
    type old = std::exchange(m_value, value);
    if (Traits::IsEmpty(old)) return;
    const DWORD error = GetLastError();
    Traits::Close(old);
    SetLastError(error);
  }
  // Gives up ownership without closing.
  type release() noexcept { return std::exchange(m_value, Traits::Empty()); }
  // For out-parameters: closes what it owns and returns where to store the new value.
  type* put() noexcept {
    reset();
    return &m_value;
  }

 private:
  type m_value;
};

namespace handle_traits {

// Handles for which null means none, closed by one function.
template <typename T, auto CloseFn>
struct NullEmpty {
  using type = T;
  static type Empty() { return nullptr; }
  static bool IsEmpty(type h) { return h == nullptr; }
  static void Close(type h) { CloseFn(h); }
};

struct Kernel {  // CreateFile, CreateEvent, CreateMutex, OpenProcess, ...: NULL or INVALID_HANDLE_VALUE mean none
  using type = HANDLE;
  static type Empty() { return nullptr; }
  static bool IsEmpty(type h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void Close(type h) { CloseHandle(h); }
};
using RegistryKey = NullEmpty<HKEY, &RegCloseKey>;
using Module = NullEmpty<HMODULE, &FreeLibrary>;
using MappedView = NullEmpty<void*, &UnmapViewOfFile>;
using Printer = NullEmpty<HANDLE, &ClosePrinter>;
struct FindFile {
  using type = HANDLE;
  static type Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsEmpty(type h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
  static void Close(type h) { FindClose(h); }
};
using GlobalMemory = NullEmpty<HGLOBAL, &GlobalFree>;
using Menu = NullEmpty<HMENU, &DestroyMenu>;
using Icon = NullEmpty<HICON, &DestroyIcon>;
using GdiObject = NullEmpty<HGDIOBJ, &DeleteObject>;
using DeviceContext = NullEmpty<HDC, &DeleteDC>;  // CreateCompatibleDC (not GetDC: ReleaseDC needs the window)
using Window = NullEmpty<HWND, &DestroyWindow>;   // destroyed on the thread that made it

// A mutex this thread created with initial ownership (CreateMutex(..., TRUE,
// ...)): released, then closed. Destroyed on the thread that owns it.
struct OwnedMutex {
  using type = HANDLE;
  static type Empty() { return nullptr; }
  static bool IsEmpty(type h) { return h == nullptr; }
  static void Close(type h) {
    ReleaseMutex(h);
    CloseHandle(h);
  }
};
using ImageList = NullEmpty<HIMAGELIST, &ImageList_Destroy>;
using Service = NullEmpty<SC_HANDLE, &CloseServiceHandle>;  // service manager and services

struct RpcBinding {  // RpcBindingFromStringBinding (links rpcrt4)
  using type = RPC_BINDING_HANDLE;
  static type Empty() { return nullptr; }
  static bool IsEmpty(type h) { return h == nullptr; }
  static void Close(type h) { RpcBindingFree(&h); }
};

}  // namespace handle_traits

using KernelHandle = UniqueHandle<handle_traits::Kernel>;
using RegKey = UniqueHandle<handle_traits::RegistryKey>;
using Module = UniqueHandle<handle_traits::Module>;
using FileMapping = KernelHandle;
using MappedView = UniqueHandle<handle_traits::MappedView>;
using PrinterHandle = UniqueHandle<handle_traits::Printer>;
using FindHandle = UniqueHandle<handle_traits::FindFile>;
using GlobalBlock = UniqueHandle<handle_traits::GlobalMemory>;
using MenuHandle = UniqueHandle<handle_traits::Menu>;
using IconHandle = UniqueHandle<handle_traits::Icon>;
using GdiHandle = UniqueHandle<handle_traits::GdiObject>;
using MemoryDc = UniqueHandle<handle_traits::DeviceContext>;
using WindowHandle = UniqueHandle<handle_traits::Window>;

// An object selected into a device context until the end of the scope, when
// the object it replaced is selected again.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (m_old) SelectObject(m_dc, m_old);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};
using ImageListHandle = UniqueHandle<handle_traits::ImageList>;
using ServiceHandle = UniqueHandle<handle_traits::Service>;
using RpcBinding = UniqueHandle<handle_traits::RpcBinding>;
using OwnedMutex = UniqueHandle<handle_traits::OwnedMutex>;

// An export of a loaded module as the caller's function type; null when the
// module lacks it.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A thread that its owner joins: the destructor waits for the thread to end
// before the handle is closed, so nothing the thread uses is destroyed under it.
// Whoever owns a Thread makes the thread end first (a stop flag, a message).
class Thread {
 public:
  Thread() = default;
  explicit Thread(HANDLE h) noexcept : m_handle(h) {}
  Thread(Thread&&) noexcept = default;
  Thread& operator=(Thread&& other) noexcept {
    if (this != &other) {
      join();
      m_handle = std::move(other.m_handle);
    }
    return *this;
  }
  ~Thread() { join(); }

  // Starts fn(arg) on a new thread; false when it could not be created.
  bool start(LPTHREAD_START_ROUTINE fn, void* arg) noexcept {
    join();
    m_handle.reset(CreateThread(nullptr, 0, fn, arg, 0, nullptr));
    return m_handle.valid();
  }
  // Waits up to `ms`; true when the thread has ended (or there is none).
  bool wait(DWORD ms) const noexcept {
    return !m_handle.valid() || WaitForSingleObject(m_handle.get(), ms) == WAIT_OBJECT_0;
  }
  void join() noexcept {
    if (m_handle.valid()) {
      WaitForSingleObject(m_handle.get(), INFINITE);
      m_handle.reset();
    }
  }
  HANDLE get() const noexcept { return m_handle.get(); }
  bool valid() const noexcept { return m_handle.valid(); }

 private:
  KernelHandle m_handle;
};

}  // namespace moni
