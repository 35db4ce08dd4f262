// Painting helpers of the status views: the shared window class, double buffer
// and font (ui/common/window_paint.h), and texts shortened to their control.
#pragma once
#include <windows.h>

#include <string>

#include "ui/common/window_paint.h"

namespace moni::view {

// The text shortened with "…" to the width of a control in the control's font.
std::wstring ShortenForControl(HWND control, const std::wstring& text);

}  // namespace moni::view
