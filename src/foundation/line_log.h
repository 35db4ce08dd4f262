// The line log of monitray: ANSI text in the user's temporary folder, one line
// per entry tagged with the process and the time, "\r\n" line ends. It is off
// unless HKCU "SOFTWARE\TALMER\VGL3" value "V_GIC" is non-zero. The file is
// opened for each entry only, so it can be read or deleted while the program
// runs; failures are silent.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

// Resolves the path (temporary folder + fileName; a null name means
// "V_G40IC.LOG") and reads the switch. Called once by the program's entry
// function, before any other call.
void LogOpen(const wchar_t* fileName);

// Entries "%s\n", "%s : %s\n" and "%s : %d\n". Each returns 1 when the entry
// was written, 0 when the log is off, an argument is null or writing failed.
int LogWrite(const wchar_t* text);
int LogWriteStr(const wchar_t* label, const wchar_t* text);
int LogWriteInt(const wchar_t* label, int value);

namespace moni::linelog {

inline constexpr wchar_t kDefaultFileName[] = L"V_G40IC.LOG";
inline constexpr size_t kPathCapacity = MAX_PATH;  // characters, terminator included

// The log file for a temporary folder: folder + fileName, or "C:\" + fileName
// when the folder is empty or the joined path does not fit kPathCapacity;
// empty when even that does not fit (the log stays off then).
std::wstring ResolvePath(std::wstring_view tempFolder, std::wstring_view fileName);

// The switch as stored under root\subkey: value "V_GIC" read into a zeroed
// 4-byte buffer is non-zero; a value longer than 4 bytes leaves it off.
bool ReadSwitch(HKEY root, const wchar_t* subkey);

// For tests: replaces the switch and the path of this process.
void SetSettingsForTest(bool on, std::wstring path);

}  // namespace moni::linelog
