#include "SimMemory.h"

#include "SimProtocol.h"

#include <QFile>

#include <algorithm>

// The built-in data files live in this static library, whose resources
// are registered on first use; Q_INIT_RESOURCE names a function of the global
// namespace.
static void initSimulatorResources()
{
    Q_INIT_RESOURCE(instrumentsim);
}

namespace Sim {

void registerResources()
{
    initSimulatorResources();
}

const std::vector<Bank>& banks()
{
    // Patch counts: 128 a bank, except the user drum kits (32) and the PLG
    // boards' user banks (64).
    static const std::vector<Bank> list = {
        {"GM", 0x0000, Voice, 0x0600, 128, false},        {"PRE1", 0x3F00, Voice, 0x0000, 128, false},
        {"PRE2", 0x3F01, Voice, 0x0100, 128, false},      {"PRE3", 0x3F02, Voice, 0x0200, 128, false},
        {"PRE4", 0x3F03, Voice, 0x0300, 128, false},      {"PRE5", 0x3F04, Voice, 0x0400, 128, false},
        {"PRE6", 0x3F05, Voice, 0x0500, 128, false},      {"USER1", 0x3F08, Voice, 0x0800, 128, true},
        {"USER2", 0x3F09, Voice, 0x0900, 128, true},      {"P1-USER", 0x3F18, Plg, 0x1800, 64, true},
        {"P2-USER", 0x3F19, Plg, 0x1900, 64, true},       {"P3-USER", 0x3F1A, Plg, 0x1A00, 64, true},
        {"DR:PRE", 0x3F20, Drum, 0x2000, 128, false},     {"DR:USR", 0x3F28, Drum, 0x2800, 32, true},
        {"PERF", 0x3F40, Performance, 0x4000, 128, true}, {"DR:GM", 0x7F00, Drum, 0x2100, 128, false},
        {"MASTER", 0x7F7F, Master, 0x7000, 128, true},
    };
    return list;
}

unsigned int editBuffer(PatchType type)
{
    static const unsigned int buffers[TypeCount] = {0x0F00, 0x2F00, 0x1F00, 0x4F00, 0x5F00, 0x7F00};
    return buffers[type];
}

const char* typeFileName(PatchType type)
{
    static const char* const names[TypeCount] = {"voice", "drum", "plg", "performance", "mix", "master"};
    return names[type];
}

bool Memory::loadLayout(PatchType type, const QByteArray& file, QString* error)
{
    Layout layout;
    qsizetype pos = 0;
    while (pos < file.size()) {
        const qsizetype end = file.indexOf(char(0xF7), pos);
        const Message m = Message::parse(file.mid(pos, end < 0 ? -1 : end + 1 - pos));
        if (m.kind != Message::BulkDump || !m.checksumOk || !m.countOk || layout.index.contains(m.address)) {
            *error = QStringLiteral("%1.syx: message %2 is not a bulk dump of a new block")
                         .arg(QLatin1String(typeFileName(type)))
                         .arg(layout.blocks.size());
            return false;
        }
        layout.index.insert(m.address, int(layout.blocks.size()));
        layout.blocks.push_back({m.address, layout.imageSize, int(m.data.size())});
        layout.imageSize += int(m.data.size());
        layout.init += m.data;
        pos = end + 1;
    }
    // The name is data 0-9 of the first block.
    if (layout.blocks.empty() || layout.blocks.front().size < NameSize) {
        *error = QStringLiteral("%1.syx: no named first block").arg(QLatin1String(typeFileName(type)));
        return false;
    }
    m_layouts[type] = layout;
    return true;
}

bool Memory::load(const QString& folder, QString* error)
{
    registerResources();
    *this = Memory();
    for (int t = 0; t < TypeCount; ++t) {
        const auto type = PatchType(t);
        QFile file(QStringLiteral("%1/%2.syx").arg(folder, QLatin1String(typeFileName(type))));
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1").arg(file.fileName());
            *this = Memory();
            return false;
        }
        if (!loadLayout(type, file.readAll(), error)) {
            *this = Memory();
            return false;
        }
        for (size_t b = 0; b < m_layouts[t].blocks.size(); ++b) {
            const Layout::Block& block = m_layouts[t].blocks[b];
            m_spans.push_back({block.address, block.address + unsigned(block.size), type, int(b)});
        }
    }
    std::sort(m_spans.begin(), m_spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    for (size_t i = 1; i < m_spans.size(); ++i) {
        if (m_spans[i].start < m_spans[i - 1].end) {
            *error = QStringLiteral("blocks %1 and %2 overlap")
                         .arg(m_spans[i - 1].start, 6, 16, QLatin1Char('0'))
                         .arg(m_spans[i].start, 6, 16, QLatin1Char('0'));
            *this = Memory();
            return false;
        }
    }

    for (const Bank& bank : banks()) {
        for (int p = 0; p < bank.count; ++p) {
            const unsigned int block = bank.firstBlock + unsigned(p);
            m_images.insert(block, named(bank.type, defaultName(bank.type, block)));
        }
    }
    for (int t = 0; t < TypeCount; ++t) {
        const unsigned int block = editBuffer(PatchType(t));
        m_images.insert(block, named(PatchType(t), defaultName(PatchType(t), block)));
    }
    for (int n = 0; n < MultiCount; ++n)
        m_multis.append(named(Mix, QStringLiteral("SimM S%1").arg(n, 3, 10, QLatin1Char('0'))));
    m_loaded = true;
    return true;
}

QByteArray Memory::named(PatchType type, const QString& name) const
{
    QByteArray image = m_layouts[type].init;
    const QByteArray text = name.toLatin1().leftJustified(NameSize, ' ', true);
    image.replace(m_layouts[type].blocks.front().offset, NameSize, text);
    return image;
}

QString Memory::defaultName(PatchType type, unsigned int block)
{
    static const char letters[TypeCount + 1] = "VDGPMS";
    const QString address = QStringLiteral("%1").arg(block, 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("Sim%1 %2").arg(QString(QLatin1Char(letters[type])), address);
}

QString Memory::nameOf(const QByteArray& image)
{
    return QString::fromLatin1(image.left(NameSize));
}

bool Memory::locate(unsigned int address, PatchType& type, int& block, int& offset) const
{
    auto it = std::upper_bound(m_spans.begin(), m_spans.end(), address,
                               [](unsigned int a, const Span& s) { return a < s.start; });
    if (it == m_spans.begin())
        return false;
    --it;
    if (address >= it->end)
        return false;
    type = it->type;
    block = it->block;
    offset = int(address - it->start);
    return true;
}

const Bank* Memory::bankOf(unsigned int block) const
{
    for (const Bank& bank : banks()) {
        if (block >= bank.firstBlock && block < bank.firstBlock + unsigned(bank.count))
            return &bank;
    }
    return nullptr;
}

bool Memory::isEditBuffer(unsigned int block) const
{
    for (int t = 0; t < TypeCount; ++t) {
        if (editBuffer(PatchType(t)) == block)
            return true;
    }
    return false;
}

int Memory::typeOf(unsigned int block) const
{
    for (int t = 0; t < TypeCount; ++t) {
        if (editBuffer(PatchType(t)) == block)
            return t;
    }
    const Bank* bank = bankOf(block);
    return bank ? bank->type : -1;
}

QByteArray* Memory::image(unsigned int block)
{
    auto it = m_images.find(block);
    return it == m_images.end() ? nullptr : &it.value();
}

const QByteArray* Memory::image(unsigned int block) const
{
    auto it = m_images.constFind(block);
    return it == m_images.constEnd() ? nullptr : &it.value();
}

QByteArray* Memory::multi(int number)
{
    return number >= 0 && number < m_multis.size() ? &m_multis[number] : nullptr;
}

} // namespace Sim
