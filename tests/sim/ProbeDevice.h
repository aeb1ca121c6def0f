// A plain device for the instrument's protocol, with which the flows of the
// framework's generic device (identity poll, automatic connection,
// synchronous block and parameter requests) are run against the simulator.
// It knows no more of the instrument than those flows need: the message
// layout is the test instrument's (TestSysex.h), a block is framed by a
// header at block + 0x0E0000 and a footer at block + 0x0F0000, and the
// identity reply names the model by its byte 8.
//
// Header-only and inline, for the simulator's test files.
#pragma once

#include "TestSysex.h"

#include "BulkDump.h"

namespace SimProbe {

class ProbeSysex : public TestSysex
{
public:
    bool isHeader() override { return type() == BulkDump && (address() & 0xFF0000) == 0x0E0000; }
    bool isFooter() override { return type() == BulkDump && (address() & 0xFF0000) == 0x0F0000; }
    bool hasName() override { return type() == BulkDump && dataSize() >= NameSize; }
};

class ProbeDevice : public TestDevice
{
public:
    ProbeDevice() : TestDevice(QStringLiteral("Vesk ES"), 0) {}
    ~ProbeDevice() override { shutdown(); }

    // Names both main ports and connects; with poll, the identity poll runs.
    void attach(const QString& in, const QString& out, bool poll)
    {
        midiIn()->setName(in);
        midiOut()->setName(out);
        connect(poll);
    }

    Sysex* createSysex() override { return new ProbeSysex; }
    bool hasDeviceId() override { return true; }
    bool hasKeyboard() override { return false; }

    // The instrument answers F0 7E 0n 06 02 43 .. .. mm 05 ...; mm 69, 6A
    // and 6B are its three models.
    bool checkId(Sysex* reply) override
    {
        if (!reply || reply->size() <= 9 || reply->at(5) != 0x43 || reply->at(9) != 0x05)
            return false;
        const int model = reply->at(8);
        if (model < 0x69 || model > 0x6B)
            return false;
        setModel(QStringLiteral("Vesk ES%1").arg(model - 0x69 + 6));
        return true;
    }

    // A block is asked for by its header.
    void bulkRequest(unsigned int block) override { sendSysex(TestSysex::bulkRequestText(block + 0x0E0000)); }

    // Parameters as the framework sends them.
    void setParameter(unsigned int address, int value, int size = 1)
    {
        paramChange(MidiParam(address, size, false, false), value);
    }
    int requestParameter(unsigned int address, int size = 1, int timeoutMs = 1000)
    {
        return syncParamRequest(MidiParam(address, size, false, false), timeoutMs);
    }
    void setMode(int mode) override { setParameter(0x0A0001, mode); }
};

// The name of a block received whole: data 0-9 of the message after the
// header, without trailing blanks.
inline QString dumpName(BulkDump& dump)
{
    return dump.count() > 1 ? dump.at(1)->readDataText(0, 10).trimmed() : QString();
}

inline QByteArray dumpBytes(const BulkDump& dump)
{
    Buffer bytes;
    dump.toBuffer(bytes);
    return bytes.bytes();
}

} // namespace SimProbe
