#include "TestInstrument.h"

#include "MidiMessage.h"
#include "MidiParam.h"
#include "Patch.h"
#include "Sysex.h"
#include "Task_Poller.h"

#include <QMap>
#include <QThread>

namespace {

QByteArray bytesOf(const QString& hex)
{
    return QByteArray::fromHex(hex.toLatin1());
}

QList<QByteArray> cut(const QByteArray& bytes, int packetSize)
{
    if (packetSize <= 0)
        return {bytes};
    QList<QByteArray> packets;
    for (qsizetype i = 0; i < bytes.size(); i += packetSize)
        packets.append(bytes.mid(i, packetSize));
    return packets;
}

// Our own protocol's requests: F0 43 kn 7F 00 aa aa aa F7, k the kind.
bool isRequest(const QByteArray& p, int kind)
{
    return p.size() == 9 && quint8(p[0]) == 0xF0 && p[1] == 0x43 && (quint8(p[2]) >> 4) == kind &&
           p[3] == 0x7F && p[4] == 0x00 && quint8(p[8]) == 0xF7;
}

unsigned int requestAddress(const QByteArray& p)
{
    return unsigned(quint8(p[5])) << 16 | unsigned(quint8(p[6])) << 8 | quint8(p[7]);
}

bool isIdentityRequest(const QByteArray& p)
{
    return p.size() == 6 && quint8(p[0]) == 0xF0 && p[1] == 0x7E && p[3] == 0x06 && p[4] == 0x01 &&
           quint8(p[5]) == 0xF7;
}

} // namespace

struct TestInstrument::State
{
    struct Parameter
    {
        int value = 0;
        int size = 1;
    };

    const int source;

    // Settings: written by the test thread, read by the responder; under mutex.
    mutable QMutex mutex;
    bool answersIdentity = true;
    int identityDelay = 0;
    QByteArray identityReply;
    BulkReply bulk;
    BulkScript bulkScript;
    QMap<unsigned int, Parameter> parameters;
    int parameterDelay = 0;
    // Counters: written by the responder, read by the test; under mutex.
    int identityRequests = 0;
    int bulkRequests = 0;
    int parameterRequests = 0;

    explicit State(int source) : source(source) {}

    static QList<QByteArray> messages(const BulkReply& reply, unsigned int address)
    {
        QList<QByteArray> list;
        if (reply.header)
            list.append(bytesOf(
                TestSysex::bulkDumpText(TestSysex::HeaderAddress, QByteArray(1, char(reply.blocks)))));
        for (int i = 0; i < reply.blocks; ++i) {
            QByteArray data(qMax(0, reply.blockSize), '\0');
            for (qsizetype j = 0; j < data.size(); ++j)
                data[j] = char((i * 7 + j) & 0x7F);
            list.append(bytesOf(TestSysex::bulkDumpText(address + (unsigned(i) << 8), data)));
        }
        if (reply.footer)
            list.append(bytesOf(TestSysex::bulkDumpText(TestSysex::FooterAddress, QByteArray(1, '\0'))));
        return list;
    }

    void answerBulk(VirtualMidiBus& bus, unsigned int address)
    {
        BulkReply reply;
        BulkScript script;
        {
            QMutexLocker lock(&mutex);
            ++bulkRequests;
            reply = bulk;
            script = bulkScript;
        }
        if (!reply.answer)
            return;
        QList<QByteArray> dump = script ? script(address) : messages(reply, address);
        if (reply.count >= 0 && reply.count < dump.size())
            dump.resize(reply.count);

        // The order on the cable, inserts included.
        QList<QByteArray> stream;
        for (qsizetype i = 0; i <= dump.size(); ++i) {
            for (const auto& insert : reply.inserts) {
                if (insert.first == i)
                    stream.append(insert.second);
            }
            if (i < dump.size())
                stream.append(dump.at(i));
        }

        if (reply.gapMs <= 0) {
            bus.inject(source, reply.packetSize > 0 ? cut(stream.join(), reply.packetSize) : stream,
                       reply.delayMs);
            return;
        }
        int delay = reply.delayMs;
        for (const QByteArray& message : stream) {
            bus.inject(source, cut(message, reply.packetSize), delay);
            delay += reply.gapMs;
        }
    }

    void answerParameter(VirtualMidiBus& bus, unsigned int address)
    {
        Parameter parameter;
        int delay;
        {
            QMutexLocker lock(&mutex);
            ++parameterRequests;
            if (!parameters.contains(address))
                return;
            parameter = parameters.value(address);
            delay = parameterDelay;
        }
        bus.inject(source, TestInstrument::parameterChange(address, parameter.value, parameter.size), delay);
    }

    void answerIdentity(VirtualMidiBus& bus, int deviceNumber)
    {
        int delay;
        QByteArray reply;
        {
            QMutexLocker lock(&mutex);
            ++identityRequests;
            if (!answersIdentity)
                return;
            delay = identityDelay;
            reply = identityReply;
        }
        if (reply.isEmpty())
            reply = bytesOf(TestSysex::identityReplyText(deviceNumber));
        bus.inject(source, reply, delay);
    }

    void receive(VirtualMidiBus& bus, const QByteArray& packet)
    {
        if (isIdentityRequest(packet))
            answerIdentity(bus, quint8(packet[2]) & 0x0F);
        else if (isRequest(packet, 2))
            answerBulk(bus, requestAddress(packet));
        else if (isRequest(packet, 3))
            answerParameter(bus, requestAddress(packet));
    }
};

TestInstrument::TestInstrument(VirtualMidiBus& bus, const QString& name) : m_bus(bus), m_name(name)
{
    m_destination = bus.addDestination(name);
    m_source = bus.addSource(name);
    m_state = std::make_shared<State>(m_source);
    std::shared_ptr<State> state = m_state;
    bus.setResponder(m_destination,
                     [state](VirtualMidiBus& b, const QByteArray& packet) { state->receive(b, packet); });
}

TestInstrument::~TestInstrument()
{
    m_bus.setResponder(m_destination, {});
}

void TestInstrument::setAnswersIdentity(bool on)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->answersIdentity = on;
}

void TestInstrument::setIdentityDelay(int ms)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->identityDelay = ms;
}

void TestInstrument::setIdentityReply(const QByteArray& reply)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->identityReply = reply;
}

void TestInstrument::setBulkScript(BulkScript script)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->bulkScript = std::move(script);
}

void TestInstrument::setBulkReply(const BulkReply& reply)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->bulk = reply;
}

void TestInstrument::setParameter(unsigned int address, int value, int size)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->parameters.insert(address, State::Parameter{value, size});
}

void TestInstrument::setParameterDelay(int ms)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->parameterDelay = ms;
}

int TestInstrument::identityRequests() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->identityRequests;
}

int TestInstrument::bulkRequests() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->bulkRequests;
}

int TestInstrument::parameterRequests() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->parameterRequests;
}

QList<QByteArray> TestInstrument::bulkMessages(unsigned int address) const
{
    BulkReply reply;
    BulkScript script;
    {
        QMutexLocker lock(&m_state->mutex);
        reply = m_state->bulk;
        script = m_state->bulkScript;
    }
    QList<QByteArray> list = script ? script(address) : State::messages(reply, address);
    if (reply.count >= 0 && reply.count < list.size())
        list.resize(reply.count);
    return list;
}

QByteArray TestInstrument::parameterChange(unsigned int address, int value, int size)
{
    return bytesOf(Sysex::FormatSysex(QString::fromLatin1(TestSysex::ParameterChangeTemplate),
                                      QStringLiteral("7F 00"), address, PrintData7(value, size, false)));
}

void TestInstrument::send(const QByteArray& bytes, int delayMs, int packetSize)
{
    m_bus.inject(m_source, cut(bytes, packetSize), delayMs);
}

// --- BusDevice ---------------------------------------------------------------

BusDevice::BusDevice() = default;

BusDevice::~BusDevice()
{
    shutdown();
}

void BusDevice::attach(const TestInstrument& instrument, bool poll)
{
    midiIn()->setName(instrument.name());
    midiOut()->setName(instrument.name());
    connect(poll);
}

// --- RecordingClient ---------------------------------------------------------

RecordingClient::RecordingClient(MidiDevice* device)
    : MidiClient(QStringLiteral("Recorder"), device, &ownWindow)
{
    m_clock.start();
}

void RecordingClient::OnConnect()
{
    ++m_connects;
}

void RecordingClient::OnMidiMessage(const MidiMessage& message, MidiSource source)
{
    QByteArray bytes;
    bytes.append(char(message.status)).append(char(message.data1)).append(char(message.data2));
    add(Event::Short, QString::fromLatin1(bytes.left(message.size()).toHex(' ').toUpper()), source);
}

void RecordingClient::OnSysex(::Sysex* message, MidiSource source)
{
    add(Event::Sysex, message->toString(-1), source);
}

void RecordingClient::OnPatchChange(Patch patch, MidiSource source)
{
    add(Event::PatchChange, patch.toString(), source);
}

void RecordingClient::add(Event::Kind kind, const QString& text, MidiSource source)
{
    QMutexLocker lock(&m_mutex);
    m_events.append(Event{kind, text, source, QThread::currentThread(), m_clock.elapsed()});
}

QList<RecordingClient::Event> RecordingClient::events() const
{
    QMutexLocker lock(&m_mutex);
    return m_events;
}

QStringList RecordingClient::texts(Event::Kind kind, int source) const
{
    QStringList list;
    for (const Event& e : events()) {
        if (e.kind == kind && (source == -1 || e.source == source))
            list.append(e.text);
    }
    return list;
}

bool RecordingClient::allOn(QThread* thread) const
{
    for (const Event& e : events()) {
        if (e.thread != thread)
            return false;
    }
    return true;
}

void RecordingClient::clear()
{
    QMutexLocker lock(&m_mutex);
    m_events.clear();
}
