// What the ink-order dialog shows and what its buttons open (portable core, no
// windows.h): its title, its gauge and the line under it, the cartridge texts
// of the resource library, the inks of a fresh printer status, the address of
// the ordering page, and the command line that opens the dialog for another
// printer of the same driver.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "status/status_decode.h"
#include "ui/inkorder/order_info_core.h"
#include "ui/inkorder/reminder_core.h"

namespace moni::inkorder {

// The title string of an order type: 3555 for the reminders above the last
// threshold (types 4 to 6), 3524 for the last one (type 7); 0 for the others,
// which keep the template's caption.
int TitleStringId(int orderType);

// The gauge (CSectorGraph) of the dialog. The gauge spreads its values over a
// full turn and shows only the upper half, so a level L (0 to 100) is given as
// 50 + L / 2, rounded up: 0 is the empty gauge, 100 the full one, and 1 still
// shows a sliver.
int GaugeValueOfLevel(int level);

// The gauge's states used here.
inline constexpr int kGaugePlain = 0;
inline constexpr int kGaugeNoNeedle = 1;
inline constexpr int kGaugeWarning = 3;
inline constexpr int kGaugeError = 4;

struct GaugeView {
  bool known = false;  // one of the first four inks has a level (0 to 100)
  int level = 0;       // the lowest of those levels
  int value = 0;       // the gauge's value for it (0: nothing drawn)
  int lowValue = 0;    // the gauge's value of the dialog's threshold (drawn in the low colour at or below)
  int state = kGaugeNoNeedle;
  bool operator==(const GaugeView&) const = default;
};
// The gauge for the first four inks: the lowest known level, drawn in the low
// colour at or below the dialog's threshold (the order type's; B0 for the
// menu). An empty ink shows the error state, one at or below the threshold
// the warning state; without any known level the gauge is empty and has no
// needle. Marks (253 to 255) are no levels.
GaugeView GaugeOf(const std::vector<OrderInk>& inks, int orderType, const Thresholds& t);

// The line under the gauge: the level template (string 31084, one number)
// filled with the level, or the text for an unknown level (string 31088).
std::u16string GaugeLine(const GaugeView& gauge, std::u16string_view levelTemplate, std::u16string_view unknownText);

// The printer line above the message: the template (string 31089, one text)
// filled with the printer's name, or the name alone without a template.
std::u16string PrinterLine(std::u16string_view templ, std::u16string_view printer);

// The record the ink status query is built from: the first four inks'
// quantities as their remaining ink.
status::StatusBuff QueryRecordOf(const std::vector<OrderInk>& inks);

// Takes the inks of a fresh status of the printer: the first four inks' levels
// and ink codes (notify codes 0; cartridge texts empty). The shut-off state is
// not in a status reply: it stays undetermined, and the model's "ShutOffDefON"
// decides.
void TakePrinterInks(CInkOrderInfo& info, const status::StatusBuff& record);

// The resource library's cartridge texts: string 32000 + 100 * ink index + ink
// code for the first text of an ink, 32400 + ... for its second. 0 for an ink
// index from 4 on or an ink code above 99 (no such string).
inline constexpr int kCartridgeTextBase = 32000;
inline constexpr int kSecondCartridgeTextBase = 32400;
int CartridgeTextId(size_t inkIndex, std::uint32_t inkCode, bool second);

// The ordering page: the resource library's address prefix (string 31085, may
// be empty), the ink-ordering key's "INK_OrderURL" and the ink status query.
std::u16string BuyNowAddress(std::u16string_view prefix, std::u16string_view orderUrl, std::u16string_view query);
// Only web addresses are handed to the shell: "http://" or "https://" (in any
// case) and something after it, no blank, control character or double quote.
// Anything else (a program path, "file:", a text that would break out of the
// browser's quoted argument) is refused.
bool IsWebAddress(std::u16string_view address);

// The command line that opens the dialog for one printer of a driver:
// the program in double quotes, then "/A", "/T", "/P", "/O", "/D", "/M" with
// the mode and the printer's identity; a value holding a double quote is
// written in the length form, so that every name comes back whole.
std::u16string SameDriverCommandLine(std::u16string_view program, std::u16string_view mode, const PrinterIdentity& who);

}  // namespace moni::inkorder
