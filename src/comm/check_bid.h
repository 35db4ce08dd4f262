// Which generation of the communication library and its status agent serves a
// driver, and whether that agent lets the monitor watch the printer.
//
// Generation 1 to 4 comes from the driver's setup data: "BQAPI_VERSION", or
// the "BQAPI32" library name when no version is given (moni::comm::BidGeneration).
// The agents:
//   1: the key HKLM\Software\TALMER\BQPrinter\SAgent exists (readable);
//   2: HKLM\Software\TALMER\BQPrinter\SAgent2 "AllowMonitoring" is not 0;
//   3: never;
//   4: with the driver's agent-control library ("SAgentType" 1 and
//      "SAgentControlDll" naming a library with InstallSAgent, StartSAgent,
//      CheckSAgent and UninstallSAgent), CheckSAgent for the driver reports 1
//      or 2; without it, HKLM\Software\TALMER\BQPrinter4\SAgent4
//      "AllowMonitoring" is not 0.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>

class CCheckBid {
 public:
  CCheckBid(const std::wstring& driverName, const std::wstring& printerName);

  // Computes the generation from the driver's setup data read for the printer;
  // 1 when either name is empty. Returns it and keeps it.
  int JudgementBiDirectionalModule(const std::wstring& driverName, const std::wstring& printerName);
  int GetGeneration() const { return m_nGeneration; }

  // 1 when the status agent of this driver's generation allows monitoring, else 0.
  int IsSAgentAllowMonitoring() const;

  // The rule for a generation, with the driver's agent settings as read from
  // its setup data ("SAgentType", "SAgentControlDll").
  static int AgentAllowsMonitoring(int generation, const std::wstring& driverName, DWORD agentType, const std::wstring& controlDll);

  // The agent-control library's exports.
  using AgentFn = int (*)(const wchar_t* driverName);

 private:
  // CheckSAgent through the agent-control library: 1 allowed, 0 not, -1 when
  // the library cannot be used (not loaded or an export missing).
  static int CheckAgentLibrary(const std::wstring& driverName, const std::wstring& controlDll);

  int m_nGeneration = 1;
  std::wstring m_strDriverName;
  std::wstring m_strPrinterName;

  // Serialises the use of the agent-control library in this process.
  static std::mutex s_agentLock;
};
