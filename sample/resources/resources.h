/* Identifiers of the sample model's resources, shared by the English
   (V_SMPRES.DLL) and German (V_SMPRDE.DLL) resource libraries and the bitmap
   library (V_SMPBMP.DLL). The monitor asks for them by number only; each area
   of the monitor has its own header. */
#pragma once

#include "ids_common.h"
#include "ids_tray.h"
#include "ids_status.h"
#include "ids_window.h"
#include "ids_prefs.h"
#include "ids_icon.h"
#include "ids_inkorder.h"
