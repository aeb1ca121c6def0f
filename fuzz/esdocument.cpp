// The native all-data file reader on any bytes: a load either fails with a
// reason and keeps nothing, or gives chunks whose entries are exactly the
// file's bytes at the positions the chunk headers name.
#include "Archive.h"
#include "ES_Document.h"
#include "FuzzSupport.h"

namespace {

quint32 uintAt(const QByteArray& bytes, qint64 at)
{
    quint32 value = 0;
    for (int k = 0; k < 4; ++k)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + k));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    const QByteArray& bytes = file.bytes();
    Archive archive(static_cast<const Buffer&>(file));
    ES_Document doc;
    if (!doc.loadDocument(archive)) {
        FUZZ_CHECK(doc.chunks().isEmpty() && doc.model().isEmpty() && !doc.docError().isEmpty());
        return 0;
    }
    FUZZ_CHECK(!doc.model().isEmpty());
    FUZZ_CHECK(doc.chunks().size() <= ES_Document::CatalogueEntries);
    // No byte of the file is held twice.
    qint64 entryBytes = 0;
    for (const ES_Chunk* chunk : doc.chunks()) {
        FUZZ_CHECK(doc.getChunk(chunk->tag) != nullptr);
        FUZZ_CHECK(qint64(chunk->offset) + 8 <= bytes.size());
        FUZZ_CHECK(chunk->size == uintAt(bytes, chunk->offset + 4));
        if (chunk->entryCount() == 0)
            continue;
        const qint64 headerLength = uintAt(bytes, qint64(chunk->offset) + 40);
        const int entrySize = chunk->entrySize();
        FUZZ_CHECK(entrySize >= 1);
        FUZZ_CHECK(headerLength + qint64(chunk->entryCount()) * entrySize <= chunk->size);
        entryBytes += qint64(chunk->entryCount()) * entrySize;
        for (int i = 0; i < chunk->entryCount(); ++i) {
            const qint64 at = qint64(chunk->offset) + headerLength + qint64(i) * entrySize;
            FUZZ_CHECK(chunk->entry(i) == QByteArrayView(bytes.mid(at, entrySize)));
        }
        FUZZ_CHECK(chunk->entry(chunk->entryCount()).isEmpty());
    }
    FUZZ_CHECK(entryBytes <= bytes.size());
    doc.clearDocument();
    FUZZ_CHECK(doc.chunks().isEmpty());
    return 0;
}
