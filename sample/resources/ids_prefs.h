/* The monitoring preferences: templates 100 and 111, notification items, icon designs. */
#pragma once

/* Template 100 and its controls (OK, Cancel and Help are 1, 2 and 9). */
#define IDD_PREFS          100
#define IDC_NOTIFY_LIST    200
#define IDC_SOUND_ICON     201
#define IDC_SOUND_CHECK    202
#define IDC_NOTIFY_DEFAULT 203
#define IDC_TRAY_ICON      204
#define IDC_DESIGN_LIST    205
#define IDC_TRAY_CHECK     206
#define IDC_PREVIEW        207
#define IDC_SHARED_CHECK   208
#define IDC_NOTIFY_GROUP   220
#define IDC_TRAY_GROUP     221
#define IDC_DESIGN_LABEL   222
#define IDC_PREVIEW_LABEL  223

/* Template 111: the wait while shared-printer monitoring is switched. */
#define IDD_PREFS_WAIT     111
#define IDC_WAIT_ICON      1111
#define IDC_WAIT_TEXT      1112

#define IDS_WHATS_THIS     244   /* the one item of the help menu (item 243) */
#define IDS_NOTIFY_COUNT   1000  /* how many notification items the list shows */
#define IDS_NOTIFY_ITEM_1  1001  /* code 12: printer errors */
#define IDS_NOTIFY_ITEM_2  1002  /* code 11: communication errors */
#define IDS_NOTIFY_ITEM_3  1003  /* code 9: ink low */
#define IDS_NOTIFY_ITEM_4  1004  /* code 501: a part near the end of its service life */
#define IDS_COLUMN_EVENT   1120
#define IDS_COLUMN_NOTIFY  1121
#define IDS_NOTIFY_ON      1122
#define IDS_NOTIFY_OFF     1123
#define IDS_NWLINK         1226  /* shared printers cannot be monitored with NWLink */
#define IDS_PREFS_CAPTION  1360  /* caption, then " : " and the printer */

/* Pictures: the list's state images (also in V_SMPBMP.DLL), the previews of
   the notification area and the group icons. */
#define IDB_NOTIFY_STATES  400
#define IDB_PREVIEW_NONE   500
#define IDB_PREVIEW_1      501
#define IDB_PREVIEW_2      502
#define IDB_PREVIEW_3      503
#define IDI_PREFS_TRAY     611
#define IDI_PREFS_SOUND    612
