// Waveforms and their keybank tables: see XS_Waveform.h.
#include "XS_Waveform.h"

#include "Archive.h"
#include "AudioPort.h"
#include "Strings.h"
#include "VarArgs.h"

#include <QDebug>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

namespace {

const QString NewWaveform = QStringLiteral("New Waveform");

bool isXS(const QString& model)
{
    return model == QLatin1String("Vesk XS");
}

bool isXF(const QString& model)
{
    return model == QLatin1String("Vesk XF");
}

} // namespace

// --- the keybank table -----------------------------------------------------------------

XS_DWFIM::XS_DWFIM(const XS_DWFIM& other)
{
    *this = other;
}

XS_DWFIM& XS_DWFIM::operator=(const XS_DWFIM& other)
{
    if (this == &other)
        return *this;
    reset();
    pitch_offset = other.pitch_offset;
    for (const XS_Keybank* keybank : other.keybanks)
        keybanks.append(new XS_Keybank(*keybank));
    return *this;
}

XS_DWFIM::~XS_DWFIM()
{
    reset();
}

void XS_DWFIM::reset()
{
    DeleteItems(keybanks);
}

int XS_DWFIM::sampleCount() const
{
    int count = 0;
    for (const XS_Keybank* keybank : keybanks)
        count += keybank->hasRightBlock() ? 2 : 1;
    return count;
}

void XS_DWFIM::calcSizes(int& dwfmSize, int& dwimSize) const
{
    dwfmSize = 4 + XS_Keybank::RecordSize * keybankCount();
    dwimSize = 4;
    for (const XS_Keybank* keybank : keybanks) {
        dwimSize += 4 + keybank->left.size();
        if (keybank->hasRightBlock())
            dwimSize += 4 + keybank->right.size();
    }
}

void XS_DWFIM::writeWFM(Archive& archive) const
{
    archive.willPutSize();
    archive.writeValueR(quint32(keybankCount()), 2);
    archive.writeValueR(quint32(pitch_offset), 2);
    for (const XS_Keybank* keybank : keybanks)
        keybank->storeWFM(archive);
    archive.putSize();
}

bool XS_DWFIM::readWFM(Archive& archive)
{
    reset();
    archive.readInt(); // the size
    const int count = int(archive.readValueR(2));
    pitch_offset = int(archive.readValueR(2));
    for (int k = 0; k < count && archive.ok(); ++k) {
        auto keybank = std::make_unique<XS_Keybank>();
        keybank->loadWFM(archive);
        if (archive.failed())
            break;
        keybanks.append(keybank.release());
    }
    return archive.ok();
}

void XS_DWFIM::writeWIM(Archive& archive) const
{
    archive.willPutSize();
    archive.writeUINT(quint32(sampleCount()));
    for (const XS_Keybank* keybank : keybanks)
        keybank->storeWIM(archive);
    archive.putSize();
}

int XS_DWFIM::readWIM(Archive& archive)
{
    archive.readInt(); // the size
    archive.readUINT(); // the sample count: the table says how many follow
    for (XS_Keybank* keybank : std::as_const(keybanks)) {
        if (!keybank->loadWIM(archive))
            return -1;
    }
    return archive.ok() ? sampleCount() : -1;
}

QString XS_DWFIM::toString() const
{
    int dwfm = 0;
    int dwim = 0;
    calcSizes(dwfm, dwim);
    QString text;
    text += VarArgs::format(QStringLiteral("pitch_offset: %d\n"), pitch_offset);
    text += VarArgs::format(QStringLiteral("keybank_count: %d\n"), keybankCount());
    text += VarArgs::format(QStringLiteral("sample_count: %d\n"), sampleCount());
    text += VarArgs::format(QStringLiteral("DWFM size: %d\n"), dwfm);
    text += VarArgs::format(QStringLiteral("DWIM size: %d\n"), dwim);
    return text;
}

// --- the waveform ----------------------------------------------------------------------

XS_Waveform::XS_Waveform(const QString& name)
{
    setName(name);
}

XS_Waveform::XS_Waveform(const QString& name, int bank, int number, const QString& model)
{
    setName(name);
    setId(MakeId(bank, number, model));
}

XS_Waveform::~XS_Waveform()
{
    deleteData();
}

void XS_Waveform::create()
{
    setName(NewWaveform);
    // An empty DWFM item and an empty DWIM item are 4 bytes each.
    wfm.data_size = 4;
    wim.data_size = 4;
}

bool XS_Waveform::hasData() const
{
    return wfm.data_size != 0 || wfm.data_offset != 0 || wim.data_size != 0 || wim.data_offset != 0 ||
           !table.keybanks.isEmpty();
}

void XS_Waveform::deleteData()
{
    setName(QString());
    wfm.data_size = wfm.data_offset = 0;
    wim.data_size = wim.data_offset = 0;
    table.reset();
}

void XS_Waveform::setId(int id)
{
    wfm.content_number = quint32(id);
    wim.content_number = quint32(id);
    wfm.filename = VarArgs::format(QStringLiteral("%04d-Waveform.wfm"), id);
    wim.filename = VarArgs::format(QStringLiteral("%04d-Waveform.wim"), id);
}

void XS_Waveform::setName(const QString& name)
{
    wfm.content_name = name;
    wim.content_name = name;
}

QString XS_Waveform::name() const
{
    const QString& stored = wfm.content_name;
    const qsizetype colon = stored.indexOf(QLatin1Char(':'));
    if (colon >= 1 && colon <= 3 && AllDigits(stored.left(colon)))
        return stored.mid(colon + 1);
    return stored;
}

int XS_Waveform::NumberOf(int id, const QString& model)
{
    if (isXS(model))
        return id >= 1 && id <= 1024 ? id : 0;
    if (isXF(model)) {
        if (id >= 1 && id <= 128)
            return id;
        if (id >= 129 && id <= 2176)
            return id - 128;
        if (id >= 2177 && id <= 4224)
            return id - 2176;
    }
    return 0;
}

int XS_Waveform::BankOf(int id, const QString& model)
{
    if (isXS(model))
        return id >= 1 && id <= 1024 ? 1 : 0;
    if (isXF(model)) {
        if (id >= 1 && id <= 128)
            return 1;
        if (id >= 129 && id <= 2176)
            return 2;
        if (id >= 2177 && id <= 4224)
            return 3;
    }
    return 0;
}

int XS_Waveform::MakeId(int bank, int number, const QString& model)
{
    if (isXS(model))
        return bank == 1 && number >= 1 && number <= 1024 ? number : 0;
    if (isXF(model)) {
        if (bank == 1 && number >= 1 && number <= 128)
            return number;
        if (bank == 2 && number >= 1 && number <= 2048)
            return number + 128;
        if (bank == 3 && number >= 1 && number <= 2048)
            return number + 2176;
    }
    return 0;
}

QString XS_Waveform::BankName(int bank, const QString& model)
{
    if ((isXS(model) || isXF(model)) && bank == 1)
        return QStringLiteral("USR");
    if (isXF(model) && bank == 2)
        return QStringLiteral("FL1");
    if (isXF(model) && bank == 3)
        return QStringLiteral("FL2");
    return VarArgs::format(QStringLiteral("%d"), bank);
}

int XS_Waveform::sampleSizeOf(int i) const
{
    if (i < 0 || i >= table.keybanks.size())
        return 0;
    return table.keybanks.at(i)->sampleSize();
}

int XS_Waveform::ridevSize() const
{
    int size = 0;
    for (const XS_Keybank* keybank : table.keybanks)
        size += keybank->sampleSize();
    return size;
}

// --- slices ----------------------------------------------------------------------------

void XS_Waveform::CreateSlices(const QList<XS_Keybank*>& list, int note)
{
    if (list.isEmpty())
        return;
    if (note == -1)
        note = list.first()->note_center;
    note &= 127;
    for (XS_Keybank* keybank : list) {
        keybank->note_center = keybank->note_lo = keybank->note_hi = quint8(note);
        note = (note + 1) % 128;
    }
}

bool XS_Waveform::hasSlices() const
{
    const QList<XS_Keybank*>& list = table.keybanks;
    if (list.size() < 2)
        return false;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const XS_Keybank* keybank = list.at(i);
        if (keybank->note_lo != keybank->note_hi)
            return false;
        if (i > 0) {
            const int previous = list.at(i - 1)->note_hi;
            if (keybank->note_hi != previous + 1 && keybank->note_hi != previous - 1)
                return false;
        }
    }
    return true;
}

// --- editing the keybank list ----------------------------------------------------------

void XS_Waveform::addKeybank(XS_Keybank* keybank)
{
    table.keybanks.append(keybank);
    if (name().isEmpty())
        setName(NewWaveform);
}

bool XS_Waveform::pasteKeybanks(int pos, const QList<XS_Keybank*>& source)
{
    if (pos < 0 || pos > table.keybanks.size())
        return false;
    QList<XS_Keybank*> copies;
    try {
        copies.reserve(source.size());
        for (const XS_Keybank* keybank : source)
            copies.append(new XS_Keybank(*keybank));
    } catch (const std::bad_alloc&) {
        qDebug().noquote() << VarArgs::format(QStringLiteral("Out of memory (%s)"), QStringLiteral("pasteKeybanks"));
        qDeleteAll(copies);
        return false;
    }
    for (qsizetype i = 0; i < copies.size(); ++i)
        table.keybanks.insert(pos + i, copies.at(i));
    if (!copies.isEmpty() && name().isEmpty())
        setName(NewWaveform);
    return true;
}

void XS_Waveform::deleteKeybanks(const ints& indexes)
{
    // Each keybank once, and only one the table holds, before its slot goes.
    QSet<int> gone;
    for (int index : indexes) {
        if (index >= 0 && index < table.keybanks.size() && !gone.contains(index)) {
            gone.insert(index);
            delete table.keybanks.at(index);
        }
    }
    RemoveItems(table.keybanks, ints(gone.cbegin(), gone.cend()));
}

bool XS_Waveform::reorganizeKeybanks(int& pos, const ints& indexes)
{
    return table.keybanks.reorganize(pos, indexes);
}

// --- the archive form ------------------------------------------------------------------

void XS_Waveform::toArchive(Archive& archive) const
{
    const QString model = QStringLiteral("Vesk XF");
    wfm.toArchive(model, archive);
    wim.toArchive(model, archive);
    table.writeWFM(archive);
    table.writeWIM(archive);
}

bool XS_Waveform::fromArchive(Archive& archive)
{
    const QString model = QStringLiteral("Vesk XF");
    wfm.fromArchive(model, archive);
    wim.fromArchive(model, archive);
    return table.readWFM(archive) && table.readWIM(archive) >= 0;
}

QString XS_Waveform::info() const
{
    return QStringLiteral("EWFM\n") + wfm.toString() + QStringLiteral("\nEWIM\n") + wim.toString() +
           QStringLiteral("\nDWFM - DWIM\n") + table.toString() + QStringLiteral("\n");
}

bool XS_Waveform::playSlices(AudioDevice* device)
{
    if (!device || !hasSlices())
        return false;
    QList<XS_Keybank*> order = table.keybanks;
    if (order.at(0)->note_hi > order.at(1)->note_hi)
        std::reverse(order.begin(), order.end());

    AudioWave wave;
    wave.rate = order.first()->rate;
    wave.bits = 16;
    wave.channels = 1;
    qint64 frames = 0;
    for (const XS_Keybank* keybank : std::as_const(order)) {
        frames += keybank->sampleLength();
        if (keybank->channels > 1)
            wave.channels = 2;
    }
    if (frames <= 0 || frames * 2 > std::numeric_limits<int>::max())
        return false;
    wave.left.allocate(int(frames * 2));
    if (wave.channels == 2)
        wave.right.allocate(int(frames * 2));
    int at = 0;
    for (const XS_Keybank* keybank : std::as_const(order)) {
        // Points of 8-bit data are a byte wide; wider ones fill two bytes
        // (12-bit data are held left-justified in two).
        const int shift = keybank->bytes() == 1 ? 8 : 0;
        const int length = keybank->sampleLength();
        const int rightSide = keybank->channels > 1 ? 1 : 0;
        for (int i = 0; i < length; ++i, ++at) {
            wave.setPoint(0, at, keybank->getPoint(0, i) << shift);
            if (wave.channels == 2)
                wave.setPoint(1, at, keybank->getPoint(rightSide, i) << shift);
        }
    }
    m_slicesWave = wave;
    return device->out()->play(m_slicesWave, 0, -1, -1);
}
