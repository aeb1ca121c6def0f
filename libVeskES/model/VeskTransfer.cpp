// The device's traffic of whole blocks: requests, framed transmission, the
// altered re-send, the store-all message and the initial patches.
//
// On the cable a block is its bulk header (an empty bulk dump at the block +
// 0x0E0000), its messages at their own addresses, and its footer (+
// 0x0F0000); a request names the block by its header. Everything here runs
// on the caller's thread; the synchronous requests block it until the block
// is in or the time is up.
#include "Vesk.h"

#include "BulkDump.h"
#include "Timing.h"
#include "VeskSysex.h"

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
    if (block == NoBulkAddress)
        return false;
    return syncBulkRequest(block, dump, PatchRequestTimeoutMs);
}

bool Vesk::syncEditBufferRequest(int type, BulkDump& dump, int timeoutMs)
{
    // No request goes out for an unknown type: nothing could answer it.
    const int block = getEditBuffer(type);
    if (block < 0)
        return false;
    return syncBulkRequest(unsigned(block), dump, timeoutMs);
}

// --- transmission -------------------------------------------------------------------

void Vesk::sendBulkBuffer(unsigned int address, const char* data)
{
    if (address == NoBulkAddress)
        return;
    VeskSysex message;
    message.prepareBulkDump(address, data ? QString::fromLatin1(data) : QString());
    sendSysex(&message);
}

void Vesk::bulkTransmit(unsigned int block, BulkDump* dump)
{
    if (!dump || block == NoBulkAddress)
        return;
    sendBulkBuffer(block + VeskSysex::HeaderOffset, nullptr);
    waitTransmit();
    const qsizetype count = dump->size();
    for (qsizetype i = 0; i < count; ++i) {
        sendSysex(dump->at(i));
        waitTransmit();
    }
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
    BulkDump dump;
    if (!syncBulkRequest(block, dump, timeoutMs))
        return false;
    const bool all = applyAltered(dump, {altered});
    dump.sendToSynth(this);
    return all;
}

bool Vesk::bulkTransmitAltered(unsigned int block, const VeskSysex* altered, int count, int timeoutMs)
{
    BulkDump dump;
    if (!syncBulkRequest(block, dump, timeoutMs))
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
