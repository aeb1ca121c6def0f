// The device's construction, its bank vocabulary and addressing, its identity,
// its category names and the message monitor's text. Modes, program change
// and incoming messages are in VeskModes.cpp, block traffic in
// VeskTransfer.cpp.
#include "Vesk.h"

#include "BulkDump.h"
#include "MixParts.h"
#include "VarArgs.h"
#include "VeskSysex.h"

#include <iterator>

namespace {

const char* const ModelNames[] = {"Vesk ES6", "Vesk ES7", "Vesk ES8"};
constexpr int FirstModelByte = 0x69;

// Bank word -> bulk address of program 0, in the order the map is filled.
constexpr struct
{
    unsigned short bank;
    unsigned int block;
} BankBlocks[] = {
    {0x3F00, 0x0000}, {0x3F01, 0x0100}, {0x3F02, 0x0200}, {0x3F03, 0x0300}, {0x3F04, 0x0400},
    {0x3F05, 0x0500}, {0x0000, 0x0600}, {0x3F08, 0x0800}, {0x3F09, 0x0900}, {0x3F0A, 0x0A00},
    {0x3F18, 0x1800}, {0x3F19, 0x1900}, {0x3F1A, 0x1A00}, {0x3F20, 0x2000}, {0x7F00, 0x2100},
    {0x3F28, 0x2800}, {0x3F40, 0x4000}, {0x7F7F, 0x7000},
};

// Edit buffers by dump type.
constexpr int EditBuffers[VeskDump::TypeCount] = {0x0F00, 0x2F00, 0x1F00, 0x4F00, 0x5F00, 0x7F00};

const char* const BankTypeNames[] = {"Normal Voices", "Drum Kits", "PLG Voices",
                                     "Performances",  "Multis",    "Masters"};

// Parameter bases of the voice element and drum key sub-blocks, by kind.
constexpr unsigned int VoiceElementBases[] = {0x410000, 0x410020, 0x420000, 0x430000,
                                              0x440000, 0x440040, 0x440050};
constexpr unsigned int DrumKeyBases[] = {0x470000, 0x470020, 0x480000, 0x490000, 0x4A0000};

// The monitor's colour of byte i of an n-byte parameter change.
QString monitorColour(int i, int n)
{
    static const QString grey = QStringLiteral("#808080");
    static const QString green = QStringLiteral("#007800");
    static const QString brown = QStringLiteral("#b85100");
    static const QString blue = QStringLiteral("#0000ff");
    if (i == n - 1 || i < 2 || i == 3 || i == 4)
        return grey; // F0, maker, model id, F7
    if (i == 2)
        return green; // kind and device number
    if (i < 8)
        return brown; // address
    return blue;      // data
}

} // namespace

Vesk::Vesk()
    : MidiDevice(QStringLiteral("Vesk ES"), 10), m_initVoice(this), m_initDrum(this), m_initPlg(this),
      m_initPerformance(this), m_initMix(this), m_initMaster(this)
{
    m_noSendAddresses.append(NeverSendAddress);
    for (const auto& pair : BankBlocks)
        m_bankMap.add(pair.bank, pair.block);

    loadIni(QStringLiteral(":/vesk/data/data_ES.ini"));
    loadXml(QStringLiteral(":/vesk/data/effects_ES.xml"));
    m_categories = createTable(QStringLiteral("CATEGORIES"));
    m_categoriesFull = createTable(QStringLiteral("CATEGORIES_FULL"));

    buildInitDumps();

    // Parts 16-18: the plug-in boards' parts, after the framework's sixteen.
    for (int i = 0; i < 3; ++i)
        m_parts.addPart();
}

Vesk::~Vesk()
{
    // No reply may reach our hooks while this object is half destroyed.
    shutdown();
}

void Vesk::buildInitDumps()
{
    // Our own model's patches, even when a definition file has given the
    // device another name.
    for (int type = 0; type < VeskDump::TypeCount; ++type)
        initDump(type)->buildInit(originalName());
}

// --- messages and dumps ----------------------------------------------------------

Sysex* Vesk::createSysex()
{
    return new VeskSysex;
}

PatchDump* Vesk::createPatchDump(int type)
{
    switch (type) {
    case VeskDump::TypeVoice:
        return new VoiceDump(this);
    case VeskDump::TypeDrum:
        return new DrumDump(this);
    case VeskDump::TypePLG:
        return new PLGDump(this);
    case VeskDump::TypePerformance:
        return new PerformanceDump(this);
    case VeskDump::TypeMix:
        return new MixDump(this);
    case VeskDump::TypeMaster:
        return new MasterDump(this);
    default:
        return nullptr;
    }
}

VeskDump* Vesk::initDump(int type)
{
    switch (type) {
    case VeskDump::TypeVoice:
        return &m_initVoice;
    case VeskDump::TypeDrum:
        return &m_initDrum;
    case VeskDump::TypePLG:
        return &m_initPlg;
    case VeskDump::TypePerformance:
        return &m_initPerformance;
    case VeskDump::TypeMix:
        return &m_initMix;
    case VeskDump::TypeMaster:
        return &m_initMaster;
    default:
        return nullptr;
    }
}

// --- banks -----------------------------------------------------------------------

bool Vesk::isUserVoiceBank(unsigned short bank)
{
    return bank == 0x3F08 || bank == 0x3F09;
}

bool Vesk::isUserDrumBank(unsigned short bank)
{
    return bank == 0x3F28;
}

bool Vesk::isMixVoiceBank(unsigned short bank)
{
    return bank == MixVoiceBank;
}

bool Vesk::isUserPLGBank(unsigned short bank)
{
    return bank >= 0x3F18 && bank <= 0x3F1A;
}

bool Vesk::isPerformanceBank(unsigned short bank)
{
    return bank == 0x3F40;
}

bool Vesk::isMultiBank(unsigned short bank)
{
    return bank == MultiBank;
}

bool Vesk::isMasterBank(unsigned short bank)
{
    return bank == MasterBank;
}

bool Vesk::isVoiceBank(unsigned short bank)
{
    return bank == 0x0000 || (bank >= 0x3F00 && bank <= 0x3F05) || isUserVoiceBank(bank);
}

bool Vesk::isDrumBank(unsigned short bank)
{
    return bank == 0x3F20 || bank == 0x7F00 || isUserDrumBank(bank);
}

bool Vesk::isPLGBank(unsigned short bank)
{
    return (bank >= 0x3F46 && bank <= 0x3F4E) || isUserPLGBank(bank);
}

bool Vesk::isUserBank(unsigned short bank)
{
    return isUserVoiceBank(bank) || isUserDrumBank(bank) || isMixVoiceBank(bank) || isUserPLGBank(bank) ||
           isPerformanceBank(bank) || isMultiBank(bank) || isMasterBank(bank);
}

int Vesk::bankType(unsigned short bank)
{
    if (isVoiceBank(bank) || isMixVoiceBank(bank))
        return VeskDump::TypeVoice;
    if (isDrumBank(bank))
        return VeskDump::TypeDrum;
    if (isPLGBank(bank))
        return VeskDump::TypePLG;
    if (isPerformanceBank(bank))
        return VeskDump::TypePerformance;
    if (isMultiBank(bank))
        return VeskDump::TypeMix;
    if (isMasterBank(bank))
        return VeskDump::TypeMaster;
    return -1;
}

QString Vesk::bankTypeName(int type)
{
    if (type < 0 || type >= VeskDump::TypeCount)
        return QString();
    return QString::fromLatin1(BankTypeNames[type]);
}

QString Vesk::bankNumber(unsigned short bank)
{
    if ((bank & 0x7F70) == 0x7F70)
        return QString();
    return MidiDevice::bankNumber(bank);
}

// --- addresses -------------------------------------------------------------------

int Vesk::getEditBuffer(int type)
{
    if (type < 0 || type >= VeskDump::TypeCount)
        return -1;
    return EditBuffers[type];
}

unsigned int Vesk::getBulkControl(Patch patch) const
{
    if (!patch.isValid())
        return NoBulkAddress;
    const auto it = m_bankMap.constFind(patch.bank.word());
    if (it == m_bankMap.cend())
        return NoBulkAddress;
    return it.value() + unsigned(patch.program);
}

void Vesk::setBulkControls(BulkDump& dump, Patch patch)
{
    if (dump.isEmpty())
        return;
    const unsigned int block = getBulkControl(patch);
    if (block == NoBulkAddress)
        return;
    Sysex* first = dump.first();
    if (first->isHeader())
        first->setAddress(block + VeskSysex::HeaderOffset);
    // A one-message dump that was a header stays one: it is no footer.
    Sysex* last = dump.last();
    if (last->isFooter())
        last->setAddress(block + VeskSysex::FooterOffset);
}

unsigned int Vesk::getIndexedAddress(unsigned int address, int index)
{
    return address + 2 * unsigned(index);
}

unsigned int VOICE_ELM_PART(int element, int kind)
{
    const unsigned int offset = unsigned(element) << 8;
    if (kind < 0 || kind >= int(std::size(VoiceElementBases)))
        return offset;
    return VoiceElementBases[kind] + offset;
}

int DRUM_KEY_PART(int key, int kind)
{
    if (kind < 0 || kind >= int(std::size(DrumKeyBases)))
        return -1;
    return int(DrumKeyBases[kind] + (unsigned(key) << 8));
}

// --- identity and capabilities -----------------------------------------------------

bool Vesk::checkId(Sysex* reply)
{
    // F0 7E dd 06 02 43 f1 f2 mm 05 ...: the maker, then the member byte mm
    // names the model and byte 9 the instrument family.
    if (!reply || reply->size() <= 9 || reply->at(5) != 0x43 || reply->at(9) != 0x05)
        return false;
    const int model = reply->at(8) - FirstModelByte;
    if (model < 0 || model >= int(std::size(ModelNames)))
        return false;
    setModel(QString::fromLatin1(ModelNames[model]));
    return true;
}

void Vesk::setSecondaryPorts()
{
    replacePortNames(QStringLiteral("Port1"), QStringLiteral("Port4"));
}

void Vesk::replacePortNames(const QString& from, const QString& to)
{
    const QString in = m_midiIn.name();
    const QString out = m_midiOut.name();
    // A name that starts with `from` is no port of the instrument's family.
    if (in.indexOf(from) <= 0 || out.indexOf(from) <= 0)
        return;
    m_midiIn2.setName(QString(in).replace(from, to));
    m_midiOut2.setName(QString(out).replace(from, to));
}

// --- categories ----------------------------------------------------------------------

QString Vesk::printCategory(int main) const
{
    if (!m_categories || main < 0 || main >= m_categories->size())
        return QStringLiteral("??");
    return m_categories->at(main).text;
}

QString Vesk::printCategory(int main, int sub) const
{
    const int index = m_categoriesFull ? m_categoriesFull->indexOf(main * 128 + sub) : -1;
    if (index < 0)
        return printCategory(main);
    return m_categoriesFull->at(index).text;
}

// --- the message monitor ----------------------------------------------------------------

QString Vesk::displaySysex(Sysex* message)
{
    if (!message || message->type() != VeskSysex::KindParameterChange || message->dataSize() <= 0)
        return QString();
    // Mode changes, master selections and 0D0000 are never shown.
    const unsigned int address = message->address();
    if (address == 0x0D0000 || address == MasterSelectAddress || address == ModeAddress)
        return QString();

    const QStringList bytes = message->toString(-1).split(QLatin1Char(' '), Qt::KeepEmptyParts);
    const int n = int(bytes.size());
    QString text;
    text.reserve(n * 32);
    for (int i = 0; i < n; ++i)
        text +=
            VarArgs::format(QStringLiteral("<font color=%s>%s</font> "), monitorColour(i, n), bytes.at(i));
    return text;
}
