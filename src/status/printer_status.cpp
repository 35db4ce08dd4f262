#include "status/printer_status.h"

#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/log_format.h"
#include "foundation/profile_reader.h"
#include "foundation/registry_key.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_core.h"

namespace moni::status {

ModelFiles ModelFiles::FromBaseInfo() {
  const CBaseInfo& base = CBaseInfo::Instance();
  return {base.ResourceName, base.ProfileName, base.ModelID};
}

namespace {

constexpr UINT kInkStatusUrl = 31086;
constexpr UINT kInkStatusUrlHeader = 31087;

// The resource library, loaded for its resources only.
Module LoadResourceLibrary(const std::wstring& path) {
  if (path.empty()) return Module();
  return Module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// String `id` of the library; false when there is none (or it is empty).
bool LoadText(const Module& library, UINT id, std::wstring& out) {
  out = LoadResourceString(library.get(), id);
  return !out.empty();
}

// A text of the resource library used as a template: formatted with typed
// arguments, never as a printf format, so a template with more (or other)
// conversions than its arguments prints nothing for them.
std::wstring FormatTemplate(const std::wstring& templ, std::initializer_list<logfmt::Arg> args) {
  return ToWide(logfmt::Format(NarrowUtf8(ToU16(templ)), args));
}

}  // namespace
}  // namespace moni::status

using namespace moni::status;

CPrinterStatus::CPrinterStatus(const StatusClassInfo& info) {
  CDebugLog log("CPrinterStatus::CPrinterStatus");
  log.Write("pStatusClassInfo->pStatusBuff = %#x\n", static_cast<const void*>(info.pStatusBuff));
  if (info.pStatusBuff != nullptr) {
    m_record = *info.pStatusBuff;
    m_bHaveStatus = TRUE;
  } else {
    std::memset(&m_record, 0, sizeof m_record);
    m_bHaveStatus = FALSE;
  }
  m_row = info.row;
  m_kindRow = info.kindRow;
  m_ts = info.ts;
  m_bKeepButtons = info.bKeepButtons;
}

CPrinterStatus::~CPrinterStatus() = default;

int CPrinterStatus::GetStatusBuff(StatusBuff* out) const {
  if (!m_bHaveStatus || out == nullptr) return 0;
  *out = m_record;
  return 1;
}

DWORD CPrinterStatus::GetTsInfo(TsInfo* out) const {
  if (out != nullptr) *out = m_ts;
  return m_ts.dwType;
}

int CPrinterStatus::GetStatusMessage(std::wstring& text) const { return GetStatusMessage(text, ModelFiles::FromBaseInfo()); }

int CPrinterStatus::GetStatusMessage(std::wstring& text, const ModelFiles& files) const {
  CDebugLog log("CPrinterStatus::GetStatusMessage");
  text.clear();
  const int id = m_row.text2;
  const moni::Module library = LoadResourceLibrary(files.resourceLibrary);
  std::wstring loaded;
  if (id <= 0 || !LoadText(library, static_cast<UINT>(id), loaded)) {
    log.Write("Error : text %d not loaded\n", id);
    return 0;
  }
  if (!IsInkListMessage(id)) {
    text = loaded;
    return static_cast<int>(text.size());
  }
  const unsigned slots = ConcernedInkSlots(id, m_record.dwInkStateBits, m_record.dwWarningBits);
  std::wstring inks;
  for (int slot = 0; slot < 4; ++slot) {
    if ((slots & (1u << slot)) == 0) continue;
    const std::uint32_t nameId = InkNameStringId(slot, m_record.awInkCode[slot]);
    std::wstring name;
    if (nameId != 0 && LoadText(library, nameId, name)) inks += name + L"\r\n";
  }
  log.Write("csSubMsg = %s\n", inks);
  text = FormatTemplate(loaded, {inks});
  return static_cast<int>(text.size());
}

int CPrinterStatus::IsEMFSpool(DWORD jobId, const wchar_t* printerName, const wchar_t* portName) {
  CDebugLog log("CPrinterStatus::IsEMFSpool");
  std::wstring name = printerName != nullptr && *printerName ? printerName : (portName ? portName : L"");
  int emf = 0;
  if (!name.empty()) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE h = nullptr;
    if (OpenPrinterW(name.data(), &h, &defaults) && h != nullptr) {
      const moni::PrinterHandle printer(h);
      DWORD needed = 0;
      GetJobW(printer.get(), jobId, 1, nullptr, 0, &needed);
      if (needed >= sizeof(JOB_INFO_1W)) {
        std::vector<BYTE> buffer(needed);
        if (GetJobW(printer.get(), jobId, 1, buffer.data(), needed, &needed)) {
          const auto* job = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
          if (job->pDatatype != nullptr && std::wcsstr(job->pDatatype, L"EMF") != nullptr) emf = 1;
        }
      }
    }
  }
  log.Write("bEMFSpool : %d\n", emf);
  return emf;
}

int CPrinterStatus::GetNationNumber() {
  {
    CMachineKey debug;
    if (debug.Open(L"Software\\TALMER\\VGL3\\Debug")) {
      const std::wstring text = debug.QueryString(L"Debug_Nation");
      if (!text.empty()) return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    }
  }
  CRegistryKey geo;
  if (geo.Open(HKEY_CURRENT_USER, L"Control Panel\\International\\Geo")) {
    std::wstring text;
    if (geo.ReadString(L"Nation", text)) return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    const DWORD value = geo.QueryDword(L"Nation");
    if (value != static_cast<DWORD>(-1)) return static_cast<int>(value);
  }
  return 0;  // neither is there (-1), used as 0
}

std::wstring CPrinterStatus::GetInkStatusURL(const StatusBuff& record) const {
  return GetInkStatusURL(record, ModelFiles::FromBaseInfo());
}

std::wstring CPrinterStatus::GetInkStatusURL(const StatusBuff& record, const ModelFiles& files) const {
  CDebugLog log("CPrinterStatus::GetInkStatusURL");
  const moni::Module library = LoadResourceLibrary(files.resourceLibrary);
  std::wstring address;
  if (!LoadText(library, kInkStatusUrl, address)) {
    log.Write("IDS_INKSTATUSURL not found\n");
    return {};
  }
  // The header and the address are formatted each on its own: the model name
  // from the profile (and a header's "%%") must not turn into conversions of
  // the address template.
  std::wstring header, headerTemplate;
  if (LoadText(library, kInkStatusUrlHeader, headerTemplate)) {
    const std::wstring model =
        files.profile.empty() ? std::wstring() : moni::profile::ReadIniString(files.profile, files.modelId, L"IOURLMDL");
    header = FormatTemplate(headerTemplate, {model.substr(0, 259), GetNationNumber()});
  }
  std::string inks[4];
  InkStatusTexts(record, inks);
  const std::wstring url = header + FormatTemplate(address, {4, inks[0], inks[1], inks[2], inks[3]});
  log.Write("InkStatusURL : %s\n", url);
  return url;
}
