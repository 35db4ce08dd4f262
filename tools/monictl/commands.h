// The commands of monictl. Each takes the arguments after its name and returns
// the exit code: 0 success, 1 the command's check or lookup failed, 2 usage.
#pragma once
#include <string>
#include <vector>

namespace monictl {

using Args = std::vector<std::wstring>;

int CmdExports(const Args& args);
int CmdSetupData(const Args& args);
int CmdStatus(const Args& args);
int CmdDecode(const Args& args);
int CmdPrinters(const Args& args);
int CmdWatch(const Args& args);
int CmdParams(const Args& args);
int CmdPrefs(const Args& args);

// The folder of monictl.exe (monicore.dll is installed beside it), with a
// trailing backslash.
std::wstring ProgramFolder();

// Prints the usage text to stderr and returns 2.
int UsageError(const char* message);

// Text for output: UTF-16 to UTF-8, and JSON string escaping (with quotes).
std::string Utf8(const std::wstring& text);
std::string JsonString(const std::wstring& text);

}  // namespace monictl
