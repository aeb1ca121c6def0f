// What the editors' wire tests read back from the simulated instrument: the
// messages it received, as short texts compared in order, and the bytes of
// its memory. Header-only, beside EditorWindows.h.
//
// Texts of the received messages:
//   "request 0E0F00"   bulk request, at the block's header address
//   "ask 00000A"       parameter request
//   "set 0A0001 00"    parameter change and its data bytes
//   "dump 0E0800"      bulk dump (header, block or footer) at its address
//   "B0 00 3F"         a channel or system message, in hex
//   "GM on"            GM System On
// Identity requests are left out: the device polls with them whenever it
// likes.
#pragma once

#include "EditorWindows.h"
#include "MidiString.h"
#include "SimMemory.h"
#include "SimProtocol.h"
#include "VeskDump.h"

#include <QStringList>

namespace Wire {

inline QString hex(unsigned int value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

inline QString describe(const QByteArray& bytes)
{
    const Sim::Message m = Sim::Message::parse(bytes);
    switch (m.kind) {
    case Sim::Message::BulkRequest:
        return QStringLiteral("request ") + hex(m.address, 6);
    case Sim::Message::ParameterRequest:
        return QStringLiteral("ask ") + hex(m.address, 6);
    case Sim::Message::ParameterChange:
        return QStringLiteral("set ") + hex(m.address, 6) + u' ' + QString::fromLatin1(m.data.toHex(' ').toUpper());
    case Sim::Message::BulkDump:
        return QStringLiteral("dump ") + hex(m.address, 6);
    case Sim::Message::GmOn:
        return QStringLiteral("GM on");
    case Sim::Message::IdentityRequest:
        return QString();
    default:
        return QString::fromLatin1(bytes.toHex(' ').toUpper());
    }
}

// What the simulator received since its log was last cleared, once the bus
// has delivered everything sent.
inline QStringList received(VirtualMidiBus& bus, Sim::BusSimulator& sim)
{
    bus.waitIdle();
    QStringList texts;
    for (const QByteArray& m : sim->received()) {
        const QString text = describe(m);
        if (!text.isEmpty())
            texts.append(text);
    }
    return texts;
}

inline QStringList take(VirtualMidiBus& bus, Sim::BusSimulator& sim)
{
    const QStringList texts = received(bus, sim);
    sim->clearReceived();
    return texts;
}

// Without the parameter requests at the end: the mix editor asks for its
// system panel's values after every read.
inline QStringList withoutAsks(QStringList texts)
{
    while (!texts.isEmpty() && texts.last().startsWith(QLatin1String("ask ")))
        texts.removeLast();
    return texts;
}

// Without the wave number requests of the voice and drum kit editors
// (41e03, 47kk06): each message that carries a wave memory brings one, in
// the middle of any read.
inline QStringList withoutWaveAsks(QStringList texts)
{
    texts.removeIf([](const QString& t) {
        return t.size() == 10 && t.startsWith(QLatin1String("ask ")) &&
               ((t.mid(4, 2) == QLatin1String("41") && t.endsWith(QLatin1String("03"))) ||
                (t.mid(4, 2) == QLatin1String("47") && t.endsWith(QLatin1String("06"))));
    });
    return texts;
}

// A whole block as it goes to the instrument for target (a bulk address):
// header, the blocks of the type's image in order (but the one the
// instrument is never sent), footer.
inline QStringList blockTexts(Vesk& device, int type, unsigned int target)
{
    QStringList texts{QStringLiteral("dump ") + hex(target + 0x0E0000, 6)};
    for (Sysex* message : device.initDump(type)->list()) {
        if (message->address() != Vesk::NeverSendAddress)
            texts.append(QStringLiteral("dump ") + hex(message->address(), 6));
    }
    texts.append(QStringLiteral("dump ") + hex(target + 0x0F0000, 6));
    return texts;
}

inline QString setMode(int mode)
{
    return QStringLiteral("set 0A0001 ") + hex(unsigned(mode), 2);
}

// The name the panels show (the patch editors' "Name").
inline QString shownName(MidiEditorWindow& window)
{
    for (Panel* panel : window.panelList()) {
        if (MidiString* name = panel->getStringEdit(QStringLiteral("Name"), 0))
            return name->text().trimmed();
    }
    return QString();
}

inline QString request(unsigned int block)
{
    return QStringLiteral("request ") + hex(block + 0x0E0000, 6);
}

// The data bytes of the block holding address, in the image of a location or
// edit buffer of the simulator.
inline QByteArray blockBytes(Sim::BusSimulator& sim, unsigned int location, unsigned int address)
{
    return sim->inspect([&](const Sim::Instrument& i) {
        const Sim::Memory& memory = i.memory();
        Sim::PatchType type;
        int block = -1, offset = 0;
        if (!memory.locate(address, type, block, offset))
            return QByteArray();
        const Sim::Layout::Block& b = memory.layout(type).blocks[size_t(block)];
        return i.image(location).mid(b.offset, b.size);
    });
}

// Where the block holding address lies in its type's image: offset and size;
// size 0 when no block holds it.
inline QPair<int, int> blockSpan(Sim::BusSimulator& sim, unsigned int address)
{
    return sim->inspect([&](const Sim::Instrument& i) {
        Sim::PatchType type;
        int block = -1, offset = 0;
        if (!i.memory().locate(address, type, block, offset))
            return QPair<int, int>(0, 0);
        const Sim::Layout::Block& b = i.memory().layout(type).blocks[size_t(block)];
        return QPair<int, int>(b.offset, b.size);
    });
}

inline void setBlockBytes(Sim::BusSimulator& sim, unsigned int location, unsigned int address,
                          const QByteArray& data)
{
    sim->modify([&](Sim::Instrument& i) {
        Sim::PatchType type;
        int block = -1, offset = 0;
        if (!i.memory().locate(address, type, block, offset))
            return;
        const Sim::Layout::Block& b = i.memory().layout(type).blocks[size_t(block)];
        QByteArray image = i.image(location);
        image.replace(b.offset, b.size, data.left(b.size));
        i.setImage(location, image);
    });
}

// The messages the instrument answers a request for block with, as they
// leave it.
inline QList<QByteArray> answerOf(Sim::Simulator& sim, unsigned int block)
{
    QList<QByteArray> messages;
    sim.modify([&](Sim::Instrument& i) { messages = i.sendBlock(block).messages; });
    return messages;
}

// What the savers are tried with: the answer with a message left out (the
// header, one in the middle, the footer), carrying a bad checksum, or not
// coming at all, and
// why the device then refuses it (its transferError()). In the reason,
// {block} is the block asked for, {middle} the address of the middle
// message, {count} how many messages the whole answer has.
struct AnswerFault
{
    const char* name;
    Sim::Fault fault;
    int at; // the message hit: 0 the header, -1 the middle one, -2 the footer
    const char* reason;

    // The simulator's value for the fault on answer.
    int value(const QList<QByteArray>& answer) const { return at == -2 ? int(answer.size()) - 1 : at; }
    QString reasonFor(unsigned int block, const QList<QByteArray>& answer) const
    {
        const unsigned int middle = Sim::Message::parse(answer.value(answer.size() / 2)).address;
        return QString::fromLatin1(reason)
            .replace(QLatin1String("{block}"), QStringLiteral("0x") + hex(block, 4))
            .replace(QLatin1String("{middle}"), QStringLiteral("0x") + hex(middle, 6))
            .replace(QLatin1String("{count}"), QString::number(answer.size()))
            .replace(QLatin1String("{less}"), QString::number(answer.size() - 1));
    }
};

inline QList<AnswerFault> answerFaults()
{
    return {
        {"header left out", Sim::Fault::Omit, 0, "Header of block {block} missing"},
        {"middle block left out", Sim::Fault::Omit, -1, "Block {middle} missing"},
        {"footer left out", Sim::Fault::Omit, -2, "Receive timeout! Only {less} of {count} messages arrived"},
        {"bad checksum", Sim::Fault::BadChecksum, -1, "Checksum error in block {middle}"},
        {"dropped", Sim::Fault::Drop, -1, "Receive timeout!"},
    };
}

// Data bytes 0..n-1 that differ from any instrument default: a pattern of
// the seed, kept below 0x80.
inline QByteArray pattern(int size, int seed)
{
    QByteArray data(size, 0);
    for (int k = 0; k < size; ++k)
        data[k] = char((seed * 31 + k * 7) % 100 + 1);
    return data;
}

} // namespace Wire
