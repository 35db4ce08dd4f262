// Whole-file reads and writes, and the user's temporary folder.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace moni::files {

// The user's temporary folder with its trailing "\", or empty when the system
// gives none that fits MAX_PATH.
std::wstring TempFolder();
// The same, or ".\" when there is none.
std::wstring TempFolderOrCurrent();

// The whole file, or false when it cannot be opened or read or is larger than
// `maxBytes`.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD maxBytes);

// Writes the bytes into a new file of a unique name in the temporary folder
// (".\" when there is none) made with the prefix (GetTempFileName). Returns the
// full path, or empty when the file cannot be made or written (nothing is
// left behind then).
std::wstring WriteNewTempFile(const wchar_t* prefix, std::string_view bytes);

// Opens (or creates) a log file and appends the bytes at its end as one
// entry. Writers in other processes that append through here wait for each
// other, so entries never overwrite or split each other (appending alone is
// not atomic everywhere). False when the file cannot be opened or written.
bool AppendEntry(const std::wstring& path, std::string_view bytes);

// The UTF-16LE bytes of a text, without byte-order mark, optionally with the
// terminating zero character.
std::string Utf16Bytes(std::wstring_view text, bool withTerminator);

}  // namespace moni::files
