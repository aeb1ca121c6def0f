#include "VeskAll_Library.h"

#include "VeskDump.h"

VeskAll_Library::VeskAll_Library(MidiDevice* device)
    : LibraryFolder(device, QString::fromLatin1(VeskLibraryKinds[0].title))
{
    m_children.append(new VeskVoiceLibrary(device));
    m_children.append(new VeskPerfLibrary(device));
    m_children.append(new VeskMasterLibrary(device));
}

VeskVoiceLibrary::VeskVoiceLibrary(MidiDevice* device) : LibraryFolder(device, QStringLiteral("Voices"))
{
    addBankSet(QStringLiteral("VOICES_USER"));
    addBankSet(QStringLiteral("DRUMS_USER"));
    addBankSet(QStringLiteral("PLG_USER"));
}

VeskPerfLibrary::VeskPerfLibrary(MidiDevice* device) : LibraryFolder(device, QStringLiteral("Performances"))
{
    addBankSet(QStringLiteral("PERFORMANCES"));
}

VeskMasterLibrary::VeskMasterLibrary(MidiDevice* device) : LibraryFolder(device, QStringLiteral("Masters"))
{
    addBankSet(QStringLiteral("MASTERS"));
}

VeskVLib_Library::VeskVLib_Library(MidiDevice* device)
    : LibraryFolder(device, QString::fromLatin1(VeskLibraryKinds[1].title))
{
    m_children.append(new NormalVoiceGroup(device));
    m_children.append(new TypePatchGroup(device, QStringLiteral("Drum Kits"), VeskDump::TypeDrum));
}

NormalVoiceGroup::NormalVoiceGroup(MidiDevice* device)
    : TypePatchGroup(device, QStringLiteral("Normal Voices"), VeskDump::TypeVoice)
{
}

void NormalVoiceGroup::onLoadName() {}

LibraryFolder* CreateVeskLibrary(int type, MidiDevice* device)
{
    switch (type) {
    case 0:
        return new VeskAll_Library(device);
    case 1:
        return new VeskVLib_Library(device);
    default:
        return nullptr;
    }
}
