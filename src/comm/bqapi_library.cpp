#include "comm/bqapi_library.h"

#include <type_traits>

#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "platform/system.h"
#include "platform/text.h"

namespace bqapi {

namespace {

// The one list of the exports: each slot with its name and its bit.
template <typename E, typename F>
void ForEachExport(E& e, F&& f) {
  f(e.BQInitialize, "BQInitialize", Exports::kInitialize);
  f(e.BQRelease, "BQRelease", Exports::kRelease);
  f(e.BQGetDeviceID, "BQGetDeviceID", Exports::kGetDeviceID);
  f(e.BQGetAvailableChannel, "BQGetAvailableChannel", Exports::kGetAvailableChannel);
  f(e.BQOpenChannel, "BQOpenChannel", Exports::kOpenChannel);
  f(e.BQCloseChannel, "BQCloseChannel", Exports::kCloseChannel);
  f(e.BQSetOption, "BQSetOption", Exports::kSetOption);
  f(e.BQGetOption, "BQGetOption", Exports::kGetOption);
  f(e.BQReceiveCancel, "BQReceiveCancel", Exports::kReceiveCancel);
  f(e.BQGetStatus, "BQGetStatus", Exports::kGetStatus);
  f(e.BQReceive, "BQReceive", Exports::kReceive);
  f(e.BQSend, "BQSend", Exports::kSend);
}

}  // namespace

bool Exports::Bind(HMODULE module, unsigned set) {
  ForEachExport(*this, [&](auto& slot, const char* name, unsigned bit) {
    using Fn = std::remove_reference_t<decltype(slot)>;
    slot = module && (set & bit) ? moni::ProcAddress<Fn>(module, name) : nullptr;
  });
  if (Has(set)) return true;
  *this = Exports();
  return false;
}

bool Exports::Has(unsigned set) const {
  bool all = true;
  ForEachExport(*this, [&](const auto& slot, const char*, unsigned bit) {
    if ((set & bit) && slot == nullptr) all = false;
  });
  return all;
}

}  // namespace bqapi

namespace moni::comm {

Module LoadBqapi(BqapiUse use, const std::wstring& printerName, const std::wstring& driverName, const std::wstring& modelId) {
  CDebugLog log("LoadBqapi");
  BqapiSettings settings;
  const std::wstring key = DriverKey(driverName);
  using Source = CDatReader::Source;
  if (!printerName.empty() && !driverName.empty())
    settings.fileName = ToU16(CDatReader::GetPrivateRegString(Source::Printer, printerName, key, L"BQAPI32"));
  if (use == BqapiUse::kOneShot) {
    const DWORD generation = CDatReader::GetPrivateRegDword(Source::Printer, printerName, key, L"BQAPI_VERSION");
    settings.generation = generation == static_cast<DWORD>(-1) ? 0 : static_cast<int>(generation);
  }
  const SystemVersion system = RunningSystemVersion();
  const int platformClass = PlatformClass(system.nt, system.major);
  if (BqapiInDriverFolder(use, settings, platformClass)) {
    std::wstring folder;
    if (use == BqapiUse::kShared) {
      GetInstallPath(folder, driverName, modelId, printerName);
    } else {
      folder = CDatReader::GetPrivateRegString(Source::Printer, printerName, key, L"InstallPath");
      if (folder.empty()) log.Write("Error : Get Driver Directory\n");
      else if (folder.back() != L'\\') folder += L'\\';
    }
    settings.driverFolder = ToU16(folder);
  }
  Module library;
  for (const std::u16string& file : BqapiFiles(use, settings, platformClass)) {
    log.Write("BQAPI : %s\n", file);
    library = LoadNamedLibrary(ToWide(file));
    if (library) break;
    log.Write("Error : LoadLibrary %d\n", static_cast<unsigned long>(GetLastError()));
  }
  return library;
}

}  // namespace moni::comm
