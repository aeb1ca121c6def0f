#include "FuzzSupport.h"

#include "Prompts.h"
#include "TestSysex.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// In memory where the system offers it: the settings store syncs to disk on
// every write, which would make the targets that load files wait on it.
QTemporaryDir* folder()
{
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/orvane-fuzz-XXXXXX"));
    return &dir;
}

void quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg)
        return;
    std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(message));
    std::abort();
}

} // namespace

bool Fuzz::setUp(bool widgets)
{
    const QString base = folder()->path();
    for (const char* sub : {"config", "data", "runtime"})
        QDir(base).mkpath(QString::fromLatin1(sub));
    qputenv("HOME", base.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (base + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (base + QStringLiteral("/runtime")).toLocal8Bit());
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    qInstallMessageHandler(quiet);

    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (widgets) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication app(argc, argv);
    } else {
        static QCoreApplication app(argc, argv);
    }
    // Constructing it puts it in force: every prompt is answered as closed.
    static ScriptedPrompts prompts;
    return true;
}

TestDevice* Fuzz::device()
{
    static TestDevice* dev = new TestDevice;
    return dev;
}

void Fuzz::fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s (%s:%d)\n", what, file, line);
    std::abort();
}

QByteArray Fuzz::bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

QString Fuzz::writeTempFile(const QString& name, const QByteArray& bytes)
{
    const QString path = folder()->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write the temporary file", __FILE__, __LINE__);
    return path;
}
