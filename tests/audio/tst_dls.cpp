// DLS banks: the wave pool in its formats, instruments and the regions they
// turn into samples (ranges, root key, first loop, linked sound), and banks
// with missing, misnamed or damaged parts. The fixtures are hand-made by
// tools/gen_instrument_fixtures.py and read by dlsdump (gigtools) too, which
// must see the same instruments, regions and waves (without it the check
// skips, and fails under CI=true).
#include "AudioFixtures.h"
#include "GIG_Document.h"
#include "TestEnvironment.h"

#include <QRegularExpression>

using namespace AudioFixtures;

namespace {

QString bankPath(const QString& name)
{
    return fixturePath(QStringLiteral("instruments/dls/") + name);
}

// rate/bits/channels frames
QString describe(const AudioWave& w)
{
    return QStringLiteral("%1/%2/%3 %4").arg(w.rate).arg(w.bits).arg(w.channels).arg(w.sampleLength());
}

} // namespace

class TestDls : public QObject
{
    Q_OBJECT

private slots:
    void readsBank();
    void damagedBanks();
    void agreesWithDlsdump();
};

void TestDls::readsBank()
{
    GIG_Document doc;
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("bank.dls"))));
    QStringList pool;
    for (const AudioWave& w : std::as_const(doc.wavePool))
        pool << describe(w);
    QCOMPARE(pool, QStringList({"22050/16/1 40", "11025/8/2 25", "48000/24/1 17"}));
    // The ramps of the fixture script: channel 1 of the stereo wave steps
    // differently from channel 0.
    QCOMPARE(doc.wavePool[0].getPoint(0, 1), -32768 + 37);
    QCOMPARE(doc.wavePool[1].getPoint(1, 1), -128 + 11 + 91);
    QCOMPARE(doc.wavePool[2].getPoint(0, 2), -8388608 + 74);

    QCOMPARE(doc.instruments.size(), 2);
    const Instrument& organ = *doc.instruments[0];
    QCOMPARE(organ.name, QStringLiteral("Organ"));
    QCOMPARE(organ.samples.size(), 3);
    QStringList zones;
    for (const Sample* s : organ.samples) {
        zones << QStringLiteral("%1-%2 %3-%4 root %5 loop %6 %7-%8")
                     .arg(s->keyLow).arg(s->keyHigh).arg(s->velocityLow).arg(s->velocityHigh).arg(s->rootKey)
                     .arg(s->loopMode).arg(s->loopStart).arg(s->loopEnd);
    }
    // The first region has two loops: the first one counts.
    QCOMPARE(zones, QStringList({"0-47 0-127 root 48 loop 1 4-34", "48-71 0-63 root 60 loop 0 0-0",
                                 "48-71 64-127 root 60 loop 1 2-22"}));
    // Two regions linking one wave share its sound and format.
    QCOMPARE(describe(*organ.samples[1]), QStringLiteral("11025/8/2 25"));
    QCOMPARE(organ.samples[1]->left, doc.wavePool[1].left);
    QCOMPARE(organ.samples[2]->right, doc.wavePool[1].right);
    QCOMPARE(describe(*doc.instruments[1]->samples[0]), QStringLiteral("48000/24/1 17"));
}

void TestDls::damagedBanks()
{
    // A pool and no instruments.
    GIG_Document doc;
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("pool-only.dls"))));
    QCOMPARE(doc.wavePool.size(), 1);
    QCOMPARE(doc.instruments.size(), 0);

    // No name; a link past the pool, one inside it, none at all.
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("bad-link.dls"))));
    QCOMPARE(doc.wavePool.size(), 1);
    QCOMPARE(doc.instruments.size(), 1);
    const Instrument& nameless = *doc.instruments[0];
    QCOMPARE(nameless.name, QString());
    QStringList samples;
    for (const Sample* s : nameless.samples)
        samples << QStringLiteral("%1 root %2").arg(describe(*s)).arg(s->rootKey);
    QCOMPARE(samples, QStringList({"44100/16/1 0 root 60", "22050/16/1 40 root 61", "44100/16/1 0 root 84"}));

    // Chunks of size zero, and one whose size runs past the file: everything
    // before them is read, and loading ends.
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("bad-sizes.dls"))));
    QCOMPARE(doc.instruments.size(), 1);
    QCOMPARE(doc.instruments[0]->samples.size(), 1);
    const Sample& sized = *doc.instruments[0]->samples[0];
    QCOMPARE(QList<int>({sized.keyLow, sized.keyHigh}), QList<int>({10, 20}));
    QCOMPARE(sized.sampleLength(), 40);

    // Not RIFF; and short region chunks give zeros for what they lack.
    QVERIFY(!loadBytes(doc, QByteArray("FORM\0\0\0\4AIFF", 12)));
    QCOMPARE(doc.instruments.size(), 0);
    const QByteArray region = riffChunk("LIST", "rgn " + riffChunk("rgnh", le(5, 2)) +
                                                    riffChunk("wsmp", le(20, 4) + le(50, 2)) +
                                                    riffChunk("wlnk", le(0, 2)));
    const QByteArray ins = riffChunk("LIST", "ins " + riffChunk("LIST", "lrgn" + region));
    QVERIFY(loadBytes(doc, riffFile("DLS ", riffChunk("LIST", "lins" + ins))));
    const Sample& shortRegion = *doc.instruments[0]->samples[0];
    QCOMPARE(QList<int>({shortRegion.keyLow, shortRegion.keyHigh, shortRegion.rootKey, shortRegion.loopMode}),
             QList<int>({5, 0, 50, 0}));
    QVERIFY(!shortRegion.isValid());
}

void TestDls::agreesWithDlsdump()
{
    REQUIRE_TOOL(dlsdump, "dlsdump");
    const QString path = bankPath(QStringLiteral("bank.dls"));
    QString error;
    const QByteArray out = run(dlsdump, {path}, &error);
    QVERIFY2(!out.isNull(), qPrintable(error));

    GIG_Document doc;
    QVERIFY(doc.loadFile(path));
    // The pool as dlsdump lists it: name, rate, channels.
    static const QRegularExpression waveRe(QStringLiteral("^\\s+Sample \\d+\\) \"(.*)\", (\\d+)Hz, (\\d+) Channels$"));
    static const QRegularExpression instrumentRe(QStringLiteral("^\\s+Instrument \\d+\\) \"(.*)\","));
    static const QRegularExpression regionRe(QStringLiteral(
        "^\\s+Region \\d+\\) Sample: \"(.*)\", (\\d+)Hz, KeyRange=(\\d+)-(\\d+), VelocityRange=(\\d+)-(\\d+),"));
    static const QRegularExpression loopsRe(QStringLiteral("^\\s+Loops=(\\d+)$"));
    QStringList waveNames;
    QStringList theirs;
    QStringList ours;
    for (const QString& line : QString::fromLatin1(out).split(QLatin1Char('\n'))) {
        QRegularExpressionMatch m;
        if ((m = waveRe.match(line)).hasMatch()) {
            waveNames << m.captured(1);
            theirs << QStringLiteral("wave %1 %2").arg(m.captured(2), m.captured(3));
        } else if ((m = instrumentRe.match(line)).hasMatch()) {
            theirs << m.captured(1);
        } else if ((m = regionRe.match(line)).hasMatch()) {
            theirs << QStringLiteral("wave %1: %2 keys %3-%4 velocities %5-%6")
                          .arg(waveNames.indexOf(m.captured(1)))
                          .arg(m.captured(2), m.captured(3), m.captured(4), m.captured(5), m.captured(6));
        } else if ((m = loopsRe.match(line)).hasMatch()) {
            theirs.last() += m.captured(1).toInt() > 0 ? QStringLiteral(" loops") : QString();
        }
    }
    for (const AudioWave& w : std::as_const(doc.wavePool))
        ours << QStringLiteral("wave %1 %2").arg(w.rate).arg(w.channels);
    for (const Instrument* i : std::as_const(doc.instruments)) {
        ours << i->name;
        for (const Sample* s : i->samples) {
            int wave = -1;
            for (int k = 0; k < doc.wavePool.size(); ++k) {
                if (doc.wavePool[k].left == s->left && doc.wavePool[k].right == s->right)
                    wave = k;
            }
            ours << QStringLiteral("wave %1: %2 keys %3-%4 velocities %5-%6%7")
                        .arg(wave).arg(s->rate).arg(s->keyLow).arg(s->keyHigh).arg(s->velocityLow)
                        .arg(s->velocityHigh).arg(s->loopMode == Sample::LoopForward ? " loops" : "");
        }
    }
    QCOMPARE(ours, theirs);
}

ORVANE_TEST_GUILESS_MAIN(TestDls)
#include "tst_dls.moc"
