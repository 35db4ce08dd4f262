/* The tray icon question: template 145. */
#pragma once
#define IDS_ENTRY_ICON_PROMPT 247
