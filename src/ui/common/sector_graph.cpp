#include "ui/common/sector_graph.h"

#include <algorithm>

#include "foundation/debug_log.h"
#include "ui/common/window_paint.h"
#include "ui/common/sector_geometry.h"

namespace {
constexpr COLORREF kMarkerColour = RGB(255, 102, 0);

void Circle(HDC dc, POINT centre, int radius, COLORREF colour) {
  moni::GdiHandle brush(CreateSolidBrush(colour));
  moni::SelectedObject b(dc, brush.get()), p(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, centre.x - radius, centre.y - radius, centre.x + radius + 1, centre.y + radius + 1);
}
}  // namespace

CSectorGraph::~CSectorGraph() { Destroy(); }

moni::view::CWindowClass& CSectorGraph::WindowClass() {
  static moni::view::CWindowClass windowClass(L"DUVRemainInkViewClass", &CSectorGraph::WindowProc);
  return windowClass;
}

bool CSectorGraph::Create(HWND dialog, int controlId, HMODULE iconModule) {
  CDebugLog log("CSectorGraph::Create");
  Destroy();
  HWND placeholder = GetDlgItem(dialog, controlId);
  if (!placeholder) {
    log.Write("Error : control %d is missing\n", controlId);
    return false;
  }
  if (!WindowClass().Acquire()) return false;
  RECT r;
  GetWindowRect(placeholder, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  m_hWnd.reset(CreateWindowExW(0, WindowClass().Name(), L"CSectorGraph", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, dialog, nullptr, WindowClass().Instance(), this));
  if (!m_hWnd) {
    WindowClass().Release();
    log.Write("Error : CreateWindow %u\n", GetLastError());
    return false;
  }
  ShowWindow(placeholder, SW_HIDE);
  for (int i = 0; i < 2; ++i) {
    m_icons[i].reset(iconModule ? static_cast<HICON>(LoadImageW(iconModule, MAKEINTRESOURCEW(kWarningIcon + i), IMAGE_ICON, 32, 32, 0))
                                : nullptr);
  }
  InvalidateRect(m_hWnd.get(), nullptr, FALSE);
  return true;
}

void CSectorGraph::Destroy() {
  if (m_hWnd) {
    m_hWnd.reset();
    WindowClass().Release();
  }
  for (auto& icon : m_icons) icon.reset();
}

void CSectorGraph::Changed() {
  if (m_hWnd) InvalidateRect(m_hWnd.get(), nullptr, FALSE);
}

void CSectorGraph::SetColours(const Colours& colours) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_settings.colours = colours;
  }
  Changed();
}

void CSectorGraph::SetBaseAngle(double degrees) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_settings.baseAngle = degrees;
  }
  Changed();
}

void CSectorGraph::SetLowThreshold(int percent) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_settings.lowThreshold = percent;
  }
  Changed();
}

void CSectorGraph::SetMarker(bool enabled, POINT point) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_settings.marker = enabled;
    m_settings.markerPoint = point;
  }
  Changed();
}

void CSectorGraph::SetValue(int value) { Set(value, State()); }
void CSectorGraph::SetState(int state) { Set(Value(), state); }

void CSectorGraph::Set(int value, int state) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_settings.value = value;
    m_settings.state = std::clamp(state, 0, kStates - 1);
  }
  Changed();
}

int CSectorGraph::Value() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_settings.value;
}

int CSectorGraph::State() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_settings.state;
}

LRESULT CALLBACK CSectorGraph::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<CSectorGraph*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_ERASEBKGND) return 1;
  if (message == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    self->Paint(dc);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CSectorGraph::Paint(HDC target) {
  Settings s;
  moni::gauge::Geometry g;
  RECT client;
  GetClientRect(m_hWnd.get(), &client);
  {
    std::lock_guard<std::mutex> lock(m_lock);
    s = m_settings;
    g = moni::gauge::GeometryOf({client.left, client.top, client.right, client.bottom});
  }
  moni::view::CPaintBuffer buffer(target, client);
  HDC dc = buffer.dc();
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  auto point = [&](double angle, double scale = 1.0) {
    const moni::gauge::Point p = moni::gauge::PointAt(g, angle, s.baseAngle, scale);
    return POINT{p.x, p.y};
  };
  const RECT box = {g.box.left, g.box.top, g.box.right + 1, g.box.bottom + 1};
  const POINT end = point(moni::gauge::kEndAngle);

  // The whole gauge in the state's background.
  {
    moni::GdiHandle pen(CreatePen(PS_SOLID, 1, s.colours.pen));
    moni::GdiHandle brush(CreateSolidBrush(s.colours.background[s.state]));
    moni::SelectedObject p(dc, pen.get()), b(dc, brush.get());
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
  }
  // The level: from the value's point clockwise to the end point.
  if (moni::gauge::ValueDrawn(s.value)) {
    const COLORREF colour = s.value <= s.lowThreshold ? s.colours.low : s.colours.level;
    moni::GdiHandle brush(s.state == 6 ? nullptr : CreateSolidBrush(colour));
    if (s.state == 6) {
      // An 8 x 8 pattern of the level colour: the level is not known for sure.
      WORD bits[8];
      for (int i = 0; i < 8; ++i) bits[i] = static_cast<WORD>(0xFF ^ (0x11 << (i % 4)));
      moni::GdiHandle pattern(CreateBitmap(8, 8, 1, 1, bits));
      SetTextColor(dc, colour);
      SetBkColor(dc, s.colours.background[s.state]);
      brush.reset(CreatePatternBrush(static_cast<HBITMAP>(pattern.get())));
    }
    const POINT start = point(moni::gauge::ValueAngle(s.value));
    moni::SelectedObject b(dc, brush.get()), p(dc, GetStockObject(NULL_PEN));
    const int oldRop = SetROP2(dc, R2_MASKPEN);
    const int oldDirection = SetArcDirection(dc, AD_CLOCKWISE);
    Pie(dc, box.left, box.top, box.right, box.bottom, start.x, start.y, end.x, end.y);
    SetArcDirection(dc, oldDirection);
    SetROP2(dc, oldRop);
  }
  // The outline again over the level.
  {
    moni::GdiHandle pen(CreatePen(PS_SOLID, 1, s.colours.pen));
    moni::SelectedObject p(dc, pen.get()), b(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
  }
  const POINT centre = {g.centre.x, g.centre.y};
  if (s.state != 1 && s.state != 5) {
    const double angle = moni::gauge::ValueDrawn(s.value) ? moni::gauge::ValueAngle(s.value) : moni::gauge::ValueAngle(0);
    const POINT tip = point(angle, moni::gauge::kNeedleScale);
    moni::GdiHandle pen(CreatePen(PS_SOLID, 4, s.colours.pen));
    moni::SelectedObject p(dc, pen.get());
    MoveToEx(dc, centre.x, centre.y, nullptr);
    LineTo(dc, tip.x, tip.y);
    Circle(dc, centre, 7, s.colours.pen);
  }
  HICON icon = s.state == 3 ? m_icons[0].get() : (s.state == 4 || s.state == 5) ? m_icons[1].get() : nullptr;
  if (icon) DrawIconEx(dc, centre.x - 16, std::max<int>(client.top + 2, g.centre.y - g.ry / 2 - 16), icon, 32, 32, 0, nullptr, DI_NORMAL);
  if (s.marker && s.state != 1 && s.state != 5 && s.state != 6 && s.markerPoint.x >= 5 && s.markerPoint.y >= 5) {
    Circle(dc, s.markerPoint, 4, kMarkerColour);
  }
}
