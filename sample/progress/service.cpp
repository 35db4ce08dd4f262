// tlpgsvc.exe: the progress library's remote service stand-in. Serves the
// TLMA_ procedures over ncacn_np from the same job scenarios as the local
// library. Usage:
//   tlpgsvc.exe [/endpoint NAME] [/stop EVENT]
// NAME defaults to TALMER_PM_RPCV2_01 (the pipe is \pipe\NAME). The service
// signals the event "<EVENT>.ready" once it listens, and ends when EVENT is
// signalled (without /stop it runs until it is ended).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine.h"
#include "platform/handles.h"
#include "tlma_remote.h"

extern "C" void* __RPC_USER MIDL_user_allocate(SIZE_T size) { return HeapAlloc(GetProcessHeap(), 0, size); }
extern "C" void __RPC_USER MIDL_user_free(void* p) { HeapFree(GetProcessHeap(), 0, p); }

namespace {

// An injected "seh" reaches the client as a failed call.
unsigned long Reply(const pgsim::Outcome& outcome) {
  if (outcome.seh) RpcRaiseException(RPC_S_CALL_FAILED);
  return outcome.result;
}

}  // namespace

extern "C" {

int TlmaRemoteUnused0(handle_t) { return 0; }
int TlmaRemoteUnused3(handle_t) { return 0; }
int TlmaRemoteUnused4(handle_t) { return 0; }
int TlmaRemoteUnused5(handle_t) { return 0; }
int TlmaRemoteUnused9(handle_t) { return 0; }
int TlmaRemoteUnused10(handle_t) { return 0; }
int TlmaRemoteUnused14(handle_t) { return 0; }

ULONG TlmaRemoteLoad(handle_t, const WCHAR* printer, const WCHAR* library) {
  return Reply(pgsim::Load(printer ? printer : L"", library ? library : L""));
}
void TlmaRemoteFree(handle_t, ULONG instance) { Reply(pgsim::Free(instance)); }
ULONG TlmaRemoteOpen(handle_t, ULONG, const WCHAR* printer, const WCHAR* port, ULONG level, ULONG* jobId, ULONG size) {
  const ULONG job = jobId && size >= sizeof(ULONG) ? *jobId : 0;
  return Reply(pgsim::Open(printer ? printer : L"", port ? port : L"", level, job));
}
void TlmaRemoteClose(handle_t, ULONG, ULONG handle) { Reply(pgsim::Close(handle)); }
int TlmaRemoteTest(handle_t, ULONG, ULONG handle) { return static_cast<int>(Reply(pgsim::Test(handle))); }
ULONG TlmaRemoteGetCurrentJob(handle_t, ULONG, ULONG handle) { return Reply(pgsim::GetCurrentJob(handle)); }
int TlmaRemoteTestJob(handle_t, ULONG, ULONG handle, ULONG job) { return static_cast<int>(Reply(pgsim::TestJob(handle, job))); }
int TlmaRemoteSetJobInfo(handle_t, ULONG, ULONG handle, ULONG job, ULONG info, ULONG value) {
  return static_cast<int>(Reply(pgsim::SetJobInfo(handle, job, info, value)));
}
int TlmaRemoteGetJobInfo(handle_t, ULONG, ULONG handle, ULONG job, ULONG info, ULONG size, byte* buffer, ULONG* needed) {
  std::uint32_t need = 0;
  const pgsim::Outcome outcome = pgsim::GetJobInfo(handle, job, info, size ? buffer : nullptr, size, &need);
  if (needed) *needed = need;
  return static_cast<int>(Reply(outcome));
}
void TlmaRemoteStartProgress(handle_t, ULONG, ULONG handle, ULONG job) { Reply(pgsim::StartProgress(handle, job)); }
void TlmaRemoteEndProgress(handle_t, ULONG, ULONG handle, ULONG job) { Reply(pgsim::EndProgress(handle, job)); }

}  // extern "C"

int wmain(int argc, wchar_t** argv) {
  std::wstring endpoint = L"TALMER_PM_RPCV2_01", stop;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (_wcsicmp(argv[i], L"/endpoint") == 0) endpoint = argv[i + 1];
    if (_wcsicmp(argv[i], L"/stop") == 0) stop = argv[i + 1];
  }
  std::wstring protocol = L"ncacn_np", pipe = L"\\pipe\\" + endpoint;
  RPC_STATUS status = RpcServerUseProtseqEpW(reinterpret_cast<RPC_WSTR>(protocol.data()), RPC_C_PROTSEQ_MAX_REQS_DEFAULT,
                                             reinterpret_cast<RPC_WSTR>(pipe.data()), nullptr);
  if (status == RPC_S_OK) status = RpcServerRegisterIf(TlmaRemote_v1_0_s_ifspec, nullptr, nullptr);
  if (status == RPC_S_OK) status = RpcServerListen(1, RPC_C_LISTEN_MAX_CALLS_DEFAULT, TRUE);
  if (status != RPC_S_OK) {
    std::fprintf(stderr, "tlpgsvc: cannot serve %ls (%ld)\n", pipe.c_str(), static_cast<long>(status));
    return 1;
  }
  std::printf("tlpgsvc: serving %ls\n", pipe.c_str());
  std::fflush(stdout);
  if (stop.empty()) {
    RpcMgmtWaitServerListen();
    return 0;
  }
  moni::KernelHandle stopEvent(CreateEventW(nullptr, TRUE, FALSE, stop.c_str()));
  moni::KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, (stop + L".ready").c_str()));
  if (ready) SetEvent(ready.get());
  if (stopEvent) WaitForSingleObject(stopEvent.get(), INFINITE);
  RpcMgmtStopServerListening(nullptr);
  RpcMgmtWaitServerListen();
  return 0;
}
