// The traces a printer's tray program leaves for the next log-on: its entry in
// HKCU's Run key and the parameter file that entry names. The start-up
// (tray_app) and the frame (main_frame) both remove them.
#pragma once
#include <string>

namespace moni::tray {

// Removes the printer's start-up entry from HKCU's Run key: the value named
// like the printer, or (without a printer name) the first value whose data
// contains the parameter file path.
void DeleteStartupReg(const std::wstring& printerName, const std::wstring& paramFile);
// Deletes a parameter file: at the path, else in the temporary folder.
void DeleteParamFile(const std::wstring& path);

}  // namespace moni::tray
