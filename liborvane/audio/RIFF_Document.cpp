#include "RIFF_Document.h"

#include "Archive.h"
#include "PcmCodec.h"

#include <climits>

namespace {

constexpr int HeaderSize = 8; // identifier and size

bool isInfoList(const RIFF_Chunk* chunk)
{
    return chunk != nullptr && chunk->id == QLatin1String("INFO");
}

} // namespace

RIFF_Chunk::RIFF_Chunk(RIFF_Chunk* parent) : parent(parent) {}

RIFF_Chunk::~RIFF_Chunk()
{
    clearList();
}

void RIFF_Chunk::clearList()
{
    qDeleteAll(list);
    list.clear();
}

bool RIFF_Chunk::read(Archive& ar, int level)
{
    return read(ar, level, ar.size(), nullptr);
}

bool RIFF_Chunk::read(Archive& ar, int level, qint64 end, const RIFF_Document* owner)
{
    if (ar.remaining() < HeaderSize) {
        // The file ends inside the header: the chunk is lost.
        ar.seek(ar.size());
        return false;
    }
    id = ar.readText(4);
    const qint64 declared = ar.readValueR(4);
    // The pad byte of an odd size belongs to the chunk's room in the file.
    const qint64 rounded = declared + (declared & 1);
    const qint64 room = qMin(rounded, qMax<qint64>(0, qMin<qint64>(end, ar.size()) - ar.pos()));
    size = qint32(qMin<qint64>(room, INT_MAX - 1));
    offset = ar.pos();
    const qint64 chunkEnd = offset + size;
    // The file ends before the chunk does (not the list around it).
    const bool cutByFile = chunkEnd < ar.pos() + rounded && chunkEnd >= ar.size();

    const bool isList = id == QLatin1String("LIST") && !isInfoList(parent) && size >= 4;
    if (!isList) {
        const int held = int(qMin<qint64>(declared, size));
        if (owner == nullptr || owner->readsData(*this)) {
            PcmCodec::allocateUnset(data, held);
            if (held > 0 && !ar.readRaw(data.data(), held))
                data.reset();
        }
        ar.seek(chunkEnd);
        return true;
    }

    id = ar.readText(4);
    if (level >= MaxDepth) {
        // Deeper than any real file nests: kept, but not descended into.
        ar.seek(chunkEnd);
        return true;
    }
    while (!ar.reached(chunkEnd)) {
        if (chunkEnd - ar.pos() < HeaderSize && !cutByFile) {
            // Too few bytes for another header: filler up to the list's end.
            // (A file that ends there instead has lost the rest of the list.)
            ar.seek(chunkEnd);
            break;
        }
        auto* sub = new RIFF_Chunk(this);
        if (!sub->read(ar, level + 1, chunkEnd, owner)) {
            delete sub;
            return false;
        }
        list.append(sub);
    }
    return true;
}

RIFF_Chunk* RIFF_Chunk::getChunk(QString id)
{
    while (id.size() < 4)
        id += QLatin1Char(' ');
    for (RIFF_Chunk* chunk : std::as_const(list)) {
        if (chunk->id == id)
            return chunk;
    }
    return nullptr;
}

RIFF_Chunk* RIFF_Chunk::getChunk(const QString& listId, const QString& id)
{
    RIFF_Chunk* outer = getChunk(listId);
    return outer != nullptr ? outer->getChunk(id) : nullptr;
}

RIFF_List* RIFF_Chunk::getList(const QString& id)
{
    RIFF_Chunk* chunk = getChunk(id);
    return chunk != nullptr ? &chunk->list : nullptr;
}

QString RIFF_Chunk::text() const
{
    return data.readText(0);
}

RIFF_Document::RIFF_Document() : root(nullptr) {}

RIFF_Document::~RIFF_Document() = default;

void RIFF_Document::clearDocument()
{
    root.clearList();
}

bool RIFF_Document::loadDocument(Archive& ar)
{
    clearDocument();
    if (ar.readText(4) != QLatin1String("RIFF"))
        return false;
    ar.readValueR(4); // the whole file is read, whatever the header says
    root.id = ar.readText(4);
    do {
        auto* chunk = new RIFF_Chunk(&root);
        if (chunk->read(ar, 1, ar.size(), this))
            root.list.append(chunk);
        else
            delete chunk;
    } while (!ar.eof());
    return true;
}

bool RIFF_Document::readsData(const RIFF_Chunk& chunk) const
{
    Q_UNUSED(chunk);
    return true;
}

bool RIFF_Document::storeDocument(Archive& ar)
{
    Q_UNUSED(ar);
    return true;
}

QString ReadRIFFHeader(const QString& path)
{
    Archive ar;
    if (!ar.readFile(path))
        return QString();
    const QString tag = ar.readText(4);
    ar.readUINT();
    return tag + ar.readText(4);
}
