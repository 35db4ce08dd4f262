#include "ui/inkorder/ink_order_dialog.h"

#include <shellapi.h>

#include <algorithm>

#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "platform/text.h"
#include "ui/inkorder/ink_order.h"
#include "ui/inkorder/order_key.h"
#include "ui/status/sub_view.h"

namespace moni::inkorder {

namespace {

constexpr UINT kConfirmText = 31080, kWhereToBuyName = 31081, kRemindLaterName = 31082, kOpenFailed = 31083;
constexpr UINT kLevelLineText = 31084, kAddressPrefix = 31085, kNoLevelLineText = 31088, kPrinterLineText = 31089;
constexpr UINT kPurchaseCaption = 31090;
constexpr wchar_t kDefaultCaption[] = L"Online Ink Purchase Utility";

std::wstring Caption(HMODULE resources) {
  const std::wstring caption = moni::view::LoadResourceText(resources, kPurchaseCaption);
  return caption.empty() ? kDefaultCaption : caption;
}

// Tells the user that the ordering page cannot be opened.
void ReportNotOpened(HWND owner, HMODULE resources) {
  const std::wstring text = moni::view::LoadResourceText(resources, kOpenFailed);
  if (!text.empty()) MessageBoxW(owner, text.c_str(), Caption(resources).c_str(), MB_OK | MB_ICONWARNING);
}

bool OpenPrinterKey(CRegistryKey& key, const std::wstring& path, REGSAM access) {
  return !path.empty() && key.Open(HKEY_CURRENT_USER, path, false, access);
}

// Shown above the other windows once, as a reminder from a program in the
// background must be, without staying on top.
void BringForward(HWND dialog) {
  if (SetForegroundWindow(dialog)) return;
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

bool GetNewInkOrderURL(const std::wstring& valueName, const std::wstring& driver, std::wstring& url) {
  COrderKey key;
  key.Open(COrderKey::PathOf(driver));
  url = key.String(valueName);
  return !url.empty();
}

bool GetInkTankType(const std::wstring& valueName, const std::wstring& printer, const std::wstring& driver,
                    std::wstring& type) {
  type = CDatReader::GetDriverString(printer, driver, valueName, L"\\InkOrder");
  return !type.empty();
}

BuyNow OpenBuyNowURL(HWND owner, const std::wstring& query, const BuyNowSource& source) {
  CDebugLog log("OpenBuyNowURL");
  std::wstring url;
  if (!GetNewInkOrderURL(L"INK_OrderURL", source.driver, url)) {
    log.Write("Error : INK_OrderURL is not set\n");
    ReportNotOpened(owner, source.resources);
    return BuyNow::NoAddress;
  }
  const UINT ask =
      source.profile.empty() ? 1 : moni::profile::ReadIniInt(source.profile, source.model, L"BuyInkMsgDlg", 1);
  if (ask == 1) {
    const std::wstring text = moni::view::LoadResourceText(source.resources, kConfirmText);
    if (MessageBoxW(owner, text.c_str(), Caption(source.resources).c_str(), MB_OKCANCEL | MB_ICONINFORMATION) !=
        IDOK) {
      log.Write("Cancelled\n");
      return BuyNow::Declined;
    }
  }
  const std::u16string address =
      BuyNowAddress(ToU16(moni::view::LoadResourceText(source.resources, kAddressPrefix)), ToU16(url), ToU16(query));
  log.Write("URL : %s\n", address);
  if (!IsWebAddress(address)) {
    log.Write("Error : not a web address\n");
    ReportNotOpened(owner, source.resources);
    return BuyNow::Refused;
  }
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", ToWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) {
    log.Write("Error : ShellExecute %d\n", static_cast<int>(result));
    ReportNotOpened(owner, source.resources);
    return BuyNow::Failed;
  }
  return BuyNow::Opened;
}

void RebuildOrderInfo(CInkOrderInfo& info, HMODULE resources) {
  for (size_t i = 0; i < info.inks.size() && i < kOptionInks; ++i) {
    OrderInk& ink = info.inks[i];
    ink.cartridge = ToU16(moni::view::LoadResourceText(resources, CartridgeTextId(i, ink.inkCode, false)));
    ink.secondCartridge = ToU16(moni::view::LoadResourceText(resources, CartridgeTextId(i, ink.inkCode, true)));
  }
  COrderKey key;
  key.Open(COrderKey::PathOf(ToWide(info.driver)));
  ApplyOrderKey(info, key);
}

}  // namespace moni::inkorder

using namespace moni::inkorder;
using moni::ToU16;
using moni::ToWide;

CInkOrderDialog::CInkOrderDialog(CInkOrderInfo& info, Context context) : m_info(info), m_context(std::move(context)) {}

std::wstring CInkOrderDialog::Text(UINT id) const { return moni::view::LoadResourceText(m_context.resources, id); }

INT_PTR CInkOrderDialog::DoModal() {
  CDebugLog log("CInkOrderDialog::DoModal");
  const INT_PTR result = DialogBoxParamW(m_context.resources, MAKEINTRESOURCEW(kTemplate), nullptr,
                                         &CInkOrderDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  log.Write("DialogBoxParam : %d\n", static_cast<int>(result));
  return result;
}

BOOL CInkOrderDialog::OnInitDialog(HWND dialog) {
  CDebugLog log("CInkOrderDialog::OnInitDialog");
  m_hWnd = dialog;
  if (!m_info.HasInkState() && m_context.readPrinter) {
    moni::status::StatusBuff record{};
    if (m_context.readPrinter(ToWide(m_info.printer), ToWide(m_info.model), record)) {
      TakePrinterInks(m_info, record);
      RebuildOrderInfo(m_info, m_context.resources);
    } else {
      log.Write("The printer's ink state cannot be read\n");
    }
  }
  log.Write("ShutOff : %s\n", m_info.shutOff == kShutOffEnabled    ? "ENABLE"
                              : m_info.shutOff == kShutOffDisabled ? "DISABLE"
                                                                   : "UNKNOWN");
  const moni::status::ModelFiles& files = m_context.files;
  const int shutOffDefOn =
      files.profile.empty() ? 0 : static_cast<int>(moni::profile::ReadIniInt(files.profile, files.modelId, L"ShutOffDefON", 0));
  m_info.shutOff = ResolveShutOff(m_info.shutOff, shutOffDefOn);

  if (const int title = TitleStringId(m_info.orderType)) {
    if (const std::wstring text = Text(static_cast<UINT>(title)); !text.empty()) SetWindowTextW(dialog, text.c_str());
  }
  SetDlgItemTextW(dialog, kPrinterLine, ToWide(PrinterLine(ToU16(Text(kPrinterLineText)), m_info.printer)).c_str());
  ShowMessage();
  FitToMessage();
  ShowGauge();
  ShowButtons();

  CRegistryKey key;
  OpenPrinterKey(key, m_context.printerKey, KEY_QUERY_VALUE);
  COrderKey orderKey;
  orderKey.Open(COrderKey::PathOf(ToWide(m_info.driver)));
  const bool on = RemindersOn(ReadStoredDword(key, kIoEnablePopup), orderKey.Dword(L"EnablePopup"));
  CheckDlgButton(dialog, kAutoReminders, on ? BST_CHECKED : BST_UNCHECKED);
  BringForward(dialog);
  SetFocus(GetDlgItem(dialog, kWhereToBuy));
  return FALSE;  // the focus is set
}

void CInkOrderDialog::ShowMessage() {
  const int layout = ParseLayout(ToU16(Text(kLayoutStringId)));
  const MessageParts parts =
      MessagePartsOf(m_info, layout, ToU16(Text(static_cast<UINT>(MessageTemplateId(m_info.orderType, m_info.shutOff)))),
                     ToU16(Text(kWhereToBuyName)), ToU16(Text(kRemindLaterName)));
  SetDlgItemTextW(m_hWnd, kMessage, ToWide(MainMessage(parts)).c_str());
}

// The message takes the height its text needs (at least as much as the gauge
// and its line beside it); what lies below moves with its end, and the window
// grows or shrinks by as much. Nothing is clipped, and no gap is left.
void CInkOrderDialog::FitToMessage() {
  HWND message = GetDlgItem(m_hWnd, kMessage);
  if (!message) return;
  auto rectOf = [this](HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT area = rectOf(message);
  const int length = GetWindowTextLengthW(message);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(message, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  RECT need = {0, 0, area.right - area.left, 0};
  if (HDC dc = GetDC(message)) {
    {
      const moni::SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(message, WM_GETFONT, 0, 0)));
      DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    ReleaseDC(message, dc);
  }
  LONG bottom = area.top + need.bottom;
  if (HWND line = GetDlgItem(m_hWnd, kLevelLine)) bottom = std::max(bottom, rectOf(line).bottom);
  const LONG shift = bottom - area.bottom;
  if (shift == 0) return;
  for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT r = rectOf(child);
    if (r.top >= area.bottom) SetWindowPos(child, nullptr, r.left, r.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(message, nullptr, 0, 0, area.right - area.left, bottom - area.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT frame = {};
  GetWindowRect(m_hWnd, &frame);  // centred on the screen: it stays so
  SetWindowPos(m_hWnd, nullptr, frame.left, frame.top - shift / 2, frame.right - frame.left,
               frame.bottom - frame.top + shift, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInkOrderDialog::ShowGauge() {
  const GaugeView gauge = GaugeOf(m_info.inks, m_info.orderType, m_info.thresholds);
  if (m_gauge.Create(m_hWnd, kGauge, m_context.bitmaps)) {
    m_gauge.SetLowThreshold(gauge.lowValue);
    m_gauge.Set(gauge.value, gauge.state);
  }
  SetDlgItemTextW(m_hWnd, kLevelLine, ToWide(GaugeLine(gauge, ToU16(Text(kLevelLineText)), ToU16(Text(kNoLevelLineText)))).c_str());
}

void CInkOrderDialog::ShowButtons() {
  const OrderButtons enabled = ButtonsOfOrderType(m_info.orderType);
  const struct {
    int id;
    const std::u16string& custom;
    bool on;
  } buttons[] = {{kWhereToBuy, m_info.whereToBuy, enabled.whereToBuy},
                 {kRemindLater, m_info.remindLater, enabled.remindLater},
                 {kCancel, m_info.cancel, enabled.cancel}};
  for (const auto& button : buttons) {
    HWND control = GetDlgItem(m_hWnd, button.id);
    if (!control) continue;
    if (!button.custom.empty()) SetWindowTextW(control, ToWide(button.custom).c_str());
    ShowWindow(control, SW_SHOW);
    EnableWindow(control, button.on);
  }
}

void CInkOrderDialog::StoreAutoReminders(HKEY key) const {
  const DWORD on = IsDlgButtonChecked(m_hWnd, kAutoReminders) == BST_CHECKED ? 1 : 0;
  RegSetValueExW(key, kIoEnablePopup, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
}

void CInkOrderDialog::OnWhereToBuy() {
  CDebugLog log("CInkOrderDialog::OnWhereToBuy");
  const CPrinterStatus status(moni::status::StatusClassInfo{});
  const std::wstring query = status.GetInkStatusURL(QueryRecordOf(m_info.inks), m_context.files);
  OpenBuyNowURL(m_hWnd, query, {m_context.resources, ToWide(m_info.driver), m_context.files.profile, m_context.files.modelId});
}

void CInkOrderDialog::OnRemindLater() {
  CDebugLog log("CInkOrderDialog::OnRemindLater");
  CRegistryKey key;
  if (OpenPrinterKey(key, m_context.printerKey, KEY_SET_VALUE)) {
    COrderKey orderKey;
    orderKey.Open(COrderKey::PathOf(ToWide(m_info.driver)));
    if (const auto level = RemindLaterLevel(m_info.orderType, ThresholdsOfKey(orderKey))) {
      log.Write("Next reminder at %u\n", static_cast<unsigned>(*level));
      for (size_t i = 0; i < 4; ++i) key.SetDword(LevelValueName(i), *level);
    }
    StoreAutoReminders(key.Get());
  }
  EndDialog(m_hWnd, IDCANCEL);
}

void CInkOrderDialog::OnCancel() {
  CDebugLog log("CInkOrderDialog::OnCancel");
  CRegistryKey key;
  if (OpenPrinterKey(key, m_context.printerKey, KEY_SET_VALUE)) {
    StoreAutoReminders(key.Get());
    key.SetDword(kInkOrderDisable, 1);
  }
  EndDialog(m_hWnd, IDCANCEL);
}

INT_PTR CALLBACK CInkOrderDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<CInkOrderDialog*>(lParam);
    return self ? self->OnInitDialog(dialog) : TRUE;
  }
  auto* self = reinterpret_cast<CInkOrderDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case kWhereToBuy: self->OnWhereToBuy(); return TRUE;
        case kRemindLater: self->OnRemindLater(); return TRUE;
        case kCancel:
        case IDCANCEL: self->OnCancel(); return TRUE;  // the close box and Esc as well
        default: break;
      }
      break;
    case WM_DESTROY:
      self->m_gauge.Destroy();
      break;
    default:
      break;
  }
  return FALSE;
}

CInkOrderDlgCall::CInkOrderDlgCall(PrinterStatusReader readPrinter) : m_readPrinter(std::move(readPrinter)) {}

INT_PTR CInkOrderDlgCall::DoModal(const std::wstring& resourcePath, CInkOrderInfo& info) const {
  CDebugLog log("CInkOrderDlgCall::DoModal");
  const moni::Module resources(
      resourcePath.empty() ? nullptr : LoadLibraryExW(resourcePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!resources) {
    log.Write("Error : the resource library cannot be loaded (%s)\n", resourcePath);
    return IDCANCEL;
  }
  return ExpInkOrderDoModal(resources.get(), &info, m_readPrinter);
}

INT_PTR ExpInkOrderDoModal(HMODULE resources, CInkOrderInfo* info, const PrinterStatusReader& readPrinter) {
  CDebugLog log("ExpInkOrderDoModal");
  if (!resources || !info) return IDCANCEL;
  CBaseInfo& base = CBaseInfo::Instance();
  if (base.SetPrinterInformation(ToWide(info->printer), ToWide(info->driver), ToWide(info->port), ToWide(info->model),
                                 L"", L"") < 0) {
    log.Write("Error : SetPrinterInformation\n");
    return IDCANCEL;
  }
  const moni::Module bitmaps(base.BmpResName.empty()
                                 ? nullptr
                                 : LoadLibraryExW(base.BmpResName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  RebuildOrderInfo(*info, resources);
  CInkOrderDialog dialog(*info, {resources, bitmaps.get(), base.CurrentUserKey, moni::status::ModelFiles::FromBaseInfo(),
                                 readPrinter});
  return dialog.DoModal();
}
