// A scripted test instrument on the virtual MIDI bus.
//
// It owns a destination (what the program sends to it) and a source (what it
// answers on), both under its name, and answers the requests of the test
// instrument's protocol (TestSysex.h):
//   identity request  F0 7E 0n 06 01 F7       -> TestSysex::identityReplyText(n)
//   bulk request      F0 43 2n 7F 00 aa aa aa -> header, blocks, footer (BulkReply)
//   parameter request F0 43 3n 7F 00 aa aa aa -> parameter change with the value
// A test sets how it answers (late, partly, split over packets, not at all)
// before it makes the request; the answers run on the bus's delivery thread.
// Everything else sent to it is only recorded by the bus.
//
// Beside it: BusDevice, the test instrument's device with its switches and its
// identity poll within reach, and RecordingClient, a client that writes down
// what the device hands it, with source and thread.
#pragma once

#include "MidiClient.h"
#include "TestSysex.h"
#include "VirtualMidiBus.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QThread;
class Task_Poller;

class TestInstrument
{
public:
    // How a bulk request is answered: an optional header, `blocks` data blocks
    // and an optional footer, in that order.
    struct BulkReply
    {
        bool answer = true; // false: the request goes unanswered
        int blocks = 3;     // data blocks between header and footer
        int blockSize = 16; // data bytes per block
        bool header = true;
        bool footer = true;
        int count = -1;     // messages sent, from the first on; -1 all (fewer: a partial dump)
        int delayMs = 0;    // before the first message
        int gapMs = 0;      // between two messages
        int packetSize = 0; // the stream cut into packets of this many bytes; 0 one packet a message
        // Messages slipped in before the message of that index (the count of
        // the dump's messages for after the last), as if the user played with
        // the instrument meanwhile.
        QList<QPair<int, QByteArray>> inserts;
    };

    // Makes a destination and a source named name on the bus.
    TestInstrument(VirtualMidiBus& bus, const QString& name = QStringLiteral("Test Instrument"));
    // Stops answering; an answer being sent right now finishes safely.
    ~TestInstrument();
    TestInstrument(const TestInstrument&) = delete;
    TestInstrument& operator=(const TestInstrument&) = delete;

    QString name() const { return m_name; }
    int source() const { return m_source; }
    int destination() const { return m_destination; }

    // Settings of the answers; each takes effect for the next request.
    void setAnswersIdentity(bool on);
    void setIdentityDelay(int ms);
    // The identity reply sent in place of TestSysex::identityReplyText (an
    // empty array restores that one).
    void setIdentityReply(const QByteArray& reply);
    void setBulkReply(const BulkReply& reply);
    // The messages a bulk request for an address is answered with, in place
    // of the generated blocks; the other settings of the bulk reply (count,
    // delays, packets, inserts) still apply. An empty function restores the
    // generated blocks.
    using BulkScript = std::function<QList<QByteArray>(unsigned int address)>;
    void setBulkScript(BulkScript script);
    // The value a parameter request for address is answered with, as size
    // 7-bit bytes. A parameter that was never set goes unanswered.
    void setParameter(unsigned int address, int value, int size = 1);
    void setParameterDelay(int ms);

    // The requests seen so far.
    int identityRequests() const;
    int bulkRequests() const;
    int parameterRequests() const;

    // The messages (F0..F7 each) a bulk request at address is answered with
    // under the current settings, inserts left out.
    QList<QByteArray> bulkMessages(unsigned int address) const;
    // A parameter change as the instrument sends it when its panel is used.
    static QByteArray parameterChange(unsigned int address, int value, int size = 1);

    // Sends bytes from the instrument, cut into packets of packetSize bytes
    // (0: one packet), after delayMs.
    void send(const QByteArray& bytes, int delayMs = 0, int packetSize = 0);
    void sendHex(const QString& hex, int delayMs = 0) { send(QByteArray::fromHex(hex.toLatin1()), delayMs); }

private:
    struct State;

    VirtualMidiBus& m_bus;
    QString m_name;
    int m_destination = -1;
    int m_source = -1;
    // Shared with the responder, which may still run on the bus thread while
    // this object goes.
    std::shared_ptr<State> m_state;
};

// A device of the test instrument for tests on the bus: the instrument's
// capabilities can be switched, and the identity poll reached.
class BusDevice : public TestDevice
{
public:
    BusDevice();
    // Stops the poll while the device is still whole.
    ~BusDevice() override;

    // Names both main ports after the instrument (the auxiliary ones stay as
    // they are) and opens the ports; with poll, the identity poll starts.
    void attach(const TestInstrument& instrument, bool poll = false);

    Task_Poller* poller() { return m_poller.get(); }
    void setChannel(int channel) { m_channel = channel; }
    void neverSend(unsigned int address) { m_noSendAddresses.append(address); }
    using MidiDevice::setReceiveLimits;

    bool hasKeyboard() override { return keyboard.load(); }
    bool hasDeviceId() override { return deviceId.load(); }

    // Read on the receive thread.
    std::atomic<bool> keyboard{true};
    std::atomic<bool> deviceId{false};
};

// Holds the window a RecordingClient reports to; a base so that the window
// exists before the client registers.
struct ClientWindow
{
    QWidget ownWindow;
};

// A client that writes down everything its device hands it.
class RecordingClient : private ClientWindow, public MidiClient
{
public:
    struct Event
    {
        enum Kind
        {
            Short,
            Sysex,
            PatchChange
        };
        Kind kind;
        QString text; // hex bytes of a message ("90 3C 40"), or the patch as Patch::toString prints it
        MidiSource source;
        QThread* thread; // where the client was called
        qint64 ms;       // when, on the client's clock
    };

    explicit RecordingClient(MidiDevice* device);

    void OnConnect() override;
    void OnMidiMessage(const MidiMessage& message, MidiSource source) override;
    void OnSysex(::Sysex* message, MidiSource source) override;
    void OnPatchChange(Patch patch, MidiSource source) override;

    QList<Event> events() const;
    // The texts of the events of one kind, optionally from one source only.
    QStringList texts(Event::Kind kind, int source = -1) const;
    int connects() const { return m_connects.load(); }
    // Whether every call so far came on that thread.
    bool allOn(QThread* thread) const;
    void clear();

private:
    void add(Event::Kind kind, const QString& text, MidiSource source);

    // Echoes of sends come on the sending thread; everything else on the GUI
    // thread.
    mutable QMutex m_mutex;
    QList<Event> m_events;
    QElapsedTimer m_clock;
    std::atomic<int> m_connects{0};
};
