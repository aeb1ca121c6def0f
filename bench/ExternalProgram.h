// Other programs run beside ours in a benchmark: started with their output
// thrown away, and measured for their own peak memory.
#pragma once

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

// Runs a program with its output thrown away. False when it could not run or
// failed.
inline bool RunProgram(const QStringList& args)
{
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The peak resident size of a program run on its own, in bytes; -1 when it
// cannot be measured. It is run from a small python3 process: a child
// started from this one would be charged with this process's own peak.
inline qint64 PeakOfProgram(const QStringList& args)
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("peak.txt"));
    const QString script = QStringLiteral(
        "import resource, subprocess, sys\n"
        "subprocess.run(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)\n"
        "open(sys.argv[1], 'w').write(str(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss))\n");
    if (!dir.isValid() || !RunProgram(QStringList{QStringLiteral("python3"), QStringLiteral("-c"), script, report} + args))
        return -1;
    QFile f(report);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().trimmed().toLongLong() * 1024;
}
