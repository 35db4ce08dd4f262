// CInkOrder: the registry side of the low-ink reminders for one printer. The
// status window creates one for its printer, initialises the stored levels when
// it opens, and after each status update runs PopupInkOrder, which reads the
// reminder state, takes the decision of reminder_core.h (the same one
// `monictl reminder` shows), stores its values and starts the driver's
// companion program with a parameter file when a reminder is due. The
// companion program shows the ink-order dialog and holds the printer's pop-up
// lock while it is on screen.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "status/status_decode.h"
#include "ui/inkorder/reminder_core.h"

class CBaseInfo;
class CRegistryKey;

namespace moni::inkorder {

// What a CInkOrder works with.
struct InkOrderSetup {
  std::wstring printer, driver, port, model;
  std::wstring companion;    // "DepExe": full path of the driver's companion program
  std::wstring inkTankType;  // "InkTankType": ink ordering is available when it is not empty
  std::wstring orderKey;     // the ink-ordering key below HKLM
};

// The setup for a printer: its driver's "DepExe" and "InkTankType" from the
// setup data, and the ink-ordering key of its driver.
InkOrderSetup SetupForPrinter(const std::wstring& printer, const std::wstring& driver, const std::wstring& port,
                              const std::wstring& model);
// The same for the printer of the process's printer information.
InkOrderSetup SetupFromBaseInfo(const CBaseInfo& info);

// The printer's values below its target key (HKCU).
inline constexpr wchar_t kIoEnablePopup[] = L"IoEnablePopup";
inline constexpr wchar_t kInkOrderDisable[] = L"InkOrderDisable";
std::wstring LevelValueName(size_t index);  // "InkOrderLevel_1" for index 0
std::wstring LastValueName(size_t index);   // "InkOrderLast_1" for index 0

// A REG_DWORD value of an open key; nothing when the key is not open or the
// value is missing or of another type.
StoredValue ReadStoredDword(const CRegistryKey& key, const std::wstring& name);

// Creates the pop-up lock of a printer key and program (not owned) into
// `lock`; false when it exists already (then `lock` stays empty) or cannot be
// made.
bool AcquirePopupLock(const std::wstring& printerKey, const std::wstring& programPath, KernelHandle& lock);

}  // namespace moni::inkorder

class CInkOrder {
 public:
  explicit CInkOrder(moni::inkorder::InkOrderSetup setup);

  // Ink ordering is available for the printer ("InkTankType" is not empty).
  bool IsAvailable() const { return !m_setup.inkTankType.empty(); }
  const moni::inkorder::InkOrderSetup& Setup() const { return m_setup; }

  // From the ink-ordering key: "BorderLine" (nothing when missing or empty)
  // and "EnablePopup".
  std::optional<std::u16string> ReadBorderLine() const;
  moni::inkorder::Thresholds ReadThresholds() const;
  moni::inkorder::StoredValue ReadEnablePopup() const;

  // Starts the companion program for a reminder at `threshold` with a
  // parameter file (UTF-16, prefix "V_G", in the temporary folder) that names
  // the printer, the mode of the threshold and the first four inks of the
  // record. 1 when the program was started; 0 when ink ordering is not
  // available, the companion program is not known, the file cannot be written
  // or the program cannot be started (the file is deleted then).
  int CallInkOrder(const moni::status::StatusBuff& record, std::uint32_t threshold) const;

  // 1 when the pop-up lock of the printer key and the companion program exists
  // (a reminder is on screen), else 0.
  int CheckPopupState(const std::wstring& printerKey) const;

  // Writes "InkOrderDisable" = 0 when ink ordering is available.
  void SetDisableState(const std::wstring& printerKey) const;
  // Writes each missing "InkOrderLevel_1" to "InkOrderLevel_4" (or one that
  // is not a number) as B0 when ink ordering is available.
  void InitializeLevels(const std::wstring& printerKey) const;

  // Everything the decision looks at, for a status record of the printer.
  moni::inkorder::ReminderState ReadState(const std::wstring& printerKey,
                                          const moni::status::StatusBuff& record) const;
  // The reminder after a status update: decides on ReadState, stores the
  // levels (after a replaced cartridge), starts the companion program when a
  // reminder is due and stores the last levels. Values are written only into
  // a printer key that exists.
  moni::inkorder::ReminderDecision PopupInkOrder(const std::wstring& printerKey,
                                                 const moni::status::StatusBuff& record) const;

 private:
  int StartCompanion(const moni::status::StatusBuff& record, std::u16string_view mode) const;

  moni::inkorder::InkOrderSetup m_setup;
};
