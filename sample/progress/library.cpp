// tlipgi10.dll: the progress library stand-in, its operations exported by
// the ordinals the monitor fetches (tlipgi10.def). Each answers from the
// printer's job scenario through the engine; an injected "seh" raises an
// access violation at the end of the call.
#include <windows.h>

#include <cstdint>

#include "engine.h"

namespace {

std::uint32_t Number(HANDLE handle) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)); }

std::uint32_t Raise(const pgsim::Outcome& outcome) {
  if (outcome.seh) RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
  return outcome.result;
}

}  // namespace

extern "C" {

__declspec(dllexport) HANDLE WINAPI TLMA_Open(LPCWSTR printer, LPCWSTR port, DWORD level, DWORD* jobId, DWORD size) {
  const DWORD job = jobId && size >= sizeof(DWORD) ? *jobId : 0;
  const std::uint32_t handle = Raise(pgsim::Open(printer ? printer : L"", port ? port : L"", level, job));
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}

__declspec(dllexport) BOOL WINAPI TLMA_Close(HANDLE handle) { return Raise(pgsim::Close(Number(handle))); }
__declspec(dllexport) BOOL WINAPI TLMA_Test(HANDLE handle) { return Raise(pgsim::Test(Number(handle))); }
__declspec(dllexport) DWORD WINAPI TLMA_GetCurrentJob(HANDLE handle) { return Raise(pgsim::GetCurrentJob(Number(handle))); }
__declspec(dllexport) BOOL WINAPI TLMA_TestJob(HANDLE handle, DWORD job) { return Raise(pgsim::TestJob(Number(handle), job)); }

__declspec(dllexport) BOOL WINAPI TLMA_SetJobInfo(HANDLE handle, DWORD job, DWORD info, DWORD* value) {
  if (!value) return FALSE;
  return Raise(pgsim::SetJobInfo(Number(handle), job, info, *value));
}

__declspec(dllexport) BOOL WINAPI TLMA_GetJobInfo(HANDLE handle, DWORD job, DWORD info, BYTE* buffer, DWORD size, DWORD* needed) {
  std::uint32_t need = 0;
  const pgsim::Outcome outcome = pgsim::GetJobInfo(Number(handle), job, info, buffer, buffer ? size : 0, &need);
  if (needed) *needed = need;
  return Raise(outcome);
}

__declspec(dllexport) void WINAPI TLMA_StartProgress(HANDLE handle, DWORD job) { Raise(pgsim::StartProgress(Number(handle), job)); }
__declspec(dllexport) void WINAPI TLMA_EndProgress(HANDLE handle, DWORD job) { Raise(pgsim::EndProgress(Number(handle), job)); }

}  // extern "C"
