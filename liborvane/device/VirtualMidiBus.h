// An in-process MIDI system: named sources and destinations that live only in
// this process. Tests run on it (ORVANE_MIDI_BACKEND=virtual) to play the
// instrument's side of the cable: they make endpoints, inject packets on a
// source with the boundaries they choose, read back every byte sent to a
// destination, attach a responder that answers what a destination receives,
// and make opens or sends fail.
//
// Endpoints are addressed by their current index, as the system lists them;
// removing one moves the later ones down. Ports opened on an endpoint stay
// attached to it when it is renamed; when it is removed they go dead (sends
// fail, nothing arrives).
//
// Injected packets and responder calls run on the bus's own delivery thread,
// one at a time, in order of their due time and then of submission.
#pragma once

#include "MidiBackend.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <memory>

class VirtualMidiBus : public MidiBackend
{
public:
    // Called on the delivery thread with each packet sent to the destination
    // it is attached to. It may call any operation of the bus except reset.
    using Responder = std::function<void(VirtualMidiBus& bus, const QByteArray& packet)>;

    VirtualMidiBus();
    ~VirtualMidiBus() override;
    VirtualMidiBus(const VirtualMidiBus&) = delete;
    VirtualMidiBus& operator=(const VirtualMidiBus&) = delete;

    // The bus this process runs on, or null when it runs on another backend.
    static VirtualMidiBus* instance();

    // Back to a bus without endpoints, responders, recordings, pending packets,
    // failures or size limit. Waits for a delivery in progress and until what
    // was delivered has reached the ports' owners; ports still open go dead.
    void reset();

    // Endpoints. add returns the new endpoint's index (it is appended).
    int addEndpoint(MidiEndpointKind kind, const QString& name);
    int addSource(const QString& name) { return addEndpoint(MidiEndpointKind::Source, name); }
    int addDestination(const QString& name) { return addEndpoint(MidiEndpointKind::Destination, name); }
    bool removeEndpoint(MidiEndpointKind kind, int index);
    bool renameEndpoint(MidiEndpointKind kind, int index, const QString& name);
    // An unreadable endpoint keeps its index but is left out of discovery and
    // cannot be opened.
    bool setEndpointReadable(MidiEndpointKind kind, int index, bool readable);
    int endpointCount(MidiEndpointKind kind) const;
    // The first endpoint of that name, or -1.
    int endpointIndex(MidiEndpointKind kind, const QString& name) const;
    // How many ports are open on the endpoint now.
    int openPortCount(MidiEndpointKind kind, int index) const;

    // Failures on demand; MidiStatusOk clears them. The client failure answers
    // createClient; an open failure answers every open of that endpoint; a send
    // failure answers every send to that destination (nothing is recorded).
    void setClientFailure(int status);
    bool setOpenFailure(MidiEndpointKind kind, int index, int status);
    bool setSendFailure(int destination, bool fail);
    // The largest message a send takes, as a system with a limit has one;
    // MidiNoSizeLimit (the default) for none.
    void setMaxMessageSize(int size);

    // Delivers packets, in order and each as one packet, to every port open on
    // the source, after delayMs milliseconds. False for an unknown source.
    bool inject(int source, const QList<QByteArray>& packets, int delayMs = 0);
    bool inject(int source, const QByteArray& packet, int delayMs = 0)
    {
        return inject(source, QList<QByteArray>{packet}, delayMs);
    }
    // Waits until nothing is queued or being delivered (delayed packets
    // included) and the input ports have handed everything delivered to their
    // owners; false if that did not happen within timeoutMs.
    bool waitIdle(int timeoutMs = 5000);

    // Every packet sent to the destination since it was made or last cleared.
    QList<QByteArray> sentPackets(int destination) const;
    // The same bytes without the packet boundaries.
    QByteArray sentBytes(int destination) const;
    void clearSent();

    // Attaches (or, with an empty function, removes) the destination's
    // responder.
    bool setResponder(int destination, Responder responder);

    // MidiBackend
    QString apiName() const override;
    int createClient() override;
    QList<MidiEndpoint> endpoints(MidiEndpointKind kind) override;
    int maxMessageSize() const override;
    int openOutput(int index, const QString& endpointName, const QString& portName,
                   std::unique_ptr<MidiOutputHandle>& handle) override;
    int openInput(int index, const QString& endpointName, const QString& portName,
                  MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle) override;

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};
