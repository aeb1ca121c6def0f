// The VSFC container: see XS_Document.h.
#include "XS_Document.h"

#include "Archive.h"
#include "XS_Lists.h"

namespace {

const QString IllegalFile = QStringLiteral("Illegal file");
const QString EntryMark = QStringLiteral("Entr");
const QString DataMark = QStringLiteral("Data");

struct ModelVersion
{
    const char* model;
    const char* written;
};

// The version each model writes; "1.0.1" is also read as "Vesk XS".
constexpr ModelVersion Versions[] = {
    {"Vesk XS", "1.0.0"},
    {"Vesk XF", "1.0.2"},
    {"Vesk Rack XS", "2.0.0"},
    {"V90 XS", "3.0.0"},
};

} // namespace

XS_Chunk::~XS_Chunk()
{
    clearItems();
}

void XS_Chunk::clearItems()
{
    DeleteItems(items);
}

XS_Document::~XS_Document()
{
    // Not the virtual one: a derived document has already cleared its own
    // records when this runs.
    XS_Document::clearDocument();
}

void XS_Document::clearDocument()
{
    DeleteItems(m_chunks);
}

void XS_Document::newDocument(int type)
{
    setType(type);
    for (const char* tag : {"EWFM", "EWIM", "DWFM", "DWIM"})
        createChunk(QLatin1String(tag));
    if (type == 0 || type == 1 || type == 6 || type == 7) {
        createChunk(QStringLiteral("EVCE"));
        createChunk(QStringLiteral("DVCE"));
    }
}

void XS_Document::setType(int type)
{
    m_type = type;
    m_version = VersionOfModel(ModelOfType(type));
}

QString XS_Document::ModelOfType(int type)
{
    if (type >= 0 && type <= 2)
        return QStringLiteral("Vesk XS");
    if (type >= 3 && type <= 5)
        return QStringLiteral("V90 XS");
    if (type >= 6 && type <= 8)
        return QStringLiteral("Vesk XF");
    return QString();
}

QString XS_Document::ModelOfVersion(const QString& version)
{
    if (version == QLatin1String("1.0.1"))
        return QStringLiteral("Vesk XS");
    for (const ModelVersion& row : Versions) {
        if (version == QLatin1String(row.written))
            return QLatin1String(row.model);
    }
    return QString();
}

QString XS_Document::VersionOfModel(const QString& model)
{
    for (const ModelVersion& row : Versions) {
        if (model == QLatin1String(row.model))
            return QLatin1String(row.written);
    }
    return QString();
}

XS_Chunk* XS_Document::getChunk(const QString& tag) const
{
    for (XS_Chunk* chunk : m_chunks) {
        if (chunk->tag == tag)
            return chunk;
    }
    return nullptr;
}

XS_Chunk* XS_Document::createChunk(const QString& tag)
{
    if (XS_Chunk* chunk = getChunk(tag))
        return chunk;
    auto* chunk = new XS_Chunk(tag);
    m_chunks.append(chunk);
    return chunk;
}

bool XS_Document::fail(const QString& text)
{
    setDocError(text);
    return false;
}

// --- reading ---------------------------------------------------------------------------

bool XS_Document::loadDocument(Archive& archive)
{
    if (archive.readText(TextSize) != m_magic)
        return fail(QStringLiteral("Unknown format"));
    clearDocument();
    if (!readCatalogue(archive) || !readChunks(archive)) {
        setDocError(IllegalFile);
        clearDocument();
        return false;
    }
    return true;
}

bool XS_Document::readCatalogue(Archive& archive)
{
    m_version = archive.readText(TextSize);
    m_catalogueSize = archive.readUINT();
    const bool header = archive.skip(FillerSize) && archive.ok();
    m_catalogueEnd = archive.pos() + m_catalogueSize;
    // Whole entries only: a size between entries would read the next one
    // from past the catalogue's end.
    if (!header || m_catalogueEnd > archive.size() || m_catalogueSize % CatalogueEntrySize != 0)
        return false;
    // A catalogue of size 0 lists no chunk, as the writer writes it for a
    // document without chunks.
    while (!archive.reached(m_catalogueEnd)) {
        const QString tag = archive.readText(4);
        const quint32 offset = archive.readUINT();
        if (archive.failed())
            return false;
        createChunk(tag)->filePos = offset;
    }
    return true;
}

bool XS_Document::readChunks(Archive& archive)
{
    for (XS_Chunk* chunk : std::as_const(m_chunks)) {
        const bool inside =
            chunk->filePos >= m_catalogueEnd && chunk->filePos + qint64(ChunkHeaderSize) <= archive.size();
        if (!inside || !archive.seek(chunk->filePos) || !readChunk(chunk, archive))
            return false;
    }
    return true;
}

bool XS_Document::readChunk(XS_Chunk* chunk, Archive& archive)
{
    const QString tag = archive.readText(4);
    archive.readUINT(); // the chunk's size: items are read one after another
    chunk->itemCount = archive.readUINT();
    // The catalogue led here: another tag means its offset is wrong.
    if (archive.failed() || tag != chunk->tag)
        return fail(IllegalFile);
    if (qint32(chunk->itemCount) < 1)
        return true;
    for (quint32 i = 0;; ++i) {
        const QString mark = archive.readText(4);
        if (mark != EntryMark && mark != DataMark)
            return fail(IllegalFile);
        chunk->items.append(new XS_Item);
        readChunkItem(chunk, int(i), archive);
        if (archive.failed())
            return fail(IllegalFile);
        if (archive.eof() || i + 1 >= chunk->itemCount)
            return true;
    }
}

void XS_Document::readChunkItem(XS_Chunk* chunk, int i, Archive& archive)
{
    if (i >= 0 && i < chunk->items.size())
        archive.readBuffer(chunk->items.at(i)->data);
}

// --- writing ---------------------------------------------------------------------------

bool XS_Document::storeDocument(Archive& archive)
{
    archive.writeText(m_magic, TextSize);
    archive.writeText(m_version, TextSize);
    archive.writeInt(int(m_chunks.size()) * CatalogueEntrySize);
    for (int k = 0; k < FillerSize; ++k)
        archive.writeBYTE(0xFF);
    const qint64 catalogue = archive.pos();
    for (const XS_Chunk* chunk : std::as_const(m_chunks)) {
        archive.writeText(chunk->tag, 4);
        archive.writeUINT(0);
    }
    for (XS_Chunk* chunk : std::as_const(m_chunks))
        writeChunk(chunk, archive);
    // The offsets are known only now.
    archive.seek(catalogue);
    for (const XS_Chunk* chunk : std::as_const(m_chunks)) {
        archive.skip(4);
        archive.writeUINT(chunk->filePos);
    }
    return archive.ok();
}

bool XS_Document::writeChunk(XS_Chunk* chunk, Archive& archive)
{
    chunk->filePos = quint32(archive.pos());
    archive.writeText(chunk->tag, 4);
    archive.willPutSize();
    archive.writeUINT(chunk->itemCount);
    const QString& mark = chunk->isDataChunk() ? DataMark : EntryMark;
    for (qsizetype i = 0; i < chunk->items.size(); ++i) {
        archive.writeText(mark, 4);
        writeChunkItem(chunk, int(i), archive);
    }
    archive.putSize();
    return archive.ok();
}

void XS_Document::writeChunkItem(XS_Chunk* chunk, int i, Archive& archive)
{
    if (i >= 0 && i < chunk->items.size())
        archive.writeBuffer(chunk->items.at(i)->data);
}
