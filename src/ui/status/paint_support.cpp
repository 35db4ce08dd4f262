#include "ui/status/paint_support.h"

#include "platform/text.h"
#include "ui/status/view_core.h"

namespace moni::view {

std::wstring ShortenForControl(HWND control, const std::wstring& text) {
  if (!control || text.empty()) return text;
  RECT r;
  GetClientRect(control, &r);
  HDC dc = GetDC(control);
  if (!dc) return text;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  std::wstring shortened;
  {
    SelectedObject selected(dc, font);
    shortened = ToWide(ShortenToFit(ToU16(text), r.right - r.left, [dc](std::u16string_view t) {
      SIZE size = {};
      GetTextExtentPoint32W(dc, AsWide(t.data()), static_cast<int>(t.size()), &size);
      return static_cast<int>(size.cx);
    }));
  }
  ReleaseDC(control, dc);
  return shortened;
}

}  // namespace moni::view
