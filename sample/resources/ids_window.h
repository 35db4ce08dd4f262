/* The status window's controller and actions: message texts, templates 103 to 107 and 124, sounds. */
#pragma once

#define IDS_VERSION_ITEM      1131 /* the system menu's item for the version dialog */
#define IDS_MAP_FAILURE       1202 /* the monitor's shared memory cannot be used */
#define IDS_NO_PRINTER_INFO   1223 /* the printer's information is not set up */

#define IDI_STATUS_WINDOW     621  /* the status window's icon */

/* Sounds of the statuses (WAVE resources; the first value of a status kind row) */
#define IDW_SOUND_ATTENTION   510
#define IDW_SOUND_INFORMATION 511
#define IDW_SOUND_ERROR       512
