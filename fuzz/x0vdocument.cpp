// The XS-family all-data document on any bytes, loaded into a document
// without slots (the records make the banks they need; slots made for a
// type would cost thousands of objects a run): a refused file leaves no
// record, no bank and no chunk; a taken one stores, and what it stores loads
// again and stores the same bytes.
#include "Archive.h"
#include "FuzzSupport.h"
#include "X0V_Document.h"

namespace {

QByteArray stored(X0V_Document& doc)
{
    Buffer out;
    {
        Archive archive(out);
        FUZZ_CHECK(doc.storeDocument(archive));
    }
    return out.bytes();
}

bool load(X0V_Document& doc, const QByteArray& bytes)
{
    Buffer in;
    in.setBytes(bytes);
    Archive archive(static_cast<const Buffer&>(in));
    return doc.loadDocument(archive);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    X0V_Document doc;
    if (!load(doc, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)))) {
        FUZZ_CHECK(doc.voices.banks().isEmpty() && doc.waves.banks().isEmpty() && doc.chunks().isEmpty());
        return 0;
    }
    doc.validateDocument();
    (void)doc.estimatedSizeMB();
    const QByteArray first = stored(doc);
    X0V_Document again;
    FUZZ_CHECK(load(again, first));
    FUZZ_CHECK(again.voices.count() == doc.voices.count() && again.waves.count() == doc.waves.count());
    FUZZ_CHECK(stored(again) == first);
    return 0;
}
