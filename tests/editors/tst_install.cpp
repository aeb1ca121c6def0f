// Installed like other desktop software: cmake --install puts the five
// editors in bin/ (finding the suite's libraries in lib/ by a relative
// run path), their desktop entries in share/applications, valid by
// desktop-file-validate, and their icons in the hicolor theme.
#include "TestEnvironment.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

class TestEditorInstall : public QObject
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
    void installsProgramsEntriesAndIcons()
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
        for (const char* lib : {"libcore.so", "libcoregui.so", "liborvane.so", "libVeskES.so"})
            QVERIFY2(root.exists(QStringLiteral("lib/") + QLatin1String(lib)), lib);
        for (const QString name : {"VeskVoice", "VeskDrum", "VeskPerf", "VeskMaster", "VeskMix"}) {
            const QString program = root.filePath(QStringLiteral("bin/") + name);
            QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(name));
            out = run(QStringLiteral("readelf"), {"-d", program}, &code);
            QVERIFY2(out.contains(QStringLiteral("[$ORIGIN/../lib]")), qPrintable(out));

            const QString entry = root.filePath(QStringLiteral("share/applications/%1.desktop").arg(name));
            QVERIFY2(QFile::exists(entry), qPrintable(entry));
            out = run(validate, {entry}, &code);
            QVERIFY2(code == 0 && out.trimmed().isEmpty(), qPrintable(out));

            for (int size : {16, 32, 48, 256}) {
                const QImage icon(root.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(name)));
                QCOMPARE(icon.size(), QSize(size, size));
            }
        }
    }
};

ORVANE_TEST_MAIN(TestEditorInstall)
#include "tst_install.moc"
