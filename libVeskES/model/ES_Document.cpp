#include "ES_Document.h"

#include "Archive.h"

#include <QList>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

bool isDataTag(const QString& ownTag)
{
    return ownTag.startsWith(QLatin1Char('D')) && ownTag != QLatin1String("DWFM");
}

// Where one data chunk's entries lie, worked out before any is read.
struct EntryRun
{
    ES_Chunk* chunk = nullptr;
    qint64 start = 0; // file position of the first entry
    int count = 0;
    int entrySize = 0;
};

} // namespace

QByteArrayView ES_Chunk::entry(int i) const
{
    if (i < 0 || i >= entryCount())
        return {};
    return QByteArrayView(m_entries).sliced(qsizetype(i) * m_entrySize, m_entrySize);
}

Buffer ES_Chunk::entryBuffer(int i) const
{
    Buffer buffer;
    const QByteArrayView bytes = entry(i);
    if (!bytes.isEmpty())
        buffer.setBytes(bytes.toByteArray());
    return buffer;
}

void ES_Chunk::setEntries(QByteArray block, int size)
{
    m_entrySize = size > 0 ? size : 0;
    // Taken over, not copied: the block is the entries' only copy.
    m_entries = std::move(block);
    m_entries.truncate(m_entrySize ? m_entries.size() - m_entries.size() % m_entrySize : 0);
}

ES_Document::~ES_Document()
{
    ES_Document::clearDocument();
}

void ES_Document::clearDocument()
{
    qDeleteAll(m_chunks);
    m_chunks.clear();
}

bool ES_Document::fail(const QString& text)
{
    // Nothing half read stays behind.
    clearDocument();
    m_model.clear();
    setDocError(text);
    return false;
}

bool ES_Document::loadDocument(Archive& a)
{
    clearDocument();
    m_headerText = a.readText(HeaderTextSize);
    m_headerText2 = a.readText(HeaderTextSize);
    m_model.clear();
    if (m_headerText.startsWith(QLatin1String("A0745")) || m_headerText.startsWith(QLatin1String(" 8E57")))
        m_model = QStringLiteral("Vesk ES");
    if (m_headerText.startsWith(QLatin1String(" 8E24")))
        m_model = QStringLiteral("V90 ES");
    if (m_model.isEmpty())
        return fail(QStringLiteral("Unknown format"));

    const qint64 fileSize = a.size();
    if (fileSize < CatalogueEnd)
        return fail(QStringLiteral("The file is cut short: its chunk catalogue is incomplete"));
    a.seek(CatalogueOffset);
    for (int i = 0; i < CatalogueEntries; ++i) {
        const QString tag = a.readText(4);
        const quint32 offset = a.readUINT();
        if (!tag.isEmpty())
            m_chunks.append(new ES_Chunk(tag, offset));
    }

    // Every chunk's own tag and size first, so that a count chunk listed
    // after its data chunk still counts.
    QList<QString> ownTags;
    ownTags.reserve(m_chunks.size());
    for (ES_Chunk* chunk : std::as_const(m_chunks)) {
        if (qint64(chunk->offset) + 8 > fileSize)
            return fail(QStringLiteral("Chunk %1 lies outside the file").arg(chunk->tag));
        a.seek(chunk->offset);
        ownTags.append(a.readText(4));
        chunk->size = a.readUINT();
    }

    // Then where every entry lies, all checked before one is read: a damaged
    // file fails at once and allocates nothing.
    QList<EntryRun> runs;
    for (qsizetype i = 0; i < m_chunks.size(); ++i) {
        ES_Chunk* chunk = m_chunks.at(i);
        if (!isDataTag(ownTags.at(i)))
            continue;
        const int count = countEntries(ownTags.at(i));
        if (count <= 0)
            continue;
        const QString& tag = chunk->tag;
        if (chunk->size > quint32(INT_MAX) || qint64(chunk->offset) + chunk->size > fileSize)
            return fail(QStringLiteral("Chunk %1 runs past the end of the file").arg(tag));
        const qint64 size = chunk->size;
        if (size < DataHeaderSize)
            return fail(QStringLiteral("Chunk %1 has a damaged header").arg(tag));
        a.seek(qint64(chunk->offset) + DataHeaderSize - 4);
        const qint64 headerLength = a.readUINT();
        if (headerLength < DataHeaderSize || headerLength > size)
            return fail(QStringLiteral("Chunk %1 has a damaged header").arg(tag));
        // An entry of no byte or less means the count is more than the
        // chunk can hold.
        const qint64 entrySize = (size - headerLength) / count;
        if (entrySize < 1)
            return fail(QStringLiteral("Chunk %1: %2 entries do not fit into %3 bytes")
                            .arg(tag, QString::number(count), QString::number(size - headerLength)));
        runs.append({chunk, qint64(chunk->offset) + headerLength, count, int(entrySize)});
    }

    // Each byte of the file belongs to one entry at most. A catalogue that
    // lists one chunk many times (or chunks over each other) would otherwise
    // read the same bytes again for every listing, and a file of a megabyte
    // could ask for tens of millions of entries.
    QList<const EntryRun*> byStart;
    for (const EntryRun& run : std::as_const(runs))
        byStart.append(&run);
    std::sort(byStart.begin(), byStart.end(),
              [](const EntryRun* a, const EntryRun* b) { return a->start < b->start; });
    for (qsizetype i = 1; i < byStart.size(); ++i) {
        const EntryRun* before = byStart.at(i - 1);
        if (before->start + qint64(before->count) * before->entrySize > byStart.at(i)->start)
            return fail(QStringLiteral("Chunk %1 overlaps chunk %2")
                            .arg(byStart.at(i)->chunk->tag, before->chunk->tag));
    }

    // The entries lie back to back: one read per chunk, into one block. The
    // remainder of the division belongs to no entry and is not read.
    for (const EntryRun& run : std::as_const(runs)) {
        const qint64 bytes = qint64(run.count) * run.entrySize;
        QByteArray block(bytes, Qt::Uninitialized);
        if (!a.seek(run.start) || !a.readRaw(block.data(), bytes))
            return fail(QStringLiteral("Chunk %1 could not be read").arg(run.chunk->tag));
        run.chunk->setEntries(std::move(block), run.entrySize);
    }
    return true;
}

bool ES_Document::storeDocument(Archive&)
{
    setDocError(QStringLiteral("Native files can only be imported, not saved"));
    return false;
}

ES_Chunk* ES_Document::getChunk(const QString& tag) const
{
    for (ES_Chunk* chunk : m_chunks) {
        if (chunk->tag == tag)
            return chunk;
    }
    return nullptr;
}

int ES_Document::countEntries(const QString& tag) const
{
    if (tag.isEmpty())
        return 0;
    QString countTag = tag;
    countTag[0] = QLatin1Char('E');
    const ES_Chunk* chunk = getChunk(countTag);
    if (!chunk)
        return 0;
    // The size as a signed number: a count chunk of size 0 counts -1.
    return int((qint64(qint32(chunk->size)) - 32) / 32);
}
