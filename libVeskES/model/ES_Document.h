// The instrument's own all-data files, read into tagged chunks of fixed-size
// entries for the librarian's import.
//
// Layout (numbers are 32-bit big-endian, texts fixed-width fields whose text
// ends at the first zero byte):
//   0    16   header text; its start names the model
//   16   16   second header text, kept as it is
//   128  384  catalogue: 48 entries of tag (4) and chunk offset (4); an empty
//             tag lists no chunk
// A chunk starts with its own tag (4) and size (4), counted from the chunk's
// start. A data chunk ("D..." except "DWFM") holds its header length h at +40
// and its entries back to back from h on; the size of the count chunk of the
// same name ("E" and the last three letters) gives the number of entries,
// (size - 32) / 32. The entry size is (size - h) / count.
//
// Files come from sticks and forums, so nothing in them is trusted: every
// chunk position, size, header length and count is checked against the file
// before a single entry is read, and a file that fails any check loads
// nothing and names the chunk in the error text. Counts are taken after all
// chunk sizes are known, so the order of the catalogue does not matter. Work
// and memory grow with the file: a chunk's entries never hold more bytes than
// the chunk, every chunk lies inside the file, and no two chunks' entries
// share a byte.
//
// The reader only reads; storing is refused.
#pragma once

#include "Buffer.h"
#include "Containers.h"
#include "Document.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One chunk of the catalogue; owns its entries. A chunk's entries lie back to
// back in the file and are kept so, in one block: entry i is the block's
// bytes from i x entrySize() on. A chunk of a million one-byte entries costs
// a megabyte, not a million buffers.
class ES_Chunk
{
public:
    ES_Chunk(const QString& tag, quint32 offset) : tag(tag), offset(offset) {}
    ES_Chunk(const ES_Chunk&) = delete;
    ES_Chunk& operator=(const ES_Chunk&) = delete;

    QString tag;      // the catalogue's tag; getChunk matches it
    quint32 offset;   // from the start of the file
    quint32 size = 0; // the chunk's own size field

    // The entries, in file order; none for a chunk that is no data chunk or
    // that counts none.
    int entryCount() const { return m_entrySize > 0 ? int(m_entries.size() / m_entrySize) : 0; }
    int entrySize() const { return m_entrySize; }
    // Entry i, a view into the chunk's block that holds while the chunk does
    // (until the document is cleared or loaded again); empty outside
    // 0..entryCount()-1.
    QByteArrayView entry(int i) const;
    // Entry i as a buffer of its own, what a patch dump is made from; empty
    // outside 0..entryCount()-1.
    Buffer entryBuffer(int i) const;
    // Takes block over as the entries, each size bytes; a remainder of
    // block past the last whole entry belongs to none. Pass it moved: a
    // block still shared is copied.
    void setEntries(QByteArray block, int size);

private:
    QByteArray m_entries; // entry i from i * m_entrySize on
    int m_entrySize = 0;
};

class ES_Document : public Document
{
public:
    static constexpr int HeaderTextSize = 16;
    static constexpr int CatalogueOffset = 128;
    static constexpr int CatalogueEntries = 48;
    static constexpr int CatalogueEntrySize = 8;
    static constexpr int CatalogueEnd = CatalogueOffset + CatalogueEntries * CatalogueEntrySize;
    // Bytes of a data chunk's header up to and including its header length.
    static constexpr int DataHeaderSize = 44;

    ES_Document() = default;
    ~ES_Document() override;

    // Deletes every chunk with its entries; the header texts and the model
    // stay.
    void clearDocument() override;
    // True when the file was read, also when it lists no chunk. False, with
    // no chunks, an empty model and the error text set, for an unknown model
    // ("Unknown format") or a damaged file.
    bool loadDocument(Archive& archive) override;
    // These files are only imported: false, nothing written, and the error
    // text says so.
    bool storeDocument(Archive& archive) override;

    // "Vesk ES", "V90 ES", or "" before a load and after a failed one.
    QString model() const { return m_model; }
    QString headerText() const { return m_headerText; }
    QString headerText2() const { return m_headerText2; }

    // The first chunk in catalogue order with exactly this tag; null when
    // none. The document keeps it.
    ES_Chunk* getChunk(const QString& tag) const;
    // The entry count of a data chunk tag, from its count chunk ("DNVC" asks
    // "ENVC"): 0 without one, and 0 or negative for a count chunk too small
    // to list an entry.
    int countEntries(const QString& tag) const;
    const VectorEx<ES_Chunk*>& chunks() const { return m_chunks; }

private:
    bool fail(const QString& text);

    QString m_headerText;
    QString m_headerText2;
    QString m_model;
    VectorEx<ES_Chunk*> m_chunks; // owned, in catalogue order
};
