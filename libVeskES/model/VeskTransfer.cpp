// The device's traffic of whole blocks: requests, framed transmission, the
// altered re-send, the store-all message and the initial patches.
//
// On the cable a block is its bulk header (an empty bulk dump at the block +
// 0x0E0000), its messages at their own addresses, and its footer (+
// 0x0F0000); a request names the block by its header. Everything here runs
// on the caller's thread; the synchronous requests block it until the block
// is in or the time is up.
//
// The framework's wait ends at the first footer and takes whatever bulk dumps
// came before it, and the port drops a message cut short on the cable without
// a word: a block that lost a message, or carries a damaged one, would look
// complete. So a synchronous request here checks what arrived against the
// type's memory image (the blocks of its init dump) before the caller sees it.
#include "Vesk.h"

#include "BulkDump.h"
#include "Timing.h"
#include "VeskSysex.h"

#include <QHash>
#include <QSet>

namespace {

constexpr int PatchRequestTimeoutMs = 3000;
// The store-all message, an empty bulk dump, and the time the instrument
// takes to write its memory after it.
constexpr unsigned int StoreAllAddress = 0x110000;
constexpr int StoreAllMs = 2500;

// Copies each altered message's data into the dump's message of the same
// address; false when one has no such message there.
bool applyAltered(BulkDump& dump, const QList<const Sysex*>& altered)
{
    bool all = true;
    for (const Sysex* message : altered) {
        Sysex* target = message ? dump.getSysex(message->address()) : nullptr;
        if (target)
            target->copyData(message, -1, -1);
        else
            all = false;
    }
    return all;
}

QList<const Sysex*> listOf(const VeskSysex* altered, int count)
{
    QList<const Sysex*> list;
    for (int i = 0; altered && i < count; ++i)
        list.append(&altered[i]);
    return list;
}

// "0x410000" for a message, "0x0803" for a block.
QString addressText(unsigned int address, int digits = 6)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper().rightJustified(digits, u'0');
}

bool checksumOk(const Sysex* message)
{
    const int start = message->checksumStart();
    return start < 0 || Sysex::CalculateChecksum(message, start) == message->at(message->size() - 2);
}

} // namespace

// --- requests --------------------------------------------------------------------

void Vesk::bulkRequest(unsigned int block)
{
    if (block == NoBulkAddress)
        return;
    VeskSysex request;
    request.prepareBulkRequest(block);
    sendSysex(&request);
}

void Vesk::patchRequest(Patch patch, bool setMode)
{
    if (setMode)
        setModeByBank(patch.bank.word());
    const unsigned int block = getBulkControl(patch);
    if (block != NoBulkAddress)
        bulkRequest(block);
}

bool Vesk::syncPatchRequest(Patch patch, BulkDump& dump, bool setMode)
{
    if (setMode)
        setModeByBank(patch.bank.word());
    const unsigned int block = getBulkControl(patch);
    if (block == NoBulkAddress) {
        setTransferError(QStringLiteral("No block holds this patch"));
        return false;
    }
    return receiveBlock(block, dump, PatchRequestTimeoutMs);
}

bool Vesk::syncEditBufferRequest(int type, BulkDump& dump, int timeoutMs)
{
    // No request goes out for an unknown type: nothing could answer it.
    const int block = getEditBuffer(type);
    if (block < 0) {
        setTransferError(QStringLiteral("No edit buffer for dump type %1").arg(type));
        return false;
    }
    return receiveBlock(unsigned(block), dump, timeoutMs);
}

QString Vesk::transferError() const
{
    QMutexLocker lock(&m_transferErrorLock);
    return m_transferError;
}

void Vesk::setTransferError(const QString& error)
{
    QMutexLocker lock(&m_transferErrorLock);
    m_transferError = error;
}

bool Vesk::receiveBlock(unsigned int block, BulkDump& dump, int timeoutMs)
{
    BulkDump received;
    QString error;
    clearSyncOutcome();
    if (syncBulkRequest(block, received, timeoutMs)) {
        error = checkBlock(block, received);
        if (!error.isEmpty())
            rejectSyncReply();
    } else if (lastSyncOutcome() == SyncBusy) {
        error = QStringLiteral("Another request is waiting for its answer");
    } else {
        error = QStringLiteral("Receive timeout!");
        const int type = blockType(block);
        if (!received.isEmpty() && type >= 0)
            error += QStringLiteral(" Only %1 of %2 messages arrived")
                         .arg(received.size())
                         .arg(initDump(type)->size() + 2);
    }
    setTransferError(error);
    if (!error.isEmpty())
        return false;

    // The caller's dump takes the received messages over.
    dump.clear();
    dump.list().swap(received.list());
    return true;
}

QString Vesk::checkBlock(unsigned int block, const BulkDump& received)
{
    if (received.isEmpty())
        return QStringLiteral("Header of block %1 missing").arg(addressText(block, 4));
    for (const Sysex* message : received.list()) {
        if (!checksumOk(message))
            return QStringLiteral("Checksum error in block %1").arg(addressText(message->address()));
    }
    // The wait ends at a footer, so the last message is one. A footer of
    // another block: the answer to an earlier request that gave up came late
    // and overtook this one's.
    const unsigned int footer = received.last()->address();
    if (footer != block + VeskSysex::FooterOffset)
        return QStringLiteral("Block %1 came instead of %2")
            .arg(addressText(footer - VeskSysex::FooterOffset, 4), addressText(block, 4));
    if (received.size() < 2 || received.first()->address() != block + VeskSysex::HeaderOffset)
        return QStringLiteral("Header of block %1 missing").arg(addressText(block, 4));

    const int type = blockType(block);
    if (type < 0)
        return QString();
    // Every block of the image once, each of its own size.
    const VeskDump* image = initDump(type);
    QHash<unsigned int, int> sizes;
    sizes.reserve(image->size());
    for (const Sysex* message : image->list())
        sizes.insert(message->address(), message->dataSize());
    QSet<unsigned int> seen;
    seen.reserve(image->size());
    for (qsizetype i = 1; i < received.size() - 1; ++i) {
        const Sysex* message = received.at(i);
        const unsigned int address = message->address();
        const auto size = sizes.constFind(address);
        if (size == sizes.cend())
            return QStringLiteral("Unexpected block %1").arg(addressText(address));
        if (seen.contains(address))
            return QStringLiteral("Block %1 arrived twice").arg(addressText(address));
        if (message->dataSize() != size.value())
            return QStringLiteral("Block %1 holds %2 data bytes, not %3")
                .arg(addressText(address))
                .arg(message->dataSize())
                .arg(size.value());
        seen.insert(address);
    }
    QList<unsigned int> missing;
    for (const Sysex* message : image->list()) {
        if (!seen.contains(message->address()))
            missing.append(message->address());
    }
    if (missing.size() == 1)
        return QStringLiteral("Block %1 missing").arg(addressText(missing.first()));
    if (!missing.isEmpty())
        return QStringLiteral("Block %1 and %2 more missing")
            .arg(addressText(missing.first()))
            .arg(missing.size() - 1);
    // The instrument sends its blocks in the image's order; a reordered
    // answer did not come from it as asked.
    for (qsizetype i = 1; i < received.size() - 1; ++i) {
        if (received.at(i)->address() != image->at(i - 1)->address())
            return QStringLiteral("Block %1 out of order").arg(addressText(received.at(i)->address()));
    }
    return QString();
}

int Vesk::blockType(unsigned int block)
{
    for (int type = 0; type < VeskDump::TypeCount; ++type) {
        if (unsigned(getEditBuffer(type)) == block)
            return type;
    }
    // Program p of a bank is the bank's first block + p.
    for (auto it = m_bankMap.cbegin(); it != m_bankMap.cend(); ++it) {
        if (block >= it.value() && block - it.value() < 128)
            return bankType(it.key());
    }
    return -1;
}

// --- transmission -------------------------------------------------------------------

int Vesk::sendBulkBuffer(unsigned int address, const char* data)
{
    if (address == NoBulkAddress)
        return 0;
    VeskSysex message;
    message.prepareBulkDump(address, data ? QString::fromLatin1(data) : QString());
    return sendSysex(&message);
}

void Vesk::bulkTransmit(unsigned int block, BulkDump* dump)
{
    if (!dump || block == NoBulkAddress)
        return;
    // A message the port does not take ends the block there, footer and all:
    // without its footer the instrument drops the write, where with it it
    // would store the block with that part of the old patch left in.
    if (sendBulkBuffer(block + VeskSysex::HeaderOffset, nullptr) < 0)
        return;
    waitTransmit();
    if (!dump->sendToSynth(this))
        return;
    sendBulkBuffer(block + VeskSysex::FooterOffset, nullptr);
    waitTransmit();
}

void Vesk::patchTransmit(Patch patch, BulkDump* dump, bool)
{
    if (!dump || dump->isEmpty())
        return;
    const unsigned int block = getBulkControl(patch);
    if (block != NoBulkAddress)
        bulkTransmit(block, dump);
}

void Vesk::toEditBuffer(PatchDump* dump)
{
    if (!dump || dump->isEmpty())
        return;
    const int block = getEditBuffer(dump->type());
    if (block >= 0)
        bulkTransmit(unsigned(block), dump);
}

void Vesk::strip(BulkDump* dump)
{
    if (!dump || dump->size() < 2)
        return;
    delete dump->takeFirst();
    delete dump->takeLast();
}

bool Vesk::bulkTransmitAltered(BulkDump* dump, const VeskSysex* altered, int count)
{
    if (!dump)
        return false;
    const bool all = applyAltered(*dump, listOf(altered, count));
    dump->sendToSynth(this);
    return all;
}

bool Vesk::bulkTransmitAltered(unsigned int block, const Sysex* altered, int timeoutMs)
{
    // Only a block that came whole goes back: the instrument would store a
    // damaged or incomplete one as it stands.
    BulkDump dump;
    if (!receiveBlock(block, dump, timeoutMs))
        return false;
    const bool all = applyAltered(dump, {altered});
    dump.sendToSynth(this);
    return all;
}

bool Vesk::bulkTransmitAltered(unsigned int block, const VeskSysex* altered, int count, int timeoutMs)
{
    BulkDump dump;
    if (!receiveBlock(block, dump, timeoutMs))
        return false;
    return bulkTransmitAltered(&dump, altered, count);
}

void Vesk::storeAllPatches()
{
    sendBulkBuffer(StoreAllAddress, nullptr);
    Sleep(StoreAllMs);
}

// --- the initial patches --------------------------------------------------------------

void Vesk::initVoice(unsigned int block)
{
    bulkTransmit(block, &m_initVoice);
}

void Vesk::initDrumVoice(unsigned int block)
{
    bulkTransmit(block, &m_initDrum);
}

void Vesk::initPlgVoice(unsigned int block)
{
    bulkTransmit(block, &m_initPlg);
}

void Vesk::initPerformance()
{
    bulkTransmit(unsigned(getEditBuffer(VeskDump::TypePerformance)), &m_initPerformance);
}

void Vesk::initMix()
{
    bulkTransmit(unsigned(getEditBuffer(VeskDump::TypeMix)), &m_initMix);
}

void Vesk::initMaster()
{
    bulkTransmit(unsigned(getEditBuffer(VeskDump::TypeMaster)), &m_initMaster);
}
