#include "MidiSystems.h"

#include "JackMidiBackend.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <atomic>

namespace {

std::atomic<MidiSystems*> installed{nullptr};

// The systems' own reports of a failed open: the user hears about it from
// us, once and with what to do, not as a page of library errors.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void quietJack(const char*) {}

// What ends every message: where the user finds the instrument once MIDI
// works.
const char* const ThenConnect = "then choose the instrument's ports in MIDI Setup, or use Autoconnect.";

} // namespace

MidiSystems::~MidiSystems() = default;

MidiSystems* MidiSystems::current()
{
    if (MidiSystems* s = installed.load())
        return s;
    static HostMidiSystems host;
    return &host;
}

MidiSystems* MidiSystems::install(MidiSystems* s)
{
    return installed.exchange(s);
}

bool HostMidiSystems::alsaSequencerOpens()
{
    snd_lib_error_set_handler(quietAlsa);
    snd_seq_t* seq = nullptr;
    const int result = snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK);
    if (result >= 0 && seq)
        snd_seq_close(seq);
    snd_lib_error_set_handler(nullptr);
    return result >= 0;
}

bool HostMidiSystems::jackServerRunning()
{
    jack_set_error_function(quietJack);
    jack_set_info_function(quietJack);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("ORVANE", JackNoStartServer, &status);
    // The backend that JACK's answer brings opens its client next: it takes
    // this one.
    KeepJackClient(client);
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
    return client != nullptr;
}

MidiSystemChoice chooseMidiSystem(const QString& name, MidiSystems& systems)
{
    MidiSystemChoice choice;
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("virtual") || n == QLatin1String("alsa") || n == QLatin1String("jack")) {
        choice.named = true;
        choice.system = n == QLatin1String("virtual") ? MidiSystem::Virtual
                        : n == QLatin1String("alsa")  ? MidiSystem::Alsa
                                                      : MidiSystem::Jack;
        return choice;
    }
    if (!n.isEmpty())
        choice.warning =
            QStringLiteral("ORVANE_MIDI_BACKEND=%1 names no MIDI system (alsa, jack or virtual); "
                           "choosing one as without it")
                .arg(name.trimmed());
    if (systems.alsaSequencerOpens())
        choice.system = MidiSystem::Alsa;
    else if (systems.jackServerRunning())
        choice.system = MidiSystem::Jack;
    return choice;
}

MidiSystemProblem midiSystemProblem(MidiSystem system, bool named)
{
    const QString then = QLatin1String(ThenConnect);
    // A system the environment named stays for the whole run: the other
    // one is reached by starting without the name.
    const QString unnamed =
        named ? QStringLiteral(" and start the program without ORVANE_MIDI_BACKEND") : QString();
    switch (system) {
    case MidiSystem::None:
        return {QStringLiteral("no MIDI system"),
                QStringLiteral("No MIDI system can be opened: the ALSA sequencer is not available and no "
                               "JACK server is running.\n\n"
                               "Start a JACK server (to try the suite without sound hardware: "
                               "jackd -d dummy) or load the ALSA sequencer (modprobe snd-seq), ") +
                    then};
    case MidiSystem::Alsa:
        return {QStringLiteral("the ALSA sequencer cannot be opened"),
                QStringLiteral("The ALSA sequencer cannot be opened (/dev/snd/seq).\n\n"
                               "Load it (modprobe snd-seq) and make sure you may use it (the audio group), "
                               "or start a JACK server (jackd -d dummy)") +
                    unnamed + QStringLiteral("; ") + then};
    case MidiSystem::Jack:
        return {QStringLiteral("no JACK server is running"),
                QStringLiteral("No JACK server is running, so JACK MIDI cannot be opened.\n\n"
                               "Start one (to try the suite without sound hardware: jackd -d dummy)") +
                    (named ? QStringLiteral(", or load the ALSA sequencer (modprobe snd-seq)") + unnamed
                           : QString()) +
                    QStringLiteral("; ") + then};
    case MidiSystem::Virtual:
        return {QStringLiteral("the virtual MIDI bus cannot be opened"),
                QStringLiteral("The in-process MIDI bus (ORVANE_MIDI_BACKEND=virtual) cannot be opened.\n\n"
                               "Start the program without ORVANE_MIDI_BACKEND to use the ALSA sequencer or "
                               "JACK; ") +
                    then};
    }
    return {};
}
