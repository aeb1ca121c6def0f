// The last known data of one parameter of the instrument, as every bit-field
// control on it sees it.
//
// A bit-field control (a check box or a value control with bit and bits)
// sends the whole data of its parameter with only its own field changed. The
// instrument's other bits must go back as the instrument holds them, so the
// controls of one parameter (one device, address and size) share its last
// known data: what any of them received or sent. A control whose parameter
// was never seen asks the instrument for it first and waits ReadTimeoutMs for
// the answer; without one it changes nothing.
//
// Each control holds one SharedByte; the record behind it lives as long as a
// control holds it and follows the parameter's address. A control re-pointed
// at another instance (Panel::setIter) lets go of it with forget(): what the
// old instance held says nothing of the new one. GUI thread only.
#pragma once

#include <memory>

class MidiDevice;
class ParamInfo;
class Sysex;

class SharedByte
{
public:
    // How long a control waits for its parameter's data before giving up.
    static constexpr int ReadTimeoutMs = 500;

    SharedByte() = default;
    ~SharedByte();
    SharedByte(const SharedByte&) = delete;
    SharedByte& operator=(const SharedByte&) = delete;

    // The last known data of param on device; -1 when unknown, and for a
    // parameter without a bit field or an address, or without a device.
    int data(const MidiDevice* device, const ParamInfo& param) const;
    // The data message holds for param (-1 when none), kept as param's whole
    // data and as the last known data of a parameter that shares it.
    int receive(const MidiDevice* device, ParamInfo& param, Sysex* message);
    // False when param has a bit field whose data is unknown and the
    // instrument did not give it within ReadTimeoutMs; the control then
    // changes nothing. True at once when there is nothing to read.
    bool readIfUnknown(MidiDevice* device, const ParamInfo& param);
    // Sends value as param's data and asks the instrument for it back. With a
    // bit field, value goes into the last known data (stored into param's
    // whole data too), which it then replaces, so a second control of the
    // byte changed before the read-back packs into it. Nothing goes out while
    // that data is unknown: its other bits would be guessed.
    void send(MidiDevice* device, ParamInfo& param, int value);
    // Lets go of the record: the data is unknown to this control until it
    // learns it again, or joins a record other controls of its new
    // parameter hold.
    void forget();

    struct Record;

private:
    // Data the instrument reported for param. Nothing for a parameter that
    // shares no data (see data()).
    void setData(const MidiDevice* device, const ParamInfo& param, int data);
    // The data to send for value (see send); -1 when it is still unknown.
    int dataToSend(const MidiDevice* device, ParamInfo& param, int value);
    // The record of param's data; null when param shares none.
    Record* record(const MidiDevice* device, const ParamInfo& param) const;

    mutable std::shared_ptr<Record> m_record;
};
