// A read-only reader of RIFF files into a tree of chunks in memory, and the
// probe that tells sample files apart by their first twelve bytes.
//
// The format documents built on it (WAV, SoundFont, DLS, Akai programs) let
// it read the whole file, then pick the chunks they need by their
// four-character identifiers. A "LIST" chunk takes its list type as its
// identifier and holds its sub-chunks; inside an "INFO" list every sub-chunk
// is data, whatever its identifier. Sizes are little-endian.
//
// Nothing in the file is trusted: a chunk never holds more bytes than the
// list around it and the file have left, a size field is never allocated
// before it is cut to that, and lists nested deeper than MaxDepth are kept
// empty instead of being descended into. The pad byte after an odd-sized
// chunk is skipped; it is no part of the chunk's data. A file that ends
// inside a chunk header keeps everything read before that header; a whole
// header of an empty chunk at the very end is a chunk like any other.
//
// Every chunk owns its sub-chunks; the document's root owns the whole tree.
#pragma once

#include "Buffer.h"
#include "Containers.h"
#include "Document.h"

#include <QString>

class Archive;
class RIFF_Chunk;
class RIFF_Document;

class RIFF_List : public VectorEx<RIFF_Chunk*>
{
};

class RIFF_Chunk
{
public:
    // A list this deep (a top-level chunk is at depth 1) is kept without
    // its sub-chunks: no real file nests so far.
    static constexpr int MaxDepth = 32;

    explicit RIFF_Chunk(RIFF_Chunk* parent);
    ~RIFF_Chunk(); // deletes the sub-chunks, depth first
    RIFF_Chunk(const RIFF_Chunk&) = delete;
    RIFF_Chunk& operator=(const RIFF_Chunk&) = delete;

    // Reads this chunk and, for a list, everything under it, within what is
    // left of the archive. level is 1 for a top-level chunk. False when the
    // data ended inside the header of this chunk or of one below it; the
    // chunk is then incomplete and the caller drops it.
    bool read(Archive& ar, int level);

    // The first direct sub-chunk with that identifier (shorter ones are
    // padded with blanks: "fmt" finds "fmt "); null if none.
    RIFF_Chunk* getChunk(QString id);
    // getChunk(list), then getChunk(id) on it.
    RIFF_Chunk* getChunk(const QString& list, const QString& id);
    // The sub-chunks of getChunk(id); null if it is missing.
    RIFF_List* getList(const QString& id);
    // The data as text, up to its first zero byte.
    QString text() const;

    // Deletes every sub-chunk.
    void clearList();

    RIFF_Chunk* parent;
    QString id;    // four characters; a list's list type
    qint64 offset = 0; // where the chunk's bytes begin in the file
    qint32 size = 0; // the header's size rounded up to even, cut to what the file holds
    Buffer data;   // a data chunk's bytes without the pad byte; empty for a list
    RIFF_List list; // a list's sub-chunks in file order; owned

private:
    friend class RIFF_Document;
    // Within end; owner, when given, decides which data chunks are read.
    bool read(Archive& ar, int level, qint64 end, const RIFF_Document* owner);
};

class RIFF_Document : public Document
{
public:
    RIFF_Document();
    ~RIFF_Document() override;

    // Deletes the tree; the root's id stays.
    void clearDocument() override;
    // False, with an empty tree, when the file is not RIFF. Otherwise reads
    // chunks up to the end of the file (not of the size the header gives).
    bool loadDocument(Archive& ar) override;
    // The tree is never written back: writes nothing and returns true.
    bool storeDocument(Archive& ar) override;

    // Whether loading reads a data chunk's bytes into its data. A format
    // that streams a large chunk from the file itself (at its offset) says
    // no for it; the chunk then stands in the tree with its size and no data.
    virtual bool readsData(const RIFF_Chunk& chunk) const;

    RIFF_Chunk root; // id: the form type ("WAVE", "sfbk", ...); list: the top-level chunks
};

// The first four bytes of the file followed by the four at offset 8 ("RIFFWAVE",
// "FORMAIFF", ...); "" when the file cannot be opened.
QString ReadRIFFHeader(const QString& path);
