// The product gallery: every window of the monitor in its telling states,
// rendered from a printer's installed resource libraries (or a given one),
// one PNG a window and an index.html that shows them with their captions and
// with what the gallery detected itself: a blank picture, a window that
// reaches past the screen, a text that does not fit its control, a dialog
// template, menu or string that the library lacks. Used by "monictl gallery".
#pragma once
#include <string>

#include "gallery_page.h"

namespace moni::gallery {

struct GalleryOptions {
  std::wstring outFolder;  // made when missing
  // A language section of the setup data ("ENU", "DEU"); empty: every section
  // whose resource library is installed.
  std::wstring language;
  // A resource library to picture in place of the installed one (of
  // `language`, or of the first section).
  std::wstring resource;
  // The printer whose driver, setup data and libraries are used; empty: the
  // sample printer when it is installed, else the first monitored printer.
  std::wstring printer;
};

// Renders the gallery into the folder and writes its index.html there; the
// page as written. False, with the reason, when nothing could be rendered
// (no monitored printer, no such language section, a library that cannot be
// loaded, a folder that cannot be written).
bool RenderGallery(const GalleryOptions& options, Page& page, std::wstring& error);

}  // namespace moni::gallery
