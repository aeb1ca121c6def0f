#include "MidiBackend.h"

#include "JackMidiBackend.h"
#include "MidiSystems.h"
#include "RtMidiBackend.h"
#include "VirtualMidiBus.h"

#include <QDebug>

#include <atomic>
#include <mutex>
#include <vector>

namespace {

std::unique_ptr<MidiBackend> makeBackend(MidiSystem system)
{
    switch (system) {
    case MidiSystem::Alsa:
        return std::make_unique<RtMidiBackend>(RtMidiBackend::Alsa);
    case MidiSystem::Jack:
        return std::make_unique<JackMidiBackend>();
    case MidiSystem::None:
    case MidiSystem::Virtual:
        break;
    }
    // With no system, an empty bus: every port stays closed and every list
    // empty, and nothing fails in a way the user was not told of.
    return std::make_unique<VirtualMidiBus>();
}

// The process's MIDI: the system in use and every backend made so far.
class ProcessMidi
{
public:
    ProcessMidi() : m_choice(choose(true)) { use(makeBackend(m_choice.system)); }

    MidiBackend* backend() const { return m_current.load(); }

    void rescan()
    {
        std::lock_guard lock(m_mutex);
        if (m_choice.named)
            return;
        if (m_choice.system != MidiSystem::None && m_current.load()->createClient() == MidiStatusOk)
            return;
        const MidiSystemChoice choice = choose(false);
        // Nothing better turned up: the backend in use stays, and a system
        // that is only down for the moment (a JACK server restarting) is
        // opened by it again once it is back.
        if (choice.system == MidiSystem::None || choice.system == m_choice.system)
            return;
        m_choice = choice;
        use(makeBackend(m_choice.system));
    }

    MidiSystemProblem problem() const
    {
        std::lock_guard lock(m_mutex);
        if (m_choice.system != MidiSystem::None && m_current.load()->createClient() == MidiStatusOk)
            return {};
        return midiSystemProblem(m_choice.system, m_choice.named);
    }

private:
    // first: the choice at start, which says on the terminal too when
    // there is nothing (the windows say it again, the rescans do not).
    static MidiSystemChoice choose(bool first)
    {
        const MidiSystemChoice choice =
            chooseMidiSystem(qEnvironmentVariable("ORVANE_MIDI_BACKEND"), *MidiSystems::current());
        if (!choice.warning.isEmpty())
            qWarning("MIDI: %s", qUtf8Printable(choice.warning));
        if (first && choice.system == MidiSystem::None)
            qWarning("MIDI: %s", qUtf8Printable(midiSystemProblem(MidiSystem::None, false).text));
        return choice;
    }

    // The caller holds m_mutex, or is the constructor.
    void use(std::unique_ptr<MidiBackend> backend)
    {
        m_current = backend.get();
        m_backends.push_back(std::move(backend));
    }

    mutable std::mutex m_mutex; // guards m_choice and m_backends; taken by rescan and problem
    MidiSystemChoice m_choice;  // the system in use; None while the empty bus stands in
    // Every backend made, kept until the process ends: ports opened on one
    // that was replaced still send and receive through it.
    std::vector<std::unique_ptr<MidiBackend>> m_backends;
    std::atomic<MidiBackend*> m_current{nullptr}; // written under m_mutex, read by any thread
};

ProcessMidi& processMidi()
{
    // Made on first use, thread-safely; lives until the process ends. Port
    // handles keep what they need, so one closed after this is gone is safe.
    static ProcessMidi midi;
    return midi;
}

} // namespace

MidiBackend* midiBackend()
{
    return processMidi().backend();
}

void rescanMidiSystems()
{
    processMidi().rescan();
}

MidiSystemProblem currentMidiSystemProblem()
{
    return processMidi().problem();
}

int resolveMidiEndpoint(const QList<MidiEndpoint>& list, int index, const QString& name)
{
    for (const MidiEndpoint& e : list) {
        if (e.index == index && e.name == name)
            return index;
    }
    for (const MidiEndpoint& e : list) {
        if (e.name == name)
            return e.index;
    }
    return -1;
}

QString ownMidiPortName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char(':'), QLatin1Char('-'));
    n = n.left(60).trimmed();
    if (n.isEmpty())
        n = QStringLiteral("ORVANE");
    return n;
}
