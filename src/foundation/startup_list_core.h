// What a value of the user's start-up list (the HKCU Run key) says about the
// tray program it starts (portable core, no windows.h). The monitor writes
// such a value as
//
//   <tray program> /FU "<parameter file>" /EF "HKCU"
//
// with the program path in double quotes when it holds a blank.
#pragma once
#include <string>
#include <string_view>

namespace moni::startup {

// The name of a printer's start-up value: the printer name, or the port name
// when there is none.
std::u16string EntryName(std::u16string_view printer, std::u16string_view port);

struct StartupValue {
  std::u16string program;    // the first word: a quoted path, or the text before " /"
  std::u16string paramFile;  // the quoted value of "/FU" (or of the older "/F"); empty when none
  std::u16string from;       // the value of "/EF" ("HKCU", "HKLM"); empty when none
};

// Reads a start-up value. A parameter file is taken only from a switch with a
// value in double quotes: a value without double quotes names no file.
StartupValue ParseStartupValue(std::u16string_view value);

// Parameter files of the monitor are made with the prefix "V_G" (any case).
bool HasParamFilePrefix(std::u16string_view fileName);

}  // namespace moni::startup
