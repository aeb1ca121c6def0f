// The instrument's messages as bytes: building, reading and cutting a byte
// stream into messages. The simulator's own reading of the protocol, kept apart
// from the suite's instrument library on purpose: where the two read the
// layouts differently, the tests show a disagreement instead of a shared
// mistake.
//
// Layouts (n = device number, the low nibble of byte 2):
//   bulk dump          F0 43 0n 7F 00 cH cL aH aM aL <data> ck F7
//                      c: data size in two 7-bit bytes; ck makes the bytes
//                      from cH to ck add up to a multiple of 128
//   parameter change   F0 43 1n 7F 00 aH aM aL <data> F7
//   bulk request       F0 43 2n 7F 00 aH aM aL F7      (a: the block's header)
//   parameter request  F0 43 3n 7F 00 aH aM aL F7
//   identity request   F0 7E 0n 06 01 F7               (n 7F: any device)
//   identity reply     F0 7E 0n 06 02 43 00 41 mm 05 00 00 00 01 F7
//                      mm: the model byte (69, 6A or 6B)
//   GM System On       F0 7E nn 09 01 F7               (nn 7F: any device)
// Nothing here throws.
#pragma once

#include <QByteArray>
#include <QList>

namespace Sim {

// MIDI on a cable: 31250 baud, ten bits a byte.
constexpr int WireBytesPerSecond = 3125;

constexpr unsigned int HeaderOffset = 0x0E0000; // block + this: bulk header
constexpr unsigned int FooterOffset = 0x0F0000; // block + this: bulk footer
constexpr unsigned int StoreAllAddress = 0x110000;
constexpr unsigned int ModeAddress = 0x0A0001;
constexpr unsigned int MasterAddress = 0x0A0000;

QByteArray bulkDump(unsigned int address, const QByteArray& data, int device = 0);
QByteArray parameterChange(unsigned int address, const QByteArray& data, int device = 0);
// The request for a block, named by its bulk address (the header goes out).
QByteArray bulkRequest(unsigned int block, int device = 0);
QByteArray identityReply(int model, int device);
// Checksum of the bytes from the size to the last data byte.
int checksum(const QByteArray& bulkDump);

// One message as the instrument reads it.
struct Message
{
    enum Kind
    {
        Invalid,          // not a message of this instrument
        BulkDump,         // data, checksumOk
        ParameterChange,  // data
        BulkRequest,      //
        ParameterRequest, //
        IdentityRequest,  // device 0-15, or 0x7F for any
        GmOn,             // device 0-15, or 0x7F for any
        Short             // a channel or system common message: bytes
    };

    Kind kind = Invalid;
    int device = -1;
    unsigned int address = 0;
    QByteArray data;
    bool checksumOk = false;
    bool countOk = false; // the size bytes of a bulk dump give its data size
    QByteArray bytes;     // the whole message

    // A complete message: F0..F7, or a status byte and its data.
    static Message parse(const QByteArray& message);
};

// Cuts received bytes into complete messages. A system-exclusive message may
// come in several packets; a short message never continues into the next
// packet. Real-time bytes are dropped; a data byte without a status (no
// running status) is dropped; a system-exclusive message that lost its F7 to a
// new status byte is dropped whole.
class Stream
{
public:
    void feed(const unsigned char* data, int size, QList<QByteArray>& messages);
    void reset();

private:
    QByteArray m_sysex; // the open system-exclusive message, F0 on; empty when none
    bool m_inSysex = false;
};

// The number of data bytes that follow a status byte; -1 for F0, F7 and
// undefined status bytes.
int shortMessageLength(unsigned char status);

} // namespace Sim
