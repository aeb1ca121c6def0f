// Which MIDI system a process speaks to, and what it tells the user when
// none can be opened.
//
// The rule: a system named by ORVANE_MIDI_BACKEND ("alsa", "jack" or
// "virtual") is taken as it is, whether it opens or not. Otherwise the ALSA
// sequencer when it can be opened, else JACK when a server is running, else
// none: the process then runs on an empty in-process bus and says why. A
// system that opens is usable before it offers any port: the instrument (or
// the simulator) may well be started after the program.
//
// MidiSystems is the seam between that rule and the machine: HostMidiSystems
// asks the real ALSA sequencer and JACK server, a test answers from a script
// (tests/support). midiBackend() (MidiBackend.h) applies the rule on first
// use with the systems in force, and rescanMidiSystems() applies it again
// while the process has no system that opens.
//
// Nothing here throws.
#pragma once

#include <QString>

enum class MidiSystem
{
    None,   // nothing opens: the empty in-process bus stands in
    Alsa,   // the ALSA sequencer, through RtMidi
    Jack,   // a JACK server, spoken to directly
    Virtual // the in-process bus the tests play the instrument on
};

class MidiSystems
{
public:
    MidiSystems() = default;
    virtual ~MidiSystems();
    MidiSystems(const MidiSystems&) = delete;
    MidiSystems& operator=(const MidiSystems&) = delete;

    // Whether a client of the ALSA sequencer can be made now.
    virtual bool alsaSequencerOpens() = 0;
    // Whether a JACK server answers now: the one JACK_DEFAULT_SERVER names,
    // else the user's default server. None is started.
    virtual bool jackServerRunning() = 0;

    // The systems in force: the installed ones, else the host's.
    static MidiSystems* current();
    // Puts s in force (null brings the host's back) and returns what it
    // replaces. The caller keeps ownership of s.
    static MidiSystems* install(MidiSystems* s);
};

// The real systems of this machine. Asking ALSA opens a client and closes
// it at once; the client that finds a JACK server is kept for the JACK
// backend to use (KeepJackClient). What the systems print about a failure
// stays off the terminal.
class HostMidiSystems : public MidiSystems
{
public:
    bool alsaSequencerOpens() override;
    bool jackServerRunning() override;
};

struct MidiSystemChoice
{
    MidiSystem system = MidiSystem::None;
    // Named by the environment: kept whether it opens or not, never chosen
    // again.
    bool named = false;
    // An ORVANE_MIDI_BACKEND that names no system (then ignored); else empty.
    QString warning;
};

// The rule above. name is ORVANE_MIDI_BACKEND's value (case and blanks do
// not matter; empty: none named). The systems are asked only as far as the
// rule needs them.
MidiSystemChoice chooseMidiSystem(const QString& name, MidiSystems& systems);

// What a window says while MIDI cannot work: brief for its status bar, text
// for the message box, which names the system tried and what to do. Both
// empty when there is nothing to say.
struct MidiSystemProblem
{
    QString brief;
    QString text;
    bool isEmpty() const { return text.isEmpty(); }
};

// The problem of a choice whose system did not open (MidiSystem::None: no
// system opened at all). named: the environment chose the system.
MidiSystemProblem midiSystemProblem(MidiSystem system, bool named);
