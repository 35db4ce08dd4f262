// The status window's view decisions (portable core, no windows.h): what each
// dialog type shows, the caption, the button captions of a status, the ink
// levels and the messages the tank controls get, the cartridge message, the
// stacking of the sub-views and the placing of the tanks, the tip rotation and
// the shortening of a text to a width.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/log_format.h"
#include "status/status_decode.h"

namespace moni::view {

// Dialog types of the status window.
enum DialogType : int { kPopup = 1, kDetail = 2, kProgress = 3, kHideProgress = 4 };

// 1, 3 and 4 stay; every other value is the detail type.
int NormalizeDialogType(int type);

// What a dialog type shows. Modes are the sub-views' own: the status area
// 1 (pop-up) or 2 (detail); the ink area 1 (gauges), 2 (gauges, cartridge
// message and buttons) or 4 (inactive); the button row 1 to 4.
struct TypeLayout {
  bool statusShown;
  int statusMode;
  bool jobShown;
  bool jobActive;
  int inkMode;
  bool buttonsShown;
  int buttonMode;
  bool tipsShown;  // when the user keeps the tips on
  bool tipsActive;
  bool furtherShown;
  bool minimizeBox;     // the title bar has a minimize box
  bool closeByButton;   // the system menu's Close follows the main button (else greyed)
  bool minimizeEnabled; // the system menu's Minimize
};
TypeLayout LayoutOfType(int type);

// String ids of the button captions that the view maps.
inline constexpr int kIdsClose = 1600;
inline constexpr int kIdsStop = 1601;
inline constexpr int kIdsInkCancel = 1606;
inline constexpr int kIdsInkStopReset = 1612;

// The captions of the main and sub button for a status's first and second
// button id: in the detail type the stop and stop-and-reset captions close the
// window, and so does the ink-cancel caption when the status allows a job
// reset. Other types show the ids as they are.
struct ButtonPair {
  int main = 0;
  int sub = 0;
  bool operator==(const ButtonPair&) const = default;
};
ButtonPair MapButtons(int type, int button1, int button2, bool allowsJobReset);

// The system menu's Close item in types 1 and 2: only with the close caption.
bool CloseEnabled(int type, int mainId);

// The window caption: in the progress type the printer name and " - " (only
// when there is a printer name) and the port name; else the product name,
// " : " and the printer name (the port name when there is none).
std::u16string ViewCaption(int type, std::u16string_view product, std::u16string_view printer, std::u16string_view port);

// "(N%) " for a minimized progress window: N = current * 100 / total (integer
// division, at most 100); empty when the total is 0.
std::u16string MinimizedPrefix(std::uint32_t current, std::uint32_t total);

// --- Inks -------------------------------------------------------------------

inline constexpr int kTankCount = 4;
// Where the tanks draw their marks.
inline constexpr int kLowMarkPercent = 20;
inline constexpr int kEmptyMarkPercent = 5;

// One remaining-ink byte as the gauge shows it: 253, 254 and 255 are an ink
// the printer cannot measure (absent, shown as a full tank); other values are
// clamped to 0..100.
struct InkLevel {
  int percent = 0;
  bool absent = false;
  bool operator==(const InkLevel&) const = default;
};
InkLevel LevelOfByte(int raw);

// The colour a tank is filled with: by the ink's colour code (0 black, 1 cyan,
// 2 magenta, 3 yellow), else by its ink code (0x01 black, 0x03 cyan, 0x04
// magenta, 0x05 yellow), else grey.
enum class InkHue { Black, Cyan, Magenta, Yellow, Grey };
InkHue HueOfInk(std::uint16_t inkCode, std::uint16_t colourCode);

// The string id of an ink's name: the ink name table's row for the slot and
// ink code, else the name of the ink code in any slot; 0 when neither exists.
std::uint32_t InkLabelId(int slot, std::uint16_t inkCode);

// The level block that the tank controls receive by pointer (256 bytes, all
// zero for "no ink data"). A tank reads the entries of its own index.
struct LevelBlock {
  std::int32_t count;  // inks shown (0 to kTankCount)
  std::int32_t percent[kTankCount];
  std::uint8_t absent[kTankCount];
  std::int32_t marks[2];
  std::uint8_t reserved[224];
};
static_assert(sizeof(LevelBlock) == 256);

// What the ink area shows of a record: at most kTankCount inks (`clipped`
// when the record has more), their levels, hues and label ids.
struct InkArea {
  int count = 0;
  bool clipped = false;
  InkLevel level[kTankCount];
  InkHue hue[kTankCount] = {InkHue::Grey, InkHue::Grey, InkHue::Grey, InkHue::Grey};
  std::uint32_t labelId[kTankCount] = {};
};
InkArea InkAreaOf(const status::StatusBuff& record);
LevelBlock LevelBlockOf(const InkArea& area);

// Commands of the tank controls (WM_USER, command in wParam, level block in
// lParam for those that pass levels).
enum TankCommand : int {
  kTankLevel = 21,   // show the level (resets the condition)
  kTankClear = 22,   // no ink in this position: draw nothing but the frame
  kTankLow = 23,     // the ink is low
  kTankEmpty = 24,   // the ink is out
  kTankError = 25,   // the ink cannot be measured (absent, unknown) or no data
  kTankQuery = 30,   // answers the tank's state (QueryResult)
};

struct TankMessage {
  int tank = 0;
  int command = 0;
  bool passLevels = false;
  bool operator==(const TankMessage&) const = default;
};
// The messages for the warning bits and the error bits (the record's warning
// and ink state bits) in the order they go out: warnings (bit 0x2 of each
// ink, then 0x1), then errors (0x2, 0x4, 0x1, 0x8), ink 0 to 3 within each;
// only tanks below `inkCount`. The last error row that passes levels sets the
// two mark values (`marksSet`).
struct TankPlan {
  std::vector<TankMessage> messages;
  bool marksSet = false;
  int marks[2] = {0, 0};
};
TankPlan PlanTankConditions(std::uint32_t warningBits, std::uint32_t errorBits, int inkCount);

// What a tank shows; kTankQuery answers (state << 16) | (absent << 8) | percent.
enum class TankState : int { NoData = 0, Level = 1, Low = 2, Empty = 3, Error = 4, Clear = 5 };
struct TankView {
  TankState state = TankState::NoData;
  int percent = 0;
  bool absent = false;
};
// The tank at `index` after `command` with `block` (null when the command
// passes no levels), starting from `before`.
TankView ApplyTankCommand(const TankView& before, int index, int command, const LevelBlock* block);
long PackTankView(const TankView& view);
TankView UnpackTankView(long packed);

// The cartridge message after the remaining-ink reply (black and colour
// values, -1 when unknown): empty (id 0) unless an ink level is below 51 and
// neither value is -1; the colour message when black > colour (30653 at 100
// or more, 30654 with the value for 1 to 99, 30655 below 1), else the black
// message (30650, 30651 with the value, 30652).
struct CartridgeMessage {
  int stringId = 0;
  bool withValue = false;
  int value = 0;
  bool colour = false;
  bool operator==(const CartridgeMessage&) const = default;
};
CartridgeMessage ChooseCartridgeMessage(int black, int colour, const std::vector<int>& levels);

// --- Layout -----------------------------------------------------------------

// Sub-views stacked in the client area from the top, in order; hidden ones take
// no room. The window's height is its non-client height plus the stack.
struct StackItem {
  bool visible = false;
  int height = 0;
};
struct StackResult {
  std::vector<int> top;  // client y of each sub-view (of the hidden ones too: where they would go)
  int clientHeight = 0;
  int windowHeight = 0;
};
StackResult StackSubViews(const std::vector<StackItem>& items, int nonClientHeight);

// Rows of a column from `top` down, `gap` between shown rows; hidden rows take
// no room. `bottom` is the lowest row's bottom (`top` when none is shown).
struct RowResult {
  std::vector<int> top;
  int bottom = 0;
};
RowResult StackRows(int top, int gap, const std::vector<StackItem>& rows);

// Left edges of `count` tanks of `width` spread evenly over [left, left +
// span): equal gaps between them and at both ends.
std::vector<int> TankLefts(int count, int left, int span, int width);

// --- Job area ---------------------------------------------------------------

// A name field of a record that another component filled: up to its first
// zero, never past the field.
template <std::size_t N>
std::u16string_view FixedText(const char16_t (&text)[N]) {
  std::size_t n = 0;
  while (n < N && text[n] != 0) ++n;
  return {text, n};
}

// The remaining-time text: string id and value (minutes from 60 s on, else
// seconds); id 0 without the time.
struct TimeText {
  int stringId = 0;
  int value = 0;
};
TimeText RemainingTimeText(bool present, std::uint32_t seconds);

// A text of the resource library used as a template with typed arguments,
// never as a printf format.
std::u16string FormatText(std::u16string_view templ, std::initializer_list<logfmt::Arg> args);

// The longest start of `text` that fits `width` with "…" after it (the text
// itself when it fits; "…" alone, or nothing, when little fits). A surrogate
// pair is never split. `measure` gives the width of a text.
std::u16string ShortenToFit(std::u16string_view text, int width, const std::function<int(std::u16string_view)>& measure);

// --- Tips -------------------------------------------------------------------

inline constexpr int kInkTipTextId = 2201;
inline constexpr int kTicksPerTip = 5;

struct TipEntry {
  int textId = 0;
  int helpId = 0;  // string id of the help context
};

// The tips shown in turn: the configured list, of which the ink tip (text id
// 2201) comes and goes with the ink warnings. A tip stays for five ticks.
class TipRotation {
 public:
  explicit TipRotation(std::vector<TipEntry> configured = {});

  // Starts at the first tip (or keeps the current one) with a full count.
  void Show();
  // No current tip.
  void Hide();
  // One timer tick; true when the next tip became current. `holdBack` keeps
  // the tip (the tick does not count).
  bool Tick(bool holdBack);
  // The next tip, back to the first after the last; false without tips.
  bool Next();
  // The ink tip leaves or joins the list at its configured place; the current
  // tip stays current (when it is the ink tip that leaves, the one after it).
  void SetInkTip(bool included);
  // A new non-zero job id shows the next tip at once; true when it did.
  bool JobChanged(std::uint32_t jobId);

  int Index() const { return m_index; }
  const TipEntry* Current() const;
  const std::vector<TipEntry>& Entries() const { return m_list; }

 private:
  std::vector<TipEntry> m_configured;
  std::vector<TipEntry> m_list;
  bool m_inkTip = true;
  int m_index = -1;
  int m_count = kTicksPerTip;
  std::uint32_t m_jobId = 0;
};

}  // namespace moni::view
