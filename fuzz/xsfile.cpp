// The XS-family container on any bytes, and every record reader on the item
// bodies it yields. A load either fails with a reason and keeps no chunk, or
// gives chunks that store and load again as the same items; the records read
// from an item write bytes that read back to the same bytes.
#include "Archive.h"
#include "FuzzSupport.h"
#include "XS_ARP.h"
#include "XS_Document.h"
#include "XS_Voice.h"
#include "XS_Waveform.h"

namespace {

QByteArray written(const std::function<void(Archive&)>& write)
{
    Buffer out;
    {
        Archive archive(out);
        write(archive);
    }
    return out.bytes();
}

// What the readers make of one item body.
void readRecords(const Buffer& body, const QString& model)
{
    {
        Archive in(body);
        XS_Entry entry;
        entry.fromArchive(model, in);
        const QByteArray once = written([&](Archive& a) { entry.toArchive(model, a); });
        Buffer again;
        again.setBytes(once);
        Archive back(static_cast<const Buffer&>(again));
        XS_Entry reread;
        reread.fromArchive(model, back);
        FUZZ_CHECK(back.ok() && back.eof());
        FUZZ_CHECK(written([&](Archive& a) { reread.toArchive(model, a); }) == once);
    }
    {
        Archive in(body);
        XS_DWFIM table;
        if (table.readWFM(in) && table.readWIM(in) >= 0) {
            const QByteArray once = written([&](Archive& a) {
                table.writeWFM(a);
                table.writeWIM(a);
            });
            int dwfm = 0;
            int dwim = 0;
            table.calcSizes(dwfm, dwim);
            FUZZ_CHECK(once.size() == dwfm + dwim + 8);
            Buffer again;
            again.setBytes(once);
            Archive back(static_cast<const Buffer&>(again));
            XS_DWFIM reread;
            FUZZ_CHECK(reread.readWFM(back) && reread.readWIM(back) == table.sampleCount());
            FUZZ_CHECK(back.eof());
        }
    }
    {
        Archive in(body);
        XS_Voice voice;
        voice.fromArchive(in);
        voice.name();
        voice.getCategory2();
        const int count = voice.elementCount(model);
        FUZZ_CHECK(count <= body.size() / 144 + 1);
        const QByteArray data = voice.data.bytes();
        voice.setElementWaveform(model, count, 5);
        voice.setElementWaveform(model, -1, 5);
        FUZZ_CHECK(voice.data.bytes() == data);
        for (int e = 0; e < count; ++e)
            voice.setElementWaveform(model, e, voice.elementWaveform(model, e));
        voice.updateWaveformInfo(model);
    }
    {
        Archive in(body);
        for (int n = 0; n < 1000 && !in.eof(); ++n) {
            ARPEvent event;
            const qint64 start = in.pos();
            if (!event.fromArchive(in))
                break;
            event.toString();
            const QByteArray once = written([&](Archive& a) { event.toArchive(a); });
            FUZZ_CHECK(once.size() <= in.pos() - start + 4);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    Buffer file;
    file.append(data, int(size));
    Archive archive(static_cast<const Buffer&>(file));
    XS_Document doc;
    if (!doc.loadDocument(archive)) {
        FUZZ_CHECK(doc.chunks().isEmpty() && !doc.docError().isEmpty());
        return 0;
    }
    Buffer stored;
    {
        Archive out(stored);
        FUZZ_CHECK(doc.storeDocument(out));
    }
    Archive in(static_cast<const Buffer&>(stored));
    XS_Document again;
    FUZZ_CHECK(again.loadDocument(in));
    FUZZ_CHECK(again.chunks().size() == doc.chunks().size());
    for (qsizetype c = 0; c < doc.chunks().size(); ++c) {
        const XS_Chunk* chunk = doc.chunks().at(c);
        const XS_Chunk* copy = again.chunks().at(c);
        FUZZ_CHECK(copy->tag == chunk->tag && copy->itemCount == chunk->itemCount);
        FUZZ_CHECK(copy->items.size() == chunk->items.size());
        for (qsizetype i = 0; i < chunk->items.size(); ++i) {
            FUZZ_CHECK(copy->items.at(i)->data == chunk->items.at(i)->data);
            readRecords(chunk->items.at(i)->data, doc.model());
        }
    }
    return 0;
}
