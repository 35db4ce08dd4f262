// The ink-order readers over arbitrary input: the reminder state as JSON (and
// the decision on whatever it accepts), "BorderLine", the option block's
// texts, templates from the registry, and the companion program's parameter
// text built from an arbitrary status record. Nothing may be read outside the
// input, and the results must keep their promises.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <string>
#include <string_view>

#include "foundation/command_line_core.h"
#include "fuzz_text.h"
#include "ui/inkorder/order_dialog_core.h"
#include "ui/inkorder/order_info_core.h"
#include "ui/inkorder/reminder_core.h"
#include "ui/inkorder/reminder_json.h"

namespace {

using namespace moni::inkorder;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool IsThreshold(std::uint32_t v, const Thresholds& t) { return std::find(t.b.begin(), t.b.end(), v) != t.b.end(); }

void CheckDecision(const ReminderState& s) {
  const ReminderDecision d = DecideReminder(s);
  Check(d.due == (d.reason == ReminderReason::Due));
  Check(d.due == d.threshold.has_value() && d.due == !d.mode.empty());
  if (d.due) Check(IsThreshold(*d.threshold, d.thresholds) && OrderTypeOfMode(d.mode) >= kOrder20);
  if (d.passed) Check(IsThreshold(*d.passed, d.thresholds));
  Check(s.available || (!d.levelsWritten && !d.lastWritten && !d.due));
  if (d.levelsWritten) {
    Check(d.levels[0].has_value() && IsThreshold(*d.levels[0], d.thresholds));
    for (const StoredValue& v : d.levels) Check(v == d.levels[0]);
  } else {
    Check(d.levels == s.levels);
  }
  const size_t firstFour = std::min<size_t>(std::min(s.inks.size(), kMaxInks), 4);
  for (size_t i = 0; i < 4; ++i) {
    if (d.lastWritten && i < firstFour) Check(d.last[i] == s.inks[i]);
    else Check(d.last[i] == s.last[i]);
  }
  const std::string json = DecisionJson(d);
  Check(json.front() == '{' && json.back() == '}');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  ReminderState state;
  std::string error;
  if (ParseReminderState(bytes, state, error)) {
    Check(error.empty() && state.inks.size() <= kMaxInks);
    CheckDecision(state);
  } else {
    Check(!error.empty());
  }

  const moni::fuzztext::HeapText text(data, size);
  const std::u16string_view view = text.view();
  const char16_t* owned = text.c_str();

  if (const auto t = ParseBorderLine(view)) {
    for (std::uint32_t b : t->b) Check(b <= 100);
  }
  state.borderLine = std::u16string(view);
  state.enablePopup = 1;
  state.available = true;
  if (state.inks.empty()) state.inks = {0};
  CheckDecision(state);

  const std::u16string_view bounded = BoundedText(owned);
  Check(bounded.size() <= kMaxOptionChars && bounded.size() <= view.size());
  Check(InkLeftQuantities(view).size() == std::min<size_t>(view.size() / 2, kOptionInks));
  Check(DecimalPairs(view).size() == std::min<size_t>(view.size() / 2, kOptionInks));
  for (std::uint8_t v : DecimalPairs(view)) Check(v <= 99);

  CInkOrderInfo info;
  const OptionBlock block{u"AUTO20", owned, owned, owned};
  Check(info.SetOptions(&block) && info.inks.size() <= kOptionInks);
  info.templates[1] = std::u16string(view);  // "Custom_Msg20" from the registry
  for (int layout : {1, 3}) {
    for (int shutOff : {0, 1}) {
      info.shutOff = shutOff;
      const std::u16string message = MainMessage(MessagePartsOf(info, layout, u"", u"B", u"L"));
      Check(message.size() <= 16 * (view.size() + 1) * (64 + 4096));
    }
  }
  ParseLayout(view);

  // The dialog's gauge stays on its scale, and its line takes no more than
  // the level from a template.
  const GaugeView gauge = GaugeOf(info.inks, info.orderType, info.thresholds);
  Check(gauge.lowValue >= 50 && gauge.lowValue <= 100);
  Check(gauge.known ? gauge.value >= 50 && gauge.value <= 100 && gauge.level <= 100 : gauge.value == 0);
  GaugeLine(gauge, view, u"?");
  if (IsWebAddress(view)) {
    for (char16_t c : view) Check(c > u' ' && c != u'"' && c != 0x7F);
  }

  // A status record of arbitrary bytes: the parameter text carries two
  // characters per ink for at most four inks and reads back as written.
  moni::status::StatusBuff record{};
  std::memcpy(&record, data, std::min(size, sizeof record));
  const PrinterIdentity who{std::u16string(view), u"D", u"P", u"M"};
  moni::cmdline::TrayFields fields;
  moni::cmdline::ApplySwitches(CompanionParameterText(u"AUTO05", who, record), fields);
  const size_t inks = std::min<size_t>(record.byInkCount, 4);
  Check(fields.a && fields.t == u"AUTO05");
  Check(fields.l.size() == 2 * inks && fields.n.size() == 2 * inks && fields.ic.size() == 2 * inks);
  if (view.size() <= moni::cmdline::kMaxValueChars && view.find(u'\0') == std::u16string_view::npos)
    Check(fields.printerName == view);

  // The same record as a fresh status of the dialog: at most four inks.
  TakePrinterInks(info, record);
  Check(info.inks.size() == inks);
  return 0;
}
