// The product gallery's plan and page, without any window: which windows are
// pictured in which states, the file name and caption of each picture, and the
// index.html that shows them with what the gallery found wrong. Portable (no
// windows.h); the pictures themselves are made by product_gallery.cpp.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace moni::gallery {

enum class WindowKind { StatusWindow, Preferences, TrayQuestion, InkOrder, TrayMenu };

// A printer state of the status window: the fields of a binary status reply
// (hexadecimal, without header and length), or a status number of the
// monitor's own for a state without a reply.
struct StatusSample {
  const char16_t* key;    // part of the file name
  const char16_t* title;  // for the caption
  const char* fields;     // null: `statusNo` alone
  int statusNo;           // 0: the reply decides
  bool printing;          // a job is being printed
  bool troubleshooting;   // the status offers step-by-step help
  int black, colour;      // the cartridges' chips (pages left), -1 unknown
  bool inkOrder;          // the ink-order buttons are present
};
const std::vector<StatusSample>& StatusSamples();

// An order type of the ink-order dialog: the mode text of the option block
// and the remaining-ink text that goes with it.
struct InkOrderSample {
  const char16_t* mode;
  const char16_t* title;
  const char16_t* inkLeft;
};
const std::vector<InkOrderSample>& InkOrderSamples();

// The status window's dialog types that show something (1 pop-up, 2 detail,
// 3 progress).
struct DialogTypeName {
  int type;
  const char16_t* key;
  const char16_t* title;
};
const std::vector<DialogTypeName>& StatusDialogTypes();

// One picture of the gallery, planned and then filled in by the renderer.
struct Shot {
  WindowKind kind = WindowKind::StatusWindow;
  // Index into StatusSamples() or InkOrderSamples(); for the preferences 1
  // with the taskbar icon ticked.
  int sample = 0;
  int dialogType = 0;  // the status window's type
  std::u16string window, state, language;
  std::u16string file;  // the PNG's name in the gallery folder
  // Filled in by the renderer.
  bool written = false;
  int width = 0, height = 0;               // the window's size in pixels
  std::vector<std::u16string> problems;    // what the gallery detected
};

// Every picture for one language (its setup data section, e.g. "ENU"), in
// the order of the page: the status window in each dialog type and state, the
// preferences as stored and with the taskbar icon ticked, the tray question, the ink-order dialog in each order type and
// the tray menu. File names are "<language>-<window>-<state>.png" in lower case.
std::vector<Shot> PlanShots(std::u16string_view language);

// "Status window - Paper out (detail) - ENU - 412 x 300 px".
std::u16string Caption(const Shot& shot);

// The text as UTF-8 for HTML: "&", "<", ">", double and single quotes as
// entities, an unpaired surrogate as U+FFFD.
std::string HtmlEscape(std::u16string_view text);

struct Page {
  std::u16string title;
  std::vector<std::u16string> notes;     // lines about the whole run (libraries used)
  std::vector<std::u16string> problems;  // problems not tied to one picture (missing strings)
  std::vector<Shot> shots;
};

// The index.html: the notes, the problems, then one figure a shot; a shot
// that was not written shows its problems in place of the picture (a page
// never points at a file that was not written).
std::string IndexHtml(const Page& page);

// The count of problems on the page (its own and every shot's).
size_t ProblemCount(const Page& page);

}  // namespace moni::gallery
