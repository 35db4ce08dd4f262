// The ink tank control: a child window that draws one ink's gauge as a
// cartridge filled to its level in the ink's colour, with the percentage, a
// low mark and an empty mark; an ink that cannot be measured (or no data)
// is drawn hatched grey with a question mark, never as an empty tank.
//
// It takes WM_USER with a command in wParam (moni::view::TankCommand): 21 to
// 25 with the level block in lParam where they pass levels, kTankHue with
// the hue in lParam, kTankQuery answering the packed state.
#pragma once
#include <windows.h>

#include "ui/status/view_core.h"

namespace moni::view {

inline constexpr int kTankHue = 31;  // lParam: InkHue

// Creates a tank in the place and size of the dialog's control `placeholderId`
// (which is hidden) with the same id; it reads entry `index` of the level
// blocks. Null when the placeholder is missing or the window cannot be made.
HWND CreateTankInPlace(HWND dialog, int placeholderId, int index);

// The state a tank shows (kTankQuery).
TankView QueryTank(HWND tank);

}  // namespace moni::view
