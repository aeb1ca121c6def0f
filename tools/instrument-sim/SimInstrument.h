// The simulated instrument's behaviour: what it does with each message it
// receives and what it answers, with no transport and no clock. Replies come
// back as lists of messages tagged by kind, so that the wire (SimWire.h) can
// misbehave per kind and pace them.
//
// What it answers:
//   identity request   for its own device number or 7F: the identity reply
//   bulk request       at a block's header address: header, the blocks of the
//                      patch type in image order, footer; nothing for an
//                      unknown block or when the current mode does not own the
//                      patch type (voice, drum kit and PLG voice: Voice mode;
//                      performance: Performance; mix: Pattern or Song; master:
//                      Master). In Voice mode the voice and drum edit buffers
//                      answer only while a voice, respectively a drum kit, is
//                      selected.
//   parameter request  a parameter change at the same address with the
//                      parameter's current bytes (a block byte of the type's
//                      edit buffer, or the system area); nothing for an
//                      address it does not hold
// What it takes:
//   bulk dumps         a header opens a write to a user location or edit
//                      buffer, the type's blocks go into it, the matching
//                      footer commits it; a bad checksum, a block of another
//                      type or of the wrong size spoils the write, which is
//                      then dropped at the footer. A block without a header
//                      goes to its type's edit buffer. The empty dump at
//                      0x110000 stores everything.
//   parameter changes  into the type's edit buffer or the system area;
//                      0x0A0001 switches the mode, 0x0A0000 selects a master
//   channel messages   on the receive channel: bank select and program change
//                      select a patch into its edit buffer (only in the mode
//                      that owns it); Song Select selects a multi in Pattern
//                      or Song mode
//   GM System On       the mix edit buffer becomes the initial mix
// Every complete message received is kept, in order, for a test to read back
// (the last ReceivedLimit of them).
// System-exclusive messages for another device number are ignored.
//
// Not thread-safe: the owner serialises access.
#pragma once

#include "SimMemory.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Sim {

struct Message;

// What a reply answers; faults are set per kind.
enum ReplyKind
{
    IdentityReply = 0,
    BulkReply = 1,      // to a bulk request
    ParameterReply = 2, // to a parameter request
    Report = 3,         // sent on its own: the front panel
    ReplyKindCount = 4
};

struct Reply
{
    ReplyKind kind = Report;
    QList<QByteArray> messages;
};

enum Mode
{
    VoiceMode = 0,
    PerformanceMode = 1,
    PatternMode = 2,
    SongMode = 3,
    MasterMode = 4
};

struct Options
{
    int model = 0x69; // identity reply byte 8: 0x69, 0x6A or 0x6B
    int device = 0;   // device number 0-15
    QString initFolder = QStringLiteral(":/instrument-sim/init");
};

class Instrument
{
public:
    // What the instrument has seen since it started.
    struct Counters
    {
        int identityRequests = 0;
        int bulkRequests = 0;
        int parameterRequests = 0;
        int parameterChanges = 0;
        int bulkDumps = 0;
        int writes = 0; // committed writes to a location or edit buffer
        int storeAll = 0;
        int gmOn = 0;
    };

    static constexpr int ReceivedLimit = 20000;

    // Loads the initial patches; false with the reason in error.
    bool load(const Options& options, QString* error);
    bool isLoaded() const { return m_memory.isLoaded(); }

    // Handles one complete message from the host; appends the replies.
    void receive(const QByteArray& message, QList<Reply>& replies);

    // The front panel: each changes the state as the user would and gives
    // what the instrument reports.
    Reply selectMode(int mode);                                        // parameter change 0x0A0001
    Reply selectMaster(int program);                                   // parameter change 0x0A0000
    Reply selectMulti(int number);                                     // Song Select
    Reply selectPatch(unsigned short bankWord, int program);           // bank select and program change
    Reply editParameter(unsigned int address, const QByteArray& data); // parameter change
    Reply sendBlock(unsigned int block);                               // framed bulk dump; empty if unknown
    Reply playNote(int note, int velocity);                            // note-on on the receive channel

    // State.
    int model() const { return m_options.model; }
    int device() const { return m_options.device; }
    void setModel(int model) { m_options.model = model; }
    void setDevice(int device) { m_options.device = device & 0x0F; }
    int mode() const;
    int masterNumber() const;
    int receiveChannel() const;
    bool localControl() const;
    // The type selected in Voice mode: Voice or Drum.
    PatchType voiceKind() const { return m_voiceKind; }
    // The image of a location or edit buffer (empty when unknown) and its name.
    QByteArray image(unsigned int block) const;
    QString name(unsigned int block) const;
    bool setImage(unsigned int block, const QByteArray& image);
    QByteArray multi(int number);
    // The bytes of a system-area parameter; empty when there is none.
    QByteArray systemBytes(unsigned int address) const;
    // Locations written since the last store-all.
    QSet<unsigned int> unstored() const { return m_unstored; }
    bool isWriteOpen() const { return m_write.open; }
    Counters counters() const { return m_counters; }
    // What the instrument refused or did not understand, oldest first; the
    // last 200 entries.
    QStringList refusals() const { return m_refusals; }
    void clearRefusals() { m_refusals.clear(); }
    // Every message received, oldest first, whether understood or not.
    QList<QByteArray> received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    const Memory& memory() const { return m_memory; }

    // The bytes a parameter request for address is answered with.
    static int parameterSize(unsigned int address);

private:
    struct Write
    {
        bool open = false;
        unsigned int block = 0;
        PatchType type = Voice;
        QByteArray image;
        QString spoiled; // why it will not be committed; empty while good
    };

    // Where a parameter lies in its type's edit buffer: at most size bytes
    // from address to the end of its block.
    struct Span
    {
        QByteArray* image = nullptr; // null: no block holds the address
        int pos = 0;
        int count = 0;
    };
    Span editBufferSpan(unsigned int address, int size, const QString& what);

    void refuse(const QString& why);
    bool modeOwns(PatchType type) const;
    bool answers(unsigned int block, PatchType type) const;
    QList<QByteArray> blockMessages(unsigned int block) const;

    void onBulkRequest(unsigned int address, QList<Reply>& replies);
    void onParameterRequest(unsigned int address, QList<Reply>& replies);
    void onBulkDump(const Message& m);
    void onHeader(unsigned int block);
    void onFooter(unsigned int block);
    void onBlock(const Message& m);
    void onParameterChange(unsigned int address, const QByteArray& data);
    void onShort(const QByteArray& bytes);
    void select(unsigned short bankWord, int program);
    void loadMaster(int program);

    Options m_options;
    Memory m_memory;
    // System area: parameter address -> its bytes (mode, master number,
    // receive channel, local control and the voice mode's master effect).
    QMap<unsigned int, QByteArray> m_system;
    PatchType m_voiceKind = Voice;
    Write m_write;
    QSet<unsigned int> m_unstored;
    int m_bankMsb = 0x3F;
    int m_bankLsb = 0x00;
    Counters m_counters;
    QStringList m_refusals;
    QList<QByteArray> m_received;
};

} // namespace Sim
