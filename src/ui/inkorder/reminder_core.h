// Low-ink reminders (portable core, no windows.h): the thresholds, the
// reminder modes and order types, the decision the status window takes after
// each status update, the companion program's parameter text and the name of
// the pop-up lock.
//
// The decision works on plain values, so that the status window (which reads
// them from the registry) and `monictl reminder` (which reads them from a
// support case) take the same decision.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "status/status_decode.h"

namespace moni::inkorder {

// The four thresholds B0..B3, remaining-ink percentages.
struct Thresholds {
  std::array<std::uint32_t, 4> b{20, 10, 5, 0};
  bool operator==(const Thresholds&) const = default;
};

// "BorderLine": exactly four decimal numbers from 0 to 100, separated by
// commas, blanks and tabs allowed around each. Anything else (fewer or more
// numbers, letters, signs, a number above 100, an empty piece) is refused as
// a whole: nothing, and the default thresholds stay.
std::optional<Thresholds> ParseBorderLine(std::u16string_view text);
// The thresholds a value gives: the parsed ones, or the defaults when there is
// no value or it is refused.
Thresholds ThresholdsOf(const std::optional<std::u16string>& borderLine);

// Order types.
inline constexpr int kOrderMenu = 3;
inline constexpr int kOrder20 = 4;
inline constexpr int kOrder10 = 5;
inline constexpr int kOrder05 = 6;
inline constexpr int kOrder00 = 7;

// The order type of a mode text ("MENU", "AUTO20", ...), compared exactly;
// 0 for any other text.
int OrderTypeOfMode(std::u16string_view mode);
// The mode text of an order type; empty for other numbers.
std::u16string_view ModeOfOrderType(int orderType);
// The mode text of a reminder's threshold: "AUTO20" when it equals B0,
// "AUTO10" B1, "AUTO05" B2, "AUTO00" B3, tested in this order so that a later
// equal threshold wins; empty when none matches.
std::u16string_view ModeOfThreshold(std::uint32_t threshold, const Thresholds& t);
// The threshold the dialog of an order type speaks of: B0..B3 for the types
// 4 to 7, 100 for any other.
std::uint32_t ThresholdOfOrderType(int orderType, const Thresholds& t);
// The level "remind me later" stores for an order type: B1, B2, B3 for the
// types 4, 5, 6; nothing (nothing is stored) for any other.
std::optional<std::uint32_t> RemindLaterLevel(int orderType, const Thresholds& t);

// Which of the dialog's three buttons an order type enables; all off for a
// type not in the table.
struct OrderButtons {
  bool whereToBuy = false;
  bool remindLater = false;
  bool cancel = false;
  bool operator==(const OrderButtons&) const = default;
};
OrderButtons ButtonsOfOrderType(int orderType);

// A registry value that is missing.
using StoredValue = std::optional<std::uint32_t>;
inline constexpr std::uint32_t kMissingLevel = 0xFFFFFFFFu;  // how a missing level counts
inline constexpr std::uint32_t kMissingLast = 100;           // how a missing last value counts

// The most inks a status record carries.
inline constexpr size_t kMaxInks = 10;

// Everything the reminder decision looks at.
struct ReminderState {
  std::vector<std::uint8_t> inks;  // remaining percentage per ink (or a mark 253..255); at most kMaxInks
  std::optional<std::u16string> borderLine;  // the ink-ordering key's "BorderLine"
  StoredValue ioEnablePopup;                 // the printer's "IoEnablePopup"
  StoredValue enablePopup;                   // the ink-ordering key's "EnablePopup"
  StoredValue inkOrderDisable;               // the printer's "InkOrderDisable"
  bool onScreen = false;                     // the pop-up lock of the printer exists
  bool available = false;                    // ink ordering is available for the printer
  std::array<StoredValue, 4> levels;         // "InkOrderLevel_1" to "InkOrderLevel_4"
  std::array<StoredValue, 4> last;           // "InkOrderLast_1" to "InkOrderLast_4"
};

// Automatic reminders are on for a printer: its "IoEnablePopup" is 1, or it
// is missing and the ink-ordering key's "EnablePopup" is 1.
bool RemindersOn(StoredValue ioEnablePopup, StoredValue enablePopup);

// Why a reminder is or is not started.
enum class ReminderReason {
  Due,             // the companion program is to be started
  PopupOff,        // automatic reminders are off for the printer
  NoInks,          // the status carries no ink levels
  NotAvailable,    // ink ordering is not available for the printer
  AboveThreshold,  // no threshold below the stored level was passed
  Disabled,        // "InkOrderDisable" is 1 (cancelled in the dialog)
  OnScreen,        // a reminder for the printer is on screen
};
std::string_view ReasonText(ReminderReason reason);

struct ReminderDecision {
  bool due = false;
  std::optional<std::uint32_t> threshold;  // when due
  std::u16string mode;                     // when due; empty otherwise
  std::array<StoredValue, 4> levels;       // the values after the decision
  std::array<StoredValue, 4> last;
  bool levelsWritten = false;  // all four levels were set (a cartridge was replaced)
  bool lastWritten = false;    // the last values of the first min(n, 4) inks were set

  // How the decision came about.
  ReminderReason reason = ReminderReason::PopupOff;
  Thresholds thresholds;
  bool borderLineUsed = false;   // the thresholds came from "BorderLine"
  std::optional<std::uint8_t> lowest;  // m, the lowest level of all inks
  int replacedInk = -1;          // the first of the first four inks whose level rose
  std::uint32_t storedLevel = kMissingLevel;  // S, the smallest stored level
  std::optional<std::uint32_t> passed;        // the threshold passed, also when the reminder is dropped
};

// The decision after a status update:
// 1. automatic reminders must be on: "IoEnablePopup" is 1, or it is missing
//    and "EnablePopup" is 1; otherwise nothing happens and nothing is stored;
// 2. without ink levels nothing happens either (a status without ink
//    information is no reason for a reminder); m is the lowest level of all inks;
// 3. when ink ordering is available, the first of the first four inks whose
//    level is above its last value (missing: 100) counts as replaced; then all
//    four levels become the band of m: B0 when m >= B0, else B1 when m >= B1,
//    else B2 when m >= B2, else B3;
// 4. S is the smallest stored level (missing: 4294967295);
// 5. a threshold is passed when m is 0 or S > m: T becomes B0 when B0 > m, then
//    B1 when B1 > m, then B2 when B2 > m, and B3 when m <= B3; when none of
//    these holds no threshold was passed and nothing is due;
// 6. a passed threshold is dropped when ink ordering is not available,
//    "InkOrderDisable" is 1, or a reminder is on screen;
// 7. when ink ordering is available, the last values of the first four inks
//    become their levels.
ReminderDecision DecideReminder(const ReminderState& state);

// The ink levels of a status record: the first byInkCount of them, at most
// kMaxInks.
std::vector<std::uint8_t> InkLevelsOf(const status::StatusBuff& record);

// The companion program's parameter text for a reminder of `mode`: " /A",
// " /T", " /P", " /D", " /M", " /O" and then "/L", "/N", "/IC" with two
// characters per ink for the first four inks of the record: its level in
// hexadecimal, its colour number and its ink code in decimal (a number above
// 99 is written as 99, so that every ink keeps its two places). Each switch on
// a line of its own; a value holding a double quote or a line end is written
// in the length form.
struct PrinterIdentity {
  std::u16string printer, driver, port, model;
};
std::u16string CompanionParameterText(std::u16string_view mode, const PrinterIdentity& who,
                                      const status::StatusBuff& record);

// The name of the pop-up lock: "/P ", the part of the printer key after its
// last backslash, "/M " and the part of the program path after its last
// backslash. Empty when either part is empty.
std::u16string PopupLockName(std::u16string_view printerKey, std::u16string_view programPath);

}  // namespace moni::inkorder
