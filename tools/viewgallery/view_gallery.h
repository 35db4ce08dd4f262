// The view gallery: the status window's views in each dialog type, for a set
// of printer states made from status replies, in each language of the sample
// kit, saved as one PNG each; and the ink gauge in its states. Used by the
// viewgallery program and the window tests (and later monictl's gallery).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "gallery_page.h"
#include "status/printer_status.h"
#include "ui/status/dialog_view.h"

namespace moni::gallery {

// The status window (template 102 of the resource library) with the least a
// dialog procedure must do (white background, owner-drawn items to the view)
// and a view on it.
class ViewHost {
 public:
  ViewHost() = default;
  ~ViewHost();
  ViewHost(const ViewHost&) = delete;
  ViewHost& operator=(const ViewHost&) = delete;

  // Makes the window and the view; false when either cannot be made (the
  // window is kept when only the view failed).
  bool Create(const moni::view::ViewContext& context);
  HWND window() const { return m_window.get(); }
  CDialogView& view() { return m_view; }

 private:
  CDialogView m_view;  // destroyed after the window's sub-views are gone with it
  WindowHandle m_window;
};

// The context of the sample printer with a resource library at `path`.
moni::view::ViewContext SampleContext(HMODULE resource, HMODULE bitmaps, const std::wstring& path);

// Dispatches what waits for this thread's windows.
void Pump();

// A status object from the fields of a binary status reply (hexadecimal; the
// header and the length are added) on the local status channel; with
// `troubleshooting` it offers a troubleshooting aid. Null when the reply is
// not decoded.
std::unique_ptr<CPrinterStatus> StatusFromFields(const char* hexFields, bool troubleshooting = false);

// The status object of a sample state; null when it cannot be made.
std::unique_ptr<CPrinterStatus> StatusOf(const StatusSample& sample);

// Shows the sample state in the host's view in the dialog type, with a sample
// job in German or English and the window's caption as the status window sets
// it; false when the status cannot be made.
bool ShowSample(ViewHost& host, const StatusSample& sample, int type, bool german);

// One line per picture or failure (no line end); may be empty.
using Report = std::function<void(const std::wstring& line)>;

struct Result {
  int saved = 0;
  std::vector<std::wstring> failures;  // pictures that were blank or not written, views that were not made
};

// The printer states of the view gallery: the product gallery's and a
// two-ink model (their keys are part of the file names).
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
