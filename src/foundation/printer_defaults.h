// Writing a printer's first-time defaults from the model's setup data into
// its target key: what PrSetRegDefaultValue does, shared with the tray icon
// installation, which runs it inside the library.
#pragma once
#include <string>

// Fills the printer information (which finds or creates the printer's target
// key) and copies the model's defaults into the key. `datFile` may be empty
// (then the model's setup data file is looked up). 0 on success, 1 when the
// printer information or the target key cannot be had, else the result of
// SetRegDefaultValue (4: the notification items were not copied).
int SetPrinterDefaults(const std::wstring& printer, const std::wstring& driver, const std::wstring& port,
                       const std::wstring& model, const std::wstring& datFile);
