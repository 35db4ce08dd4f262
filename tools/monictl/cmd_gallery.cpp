// monictl gallery: every window of the monitor in its telling states, from the
// installed resource libraries or a given one, as PNG files and an
// index.html that flags what it detects (see product_gallery.h).
#include <windows.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "product_gallery.h"

namespace monictl {

namespace {

// <tree>\artifacts\gallery when monictl runs from a build tree, else
// "gallery" in the current folder.
std::wstring DefaultOutFolder() {
  std::wstring tree = ProgramFolder();
  tree.pop_back();  // the trailing backslash of ...\bin
  tree = tree.substr(0, tree.find_last_of(L'\\') + 1);
  if (GetFileAttributesW((tree + L"CMakeCache.txt").c_str()) != INVALID_FILE_ATTRIBUTES) return tree + L"artifacts\\gallery";
  wchar_t current[MAX_PATH] = {};
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring folder = n > 0 && n < MAX_PATH ? current : L".";
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"gallery";
}

}  // namespace

int CmdGallery(const Args& args) {
  moni::gallery::GalleryOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
    if (arg == L"--out" && hasValue) options.outFolder = WindowsPath(args[++i]);
    else if (arg == L"--language" && hasValue) options.language = args[++i];
    else if (arg == L"--resource" && hasValue) options.resource = WindowsPath(args[++i]);
    else if (arg == L"--printer" && hasValue) options.printer = args[++i];
    else return UsageError("gallery: unknown option, or an option without its value");
  }
  if (options.outFolder.empty()) options.outFolder = DefaultOutFolder();
  if (!options.resource.empty()) {
    wchar_t full[MAX_PATH] = {};
    const DWORD n = GetFullPathNameW(options.resource.c_str(), MAX_PATH, full, nullptr);
    if (n > 0 && n < MAX_PATH) options.resource = full;
  }
  moni::gallery::Page page;
  std::wstring error;
  if (!moni::gallery::RenderGallery(options, page, error)) {
    fprintf(stderr, "monictl: gallery: %s\n", Utf8(error).c_str());
    return 1;
  }
  size_t written = 0;
  for (const auto& shot : page.shots) written += shot.written ? 1 : 0;
  std::wstring folder = options.outFolder;
  if (folder.back() != L'\\') folder += L'\\';
  const size_t problems = moni::gallery::ProblemCount(page);
  printf("%zu pictures of %zu windows written; %zu problems detected\npage: %sindex.html\n", written, page.shots.size(), problems,
         Utf8(folder).c_str());
  return problems == 0 ? 0 : 1;
}

}  // namespace monictl
