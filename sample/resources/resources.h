/* Identifiers of the sample model's resources. */
#pragma once

/* V_SMPRES.DLL: strings */
#define IDS_MODEL_NAME        1000
#define IDS_STATE_READY       1001
#define IDS_STATE_PRINTING    1002
#define IDS_STATE_ERROR       1003
#define IDS_STATE_INK_LOW     1004
#define IDS_STATE_PAPER_OUT   1005
#define IDS_STATE_NO_REPLY    1006
#define IDS_ENTRY_ICON_PROMPT 247
#define IDS_TIMER_DEFAULT     1340

/* V_SMPBMP.DLL: bitmaps */
#define IDB_PRINTER 200
#define IDB_INK_BLACK 201

/* The tray program's context menu (V_SMPRES.DLL): menu 801, its first pop-up
   holds the printer item (position 0, replaced by item 900) and item 901. */
#define IDM_TRAY_MENU   801
#define IDM_TRAY_STATUS 900
#define IDM_TRAY_PREFS  901
/* Extra menu items: strings in V_SMPRES.DLL, bitmaps in V_SMPBMP.DLL, command
   templates in the setup data's Menu key. */
#define IDM_NOZZLE_CHECK  920
#define IDM_HEAD_CLEANING 921
#define IDM_ALIGNMENT     922
#define IDM_AUTO_CLEANING 923
#define IDM_ORDER_INK     924
#define IDM_DRIVER_UPDATE 925
#define IDM_MAINTENANCE   926
/* Tray icons (V_SMPBMP.DLL): ready, warning, error. */
#define IDI_TRAY_0 700
#define IDI_TRAY_1 701
#define IDI_TRAY_2 702
