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
