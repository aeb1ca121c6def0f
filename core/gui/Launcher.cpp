#include "Launcher.h"

#include "Prompts.h"

#include <QProcess>

namespace {
Launcher* installed = nullptr;
}

Launcher::~Launcher() = default;

bool Launcher::execute(const QString& program, const QStringList& arguments)
{
    // startDetached reports a program that does not exist or cannot run.
    return QProcess::startDetached(program, arguments);
}

bool Launcher::shellOpen(const QString& path)
{
    // The prompts in force open it (a test's prompts record it instead).
    return Prompts::current()->openDocument(path);
}

Launcher* Launcher::current()
{
    static Launcher system;
    return installed ? installed : &system;
}

Launcher* Launcher::install(Launcher* l)
{
    Launcher* old = installed;
    installed = l;
    return old;
}

bool Execute(const QString& path, const QString& file)
{
    return Launcher::current()->execute(path, file.isEmpty() ? QStringList() : QStringList{file});
}

bool ShellOpen(const QString& path)
{
    return Launcher::current()->shellOpen(path);
}
