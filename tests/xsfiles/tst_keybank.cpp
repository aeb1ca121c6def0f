// The 68-byte keybank record and its sample data.
#include "TestEnvironment.h"
#include "XS_Keybank.h"
#include "XsTestFiles.h"

#include <QTest>

using namespace XsTest;

namespace {

QByteArray record(const XS_Keybank& kb)
{
    return written([&kb](Archive& a) { kb.storeWFM(a); });
}

XS_Keybank withSamples(int channels, int frames, int bits = 16)
{
    XS_Keybank kb;
    kb.channels = channels;
    kb.setBits(bits);
    kb.left.allocate(frames * bits / 8);
    if (channels == 2)
        kb.right.allocate(frames * bits / 8);
    return kb;
}

} // namespace

class TestKeybank : public QObject
{
    Q_OBJECT

private slots:
    void defaultRecord()
    {
        const QByteArray expected =
            QByteArray::fromHex("007F017F7F4000003C404001000000010000" "00FF") + QByteArray(12, '\0') +
            QByteArray::fromHex("44AC0000") + QByteArray(32, '\0');
        QCOMPARE(record(XS_Keybank()).toHex(' '), expected.toHex(' '));
    }

    // Every byte lands in its field, in its byte order, and is written back
    // where it came from; the reserved byte is always written 0.
    void recordRoundTrip()
    {
        QByteArray bytes(XS_Keybank::RecordSize, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(0x80 + i);
        Reader in(bytes);
        XS_Keybank kb;
        kb.loadWFM(in.archive);
        QVERIFY(in.archive.ok() && in.archive.eof());
        QCOMPARE(kb.note_lo, quint8(0x80));
        QCOMPARE(kb.note_center, quint8(0x88));
        QCOMPARE(kb.channels, 0x8B);
        QCOMPARE(int(kb.getFormat()), 0x8E);
        QVERIFY(kb.isCompressed());
        QCOMPARE(kb.bits, 16);
        QCOMPARE(kb.dummy_FF, quint8(0x93));
        QCOMPARE(kb.WXC_z1, quint16(0x9495));
        QCOMPARE(kb.WXC_coef3, quint16(0x9E9F));
        QCOMPARE(kb.rate, double(0xA3A2A1A0u));
        QCOMPARE(kb.sample_start, 0xA7A6A5A4u);
        QCOMPARE(kb.reserve_R, 0xC3C2C1C0u);

        QByteArray expected = bytes;
        expected[6] = 0;
        QCOMPARE(record(kb).toHex(' '), expected.toHex(' '));
    }

    void formatsAndDepths_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("compressed");
        QTest::addColumn<QString>("text");
        QTest::newRow("16bit") << 0 << 16 << false << "16bit";
        QTest::newRow("12bit") << 1 << 12 << false << "12bit";
        QTest::newRow("8bit") << 2 << 8 << false << "8bit";
        QTest::newRow("LPC") << 3 << 8 << true << "LPC";
        QTest::newRow("WXC") << 4 << 16 << true << "WXC";
        QTest::newRow("other") << 9 << 16 << true << "9";
    }

    void formatsAndDepths()
    {
        QFETCH(int, format);
        QFETCH(int, bits);
        QFETCH(bool, compressed);
        QFETCH(QString, text);
        XS_Keybank kb;
        kb.bits = 24;
        kb.setFormat(XS_Keybank::Format(format));
        QCOMPARE(kb.bits, bits);
        QCOMPARE(kb.isCompressed(), compressed);
        QCOMPARE(kb.printFormat(), text);
        // Read formats are kept as they were read.
        QCOMPARE(quint8(record(kb).at(14)), quint8(format));
    }

    // Only depths the instrument plays are taken in: a 24-bit sample under a
    // format byte that says 16 bits would be a corrupt file for it.
    void onlyEightAndSixteenBitsAreTaken()
    {
        for (int depth : {8, 16})
            QVERIFY(XS_Keybank::SupportedBits(depth));
        for (int depth : {0, 4, 12, 20, 24, 32})
            QVERIFY2(!XS_Keybank::SupportedBits(depth), qPrintable(QString::number(depth)));

        XS_Keybank kb;
        QVERIFY(kb.setBits(8));
        QCOMPARE(kb.getFormat(), XS_Keybank::Format8Bit);
        QVERIFY(!kb.setBits(24));
        QVERIFY(!kb.setBits(12));
        QCOMPARE(kb.bits, 8);
        QCOMPARE(kb.getFormat(), XS_Keybank::Format8Bit);
        QVERIFY(kb.setBits(16));
        QCOMPARE(kb.getFormat(), XS_Keybank::Format16Bit);
    }

    void validation_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("frames");
        QTest::addColumn<quint32>("loopEnd");
        QTest::addColumn<quint32>("validLoopEnd");
        QTest::addColumn<quint32>("waveStartR");
        QTest::addColumn<quint32>("reserveR");
        QTest::newRow("mono, no loop") << 1 << 1000 << 0u << 1000u << 0u << 0xFFFFFFFFu;
        QTest::newRow("stereo") << 2 << 1000 << 600u << 600u << 0x40000000u + 500 << 0xC00A9A54u;
        QTest::newRow("loop past the end") << 1 << 10 << 11u << 10u << 0u << 0xFFFFFFFFu;
    }

    void validation()
    {
        QFETCH(int, channels);
        QFETCH(int, frames);
        QFETCH(quint32, loopEnd);
        QFETCH(quint32, validLoopEnd);
        QFETCH(quint32, waveStartR);
        QFETCH(quint32, reserveR);
        XS_Keybank kb = withSamples(channels, frames);
        kb.loop_end = loopEnd;
        kb.sample_start = 5000;
        kb.validateKeybank();
        QCOMPARE(kb.sample_length, quint32(frames));
        QCOMPARE(kb.loop_end, validLoopEnd);
        QCOMPARE(kb.sample_start, quint32(frames));
        QCOMPARE(kb.wave_start_L, 0x40000000u);
        QCOMPARE(kb.reserve_L, 0xC00A9A34u);
        QCOMPARE(kb.wave_start_R, waveStartR);
        QCOMPARE(kb.reserve_R, reserveR);
    }

    // A record without a frame size (no channels, or a depth below a byte)
    // validates to an empty sample without failing.
    void validationWithoutFrameSize()
    {
        XS_Keybank kb = withSamples(1, 10);
        kb.channels = 0;
        kb.loop_end = 7;
        kb.validateKeybank();
        QCOMPARE(kb.sample_length, 0u);
        QCOMPARE(kb.loop_end, 0u);
        QCOMPARE(kb.sampleLength(), 0);
    }

    void sampleData_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QByteArray>("right");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("mono") << 1 << QByteArray("\x01\x02", 2) << QByteArray() << QByteArray::fromHex("000000020102");
        QTest::newRow("empty") << 1 << QByteArray() << QByteArray() << QByteArray::fromHex("00000000");
        QTest::newRow("stereo") << 2 << QByteArray("\x01\x02", 2) << QByteArray("\x03\x04", 2)
                                << QByteArray::fromHex("000000020102000000020304");
        // The record says two channels: an empty right block keeps the
        // sample data in step with it.
        QTest::newRow("stereo record, no right data")
            << 2 << QByteArray("\x01\x02", 2) << QByteArray() << QByteArray::fromHex("00000002010200000000");
    }

    // Record and sample data written as a whole read back as written.
    void sampleData()
    {
        QFETCH(int, channels);
        QFETCH(QByteArray, left);
        QFETCH(QByteArray, right);
        QFETCH(QByteArray, expected);
        XS_Keybank kb;
        kb.channels = channels;
        kb.left.setBytes(left);
        kb.right.setBytes(right);
        QCOMPARE(written([&kb](Archive& a) { kb.storeWIM(a); }).toHex(' '), expected.toHex(' '));

        const QByteArray whole = written([&kb](Archive& a) { kb.toArchive(a); });
        Reader in(whole + "next");
        XS_Keybank back;
        QVERIFY(back.fromArchive(in.archive));
        QCOMPARE(in.archive.readText(4), QStringLiteral("next"));
        QCOMPARE(written([&back](Archive& a) { back.toArchive(a); }), whole);
    }

    // Right channel data under a record that says mono still go out with a
    // count that makes a reader take them.
    void rightDataRaiseTheWrittenChannelCount()
    {
        XS_Keybank kb;
        kb.left.setBytes("ab");
        kb.right.setBytes("cd");
        const QByteArray whole = written([&kb](Archive& a) { kb.toArchive(a); });
        QCOMPARE(int(whole.at(11)), 2);
        Reader in(whole);
        XS_Keybank back;
        QVERIFY(back.fromArchive(in.archive));
        QCOMPARE(back.right.bytes(), QByteArray("cd"));
    }

    // A byte count past the end of the data is refused before anything is
    // allocated for it.
    void sampleCountPastTheEnd()
    {
        Reader in(QByteArray::fromHex("7FFFFFF0") + "abc");
        XS_Keybank kb;
        QVERIFY(!kb.loadWIM(in.archive));
        QVERIFY(in.archive.failed());
        QVERIFY(kb.left.isEmpty());
    }

    void sampleRateInWholeHertz_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("fraction") << 22050.7 << QByteArray::fromHex("22560000");
        QTest::newRow("negative") << -1.0 << QByteArray::fromHex("00000000");
        QTest::newRow("too large") << 1e12 << QByteArray::fromHex("FFFFFFFF");
    }

    void sampleRateInWholeHertz()
    {
        QFETCH(double, rate);
        QFETCH(QByteArray, stored);
        XS_Keybank kb;
        kb.rate = rate;
        QCOMPARE(record(kb).mid(32, 4).toHex(), stored.toHex());
    }

    void texts()
    {
        XS_Keybank kb = withSamples(2, 4, 8);
        kb.rate = 32000;
        QCOMPARE(kb.printType(), QStringLiteral("32000 Hz  8bit  stereo"));
        kb.play_mode = 2;
        QCOMPARE(kb.printPlayMode(), QStringLiteral("reverse"));
        kb.play_mode = 7;
        QCOMPARE(kb.printPlayMode(), QStringLiteral("7"));
        kb.validateKeybank();
        QVERIFY(kb.toString().contains(QStringLiteral("frame_size: 2\n")));
        QVERIFY(kb.toString().endsWith(QStringLiteral("calc_sample_length: 4\nCheck: 0\n")));

        kb.note_center = 128;
        const QString info = kb.info();
        QVERIFY(info.contains(QStringLiteral("\nnote_center: 128 (invalid note)\n")));
        QVERIFY(info.contains(QStringLiteral("\nsample_rate: 32000\n")));
        QVERIFY(info.contains(QStringLiteral("\n## calc_sample_length_R: 4\n")));
        QVERIFY(info.endsWith(QStringLiteral("reserve_R: 3221920340 C00A9A54\n")));
        QVERIFY(!info.contains(QStringLiteral("reserved")));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestKeybank)
#include "tst_keybank.moc"
