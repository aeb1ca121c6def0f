// The instrument's two kinds of library document, as the librarian opens them
// and the mix editor stores the user voices of a mix.
//
// A Ridev Library mirrors the instrument's user banks, bank group by bank
// group, in three folders: "Voices" (the bank sets "VOICES_USER",
// "DRUMS_USER" and "PLG_USER"), "Performances" ("PERFORMANCES") and "Masters"
// ("MASTERS"). Which banks, their names and sizes come from the device's
// tables. A Voice Library is a free collection in two type groups, "Normal
// Voices" and "Drum Kits".
//
// Each tree is built whole by its constructor, before any file is read;
// loading fills its groups and never adds or removes one. The root owns the
// tree and every dump in it.
#pragma once

#include "Library.h"

// The root of a Ridev Library, "Ridev Library".
class VeskAll_Library : public LibraryFolder
{
public:
    explicit VeskAll_Library(MidiDevice* device);
};

// The folder "Voices" of a Ridev Library: user voices, the user drum kits and
// the PLG user voices.
class VeskVoiceLibrary : public LibraryFolder
{
public:
    explicit VeskVoiceLibrary(MidiDevice* device);
};

// The folder "Performances" of a Ridev Library.
class VeskPerfLibrary : public LibraryFolder
{
public:
    explicit VeskPerfLibrary(MidiDevice* device);
};

// The folder "Masters" of a Ridev Library.
class VeskMasterLibrary : public LibraryFolder
{
public:
    explicit VeskMasterLibrary(MidiDevice* device);
};

// The root of a Voice Library, "Voice Library": "Normal Voices", then
// "Drum Kits".
class VeskVLib_Library : public LibraryFolder
{
public:
    explicit VeskVLib_Library(MidiDevice* device);
};

// The group "Normal Voices" of a Voice Library. Files of older versions name
// its record "Voices"; the reader finds those itself.
class NormalVoiceGroup : public TypePatchGroup
{
public:
    explicit NormalVoiceGroup(MidiDevice* device);
    // Keeps the group's name.
    void onLoadName() override;
};

// The document kinds the librarian registers, in the order of their type
// numbers.
struct VeskLibraryKind
{
    int type;
    const char* title;     // also the root's name
    const char* extension; // without the dot
    const char* filter;    // the file prompts' description
    const char* icon;
};

inline constexpr VeskLibraryKind VeskLibraryKinds[] = {
    {0, "Ridev Library", "all", "Ridev Library Files", "vesklib:RidevLibrary.png"},
    {1, "Voice Library", "vlib", "Voice Library Files", "vesklib:VoiceLibrary.png"},
};
// Both kinds together in the file prompts.
inline constexpr const char* VeskLibraryFilesFilter = "Ridev Vurivodez Files";

// A new, empty document of that type on the device; null for another type.
LibraryFolder* CreateVeskLibrary(int type, MidiDevice* device);
