// The desktops the programs must read well on, as palettes a test or the
// picture tool puts in force with Fusion: a dark one (light text on dark
// windows, buttons and fields). The light one is Fusion's own.
#pragma once

#include <QPalette>

QPalette DarkDesktopPalette();
