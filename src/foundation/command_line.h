// The parameters the programs of the system start each other with: the
// parser of the tray program (CTrayCommandLineInfo), also used by the host
// tool and the sample sibling programs, and the parameter file writer of the
// library (CParamFile). Scanning and writing the text are moni::cmdline
// (command_line_core.h, parameter_text_core.h).
#pragma once
#include <windows.h>

#include <string>

#include "foundation/command_line_core.h"
#include "foundation/parameter_text_core.h"

// GetSwitch over a wide text: the index-th switch's name and value; the
// value's length, or -1 when there is no such switch.
int GetSwitch(const std::wstring& text, int index, std::wstring& name, std::wstring& value);

class CTrayCommandLineInfo {
 public:
  // Parses every switch of the text; a parameter file named by "FU" is read
  // and parsed after it (its switches win) and then deleted unless "EF" was
  // given. Finally a missing driver or port name is taken from the spooler
  // and a missing model identifier from the driver's setup data.
  // Tools that only look at a text leave the file where it is.
  void Parse(const std::wstring& text, bool deleteParamFile = true);

  std::wstring m_szPrinterName, m_szDriverName, m_szPortName, m_szModelID;
  bool m_fRemove = false;
  bool m_fIconInstall = false;
  int m_IconFrom = 0;
  std::wstring m_szParamFile;  // the "FU" value as given
  bool m_fParamFileRead = false;

  // Every switch, including those the tray program only stores.
  moni::cmdline::TrayFields fields;

  // The longest parameter file read.
  static constexpr DWORD kMaxParamFileBytes = 1024 * 1024;

 private:
  bool ReadParamFile(bool deleteAfter);
  void CompleteIdentity();
  void CopyOut();
};

// Reads a parameter file: at `path`, else in the temporary folder (".\" when
// there is none) joined with `path`. The file that was read (or, when none
// could be read, the temporary-folder candidate) is named in `used`.
bool ReadParameterFile(const std::wstring& path, std::wstring& text, std::wstring& used);

// The library's parameter file writer.
class CParamFile {
 public:
  void SetIdentity(const std::wstring& printer, const std::wstring& port, const std::wstring& model);
  moni::cmdline::ParameterSet& Switches() { return m_set; }

  // Writes the file into the temporary folder (prefix "V_G") and returns its
  // full path; empty when a line does not fit or the file cannot be written.
  std::wstring Write();
  // Deletes a file written before (a bare name is looked up in the temporary
  // folder).
  static bool Delete(const std::wstring& path);

 private:
  moni::cmdline::ParameterSet m_set;
};
