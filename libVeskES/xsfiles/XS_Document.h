// The tagged-chunk container of the XS-family instruments' native files
// ("Vesk XS", "Vesk XF", "Vesk Rack XS", "V90 XS"), and the vocabulary of
// their models and format versions.
//
// Layout (numbers 32-bit big-endian, texts zero-filled fixed-width fields):
//   0    16   magic "VESK-VSFC"
//   16   16   format version; the model follows from it
//   32   4    catalogue size: 8 x number of chunks
//   36   28   0xFF filler
//   64        catalogue: per chunk its 4-character tag and its offset
//   then      the chunks: tag (4), size of what follows (4), item count (4),
//             items; each item a mark ("Entr", or "Data" in a chunk whose tag
//             begins with "D") and a body
// The container knows nothing of the bodies: readChunkItem and
// writeChunkItem give them their meaning in a derived document. Its own body
// is a 32-bit length and that many bytes.
//
// Reading: the load starts from an empty chunk list (clearDocument), makes
// the chunks in catalogue order and reads each from the offset its catalogue
// entry gives, so a file that orders its chunk bodies differently from its
// catalogue loads the same. A tag listed twice gives one chunk, read once
// (from the last offset listed). Nothing is trusted: an offset outside the
// file or inside the header, a chunk whose own tag differs from the
// catalogue's, an item mark other than "Entr" or "Data", or an item cut short
// by the end of the file fails the load with "Illegal file" and leaves no
// chunk. A file that ends right after a whole item ends that chunk there,
// with the items read so far, as the instrument's own files may. The item
// count is stored as read; the chunk may hold fewer items.
//
// Everything runs on the caller's thread; nothing throws.
#pragma once

#include "Buffer.h"
#include "Containers.h"
#include "Document.h"

#include <QString>

class Archive;

// One raw item body of a chunk.
class XS_Item
{
public:
    Buffer data;

    int size() const { return data.size(); }
    void reset() { data.reset(); }
};

// One chunk: its tag and its items, which it owns.
class XS_Chunk
{
public:
    explicit XS_Chunk(const QString& tag) : tag(tag) {}
    ~XS_Chunk();
    XS_Chunk(const XS_Chunk&) = delete;
    XS_Chunk& operator=(const XS_Chunk&) = delete;

    bool isEntryChunk() const { return tag.startsWith(QLatin1Char('E')); }
    bool isDataChunk() const { return tag.startsWith(QLatin1Char('D')); }
    // Deletes every item.
    void clearItems();

    QString tag;
    quint32 filePos = 0;   // where the chunk starts in the file, once written or read
    quint32 itemCount = 0; // as written to and read from the file
    VectorEx<XS_Item*> items;
};

class XS_Document : public Document
{
public:
    static constexpr int TextSize = 16;
    static constexpr int FillerSize = 28;
    static constexpr int HeaderSize = 64; // magic, version, catalogue size, filler
    static constexpr int CatalogueEntrySize = 8;
    static constexpr int ChunkHeaderSize = 12; // tag, size, item count

    XS_Document() = default;
    ~XS_Document() override;

    // Deletes every chunk; type, magic and version stay.
    void clearDocument() override;
    // setType, then the chunks "EWFM", "EWIM", "DWFM", "DWIM" and, for types
    // 0, 1, 6 and 7, "EVCE" and "DVCE"; chunks already there are kept where
    // they are.
    void newDocument(int type) override;
    // False with "Unknown format" for another magic (chunks untouched), with
    // "Illegal file" for a damaged file (no chunks left).
    bool loadDocument(Archive& archive) override;
    // False when the archive failed.
    bool storeDocument(Archive& archive) override;

    // The body of item i of the chunk, which the caller has just appended.
    virtual void readChunkItem(XS_Chunk* chunk, int i, Archive& archive);
    virtual void writeChunkItem(XS_Chunk* chunk, int i, Archive& archive);

    bool readChunk(XS_Chunk* chunk, Archive& archive);
    bool writeChunk(XS_Chunk* chunk, Archive& archive);

    // The first chunk with exactly that tag, or null.
    XS_Chunk* getChunk(const QString& tag) const;
    // getChunk, or a new empty chunk appended to the list.
    XS_Chunk* createChunk(const QString& tag);
    const VectorEx<XS_Chunk*>& chunks() const { return m_chunks; }

    // Sets the type and the version its model writes.
    void setType(int type);
    int type() const { return m_type; }
    QString magic() const { return m_magic; }
    QString version() const { return m_version; }
    void setVersion(const QString& version) { m_version = version; }
    quint32 catalogueSize() const { return m_catalogueSize; }
    // The model of the version; "" for a version outside the table.
    QString model() const { return ModelOfVersion(m_version); }

    static QString ModelOfType(int type);
    static QString ModelOfVersion(const QString& version);
    static QString VersionOfModel(const QString& model);

private:
    bool fail(const QString& text);
    // The header after the magic and the catalogue; the chunk bodies.
    bool readCatalogue(Archive& archive);
    bool readChunks(Archive& archive);

    int m_type = -1;
    QString m_magic = QStringLiteral("VESK-VSFC");
    QString m_version;
    quint32 m_catalogueSize = 0; // as last read
    qint64 m_catalogueEnd = 0;   // where the chunks may begin, while loading
    VectorEx<XS_Chunk*> m_chunks; // owned, in file order
};
