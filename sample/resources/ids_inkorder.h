/* Ink ordering: the ink-order dialog (template 140), its texts, the ordering
   page and the ink status page address, the cartridge texts. */
#pragma once

#define IDD_INK_ORDER          140

/* Controls of template 140. */
#define IDC_INKORDER_MESSAGE   31001 /* the main message */
#define IDC_INKORDER_GAUGE     31002 /* the place of the ink gauge */
#define IDC_INKORDER_LEVEL     31003 /* the line under the gauge */
#define IDC_INKORDER_PRINTER   31004 /* the printer's name (string 31089) */
#define IDC_INKORDER_BUY       31020 /* where to buy */
#define IDC_INKORDER_LATER     31021 /* remind me later */
#define IDC_INKORDER_CANCEL    31023 /* cancel: no more reminders until the status window opens again */
#define IDC_INKORDER_AUTO      31036 /* automatic reminders for the printer */

/* Titles: the last threshold, and the ones above it. */
#define IDS_INKORDER_TITLE_OUT 3524
#define IDS_INKORDER_TITLE_LOW 3555

#define IDS_BUY_CONFIRM        31080 /* asked before the ordering page opens */
#define IDS_BUY_WHERE          31081 /* the where-to-buy button's name in the messages */
#define IDS_BUY_LATER          31082 /* the remind-me-later button's name in the messages */
#define IDS_BUY_FAILED         31083 /* the ordering page cannot be opened */
#define IDS_INKORDER_LEVEL     31084 /* the line under the gauge (one number: the level) */
#define IDS_BUY_ADDRESS_PREFIX 31085 /* put before the driver's "INK_OrderURL" (empty in the sample) */
#define IDS_INKSTATUS_ADDRESS  31086 /* the ink status page address (number of inks, four ink texts) */
#define IDS_INKSTATUS_HEADER   31087 /* its header (model, nation number) */
#define IDS_INKORDER_NO_LEVEL  31088 /* the line under the gauge when no level is known */
#define IDS_INKORDER_PRINTER   31089 /* the printer line (one text: the printer's name) */
#define IDS_BUY_CAPTION        31090 /* the caption of the confirmation */
#define IDS_INKORDER_LAYOUT    31101 /* the argument layout of the messages: "1" */

/* The main messages, with the shut-off function on (312xx) and off (316xx):
   the menu, below B0, B1 and B2, and at B3. */
#define IDS_INKORDER_MSG_MENU_ON 31250
#define IDS_INKORDER_MSG_20_ON   31251
#define IDS_INKORDER_MSG_10_ON   31252
#define IDS_INKORDER_MSG_05_ON   31253
#define IDS_INKORDER_MSG_00_ON   31254
#define IDS_INKORDER_MSG_MENU    31600
#define IDS_INKORDER_MSG_20      31601
#define IDS_INKORDER_MSG_10      31602
#define IDS_INKORDER_MSG_05      31603
#define IDS_INKORDER_MSG_00      31604

/* The cartridge texts: 32000 + 100 * ink index + ink code (first text),
   32400 + 100 * ink index + ink code (second text, high capacity). The
   sample model's inks: index 0 cyan (code 3), 1 magenta (4), 2 yellow (5),
   3 black (1). */
#define IDS_CARTRIDGE_C        32003
#define IDS_CARTRIDGE_M        32104
#define IDS_CARTRIDGE_Y        32205
#define IDS_CARTRIDGE_K        32301
#define IDS_CARTRIDGE_C_XL     32403
#define IDS_CARTRIDGE_M_XL     32504
#define IDS_CARTRIDGE_Y_XL     32605
#define IDS_CARTRIDGE_K_XL     32701
