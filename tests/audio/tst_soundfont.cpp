// SoundFont 2 banks: the sample headers and their sound, the zones each
// instrument gets with the generators they keep, banks whose tables are
// missing, short or inconsistent, and the samples the multi-sample import
// makes of them. The fixtures are hand-made by tools/gen_instrument_fixtures.py;
// Debian's TimGM6mb.sf2 and the fixture bank are also read by sf2dump
// (gigtools), which must see the same samples and zones (without the tools
// these skip, and fail under CI=true).
#include "AudioFixtures.h"
#include "SF2_Document.h"
#include "SampleFile.h"
#include "TestEnvironment.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace AudioFixtures;

namespace {

QString bankPath(const QString& name)
{
    return fixturePath(QStringLiteral("instruments/sf2/") + name);
}

const char* const TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

QStringList keybankCounts(const SF2_Document& doc)
{
    QStringList out;
    for (const SF2_Instrument& inst : doc.instruments)
        out << QStringLiteral("%1:%2").arg(inst.name).arg(inst.keybanks.size());
    return out;
}

// What sf2dump prints of a bank's samples and instrument zones.
struct DumpSample
{
    QString name;
    qint64 rate = 0, pitch = 0, correction = 0, start = 0, end = 0, loopStart = 0, loopEnd = 0;
};

struct DumpRegion
{
    QString sample;
    int fineTune = 0;
    int coarseTune = 0;
    int rootKey = -1;
    bool loops = false;
    qint64 loopStart = 0, loopEnd = 0;
    int keyLow = 0, keyHigh = 127, velocityLow = 0, velocityHigh = 127;
};

struct DumpInstrument
{
    QString name;
    QList<DumpRegion> regions;
};

struct Dump
{
    QList<DumpSample> samples;
    QList<DumpInstrument> instruments;
};

Dump parseSf2dump(const QString& text)
{
    static const QRegularExpression sampleRe(
        QStringLiteral("^\\t(.*) \\(Depth: \\d+, SampleRate: (\\d+), Pitch: (\\d+), Pitch Correction: (\\d+)$"));
    static const QRegularExpression pointsRe(
        QStringLiteral("^\\t\\tStart: (\\d+), End: (\\d+), Start Loop: (\\d+), End Loop: (\\d+)$"));
    static const QRegularExpression instrumentRe(QStringLiteral("^\\t(.*) \\(Instrument bag: \\d+\\)$"));
    static const QRegularExpression regionSampleRe(QStringLiteral("^\\t\\t    Sample: (.*), Fine Tune: (-?\\d+)(.*)$"));
    static const QRegularExpression rangesRe(QStringLiteral(
        "^\\t\\t    Key range=(?:None|(\\d+)-(\\d+)), Velocity range=(?:None|(\\d+)-(\\d+))$"));
    static const QRegularExpression fieldRe(QStringLiteral(", ([A-Za-z ]+): (-?\\d+)"));

    Dump dump;
    enum { None, Samples, Instruments } section = None;
    DumpRegion* region = nullptr;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Samples (")))
            section = Samples;
        else if (line.startsWith(QLatin1String("Instruments (")))
            section = Instruments;
        else if (line.startsWith(QLatin1String("Presets (")))
            section = None;
        QRegularExpressionMatch m;
        if (section == Samples) {
            if ((m = sampleRe.match(line)).hasMatch()) {
                DumpSample s;
                s.name = m.captured(1);
                s.rate = m.captured(2).toLongLong();
                s.pitch = m.captured(3).toLongLong();
                s.correction = m.captured(4).toLongLong();
                dump.samples.append(s);
            } else if ((m = pointsRe.match(line)).hasMatch() && !dump.samples.isEmpty()) {
                DumpSample& s = dump.samples.last();
                s.start = m.captured(1).toLongLong();
                s.end = m.captured(2).toLongLong();
                s.loopStart = m.captured(3).toLongLong();
                s.loopEnd = m.captured(4).toLongLong();
            }
        } else if (section == Instruments) {
            if ((m = instrumentRe.match(line)).hasMatch()) {
                dump.instruments.append({m.captured(1), {}});
                region = nullptr;
            } else if (line.startsWith(QLatin1String("\t\tGlobal Region"))) {
                region = nullptr;
            } else if (line.startsWith(QLatin1String("\t\tRegion ")) && !dump.instruments.isEmpty()) {
                dump.instruments.last().regions.append(DumpRegion());
                region = &dump.instruments.last().regions.last();
            } else if (region != nullptr && (m = regionSampleRe.match(line)).hasMatch()) {
                region->sample = m.captured(1);
                region->fineTune = m.captured(2).toInt();
                auto fields = fieldRe.globalMatch(m.captured(3));
                while (fields.hasNext()) {
                    const QRegularExpressionMatch f = fields.next();
                    const QString key = f.captured(1);
                    const qint64 value = f.captured(2).toLongLong();
                    if (key == QLatin1String("Coarse Tune"))
                        region->coarseTune = int(value);
                    else if (key == QLatin1String("Overriding Root Key"))
                        region->rootKey = int(value);
                    else if (key == QLatin1String("Loop Start"))
                        region->loops = true, region->loopStart = value;
                    else if (key == QLatin1String("Loop End"))
                        region->loopEnd = value;
                }
            } else if (region != nullptr && (m = rangesRe.match(line)).hasMatch()) {
                if (m.hasCaptured(1)) {
                    region->keyLow = m.captured(1).toInt();
                    region->keyHigh = m.captured(2).toInt();
                }
                if (m.hasCaptured(3)) {
                    region->velocityLow = m.captured(3).toInt();
                    region->velocityHigh = m.captured(4).toInt();
                }
            }
        }
    }
    return dump;
}

// The first difference between the dump and what was read; "" when none.
QString compareSamples(const Dump& dump, const SF2_Document& doc)
{
    if (dump.samples.size() != doc.samples.size())
        return QStringLiteral("%1 samples, sf2dump %2").arg(doc.samples.size()).arg(dump.samples.size());
    for (int i = 0; i < dump.samples.size(); ++i) {
        const DumpSample& d = dump.samples[i];
        const SF2_Sample& s = *doc.samples[i];
        const QList<qint64> ours{s.sampleRate, s.pitch, quint8(s.pitchCorrection), s.start, s.end,
                                 s.loopStart, s.loopEnd, s.wave.sampleLength()};
        const QList<qint64> theirs{d.rate, d.pitch, d.correction, d.start, d.end, d.loopStart, d.loopEnd,
                                   d.end - d.start};
        if (s.name != d.name || ours != theirs)
            return QStringLiteral("sample %1: %2 differs from sf2dump's %3").arg(i).arg(s.toString(), d.name);
    }
    return QString();
}

QString compareZones(const Dump& dump, SF2_Document& doc)
{
    SampleFile file;
    file.fromSF2(doc); // one instrument per instrument of the bank, in its order
    if (dump.instruments.size() != file.size())
        return QStringLiteral("%1 instruments, sf2dump %2").arg(file.size()).arg(dump.instruments.size());
    for (int i = 0; i < file.size(); ++i) {
        const DumpInstrument& d = dump.instruments[i];
        const SF2_Instrument& inst = doc.instruments[i];
        const Instrument& ours = *file[i];
        const QString where = QStringLiteral("instrument %1 '%2'").arg(i).arg(inst.name);
        if (inst.name != d.name || ours.name != d.name)
            return where + QStringLiteral(": sf2dump names it '%1'").arg(d.name);
        if (inst.keybanks.size() != d.regions.size() || ours.samples.size() != d.regions.size())
            return where + QStringLiteral(": %1 zones, sf2dump %2").arg(inst.keybanks.size()).arg(d.regions.size());
        for (int j = 0; j < d.regions.size(); ++j) {
            const DumpRegion& r = d.regions[j];
            const SF2_Sample* s = doc.sampleAt(inst.keybanks[j].sample);
            const Sample& z = *ours.samples[j];
            const int coarse = qBound(0, r.coarseTune + 64, 127);
            const int fine = (r.fineTune * 126 + 12474) / 198 + 1;
            const int root = r.rootKey != -1 ? r.rootKey : int(s->pitch);
            const QList<qint64> got{z.keyLow, z.keyHigh, z.velocityLow, z.velocityHigh, z.rootKey, z.coarseTune,
                                    z.fineTune};
            const QList<qint64> want{r.keyLow, r.keyHigh, r.velocityLow, r.velocityHigh, root, coarse, fine};
            bool same = s->name == r.sample && got == want;
            // sf2dump shows the loop of every looping mode; a zone here loops
            // only in the mode that loops continuously.
            if (r.loops)
                same = same && z.loopStart == r.loopStart && z.loopEnd == r.loopEnd;
            else
                same = same && z.loopMode == Sample::LoopOff;
            if (!same)
                return where + QStringLiteral(" zone %1 (%2) differs from sf2dump's").arg(j).arg(s->name);
        }
    }
    return QString();
}

} // namespace

class TestSoundFont : public QObject
{
    Q_OBJECT

private slots:
    void readsBank();
    void zonesGoToTheirInstruments_data();
    void zonesGoToTheirInstruments();
    void headersOfRateZero();
    void pointsOutsideThePool();
    void importedSamples();
    void texts();
    void agreesWithSf2dump_data();
    void agreesWithSf2dump();
};

void TestSoundFont::readsBank()
{
    SF2_Document doc;
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("bank.sf2"))));
    QCOMPARE(doc.name, QStringLiteral("Test Bank"));
    QCOMPARE(doc.samples.size(), 3);
    const SF2_Sample& a = *doc.samples[0];
    QCOMPARE(a.name, QStringLiteral("Ramp A"));
    QCOMPARE(a.sampleRate, 22050u);
    QCOMPARE(a.pitch, quint8(57));
    QCOMPARE(a.pitchCorrection, qint8(-7));
    QCOMPARE(a.data.size(), 2400);
    QCOMPARE(a.wave.sampleLength(), 1200);
    QCOMPARE(a.wave.getPoint(0, 1), 97 + 500 - 30000);
    const SF2_Sample& c = *doc.samples[2];
    QCOMPARE(c.start, 1592u);
    QCOMPARE(c.data.bytes(), doc.sampleData.bytes().mid(2 * 1592, 2 * 64));

    // The global zone gives no keybank and none of its values; "Empty" owns
    // no zone, so Strings keeps both of its own.
    QCOMPARE(keybankCounts(doc), QStringList({"Piano:2", "Empty:0", "Strings:2"}));
    QCOMPARE(doc.ridevKeybanks(), 4);
    const SF2_Keybank& k1 = doc.instruments[0].keybanks[0];
    const QList<int> first{k1.sample, k1.loop, k1.velocityLow, k1.velocityHigh, k1.keyLow, k1.keyHigh, k1.pan,
                           k1.rootKey, k1.startOffset, k1.loopStartOffset, k1.loopEndOffset, k1.coarseTune,
                           k1.fineTune};
    // keyRange 0x3C24, pan -250, root key 55, offsets 2/10/-3, coarse -70
    // (limited), fine -50.
    QCOMPARE(first, QList<int>({0, 1, 0, 100, 36, 60, 32, 55, 2, 10, -3, 0, 32}));
    const SF2_Keybank& k2 = doc.instruments[0].keybanks[1];
    const QList<int> second{k2.sample, k2.loop, k2.velocityLow, k2.velocityHigh, k2.keyLow, k2.keyHigh, k2.pan,
                            k2.rootKey, k2.startOffset, k2.loopStartOffset, k2.loopEndOffset, k2.coarseTune,
                            k2.fineTune};
    // Sample mode 3 (loop with release) is no loop; pan 250, coarse 12, fine 50.
    QCOMPARE(second, QList<int>({2, 0, 101, 127, 61, 127, 95, -1, 0, 0, 0, 76, 95}));
    const SF2_Keybank& k3 = doc.instruments[2].keybanks[0];
    QCOMPARE(QList<int>({k3.sample, k3.loop, k3.keyLow, k3.keyHigh, k3.pan, k3.coarseTune}),
             QList<int>({1, 1, 0, 59, 64, 64}));

    // Loading again starts from nothing.
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("bank.sf2"))));
    QCOMPARE(doc.samples.size(), 3);
    QCOMPARE(doc.ridevKeybanks(), 4);
}

void TestSoundFont::zonesGoToTheirInstruments_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<int>("bags");
    QTest::addColumn<int>("gens");
    QTest::newRow("laid out as asked") << "bank.sf2" << QStringList{"Piano:2", "Empty:0", "Strings:2"} << 6 << 27;
    // Without its terminal record the last zone is still closed.
    QTest::newRow("no terminal generator")
        << "no-terminal.sf2" << QStringList{"Piano:2", "Empty:0", "Strings:2"} << 6 << 26;
    // Zones and generators with no instrument to own them.
    QTest::newRow("no instrument table") << "no-instruments.sf2" << QStringList() << 6 << 27;
    // Generators with no zone to own them.
    QTest::newRow("no zone table") << "no-bags.sf2" << QStringList{"Piano:0", "Empty:0", "Strings:0"} << 0 << 27;
}

void TestSoundFont::zonesGoToTheirInstruments()
{
    QFETCH(QString, file);
    QFETCH(QStringList, counts);
    SF2_Document doc;
    QVERIFY(doc.loadFile(bankPath(file)));
    QTEST(int(doc.bags.size()), "bags");
    QTEST(int(doc.gens.size()), "gens");
    QCOMPARE(keybankCounts(doc), counts);
    QCOMPARE(doc.samples.size(), 3);
}

void TestSoundFont::headersOfRateZero()
{
    // Headers 0, 2 and 3 have sounds; header 1 has rate 0, and zones name
    // 0, 2, 3, 1 and a header past the table.
    SF2_Document doc;
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("rate-zero.sf2"))));
    QCOMPARE(doc.samples.size(), 3);
    QCOMPARE(doc.samples[1]->index, 2);
    QCOMPARE(doc.instruments[0].keybanks.size(), 5);
    QVERIFY(doc.sampleAt(1) == nullptr);
    QVERIFY(doc.sampleAt(99) == nullptr);
    QCOMPARE(doc.sampleAt(3)->name, QStringLiteral("Third"));

    SampleFile file;
    file.fromSF2(doc);
    QCOMPARE(file.size(), 1);
    QList<int> rates, lengths;
    for (const Sample* s : file[0]->samples) {
        rates << int(s->rate);
        lengths << s->sampleLength();
    }
    QCOMPARE(rates, QList<int>({11025, 22050, 44100}));
    QCOMPARE(lengths, QList<int>({40, 50, 60}));
    QCOMPARE(file.ridevSamples(), 3);
}

void TestSoundFont::pointsOutsideThePool()
{
    // Byte offsets past 2^32, an end past the pool, an end before the start:
    // each header stays, without sound.
    SF2_Document doc;
    QVERIFY(doc.loadFile(bankPath(QStringLiteral("bad-points.sf2"))));
    QStringList got;
    for (const SF2_Sample* s : doc.samples)
        got << QStringLiteral("%1:%2:%3").arg(s->name).arg(s->data.size()).arg(s->wave.sampleLength());
    QCOMPARE(got, QStringList({"Good:60:30", "Huge:0:0", "Past:0:0", "Backward:0:0"}));
}

void TestSoundFont::importedSamples()
{
    SampleFile file;
    file.append(new Instrument(QStringLiteral("Zither")));
    QVERIFY(file.fromFile(bankPath(QStringLiteral("bank.sf2"))));
    QStringList names;
    for (const Instrument* i : std::as_const(file))
        names << QStringLiteral("%1:%2").arg(i->name).arg(i->samples.size());
    QCOMPARE(names, QStringList({"Empty:0", "Piano:2", "Strings:2", "Zither:0"}));
    QCOMPARE(file.ridevSamples(), 4);

    const Sample& a = *file[1]->samples[0];
    QCOMPARE(a.rate, 22050.0);
    QCOMPARE(a.bits, 16);
    QCOMPARE(a.channels, 1);
    QCOMPARE(a.sampleLength(), 1200);
    const QList<int> zone{a.rootKey, a.keyHigh, a.keyLow, a.velocityHigh, a.velocityLow, a.volume, a.pan,
                          a.loopMode, a.startOffset, a.loopStart, a.loopEnd, a.coarseTune, a.fineTune};
    // The loop starts 1000 points into the sample, and the zone moves it on
    // by 10 and its end back by 3.
    QCOMPARE(zone, QList<int>({55, 60, 36, 100, 0, 127, 32, 1, 2, 1010, 1147, 0, 32}));
    // A zone without a root key takes the header's pitch.
    const Sample& c = *file[1]->samples[1];
    QCOMPARE(c.rootKey, 72);
    QCOMPARE(c.loopMode, int(Sample::LoopOff));
    QCOMPARE(QList<int>({c.loopStart, c.loopEnd}), QList<int>({8, 60}));
}

void TestSoundFont::texts()
{
    const QList<QPair<int, QString>> names{
        {0, "startAddrsOffset"}, {13, "modLfoToVolume"}, {14, "14"}, {17, "pan"}, {20, "20"},
        {21, "delayModLFO"}, {40, "keynumToVolEnvDecay"}, {41, "41"}, {42, "42"}, {43, "keyRange"},
        {48, "initialAttenuation"}, {49, "49"}, {52, "fineTune"}, {53, "53"}, {54, "sampleModes"}, {55, "55"},
        {58, "overridingRootKey"}, {59, "59"}, {-1, "-1"}};
    for (const auto& [oper, name] : names)
        QCOMPARE(PrintGenerator(oper), name);

    SF2_Sample s;
    s.name = QStringLiteral("Bell");
    s.sampleRate = 44100;
    s.sampleLink = 3;
    s.start = 100;
    s.end = 90;
    s.loopStart = 95;
    s.loopEnd = 99;
    QCOMPARE(s.toString(), QStringLiteral(">'Bell' rate=44100 link=3 type=monoSample size=-10 pos=100-90 loop=95-99"));
    s.sampleType = SF2_Sample::LinkedSample;
    QVERIFY(s.toString().contains(QStringLiteral(" type=linkedSample ")));
    s.sampleType = 0x8001;
    QVERIFY(s.toString().contains(QStringLiteral(" type=32769 ")));
}

void TestSoundFont::agreesWithSf2dump_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("TimGM6mb.sf2") << QString::fromLatin1(TimGM6mb);
    QTest::newRow("bank.sf2") << bankPath(QStringLiteral("bank.sf2"));
}

void TestSoundFont::agreesWithSf2dump()
{
    QFETCH(QString, path);
    REQUIRE_TOOL(sf2dump, "sf2dump");
    if (!QFileInfo::exists(path)) {
        const QString why = path + QStringLiteral(" is missing (tools/deps installs timgm6mb-soundfont)");
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            QFAIL(qPrintable(why));
        QSKIP(qPrintable(why));
    }
    QString error;
    const QByteArray out = run(sf2dump, {path}, &error);
    QVERIFY2(!out.isNull(), qPrintable(error));
    const Dump dump = parseSf2dump(QString::fromLatin1(out));
    QVERIFY(!dump.samples.isEmpty() && !dump.instruments.isEmpty());

    SF2_Document doc;
    QVERIFY(doc.loadFile(path));
    const QString samples = compareSamples(dump, doc);
    QVERIFY2(samples.isEmpty(), qPrintable(samples));
    const QString zones = compareZones(dump, doc);
    QVERIFY2(zones.isEmpty(), qPrintable(zones));
}

ORVANE_TEST_GUILESS_MAIN(TestSoundFont)
#include "tst_soundfont.moc"
