// Reading the model's profile file (INI format) whole: values of any length
// and sections however long they are.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace moni::profile {

// The value, or the fallback when the file or the value is missing.
std::wstring ReadIniString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback = L"");
// The integer value (GetPrivateProfileIntW), or the fallback.
UINT ReadIniInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int fallback);

// The section's lines, each ended by a zero character, read whole; the buffer
// starts at `firstGuess` characters and grows. Nothing when the section would
// take more than `maxChars` characters (with its final zero) or the file has
// no such section content.
std::optional<std::u16string> ReadIniSection(const std::wstring& file, const std::wstring& section, size_t maxChars,
                                             size_t firstGuess = 1024);

// The language section whose "ResDll" names an existing file in the profile's
// folder, chosen for the language id with the fallbacks of the language
// choice; empty when none qualifies.
std::wstring ChooseResourceSection(const std::wstring& profile, LANGID userLangId);

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// The folder of a path, with its trailing "\" ("" when it has none).
std::wstring FolderOfPath(const std::wstring& path);

}  // namespace moni::profile
