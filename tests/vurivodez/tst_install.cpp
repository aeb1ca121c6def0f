// Installed with the editors: cmake --install puts the librarian in bin/
// beside the editors it starts (finding the suite's libraries through its
// run path), its desktop entry (valid by desktop-file-validate, naming the
// library files' MIME types), the MIME types themselves and its icons. The
// MIME types know the library files by their content as Qt's reader of the
// desktop's MIME database sees them.
#include "TestEnvironment.h"

#include "Vesk.h"
#include "VeskAll_Library.h"

#include <QDir>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

class TestLibrarianInstall : public QObject
{
    Q_OBJECT

    static QString run(const QString& program, const QStringList& arguments, int* exitCode)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        process.waitForFinished(120000);
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromLocal8Bit(process.readAll());
    }

private slots:
    // First: the MIME database is read once per process, when first used.
    void libraryFilesKnownByContent()
    {
        const QDir packages(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                            QStringLiteral("/mime/packages"));
        QVERIFY(packages.mkpath(QStringLiteral(".")));
        QVERIFY(QFile::copy(QStringLiteral(ORVANE_SOURCE_DIR "/programs/vurivodez/vesklib-mime.xml"),
                            packages.filePath(QStringLiteral("vesklib-mime.xml"))));
        QTemporaryDir files;
        QVERIFY(files.isValid());
        auto write = [&](const QString& name, int libraryType, const QByteArray& bytes = {}) {
            const QString path = files.filePath(name);
            if (libraryType >= 0) {
                Vesk device;
                std::unique_ptr<LibraryFolder> tree(CreateVeskLibrary(libraryType, &device));
                return tree->storeFile(path) ? path : QString();
            }
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
        };
        const QString ridev = QStringLiteral("application/x-vesk-ridev-library");
        const QString voice = QStringLiteral("application/x-vesk-voice-library");
        const struct
        {
            QString path;
            QMimeDatabase::MatchMode mode;
            QString type; // empty: none of ours
        } cases[] = {
            // As the librarian saves them, by name and by content alone.
            {write(QStringLiteral("a.all"), 0), QMimeDatabase::MatchDefault, ridev},
            {write(QStringLiteral("b.vlib"), 1), QMimeDatabase::MatchDefault, voice},
            {write(QStringLiteral("c.all"), 0), QMimeDatabase::MatchContent, ridev},
            {write(QStringLiteral("d.vlib"), 1), QMimeDatabase::MatchContent, voice},
            // Renamed: the content still tells.
            {write(QStringLiteral("ridev-copy"), 0), QMimeDatabase::MatchDefault, ridev},
            {write(QStringLiteral("voice-copy"), 1), QMimeDatabase::MatchDefault, voice},
            // By content alone, another program's ".all" file is not ours, nor one
            // whose first bytes name another device.
            {write(QStringLiteral("notes.all"), -1, "all: build\n\tmake everything\n"),
             QMimeDatabase::MatchContent, QString()},
            {write(QStringLiteral("data.all"), -1, QByteArray("\0\0\0\x07Vesk XS\x3F\x08", 13)),
             QMimeDatabase::MatchContent, QString()},
        };
        const QMimeDatabase db;
        for (const auto& c : cases) {
            QVERIFY(!c.path.isEmpty());
            const QString found = db.mimeTypeForFile(c.path, c.mode).name();
            if (c.type.isEmpty())
                QVERIFY2(found != ridev && found != voice, qPrintable(c.path + QStringLiteral(": ") + found));
            else
                QVERIFY2(found == c.type, qPrintable(c.path + QStringLiteral(": ") + found));
        }
    }

    void installsBesideTheEditors()
    {
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        QVERIFY2(!validate.isEmpty(), "desktop-file-validate is installed by tools/deps (desktop-file-utils)");
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QString build = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath();
        int code = 0;
        QString out = run(QStringLiteral("cmake"), {"--install", build, "--prefix", prefix.path()}, &code);
        QVERIFY2(code == 0, qPrintable(out));
        const QDir root(prefix.path());

        const QString program = root.filePath(QStringLiteral("bin/VeskLib"));
        QVERIFY(QFileInfo(program).isExecutable());
        out = run(QStringLiteral("readelf"), {"-d", program}, &code);
        QVERIFY2(out.contains(QStringLiteral("[$ORIGIN/../lib]")), qPrintable(out));
        for (const char* editor : {"VeskVoice", "VeskDrum", "VeskPerf", "VeskMaster", "VeskMix"})
            QVERIFY2(QFileInfo(root.filePath(QStringLiteral("bin/") + QLatin1String(editor))).isExecutable(), editor);

        const QString entry = root.filePath(QStringLiteral("share/applications/VeskLib.desktop"));
        out = run(validate, {entry}, &code);
        QVERIFY2(code == 0 && out.trimmed().isEmpty(), qPrintable(out));
        QFile desktop(entry);
        QVERIFY(desktop.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(desktop.readAll()).split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("Exec=VeskLib %f")));
        QString types;
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1String("MimeType=")))
                types = line.mid(9).chopped(1); // the list ends in ';'
        }

        // Every type the entry opens is defined, with the library's extension.
        QFile mime(root.filePath(QStringLiteral("share/mime/packages/vesklib-mime.xml")));
        QVERIFY(mime.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&mime);
        QStringList defined;
        QStringList globs;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("mime-type"))
                defined << xml.attributes().value(QStringLiteral("type")).toString();
            if (xml.name() == QLatin1String("glob"))
                globs << xml.attributes().value(QStringLiteral("pattern")).toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(globs, QStringList({"*.all", "*.vlib"}));
        QCOMPARE(types, defined.join(QLatin1Char(';')));

        for (int size : {16, 32, 48, 256}) {
            const QImage icon(root.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/VeskLib.png").arg(size)));
            QCOMPARE(icon.size(), QSize(size, size));
        }
    }
};

ORVANE_TEST_MAIN(TestLibrarianInstall)
#include "tst_install.moc"
