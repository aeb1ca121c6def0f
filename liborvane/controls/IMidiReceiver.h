// What panels and controls do with the instrument's traffic: ask for their
// values, and take them from incoming messages. The device's clients hand
// every message to their panels and the panels to their controls, all on the
// GUI thread.
#pragma once

class MidiMessage;
class Sysex;

class IMidiReceiver
{
public:
    // Owners may hold and delete receivers through this interface.
    virtual ~IMidiReceiver() = default;

    // Request my values from the instrument; the answers come back later
    // through OnSysex.
    virtual void MidiReceive() = 0;
    // An incoming system-exclusive message: show what it holds of my values,
    // sending nothing back.
    virtual void OnSysex(Sysex* message) = 0;
    // An incoming short message.
    virtual void OnMidiMessage(const MidiMessage& message) = 0;
};
