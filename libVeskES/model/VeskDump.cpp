#include "VeskDump.h"

#include "DeviceTable.h"
#include "ParamMenu.h"
#include "PatchList.h"
#include "Vesk.h"
#include "VeskSysex.h"

#include <QResource>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

namespace {

// The stored initial patches, one resource per type in type order: the raw
// bulk dump messages of the patch in sending order, common block first, as
// the instrument lays them out.
const char* const InitResources[VeskDump::TypeCount] = {
    ":/vesk/data/init/voice.syx",       ":/vesk/data/init/drum.syx", ":/vesk/data/init/plg.syx",
    ":/vesk/data/init/performance.syx", ":/vesk/data/init/mix.syx",  ":/vesk/data/init/master.syx",
};

// The models of the family whose initial patches differ in their blocks.
enum class Model
{
    Es,   // "Vesk ES": the stored layout
    V90,  // "V90 ES"
    Rack, // "Vesk Rack ES"
    Mt,   // "Vesk MT"
    Other // any other name
};

Model modelOf(const QString& name)
{
    if (name == QLatin1String("Vesk ES"))
        return Model::Es;
    if (name == QLatin1String("V90 ES"))
        return Model::V90;
    if (name == QLatin1String("Vesk Rack ES"))
        return Model::Rack;
    if (name == QLatin1String("Vesk MT"))
        return Model::Mt;
    return Model::Other;
}

// The per-element blocks of a voice (41xxxx-44xxxx) and per-key blocks of a
// drum kit (47xxxx-4Axxxx).
bool isElementBlock(int type, unsigned int address)
{
    const unsigned int high = address >> 16;
    if (type == VeskDump::TypeVoice)
        return high >= 0x41 && high <= 0x44;
    if (type == VeskDump::TypeDrum)
        return high >= 0x47 && high <= 0x4A;
    return false;
}

// Blocks of a performance (base 0x300000) or mix (0x360000) by what a model
// lacks: the insertion effects, the 68-byte block, the third PLG part and
// the audio inputs; the first two PLG parts.
bool isFullModelBlock(unsigned int base, unsigned int address)
{
    const unsigned int plg = base == 0x300000 ? 0x316000 : 0x376000;
    const unsigned int audio = base == 0x300000 ? 0x344000 : 0x384000;
    return address == base + 0x300 || address == base + 0x400 || address == base + 0x2000 ||
           address == plg + 0x200 || (address & 0xFFFF00) - audio <= 0x400;
}

bool isFirstPlgParts(unsigned int base, unsigned int address)
{
    const unsigned int plg = base == 0x300000 ? 0x316000 : 0x376000;
    return address == plg || address == plg + 0x100;
}

void removeIf(QList<Sysex*>& messages, const std::function<bool(unsigned int)>& drop)
{
    for (qsizetype i = messages.size() - 1; i >= 0; --i) {
        if (drop(messages.at(i)->address()))
            delete messages.takeAt(i);
    }
}

// The element (key) blocks block by block instead of element by element:
// every block of the first kind for all elements, then of the next kind.
void groupBlockByBlock(QList<Sysex*>& messages, int type)
{
    QList<qsizetype> places;
    QList<unsigned int> kinds; // address without its element byte, in first order
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const unsigned int address = messages.at(i)->address();
        if (!isElementBlock(type, address))
            continue;
        places.append(i);
        if (!kinds.contains(address & 0xFF00FF))
            kinds.append(address & 0xFF00FF);
    }
    QList<Sysex*> blocks;
    for (qsizetype i : places)
        blocks.append(messages.at(i));
    std::stable_sort(blocks.begin(), blocks.end(), [&kinds](Sysex* a, Sysex* b) {
        return kinds.indexOf(a->address() & 0xFF00FF) < kinds.indexOf(b->address() & 0xFF00FF);
    });
    for (qsizetype k = 0; k < places.size(); ++k)
        messages[places.at(k)] = blocks.at(k);
}

Sysex* newBulkDump(unsigned int address, const QString& data)
{
    auto* message = new VeskSysex;
    message->prepareBulkDump(address, data);
    return message;
}

// The stored layout turned into the named model's: blocks some models add,
// lack, lengthen or send in another order.
void adaptToModel(QList<Sysex*>& messages, int type, Model model)
{
    if (model == Model::Es || messages.isEmpty())
        return;
    switch (type) {
    case VeskDump::TypeVoice:
    case VeskDump::TypeDrum:
        if (model == Model::Rack) {
            messages.insert(1, newBulkDump(type == VeskDump::TypeVoice ? 0x400700 : 0x460600,
                                           QStringLiteral("00 00 40 40")));
            groupBlockByBlock(messages, type);
        } else if (model == Model::V90 && type == VeskDump::TypeVoice) {
            for (Sysex*& message : messages) {
                const unsigned int kind = message->address() & 0xFF00FF;
                if (kind != 0x410000 && kind != 0x410020)
                    continue;
                Sysex* longer =
                    newBulkDump(message->address(), message->dataToString() + QStringLiteral(" 00"));
                delete message;
                message = longer;
            }
        } else if (model == Model::Other) {
            removeIf(messages, [type](unsigned int a) { return isElementBlock(type, a); });
        }
        return;
    case VeskDump::TypePLG:
        if (model == Model::Rack)
            messages.insert(1, newBulkDump(0x4C0600, QStringLiteral("00 00 40 40")));
        return;
    case VeskDump::TypePerformance:
    case VeskDump::TypeMix: {
        if (model == Model::V90)
            return;
        const unsigned int base = type == VeskDump::TypePerformance ? 0x300000 : 0x360000;
        const bool rack = model == Model::Rack;
        removeIf(messages, [base, rack](unsigned int a) {
            return isFullModelBlock(base, a) || (!rack && isFirstPlgParts(base, a));
        });
        return;
    }
    default:
        return;
    }
}

} // namespace

// --- content -------------------------------------------------------------------

void VeskDump::init()
{
    VeskDump* source = m_device ? m_device->initDump(type()) : nullptr;
    if (source)
        copyDump(source, m_device);
}

void VeskDump::buildInit(const QString& model)
{
    const int kind = type();
    if (kind < 0 || kind >= TypeCount)
        return;
    // Mapped in place from the library; split at every F7 into messages.
    const QResource resource(QString::fromLatin1(InitResources[kind]));
    const QByteArray content = resource.isValid() ? resource.uncompressedData() : QByteArray();
    const auto* start = reinterpret_cast<const unsigned char*>(content.constData());
    const auto* const end = start + content.size();
    QList<Sysex*> messages;
    messages.reserve(content.size() / 12);
    while (start < end) {
        const auto* f7 = static_cast<const unsigned char*>(std::memchr(start, 0xF7, size_t(end - start)));
        if (!f7)
            break;
        auto* message = new VeskSysex;
        message->copy(start, int(f7 - start + 1));
        messages.append(message);
        start = f7 + 1;
    }
    adaptToModel(messages, kind, modelOf(model));
    append(messages);
}

int VeskDump::maxNameSize()
{
    return VeskSysex::NameSize;
}

void VeskDump::addBulkDump(unsigned int address, const char* data)
{
    append(newBulkDump(address, data ? QString::fromLatin1(data) : QString()));
}

// --- categories --------------------------------------------------------------------

bool VeskDump::holdsCategory()
{
    return hasCategory() && !isEmpty() && first()->dataSize() > VeskSysex::SubCategoryPos;
}

int VeskDump::getCategoryData()
{
    if (!holdsCategory())
        return -1;
    // Added, not joined: a stored dump may carry a byte above 7 bits, and
    // the value is main x 128 + sub whatever the bytes hold.
    return first()->dataAt(VeskSysex::MainCategoryPos) * 128 + first()->dataAt(VeskSysex::SubCategoryPos);
}

void VeskDump::setCategoryData(int value)
{
    if (!holdsCategory())
        return;
    first()->setDataAt(VeskSysex::MainCategoryPos, (value >> 7) & 0x7F);
    first()->setDataAt(VeskSysex::SubCategoryPos, value & 0x7F);
}

QString VeskDump::printCategory(bool full)
{
    if (!holdsCategory() || !m_device)
        return QString();
    const int main = first()->dataAt(VeskSysex::MainCategoryPos);
    if (!full)
        return m_device->printCategory(main);
    return m_device->printCategory(main, first()->dataAt(VeskSysex::SubCategoryPos));
}

bool VeskDump::setCategory(const QString& category)
{
    // A mix or a master has no category: nothing stored is no success.
    if (!holdsCategory() || !m_device)
        return false;
    const DeviceTable* table = m_device->createTable(categorySection());
    const int index = table->indexOf(category);
    if (index < 0)
        return false;
    setCategoryData(table->at(index).value);
    return true;
}

bool VeskDump::selectCategory(QWidget* parent, QPoint pos)
{
    if (!m_device)
        return false;
    DeviceTable* table = m_device->createTable(categorySection());
    const int marked = table->indexOf(getCategoryData());
    const std::optional<int> choice = ParamMenu::getValue(parent, pos, table, marked, 0, -1);
    if (!choice || *choice < 0 || *choice >= table->size() || !holdsCategory())
        return false;
    setCategoryData(table->at(*choice).value);
    return true;
}

// --- references to other patches ----------------------------------------------------

QList<VeskDump::PatchReference> VeskDump::partReferences(unsigned int base, int count, unsigned int plgBase,
                                                         bool useSwitch)
{
    QList<PatchReference> references;
    const auto add = [&](unsigned int address) {
        Sysex* part = getSysex(address);
        // A part block too short to hold its use switch is not in use.
        if (part && (!useSwitch || (part->dataSize() > 31 && (part->dataAt(31) & 1))))
            references.append({part, 0});
    };
    for (int part = 0; part < count; ++part)
        add(base + unsigned(part) * 0x100);
    for (int part = 0; part < 3; ++part)
        add(plgBase + unsigned(part) * 0x100);
    return references;
}

QList<VeskDump::PatchReference> PerformanceDump::patchReferences()
{
    return partReferences(0x310000, 4, 0x316000, true);
}

QList<VeskDump::PatchReference> MixDump::patchReferences()
{
    return partReferences(0x370000, 16, 0x376000, false);
}

QList<VeskDump::PatchReference> MasterDump::patchReferences()
{
    if (isEmpty())
        return {};
    return {{first(), 14}};
}

void VeskDump::getUserPatches(UserPatchList* list)
{
    if (!list)
        return;
    for (const PatchReference& r : patchReferences())
        list->add(Patch(r.message->dataAt(r.pos), r.message->dataAt(r.pos + 1), r.message->dataAt(r.pos + 2)),
                  m_device);
}

void VeskDump::reindexPatch(Patch from, Patch to)
{
    if (!from.isValid() || !to.isValid())
        return;
    for (const PatchReference& r : patchReferences()) {
        const Patch named(r.message->dataAt(r.pos), r.message->dataAt(r.pos + 1),
                          r.message->dataAt(r.pos + 2));
        if (named.toUInt() != from.toUInt())
            continue;
        r.message->setDataAt(r.pos, to.bank.msb);
        r.message->setDataAt(r.pos + 1, to.bank.lsb);
        r.message->setDataAt(r.pos + 2, to.program);
    }
}
