#include "foundation/reg_access_library.h"

#include <array>
#include <mutex>

#include "foundation/debug_log.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"

namespace moni::regaccess {

namespace {

using OpenFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
using QueryFn = LONG(WINAPI*)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using CloseFn = LONG(WINAPI*)(HKEY);

constexpr std::array<WORD, 11> kFirstTable = {1, 3, 5, 8, 10, 12, 14, 16, 18, 7, 20};
constexpr std::array<WORD, 9> kSecondTable = {2, 4, 6, 9, 11, 13, 15, 17, 19};
constexpr size_t kCloseSlot = 9;  // ordinal 7 in the first table
constexpr size_t kOpenSlot = 1;   // ordinal 4 in the second table
constexpr size_t kQuerySlot = 4;  // ordinal 11 in the second table

// Process-lifetime state: the library stays loaded until the process ends, so
// the state is never destroyed (no unload while the loader lock is held).
struct State {
  std::mutex lock;
  bool active = false;
  Module library;
  std::array<FARPROC, kFirstTable.size()> first = {};
  std::array<FARPROC, kSecondTable.size()> second = {};
};

State& TheState() {
  static State* state = new State;
  return *state;
}

// Every ordinal of the table, or the table left empty.
template <size_t N>
void Resolve(HMODULE module, const std::array<WORD, N>& ordinals, std::array<FARPROC, N>& table) {
  table = {};
  std::array<FARPROC, N> found = {};
  for (size_t i = 0; i < N; ++i) {
    found[i] = GetProcAddress(module, MAKEINTRESOURCEA(ordinals[i]));
    if (!found[i]) return;
  }
  table = found;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Activate(bool found, const spooler::DriverFiles& files) {
  CDebugLog log("regaccess::Activate");
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  if (state.active) return true;
  if (!found) {
    log.Write("Error : no driver information\n");
    return false;
  }
  const std::wstring path = LibraryPathOf(files);
  log.Write("Library : %s\n", path);
  if (path.empty() || !FileExists(path)) {
    log.Write("Error : registry-access library not found\n");
    return false;
  }
  state.library.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!state.library) {
    log.Write("Error : LoadLibrary (%lu)\n", GetLastError());
    return false;
  }
  Resolve(state.library.get(), kFirstTable, state.first);
  Resolve(state.library.get(), kSecondTable, state.second);
  if (!state.first[0]) log.Write("Warning : first ordinal table incomplete\n");
  if (!state.second[0]) log.Write("Warning : second ordinal table incomplete\n");
  state.active = true;
  return true;
}

template <typename Fn>
Fn Function(bool second, size_t slot) {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  if (!state.active) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(second ? state.second[slot] : state.first[slot]));
}

}  // namespace

std::wstring LibraryPathOf(const spooler::DriverFiles& files) {
  if (files.driverDirectory.empty()) return {};
  std::wstring name = kDefaultLibrary;
  if (!files.dataFile.empty()) {
    // One character more than allowed, to tell a value that is too long.
    wchar_t value[kMaxLibraryName + 2] = {};
    const DWORD n = GetPrivateProfileStringW(kDataFileSection, kDataFileValue, L"", value, static_cast<DWORD>(std::size(value)),
                                             files.dataFile.c_str());
    if (n > kMaxLibraryName) return {};
    if (n > 0) name.assign(value, n);
  }
  return files.driverDirectory + L"\\" + name;
}

bool ActivateForDriver(const std::wstring& driverName) {
  if (IsActive()) return true;
  spooler::DriverFiles files;
  const bool found = spooler::GetDriverFilesForDriver(driverName, files);
  return Activate(found, files);
}

bool ActivateForPrinter(const std::wstring& printerName) {
  if (IsActive()) return true;
  spooler::DriverFiles files;
  const bool found = spooler::GetDriverFilesForPrinter(printerName, files);
  return Activate(found, files);
}

bool IsActive() {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  return state.active;
}

bool HasKeyFunctions() {
  return Function<OpenFn>(true, kOpenSlot) && Function<QueryFn>(true, kQuerySlot) && Function<CloseFn>(false, kCloseSlot);
}

LONG OpenKey(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  const OpenFn fn = Function<OpenFn>(true, kOpenSlot);
  if (!fn) return kMissingFunction;
  return GuardedCall<LONG>(ERROR_INVALID_FUNCTION, [&] { return fn(root, subKey, options, access, result); });
}

LONG QueryValue(HKEY key, LPCWSTR name, LPDWORD type, LPBYTE data, LPDWORD size) {
  const QueryFn fn = Function<QueryFn>(true, kQuerySlot);
  if (!fn) return kMissingFunction;
  return GuardedCall<LONG>(ERROR_INVALID_FUNCTION, [&] { return fn(key, name, nullptr, type, data, size); });
}

LONG CloseKey(HKEY key) {
  const CloseFn fn = Function<CloseFn>(false, kCloseSlot);
  if (!fn) return kMissingFunction;
  return GuardedCall<LONG>(ERROR_INVALID_FUNCTION, [&] { return fn(key); });
}

void ForgetForTest() {
  State& state = TheState();
  std::lock_guard<std::mutex> hold(state.lock);
  state.active = false;
  state.first = {};
  state.second = {};
  state.library.reset();
}

}  // namespace moni::regaccess
