// The monitor map: one named, pagefile-backed section per driver that every
// process of the monitor shares, holding for each printer the windows that
// serve it (status window, preferences dialog, tray program). Before opening
// such a window a process registers its role; when a live window already
// holds the role, it hands over to that window instead. The record walk is
// moni::monitormap (monitor_map_core.h); this is the section around it.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace moni::monitormap {

// Results of MultiExecuteCheck and CheckMapPrinter.
inline constexpr int kHolds = 0;
inline constexpr int kHeldByOther = 1;
inline constexpr int kUnusable = 2;

inline constexpr size_t kMapNameCapacity = 260;  // characters, with the terminator

}  // namespace moni::monitormap

// The section name for a printer (or port): the setup data value "MapFileName"
// of the printer's driver, else "DuvV5MapFile_Ink". Returns its length.
int GetMapFileName(const std::wstring& printerOrPort, std::wstring& name);

// Registers `role` (0 preferences, 1 or 2 status window, 3 tray program) for
// the printer, or the port when the printer name is empty: 0 this process now
// holds it, 1 a live window holds it (`other`), 2 the section cannot be used.
// On 0 and 1 `section` holds the section, which the caller keeps open while
// its window lives; on 2 it is empty.
int MultiExecuteCheck(const std::wstring& printerName, const std::wstring& portName, int role, HWND own, HWND* other,
                      moni::KernelHandle& section);

// The table walk behind MultiExecuteCheck, on an open section.
int CheckMapPrinter(HANDLE section, const std::wstring& key, int role, HWND own, HWND* other);

// Stores the tray program's window into the printer's existing record: 0
// stored, -1 the section cannot be opened or mapped, 1 the key is not there.
int SethWindow(const std::wstring& printerName, const std::wstring& portName, HWND window);

// Clears the role of the printer's record; the record is freed when no role
// remains.
void ReleaseMapPrinter(HANDLE section, const std::wstring& printerName, const std::wstring& portName, int role);

namespace moni::monitormap {

// Creates or opens the named section (read-write, the full table); a newly
// created one gets its end marker. Empty on failure.
KernelHandle CreateOrOpenSection(const std::wstring& name);

// For tests and tools: the whole table of a section, mapped.
MappedView MapTable(HANDLE section, DWORD access = FILE_MAP_ALL_ACCESS);

}  // namespace moni::monitormap
