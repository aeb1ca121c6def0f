// The instrument's device: what its construction leaves in place, its bank
// vocabulary and addressing, re-addressing a block for a patch location, the
// identity reply, port names, category names and the message monitor's text,
// and finding the instrument over the bus.
#include "BulkDump.h"
#include "DeviceTable.h"
#include "MixParts.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"
#include "VeskSysex.h"
#include "VirtualMidiBus.h"
#include "XmlDocument.h"

#include <memory>

namespace {

std::unique_ptr<Sysex> deviceMessage(Vesk& device, const QString& hex)
{
    std::unique_ptr<Sysex> message(device.createSysex());
    message->fromString(hex);
    return message;
}

// A dump of bulk messages at the addresses, each with four data bytes.
void fillDump(BulkDump& dump, const QList<uint>& addresses)
{
    dump.clear();
    for (uint address : addresses) {
        auto* message = new VeskSysex;
        message->prepareBulkDump(address,
                                 address >= 0x0E0000 && address < 0x100000 ? QString() : "01 02 03 04");
        dump.append(message);
    }
}

QList<uint> addressesOf(const BulkDump& dump)
{
    QList<uint> list;
    for (const Sysex* message : dump)
        list.append(message->address());
    return list;
}

} // namespace

class TestVeskDevice : public QObject
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

    void construction()
    {
        Vesk device;
        QCOMPARE(device.name(), QStringLiteral("Vesk ES"));
        QCOMPARE(device.delay(), 10);
        QCOMPARE(device.mode(), -1);
        QVERIFY(device.hasDeviceId() && device.hasKeyboard() && !device.hasSecondaryPorts());
        // The framework's sixteen mixer parts and the three PLG parts.
        QVERIFY(device.mixPart(18));
        QVERIFY(!device.mixPart(19));
        // The tables of both resources and the effect document are loaded.
        QCOMPARE(device.createTable(QStringLiteral("PAN"))->size(), 128);
        QCOMPARE(device.createTable(QStringLiteral("WaveList"))->size(), 1860);
        QVERIFY(device.xml()->findElement(QStringLiteral("section"), QStringLiteral("name"),
                                          QStringLiteral("Effects Parameters")));
        // One dump of each type, and nothing for other types.
        for (int type = 0; type < 6; ++type) {
            std::unique_ptr<PatchDump> dump(device.createPatchDump(type));
            QVERIFY(dump);
            QCOMPARE(dump->type(), type);
            QCOMPARE(dump->iconIndex(), type + 3);
            QCOMPARE(device.initDump(type)->type(), type);
        }
        QVERIFY(!device.createPatchDump(6) && !device.createPatchDump(-1) && !device.initDump(6));
    }

    // The performance block 302000 never reaches the instrument; everything
    // else goes out with the configured device number.
    void neverSendAndDeviceNumber()
    {
        VeskRig rig(*bus);
        rig.device.setDeviceId(3);
        VeskSysex request;
        request.prepareBulkRequest(0x0100);
        rig.device.sendSysex(&request);
        rig.device.sendSysex(QStringLiteral("F0 43 00 7F 00 00 04 30 20 00 00 00 00 00 4C F7"));
        rig.device.sendSysex(QStringLiteral("F0 43 10 7F 00 30 20 00 05 F7"));
        QCOMPARE(rig.received(), QStringList{"F0 43 23 7F 00 0E 01 00 F7"});
    }

    void bankVocabulary_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("user");
        QTest::addColumn<uint>("block");
        QTest::addColumn<QString>("number");

        const uint none = Vesk::NoBulkAddress;
        QTest::newRow("PRE1") << 0x3F00 << 0 << false << 0x0000u << "063/000";
        QTest::newRow("PRE6") << 0x3F05 << 0 << false << 0x0500u << "063/005";
        QTest::newRow("GM") << 0x0000 << 0 << false << 0x0600u << "000/000";
        QTest::newRow("USER1") << 0x3F08 << 0 << true << 0x0800u << "063/008";
        QTest::newRow("USER2") << 0x3F09 << 0 << true << 0x0900u << "063/009";
        QTest::newRow("3F0A: a block but no kind") << 0x3F0A << -1 << false << 0x0A00u << "063/010";
        QTest::newRow("mixing voices") << 0x3F3C << 0 << true << none << "063/060";
        QTest::newRow("DR:PRE") << 0x3F20 << 1 << false << 0x2000u << "063/032";
        QTest::newRow("DR:GM") << 0x7F00 << 1 << false << 0x2100u << "127/000";
        QTest::newRow("DR:USR") << 0x3F28 << 1 << true << 0x2800u << "063/040";
        QTest::newRow("PLG preset, first") << 0x3F46 << 2 << false << none << "063/070";
        QTest::newRow("PLG preset, last") << 0x3F4E << 2 << false << none << "063/078";
        QTest::newRow("P1-USER") << 0x3F18 << 2 << true << 0x1800u << "063/024";
        QTest::newRow("P3-USER") << 0x3F1A << 2 << true << 0x1A00u << "063/026";
        QTest::newRow("PERF") << 0x3F40 << 3 << true << 0x4000u << "063/064";
        QTest::newRow("MIX") << 0x7F7E << 4 << true << none << "";
        QTest::newRow("MASTER") << 0x7F7F << 5 << true << 0x7000u << "";
        QTest::newRow("beside PRE6") << 0x3F06 << -1 << false << none << "063/006";
        QTest::newRow("beside the PLG presets") << 0x3F4F << -1 << false << none << "063/079";
        // Every word with the bits of multis and masters shows no number.
        QTest::newRow("beside the masters") << 0x7F7D << -1 << false << none << "";
        QTest::newRow("beside the multis") << 0x7F6E << -1 << false << none << "127/110";
    }

    void bankVocabulary()
    {
        QFETCH(int, bank);
        QFETCH(int, type);
        QFETCH(bool, user);
        QFETCH(uint, block);
        QFETCH(QString, number);
        Vesk device;
        const auto word = static_cast<unsigned short>(bank);
        QCOMPARE(device.bankType(word), type);
        QCOMPARE(device.isUserBank(word), user);
        QCOMPARE(device.bankNumber(word), number);
        QCOMPARE(device.getBulkControl(Patch(word, 0)), block);
        if (block != Vesk::NoBulkAddress)
            QCOMPARE(device.getBulkControl(Patch(word, 127)), block + 127);
    }

    void namesAndBuffers()
    {
        Vesk device;
        const QStringList names{"Normal Voices", "Drum Kits", "PLG Voices",
                                "Performances",  "Multis",    "Masters"};
        const QList<int> buffers{0x0F00, 0x2F00, 0x1F00, 0x4F00, 0x5F00, 0x7F00};
        for (int type = 0; type < 6; ++type) {
            QCOMPARE(device.bankTypeName(type), names.at(type));
            QCOMPARE(Vesk::getEditBuffer(type), buffers.at(type));
        }
        for (int type : {-1, 6}) {
            QCOMPARE(device.bankTypeName(type), QString());
            QCOMPARE(Vesk::getEditBuffer(type), -1);
        }
        QCOMPARE(device.getBulkControl(Patch(0x3F09, 5)), 0x0905u);
        QCOMPARE(device.getBulkControl(Patch(0x3F40, 127)), 0x407Fu);
        QCOMPARE(device.getBulkControl(Patch()), Vesk::NoBulkAddress);
        QCOMPARE(device.getBulkControl(Patch(63, 8, 128)), Vesk::NoBulkAddress);
    }

    // A received block's header and footer are pointed at the patch location;
    // a dump without them keeps every address, so no data block ever becomes
    // a header or footer.
    void setBulkControls_data()
    {
        QTest::addColumn<QList<uint>>("before");
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("program");
        QTest::addColumn<QList<uint>>("after");

        const QList<uint> received{0x0E4F00, 0x300000, 0x300100, 0x0F4F00};
        QTest::newRow("received block to PERF 6")
            << received << 0x3F40 << 5 << QList<uint>{0x0E4005, 0x300000, 0x300100, 0x0F4005};
        QTest::newRow("to an unknown bank") << received << 0x7F7E << 5 << received;
        QTest::newRow("stripped dump") << QList<uint>{0x300000, 0x300100, 0x310000} << 0x3F40 << 5
                                       << QList<uint>{0x300000, 0x300100, 0x310000};
        QTest::newRow("one data block") << QList<uint>{0x330000} << 0x7F7F << 1 << QList<uint>{0x330000};
        QTest::newRow("a header alone") << QList<uint>{0x0E7F00} << 0x7F7F << 1 << QList<uint>{0x0E7001};
        QTest::newRow("header, no footer")
            << QList<uint>{0x0E0F00, 0x407000} << 0x3F08 << 2 << QList<uint>{0x0E0802, 0x407000};
        QTest::newRow("empty") << QList<uint>{} << 0x3F08 << 2 << QList<uint>{};
    }

    void setBulkControls()
    {
        QFETCH(QList<uint>, before);
        QFETCH(int, bank);
        QFETCH(int, program);
        QFETCH(QList<uint>, after);
        Vesk device;
        BulkDump dump;
        fillDump(dump, before);
        device.setBulkControls(dump, Patch(static_cast<unsigned short>(bank), program));
        QCOMPARE(addressesOf(dump), after);
        // Re-addressed messages keep a right checksum.
        BulkDump rebuilt;
        fillDump(rebuilt, after);
        QCOMPARE(dump.bulkCompare(&rebuilt), 0);
    }

    void parameterBlocks()
    {
        Vesk device;
        QCOMPARE(device.getIndexedAddress(0x400501, 3), 0x400507u);
        QCOMPARE(VOICE_ELM_PART(0, 0), 0x410000u);
        QCOMPARE(VOICE_ELM_PART(3, 1), 0x410320u);
        QCOMPARE(VOICE_ELM_PART(2, 6), 0x440250u);
        QCOMPARE(VOICE_ELM_PART(2, 7), 0x000200u);
        QCOMPARE(DRUM_KEY_PART(0, 1), 0x470020);
        QCOMPARE(DRUM_KEY_PART(72, 0), 0x474800);
        QCOMPARE(DRUM_KEY_PART(5, 4), 0x4A0500);
        QCOMPARE(DRUM_KEY_PART(0, 5), -1);
        QCOMPARE(DRUM_KEY_PART(0, -1), -1);
    }

    // The identity reply names the model by byte 8 when byte 5 is the maker
    // and byte 9 the family; anything else is not the instrument and leaves
    // the model as it was.
    void checkId_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("model");

        QTest::newRow("ES6") << "F0 7E 00 06 02 43 00 41 69 05 00 00 00 01 F7"
                             << "Vesk ES6";
        QTest::newRow("ES7") << "F0 7E 00 06 02 43 00 41 6A 05 00 00 00 01 F7"
                             << "Vesk ES7";
        QTest::newRow("ES8, other family bytes") << "F0 7E 10 06 02 43 12 34 6B 05 7F F7"
                                                 << "Vesk ES8";
        QTest::newRow("other member") << "F0 7E 00 06 02 43 00 41 6C 05 00 00 00 01 F7"
                                      << "";
        QTest::newRow("byte 9 not 05") << "F0 7E 00 06 02 43 00 41 6A 04 00 00 00 01 F7"
                                       << "";
        QTest::newRow("other maker") << "F0 7E 00 06 02 41 00 41 6A 05 00 00 00 01 F7"
                                     << "";
        QTest::newRow("too short") << "F0 7E 00 06 02 43 00 41 6A F7"
                                   << "";
    }

    void checkId()
    {
        QFETCH(QString, reply);
        QFETCH(QString, model);
        Vesk device;
        auto message = deviceMessage(device, reply);
        QCOMPARE(device.checkId(message.get()), !model.isEmpty());
        QCOMPARE(device.model(), model);
        QVERIFY(!device.checkId(nullptr));
    }

    void replacePortNames_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("in2");
        QTest::addColumn<QString>("out2");

        QTest::newRow("both hold Port1") << "Synth Port1"
                                         << "Synth Port1 Out"
                                         << "Synth Port4"
                                         << "Synth Port4 Out";
        QTest::newRow("every Port1 replaced") << "A-Port1-Port1"
                                              << "B Port1"
                                              << "A-Port4-Port4"
                                              << "B Port4";
        QTest::newRow("at the first character") << "Port1"
                                                << "Synth Port1"
                                                << ""
                                                << "";
        QTest::newRow("only the input") << "Synth Port1"
                                        << "Synth Port2"
                                        << ""
                                        << "";
        QTest::newRow("other case") << "Synth port1"
                                    << "Synth port1"
                                    << ""
                                    << "";
    }

    void replacePortNames()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QFETCH(QString, in2);
        QFETCH(QString, out2);
        Vesk device;
        device.midiIn()->setName(in);
        device.midiOut()->setName(out);
        device.setSecondaryPorts();
        QCOMPARE(device.midiIn2()->name(), in2);
        QCOMPARE(device.midiOut2()->name(), out2);
    }

    void categories_data()
    {
        QTest::addColumn<int>("main");
        QTest::addColumn<int>("sub");
        QTest::addColumn<QString>("text");

        QTest::newRow("none") << 0 << -1 << "--";
        QTest::newRow("Ap") << 1 << -1 << "Ap";
        QTest::newRow("Co") << 16 << -1 << "Co";
        QTest::newRow("past the table") << 17 << -1 << "??";
        QTest::newRow("far past") << 40 << -1 << "??";
        QTest::newRow("negative") << -1 << -1 << "??";
        QTest::newRow("Ap 1") << 1 << 1 << "Ap:A.PIANO";
        QTest::newRow("Ap 2") << 1 << 2 << "Ap:E.GRAND";
        QTest::newRow("Ba 2") << 5 << 2 << "Ba:E.BASS";
        QTest::newRow("Co 3") << 16 << 3 << "Co:OTHER";
        QTest::newRow("no sub 99") << 1 << 99 << "Ap";
        QTest::newRow("no sub 0") << 13 << 0 << "Dr";
        QTest::newRow("none, none") << 0 << 0 << "--";
        QTest::newRow("past the table, with sub") << 20 << 1 << "??";
    }

    void categories()
    {
        QFETCH(int, main);
        QFETCH(int, sub);
        QFETCH(QString, text);
        Vesk device;
        QCOMPARE(sub == -1 ? device.printCategory(main) : device.printCategory(main, sub), text);
    }

    void monitorText_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("colours");

        QTest::newRow("one data byte")
            << "F0 43 10 7F 00 00 00 0A 03 F7"
            << "808080 808080 007800 808080 808080 b85100 b85100 b85100 0000ff 808080";
        QTest::newRow("four data bytes")
            << "F0 43 13 7F 00 30 00 60 01 02 03 04 F7"
            << "808080 808080 007800 808080 808080 b85100 b85100 b85100 0000ff 0000ff 0000ff 0000ff 808080";
        QTest::newRow("mode") << "F0 43 10 7F 00 0A 00 01 03 F7"
                              << "";
        QTest::newRow("master") << "F0 43 10 7F 00 0A 00 00 03 F7"
                                << "";
        QTest::newRow("0D0000") << "F0 43 10 7F 00 0D 00 00 03 F7"
                                << "";
        QTest::newRow("no data") << "F0 43 10 7F 00 00 00 0A F7"
                                 << "";
        QTest::newRow("bulk dump") << "F0 43 00 7F 00 00 00 0E 0F 00 63 F7"
                                   << "";
        QTest::newRow("bulk request") << "F0 43 20 7F 00 0E 01 00 F7"
                                      << "";
        QTest::newRow("parameter request") << "F0 43 30 7F 00 00 00 0A F7"
                                           << "";
        QTest::newRow("other maker") << "F0 41 10 7F 00 00 00 0A 03 F7"
                                     << "";
    }

    void monitorText()
    {
        QFETCH(QString, hex);
        QFETCH(QString, colours);
        Vesk device;
        auto message = deviceMessage(device, hex);
        QString expected;
        if (!colours.isEmpty()) {
            const QStringList bytes = hex.split(QLatin1Char(' '));
            const QStringList list = colours.split(QLatin1Char(' '));
            QCOMPARE(list.size(), bytes.size());
            for (int i = 0; i < bytes.size(); ++i)
                expected += QStringLiteral("<font color=#%1>%2</font> ").arg(list.at(i), bytes.at(i));
        }
        QCOMPARE(device.displaySysex(message.get()), expected);
        QCOMPARE(device.displaySysex(nullptr), QString());
    }

    // The search for the instrument over every output finds the one whose
    // identity reply names an ES7.
    void findsTheInstrument()
    {
        TestInstrument instrument(*bus, QStringLiteral("Synth Port1"));
        instrument.setIdentityReply(QByteArray::fromHex("F07E000602430041"
                                                        "6A05"
                                                        "00000001F7"));
        Vesk device;
        QCOMPARE(device.connectionStatus(), QStringLiteral("Not connected"));
        device.autoConnect();
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), 10000);
        QTRY_VERIFY(device.isConnected());
        QCOMPARE(device.model(), QStringLiteral("Vesk ES7"));
        QCOMPARE(device.connectionStatus(), QStringLiteral("Vesk ES7 connected"));
        QCOMPARE(device.midiOut()->name(), QStringLiteral("Synth Port1"));
        // An instrument that answers as another model is not taken.
        instrument.setIdentityReply(QByteArray::fromHex("F07E000602430041"
                                                        "6A04"
                                                        "00000001F7"));
        device.autoConnect();
        QTRY_VERIFY_WITH_TIMEOUT(!device.isAutoConnecting(), 10000);
        QVERIFY(!device.isConnected());
    }
};

ORVANE_TEST_MAIN(TestVeskDevice)
#include "tst_veskdevice.moc"
