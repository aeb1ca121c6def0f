// The simulated instrument on a MIDI transport: the instrument's behaviour
// (SimInstrument.h) behind a cable that paces and misbehaves (SimWire.h).
//
// Simulator is the thread-safe whole: the transport hands it the packets the
// host sends, on the transport's receive thread; the test or the program's
// console drives the front panel and the faults from any other thread. Replies
// leave through the Sender given at construction, with the delay after which
// they are due at the host. Two transports exist: BusSimulator below (the
// virtual MIDI bus, for tests) and the program instrument-sim (RtMidi ports).
//
// The simulator reads the instrument's messages itself and uses nothing of the
// suite's instrument model; it shares only the initial patch files with it.
// Nothing here throws.
#pragma once

#include "SimInstrument.h"
#include "SimProtocol.h"
#include "SimWire.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QString>

#include <functional>
#include <memory>

class VirtualMidiBus;

namespace Sim {

class Simulator
{
public:
    // Sends one packet to the host after delayMs. Called with the simulator's
    // lock held: it must not call back into the simulator.
    using Sender = std::function<void(const QByteArray& packet, int delayMs)>;

    explicit Simulator(Sender sender);

    // Loads the initial patches and starts afresh: Voice mode, every location
    // named, no faults, no pacing, cable plugged in. False with the reason in
    // error; the simulator then answers nothing.
    bool load(const Options& options, QString* error);
    // The sender goes: nothing is sent any more.
    void detach();

    // Bytes from the host, one packet of the transport. Any thread.
    void receive(const unsigned char* data, int size);

    // The front panel; each sends the instrument's report.
    void selectMode(int mode);
    void selectMaster(int program);
    void selectMulti(int number);
    void selectPatch(unsigned short bankWord, int program);
    void editParameter(unsigned int address, const QByteArray& data);
    // A block as the instrument sends it when asked on its panel; false for an
    // unknown block.
    bool sendBlock(unsigned int block);
    void playNote(int note, int velocity = 100);

    // The cable.
    void setPacing(bool on);
    void setFault(ReplyKind kind, Fault fault, int value = -1, int times = -1, int after = 0);
    void clearFaults();
    bool isOnline() const;
    // Plugging the cable in again also drops a message it cut in half.
    void setOnline(bool online);

    // The instrument's state. inspect runs f on it under the lock and returns
    // what f returns; modify lets f change it.
    template <typename F>
    auto inspect(F f) const
    {
        QMutexLocker lock(&m_mutex);
        return f(static_cast<const Instrument&>(m_instrument));
    }
    template <typename F>
    void modify(F f)
    {
        QMutexLocker lock(&m_mutex);
        f(m_instrument);
    }
    int mode() const;
    QString name(unsigned int block) const;
    QByteArray image(unsigned int block) const;
    Instrument::Counters counters() const;
    QStringList refusals() const;
    // Every message received, oldest first (see Instrument::received).
    QList<QByteArray> received() const;
    void clearReceived();

private:
    // With m_mutex held.
    void send(const Reply& reply);

    mutable QMutex m_mutex; // guards everything below
    Sender m_sender;
    Instrument m_instrument;
    Wire m_wire;
    Stream m_stream;
    QElapsedTimer m_clock;
};

// The simulator on the virtual MIDI bus: a destination it listens to and a
// source it answers on, both under its name. A reply runs on the bus's
// delivery thread; the bus delivers each due packet in order.
class BusSimulator
{
public:
    static constexpr const char* DefaultName = "Vesk Sim";

    BusSimulator(VirtualMidiBus& bus, const QString& name = QLatin1String(DefaultName),
                 const Options& options = Options());
    // Stops listening and sending; a reply being delivered finishes.
    ~BusSimulator();
    BusSimulator(const BusSimulator&) = delete;
    BusSimulator& operator=(const BusSimulator&) = delete;

    // Whether the initial patches were read, and why not.
    bool isLoaded() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    Simulator* operator->() { return m_sim.get(); }
    Simulator& sim() { return *m_sim; }
    QString name() const { return m_name; }
    int source() const { return m_source; }
    int destination() const { return m_destination; }

private:
    VirtualMidiBus& m_bus;
    QString m_name;
    int m_source = -1;
    int m_destination = -1;
    QString m_error;
    // Shared with the bus's responder, which may still run while this goes.
    std::shared_ptr<Simulator> m_sim;
};

} // namespace Sim
