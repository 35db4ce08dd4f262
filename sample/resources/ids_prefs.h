/* The monitoring preferences: templates 100 and 111, notification items, icon designs. */
#pragma once
