// Multi-sample files: which document a file gets by its header, what the
// instrument list takes from it, and that the list is sorted afterwards. Also
// checks that the committed instrument fixtures are what their script writes.
#include "AudioFixtures.h"
#include "Prompts.h"
#include "SampleFile.h"
#include "TestEnvironment.h"

#include <QDirIterator>
#include <QTemporaryDir>

using namespace AudioFixtures;

class TestSampleFile : public QObject
{
    Q_OBJECT

private slots:
    void fixturesRegenerate();
    void readsByHeader_data();
    void readsByHeader();
};

void TestSampleFile::fixturesRegenerate()
{
    REQUIRE_TOOL(python, "python3");
    QTemporaryDir dir;
    QString error;
    QVERIFY2(!run(python, {QStringLiteral(ORVANE_SOURCE_DIR "/tools/gen_instrument_fixtures.py"), dir.path()}, &error)
                  .isNull(),
             qPrintable(error));
    auto files = [](const QString& root) {
        QStringList names;
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            names << it.next().mid(root.size());
        names.sort();
        return names;
    };
    const QString committed = fixturePath(QStringLiteral("instruments"));
    const QStringList names = files(committed);
    QCOMPARE(files(dir.path()), names);
    for (const QString& name : names) {
        QFile a(committed + name);
        QFile b(dir.path() + name);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY2(a.readAll() == b.readAll(), qPrintable(name + QStringLiteral(" differs")));
    }
}

void TestSampleFile::readsByHeader_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // written to a temporary file when not empty
    QTest::addColumn<QStringList>("instruments");
    QTest::newRow("SoundFont") << "instruments/sf2/bank.sf2" << QByteArray()
                               << QStringList{"Empty:0", "Piano:2", "Strings:2", "Zither:0"};
    QTest::newRow("DLS") << "instruments/dls/bank.dls" << QByteArray()
                         << QStringList{"Bass:1", "Organ:3", "Zither:0"};
    QTest::newRow("program") << "instruments/akp/Strings.old.akp" << QByteArray()
                             << QStringList{"Strings:6", "Zither:0"};
    // Single sample files and the unreadable kind add nothing, and no message.
    QTest::newRow("WAV") << "zone.wav" << QByteArray() << QStringList{"Zither:0"};
    QTest::newRow("CcnKFPCh") << "" << QByteArray("Ccn\0\0\0\0\0KFPChdata", 17) << QStringList{"Zither:0"};
    QTest::newRow("missing") << "" << QByteArray() << QStringList{"Zither:0"};
}

void TestSampleFile::readsByHeader()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QString path = file.isEmpty() ? dir.filePath(QStringLiteral("input")) : fixturePath(file);
    if (!bytes.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    ScriptedPrompts prompts;
    SampleFile list;
    // What the list held stays, and everything ends up sorted by name.
    list.append(new Instrument(QStringLiteral("Zither")));
    QVERIFY(list.fromFile(path));
    QStringList got;
    int samples = 0;
    for (const Instrument* i : std::as_const(list)) {
        got << QStringLiteral("%1:%2").arg(i->name).arg(i->samples.size());
        samples += i->samples.size();
    }
    QTEST(got, "instruments");
    QCOMPARE(list.ridevSamples(), samples);
    QCOMPARE(prompts.calls().size(), 0);
    QCOMPARE(SampleFile::SupportedFormats(), QStringList({"sf2", "gig", "akp", "wav", "aif", "aiff"}));
}

ORVANE_TEST_GUILESS_MAIN(TestSampleFile)
#include "tst_samplefile.moc"
