#include "PatchDump.h"

#include "Archive.h"
#include "Buffer.h"
#include "MidiDevice.h"
#include "Strings.h"
#include "Sysex.h"

#include <utility>

void PatchDump::onClear()
{
    m_comment.clear();
}

void PatchDump::toArchive(Archive& ar)
{
    BulkDump::toArchive(ar);
    ar << m_comment;
}

void PatchDump::copyDump(BulkDump* src, MidiDevice* dev)
{
    const QString comment = m_comment;
    BulkDump::copyDump(src, dev);
    m_comment = comment;
}

int PatchDump::iconIndex()
{
    return 3;
}

QString PatchDump::name(bool withCategory)
{
    const int n = maxNameSize();
    if (isEmpty() || n >= first()->dataSize())
        return QStringLiteral("(empty)");
    const Sysex* msg = first();
    QString text;
    text.reserve(n);
    for (int k = 0; k < n; ++k) {
        const int c = msg->dataAt(k);
        if (c == 0)
            break;
        text += QChar::fromLatin1(char(c));
    }
    trimRight(text, QStringLiteral(" "));
    if (withCategory && hasCategory())
        return printCategory(false) + QLatin1Char(':') + text;
    return text;
}

void PatchDump::setName(const QString& text)
{
    const int n = maxNameSize();
    if (isEmpty() || n >= first()->dataSize() || n < 1)
        return;
    first()->storeDataText(text, 0, n, ' ');
}

QString PatchDump::categorySection()
{
    return QStringLiteral("CATEGORIES_FULL");
}

bool PatchDump::hasCategory()
{
    return false;
}

int PatchDump::getCategoryData()
{
    return 0;
}

QString PatchDump::printCategory(bool)
{
    return QString();
}

bool PatchDump::setCategory(const QString&)
{
    return false;
}

bool PatchDump::selectCategory(QWidget*, QPoint)
{
    return false;
}

bool PatchDump::fromArchive(Archive& ar, MidiDevice* dev, const QString& model)
{
    if (!BulkDump::fromArchive(ar, dev))
        return false;
    ar >> m_comment;
    if (ar.failed()) {
        // A document cut inside the comment: the patch is not taken half read.
        clear();
        return false;
    }
    // The name the device was built with: a loaded definition file renames
    // the device after its model, and the dumps stored before are still ours.
    if (model.isEmpty() || (dev && model == dev->originalName()))
        return true;
    return translateDump(dev, nullptr);
}

bool PatchDump::translateDump(MidiDevice*, AddressMap* map)
{
    if (isEmpty())
        return true;
    // The old messages move aside as they are (no copy, so no device is
    // needed for them); init() refills this dump with the initial content.
    BulkDump old;
    old.swapMessages(*this);
    init();

    bool copied = false;
    for (Sysex* msg : std::as_const(list())) {
        unsigned int address = msg->address();
        if (map) {
            const auto it = map->constFind(address);
            if (it != map->cend())
                address = it.value();
        }
        if (const Sysex* source = old.getSysex(address)) {
            msg->copyData(source, -1, -1);
            copied = true;
        }
    }
    return copied;
}

void PatchDump::getUserPatches(UserPatchList*) {}

void PatchDump::reindexPatch(Patch, Patch) {}

void PatchDump::copyPatchDump(PatchDump* src, MidiDevice* dev)
{
    if (!src)
        return;
    copyDump(src, dev);
    m_comment = src->m_comment;
}

bool PatchDump::fromDataBuffer(const Buffer* data)
{
    if (!data)
        return false;
    // A short source would leave the dump half old, half new: refuse it whole.
    if (data->size() < getRidevDataSize())
        return false;
    int pos = 0;
    for (Sysex* msg : std::as_const(list())) {
        msg->copyDataFromBuffer(0, data, pos, msg->dataSize());
        pos += msg->dataSize();
    }
    m_comment.clear();
    return true;
}
