#include "ui/inkorder/ink_order.h"

#include <algorithm>

#include "foundation/base_info.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/registry_key.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "ui/inkorder/order_key.h"

namespace moni::inkorder {

namespace {

constexpr wchar_t kParamFilePrefix[] = L"V_G";

// The printer's target key below HKCU; never HKCU itself for an empty path.
bool OpenPrinterKey(CRegistryKey& key, const std::wstring& path, REGSAM access) {
  return !path.empty() && key.Open(HKEY_CURRENT_USER, path, false, access);
}

}  // namespace

StoredValue ReadStoredDword(const CRegistryKey& key, const std::wstring& name) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (key.IsOpen() &&
      RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      type == REG_DWORD && size == sizeof value)
    return value;
  return std::nullopt;
}

InkOrderSetup SetupForPrinter(const std::wstring& printer, const std::wstring& driver, const std::wstring& port,
                              const std::wstring& model) {
  InkOrderSetup setup{printer, driver, port, model, {}, {}, COrderKey::PathOf(driver)};
  setup.companion = CDatReader::GetDriverString(printer, driver, L"DepExe");
  setup.inkTankType = CDatReader::GetDriverString(printer, driver, L"InkTankType", L"\\InkOrder");
  return setup;
}

InkOrderSetup SetupFromBaseInfo(const CBaseInfo& info) {
  return SetupForPrinter(info.PrinterName, info.DriverName, info.PortName, info.ModelID);
}

std::wstring LevelValueName(size_t index) { return L"InkOrderLevel_" + std::to_wstring(index + 1); }
std::wstring LastValueName(size_t index) { return L"InkOrderLast_" + std::to_wstring(index + 1); }

bool AcquirePopupLock(const std::wstring& printerKey, const std::wstring& programPath, KernelHandle& lock) {
  lock.reset();
  const std::u16string name = PopupLockName(ToU16(printerKey), ToU16(programPath));
  if (name.empty()) return false;
  KernelHandle created(CreateMutexW(nullptr, FALSE, AsWide(name.c_str())));
  if (!created || GetLastError() == ERROR_ALREADY_EXISTS) return false;
  lock = std::move(created);
  return true;
}

}  // namespace moni::inkorder

using namespace moni::inkorder;

CInkOrder::CInkOrder(InkOrderSetup setup) : m_setup(std::move(setup)) {
  CDebugLog log("CInkOrder::CInkOrder");
  log.Write("DepExe : %s\n", m_setup.companion);
  log.Write("InkTankType : %s\n", m_setup.inkTankType);
}

std::optional<std::u16string> CInkOrder::ReadBorderLine() const {
  COrderKey key;
  key.Open(m_setup.orderKey);
  const std::wstring text = key.String(L"BorderLine");
  if (text.empty()) return std::nullopt;
  return moni::ToU16(text);
}

Thresholds CInkOrder::ReadThresholds() const { return ThresholdsOf(ReadBorderLine()); }

StoredValue CInkOrder::ReadEnablePopup() const {
  COrderKey key;
  key.Open(m_setup.orderKey);
  return key.Dword(L"EnablePopup");
}

int CInkOrder::CallInkOrder(const moni::status::StatusBuff& record, std::uint32_t threshold) const {
  return StartCompanion(record, ModeOfThreshold(threshold, ReadThresholds()));
}

int CInkOrder::StartCompanion(const moni::status::StatusBuff& record, std::u16string_view mode) const {
  CDebugLog log("CInkOrder::CallInkOrder");
  if (!IsAvailable() || m_setup.companion.empty()) {
    log.Write("Ink ordering is not available or the companion program is not known\n");
    return 0;
  }
  const PrinterIdentity who{moni::ToU16(m_setup.printer), moni::ToU16(m_setup.driver), moni::ToU16(m_setup.port),
                            moni::ToU16(m_setup.model)};
  const std::u16string text = CompanionParameterText(mode, who, record);
  const std::wstring file =
      moni::files::WriteNewTempFile(kParamFilePrefix, moni::files::Utf16Bytes(moni::ToWide(text), true));
  if (file.empty()) {
    log.Write("Error : the parameter file cannot be written\n");
    return 0;
  }
  const std::wstring commandLine = L"\"" + m_setup.companion + L"\" /FU \"" + file + L"\"";
  log.Write("CmdLine = %s\n", commandLine);
  moni::StartedProcess started;
  if (!moni::StartProgram(m_setup.companion, commandLine, started)) {
    log.Write("Error : the companion program cannot be started (%u)\n", static_cast<unsigned>(GetLastError()));
    DeleteFileW(file.c_str());
    return 0;
  }
  return 1;
}

int CInkOrder::CheckPopupState(const std::wstring& printerKey) const {
  const std::u16string name = PopupLockName(moni::ToU16(printerKey), moni::ToU16(m_setup.companion));
  if (name.empty()) return 0;
  moni::KernelHandle lock(OpenMutexW(SYNCHRONIZE, FALSE, moni::AsWide(name.c_str())));
  // A lock that exists but cannot be opened by this user is on screen all the same.
  return lock || GetLastError() == ERROR_ACCESS_DENIED ? 1 : 0;
}

void CInkOrder::SetDisableState(const std::wstring& printerKey) const {
  if (!IsAvailable()) return;
  CRegistryKey key;
  if (OpenPrinterKey(key, printerKey, KEY_SET_VALUE)) key.SetDword(kInkOrderDisable, 0);
}

void CInkOrder::InitializeLevels(const std::wstring& printerKey) const {
  if (!IsAvailable()) return;
  CRegistryKey key;
  if (!OpenPrinterKey(key, printerKey, KEY_QUERY_VALUE | KEY_SET_VALUE)) return;
  const std::uint32_t first = ReadThresholds().b[0];
  for (size_t i = 0; i < 4; ++i) {
    // A level of another type counts as missing, here as in the decision.
    if (!ReadStoredDword(key, LevelValueName(i))) key.SetDword(LevelValueName(i), first);
  }
}

ReminderState CInkOrder::ReadState(const std::wstring& printerKey, const moni::status::StatusBuff& record) const {
  ReminderState state;
  state.inks = InkLevelsOf(record);
  state.available = IsAvailable();
  COrderKey orderKey;
  orderKey.Open(m_setup.orderKey);
  if (const std::wstring text = orderKey.String(L"BorderLine"); !text.empty()) state.borderLine = moni::ToU16(text);
  state.enablePopup = orderKey.Dword(L"EnablePopup");
  CRegistryKey key;
  if (OpenPrinterKey(key, printerKey, KEY_QUERY_VALUE)) {
    state.ioEnablePopup = ReadStoredDword(key, kIoEnablePopup);
    state.inkOrderDisable = ReadStoredDword(key, kInkOrderDisable);
    for (size_t i = 0; i < 4; ++i) {
      state.levels[i] = ReadStoredDword(key, LevelValueName(i));
      state.last[i] = ReadStoredDword(key, LastValueName(i));
    }
  }
  state.onScreen = CheckPopupState(printerKey) == 1;
  return state;
}

ReminderDecision CInkOrder::PopupInkOrder(const std::wstring& printerKey, const moni::status::StatusBuff& record) const {
  CDebugLog log("CInkOrder::PopupInkOrder");
  const ReminderState state = ReadState(printerKey, record);
  const ReminderDecision d = DecideReminder(state);
  if (d.reason == ReminderReason::PopupOff) log.Write("EnablePopup is 0\n");
  log.Write("Reminder : %s\n", ReasonText(d.reason));
  if (!d.levelsWritten && !d.due && !d.lastWritten) return d;

  CRegistryKey key;
  OpenPrinterKey(key, printerKey, KEY_SET_VALUE);
  if (d.levelsWritten) {
    log.Write("Cartridge %d replaced : level %u\n", d.replacedInk + 1, static_cast<unsigned>(*d.levels[0]));
    for (size_t i = 0; i < 4; ++i) key.SetDword(LevelValueName(i), *d.levels[i]);
  }
  if (d.due) {
    log.Write("Threshold %u : %s\n", static_cast<unsigned>(*d.threshold), d.mode);
    StartCompanion(record, d.mode);
  }
  if (d.lastWritten) {
    for (size_t i = 0; i < std::min<size_t>(state.inks.size(), 4); ++i) key.SetDword(LastValueName(i), *d.last[i]);
  }
  return d;
}
