#include "SimInstrument.h"

#include "SimProtocol.h"

#include <QFile>
#include <QHash>

namespace Sim {

namespace {

// What the instrument's parameters are, read once from the data files the
// panel layouts are checked against (built into the simulator): the system
// area, with the values a freshly started instrument holds, and the size of
// every parameter wider than a byte. Lines are "address size [initial]" in
// hex and decimal; "#" starts a comment.
struct ParameterData
{
    QMap<unsigned int, QByteArray> system; // address -> initial bytes
    QHash<unsigned int, int> sizes;        // address -> bytes, wide parameters only
};

QList<QStringList> dataLines(const QString& path)
{
    QList<QStringList> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (QByteArray line : file.readAll().split('\n')) {
        const qsizetype comment = line.indexOf('#');
        if (comment >= 0)
            line.truncate(comment);
        const QStringList fields = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() >= 2)
            lines.append(fields);
    }
    return lines;
}

const ParameterData& parameterData()
{
    static const ParameterData data = [] {
        registerResources();
        ParameterData d;
        for (const QStringList& f : dataLines(QStringLiteral(":/instrument-sim/data/system_ES.txt"))) {
            const QByteArray initial = QByteArray::fromHex(f.value(2).toLatin1());
            if (initial.size() == f.at(1).toInt())
                d.system.insert(f.at(0).toUInt(nullptr, 16), initial);
        }
        for (const QStringList& f : dataLines(QStringLiteral(":/instrument-sim/data/parameter_sizes.txt")))
            d.sizes.insert(f.at(0).toUInt(nullptr, 16), f.at(1).toInt());
        return d;
    }();
    return data;
}

constexpr int RefusalLimit = 200;

QString hex6(unsigned int address)
{
    return QStringLiteral("%1").arg(address, 6, 16, QLatin1Char('0')).toUpper();
}

// The first byte of a system parameter; 0 for none.
int firstByte(const QByteArray& bytes)
{
    return bytes.isEmpty() ? 0 : quint8(bytes[0]);
}

QString hex4(unsigned int block)
{
    return QStringLiteral("%1").arg(block, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

bool Instrument::load(const Options& options, QString* error)
{
    *this = Instrument();
    m_options = options;
    m_options.device &= 0x0F;
    m_system = parameterData().system;
    return m_memory.load(options.initFolder, error);
}

int Instrument::parameterSize(unsigned int address)
{
    const ParameterData& data = parameterData();
    auto system = data.system.constFind(address);
    if (system != data.system.constEnd())
        return int(system->size());
    return data.sizes.value(address, 1);
}

void Instrument::refuse(const QString& why)
{
    m_refusals.append(why);
    if (m_refusals.size() > RefusalLimit)
        m_refusals.removeFirst();
}

int Instrument::mode() const
{
    return firstByte(m_system.value(ModeAddress));
}

int Instrument::masterNumber() const
{
    return firstByte(m_system.value(MasterAddress));
}

int Instrument::receiveChannel() const
{
    // Values above 15 are not channels; the instrument keeps to the lowest
    // four bits.
    return firstByte(m_system.value(0x00000A)) & 0x0F;
}

bool Instrument::localControl() const
{
    return firstByte(m_system.value(0x000009)) != 0;
}

QByteArray Instrument::image(unsigned int block) const
{
    const QByteArray* i = m_memory.image(block);
    return i ? *i : QByteArray();
}

QString Instrument::name(unsigned int block) const
{
    const QByteArray* i = m_memory.image(block);
    return i ? Memory::nameOf(*i) : QString();
}

bool Instrument::setImage(unsigned int block, const QByteArray& image)
{
    QByteArray* i = m_memory.image(block);
    if (!i || i->size() != image.size())
        return false;
    *i = image;
    return true;
}

QByteArray Instrument::multi(int number)
{
    const QByteArray* m = m_memory.multi(number);
    return m ? *m : QByteArray();
}

QByteArray Instrument::systemBytes(unsigned int address) const
{
    return m_system.value(address);
}

bool Instrument::modeOwns(PatchType type) const
{
    const int m = mode();
    switch (type) {
    case Voice:
    case Drum:
    case Plg:
        return m == VoiceMode;
    case Performance:
        return m == PerformanceMode;
    case Mix:
        return m == PatternMode || m == SongMode;
    case Master:
        return m == MasterMode;
    default:
        return false;
    }
}

bool Instrument::answers(unsigned int block, PatchType type) const
{
    if (!modeOwns(type))
        return false;
    // One voice or drum kit plays in Voice mode; the other edit buffer is idle.
    if ((type == Voice || type == Drum) && m_memory.isEditBuffer(block))
        return type == m_voiceKind;
    return true;
}

QList<QByteArray> Instrument::blockMessages(unsigned int block) const
{
    QList<QByteArray> out;
    const int type = m_memory.typeOf(block);
    const QByteArray* image = m_memory.image(block);
    if (type < 0 || !image)
        return out;
    const int device = m_options.device;
    out.append(bulkDump(block + HeaderOffset, QByteArray(), device));
    for (const Layout::Block& b : m_memory.layout(PatchType(type)).blocks)
        out.append(bulkDump(b.address, image->mid(b.offset, b.size), device));
    out.append(bulkDump(block + FooterOffset, QByteArray(), device));
    return out;
}

void Instrument::receive(const QByteArray& bytes, QList<Reply>& replies)
{
    if (!isLoaded())
        return;
    m_received.append(bytes);
    if (m_received.size() > ReceivedLimit)
        m_received.removeFirst();
    const Message m = Message::parse(bytes);
    switch (m.kind) {
    case Message::IdentityRequest:
        if (m.device != m_options.device && m.device != 0x7F)
            return;
        ++m_counters.identityRequests;
        replies.append({IdentityReply, {identityReply(m_options.model, m_options.device)}});
        return;
    case Message::GmOn:
        if (m.device != m_options.device && m.device != 0x7F)
            return;
        ++m_counters.gmOn;
        *m_memory.image(editBuffer(Mix)) = m_memory.layout(Mix).init;
        return;
    case Message::Short:
        onShort(m.bytes);
        return;
    case Message::Invalid:
        if (bytes.startsWith(char(0xF0)) && bytes.size() > 1 && bytes[1] == 0x43)
            refuse(
                QStringLiteral("malformed message %1").arg(QString::fromLatin1(bytes.toHex(' ').toUpper())));
        return;
    default:
        break;
    }
    // The instrument's own messages: only those for its device number.
    if (m.device != m_options.device)
        return;
    switch (m.kind) {
    case Message::BulkRequest:
        onBulkRequest(m.address, replies);
        break;
    case Message::ParameterRequest:
        onParameterRequest(m.address, replies);
        break;
    case Message::ParameterChange:
        ++m_counters.parameterChanges;
        onParameterChange(m.address, m.data);
        break;
    case Message::BulkDump:
        ++m_counters.bulkDumps;
        onBulkDump(m);
        break;
    default:
        break;
    }
}

void Instrument::onBulkRequest(unsigned int address, QList<Reply>& replies)
{
    ++m_counters.bulkRequests;
    if ((address & 0xFF0000) != HeaderOffset) {
        refuse(QStringLiteral("bulk request at %1: not a header address").arg(hex6(address)));
        return;
    }
    const unsigned int block = address & 0xFFFF;
    const int type = m_memory.typeOf(block);
    if (type < 0) {
        refuse(QStringLiteral("bulk request for %1: no such location").arg(hex4(block)));
        return;
    }
    if (!answers(block, PatchType(type))) {
        refuse(QStringLiteral("bulk request for %1: not available in mode %2").arg(hex4(block)).arg(mode()));
        return;
    }
    replies.append({BulkReply, blockMessages(block)});
}

void Instrument::onParameterRequest(unsigned int address, QList<Reply>& replies)
{
    ++m_counters.parameterRequests;
    const int size = parameterSize(address);
    auto it = m_system.constFind(address);
    if (it != m_system.constEnd()) {
        replies.append({ParameterReply, {parameterChange(address, it.value(), m_options.device)}});
        return;
    }
    const Span span = editBufferSpan(address, size, QStringLiteral("request"));
    if (span.image)
        replies.append({ParameterReply,
                        {parameterChange(address, span.image->mid(span.pos, span.count), m_options.device)}});
}

void Instrument::onParameterChange(unsigned int address, const QByteArray& data)
{
    if (data.isEmpty()) {
        refuse(QStringLiteral("parameter change at %1 without data").arg(hex6(address)));
        return;
    }
    auto it = m_system.find(address);
    if (it != m_system.end()) {
        if (address == ModeAddress && quint8(data[0]) > MasterMode) {
            refuse(QStringLiteral("no mode %1").arg(quint8(data[0])));
            return;
        }
        // Bytes beyond the parameter are not the parameter's.
        it.value().replace(0, qMin(data.size(), it.value().size()), data.left(it.value().size()));
        if (address == MasterAddress)
            loadMaster(quint8(data[0]));
        return;
    }
    const Span span = editBufferSpan(address, int(data.size()), QStringLiteral("change"));
    if (span.image)
        span.image->replace(span.pos, span.count, data.left(span.count));
}

Instrument::Span Instrument::editBufferSpan(unsigned int address, int size, const QString& what)
{
    PatchType type;
    int block, offset;
    if (!m_memory.locate(address, type, block, offset)) {
        refuse(QStringLiteral("parameter %1 at %2: no such parameter").arg(what, hex6(address)));
        return {};
    }
    // A parameter never reaches into the next block.
    const Layout::Block& b = m_memory.layout(type).blocks[size_t(block)];
    return {m_memory.image(editBuffer(type)), b.offset + offset, qMin(size, b.size - offset)};
}

void Instrument::onBulkDump(const Message& m)
{
    const unsigned int area = m.address & 0xFF0000;
    if (m.address == StoreAllAddress) {
        if (!m.checksumOk || !m.data.isEmpty()) {
            refuse(QStringLiteral("store-all message with data or a bad checksum"));
            return;
        }
        ++m_counters.storeAll;
        m_unstored.clear();
        return;
    }
    if (area == HeaderOffset || area == FooterOffset) {
        if (!m.checksumOk || !m.data.isEmpty()) {
            refuse(QStringLiteral("bulk %1 at %2 with data or a bad checksum")
                       .arg(area == HeaderOffset ? QLatin1String("header") : QLatin1String("footer"),
                            hex6(m.address)));
            // The blocks that follow a broken header are not to land in an edit
            // buffer, and a broken footer must not leave its write open.
            m_write = Write();
            if (area == HeaderOffset) {
                m_write.open = true;
                m_write.block = m.address & 0xFFFF;
                m_write.spoiled = QStringLiteral("its header was broken");
            }
            return;
        }
        if (area == HeaderOffset)
            onHeader(m.address & 0xFFFF);
        else
            onFooter(m.address & 0xFFFF);
        return;
    }
    onBlock(m);
}

void Instrument::onHeader(unsigned int block)
{
    if (m_write.open)
        refuse(
            QStringLiteral("write to %1 dropped: a header came before its footer").arg(hex4(m_write.block)));
    m_write = Write();
    m_write.open = true;
    m_write.block = block;
    const int type = m_memory.typeOf(block);
    const Bank* bank = m_memory.bankOf(block);
    if (type < 0)
        m_write.spoiled = QStringLiteral("no such location");
    else if (bank && !bank->user)
        m_write.spoiled = QStringLiteral("a preset location");
    else {
        m_write.type = PatchType(type);
        m_write.image = *m_memory.image(block);
    }
}

void Instrument::onFooter(unsigned int block)
{
    if (!m_write.open) {
        refuse(QStringLiteral("footer for %1 without a header").arg(hex4(block)));
        return;
    }
    const Write write = m_write;
    m_write = Write();
    if (write.block != block) {
        refuse(
            QStringLiteral("write to %1 dropped: its footer names %2").arg(hex4(write.block), hex4(block)));
        return;
    }
    if (!write.spoiled.isEmpty()) {
        refuse(QStringLiteral("write to %1 dropped: %2").arg(hex4(block), write.spoiled));
        return;
    }
    *m_memory.image(block) = write.image;
    ++m_counters.writes;
    if (!m_memory.isEditBuffer(block))
        m_unstored.insert(block);
}

void Instrument::onBlock(const Message& m)
{
    QString fault;
    PatchType type = Voice;
    int index = -1;
    for (int t = 0; t < TypeCount && index < 0; ++t) {
        index = m_memory.layout(PatchType(t)).blockAt(m.address);
        type = PatchType(t);
    }
    if (index < 0)
        fault = QStringLiteral("no block at %1").arg(hex6(m.address));
    else if (!m.checksumOk)
        fault = QStringLiteral("bad checksum in block %1").arg(hex6(m.address));
    else if (!m.countOk)
        fault =
            QStringLiteral("block %1 counts %2 data bytes wrongly").arg(hex6(m.address)).arg(m.data.size());
    else if (m.data.size() != m_memory.layout(type).blocks[size_t(index)].size)
        fault = QStringLiteral("block %1 holds %2 bytes, not %3")
                    .arg(hex6(m.address))
                    .arg(m.data.size())
                    .arg(m_memory.layout(type).blocks[size_t(index)].size);
    else if (m_write.open && m_write.spoiled.isEmpty() && type != m_write.type)
        fault = QStringLiteral("block %1 does not belong to %2").arg(hex6(m.address), hex4(m_write.block));

    if (!fault.isEmpty()) {
        if (m_write.open && m_write.spoiled.isEmpty())
            m_write.spoiled = fault;
        else
            refuse(fault);
        return;
    }
    const Layout::Block& b = m_memory.layout(type).blocks[size_t(index)];
    if (m_write.open) {
        if (m_write.spoiled.isEmpty())
            m_write.image.replace(b.offset, b.size, m.data);
        return;
    }
    // A block without a header: straight into the edit buffer.
    m_memory.image(editBuffer(type))->replace(b.offset, b.size, m.data);
    ++m_counters.writes;
}

void Instrument::onShort(const QByteArray& bytes)
{
    const quint8 status = quint8(bytes[0]);
    if (status == 0xF3) {
        const int number = quint8(bytes[1]);
        if (mode() != PatternMode && mode() != SongMode) {
            refuse(QStringLiteral("song select %1 outside Pattern and Song mode").arg(number));
            return;
        }
        *m_memory.image(editBuffer(Mix)) = *m_memory.multi(number);
        return;
    }
    if (status >= 0xF0 || (status & 0x0F) != receiveChannel())
        return;
    switch (status & 0xF0) {
    case 0xB0:
        if (bytes[1] == 0)
            m_bankMsb = quint8(bytes[2]);
        else if (bytes[1] == 32)
            m_bankLsb = quint8(bytes[2]);
        break;
    case 0xC0:
        select(static_cast<unsigned short>(m_bankMsb << 8 | m_bankLsb), quint8(bytes[1]));
        break;
    default:
        // Notes, volume and the channel mode messages make no sound here.
        break;
    }
}

void Instrument::select(unsigned short bankWord, int program)
{
    for (const Bank& bank : banks()) {
        if (bank.bankWord != bankWord)
            continue;
        if (program >= bank.count) {
            refuse(QStringLiteral("no program %1 in %2").arg(program).arg(QLatin1String(bank.name)));
            return;
        }
        if (!modeOwns(bank.type)) {
            refuse(
                QStringLiteral("%1 cannot be selected in mode %2").arg(QLatin1String(bank.name)).arg(mode()));
            return;
        }
        *m_memory.image(editBuffer(bank.type)) = *m_memory.image(bank.firstBlock + unsigned(program));
        if (bank.type == Voice || bank.type == Drum)
            m_voiceKind = bank.type;
        if (bank.type == Master)
            m_system[MasterAddress] = QByteArray(1, char(program));
        return;
    }
    refuse(QStringLiteral("no bank %1").arg(hex4(bankWord)));
}

void Instrument::loadMaster(int program)
{
    const QByteArray* master = m_memory.image(0x7000 + unsigned(program));
    if (master)
        *m_memory.image(editBuffer(Master)) = *master;
}

Reply Instrument::selectMode(int mode)
{
    const QByteArray data(1, char(mode));
    onParameterChange(ModeAddress, data);
    return {Report, {parameterChange(ModeAddress, data, m_options.device)}};
}

Reply Instrument::selectMaster(int program)
{
    const QByteArray data(1, char(program));
    onParameterChange(MasterAddress, data);
    return {Report, {parameterChange(MasterAddress, data, m_options.device)}};
}

Reply Instrument::selectMulti(int number)
{
    QByteArray song(2, char(0xF3));
    song[1] = char(number & 0x7F);
    onShort(song);
    return {Report, {song}};
}

Reply Instrument::selectPatch(unsigned short bankWord, int program)
{
    const char channel = char(receiveChannel());
    const QList<QByteArray> messages = {QByteArray::fromHex("B000").append(char(bankWord >> 8 & 0x7F)),
                                        QByteArray::fromHex("B020").append(char(bankWord & 0x7F)),
                                        QByteArray::fromHex("C0").append(char(program & 0x7F))};
    Reply reply{Report, {}};
    for (QByteArray m : messages) {
        m[0] = char(quint8(m[0]) | channel);
        onShort(m);
        reply.messages.append(m);
    }
    return reply;
}

Reply Instrument::editParameter(unsigned int address, const QByteArray& data)
{
    onParameterChange(address, data);
    return {Report, {parameterChange(address, data, m_options.device)}};
}

Reply Instrument::sendBlock(unsigned int block)
{
    return {Report, blockMessages(block)};
}

Reply Instrument::playNote(int note, int velocity)
{
    QByteArray on(3, char(0x90 | receiveChannel()));
    on[1] = char(note & 0x7F);
    on[2] = char(velocity & 0x7F);
    return {Report, {on}};
}

} // namespace Sim
