/* The status window's controller and actions: message texts, templates 103 to 107 and 124, sounds. */
#pragma once

#define IDS_VERSION_ITEM      1131 /* the system menu's item for the version dialog */
#define IDS_MAP_FAILURE       1202 /* the monitor's shared memory cannot be used */
#define IDS_NO_PRINTER_INFO   1223 /* the printer's information is not set up */
#define IDS_SUPPORT_FAIL_CAPTION 1225 /* caption of the message when the support page cannot be opened */
#define IDS_COMM_REPLACE      1233 /* the communication library asks for a restart after a replacement */
#define IDS_COMM_IN_USE       1234 /* the communication library is in use by another program */
#define IDS_COMM_OTHER        1235 /* the communication library reported another failure */
#define IDS_SUPPORT_FAILED    1609 /* the support page cannot be opened (a code follows) */
#define IDS_SUPPORT_CAPTION   1610 /* caption of the question before the support page opens */
#define IDS_SUPPORT_QUESTION  1611 /* the question before the support page opens */

/* Templates of the dialogs the status window opens, and their controls. */
#define IDD_TROUBLESHOOTING   103
#define IDD_VERSION           104
#define IDD_DOUBLE_SIDED      105
#define IDD_CARTRIDGE_CHECK   107
#define IDD_PAPER_GAP_LEVER   124
#define IDC_STANDIN_TEXT      1001 /* the arguments; the version dialog: the product name */
#define IDC_STANDIN_DETAIL    1002 /* the version dialog: the version; the cartridge dialog: the inks */
#define IDC_STANDIN_ICON      1003

#define IDI_STATUS_WINDOW     621  /* the status window's icon */

/* Sounds of the statuses (WAVE resources; the first value of a status kind row) */
#define IDW_SOUND_ATTENTION   510
#define IDW_SOUND_INFORMATION 511
#define IDW_SOUND_ERROR       512
