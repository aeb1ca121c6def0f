// Bulk dumps and patch dumps from raw streams and from their stored form in
// library documents, with the model translation of a stored patch.
//
// Input: a mode byte, then the stream. Mode 0: a raw stream split into
// messages; 1: a bulk dump's stored form; 2 to 4: a patch dump's stored form
// under no model, this device's model or another one (translated).
#include "Archive.h"
#include "FuzzSupport.h"
#include "PatchDump.h"
#include "TestSysex.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QByteArray concatenated(const BulkDump& dump)
{
    Buffer out;
    dump.toBuffer(out);
    FUZZ_CHECK(out.size() == dump.getRidevSize());
    return out.bytes();
}

void rawStream(const Buffer& stream, bool keepInvalid)
{
    TestDevice* dev = Fuzz::device();
    BulkDump dump;
    dump.fromBuffer(&stream, dev, keepInvalid);
    for (const Sysex* msg : std::as_const(dump)) {
        FUZZ_CHECK(msg->size() > 0 && msg->at(msg->size() - 1) == 0xF7);
        FUZZ_CHECK(keepInvalid || msg->isValid());
    }
    const QByteArray bytes = concatenated(dump);
    FUZZ_CHECK(bytes.size() <= stream.size());
    // The messages split again the same way.
    BulkDump again;
    Buffer copy;
    copy.setBytes(bytes);
    again.fromBuffer(&copy, dev, keepInvalid);
    FUZZ_CHECK(again.size() == dump.size());
    FUZZ_CHECK(again.bulkCompare(&dump) == 0);
    Buffer data;
    dump.toDataBuffer(data);
    FUZZ_CHECK(data.size() == dump.getRidevDataSize());
    (void)dump.analyse(true);
}

void storedBulk(const Buffer& stream)
{
    Archive in(stream);
    BulkDump dump;
    if (!dump.fromArchive(in, Fuzz::device())) {
        FUZZ_CHECK(dump.isEmpty() && in.failed());
        return;
    }
    Buffer storage;
    {
        Archive out(storage);
        dump.toArchive(out);
    }
    Archive back(static_cast<const Buffer&>(storage));
    BulkDump again;
    FUZZ_CHECK(again.fromArchive(back, Fuzz::device()));
    FUZZ_CHECK(again.bulkCompare(&dump) == 0 && back.eof());
}

void storedPatch(const Buffer& stream, int mode)
{
    TestDevice* dev = Fuzz::device();
    const QString model = mode == 2 ? QString() : mode == 3 ? dev->name() : QStringLiteral("Other Model");
    Archive in(stream);
    TestPatchDump dump(dev);
    const bool ok = dump.fromArchive(in, dev, model);
    if (!ok && in.failed()) {
        FUZZ_CHECK(dump.isEmpty());
        return;
    }
    if (mode == 4 && !dump.isEmpty()) {
        // Translated into this device's layout: nothing but seven-bit data
        // may go to the instrument.
        for (const Sysex* msg : std::as_const(dump)) {
            for (int i = 0; i < msg->dataSize(); ++i)
                FUZZ_CHECK(msg->dataAt(i) < 0x80);
        }
    }
    (void)dump.name(true);
    dump.setName(QStringLiteral("Fuzzed"));
    Buffer storage;
    {
        Archive out(storage);
        dump.toArchive(out);
    }
    Archive back(static_cast<const Buffer&>(storage));
    TestPatchDump again(dev);
    FUZZ_CHECK(again.fromArchive(back, dev, dev->name()));
    FUZZ_CHECK(again.bulkCompare(&dump) == 0 && again.comment() == dump.comment());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    if (size < 1)
        return 0;
    const int mode = data[0] % 6;
    Buffer stream;
    stream.append(data + 1, int(size - 1));
    switch (mode) {
    case 0:
    case 5:
        rawStream(stream, mode == 5);
        break;
    case 1:
        storedBulk(stream);
        break;
    default:
        storedPatch(stream, mode);
        break;
    }
    return 0;
}
