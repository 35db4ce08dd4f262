// CMainFrame: the hidden main window object of the tray program. For one
// printer (or port) it owns the notification icon, the context menu built
// from the resource library and the driver's setup data, the launches of the
// status window program, the preferences, the utilities and the other menu
// commands, and the timers that end the program when the printer is deleted
// or its monitoring is switched off.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <string>

#include "foundation/startup_list.h"
#include "platform/handles.h"
#include "tray/tray_menu_core.h"
#include "tray/uty_call.h"

namespace moni::tray {

inline constexpr UINT kIconCallbackMessage = WM_USER + 100;  // 1124
inline constexpr UINT kReloadIconMessage = WM_USER + 200;    // 1224
inline constexpr UINT_PTR kPrinterCheckTimer = 2;
inline constexpr UINT_PTR kMaskCheckTimer = 4;
inline constexpr UINT kMaskCheckPeriodMs = 3000;
inline constexpr wchar_t kCaption[] = L"TALMER Vigilo 3";
using moni::startup::kRunKey;

}  // namespace moni::tray

class CMainFrame {
 public:
  explicit CMainFrame(UINT maskCheckPeriodMs = moni::tray::kMaskCheckPeriodMs);
  virtual ~CMainFrame();
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Stops the timers, releases the map entry, removes the icon and the menu,
  // and removes the printer's traces when it was deleted.
  virtual void DestroyWindow();

  // 1 run, 0 end quietly, -1 the printer cannot be served.
  int StartUp();
  int DuplicationChk();
  int LoadRegSet();
  int LoadResDll();
  // The context menu: menu 801 of `resources` with the printer's name as its
  // default item and the extra items of the setup data (texts from
  // `resources`, bitmaps from `iconSource`). False without menu 801.
  bool BuildMenu(HMODULE resources, HMODULE iconSource);
  void AddExMenu(HMODULE resources, HMODULE iconSource);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnMeasureItem(MEASUREITEMSTRUCT& item);
  void OnUniAux(int id);
  void OnTimer(UINT_PTR id);
  void OnIconCallback(LPARAM mouseMessage);
  void OnReloadIcon();
  void OnStatusWindow(bool preferences);
  int StartDUVExe(const std::wstring& program, const std::wstring& extraLine);
  static bool StartExe(const std::wstring& commandLine);
  int ChkDelPrn();
  void DisableIconReg();

  std::wstring GetDepExeName() const;
  bool IsInkOrderMenu(int id, const std::wstring& inkOrderProgram) const;
  bool IsEnableInkOrder() const;
  bool GetDriverUpdateExeName(std::wstring& program, std::wstring& folder) const;
  bool IsDriverUpdateMenu(int id, const std::wstring& program) const;
  // The item's command template from the setup data "\Menu" key.
  std::wstring MenuTemplate(int id) const;

  // Identity, set before StartUp.
  std::wstring m_szPortName, m_szModelID, m_szPrinterName, m_szDriverName;
  bool m_fRemove = false;
  bool m_fIconInstall = false;
  HWND m_hWnd = nullptr;

  // What StartUp made (for the program and for tests).
  HMENU PopupMenu() const { return m_hPopup; }
  const std::wstring& TargetKey() const { return m_szTargetKey; }
  int IconIndex() const { return m_nIconIndex; }
  bool IconAdded() const { return m_fIconAdded; }
  CUtyCall& UtyCall() { return m_utyCall; }

  struct ExtraItemEntry {
    int id = 0;
    moni::GdiHandle bitmap;
    std::wstring text;
    bool driverUpdate = false;  // drawn with the shield
  };

 private:
  std::wstring Name() const { return m_szPrinterName.empty() ? m_szPortName : m_szPrinterName; }
  std::wstring DriverKey() const;
  bool AddIcon();
  void RemoveIcon();
  void ShowMessage(const std::wstring& text) const;
  void RefreshPortName();
  void RemovePrinterTraces();

  std::wstring m_szTargetKey;
  std::wstring m_szCaption, m_szStatusFailure, m_szPrefsFailure, m_szMapFailure, m_szResFailure;
  std::wstring m_szResDll, m_szDatPath;
  moni::Module m_resLibrary;
  moni::Module m_iconLibrary;  // loaded separately from the resource library
  HMODULE m_hIconSource = nullptr;
  moni::MenuHandle m_menu;
  HMENU m_hPopup = nullptr;
  moni::KernelHandle m_map;
  std::array<moni::IconHandle, 3> m_icons;
  int m_nIconIndex = 0;
  bool m_fIconAdded = false;
  std::array<ExtraItemEntry, moni::tray::kExtraItemCount> m_items;
  UINT m_nPrinterCheckMs = 0;
  UINT m_nMaskCheckMs;
  CUtyCall m_utyCall;
};
