#include "MidiBackend.h"

#include "JackMidiBackend.h"
#include "RtMidiBackend.h"
#include "VirtualMidiBus.h"

#include <QDebug>

namespace {

// As RtMidi picks its default: the first system that offers a source, ALSA
// before JACK. JACK is spoken to by our own backend, so the choice is made
// here; with neither offering one, RtMidi's default stays, made (and tried
// again) when first used.
std::unique_ptr<MidiBackend> systemDefault()
{
    auto alsa = std::make_unique<RtMidiBackend>(RtMidiBackend::Alsa);
    if (!alsa->endpoints(MidiEndpointKind::Source).isEmpty())
        return alsa;
    alsa.reset();
    auto jack = std::make_unique<JackMidiBackend>();
    if (!jack->endpoints(MidiEndpointKind::Source).isEmpty())
        return jack;
    jack.reset();
    return std::make_unique<RtMidiBackend>(RtMidiBackend::Default);
}

std::unique_ptr<MidiBackend> makeBackend()
{
    const QString choice = qEnvironmentVariable("ORVANE_MIDI_BACKEND").trimmed().toLower();
    if (choice == QLatin1String("virtual"))
        return std::make_unique<VirtualMidiBus>();
    if (choice == QLatin1String("alsa"))
        return std::make_unique<RtMidiBackend>(RtMidiBackend::Alsa);
    if (choice == QLatin1String("jack"))
        return std::make_unique<JackMidiBackend>();
    if (!choice.isEmpty())
        qWarning("ORVANE_MIDI_BACKEND=%s is not known; using the system's default MIDI",
                 qUtf8Printable(choice));
    return systemDefault();
}

} // namespace

MidiBackend* midiBackend()
{
    // Made on first use, thread-safely; lives until the process ends. Port
    // handles keep what they need, so one closed after this is gone is safe.
    static const std::unique_ptr<MidiBackend> backend = makeBackend();
    return backend.get();
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
