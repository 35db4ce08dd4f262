// The picture check that every window test relies on: a window that shows
// nothing is refused, one that shows something is saved as a PNG of its size.
#include <gtest/gtest.h>
#include <windows.h>

#include "picture/png.h"
#include "window_support.h"

namespace moni::test {
namespace {

// A top-level window on this thread that fills itself with one colour, with a
// bar of a second colour when `bar` is set.
class PaintedWindow {
 public:
  PaintedWindow(COLORREF fill, bool bar) : m_fill(fill), m_bar(bar) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &PaintedWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MoniPictureTestWindow";
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 40, 40, 160, 90, nullptr, nullptr,
                             wc.hInstance, this);
  }
  ~PaintedWindow() { DestroyWindow(m_hwnd); }
  HWND hwnd() const { return m_hwnd; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<PaintedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_PAINT && self) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT all;
      GetClientRect(hwnd, &all);
      GdiHandle fill(CreateSolidBrush(self->m_fill));
      FillRect(dc, &all, static_cast<HBRUSH>(fill.get()));
      if (self->m_bar) {
        RECT bar = {10, 30, 150, 40};
        GdiHandle barBrush(CreateSolidBrush(RGB(200, 0, 0)));
        FillRect(dc, &bar, static_cast<HBRUSH>(barBrush.get()));
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  COLORREF m_fill;
  bool m_bar;
  HWND m_hwnd = nullptr;
};

std::uint32_t Big32(const std::string& bytes, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
         static_cast<unsigned char>(bytes[at + 3]);
}

TEST(WindowPictures, OneColourIsBlankAndAPaintedWindowIsSavedAtItsSize) {
  const std::wstring folder = ArtifactFolder();
  if (folder.empty()) GTEST_SKIP() << "no artifact folder";
  for (COLORREF plain : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
    PaintedWindow window(plain, false);
    EXPECT_EQ(SaveWindowPicture(window.hwnd(), L"picture-check-blank.png"), picture::SaveResult::kBlank);
  }
  PaintedWindow window(RGB(255, 255, 255), true);
  ASSERT_EQ(SaveWindowPicture(window.hwnd(), L"picture-check.png"), picture::SaveResult::kSaved);
  const std::string png = ReadFileBytes(folder + L"picture-check.png");
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(Big32(png, 16), 160u);  // IHDR width and height: the window's
  EXPECT_EQ(Big32(png, 20), 90u);
  DeleteFileW((folder + L"picture-check.png").c_str());
}

TEST(WindowPictures, PixelsThatDoNotMatchTheSizeGiveNoFile) {
  picture::Picture p;
  p.width = 2;
  p.height = 2;
  p.bgrx.assign(15, 0x80);  // one byte short
  EXPECT_TRUE(picture::EncodePng(p).empty());
  EXPECT_TRUE(picture::IsBlank(p));
  p.bgrx.assign(16, 0x80);
  p.bgrx[4] = 0x00;  // one pixel differs
  EXPECT_EQ(picture::EncodePng(p).substr(1, 3), "PNG");
  EXPECT_FALSE(picture::IsBlank(p));
}

}  // namespace
}  // namespace moni::test
