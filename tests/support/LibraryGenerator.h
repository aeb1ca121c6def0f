// Large and tangled libraries of the instrument, made up for benchmarks.
//
// FillVoiceLibrary gives a Voice Library the shape of a large collection:
// about one drum kit to eight voices (the instrument's own user memory holds
// 256 voices and 32 drum kits), names of a word and a number, categories and a
// few data bytes drawn at random so that patches differ, and about one patch
// in twenty an exact copy of an earlier patch of its group. The same seed gives
// the same library.
//
// TangleRidevLibrary gives a Ridev Library the most references it can hold:
// every part of every performance (four parts and three PLG parts, all
// switched on) uses a user voice, every master calls up a performance, except
// the first, which calls itself.
#pragma once

#include <QtGlobal>

class VeskAll_Library;
class VeskVLib_Library;

struct GeneratedLibrary
{
    int voices = 0;
    int drumKits = 0;
    int copies = 0; // exact copies of an earlier patch
};

GeneratedLibrary FillVoiceLibrary(VeskVLib_Library& library, int count, quint32 seed = 1);
void TangleRidevLibrary(VeskAll_Library& library);
