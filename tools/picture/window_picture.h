// Pictures of what a window shows on the screen, for the tests and for
// monictl's gallery: the window is brought to the top and painted, then its
// rectangle is copied from the screen.
#pragma once
#include <windows.h>

#include <string>

#include "png.h"

namespace moni::picture {

// The screen's pixels inside `rect` (screen coordinates, clipped to the
// screen); an empty picture when nothing of it is on the screen.
Picture CaptureScreen(RECT rect);

// The window as it is on the screen, non-client area included. The window is
// brought to the top without being activated and its paint messages are
// dispatched first (the caller's thread must own the window or let its owner
// run).
Picture CaptureWindow(HWND window);

// Whether the control's text fits it in its own font: a static (and a
// multi-line button) wraps within its width and height, a button keeps one
// line with room for its frame.
bool TextFits(HWND control);

// The first dialog (class "#32770") among a thread's top-level windows that no
// other window owns, shown or not; null when the thread has none. A window that
// an export opens on a thread of the caller's is found this way, not the
// message boxes and dialogs it opens in turn.
HWND DialogOfThread(DWORD threadId);

// What SaveWindowPicture and SavePicture found.
enum class SaveResult { kSaved, kBlank, kNotWritten };

// Writes the picture as a PNG file. kBlank (and nothing written) when the
// picture shows nothing, so that a window that did not paint fails the caller.
SaveResult SavePicture(const Picture& picture, const std::wstring& path);
SaveResult SaveWindowPicture(HWND window, const std::wstring& path);

}  // namespace moni::picture
