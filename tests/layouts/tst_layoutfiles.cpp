// The editors' layout files and the effect document as files: they are what
// their generator writes, the panel lint finds nothing in them against the
// instrument's tables, and each is standard XML once its bare "&" marks are
// escaped (the drum kit, performance and master files write them bare, the
// voice and mix files escaped).
#include "EditorLayouts.h"
#include "LayoutRig.h"
#include "PanelLint.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

QString sourceFile(const QString& relative)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/") + relative;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* const EffectsFile = "resources/vesk/data/effects_ES.xml";

// "&" that starts no reference, as the reader keeps it.
const QRegularExpression& bareAmpersand()
{
    static const QRegularExpression re(QStringLiteral("&(?!amp;|lt;|gt;|quot;|apos;|#)"));
    return re;
}

} // namespace

class TestLayoutFiles : public QObject
{
    Q_OBJECT

private slots:
    // The generator writes every file as committed; the simulator's table of
    // parameter sizes comes out of the same run.
    void regenerates()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to run the layout generator");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess gen;
        gen.start(python, {sourceFile(QStringLiteral("tools/gen_layouts.py")), dir.path()});
        QVERIFY(gen.waitForFinished(-1));
        QVERIFY2(gen.exitStatus() == QProcess::NormalExit && gen.exitCode() == 0,
                 gen.readAllStandardError().constData());
        QStringList files = {QLatin1String(EffectsFile),
                             QStringLiteral("tools/instrument-sim/parameter_sizes.txt")};
        for (const EditorLayout& layout : editorLayouts())
            files << layout.file;
        for (const QString& file : files) {
            const QByteArray generated = fileBytes(dir.filePath(file));
            QVERIFY2(!generated.isEmpty(), qPrintable(file));
            QVERIFY2(generated == fileBytes(sourceFile(file)),
                     qPrintable(file + QStringLiteral(" differs from what the generator writes")));
        }
    }

    void lintFindsNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("effects") << QString::fromLatin1(EffectsFile);
        for (const EditorLayout& layout : editorLayouts())
            QTest::newRow(qPrintable(layout.program)) << layout.file;
    }

    // Each file beside the effect document, as an editor's window reads it,
    // against the instrument's tables; "edit1" is the one disabled element
    // and "PLGxx" the bank set the board part windows put in place.
    void lintFindsNothing()
    {
        QFETCH(QString, file);
        LayoutRig rig;
        QVERIFY(rig.device.ini()->loadResource(QStringLiteral(":/vesk/data/data_ES.ini")));
        QVERIFY(rig.device.xml()->loadFile(sourceFile(QLatin1String(EffectsFile))));
        if (file != QLatin1String(EffectsFile))
            QVERIFY2(rig.device.xml()->loadFile(sourceFile(file)),
                     qPrintable(rig.device.xml()->errorString()));
        PanelLint lint(&rig.device);
        lint.allowDisabled({QStringLiteral("edit1")});
        lint.allowBankSets({QStringLiteral("PLGxx")});
        QCOMPARE(lint.check(), QStringList());
    }

    void standardXml_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("bare");
        QTest::newRow("effects") << QString::fromLatin1(EffectsFile) << false;
        for (const EditorLayout& layout : editorLayouts())
            QTest::newRow(qPrintable(layout.program)) << layout.file << layout.bareAmpersand;
    }

    void standardXml()
    {
        QFETCH(QString, file);
        QFETCH(bool, bare);
        QByteArray bytes = fileBytes(sourceFile(file));
        QVERIFY(!bytes.isEmpty());
        const QString text = QString::fromUtf8(bytes);
        QCOMPARE(text.contains(bareAmpersand()), bare);
        QCOMPARE(text.contains(QLatin1String("&amp;")), !bare && text.contains(QLatin1Char('&')));
        QXmlStreamReader standard(QString(text).replace(bareAmpersand(), QStringLiteral("&amp;")));
        while (!standard.atEnd())
            standard.readNext();
        QVERIFY2(!standard.hasError(), qPrintable(standard.errorString()));
    }
};

ORVANE_TEST_MAIN(TestLayoutFiles)
#include "tst_layoutfiles.moc"
