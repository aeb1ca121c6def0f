// The RIFF chunk tree on any bytes: a load either refuses the file with an
// empty tree or gives a tree whose chunks hold no more bytes than the file,
// nest no deeper than the limit and point to the lists that hold them.
#include "Archive.h"
#include "FuzzSupport.h"
#include "RIFF_Document.h"

namespace {

// The bytes the chunks under chunk hold; checks the links and the depth.
qint64 walk(const RIFF_Chunk& chunk, int depth)
{
    FUZZ_CHECK(depth <= RIFF_Chunk::MaxDepth);
    FUZZ_CHECK(chunk.size >= 0);
    qint64 held = 0;
    for (const RIFF_Chunk* sub : chunk.list) {
        FUZZ_CHECK(sub->parent == &chunk);
        FUZZ_CHECK(sub->data.size() <= sub->size);
        FUZZ_CHECK(sub->data.isEmpty() || sub->list.isEmpty());
        held += sub->data.size() + walk(*sub, depth + 1);
    }
    return held;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    RIFF_Document doc;
    const bool loaded = doc.loadDocument(archive);
    FUZZ_CHECK(loaded || doc.root.list.isEmpty());
    // Every byte of data is a byte of the file, held once.
    FUZZ_CHECK(walk(doc.root, 0) <= qint64(size));
    // An id of four characters finds its first chunk (a shorter one, cut at
    // a zero byte, is padded with blanks and so finds none).
    if (!doc.root.list.isEmpty() && doc.root.list.first()->id.size() == 4) {
        RIFF_Chunk* first = doc.root.list.first();
        FUZZ_CHECK(doc.root.getChunk(first->id) == first);
    }
    doc.clearDocument();
    FUZZ_CHECK(doc.root.list.isEmpty());
    return 0;
}
