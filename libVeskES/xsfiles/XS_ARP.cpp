// Arpeggio records and events: see XS_ARP.h.
#include "XS_ARP.h"

#include "Archive.h"
#include "VarArgs.h"

namespace {

constexpr quint8 Meta = 0xFF;
constexpr quint8 Exclusive = 0xF0;
constexpr quint8 NoteOn = 0x91;
constexpr quint8 NoteOff = 0x81;

// n bytes into data; a count larger than what is left fails the archive
// before anything is allocated for it.
bool readBytes(Archive& archive, quint32 n, Buffer& data)
{
    if (qint64(n) > archive.remaining()) {
        archive.readRaw(nullptr, n);
        return false;
    }
    data.allocate(int(n));
    return archive.readRaw(data.data(), n);
}

} // namespace

void XS_ARP::setId(int id)
{
    content_number = quint32(id);
    filename = VarArgs::format(QStringLiteral("%06X-Voice.vce"), id);
}

void XS_ARP::deleteData()
{
    data_size = 0;
    data_offset = 0;
    data.reset();
}

QString XS_ARP::name() const
{
    return hasData() ? data.readText(NameOffset, NameSize) : QString();
}

void XS_ARP::setName(const QString& name)
{
    if (!hasData())
        return;
    const QString cut = name.left(NameSize);
    content_name = cut;
    while (data.size() < NameOffset + NameSize)
        data.append(0);
    data.writeText(NameOffset, cut, NameSize);
}

QString XS_ARP::info() const
{
    return toString() + VarArgs::format(QStringLiteral("\ndvce size = %d"), data.size());
}

void ARPEvent::setMessage(const MidiMessage& message)
{
    status = message.status;
    data.reset();
    data.append(message.data1);
    data.append(message.data2);
}

MidiMessage ARPEvent::message() const
{
    if (status == Meta || status == Exclusive || data.size() < 2)
        return MidiMessage();
    return MidiMessage(status, data[0], data[1]);
}

bool ARPEvent::fromArchive(Archive& archive)
{
    data.reset();
    delta = archive.readVarLength();
    status = quint8(archive.readBYTE());
    switch (status) {
    case Meta:
        metaType = quint8(archive.readBYTE());
        return readBytes(archive, archive.readVarLength(), data);
    case Exclusive:
        return readBytes(archive, archive.readVarLength(), data);
    case NoteOn:
        data.append(archive.readBYTE());
        data.append(archive.readBYTE());
        break;
    case NoteOff:
        data.append(archive.readBYTE());
        data.append(0);
        break;
    default:
        break;
    }
    return archive.ok();
}

void ARPEvent::toArchive(Archive& archive) const
{
    archive.writeVarLength(delta);
    archive.writeBYTE(status);
    switch (status) {
    case Meta:
        archive.writeBYTE(metaType);
        archive.writeVarLength(quint32(data.size()));
        archive << data;
        break;
    case Exclusive:
        archive.writeVarLength(quint32(data.size()));
        archive << data;
        break;
    case NoteOn:
        archive.writeBYTE(data.at(0));
        archive.writeBYTE(data.at(1));
        break;
    case NoteOff:
        archive.writeBYTE(data.at(0));
        break;
    default:
        break;
    }
}

QString ARPEvent::toString() const
{
    if (status == Meta && (metaType == 0x02 || metaType == 0x03))
        return VarArgs::format(QStringLiteral("%d: META(%02X)='%s'"), delta, int(metaType), text());
    if (status == Meta)
        return VarArgs::format(QStringLiteral("%d: META(%02X)=%s"), delta, int(metaType), data.toString(-1));
    return VarArgs::format(QStringLiteral("%d: %02X %s"), delta, int(status), data.toString(-1));
}
