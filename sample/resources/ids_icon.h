/* The tray icon question: template 145. */
#pragma once
#define IDD_ENTRY_ICON         145
#define IDC_ENTRY_ICON_PROMPT  246 /* shows string 247 */
#define IDS_ENTRY_ICON_PROMPT  247
#define IDC_ENTRY_ICON_PRINTER 248 /* the printer's name, in bold */
#define IDI_ENTRY_ICON         249 /* art/entry_icon.ico */
