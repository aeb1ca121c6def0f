#include "MidiMessage.h"
#include "MidiParam.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QtTest>

class TestMidiParam : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void maximum_data();
    void maximum();
    void effectiveAddress();
    void matches();
    void parseAddress();
    void data7to8_data();
    void data7to8();
    void readData_data();
    void readData();
    void printData_data();
    void printData();
    void smallConversions();
};

void TestMidiParam::construction()
{
    const MidiParam p;
    QCOMPARE(p.size, 1);
    QVERIFY(!p.nibbles);
    QCOMPARE(p.baseAddress, 0xFFFFFFFFu);
    QCOMPARE(p.addressOffset, 0);
    QCOMPARE(p.controllerNumber, -1);
    QCOMPARE(p.midiChannel, -1);
    QVERIFY(!p.hasAddress());
    QVERIFY(!p.hasChannel());
    QCOMPARE(p.calculateMaximum(), 127u);

    const MidiParam wide(0x37000D, 2, false, true);
    QCOMPARE(wide.size, 2);
    QCOMPARE(wide.address(), 0x37000Du);
    QCOMPARE(wide.calculateMaximum(), 16383u);

    MidiParam zero(0x0A0001, 0, false, false);
    QCOMPARE(zero.size, 0); // the constructor stores the size as given
    zero.setSize(0);
    QCOMPARE(zero.size, 1);
    zero.setSize(-3);
    QCOMPARE(zero.size, 1);
    zero.setSize(3);
    QCOMPARE(zero.size, 3);

    // reset keeps the address text.
    MidiParam q;
    q.addressText = QStringLiteral("31xx21");
    q.baseAddress = 5;
    q.controllerNumber = 7;
    q.reset();
    QCOMPARE(q.addressText, QStringLiteral("31xx21"));
    QCOMPARE(q.baseAddress, 0xFFFFFFFFu);
    QCOMPARE(q.controllerNumber, -1);
}

void TestMidiParam::maximum_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("nibbles");
    QTest::addColumn<uint>("maximum");
    QTest::addColumn<int>("signedZero");

    QTest::newRow("one byte") << 1 << false << 127u << 64;
    QTest::newRow("two bytes") << 2 << false << 16383u << 8192;
    QTest::newRow("four bytes") << 4 << false << 0x0FFFFFFFu << 0x08000000;
    QTest::newRow("one nibble") << 1 << true << 15u << 8;
    QTest::newRow("two nibbles") << 2 << true << 255u << 128;
    QTest::newRow("seven nibbles") << 7 << true << 0x0FFFFFFFu << 0x08000000;
    QTest::newRow("size 0") << 0 << false << 0u << 0;
    // Sizes outside the data model stay defined.
    QTest::newRow("five bytes") << 5 << false << 0xFFFFFFFFu << 0x7FFFFFFF;
    QTest::newRow("eight nibbles") << 8 << true << 0xFFFFFFFFu << 0x7FFFFFFF;
    QTest::newRow("negative") << -3 << false << 0u << 0;
}

void TestMidiParam::maximum()
{
    QFETCH(int, size);
    QFETCH(bool, nibbles);
    QFETCH(uint, maximum);
    QFETCH(int, signedZero);

    const MidiParam p(0, size, nibbles, false);
    QCOMPARE(p.calculateMaximum(), maximum);
    QCOMPARE(p.calculateSignedZero(), signedZero);
}

void TestMidiParam::effectiveAddress()
{
    MidiParam p;
    p.baseAddress = 0x100;
    p.addressOffset = 4;
    p.addressText = QStringLiteral("01xx");
    QCOMPARE(p.address(), 0x104u);

    const MidiParam next = p + 2;
    QCOMPARE(next.baseAddress, 0x102u);
    QCOMPARE(next.address(), 0x106u);
    QCOMPARE(next.addressOffset, 4);
    QCOMPARE(next.addressText, p.addressText);
    QCOMPARE(p.baseAddress, 0x100u);

    p.setAddress(0x200);
    QCOMPARE(p.address(), 0x204u);

    // The test is on the effective address, which wraps.
    MidiParam wrapped;
    wrapped.addressOffset = 1;
    QCOMPARE(wrapped.address(), 0u);
    QVERIFY(wrapped.hasAddress());
    wrapped.baseAddress = 0;
    wrapped.addressOffset = -1;
    QVERIFY(!wrapped.hasAddress());
}

void TestMidiParam::matches()
{
    MidiParam p;
    p.controllerNumber = 7;
    p.midiChannel = 0;
    QVERIFY(p.hasChannel());
    QCOMPARE(p.channel(), 0);
    QCOMPARE(p.controller(), 7);
    QVERIFY(p.matches(MidiMessage(0xB0, 7, 0)));
    QVERIFY(p.matches(MidiMessage(0xB0, 7, 127)));
    QVERIFY(!p.matches(MidiMessage(0xB1, 7, 0)));
    QVERIFY(!p.matches(MidiMessage(0x90, 7, 0)));
    QVERIFY(!p.matches(MidiMessage(0xB0, 8, 0)));

    // Without a channel nothing matches, not even a message on channel index 15.
    p.midiChannel = -1;
    QVERIFY(!p.matches(MidiMessage(0xB0, 7, 0)));
    QVERIFY(!p.matches(MidiMessage(0xBF, 7, 0)));
}

void TestMidiParam::parseAddress()
{
    TestDevice device;

    MidiParam p;
    p.addressText = QStringLiteral("31xx21");
    p.addressOffset = 3;
    p.size = 2;
    p.parseAddress(&device, 2, 0x500, 3);
    QCOMPARE(p.baseAddress, 0x310221u);
    QCOMPARE(p.addressOffset, 3);
    QCOMPARE(p.size, 2);
    QCOMPARE(device.indexedAddressCalls, 0);

    MidiParam q;
    q.baseAddress = 0x1234; // replaced, not kept
    q.parseAddress(&device, 0, 0xFFFFFFFF, 5);
    QCOMPARE(q.baseAddress, 0xFFFFFFFFu);
    q.parseAddress(&device, 0, 0x500, -1);
    QCOMPARE(q.baseAddress, 0xFFFFFFFFu);
    QCOMPARE(device.indexedAddressCalls, 0);

    q.parseAddress(&device, 0, 0x500, 3);
    QCOMPARE(q.baseAddress, device.getIndexedAddress(0x500, 3));
    QCOMPARE(device.indexedAddressCalls, 2);

    // The generic device has no indexed addresses; a missing device is no crash.
    MidiDevice generic(QStringLiteral("Generic"), 10);
    q.parseAddress(&generic, 0, 0x500, 3);
    QCOMPARE(q.baseAddress, 0xFFFFFFFFu);
    q.parseAddress(nullptr, 0, 0x500, 3);
    QCOMPARE(q.baseAddress, 0xFFFFFFFFu);
}

void TestMidiParam::data7to8_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("split");

    QTest::newRow("200") << 200 << 0x0148;
    QTest::newRow("max") << 16383 << 0x7F7F;
    QTest::newRow("overflow") << 16384 << 0;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("negative") << -1 << 0x7F7F;
}

void TestMidiParam::data7to8()
{
    QFETCH(int, value);
    QFETCH(int, split);
    QCOMPARE(Data7to8(value), split);
    if (value >= 0 && value <= 16383)
        QCOMPARE(Data8to7(split), value);
    QCOMPARE(Data8to7(0x0080), 128); // the low byte is not masked
}

void TestMidiParam::readData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("mode"); // 7, 4 (nibbles) or 8
    QTest::addColumn<int>("value");

    QTest::newRow("7-bit") << QByteArray("\x01\x48", 2) << 2 << 7 << 200;
    QTest::newRow("7-bit masks") << QByteArray("\x81\xC8", 2) << 2 << 7 << 200;
    QTest::newRow("nibbles") << QByteArray("\x0C\x08", 2) << 2 << 4 << 200;
    QTest::newRow("nibble above 15 overlaps") << QByteArray("\x00\x10", 2) << 2 << 4 << 16;
    QTest::newRow("8-bit") << QByteArray("\x12\x34\x56", 3) << 3 << 8 << 0x123456;
    QTest::newRow("8-bit four") << QByteArray("\xFF\xFF\xFF\xFE", 4) << 4 << 8 << -2;
    for (int mode : {7, 4, 8}) {
        QTest::addRow("count 0 mode %d", mode) << QByteArray("\x7F", 1) << 0 << mode << 0;
        QTest::addRow("count -1 mode %d", mode) << QByteArray("\x7F", 1) << -1 << mode << 0;
    }
    // Counts past the model's limit: the bytes above bit 31 add nothing.
    QTest::newRow("7-bit six") << QByteArray("\x7F\x00\x00\x00\x00\x01", 6) << 6 << 7 << 1;
    QTest::newRow("8-bit five") << QByteArray("\xAA\x01\x02\x03\x04", 5) << 5 << 8 << 0x01020304;
    QTest::newRow("nibbles nine") << QByteArray("\x0F\x00\x00\x00\x00\x00\x00\x00\x05", 9) << 9 << 4 << 5;
}

void TestMidiParam::readData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(int, mode);
    QFETCH(int, value);

    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int result = mode == 8 ? ReadData8(data, count) : ReadData7(data, count, mode == 4);
    QCOMPARE(result, value);
}

void TestMidiParam::printData_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("mode"); // 7, 4 (nibbles) or 8
    QTest::addColumn<QString>("text");

    QTest::newRow("8-bit") << 0x123456 << 3 << 8 << "12 34 56 ";
    QTest::newRow("7-bit") << 200 << 2 << 7 << "01 48 ";
    QTest::newRow("nibbles") << 200 << 2 << 4 << "0C 08 ";
    QTest::newRow("one byte") << 5 << 1 << 7 << "05 ";
    QTest::newRow("negative 7-bit") << -1 << 2 << 7 << "7F 7F ";
    QTest::newRow("negative 8-bit") << -2 << 2 << 8 << "FF FE ";
    QTest::newRow("cut to count") << 0x123456 << 2 << 8 << "34 56 ";
    for (int mode : {7, 4, 8}) {
        QTest::addRow("count 0 mode %d", mode) << 1 << 0 << mode << "";
        QTest::addRow("count -5 mode %d", mode) << 1 << -5 << mode << "";
    }
    // Counts past the model's limit print the value's sign in the high groups.
    QTest::newRow("8-bit five") << 0x01020304 << 5 << 8 << "00 01 02 03 04 ";
    QTest::newRow("8-bit five negative") << -1 << 5 << 8 << "FF FF FF FF FF ";
    QTest::newRow("7-bit six") << 1 << 6 << 7 << "00 00 00 00 00 01 ";
    QTest::newRow("nibbles nine negative") << -1 << 9 << 4 << "0F 0F 0F 0F 0F 0F 0F 0F 0F ";
}

void TestMidiParam::printData()
{
    QFETCH(int, value);
    QFETCH(int, count);
    QFETCH(int, mode);
    QFETCH(QString, text);

    const QString result = mode == 8 ? PrintData8(value, count) : PrintData7(value, count, mode == 4);
    QCOMPARE(result, text);
    if (mode == 7 && count > 0) {
        MidiParam p(0, count, false, false);
        QCOMPARE(p.printMidiBytes(value), text);
    }
}

void TestMidiParam::smallConversions()
{
    QCOMPARE(UnpackUINT(0x52494646), QStringLiteral("RIFF"));
    QCOMPARE(UnpackUINT_R(0x46464952), QStringLiteral("RIFF"));
    QCOMPARE(UnpackUINT(0x41420043).size(), 4); // a zero byte stays a character

    QCOMPARE(strPatches(1, true), QStringLiteral("1 patch"));
    QCOMPARE(strPatches(0, true), QStringLiteral("0 patches"));
    QCOMPARE(strPatches(3, true), QStringLiteral("3 patches"));
    QCOMPARE(strPatches(-1, true), QStringLiteral("-1 patches"));
    QCOMPARE(strPatches(2, false), QStringLiteral("patches"));
    QCOMPARE(strPatches(1, false), QStringLiteral("patch"));

    QCOMPARE(pressure_to_db(1.0f), 0.0f);
    QCOMPARE(power_to_db(1.0f), 0.0f);
    QCOMPARE(power_to_db(10.0f), 10.0f);
    QCOMPARE(pressure_to_db(10.0f), 20.0f);
    QCOMPARE(volume_to_db(2.0f), 10.0f);
    QCOMPARE(volume_to_db(0.5f), -10.0f);
}

ORVANE_TEST_GUILESS_MAIN(TestMidiParam)
#include "tst_midiparam.moc"
