// Small shared types of the MIDI device layer.
#pragma once

// Where a message came from.
enum MidiSource : int
{
    SourceDev = 0, // the instrument, on the main input
    SourceAux = 1, // the auxiliary input
    SourceGUI = 2  // sent by this program
};

// Clamps value in place: first raised to min, then lowered to max, so with
// min above max the result is max.
template <typename T>
void Limit(T& value, const T& min, const T& max)
{
    if (value < min)
        value = min;
    if (value > max)
        value = max;
}
