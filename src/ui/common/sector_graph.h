// CSectorGraph: the pie gauge that the ink-order reminder dialog embeds in
// the place of one of its controls (31002 by default). Its owner sets the
// colours, the base angle, the low threshold, the marker point, the value and
// the state; the geometry is moni::gauge (sector_geometry.h).
//
// States: 0 and 2 plain; 1 no needle; 3 the warning icon (15110); 4 the
// error icon (15111); 5 the error icon without needle; 6 the sector hatched
// in the level colour (level unknown). Icons come from the module the owner
// names (none: no icons).
#pragma once
#include <windows.h>

#include <mutex>

#include "platform/handles.h"

namespace moni::view {
class CWindowClass;
}

class CSectorGraph {
 public:
  static constexpr int kDefaultControl = 31002;
  static constexpr int kWarningIcon = 15110, kErrorIcon = 15111;
  static constexpr int kStates = 7;

  struct Colours {
    COLORREF pen = RGB(90, 90, 90);      // outline of the gauge
    COLORREF level = RGB(0, 120, 215);   // the level sector
    COLORREF low = RGB(230, 60, 30);     // the level sector at or below the low threshold
    COLORREF background[kStates] = {RGB(235, 235, 235), RGB(235, 235, 235), RGB(235, 235, 235), RGB(255, 242, 204),
                                    RGB(255, 225, 225), RGB(255, 225, 225), RGB(235, 235, 235)};
  };

  CSectorGraph() = default;
  ~CSectorGraph();
  CSectorGraph(const CSectorGraph&) = delete;
  CSectorGraph& operator=(const CSectorGraph&) = delete;

  // Makes the gauge (class "DUVRemainInkViewClass", name "CSectorGraph") as a
  // child of `dialog` in the place and size of control `controlId`, which is
  // hidden. False when the control is missing or the window cannot be made.
  bool Create(HWND dialog, int controlId = kDefaultControl, HMODULE iconModule = nullptr);
  void Destroy();
  HWND Window() const { return m_hWnd.get(); }

  void SetColours(const Colours& colours);
  void SetBaseAngle(double degrees);
  void SetLowThreshold(int percent);
  // A marker circle at `point` (client coordinates) while enabled.
  void SetMarker(bool enabled, POINT point);
  void SetValue(int value);
  void SetState(int state);
  void Set(int value, int state);

  int Value() const;
  int State() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static moni::view::CWindowClass& WindowClass();
  void Paint(HDC dc);
  void Changed();

  struct Settings {
    Colours colours;
    double baseAngle = 0.0;
    int lowThreshold = 20;
    bool marker = false;
    POINT markerPoint{0, 0};
    int value = 0;
    int state = 0;
  };
  mutable std::mutex m_lock;  // the owner may update from another thread
  Settings m_settings;
  moni::WindowHandle m_hWnd;
  moni::IconHandle m_icons[2];
};
