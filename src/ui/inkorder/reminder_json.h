// A reminder state and its decision as JSON (portable core, no windows.h),
// for `monictl reminder`: support engineers describe a printer's state as one
// object and get the decision the status window takes on it.
//
//   {"inks":[percent,...],"borderLine":"20,10,5,0" or null,"ioEnablePopup":N or null,
//    "enablePopup":N or null,"inkOrderDisable":N or null,"onScreen":bool,"available":bool,
//    "levels":[4 values, null for missing],"last":[4 values, null for missing]}
//
// Members left out count as null, false, no inks, or four missing values.
#pragma once
#include <string>
#include <string_view>

#include "ui/inkorder/reminder_core.h"

namespace moni::inkorder {

// Reads one state object (UTF-8, the whole text). On failure returns false and
// says why in `error` (unknown or repeated member, a value of the wrong kind,
// a number that is negative, not whole or out of range, more than kMaxInks
// inks, a level list that does not hold exactly four entries, text after the
// object, ...).
bool ParseReminderState(std::string_view json, ReminderState& state, std::string& error);

// {"due":bool,"threshold":T or null,"mode":"AUTO20"/.../"","levels":[4],"last":[4]}
std::string DecisionJson(const ReminderDecision& decision);

// The longest state text read (a state is a few hundred bytes).
inline constexpr size_t kMaxStateBytes = 64 * 1024;

}  // namespace moni::inkorder
