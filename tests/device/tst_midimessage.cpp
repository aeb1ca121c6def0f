#include "MidiMessage.h"
#include "TestEnvironment.h"

#include <QtTest>

class TestMidiMessage : public QObject
{
    Q_OBJECT

private slots:
    void packing_data();
    void packing();
    void builders_data();
    void builders();
    void setChannelIgnoresOutOfRange();
    void predicates();
    void size_data();
    void size();
    void toString_data();
    void toString();
};

void TestMidiMessage::packing_data()
{
    QTest::addColumn<uint>("packed");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("data1");
    QTest::addColumn<int>("data2");
    QTest::addColumn<uint>("repacked");

    QTest::newRow("note on") << 0x00403C90u << 0x90 << 0x3C << 0x40 << 0x00403C90u;
    QTest::newRow("high byte dropped") << 0xFF403C90u << 0x90 << 0x3C << 0x40 << 0x00403C90u;
    QTest::newRow("data bytes not masked") << 0x00FF80B0u << 0xB0 << 0x80 << 0xFF << 0x00FF80B0u;
}

void TestMidiMessage::packing()
{
    QFETCH(uint, packed);
    QFETCH(int, status);
    QFETCH(int, data1);
    QFETCH(int, data2);
    QFETCH(uint, repacked);

    const MidiMessage m(packed);
    QCOMPARE(int(m.status), status);
    QCOMPARE(int(m.data1), data1);
    QCOMPARE(int(m.data2), data2);
    QCOMPARE(unsigned(m), repacked);
    QCOMPARE(int(MidiMessage::Status(packed)), status);
    QCOMPARE(int(MidiMessage::Data1(packed)), data1);
    QCOMPARE(int(MidiMessage::Data2(packed)), data2);
    QCOMPARE(unsigned(MidiMessage(m.status, m.data1, m.data2)), repacked);
    QCOMPARE(unsigned(MidiMessage()), 0u);
}

void TestMidiMessage::builders_data()
{
    QTest::addColumn<uint>("packed"); // what the builder made
    QTest::addColumn<uint>("expected");

    MidiMessage m;
    m.noteOn(60, 0, 0);
    QTest::newRow("note on velocity 0") << unsigned(m) << 0x003C90u;
    m.noteOn(60, 100, 9);
    QTest::newRow("note on channel 10") << unsigned(m) << 0x643C99u;
    m.noteOn(0x13C, 0x164, 0);
    QTest::newRow("note on truncates to 8 bits") << unsigned(m) << 0x643C90u;
    m.noteOff(64, 15);
    QTest::newRow("note off") << unsigned(m) << 0x00408Fu;
    m.controller(7, 100, -1);
    QTest::newRow("controller channel -1") << unsigned(m) << 0x6407B0u;
    m.setMessage(0x95, 1, 2);
    m.controller(7, 100, 16);
    QTest::newRow("controller channel 16 after channel 6") << unsigned(m) << 0x6407B0u;
    m.localControl(true, 3);
    QTest::newRow("local control on") << unsigned(m) << 0x7F7AB3u;
    m.localControl(false, 3);
    QTest::newRow("local control off") << unsigned(m) << 0x007AB3u;
    m.songSelect(5);
    QTest::newRow("song select") << unsigned(m) << 0x3F05F3u;
}

void TestMidiMessage::builders()
{
    QFETCH(uint, packed);
    QFETCH(uint, expected);
    QCOMPARE(packed, expected);
}

void TestMidiMessage::setChannelIgnoresOutOfRange()
{
    MidiMessage m(0x97, 1, 2);
    for (int channel : {16, -1, 255, -16}) {
        m.setChannel(channel);
        QCOMPARE(int(m.status), 0x97);
    }
    m.setChannel(15);
    QCOMPARE(int(m.status), 0x9F);
    QCOMPARE(m.channel(), 15);
}

void TestMidiMessage::predicates()
{
    QVERIFY(MidiMessage(0x90, 60, 1).isNoteOn());
    QVERIFY(!MidiMessage(0x90, 60, 0).isNoteOn());
    QVERIFY(MidiMessage(0x90, 60, 0).isNoteOff());
    QVERIFY(MidiMessage(0x85, 60, 64).isNoteOff());
    QVERIFY(MidiMessage(0xB3, 121, 0).isControllerReset());
    QVERIFY(!MidiMessage(0xC3, 121, 0).isControllerReset());
    QVERIFY(MidiMessage(0xA0, 0, 0).isPolyAfterTouch());
    QVERIFY(MidiMessage(0xC1, 0, 0).isProgramChange());
    QVERIFY(MidiMessage(0xD1, 0, 0).isChannelAfterTouch());
    QVERIFY(MidiMessage(0xE1, 0, 0).isPitchBend());
    // Whole-status tests do not match on the high nibble alone.
    QVERIFY(MidiMessage(0xF2, 0, 0).isSongPosition());
    QVERIFY(!MidiMessage(0xF3, 0, 0).isSongPosition());
    QVERIFY(MidiMessage(0xF6, 0, 0).isTuneRequest());
    QVERIFY(MidiMessage(0xF8, 0, 0).isClock());
    QVERIFY(MidiMessage(0xFE, 0, 0).isActiveSensing());
    QVERIFY(!MidiMessage(0xF7, 0, 0).isRealtime());
    QVERIFY(MidiMessage(0xF8, 0, 0).isRealtime());
    QVERIFY(MidiMessage(0xFF, 0, 0).isRealtime());
}

void TestMidiMessage::size_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("size");

    for (int s : {0xF6, 0xF8, 0xFE, 0xFF})
        QTest::addRow("%02X", s) << s << 1;
    for (int s : {0xC5, 0xD0, 0xF1, 0xF3})
        QTest::addRow("%02X", s) << s << 2;
    for (int s : {0x90, 0x80, 0xA0, 0xB0, 0xE1, 0xF0, 0xF2, 0xF4, 0xF5, 0xF7, 0x00})
        QTest::addRow("%02X", s) << s << 3;
}

void TestMidiMessage::size()
{
    QFETCH(int, status);
    QFETCH(int, size);
    QCOMPARE(MidiMessage(static_cast<unsigned char>(status), 0, 0).size(), size);
}

void TestMidiMessage::toString_data()
{
    QTest::addColumn<uint>("packed");
    QTest::addColumn<QString>("text");

    QTest::newRow("note on") << 0x643C99u << "10: Note On C3 100";
    QTest::newRow("note on velocity 0") << 0x003C90u << "01: Note Off C3 0";
    QTest::newRow("note off keeps velocity") << 0x403C80u << "01: Note Off C3 64";
    QTest::newRow("invalid note") << 0x408090u << "01: Note On (invalid note) 64";
    QTest::newRow("bank msb") << 0x0500B2u << "03: Bank Change MSB = 05";
    QTest::newRow("bank lsb") << 0x7F20B0u << "01: Bank Change LSB = 7F";
    QTest::newRow("controller reset") << 0x0079B0u << "01: CC#121 = 0";
    QTest::newRow("program change") << 0x0005CFu << "16: Program Change = 5";
    QTest::newRow("poly aftertouch") << 0x2A3DA0u << "01: Aftertouch C#3 42";
    QTest::newRow("channel aftertouch") << 0x0063D1u << "02: Channel Aftertouch 99";
    QTest::newRow("pitch bend halves") << 0x4000E0u << "01: Pitch Bend 0 64";
    QTest::newRow("song select") << 0x3F05F3u << "Song Select 5";
    QTest::newRow("song position") << 0x0201F2u << "Song Pos 1 2";
    QTest::newRow("tune request") << 0xF6u << "Tune Request";
    QTest::newRow("start") << 0xFAu << "Start";
    QTest::newRow("continue") << 0xFBu << "Continue";
    QTest::newRow("stop") << 0xFCu << "Stop";
    QTest::newRow("clock prints all bytes") << 0xF8u << "F8 00 00";
    QTest::newRow("sysex status") << 0x0201F0u << "F0 01 02";
    QTest::newRow("data byte as status") << 0x00017Fu << "7F 01 00";
}

void TestMidiMessage::toString()
{
    QFETCH(uint, packed);
    QFETCH(QString, text);
    QCOMPARE(MidiMessage(packed).toString(), text);
}

ORVANE_TEST_GUILESS_MAIN(TestMidiMessage)
#include "tst_midimessage.moc"
