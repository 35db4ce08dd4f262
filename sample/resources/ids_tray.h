/* The tray program's context menu and icons. */
#pragma once

/* Menu 801 (resource library): its first pop-up holds the printer item
   (position 0, replaced by item 900) and item 901. */
#define IDM_TRAY_MENU   801
#define IDM_TRAY_STATUS 900
#define IDM_TRAY_PREFS  901
/* Extra menu items: strings in the resource library, bitmaps in V_SMPBMP.DLL,
   command templates in the setup data's Menu key. */
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
