// A parameter's value mapping (data to control value and back, bit fields,
// item tables, range and default) and its value text (display and parsing).
#include "DeviceTable.h"
#include "ParamInfo.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <limits>
#include <memory>

namespace {

// Tables of a test instrument beside the generic ones ("NOTENAME").
const char* const ParamTables = R"(
[Steps]
Size=1
Ridev=3
0=16,Low
1=32,Mid
2=48,High

[Detune]
Size=1
Ridev=3
0=0,-12.8
1=1,0.0
2=2,+12.7

[Pianos]
Size=1
Ridev=3
0=0,Ap Concert
1=1,Ap GrndStSw1
2=2,Ap Grnd
)";

const QString Sixteen = QStringLiteral("1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16");

// The display side of a parameter, as a panel element would give it.
struct Scaling
{
    int offset = 0;
    int divide = 1;
    int multi = 1;
    QString metric;
    int numbers = 0;
};

} // namespace

Q_DECLARE_METATYPE(Scaling)

class TestParamInfo : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> m_device;

    // A one-byte parameter with its items and range loaded from the device.
    ParamInfo param(const QString& items, int min = 0, int max = -1, const Scaling& scaling = Scaling())
    {
        ParamInfo p;
        p.loadItems(m_device.get(), items, min, max);
        p.offset = scaling.offset;
        p.divide = scaling.divide;
        p.multi = scaling.multi;
        p.metric = scaling.metric;
        p.numbers = scaling.numbers;
        return p;
    }

private slots:
    void initTestCase()
    {
        m_device = std::make_unique<TestDevice>();
        m_device->ini()->loadText(QString::fromLatin1(ParamTables));
    }
    void cleanupTestCase() { m_device.reset(); }

    // Receiving stores the whole data and maps it; sending packs the value
    // into that data without storing it back.
    void mapping_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("bit");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("send");
        QTest::addColumn<int>("sent");

        QTest::newRow("low nibble, inline table") << Sixteen << -1 << 0 << 4 << 0x35 << 5 << 9 << 0x39;
        QTest::newRow("flag in bit 3") << QString() << 1 << 3 << 1 << 0x0F << 1 << 0 << 0x07;
        QTest::newRow("inline pair") << QStringLiteral("mic|line") << -1 << -1 << 0 << 1 << 1 << 0 << 0;
        QTest::newRow("ini values") << QStringLiteral("Steps") << -1 << -1 << 0 << 0x20 << 1 << 2 << 0x30;
        QTest::newRow("data no entry holds")
            << QStringLiteral("Steps") << -1 << -1 << 0 << 0x25 << -1 << 0 << 0x10;
        QTest::newRow("no data, bit field") << QString() << 15 << 4 << 4 << -1 << -1 << -1 << -1;
        QTest::newRow("no data, table") << QStringLiteral("Steps") << -1 << -1 << 0 << -1 << -1 << -1 << -1;
        QTest::newRow("whole data") << QString() << -1 << -1 << 0 << 100 << 100 << 27 << 27;
        // A max the table does not reach: the index past the last entry sends
        // the last entry's data, never memory beyond the table.
        QTest::newRow("max beyond table")
            << QStringLiteral("Steps") << 127 << -1 << 0 << 0x30 << 2 << 127 << 0x30;
        QTest::newRow("max beyond table, bit field")
            << QStringLiteral("mic|line") << 9 << 2 << 1 << 0xFF << 1 << 9 << 0xFF;
        // A width without a bit position is no bit field.
        QTest::newRow("bits without bit") << QString() << -1 << -1 << 4 << 0x35 << 0x35 << 9 << 9;
        QTest::newRow("bit past bit 30") << QString() << -1 << 31 << 1 << 0x35 << 0x35 << 9 << 9;
    }
    void mapping()
    {
        QFETCH(QString, items);
        QFETCH(int, max);
        QFETCH(int, bit);
        QFETCH(int, bits);
        QFETCH(int, received);
        QFETCH(int, value);
        QFETCH(int, send);
        QFETCH(int, sent);

        ParamInfo p = param(items, 0, max);
        p.setBitField(bit, bits);
        if (received != -1)
            p.setWholeData(received);
        QCOMPARE(p.dataToValue(received), value);
        QCOMPARE(p.valueToData(send), sent);
        // Sending again packs into the same received data.
        QCOMPARE(p.valueToData(send), sent);
        if (received != -1)
            QCOMPARE(p.wholeData, received);
    }

    // The bit field as the panel data gives it, and as a record filled by hand
    // may hold it.
    void bitFieldRule()
    {
        ParamInfo p;
        QVERIFY(!p.hasBitField());
        p.setBitField(0, 0);
        QCOMPARE(p.bit, 0);
        QCOMPARE(p.bits, 1);
        p.setBitField(0x13, 0);
        QCOMPARE(p.bit, 19);
        QCOMPARE(p.bits, 1);
        p.setBitField(-1, 4);
        QCOMPARE(p.bit, -1);
        QCOMPARE(p.bits, 0);
        QVERIFY(!p.hasBitField());
        p.setBitField(28, 8);
        QCOMPARE(p.bits, 3);
        QCOMPARE(p.extractPartial(0x70000000), 7);

        // Set by hand: no shift by -1, the data passes whole both ways.
        p.bit = -1;
        p.bits = 4;
        QVERIFY(!p.hasBitField());
        QCOMPARE(p.extractPartial(0x35), 0x35);
        QCOMPARE(p.packPartial(9), 9);

        // The packed value is not masked to the field: the range keeps it in.
        p.setBitField(0, 4);
        p.setWholeData(0x30);
        QCOMPARE(p.packPartial(0x12), 0x32);
    }

    void defaultValue_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("defaultVal");
        QTest::addColumn<int>("expected");
        QTest::newRow("0..127") << 0 << 127 << -1 << 64;
        QTest::newRow("1..127") << 1 << 127 << -1 << 64;
        QTest::newRow("-64..63") << -64 << 63 << -1 << 0;
        QTest::newRow("0..1") << 0 << 1 << -1 << 1;
        QTest::newRow("0..0") << 0 << 0 << -1 << 0;
        QTest::newRow("nothing loaded") << 0 << -1 << -1 << 0;
        QTest::newRow("given") << 1 << 300 << 120 << 120;
    }
    void defaultValue()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, defaultVal);
        QFETCH(int, expected);
        ParamInfo p;
        p.min = min;
        p.max = max;
        p.defaultVal = defaultVal;
        QCOMPARE(p.defaultValue(), expected);
    }

    void loadItems_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("nibbles");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("expectedMax");
        QTest::addColumn<int>("entries");
        QTest::newRow("one byte") << QString() << 1 << false << -1 << 127 << 0;
        QTest::newRow("two bytes") << QString() << 2 << false << -1 << 16383 << 0;
        QTest::newRow("two nibbles") << QString() << 2 << true << -1 << 255 << 0;
        QTest::newRow("max 0 is read") << QString() << 1 << false << 0 << 0 << 0;
        QTest::newRow("five bytes stay an int")
            << QString() << 5 << false << -1 << std::numeric_limits<int>::max() << 0;
        QTest::newRow("inline") << QStringLiteral("mono|stereo") << 1 << false << -1 << 1 << 2;
        QTest::newRow("empty pieces count") << QStringLiteral("a||") << 1 << false << -1 << 2 << 3;
        QTest::newRow("ini section") << QStringLiteral("NOTENAME") << 1 << false << -1 << 127 << 128;
        QTest::newRow("max not checked") << QStringLiteral("Steps") << 1 << false << 127 << 127 << 3;
        QTest::newRow("missing section") << QStringLiteral("NoSuchTable") << 1 << false << -1 << -1 << 0;
    }
    void loadItems()
    {
        QFETCH(QString, items);
        QFETCH(int, size);
        QFETCH(bool, nibbles);
        QFETCH(int, max);
        QFETCH(int, expectedMax);
        QFETCH(int, entries);
        ParamInfo p;
        p.setSize(size);
        p.nibbles = nibbles;
        p.loadItems(m_device.get(), items, 1, max);
        QCOMPARE(p.min, 1);
        QCOMPARE(p.max, expectedMax);
        QCOMPARE(p.hasTable(), entries > 0);
        QCOMPARE(p.tableSize(), entries);
    }

    void tables()
    {
        // One table per items text, shared.
        ParamInfo a = param(QStringLiteral("mic|line"));
        ParamInfo b = param(QStringLiteral("mic|line"));
        QVERIFY(a.items && a.items == b.items);
        QCOMPARE(a.items->at(0).value, 0);
        QCOMPARE(a.items->at(1).text, QStringLiteral("line"));

        // An empty items text keeps a table attached before.
        a.loadItems(m_device.get(), QString(), 0, 5);
        QVERIFY(a.items == b.items);
        QCOMPARE(a.max, 5);

        // An empty table counts as none: the value is the data, and with no
        // max nothing is valid, so every value shows blank.
        ParamInfo none = param(QStringLiteral("NoSuchTable"));
        QVERIFY(!none.hasTable());
        QCOMPARE(none.dataToValue(7), 7);
        QCOMPARE(none.valueToData(7), 7);
        QCOMPARE(none.displayValue(0), QString());

        // Without a device there is no table store.
        ParamInfo lone;
        lone.loadItems(nullptr, QStringLiteral("mic|line"), 0, -1);
        QVERIFY(!lone.items);
        QCOMPARE(lone.max, -1);
    }

    void displayValue_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<Scaling>("scaling");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");

        const auto offset = [](int o) {
            Scaling d;
            d.offset = o;
            return d;
        };
        Scaling degrees = offset(-64);
        degrees.multi = 3;
        degrees.metric = QStringLiteral("deg");
        Scaling ms;
        ms.divide = 10;
        ms.metric = QStringLiteral("ms");
        Scaling tenths = offset(-64);
        tenths.divide = 10;
        Scaling hz;
        hz.metric = QStringLiteral("Hz");
        Scaling numbered;
        numbered.numbers = 3;
        Scaling unscaled;
        unscaled.offset = 5;
        unscaled.divide = 0;
        unscaled.multi = 0;
        Scaling divideOne = unscaled;
        divideOne.divide = 1;

        const QString none;
        QTest::newRow("plain") << none << 0 << 127 << Scaling() << 64 << "64";
        QTest::newRow("offset, above zero") << none << 1 << 127 << offset(-64) << 74 << "+10";
        QTest::newRow("offset, zero") << none << 1 << 127 << offset(-64) << 64 << "0";
        QTest::newRow("offset, below zero") << none << 1 << 127 << offset(-64) << 54 << "-10";
        QTest::newRow("offset, multi, metric") << none << 4 << 124 << degrees << 124 << "+180deg";
        QTest::newRow("divide, metric") << none << 0 << 127 << ms << 5 << "0.5ms";
        QTest::newRow("divide, offset") << none << 0 << 127 << tenths << 84 << "+2.0";
        QTest::newRow("divide, offset, zero") << none << 0 << 127 << tenths << 64 << "0.0";
        QTest::newRow("divide, offset, below") << none << 0 << 127 << tenths << 63 << "-0.1";
        QTest::newRow("positive offset, no sign") << none << 0 << 127 << offset(10) << 5 << "15";
        QTest::newRow("multi 0, divide 0") << none << 0 << 127 << unscaled << 10 << "15";
        QTest::newRow("divide 1") << none << 0 << 127 << divideOne << 10 << "15";
        QTest::newRow("inline entry") << QStringLiteral("mic|line") << 0 << -1 << Scaling() << 1 << "line";
        QTest::newRow("note name") << QStringLiteral("NOTENAME") << 0 << -1 << Scaling() << 60 << "C 3";
        QTest::newRow("entry with unit") << QStringLiteral("Detune") << 0 << -1 << hz << 0 << "-12.8Hz";
        QTest::newRow("entry, offset ignored")
            << QStringLiteral("Steps") << 0 << -1 << offset(-64) << 1 << "Mid";
        QTest::newRow("number, no table") << none << 0 << 127 << numbered << 5 << "005 5";
        QTest::newRow("number of entry data")
            << QStringLiteral("Steps") << 0 << -1 << numbered << 1 << "032 Mid";
        QTest::newRow("entry past the table") << QStringLiteral("Steps") << 0 << 10 << Scaling() << 5 << "";
        QTest::newRow("number, past the table") << QStringLiteral("Steps") << 0 << 10 << numbered << 5 << "";
        QTest::newRow("below min") << none << 1 << 127 << offset(-64) << 0 << "";
        QTest::newRow("above max") << none << 0 << 127 << Scaling() << 128 << "";
        QTest::newRow("no value") << none << 0 << 127 << Scaling() << -1 << "";
    }
    void displayValue()
    {
        QFETCH(QString, items);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(Scaling, scaling);
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(param(items, min, max, scaling).displayValue(value), text);
    }

    void unloadedRangeShowsNothing()
    {
        const ParamInfo p;
        for (int value : {-1, 0, 1, 64})
            QCOMPARE(p.displayValue(value), QString());
    }

    void parseText_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<Scaling>("scaling");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");

        Scaling bipolar;
        bipolar.offset = -64;
        Scaling tenths;
        tenths.divide = 10;
        Scaling degrees = bipolar;
        degrees.multi = 3;
        Scaling unscaled;
        unscaled.divide = 0;
        unscaled.multi = 0;

        const QString none;
        const QString pair = QStringLiteral("mic|line");
        const QString pianos = QStringLiteral("Pianos");
        QTest::newRow("case ignored") << pair << Scaling() << "Line" << 1;
        QTest::newRow("prefix") << pair << Scaling() << "li" << 1;
        QTest::newRow("no entry") << pair << Scaling() << "x" << -1;
        QTest::newRow("empty is first entry") << pair << Scaling() << "" << 0;
        QTest::newRow("entry blanks removed") << pianos << Scaling() << "ApGrndStSw1" << 1;
        QTest::newRow("exact before prefix") << pianos << Scaling() << "apgrnd" << 2;
        QTest::newRow("prefix, table order") << pianos << Scaling() << "apgr" << 1;
        QTest::newRow("typed blanks stay") << pianos << Scaling() << "ap grnd" << -1;
        QTest::newRow("signed, offset") << none << bipolar << "+10" << 74;
        QTest::newRow("negative, offset") << none << bipolar << "-10" << 54;
        QTest::newRow("decimal") << none << tenths << "0.5" << 5;
        QTest::newRow("multi, offset") << none << degrees << "180" << 124;
        QTest::newRow("truncated") << none << Scaling() << "2.9" << 2;
        QTest::newRow("truncated toward zero") << none << Scaling() << "-2.9" << -2;
        QTest::newRow("no scaling") << none << unscaled << " 42 " << 42;
        QTest::newRow("letter") << none << Scaling() << "1e3" << -1;
        QTest::newRow("unit") << none << tenths << "0.5ms" << -1;
        QTest::newRow("sign alone") << none << Scaling() << "-" << -1;
        QTest::newRow("no number") << none << Scaling() << "1.2.3" << -1;
        QTest::newRow("huge") << none << Scaling() << "99999999999" << std::numeric_limits<int>::max();
    }
    void parseText()
    {
        QFETCH(QString, items);
        QFETCH(Scaling, scaling);
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(param(items, 0, -1, scaling).parseText(text), value);
    }

    // A renamed entry shows in every parameter that names the same items.
    void setValueTextIsShared()
    {
        ParamInfo a = param(QStringLiteral("off|on|auto"));
        ParamInfo b = param(QStringLiteral("off|on|auto"));
        a.setValueText(1, QStringLiteral("ON"));
        QCOMPARE(b.displayValue(1), QStringLiteral("ON"));

        // Values outside the range or the table change nothing.
        a.setValueText(3, QStringLiteral("x"));
        a.max = 5;
        a.setValueText(4, QStringLiteral("x"));
        a.min = 1;
        a.setValueText(0, QStringLiteral("x"));
        QCOMPARE(a.items->size(), 3);
        QCOMPARE(b.displayValue(0), QStringLiteral("off"));
        QCOMPARE(b.displayValue(2), QStringLiteral("auto"));

        // Without a table there is nothing to rename.
        ParamInfo plain = param(QString());
        plain.setValueText(1, QStringLiteral("x"));
        QCOMPARE(plain.displayValue(1), QStringLiteral("1"));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestParamInfo)
#include "tst_paraminfo.moc"
