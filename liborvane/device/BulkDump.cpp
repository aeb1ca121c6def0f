#include "BulkDump.h"

#include "Archive.h"
#include "Buffer.h"
#include "MidiDevice.h"
#include "Sysex.h"
#include "VarArgs.h"

#include <cstring>
#include <utility>

BulkDump::~BulkDump()
{
    deleteMessages();
}

void BulkDump::deleteMessages()
{
    for (Sysex* msg : std::as_const(list()))
        delete msg;
    QList<Sysex*>::clear();
}

void BulkDump::clear()
{
    deleteMessages();
    Vector<Sysex*>::clear();
}

void BulkDump::addNew(Sysex* msg, MidiDevice* dev)
{
    if (!msg || !dev)
        return;
    Sysex* copy = dev->createSysex();
    if (!copy)
        return;
    copy->copy(msg, 0, -1);
    append(copy);
}

void BulkDump::copyDump(BulkDump* src, MidiDevice* dev)
{
    if (!src || src == this)
        return;
    clear();
    for (Sysex* msg : std::as_const(src->list()))
        addNew(msg, dev);
}

void BulkDump::fromBuffer(const Buffer* bytes, MidiDevice* dev, bool keepInvalid)
{
    // Hold the bytes before clearing: the stream may be one of our own messages.
    // The array is shared, not copied.
    const QByteArray stream = bytes ? bytes->bytes() : QByteArray();
    fromBlock(stream, 0, stream.size(), dev, keepInvalid);
}

qsizetype BulkDump::fromBlock(const QByteArray& block, qsizetype start, qsizetype count, MidiDevice* dev,
                              bool keepInvalid)
{
    // Shared, not copied: the block may be held by one of our own messages.
    const QByteArray stream = block;
    clear();
    start = qBound<qsizetype>(0, start, stream.size());
    count = qBound<qsizetype>(0, count, stream.size() - start);
    if (count == 0)
        return 0;

    const auto* const begin = reinterpret_cast<const unsigned char*>(stream.constData()) + start;
    const auto* const end = begin + count;
    // One allocation for the list: a drum kit holds hundreds of messages.
    qsizetype runs = 0;
    for (const unsigned char* p = begin; (p = static_cast<const unsigned char*>(std::memchr(p, 0xF7, size_t(end - p))));
         ++p)
        ++runs;
    reserve(runs);

    const unsigned char* from = begin;
    qsizetype kept = 0;
    while (from < end) {
        const auto* f7 = static_cast<const unsigned char*>(std::memchr(from, 0xF7, size_t(end - from)));
        // A last message cut short (no F7) is not a message.
        if (!f7)
            break;
        Sysex* msg = dev ? dev->createSysex() : nullptr;
        if (!msg)
            break;
        const int n = int(f7 - from + 1);
        // The message shares the stream's bytes until it is changed.
        msg->share(stream, from - reinterpret_cast<const unsigned char*>(stream.constData()), n);
        from = f7 + 1;
        if (msg->isValid() || keepInvalid) {
            append(msg);
            kept += n;
        } else {
            delete msg;
        }
    }
    return count - kept;
}

bool BulkDump::fromFile(const QString& path, MidiDevice* dev, int start, bool keepInvalid)
{
    Buffer bytes;
    const bool ok = bytes.fromFile(path, start, 0);
    fromBuffer(&bytes, dev, keepInvalid);
    return ok;
}

bool BulkDump::fromString(const QString& hex, MidiDevice* dev)
{
    Buffer bytes;
    const bool ok = bytes.fromString(hex);
    fromBuffer(&bytes, dev, false);
    return ok;
}

bool BulkDump::fromArchive(Archive& ar, MidiDevice* dev)
{
    int total = 0;
    ar >> total;
    if (ar.failed()) {
        clear();
        return false;
    }
    // A damaged or hostile document may state any total: it must be no more
    // than what the archive still holds before a byte is allocated for it.
    if (total < 0 || total > ar.remaining()) {
        // Marks the archive failed without reading or allocating anything.
        ar.readRaw(nullptr, total);
        clear();
        return false;
    }
    Buffer bytes;
    bytes.allocate(total);
    ar >> bytes;
    if (ar.failed()) {
        clear();
        return false;
    }
    fromBuffer(&bytes, dev, false);
    return true;
}

void BulkDump::toArchive(Archive& ar)
{
    ar << getRidevSize();
    for (const Sysex* msg : std::as_const(list()))
        ar << *static_cast<const Buffer*>(msg);
}

void BulkDump::replace(Sysex* msg)
{
    if (!msg)
        return;
    Sysex* old = getSysex(msg->address());
    if (old && old != msg) {
        removeOne(old);
        delete old;
    }
    // A message the dump already holds moves to the end; it is never listed twice.
    removeAll(msg);
    append(msg);
}

Sysex* BulkDump::getSysex(unsigned int address) const
{
    for (Sysex* msg : list()) {
        if (msg->address() == address)
            return msg;
    }
    return nullptr;
}

int BulkDump::getRidevSize() const
{
    int total = 0;
    for (const Sysex* msg : list())
        total += msg->size();
    return total;
}

int BulkDump::getRidevDataSize() const
{
    int total = 0;
    for (const Sysex* msg : list())
        total += msg->dataSize();
    return total;
}

void BulkDump::toBuffer(Buffer& out) const
{
    out.allocate(getRidevSize());
    unsigned char* p = out.data();
    for (const Sysex* msg : list()) {
        const int n = msg->size();
        if (n > 0)
            std::memcpy(p, msg->data(), size_t(n));
        p += n;
    }
}

void BulkDump::toDataBuffer(Buffer& out) const
{
    out.allocate(getRidevDataSize());
    int pos = 0;
    for (const Sysex* msg : list()) {
        msg->copyDataToBuffer(0, &out, pos, msg->dataSize());
        pos += msg->dataSize();
    }
}

bool BulkDump::toFile(const QString& path) const
{
    Buffer bytes;
    toBuffer(bytes);
    return bytes.toFile(path);
}

bool BulkDump::toDataFile(const QString& path) const
{
    Buffer bytes;
    toDataBuffer(bytes);
    return bytes.toFile(path);
}

QString BulkDump::toString() const
{
    QString text;
    for (const Sysex* msg : list()) {
        text += msg->toString(-1);
        text += QLatin1Char('\n');
    }
    return text;
}

QString BulkDump::analyse(bool full) const
{
    QString text;
    for (const Sysex* msg : list()) {
        if (full)
            text += VarArgs::format(QStringLiteral("%08X : %s\n"), msg->address(), msg->dataToString());
        else
            text += VarArgs::format(QStringLiteral("%08X : %d\n"), msg->address(), msg->dataSize());
    }
    return text;
}

int BulkDump::bulkCompare(const BulkDump* other) const
{
    if (!other || other->size() != size())
        return -1;
    int differences = 0;
    for (qsizetype i = 0; i < size(); ++i) {
        const Sysex* a = at(i);
        const Sysex* b = other->at(i);
        if (a->size() != b->size())
            return -1;
        const unsigned char* pa = a->data();
        const unsigned char* pb = b->data();
        for (int k = 0; k < a->size(); ++k) {
            if (pa[k] != pb[k])
                ++differences;
        }
    }
    return differences;
}

bool BulkDump::sendToSynth(MidiDevice* dev) const
{
    if (!dev)
        return false;
    for (Sysex* msg : list()) {
        if (dev->sendSysex(msg) < 0)
            return false;
        dev->waitTransmit();
    }
    return true;
}

void BulkDump::fix()
{
    for (Sysex* msg : std::as_const(list()))
        msg->updateChecksum();
}
