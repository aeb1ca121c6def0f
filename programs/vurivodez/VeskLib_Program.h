// The librarian's start-up: main is one call of RunVeskLib.
//
// The sequence: the application object and the program's identity (its
// title, "Tamsel", "2.8.0", which name its settings store); the single
// instance test, after which a second start hands its first argument (a
// library file, or "") to the running librarian and returns 0 having built
// nothing else; the instrument's device; the compiled-in resources and the
// program's images ("vesklib:"); the splash; the window, built on the device
// and shown; the event loop. Then the window, the device and the application
// object go, in that order. GUI thread only.
#pragma once

// Registers the compiled-in resources (core, framework, instrument, then the
// librarian's own) and the image prefix "vesklib"; what the window needs to
// be built outside RunVeskLib (the tests build it so).
void RegisterLibrarianResources();

int RunVeskLib(int argc, char** argv);
