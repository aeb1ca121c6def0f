// The voice copier engine: the changes it makes against the rows written out
// here a second time, and what reaches the instrument and the clients.
#include "BulkDump.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "TestSysex.h"
#include "VeskRig.h"
#include "VirtualMidiBus.h"
#include "VoiceCopier.h"
#include "VoiceCopierInfo.h"

#include <QRegularExpression>

#include <functional>

namespace {

using Change = VoiceCopier::Change;

// The rows of a copy, one text per row or range, in sending order:
//   <target><offset>[-<last>[/<step>]] <size> <source>[|<drum source>]
// targets: C common, R reverb, H chorus, A insertion A, B insertion B, E master
// EQ, P part. Sources: =hh a constant; c, g, r, h, a, b a byte (a pair for
// size 2) of the common, general, reverb, chorus, insertion A or B block, at
// the destination offset or at the hex offset given; msb, lsb, prg of the
// voice; sw the insert-effect switch word; rx the receive switches.
const QStringList NameRows = {"C00-09 1 c", "C0C-0D 1 c"};
const QStringList VoiceRows = {
    "C34 1 c",       "C35 1 =40",     "C37-3D 1 =40", "C47-51 1 =40",   "C40-44 1 =40", "C3E 1 c",
    "C3F 1 c",       "C45 1 c",       "C46 1 c",      "C52 1 =7F",      "C53 1 =40",    "C54 1 =1",
    "C55 1 =7F",     "C56 1 =7F",     "C60 4 sw",     "E00-10/4 1 =40", "P00 1 msb",    "P01 1 lsb",
    "P02 1 prg",     "P04 1 g03|=1",  "P05 1 =1",     "P06 1 =7F",      "P07 1 =0",     "P08 1 =7F",
    "P09 1 g05|g02", "P0A 1 g06|g03", "P0B 1 =40",    "P0C 1 =40",      "P0D 1 =7F",    "P0E 1 c35",
    "P12 1 g0B|g04", "P13 1 g0C|g05", "P15 1 =7F",    "P16 1 =40",      "P17 1 c47",    "P18 1 c48",
    "P1A 1 g08|=0",  "P1B 1 g09|=0",  "P1C 1 g07|=0", "P1E 1 =0",       "P1F 1 rx",     "P20 1 =7F",
    "P21 1 =7F",     "P24 1 =1",      "P22 1 c38",    "P23 1 c49",      "P25 1 c37",    "P26 1 c4A|=40",
    "P27 1 =40",     "P28 1 c39",     "P2A 1 c3A",    "P2B 1 c3B",      "P2C 1 c3D",    "P2E 2 =36",
    "P30 1 =40",     "P32 2 =8D",     "P34 1 =40",    "P35 1 =0",       "P36 2 =E7",    "P38 1 =40"};
const QStringList ArpeggioRows = {"C11 1 =0", "C12 1 =0", "C14 2 c", "C16-21 1 c", "C22-32/2 2 c"};
const QStringList EffectRows = {"R00-20/2 2 r", "R22-23 1 r", "H00-20/2 2 h", "H22-24 1 h"};
const QStringList InsertionRows = {"A00-20/2 2 a", "B00-20/2 2 b"};

// The six source blocks: address of a voice (a drum kit adds 0x060000) and
// data size as the instrument sends them.
struct SourceBlock
{
    char letter;
    unsigned int voiceAddress;
    int voiceSize;
    int drumSize;
};
const SourceBlock SourceBlocks[] = {{'c', 0x407000, 82, 82}, {'g', 0x400000, 17, 8},
                                    {'r', 0x400100, 36, 36}, {'h', 0x400200, 37, 37},
                                    {'a', 0x400300, 34, 34}, {'b', 0x400400, 34, 34}};

unsigned int sourceAddressOf(int block, bool drum)
{
    return SourceBlocks[block].voiceAddress + (drum ? 0x060000 : 0);
}

// Every byte of every block differs from its neighbours and from the other
// blocks' bytes at the same offset.
int patternByte(int block, int n)
{
    return (n * 3 + block * 11 + 1) & 0x7F;
}

// A source byte: block index (0 common .. 5 insertion B) and offset.
using SourceBytes = std::function<int(int block, int n)>;

// A voice or drum kit dump of the six blocks with pattern bytes; blocks can
// be left out or cut short.
class VoiceFixture
{
public:
    VoiceFixture(MidiDevice* device, bool drum, int arpSwitch = 0, const QList<int>& leaveOut = {},
                 int shortBlock = -1, int shortSize = 0)
        : m_arpSwitch(arpSwitch)
    {
        QStringList hex;
        for (int b = 0; b < 6; ++b) {
            if (leaveOut.contains(b))
                continue;
            QByteArray data;
            const int size = drum ? SourceBlocks[b].drumSize : SourceBlocks[b].voiceSize;
            for (int n = 0; n < (b == shortBlock ? shortSize : size); ++n)
                data.append(char(byteAt(b, n)));
            hex << TestSysex::bulkDumpText(sourceAddressOf(b, drum), data);
        }
        dump.fromString(hex.join(u' '), device);
    }

    int byteAt(int block, int n) const
    {
        return block == 0 && n == 0x16 ? m_arpSwitch : patternByte(block, n);
    }
    SourceBytes bytes() const
    {
        return [this](int block, int n) { return byteAt(block, n); };
    }

    BulkDump dump;

private:
    int m_arpSwitch;
};

// The bytes of a dump as the instrument sent it.
SourceBytes bytesOfDump(const BulkDump& dump, bool drum)
{
    return [&dump, drum](int block, int n) { return dump.getSysex(sourceAddressOf(block, drum))->dataAt(n); };
}

unsigned int targetBase(QChar target, int kind, int part)
{
    const bool perf = kind == VoiceCopierInfo::Performance;
    switch (target.toLatin1()) {
    case 'C':
        return perf ? 0x300000 : 0x360000;
    case 'R':
        return perf ? 0x300100 : 0x360100;
    case 'H':
        return perf ? 0x300200 : 0x360200;
    case 'A':
        return perf ? 0x300300 : 0x360300;
    case 'B':
        return perf ? 0x300400 : 0x360400;
    case 'E':
        return perf ? 0x301000 : 0x361000;
    default:
        return (perf ? 0x310000 : 0x370000) + unsigned(part) * 0x100;
    }
}

// The changes the rows give for a fixture.
QList<Change> expectedChanges(const SourceBytes& byteAt, const VoiceCopierInfo& info, int kind, bool drum)
{
    QList<QStringList> steps;
    if (kind == VoiceCopierInfo::Performance && info.copyname)
        steps << NameRows;
    if (info.copyvoice)
        steps << VoiceRows;
    if (info.copyarp)
        steps << ArpeggioRows;
    if (info.copyfx)
        steps << EffectRows;
    if (info.copyinsfx)
        steps << InsertionRows;

    static const QRegularExpression row(
        QStringLiteral("^([CRHABEP])([0-9A-F]{2})(?:-([0-9A-F]{2})(?:/(\\d))?)? (\\d) ([^|]+)(?:\\|(.+))?$"));
    const QString blocks = QStringLiteral("cgrhab");
    QList<Change> out;
    for (const QStringList& rows : steps) {
        for (const QString& text : rows) {
            const QRegularExpressionMatch m = row.match(text);
            Q_ASSERT(m.hasMatch());
            const int first = m.captured(2).toInt(nullptr, 16);
            const int last = m.captured(3).isEmpty() ? first : m.captured(3).toInt(nullptr, 16);
            const int step = m.captured(4).isEmpty() ? 1 : m.captured(4).toInt();
            const int size = m.captured(5).toInt();
            const QString source = drum && !m.captured(7).isEmpty() ? m.captured(7) : m.captured(6);
            for (int offset = first; offset <= last; offset += step) {
                int value = 0;
                if (source.startsWith(u'=')) {
                    value = source.mid(1).toInt(nullptr, 16);
                } else if (source == QLatin1String("msb")) {
                    value = info.voice.bank.msb;
                } else if (source == QLatin1String("lsb")) {
                    value = info.voice.bank.lsb;
                } else if (source == QLatin1String("prg")) {
                    value = info.voice.program;
                } else if (source == QLatin1String("sw")) {
                    value = (1 << info.part) | (info.copyinsfx ? 0x80000 : 0);
                } else if (source == QLatin1String("rx")) {
                    value = byteAt(0, 0x16) * 2 | 0x7D;
                } else {
                    const int block = int(blocks.indexOf(source.at(0)));
                    const int at = source.size() > 1 ? source.mid(1).toInt(nullptr, 16) : offset;
                    value = size == 2 ? byteAt(block, at) * 128 + byteAt(block, at + 1) : byteAt(block, at);
                }
                out.append(
                    Change{targetBase(m.captured(1).at(0), kind, info.part) + unsigned(offset), size, value});
            }
        }
    }
    return out;
}

// A parameter change as the instrument takes it: the value in size 7-bit
// bytes, most significant first.
QString parameterChangeHex(const Change& c)
{
    QString hex = QStringLiteral("F0 43 10 7F 00 %1 %2 %3")
                      .arg((c.address >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                      .arg((c.address >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                      .arg(c.address & 0xFF, 2, 16, QLatin1Char('0'));
    for (int i = c.size - 1; i >= 0; --i)
        hex += QStringLiteral(" %1").arg((c.value >> (7 * i)) & 0x7F, 2, 16, QLatin1Char('0'));
    return (hex + QStringLiteral(" F7")).toUpper();
}

// The instrument's initial voice (type 0) or drum kit (1), as the instrument
// sends them.
QString initialPatchFile(int type)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/resources/vesk/data/init/%1.syx")
        .arg(type == 0 ? QStringLiteral("voice") : QStringLiteral("drum"));
}

VoiceCopierInfo allOptions(Patch voice, int part)
{
    VoiceCopierInfo info;
    info.voice = voice;
    info.part = part;
    return info;
}

} // namespace

class TestVoiceCopier : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetVeskTest(); }

    void changesFollowTheRows_data()
    {
        QTest::addColumn<bool>("drum");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("options"); // bits: name, voice, arpeggio, effects, insertion
        QTest::addColumn<int>("count");
        QTest::newRow("voice into a performance, everything") << false << 1 << 0 << 0x1F << 193;
        QTest::newRow("drum kit into a performance") << true << 1 << 3 << 0x1F << 193;
        QTest::newRow("voice into a mix: no name") << false << 3 << 5 << 0x1F << 181;
        QTest::newRow("drum kit into the last mix part") << true << 3 << 15 << 0x1F << 181;
        QTest::newRow("insertion effects alone") << false << 1 << 2 << 0x10 << 34;
        QTest::newRow("name and arpeggio") << false << 1 << 1 << 0x05 << 36;
        QTest::newRow("voice without insertion") << false << 3 << 2 << 0x02 << 84;
        QTest::newRow("nothing chosen") << false << 1 << 0 << 0x00 << 0;
    }

    void changesFollowTheRows()
    {
        QFETCH(bool, drum);
        QFETCH(int, kind);
        QFETCH(int, part);
        QFETCH(int, options);
        QFETCH(int, count);
        TestDevice device;
        const VoiceFixture fx(&device, drum);
        QCOMPARE(fx.dump.size(), 6);
        VoiceCopierInfo info = allOptions(drum ? Patch(0x7F00, 9) : Patch(0x3F02, 17), part);
        info.copyname = options & 0x01;
        info.copyvoice = options & 0x02;
        info.copyarp = options & 0x04;
        info.copyfx = options & 0x08;
        info.copyinsfx = options & 0x10;

        QList<Change> changes;
        QString error;
        QVERIFY2(VoiceCopier::changes(fx.dump, info, kind, drum, changes, &error), qPrintable(error));
        QCOMPARE(changes.size(), qsizetype(count));
        QCOMPARE(changes, expectedChanges(fx.bytes(), info, kind, drum));
    }

    void edgeValues()
    {
        TestDevice device;
        QList<Change> changes;
        // Mix part index 5: its part block, and the switch word with the A/D
        // input's bit.
        const VoiceFixture voice(&device, false, 1);
        QVERIFY(VoiceCopier::changes(voice.dump, allOptions(Patch(0x3F00, 0), 5), VoiceCopierInfo::Mix, false,
                                     changes));
        QCOMPARE(changes.first().address, 0x360034u);
        QVERIFY(changes.contains(Change{0x360060, 4, 0x80020}));
        unsigned int lowest = 0xFFFFFF;
        unsigned int highest = 0;
        for (const Change& c : changes) {
            // Nothing reaches the performance or another part.
            QVERIFY((c.address & 0xFF0000) == 0x360000 || (c.address & 0xFFFF00) == 0x370500);
            if ((c.address & 0xFFFF00) == 0x370500) {
                lowest = std::min(lowest, c.address);
                highest = std::max(highest, c.address);
            }
        }
        QCOMPARE(lowest, 0x370500u);
        QCOMPARE(highest, 0x370538u);
        // The arpeggio switch on gives receive switches 0x7F.
        QVERIFY(changes.contains(Change{0x37051F, 1, 0x7F}));

        const VoiceFixture off(&device, false, 0);
        VoiceCopierInfo noInsertion = allOptions(Patch(0x3F00, 0), 5);
        noInsertion.copyinsfx = false;
        QVERIFY(VoiceCopier::changes(off.dump, noInsertion, VoiceCopierInfo::Mix, false, changes));
        QVERIFY(changes.contains(Change{0x37051F, 1, 0x7D}));
        QVERIFY(changes.contains(Change{0x360060, 4, 0x20}));
    }

    void refusals_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("missingBlock");
        QTest::addColumn<int>("shortBlock");
        QTest::addColumn<int>("shortSize");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no insertion B")
            << 1 << 0 << 5 << -1 << 0 << "lacks the insertion effect B block (400400)";
        QTest::newRow("no common") << 3 << 0 << 0 << -1 << 0 << "lacks the common block (407000)";
        // The general block is read up to its byte 0x0C.
        QTest::newRow("short general")
            << 1 << 0 << -1 << 1 << 12 << "general block (400000) is short, 12 of 13 bytes";
        QTest::newRow("short chorus")
            << 3 << 0 << -1 << 3 << 36 << "chorus block (400200) is short, 36 of 37 bytes";
        QTest::newRow("empty common")
            << 3 << 0 << -1 << 0 << 0 << "common block (407000) is short, 0 of 75 bytes";
        QTest::newRow("performance part 5")
            << 1 << 4 << -1 << -1 << 0 << "part 5 does not exist (the parts are 1 to 4)";
        QTest::newRow("mix part 17") << 3 << 16 << -1 << -1 << 0
                                     << "part 17 does not exist (the parts are 1 to 16)";
        QTest::newRow("part -1") << 3 << -1 << -1 << -1 << 0 << "part 0 does not exist";
    }

    void refusals()
    {
        QFETCH(int, kind);
        QFETCH(int, part);
        QFETCH(int, missingBlock);
        QFETCH(int, shortBlock);
        QFETCH(int, shortSize);
        QFETCH(QString, reason);
        VeskRig rig(*bus);

        QList<int> leaveOut;
        if (missingBlock >= 0)
            leaveOut << missingBlock;
        VoiceFixture fx(&rig.device, false, 0, leaveOut, shortBlock, shortSize);
        // Even with the insertion effects off, a missing block stops the copy.
        VoiceCopierInfo info = allOptions(Patch(0x3F00, 0), part);
        info.copyinsfx = false;
        QString error;
        QVERIFY(!rig.device.CopyVoiceES(&fx.dump, &info, kind, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(rig.received().isEmpty());
        QVERIFY(rig.client.texts(RecordingClient::Event::Sysex).isEmpty());
    }

    // The instrument's initial voice and drum kit copied into a part: the
    // bytes the instrument receives, and the echo every client sees.
    void copyOfTheInitialPatches_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Patch>("voice");
        QTest::addColumn<bool>("throughDrum");
        QTest::addColumn<bool>("drumRows");
        QTest::newRow("voice") << 0 << Patch(0x3F01, 100) << false << false;
        QTest::newRow("voice handed over by the drum copier") << 0 << Patch(0x3F08, 3) << true << false;
        QTest::newRow("drum kit handed over by the voice copier") << 1 << Patch(0x7F00, 0) << false << true;
        QTest::newRow("drum kit") << 1 << Patch(0x3F28, 5) << true << true;
    }

    void copyOfTheInitialPatches()
    {
        QFETCH(int, type);
        QFETCH(Patch, voice);
        QFETCH(bool, throughDrum);
        QFETCH(bool, drumRows);
        VeskRig rig(*bus);
        BulkDump initial;
        QVERIFY(initial.fromFile(initialPatchFile(type), &rig.device));
        BulkDump* dump = &initial;
        VoiceCopierInfo info = allOptions(voice, 2);

        QString error;
        const bool copied = throughDrum
                                ? rig.device.CopyDrumES(dump, &info, VoiceCopierInfo::Performance, &error)
                                : rig.device.CopyVoiceES(dump, &info, VoiceCopierInfo::Performance, &error);
        QVERIFY2(copied, qPrintable(error));

        QStringList expected;
        for (const Change& c :
             expectedChanges(bytesOfDump(*dump, drumRows), info, VoiceCopierInfo::Performance, drumRows))
            expected << parameterChangeHex(c);
        const QStringList sent = rig.received();
        QCOMPARE(sent.size(), 193);
        QCOMPARE(sent, expected);
        // Part index 2 with the A/D input: the switch word 0x80004.
        QVERIFY(sent.contains(QStringLiteral("F0 43 10 7F 00 30 00 60 00 20 00 04 F7")));
        // Each change is echoed to the clients as sent by the program.
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceGUI), sent);
    }

    void copyCarriesTheDeviceNumber()
    {
        VeskRig rig(*bus);
        rig.device.setDeviceId(5);
        VoiceCopierInfo info = allOptions(Patch(0x3F00, 0), 0);
        info.copyvoice = info.copyarp = info.copyfx = info.copyinsfx = false;
        BulkDump initial;
        QVERIFY(initial.fromFile(initialPatchFile(0), &rig.device));
        QVERIFY(rig.device.CopyVoiceES(&initial, &info, VoiceCopierInfo::Performance));
        const QStringList sent = rig.received();
        QCOMPARE(sent.size(), 12);
        // "Init Voice": the name characters in order.
        QCOMPARE(sent.first(), QStringLiteral("F0 43 15 7F 00 30 00 00 49 F7"));
    }
};

ORVANE_TEST_MAIN(TestVoiceCopier)
#include "tst_voicecopier.moc"
