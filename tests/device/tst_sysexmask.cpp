// A message filled from another message never carries a byte with the top bit
// set into the instrument: stored patches are raw bytes and may hold any.
#include "Archive.h"
#include "PatchDump.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

namespace {
// Ten name bytes, then bytes with the top bit set: 0x90 as a note-on status
// would be read on the cable, 0xFF as the largest.
const QByteArray StoredVoiceData("NAME  ABCD\x00\x90\xFF\x81\x7F\x05", 16);
} // namespace

class TestSysexMask : public QObject
{
    Q_OBJECT

private slots:
    void copyDataMasks();
    void translatedPatchIsSevenBit();
};

void TestSysexMask::copyDataMasks()
{
    TestSysex source;
    source.fromString(TestSysex::bulkDumpText(0x100000, StoredVoiceData));
    QCOMPARE(source.dataSize(), 16);
    TestSysex target;
    target.fromString(TestSysex::bulkDumpText(0x100000, QByteArray(16, '\0')));
    target.copyData(&source, -1, -1);
    QCOMPARE(target.dataToString(), QStringLiteral("4E 41 4D 45 20 20 41 42 43 44 00 10 7F 01 7F 05"));
    QCOMPARE(Sysex::CalculateChecksum(&target, target.checksumStart()), target.at(target.size() - 2));
    // An end far past the region stops at it.
    target.copyData(&source, 0, 1 << 30);
    QCOMPARE(target.size(), 12 + 16);
}

void TestSysexMask::translatedPatchIsSevenBit()
{
    TestDevice device;
    TestSysex stored;
    stored.fromString(TestSysex::bulkDumpText(TestPatchDump::VoiceAddress, StoredVoiceData));
    Buffer storage;
    {
        Archive out(storage);
        out << stored.size() << static_cast<const Buffer&>(stored) << QStringLiteral("from elsewhere");
    }

    // Stored under another model: translated into this device's layout.
    TestPatchDump dump(&device);
    Archive in(static_cast<const Buffer&>(storage));
    QVERIFY(dump.fromArchive(in, &device, QStringLiteral("Other Model")));
    QCOMPARE(dump.size(), 3);
    const Sysex* voice = dump.first();
    QCOMPARE(voice->dataToString(), QStringLiteral("4E 41 4D 45 20 20 41 42 43 44 00 10 7F 01 7F 05"));
    for (const Sysex* msg : std::as_const(dump)) {
        for (int i = 1; i < msg->size() - 1; ++i)
            QVERIFY2(msg->at(i) < 0x80, qPrintable(msg->toString(-1)));
    }
}

ORVANE_TEST_GUILESS_MAIN(TestSysexMask)
#include "tst_sysexmask.moc"
