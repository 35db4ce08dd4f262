/* The status window's views: template 102 and its sub-views, button captions, job area, ink area, tips, gauge. */
#pragma once

#define IDD_STATUS_WINDOW   102 /* the status window; the views stack their sub-views in it */
#define IDD_VIEW_STATUS     150 /* status message area */
#define IDD_VIEW_JOB        151 /* job area */
#define IDD_VIEW_INK        152 /* ink area */
#define IDD_VIEW_TIPS       153 /* tips */
#define IDD_VIEW_FURTHER    154 /* further area: tips switch, support */
#define IDD_VIEW_BUTTONS    155 /* button row */

/* Controls of the sub-views */
#define IDC_STATUS_PICTURE   210
#define IDC_STATUS_MESSAGE   212
#define IDC_STATUS_DETAIL    384
#define IDC_TROUBLE_SHOOT_BTN 215
#define IDC_TROUBLE_TEXT     241
#define IDC_STATUS_DOCUMENT  307
#define IDC_JOB_DOCUMENT     300
#define IDC_JOB_SHEETS       301
#define IDC_JOB_TIME         302
#define IDC_JOB_ANIMATION    304
#define IDC_JOB_PROGRESS     305
#define IDC_JOB_PAPER        306
#define IDC_PRNSTOP_BTN      308
#define IDC_PRNPAUSE_BTN     309
#define IDC_JOB_HEADING      311
#define IDC_JOB_LOGO         378
#define IDC_INKORDER_JOB     389
#define IDC_INK_TANK1        390
#define IDC_INK_TANK2        391
#define IDC_INK_TANK3        392
#define IDC_INK_TANK4        393
#define IDC_INK_LABEL1       359
#define IDC_INK_LABEL2       360
#define IDC_INK_LABEL3       361
#define IDC_INK_LABEL4       362
#define IDC_INK_MESSAGE      30601
#define IDC_INK_HEADING      30602
#define IDC_TAGCHIPINFO_BTN  30600
#define IDC_INKORDER_INK     388
#define IDC_TIP_HEADING      318
#define IDC_TIP_TEXT         319
#define IDC_TIP_HELP         320
#define IDC_TIP_BTN          317
#define IDC_SUPPORT_BTN      386
#define IDC_SUB_BTN          325

/* Strings */
#define IDS_PAPER_SIZE       1500
#define IDS_MEDIA_TYPE       1560
#define IDS_CLOSE            1600
#define IDS_STOP             1601
#define IDS_PAUSE            1602
#define IDS_RESUME           1603
#define IDS_DISCHARGE_PAPER  1605
#define IDS_INK_CANCEL       1606
#define IDS_INK_RETURN       1608
#define IDS_INK_STOPRESET    1612
#define IDS_INK_OFFLINE_CANCEL 1614
#define IDS_SHOW_TIPS        1640
#define IDS_HIDE_TIPS        1641
#define IDS_SHEETS           1700 /* sheets: two numbers */
#define IDS_MINUTES_LEFT     1702
#define IDS_SECONDS_LEFT     1703
#define IDS_TIP_FIRST        2200 /* tips from here on; 2201 is the ink tip */
#define IDS_TIP_HELP_FIRST   2300 /* help context of tip 2200 + n */
#define IDS_BLACK_FULL       30650
#define IDS_BLACK_LEFT       30651
#define IDS_BLACK_EMPTY      30652
#define IDS_COLOR_FULL       30653
#define IDS_COLOR_LEFT       30654
#define IDS_COLOR_EMPTY      30655
#define IDS_ORDER_INK        31299

/* Bitmap library: status pictures (111 x 88), printing animation, logo, gauge state icons */
#define IDI_PRINTING_1       589
#define IDI_PRINTING_2       590
#define IDI_PRINTING_3       591
#define IDB_JOB_LOGO         595
#define IDI_STATUS_OFFLINE   750
#define IDI_STATUS_JAM       752
#define IDI_STATUS_ERROR     758
#define IDI_STATUS_READY     759
#define IDI_STATUS_ATTENTION 760
#define IDI_STATUS_INK       761
#define IDI_STATUS_ATTENTION2 770
#define IDI_STATUS_PAPER     777
#define IDI_GAUGE_WARNING    15110
#define IDI_GAUGE_ERROR      15111
