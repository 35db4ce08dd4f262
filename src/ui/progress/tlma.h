// The progress library's interface as the monitor calls it: the TLMA_
// operations of the local library, fetched by ordinal. The same operations
// are served by the remote service (tlma_remote.idl).
#pragma once
#include <windows.h>

namespace tlma {

inline constexpr wchar_t kDefaultLibrary[] = L"tlipgi10.dll";
inline constexpr DWORD kDefaultLevel = 1;
inline constexpr DWORD kDriverLibraryLevel = 2;

// Ordinals of the local library.
inline constexpr WORD kOrdClose = 4;
inline constexpr WORD kOrdTest = 5;
inline constexpr WORD kOrdOpen = 53;
inline constexpr WORD kOrdGetCurrentJob = 102;
inline constexpr WORD kOrdTestJob = 103;
inline constexpr WORD kOrdSetJobInfo = 200;
inline constexpr WORD kOrdGetJobInfo = 202;
inline constexpr WORD kOrdStartProgress = 300;
inline constexpr WORD kOrdEndProgress = 301;

// TLMA_Open(printer, port, I/F level, job id to open, its size 4): the handle, or null.
using OpenFn = HANDLE(WINAPI*)(LPCWSTR printer, LPCWSTR port, DWORD level, DWORD* jobId, DWORD size);
using CloseFn = BOOL(WINAPI*)(HANDLE handle);
// Non-zero while the port has jobs to follow.
using TestFn = BOOL(WINAPI*)(HANDLE handle);
// The library's id of its current job.
using GetCurrentJobFn = DWORD(WINAPI*)(HANDLE handle);
// Non-zero while the job exists.
using TestJobFn = BOOL(WINAPI*)(HANDLE handle, DWORD job);
using SetJobInfoFn = BOOL(WINAPI*)(HANDLE handle, DWORD job, DWORD info, DWORD* value);
// With a null buffer and size 0 it reports the needed size.
using GetJobInfoFn = BOOL(WINAPI*)(HANDLE handle, DWORD job, DWORD info, BYTE* buffer, DWORD size, DWORD* needed);
using ProgressFn = void(WINAPI*)(HANDLE handle, DWORD job);

}  // namespace tlma
