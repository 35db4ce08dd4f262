// The view gallery: the status window's views in each dialog type, for a set
// of printer states made from status replies, in each language of the sample
// kit, saved as one PNG each; and the ink gauge in its states. Used by the
// viewgallery program and the window tests (and later monictl's gallery).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace moni::gallery {

// One line per picture or failure (no line end); may be empty.
using Report = std::function<void(const std::wstring& line)>;

struct Result {
  int saved = 0;
  std::vector<std::wstring> failures;  // pictures that were blank or not written, views that were not made
};

// The printer states of the gallery (their names are part of the file names).
std::vector<std::wstring> StateNames();

// Renders <outFolder>\<language>-<state>-<type>.png for the languages "en"
// and "de" (resource libraries V_SMPRES.DLL and V_SMPRDE.DLL, bitmap library
// V_SMPBMP.DLL in `libraryFolder`), every state and the types popup, detail
// and progress (the hidden progress type shows nothing). `outFolder` ends in
// a backslash and exists.
Result RenderViews(const std::wstring& libraryFolder, const std::wstring& outFolder, const Report& report = {});

// Renders <outFolder>\gauge-<language>.png: the ink gauge in each state.
Result RenderGauges(const std::wstring& libraryFolder, const std::wstring& outFolder, const Report& report = {});

}  // namespace moni::gallery
