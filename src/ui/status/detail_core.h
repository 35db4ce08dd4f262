// The status window controller's decisions (portable core, no windows.h):
// which form the window takes after an update (the condition table), the
// status shown for a communication failure, the sound of a status, the
// following of the current job's record, the placing of the window and the
// monitoring periods.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "status/status_decode.h"
#include "ui/progress/progress_core.h"

namespace moni::detail {

// --- Dialog type after an update --------------------------------------------

// The condition word: the status (low bits), the job (0x100 to 0x400) and the
// qualifiers a row asks for (high bits).
inline constexpr std::uint32_t kStatusNormal = 0x1;
inline constexpr std::uint32_t kStatusError = 0x2;
inline constexpr std::uint32_t kJobNone = 0x100;
inline constexpr std::uint32_t kJobPrinting = 0x200;
inline constexpr std::uint32_t kJobWaiting = 0x400;
inline constexpr std::uint32_t kNeedsAutoOpened = 0x10000;
inline constexpr std::uint32_t kNeedsSameStatus = 0x20000;
inline constexpr std::uint32_t kNeedsHelpWindow = 0x100000;

inline constexpr int kAnyType = -1;
inline constexpr int kClose = 0;

struct ConditionRow {
  int current;             // the dialog type now, or kAnyType
  std::uint32_t condition;  // low 16 bits: the word; above: the qualifiers
  int next;                // the new dialog type; kClose ends the window
};

// The table in its order (without the ending zero row).
std::span<const ConditionRow> ConditionTable();

// The word for a status (notify-worthy: the user wants it to pop up) and the
// job: the shown job's option word non-zero is a job printing; else no job
// listed is "none", and a listed job that is not shown waits.
std::uint32_t ConditionWord(bool notifyWorthy, std::uint32_t jobOption, int jobCount);

struct ConditionFacts {
  int currentType = 2;
  std::uint32_t word = kStatusNormal | kJobNone;
  bool autoOpened = false;   // the system opened the window
  bool helpWindow = false;   // a help window of the status window is open
  bool sameStatus = false;   // the status number is the one of the last decision
};
// The index of the first row that fits; -1 when none does (the last rows
// cover every word built by ConditionWord).
int FindConditionRow(const ConditionFacts& facts);

// A notify-worthy status that is an error: a status exists, the user wants it
// to pop up, and it is none of 20 (ink low), 21 (communication error) and 32
// (a part near the end of its life).
bool IsNotifyWorthyError(bool haveStatus, bool notifyWorthy, int statusNo);

// --- Statuses the window decides itself ---------------------------------------

inline constexpr int kStatusSearching = 1000;
inline constexpr int kStatusOffline = 59;
inline constexpr int kStatusCommError = 21;
inline constexpr int kStatusCommErrorShown = 22;
inline constexpr int kStatusOtherModel = 16;

// The status number of a negative result of the status thread that names a
// condition (-2 another model: 16, -3 a reply error: 22, -4 offline: 59);
// 0 for any other result.
int StatusOfConditionResult(int result);

// The status of a communication failure: offline (59) when the spooler says
// so; else 21 unless the model shows errors as such (EnableGetStatusErr 1 or
// more: 22); while the grace period after opening runs a 21 is shown as
// "searching" (1000) instead.
int StatusOfCommFailure(bool offline, int enableGetStatusErr, bool graceRunning);

// What the pop-up opening shows for the printer's "ComStatus": 0 means read
// the registry's status record (ComStatus 1); 3 another model (16), 4 a reply
// error (22), 5 offline (59); any other value offline or a communication error.
int StatusOfComStatus(std::uint32_t comStatus, bool offline);

// --- Sounds ---------------------------------------------------------------------

// Which sound a status plays: its status number (0 for a model's unknown
// state), so a condition sounds once and a new one sounds again.
int SoundNumberOf(const status::StatusInfoRow& row);
// The sound resource of a status: the first value of its kind row.
std::uint16_t SoundResourceOf(const status::StatusKindRow& kindRow);

inline constexpr int kNoSound = -1;
struct SoundChoice {
  bool play = false;
  int lastSound = kNoSound;
};
// Sounds accompany printing only; a sound is played when it is wanted and
// differs from the last one (the last one is remembered whether or not it
// was played).
SoundChoice DecideSound(bool printing, bool haveSounds, int soundNumber, bool soundWanted, int lastSound);

// --- The job shown ---------------------------------------------------------------

// The status window's copy of the current job record and its three flags.
struct ShownJob {
  progress::JobRecord record{};
  bool valid = false;
  bool finished = false;  // shown as complete (100 %) until the next step
  bool accepted = true;   // cleared when the user cancels the job
};

struct JobStep {
  bool resetInkOrderDisable = false;  // a new job: the ink reminder may come again
  const char* note = nullptr;         // what the step did, for the log
};
// One step of the progress timer: `current` is the progress meter's record
// when it has one. A job that goes (or is replaced by another) while shown is
// marked complete (progress 100 of 100) first and cleared on the next step; a
// job the user cancelled is cleared at once. `inkMonitorJobId` follows the job.
JobStep StepShownJob(ShownJob& shown, const progress::JobRecord* current, std::uint32_t& inkMonitorJobId);

// --- Placing ----------------------------------------------------------------------

// The usable screen as the window measures it: the full-screen client width
// and height; the bottom of the work area is height + caption.
struct Screen {
  int width = 0;
  int height = 0;
  int caption = 0;
};
struct Placement {
  int x = 0;
  int y = 0;
  bool writeBack = false;  // a stored value was refused: store the position used
};
// The stored position when there is one and it keeps the window on the
// screen, else the default: the lower right corner for the progress types
// (3, 4), the centre for the others. Stored values are the registry's DWORDs
// read as signed numbers.
inline constexpr std::uint32_t kNoStoredPosition = 0x70000000;
Placement PlaceWindow(int type, bool savePosition, std::uint32_t storedX, std::uint32_t storedY, int width, int height,
                      const Screen& screen);
// A window that grew when its type changed (it keeps its top left corner)
// moved up and left just as far as its lower right corner needs to be on the
// screen again, never beyond the top or left edge; unchanged when it fits.
Placement KeepOnScreen(int x, int y, int width, int height, const Screen& screen);

// --- Periods -----------------------------------------------------------------------

// A monitoring period in seconds from the setup data (or the resource
// library's default): blanks, then decimal digits up to the first other
// character. 0 (not used) without digits, for 0, and beyond a day.
inline constexpr int kMaxPeriodSeconds = 24 * 60 * 60;
int ParsePeriodSeconds(std::u16string_view text);

}  // namespace moni::detail
