// Byte streams over buffers and files, and the documents written through them.
#include "Archive.h"
#include "Document.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <functional>

namespace {

QString hexOf(const std::function<void(Archive&)>& write)
{
    Buffer b;
    Archive ar(b);
    write(ar);
    return b.toString();
}

Buffer hexBuffer(const QString& hex)
{
    Buffer b;
    b.fromString(hex);
    return b;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every value kind the stream knows, written and then checked in the same order.
void writeEveryKind(Archive& ar)
{
    ar << -123456 << 0xDEADBEEFu << static_cast<unsigned short>(0xBEEF) << static_cast<unsigned char>(0xF7);
    ar << QStringLiteral("Grand Piano ÄÖ ♪") << QString();
    ar << hexBuffer(QStringLiteral("F0 43 00 F7"));
    ar.writeBYTE(0x1FF);
    ar.writeWORD(0x1234);
    ar.writeUINT(0x89ABCDEF);
    ar.writeInt(-2);
    ar.writeValueR(0x0A0B, 2);
    ar.writeValueR(0x010203, 3);
    ar.writeFloat80(44100.0);
    ar.writePString(QStringLiteral("odd"));
    ar.writePString(QStringLiteral("even"));
    ar.writeText(QStringLiteral("RIFF"), -1);
    ar.writeText(QStringLiteral("name"), 8);
    ar.writeVarLength(0x3FFF);
    ar.writeBuffer(hexBuffer(QStringLiteral("01 02 03")));
    ar.writeBuffer(Buffer());
}

void checkEveryKind(Archive& ar)
{
    int i = 0;
    unsigned int u = 0;
    unsigned short w = 0;
    unsigned char c = 0;
    QString s1, s2;
    Buffer raw(4);
    ar >> i >> u >> w >> c >> s1 >> s2 >> raw;
    QCOMPARE(i, -123456);
    QCOMPARE(u, 0xDEADBEEFu);
    QCOMPARE(w, static_cast<unsigned short>(0xBEEF));
    QCOMPARE(c, static_cast<unsigned char>(0xF7));
    QCOMPARE(s1, QStringLiteral("Grand Piano ÄÖ ♪"));
    QCOMPARE(s2, QString());
    QCOMPARE(raw.toString(), QStringLiteral("F0 43 00 F7"));
    QCOMPARE(ar.readBYTE(), 0xFF);
    QCOMPARE(ar.readWORD(), static_cast<unsigned short>(0x1234));
    QCOMPARE(ar.readUINT(), 0x89ABCDEFu);
    QCOMPARE(ar.readInt(), -2);
    QCOMPARE(ar.readValueR(2), 0x0A0Bu);
    QCOMPARE(ar.readValueR(3), 0x010203u);
    QCOMPARE(ar.readFloat80(), 44100.0);
    QCOMPARE(ar.readPString(), QStringLiteral("odd"));
    QCOMPARE(ar.readPString(), QStringLiteral("even"));
    QCOMPARE(ar.readText(4), QStringLiteral("RIFF"));
    QCOMPARE(ar.readText(8), QStringLiteral("name"));
    QCOMPARE(ar.readVarLength(), 0x3FFFu);
    Buffer sized, empty(3);
    QVERIFY(ar.readBuffer(sized));
    QCOMPARE(sized.toString(), QStringLiteral("01 02 03"));
    QVERIFY(ar.readBuffer(empty));
    QVERIFY(empty.isEmpty());
    QVERIFY(ar.eof());
    QVERIFY(ar.ok());
}

// A document of a list of texts, refusing to store when told to.
class TextsDocument : public Document
{
public:
    QStringList texts;
    bool refuseStore = false;
    int cleared = 0;

    void clearDocument() override
    {
        ++cleared;
        texts.clear();
    }
    bool loadDocument(Archive& ar) override
    {
        clearDocument();
        int n = 0;
        ar >> n;
        if (n < 0 || n > ar.remaining() / 4) {
            setDocError(QStringLiteral("Unknown format"));
            return false;
        }
        for (int k = 0; k < n; ++k) {
            QString s;
            ar >> s;
            texts.append(s);
        }
        return ar.ok();
    }
    bool storeDocument(Archive& ar) override
    {
        ar << int(texts.size());
        for (const QString& s : texts)
            ar << s;
        return !refuseStore;
    }
};

} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void byteOrder_data();
    void byteOrder();
    void float80_data();
    void float80();
    void varLength_data();
    void varLength();
    void fixedText();
    void truncatedStream_data();
    void truncatedStream();
    void scanningToTheEndStops();
    void nestedSizes();
    void positions();
    void readOnlyBuffer();
    void fileWriteCommitsOnlyOnClose();
    void fileOpenFailures();
    void tempFile();
    void documentLoadAndStore();
    void documentFailedStoreKeepsOldFile();
};

void TestArchive::roundTrip_data()
{
    QTest::addColumn<QString>("storage");
    QTest::newRow("buffer") << QStringLiteral("buffer");
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("temp file") << QStringLiteral("temp");
}

void TestArchive::roundTrip()
{
    QFETCH(QString, storage);
    if (storage == QLatin1String("buffer")) {
        Buffer b;
        Archive ar(b);
        writeEveryKind(ar);
        QVERIFY(ar.ok());
        QVERIFY(ar.seek(0));
        checkEveryKind(ar);
    } else if (storage == QLatin1String("file")) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("every.bin"));
        Archive ar;
        QVERIFY(ar.writeFile(path));
        writeEveryKind(ar);
        QVERIFY(ar.close());
        QVERIFY(ar.readFile(path));
        QCOMPARE(ar.filename(), path);
        checkEveryKind(ar);
        QVERIFY(ar.close());
    } else {
        Archive ar;
        const QString path = ar.openTempFile(QStringLiteral("pe"));
        QVERIFY(!path.isEmpty());
        writeEveryKind(ar);
        QVERIFY(ar.seek(0));
        checkEveryKind(ar);
    }
}

void TestArchive::byteOrder_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("hex");
    QTest::newRow("int") << 0 << QStringLiteral("01 02 03 04");
    QTest::newRow("negative int") << 1 << QStringLiteral("FF FF FF FE");
    QTest::newRow("unsigned short") << 2 << QStringLiteral("01 02");
    QTest::newRow("string") << 3 << QStringLiteral("00 00 00 03 41 C3 A9");
    QTest::newRow("buffer, no length") << 4 << QStringLiteral("F0 F7");
    QTest::newRow("sized buffer") << 5 << QStringLiteral("00 00 00 02 F0 F7");
    QTest::newRow("little-endian") << 6 << QStringLiteral("04 03 02 01 02 01");
    QTest::newRow("text field") << 7 << QStringLiteral("41 42 00 00");
    QTest::newRow("pstring padded") << 8 << QStringLiteral("02 41 42 00 03 41 42 43");
}

void TestArchive::byteOrder()
{
    QFETCH(int, kind);
    QFETCH(QString, hex);
    const QString written = hexOf([kind](Archive& ar) {
        switch (kind) {
        case 0:
            ar << 0x01020304;
            break;
        case 1:
            ar << -2;
            break;
        case 2:
            ar << static_cast<unsigned short>(0x0102);
            break;
        case 3:
            ar << QStringLiteral("Aé");
            break;
        case 4:
            ar << hexBuffer(QStringLiteral("F0 F7"));
            break;
        case 5:
            ar.writeBuffer(hexBuffer(QStringLiteral("F0 F7")));
            break;
        case 6:
            ar.writeValueR(0x01020304, 4);
            ar.writeValueR(0x0102, 2);
            break;
        case 7:
            ar.writeText(QStringLiteral("AB"), 4);
            break;
        case 8:
            ar.writePString(QStringLiteral("AB"));
            ar.writePString(QStringLiteral("ABC"));
            break;
        }
    });
    QCOMPARE(written, hex);
}

void TestArchive::float80_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("hex");
    QTest::newRow("44100") << 44100.0 << QStringLiteral("40 0E AC 44 00 00 00 00 00 00");
    QTest::newRow("one") << 1.0 << QStringLiteral("3F FF 80 00 00 00 00 00 00 00");
    QTest::newRow("minus two") << -2.0 << QStringLiteral("C0 00 80 00 00 00 00 00 00 00");
    QTest::newRow("zero") << 0.0 << QStringLiteral("00 00 00 00 00 00 00 00 00 00");
    QTest::newRow("fraction") << 0.1 << QString();
    QTest::newRow("huge") << 1e300 << QString();
    QTest::newRow("tiny") << 1e-310 << QString();
    QTest::newRow("infinite") << HUGE_VAL << QStringLiteral("7F FF 80 00 00 00 00 00 00 00");
}

void TestArchive::float80()
{
    QFETCH(double, value);
    QFETCH(QString, hex);
    Buffer b;
    Archive ar(b);
    ar.writeFloat80(value);
    if (!hex.isEmpty())
        QCOMPARE(b.toString(), hex);
    QVERIFY(ar.seek(0));
    QCOMPARE(ar.readFloat80(), value);
    QVERIFY(ar.eof());
}

void TestArchive::varLength_data()
{
    QTest::addColumn<uint>("value");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<uint>("readBack");
    QTest::newRow("0") << 0u << QStringLiteral("00") << 0u;
    QTest::newRow("7F") << 0x7Fu << QStringLiteral("7F") << 0x7Fu;
    QTest::newRow("80") << 0x80u << QStringLiteral("81 00") << 0x80u;
    QTest::newRow("2000") << 0x2000u << QStringLiteral("C0 00") << 0x2000u;
    QTest::newRow("3FFF") << 0x3FFFu << QStringLiteral("FF 7F") << 0x3FFFu;
    QTest::newRow("4000") << 0x4000u << QStringLiteral("81 80 00") << 0x4000u;
    QTest::newRow("largest") << 0x0FFFFFFFu << QStringLiteral("FF FF FF 7F") << 0x0FFFFFFFu;
    QTest::newRow("clipped") << 0xFFFFFFFFu << QStringLiteral("FF FF FF 7F") << 0x0FFFFFFFu;
}

void TestArchive::varLength()
{
    QFETCH(uint, value);
    QFETCH(QString, hex);
    QFETCH(uint, readBack);
    QCOMPARE(hexOf([value](Archive& ar) { ar.writeVarLength(value); }), hex);
    const Buffer b = hexBuffer(hex);
    Archive ar(b);
    QCOMPARE(ar.readVarLength(), readBack);
    QVERIFY(ar.eof());
    QVERIFY(ar.ok());
}

void TestArchive::fixedText()
{
    // A field is consumed whole; its text stops at the first zero and keeps leading blanks.
    const Buffer b = hexBuffer(QStringLiteral("20 38 45 35 37 00 41 41  00 00 00 00  52 49 46 46 58"));
    Archive ar(b);
    QCOMPARE(ar.readText(8), QStringLiteral(" 8E57"));
    QCOMPARE(ar.pos(), 8);
    QCOMPARE(ar.readText(4), QString());
    QCOMPARE(ar.readText(0), QString());
    QCOMPARE(ar.readText(-1), QStringLiteral("RIFFX"));
    QVERIFY(ar.eof());
    QVERIFY(ar.ok());
}

void TestArchive::truncatedStream_data()
{
    // Each stream states more than it holds; reading must fail without allocating
    // or reading what is not there.
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("kind");
    QTest::newRow("string longer than the stream") << QStringLiteral("7F FF FF F0 41 42 43") << 0;
    QTest::newRow("string of 4 GB") << QStringLiteral("FF FF FF FF 41") << 0;
    QTest::newRow("sized buffer longer than the stream") << QStringLiteral("FF FF FF F0 01 02") << 1;
    QTest::newRow("sized buffer without its length") << QStringLiteral("00 00") << 1;
    QTest::newRow("raw buffer past the end") << QStringLiteral("01 02 03") << 2;
    QTest::newRow("int past the end") << QStringLiteral("01 02") << 3;
    QTest::newRow("text past the end") << QStringLiteral("41 42") << 4;
    QTest::newRow("pstring past the end") << QStringLiteral("09 41 42") << 5;
    QTest::newRow("float past the end") << QStringLiteral("40 0E AC") << 6;
    QTest::newRow("unfinished var length") << QStringLiteral("81 80") << 7;
}

void TestArchive::truncatedStream()
{
    QFETCH(QString, hex);
    QFETCH(int, kind);
    const Buffer b = hexBuffer(hex);
    Archive ar(b);
    switch (kind) {
    case 0: {
        QString s = QStringLiteral("old");
        ar >> s;
        QCOMPARE(s, QString());
        break;
    }
    case 1: {
        Buffer target = hexBuffer(QStringLiteral("AA"));
        QVERIFY(!ar.readBuffer(target));
        QVERIFY(target.isEmpty());
        break;
    }
    case 2: {
        Buffer target(100);
        target.setAt(0, 0x55);
        ar >> target;
        QCOMPARE(target.size(), 100);
        QCOMPARE(target.bytes(), QByteArray(100, '\0'));
        break;
    }
    case 3:
        QCOMPARE(ar.readUINT(), 0u);
        break;
    case 4:
        QCOMPARE(ar.readText(8), QString());
        break;
    case 5:
        QCOMPARE(ar.readPString(), QString());
        break;
    case 6:
        QCOMPARE(ar.readFloat80(), 0.0);
        break;
    case 7:
        QCOMPARE(ar.readVarLength(), 0u);
        break;
    }
    QVERIFY(ar.failed());
    QVERIFY(ar.eof());
    QCOMPARE(ar.pos(), qint64(b.size()));
    // Further reads keep giving 0 and "".
    QCOMPARE(ar.readInt(), 0);
    QCOMPARE(ar.readBYTE(), 0);
    QString s;
    ar >> s;
    QCOMPARE(s, QString());
}

void TestArchive::scanningToTheEndStops()
{
    // A loader that reads records until eof() ends even when the last record is cut short.
    const Buffer b = hexBuffer(QStringLiteral("00 00 00 01 00 00 00 02 00 00"));
    Archive ar(b);
    QList<int> values;
    for (int guard = 0; !ar.eof() && guard < 10; ++guard)
        values.append(ar.readInt());
    QCOMPARE(values, (QList<int>{1, 2, 0}));
    QVERIFY(ar.failed());
}

void TestArchive::nestedSizes()
{
    Buffer b;
    Archive ar(b);
    ar.writeText(QStringLiteral("FORM"));
    ar.willPutSize();
    ar.writeText(QStringLiteral("AB"));
    ar.willPutSize();
    ar.writeBYTE(1);
    ar.writeBYTE(2);
    ar.writeBYTE(3);
    ar.putSizeR(); // inner: 3 bytes, little-endian
    ar.writeBYTE(4);
    ar.putSize();    // outer: "AB" + inner size + 3 bytes + 1 byte
    ar.writeBYTE(5); // writing goes on after the end, not over the size
    QVERIFY(ar.ok());
    QCOMPARE(b.toString(), QStringLiteral("46 4F 52 4D 00 00 00 0A 41 42 03 00 00 00 01 02 03 04 05"));
    ar.putSize(); // nothing left open
    QVERIFY(ar.failed());
}

void TestArchive::positions()
{
    Buffer b;
    Archive ar(b);
    ar << 7 << hexBuffer(QStringLiteral("01 02 03 04 05")) << 9;
    QCOMPARE(ar.pos(), 13);
    QVERIFY(ar.seek(0));
    QCOMPARE(ar.readInt(), 7);
    QVERIFY(ar.skip(5)); // passes over exactly what << (Buffer) wrote
    QCOMPARE(ar.readInt(), 9);
    QVERIFY(ar.eof());
    QVERIFY(ar.reached(13));
    QVERIFY(ar.seek(2));
    QVERIFY(ar.reached(2));
    QVERIFY(!ar.reached(3));
    QVERIFY(!ar.seek(-1));
    QCOMPARE(ar.pos(), 2);
    QVERIFY(!ar.skip(-3));
    QCOMPARE(ar.remaining(), 11);

    // A writable archive may go past its end; the gap is zero-filled.
    QVERIFY(ar.seek(15));
    QVERIFY(ar.eof());
    ar.writeBYTE(0xEE);
    QCOMPARE(b.size(), 16);
    QCOMPARE(b.toString().right(11), QStringLiteral("09 00 00 EE"));
    QVERIFY(ar.ok());
}

void TestArchive::readOnlyBuffer()
{
    const Buffer b = hexBuffer(QStringLiteral("01 02 03"));
    Archive ar(b);
    ar.writeBYTE(9);
    QVERIFY(ar.failed());
    QCOMPARE(b.toString(), QStringLiteral("01 02 03"));
    QVERIFY(!ar.seek(10)); // a read-only archive stops at its end
    QCOMPARE(ar.pos(), 3);
}

void TestArchive::fileWriteCommitsOnlyOnClose()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.all"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    {
        Archive ar;
        QVERIFY(ar.writeFile(path));
        ar << 1;
        // destroyed without close(): nothing committed
    }
    QCOMPARE(readAll(path), QByteArray("old"));
    Archive ar;
    QVERIFY(ar.writeFile(path));
    ar << 1;
    ar.discard();
    QCOMPARE(readAll(path), QByteArray("old"));

    // A failed step anywhere keeps the old file too.
    QVERIFY(ar.writeFile(path));
    ar << 1;
    ar.readInt(); // not readable: fails the stream
    QVERIFY(!ar.close());
    QCOMPARE(readAll(path), QByteArray("old"));

    // Sizes are back-patched in files as well.
    QVERIFY(ar.writeFile(path));
    ar.willPutSize();
    ar << 2;
    ar.putSize();
    QVERIFY(ar.close());
    QCOMPARE(readAll(path), QByteArray("\x00\x00\x00\x04\x00\x00\x00\x02", 8));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lib.all")});
}

void TestArchive::fileOpenFailures()
{
    QTemporaryDir dir;
    Archive ar;
    QVERIFY(!ar.readFile(dir.filePath(QStringLiteral("missing.all"))));
    QVERIFY(!ar.readFile(dir.path())); // a folder is not a file
    QVERIFY(!ar.writeFile(dir.filePath(QStringLiteral("no/such/folder/x.all"))));
    QVERIFY(!ar.isOpen());
    QCOMPARE(ar.readInt(), 0);
}

void TestArchive::tempFile()
{
    Archive ar;
    const QString first = ar.openTempFile(QStringLiteral("pe"));
    QVERIFY(QFileInfo(first).fileName().startsWith(QStringLiteral("pe")));
    ar << hexBuffer(QStringLiteral("F0 43 F7"));
    QVERIFY(ar.seek(0));
    // Another program sees every byte while the archive keeps the file open.
    QCOMPARE(readAll(first), QByteArray("\xF0\x43\xF7", 3));
    QVERIFY(ar.close());
    QVERIFY(!QFile::exists(first));

    const QString second = ar.openTempFile(QStringLiteral("../pe"));
    QVERIFY(second != first);
    QCOMPARE(QFileInfo(second).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
}

void TestArchive::documentLoadAndStore()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("texts.doc"));
    TextsDocument doc;
    doc.texts = {QStringLiteral("one"), QStringLiteral("two")};
    QVERIFY(doc.storeFile(path));
    TextsDocument back;
    QVERIFY(back.loadFile(path));
    QCOMPARE(back.texts, doc.texts);
    QCOMPARE(back.cleared, 1);

    QVERIFY(!back.loadFile(dir.filePath(QStringLiteral("missing.doc"))));
    QVERIFY(back.docError().startsWith(QStringLiteral("Cannot open file\n\n")));
    QVERIFY(back.docError().endsWith(QStringLiteral("missing.doc")));

    // A count the file cannot hold is refused before anything is allocated for it.
    const Buffer bad = hexBuffer(QStringLiteral("7F FF FF FF 00 00"));
    QVERIFY(bad.toFile(path));
    QVERIFY(!back.loadFile(path));
    QCOMPARE(back.docError(), QStringLiteral("Unknown format"));
}

void TestArchive::documentFailedStoreKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("texts.doc"));
    TextsDocument doc;
    doc.texts = {QStringLiteral("kept")};
    QVERIFY(doc.storeFile(path));
    const QByteArray before = readAll(path);

    doc.texts = {QStringLiteral("lost")};
    doc.refuseStore = true;
    QVERIFY(!doc.storeFile(path));
    QVERIFY(doc.docError().startsWith(QStringLiteral("Cannot save file\n\n")));
    QCOMPARE(readAll(path), before);

    doc.refuseStore = false;
    QVERIFY(!doc.storeFile(dir.filePath(QStringLiteral("gone/texts.doc"))));
    QVERIFY(doc.docError().startsWith(QStringLiteral("Cannot save file\n\n")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("texts.doc")});
}

ORVANE_TEST_GUILESS_MAIN(TestArchive)
#include "tst_archive.moc"
