// MIDI input and output ports on the process's MIDI backend.
//
// A port stands for one system endpoint, known only by its name. The name is
// looked up in the discovery lists (MidiInPorts, MidiOutPorts) every time the
// port opens, so a port survives renumbering of the system's endpoints. The
// empty name and "(none)" both mean "no port".
#pragma once

#include "MidiBackend.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

class Buffer;
class MidiInPort;
class Patch;

// What an input port hands its complete messages to. Both run on the receive
// thread (MidiReceiveThread), never on the backend's own thread nor the GUI
// thread; data is the port's own buffer and valid only during the call, so the
// owner copies what it keeps.
class IMidiPortOwner
{
public:
    // One short message, packed status | data1 << 8 | data2 << 16.
    virtual void OnShortMessage(MidiInPort* port, unsigned int message) = 0;
    // One system-exclusive message, F0 to F7 inclusive.
    virtual void OnLongMessage(MidiInPort* port, unsigned char* data, int length) = 0;

protected:
    ~IMidiPortOwner() = default;
};

class MidiPort
{
public:
    MidiPort() = default;
    virtual ~MidiPort();
    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;

    virtual void close() = 0;
    virtual bool isOpened() = 0;
    // Index of the name in the discovery list, -1 when it is not listed.
    virtual int id() = 0;

    // Closes the port, then keeps the name.
    void setName(const QString& name);
    QString name() const { return m_name; }
    bool hasName() const;
    int status() const { return m_status; }

    // Makes the backend's client (once per process; a failure is tried again
    // on the next call); the status goes to m_status.
    bool createClient();

    // The port name saved under key in the top level of the program's profile.
    void fromRegistry(const QString& key);
    void toRegistry(const QString& key);

protected:
    // The first steps of open: the endpoint's index in the discovery list, or
    // -1 when the port has no name, the name is not listed or the client
    // cannot be made.
    int endpointToOpen();

    // The first entry of ports whose name equals ours exactly, -1 for none.
    template <typename List>
    int indexIn(const List& ports) const
    {
        for (const auto& info : ports) {
            if (info.name == m_name)
                return info.id;
        }
        return -1;
    }

    // Status code of the last backend call that createClient or open made;
    // 0 is success. Written and read by the thread that opens the port.
    int m_status = MidiStatusOk;
    // Identity of the open backend port, 0 while closed. Written by open and
    // close; read from any thread by isOpened and equals (a receive thread
    // compares ports).
    std::atomic<quintptr> m_port{0};
    QString m_name;
};

class MidiOutPort : public MidiPort
{
public:
    MidiOutPort() = default;
    ~MidiOutPort() override;

    bool open();
    // Waits for a send running on another thread.
    void close() override;
    bool isOpened() override { return m_port.load() != 0; }
    bool equals(MidiOutPort* other) const { return other && m_port.load() == other->m_port.load(); }
    int id() override;

    // One short message with as many bytes as its kind has (a program change
    // is two). Nothing for a closed port or a first byte that is no status.
    void sendShort(unsigned int message);
    // Data bytes are cut to seven bits.
    void sendShort(int status, int data1, int data2);

    // The bytes as they are, in one packet. Returns size, or 0 when nothing
    // went out: no data, a closed port, a message longer than the MIDI system
    // takes (MidiBackend::maxMessageSize) or a failed send.
    int sendSysex(const unsigned char* data, int size);
    int sendSysex(const Buffer* buffer);
    // The status of the last send the calling thread made on any output port:
    // MidiStatusOk, MidiStatusInvalid (nothing to send, or a closed port),
    // MidiStatusTooLarge or MidiStatusSendFailed.
    static int lastSendStatus();
    // Hex text such as "F0 7E 7F 09 01 F7"; malformed text sends nothing.
    int sendSysex(const QString& text);

    // The fixed messages. A channel below 0 means "no channel" and sends
    // nothing; others are cut to 0..15.
    void songSelect(int song);
    void programChange(int program, int channel);
    void noteOff(int note, int channel);
    void noteOn(int note, int velocity, int channel);
    void controllerChange(int controller, int value, int channel);
    // Bank select when msb and lsb both lie in 0..127, then the program change
    // when the program does.
    void patchChange(int msb, int lsb, int program, int channel);
    // Nothing for an invalid patch or channel -1.
    void patchChange(const Patch& patch, int channel);
    void resetControllers();
    void notesOff(int channel);
    void allNotesOff();
    void initGM();
    void initXG();
    // The universal identity request F0 7E 0n 06 01 F7; nothing for a device
    // number outside 0..15.
    void requestId(int deviceId);

private:
    // The caller holds m_sendMutex.
    int sendLocked(const unsigned char* data, int size);
    void sendShortLocked(unsigned int message);

    // Serialises sends, and open and close against them: the GUI, tasks and
    // MIDI thru all send on the same port.
    std::mutex m_sendMutex;
    std::unique_ptr<MidiOutputHandle> m_handle; // guarded by m_sendMutex
};

class MidiInPort : public MidiPort, private MidiPacketReceiver
{
public:
    // Longest system-exclusive message assembled; a longer one is dropped.
    static constexpr int SysexLimit = 65536;

    explicit MidiInPort(IMidiPortOwner* owner);
    ~MidiInPort() override;

    bool open();
    // Once it returns, the owner is not called again until the next open: what
    // arrived but was not handled yet is dropped, and a hook running right now
    // is waited for (unless close runs inside one of the owner's hooks).
    void close() override;
    bool isOpened() override { return m_port.load() != 0; }
    bool equals(MidiInPort* other) const { return other && m_port.load() == other->m_port.load(); }
    int id() override;

    // Active sensing is dropped; everything else goes to the owner.
    void onShortMessage(unsigned int message);
    void onLongMessage(unsigned char* data, int size);

    // Cuts one received packet into short messages and assembles
    // system-exclusive messages over packets. Runs on the receive thread.
    void ReceiveProc(const unsigned char* data, int size);

private:
    // The backend's thread: the packet only joins the receive thread's queue.
    void receivePacket(const unsigned char* data, int size) override;
    void appendSysex(unsigned char byte);

    // Assembly state: written and read only by ReceiveProc on the receive
    // thread (which close waits for); it survives close and open.
    int m_sysexSize = 0;
    bool m_inSysex = false;
    std::unique_ptr<unsigned char[]> m_buffer; // SysexLimit bytes, made once: nothing is allocated on receive

    IMidiPortOwner* m_owner = nullptr;         // not owned; may be null
    std::unique_ptr<MidiInputHandle> m_handle; // written by open and close only
};
