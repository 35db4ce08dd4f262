#include "window_picture.h"

#include <wchar.h>

#include "platform/handles.h"

namespace moni::picture {
namespace {

// Dispatches what is waiting for this thread's windows (paint messages above all).
void PumpPending() {
  MSG msg;
  for (int i = 0; i < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() {
    if (dc) ReleaseDC(nullptr, dc);
  }
};

}  // namespace

Picture CaptureScreen(RECT rect) {
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT clipped;
  if (!IntersectRect(&clipped, &rect, &screen)) return {};
  Picture picture;
  picture.width = clipped.right - clipped.left;
  picture.height = clipped.bottom - clipped.top;
  ScreenDc screenDc;
  if (!screenDc.dc) return {};
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiHandle bitmap(CreateDIBSection(screenDc.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  HDC memory = CreateCompatibleDC(screenDc.dc);
  if (!bitmap || !bits || !memory) {
    if (memory) DeleteDC(memory);
    return {};
  }
  HGDIOBJ old = SelectObject(memory, bitmap.get());
  const BOOL copied = BitBlt(memory, 0, 0, picture.width, picture.height, screenDc.dc, clipped.left, clipped.top, SRCCOPY);
  GdiFlush();
  SelectObject(memory, old);
  DeleteDC(memory);
  if (!copied) return {};
  const auto* p = static_cast<const std::uint8_t*>(bits);
  picture.bgrx.assign(p, p + static_cast<std::size_t>(picture.width) * picture.height * 4);
  return picture;
}

Picture CaptureWindow(HWND window) {
  if (!IsWindow(window) || !IsWindowVisible(window)) return {};
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpPending();
  GdiFlush();
  Sleep(50);  // the display server shows what was drawn
  RECT rect;
  if (!GetWindowRect(window, &rect)) return {};
  return CaptureScreen(rect);
}

bool TextFits(HWND control) {
  // Measured as the control draws it: a static and a multi-line button wrap.
  RECT client = {};
  GetClientRect(control, &client);
  wchar_t text[2048] = {};
  SendMessageTimeoutW(control, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  const bool button = _wcsicmp(className, L"Button") == 0;
  const bool oneLine = button && (GetWindowLongW(control, GWL_STYLE) & BS_MULTILINE) == 0;
  const int frame = button ? 12 : 0;
  RECT need = {0, 0, client.right - frame, 0};
  DrawTextW(dc, text, -1, &need, DT_CALCRECT | DT_NOPREFIX | (oneLine ? DT_SINGLELINE : DT_WORDBREAK));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return need.right <= client.right - frame && need.bottom <= client.bottom;
}

SaveResult SavePicture(const Picture& picture, const std::wstring& path) {
  if (IsBlank(picture)) return SaveResult::kBlank;
  const std::string png = EncodePng(picture);
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file || !WriteFile(file.get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr) || written != png.size()) {
    return SaveResult::kNotWritten;
  }
  return SaveResult::kSaved;
}

SaveResult SaveWindowPicture(HWND window, const std::wstring& path) { return SavePicture(CaptureWindow(window), path); }

HWND DialogOfThread(DWORD threadId) {
  HWND found = nullptr;
  EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM param) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || GetWindow(window, GW_OWNER)) return TRUE;
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace moni::picture
