/* Ink ordering: template 140, reminder texts, ink status page address. */
#pragma once
#define IDS_INKSTATUS_ADDRESS 31086 /* the ink status page address (number of inks, four ink texts) */
#define IDS_INKSTATUS_HEADER  31087 /* its header (model, nation number) */
