// The peak memory a piece of work takes, from the process's own status
// (Linux): how far the resident size rose above where it stood before.
#pragma once

#include <QByteArray>
#include <QFile>

#include <malloc.h>

#include <functional>

// A size field of /proc/self/status ("VmRSS:", "VmHWM:"), in bytes; -1 when
// it cannot be read.
inline qint64 statusBytes(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// How much the resident size rose above where it stood at the start, at its
// highest while work ran. Freed memory is handed back first, and the peak
// mark is reset to the current size (Linux's clear_refs).
inline qint64 peakGrowth(const std::function<void()>& work)
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const qint64 before = statusBytes("VmRSS:");
    work();
    return statusBytes("VmHWM:") - before;
}
