#include "ui/prefs/duv_env_dlg.h"

#include <commctrl.h>
#include <windowsx.h>

#include <atomic>

#include "comm/status_agent.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/monitor_map.h"
#include "foundation/printer_settings.h"
#include "foundation/printer_settings_core.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "ui/prefs/design_list.h"
#include "ui/prefs/duv_help.h"
#include "ui/prefs/service_program.h"

using moni::prefs::ServiceAction;

namespace {

// Template and control identifiers of the resource library.
constexpr int kTemplate = 100;
constexpr int kWaitTemplate = 111;
constexpr int kNotifyList = 200, kSoundIcon = 201, kSoundBox = 202, kDefaultButton = 203, kTrayIcon = 204;
constexpr int kDesignList = 205, kTrayBox = 206, kPreview = 207, kSharedBox = 208;
constexpr int kNotifyGroup = 220, kTrayGroup = 221;
constexpr int kHelpMenuItem = 243;
// Strings, bitmaps and icons.
constexpr UINT kHelpMenuText = 244, kItemCountText = 1000, kFirstItemText = 1001, kProductCaption = 1100;
constexpr UINT kColumnEvent = 1120, kColumnNotify = 1121, kOnText = 1122, kOffText = 1123;
constexpr UINT kNwlinkText = 1226, kCaptionText = 1360;
constexpr UINT kStateBitmap = 400, kTrayGroupIcon = 611, kSoundIconId = 612;
constexpr COLORREF kStateMask = RGB(0, 0, 128);

// The wait dialog: the set-up thread tells it that it is done.
constexpr UINT WM_AGENT_DONE = WM_APP + 111;

constexpr wchar_t kNwlinkKey[] = L"Enum\\Network\\NWLINK";
constexpr wchar_t kShare4Key[] = L"Software\\TALMER\\BQPrinter4\\SHARE4";
constexpr wchar_t kDriverKey[] = L"Software\\TALMER\\VGL3\\Driver\\";

bool MachineKeyExists(const wchar_t* path) {
  moni::RegKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool IsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins)) return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
  FreeSid(admins);
  return member != FALSE;
}

void CentreOnScreen(HWND hwnd) {
  RECT window = {}, work = {};
  GetWindowRect(hwnd, &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = window.right - window.left, height = window.bottom - window.top;
  SetWindowPos(hwnd, nullptr, work.left + ((work.right - work.left) - width) / 2, work.top + ((work.bottom - work.top) - height) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The agent's set-up, run on a thread of its own while the wait dialog shows.
struct AgentSetup {
  const CStatusAgent* agent = nullptr;
  bool on = false;
  std::atomic<bool> ok{false};
  HWND wait = nullptr;
  moni::Thread thread;

  static DWORD WINAPI Run(void* param) {
    auto* self = static_cast<AgentSetup*>(param);
    self->ok = self->agent->SetShare(self->on);
    PostMessageW(self->wait, WM_AGENT_DONE, 0, 0);
    return 0;
  }

  static INT_PTR CALLBACK WaitProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG: {
        auto* self = reinterpret_cast<AgentSetup*>(lParam);
        self->wait = hwnd;
        CentreOnScreen(hwnd);
        if (!self->thread.start(&AgentSetup::Run, self)) EndDialog(hwnd, 0);
        return TRUE;
      }
      case WM_AGENT_DONE:
        EndDialog(hwnd, 1);
        return TRUE;
      case WM_COMMAND:
      case WM_CLOSE:
        return TRUE;  // the switch cannot be cancelled: the dialog ends when it is done
    }
    return FALSE;
  }
};

}  // namespace

moni::prefs::DuvEnvOptions moni::prefs::DuvEnvOptions::ForRunningSystem() {
  DuvEnvOptions options;
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&version)) {
#pragma GCC diagnostic pop
    options.platform.nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    options.platform.major = version.dwMajorVersion;
    options.platform.minor = version.dwMinorVersion;
  } else {
    options.platform = {true, 10, 0};
  }
  options.administrator = IsAdministrator();
  return options;
}

CDuvEnvDlg::CDuvEnvDlg(Identity identity, moni::prefs::DuvEnvOptions options)
    : m_id(std::move(identity)), m_options(options), m_designList(new CIconDesignList) {}

CDuvEnvDlg::~CDuvEnvDlg() = default;

bool CDuvEnvDlg::Initialize() {
  CDebugLog log("CDuvEnvDlg::Initialize");
  m_hResource.reset(m_id.resource.empty() ? nullptr : LoadLibraryExW(m_id.resource.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!m_hResource) {
    log.Write("Error : LoadLibrary %s (%u)\n", m_id.resource, GetLastError());
    return false;
  }
  m_hBitmaps = m_hResource.get();
  if (!m_id.bitmaps.empty()) {
    m_hBitmapLibrary.reset(LoadLibraryExW(m_id.bitmaps.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (m_hBitmapLibrary) m_hBitmaps = m_hBitmapLibrary.get();
    else log.Write("Error : bitmap library %s; the resource library serves\n", m_id.bitmaps);
  }
  return true;
}

INT_PTR CDuvEnvDlg::DoModal(HWND owner) {
  CDebugLog log("CDuvEnvDlg::DoModal");
  if (!m_hResource) return -1;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!FindResourceW(m_hResource.get(), MAKEINTRESOURCEW(kTemplate), reinterpret_cast<LPCWSTR>(RT_DIALOG))) {
    log.Write("Error : the resource library has no template %d\n", kTemplate);
    return -1;
  }
  const INT_PTR result =
      DialogBoxParamW(m_hResource.get(), MAKEINTRESOURCEW(kTemplate), owner, &CDuvEnvDlg::DialogProc, reinterpret_cast<LPARAM>(this));
  log.Write("DialogBoxParam = %d\n", static_cast<long long>(result));
  return result;
}

INT_PTR CALLBACK CDuvEnvDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDuvEnvDlg* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDuvEnvDlg*>(lParam);
    self->m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<CDuvEnvDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  const INT_PTR handled = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) self->m_hWnd = nullptr;
  return handled;
}

INT_PTR CDuvEnvDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const LRESULT result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_HELP:
      OnContextHelp(*reinterpret_cast<const HELPINFO*>(lParam));
      return TRUE;
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_CLOSE:
      EndDialog(m_hWnd, IDCANCEL);
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
  }
  return FALSE;
}

std::wstring CDuvEnvDlg::LoadText(UINT id) const { return moni::LoadResourceString(m_hResource.get(), id); }

BOOL CDuvEnvDlg::OnInitDialog() {
  CDebugLog log("CDuvEnvDlg::OnInitDialog");
  m_designList->Attach(Item(kDesignList));

  HWND other = nullptr;
  const int registered = MultiExecuteCheck(m_id.printer, m_id.port, 0, m_hWnd, &other, m_mapSection);
  if (registered != moni::monitormap::kHolds) {
    log.Write("MultiExecuteCheck = %d: another preferences window serves the printer\n", registered);
    if (registered == moni::monitormap::kHeldByOther && other) SetForegroundWindow(other);
    m_bDuplicate = true;
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return TRUE;
  }

  ReadModelProperties();
  m_bSharedShown = moni::prefs::SharedBoxShown(m_options.platform);
  if (!m_bSharedShown) HideSharedBox();
  CentreOnScreen(m_hWnd);

  SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
  SetWindowContextHelpId(m_hWnd, moni::prefs::kDialogHelpContext);
  SetWindowTextW(m_hWnd, (LoadText(kCaptionText) + L" : " + (m_id.printer.empty() ? m_id.port : m_id.printer)).c_str());

  m_agent.reset(new CStatusAgent(m_id.driver, m_id.printer));
  LoadSettings();
  CreateNtfyList();

  // Icons 700 to 702 of the bitmap library are the designs.
  m_designImages.reset(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, moni::prefs::kDesignCount, 0));
  for (int design = 0; design < moni::prefs::kDesignCount && m_designImages; ++design) {
    moni::IconHandle icon(static_cast<HICON>(
        LoadImageW(m_hBitmaps, MAKEINTRESOURCEW(moni::prefs::kFirstDesignIcon + design), IMAGE_ICON, 32, 32, 0)));
    if (!icon) {
      log.Write("Error : design icon %d\n", moni::prefs::kFirstDesignIcon + design);
      break;
    }
    ImageList_AddIcon(m_designImages.get(), icon.get());
  }
  FillDesignList();
  for (int i = 0; i < 4; ++i) {
    const int id = i < 3 ? moni::prefs::kNoIconPreview + 1 + i : moni::prefs::kNoIconPreview;
    m_previews[i].reset(LoadImageW(m_hResource.get(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    if (!m_previews[i]) log.Write("Error : preview bitmap %d\n", id);
  }
  ShowPreview();

  m_trayGroupIcon.reset(static_cast<HICON>(LoadImageW(m_hResource.get(), MAKEINTRESOURCEW(kTrayGroupIcon), IMAGE_ICON, 16, 16, 0)));
  SendDlgItemMessageW(m_hWnd, kTrayIcon, STM_SETICON, reinterpret_cast<WPARAM>(m_trayGroupIcon.get()), 0);
  if (!m_bNoSound) {
    m_soundIcon.reset(static_cast<HICON>(LoadImageW(m_hResource.get(), MAKEINTRESOURCEW(kSoundIconId), IMAGE_ICON, 16, 16, 0)));
    SendDlgItemMessageW(m_hWnd, kSoundIcon, STM_SETICON, reinterpret_cast<WPARAM>(m_soundIcon.get()), 0);
  } else {
    ShowWindow(Item(kSoundBox), SW_HIDE);
    ShowWindow(Item(kSoundIcon), SW_HIDE);
  }

  if (m_bSharedShown) SharedStartUp();
  // Without a help file the help button has nothing to show.
  EnableWindow(Item(IDHELP), !m_help->File().empty());
  SetBoxes();
  return TRUE;
}

void CDuvEnvDlg::HideSharedBox() {
  // The buttons move up into the box's place and the dialog loses its height.
  HWND box = Item(kSharedBox);
  RECT boxRect = {}, okRect = {};
  GetWindowRect(box, &boxRect);
  GetWindowRect(Item(IDOK), &okRect);
  ShowWindow(box, SW_HIDE);
  const int shift = okRect.top - boxRect.top;
  if (shift <= 0) return;
  for (int id : {IDOK, IDCANCEL, IDHELP}) {
    HWND button = Item(id);
    RECT r = {};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(button, nullptr, r.left, r.top - shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT window = {};
  GetWindowRect(m_hWnd, &window);
  SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - shift,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDuvEnvDlg::ReadModelProperties() {
  CDebugLog log("CDuvEnvDlg::ReadModelProperties");
  m_strModelType = moni::profile::ReadIniString(m_id.datFile, m_id.model, L"TLWTYPE").substr(0, 32);
  m_strLanguageSection = moni::profile::ChooseResourceSection(m_id.datFile, GetUserDefaultLangID());
  // A model without "SOUND" has sound; only 0 takes it away.
  m_bNoSound = !m_strLanguageSection.empty() &&
               moni::profile::ReadIniInt(m_id.datFile, m_strLanguageSection, L"SOUND", 1) == 0;

  moni::spooler::DriverFiles files;
  const bool haveDriver = moni::spooler::GetDriverFilesForPrinter(m_id.printer, files);
  const std::wstring helpName =
      m_strLanguageSection.empty() ? std::wstring() : moni::profile::ReadIniString(m_id.datFile, m_strLanguageSection, L"HelpFile");
  std::wstring helpFile;
  if (!helpName.empty()) {
    const std::wstring folder = haveDriver ? files.driverDirectory + L"\\" : m_id.installPath;
    helpFile = folder + helpName;
  } else if (haveDriver) {
    helpFile = files.helpFile;  // the help file the driver's information names
  }
  m_help.reset(new CDuvHelp(helpFile));
  log.Write("TLWTYPE : %s, language : %s, sound : %d, help : %s\n", m_strModelType, m_strLanguageSection, m_bNoSound ? 0 : 1,
            helpFile);
}

bool CDuvEnvDlg::OpenPrinterKey(CRegistryKey& key) const {
  const bool byPort = m_id.printer.empty();
  std::wstring path;
  return GetTargetPrnKey(byPort ? m_id.port : m_id.printer, byPort, path) == 0 &&
         key.Open(HKEY_CURRENT_USER, path, false, KEY_ALL_ACCESS);
}

void CDuvEnvDlg::LoadSettings() {
  CDebugLog log("CDuvEnvDlg::LoadSettings");
  using namespace moni::settings;
  CRegistryKey key;
  if (!OpenPrinterKey(key)) {
    log.Write("ERROR : GetTargetPrnKey Not Found!!\n");
    m_nSound = m_nTrayIcon = m_nDesign = 0;
  } else {
    const auto setting = [&](const char16_t* name) {
      const std::wstring value = moni::AsWide(name);
      return SettingOrDefault(key, value, value, m_id.datFile, m_id.model);
    };
    m_nSound = m_bNoSound ? 0 : SoundSetting(setting(kSoundValue), true);
    m_nTrayIcon = TrayIconSetting(setting(kTrayIconValue));
    m_nDesign = DesignSetting(setting(kDesignValue));
  }
  const int share = m_agent->GetShare();
  m_bInitialShare = m_bShare = share == 1;
  log.Write("Sound %d, TrayIcon %d, Design %d, Share %d\n", m_nSound, m_nTrayIcon, m_nDesign, share);
}

void CDuvEnvDlg::CreateNtfyList() {
  CDebugLog log("CDuvEnvDlg::CreateNtfyList");
  using namespace moni::settings;
  HWND list = Item(kNotifyList);
  m_bFilling = true;

  // The printer's "Notify" values: the model's defaults first, then each item.
  CRegistryKey key, notify;
  if (OpenPrinterKey(key)) {
    const int defaults = WriteNotifyDefaults(key.Get(), m_id.datFile, m_id.model);
    if (defaults != 0) log.Write("Notify defaults = %d\n", defaults);
    if (!notify.Open(key.Get(), moni::ToWide(kNotifyKey), true, KEY_ALL_ACCESS)) log.Write("Error : Notify key\n");
  }

  const std::wstring countText = LoadText(kItemCountText);
  const auto count = moni::prefs::ParseItemCount(moni::ToU16(countText));
  if (!count.valid) log.Write("Error : item count \"%s\" is not a number: no items\n", countText);
  if (count.capped) log.Write("Error : item count \"%s\" is more than %u: %u items\n", countText, moni::prefs::kMaxNotifyItems, count.count);

  m_items.clear();
  for (size_t i = 0; i < count.count; ++i) {
    NotifyItem item;
    item.code = moni::prefs::NotifyItemCode(i);
    item.name = moni::ToWide(NotifyValueName(item.code));
    item.text = LoadText(kFirstItemText + static_cast<UINT>(i));
    if (item.text.size() > moni::prefs::kMaxItemText) {
      log.Write("Item %u text cut to %u characters\n", static_cast<unsigned>(i), moni::prefs::kMaxItemText);
      item.text.resize(moni::prefs::kMaxItemText);
    }
    const DWORD value = notify.IsOpen() ? SettingOrDefault(notify, item.name, L"ITEM" + item.name, m_id.datFile, m_id.model) : 0;
    item.on = item.initial = IsOn(value) ? 1 : 0;
    m_items.push_back(std::move(item));
  }

  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  m_stateImages.reset(ImageList_LoadImageW(m_hBitmaps, MAKEINTRESOURCEW(kStateBitmap), 16, 0, kStateMask, IMAGE_BITMAP, 0));
  if (!m_stateImages) log.Write("Error : state bitmap %u\n", kStateBitmap);
  ListView_SetImageList(list, m_stateImages.get(), LVSIL_SMALL);

  // Columns: the condition, then on or off, as wide as its header needs.
  std::wstring event = LoadText(kColumnEvent), state = LoadText(kColumnNotify);
  const int stateWidth = ListView_GetStringWidth(list, state.c_str()) + 24;
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = event.data();
  column.cx = stateWidth;
  ListView_InsertColumn(list, 0, &column);
  column.pszText = state.data();
  column.iSubItem = 1;
  ListView_InsertColumn(list, 1, &column);

  for (size_t i = 0; i < m_items.size(); ++i) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    row.iItem = static_cast<int>(i);
    row.pszText = m_items[i].text.data();
    row.lParam = m_items[i].code;
    row.iImage = m_items[i].on;
    ListView_InsertItem(list, &row);
    SetItemState(static_cast<int>(i), m_items[i].on);
  }
  // The condition takes the rest of the width, a vertical scroll bar aside.
  RECT client = {};
  GetClientRect(list, &client);
  ListView_SetColumnWidth(list, 0, (client.right - client.left) - stateWidth);
  m_bFilling = false;
}

void CDuvEnvDlg::SetItemState(int index, int on) {
  if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return;
  m_items[static_cast<size_t>(index)].on = on ? 1 : 0;
  HWND list = Item(kNotifyList);
  LVITEMW row = {};
  row.mask = LVIF_IMAGE;
  row.iItem = index;
  row.iImage = on ? 1 : 0;
  ListView_SetItem(list, &row);
  std::wstring text = LoadText(on ? kOnText : kOffText);
  ListView_SetItemText(list, index, 1, text.data());
}

void CDuvEnvDlg::ToggleItem(int index) {
  if (index >= 0 && static_cast<size_t>(index) < m_items.size()) SetItemState(index, !m_items[static_cast<size_t>(index)].on);
}

void CDuvEnvDlg::FillDesignList() {
  m_bFilling = true;
  if (m_nTrayIcon) m_designList->Fill(m_designImages.get(), m_nDesign);
  else m_designList->Empty();
  m_nShownTrayIcon = m_nTrayIcon;
  m_bFilling = false;
}

void CDuvEnvDlg::ShowPreview() {
  const int bitmap = moni::prefs::PreviewBitmap(m_nTrayIcon != 0, m_nDesign);
  const size_t index = bitmap == moni::prefs::kNoIconPreview ? 3 : static_cast<size_t>(bitmap - moni::prefs::kNoIconPreview - 1);
  SendDlgItemMessageW(m_hWnd, kPreview, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_previews[index].get()));
  InvalidateRect(Item(kPreview), nullptr, TRUE);
}

void CDuvEnvDlg::SetBoxes() {
  CheckDlgButton(m_hWnd, kSoundBox, m_nSound ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, kTrayBox, m_nTrayIcon ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hWnd, kSharedBox, m_bShare ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(Item(kSharedBox), !m_bSharedDisabled);
}

void CDuvEnvDlg::ReadBoxes() {
  m_nSound = !m_bNoSound && IsDlgButtonChecked(m_hWnd, kSoundBox) == BST_CHECKED ? 1 : 0;
  m_nTrayIcon = IsDlgButtonChecked(m_hWnd, kTrayBox) == BST_CHECKED ? 1 : 0;
  if (m_bSharedShown) m_bShare = IsDlgButtonChecked(m_hWnd, kSharedBox) == BST_CHECKED;
}

void CDuvEnvDlg::OnCommand(int id, int code) {
  switch (id) {
    case IDOK: OnOK(); break;
    case IDCANCEL: EndDialog(m_hWnd, IDCANCEL); break;
    case IDHELP: if (m_help) m_help->ShowDialogTopic(m_hWnd); break;
    case kTrayBox: if (code == BN_CLICKED) OnTrayIconBox(); break;
    case kDefaultButton: if (code == BN_CLICKED) OnDefault(); break;
    case kSharedBox: if (code == BN_CLICKED) OnSharedBox(); break;
    default: break;
  }
}

LRESULT CDuvEnvDlg::OnNotify(const NMHDR& header) {
  if (header.idFrom == kNotifyList) {
    if (header.code == NM_CLICK) {
      LVHITTESTINFO hit = {};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
      const int index = ListView_HitTest(header.hwndFrom, &hit);
      if (index >= 0 && (hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON))) ToggleItem(index);
    } else if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
      for (int index = -1; (index = ListView_GetNextItem(header.hwndFrom, index, LVNI_SELECTED)) >= 0;) ToggleItem(index);
    }
    return 0;
  }
  // The columns keep their widths.
  if (header.code == HDN_BEGINTRACKW || header.code == HDN_BEGINTRACKA || header.code == HDN_DIVIDERDBLCLICKW ||
      header.code == HDN_DIVIDERDBLCLICKA) {
    return TRUE;
  }
  if (header.idFrom == kDesignList && header.code == NM_CUSTOMDRAW) {
    return m_designList->OnCustomDraw(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
  }
  if (header.idFrom == kDesignList && header.code == LVN_ITEMCHANGED && !m_bFilling) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
      const int design = m_designList->SelectedDesign();
      if (design >= 0) {
        m_nDesign = design;
        ShowPreview();
      }
    }
  }
  return 0;
}

void CDuvEnvDlg::OnTrayIconBox() {
  ReadBoxes();
  ShowPreview();
  if (m_nTrayIcon != m_nShownTrayIcon) FillDesignList();
  RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CDuvEnvDlg::OnDefault() {
  CDebugLog log("CDuvEnvDlg::OnDefault");
  ReadBoxes();
  m_nSound = m_bNoSound ? 0 : moni::settings::SoundSetting(
                                  moni::profile::ReadIniInt(m_id.datFile, m_id.model, moni::AsWide(moni::settings::kSoundValue), 0), true);
  for (size_t i = 0; i < m_items.size(); ++i) {
    const UINT value = moni::profile::ReadIniInt(m_id.datFile, m_id.model, L"ITEM" + m_items[i].name, 0);
    SetItemState(static_cast<int>(i), moni::settings::IsOn(value));
  }
  SetBoxes();
}

bool CDuvEnvDlg::NwlinkConflict() const {
  return moni::prefs::NwlinkConflict(m_agent->Type(), MachineKeyExists(kNwlinkKey));
}

void CDuvEnvDlg::OnSharedBox() {
  ReadBoxes();
  if (!m_options.platform.nt && m_bShare && NwlinkConflict()) {
    MessageBoxW(m_hWnd, LoadText(kNwlinkText).c_str(), LoadText(kProductCaption).c_str(), MB_OK);
    m_bShare = false;
    SetBoxes();
  }
}

bool CDuvEnvDlg::IsEnableSharedCheck() const {
  const DWORD agentType = CDatReader::GetPrivateRegDword(CDatReader::Source::Printer, m_id.printer, kDriverKey + m_id.driver,
                                                         L"SAgentType");
  return moni::prefs::SharedCheckAllowed(moni::ToU16(m_strModelType), agentType);
}

void CDuvEnvDlg::SharedStartUp() {
  CDebugLog log("CDuvEnvDlg::SharedStartUp");
  const int type = m_agent->Type();
  const bool share4 = type == 4 && MachineKeyExists(kShare4Key);
  const bool agentSays = type != 3 && type != 4 && m_agent->CanShare();
  if (!moni::prefs::SharedMonitoringPossible(type, share4, agentSays)) {
    log.Write("Shared monitoring is not possible (agent type %d)\n", type);
    m_bSharedDisabled = true;
    return;
  }
  if (!IsEnableSharedCheck()) {
    log.Write("SMART model with agent type 0: the box is disabled\n");
    m_bSharedDisabled = true;
  }
  m_service.reset(new CServiceProgram(CServiceProgram::ForDriver(m_id.driver, m_id.printer, m_id.installPath)));
  moni::prefs::SharedStartupInput in;
  in.platform = m_options.platform;
  in.shareOn = m_bShare;
  in.nwlinkConflict = !m_options.platform.nt && NwlinkConflict();
  in.administrator = m_options.administrator;
  in.serviceState = m_options.platform.nt ? m_service->Check() : moni::prefs::kServiceNotInstalled;
  const moni::prefs::SharedStartup decided = moni::prefs::DecideSharedStartup(in);
  if (decided.disableBox) m_bSharedDisabled = true;
  if (decided.nwlinkMessage) {
    MessageBoxW(m_hWnd, LoadText(kNwlinkText).c_str(), LoadText(kProductCaption).c_str(), MB_OK);
    const bool switched = m_agent->SetShare(false);
    m_bShare = false;
    if (switched) m_bInitialShare = false;
  }
  ApplyService(decided.service);
}

void CDuvEnvDlg::ApplyService(ServiceAction action) {
  if (!m_service) return;
  switch (action) {
    case ServiceAction::Install: m_service->Set(true); break;
    case ServiceAction::Remove: m_service->Set(false); break;
    case ServiceAction::Refresh: m_service->Refresh(m_options.serviceWaitMs, m_options.serviceWaitCount); break;
    case ServiceAction::None: break;
  }
}

bool CDuvEnvDlg::RunAgentSetup(bool on) {
  CDebugLog log("CDuvEnvDlg::RunAgentSetup");
  if (!FindResourceW(m_hResource.get(), MAKEINTRESOURCEW(kWaitTemplate), reinterpret_cast<LPCWSTR>(RT_DIALOG))) {
    return m_agent->SetShare(on);
  }
  AgentSetup setup;
  setup.agent = m_agent.get();
  setup.on = on;
  const INT_PTR shown = DialogBoxParamW(m_hResource.get(), MAKEINTRESOURCEW(kWaitTemplate), m_hWnd, &AgentSetup::WaitProc,
                                        reinterpret_cast<LPARAM>(&setup));
  const bool started = setup.thread.valid();
  setup.thread.join();
  if (!started) {
    log.Write("Error : wait dialog %d (%d)\n", kWaitTemplate, static_cast<long long>(shown));
    return m_agent->SetShare(on);
  }
  return setup.ok;
}

bool CDuvEnvDlg::SaveSettings() {
  CDebugLog log("CDuvEnvDlg::SaveSettings");
  using namespace moni::settings;
  CRegistryKey key;
  if (!OpenPrinterKey(key)) {
    log.Write("ERROR : GetTargetPrnKey Not Found!!\n");
    return false;
  }
  bool ok = key.SetDword(moni::AsWide(kSoundValue), static_cast<DWORD>(m_nSound));
  ok = key.SetDword(moni::AsWide(kTrayIconValue), static_cast<DWORD>(m_nTrayIcon)) && ok;
  ok = key.SetDword(moni::AsWide(kDesignValue), static_cast<DWORD>(m_nDesign)) && ok;
  CRegistryKey notify;
  if (!notify.Open(key.Get(), moni::ToWide(kNotifyKey), true, KEY_ALL_ACCESS)) {
    log.Write("Error : Notify key\n");
    return false;
  }
  // Items the user left as they were keep their values: items past the code
  // table share one value name, and one of them must not undo another's change.
  for (NotifyItem& item : m_items) {
    if (item.on == item.initial) continue;
    ok = notify.SetDword(item.name, static_cast<DWORD>(item.on)) && ok;
    item.initial = item.on;
  }
  if (!ok) log.Write("Error : a setting was not written\n");
  return ok;
}

void CDuvEnvDlg::OnOK() {
  CDebugLog log("CDuvEnvDlg::OnOK");
  ReadBoxes();
  SaveSettings();
  if (m_bSharedShown && m_bShare != m_bInitialShare) {
    const bool setupOk = RunAgentSetup(m_bShare);
    log.Write("Shared monitoring %d: set-up = %d\n", m_bShare ? 1 : 0, setupOk ? 1 : 0);
    if (m_options.platform.nt) {
      if (!m_service) m_service.reset(new CServiceProgram(CServiceProgram::ForDriver(m_id.driver, m_id.printer, m_id.installPath)));
      const bool agentNowOn = m_agent->GetShare() == 1;
      ApplyService(moni::prefs::DecideServiceAfterOk(m_bShare, setupOk, agentNowOn, m_service->Check()));
    }
  }
  EndDialog(m_hWnd, IDOK);
}

void CDuvEnvDlg::OnDestroy() {
  CDebugLog log("CDuvEnvDlg::OnDestroy");
  m_designList->Detach();
  if (!m_bDuplicate && m_mapSection) ReleaseMapPrinter(m_mapSection.get(), m_id.printer, m_id.port, 0);
  m_mapSection.reset();
}

void CDuvEnvDlg::OnContextHelp(const HELPINFO& info) {
  if (!m_help || info.iContextType != HELPINFO_WINDOW) return;
  HWND control = static_cast<HWND>(info.hItemHandle);
  const int id = info.iCtrlId;
  if (id == IDOK || id == IDCANCEL || id == IDHELP) {
    m_help->ShowMapHelp(control, false);
  } else if (const DWORD context = moni::prefs::HelpContextOf(id)) {
    m_help->ShowPopupTopic(control, context);
  }
}

void CDuvEnvDlg::OnContextMenu(HWND target, POINT at) {
  if (!m_help || m_help->File().empty()) return;
  // A point inside a group box counts for the group.
  int id = GetDlgCtrlID(target);
  if (target == m_hWnd) {
    POINT client = at;
    ScreenToClient(m_hWnd, &client);
    for (int group : {kNotifyGroup, kTrayGroup}) {
      RECT box = {};
      GetWindowRect(Item(group), &box);
      MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&box), 2);
      if (PtInRect(&box, client)) id = group;
    }
  }
  if (id == IDOK || id == IDCANCEL || id == IDHELP) {
    m_help->ShowMapHelp(target, true);
    return;
  }
  const DWORD context = moni::prefs::HelpContextOf(id);
  if (context != 0 && PopUpHelpMenu(at)) m_help->ShowPopupTopic(target, context);
}

bool CDuvEnvDlg::PopUpHelpMenu(POINT at) {
  moni::MenuHandle menu(CreatePopupMenu());
  if (!menu) return false;
  const std::wstring text = LoadText(kHelpMenuText);
  AppendMenuW(menu.get(), MF_STRING, kHelpMenuItem, text.c_str());
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
  return chosen == kHelpMenuItem;
}
