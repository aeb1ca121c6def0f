// The instrument's messages: how each kind is read, how the builders lay them
// out byte for byte, where a parameter sits inside a bulk block, the name and
// category readers, re-addressing and the analysis line.
#include "MidiParam.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskSysex.h"

#include <functional>
#include <memory>

namespace {

std::unique_ptr<VeskSysex> messageOf(const QString& hex)
{
    auto message = std::make_unique<VeskSysex>();
    message->fromString(hex);
    return message;
}

// A bulk dump of data at address, built the instrument's way.
QString bulkText(unsigned int address, const QString& data)
{
    VeskSysex message;
    message.prepareBulkDump(address, data);
    return message.toString(-1);
}

QString filler(int n, int value = 0)
{
    QStringList bytes;
    for (int i = 0; i < n; ++i)
        bytes << QStringLiteral("%1").arg((value + i) & 0x7F, 2, 16, QLatin1Char('0')).toUpper();
    return bytes.join(QLatin1Char(' '));
}

// The sub-block windows as the instrument's memory map lists them: tested in
// this order, the first that holds the address wins.
struct ScanWindow
{
    unsigned int base;
    unsigned int length;
};

QList<ScanWindow> scanWindows()
{
    QList<ScanWindow> list{{0x400040, 4}};
    for (unsigned int e = 0; e < 4; ++e)
        list.append({0x410020 + e * 0x100, 30});
    for (unsigned int e = 0; e < 4; ++e)
        list.append({0x440040 + e * 0x100, 8});
    for (unsigned int e = 0; e < 4; ++e)
        list.append({0x440050 + e * 0x100, 4});
    list.append({0x460040, 4});
    for (unsigned int k = 0; k < 73; ++k)
        list.append({0x470020 + k * 0x100, 12});
    return list;
}

using Builder = std::function<void(VeskSysex&)>;

} // namespace

Q_DECLARE_METATYPE(Builder)

class TestVeskSysex : public QObject
{
    Q_OBJECT

private slots:
    void analyse_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<int>("type");
        QTest::addColumn<uint>("address");
        QTest::addColumn<int>("dataSize");
        QTest::addColumn<bool>("hasData");
        QTest::addColumn<bool>("bulk");

        QTest::newRow("bulk header") << "F0 43 00 7F 00 00 00 0E 0F 00 63 F7" << 0x00 << 0x0E0F00u << 0
                                     << true << true;
        QTest::newRow("bulk block, device 5")
            << "F0 43 05 7F 00 00 10 32 01 00 00 40 40 00 7F 04 7F 64 40 00 00 00 67 7F 07 0A 20 F7" << 0x00
            << 0x320100u << 16 << true << true;
        QTest::newRow("parameter change")
            << "F0 43 10 7F 00 0A 00 01 03 F7" << 0x10 << 0x0A0001u << 1 << true << false;
        QTest::newRow("parameter change without data")
            << "F0 43 10 7F 00 0A 00 01 F7" << 0x10 << 0x0A0001u << 0 << false << false;
        QTest::newRow("bulk request")
            << "F0 43 20 7F 00 0E 01 00 F7" << 0x20 << 0x0E0100u << 0 << false << false;
        QTest::newRow("parameter request, device 1")
            << "F0 43 31 7F 00 00 00 0A F7" << 0x30 << 0x00000Au << 0 << false << false;
        QTest::newRow("another maker")
            << "F0 41 10 7F 00 0A 00 01 03 F7" << -1 << 0xFFFFFFFFu << 0 << false << false;
        QTest::newRow("unknown kind")
            << "F0 43 40 7F 00 0A 00 01 03 F7" << -1 << 0xFFFFFFFFu << 0 << false << false;
        QTest::newRow("bulk dump cut short")
            << "F0 43 00 7F 00 00 00 0E F7" << -1 << 0xFFFFFFFFu << 0 << false << false;
        QTest::newRow("request cut short") << "F0 43 20 7F 00 F7" << -1 << 0xFFFFFFFFu << 0 << false << false;
        QTest::newRow("no closing F7")
            << "F0 43 10 7F 00 0A 00 01 03" << -1 << 0xFFFFFFFFu << 0 << false << false;
        QTest::newRow("identity reply")
            << "F0 7E 00 06 02 43 00 00 6A 05 00 00 00 00 F7" << -1 << 0xFFFFFFFFu << 0 << false << false;
    }

    void analyse()
    {
        QFETCH(QString, hex);
        QFETCH(int, type);
        QFETCH(uint, address);
        QFETCH(int, dataSize);
        QFETCH(bool, hasData);
        QFETCH(bool, bulk);
        auto message = messageOf(hex);
        QCOMPARE(message->type(), type);
        QCOMPARE(message->address(), address);
        QCOMPARE(message->dataSize(), dataSize);
        QCOMPARE(message->hasData(), hasData);
        QCOMPARE(message->isBulkDump(), bulk);
        QCOMPARE(message->checksumStart(), type == 0x00 ? 5 : -1);
        // Invalid messages hold no name either.
        if (type == -1) {
            QVERIFY(!message->hasName());
            QCOMPARE(message->printAnalysis(), QStringLiteral("invalid"));
        }
    }

    void builders_data()
    {
        QTest::addColumn<Builder>("build");
        QTest::addColumn<QString>("hex");

        QTest::newRow("bulk request names the header")
            << Builder([](VeskSysex& m) { m.prepareBulkRequest(0x0100); }) << "F0 43 20 7F 00 0E 01 00 F7";
        QTest::newRow("bulk header") << Builder([](VeskSysex& m) { m.prepareBulkHeader(0x0F00); })
                                     << "F0 43 00 7F 00 00 00 0E 0F 00 63 F7";
        QTest::newRow("bulk footer") << Builder([](VeskSysex& m) { m.prepareBulkFooter(0x0F00); })
                                     << "F0 43 00 7F 00 00 00 0F 0F 00 62 F7";
        QTest::newRow("init master common block") << Builder([](VeskSysex& m) {
            m.prepareBulkDump(0x330000, "49 6E 69 74 4D 61 73 74 65 72 00 00 00 00 00 00 00 00 02");
        }) << "F0 43 00 7F 00 00 13 33 00 00 49 6E 69 74 4D 61 73 74 65 72 00 00 00 00 00 00 00 00 02 38 F7";
        QTest::newRow("init master zone 2") << Builder([](VeskSysex& m) {
            m.prepareBulkDump(0x320100, "00 40 40 00 7F 04 7F 64 40 00 00 00 67 7F 07 0A");
        }) << "F0 43 00 7F 00 00 10 32 01 00 00 40 40 00 7F 04 7F 64 40 00 00 00 67 7F 07 0A 20 F7";
        QTest::newRow("parameter change") << Builder([](VeskSysex& m) {
            m.prepareParameterChange(MidiParam(0x0A0001, 1, false, false), 3);
        }) << "F0 43 10 7F 00 0A 00 01 03 F7";
        QTest::newRow("two-byte parameter change") << Builder([](VeskSysex& m) {
            m.prepareParameterChange(MidiParam(0x002100, 2, false, false), 0x148);
        }) << "F0 43 10 7F 00 00 21 00 02 48 F7";
        QTest::newRow("parameter request")
            << Builder([](VeskSysex& m) { m.prepareParameterRequest(MidiParam(0x00000A, 1, false, false)); })
            << "F0 43 30 7F 00 00 00 0A F7";
        QTest::newRow("parameter without address empties the message") << Builder([](VeskSysex& m) {
            m.prepareBulkHeader(0x0F00);
            m.prepareParameterChange(MidiParam(), 3);
        }) << "";
        QTest::newRow("request without address empties the message") << Builder([](VeskSysex& m) {
            m.prepareBulkHeader(0x0F00);
            m.prepareParameterRequest(MidiParam());
        }) << "";
    }

    void builders()
    {
        QFETCH(Builder, build);
        QFETCH(QString, hex);
        VeskSysex message;
        build(message);
        QCOMPARE(message.toString(-1), hex);
        if (hex.isEmpty())
            QVERIFY(!message.isValid());
        else
            QVERIFY(message.isValid());
        if (message.type() == 0x00) {
            // Every bulk dump adds up, with its checksum, to a multiple of 128.
            int sum = 0;
            for (int i = 5; i < message.size() - 1; ++i)
                sum += message.at(i);
            QCOMPARE(sum % 128, 0);
            QCOMPARE(message.at(5) << 7 | message.at(6), message.dataSize());
        }
    }

    // The data size goes out in two 7-bit groups, high first.
    void largeDataCount()
    {
        VeskSysex message;
        message.prepareBulkDump(0x400000, filler(130));
        QCOMPARE(message.dataSize(), 130);
        QCOMPARE(message.toString(16), QStringLiteral("F0 43 00 7F 00 01 02 40 00 00 00 01 02 03 04 05 ..."));
    }

    void windows_data()
    {
        QTest::addColumn<uint>("address");
        QTest::addColumn<uint>("base");
        QTest::addColumn<uint>("offset");

        QTest::newRow("element 2, last byte of its window") << 0x41013Du << 0x410120u << 0x1Du;
        QTest::newRow("element 2, past its window") << 0x41013Eu << 0x410100u << 0x3Eu;
        QTest::newRow("element 2, before its window") << 0x41011Fu << 0x410100u << 0x1Fu;
        QTest::newRow("voice common, second part") << 0x400043u << 0x400040u << 0x03u;
        QTest::newRow("voice common, past second part") << 0x400044u << 0x400000u << 0x44u;
        QTest::newRow("element 4, page with two windows, first") << 0x440347u << 0x440340u << 0x07u;
        QTest::newRow("element 4, between the two") << 0x440348u << 0x440300u << 0x48u;
        QTest::newRow("element 4, page with two windows, second") << 0x440353u << 0x440350u << 0x03u;
        QTest::newRow("element 5 does not exist") << 0x440440u << 0x440400u << 0x40u;
        QTest::newRow("drum common, second part") << 0x460040u << 0x460040u << 0x00u;
        QTest::newRow("drum key 0") << 0x470020u << 0x470020u << 0x00u;
        QTest::newRow("drum key 72, first") << 0x474820u << 0x474820u << 0x00u;
        QTest::newRow("drum key 72, last") << 0x47482Bu << 0x474820u << 0x0Bu;
        QTest::newRow("drum key 73 has none") << 0x474920u << 0x474900u << 0x20u;
        QTest::newRow("system area") << 0x0A0001u << 0x0A0000u << 0x01u;
        QTest::newRow("high address") << 0x7F7F7Fu << 0x7F7F00u << 0x7Fu;
    }

    void windows()
    {
        QFETCH(uint, address);
        QFETCH(uint, base);
        QFETCH(uint, offset);
        VeskSysex message;
        unsigned int b = 0;
        unsigned int o = 0;
        message.getBulkBaseAndOffset(address, b, o);
        QCOMPARE(b, base);
        QCOMPARE(o, offset);
    }

    // The index answers what a scan of the window list answers, for every
    // address of the voice and drum areas and their neighbours.
    void windowIndexMatchesScan()
    {
        const QList<ScanWindow> list = scanWindows();
        QCOMPARE(list.size(), 87);
        for (unsigned int address = 0x3F0000; address < 0x4C0000; ++address) {
            unsigned int base = 0;
            unsigned int length = 0;
            const bool found = VeskSysex::findWindow(address, base, length);
            const ScanWindow* expected = nullptr;
            for (const ScanWindow& w : list) {
                if (address - w.base < w.length) {
                    expected = &w;
                    break;
                }
            }
            if (found != (expected != nullptr) ||
                (expected && (base != expected->base || length != expected->length)))
                QFAIL(qPrintable(QStringLiteral("window of %1").arg(address, 6, 16, QLatin1Char('0'))));
        }
    }

    // A value is read only when every byte of it lies in the data: a short
    // or empty parameter change, or a parameter at a block's last byte, never
    // makes the checksum or F7 part of a value.
    void parameterRead_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<uint>("address");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("value");

        const QString window = bulkText(0x410120, filler(30, 1));
        QTest::newRow("window, first byte") << window << 0x410120u << 1 << 0 << 1;
        QTest::newRow("window, last byte") << window << 0x41013Du << 1 << 29 << 30;
        QTest::newRow("window, two bytes at the end") << window << 0x41013Cu << 2 << 28 << (29 << 7 | 30);
        QTest::newRow("window, two bytes from the last") << window << 0x41013Du << 2 << -1 << -1;
        QTest::newRow("window, other element") << window << 0x410020u << 1 << -1 << -1;
        const QString block = bulkText(0x410100, filler(29, 0x10));
        QTest::newRow("block before the window") << block << 0x41011Cu << 1 << 28 << 0x10 + 28;
        QTest::newRow("block, address of the window") << block << 0x410120u << 1 << -1 << -1;
        QTest::newRow("block, past its data") << block << 0x41011Du << 1 << -1 << -1;
        QTest::newRow("empty header") << "F0 43 00 7F 00 00 00 0E 0F 00 63 F7" << 0x0E0F00u << 1 << -1 << -1;
        QTest::newRow("parameter change") << "F0 43 10 7F 00 0A 00 01 03 F7" << 0x0A0001u << 1 << 0 << 3;
        QTest::newRow("parameter change, other address")
            << "F0 43 10 7F 00 0A 00 01 03 F7" << 0x0A0000u << 1 << -1 << -1;
        QTest::newRow("parameter change shorter than the parameter")
            << "F0 43 10 7F 00 0A 00 01 03 F7" << 0x0A0001u << 2 << -1 << -1;
        QTest::newRow("parameter change without data")
            << "F0 43 10 7F 00 0A 00 01 F7" << 0x0A0001u << 1 << -1 << -1;
        QTest::newRow("request") << "F0 43 30 7F 00 0A 00 01 F7" << 0x0A0001u << 1 << -1 << -1;
        // The master effect types come as two bytes whatever size the
        // parameter declares.
        QTest::newRow("effect type, declared one byte")
            << "F0 43 10 7F 00 30 11 00 02 48 F7" << 0x301100u << 1 << 0 << 0x148;
        QTest::newRow("effect type, system")
            << "F0 43 10 7F 00 00 21 00 0E 40 F7" << 0x002100u << 2 << 0 << 0x740;
        QTest::newRow("effect type, mix")
            << "F0 43 10 7F 00 36 11 00 01 02 F7" << 0x361100u << 1 << 0 << 0x82;
        QTest::newRow("effect type, one byte only")
            << "F0 43 10 7F 00 30 11 00 02 F7" << 0x301100u << 1 << 0 << -1;
        QTest::newRow("effect type in its block")
            << bulkText(0x301100, "02 48 " + filler(33)) << 0x301100u << 2 << 0 << 0x148;
    }

    void parameterRead()
    {
        QFETCH(QString, hex);
        QFETCH(uint, address);
        QFETCH(int, size);
        QFETCH(int, pos);
        QFETCH(int, value);
        auto message = messageOf(hex);
        QVERIFY(message->isValid());
        const MidiParam param(address, size, false, false);
        QCOMPARE(message->getParameterPos(param), pos);
        QCOMPARE(message->getParameterData(param), value);
    }

    // Names come from the common blocks of voices, drum kits, PLG voices,
    // performances, masters and mixes; only the bulk form of the first four
    // carries a category.
    void names_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<bool>("hasName");
        QTest::addColumn<bool>("hasCategory");
        QTest::addColumn<QString>("name");

        const QString voiceName = "49 6E 69 74 20 56 6F 69 63 65 00 00 ";
        QTest::newRow("voice, category 1")
            << bulkText(0x407000, voiceName + "01 02 " + filler(68)) << true << true << "Ap:Init Voice";
        QTest::newRow("drum kit, category 13")
            << bulkText(0x467000, voiceName + "0D 00 " + filler(68)) << true << true << "Dr:Init Voice";
        QTest::newRow("PLG voice, category 0")
            << bulkText(0x4C7000, voiceName + "00 00 " + filler(68)) << true << true << "--:Init Voice";
        QTest::newRow("performance, category outside the table")
            << bulkText(0x300000, voiceName + "14 00 " + filler(87)) << true << true << "??:Init Voice";
        QTest::newRow("master") << bulkText(0x330000, "49 6E 69 74 4D 61 73 74 65 72 " + filler(9)) << true
                                << false << "InitMaster";
        QTest::newRow("mix") << bulkText(0x360000, "49 6E 69 74 20 4D 75 6C 74 69 " + filler(91)) << true
                             << false << "Init Multi";
        QTest::newRow("empty common block") << bulkText(0x407000, QString()) << true << true << "";
        QTest::newRow("parameter change to a name")
            << "F0 43 10 7F 00 40 70 00 41 42 43 44 F7" << true << false << "";
        QTest::newRow("other block") << bulkText(0x400000, filler(17)) << false << false << "";
    }

    void names()
    {
        QFETCH(QString, hex);
        QFETCH(bool, hasName);
        QFETCH(bool, hasCategory);
        QFETCH(QString, name);
        Vesk device;
        auto message = messageOf(hex);
        QCOMPARE(message->hasName(), hasName);
        QCOMPARE(message->hasCategory(), hasCategory);
        if (hasName)
            QCOMPARE(message->readName(&device), name);
    }

    void setAddress()
    {
        // A bulk block moves with a renewed checksum, as if built there.
        auto block = messageOf(bulkText(0x410000, filler(29, 5)));
        block->setAddress(0x410300);
        QCOMPARE(block->toString(-1), bulkText(0x410300, filler(29, 5)));
        QCOMPARE(block->address(), 0x410300u);

        // A header becomes a footer; the analysis follows the bytes.
        auto header = messageOf("F0 43 00 7F 00 00 00 0E 0F 00 63 F7");
        QVERIFY(header->isHeader());
        header->setAddress(0x0F0F00);
        QCOMPARE(header->toString(-1), QStringLiteral("F0 43 00 7F 00 00 00 0F 0F 00 62 F7"));
        QVERIFY(header->isFooter() && !header->isHeader());
        QVERIFY(header->isLastOfBulk());

        // A parameter change keeps its address in bytes 5-7 and its data.
        auto change = messageOf("F0 43 10 7F 00 0A 00 01 03 F7");
        change->setAddress(0x0A0000);
        QCOMPARE(change->toString(-1), QStringLiteral("F0 43 10 7F 00 0A 00 00 03 F7"));

        // Not the instrument's, or already there: nothing changes.
        for (const QString& hex : {QStringLiteral("F0 41 00 7F 00 00 00 0E 0F 00 63 F7"),
                                   QStringLiteral("F0 43 00 7F 00 00 00 0E 0F 00 63 F7")}) {
            auto message = messageOf(hex);
            message->setAddress(0x0E0F00);
            QCOMPARE(message->toString(-1), hex);
        }
    }

    void analysisLine_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("line");

        QTest::newRow("bulk dump") << "F0 43 00 7F 00 00 04 32 01 00 00 40 40 00 4F F7"
                                   << "BULK DUMP: 320100 : 00 40 40 00";
        QTest::newRow("bulk header") << "F0 43 00 7F 00 00 00 0E 0F 00 63 F7"
                                     << "BULK DUMP: 0E0F00 : ";
        QTest::newRow("bulk request") << "F0 43 20 7F 00 0E 01 00 F7"
                                      << "BULK REQUEST: 0E0100";
        QTest::newRow("parameter change at 0") << "F0 43 10 7F 00 00 00 00 05 F7"
                                               << "PARAM CHANGE: 000000 : 05";
        QTest::newRow("parameter change") << "F0 43 10 7F 00 30 11 00 02 48 F7"
                                          << "PARAM CHANGE: 301100 : 02 48";
        QTest::newRow("parameter request") << "F0 43 30 7F 00 00 00 0A F7"
                                           << "PARAM REQUEST : 00000A";
        QTest::newRow("another maker") << "F0 41 30 7F 00 00 00 0A F7"
                                       << "invalid";
    }

    void analysisLine()
    {
        QFETCH(QString, hex);
        QFETCH(QString, line);
        QCOMPARE(messageOf(hex)->printAnalysis(), line);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestVeskSysex)
#include "tst_vesksysex.moc"
