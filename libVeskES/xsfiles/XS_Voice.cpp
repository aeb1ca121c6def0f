// Voices and voice banks: see XS_Voice.h.
#include "XS_Voice.h"

#include "Archive.h"
#include "DeviceTable.h"
#include "VarArgs.h"
#include "Vesk.h"
#include "XS_Waves.h"

#include <QStringList>

#include <algorithm>

namespace {

// Offsets inside an element.
constexpr int UsedField = 4;
constexpr int MemoryField = 5;

} // namespace

void XS_Voice::setId(int id)
{
    content_number = quint32(id);
    filename = VarArgs::format(QStringLiteral("%06X-Voice.vce"), id);
}

int XS_Voice::BankType(unsigned short bankWord)
{
    switch (bankWord & 0xFFF0) {
    case 0x3F00:
        return 1;
    case 0x3F20:
        return 2;
    default:
        return 0;
    }
}

QString XS_Voice::BankName(const QString& model, unsigned short bankWord)
{
    const int userBank = int(bankWord) - 0x3F08;
    if (BankType(bankWord) == 1 && userBank >= 0 && userBank < MaxVoiceBanks(model))
        return VarArgs::format(QStringLiteral("USER%d"), userBank + 1);
    if (bankWord == 0x3F28)
        return QStringLiteral("DR:USER");
    return QString();
}

int XS_Voice::MaxVoiceBanks(const QString& model)
{
    if (model == QLatin1String("Vesk XF"))
        return 4;
    if (model == QLatin1String("Vesk XS"))
        return 3;
    return 0;
}

bool XS_Voice::holds(int offset, int size) const
{
    return offset >= 0 && size >= 0 && qint64(offset) + size <= data.size();
}

// --- name and categories ---------------------------------------------------------------

QString XS_Voice::name() const
{
    if (!hasData())
        return QString();
    return data.readText(NameOffset, NameSize);
}

void XS_Voice::setName(const QString& name)
{
    if (holds(NameOffset, NameSize))
        data.writeText(NameOffset, name.left(NameSize), NameSize);
}

int XS_Voice::readCategory(int at) const
{
    const int offset = CategoryOffset + at;
    if (!holds(offset, 2))
        return -1;
    return (data.at(offset) << 7) + data.at(offset + 1);
}

void XS_Voice::writeCategory(int at, int value)
{
    const int offset = CategoryOffset + at;
    if (!holds(offset, 2))
        return;
    data.setAt(offset, (value >> 7) & 127);
    data.setAt(offset + 1, value & 127);
}

QString XS_Voice::printCategory(const Vesk* device) const
{
    if (!device || !holds(CategoryOffset, 2))
        return QString();
    return device->printCategory(data.at(CategoryOffset), data.at(CategoryOffset + 1));
}

void XS_Voice::setCategory(const QString& name, Vesk* device)
{
    if (!device || !hasData())
        return;
    const DeviceTable* table = device->createTable(QStringLiteral("CATEGORIES_FULL"));
    const int row = table ? table->indexOf(name) : -1;
    if (row >= 0)
        setCategory1(table->at(row).value);
}

void XS_Voice::initVoice()
{
    initData(QStringLiteral(":/vesk/data/x0v_voice.bin"));
}

void XS_Voice::initDrumKit()
{
    initData(QStringLiteral(":/vesk/data/x0v_drumkit.bin"));
}

void XS_Voice::initData(const QString& resource)
{
    data.fromFile(resource);
}

// --- elements --------------------------------------------------------------------------

int XS_Voice::elementSize(const QString& model)
{
    return model == QLatin1String("V90 XS") || model == QLatin1String("Vesk XF") ? 144 : 140;
}

int XS_Voice::arpPartSize(const QString& model)
{
    return model == QLatin1String("V90 XS") || model == QLatin1String("Vesk XF") ? 52 : 48;
}

int XS_Voice::elementOffset(const QString& model, int element)
{
    return (elementSize(model) + 4) * element + FirstElementOffset;
}

int XS_Voice::elementCount(const QString& model) const
{
    if (!hasData())
        return -1;
    if (!holds(ElementCountOffset, 4))
        return 0;
    const quint32 stored = data.readValue(ElementCountOffset, 4);
    const int fitting = std::max(0, data.size() - FirstElementOffset) / (elementSize(model) + 4);
    return int(std::min<quint32>(stored, quint32(fitting)));
}

int XS_Voice::elementField(const QString& model, int element, int field, int size) const
{
    if (element < 0 || element >= elementCount(model))
        return -1;
    const int offset = elementOffset(model, element) + field;
    return holds(offset, size) ? offset : -1;
}

bool XS_Voice::isElementUsed(int element) const
{
    const int at = elementField(model, element, UsedField, 1);
    return at >= 0 && data.at(at) != 0;
}

void XS_Voice::setElementUsed(int element, bool used)
{
    const int at = elementField(model, element, UsedField, 1);
    if (at >= 0)
        data.setAt(at, used ? 1 : 0);
}

int XS_Voice::elementMem(int element) const
{
    const int at = elementField(model, element, MemoryField, 1);
    return at >= 0 ? data.at(at) : 0;
}

void XS_Voice::setElementMem(int element, int memory)
{
    const int at = elementField(model, element, MemoryField, 1);
    if (at >= 0)
        data.setAt(at, memory);
}

int XS_Voice::elementWave(int element) const
{
    const int at = elementField(model, element, elementSize(model), 2);
    return at >= 0 ? int(data.readValueR(at, 2)) : 0;
}

void XS_Voice::setElementWave(int element, int wave)
{
    const int at = elementField(model, element, elementSize(model), 2);
    if (at >= 0)
        data.writeValueR(at, quint32(wave), 2);
}

int XS_Voice::elementWaveform(const QString& model, int element) const
{
    const int used = elementField(model, element, UsedField, 1);
    const int memory = elementField(model, element, MemoryField, 1);
    const int wave = elementField(model, element, elementSize(model), 2);
    if (used < 0 || memory < 0 || wave < 0 || data.at(used) == 0)
        return 0;
    const int m = data.at(memory);
    const int n = int(data.readValueR(wave, 2));
    if (model == QLatin1String("Vesk XS"))
        return m == 1 ? n : 0;
    if (model == QLatin1String("Vesk XF")) {
        switch (m) {
        case 1:
            return n;
        case 2:
            return n + 128;
        case 3:
            return n + 2176;
        default:
            return 0;
        }
    }
    return 0;
}

void XS_Voice::setElementWaveform(const QString& model, int element, int id)
{
    if (id < 1) {
        const int used = elementField(model, element, UsedField, 1);
        if (used >= 0)
            data.setAt(used, 0);
        return;
    }
    const int memory = elementField(model, element, MemoryField, 1);
    const int wave = elementField(model, element, elementSize(model), 2);
    if (memory < 0 || wave < 0)
        return;
    data.setAt(memory, XS_Waveform::BankOf(id, model));
    data.writeValueR(wave, quint32(XS_Waveform::NumberOf(id, model)), 2);
}

ints XS_Voice::waveforms(const QString& model) const
{
    ints ids;
    const int count = elementCount(model);
    for (int e = 0; e < count; ++e) {
        const int id = elementWaveform(model, e);
        if (id != 0 && !ids.contains(id))
            ids.append(id);
    }
    SortList<ints, std::less<int>>(ids);
    return ids;
}

void XS_Voice::updateWaveformInfo(const QString& model)
{
    rel_filenames.clear();
    for (int id : waveforms(model))
        rel_filenames.append(VarArgs::format(QStringLiteral("%04d-Waveform.wfm"), id));
}

bool XS_Voice::removeInvalidWaveforms(const QString& documentModel, const XS_Waves& waves)
{
    bool cleared = false;
    const int count = elementCount(documentModel);
    for (int e = 0; e < count; ++e) {
        const int id = elementWaveform(documentModel, e);
        if (id == 0)
            continue;
        const XS_Waveform* w = waves.lookupWave(id);
        if (!w || !w->hasData()) {
            setElementWaveform(documentModel, e, 0);
            cleared = true;
        }
    }
    if (cleared)
        updateWaveformInfo(model);
    return cleared;
}

void XS_Voice::remapWaveforms(const QString& model, const ints& from, const ints& to)
{
    if (!hasData())
        return;
    const int count = elementCount(model);
    for (int e = 0; e < count; ++e) {
        const int id = elementWaveform(model, e);
        const qsizetype i = id > 0 ? from.indexOf(id) : -1;
        if (i >= 0 && i < to.size())
            setElementWaveform(model, e, to.at(i));
    }
    updateWaveformInfo(model);
}

QString XS_Voice::waveformInfo(const QString& documentModel, const XS_Waves& waves) const
{
    QStringList parts;
    for (int id : waveforms(documentModel)) {
        const XS_Waveform* w = waves.lookupWave(id);
        const QString name = w && w->hasData() ? w->name() : QStringLiteral("--------");
        parts.append(VarArgs::format(QStringLiteral("%s:%d|%s"), XS_Waveform::BankNameOf(id, documentModel),
                                     XS_Waveform::NumberOf(id, documentModel), name));
    }
    parts.sort();
    return parts.join(QLatin1Char('|'));
}

bool XS_Voice::readPatch(const XS_Voices* voices, const Patch& patch)
{
    if (!voices || voices->banks().isEmpty())
        return false;
    const unsigned int wanted = patch.toUInt();
    const XS_Voice* found = FindInBanks(voices->banks(), &XS_VoiceBank::voices,
                                        [wanted](const XS_Voice* voice) { return voice->patch().toUInt() == wanted; });
    if (found && found != this)
        *this = *found;
    return found != nullptr;
}

QString XS_Voice::info() const
{
    return toString() + VarArgs::format(QStringLiteral("\ndvce size = %d"), data.size());
}

bool XS_Voice::toArchive(Archive& archive) const
{
    archive << model;
    XS_Entry::toArchive(model, archive);
    archive.writeBuffer(data);
    return archive.ok();
}

bool XS_Voice::fromArchive(Archive& archive)
{
    QString stored;
    archive >> stored;
    if (model.isEmpty())
        model = stored;
    if (stored == model) {
        XS_Entry::fromArchive(model, archive);
        archive.readBuffer(data);
    }
    return archive.ok();
}

// --- banks -----------------------------------------------------------------------------

XS_VoiceBank::~XS_VoiceBank()
{
    DeleteItems(voices);
}

int XS_VoiceBank::count() const
{
    return CountWithData(voices);
}

XS_Voices::~XS_Voices()
{
    DeleteItems(m_banks);
}

XS_VoiceBank* XS_Voices::getBank(unsigned short bankWord) const
{
    for (XS_VoiceBank* bank : m_banks) {
        if (bank->id() == bankWord)
            return bank;
    }
    return nullptr;
}

XS_VoiceBank* XS_Voices::createBank(unsigned short bankWord)
{
    if (XS_VoiceBank* bank = getBank(bankWord))
        return bank;
    auto* bank = new XS_VoiceBank(bankWord);
    m_banks.append(bank);
    return bank;
}

bool XS_Voices::addVoice(XS_Voice* voice)
{
    if (!voice || voice->id() == 0)
        return false;
    if (XS_Voice* existing = lookupVoice(voice->id())) {
        if (existing != voice)
            *existing = *voice;
        return false;
    }
    createBank(voice->bank())->voices.append(voice);
    return true;
}

XS_Voice* XS_Voices::lookupVoice(int id) const
{
    return FindInBanks(m_banks, &XS_VoiceBank::voices, [id](const XS_Voice* voice) { return voice->id() == id; });
}

XS_Voice* XS_Voices::getByIndex(int i) const
{
    if (i < 0)
        return nullptr;
    return FindInBanks(m_banks, &XS_VoiceBank::voices,
                       [&i](const XS_Voice* voice) { return voice->hasData() && i-- == 0; });
}

int XS_Voices::count() const
{
    int n = 0;
    for (const XS_VoiceBank* bank : m_banks)
        n += bank->count();
    return n;
}

void XS_Voices::deleteData()
{
    for (XS_VoiceBank* bank : std::as_const(m_banks)) {
        for (XS_Voice* voice : std::as_const(bank->voices)) {
            if (voice)
                voice->deleteData();
        }
    }
}
