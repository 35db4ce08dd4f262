/* The status window's controller and actions: message texts, templates 103 to 107 and 124, sounds. */
#pragma once
