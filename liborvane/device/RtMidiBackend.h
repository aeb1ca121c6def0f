// The system's MIDI through RtMidi: the ALSA sequencer on Linux. JACK has a
// backend of its own (JackMidiBackend.h); RtMidi's JACK stays only where its
// own default picks it.
//
// RtMidi has no shared client: every RtMidi object is a client of its own,
// named "ORVANE". The backend keeps one input and one output object for
// listing endpoints (its "client"); each open port owns another object.
// Every RtMidi error is caught here and becomes a status code.
#pragma once

#include "MidiBackend.h"

#include <memory>
#include <mutex>

class RtMidiIn;
class RtMidiOut;

class RtMidiBackend : public MidiBackend
{
public:
    enum Api
    {
        Default,
        Alsa,
        Jack
    };

    explicit RtMidiBackend(Api api);
    ~RtMidiBackend() override;
    RtMidiBackend(const RtMidiBackend&) = delete;
    RtMidiBackend& operator=(const RtMidiBackend&) = delete;

    // ALSA appends the endpoint's changing "client:port" numbers to its name
    // ("Midi Through:Midi Through Port-0 14:0"); a name saved with one
    // numbering must still match after the next, so they are dropped.
    static QString stripClientPortNumbers(const QString& name);
    // Ports of our own clients ("ORVANE:...", and "ORVANE-01:..." as JACK
    // renames a second client of the same name) are not endpoints to offer.
    static bool isOwnPort(const QString& name);

    QString apiName() const override;
    int createClient() override;
    QList<MidiEndpoint> endpoints(MidiEndpointKind kind) override;
    QString normalizedName(const QString& name) const override;
    // On JACK, RtMidi queues what it sends in 16 KiB per port, each message
    // behind its 4-byte length, and silently drops a message that does not
    // fit; so 16379 bytes. ALSA has no limit of its own.
    int maxMessageSize() const override;
    static constexpr int JackMaxMessageSize = 16384 - 1 - 4;
    int openOutput(int index, const QString& endpointName, const QString& portName,
                   std::unique_ptr<MidiOutputHandle>& handle) override;
    int openInput(int index, const QString& endpointName, const QString& portName,
                  MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle) override;

private:
    bool stripsNumbers() const;
    // Makes the client, then gives what a port object needs of it: the API
    // the listing objects run on and whether names lose their numbers. False
    // when the client cannot be made.
    bool portSettings(Api& api, bool& strip);

    const Api m_requested;
    mutable std::mutex m_mutex; // guards the two listing objects and m_current
    std::unique_ptr<RtMidiIn> m_listIn;
    std::unique_ptr<RtMidiOut> m_listOut;
    Api m_current; // the API the listing objects run on; m_requested until they exist
};
