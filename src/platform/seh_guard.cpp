// The structured-exception guard. MSVC has __try/__except. GCC for mingw has
// neither; there the frame gets a scope-table entry through mingw-w64's
// __try1/__except1 (excpt.h), whose filter is the C function below. The labels
// that __try1 emits are fixed, so this file holds exactly one guarded frame.
#include "platform/seh_guard.h"

#include <excpt.h>

namespace {
thread_local DWORD t_exceptionCode = 0;
}  // namespace

#if defined(_MSC_VER)

namespace moni {
DWORD RunGuarded(void (*fn)(void*), void* context) noexcept {
  __try {
    fn(context);
  } __except (t_exceptionCode = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    return t_exceptionCode ? t_exceptionCode : 1;
  }
  return 0;
}
}  // namespace moni

#else

extern "C" LONG moni_seh_guard_filter(EXCEPTION_POINTERS* info, void* /*frame*/) {
  const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 1;
  t_exceptionCode = code ? code : 1;
  return EXCEPTION_EXECUTE_HANDLER;
}

namespace {
// Not inlined: the scope-table entry must cover exactly this frame.
__attribute__((noinline)) DWORD GuardedFrame(void (*fn)(void*), void* context) {
  t_exceptionCode = 0;
  __try1(moni_seh_guard_filter)
    fn(context);
  __except1
  return t_exceptionCode;
}
}  // namespace

namespace moni {
DWORD RunGuarded(void (*fn)(void*), void* context) noexcept { return GuardedFrame(fn, context); }
}  // namespace moni

#endif
