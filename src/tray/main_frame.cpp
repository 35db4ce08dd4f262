#include "tray/main_frame.h"

#include <algorithm>

#include "foundation/base_info.h"
#include "foundation/command_line.h"
#include "foundation/dat_reader.h"
#include "foundation/line_log.h"
#include "foundation/monitor_map.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "foundation/setup_data.h"
#include "foundation/target_keys.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "tray/startup_cleanup.h"

using namespace moni::tray;

namespace {

constexpr int kRoleTray = 3;
constexpr size_t kMaxText = 259;

std::wstring LoadText(HMODULE library, int id) {
  std::wstring text = moni::LoadResourceString(library, static_cast<UINT>(id));
  if (text.size() > kMaxText) text.resize(kMaxText);
  return text;
}

// The shell's small shield icon, looked up at run time (older systems lack it).
HICON LoadShieldIcon() {
  struct StockIconInfo {
    DWORD cbSize;
    HICON hIcon;
    int iSysImageIndex;
    int iIcon;
    WCHAR szPath[MAX_PATH];
  };
  using GetStockIconInfo = HRESULT(WINAPI*)(int, UINT, StockIconInfo*);
  constexpr int kShield = 77;                       // SIID_SHIELD
  constexpr UINT kIconSmall = 0x000100 | 0x000001;  // SHGSI_ICON | SHGSI_SMALLICON
  HMODULE shell = GetModuleHandleW(L"Shell32.dll");
  if (!shell) return nullptr;
  const auto get = moni::ProcAddress<GetStockIconInfo>(shell, "SHGetStockIconInfo");
  if (!get) return nullptr;
  StockIconInfo info = {};
  info.cbSize = sizeof info;
  return SUCCEEDED(get(kShield, kIconSmall, &info)) ? info.hIcon : nullptr;
}

// Where an extra item's text starts, from the item's left edge: 10 pixels
// right of its bitmap (drawn 4 pixels from the edge), or 20 without one.
int TextOffset(HBITMAP bitmap) {
  BITMAP info = {};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return 20;
  return 4 + info.bmWidth + 10;
}

// The room an item keeps right of its text.
constexpr int kTextRightMargin = 8;

}  // namespace

CMainFrame::CMainFrame(UINT maskCheckPeriodMs) : m_nMaskCheckMs(maskCheckPeriodMs) {
  for (int i = 0; i < kExtraItemCount; ++i) m_items[i].id = kFirstExtraItem + i;
}

CMainFrame::~CMainFrame() {
  m_utyCall.CheckUtyCall();
  RemoveIcon();
  if (m_map) ReleaseMapPrinter(m_map.get(), m_szPrinterName, m_szPortName, kRoleTray);
}

void CMainFrame::ShowMessage(const std::wstring& text) const {
  MessageBoxW(m_hWnd, text.c_str(), m_szCaption.empty() ? kCaption : m_szCaption.c_str(), MB_OK);
}

int CMainFrame::StartUp() {
  LogWrite(L"CMainFrame::StartUp");
  m_szCaption = kCaption;
  m_szStatusFailure = L"\nUnable to open Printer Status window for this printer.";
  m_szPrefsFailure = L"\nUnable to open Monitoring Preferences window for this printer.";
  m_szMapFailure = L"Insufficient memory.";
  m_szResFailure = L"Could not find specified file.";

  if (!DuplicationChk()) return 0;
  if (m_fRemove) {
    ReleaseMapPrinter(m_map.get(), m_szPrinterName, m_szPortName, kRoleTray);
    m_map.reset();
    return 0;
  }
  if (IsDuvSettingOn(m_szPrinterName)) {
    LogWrite(L"Duv is invalid.");
    return -1;
  }
  if (!GetProfileName(m_szDatPath, m_szDriverName, m_szModelID, m_szPrinterName)) return -1;
  if (!LoadRegSet()) return -1;
  if (!LoadResDll()) return -1;
  if (!AddIcon()) return 0;

  if (!BuildMenu(m_resLibrary.get(), m_hIconSource)) return 0;

  // Icons, bitmaps and texts are copies: the libraries can go.
  m_iconLibrary.reset();
  m_resLibrary.reset();
  m_hIconSource = nullptr;

  m_nPrinterCheckMs = moni::profile::ReadIniInt(m_szDatPath, m_szModelID, L"TrayIconEndTime", 0);
  if (m_nPrinterCheckMs != 0) SetTimer(m_hWnd, kPrinterCheckTimer, m_nPrinterCheckMs, nullptr);
  SetTimer(m_hWnd, kMaskCheckTimer, m_nMaskCheckMs, nullptr);
  return 1;
}

bool CMainFrame::BuildMenu(HMODULE resources, HMODULE iconSource) {
  m_menu.reset(LoadMenuW(resources, MAKEINTRESOURCEW(801)));
  m_hPopup = m_menu ? GetSubMenu(m_menu.get(), 0) : nullptr;
  if (!m_hPopup) return false;
  ModifyMenuW(m_hPopup, 0, MF_BYPOSITION | MF_STRING, kStatusItem, Name().c_str());
  SetMenuDefaultItem(m_hPopup, kStatusItem, FALSE);
  AddExMenu(resources, iconSource);
  return true;
}

int CMainFrame::DuplicationChk() {
  std::wstring mapName;
  GetMapFileName(Name(), mapName);
  moni::KernelHandle section = moni::monitormap::CreateOrOpenSection(mapName);
  HWND other = nullptr;
  const int result = section ? CheckMapPrinter(section.get(), Name(), kRoleTray, reinterpret_cast<HWND>(-1), &other)
                             : moni::monitormap::kUnusable;
  LogWriteInt(L"CMainFrame::DuplicationChk : CheckMapPrinter", result);
  if (result == moni::monitormap::kHolds) {
    m_map = std::move(section);
    SethWindow(m_szPrinterName, m_szPortName, m_hWnd);
    return 1;
  }
  if (result == moni::monitormap::kHeldByOther) {
    if (other) PostMessageW(other, m_fRemove ? WM_CLOSE : kReloadIconMessage, 0, 0);
    return 0;
  }
  ShowMessage(m_szMapFailure);
  return 0;
}

int CMainFrame::LoadRegSet() {
  const bool byPort = m_szPrinterName.empty();
  if (GetTargetPrnKey(Name(), byPort, m_szTargetKey) != 0) {
    bool createdByPort = byPort;
    GetOrCreateTargetPrnKey(m_szPrinterName, m_szPortName, m_szModelID, createdByPort, m_szTargetKey, nullptr);
  }
  DWORD selected = 0, enabled = 0;
  CRegistryKey key;
  if (!m_szTargetKey.empty() && key.Open(HKEY_CURRENT_USER, m_szTargetKey)) {
    selected = key.QueryDword(L"TrayIconSelected", 0);
    enabled = key.QueryDword(L"TrayIconEnable", 0);
  } else {
    selected = moni::profile::ReadIniInt(m_szDatPath, m_szModelID, L"TrayIconSelected", 0);
    enabled = moni::profile::ReadIniInt(m_szDatPath, m_szModelID, L"TrayIconEnable", 0);
  }
  m_nIconIndex = selected <= 2 ? static_cast<int>(selected) : 0;
  LogWriteInt(L"CMainFrame::LoadRegSet : TrayIconEnable", static_cast<int>(enabled));
  if (enabled == 0) return 0;
  GetResDllPath(m_szResDll, m_szDriverName, m_szModelID, m_szPrinterName);
  return 1;
}

int CMainFrame::LoadResDll() {
  m_resLibrary.reset(m_szResDll.empty() ? nullptr
                                        : LoadLibraryExW(m_szResDll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!m_resLibrary) {
    ShowMessage(m_szResFailure);
    return 0;
  }
  std::wstring bmpDll;
  GetBmpDllPath(bmpDll, m_szDriverName, m_szModelID, m_szPrinterName);
  if (!bmpDll.empty()) m_iconLibrary.reset(LoadLibraryExW(bmpDll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  m_hIconSource = m_iconLibrary ? m_iconLibrary.get() : m_resLibrary.get();
  return 1;
}

bool CMainFrame::AddIcon() {
  for (int i = 0; i < 3; ++i) {
    m_icons[i].reset(static_cast<HICON>(LoadImageW(m_hIconSource, MAKEINTRESOURCEW(700 + i), IMAGE_ICON, 16, 16, 0)));
  }
  const std::wstring tip = Name();
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  if (tip.size() >= std::size(data.szTip)) return false;
  data.hWnd = m_hWnd;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kIconCallbackMessage;
  data.hIcon = m_icons[m_nIconIndex].get();
  tip.copy(data.szTip, tip.size());
  m_fIconAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  LogWriteInt(L"CMainFrame::AddIcon : Result", m_fIconAdded ? 1 : 0);
  return m_fIconAdded;
}

void CMainFrame::RemoveIcon() {
  if (!m_fIconAdded) return;
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = m_hWnd;
  data.uID = 0;
  Shell_NotifyIconW(NIM_DELETE, &data);
  m_fIconAdded = false;
}

void CMainFrame::OnReloadIcon() {
  CRegistryKey key;
  if (!m_szTargetKey.empty() && key.Open(HKEY_CURRENT_USER, m_szTargetKey)) {
    const DWORD selected = key.QueryDword(L"TrayIconSelected", 0);
    m_nIconIndex = selected <= 2 ? static_cast<int>(selected) : 0;
  }
  LogWriteInt(L"CMainFrame : icon reloaded", m_nIconIndex);
  if (!m_fIconAdded) return;
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = m_hWnd;
  data.uID = 0;
  data.uFlags = NIF_ICON;
  data.hIcon = m_icons[m_nIconIndex].get();
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

std::wstring CMainFrame::MenuTemplate(int id) const {
  return CDatReader::GetPrivateRegString(CDatReader::Source::Printer, m_szPrinterName, DriverKey() + L"\\Menu",
                                         std::to_wstring(static_cast<unsigned>(id)));
}

std::wstring CMainFrame::GetDepExeName() const {
  const std::wstring dep =
      CDatReader::GetPrivateRegString(CDatReader::Source::Printer, m_szPrinterName, DriverKey(), L"DepExe");
  return moni::ToWide(FileNameUpper(moni::ToU16(dep)));
}

bool CMainFrame::IsEnableInkOrder() const {
  CMachineKey key;
  return key.Open(L"Software\\TALMER\\" + m_szDriverName + L" IO_URL");
}

bool CMainFrame::IsInkOrderMenu(int id, const std::wstring& inkOrderProgram) const {
  CMachineKey key;
  std::wstring templ;
  if (key.Open(DriverKey() + L"\\Menu")) {
    templ = key.QueryString(std::to_wstring(static_cast<unsigned>(id)));
  } else {
    templ = MenuTemplate(id);
  }
  return IsInkOrderTemplate(moni::ToU16(templ), moni::ToU16(inkOrderProgram));
}

bool CMainFrame::GetDriverUpdateExeName(std::wstring& program, std::wstring& folder) const {
  program.clear();
  folder.clear();
  const std::wstring path =
      CDatReader::GetPrivateRegString(CDatReader::Source::Printer, m_szPrinterName, DriverKey(), L"DriverUpdateName");
  if (path.empty()) return false;
  wchar_t drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {}, name[_MAX_FNAME] = {}, ext[_MAX_EXT] = {};
  if (_wsplitpath_s(path.c_str(), drive, dir, name, ext) != 0) return false;
  program = moni::ToWide(Upper(moni::ToU16(std::wstring(name) + ext)));
  folder = std::wstring(drive) + dir;
  return true;
}

bool CMainFrame::IsDriverUpdateMenu(int id, const std::wstring& program) const {
  return ContainsUpper(moni::ToU16(MenuTemplate(id)), moni::ToU16(program));
}

void CMainFrame::AddExMenu(HMODULE resources, HMODULE iconSource) {
  AppendMenuW(m_hPopup, MF_SEPARATOR, 0, nullptr);
  const std::wstring inkOrderProgram = GetDepExeName();
  const bool inkOrderEnabled = IsEnableInkOrder();

  // The templates, read from one parse of the setup data.
  CDatReader reader;
  const bool haveData =
      m_szPrinterName.empty() ? reader.OpenByDriver(m_szDriverName) != 0 : reader.OpenByPrinter(m_szPrinterName) != 0;
  const std::u16string menuKey = moni::ToU16(DriverKey() + L"\\Menu");
  auto read = [&](const std::u16string& name) {
    std::u16string value;
    if (haveData) moni::setupdata::LookupString(reader.tables(), menuKey, name, value);
    return value;
  };

  int inkOrderItem = 0;
  for (int id = kFirstExtraItem; id <= kLastExtraItem && !inkOrderProgram.empty(); ++id) {
    if (IsInkOrderMenu(id, inkOrderProgram)) {
      inkOrderItem = id;
      break;
    }
  }
  const std::vector<int> separators = ParseSeparators(read(u"Separators"));
  std::wstring updateProgram, updateFolder;
  const bool haveUpdate = GetDriverUpdateExeName(updateProgram, updateFolder);

  std::vector<ExtraItem> found;
  for (int id = kFirstExtraItem; id <= kLastExtraItem; ++id) {
    if (read(moni::ToU16(std::to_wstring(id))).empty()) continue;
    std::wstring text = LoadText(resources, id);
    if (id == inkOrderItem && !inkOrderEnabled) text.clear();
    found.push_back({id, moni::ToU16(text)});
    m_items[id - kFirstExtraItem].text = std::move(text);
  }
  for (const MenuEntry& entry : PlanExtraItems(found, separators)) {
    if (entry.separator) {
      AppendMenuW(m_hPopup, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    ExtraItemEntry& item = m_items[entry.id - kFirstExtraItem];
    item.bitmap.reset(LoadImageW(iconSource, MAKEINTRESOURCEW(entry.id), IMAGE_BITMAP, 0, 0, 0));
    item.driverUpdate = haveUpdate && IsDriverUpdateMenu(entry.id, updateProgram);
    AppendMenuW(m_hPopup, MF_OWNERDRAW, static_cast<UINT_PTR>(entry.id), reinterpret_cast<LPCWSTR>(&item));
    LogWriteInt(L"CMainFrame::AddExMenu : item", entry.id);
  }
}

void CMainFrame::OnMeasureItem(MEASUREITEMSTRUCT& measure) {
  if (measure.CtlType != ODT_MENU) return;
  const int id = static_cast<int>(measure.itemID);
  if (id < kFirstExtraItem || id > kLastExtraItem) return;
  const ExtraItemEntry& item = m_items[id - kFirstExtraItem];
  const std::wstring& text = item.text;
  HDC dc = GetDC(nullptr);
  SIZE size = {};
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = CreateFontIndirectW(&metrics.lfMenuFont);
  }
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  if (old) SelectObject(dc, old);
  if (font) DeleteObject(font);
  ReleaseDC(nullptr, dc);
  // As wide as the item is drawn: the text starts right of the bitmap, which
  // is wider than a check mark, so the check-mark width alone would clip it.
  const int left = TextOffset(static_cast<HBITMAP>(item.bitmap.get()));
  measure.itemWidth = static_cast<UINT>((std::max)(GetSystemMetrics(SM_CXMENUCHECK), left) + size.cx + kTextRightMargin);
  measure.itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU));
}

void CMainFrame::OnDrawItem(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlType != ODT_MENU) return;
  const int id = static_cast<int>(draw.itemID);
  if (id < kFirstExtraItem || id > kLastExtraItem) return;
  const ExtraItemEntry& item = m_items[id - kFirstExtraItem];
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));

  const int height = draw.rcItem.bottom - draw.rcItem.top;
  const int textLeft = draw.rcItem.left + TextOffset(static_cast<HBITMAP>(item.bitmap.get()));
  if (item.bitmap) {
    BITMAP info = {};
    GetObjectW(item.bitmap.get(), sizeof info, &info);
    const int x = draw.rcItem.left + 4;
    const int y = draw.rcItem.top + (height - info.bmHeight) / 2;
    HDC memory = CreateCompatibleDC(draw.hDC);
    HGDIOBJ old = SelectObject(memory, item.bitmap.get());
    BitBlt(draw.hDC, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (item.driverUpdate) {
      if (HICON shield = LoadShieldIcon()) {
        DrawIconEx(draw.hDC, x + 5, y + 5, shield, info.bmWidth - 4, info.bmHeight - 4, 0, nullptr, DI_NORMAL);
        DestroyIcon(shield);
      }
    }
  }
  RECT text = draw.rcItem;
  text.left = textLeft;
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  DrawTextW(draw.hDC, item.text.c_str(), static_cast<int>(item.text.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void CMainFrame::RefreshPortName() {
  std::wstring driver, port;
  if (!m_szPrinterName.empty() && moni::spooler::GetPrinterDriverAndPort(m_szPrinterName, driver, port) &&
      port.size() <= kMaxText) {
    m_szPortName = port;
  }
}

void CMainFrame::OnStatusWindow(bool preferences) {
  const std::wstring program = FindSiblingProgram(m_szPrinterName, m_szDriverName, m_szModelID, L"V_GRUN", L"V_G20RN1.EXE");
  if (program.empty() || !StartDUVExe(program, preferences ? L"/E" : L"")) {
    ShowMessage(preferences ? m_szPrefsFailure : m_szStatusFailure);
  }
}

int CMainFrame::StartDUVExe(const std::wstring& program, const std::wstring& extraLine) {
  RefreshPortName();
  const std::u16string text = moni::cmdline::StatusWindowText(moni::ToU16(m_szPrinterName), moni::ToU16(m_szPortName),
                                                               moni::ToU16(m_szModelID), moni::ToU16(extraLine));
  const std::wstring file = moni::files::WriteNewTempFile(L"V_G", moni::files::Utf16Bytes(moni::ToWide(text), true));
  if (file.empty()) return 0;
  if (!StartExe(program + L" /FU \"" + file + L"\"")) {
    DeleteFileW(file.c_str());
    return 0;
  }
  return 1;
}

std::wstring CMainFrame::DriverKey() const { return moni::DriverKey(m_szDriverName); }

bool CMainFrame::StartExe(const std::wstring& commandLine) {
  // The started program runs on by itself: its handles go when `started` does.
  moni::StartedProcess started;
  if (!moni::StartProcess(commandLine, started)) {
    LogWriteStr(L"CMainFrame::StartExe : failed", commandLine.c_str());
    return false;
  }
  return true;
}

void CMainFrame::OnUniAux(int id) {
  const std::wstring templ = MenuTemplate(id);
  LogWriteStr(L"CMainFrame::OnUniAux", templ.c_str());
  if (templ.empty()) return;
  if (CUtyCall::IsUtyCallMenu(m_szDriverName, m_szPrinterName, m_szModelID, templ)) {
    m_utyCall.StartUtyCall(m_szPrinterName, templ);
    return;
  }
  std::wstring program, folder;
  if (GetDriverUpdateExeName(program, folder) && ContainsUpper(moni::ToU16(templ), moni::ToU16(program))) {
    const CommandSplit split =
        SplitAtFirstSlash(FormatDriverUpdateCommand(moni::ToU16(templ), moni::ToU16(folder)));
    ShellExecuteW(nullptr, L"open", moni::ToWide(split.program).c_str(),
                  split.hasArguments ? moni::ToWide(split.arguments).c_str() : nullptr, nullptr, SW_SHOWNORMAL);
    return;
  }
  RefreshPortName();
  const CommandSplit split = SplitAtFirstBlank(moni::ToU16(templ));
  if (!split.hasArguments) {
    StartExe(templ);
    return;
  }
  const std::u16string text =
      moni::cmdline::MenuCommandText(split.arguments, moni::ToU16(m_szPrinterName), moni::ToU16(m_szModelID),
                                     moni::ToU16(m_szDriverName), moni::ToU16(m_szPortName));
  const std::wstring file = moni::files::WriteNewTempFile(L"V_G", moni::files::Utf16Bytes(moni::ToWide(text), true));
  if (file.empty()) return;
  if (!StartExe(moni::ToWide(split.program) + L" /FU \"" + file + L"\"")) DeleteFileW(file.c_str());
}

void CMainFrame::OnTimer(UINT_PTR id) {
  if (id == kMaskCheckTimer) {
    LogWrite(L"CMainFrame::OnTimer : Mask check");
    KillTimer(m_hWnd, kMaskCheckTimer);
    if (!IsDuvSettingOn(m_szPrinterName)) {
      SetTimer(m_hWnd, kMaskCheckTimer, m_nMaskCheckMs, nullptr);
    } else {
      ChkDelPrn();
      PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
  } else if (id == kPrinterCheckTimer) {
    LogWrite(L"CMainFrame::OnTimer : Printer check");
    KillTimer(m_hWnd, kPrinterCheckTimer);
    if (m_fIconInstall || ChkDelPrn()) {
      SetTimer(m_hWnd, kPrinterCheckTimer, m_nPrinterCheckMs, nullptr);
    } else {
      PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
  }
}

void CMainFrame::OnIconCallback(LPARAM mouseMessage) {
  const UINT message = static_cast<UINT>(mouseMessage);
  if (message != WM_LBUTTONDBLCLK && message != WM_RBUTTONDOWN) return;
  if (!m_fIconInstall && !ChkDelPrn()) {
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return;
  }
  if (message == WM_LBUTTONDBLCLK) {
    OnStatusWindow(false);
    return;
  }
  SetForegroundWindow(m_hWnd);
  SetFocus(m_hWnd);
  const bool chord = (GetKeyState(VK_CONTROL) & 0x8000) && (GetKeyState(VK_SHIFT) & 0x8000) &&
                     (GetKeyState(VK_SPACE) & 0x8000);
  if (chord) {
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return;
  }
  POINT cursor = {};
  GetCursorPos(&cursor);
  TrackPopupMenu(m_hPopup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, GetAncestor(m_hWnd, GA_ROOT), nullptr);
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CMainFrame::RemovePrinterTraces() {
  const std::wstring name = Name();
  const moni::startup::OldIconFile old = moni::startup::DelOldIconRegFile(HKEY_CURRENT_USER, kRunKey, name);
  if (old.valueRead) LogWriteStr(L"csParam\n", old.value.c_str());
  CRegistryKey run;
  if (run.Open(HKEY_CURRENT_USER, kRunKey, false, KEY_ALL_ACCESS)) RegDeleteValueW(run.Get(), name.c_str());
  std::wstring key = m_szTargetKey;
  if (key.empty()) GetTargetPrnKey(name, m_szPrinterName.empty(), key);
  if (!key.empty()) {
    CRegistryKey root;
    if (root.Open(HKEY_CURRENT_USER, L"", false, KEY_ALL_ACCESS)) root.DeleteTree(key);
  }
  LogWriteStr(L"CMainFrame::ChkDelPrn : removed", name.c_str());
}

int CMainFrame::ChkDelPrn() {
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  moni::PrinterHandle printer;
  // Without a printer name this opens the print server, which is there.
  std::wstring name = m_szPrinterName;
  if (OpenPrinterW(name.empty() ? nullptr : name.data(), printer.put(), &defaults)) return 1;
  KillTimer(m_hWnd, kPrinterCheckTimer);
  RemovePrinterTraces();
  return 0;
}

void CMainFrame::DisableIconReg() {
  std::wstring key = m_szTargetKey;
  if (key.empty()) GetTargetPrnKey(Name(), m_szPrinterName.empty(), key);
  CRegistryKey target;
  if (!key.empty() && target.Open(HKEY_CURRENT_USER, key, false, KEY_SET_VALUE)) target.SetDword(L"TrayIconEnable", 0);
}

void CMainFrame::DestroyWindow() {
  KillTimer(m_hWnd, kMaskCheckTimer);
  if (m_map) {
    ReleaseMapPrinter(m_map.get(), m_szPrinterName, m_szPortName, kRoleTray);
    m_map.reset();
  }
  RemoveIcon();
  m_hPopup = nullptr;
  m_menu.reset();
  KillTimer(m_hWnd, kPrinterCheckTimer);
  ChkDelPrn();
}
