// Arpeggio records and their events.
#include "TestEnvironment.h"
#include "XS_ARP.h"
#include "XsTestFiles.h"

#include <QTest>

using namespace XsTest;

class TestArp : public QObject
{
    Q_OBJECT

private slots:
    void record()
    {
        XS_ARP arp;
        arp.setId(255);
        QCOMPARE(arp.filename, QStringLiteral("0000FF-Voice.vce"));
        arp.setId(5);
        QCOMPARE(arp.filename, QStringLiteral("000005-Voice.vce"));
        QCOMPARE(arp.id(), 5);

        arp.setName(QStringLiteral("no data"));
        QVERIFY(arp.content_name.isEmpty() && arp.data.isEmpty());
        arp.data_offset = 16;
        QVERIFY(arp.hasData());
        QVERIFY(arp.name().isEmpty());

        // Data too short for the name field grow to hold it.
        arp.setName(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
        QCOMPARE(arp.content_name, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(arp.data.size(), 24);
        QCOMPARE(arp.name(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QVERIFY(arp.info().endsWith(QStringLiteral("\ndvce size = 24")));

        arp.deleteData();
        QVERIFY(!arp.hasData());
        QVERIFY(arp.name().isEmpty());
    }

    void events_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint32>("delta");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("message");
        QTest::newRow("note on") << QByteArray::fromHex("00913C64") << 0u << 0x91 << QByteArray("\x3C\x64")
                                 << "0: 91 3C 64" << 0x643C91u;
        QTest::newRow("note off") << QByteArray::fromHex("05813C") << 5u << 0x81 << QByteArray("\x3C\x00", 2)
                                  << "5: 81 3C 00" << 0x003C81u;
        QTest::newRow("status alone") << QByteArray::fromHex("8100 90") << 128u << 0x90 << QByteArray()
                                      << "128: 90 " << 0u;
        QTest::newRow("meta text") << QByteArray::fromHex("00FF0303") + "Arp" << 0u << 0xFF << QByteArray("Arp")
                                   << "0: META(03)='Arp'" << 0u;
        QTest::newRow("meta") << QByteArray::fromHex("00FF51030F4240") << 0u << 0xFF
                              << QByteArray::fromHex("0F4240") << "0: META(51)=0F 42 40" << 0u;
        QTest::newRow("exclusive") << QByteArray::fromHex("0AF003417F7F") << 10u << 0xF0
                                   << QByteArray::fromHex("417F7F") << "10: F0 41 7F 7F" << 0u;
    }

    // Read into their fields, written back as the same bytes.
    void events()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(quint32, delta);
        QFETCH(int, status);
        QFETCH(QByteArray, data);
        QFETCH(QString, text);
        QFETCH(quint32, message);
        Reader in(bytes);
        ARPEvent event;
        event.data.setBytes("left over");
        QVERIFY(event.fromArchive(in.archive));
        QVERIFY(in.archive.eof());
        QCOMPARE(event.delta, delta);
        QCOMPARE(int(event.status), status);
        QCOMPARE(event.data.bytes(), data);
        QCOMPARE(event.toString(), text);
        QCOMPARE(quint32(event.message()), message);
        QCOMPARE(written([&event](Archive& a) { event.toArchive(a); }).toHex(' '), bytes.toHex(' '));
    }

    void messages()
    {
        ARPEvent event;
        event.setMessage(MidiMessage(0x91, 60, 100));
        QCOMPARE(event.data.bytes(), QByteArray("\x3C\x64"));
        QCOMPARE(quint32(event.message()), 0x643C91u);
        event.status = 0xF0;
        QCOMPARE(quint32(event.message()), 0u);
    }

    // A count past the end of the data fails the read before anything is
    // allocated for it.
    void countPastTheEnd()
    {
        Reader in(QByteArray::fromHex("00FF017FFFFFFF41"));
        ARPEvent event;
        QVERIFY(!event.fromArchive(in.archive));
        QVERIFY(in.archive.failed());
        QVERIFY(event.data.isEmpty());
    }
};

ORVANE_TEST_GUILESS_MAIN(TestArp)
#include "tst_arp.moc"
