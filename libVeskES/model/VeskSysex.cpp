#include "VeskSysex.h"

#include "Vesk.h"

#include <array>

namespace {

const char* const BulkDumpTemplate = "F0 43 00 %M #2 %A3 %D *5 F7";
const char* const ParameterChangeTemplate = "F0 43 10 %M %A3 %D F7";
const char* const BulkRequestTemplate = "F0 43 20 %M %A3 F7";
const char* const ParameterRequestTemplate = "F0 43 30 %M %A3 F7";

// Common blocks: where each patch type keeps its name (and, but for the
// master and the mix, its category).
constexpr unsigned int VoiceCommon = 0x407000;
constexpr unsigned int DrumCommon = 0x467000;
constexpr unsigned int PlgCommon = 0x4C7000;
constexpr unsigned int PerformanceCommon = 0x300000;
constexpr unsigned int MasterCommon = 0x330000;
constexpr unsigned int MixCommon = 0x360000;

// Parameters of two data bytes that the instrument reports in a parameter
// change: the master effect type of the system, the performance and the mix.
bool isTwoByteType(unsigned int address)
{
    return address == 0x002100 || address == 0x301100 || address == 0x361100;
}

// The sub-blocks the instrument sends as bulk messages of their own, starting
// at a non-zero low byte: a run of `count` windows of `length` bytes, the
// first at `base`, each `step` after the one before.
struct WindowRun
{
    unsigned int base;
    unsigned int length;
    unsigned int count;
    unsigned int step;
};

constexpr WindowRun WindowRuns[] = {
    {0x400040, 0x04, 1, 0},      // voice common, second part
    {0x410020, 0x1E, 4, 0x100},  // per element
    {0x440040, 0x08, 4, 0x100},  // per element
    {0x440050, 0x04, 4, 0x100},  // per element
    {0x460040, 0x04, 1, 0},      // drum common, second part
    {0x470020, 0x0C, 73, 0x100}, // per drum key
};

// Every window lies inside one 256-byte page (the same high and mid byte),
// and a page holds at most two. The index has one entry per page of the
// range the windows live in, so finding the window of an address is one
// array read and two compares, whatever the number of windows.
constexpr unsigned int FirstPage = 0x4000; // address >> 8
constexpr unsigned int PageCount = 0x0800;

struct PageWindows
{
    unsigned char start[2] = {0, 0};
    unsigned char length[2] = {0, 0}; // 0: no window in that slot
};

constexpr std::array<PageWindows, PageCount> buildWindowIndex()
{
    std::array<PageWindows, PageCount> index{};
    for (const WindowRun& run : WindowRuns) {
        for (unsigned int k = 0; k < run.count; ++k) {
            const unsigned int base = run.base + k * run.step;
            PageWindows& page = index[(base >> 8) - FirstPage];
            const int slot = page.length[0] == 0 ? 0 : 1;
            page.start[slot] = static_cast<unsigned char>(base & 0xFF);
            page.length[slot] = static_cast<unsigned char>(run.length);
        }
    }
    return index;
}

constexpr std::array<PageWindows, PageCount> WindowIndex = buildWindowIndex();

unsigned int addressAt(const Sysex& message, int i)
{
    return unsigned(message.at(i)) << 16 | unsigned(message.at(i + 1)) << 8 | unsigned(message.at(i + 2));
}

} // namespace

QString VeskSysex::modelId()
{
    return QStringLiteral("7F 00");
}

bool VeskSysex::isHeader()
{
    return (m_address & 0xFF0000) == HeaderOffset;
}

bool VeskSysex::isFooter()
{
    return (m_address & 0xFF0000) == FooterOffset;
}

bool VeskSysex::hasName()
{
    if (!hasData())
        return false;
    switch (m_address) {
    case VoiceCommon:
    case DrumCommon:
    case PlgCommon:
    case PerformanceCommon:
    case MasterCommon:
    case MixCommon:
        return true;
    default:
        return false;
    }
}

QString VeskSysex::readName(MidiDevice* device)
{
    if (size() < 13)
        return QString();
    const QString name = readDataText(0, NameSize);
    if (!hasCategory())
        return name;
    auto* vesk = qobject_cast<Vesk*>(device);
    const QString category = vesk ? vesk->printCategory(dataAt(MainCategoryPos)) : QStringLiteral("??");
    return category + QLatin1Char(':') + name;
}

bool VeskSysex::hasCategory()
{
    // Only the bulk form of a common block holds the category bytes; a
    // parameter change to the same address carries just the bytes it sets.
    if (m_type != KindBulkDump)
        return false;
    switch (m_address) {
    case VoiceCommon:
    case DrumCommon:
    case PlgCommon:
    case PerformanceCommon:
        return true;
    default:
        return false;
    }
}

bool VeskSysex::hasData()
{
    if (m_type == KindBulkDump)
        return true;
    return m_type == KindParameterChange && dataSize() > 0;
}

int VeskSysex::addressIndex() const
{
    if (m_type == KindBulkDump)
        return 7;
    return m_type == -1 ? -1 : 5;
}

void VeskSysex::setAddress(unsigned int address)
{
    const int index = addressIndex();
    if (index < 0 || m_address == address)
        return;
    setAt(index, int(address >> 16) & 0xFF);
    setAt(index + 1, int(address >> 8) & 0xFF);
    setAt(index + 2, int(address) & 0xFF);
    updateChecksum();
    onNewData();
}

bool VeskSysex::findWindow(unsigned int address, unsigned int& base, unsigned int& length)
{
    const unsigned int page = (address >> 8) - FirstPage;
    if (page >= PageCount)
        return false;
    const PageWindows& windows = WindowIndex[page];
    const unsigned int low = address & 0xFF;
    for (int slot = 0; slot < 2; ++slot) {
        if (low - windows.start[slot] < windows.length[slot]) {
            base = (address & 0xFFFF00) | windows.start[slot];
            length = windows.length[slot];
            return true;
        }
    }
    return false;
}

void VeskSysex::getBulkBaseAndOffset(unsigned int address, unsigned int& base, unsigned int& offset)
{
    unsigned int length = 0;
    if (findWindow(address, base, length)) {
        offset = (address & 0xFF) - (base & 0xFF);
        return;
    }
    base = address & 0xFFFF00;
    offset = address & 0xFF;
}

int VeskSysex::getParameterPos(const MidiParam& param)
{
    // A value is read whole or not at all: a short message, or a parameter at
    // the last bytes of a block, must never make the checksum or the F7 part
    // of a value.
    const long long size = param.size > 0 ? param.size : 1;
    const unsigned int address = param.address();
    if (m_type == KindBulkDump) {
        if (dataStart() < 0)
            return -1;
        unsigned int base = 0;
        unsigned int offset = 0;
        getBulkBaseAndOffset(address, base, offset);
        return base == m_address && offset + size <= dataSize() ? int(offset) : -1;
    }
    if (m_type == KindParameterChange)
        return address == m_address && size <= dataSize() ? 0 : -1;
    return -1;
}

int VeskSysex::getParameterData(const MidiParam& param)
{
    if (m_type == KindParameterChange && isTwoByteType(param.address())) {
        // The instrument reports these types as two 7-bit bytes, high first,
        // whatever size the caller's parameter declares: the same value the
        // type tables give an entry ("0E,40" is 0x0E * 128 + 0x40) and that
        // a parameter change of them sends.
        MidiParam pair = param;
        pair.size = 2;
        const int pos = getParameterPos(pair);
        if (pos < 0)
            return -1;
        return (dataAt(pos) & 0x7F) << 7 | (dataAt(pos + 1) & 0x7F);
    }
    return Sysex::getParameterData(param);
}

QString VeskSysex::printAnalysis()
{
    switch (m_type) {
    case KindBulkDump:
        return VarArgs::format(QStringLiteral("BULK DUMP: %06X : %s"), m_address, dataToString());
    case KindBulkRequest:
        return VarArgs::format(QStringLiteral("BULK REQUEST: %06X"), m_address);
    case KindParameterChange:
        return VarArgs::format(QStringLiteral("PARAM CHANGE: %06X : %s"), m_address, dataToString());
    case KindParameterRequest:
        return VarArgs::format(QStringLiteral("PARAM REQUEST : %06X"), m_address);
    default:
        return QStringLiteral("invalid");
    }
}

void VeskSysex::prepareParameterRequest(const MidiParam& param)
{
    if (!param.hasAddress()) {
        reset();
        resetAnalysis();
        return;
    }
    fromString(FormatSysex(QString::fromLatin1(ParameterRequestTemplate), modelId(), param.address()));
}

void VeskSysex::prepareParameterChange(const MidiParam& param, int value)
{
    if (!param.hasAddress()) {
        reset();
        resetAnalysis();
        return;
    }
    fromString(FormatSysex(QString::fromLatin1(ParameterChangeTemplate), modelId(), param.address(),
                           param.printMidiBytes(value)));
}

void VeskSysex::prepareBulkRequest(unsigned int bulkAddress)
{
    fromString(FormatSysex(QString::fromLatin1(BulkRequestTemplate), modelId(), bulkAddress + HeaderOffset));
}

void VeskSysex::prepareBulkDump(unsigned int address, const QString& data)
{
    fromString(FormatSysex(QString::fromLatin1(BulkDumpTemplate), modelId(), address, data));
}

void VeskSysex::prepareBulkHeader(unsigned int bulkAddress)
{
    prepareBulkDump(bulkAddress + HeaderOffset, QString());
}

void VeskSysex::prepareBulkFooter(unsigned int bulkAddress)
{
    prepareBulkDump(bulkAddress + FooterOffset, QString());
}

void VeskSysex::analyse()
{
    const int n = size();
    if (n < 3 || !isSysex() || at(1) != 0x43)
        return;
    const int kind = at(2) & 0x70;
    switch (kind) {
    case KindBulkDump:
        // Shorter than the empty dump: no room for an address and a checksum.
        if (n < 12)
            return;
        m_type = kind;
        m_address = addressAt(*this, 7);
        m_dataStart = 10;
        m_dataLength = n - 12;
        m_checksumStart = 5;
        return;
    case KindParameterChange:
        if (n < 9)
            return;
        m_type = kind;
        m_address = addressAt(*this, 5);
        m_dataStart = 8;
        m_dataLength = n - 9;
        return;
    case KindBulkRequest:
    case KindParameterRequest:
        if (n < 9)
            return;
        m_type = kind;
        m_address = addressAt(*this, 5);
        return;
    default:
        return;
    }
}
