#include "Archive.h"
#include "BulkDump.h"
#include "PortInfo.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "VirtualMidiBus.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <climits>
#include <memory>

namespace {
QByteArray bytesOf(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

// Recognised messages of the test instrument.
const QString A = TestSysex::bulkDumpText(0x100000, bytesOf("01 02 03 04"));
const QString B = TestSysex::bulkDumpText(0x100100, bytesOf("05 06"));
const QString Header = TestSysex::bulkDumpText(TestSysex::HeaderAddress, bytesOf("00"));
const QString Request = TestSysex::bulkRequestText(0x100000);

QStringList hexList(const BulkDump& dump)
{
    QStringList out;
    for (const Sysex* msg : dump)
        out << msg->toString(-1);
    return out;
}

QByteArray rawOf(const QStringList& messages)
{
    Buffer b;
    b.fromString(messages.join(QLatin1Char(' ')));
    return b.bytes();
}

QByteArray bigEndian(int value)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((unsigned(value) >> (24 - 8 * i)) & 0xFF);
    return out;
}

// The covered bytes and the checksum add up to a multiple of 128.
bool checksumHolds(const Sysex* s)
{
    int sum = 0;
    for (int i = s->checksumStart(); i <= s->size() - 2; ++i)
        sum += s->at(i);
    return sum % 128 == 0;
}

// The peak memory of this process so far, in kilobytes.
long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The device counts its pauses, so a test can see that each message is
// followed by one.
class PacedDevice : public TestDevice
{
public:
    void waitTransmit() override
    {
        ++pauses;
        TestDevice::waitTransmit();
    }
    int pauses = 0;
};
} // namespace

class TestBulkDump : public QObject
{
    Q_OBJECT

    TestDevice dev;

    void fill(BulkDump& dump, const QStringList& messages)
    {
        QVERIFY(dump.fromString(messages.join(' '), &dev));
    }

private slots:
    void split_data();
    void split();
    void refillDropsOldContent();
    void deviceWithoutMessages();
    void files();
    void archiveRoundTrip();
    void emptyArchive();
    void hostileArchive_data();
    void hostileArchive();
    void lookupAndReplace();
    void sizesAndConversions();
    void bulkCompare_data();
    void bulkCompare();
    void copyDump();
    void fix();
    void sendToSynth();
};

void TestBulkDump::split_data()
{
    QTest::addColumn<QString>("stream");
    QTest::addColumn<bool>("keepInvalid");
    QTest::addColumn<QStringList>("expected");

    const QString cutB = B.chopped(3); // the last message without its F7
    QTest::newRow("back to back") << A + " " + B << false << QStringList{A, B};
    QTest::newRow("kinds mixed") << Request + " " + A << false << QStringList{Request, A};
    QTest::newRow("stray bytes dropped") << A + " 11 22 " + B << false << QStringList{A};
    QTest::newRow("stray bytes kept in front") << A + " 11 22 " + B << true << QStringList{A, "11 22 " + B};
    QTest::newRow("no F7 at all") << QStringLiteral("F0 43 00 7F 00") << true << QStringList{};
    QTest::newRow("bytes after last F7") << A + " F0 43 00" << false << QStringList{A};
    QTest::newRow("last message cut short") << A + " " + cutB << false << QStringList{A};
    QTest::newRow("empty") << QString() << true << QStringList{};
    QTest::newRow("lone F7s dropped") << QStringLiteral("F7 F7") << false << QStringList{};
    QTest::newRow("lone F7s kept") << QStringLiteral("F7 F7") << true << QStringList{"F7", "F7"};
}

void TestBulkDump::split()
{
    QFETCH(QString, stream);
    QFETCH(bool, keepInvalid);
    QFETCH(QStringList, expected);

    Buffer bytes;
    QVERIFY(bytes.fromString(stream));
    BulkDump dump;
    dump.fromBuffer(&bytes, &dev, keepInvalid);
    QCOMPARE(hexList(dump), expected);
}

void TestBulkDump::refillDropsOldContent()
{
    BulkDump dump;
    fill(dump, {A, B});
    Buffer bytes;
    bytes.fromString(B);
    dump.fromBuffer(&bytes, &dev, false);
    QCOMPARE(hexList(dump), QStringList{B});

    // The stream may be one of the dump's own messages.
    fill(dump, {A, B});
    dump.fromBuffer(dump.at(1), &dev, false);
    QCOMPARE(hexList(dump), QStringList{B});

    dump.fromBuffer(nullptr, &dev, false);
    QVERIFY(dump.isEmpty());
}

void TestBulkDump::deviceWithoutMessages()
{
    MidiDevice plain(QStringLiteral("Plain"), 0);
    BulkDump source;
    fill(source, {A, B});

    BulkDump dump;
    QVERIFY(dump.fromString(A + " " + B, &plain));
    QVERIFY(dump.isEmpty());
    dump.addNew(source.first(), &plain);
    QVERIFY(dump.isEmpty());
    dump.copyDump(&source, &plain);
    QVERIFY(dump.isEmpty());

    // A copy made by a device that can: the caller keeps its message.
    auto msg = std::make_unique<TestSysex>();
    msg->fromString(A);
    dump.addNew(msg.get(), &dev);
    msg.reset();
    QCOMPARE(hexList(dump), QStringList{A});
}

void TestBulkDump::files()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString raw = dir.filePath(QStringLiteral("dump.syx"));
    const QString data = dir.filePath(QStringLiteral("dump.dat"));

    BulkDump dump;
    fill(dump, {A, B});
    QVERIFY(dump.toFile(raw));
    QVERIFY(dump.toDataFile(data));
    QFile rawFile(raw), dataFile(data);
    QVERIFY(rawFile.open(QIODevice::ReadOnly) && dataFile.open(QIODevice::ReadOnly));
    QCOMPARE(rawFile.readAll(), rawOf({A, B}));
    QCOMPARE(dataFile.readAll(), bytesOf("01 02 03 04 05 06"));

    BulkDump back;
    QVERIFY(back.fromFile(raw, &dev, 0, false));
    QCOMPARE(hexList(back), hexList(dump));

    // Unreadable files leave the dump empty, whatever it held.
    QVERIFY(!back.fromFile(dir.filePath(QStringLiteral("missing.syx")), &dev, 0, false));
    QVERIFY(back.isEmpty());
    fill(back, {A});
    QVERIFY(!back.fromFile(dir.path(), &dev, 0, false));
    QVERIFY(back.isEmpty());

    fill(back, {A});
    QVERIFY(!back.fromString(QStringLiteral("F0 4"), &dev));
    QVERIFY(back.isEmpty());
    QVERIFY(!dump.toFile(dir.filePath(QStringLiteral("no/such/folder/x.syx"))));
}

void TestBulkDump::archiveRoundTrip()
{
    BulkDump dump;
    fill(dump, {Header, A, B});

    Buffer stored;
    {
        Archive out(stored);
        dump.toArchive(out);
        QVERIFY(out.ok());
    }
    const QByteArray raw = rawOf({Header, A, B});
    QCOMPARE(stored.bytes(), bigEndian(int(raw.size())) + raw);

    // Something stored after the dump is left for the next reader.
    {
        Archive more(stored);
        more.seek(stored.size());
        more << 0x12345678;
    }

    BulkDump back;
    fill(back, {B});
    Archive in(static_cast<const Buffer&>(stored));
    QVERIFY(back.fromArchive(in, &dev));
    QCOMPARE(hexList(back), hexList(dump));
    int next = 0;
    in >> next;
    QCOMPARE(next, 0x12345678);
    QVERIFY(in.ok());
}

void TestBulkDump::emptyArchive()
{
    BulkDump dump;
    Buffer stored;
    {
        Archive out(stored);
        dump.toArchive(out);
    }
    QCOMPARE(stored.bytes(), QByteArray(4, '\0'));

    BulkDump back;
    fill(back, {A});
    Archive in(static_cast<const Buffer&>(stored));
    QVERIFY(back.fromArchive(in, &dev));
    QVERIFY(back.isEmpty());
    QVERIFY(in.ok());
}

void TestBulkDump::hostileArchive_data()
{
    QTest::addColumn<QByteArray>("stored");

    const QByteArray raw = rawOf({A, B});
    QTest::newRow("negative total") << bigEndian(-1) + raw;
    QTest::newRow("lowest total") << bigEndian(INT_MIN) + raw;
    QTest::newRow("total beyond the end") << bigEndian(int(raw.size()) + 1) + raw;
    QTest::newRow("total 2^31-1") << bigEndian(INT_MAX) + raw;
    QTest::newRow("total cut short") << bigEndian(int(raw.size())).left(2);
    QTest::newRow("nothing at all") << QByteArray();
}

void TestBulkDump::hostileArchive()
{
    QFETCH(QByteArray, stored);

    Buffer bytes;
    bytes.copy(reinterpret_cast<const unsigned char*>(stored.constData()), int(stored.size()));
    BulkDump dump;
    fill(dump, {A});
    Archive in(static_cast<const Buffer&>(bytes));
    const long peakBefore = peakKilobytes();
    QVERIFY(!dump.fromArchive(in, &dev));
    QVERIFY(dump.isEmpty());
    QVERIFY(in.failed());
    // The stated total is never allocated: 2^31-1 bytes would show here.
    QVERIFY(peakKilobytes() - peakBefore < 256 * 1024);
}

void TestBulkDump::lookupAndReplace()
{
    const QString A2 = TestSysex::bulkDumpText(0x100000, bytesOf("7F"));
    const QString C = TestSysex::bulkDumpText(0x100200, bytesOf("09"));
    BulkDump dump;
    fill(dump, {A, B, A2});

    // The first of two messages with the same address; none for an absent one.
    QCOMPARE(dump.getSysex(0x100000), dump.at(0));
    QCOMPARE(dump.getSysex(0x100100), dump.at(1));
    QCOMPARE(dump.getSysex(0x300000), nullptr);

    // Present: the old one goes, the new one comes last.
    auto* fresh = new TestSysex;
    fresh->fromString(TestSysex::bulkDumpText(0x100100, bytesOf("11 12")));
    dump.replace(fresh);
    QCOMPARE(hexList(dump), (QStringList{A, A2, fresh->toString(-1)}));

    // Absent: appended.
    auto* other = new TestSysex;
    other->fromString(C);
    dump.replace(other);
    QCOMPARE(dump.size(), 4);
    QCOMPARE(dump.last(), other);

    // A message the dump already holds moves to the end, held once.
    Sysex* held = dump.at(2);
    dump.replace(held);
    QCOMPARE(dump.size(), 4);
    QCOMPARE(dump.last(), held);
    QCOMPARE(dump.count(held), 1);

    dump.replace(nullptr);
    QCOMPARE(dump.size(), 4);
}

void TestBulkDump::sizesAndConversions()
{
    BulkDump dump;
    fill(dump, {A, Request, B});
    const QByteArray raw = rawOf({A, Request, B});

    QCOMPARE(dump.getRidevSize(), int(raw.size()));
    QCOMPARE(dump.getRidevDataSize(), 6);

    Buffer out;
    out.fromString(QStringLiteral("01 02"));
    dump.toBuffer(out);
    QCOMPARE(out.bytes(), raw);
    dump.toDataBuffer(out);
    QCOMPARE(out.bytes(), bytesOf("01 02 03 04 05 06"));

    QCOMPARE(dump.toString(), A + "\n" + Request + "\n" + B + "\n");
    QCOMPARE(dump.analyse(true), QStringLiteral("00100000 : 01 02 03 04\n"
                                                "00100000 : \n"
                                                "00100100 : 05 06\n"));
    QCOMPARE(dump.analyse(false), QStringLiteral("00100000 : 4\n"
                                                 "00100000 : 0\n"
                                                 "00100100 : 2\n"));

    BulkDump empty;
    empty.toBuffer(out);
    QVERIFY(out.isEmpty());
    QCOMPARE(empty.toString(), QString());
}

void TestBulkDump::bulkCompare_data()
{
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("right");
    QTest::addColumn<int>("expected");

    const QString B1 = TestSysex::bulkDumpText(0x100100, bytesOf("05 07")); // data and checksum differ
    const QString Blong = TestSysex::bulkDumpText(0x100100, bytesOf("05 06 07"));
    QTest::newRow("identical") << QStringList{A, B} << QStringList{A, B} << 0;
    QTest::newRow("one data byte and checksum") << QStringList{A, B} << QStringList{A, B1} << 2;
    QTest::newRow("second message longer") << QStringList{A, B} << QStringList{A, Blong} << -1;
    QTest::newRow("other count") << QStringList{A, B} << QStringList{A} << -1;
    QTest::newRow("both empty") << QStringList{} << QStringList{} << 0;
}

void TestBulkDump::bulkCompare()
{
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);
    QFETCH(int, expected);

    BulkDump a, b;
    fill(a, left);
    fill(b, right);
    QCOMPARE(a.bulkCompare(&b), expected);
    QCOMPARE(b.bulkCompare(&a), expected);
    QCOMPARE(a.bulkCompare(&a), 0);
    QCOMPARE(a.bulkCompare(nullptr), -1);
}

void TestBulkDump::copyDump()
{
    BulkDump source;
    fill(source, {A, B});
    const QList<Sysex*> before = source;
    source.copyDump(&source, &dev);
    QCOMPARE(QList<Sysex*>(source), before);
    source.copyDump(nullptr, &dev);
    QCOMPARE(QList<Sysex*>(source), before);

    BulkDump copy;
    fill(copy, {Header});
    copy.copyDump(&source, &dev);
    QCOMPARE(hexList(copy), hexList(source));
    // The copy has messages of its own.
    source.first()->setDataAt(0, 0x55);
    QCOMPARE(copy.first()->dataAt(0), 0x01);
}

void TestBulkDump::fix()
{
    BulkDump dump;
    fill(dump, {A, B});
    // Direct writes into the bytes leave the checksums stale.
    dump.at(0)->setAt(10, 0x30);
    dump.at(1)->setAt(11, 0x31);
    QVERIFY(!checksumHolds(dump.at(0)) && !checksumHolds(dump.at(1)));
    dump.fix();
    QVERIFY(checksumHolds(dump.at(0)) && checksumHolds(dump.at(1)));
    QCOMPARE(dump.at(0)->dataAt(0), 0x30);
}

void TestBulkDump::sendToSynth()
{
    VirtualMidiBus* bus = VirtualMidiBus::instance();
    QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    bus->reset();
    const int dst = bus->addDestination(QStringLiteral("Synth In"));
    InitMidiPorts();

    PacedDevice paced;
    paced.midiOut()->setName(QStringLiteral("Synth In"));
    QVERIFY(paced.midiOut()->open());

    BulkDump empty;
    QVERIFY(empty.sendToSynth(&paced));
    QCOMPARE(paced.pauses, 0);
    QVERIFY(bus->sentPackets(dst).isEmpty());

    BulkDump dump;
    fill(dump, {Header, A, B});
    QVERIFY(dump.sendToSynth(&paced));
    QCOMPARE(paced.pauses, 3);
    QCOMPARE(bus->sentPackets(dst), (QList<QByteArray>{rawOf({Header}), rawOf({A}), rawOf({B})}));

    // A message the port does not take ends the transmission with false.
    bus->setSendFailure(dst, true);
    QVERIFY(!dump.sendToSynth(&paced));
    QCOMPARE(paced.pauses, 3);
    bus->setSendFailure(dst, false);
    paced.midiOut()->close();
    QVERIFY(!dump.sendToSynth(&paced));
    QVERIFY(!dump.sendToSynth(nullptr));
    QCOMPARE(bus->sentPackets(dst).size(), 3);
}

ORVANE_TEST_GUILESS_MAIN(TestBulkDump)
#include "tst_bulkdump.moc"
