// The seam between the MIDI ports and the system's MIDI service.
//
// A backend lists the system's sources (endpoints we receive from) and
// destinations (endpoints we send to) by index and name, opens ports on them,
// sends bytes and delivers received bytes on a thread of its own. Two backends
// exist: the system's (RtMidi for the ALSA sequencer, JackMidiBackend for
// JACK) and an in-process virtual bus for tests. Which one a process uses is
// decided on first use by the rule in MidiSystems.h: the one that
// ORVANE_MIDI_BACKEND names ("virtual", "alsa" or "jack"), else the ALSA
// sequencer if it opens, else JACK if a server runs, else an empty virtual
// bus until one of them appears (rescanMidiSystems).
//
// Nothing here throws; every failure is a status code (0 is success).
#pragma once

#include <QList>
#include <QString>

#include <memory>

// Status codes of backend calls; MidiPort keeps the last one in m_status.
enum MidiBackendStatus : int
{
    MidiStatusOk = 0,
    MidiStatusClientFailed = 1,  // the backend's client could not be made
    MidiStatusNoEndpoint = 2,    // no endpoint of that name (any longer)
    MidiStatusPortFailed = 3,    // the backend refused to make the port
    MidiStatusConnectFailed = 4, // the port could not be connected to its endpoint
    MidiStatusSendFailed = 5,    // the bytes did not go out
    MidiStatusInvalid = 6,       // nothing to send, or a closed port
    MidiStatusTooLarge = 7       // longer than the backend's largest message
};

// The largest message of a backend that has no limit of its own.
constexpr int MidiNoSizeLimit = 0x7FFFFFFF;

enum class MidiEndpointKind
{
    Source,
    Destination
};

// One endpoint as discovery lists it. index is the system's own index; an
// endpoint whose name cannot be read is left out, so the list may have gaps.
struct MidiEndpoint
{
    int index = -1;
    QString name;
};

// Receives the bytes of one source. receivePacket runs on the backend's own
// thread, never on the thread that opened the port; data is valid only during
// the call. It must return at once (the backend's thread may carry every port
// of the process): our input ports only queue the bytes for the receive
// thread (MidiReceiveThread.h).
class MidiPacketReceiver
{
public:
    virtual void receivePacket(const unsigned char* data, int size) = 0;

protected:
    ~MidiPacketReceiver() = default;
};

// An open output port. Destroying it closes the port. send is not serialised
// here: the caller guards one handle against concurrent sends.
class MidiOutputHandle
{
public:
    virtual ~MidiOutputHandle() = default;
    // Sends size bytes as one packet; a status code. A message longer than the
    // backend's maxMessageSize() is refused whole (MidiStatusTooLarge): no
    // part of it goes out.
    virtual int send(const unsigned char* data, int size) = 0;
};

// An open input port. Destroying it closes the port; once the destructor has
// returned, its receiver is never called again (a receive running on the
// backend thread is waited for).
class MidiInputHandle
{
public:
    virtual ~MidiInputHandle() = default;
};

class MidiBackend
{
public:
    virtual ~MidiBackend() = default;

    // "virtual", "alsa", "jack" or the name RtMidi gives its default.
    virtual QString apiName() const = 0;

    // Makes the backend's client once; a failure is tried again on the next
    // call. A status code.
    virtual int createClient() = 0;

    // The current sources or destinations in the system's order. Our own
    // ports never appear here.
    virtual QList<MidiEndpoint> endpoints(MidiEndpointKind kind) = 0;

    // The form under which a name is listed and compared. Identity except
    // where the system decorates names with changing numbers.
    virtual QString normalizedName(const QString& name) const { return name; }

    // The longest message (system exclusive, F0 to F7) one send delivers
    // whole; MidiNoSizeLimit when the backend has no limit of its own.
    virtual int maxMessageSize() const { return MidiNoSizeLimit; }

    // Opens a port on the endpoint listed at index under endpointName. When
    // the system renumbered its endpoints since the list was made, the first
    // endpoint of that name is taken; none of that name fails with
    // MidiStatusNoEndpoint. portName names our own port. A status code; on
    // success handle holds the open port.
    virtual int openOutput(int index, const QString& endpointName, const QString& portName,
                           std::unique_ptr<MidiOutputHandle>& handle) = 0;
    // As openOutput; receiver gets every packet that arrives from the source
    // and must outlive the handle.
    virtual int openInput(int index, const QString& endpointName, const QString& portName,
                          MidiPacketReceiver* receiver, std::unique_ptr<MidiInputHandle>& handle) = 0;
};

struct MidiSystemProblem;

// The backend of this process, chosen on first use (MidiSystems.h). Never
// null. Any thread.
MidiBackend* midiBackend();
// While the process has no MIDI system that opens and the environment named
// none, applies the rule again: a system that appeared since (a JACK server
// started after the program) serves every port opened from then on. Ports
// open on the backend before stay on it. Port discovery calls it, so the MIDI
// set-up, connecting and auto-connection all find a new system.
void rescanMidiSystems();
// Why the process's MIDI cannot work now (its system does not open, or none
// was found); empty while its system opens.
MidiSystemProblem currentMidiSystemProblem();

// Helpers of the system backends.
// The endpoint listed at index when it still has that name, else the first
// one of that name; -1 when there is none.
int resolveMidiEndpoint(const QList<MidiEndpoint>& list, int index, const QString& name);
// A name for a port of our own, valid for every MIDI system: JACK takes the
// first colon of a full name as the end of the client name.
QString ownMidiPortName(const QString& name);
