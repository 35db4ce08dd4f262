#include "ui/status/ink_tank_control.h"

#include <cwchar>
#include <memory>

#include "platform/handles.h"
#include "ui/status/paint_support.h"

namespace moni::view {
namespace {

struct TankData {
  int index = 0;
  TankView view;
  InkHue hue = InkHue::Grey;
};

LRESULT CALLBACK TankProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
CWindowClass g_tankClass(L"TalmerInkTank", &TankProc);

COLORREF HueColour(InkHue hue) {
  switch (hue) {
    case InkHue::Black: return RGB(40, 40, 40);
    case InkHue::Cyan: return RGB(0, 174, 239);
    case InkHue::Magenta: return RGB(236, 0, 140);
    case InkHue::Yellow: return RGB(255, 222, 0);
    default: return RGB(150, 150, 150);
  }
}

constexpr COLORREF kOutline = RGB(90, 90, 90);
constexpr COLORREF kLowColour = RGB(240, 130, 0);
constexpr COLORREF kErrorColour = RGB(210, 30, 30);
constexpr COLORREF kUnknownFill = RGB(215, 215, 215);
constexpr COLORREF kUnknownHatch = RGB(170, 170, 170);

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  GdiHandle brush(CreateSolidBrush(colour));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int width) {
  GdiHandle pen(CreatePen(PS_SOLID, width, colour));
  SelectedObject selected(dc, pen.get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// A round badge with one character, for low ink ("!") and out of ink ("×").
void Badge(HDC dc, int cx, int cy, int radius, COLORREF colour, const wchar_t* text, HFONT font) {
  GdiHandle brush(CreateSolidBrush(colour));
  GdiHandle pen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  SelectedObject b(dc, brush.get()), p(dc, pen.get());
  Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1);
  SelectedObject f(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT r = {cx - radius, cy - radius, cx + radius + 1, cy + radius + 1};
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintTank(HWND hwnd, HDC target, const TankData& data) {
  RECT client;
  GetClientRect(hwnd, &client);
  CPaintBuffer buffer(target, client);
  HDC dc = buffer.dc();
  FillSolid(dc, client, RGB(255, 255, 255));
  if (data.view.state == TankState::Clear) return;

  const HFONT font = ParentFont(hwnd);
  SelectedObject fontSelected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  const int textHeight = tm.tmHeight + 2;
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;

  // The cartridge: a cap on top, the body below it, the percentage under it.
  const int margin = w / 6 > 3 ? w / 6 : 3;
  RECT body = {client.left + margin, client.top + h / 10 + 4, client.right - margin, client.bottom - textHeight - 2};
  if (body.bottom - body.top < 12 || body.right - body.left < 8) return;
  const int capWidth = (body.right - body.left) / 2;
  RECT cap = {body.left + (body.right - body.left - capWidth) / 2, client.top + 2, 0, body.top + 1};
  cap.right = cap.left + capWidth;

  const bool unknown = data.view.state == TankState::NoData || data.view.absent;
  const bool error = data.view.state == TankState::Error || data.view.state == TankState::Empty;
  const COLORREF outline = error ? kErrorColour : (data.view.state == TankState::Low ? kLowColour : kOutline);
  const int border = error || data.view.state == TankState::Low ? 2 : 1;

  RECT inner = {body.left + border, body.top + border, body.right - border, body.bottom - border};
  if (unknown) {
    FillSolid(dc, inner, kUnknownFill);
    GdiHandle hatch(CreateHatchBrush(HS_BDIAGONAL, kUnknownHatch));
    SetBkColor(dc, kUnknownFill);
    SetBkMode(dc, OPAQUE);
    FillRect(dc, &inner, static_cast<HBRUSH>(hatch.get()));
    SetBkMode(dc, TRANSPARENT);
  } else {
    const int height = inner.bottom - inner.top;
    const int filled = height * data.view.percent / 100;
    RECT level = {inner.left, inner.bottom - filled, inner.right, inner.bottom};
    RECT rest = {inner.left, inner.top, inner.right, level.top};
    FillSolid(dc, rest, RGB(246, 246, 246));
    if (filled > 0) FillSolid(dc, level, HueColour(data.hue));
  }

  // Outline of cap and body.
  {
    GdiHandle pen(CreatePen(PS_SOLID, border, outline));
    SelectedObject p(dc, pen.get()), b(dc, GetStockObject(NULL_BRUSH));
    GdiHandle capBrush(CreateSolidBrush(RGB(225, 225, 225)));
    {
      SelectedObject cb(dc, capBrush.get());
      Rectangle(dc, cap.left, cap.top, cap.right, cap.bottom);
    }
    Rectangle(dc, body.left, body.top, body.right, body.bottom);
  }

  // The low mark and the empty mark: ticks on both sides of the body.
  const int innerHeight = inner.bottom - inner.top;
  const int lowY = inner.bottom - innerHeight * kLowMarkPercent / 100;
  const int emptyY = inner.bottom - innerHeight * kEmptyMarkPercent / 100;
  const int tick = margin - 1 > 2 ? margin - 1 : 2;
  Line(dc, body.left - tick, lowY, body.left, lowY, kLowColour, 2);
  Line(dc, body.right, lowY, body.right + tick, lowY, kLowColour, 2);
  Line(dc, body.left - tick, emptyY, body.left, emptyY, kErrorColour, 2);
  Line(dc, body.right, emptyY, body.right + tick, emptyY, kErrorColour, 2);

  const int cx = (body.left + body.right) / 2;
  if (unknown) {
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    lf.lfHeight = -((body.right - body.left) * 2 / 3);
    lf.lfWeight = FW_BOLD;
    GdiHandle big(CreateFontIndirectW(&lf));
    SelectedObject f(dc, big.get());
    SetTextColor(dc, RGB(80, 80, 80));
    DrawTextW(dc, L"?", -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  } else if (data.view.state == TankState::Low || data.view.state == TankState::Empty || data.view.state == TankState::Error) {
    const int radius = (body.right - body.left) / 4 > 5 ? (body.right - body.left) / 4 : 5;
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    GdiHandle bold(CreateFontIndirectW(&lf));
    Badge(dc, cx, body.top + radius + 4, radius, data.view.state == TankState::Low ? kLowColour : kErrorColour,
          data.view.state == TankState::Low ? L"!" : L"\u00D7", static_cast<HFONT>(bold.get()));
  }

  // The percentage (or "?") under the body.
  wchar_t text[16];
  if (unknown) std::wcscpy(text, L"?");
  else std::swprintf(text, 16, L"%d %%", data.view.percent);
  RECT textRect = {client.left, body.bottom + 1, client.right, client.bottom};
  SetTextColor(dc, error ? kErrorColour : RGB(0, 0, 0));
  DrawTextW(dc, text, -1, &textRect, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK TankProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* data = reinterpret_cast<TankData*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      auto owned = std::make_unique<TankData>();
      owned->index = static_cast<int>(reinterpret_cast<INT_PTR>(create->lpCreateParams));
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.release()));
      g_tankClass.Acquire();  // each window holds the class; WM_NCDESTROY gives it back
      break;
    }
    case WM_NCDESTROY:
      if (data) {
        delete data;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        g_tankClass.Release();
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      if (data) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintTank(hwnd, dc, *data);
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case WM_USER:
      if (!data) return 0;
      if (wParam == static_cast<WPARAM>(kTankQuery)) return PackTankView(data->view);
      // The level block is an address in this process: a command sent from
      // another thread or process carries nothing the tank may read.
      if (InSendMessage()) return 0;
      if (wParam == static_cast<WPARAM>(kTankHue)) {
        data->hue = static_cast<InkHue>(lParam);
      } else {
        const TankView before = data->view;
        data->view = ApplyTankCommand(data->view, data->index, static_cast<int>(wParam), reinterpret_cast<const LevelBlock*>(lParam));
        if (PackTankView(before) == PackTankView(data->view)) return 0;
      }
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateTankInPlace(HWND dialog, int placeholderId, int index) {
  HWND placeholder = GetDlgItem(dialog, placeholderId);
  if (!placeholder || !g_tankClass.Acquire()) return nullptr;
  RECT r;
  GetWindowRect(placeholder, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  ShowWindow(placeholder, SW_HIDE);
  SetWindowLongPtrW(placeholder, GWLP_ID, 0);  // the tank takes over its id
  HWND tank = CreateWindowExW(0, g_tankClass.Name(), L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(placeholderId)), g_tankClass.Instance(),
                              reinterpret_cast<void*>(static_cast<INT_PTR>(index)));
  g_tankClass.Release();  // the window holds the class from here on
  if (!tank) {
    SetWindowLongPtrW(placeholder, GWLP_ID, placeholderId);
    return nullptr;
  }
  SetWindowPos(tank, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return tank;
}

TankView QueryTank(HWND tank) {
  return UnpackTankView(static_cast<long>(SendMessageW(tank, WM_USER, kTankQuery, 0)));
}

}  // namespace moni::view
