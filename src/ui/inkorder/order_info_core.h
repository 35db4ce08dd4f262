// The ink-order dialog's information (portable core, no windows.h): the texts
// of the option block the companion program passes, the list of cartridges to
// order, and the dialog's main message from its template.
//
// The option block's texts come from another program and the templates may
// come from the registry: texts are read only up to their terminator and a
// bound, and templates are filled through the typed formatter, which prints
// nothing for a conversion whose argument is missing or of another kind.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/inkorder/reminder_core.h"

namespace moni::inkorder {

// The option block's texts carry two characters for each of up to four inks.
inline constexpr size_t kOptionInks = 4;
// The longest option text taken; a longer one is cut there (no mode text is
// that long, so a cut mode text matches no mode).
inline constexpr size_t kMaxOptionChars = 64;

// A text of the option block as far as its terminator, at most
// kMaxOptionChars characters; empty for a null pointer. Nothing after the
// terminator is read.
std::u16string_view BoundedText(const char16_t* text, size_t maxChars = kMaxOptionChars);

// Ink-left text: per ink two hexadecimal digits (the remaining percentage), or
// "NA" (255), "RE" or "WE" (254), "CI" (253). A bad first digit gives 0, a bad
// second digit leaves the first digit times 16. A single character left over
// at the end is no ink. At most four inks.
std::vector<std::uint8_t> InkLeftQuantities(std::u16string_view text);
// Notify-code and ink-code texts: per ink two decimal digits; a bad first digit
// gives 0, a bad second digit leaves the first digit times 10. A single
// character left over at the end is no ink. At most four inks.
std::vector<std::uint8_t> DecimalPairs(std::u16string_view text);

// The shut-off state of the printer.
inline constexpr int kShutOffDisabled = 0;
inline constexpr int kShutOffEnabled = 1;
inline constexpr int kShutOffUnknown = 2;
// An undetermined state becomes enabled when the model's "ShutOffDefON" is 1,
// else disabled.
int ResolveShutOff(int state, int shutOffDefOn);

// One ink of the dialog.
struct OrderInk {
  std::uint32_t quantity = 0;  // remaining percentage, or a mark 253..255
  std::uint32_t notifyCode = 0;
  std::uint32_t inkCode = 0;
  std::u16string cartridge;        // first cartridge text
  std::u16string secondCartridge;  // second cartridge text
};

// Between an ink's first and second cartridge text.
inline constexpr std::u16string_view kCartridgeSeparator = u" / ";

// The cartridges to order: for each of the first four inks whose quantity is
// below `threshold` or 0, its first cartridge text, followed by the separator
// and the second text when its notify code is 1 and that text is not empty;
// one line each, joined with "\r\n". An ink without any text adds no line.
std::u16string CartridgeList(const std::vector<OrderInk>& inks, std::uint32_t threshold);

// The resource string of the main message's template for an order type and a
// shut-off state (1 enabled, anything else disabled); 0 for other types.
int MessageTemplateId(int orderType, int shutOff);
// The ink-ordering key's value that replaces that template; empty for other types.
std::u16string_view CustomMessageName(int orderType);

// The resource string that selects the arguments' layout (1 or 3).
inline constexpr int kLayoutStringId = 31101;

struct MessageParts {
  int orderType = 0;
  int shutOff = kShutOffDisabled;  // resolved: 0 or 1
  int layout = 0;                  // the number in string 31101
  std::u16string templ;            // the custom template of the mode, else the resource's
  std::u16string cartridgeList;
  std::u16string whereToBuy;   // the custom button text, else string 31081
  std::u16string remindLater;  // the custom button text, else string 31082
  std::u16string printerName;
};

// The main message: the template filled with the arguments its order type,
// shut-off state and layout call for (layout 1 or 3; any other layout, and an
// order type not in the table, give an empty message).
std::u16string MainMessage(const MessageParts& parts);

// The layout number of string 31101 (decimal, blanks around it allowed); 0
// when the text is not a number.
int ParseLayout(std::u16string_view text);

// The option block of the ink-order pop-up: four pointers to texts of the
// calling program, any of them null.
struct OptionBlock {
  const char16_t* mode;
  const char16_t* inkLeft;
  const char16_t* notifyCode;
  const char16_t* inkCode;
};

// The notify-code text when the caller passed none.
inline constexpr std::u16string_view kNoNotifyCode = u"empty";

// What the ink-order dialog shows.
struct CInkOrderInfo {
  std::u16string printer, driver, model, port;
  int orderType = 0;
  std::u16string inkLeft;  // as passed (ignored for "MENU")
  std::u16string inkTankType;
  std::u16string orderUrl;
  std::u16string notifyCode = std::u16string(kNoNotifyCode);
  std::u16string inkCode;
  Thresholds thresholds;
  // From the ink-ordering key; empty: the resource library's.
  std::u16string whereToBuy, remindLater, cancel;
  std::array<std::u16string, 5> templates;  // "Custom_MsgMenu", "Custom_Msg20" ... "Custom_Msg00"
  std::vector<OrderInk> inks;               // at most four
  int shutOff = kShutOffUnknown;

  // Takes the option block's texts (each read up to its terminator and
  // kMaxOptionChars): the order type of the mode text, and for the other
  // modes than "MENU" the inks with their quantities, notify codes and ink
  // codes. False, and nothing taken, when the block is null or the mode text
  // is no mode.
  bool SetOptions(const OptionBlock* block);
  // The inks carry their state (quantities and notify codes); otherwise the
  // dialog asks the printer.
  bool HasInkState() const;
  // The custom template of the order type; empty when there is none.
  const std::u16string& CustomTemplate() const;
};

// The parts of the main message: the custom template and button texts where
// the ink-ordering key sets them, else the resource library's texts; the
// cartridges below the order type's threshold.
MessageParts MessagePartsOf(const CInkOrderInfo& info, int layout, std::u16string_view resourceTemplate,
                            std::u16string_view resourceWhereToBuy, std::u16string_view resourceRemindLater);

}  // namespace moni::inkorder
