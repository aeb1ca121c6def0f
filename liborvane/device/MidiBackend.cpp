#include "MidiBackend.h"

#include "RtMidiBackend.h"
#include "VirtualMidiBus.h"

#include <QDebug>

namespace {

std::unique_ptr<MidiBackend> makeBackend()
{
    const QString choice = qEnvironmentVariable("ORVANE_MIDI_BACKEND").trimmed().toLower();
    if (choice == QLatin1String("virtual"))
        return std::make_unique<VirtualMidiBus>();
    if (choice == QLatin1String("alsa"))
        return std::make_unique<RtMidiBackend>(RtMidiBackend::Alsa);
    if (choice == QLatin1String("jack"))
        return std::make_unique<RtMidiBackend>(RtMidiBackend::Jack);
    if (!choice.isEmpty())
        qWarning("ORVANE_MIDI_BACKEND=%s is not known; using the system's default MIDI",
                 qUtf8Printable(choice));
    return std::make_unique<RtMidiBackend>(RtMidiBackend::Default);
}

} // namespace

MidiBackend* midiBackend()
{
    // Made on first use, thread-safely; lives until the process ends. Port
    // handles keep what they need, so one closed after this is gone is safe.
    static const std::unique_ptr<MidiBackend> backend = makeBackend();
    return backend.get();
}
