#include "comm/status_agent.h"

#include <mutex>

#include "comm/check_bid.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"

namespace {

constexpr wchar_t kDriverKey[] = L"Software\\TALMER\\VGL3\\Driver\\";
constexpr int kAgentException = -99;
constexpr int kNoAgent = -98;

// One use of the agent-control library at a time in this process.
std::mutex g_agentLock;

}  // namespace

CStatusAgent::CStatusAgent(const std::wstring& driverName, const std::wstring& printerName) : m_strDriverName(driverName) {
  CDebugLog log("CStatusAgent::CStatusAgent");
  m_nType = CCheckBid(driverName, printerName).GetGeneration();
  if (!driverName.empty() && !printerName.empty()) {
    m_strControlDll = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, printerName, kDriverKey + driverName,
                                                      L"SAgentControlDll");
  }
  log.Write("Agent type : %d, control library : %s\n", m_nType, m_strControlDll);
}

template <typename Fn, typename Call>
int CStatusAgent::WithExport(const char* exportName, int failure, Call call) const {
  CDebugLog log("CStatusAgent::WithExport");
  if (m_strControlDll.empty() || m_strDriverName.empty()) {
    log.Write("Error : no agent-control library for %s\n", exportName);
    return failure;
  }
  std::lock_guard hold(g_agentLock);
  moni::Module lib(LoadLibraryW(m_strControlDll.c_str()));
  const Fn fn = lib ? moni::ProcAddress<Fn>(lib.get(), exportName) : nullptr;
  if (!fn) {
    log.Write("Error : %s not available in %s\n", exportName, m_strControlDll);
    return failure;
  }
  const int result = moni::GuardedCall(kAgentException, [&] { return call(fn); });
  if (result == kAgentException) {
    log.Write("Exception Error : %s\n", exportName);
    return failure;
  }
  log.Write("%s = %d\n", exportName, result);
  return result;
}

bool CStatusAgent::CanShare() const {
  return WithExport<QueryFn>("CanSAgentShare", kNoAgent, [&](QueryFn fn) { return fn(m_strDriverName.c_str()); }) == 1;
}

int CStatusAgent::GetShare() const {
  const int state = WithExport<QueryFn>("GetSAgentShare", kNoAgent, [&](QueryFn fn) { return fn(m_strDriverName.c_str()); });
  return state < 0 ? -1 : (state == 1 ? 1 : 0);
}

bool CStatusAgent::SetShare(bool on) const {
  return WithExport<SwitchFn>("SetSAgentShare", kNoAgent, [&](SwitchFn fn) { return fn(m_strDriverName.c_str(), on ? 1 : 0); }) == 0;
}
