// The cable between the simulated instrument and the host: it turns the
// instrument's replies into packets with the time each reaches the host, and
// misbehaves on demand.
//
// Pacing: off, every reply arrives at once; on, at the wire rate of a MIDI
// cable (3125 bytes a second), each message when its last byte is through.
// Either way replies keep their order: a reply that is held back (a delay
// fault, or a long block still on the wire) holds back the ones after it.
//
// Faults, set per reply kind, each for the next `times` replies of the kind or
// for all:
//   Drop         the reply is not sent
//   Delay        it is sent `value` ms late
//   Truncate     message `value` loses its second half, F7 included
//   BadChecksum  message `value` carries a wrong checksum (bulk dumps only:
//                other messages have none)
//   Garbage      stray bytes before and between the messages: data bytes
//                without status, a lone F7 and another maker's message
//   Twice        the whole reply is sent two times
//   Disconnect   messages before `value` go out, then the cable is pulled:
//                nothing goes either way until it is plugged in again
//   Omit         message `value` is left out (the last: a block without its
//                footer)
//   Hollow       only the first and the last message go out (a block of
//                header and footer with nothing between)
// A `value` of -1 means the middle message (the only one of a one-message
// reply). A fault may let the first `after` replies of its kind pass
// untouched, so that it hits the reply to a later request.
//
// Not thread-safe: the owner serialises access.
#pragma once

#include "SimInstrument.h"

#include <QByteArray>
#include <QList>

#include <array>

namespace Sim {

enum class Fault
{
    None,
    Drop,
    Delay,
    Truncate,
    BadChecksum,
    Garbage,
    Twice,
    Disconnect,
    Omit,
    Hollow
};

struct FaultSetting
{
    Fault fault = Fault::None;
    int value = -1;
    int times = -1; // replies it hits; -1 all
    int after = 0;  // replies it lets pass first
};

struct Packet
{
    int delayMs = 0; // from the moment of scheduling
    QByteArray bytes;
};

class Wire
{
public:
    void setPacing(bool on) { m_pacing = on; }
    bool pacing() const { return m_pacing; }
    void setFault(ReplyKind kind, const FaultSetting& fault) { m_faults[kind] = fault; }
    FaultSetting fault(ReplyKind kind) const { return m_faults[kind]; }
    void clearFaults() { m_faults.fill(FaultSetting()); }
    bool isOnline() const { return m_online; }
    void setOnline(bool online) { m_online = online; }

    // The packets of a reply, given the time now on any steady clock in
    // microseconds. Empty while the cable is pulled.
    QList<Packet> schedule(const Reply& reply, qint64 nowUs);

    // How long bytes take on the cable, in microseconds.
    static qint64 wireTimeUs(qsizetype bytes);
    // The stray bytes of the Garbage fault, one packet each.
    static QList<QByteArray> garbage();

private:
    bool m_pacing = false;
    bool m_online = true;
    std::array<FaultSetting, ReplyKindCount> m_faults{};
    qint64 m_busyUntilUs = 0; // when the last scheduled byte is through
};

} // namespace Sim
