// The spooler-side service that monitors printers shared over the network:
// its state in the service manager, and its program, which the driver ships
// and the monitor copies to its place and starts to install (" /IS") or
// remove (" /R") the service. Service actions report through their results
// only; nothing is shown.
#pragma once
#include <windows.h>

#include <string>

class CServiceProgram {
 public:
  // The driver's service as its setup data names it: "STMSRV_INTERNALNAME"
  // (the service name; "TALMER_PM_RPCV2_01" when empty) and "STMSRV_NAME" (the
  // program in the driver's install folder, "V_G00RP1.EXE" when absent).
  static CServiceProgram ForDriver(const std::wstring& driverName, const std::wstring& printerName,
                                   const std::wstring& installPath);

  // `internalName` may be empty; `source` is the driver's program.
  CServiceProgram(const std::wstring& internalName, const std::wstring& source);

  const std::wstring& ServiceName() const { return m_strServiceName; }
  const std::wstring& SourcePath() const { return m_strSource; }
  // Where the program is copied and started from: below the common
  // application-data folder ("TALMER\TLW!3 SSRP") when the driver names its
  // service, else the system folder.
  const std::wstring& TargetPath() const { return m_strTarget; }

  // The service's state (moni::prefs::kService*): -2 the manager cannot be
  // opened, -1 not installed, 2 running, 1 installed and not running, 0 its
  // state cannot be read.
  int Check() const;

  // Copies the program over its target (when installing; the folder is made)
  // and starts the target to install or remove the service, without waiting
  // for it. 1 started, -1 not started, -2 the source cannot be read.
  int Set(bool install) const;

  // Brings an installed service's program up to date: when the target is
  // missing or older than the source, removes the service, waits while the
  // manager still finds it (at most `attempts` times `waitMs`), then copies
  // and installs again. 0 nothing to do, else the result of the install.
  int Refresh(DWORD waitMs, int attempts) const;

 private:
  std::wstring m_strInternalName;
  std::wstring m_strServiceName;
  std::wstring m_strSource;
  std::wstring m_strTarget;
};
