// The printer profile: the process-wide printer information that every export
// refills first, and the resolution of the model's files from the driver's
// setup data and profile file.
#pragma once
#include <string>

// The printer information record. One instance per process (Instance());
// exports refill it with SetPrinterInformation before they use it.
class CBaseInfo {
 public:
  static CBaseInfo& Instance();

  // Fills the record from the identity; returns the Result field: -1 (identity
  // incomplete, or the driver's registry-access library cannot be activated),
  // 0 (filled without a resource library) or 1 (a resource library path is
  // known). `created`, when given, is written only when a new target key had to
  // be made: 1 when that succeeded, 0 when it failed.
  int SetPrinterInformation(const std::wstring& printerName, const std::wstring& driverName, const std::wstring& portName,
                            const std::wstring& modelId, const std::wstring& profileName, const std::wstring& resourceName,
                            int* created = nullptr);

  // The Result field as it stands: -1 before the first fill and after a failed one.
  int IsEnablePrnInfo() const { return m_nResult; }

  std::wstring PrinterName, DriverName, PortName, ModelID;
  std::wstring ProfileName;     // the model's profile file (also its setup data file)
  std::wstring ResourceName;    // the resource library for the user's language
  std::wstring BmpResName;      // the bitmap library
  std::wstring CurrentUserKey;  // below HKCU: the printer's target key
  std::wstring InstallPath;     // ends in "\"; empty when it cannot be resolved
  std::wstring DuvDriverKey;    // "Software\TALMER\VGL3\Driver\" + DriverName
  std::wstring UtilityName;     // the model's utility program

  // The name that stands for the printer everywhere: PrinterName, or PortName
  // when no printer name was given.
  const std::wstring& OpenName() const { return PrinterName.empty() ? PortName : PrinterName; }

 private:
  int m_nResult = -1;
};

// Path resolution. Each returns 1 and the path, or 0 and an empty string.
// Setup data is read through the printer when a printer name is given, else
// through the driver name; driver name and model identifier must not be empty.
int GetProfileName(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName);
int GetInstallPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName);
int GetPrnDllPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName);
int GetResDllPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName);
int GetBmpDllPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName);

// A sibling program of the driver: the file that the driver's setup data
// value `valueName` names ("V_GICN", "V_GRUN", ...), else `defaultFile` in
// the driver's install folder; empty when neither is a file.
std::wstring FindSiblingProgram(const std::wstring& printerName, const std::wstring& driverName, const std::wstring& modelId,
                                const std::wstring& valueName, const std::wstring& defaultFile);

// The setup data value "ModelID" of the printer's (or the named) driver.
std::wstring GetModelIdFromDriver(const std::wstring& printerName, const std::wstring& driverName);

// 0 for an empty name; 1 when the printer cannot be opened or its printer data
// "DUVSetting" is the DWORD 1 (monitoring switched off); 0 otherwise.
int IsDuvSettingOn(const std::wstring& printerName);
