#include "foundation/support_library.h"

#include <mutex>

#include "foundation/debug_log.h"
#include "foundation/reg_access_library.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"
#include "platform/spooler.h"

namespace moni::support {

namespace {

using OpenFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
using QueryFn = LONG(WINAPI*)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using CloseFn = LONG(WINAPI*)(HKEY);

constexpr size_t kOpenSlot = 1;   // ordinal 4 of the first interface
constexpr size_t kQuerySlot = 4;  // ordinal 11 of the first interface
constexpr size_t kCloseSlot = 9;  // ordinal 7 of the second interface

// Process-wide: the library, its interfaces and the number of holders. The
// last holder unloads it, so nobody calls into a library another thread freed.
struct State {
  std::mutex lock;
  size_t holders = 0;
  Module library;
  std::array<FARPROC, kFirstInterface.size()> first = {};
  std::array<FARPROC, kSecondInterface.size()> second = {};
};

State& TheState() {
  static State* state = new State;  // never destroyed: no unload at process exit
  return *state;
}

template <size_t N>
void Bind(HMODULE module, const std::array<WORD, N>& ordinals, std::array<FARPROC, N>& table) {
  std::array<FARPROC, N> found = {};
  for (size_t i = 0; i < N; ++i) {
    found[i] = GetProcAddress(module, MAKEINTRESOURCEA(ordinals[i]));
    if (!found[i]) {
      table = {};
      return;
    }
  }
  table = found;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Takes one more hold on the library; loads it for the first holder.
bool Acquire(const std::wstring& path) {
  CDebugLog log("CSupportLibrary::Attach");
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  if (state.holders > 0) {
    ++state.holders;
    return true;
  }
  log.Write("Library : %s\n", path);
  if (path.empty() || !IsFile(path)) {
    log.Write("No support library\n");
    return false;
  }
  state.library.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!state.library) {
    log.Write("Error : LoadLibrary (%lu)\n", GetLastError());
    return false;
  }
  Bind(state.library.get(), kFirstInterface, state.first);
  Bind(state.library.get(), kSecondInterface, state.second);
  if (!state.first[0]) log.Write("First interface incomplete: cleared\n");
  if (!state.second[0]) log.Write("Second interface incomplete: cleared\n");
  state.holders = 1;
  return true;
}

void Release() {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  if (state.holders == 0 || --state.holders > 0) return;
  state.first = {};
  state.second = {};
  state.library.reset();
}

std::wstring LibraryPath(AttachBy mode, const std::wstring& name) {
  spooler::DriverFiles files;
  const bool found = mode == AttachBy::Printer ? spooler::GetDriverFilesForPrinter(name, files)
                                               : spooler::GetDriverFilesForDriver(name, files);
  return found ? regaccess::LibraryPathOf(files) : std::wstring();
}

// A hold for the length of one call into the library, with the function of
// the slot (null when the library is not attached or lacks the interface).
template <typename Fn>
class Call {
 public:
  Call(bool second, size_t slot) {
    State& state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.holders == 0) return;
    FARPROC fn = second ? state.second[slot] : state.first[slot];
    if (!fn) return;
    ++state.holders;
    m_fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(fn));
  }
  ~Call() {
    if (m_fn) Release();
  }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  Fn get() const { return m_fn; }

 private:
  Fn m_fn = nullptr;
};

}  // namespace

CSupportLibrary::CSupportLibrary(AttachBy mode, const std::wstring& name)
    : m_held(Acquire(IsAttached() ? std::wstring() : LibraryPath(mode, name))) {}

CSupportLibrary::CSupportLibrary(const std::wstring& path) : m_held(Acquire(path)) {}

CSupportLibrary::~CSupportLibrary() {
  if (m_held) Release();
}

bool IsAttached() {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.holders > 0;
}

bool HasFirstInterface() {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.holders > 0 && state.first[0] != nullptr;
}

bool HasSecondInterface() {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.holders > 0 && state.second[0] != nullptr;
}

LONG OpenKey(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  const Call<OpenFn> call(false, kOpenSlot);
  if (!call.get()) return regaccess::kMissingFunction;
  return GuardedCall<LONG>(ERROR_INVALID_FUNCTION, [&] { return call.get()(root, subKey, options, access, result); });
}

LONG QueryValue(HKEY key, LPCWSTR name, LPDWORD type, LPBYTE data, LPDWORD size) {
  const Call<QueryFn> call(false, kQuerySlot);
  if (!call.get()) return regaccess::kMissingFunction;
  return GuardedCall<LONG>(ERROR_INVALID_FUNCTION, [&] { return call.get()(key, name, nullptr, type, data, size); });
}

LONG CloseKey(HKEY key) {
  const Call<CloseFn> call(true, kCloseSlot);
  if (!call.get()) return regaccess::kMissingFunction;
  return GuardedCall<LONG>(ERROR_INVALID_FUNCTION, [&] { return call.get()(key); });
}

bool MachineKeyOpens(const std::wstring& subKey) {
  {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS) return true;
    key.release();
  }
  HKEY key = nullptr;
  if (OpenKey(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS || !key) return false;
  CloseKey(key);
  return true;
}

}  // namespace moni::support
