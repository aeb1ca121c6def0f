// Sampler programs: one instrument named after the file, one sample per
// keygroup with the key range of its location, the velocities and sound of
// its first zone (a WAV file beside the program), and keygroups whose
// sub-chunk sizes or zone names cannot be trusted. The program and its WAV
// files are hand-made by tools/gen_instrument_fixtures.py.
#include "AKP_Document.h"
#include "AudioFixtures.h"
#include "Prompts.h"
#include "TestEnvironment.h"

using namespace AudioFixtures;

namespace {

QString programPath()
{
    return fixturePath(QStringLiteral("instruments/akp/Strings.old.akp"));
}

} // namespace

class TestAkp : public QObject
{
    Q_OBJECT

private slots:
    void readsProgram();
    void soundPaths_data();
    void soundPaths();
    void damagedPrograms();
};

void TestAkp::readsProgram()
{
    ScriptedPrompts prompts;
    AKP_Document doc;
    QVERIFY(doc.loadFile(programPath()));
    QCOMPARE(doc.instruments.size(), 1);
    const Instrument& program = *doc.instruments[0];
    QCOMPARE(program.name, QStringLiteral("Strings"));

    Sample violin;
    violin.fromFile(fixturePath(QStringLiteral("instruments/akp/Violin C3.wav")));
    QVERIFY(violin.isValid());
    Sample cello;
    cello.fromFile(fixturePath(QStringLiteral("instruments/akp/Cello.wav")));
    QVERIFY(cello.isValid());

    QStringList zones;
    for (const Sample* s : program.samples) {
        const QString sound = s->left == violin.left ? QStringLiteral("violin")
                              : s->left == cello.left ? QStringLiteral("cello")
                              : s->isValid()          ? QStringLiteral("other")
                                                      : QStringLiteral("none");
        zones << QStringLiteral("%1-%2 %3-%4 %5").arg(s->keyLow).arg(s->keyHigh).arg(s->velocityLow)
                     .arg(s->velocityHigh).arg(sound);
    }
    QCOMPARE(zones, QStringList({
                        "36-59 10-100 violin", // four zones: the first one's sound
                        "0-0 1-126 cello",     // a zone before any key location
                        "73-84 20-90 violin",  // sub-chunks of size 0 and past the keygroup
                        "85-96 0-127 none",    // "../outside": outside.wav is not read
                        "97-100 0-127 none",   // "/tmp/outside"
                        "101-127 0-127 none",  // no such file
                    }));
    // The rest of the zone is what the WAV file holds.
    const Sample& first = *program.samples[0];
    QCOMPARE(first.rate, 32000.0);
    QCOMPARE(QList<int>({first.rootKey, first.loopMode, first.loopStart, first.loopEnd}),
             QList<int>({48, 1, 6, 40}));
    QCOMPARE(program.samples[5]->rootKey, 60);
    // A missing sound is no error to show.
    QCOMPARE(prompts.calls().size(), 0);
}

void TestAkp::soundPaths_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("beside") << "/banks" << "Violin C3" << "/banks/Violin C3.wav";
    QTest::newRow("dots only") << "/banks" << ".." << "/banks/...wav";
    QTest::newRow("parent") << "/banks" << "../secret" << "";
    QTest::newRow("absolute") << "/banks" << "/etc/passwd" << "";
    QTest::newRow("sub-folder") << "/banks" << "more/x" << "";
    QTest::newRow("no folder") << "" << "Violin C3" << "";
}

void TestAkp::soundPaths()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QTEST(AKP_Document::soundPath(folder, name), "path");
}

void TestAkp::damagedPrograms()
{
    // Not RIFF: still one instrument, without zones.
    AKP_Document doc;
    QVERIFY(loadBytes(doc, QByteArray("not a program at all")));
    QCOMPARE(doc.instruments.size(), 1);
    QCOMPARE(doc.instruments[0]->samples.size(), 0);

    // Keygroups of nothing but empty sub-chunks, of a part header, and of
    // sizes past the keygroup: each ends, and gives its sample.
    const QByteArray kloc = "kloc" + le(16, 4) + QByteArray("\1\3\1\4\x30\x40", 6) + QByteArray(10, 0);
    const QByteArray zone = "zone" + le(46, 4) + QByteArray(34, 0) + QByteArray("\x05\x06", 2) + QByteArray(10, 0);
    const QByteArray groups = riffChunk("kgrp", QByteArray("env ") + le(0, 4) + "filt" + le(0, 4)) +
                              riffChunk("kgrp", kloc + "zon") +
                              riffChunk("kgrp", kloc + "zone" + le(0xFFFFFFFF, 4) + QByteArray(40, 0)) +
                              riffChunk("kgrp", kloc + zone + "kloc" + le(0x80000000, 4) + "\x7f\x7f\x7f\x7f\x7f");
    QVERIFY(loadBytes(doc, riffFile("APRG", riffChunk("prg ", QByteArray(6, 0)) + groups)));
    QCOMPARE(doc.instruments[0]->name, QString());
    QStringList zones;
    for (const Sample* s : doc.instruments[0]->samples) {
        zones << QStringLiteral("%1-%2 %3-%4").arg(s->keyLow).arg(s->keyHigh).arg(s->velocityLow)
                     .arg(s->velocityHigh);
        // Read from memory, a program has no folder to load sounds from.
        QVERIFY(!s->isValid());
    }
    QCOMPARE(zones, QStringList({"0-127 0-127", "0-127 0-127", "48-64 0-0", "48-64 5-6"}));
}

ORVANE_TEST_GUILESS_MAIN(TestAkp)
#include "tst_akp.moc"
