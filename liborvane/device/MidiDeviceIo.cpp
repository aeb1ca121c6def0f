// The device's traffic: connection, sending, and the receive path.
//
// Three threads meet here. The receive thread (MidiReceiveThread) runs
// OnShortMessage and OnLongMessage; it queues everything the clients are to
// see, as copies, and touches only atomics, the ports, the signal's guarded
// fields and that queue. The GUI thread takes the queue in batches in
// customEvent and so runs every client hook for received data, in the order
// the messages came. Sends run on the caller's thread (a window, or a task)
// and echo to the clients there.
#include "MidiDevice.h"

#include "Buffer.h"
#include "BulkDump.h"
#include "EventMessage.h"
#include "MidiClient.h"
#include "PortInfo.h"
#include "Sysex.h"
#include "SysexSignal.h"
#include "Task_Poller.h"
#include "Timing.h"

#include <QThread>
#include <QTimer>

#include <memory>

namespace {
// Each thread's own: a send runs on the thread that sends.
thread_local QString firstRefusal;

QString refusalText(int status, const QString& port)
{
    switch (status) {
    case MidiStatusTooLarge:
        return QStringLiteral("The message is too long for the MIDI output \"%1\"").arg(port);
    case MidiStatusInvalid:
        return QStringLiteral("The MIDI output \"%1\" is not open").arg(port);
    default:
        return QStringLiteral("The MIDI output \"%1\" did not take the message").arg(port);
    }
}
} // namespace

// --- connection ----------------------------------------------------------------

void MidiDevice::connect(bool poll)
{
    // One poll at a time: a poll still running from an earlier connection is
    // stopped (and ends as it would) before the ports are opened again.
    if (poll)
        m_poller->safeTerminate();

    InitMidiPorts();
    // The lists may come from a MIDI system that has just appeared: the
    // windows stop saying there is none.
    if (QThread::currentThread() == thread())
        notifyClients();

    m_midiIn.open();
    m_midiOut.open();
    if (hasSecondaryPorts()) {
        m_midiIn2.open();
        m_midiOut2.open();
    }
    m_auxIn.open();
    if (hasKeyboard())
        m_auxOut.open();

    if (!poll)
        return;
    if (m_midiIn.isOpened() && m_midiOut.isOpened())
        m_poller->poll(this);
    else
        disconnect();
}

void MidiDevice::disconnect()
{
    // Safe to run twice: the poll's end disconnects too, and closing a closed
    // port does nothing.
    setConnected(false);
    m_poller->safeTerminate();
    m_midiIn.close();
    m_midiOut.close();
    if (hasSecondaryPorts()) {
        m_midiIn2.close();
        m_midiOut2.close();
    }
    m_auxIn.close();
    if (hasKeyboard())
        m_auxOut.close();
    // An identity reply handled on the receive thread while the ports were
    // closing may have marked the device connected again.
    m_connected = false;
}

void MidiDevice::setPorts(const QString& in, const QString& out)
{
    if (in.isEmpty() || out.isEmpty())
        return;
    m_midiIn.setName(in);
    m_midiOut.setName(out);
    setSecondaryPorts();
    m_midiIn.toRegistry(QStringLiteral("MidiIn"));
    m_midiOut.toRegistry(QStringLiteral("MidiOut"));
    connect(true);
}

void MidiDevice::setConnected(bool connected)
{
    m_connected = connected;
    // The client list and the clients' own state belong to the GUI thread; an
    // identity reply connects us on the receive thread, so the notice is
    // queued there. Dropped if the device is gone by then.
    if (QThread::currentThread() == thread())
        notifyClients();
    else
        QMetaObject::invokeMethod(
            this, [this] { notifyClients(); }, Qt::QueuedConnection);
}

void MidiDevice::idRequest()
{
    idRequest(&m_midiOut);
}

void MidiDevice::idRequest(MidiOutPort* port)
{
    if (port)
        port->requestId(m_deviceId);
}

// --- sending -------------------------------------------------------------------

void MidiDevice::sendShort(const MidiMessage& message)
{
    m_midiOut.sendShort(unsigned(message));
    echoSent(Received{PostedShort, SourceGUI, unsigned(message), QByteArray()});
}

void MidiDevice::echoSent(Received&& message)
{
    // The clients' panels and monitors live on the GUI thread: a send made by
    // a worker task (a bank receive switching modes, a transfer) reaches them
    // through the same queue as what the instrument sends, in order.
    // On the GUI thread only a short message comes here: sendSysex tells the
    // clients of its message itself, without a copy.
    if (QThread::currentThread() != thread())
        queueReceived(std::move(message));
    else if (message.kind == PostedShort)
        OnMidiMessage(MidiMessage(message.value), SourceGUI);
}

void MidiDevice::noteOn(int note, int velocity, int channel)
{
    MidiMessage message;
    message.noteOn(note, velocity, channel == -1 ? m_channel.load() : channel);
    sendShort(message);
}

void MidiDevice::noteOff(int note, int channel)
{
    MidiMessage message;
    message.noteOff(note, channel == -1 ? m_channel.load() : channel);
    sendShort(message);
}

void MidiDevice::resetControllers()
{
    for (int channel = 0; channel < 16; ++channel) {
        MidiMessage message;
        message.controller(121, 0, channel);
        sendShort(message);
    }
}

void MidiDevice::localControl(bool on)
{
    for (int channel = 0; channel < 16; ++channel) {
        MidiMessage message;
        message.localControl(on, channel);
        sendShort(message);
    }
}

void MidiDevice::patchChange(Patch patch)
{
    patchChange(patch, m_channel.load());
}

void MidiDevice::patchChange(Patch patch, int channel)
{
    m_midiOut.patchChange(patch, channel);
}

QString MidiDevice::bankNumber(unsigned short bank)
{
    return Bank(bank).toString();
}

void MidiDevice::setPartVolume(int part, int volume)
{
    // A part beyond the sixteen channels has no channel to set its volume on.
    if (volume == -1 || part < 0 || part > 15)
        return;
    MidiMessage message;
    message.controller(7, volume, part);
    sendShort(message);
}

int MidiDevice::sendSysex(Sysex* message)
{
    if (!message || message->isEmpty())
        return 0;
    if (m_noSendAddresses.contains(message->address()))
        return 0;

    // The device number goes into a copy: the caller's message may be part of
    // a stored dump, which must stay as it is.
    Sysex* sent = message;
    std::unique_ptr<Sysex> numbered;
    QByteArray bytes;
    if (hasDeviceId() && message->size() >= 4 && (message->at(2) & 0x0F) == 0) {
        bytes = message->bytes();
        bytes[2] = char((message->at(2) & 0x70) | (m_deviceId & 0x0F));
        numbered.reset(createSysex());
        if (numbered) {
            numbered->setBytes(bytes);
            sent = numbered.get();
        }
    }

    const int count = bytes.isEmpty()
                          ? m_midiOut.sendSysex(sent)
                          : m_midiOut.sendSysex(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                int(bytes.size()));
    // The echo tells the clients what the instrument was sent: nothing, when
    // the port refused the message.
    if (count <= 0) {
        if (firstRefusal.isEmpty())
            firstRefusal = refusalText(MidiOutPort::lastSendStatus(), m_midiOut.name());
        return -1;
    }
    if (QThread::currentThread() == thread())
        OnSysex(sent, SourceGUI);
    else
        echoSent(Received{PostedSysex, SourceGUI, 0, sent->bytes()});
    return count;
}

QString MidiDevice::sendRefusal()
{
    return firstRefusal;
}

void MidiDevice::clearSendRefusal()
{
    firstRefusal.clear();
}

int MidiDevice::sendSysex(const QString& hex)
{
    std::unique_ptr<Sysex> message(createSysex());
    if (!message || !message->fromString(hex))
        return 0;
    return sendSysex(message.get());
}

void MidiDevice::paramRequest(MidiParam param)
{
    if (!param.hasAddress())
        return;
    std::unique_ptr<Sysex> message(createSysex());
    if (!message)
        return;
    message->prepareParameterRequest(param);
    sendSysex(message.get());
}

void MidiDevice::paramChange(MidiParam param, int value)
{
    if (!param.hasAddress())
        return;
    std::unique_ptr<Sysex> message(createSysex());
    if (!message)
        return;
    message->prepareParameterChange(param, value);
    sendSysex(message.get());
}

bool MidiDevice::transmitFile(const QString& path)
{
    BulkDump dump;
    dump.fromFile(path, this, 0, false);
    return !dump.isEmpty() && dump.sendToSynth(this);
}

bool MidiDevice::transmitString(const QString& hex)
{
    BulkDump dump;
    dump.fromString(hex, this);
    return !dump.isEmpty() && dump.sendToSynth(this);
}

void MidiDevice::waitRequest()
{
    const int ms = m_delay;
    if (isConnected() && ms > 0)
        Sleep(ms);
}

void MidiDevice::waitTransmit()
{
    const int ms = m_delay;
    if (isConnected() && ms > 0)
        Sleep(ms);
}

QString MidiDevice::displaySysex(Sysex* message)
{
    return message ? message->toString(-1) : QString();
}

// --- receive thread --------------------------------------------------------------

void MidiDevice::OnShortMessage(MidiInPort* port, unsigned int packed)
{
    const bool fromMain = isMainInput(port);
    const MidiSource source = fromMain ? SourceDev : SourceAux;
    const MidiMessage message(packed);

    PostMidiMessage(message, source);

    if (message.isController()) {
        if (message.data1 == 0)
            m_bankMsb = message.data2;
        else if (message.data1 == 32)
            m_bankLsb = message.data2;
    }

    if (message.isProgramChange()) {
        m_program = message.data1;
        const Patch patch(m_bankMsb.load(), m_bankLsb.load(), m_program.load());
        if (patch.isValid())
            PostPatchChange(patch, source);
        // A program change uses up the bank selects before it, whether or not
        // they made a patch.
        m_program = -1;
        m_bankLsb = -1;
        m_bankMsb = -1;
    }

    passThrough(message, fromMain);
}

void MidiDevice::passThrough(MidiMessage message, bool fromMain)
{
    const bool passes = message.isNoteOn() || message.isNoteOff() || message.isController() ||
                        message.isProgramChange() || message.isPolyAfterTouch() ||
                        message.isChannelAfterTouch() || message.isPitchBend() || message.isClock();
    if (!passes)
        return;

    if (fromMain) {
        // The keyboard's own output follows what the instrument plays.
        if (hasKeyboard())
            m_auxOut.sendShort(unsigned(message));
        return;
    }
    const int auxChannel = m_auxChannel;
    if (auxChannel != -1 && message.status < 0xF0)
        message.setChannel(auxChannel);
    m_midiOut.sendShort(unsigned(message));
}

void MidiDevice::OnLongMessage(MidiInPort* port, unsigned char* data, int length)
{
    if (!data || length <= 0)
        return;
    std::unique_ptr<Sysex> message(createSysex());
    if (!message)
        return;
    message->copy(data, length);

    if (m_signal->OnId(message.get(), port))
        return;

    if (!isMainInput(port)) {
        PostSysex(message.get(), SourceAux);
        return;
    }

    // Identity replies on the main input answer the poll; clients never see
    // them.
    if (message->isId()) {
        if (checkId(message.get()))
            setConnected(true);
        return;
    }

    if (m_signal->OnData(message.get()))
        return;

    PostSysex(message.get(), SourceDev);
}

void MidiDevice::PostMidiMessage(const MidiMessage& message, MidiSource source)
{
    queueReceived(Received{PostedShort, source, unsigned(message), QByteArray()});
}

void MidiDevice::PostSysex(Sysex* message, MidiSource source)
{
    if (message)
        queueReceived(Received{PostedSysex, source, 0, message->bytes()});
}

void MidiDevice::PostPatchChange(Patch patch, MidiSource source)
{
    queueReceived(Received{PostedPatch, source, patch.toUInt(), QByteArray()});
}

void MidiDevice::setReceiveLimits(size_t messages, size_t bytes)
{
    QMutexLocker lock(&m_receivedLock);
    m_receivedLimit = messages;
    m_receivedByteLimit = bytes;
}

void MidiDevice::queueReceived(Received&& message)
{
    // One event per batch, not per message: a burst of thousands costs the
    // GUI thread one wake-up, and the queue keeps them in order.
    bool post = false;
    {
        QMutexLocker lock(&m_receivedLock);
        const size_t bytes = size_t(message.bytes.size());
        if (m_received.size() >= m_receivedLimit || m_receivedBytes + bytes > m_receivedByteLimit) {
            // Full: what is queued stays whole and in order, what comes on top
            // is lost (and said so) rather than the memory.
            ++m_receivedDropped;
            return;
        }
        m_received.push_back(std::move(message));
        m_receivedBytes += bytes;
        post = !m_batchPosted;
        m_batchPosted = true;
    }
    if (post)
        PostMessage(this, PostedBatch);
}

// --- GUI thread ------------------------------------------------------------------

void MidiDevice::customEvent(QEvent* event)
{
    if (event->type() != EventMessage::Type())
        return;
    const auto* posted = static_cast<EventMessage*>(event);
    const auto source = static_cast<MidiSource>(posted->source().toInt());

    std::vector<Received> messages;
    switch (posted->id()) {
    case PostedBatch: {
        quint64 dropped = 0;
        {
            QMutexLocker lock(&m_receivedLock);
            messages.swap(m_received);
            m_batchPosted = false;
            m_receivedBytes = 0;
            dropped = m_receivedDropped;
            m_receivedDropped = 0;
        }
        if (dropped > 0)
            qWarning("MIDI: %s: %llu received messages dropped, more came in than the program could take",
                     qUtf8Printable(m_name), dropped);
        break;
    }
    case PostedShort:
        messages.push_back(Received{PostedShort, source, posted->data().toUInt(), QByteArray()});
        break;
    case PostedSysex: {
        Buffer text;
        if (!text.fromString(posted->data().toString()))
            return;
        messages.push_back(Received{PostedSysex, source, 0, text.bytes()});
        break;
    }
    case PostedPatch:
        messages.push_back(Received{PostedPatch, source, posted->data().toUInt(), QByteArray()});
        break;
    default:
        return;
    }
    deliverReceived(std::move(messages));
}

void MidiDevice::deliverReceived(std::vector<Received>&& messages)
{
    if (m_delivering.empty()) {
        m_delivering.swap(messages);
    } else {
        m_delivering.insert(m_delivering.end(), std::make_move_iterator(messages.begin()),
                            std::make_move_iterator(messages.end()));
    }
    if (m_delivery)
        return; // the hand-over further up the stack takes these in turn
    m_delivery = true;
    while (m_nextDelivery < m_delivering.size()) {
        // Moved out first: a hook may add to the list and so move its items.
        const Received message = std::move(m_delivering[m_nextDelivery++]);
        deliver(message);
    }
    m_delivering.clear();
    m_nextDelivery = 0;
    m_delivery = false;

    // The emptied list goes back to the receive side with its room, so that
    // a steady stream allocates nothing.
    QMutexLocker lock(&m_receivedLock);
    if (m_received.empty() && m_received.capacity() < m_delivering.capacity())
        m_received.swap(m_delivering);
}

void MidiDevice::deliver(const Received& message)
{
    switch (message.kind) {
    case PostedShort:
        OnMidiMessage(MidiMessage(message.value), message.source);
        break;
    case PostedSysex: {
        std::unique_ptr<Sysex> sysex(createSysex());
        if (!sysex)
            break;
        sysex->setBytes(message.bytes);
        OnSysex(sysex.get(), message.source);
        break;
    }
    case PostedPatch:
        // The instrument needs a moment after a program change before it
        // answers requests for the new patch. The pause is a timer, so the
        // GUI keeps running; the program change itself was queued earlier and
        // has reached the clients already.
        m_pendingPatches.append(qMakePair(message.value, int(message.source)));
        QTimer::singleShot(PatchChangePauseMs, this, [this] { deliverPatchChange(); });
        break;
    default:
        break;
    }
}

void MidiDevice::deliverPatchChange()
{
    // Timers of equal length may fire in any order; the queue keeps the order
    // in which the patch changes came.
    if (m_pendingPatches.isEmpty())
        return;
    const QPair<unsigned int, int> pending = m_pendingPatches.takeFirst();
    OnPatchChange(Patch(pending.first), static_cast<MidiSource>(pending.second));
}
