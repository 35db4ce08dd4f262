#include "tray/uty_call.h"

#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/line_log.h"
#include "foundation/profile_reader.h"
#include "platform/seh_guard.h"
#include "platform/text.h"
#include "tray/tray_menu_core.h"

namespace {

constexpr const char* kExports[] = {
    "UtPrintNozzleTestPatternW", "UtCleanHeadW",          "UtAlignGapW",      "WndInkReplacementW",
    "UtInkReplacementW",         "UtSetupW",              "UtAbsInkRepW",     "UtSetupfromDuvW",
    "UtAlignCutterW",            "UtCleanCutterW",        "UtAutoCleanHeadW", "UtSetupAutoCleanHeadW",
    "WndMaintenanceTankReplacementW",
};

using UtilityFunction = int(WINAPI*)(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*);

}  // namespace

CUtyCall::~CUtyCall() { CheckUtyCall(); }

const char* CUtyCall::ExportName(int function) {
  if (function < 1 || function > static_cast<int>(std::size(kExports))) return nullptr;
  return kExports[function - 1];
}

bool CUtyCall::IsCalled(int function) { return function == 1 || function == 2 || function == 3 || function == 11; }

bool CUtyCall::IsUtyCallMenu(const std::wstring& driverName, const std::wstring& printerName,
                             const std::wstring& modelId, const std::wstring& templ) {
  if (driverName.empty() || printerName.empty() || modelId.empty() || templ.empty()) return false;
  const std::wstring profile = CDatReader::GetPrivateRegString(
      CDatReader::Source::Printer, printerName, moni::DriverKey(driverName), L"Profile");
  if (profile.empty()) return false;
  const std::wstring utility = moni::profile::ReadIniString(profile, modelId, L"UTILITY");
  return !utility.empty() && templ.find(utility) != std::wstring::npos;
}

bool CUtyCall::StartUtyCall(const std::wstring& printerName, const std::wstring& templ) {
  if (!m_hSemaphore) {
    const std::wstring name = moni::ToWide(moni::tray::SemaphoreName(moni::ToU16(printerName)));
    m_hSemaphore.reset(CreateSemaphoreW(nullptr, 1, 1, name.c_str()));
    if (!m_hSemaphore) return false;
  }
  if (WaitForSingleObject(m_hSemaphore.get(), 0) != WAIT_OBJECT_0) {
    LogWrite(L"CUtyCall::StartUtyCall : a utility of this printer runs");
    return false;
  }
  const std::optional<moni::tray::UtilityCall> call = moni::tray::SplitUtilityTemplate(moni::ToU16(templ));
  if (!call || call->library.size() >= MAX_PATH || printerName.size() >= MAX_PATH) {
    ReleaseSemaphore(m_hSemaphore.get(), 1, nullptr);
    return false;
  }
  m_thread.join();  // a finished earlier run
  m_szPrinterName = printerName;
  m_szLibrary = moni::ToWide(call->library);
  m_nFunction = call->function;
  if (!m_thread.start(&CUtyCall::UtyCallMain, this)) {
    ReleaseSemaphore(m_hSemaphore.get(), 1, nullptr);
    return false;
  }
  return true;
}

void CUtyCall::CheckUtyCall() { m_thread.join(); }

DWORD WINAPI CUtyCall::UtyCallMain(void* param) {
  auto* self = static_cast<CUtyCall*>(param);
  moni::Module library(LoadLibraryW(self->m_szLibrary.c_str()));
  const char* exportName = ExportName(self->m_nFunction);
  if (library && exportName) {
    const auto function = moni::ProcAddress<UtilityFunction>(library.get(), exportName);
    if (function && IsCalled(self->m_nFunction)) {
      const wchar_t* printer = self->m_szPrinterName.c_str();
      moni::Guarded([&] { function(printer, L"", L"", L""); });
    }
  }
  library.reset();
  ReleaseSemaphore(self->m_hSemaphore.get(), 1, nullptr);
  return 0;
}
