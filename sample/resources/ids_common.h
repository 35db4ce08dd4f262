/* Resources that several windows share. */
#pragma once

#define IDS_PRODUCT_CAPTION 1100 /* caption of the monitor's windows and messages */
#define IDS_TIMER_DEFAULT   1340 /* local monitoring period (seconds) when the setup data has none */

/* V_SMPBMP.DLL: bitmaps */
#define IDB_PRINTER   200
#define IDB_INK_BLACK 201
