// monictl reminder: the low-ink reminder decision on a printer's state given
// as JSON, the same decision the status window takes after a status update,
// so that a support engineer can answer "why did (or didn't) the reminder
// show".
#include <windows.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "ui/inkorder/reminder_core.h"
#include "ui/inkorder/reminder_json.h"

namespace monictl {

namespace {

using namespace moni::inkorder;

// The largest batch file read: many states, each a few hundred bytes.
constexpr size_t kMaxBatchBytes = 64 * 1024 * 1024;

std::string Stored(const StoredValue& v) { return v ? std::to_string(*v) : "-"; }

std::string List(const std::array<StoredValue, 4>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + Stored(values[i]);
  return out;
}

std::string Text(const std::u16string& text) { return moni::NarrowUtf8(text); }

void PrintSummary(const ReminderState& s, const ReminderDecision& d) {
  std::string popup;
  if (s.ioEnablePopup) {
    popup = (*s.ioEnablePopup == 1 ? "on" : "off") + std::string(" (the printer's IoEnablePopup is ") +
            std::to_string(*s.ioEnablePopup) + ")";
  } else {
    popup = (s.enablePopup == 1u ? "on" : "off") + std::string(" (no IoEnablePopup; the driver's EnablePopup is ") +
            Stored(s.enablePopup) + ")";
  }
  printf("reminders   %s\n", popup.c_str());
  std::string inks;
  for (size_t i = 0; i < s.inks.size(); ++i) inks += (i ? ", " : "") + std::to_string(s.inks[i]);
  printf("inks        %s%s\n", inks.empty() ? "none" : inks.c_str(),
         d.lowest ? (" (lowest " + std::to_string(*d.lowest) + ")").c_str() : "");
  const auto& b = d.thresholds.b;
  std::string source = "the defaults";
  if (d.borderLineUsed) source = "BorderLine";
  else if (s.borderLine) source = "the defaults; BorderLine \"" + Text(*s.borderLine) + "\" is refused";
  printf("thresholds  %u, %u, %u, %u (%s)\n", b[0], b[1], b[2], b[3], source.c_str());
  printf("ordering    %s\n", s.available ? "available" : "not available");
  if (d.replacedInk >= 0) {
    printf("replaced    ink %d (level %u above its last %s): the levels become %s\n", d.replacedInk + 1,
           static_cast<unsigned>(s.inks[static_cast<size_t>(d.replacedInk)]),
           Stored(s.last[static_cast<size_t>(d.replacedInk)]).c_str(), Stored(d.levels[0]).c_str());
  }
  if (d.lowest && s.available)
    printf("stored      %s (smallest of the levels)\n",
           d.storedLevel == kMissingLevel ? "none" : std::to_string(d.storedLevel).c_str());
  if (d.due) {
    printf("reminder    due: \"%s\" at the threshold %u\n", Text(d.mode).c_str(), static_cast<unsigned>(*d.threshold));
  } else {
    const std::string passed = d.passed ? " (the threshold " + std::to_string(*d.passed) + " was passed)" : "";
    printf("reminder    not due: %s%s\n", std::string(ReasonText(d.reason)).c_str(), passed.c_str());
  }
  printf("levels      %s%s\n", List(d.levels).c_str(), d.levelsWritten ? " (written)" : "");
  printf("last        %s%s\n", List(d.last).c_str(), d.lastWritten ? " (written)" : "");
}

bool ReadText(const std::wstring& file, std::string& text) {
  if (moni::files::ReadWholeFile(file, text, static_cast<DWORD>(kMaxStateBytes))) return true;
  fprintf(stderr, "monictl: cannot read %s (missing, or longer than %zu bytes)\n", Utf8(file).c_str(), kMaxStateBytes);
  return false;
}

std::string ErrorJson(const std::string& message) {
  return "{\"error\":" + JsonString(moni::ToWide(moni::WidenUtf8(message))) + "}";
}

int RunState(const std::wstring& file, bool json) {
  std::string text;
  if (!ReadText(file, text)) return 1;
  ReminderState state;
  std::string error;
  if (!ParseReminderState(text, state, error)) {
    if (json) printf("%s\n", ErrorJson(error).c_str());
    else fprintf(stderr, "monictl: %s: %s\n", Utf8(file).c_str(), error.c_str());
    return 1;
  }
  const ReminderDecision decision = DecideReminder(state);
  if (json) printf("%s\n", DecisionJson(decision).c_str());
  else PrintSummary(state, decision);
  return 0;
}

// One state per line; blank lines and lines starting with "#" are skipped.
int RunBatch(const std::wstring& file) {
  int exitCode = 0;
  const bool read = ForEachBatchLine(file, kMaxBatchBytes, [&](size_t lineNo, const std::string& line) {
    ReminderState state;
    std::string error;
    if (!ParseReminderState(line, state, error)) {
      printf("%s\n", ErrorJson("line " + std::to_string(lineNo) + ": " + error).c_str());
      exitCode = 1;
      return;
    }
    printf("%s\n", DecisionJson(DecideReminder(state)).c_str());
  });
  return read ? exitCode : 1;
}

}  // namespace

int CmdReminder(const Args& args) {
  bool json = false;
  std::wstring state, batch;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == L"--json") {
      json = true;
    } else if (arg == L"--state") {
      if (!hasValue) return UsageError("reminder: --state takes a file");
      state = args[++i];
    } else if (arg == L"--batch") {
      if (!hasValue) return UsageError("reminder: --batch takes a file");
      batch = args[++i];
    } else {
      return UsageError("reminder: unknown option or extra argument");
    }
  }
  if (state.empty() == batch.empty()) return UsageError("reminder: give either --state FILE or --batch FILE");
  if (!batch.empty()) return RunBatch(batch);
  return RunState(state, json);
}

}  // namespace monictl
