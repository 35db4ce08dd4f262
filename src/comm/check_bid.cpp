#include "comm/check_bid.h"

#include "comm/bid_generation.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"
#include "platform/system.h"
#include "platform/text.h"

std::mutex CCheckBid::s_agentLock;

namespace {

constexpr wchar_t kAgent1Key[] = L"Software\\TALMER\\BQPrinter\\SAgent";
constexpr wchar_t kAgent2Key[] = L"Software\\TALMER\\BQPrinter\\SAgent2";
constexpr wchar_t kAgent4Key[] = L"Software\\TALMER\\BQPrinter4\\SAgent4";
constexpr wchar_t kAllowMonitoring[] = L"AllowMonitoring";
constexpr int kAgentException = -99;

bool KeyOpens(const wchar_t* subkey) {
  moni::RegKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// A REG_DWORD "AllowMonitoring" other than 0; a missing key or value, or one
// of another type, does not allow.
bool AllowMonitoring(const wchar_t* subkey) {
  moni::RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExW(key.get(), kAllowMonitoring, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return false;
  return type == REG_DWORD && size == sizeof value && value != 0;
}


}  // namespace

CCheckBid::CCheckBid(const std::wstring& driverName, const std::wstring& printerName)
    : m_strDriverName(driverName), m_strPrinterName(printerName) {
  JudgementBiDirectionalModule(driverName, printerName);
}

int CCheckBid::JudgementBiDirectionalModule(const std::wstring& driverName, const std::wstring& printerName) {
  CDebugLog log("CCheckBid::JudgementBiDirectionalModule");
  m_nGeneration = 1;
  if (driverName.empty() || printerName.empty()) return m_nGeneration;
  using Source = CDatReader::Source;
  const std::wstring key = moni::DriverKey(driverName);
  // A missing value reads as (DWORD)-1: "not given", like 0.
  const auto version = static_cast<std::int32_t>(CDatReader::GetPrivateRegDword(Source::Printer, printerName, key, L"BQAPI_VERSION"));
  std::wstring library;
  if (version <= 0) library = CDatReader::GetPrivateRegString(Source::Printer, printerName, key, L"BQAPI32");
  m_nGeneration = moni::comm::BidGeneration(version, moni::ToU16(library));
  log.Write("BQAPI generation : %d\n", m_nGeneration);
  return m_nGeneration;
}

int CCheckBid::IsSAgentAllowMonitoring() const {
  DWORD agentType = 0;
  std::wstring controlDll;
  if (m_nGeneration == 4 && !m_strPrinterName.empty() && !m_strDriverName.empty()) {
    using Source = CDatReader::Source;
    const std::wstring key = moni::DriverKey(m_strDriverName);
    agentType = CDatReader::GetPrivateRegDword(Source::Printer, m_strPrinterName, key, L"SAgentType");
    controlDll = CDatReader::GetPrivateRegString(Source::Printer, m_strPrinterName, key, L"SAgentControlDll");
  }
  return AgentAllowsMonitoring(m_nGeneration, m_strDriverName, agentType, controlDll);
}

int CCheckBid::AgentAllowsMonitoring(int generation, const std::wstring& driverName, DWORD agentType,
                                     const std::wstring& controlDll) {
  CDebugLog log("CCheckBid::AgentAllowsMonitoring");
  switch (generation) {
    case 1:
      return KeyOpens(kAgent1Key) ? 1 : 0;
    case 2:
      return AllowMonitoring(kAgent2Key) ? 1 : 0;
    case 4: {
      if (agentType == 1 && !controlDll.empty()) {
        const int checked = CheckAgentLibrary(driverName, controlDll);
        if (checked >= 0) return checked;
      }
      return AllowMonitoring(kAgent4Key) ? 1 : 0;
    }
    default:
      return 0;
  }
}

int CCheckBid::CheckAgentLibrary(const std::wstring& driverName, const std::wstring& controlDll) {
  CDebugLog log("CCheckBid::CheckAgentLibrary");
  std::lock_guard lock(s_agentLock);
  // Loaded into the host's process: a bare name from the system folder only.
  moni::Module lib = moni::LoadNamedLibrary(controlDll);
  if (!lib) {
    log.Write("Error : LoadLibrary %d\n", static_cast<unsigned long>(GetLastError()));
    return -1;
  }
  const auto install = moni::ProcAddress<AgentFn>(lib.get(), "InstallSAgent");
  const auto start = moni::ProcAddress<AgentFn>(lib.get(), "StartSAgent");
  const auto check = moni::ProcAddress<AgentFn>(lib.get(), "CheckSAgent");
  const auto uninstall = moni::ProcAddress<AgentFn>(lib.get(), "UninstallSAgent");
  if (!install || !start || !check || !uninstall) {
    log.Write("Error : GetProcAddress\n");
    return -1;
  }
  const int state = moni::GuardedCall(kAgentException, [&] { return check(driverName.c_str()); });
  if (state == kAgentException) log.Write("Exception Error : CheckSAgent\n");
  log.Write("CheckSAgent : %d\n", state);
  return state == 1 || state == 2 ? 1 : 0;
}
