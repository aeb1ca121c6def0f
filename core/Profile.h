// The per-user settings of a program, kept in the QSettings store named by the
// program's identity: organisation (by default "Tamsel") and title.
//
// The programs of the suite read each other's settings by that name: an editor
// without saved ports takes "MidiIn" and "MidiOut" from
// QSettings("Tamsel", "<device> Ridev Vurivodez"). So the section "" is the
// store's top level, not a group, and every other section is a group.
//
// Everything here may be called from any thread: each call works on a
// QSettings object of its own, and QSettings shares changes between the
// objects of one process at once. Bools are stored as ints (0 and 1).
#pragma once

#include <QString>
#include <memory>

class QSettings;

class Profile
{
public:
    // Records the program's identity; an empty organisation means "Tamsel".
    // Also names the application after it (QCoreApplication), so that other
    // Qt services see the same identity. Call before the first profile access.
    static void setIdentity(const QString& title, const QString& organisation = QString(),
                            const QString& version = QString());
    // Before setIdentity: the application name, "Tamsel" and the application version.
    static QString title();
    static QString organisation();
    static QString version();

    // The stored text or number; def when the key is absent. A stored text
    // that is not a number reads as def; "true" and "false" read as 1 and 0.
    static QString readProfileString(const QString& section, const QString& key,
                                     const QString& def = QString());
    static int readProfileInt(const QString& section, const QString& key, int def = 0);
    // False when the store could not be written.
    static bool writeProfileString(const QString& section, const QString& key, const QString& value);
    static bool writeProfileInt(const QString& section, const QString& key, int value);

    // A settings object of the program's own store, for values kept apart
    // from the profile functions. Each call gives a new object; it sees every
    // change made through the others.
    static std::unique_ptr<QSettings> settings();

    static constexpr const char* DefaultOrganisation = "Tamsel";
};
