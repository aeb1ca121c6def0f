// The device object: its settings round trip through the profile, its data
// folder, the generic tables and the table store, and the part mixer.
#include "DeviceTable.h"
#include "MidiDevice.h"
#include "Paths.h"
#include "Profile.h"
#include "TestBus.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QSettings>

namespace {

QList<MidiPort*> portsOf(MidiDevice& device)
{
    return {device.midiIn(),   device.midiOut(), device.midiIn2(),
            device.midiOut2(), device.auxIn(),   device.auxOut()};
}

// An instrument that records the part volumes it is asked to send, and that
// can append mixer records of its own after the framework's sixteen, as the
// instrument does for the parts of its plug-in boards.
class MixerDevice : public MidiDevice
{
public:
    MixerDevice() : MidiDevice(QStringLiteral("Mixer Test"), 0) {}

    void setPartVolume(int part, int volume) override { sent.append({part, volume}); }

    void appendParts(int count)
    {
        // No spare room: the next record must make the list grow.
        m_parts.squeeze();
        for (int i = 0; i < count; ++i)
            m_parts.addPart();
    }

    QList<QPair<int, int>> sent;
};

// A table that tells when it is deleted.
class WatchedTable : public DeviceTable
{
public:
    explicit WatchedTable(int* deletions) : m_deletions(deletions)
    {
        append(TableData(0, QStringLiteral("x")));
    }
    ~WatchedTable() override { ++*m_deletions; }

private:
    int* m_deletions;
};

quint32 bit(int part)
{
    return quint32(1) << part;
}

} // namespace

class TestMidiDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Profile::setIdentity(QStringLiteral("Vesk ES Ridev Vurivodez"), QStringLiteral("Tamsel"),
                             QStringLiteral("2.8.0"));
    }
    void init() { Profile::settings()->clear(); }

    void freshProfileGivesDefaults()
    {
        MidiDevice device(QStringLiteral("Vesk ES"), 10);
        for (MidiPort* port : portsOf(device))
            QVERIFY(port->name().isEmpty());
        QVERIFY(!device.hasPorts());
        QCOMPARE(device.delay(), 10);
        QCOMPARE(device.deviceId(), 0);
        QVERIFY(!device.isConnected());
        QCOMPARE(device.connectionStatus(), QStringLiteral("Not connected"));
        for (int i = 0; i < 16; ++i) {
            const Part* part = device.mixPart(i);
            QVERIFY(part);
            QVERIFY(!part->solo && !part->mute && !part->muted);
            QCOMPARE(part->volume, -1);
        }
        QVERIFY(!device.mixPart(16));
    }

    // What construction reads is what teardown writes back, empty names included.
    void settingsRoundTrip()
    {
        const QStringList names = {QStringLiteral("In A"),  QStringLiteral("Out A"), QString(),
                                   QStringLiteral("Out B"), QStringLiteral("Aux"),   QString()};
        for (int i = 0; i < 6; ++i)
            Profile::writeProfileString(QString(), QString::fromLatin1(DevicePortKeys[i]), names[i]);
        Profile::writeProfileInt(QString(), QStringLiteral("Delay"), 25);
        Profile::writeProfileInt(QString(), QStringLiteral("DeviceId"), 4);

        {
            MidiDevice device(QStringLiteral("Vesk ES"), 10);
            const QList<MidiPort*> ports = portsOf(device);
            for (int i = 0; i < 6; ++i)
                QCOMPARE(ports[i]->name(), names[i]);
            QCOMPARE(device.delay(), 25);
            QCOMPARE(device.deviceId(), 4);

            // Changed while the program runs; only the destructor stores them.
            device.midiIn()->setName(QStringLiteral("In C"));
            device.auxIn()->setName(QString());
            device.setDelay(40);
            device.setDeviceId(9);
            QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("Delay")), 25);
        }

        const auto settings = Profile::settings();
        const QStringList expected = {QStringLiteral("In C"),
                                      QStringLiteral("Out A"),
                                      QString(),
                                      QStringLiteral("Out B"),
                                      QString(),
                                      QString()};
        for (int i = 0; i < 6; ++i) {
            const QString key = QString::fromLatin1(DevicePortKeys[i]);
            QVERIFY2(settings->contains(key), DevicePortKeys[i]);
            QCOMPARE(settings->value(key).toString(), expected[i]);
        }
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("Delay")), 40);
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("DeviceId")), 9);
    }

    // The number goes into the low nibble of message bytes: a hand-edited
    // profile must not push it out of 0..15.
    void deviceIdClamped_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("in range") << QStringLiteral("7") << 7;
        QTest::newRow("highest") << QStringLiteral("15") << 15;
        QTest::newRow("too high") << QStringLiteral("99") << 15;
        QTest::newRow("negative") << QStringLiteral("-3") << 0;
        QTest::newRow("not a number") << QStringLiteral("abc") << 0;
    }
    void deviceIdClamped()
    {
        QFETCH(QString, stored);
        QFETCH(int, expected);
        Profile::writeProfileString(QString(), QStringLiteral("DeviceId"), stored);
        {
            MidiDevice device(QStringLiteral("Vesk ES"), 10);
            QCOMPARE(device.deviceId(), expected);
            device.setDeviceId(stored.toInt());
            QCOMPARE(device.deviceId(), expected);
        }
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("DeviceId")), expected);
    }

    void hasPortsNeedsBothMainPorts_data()
    {
        QTest::addColumn<QStringList>("names"); // in the order of DevicePortKeys
        QTest::addColumn<bool>("expected");
        QTest::newRow("both main") << QStringList{"In", "Out", "", "", "", ""} << true;
        QTest::newRow("input only") << QStringList{"In", "", "In2", "Out2", "AuxIn", "AuxOut"} << false;
        QTest::newRow("output only") << QStringList{"", "Out", "In2", "Out2", "AuxIn", "AuxOut"} << false;
        QTest::newRow("none chosen") << QStringList{"In", "(none)", "", "", "", ""} << false;
        QTest::newRow("others only") << QStringList{"", "", "In2", "Out2", "AuxIn", "AuxOut"} << false;
    }
    void hasPortsNeedsBothMainPorts()
    {
        QFETCH(QStringList, names);
        QFETCH(bool, expected);
        MidiDevice device(QStringLiteral("Vesk ES"), 10);
        const QList<MidiPort*> ports = portsOf(device);
        for (int i = 0; i < 6; ++i)
            ports[i]->setName(names[i]);
        QCOMPARE(device.hasPorts(), expected);
    }

    // The device name comes from instrument files too; whatever it holds, the
    // folder is created and stays one level below CMidiDevice.
    void dataFolderStaysInside_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Vesk ES");
        QTest::newRow("slash") << QStringLiteral("Vesk/ES");
        QTest::newRow("climbing") << QStringLiteral("../../escape");
        QTest::newRow("dots only") << QStringLiteral("..");
        QTest::newRow("absolute") << QStringLiteral("/tmp/elsewhere");
        QTest::newRow("backslash") << QStringLiteral("..\\..\\escape");
        QTest::newRow("empty") << QString();
    }
    void dataFolderStaysInside()
    {
        QFETCH(QString, name);
        MidiDevice device(name, 10);
        const QString root = QDir(GetTamselFolder()).absoluteFilePath(QStringLiteral("CMidiDevice"));
        const QString folder = device.dataFolder();
        QVERIFY2(QDir(folder).exists(), qPrintable(folder));
        const QString relative = QDir(root).relativeFilePath(QDir(folder).canonicalPath());
        QVERIFY2(!relative.isEmpty() && !relative.contains(QLatin1Char('/')) &&
                     relative != QLatin1String(".") && !relative.startsWith(QLatin1String("..")),
                 qPrintable(folder));
        if (name == QLatin1String("Vesk ES"))
            QCOMPARE(folder, root + QStringLiteral("/Vesk ES"));
    }

    // The generic data every device has from its constructor.
    void genericTables_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("pan left end") << QStringLiteral("PAN") << 0 << QStringLiteral("L64");
        QTest::newRow("pan centre") << QStringLiteral("PAN") << 64 << QStringLiteral("C");
        QTest::newRow("pan right end") << QStringLiteral("PAN") << 127 << QStringLiteral("R63");
        QTest::newRow("bank number") << QStringLiteral("BankNo") << 127 << QStringLiteral("127");
        QTest::newRow("program number") << QStringLiteral("ProgramNo") << 0 << QStringLiteral("001");
        QTest::newRow("off") << QStringLiteral("off127") << 0 << QStringLiteral("off");
        QTest::newRow("lowest note") << QStringLiteral("NOTENAME") << 0 << QStringLiteral("C -2");
        QTest::newRow("sharp note") << QStringLiteral("NOTENAME") << 13 << QStringLiteral("C#-1");
        QTest::newRow("highest note") << QStringLiteral("NOTENAME") << 127 << QStringLiteral("G 8");
    }
    void genericTables()
    {
        QFETCH(QString, spec);
        QFETCH(int, index);
        QFETCH(QString, text);
        MidiDevice device(QStringLiteral("Vesk ES"), 10);
        const DeviceTable* table = device.createTable(spec);
        QVERIFY(table);
        QCOMPARE(table->size(), 128);
        QCOMPARE(table->at(index).value, index);
        QCOMPARE(table->at(index).text, text);
    }

    void createTableCachesBySpec()
    {
        MidiDevice device(QStringLiteral("Vesk ES"), 10);
        QVERIFY(!device.getTable(QStringLiteral("PAN")));
        for (const QString& spec :
             {QStringLiteral("PAN"), QStringLiteral("off|on"), QStringLiteral("NO_SUCH")}) {
            DeviceTable* first = device.createTable(spec);
            QVERIFY(first);
            QCOMPARE(device.createTable(spec), first);
            QCOMPARE(device.getTable(spec), first);
        }
        QCOMPARE(device.getTable(QStringLiteral("off|on"))->size(), 2);
        // A missing section is stored as an empty table, not built again.
        QCOMPARE(device.getTable(QStringLiteral("NO_SUCH"))->size(), 0);
        QVERIFY(!device.getTable(QStringLiteral("on|off")));
    }

    void addTableOwnsItsTables()
    {
        int deletions = 0;
        {
            MidiDevice device(QStringLiteral("Vesk ES"), 10);
            auto* first = new WatchedTable(&deletions);
            device.addTable(QStringLiteral("T"), first);

            // Storing the stored table again must neither free it nor leave a
            // dangling entry.
            device.addTable(QStringLiteral("T"), first);
            QCOMPARE(deletions, 0);
            QCOMPARE(device.getTable(QStringLiteral("T")), first);
            QCOMPARE(device.createTable(QStringLiteral("T"))->at(0).text, QStringLiteral("x"));

            auto* second = new WatchedTable(&deletions);
            device.addTable(QStringLiteral("T"), second);
            QCOMPARE(deletions, 1);
            QCOMPARE(device.getTable(QStringLiteral("T")), second);
        }
        QCOMPARE(deletions, 2);
    }

    void mixPartRange()
    {
        MidiDevice device(QStringLiteral("Vesk ES"), 10);
        QVERIFY(!device.mixPart(-1));
        QVERIFY(!device.mixPart(16));
        QVERIFY(device.mixPart(15));
        QVERIFY(device.mixPart(15) != device.mixPart(14));
        device.mixPart(15)->volume = 77;
        QCOMPARE(device.mixPart(15)->volume, 77);
    }

    // Mute wins over solo; a solo mutes every part that is not soloed; every
    // call sends one volume per record whether or not anything changed.
    void applySoloMute_data()
    {
        QTest::addColumn<quint32>("solo");
        QTest::addColumn<quint32>("mute");
        QTest::addColumn<quint32>("muted");
        QTest::newRow("solo 3, mute 5") << bit(3) << bit(5) << (0xFFFFu & ~bit(3));
        QTest::newRow("3 soloed and muted") << bit(3) << bit(3) << 0xFFFFu;
        QTest::newRow("solo 1 and 2, mute 2") << (bit(1) | bit(2)) << bit(2) << (0xFFFFu & ~bit(1));
        QTest::newRow("mute only") << 0u << (bit(0) | bit(15)) << (bit(0) | bit(15));
        QTest::newRow("nothing set") << 0u << 0u << 0u;
        QTest::newRow("all soloed") << 0xFFFFu << 0u << 0u;
    }
    void applySoloMute()
    {
        QFETCH(quint32, solo);
        QFETCH(quint32, mute);
        QFETCH(quint32, muted);
        MixerDevice device;
        for (int i = 0; i < 16; ++i) {
            Part* part = device.mixPart(i);
            part->solo = solo & bit(i);
            part->mute = mute & bit(i);
            part->volume = 100 + i;
            // A state left from before must not matter.
            part->muted = !(muted & bit(i));
        }

        device.applySoloMute();
        QList<QPair<int, int>> expected;
        for (int i = 0; i < 16; ++i) {
            expected.append({i, (muted & bit(i)) ? 0 : 100 + i});
            QCOMPARE(device.mixPart(i)->muted, bool(muted & bit(i)));
        }
        QCOMPARE(device.sent, expected);

        // Cancelling restores every stored volume and keeps the flags, so the
        // same solo and mute apply again.
        device.sent.clear();
        device.cancelSoloMute();
        QCOMPARE(device.sent.size(), 16);
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(device.sent[i], qMakePair(i, 100 + i));
            QVERIFY(!device.mixPart(i)->muted);
            QCOMPARE(device.mixPart(i)->solo, bool(solo & bit(i)));
            QCOMPARE(device.mixPart(i)->mute, bool(mute & bit(i)));
        }
        device.sent.clear();
        device.applySoloMute();
        QCOMPARE(device.sent, expected);
    }

    void mutePart()
    {
        MixerDevice device;
        device.mixPart(2)->muted = true;
        device.mutePart(2, false);
        QVERIFY(!device.mixPart(2)->muted);
        // No stored volume: the instrument is handed -1 and decides (the
        // generic device sends nothing for it).
        QCOMPARE(device.sent, (QList<QPair<int, int>>{{2, -1}}));

        device.sent.clear();
        device.mixPart(2)->volume = 90;
        device.mutePart(2, true);
        QVERIFY(device.mixPart(2)->muted);
        device.mutePart(2, false);
        QCOMPARE(device.sent, (QList<QPair<int, int>>{{2, 0}, {2, 90}}));

        device.sent.clear();
        device.mutePart(-1, true);
        device.mutePart(16, true);
        QVERIFY(device.sent.isEmpty());
    }

    // Records appended by the instrument: pointers taken before stay valid and
    // the mixer walks the list as it stands.
    void appendedParts()
    {
        MixerDevice device;
        QList<Part*> before;
        for (int i = 0; i < 16; ++i)
            before.append(device.mixPart(i));

        device.appendParts(3);
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(device.mixPart(i), before[i]);
            before[i]->volume = 50 + i;
        }
        QVERIFY(device.mixPart(18));
        QVERIFY(!device.mixPart(19));
        QCOMPARE(device.mixPart(0)->volume, 50);

        device.mixPart(17)->solo = true;
        device.mixPart(17)->volume = 33;
        device.applySoloMute();
        QCOMPARE(device.sent.size(), 19);
        for (int i = 0; i < 19; ++i)
            QCOMPARE(device.sent[i], qMakePair(i, i == 17 ? 33 : 0));

        device.sent.clear();
        device.cancelSoloMute();
        QCOMPARE(device.sent.size(), 19);
        QCOMPARE(device.sent[0], qMakePair(0, 50));
        QCOMPARE(device.sent[18], qMakePair(18, -1));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestMidiDevice)
#include "tst_mididevice.moc"
