#include "status/status_info.h"

#include <winspool.h>

#include <cwchar>
#include <vector>

#include "comm/bqapi.h"
#include "comm/bqapi_binding.h"
#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "platform/handles.h"
#include "platform/seh_guard.h"
#include "platform/system.h"

namespace moni::status {

namespace {

constexpr std::uint32_t kLocalStatusChannel = 0x10000005;
constexpr std::uint16_t kNetworkModeBit = 0x8000;
constexpr WORD kTroubleResourceBase = 11010;

bool OpenForUse(const std::wstring& printer, PrinterHandle& handle) {
  if (printer.empty()) return false;
  std::wstring name = printer;
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  HANDLE h = nullptr;
  if (!OpenPrinterW(name.data(), &h, &defaults) || h == nullptr) return false;
  handle.reset(h);
  return true;
}

}  // namespace

bool PrinterHasJob(const std::wstring& printer) {
  PrinterHandle handle;
  if (!OpenForUse(printer, handle)) return false;
  DWORD needed = 0, returned = 0;
  // The size the spooler needs for the first two jobs: none when no job is queued.
  EnumJobsW(handle.get(), 0, 2, 1, nullptr, 0, &needed, &returned);
  return needed != 0;
}

bool PrinterIsOffline(const std::wstring& printer) {
  CDebugLog log("CStatusInfo::CheckPrinterOffline");
  PrinterHandle handle;
  if (!OpenForUse(printer, handle)) return false;
  DWORD needed = 0;
  GetPrinterW(handle.get(), 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return false;
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterW(handle.get(), 2, buffer.data(), needed, &needed)) return false;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  log.Write("Attributes : %#x, Status : %#x\n", static_cast<unsigned>(info->Attributes), static_cast<unsigned>(info->Status));
  if ((info->Attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) == 0) return false;
  log.Write("Printer is Offline !!\n");
  return true;
}

SpoolerSteps SpoolerSteps::System() { return {&PrinterHasJob, &PrinterIsOffline}; }
SpoolerSteps SpoolerSteps::None() {
  return {[](const std::wstring&) { return false; }, [](const std::wstring&) { return false; }};
}

}  // namespace moni::status

using namespace moni::status;

CStatusInfo::CStatusInfo(const wchar_t* profileName, SpoolerSteps steps)
    : m_strProfileName(profileName ? profileName : L""), m_steps(std::move(steps)) {
  moni::RegKey key;
  m_bHtm = RegOpenKeyExW(HKEY_CLASSES_ROOT, L".HTM", 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

int CStatusInfo::CheckPrinterOffline(const std::wstring& printerName) const {
  return m_steps.isOffline && m_steps.isOffline(printerName) ? 1 : 0;
}

std::unique_ptr<CPrinterStatus> CStatusInfo::CreateStatusObject(std::uint32_t channel, const BYTE* reply, std::size_t size,
                                                                int statusNo, DWORD bNetwork, BOOL bKeepButtons,
                                                                CreateDetails* details) const {
  CDebugLog log("CStatusInfo::CreateStatusObject");
  const int kind = ReplyKindOfChannel(channel);
  StatusBuff record{};
  bool haveRecord = false;
  int status = -1;
  if (reply != nullptr && size > 0) {
    if (kind == 1) {
      if (!ConvertStatusInfo(reply, size, record)) return nullptr;
      status = GetStatusNo(record);
      record.dwWarningBits = WarningBits(record);
      record.dwInkStateBits = InkStateBits(record);
      haveRecord = true;
    } else if (kind == 2) {
      if (!ReadHbmStatus(reply, size, status)) return nullptr;
    }
  }
  if (statusNo != 0) {
    status = statusNo;
    log.Write("StatusNo : %d\n", status);
  }
  int index = SearchStatusInfo(kind, status);
  if (index == -1) index = SearchStatusInfo(kind, -1);
  if (index == -1) return nullptr;

  StatusClassInfo info;
  info.pStatusBuff = haveRecord ? &record : nullptr;
  info.row = StatusInfoAt(index);
  const std::wstring printer = CBaseInfo::Instance().OpenName();
  AdjustButtons(info.row, ButtonInputs{channel, bNetwork != 0, bKeepButtons != 0},
                [&] { return m_steps.hasJob && m_steps.hasJob(printer); });
  info.kindRow = StatusKindOf(info.row.kindKey);
  info.bKeepButtons = bKeepButtons;
  if (!m_strProfileName.empty()) SetTroubleDialogInfo(info);

  if (details) {
    details->kind = kind;
    details->statusNo = status;
    details->rowIndex = index;
    details->recordDecoded = haveRecord;
    details->record = record;
  }
  return std::make_unique<CPrinterStatus>(info);
}

void CStatusInfo::SetTroubleDialogInfo(StatusClassInfo& info) const {
  CDebugLog log("CStatusInfo::SetTroubleDialogInfo");
  TsInfo& ts = info.ts;
  ts = TsInfo{};
  const int tss = info.row.troubleshooting;

  wchar_t key[32];
  swprintf(key, sizeof key / sizeof key[0], L"TSS%03d", tss);
  const std::wstring section = moni::profile::ChooseResourceSection(m_strProfileName, GetUserDefaultLangID());
  if (!section.empty() && moni::profile::ReadIniInt(m_strProfileName, section, key, 1) == 0) {
    log.Write("%s = 0\n", key);
    return;
  }

  const CBaseInfo& base = CBaseInfo::Instance();
  const auto utility = static_cast<std::int16_t>(info.row.utility);
  if (utility >= 0) {
    bool local = false;
    {
      const std::wstring& name = base.OpenName();
      CBqApiChannel selector(base.PrinterName.empty() ? bqapi::kOpenByPort : bqapi::kOpenByPrinter, name.c_str(),
                             kLocalStatusChannel, 3);
      local = selector.IsSelected() && (selector.Selected().mode & kNetworkModeBit) == 0;
    }
    log.Write("Local : %d, Utility : %s\n", local ? 1 : 0, base.UtilityName);
    // Loaded into the host's process: from the driver's folder, never from the
    // host's search path.
    moni::Module library = moni::LoadNamedLibrary(base.UtilityName);
    if (library) {
      using SupportFn = WORD(WINAPI*)(const wchar_t*, const wchar_t*, int);
      enum class Offer { None, Window, Program };
      Offer offer = Offer::Window;  // a network printer: the window
      if (local) {
        const auto support = moni::ProcAddress<SupportFn>(library.get(), "UtIsSupportTypeW");
        DWORD code = 0;
        WORD supported = 0;
        if (support != nullptr) {
          const std::wstring printer = base.PrinterName, driver = base.DriverName;
          moni::Guarded([&] { supported = support(printer.c_str(), driver.c_str(), 0); }, &code);
        }
        if (support == nullptr || code != 0) {
          // A library that cannot answer offers nothing for this printer.
          log.Write("Error : UtIsSupportTypeW (%#x)\n", static_cast<unsigned>(code));
          offer = Offer::None;
        } else if (supported != 0) {
          offer = Offer::Program;
        }
      }
      if (offer == Offer::Window && GetProcAddress(library.get(), "WndInkReplacementW") != nullptr) {
        ts.dwType = kTsWindow;
        ts.wParam = static_cast<WORD>(utility);
      } else if (offer == Offer::Program && GetProcAddress(library.get(), "UtInkReplacementW") != nullptr) {
        ts.dwType = kTsUtility;
        ts.wParam = 0;
      }
      library.reset();
      if (ts.dwType != kTsNone) {
        log.Write("TsInfo type : %d\n", static_cast<int>(ts.dwType));
        return;
      }
    }
  }

  const WORD id = static_cast<WORD>(kTroubleResourceBase + tss);
  moni::Module resources(base.ResourceName.empty()
                             ? nullptr
                             : LoadLibraryExW(base.ResourceName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!resources) return;
  HRSRC found = FindResourceW(resources.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (found == nullptr) return;
  const DWORD bytes = SizeofResource(resources.get(), found);
  HGLOBAL loaded = LoadResource(resources.get(), found);
  const auto* data = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  ts.dwType = kTsResource;
  ts.wResourceId = id;
  if (data != nullptr) ts.resource.assign(data, data + bytes);
  log.Write("TsInfo type : 2, resource %d\n", static_cast<int>(id));
}
