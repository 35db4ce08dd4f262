// The commands of monictl. Each takes the arguments after its name and returns
// the exit code: 0 success, 1 the command's check or lookup failed, 2 usage.
#pragma once
#include <functional>
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
int CmdReminder(const Args& args);
int CmdIcons(const Args& args);
int CmdPrefs(const Args& args);
int CmdView(const Args& args);
int CmdGallery(const Args& args);
int CmdStory(const Args& args);

// The folder of monictl.exe (monicore.dll is installed beside it), with a
// trailing backslash.
std::wstring ProgramFolder();

// A path as Windows takes it: one of the Linux side ("/...") becomes "Z:\...",
// and forward slashes become backslashes.
std::wstring WindowsPath(std::wstring path);

// Prints the usage text to stderr and returns 2.
int UsageError(const char* message);

// Calls each(line number, line) for the lines of a batch file, leaving out
// blank lines and lines whose first character after blanks is "#". False,
// with a message on stderr, when the file cannot be read or is larger than
// `maxBytes`.
bool ForEachBatchLine(const std::wstring& file, size_t maxBytes,
                      const std::function<void(size_t, const std::string&)>& each);

// Text for output: UTF-16 to UTF-8, and JSON string escaping (with quotes).
std::string Utf8(const std::wstring& text);
std::string JsonString(const std::wstring& text);

// Why a file that could not be read was refused, as the end of a sentence
// "... cannot be read: <reason>": no such file, a folder, larger than
// `maxBytes` (what the monitor reads of a `kind`), or the system's error.
std::string ReadProblem(const std::wstring& path, unsigned long long maxBytes, const char* kind);

}  // namespace monictl
