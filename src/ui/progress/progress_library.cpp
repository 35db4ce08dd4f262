#include "ui/progress/progress_library.h"

#include <cstdint>
#include <vector>

#include "foundation/debug_log.h"
#include "platform/seh_guard.h"
#include "platform/spooler.h"
#include "platform/system.h"
#include "ui/progress/progress_core.h"
#include "tlma_remote.h"

// Memory for the RPC stubs.
extern "C" void* __RPC_USER MIDL_user_allocate(SIZE_T size) { return HeapAlloc(GetProcessHeap(), 0, size); }
extern "C" void __RPC_USER MIDL_user_free(void* p) { HeapFree(GetProcessHeap(), 0, p); }

namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// Remote handles are the service's 32-bit numbers carried in a HANDLE.
unsigned long RemoteNumber(HANDLE handle) { return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(handle)); }
HANDLE FromRemote(unsigned long number) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(number)); }

template <typename Fn>
bool Fetch(HMODULE module, WORD ordinal, Fn& out) {
  out = moni::ProcAddress<Fn>(module, MAKEINTRESOURCEA(ordinal));
  return out != nullptr;
}

}  // namespace

std::wstring CProgressLibrary::ProgramFolder() {
  const std::wstring full = moni::RunningProgramPath();
  return full.substr(0, full.find_last_of(L"\\/") + 1);
}

bool CProgressLibrary::RenderedOnServer(const std::wstring& dataType) { return dataType.find(L"EMF") != std::wstring::npos; }

bool CProgressLibrary::Load(const LoadArgs& args) {
  CDebugLog log("CProgressLibrary::Load");
  Free();
  const std::wstring server = Wide(moni::progress::ServerOfPrinter(U16(args.printer)));
  if (!server.empty()) {
    std::wstring dataType;
    if (moni::spooler::GetJobDataType(args.printer, args.startJob, dataType) && RenderedOnServer(dataType)) {
      log.Write("remote : server %s, data type %s\n", server, dataType);
      return LoadRemote(args, server);
    }
  }
  return LoadLocal(args);
}

bool CProgressLibrary::LoadLocal(const LoadArgs& args) {
  CDebugLog log("CProgressLibrary::LoadLocal");
  if (args.library.empty() || args.library.find_first_of(L"\\/:") != std::wstring::npos) {
    log.Write("Error : library name %s\n", args.library);
    return false;
  }
  const std::wstring path = args.folder + args.library;
  m_module.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!m_module) {
    log.Write("Error : LoadLibrary %s (%lu)\n", path, GetLastError());
    return false;
  }
  const HMODULE h = m_module.get();
  const bool all = Fetch(h, tlma::kOrdOpen, m_pOpen) && Fetch(h, tlma::kOrdClose, m_pClose) &&
                   Fetch(h, tlma::kOrdTest, m_pTest) && Fetch(h, tlma::kOrdGetCurrentJob, m_pGetCurrentJob) &&
                   Fetch(h, tlma::kOrdTestJob, m_pTestJob) && Fetch(h, tlma::kOrdSetJobInfo, m_pSetJobInfo) &&
                   Fetch(h, tlma::kOrdGetJobInfo, m_pGetJobInfo) && Fetch(h, tlma::kOrdStartProgress, m_pStartProgress) &&
                   Fetch(h, tlma::kOrdEndProgress, m_pEndProgress);
  if (!all) {
    log.Write("Error : %s lacks an operation\n", path);
    Free();
    return false;
  }
  return true;
}

bool CProgressLibrary::LoadRemote(const LoadArgs& args, const std::wstring& server) {
  CDebugLog log("CProgressLibrary::LoadRemote");
  std::wstring endpoint = Wide(moni::progress::RemoteEndpoint(U16(args.serviceName)));
  std::wstring protocol = L"ncacn_np", address = server;
  RPC_WSTR text = nullptr;
  if (RpcStringBindingComposeW(nullptr, reinterpret_cast<RPC_WSTR>(protocol.data()), reinterpret_cast<RPC_WSTR>(address.data()),
                               reinterpret_cast<RPC_WSTR>(endpoint.data()), nullptr, &text) != RPC_S_OK) {
    log.Write("Error : RpcStringBindingCompose\n");
    return false;
  }
  const RPC_STATUS status = RpcBindingFromStringBindingW(text, m_binding.put());
  RpcStringFreeW(&text);
  if (status != RPC_S_OK) {
    log.Write("Error : RpcBindingFromStringBinding (%ld)\n", static_cast<long>(status));
    m_binding.reset();
    return false;
  }
  const RPC_BINDING_HANDLE binding = m_binding.get();
  m_ulInstance = moni::GuardedCall(0ul, [&] { return TlmaRemoteLoad(binding, args.printer.c_str(), args.library.c_str()); });
  log.Write("instance : %x, endpoint %s\n", m_ulInstance, endpoint);
  if (m_ulInstance == 0) {
    m_binding.reset();
    return false;
  }
  return true;
}

void CProgressLibrary::Free() {
  if (m_binding) {
    const RPC_BINDING_HANDLE binding = m_binding.get();
    const unsigned long instance = m_ulInstance;
    moni::Guarded([&] { TlmaRemoteFree(binding, instance); });
    m_binding.reset();
    m_ulInstance = 0;
  }
  m_module.reset();
  m_pOpen = nullptr;
  m_pClose = nullptr;
  m_pTest = nullptr;
  m_pGetCurrentJob = nullptr;
  m_pTestJob = nullptr;
  m_pSetJobInfo = nullptr;
  m_pGetJobInfo = nullptr;
  m_pStartProgress = nullptr;
  m_pEndProgress = nullptr;
}

HANDLE CProgressLibrary::Open(const std::wstring& printer, const std::wstring& port, DWORD level, DWORD jobId) {
  if (m_binding) {
    const std::wstring local = Wide(moni::progress::PrinterWithoutServer(U16(printer)));
    unsigned long id = jobId;
    const unsigned long handle = moni::GuardedCall(0ul, [&] {
      return TlmaRemoteOpen(m_binding.get(), m_ulInstance, local.c_str(), port.c_str(), level, &id, sizeof(DWORD));
    });
    return FromRemote(handle);
  }
  if (!m_pOpen) return nullptr;
  DWORD id = jobId;
  return moni::GuardedCall<HANDLE>(nullptr, [&] { return m_pOpen(printer.c_str(), port.c_str(), level, &id, sizeof(DWORD)); });
}

void CProgressLibrary::Close(HANDLE handle) {
  if (m_binding) {
    moni::Guarded([&] { TlmaRemoteClose(m_binding.get(), m_ulInstance, RemoteNumber(handle)); });
  } else if (m_pClose) {
    moni::Guarded([&] { m_pClose(handle); });
  }
}

BOOL CProgressLibrary::Test(HANDLE handle) {
  if (m_binding) return moni::GuardedCall(FALSE, [&] { return TlmaRemoteTest(m_binding.get(), m_ulInstance, RemoteNumber(handle)); });
  return m_pTest ? moni::GuardedCall(FALSE, [&] { return m_pTest(handle); }) : FALSE;
}

DWORD CProgressLibrary::GetCurrentJob(HANDLE handle) {
  if (m_binding) {
    return moni::GuardedCall<DWORD>(0, [&] { return TlmaRemoteGetCurrentJob(m_binding.get(), m_ulInstance, RemoteNumber(handle)); });
  }
  return m_pGetCurrentJob ? moni::GuardedCall<DWORD>(0, [&] { return m_pGetCurrentJob(handle); }) : 0;
}

BOOL CProgressLibrary::TestJob(HANDLE handle, DWORD job) {
  if (m_binding) {
    return moni::GuardedCall(FALSE, [&] { return TlmaRemoteTestJob(m_binding.get(), m_ulInstance, RemoteNumber(handle), job); });
  }
  return m_pTestJob ? moni::GuardedCall(FALSE, [&] { return m_pTestJob(handle, job); }) : FALSE;
}

BOOL CProgressLibrary::SetJobInfo(HANDLE handle, DWORD job, DWORD info, DWORD value) {
  if (m_binding) {
    return moni::GuardedCall(FALSE, [&] {
      return TlmaRemoteSetJobInfo(m_binding.get(), m_ulInstance, RemoteNumber(handle), job, info, value);
    });
  }
  return m_pSetJobInfo ? moni::GuardedCall(FALSE, [&] { return m_pSetJobInfo(handle, job, info, &value); }) : FALSE;
}

BOOL CProgressLibrary::GetJobInfo(HANDLE handle, DWORD job, DWORD info, BYTE* buffer, DWORD size, DWORD* needed) {
  DWORD need = 0;
  BOOL ok = FALSE;
  if (m_binding) {
    // The stub always carries a buffer: a size query sends an empty one.
    BYTE none = 0;
    unsigned long got = 0;
    ok = moni::GuardedCall(FALSE, [&] {
      return TlmaRemoteGetJobInfo(m_binding.get(), m_ulInstance, RemoteNumber(handle), job, info, buffer ? size : 0,
                                  buffer ? buffer : &none, &got);
    });
    need = got;
  } else if (m_pGetJobInfo) {
    ok = moni::GuardedCall(FALSE, [&] { return m_pGetJobInfo(handle, job, info, buffer, size, &need); });
  }
  if (needed) *needed = need;
  return ok;
}

void CProgressLibrary::StartProgress(HANDLE handle, DWORD job) {
  if (m_binding) {
    moni::Guarded([&] { TlmaRemoteStartProgress(m_binding.get(), m_ulInstance, RemoteNumber(handle), job); });
  } else if (m_pStartProgress) {
    moni::Guarded([&] { m_pStartProgress(handle, job); });
  }
}

void CProgressLibrary::EndProgress(HANDLE handle, DWORD job) {
  if (m_binding) {
    moni::Guarded([&] { TlmaRemoteEndProgress(m_binding.get(), m_ulInstance, RemoteNumber(handle), job); });
  } else if (m_pEndProgress) {
    moni::Guarded([&] { m_pEndProgress(handle, job); });
  }
}
