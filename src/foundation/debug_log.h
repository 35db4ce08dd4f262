// The scoped debug log of monicore: one UTF-16 file shared by every process
// that loads the library, one entry per call, tagged with process and thread
// and indented by the nesting of traced functions.
//
// A traced function builds one CDebugLog with its name as a local; the record
// writes the scope lines, raises the process-wide nesting depth while it lives
// and lowers it when it is destroyed. Nothing is written, and the file system
// is not touched, unless the registry switch was on when the module loaded.
// Failures to write are silent: the entry is dropped.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/log_format.h"

class CDebugLog {
 public:
  explicit CDebugLog(const char* scope = nullptr);
  ~CDebugLog();
  CDebugLog(const CDebugLog&) = delete;
  CDebugLog& operator=(const CDebugLog&) = delete;

  // One entry: the printf-style format applied to the arguments (see
  // moni::logfmt::Format). The message carries its own "\n".
  template <typename... A>
  void Write(const char* format, const A&... args) {
    if (!m_bActive) return;
    WriteEntry(moni::logfmt::Format(format ? format : "", {moni::logfmt::Arg(args)...}));
  }

  // One entry: the label followed by the bytes in hex ("Binary_Data:1B 40 0A\n");
  // nothing when data is null, count is below 1 or the label is empty.
  void WriteHex(const void* data, long count, const char* label);

  // Whether the log switch is on in this process.
  static bool IsEnabled();

  // The switch as stored under root\subkey: value "log" is a non-zero REG_DWORD.
  static bool ReadSwitch(HKEY root, const wchar_t* subkey);

  // The log file in the common application-data folder, or "C:\VGL4.LOG".
  static std::wstring ResolvePath();

  // The process-wide nesting depth (the indentation of the next entry).
  static std::uint32_t Depth();

  // For tests: replaces the switch and the file path of this process. Records
  // built before keep what they had.
  static void SetSettingsForTest(bool on, std::wstring path);

  // Longest message written; a longer one is cut and keeps its line end.
  static constexpr size_t kMaxMessage = 256 * 1024;

 private:
  void WriteEntry(std::u16string_view message) const;

  bool m_bActive = false;  // the switch was on when the record was built
  std::wstring m_strPath;
  DWORD m_dwProcessId = 0;
  DWORD m_dwThreadId = 0;
};
