// Starting other programs and opening documents with the desktop's viewer.
//
// Both go through one object, the launcher in force (Launcher::current()):
// by default the system's (a detached process; documents through the prompts
// in force, which hand them to the desktop's viewer). A
// test installs its own launcher, which records what would have started, so
// no test starts a program it did not mean to. GUI thread only.
#pragma once

#include <QString>
#include <QStringList>

class Launcher
{
public:
    Launcher() = default;
    virtual ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Starts the program with the arguments, not waiting for it; false when
    // it could not be started (missing, not executable).
    virtual bool execute(const QString& program, const QStringList& arguments);
    // Opens the document in the desktop's viewer; false when there is no
    // such file or no viewer took it.
    virtual bool shellOpen(const QString& path);

    // The launcher in force: the installed one, else the system's.
    static Launcher* current();
    // Puts l in force (null brings the system's back) and returns what it
    // replaces. The caller keeps ownership of l.
    static Launcher* install(Launcher* l);
};

// Starts the program at path with file as its only argument (none when file
// is ""); false when it could not be started.
bool Execute(const QString& path, const QString& file);
// Opens the document with the desktop's viewer; false when that failed.
bool ShellOpen(const QString& path);
