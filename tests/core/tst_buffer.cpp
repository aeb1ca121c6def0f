// Byte buffers: hex text, replacement hooks, bounds, fields and sample encodings.
#include "Buffer.h"
#include "Encoding.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <climits>
#include <functional>
#include <memory>

namespace {

// Counts the replacement hook, as a system-exclusive message re-analyses itself.
class CountingBuffer : public Buffer
{
public:
    int calls = 0;

protected:
    void onNewData() override { ++calls; }
};

Buffer bufferOf(const QByteArray& bytes)
{
    Buffer b;
    b.setBytes(bytes);
    return b;
}

} // namespace

class TestBuffer : public QObject
{
    Q_OBJECT

private slots:
    void hexRoundTrip_data();
    void hexRoundTrip();
    void hexEveryByteValue();
    void hexLenientInput_data();
    void hexLenientInput();
    void hexMalformed_data();
    void hexMalformed();
    void toStringCut();
    void onNewDataOncePerReplace();
    void copyRanges();
    void sharedParts();
    void boundsChecked();
    void fixedFields();
    void files();
    void hashes();
    void sampleEncodings_data();
    void sampleEncodings();
    void sampleEncodingRoundTrips();
};

void TestBuffer::hexRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one") << QByteArray("\x00", 1) << QStringLiteral("00");
    QTest::newRow("identity request")
        << QByteArray("\xF0\x7E\x7F\x06\x01\xF7", 6) << QStringLiteral("F0 7E 7F 06 01 F7");
    QTest::newRow("upper case digits") << QByteArray("\xab\xcd\xef", 3) << QStringLiteral("AB CD EF");
}

void TestBuffer::hexRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const Buffer b = bufferOf(bytes);
    QCOMPARE(b.toString(-1), text);
    QVERIFY(!b.toString().endsWith(QLatin1Char(' ')));
    Buffer back;
    QVERIFY(back.fromString(text));
    QCOMPARE(back.bytes(), bytes);
}

void TestBuffer::hexEveryByteValue()
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const QString text = bufferOf(all).toString(-1);
    QCOMPARE(text.size(), 256 * 3 - 1);
    QVERIFY(text.startsWith(QStringLiteral("00 01 02")));
    QVERIFY(text.endsWith(QStringLiteral("FE FF")));
    Buffer back;
    QVERIFY(back.fromString(text));
    QCOMPARE(back.bytes(), all);
}

void TestBuffer::hexLenientInput_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lower case") << QStringLiteral("f0 7e f7") << QByteArray("\xF0\x7E\xF7", 3);
    QTest::newRow("extra blanks") << QStringLiteral("  F0   7E\tF7 \n") << QByteArray("\xF0\x7E\xF7", 3);
    QTest::newRow("no blanks") << QStringLiteral("F07EF7") << QByteArray("\xF0\x7E\xF7", 3);
    QTest::newRow("only blanks") << QStringLiteral(" \n ") << QByteArray();
}

void TestBuffer::hexLenientInput()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    Buffer b;
    QVERIFY(b.fromString(text));
    QCOMPARE(b.bytes(), bytes);
}

void TestBuffer::hexMalformed_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("lone digit") << QStringLiteral("F");
    QTest::newRow("odd trailing digit") << QStringLiteral("F0 7");
    QTest::newRow("split pair") << QStringLiteral("F 0");
    QTest::newRow("not hex") << QStringLiteral("F0 G7");
    QTest::newRow("comma") << QStringLiteral("F0,7E");
    QTest::newRow("prefix") << QStringLiteral("0x12");
}

void TestBuffer::hexMalformed()
{
    QFETCH(QString, text);
    CountingBuffer b;
    b.setBytes(QByteArray("\x01\x02", 2));
    b.calls = 0;
    QVERIFY(!b.fromString(text));
    QVERIFY(b.isEmpty());
    QCOMPARE(b.calls, 1);
}

void TestBuffer::toStringCut()
{
    const Buffer b = bufferOf(QByteArray("\x00\x01\x02\x03\x04\x05", 6));
    QCOMPARE(b.toString(4), QStringLiteral("00 01 02 03 ..."));
    QCOMPARE(b.toString(0), QStringLiteral("..."));
    QCOMPARE(b.toString(6), QStringLiteral("00 01 02 03 04 05"));
    QCOMPARE(b.toString(100), QStringLiteral("00 01 02 03 04 05"));
    QCOMPARE(Buffer().toString(8), QString());
}

void TestBuffer::onNewDataOncePerReplace()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bytes.syx"));
    QVERIFY(bufferOf(QByteArray("\xF0\xF7", 2)).toFile(file));
    const unsigned char raw[] = {0xF0, 0x01, 0xF7};
    const Buffer source = bufferOf(QByteArray("\x10\x20\x30", 3));

    // Every way of replacing the whole content, successful or not, tells the buffer once.
    const QList<std::pair<const char*, std::function<void(CountingBuffer&)>>> replacing = {
        {"copy bytes", [&](CountingBuffer& b) { b.copy(raw, 3); }},
        {"copy null bytes", [](CountingBuffer& b) { b.copy(static_cast<const unsigned char*>(nullptr), 3); }},
        {"copy buffer", [&](CountingBuffer& b) { b.copy(&source, 0, -1); }},
        {"copy null buffer", [](CountingBuffer& b) { b.copy(static_cast<const Buffer*>(nullptr), 0, -1); }},
        {"copy itself", [](CountingBuffer& b) { b.copy(&b, 1, -1); }},
        {"fromString", [](CountingBuffer& b) { b.fromString(QStringLiteral("F0 F7")); }},
        {"fromString malformed", [](CountingBuffer& b) { b.fromString(QStringLiteral("Z")); }},
        {"fromFile", [&](CountingBuffer& b) { b.fromFile(file, 0, 0); }},
        {"fromFile missing",
         [&](CountingBuffer& b) { b.fromFile(dir.filePath(QStringLiteral("none")), 0, 0); }},
        {"setBytes", [](CountingBuffer& b) { b.setBytes(QByteArray("\x01", 1)); }},
    };
    for (const auto& [name, replace] : replacing) {
        CountingBuffer b;
        b.setBytes(QByteArray("\xAA\xBB", 2));
        b.calls = 0;
        replace(b);
        QVERIFY2(b.calls == 1, name);
    }

    // Copies and in-place edits are not replacements.
    CountingBuffer original;
    original.setBytes(QByteArray("\x01\x02\x03", 3));
    original.calls = 0;
    CountingBuffer copied(original);
    CountingBuffer assigned;
    assigned = original;
    QCOMPARE(copied.bytes(), original.bytes());
    QCOMPARE(assigned.bytes(), original.bytes());
    original.setAt(0, 9);
    original.append(4);
    original.allocate(2);
    original.reset();
    QCOMPARE(copied.calls, 0);
    QCOMPARE(assigned.calls, 0);
    QCOMPARE(original.calls, 0);
}

// Parts cut from one block without a copy stay independent of it and of
// each other, whoever changes first and whoever goes first.
void TestBuffer::sharedParts()
{
    QByteArray block("\xF0\x01\x02\xF7\xF0\x03\x04\xF7", 8);
    auto first = std::make_unique<CountingBuffer>();
    CountingBuffer second;
    first->share(block, 0, 4);
    second.share(block, 4, 4);
    QCOMPARE(first->calls, 1);
    QCOMPARE(first->bytes(), QByteArray("\xF0\x01\x02\xF7", 4));
    QCOMPARE(second.bytes(), QByteArray("\xF0\x03\x04\xF7", 4));
    QCOMPARE(std::as_const(second).data() - std::as_const(*first).data(), 4); // both still in the block

    first->setAt(1, 0x7F);
    block[5] = '\x55';
    QCOMPARE(first->bytes(), QByteArray("\xF0\x7F\x02\xF7", 4));
    QCOMPARE(second.at(1), 0x03);
    QCOMPARE(block.mid(0, 2), QByteArray("\xF0\x01", 2));

    // The last holder of the storage grows in place over bytes nobody else
    // reads any more.
    Buffer alone;
    {
        const QByteArray own("abcdefgh");
        alone.share(own, 2, 3);
    }
    first.reset();
    alone.append(reinterpret_cast<const unsigned char*>("XY"), 2);
    QCOMPARE(alone.bytes(), QByteArray("cdeXY"));

    // Out of range is clipped; bytes the array does not own are copied.
    Buffer clipped;
    clipped.share(QByteArray("abc"), 2, 10);
    QCOMPARE(clipped.bytes(), QByteArray("c"));
    static const char raw[] = "rawbytes";
    Buffer copied;
    copied.share(QByteArray::fromRawData(raw, 8), 3, 5);
    QCOMPARE(copied.bytes(), QByteArray("bytes"));
    QVERIFY(copied.data() != reinterpret_cast<const unsigned char*>(raw + 3));
}

void TestBuffer::copyRanges()
{
    const Buffer src = bufferOf(QByteArray("\x00\x01\x02\x03\x04", 5));
    Buffer b;
    b.copy(&src, 2, 2);
    QCOMPARE(b.toString(), QStringLiteral("02 03"));
    b.copy(&src, 3, -1);
    QCOMPARE(b.toString(), QStringLiteral("03 04"));
    b.copy(&src, 3, 100);
    QCOMPARE(b.toString(), QStringLiteral("03 04"));
    b.copy(&src, 9, -1);
    QVERIFY(b.isEmpty());
    b.copy(&src, -4, 1);
    QCOMPARE(b.toString(), QStringLiteral("00"));
    b.copy(static_cast<const Buffer*>(nullptr), 0, -1);
    QVERIFY(b.isEmpty());
    QCOMPARE(b.size(), 0);
    b.copy(&src, 0, -1);
    b.copy(&b, 1, 3);
    QCOMPARE(b.toString(), QStringLiteral("01 02 03"));

    // Its own bytes are read before the buffer grows and moves them.
    b.append(b.data(), b.size());
    b.append(b.data() + 1, 2);
    QCOMPARE(b.toString(), QStringLiteral("01 02 03 01 02 03 02 03"));
}

void TestBuffer::boundsChecked()
{
    Buffer b(3);
    QCOMPARE(b.toString(), QStringLiteral("00 00 00"));
    b.setAt(0, 0x1F7); // only the low 8 bits are stored
    b.setAt(-1, 5);
    b.setAt(3, 5);
    QCOMPARE(b.toString(), QStringLiteral("F7 00 00"));
    QCOMPARE(b.at(0), 0xF7);
    QCOMPARE(b.at(-1), 0);
    QCOMPARE(b.at(3), 0);
    QCOMPARE(b[INT_MAX], 0);
    QCOMPARE(Buffer(-5).size(), 0);
    b.allocate(-1);
    QVERIFY(b.isEmpty());
    b.append(static_cast<const unsigned char*>(nullptr), 4);
    QVERIFY(b.isEmpty());
}

void TestBuffer::fixedFields()
{
    Buffer b(8);
    b.writeValue(0, 0x01020304, 4);
    b.writeValueR(4, 0x0A0B, 2);
    b.writeValueR(7, 0x1234, 2); // the byte past the end is dropped
    QCOMPARE(b.toString(), QStringLiteral("01 02 03 04 0B 0A 00 34"));
    QCOMPARE(b.readValue(0, 4), 0x01020304u);
    QCOMPARE(b.readValueR(0, 2), 0x0201u);
    QCOMPARE(b.readValue(7, 2), 0x3400u); // outside reads as 0
    QCOMPARE(b.readValue(0, 0), 0u);
    // Offsets at the far end of the int range are just outside, not an overflow.
    QCOMPARE(b.readValue(INT_MAX - 1, 4), 0u);
    QCOMPARE(b.readValueR(INT_MAX - 1, 4), 0u);
    b.writeValue(INT_MAX - 1, 0xFFFFFFFF, 4);
    b.writeValueR(INT_MAX - 1, 0xFFFFFFFF, 4);
    b.writeText(INT_MAX - 1, QStringLiteral("ABCD"), 4);
    b.writeText(-2, QStringLiteral("ABCD"), 3); // only the part inside is written
    QCOMPARE(b.toString(), QStringLiteral("43 02 03 04 0B 0A 00 34"));

    Buffer text(12);
    text.writeText(2, QStringLiteral(" 8E57"), 8);
    QCOMPARE(text.toString(), QStringLiteral("00 00 20 38 45 35 37 00 00 00 00 00"));
    QCOMPARE(text.readText(2, 8), QStringLiteral(" 8E57"));
    QCOMPARE(text.readText(0), QString());                // a zero byte first: empty
    text.writeText(2, QStringLiteral("ABCDEFGHIJKL"), 4); // cut at the field
    QCOMPARE(text.readText(2, 4), QStringLiteral("ABCD"));
    QCOMPARE(text.readText(2), QStringLiteral("ABCD7"));
    QCOMPARE(text.readText(40, 3), QString());
    QCOMPARE(text.readText(-1, 3), QString());
}

void TestBuffer::files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dump.syx"));
    const Buffer out = bufferOf(QByteArray("\xF0\x43\x00\x7F\xF7", 5));
    QVERIFY(out.toFile(path));
    Buffer in;
    QVERIFY(in.fromFile(path, 0, 0));
    QCOMPARE(in, out);
    QVERIFY(in.fromFile(path, 1, 2));
    QCOMPARE(in.toString(), QStringLiteral("43 00"));
    QVERIFY(in.fromFile(path, 3, 0));
    QCOMPARE(in.toString(), QStringLiteral("7F F7"));
    QVERIFY(!in.fromFile(path, 3, 10)); // a range the file does not hold
    QVERIFY(in.isEmpty());
    QVERIFY(!in.fromFile(dir.filePath(QStringLiteral("missing")), 0, 0));
    QVERIFY(in.isEmpty());
    QVERIFY(!out.toFile(dir.filePath(QStringLiteral("no/such/folder/x.syx"))));
}

void TestBuffer::hashes()
{
    const Buffer a = bufferOf(QByteArray("\xF0\x01\x02\xF7", 4));
    const Buffer same = bufferOf(QByteArray("\xF0\x01\x02\xF7", 4));
    const Buffer other = bufferOf(QByteArray("\xF0\x01\x03\xF7", 4));
    QCOMPARE(qHash(a), qHash(same));
    QCOMPARE(qHash32(a), qHash32(same));
    QVERIFY(qHash32(a) != qHash32(other));
    QSet<Buffer> set{a, same, other};
    QCOMPARE(set.size(), 2);
}

void TestBuffer::sampleEncodings_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<quint32>("signedForm");
    QTest::addColumn<quint32>("excessForm");
    QTest::newRow("8 zero") << 1 << qint64(0) << 0x00u << 0x80u;
    QTest::newRow("8 min") << 1 << qint64(-128) << 0x80u << 0x00u;
    QTest::newRow("8 max") << 1 << qint64(127) << 0x7Fu << 0xFFu;
    QTest::newRow("8 -1") << 1 << qint64(-1) << 0xFFu << 0x7Fu;
    QTest::newRow("8 clipped high") << 1 << qint64(200) << 0x7Fu << 0xFFu;
    QTest::newRow("8 clipped low") << 1 << qint64(-300) << 0x80u << 0x00u;
    QTest::newRow("16 -1") << 2 << qint64(-1) << 0xFFFFu << 0x7FFFu;
    QTest::newRow("16 clipped") << 2 << qint64(40000) << 0x7FFFu << 0xFFFFu;
    QTest::newRow("24 min") << 3 << qint64(-8388608) << 0x800000u << 0x000000u;
    QTest::newRow("32 min") << 4 << qint64(INT_MIN) << 0x80000000u << 0x00000000u;
    QTest::newRow("32 clipped") << 4 << (qint64(1) << 32) << 0x7FFFFFFFu << 0xFFFFFFFFu;
}

void TestBuffer::sampleEncodings()
{
    QFETCH(int, bytes);
    QFETCH(qint64, value);
    QFETCH(quint32, signedForm);
    QFETCH(quint32, excessForm);
    QCOMPARE(EncodeSigned(value, bytes), signedForm);
    QCOMPARE(EncodeUnsigned(value, bytes), excessForm);
    const qint64 clipped = qBound(-MaxInt(bytes) / 2, value, MaxInt(bytes) / 2 - 1);
    QCOMPARE(qint64(DecodeSigned(signedForm, bytes)), clipped);
    QCOMPARE(qint64(DecodeUnsigned(excessForm, bytes)), clipped);
}

void TestBuffer::sampleEncodingRoundTrips()
{
    QCOMPARE(MaxInt(1), qint64(256));
    QCOMPARE(MaxInt(2), qint64(65536));
    QCOMPARE(MaxInt(4), qint64(1) << 32);
    for (int v = -128; v < 128; ++v) {
        QCOMPARE(DecodeSigned(EncodeSigned(v, 1), 1), v);
        QCOMPARE(DecodeUnsigned(EncodeUnsigned(v, 1), 1), v);
    }
    // A two's complement byte read raw becomes excess-128 through DecodeSigned.
    QCOMPARE(EncodeUnsigned(DecodeSigned(0xFF, 1), 1), 0x7Fu);
}

ORVANE_TEST_GUILESS_MAIN(TestBuffer)
#include "tst_buffer.moc"
