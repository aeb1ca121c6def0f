#include "BulkDump.h"

#include "Archive.h"
#include "Buffer.h"
#include "MidiDevice.h"
#include "Sysex.h"
#include "VarArgs.h"

#include <QMutex>

#include <cstring>
#include <utility>

namespace {

// Guards the making of a stored dump's messages, which a reading job and the
// GUI thread may both ask for. Held only while one dump's messages are made.
QBasicMutex makingMessages;

const char* findF7(const char* from, const char* end)
{
    return static_cast<const char*>(std::memchr(from, 0xF7, size_t(end - from)));
}

// start and count clipped to the block; false when nothing is left.
bool clip(const QByteArray& block, qsizetype& start, qsizetype& count)
{
    start = qBound<qsizetype>(0, start, block.size());
    count = qBound<qsizetype>(0, count, block.size() - start);
    return count > 0;
}

} // namespace

BulkDump::~BulkDump()
{
    deleteMessages();
}

void BulkDump::deleteMessages()
{
    if (isStored()) {
        dropStored();
        return;
    }
    for (Sysex* msg : std::as_const(static_cast<List&>(*this)))
        delete msg;
    List::clear();
    // Made from a stored block: the first message was in the list and is
    // gone with it.
    m_head = nullptr;
    m_rest = QByteArray();
    m_device = nullptr;
    m_count = 0;
}

void BulkDump::dropStored()
{
    delete m_head;
    m_head = nullptr;
    m_rest = QByteArray();
    m_device = nullptr;
    m_count = 0;
    m_stored.store(false, std::memory_order_release);
}

qsizetype BulkDump::size() const
{
    return isStored() ? m_count : List::size();
}

Sysex* BulkDump::first() const
{
    if (isStored())
        return m_head;
    return List::isEmpty() ? nullptr : List::first();
}

Sysex* BulkDump::last() const
{
    const List& list = messages();
    return list.isEmpty() ? nullptr : list.last();
}

void BulkDump::swapMessages(BulkDump& other)
{
    // Stored or made, the content changes hands as it is.
    static_cast<List&>(*this).swap(static_cast<List&>(other));
    m_rest.swap(other.m_rest);
    std::swap(m_device, other.m_device);
    std::swap(m_head, other.m_head);
    std::swap(m_count, other.m_count);
    const bool stored = isStored();
    m_stored.store(other.isStored(), std::memory_order_release);
    other.m_stored.store(stored, std::memory_order_release);
}

void BulkDump::makeMessages() const
{
    const QMutexLocker guard(&makingMessages);
    if (!m_stored.load(std::memory_order_relaxed))
        return;
    // The fields of the stored form stay as they are: a reader on another
    // thread may still be answering from them.
    List& list = static_cast<List&>(*const_cast<BulkDump*>(this));
    list.reserve(m_count);
    list.append(m_head);
    const char* const base = m_rest.constData();
    const char* const end = base + m_rest.size();
    for (const char* from = base; from < end;) {
        const char* f7 = findF7(from, end);
        if (!f7)
            break;
        Sysex* msg = m_device->createSysex();
        if (!msg)
            break;
        // Every run was found to be a message when the block was taken.
        msg->share(m_rest, from - base, f7 - from + 1);
        list.append(msg);
        from = f7 + 1;
    }
    m_stored.store(false, std::memory_order_release);
}

qsizetype BulkDump::fromStoredBlock(const QByteArray& block, qsizetype start, qsizetype count, MidiDevice* dev)
{
    // Shared, not copied: the block may be held by one of our own messages.
    const QByteArray stream = block;
    clear();
    if (!clip(stream, start, count))
        return 0;
    Sysex* head = dev ? dev->createSysex() : nullptr;
    if (!head)
        return fromBlock(stream, start, count, dev, false);

    // Each run is analysed in the first message's object, over the block's
    // bytes without a copy; a run the device does not take, or bytes after
    // the last F7, and the dump is made at once instead.
    const char* const begin = stream.constData() + start;
    const char* const end = begin + count;
    qsizetype runs = 0;
    qsizetype headLength = 0;
    const char* from = begin;
    while (from < end) {
        const char* f7 = findF7(from, end);
        if (!f7)
            break;
        const qsizetype n = f7 - from + 1;
        head->setBytes(QByteArray::fromRawData(from, n));
        if (!head->isValid())
            break;
        if (runs++ == 0)
            headLength = n;
        from = f7 + 1;
    }
    if (from < end) {
        delete head;
        return fromBlock(stream, start, count, dev, false);
    }
    head->share(stream, start, headLength);
    takeStored(head, SharedBytes(stream, start + headLength, count - headLength), runs, dev);
    return 0;
}

void BulkDump::takeStored(Sysex* head, const QByteArray& rest, qsizetype count, MidiDevice* dev)
{
    m_head = head;
    m_rest = rest;
    m_count = count;
    m_device = dev;
    m_stored.store(true, std::memory_order_release);
}

BulkDump::Content BulkDump::content() const
{
    Content c;
    if (isStored()) {
        c.head = m_head->bytes();
        c.rest = m_rest;
        c.count = m_count;
        c.checked = true;
        return c;
    }
    const List& list = *this;
    c.count = list.size();
    if (c.count == 0)
        return c;
    Buffer bytes;
    toBuffer(bytes);
    c.rest = bytes.bytes();
    return c;
}

void BulkDump::setContent(const Content& content, MidiDevice* dev)
{
    if (!content.checked) {
        // Bytes not known to be messages of the device: taken as a stored
        // block is, each message checked.
        if (content.count == 0 && content.rest.isEmpty())
            clear();
        else
            fromStoredBlock(content.rest, 0, content.rest.size(), dev);
        return;
    }
    clear();
    Sysex* head = dev ? dev->createSysex() : nullptr;
    if (!head)
        return;
    head->setBytes(content.head);
    takeStored(head, content.rest, content.count, dev);
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
    if (src->isStored() && dev) {
        // A stored dump is copied as it is stored: its block is shared and
        // only the first message, which may have changed, is copied.
        if (Sysex* head = dev->createSysex()) {
            head->copy(src->m_head, 0, -1);
            takeStored(head, src->m_rest, src->m_count, dev);
        }
        return;
    }
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
    if (!clip(stream, start, count))
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
    if (isStored()) {
        // The first message as it is now, the rest as stored.
        ar << *static_cast<const Buffer*>(m_head);
        ar.writeRaw(m_rest.constData(), m_rest.size());
        return;
    }
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
    if (isStored())
        return int(m_head->size() + m_rest.size());
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
    if (isStored()) {
        std::memcpy(p, m_head->data(), size_t(m_head->size()));
        std::memcpy(p + m_head->size(), m_rest.constData(), size_t(m_rest.size()));
        return;
    }
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
