// The native all-data file reader, on files built here byte by byte.
#include "Archive.h"
#include "ES_Document.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// A synthetic all-data file: header, catalogue and chunks appended in the
// order they are added. Data chunk bytes after the header hold a pattern of
// their position inside the chunk, so an entry shows where it was read from.
class NativeFileBuilder
{
public:
    explicit NativeFileBuilder(const QByteArray& header = QByteArrayLiteral("A0745 ALL DATA"))
        : m_bytes(ES_Document::CatalogueEnd, '\0')
    {
        m_bytes.replace(0, qMin<qsizetype>(header.size(), 16), header.left(16));
        m_bytes.replace(16, 8, "SECOND  ");
    }

    static char patternAt(quint32 position) { return char((position * 7 + 3) & 0xFF); }

    // Lists tag at offset in the next catalogue entry.
    void list(const QByteArray& tag, quint32 offset)
    {
        QVERIFY(m_listed < ES_Document::CatalogueEntries);
        const int at = ES_Document::CatalogueOffset + m_listed++ * ES_Document::CatalogueEntrySize;
        m_bytes.replace(at, 4, tag.leftJustified(4, '\0', true));
        putUint(at + 4, offset);
    }
    // Appends a chunk with its own tag and size, listed under listedAs (its
    // own tag when empty); a data chunk gets its header length and the
    // pattern up to size. Returns the chunk's offset.
    quint32 add(const QByteArray& ownTag, quint32 size, quint32 headerLength = 48,
                const QByteArray& listedAs = QByteArray())
    {
        const quint32 offset = quint32(m_bytes.size());
        list(listedAs.isEmpty() ? ownTag : listedAs, offset);
        append(ownTag, size, headerLength);
        return offset;
    }
    // A chunk that is not listed (yet).
    quint32 append(const QByteArray& ownTag, quint32 size, quint32 headerLength = 48)
    {
        const quint32 offset = quint32(m_bytes.size());
        const bool data = ownTag.startsWith('D');
        // Sizes past any real chunk are written as a bare header.
        const quint32 length = data && size <= 0x10000 ? qMax<quint32>(size, 44) : (data ? 44 : 8);
        QByteArray chunk(length, '\0');
        for (quint32 i = 0; i < length; ++i)
            chunk[i] = patternAt(i);
        chunk.replace(0, 4, ownTag.leftJustified(4, '\0', true));
        m_bytes.append(chunk);
        putUint(offset + 4, size);
        if (data)
            putUint(offset + 40, headerLength);
        return offset;
    }
    // A count chunk giving count entries.
    quint32 addCount(const QByteArray& tag, int count) { return add(tag, quint32(count * 32 + 32)); }

    void putUint(qsizetype at, quint32 value)
    {
        for (int k = 0; k < 4; ++k)
            m_bytes[at + k] = char(value >> (24 - 8 * k));
    }
    void truncate(qsizetype size) { m_bytes.truncate(size); }
    qsizetype size() const { return m_bytes.size(); }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    int m_listed = 0;
};

bool loadBytes(ES_Document& doc, const QByteArray& bytes)
{
    Buffer buffer;
    buffer.setBytes(bytes);
    Archive archive(static_cast<const Buffer&>(buffer));
    return doc.loadDocument(archive);
}

QStringList tagsOf(const ES_Document& doc)
{
    QStringList tags;
    for (const ES_Chunk* chunk : doc.chunks())
        tags << chunk->tag;
    return tags;
}

// The entry is the chunk's pattern from position start on.
bool holdsPattern(QByteArrayView entry, quint32 start)
{
    for (qsizetype i = 0; i < entry.size(); ++i) {
        if (entry.at(i) != NativeFileBuilder::patternAt(start + quint32(i)))
            return false;
    }
    return true;
}

} // namespace

class TestESDocument : public QObject
{
    Q_OBJECT

private slots:
    void modelFromHeader_data();
    void modelFromHeader();
    void emptyCatalogue();
    void countChunkSizes_data();
    void countChunkSizes();
    void entriesAtTheirPositions();
    void oneByteEntries();
    void countChunkAfterItsDataChunk();
    void chunkKindsWithoutEntries();
    void duplicateTags();
    void secondLoadReplacesTheFirst();
    void damagedFiles_data();
    void damagedFiles();
    void throughTheFileDocument();
};

void TestESDocument::modelFromHeader_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("model");
    QTest::newRow("A0745") << QByteArrayLiteral("A0745xyz") << QStringLiteral("Vesk ES");
    QTest::newRow("blank 8E57") << QByteArrayLiteral(" 8E57") << QStringLiteral("Vesk ES");
    QTest::newRow("blank 8E24") << QByteArrayLiteral(" 8E24 ALL") << QStringLiteral("V90 ES");
    QTest::newRow("8E57 without blank") << QByteArrayLiteral("8E57") << QString();
    QTest::newRow("lower case") << QByteArrayLiteral("a0745") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestESDocument::modelFromHeader()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, model);
    NativeFileBuilder file(header);
    file.addCount("ENVC", 1);
    file.add("DNVC", 100);
    ES_Document doc;
    QCOMPARE(loadBytes(doc, file.bytes()), !model.isEmpty());
    QCOMPARE(doc.model(), model);
    if (model.isEmpty()) {
        QCOMPARE(doc.docError(), QStringLiteral("Unknown format"));
        QVERIFY(doc.chunks().isEmpty());
    } else {
        QCOMPARE(doc.headerText(), QString::fromLatin1(header));
        QCOMPARE(doc.headerText2(), QStringLiteral("SECOND  "));
    }
}

void TestESDocument::emptyCatalogue()
{
    ES_Document doc;
    QCOMPARE(doc.model(), QString());
    QVERIFY(loadBytes(doc, NativeFileBuilder().bytes()));
    QVERIFY(doc.chunks().isEmpty());
    QCOMPARE(doc.model(), QStringLiteral("Vesk ES"));
    QCOMPARE(doc.getChunk(QStringLiteral("DNVC")), nullptr);
    QCOMPARE(doc.countEntries(QStringLiteral("DNVC")), 0);
}

void TestESDocument::countChunkSizes_data()
{
    QTest::addColumn<quint32>("countSize");
    QTest::addColumn<int>("count");
    QTest::newRow("32") << 32u << 0;
    QTest::newRow("63") << 63u << 0;
    QTest::newRow("64") << 64u << 1;
    QTest::newRow("0") << 0u << -1;
    QTest::newRow("128") << 128u << 3;
    // Negative as a signed size: no entries, and no error.
    QTest::newRow("top bit") << 0x80000020u << int((qint64(qint32(0x80000020u)) - 32) / 32);
}

void TestESDocument::countChunkSizes()
{
    QFETCH(quint32, countSize);
    QFETCH(int, count);
    NativeFileBuilder file;
    file.add("EDVC", countSize);
    file.add("DDVC", 48 + 3 * 10);
    ES_Document doc;
    QVERIFY2(loadBytes(doc, file.bytes()), qPrintable(doc.docError()));
    QCOMPARE(doc.countEntries(QStringLiteral("DDVC")), count);
    QCOMPARE(doc.getChunk(QStringLiteral("DDVC"))->entryCount(), qMax(count, 0));
    QCOMPARE(doc.getChunk(QStringLiteral("EDVC"))->size, countSize);
    QCOMPARE(doc.getChunk(QStringLiteral("EDVC"))->entryCount(), 0);
}

void TestESDocument::entriesAtTheirPositions()
{
    // 1000 - 48 bytes for 3 entries: 317 bytes each, the last byte in none.
    NativeFileBuilder file;
    file.addCount("EPVC", 3);
    const quint32 offset = file.add("DPVC", 1000, 48);
    ES_Document doc;
    QVERIFY2(loadBytes(doc, file.bytes()), qPrintable(doc.docError()));
    const ES_Chunk* chunk = doc.getChunk(QStringLiteral("DPVC"));
    QVERIFY(chunk);
    QCOMPARE(chunk->offset, offset);
    QCOMPARE(chunk->size, 1000u);
    QCOMPARE(chunk->entryCount(), 3);
    QCOMPARE(chunk->entrySize(), 317);
    const quint32 starts[] = {48, 365, 682};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(chunk->entry(i).size(), 317);
        QVERIFY2(holdsPattern(chunk->entry(i), starts[i]), qPrintable(QString::number(i)));
    }
    // A buffer of its own for a patch dump; nothing outside the entries.
    QCOMPARE(chunk->entryBuffer(2).bytes(), chunk->entry(2).toByteArray());
    QVERIFY(chunk->entry(3).isEmpty() && chunk->entry(-1).isEmpty() && chunk->entryBuffer(3).isEmpty());
}

// The smallest entries there are: each is its own byte of the file, and all
// of them lie in one block, the chunk's, one after the other (no allocation
// of their own: the memory stays that of the file).
void TestESDocument::oneByteEntries()
{
    constexpr int Count = 60000;
    NativeFileBuilder file;
    file.addCount("EDVC", Count);
    file.add("DDVC", 48 + Count + 1);
    ES_Document doc;
    QVERIFY2(loadBytes(doc, file.bytes()), qPrintable(doc.docError()));
    const ES_Chunk* chunk = doc.getChunk(QStringLiteral("DDVC"));
    QCOMPARE(chunk->entryCount(), Count);
    QCOMPARE(chunk->entrySize(), 1);
    const char* first = chunk->entry(0).data();
    for (int i = 0; i < Count; ++i) {
        const QByteArrayView entry = chunk->entry(i);
        if (entry.size() != 1 || entry.at(0) != NativeFileBuilder::patternAt(48 + quint32(i)) ||
            entry.data() != first + i)
            QFAIL(qPrintable(QStringLiteral("entry %1").arg(i)));
    }
    // The byte past the last entry belongs to none.
    QVERIFY(chunk->entry(Count).isEmpty());
}

void TestESDocument::countChunkAfterItsDataChunk()
{
    NativeFileBuilder file;
    file.add("DMST", 48 + 2 * 20);
    file.add("DPFM", 48 + 5 * 4);
    file.addCount("EPFM", 5);
    file.addCount("EMST", 2);
    ES_Document doc;
    QVERIFY2(loadBytes(doc, file.bytes()), qPrintable(doc.docError()));
    QCOMPARE(doc.getChunk(QStringLiteral("DMST"))->entryCount(), 2);
    QCOMPARE(doc.getChunk(QStringLiteral("DPFM"))->entryCount(), 5);
    QVERIFY(holdsPattern(doc.getChunk(QStringLiteral("DMST"))->entry(1), 68));
    QCOMPARE(tagsOf(doc), QStringList({"DMST", "DPFM", "EPFM", "EMST"}));
}

void TestESDocument::chunkKindsWithoutEntries()
{
    NativeFileBuilder file;
    file.addCount("EWFM", 2);
    file.add("DWFM", 48 + 2 * 8);
    file.add("DNVC", 48 + 16); // no count chunk
    file.add("XTRA", 1234);    // neither kind; its size is never trusted
    // Listed as a data chunk but its own tag is a count chunk's: the own tag
    // decides, the catalogue's names it.
    file.addCount("EDVC", 1);
    file.add("EDVC", 64, 0, "DDVC");
    ES_Document doc;
    QVERIFY2(loadBytes(doc, file.bytes()), qPrintable(doc.docError()));
    QCOMPARE(tagsOf(doc), QStringList({"EWFM", "DWFM", "DNVC", "XTRA", "EDVC", "DDVC"}));
    for (const ES_Chunk* chunk : doc.chunks())
        QVERIFY2(chunk->entryCount() == 0, qPrintable(chunk->tag));
    QCOMPARE(doc.getChunk(QStringLiteral("XTRA"))->size, 1234u);
    QCOMPARE(doc.getChunk(QStringLiteral("DDVC"))->size, 64u);
}

void TestESDocument::duplicateTags()
{
    NativeFileBuilder file;
    file.addCount("EDVC", 2);
    const quint32 first = file.add("DDVC", 48 + 2 * 10);
    const quint32 second = file.add("DDVC", 48 + 2 * 30);
    ES_Document doc;
    QVERIFY(loadBytes(doc, file.bytes()));
    QCOMPARE(doc.getChunk(QStringLiteral("DDVC"))->offset, first);
    QCOMPARE(doc.chunks().at(2)->offset, second);
    QCOMPARE(doc.chunks().at(1)->entry(1).size(), 10);
    QCOMPARE(doc.chunks().at(2)->entry(1).size(), 30);
}

void TestESDocument::secondLoadReplacesTheFirst()
{
    NativeFileBuilder one;
    one.addCount("ENVC", 1);
    one.add("DNVC", 60);
    NativeFileBuilder two(" 8E24");
    two.add("XTRA", 8);
    ES_Document doc;
    QVERIFY(loadBytes(doc, one.bytes()));
    QVERIFY(loadBytes(doc, two.bytes()));
    QCOMPARE(tagsOf(doc), QStringList({"XTRA"}));
    QCOMPARE(doc.model(), QStringLiteral("V90 ES"));
    // A failed load keeps nothing of the one before.
    QVERIFY(!loadBytes(doc, QByteArrayLiteral("JUNK")));
    QVERIFY(doc.chunks().isEmpty());
    QCOMPARE(doc.model(), QString());
}

void TestESDocument::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    {
        NativeFileBuilder file;
        file.truncate(300);
        QTest::newRow("catalogue cut")
            << file.bytes() << "The file is cut short: its chunk catalogue is incomplete";
    }
    {
        NativeFileBuilder file;
        file.append("ABCD", 8);
        file.list("DNVC", quint32(file.size() - 4));
        QTest::newRow("chunk header past the end") << file.bytes() << "Chunk DNVC lies outside the file";
    }
    {
        NativeFileBuilder file;
        file.list("EPFM", 0xFFFFFFFF);
        QTest::newRow("offset far outside") << file.bytes() << "Chunk EPFM lies outside the file";
    }
    {
        NativeFileBuilder file;
        file.addCount("ENVC", 2);
        file.add("DNVC", 48 + 2 * 10);
        file.truncate(file.size() - 1);
        QTest::newRow("data cut short") << file.bytes() << "Chunk DNVC runs past the end of the file";
    }
    {
        NativeFileBuilder file;
        file.addCount("ENVC", 1);
        file.add("DNVC", 0x80000000u);
        QTest::newRow("negative size") << file.bytes() << "Chunk DNVC runs past the end of the file";
    }
    {
        NativeFileBuilder file;
        file.addCount("ENVC", 1);
        file.add("DNVC", 40);
        QTest::newRow("no room for the header") << file.bytes() << "Chunk DNVC has a damaged header";
    }
    {
        NativeFileBuilder file;
        file.addCount("ENVC", 1);
        file.add("DNVC", 100, 20);
        QTest::newRow("header length in the header") << file.bytes() << "Chunk DNVC has a damaged header";
    }
    {
        NativeFileBuilder file;
        file.addCount("ENVC", 1);
        file.add("DNVC", 100, 101);
        QTest::newRow("header length past the size") << file.bytes() << "Chunk DNVC has a damaged header";
    }
    {
        NativeFileBuilder file;
        file.addCount("ENVC", 1);
        file.add("DNVC", 100, 100);
        QTest::newRow("entry size zero") << file.bytes() << "Chunk DNVC: 1 entries do not fit into 0 bytes";
    }
    {
        // A crafted count of 67 million entries must not be tried.
        NativeFileBuilder file;
        file.add("EDVC", 0x7FFFFFFF);
        file.add("DDVC", 48 + 4 * 10);
        QTest::newRow("count beyond the data")
            << file.bytes() << "Chunk DDVC: 67108862 entries do not fit into 40 bytes";
    }
    {
        // The tag is the file's: a "%" in it is no placeholder.
        NativeFileBuilder file;
        file.addCount("E%2A", 9);
        file.add("D%2A", 52);
        QTest::newRow("tag with a percent sign")
            << file.bytes() << "Chunk D%2A: 9 entries do not fit into 4 bytes";
    }
    {
        // One chunk of a thousand one-byte entries, listed in every free
        // catalogue entry, would read its bytes 47 times over.
        NativeFileBuilder file;
        file.addCount("ENVC", 1000);
        const quint32 offset = file.add("DNVC", 48 + 1000);
        for (int i = 2; i < ES_Document::CatalogueEntries; ++i)
            file.list("DNVC", offset);
        QTest::newRow("chunk listed again") << file.bytes() << "Chunk DNVC overlaps chunk DNVC";
    }
    {
        // A second data chunk that starts inside the first one's entries.
        NativeFileBuilder file;
        file.addCount("ENVC", 2);
        file.addCount("EDVC", 1);
        const quint32 offset = file.add("DNVC", 48 + 2 * 100);
        const quint32 inside = offset + 48 + 100;
        file.putUint(inside, 0x44445643); // "DDVC"
        file.putUint(inside + 4, 48 + 50);
        file.putUint(inside + 40, 48);
        file.list("DDVC", inside);
        QTest::newRow("chunks over each other") << file.bytes() << "Chunk DDVC overlaps chunk DNVC";
    }
    {
        // The first chunk is fine; the second is not: nothing is kept.
        NativeFileBuilder file;
        file.addCount("ENVC", 1);
        file.add("DNVC", 60);
        file.addCount("EMST", 9);
        file.add("DMST", 52);
        QTest::newRow("second chunk damaged")
            << file.bytes() << "Chunk DMST: 9 entries do not fit into 4 bytes";
    }
}

void TestESDocument::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    ES_Document doc;
    QVERIFY(!loadBytes(doc, bytes));
    QCOMPARE(doc.docError(), error);
    QVERIFY(doc.chunks().isEmpty());
    QCOMPARE(doc.model(), QString());
}

void TestESDocument::throughTheFileDocument()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("all.w7a"));
    NativeFileBuilder file;
    file.add("DNVC", 48 + 3 * 100);
    file.addCount("ENVC", 3);
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.bytes());
    }
    ES_Document doc;
    QVERIFY2(doc.loadFile(path), qPrintable(doc.docError()));
    QCOMPARE(doc.getChunk(QStringLiteral("DNVC"))->entryCount(), 3);
    QVERIFY(holdsPattern(doc.getChunk(QStringLiteral("DNVC"))->entry(2), 248));

    // Storing is refused and the file stays as it was.
    QVERIFY(!doc.storeFile(path));
    QCOMPARE(doc.docError(), QStringLiteral("Native files can only be imported, not saved"));
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), file.bytes());
    Buffer untouched;
    Archive archive(untouched);
    QVERIFY(!doc.storeDocument(archive));
    QCOMPARE(untouched.size(), 0);
}

ORVANE_TEST_GUILESS_MAIN(TestESDocument)
#include "tst_esdocument.moc"
