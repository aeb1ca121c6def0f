#include "TestSysex.h"

const char* const TestSysex::ParameterChangeTemplate = "F0 43 10 %M %A3 %D F7";
const char* const TestSysex::ParameterRequestTemplate = "F0 43 30 %M %A3 F7";
const char* const TestSysex::BulkRequestTemplate = "F0 43 20 %M %A3 F7";
const char* const TestSysex::BulkDumpTemplate = "F0 43 00 %M #2 %A3 %D *5 F7";

QString TestSysex::bulkDumpText(unsigned int address, const QByteArray& data)
{
    Buffer bytes;
    bytes.copy(reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
    return FormatSysex(QString::fromLatin1(BulkDumpTemplate), QStringLiteral("7F 00"), address,
                       bytes.toString(-1));
}

QString TestSysex::bulkRequestText(unsigned int address)
{
    return FormatSysex(QString::fromLatin1(BulkRequestTemplate), QStringLiteral("7F 00"), address);
}

QString TestSysex::identityReplyText(int deviceNumber)
{
    return VarArgs::format("F0 7E %02X 06 02 43 7F 00 01 00 01 00 00 00 F7", deviceNumber & 0x0F);
}

QByteArray TestSysex::voiceData(const QString& name, int size)
{
    QByteArray data(qMax(size, NameSize), '\0');
    const QByteArray text = name.toLatin1().left(NameSize).leftJustified(NameSize, ' ');
    data.replace(0, NameSize, text);
    return data;
}

void TestSysex::prepareBulkDump(unsigned int address, const QByteArray& data)
{
    fromString(bulkDumpText(address, data));
}

void TestSysex::prepareBulkRequest(unsigned int address)
{
    fromString(bulkRequestText(address));
}

QString TestSysex::readName(MidiDevice*)
{
    return hasName() ? readDataText(0, NameSize) : QString();
}

void TestSysex::setAddress(unsigned int address)
{
    if (!isValid())
        return;
    const int index = addressIndex();
    setAt(index, (address >> 16) & 0xFF);
    setAt(index + 1, (address >> 8) & 0xFF);
    setAt(index + 2, address & 0xFF);
    m_address = address;
    updateChecksum();
}

void TestSysex::prepareParameterRequest(const MidiParam& param)
{
    fromString(FormatSysex(QString::fromLatin1(ParameterRequestTemplate), modelId(), param.address()));
}

void TestSysex::prepareParameterChange(const MidiParam& param, int value)
{
    fromString(FormatSysex(QString::fromLatin1(ParameterChangeTemplate), modelId(), param.address(),
                           param.printMidiBytes(value)));
}

int TestSysex::getParameterPos(const MidiParam& param)
{
    if (!hasData() || dataStart() < 0)
        return -1;
    const unsigned int address = param.address();
    if (m_type == ParameterChange)
        return address == m_address ? 0 : -1;
    // A bulk dump holds every parameter of its block from its own offset on.
    if (address < m_address || address - m_address >= unsigned(dataSize()))
        return -1;
    return int(address - m_address);
}

void TestSysex::getBulkBaseAndOffset(unsigned int address, unsigned int& base, unsigned int& offset)
{
    base = address & 0xFFFFFF00;
    offset = address & 0xFF;
}

void TestSysex::analyse()
{
    const int n = size();
    if (n < 9 || !isSysex() || at(1) != 0x43 || at(3) != 0x7F || at(4) != 0x00)
        return;
    const auto addressAt = [this](int i) {
        return unsigned(at(i)) << 16 | unsigned(at(i + 1)) << 8 | at(i + 2);
    };

    switch (at(2) >> 4) {
    case 0x1: // parameter change: at least one data byte
        if (n < 10)
            return;
        m_type = ParameterChange;
        m_address = addressAt(5);
        m_dataStart = 8;
        m_dataLength = n - 9;
        return;
    case 0x3:
    case 0x2:
        if (n != 9)
            return;
        m_type = at(2) >> 4 == 0x3 ? ParameterRequest : BulkRequest;
        m_address = addressAt(5);
        return;
    case 0x0: {
        if (n < 12)
            return;
        const int count = at(5) << 7 | at(6);
        if (n != 12 + count)
            return;
        m_type = BulkDump;
        m_address = addressAt(7);
        m_dataStart = 10;
        m_dataLength = count;
        m_checksumStart = 5;
        return;
    }
    default:
        return;
    }
}

TestDevice::TestDevice(const QString& name, int delay) : MidiDevice(name, delay) {}

PatchDump* TestDevice::createPatchDump(int type)
{
    return new TestPatchDump(this, type);
}

unsigned int TestDevice::getIndexedAddress(unsigned int base, int index)
{
    ++indexedAddressCalls;
    return base + (unsigned(index) << 8);
}

const char* const TestDevice::ModelName = "TI-1";

bool TestDevice::checkId(Sysex* message)
{
    if (!message || !message->isId() || message->size() != 15 || message->at(5) != 0x43 ||
        message->at(6) != 0x7F || message->at(7) != 0x00)
        return false;
    setModel(QString::fromLatin1(ModelName));
    return true;
}

void TestDevice::bulkRequest(unsigned int address)
{
    sendSysex(TestSysex::bulkRequestText(address));
}

TestPatchDump::TestPatchDump(MidiDevice* device, int kind) : m_device(device), m_kind(kind) {}

void TestPatchDump::init()
{
    const QString kept = comment();
    clear();
    buildInit(m_device ? m_device->name() : QString());
    setComment(kept);
}

void TestPatchDump::buildInit(const QString&)
{
    if (m_kind == Voice) {
        addBlock(VoiceAddress, TestSysex::voiceData(QStringLiteral("Init Voice"), 16));
        addBlock(VoiceAddress + 0x100, QByteArray(8, '\x40'));
        addBlock(VoiceAddress + 0x200, QByteArray(4, '\x7F'));
    } else {
        addBlock(PlainAddress, QByteArray(12, '\0'));
        addBlock(PlainAddress + 0x100, QByteArray(12, '\0'));
    }
}

bool TestPatchDump::hasCategory()
{
    if (m_kind != Voice || isEmpty())
        return false;
    auto* msg = dynamic_cast<TestSysex*>(first());
    return msg && msg->hasCategory();
}

int TestPatchDump::getCategoryData()
{
    return hasCategory() ? first()->dataAt(TestSysex::CategoryPos) : 0;
}

QString TestPatchDump::printCategory(bool)
{
    return hasCategory() ? QStringLiteral("Cat%1").arg(getCategoryData()) : QString();
}

void TestPatchDump::addBlock(unsigned int address, const QByteArray& data)
{
    auto* msg = new TestSysex;
    msg->prepareBulkDump(address, data);
    append(msg);
}
