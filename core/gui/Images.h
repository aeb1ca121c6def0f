// The core's own images, drawn for the suite and compiled into the library.
// They are found with the search prefix "core:", as in "core:midi.png" or
// "core:misc/up.png".
#pragma once

#include <QStringList>

// Registers the images and the "core:" prefix. The library does both by
// itself when it is loaded; calling this again is harmless. Returns 1.
int qInitResources_core();

// The names of the core's images, as they follow "core:" ("midi.png",
// "misc/up.png", ...).
QStringList CoreImageNames();
