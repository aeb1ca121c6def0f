#include "SimWire.h"

#include "SimProtocol.h"

namespace Sim {

qint64 Wire::wireTimeUs(qsizetype bytes)
{
    return qint64(bytes) * 1000000 / WireBytesPerSecond;
}

QList<QByteArray> Wire::garbage()
{
    return {QByteArray::fromHex("1234"), QByteArray::fromHex("F7"), QByteArray::fromHex("F07D0102F7")};
}

QList<Packet> Wire::schedule(const Reply& reply, qint64 nowUs)
{
    if (!m_online || reply.messages.isEmpty())
        return {};

    FaultSetting& setting = m_faults[reply.kind];
    FaultSetting fault = setting;
    if (setting.fault != Fault::None && setting.after > 0) {
        --setting.after;
        fault = FaultSetting();
    } else if (setting.fault != Fault::None && setting.times > 0 && --setting.times == 0) {
        setting = FaultSetting();
    }

    QList<QByteArray> messages = reply.messages;
    const int hit = fault.value >= 0 ? fault.value : int(messages.size() / 2);
    qint64 extraUs = 0;
    switch (fault.fault) {
    case Fault::Drop:
        return {};
    case Fault::Delay:
        extraUs = qint64(qMax(0, fault.value)) * 1000;
        break;
    case Fault::Truncate:
        if (hit < messages.size())
            messages[hit].truncate(messages[hit].size() / 2);
        break;
    case Fault::BadChecksum:
        if (hit < messages.size() && Message::parse(messages[hit]).kind == Message::BulkDump) {
            QByteArray& m = messages[hit];
            m[m.size() - 2] = char((quint8(m[m.size() - 2]) + 1) & 0x7F);
        }
        break;
    case Fault::Garbage: {
        QList<QByteArray> mixed;
        for (const QByteArray& m : messages)
            mixed << garbage() << m;
        messages = mixed;
        break;
    }
    case Fault::Twice:
        messages += QList<QByteArray>(messages);
        break;
    case Fault::Disconnect:
        messages = messages.mid(0, hit);
        m_online = false;
        break;
    case Fault::Omit:
        if (hit < messages.size())
            messages.removeAt(hit);
        break;
    case Fault::Hollow:
        if (messages.size() > 2)
            messages = {messages.first(), messages.last()};
        break;
    case Fault::None:
        break;
    }

    QList<Packet> packets;
    qint64 at = qMax(nowUs + extraUs, m_busyUntilUs);
    for (const QByteArray& m : messages) {
        if (m_pacing)
            at += wireTimeUs(m.size());
        // Rounded up: a message is never there before its last byte.
        packets.append({int((at - nowUs + 999) / 1000), m});
    }
    m_busyUntilUs = at;
    return packets;
}

} // namespace Sim
