#include "MidiPort.h"

#include "Buffer.h"
#include "MidiMessage.h"
#include "MidiReceiveThread.h"
#include "Patch.h"
#include "PortInfo.h"
#include "Profile.h"

namespace {

// A channel below 0 is "no channel": the message is not sent. Others are cut
// to the four bits the status byte has room for.
bool channelBits(int channel, unsigned char& bits)
{
    if (channel < 0)
        return false;
    bits = static_cast<unsigned char>(channel & 0x0F);
    return true;
}

unsigned int packShort(int status, int data1, int data2)
{
    return unsigned(status & 0xFF) | (unsigned(data1 & 0x7F) << 8) | (unsigned(data2 & 0x7F) << 16);
}

bool inDataRange(int value)
{
    return value >= 0 && value <= 127;
}

// Each thread's own: a send runs on the thread that sends.
thread_local int lastSend = MidiStatusOk;

} // namespace

// MidiPort

MidiPort::~MidiPort() = default;

void MidiPort::setName(const QString& name)
{
    close();
    // A name saved under an older numbering of the system's endpoints still
    // matches the lists, which hold names in this form too.
    m_name = midiBackend()->normalizedName(name);
}

bool MidiPort::hasName() const
{
    return !m_name.isEmpty() && m_name != QLatin1String("(none)");
}

bool MidiPort::createClient()
{
    m_status = midiBackend()->createClient();
    return m_status == MidiStatusOk;
}

void MidiPort::fromRegistry(const QString& key)
{
    setName(Profile::readProfileString(QString(), key, QString()));
}

void MidiPort::toRegistry(const QString& key)
{
    Profile::writeProfileString(QString(), key, m_name);
}

int MidiPort::endpointToOpen()
{
    if (!hasName())
        return -1;
    const int i = id();
    if (i == -1 || !createClient())
        return -1;
    return i;
}

// MidiOutPort

MidiOutPort::~MidiOutPort()
{
    close();
}

bool MidiOutPort::open()
{
    close();
    const int i = endpointToOpen();
    if (i == -1)
        return false;
    std::unique_ptr<MidiOutputHandle> handle;
    m_status = midiBackend()->openOutput(i, m_name, m_name, handle);
    if (m_status != MidiStatusOk || !handle)
        return false;
    std::lock_guard lock(m_sendMutex);
    m_handle = std::move(handle);
    m_port = reinterpret_cast<quintptr>(m_handle.get());
    return true;
}

void MidiOutPort::close()
{
    std::lock_guard lock(m_sendMutex);
    m_port = 0;
    m_handle.reset();
}

int MidiOutPort::id()
{
    return indexIn(MidiOutPorts);
}

int MidiOutPort::sendLocked(const unsigned char* data, int size)
{
    lastSend = !m_handle || !data || size <= 0 ? MidiStatusInvalid : m_handle->send(data, size);
    return lastSend == MidiStatusOk ? size : 0;
}

int MidiOutPort::lastSendStatus()
{
    return lastSend;
}

void MidiOutPort::sendShortLocked(unsigned int message)
{
    const MidiMessage m(message);
    // A data byte in front would be read as running status, and F0/F7 would
    // open or close a system-exclusive message on the cable.
    if (m.status < 0x80 || m.status == 0xF0 || m.status == 0xF7)
        return;
    const unsigned char bytes[3] = {m.status, static_cast<unsigned char>(m.data1 & 0x7F),
                                    static_cast<unsigned char>(m.data2 & 0x7F)};
    sendLocked(bytes, m.size());
}

void MidiOutPort::sendShort(unsigned int message)
{
    std::lock_guard lock(m_sendMutex);
    sendShortLocked(message);
}

void MidiOutPort::sendShort(int status, int data1, int data2)
{
    sendShort(packShort(status, data1, data2));
}

int MidiOutPort::sendSysex(const unsigned char* data, int size)
{
    if (!data || size <= 0) {
        lastSend = MidiStatusInvalid;
        return 0;
    }
    std::lock_guard lock(m_sendMutex);
    return sendLocked(data, size);
}

int MidiOutPort::sendSysex(const Buffer* buffer)
{
    if (!buffer)
        return 0;
    return sendSysex(buffer->data(), buffer->size());
}

int MidiOutPort::sendSysex(const QString& text)
{
    Buffer buffer;
    if (!buffer.fromString(text))
        return 0;
    return sendSysex(&buffer);
}

void MidiOutPort::songSelect(int song)
{
    sendShort(0xF3, song, 0x3F);
}

void MidiOutPort::programChange(int program, int channel)
{
    unsigned char ch = 0;
    if (channelBits(channel, ch))
        sendShort(0xC0 | ch, program, 0);
}

void MidiOutPort::noteOff(int note, int channel)
{
    unsigned char ch = 0;
    if (channelBits(channel, ch))
        sendShort(0x80 | ch, note, 0);
}

void MidiOutPort::noteOn(int note, int velocity, int channel)
{
    unsigned char ch = 0;
    if (channelBits(channel, ch))
        sendShort(0x90 | ch, note, velocity);
}

void MidiOutPort::controllerChange(int controller, int value, int channel)
{
    unsigned char ch = 0;
    if (channelBits(channel, ch))
        sendShort(0xB0 | ch, controller, value);
}

void MidiOutPort::patchChange(int msb, int lsb, int program, int channel)
{
    unsigned char ch = 0;
    if (!channelBits(channel, ch))
        return;
    // One lock for the three messages: a bank select of another thread in
    // between would select a different patch.
    std::lock_guard lock(m_sendMutex);
    if (inDataRange(msb) && inDataRange(lsb)) {
        sendShortLocked(packShort(0xB0 | ch, 0, msb));
        sendShortLocked(packShort(0xB0 | ch, 32, lsb));
    }
    if (inDataRange(program))
        sendShortLocked(packShort(0xC0 | ch, program, 0));
}

void MidiOutPort::patchChange(const Patch& patch, int channel)
{
    if (!patch.isValid() || channel == -1)
        return;
    patchChange(patch.bank.msb, patch.bank.lsb, patch.program, channel);
}

void MidiOutPort::resetControllers()
{
    for (int channel = 0; channel < 16; ++channel)
        controllerChange(121, 0, channel);
}

void MidiOutPort::notesOff(int channel)
{
    controllerChange(123, 0, channel);
    controllerChange(120, 0, channel);
}

void MidiOutPort::allNotesOff()
{
    for (int channel = 0; channel < 16; ++channel)
        notesOff(channel);
}

void MidiOutPort::initGM()
{
    static const unsigned char gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    sendSysex(gmOn, int(sizeof gmOn));
}

void MidiOutPort::initXG()
{
    static const unsigned char xgOn[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    sendSysex(xgOn, int(sizeof xgOn));
}

void MidiOutPort::requestId(int deviceId)
{
    // The device number is the low nibble of a data byte; a larger one would
    // not fit the request.
    if (deviceId < 0 || deviceId > 15)
        return;
    const unsigned char request[] = {0xF0, 0x7E, static_cast<unsigned char>(deviceId), 0x06, 0x01, 0xF7};
    sendSysex(request, int(sizeof request));
}

// MidiInPort

MidiInPort::MidiInPort(IMidiPortOwner* owner)
    : m_buffer(std::make_unique<unsigned char[]>(SysexLimit)), m_owner(owner)
{
}

MidiInPort::~MidiInPort()
{
    close();
}

bool MidiInPort::open()
{
    close();
    const int i = endpointToOpen();
    if (i == -1)
        return false;
    std::unique_ptr<MidiInputHandle> handle;
    m_status = midiBackend()->openInput(i, m_name, m_name, this, handle);
    if (m_status != MidiStatusOk || !handle)
        return false;
    m_handle = std::move(handle);
    m_port = reinterpret_cast<quintptr>(m_handle.get());
    return true;
}

void MidiInPort::close()
{
    m_port = 0;
    if (!m_handle)
        return;
    // The backend first: once its handle is gone it queues nothing more for
    // us. Then what it queued and a hook running on it now.
    m_handle.reset();
    MidiReceiveThread::instance().forget(this);
}

void MidiInPort::receivePacket(const unsigned char* data, int size)
{
    MidiReceiveThread::instance().queue(this, data, size);
}

int MidiInPort::id()
{
    return indexIn(MidiInPorts);
}

void MidiInPort::onShortMessage(unsigned int message)
{
    if (MidiMessage::Status(message) == 0xFE)
        return;
    if (m_owner)
        m_owner->OnShortMessage(this, message);
}

void MidiInPort::onLongMessage(unsigned char* data, int size)
{
    if (m_owner)
        m_owner->OnLongMessage(this, data, size);
}

void MidiInPort::appendSysex(unsigned char byte)
{
    if (m_sysexSize >= SysexLimit) {
        // Longer than any message we can hand on: drop it whole. Its remaining
        // data bytes have no status and fall away on the short path.
        m_inSysex = false;
        m_sysexSize = 0;
        return;
    }
    m_buffer[m_sysexSize++] = byte;
}

void MidiInPort::ReceiveProc(const unsigned char* data, int size)
{
    if (!data || size <= 0)
        return;

    // A short message never continues from one packet into the next.
    unsigned int message = 0;
    int count = 0; // bytes of message read so far; 0 while waiting for a status
    int length = 0;
    for (int i = 0; i < size; ++i) {
        const unsigned char b = data[i];
        if (b >= 0xF8) {
            // Real-time bytes may stand between any two bytes, even inside a
            // system-exclusive message; they are messages of their own. Our
            // backends deliver each one as a packet of its own: clock, start,
            // continue, stop and reset reach the owner that way too, and only
            // active sensing stops at the port.
            onShortMessage(b);
            continue;
        }
        if (b == 0xF0) {
            // A message still open lost its end; it is dropped.
            m_inSysex = true;
            m_sysexSize = 0;
            appendSysex(b);
            count = 0;
            continue;
        }
        if (b == 0xF7) {
            if (m_inSysex) {
                appendSysex(b);
                if (m_inSysex) {
                    onLongMessage(m_buffer.get(), m_sysexSize);
                    m_inSysex = false;
                    m_sysexSize = 0;
                }
            }
            count = 0;
            continue;
        }
        if (b >= 0x80) {
            // Any other status ends an open system-exclusive message, which
            // lost its F7: it is dropped, and the status starts a message.
            m_inSysex = false;
            m_sysexSize = 0;
            message = b;
            count = 1;
            length = MidiMessage(unsigned(b)).size();
        } else if (m_inSysex) {
            appendSysex(b);
            continue;
        } else if (count == 0) {
            // A data byte without a status: running status is not followed.
            continue;
        } else {
            message |= unsigned(b) << (8 * count);
            ++count;
        }
        if (count == length) {
            onShortMessage(message);
            count = 0;
        }
    }
}
