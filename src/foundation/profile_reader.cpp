#include "foundation/profile_reader.h"

#include <vector>

#include "foundation/debug_log.h"
#include "foundation/profile_text.h"
#include "platform/text.h"

namespace moni::profile {

namespace {
// Sections and values larger than this are refused rather than read.
constexpr size_t kHardLimit = 16 * 1024 * 1024;
}  // namespace

std::wstring ReadIniString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback) {
  if (file.empty()) return fallback;
  std::vector<wchar_t> buffer(512);
  for (;;) {
    const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), file.c_str());
    // n == size - 1: the value was cut to fit.
    if (n + 1 < buffer.size()) return std::wstring(buffer.data(), n);
    if (buffer.size() * 2 > kHardLimit) return fallback;
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

UINT ReadIniInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int fallback) {
  if (file.empty()) return static_cast<UINT>(fallback);
  return GetPrivateProfileIntW(section.c_str(), key.c_str(), fallback, file.c_str());
}

std::optional<std::u16string> ReadIniSection(const std::wstring& file, const std::wstring& section, size_t maxChars,
                                             size_t firstGuess) {
  if (file.empty()) return std::nullopt;
  size_t size = firstGuess < 4 ? 4 : firstGuess;
  for (;;) {
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD n = GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(size), file.c_str());
    // n == size - 2: the section was cut to fit the buffer.
    if (n + 2 < size) {
      if (static_cast<size_t>(n) + 1 > maxChars) return std::nullopt;
      return std::u16string(AsU16(buffer.data()), n);
    }
    if (size >= maxChars + 2 || size * 2 > kHardLimit) return std::nullopt;
    size *= 2;
  }
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring ChooseResourceSection(const std::wstring& profile, LANGID userLangId) {
  CDebugLog log("GetLanguageSection");
  const auto text = ReadIniSection(profile, L"Language", kHardLimit);
  if (!text) {
    log.Write("Error : no Language section\n");
    return {};
  }
  const auto lines = ParseLanguageLines(SplitSectionLines(*text));
  const std::wstring folder = FolderOfPath(profile);
  const auto chosen = ChooseLanguageSection(lines, userLangId, [&](const std::u16string& section) {
    const std::wstring resDll = ReadIniString(profile, ToWide(section), L"ResDll");
    return !resDll.empty() && FileExists(folder + resDll);
  });
  if (!chosen) {
    log.Write("Error : no language section with an existing ResDll\n");
    return {};
  }
  log.Write("Language section : %s\n", *chosen);
  return ToWide(*chosen);
}

}  // namespace moni::profile
