// The status agent of the communication library as the monitoring
// preferences use it: its type (the generation of the library that serves the
// driver, CCheckBid), whether it can monitor printers shared over the network,
// its current setting for that, and the switch that changes it.
//
// The setting and the switch are reached through the driver's agent-control
// library (the setup data value "SAgentControlDll" of the driver), which
// exports, besides the four functions CCheckBid requires:
//   int CanSAgentShare(const wchar_t* driver)           1 possible, 0 not
//   int GetSAgentShare(const wchar_t* driver)           1 on, 0 off
//   int SetSAgentShare(const wchar_t* driver, int on)   0 switched
// (negative results are failures). The library is loaded for each call and
// unloaded after it; each call runs under the structured-exception guard. A
// switch may take a while: callers run it away from their window's thread.
#pragma once
#include <windows.h>

#include <string>

class CStatusAgent {
 public:
  // Reads the agent type and the control library's name from the driver's
  // setup data (through the printer).
  CStatusAgent(const std::wstring& driverName, const std::wstring& printerName);

  int Type() const { return m_nType; }
  const std::wstring& ControlLibrary() const { return m_strControlDll; }

  // Whether the agent says it can monitor shared printers; false when it
  // cannot be asked.
  bool CanShare() const;
  // The agent's current setting: 1 on, 0 off, -1 when it cannot be asked.
  int GetShare() const;
  // Switches the setting; true when the agent reports it done.
  bool SetShare(bool on) const;

  using QueryFn = int (*)(const wchar_t* driverName);
  using SwitchFn = int (*)(const wchar_t* driverName, int on);

 private:
  // Runs `call` with the loaded library; `failure` when it cannot be loaded,
  // lacks the export, or the call raises.
  template <typename Fn, typename Call>
  int WithExport(const char* exportName, int failure, Call call) const;

  std::wstring m_strDriverName;
  int m_nType = 1;
  std::wstring m_strControlDll;
};
