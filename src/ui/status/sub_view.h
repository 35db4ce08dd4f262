// The sub-views of the status window: each is a child dialog made from a
// template of the resource library, laid out by CDialogView one under the
// other. A sub-view passes the commands of its controls (WM_COMMAND) to the
// status window, colours its controls itself (white, the ink-order control
// yellow) and draws its own owner-drawn controls.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "platform/text.h"
#include "status/printer_status.h"
#include "ui/progress/progress_meter.h"

namespace moni::view {

// The periods of the views' timers; tests shorten them.
struct ViewTiming {
  UINT tipTickMs = 3000;      // timer 1 of the tips
  UINT animationMs = 500;     // timer 20 of the status picture and the printing animation
};

// What the views are made with.
struct ViewContext {
  HMODULE resource = nullptr;  // the resource library: templates, texts
  HMODULE bitmaps = nullptr;   // the bitmap library: pictures (the resource library when null)
  std::wstring setupData;      // the model's setup data file
  std::wstring modelId;
  std::wstring printerName, portName;
  std::wstring printerKey;          // HKCU path of the printer's key ("DisplayTips")
  moni::status::ModelFiles files;   // for the status messages (the resource library's path)
  ViewTiming timing;
  // Templates of the sub-views in order: status, job, ink, tips, further, buttons.
  int templates[6] = {150, 151, 152, 153, 154, 155};

  // The identity and files of the process's printer information (CBaseInfo).
  static ViewContext FromBaseInfo(HMODULE resource, HMODULE bitmaps);
  HMODULE Pictures() const { return bitmaps ? bitmaps : resource; }
};

class CSubView {
 public:
  explicit CSubView(const char* name) : m_name(name) {}
  virtual ~CSubView();
  CSubView(const CSubView&) = delete;
  CSubView& operator=(const CSubView&) = delete;

  // Makes the child dialog from `templateId`; false (and nothing left) when
  // the template is missing or the dialog cannot be made.
  virtual bool Create(HWND parent, const ViewContext& context, int templateId);
  virtual void Destroy();
  // Shows or hides the sub-view for a dialog type and sets its mode.
  virtual void ShowForType(int type) = 0;
  virtual bool IsVisible() const;
  // The status window ends: timers stop, nothing is shown any more.
  virtual void End();
  // Enables or disables the whole sub-view (an inactive area).
  virtual void SetActive(bool active);
  virtual SIZE GetSize() const;
  virtual void Move(int x, int y);
  virtual void SetViewStatus(const CPrinterStatus* status, const CProgressInfo* progress) = 0;
  // Draws an owner-drawn control of this sub-view; FALSE when it is not one.
  virtual BOOL DrawItem(const DRAWITEMSTRUCT& item);

  HWND Window() const { return m_hWnd; }
  HWND Item(int id) const { return m_hWnd ? GetDlgItem(m_hWnd, id) : nullptr; }
  bool IsActive() const { return m_bActive; }

 protected:
  // After the dialog exists; false fails the creation.
  virtual bool OnCreate() { return true; }
  // Messages of the dialog besides the common ones (timers); TRUE when handled.
  virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return FALSE; }
  virtual void OnEnd() {}

  void SetVisible(bool visible);
  void SetItemText(int id, const std::wstring& text);  // only when it changed
  void ShowItem(int id, bool shown);
  void EnableItem(int id, bool enabled);
  std::wstring Text(UINT id) const { return moni::LoadResourceString(m_context ? m_context->resource : nullptr, id); }

  const char* m_name;
  HWND m_hWnd = nullptr;
  HWND m_hParent = nullptr;
  const ViewContext* m_context = nullptr;
  bool m_bActive = true;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  moni::GdiHandle m_whiteBrush{CreateSolidBrush(RGB(255, 255, 255))};
  moni::GdiHandle m_highlightBrush{CreateSolidBrush(RGB(255, 204, 0))};
};

// The ink-order control's colour.
inline constexpr COLORREF kHighlight = RGB(255, 204, 0);

// Draws an owner-drawn button on the highlight colour with its text.
void DrawHighlightButton(const DRAWITEMSTRUCT& item);

}  // namespace moni::view
