// The one guard for calls into closed libraries: a structured exception raised
// inside the call (an access violation in the library, a RaiseException) ends
// the call instead of the process. Callers turn a caught exception into their
// own failure code (the communication library binding uses -99).
#pragma once
#include <windows.h>

#include <type_traits>
#include <utility>

namespace moni {

// Runs fn(context). Returns 0 when it returned normally, else the code of the
// structured exception that ended it.
DWORD RunGuarded(void (*fn)(void*), void* context) noexcept;

// Runs f() under the guard; `exceptionCode` (optional) receives 0 or the code.
// Returns true when f returned normally.
template <typename F>
bool Guarded(F&& f, DWORD* exceptionCode = nullptr) noexcept {
  using Fn = std::remove_reference_t<F>;
  const DWORD code = RunGuarded([](void* ctx) { (*static_cast<Fn*>(ctx))(); }, const_cast<void*>(static_cast<const void*>(&f)));
  if (exceptionCode) *exceptionCode = code;
  return code == 0;
}

// Calls f() under the guard and returns its result, or `onException` when a
// structured exception ended the call.
template <typename R, typename F>
R GuardedCall(R onException, F&& f) noexcept {
  R result = onException;
  if (!Guarded([&] { result = f(); })) result = onException;
  return result;
}

}  // namespace moni
