// The librarian's settings: what it does at start-up, whether its editors
// toolbar shows, and the dependency options of its library views. The main
// window reads them when it is built and writes them when it goes; the
// preferences dialog edits them in place. GUI thread only.
#pragma once

#include "DependencyOptions.h"

struct VeskLib_Properties
{
    // What OnStart asks for when the program starts without a file.
    enum StartAction
    {
        StartEmpty = 0,         // nothing is opened
        StartRidevLibrary = 1,  // a new Ridev Library
        StartVoiceLibrary = 2,  // a new Voice Library
        StartLastLibrary = 3    // the most recent file is opened
    };

    bool EditorsBar = true;
    int OnStart = StartRidevLibrary;
    DependencyOptions dependencyOptions;

    // The unnamed profile section holds "OnStart" and "EditorsBar" (read in
    // that order, then the dependency options); absent keys give the
    // defaults above. "EditorsBar" is read as a number, any non-zero one true,
    // and written as 0 or 1.
    void load();
    void store() const;
};
