// The monitoring preferences of one printer (template 100 of the model's
// resource library): which conditions notify, whether a sound plays with
// them, whether the printer has a tray icon and in which design, and whether
// printers shared over the network are monitored. Settings are read when the
// dialog opens (missing ones are written from the model's defaults at once)
// and written only on OK; Cancel writes nothing.
//
// One preferences dialog per printer across processes (the monitor map): a
// second one closes itself at once and brings the first to the front.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "ui/prefs/prefs_core.h"

class CDuvHelp;
class CRegistryKey;
class CIconDesignList;
class CServiceProgram;
class CStatusAgent;

namespace moni::prefs {

// What the dialog takes from the system it runs on. PrStartPreference passes
// the running system; tests may pass another one.
struct DuvEnvOptions {
  Platform platform;
  bool administrator = false;  // the user belongs to the local Administrators group
  // Refreshing the service program waits at most this long for the old
  // service to go.
  DWORD serviceWaitMs = 500;
  int serviceWaitCount = 20;

  static DuvEnvOptions ForRunningSystem();
};

}  // namespace moni::prefs

class CDuvEnvDlg {
 public:
  struct Identity {
    std::wstring printer, driver, port, model;
    std::wstring datFile;   // the model's setup data file (profile)
    std::wstring resource;  // the resource library for the user's language
    std::wstring bitmaps;   // the bitmap library; empty: the resource library serves
    std::wstring installPath;  // the driver's install folder, ending in "\"
  };

  CDuvEnvDlg(Identity identity, moni::prefs::DuvEnvOptions options);
  ~CDuvEnvDlg();
  CDuvEnvDlg(const CDuvEnvDlg&) = delete;
  CDuvEnvDlg& operator=(const CDuvEnvDlg&) = delete;

  // Loads the resource library and the bitmap library (the resource library
  // stands in when that cannot be loaded). False when the resource library
  // cannot be loaded.
  bool Initialize();

  // Runs template 100 modally: 1 (OK), 2 (Cancel, or closed), or -1 when the
  // dialog cannot be shown (no template 100, for one).
  INT_PTR DoModal(HWND owner);

  // After OK: the chosen tray icon setting, 1 or 0.
  int GetTrayIconEnable() const { return m_nTrayIcon; }
  bool ClosedAsDuplicate() const { return m_bDuplicate; }

  // One notification item of the list.
  struct NotifyItem {
    int code = 0;
    int on = 0;
    int initial = 0;
    std::wstring name;  // the value name below "Notify"
    std::wstring text;
  };

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  BOOL OnInitDialog();
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  void OnOK();
  void OnDestroy();
  void OnContextHelp(const HELPINFO& info);
  void OnContextMenu(HWND target, POINT at);
  bool PopUpHelpMenu(POINT at);

  std::wstring LoadText(UINT id) const;
  void ReadModelProperties();
  void HideSharedBox();
  // The printer's key (found by the printer name, else the port), full access.
  bool OpenPrinterKey(CRegistryKey& key) const;
  void LoadSettings();
  void CreateNtfyList();
  void SetItemState(int index, int on);
  void ToggleItem(int index);
  void FillDesignList();
  void ShowPreview();
  void SetBoxes();
  void ReadBoxes();
  void OnTrayIconBox();
  void OnDefault();
  void OnSharedBox();
  bool SaveSettings();

  void SharedStartUp();
  bool IsEnableSharedCheck() const;
  bool NwlinkConflict() const;
  bool RunAgentSetup(bool on);
  void ApplyService(moni::prefs::ServiceAction action);

  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }

  Identity m_id;
  moni::prefs::DuvEnvOptions m_options;
  HWND m_hWnd = nullptr;

  moni::Module m_hResource;
  moni::Module m_hBitmapLibrary;  // loaded separately; empty when the resource library serves
  HMODULE m_hBitmaps = nullptr;   // where bitmaps and icons come from

  std::wstring m_strLanguageSection;
  std::unique_ptr<CDuvHelp> m_help;

  // The settings as the dialog takes them.
  int m_nSound = 0;
  int m_nTrayIcon = 0;
  int m_nDesign = 0;
  int m_nShownTrayIcon = -1;  // the tray setting as it was last shown
  bool m_bInitialShare = false;
  bool m_bShare = false;

  bool m_bNoSound = false;
  bool m_bSharedShown = false;
  bool m_bSharedDisabled = false;
  bool m_bSmart = false;
  std::wstring m_strModelType;  // "TLWTYPE"

  std::vector<NotifyItem> m_items;
  std::unique_ptr<CIconDesignList> m_designList;
  moni::ImageListHandle m_stateImages;
  moni::ImageListHandle m_designImages;
  moni::GdiHandle m_previews[4];  // designs 0, 1, 2 and no icon
  moni::IconHandle m_trayGroupIcon, m_soundIcon;
  std::unique_ptr<CStatusAgent> m_agent;
  std::unique_ptr<CServiceProgram> m_service;

  moni::KernelHandle m_mapSection;  // the monitor map, while the dialog is registered
  bool m_bDuplicate = false;
  bool m_bFilling = false;  // the lists are being filled: their notifications are not the user's
};
