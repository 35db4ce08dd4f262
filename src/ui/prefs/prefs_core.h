// The monitoring preferences' decisions that need no Windows API (portable
// core): the notification items, the preview and design list geometry, the
// help map and topics, and what happens to shared-printer monitoring and the
// spooler-side service when the dialog opens and when the user presses OK.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace moni::prefs {

// --- notification items --------------------------------------------------

// The codes of the first items of the list, in list order; items past the
// table carry code 0.
inline constexpr int kItemCodes[] = {12, 11, 9, 501};
int NotifyItemCode(size_t index);

// The number of items that string 1000 asks for: its decimal value, at most
// kMaxNotifyItems. Anything else (no digits, a sign, text after the digits)
// gives no item.
inline constexpr size_t kMaxNotifyItems = 64;
struct ItemCount {
  size_t count = 0;
  bool valid = false;   // the text was a decimal number
  bool capped = false;  // it asked for more than kMaxNotifyItems
};
ItemCount ParseItemCount(std::u16string_view text);

// The longest item text kept, in characters (the record holds 260 with its zero).
inline constexpr size_t kMaxItemText = 259;

// --- tray icon designs ----------------------------------------------------

// Designs 0 to 2 have an icon (700 + design); 3 shows none.
inline constexpr int kDesignCount = 3;
inline constexpr int kFirstDesignIcon = 700;

// The preview bitmap: 500 without a tray icon (or for design 3), else 501 + design.
inline constexpr int kNoIconPreview = 500;
int PreviewBitmap(bool trayIconOn, int design);

// The icon spacing that spreads `count` items evenly across a list `width`
// pixels wide (each item centred in an equal share); 0 for no items or four
// and more, which the list arranges itself.
int SpreadIconSpacing(int count, int width);

// --- help -----------------------------------------------------------------

inline constexpr std::uint32_t kDialogHelpContext = 0x3000;
inline constexpr std::uint32_t kNotifyHelpContext = 0x3005;
inline constexpr std::uint32_t kTrayHelpContext = 0x3010;
inline constexpr std::uint32_t kSharedHelpContext = 0x3015;

struct HelpEntry {
  std::uint32_t control = 0;
  std::uint32_t context = 0;
};
// Control to help context, in order, ended by a zero entry (the form the
// platform's help functions take).
const std::vector<HelpEntry>& HelpMap();
// The control's context, 0 when the map does not name it.
std::uint32_t HelpContextOf(int control);

// Whether the help file is HTML help (".chm", letter case aside).
bool IsHtmlHelpFile(std::u16string_view path);

// The name of the help window type used for pop-up topics.
inline constexpr char16_t kHelpWindowType[] = u"DuvHH_Context";
// "<file>::HTML\0X<context>.htm><window type>", context in four upper-case
// hexadecimal digits.
std::u16string HtmlHelpTopic(std::u16string_view helpFile, std::uint32_t context);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};
// The pop-up help window: a quarter of the screen wide and high, at the
// cursor, moved left or up where it would leave the screen.
Rect HelpWindowRect(int cursorX, int cursorY, const Rect& screen);

// --- shared printers and the spooler-side service --------------------------

struct Platform {
  bool nt = true;  // false: the Windows 95 family
  unsigned major = 0, minor = 0;
};
// The shared printers box is shown on Windows 9x, NT 4 and NT 5.0 only.
bool SharedBoxShown(const Platform& platform);

// The service's state as the service manager reports it.
inline constexpr int kServiceManagerClosed = -2;  // the manager cannot be opened
inline constexpr int kServiceNotInstalled = -1;
inline constexpr int kServiceStateUnknown = 0;  // installed, its state cannot be read
inline constexpr int kServiceStopped = 1;       // installed, not running
inline constexpr int kServiceRunning = 2;

enum class ServiceAction { None, Install, Refresh, Remove };

// Whether the status agent can monitor shared printers: never for agent type
// 3, with the SHARE4 key for type 4, else as the agent itself says.
bool SharedMonitoringPossible(int agentType, bool share4Key, bool agentSays);

// Whether the driver lets the box be used: not for a "SMART" model (letter
// case aside) whose driver's "SAgentType" is 0.
bool SharedCheckAllowed(std::u16string_view modelType, std::uint32_t driverAgentType);

// The NWLink conflict on Windows 9x: an old agent (type below 2) with the
// NWLINK network component installed.
bool NwlinkConflict(int agentType, bool nwlinkKey);

// What the dialog does with the box and the service when it opens, once
// shared monitoring is known to be possible.
struct SharedStartupInput {
  Platform platform;
  bool shareOn = false;       // the agent's current setting
  bool nwlinkConflict = false;
  bool administrator = false;
  int serviceState = kServiceNotInstalled;
};
struct SharedStartup {
  bool disableBox = false;
  bool nwlinkMessage = false;  // show message 1226, switch sharing off, clear the box
  ServiceAction service = ServiceAction::None;
};
SharedStartup DecideSharedStartup(const SharedStartupInput& in);

// What OK does with the service (Windows NT) after the agent's set-up ran for
// the new state: `turnedOn` is the new state, `setupOk` its result,
// `agentNowOn` the agent's setting afterwards.
ServiceAction DecideServiceAfterOk(bool turnedOn, bool setupOk, bool agentNowOn, int serviceState);

// The program file is refreshed when the installed copy is missing or older
// than the driver's (last-write times in 100 ns units).
bool ServiceProgramOutdated(bool targetExists, std::uint64_t targetWriteTime, std::uint64_t sourceWriteTime);

// The service name: the driver's internal name, else the default one.
inline constexpr char16_t kDefaultServiceName[] = u"TALMER_PM_RPCV2_01";
std::u16string ServiceName(std::u16string_view internalName);

// Where the service program is copied: below the common application-data
// folder when the driver names its service, else the system folder.
std::u16string ServiceTargetFolder(std::u16string_view internalName, std::u16string_view commonAppData,
                                   std::u16string_view systemFolder);

// The command line that installs (" /IS") or removes (" /R") the service,
// with the program's path quoted.
std::u16string ServiceCommandLine(std::u16string_view program, bool install);

// The file name part of a path (after the last "\" or "/").
std::u16string_view FileNameOf(std::u16string_view path);

}  // namespace moni::prefs
