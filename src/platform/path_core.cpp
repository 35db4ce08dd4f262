#include "platform/path_core.h"

namespace moni {

namespace {
bool IsSlash(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
}  // namespace

LibraryPath ClassifyLibraryPath(std::u16string_view path) {
  if (path.empty()) return LibraryPath::kRelative;
  if (path.size() >= 3 && IsLetter(path[0]) && path[1] == u':' && IsSlash(path[2])) return LibraryPath::kFullPath;
  if (path.size() >= 3 && IsSlash(path[0]) && IsSlash(path[1]) && !IsSlash(path[2])) return LibraryPath::kFullPath;
  for (char16_t c : path)
    if (IsSlash(c) || c == u':') return LibraryPath::kRelative;
  // "." and ".." name folders, not files.
  if (path == u"." || path == u"..") return LibraryPath::kRelative;
  return LibraryPath::kBareName;
}

}  // namespace moni
