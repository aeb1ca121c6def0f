// One MIDI instrument as the programs see it.
//
// The device owns the instrument's six ports, its connection state, its tables
// and documents, the part mixer and the synchronous-request signal. Windows
// register as clients and are told of every message on the GUI thread. The
// instrument library derives its own class and overrides the virtual hooks;
// the bases here are inert.
#pragma once

#include "Containers.h"
#include "DeviceTable.h"
#include "IniFile.h"
#include "MidiMessage.h"
#include "MidiParam.h"
#include "MidiPort.h"
#include "MidiTypes.h"
#include "MixParts.h"
#include "Patch.h"
#include "XmlDocument.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

class BulkDump;
class MidiClient;
class PatchDump;
class Sysex;
class SysexSignal;
class Task_AutoConnector;
class Task_Poller;

class MidiDevice : public QObject, public IMidiPortOwner
{
    Q_OBJECT

public:
    // Ids of the messages posted to the device. The receive thread posts only
    // PostedBatch: one event for everything it handed on since the last one,
    // which the GUI thread takes in order. The other three carry one message
    // each (a short message packed, a system-exclusive message as hex text, a
    // packed patch) and are handed on in turn with the batches.
    enum PostedMessage
    {
        PostedShort = 1,
        PostedSysex = 2,
        PostedPatch = 3,
        PostedBatch = 4
    };
    // The pause between a program change and the patch change handed on
    // after it.
    static constexpr int PatchChangePauseMs = 50;

    // name: the device name; delay: the default of the "Delay" setting, the
    // pause in milliseconds after each transmitted message.
    MidiDevice(const QString& name, int delay);
    ~MidiDevice() override;

    // --- state and settings ------------------------------------------------
    // The device's name: the one it was built with, or the model of the
    // instrument definition file it loaded.
    QString name() const { return m_name; }
    // The name the device was built with, whatever definition file it loaded:
    // the name its own stored dumps carry.
    QString originalName() const { return m_originalName; }
    // The model the instrument named in its identity reply ("" before).
    QString model() const;
    IniFile* ini() { return &m_ini; }
    XmlDocument* xml() { return &m_xml; }
    QString dataFolder() const { return m_dataFolder; }
    bool hasPorts() const;
    bool isConnected() const { return m_connected.load(); }
    int deviceId() const { return m_deviceId.load(); }
    void setDeviceId(int id);
    int delay() const { return m_delay.load(); }
    void setDelay(int ms);
    int channel() const { return m_channel.load(); }
    void setAuxChannel(int channel) { m_auxChannel.store(channel); }
    // "Not connected", or "<model> connected".
    QString connectionStatus() const;

    MidiInPort* midiIn() { return &m_midiIn; }
    MidiOutPort* midiOut() { return &m_midiOut; }
    MidiInPort* midiIn2() { return &m_midiIn2; }
    MidiOutPort* midiOut2() { return &m_midiOut2; }
    MidiInPort* auxIn() { return &m_auxIn; }
    MidiOutPort* auxOut() { return &m_auxOut; }

    // --- connection ----------------------------------------------------------
    // Opens the ports; with poll set, starts the identity poll.
    void connect(bool poll);
    // Not connected, poll stopped, ports closed. May run twice in a row (the
    // poll's end disconnects too).
    void disconnect();
    // Lets go of the clients without telling them, then ends all traffic: the
    // port search, the identity poll and the ports. An instrument class calls
    // it first in its destructor, so that no reply reaches its hooks while it
    // is half destroyed; the base calls it again.
    void shutdown();
    // Sets and stores the main port names and reconnects; nothing when either
    // name is empty.
    void setPorts(const QString& in, const QString& out);
    // Searches every output for the instrument (an identity request each) and
    // takes the first pair that answers as the main ports. Returns at once;
    // the search shows its progress and outcome itself. Nothing while a
    // search is running already.
    void autoConnect();
    bool isAutoConnecting() const;
    // Stores the state and lets every client's window know, on the GUI thread.
    void setConnected(bool connected);
    // The identity request on the main output.
    void idRequest();

    // --- clients -----------------------------------------------------------
    void addClient(MidiClient* client);
    void removeClient(MidiClient* client);
    int clientCount() const;
    bool hasClient(MidiClient* client) const;

    // --- sending (on the caller's thread) ----------------------------------
    // Sends on the main output and echoes the message to the clients.
    void sendShort(const MidiMessage& message);
    void noteOn(int note, int velocity, int channel = -1);
    void noteOff(int note, int channel = -1);
    void resetControllers();
    void localControl(bool on);
    void patchChange(Patch patch);
    // Sends the message (with the device number put into a copy when the
    // instrument wants one) and echoes it to the clients. The caller's message
    // is never changed. Returns the bytes sent; 0 when there was nothing to
    // send (a null or empty message, malformed hex, a never-send address);
    // -1 when the port did not take it: a closed port, a message longer than
    // the MIDI system takes (MidiBackend::maxMessageSize) or a failed send.
    // Only what went out is echoed.
    int sendSysex(Sysex* message);
    int sendSysex(const QString& hex);
    // Why the port refused the first system-exclusive message it did not take
    // since the calling thread last cleared the record; "" when it took them
    // all. A transmission of many messages behind a hook that returns
    // nothing (patchTransmit, storeAllPatches) is checked through this.
    static QString sendRefusal();
    static void clearSendRefusal();
    // False when the file or text holds nothing, or a message did not go out
    // (BulkDump::sendToSynth).
    bool transmitFile(const QString& path);
    bool transmitString(const QString& hex);

    // --- synchronous requests ------------------------------------------------
    // Each blocks the calling thread up to timeoutMs; only one may wait at a
    // time per device, a second fails at once.
    MidiInPort* syncIdRequest(MidiOutPort* out, int timeoutMs);
    bool syncBulkRequest(unsigned int address, BulkDump& target, int timeoutMs);
    int syncParamRequest(MidiParam param, int timeoutMs);

    // How the last synchronous request that the calling thread made ended.
    // A request blocks its thread, so this tells the caller why the request
    // it just made failed, also through a hook that only says false
    // (syncPatchRequest); SyncNone after clearSyncOutcome means that no
    // request was made at all (the instrument could not address it).
    enum SyncOutcome
    {
        SyncNone = 0,     // no request since clearSyncOutcome
        SyncAnswered = 1, // the reply came in time
        SyncBusy = 2,     // refused at once: another request was waiting
        SyncTimedOut = 3, // sent; no whole reply within the time
        SyncRejected = 4  // a reply came, but not the whole of what was asked
    };
    static SyncOutcome lastSyncOutcome();
    static void clearSyncOutcome();
    // An instrument class whose request checks the reply it got marks it
    // rejected for the calling thread, and says why in syncReplyError().
    static void rejectSyncReply();
    virtual QString syncReplyError() const { return QString(); }

    // --- part mixer ----------------------------------------------------------
    // The record of part, null outside the list. The record never moves.
    Part* mixPart(int part);
    void mutePart(int part, bool mute);
    void applySoloMute();
    void cancelSoloMute();

    // --- tables and documents ----------------------------------------------
    void loadIni(const QString& resource);
    void loadXml(const QString& resource);
    DeviceTable* getTable(const QString& spec) const;
    // Takes ownership; a different table stored under spec is deleted.
    void addTable(const QString& spec, DeviceTable* table);
    // Builds the table on first request and keeps it; never null.
    DeviceTable* createTable(const QString& spec);

    // --- banks, bank sets and user bank files -----------------------------------
    // (bank registry: declarations go here)
    // The registry holds at most one bank per bank word (MSB << 8 | LSB) and
    // shares it with the bank sets that list it (see DeviceBank.h).
    // The bank stored under the word, or null. The plain pointer stays valid
    // while the registry keeps the bank; sharedBank keeps it alive for its
    // holder. ("class" declares DeviceBank for this header.)
    class DeviceBank* getBank(unsigned short bankWord) const;
    std::shared_ptr<DeviceBank> sharedBank(unsigned short bankWord) const;
    // The bank stored under the word, unchanged (name and count of the call
    // ignored); otherwise a new bank, stored and returned. Never null.
    DeviceBank* createBank(const QString& name, unsigned short bankWord, int count);
    std::shared_ptr<DeviceBank> createSharedBank(const QString& name, unsigned short bankWord, int count);
    // Takes ownership of bank and stores it under the word in place of the
    // bank stored there (a null bank just removes it).
    void addBank(unsigned short bankWord, DeviceBank* bank);
    // Removes the bank stored under the word, if any.
    void deleteBank(unsigned short bankWord);
    int bankCount() const;
    // Makes sure every bank the INI section lists is in the registry.
    void loadBankSet(const QString& name);
    // Removes every bank the INI section lists from the registry.
    void deleteBankSet(const QString& name);
    // The bank's name without the device's name in it ("Vesk ES USER1" gives
    // "USER1"); "%03d/%03d" of MSB and LSB when the registry has no such bank.
    QString bankName(unsigned short bankWord) const;
    // "bank name:program"; "" for an invalid patch.
    QString printPatch(Patch patch, Patch::ProgramNumberType type) const;
    // Takes the voice banks and their patch names from an instrument definition
    // file (.ins): a new "VOICES" section and one patch-name section per bank
    // in the INI data, the model's name as the device name, and file and
    // model in the profile. An empty model takes the file's only model or
    // asks for one. False, with nothing changed, when the file cannot be
    // read or does not define the model.
    bool loadInsFile(const QString& file, const QString& model);
    // Asks for the file first; false when that is cancelled.
    bool loadInsFile();
    // "<data folder>/3F08.ini": the user bank file of the bank word.
    QString getUserBankFile(unsigned short bankWord) const;
    QString getMacroFile() const;
    // Renames the patch's slot in its registry bank (DeviceBank::setPatchName);
    // false when the registry has no such bank or the rename was refused or
    // not written.
    bool updateUserPatchName(Patch patch, const QString& name);
    // Renames several slots (program to name) of the bank at once, writing
    // its user bank file once; the same refusals as one by one.
    bool updateUserPatchNames(unsigned short bankWord, const QMap<int, QString>& names);

    // --- hooks of the receive path and of the instrument ---------------------
    // IMidiPortOwner: the receive thread.
    void OnShortMessage(MidiInPort* port, unsigned int message) override;
    void OnLongMessage(MidiInPort* port, unsigned char* data, int length) override;

    // Hand the message to every client, in registration order.
    virtual void OnMidiMessage(const MidiMessage& message, MidiSource source);
    virtual void OnSysex(Sysex* message, MidiSource source);
    virtual void OnPatchChange(Patch patch, MidiSource source);

    virtual void patchChange(Patch patch, int channel);
    virtual void patchChangeByType(int type);
    virtual void idRequest(MidiOutPort* port);
    virtual void paramRequest(MidiParam param);
    virtual void paramChange(MidiParam param, int value);
    virtual void bulkRequest(unsigned int address);
    virtual void patchRequest(Patch patch, bool setMode);
    virtual bool syncPatchRequest(Patch patch, BulkDump& target, bool setMode);
    virtual bool syncEditBufferRequest(int type, BulkDump& target, int ms);
    virtual void bulkTransmit(unsigned int address, BulkDump* dump);
    virtual void patchTransmit(Patch patch, BulkDump* dump, bool setMode);
    virtual void toEditBuffer(PatchDump* dump);
    virtual void strip(BulkDump* dump);
    virtual QString displaySysex(Sysex* message);
    // Pauses of m_delay ms while connected, after a request and after each
    // transmitted message.
    virtual void waitRequest();
    virtual void waitTransmit();
    virtual bool checkId(Sysex* message);
    // A new, empty message of the instrument's own kind, owned by the caller.
    // The generic device knows no message layout and gives null.
    virtual Sysex* createSysex();
    virtual void setMode(int mode);
    virtual void setModeByType(int type);
    virtual void setModeByBank(unsigned short bank);
    virtual QString bankNumber(unsigned short bank);
    virtual bool isUserBank(unsigned short bank);
    virtual int bankType(unsigned short bank);
    virtual QString bankTypeName(int type);
    virtual PatchDump* createPatchDump(int type);
    // Address of the index-th instance of an indexed parameter; the generic
    // device has none.
    virtual unsigned int getIndexedAddress(unsigned int base, int index);
    virtual void setPartVolume(int part, int volume);
    virtual void storeAllPatches();
    virtual void storePatch(Patch patch);
    virtual void storeGlobal();
    virtual bool hasKeyboard();
    virtual bool hasDeviceId();
    virtual bool hasSecondaryPorts();
    virtual void setSecondaryPorts();

protected:
    void customEvent(QEvent* event) override;

    // For the instrument's checkId, on the receive thread.
    void setModel(const QString& model);

    // Receive thread: hand a message on to the GUI thread, behind everything
    // handed on before. The message is copied (a sysex as its bytes).
    void PostMidiMessage(const MidiMessage& message, MidiSource source);
    void PostSysex(Sysex* message, MidiSource source);
    void PostPatchChange(Patch patch, MidiSource source);

    // The clients at this moment, for walking them without holding the lock.
    QList<MidiClient*> clients() const;

    // How many received messages, and how many system-exclusive bytes among
    // them, may wait for the GUI thread; more are dropped until it has caught
    // up.
    void setReceiveLimits(size_t messages, size_t bytes);

    // Device number 0..15, written by the set-up dialog (GUI thread), read by
    // any thread that sends.
    std::atomic<int> m_deviceId{0};
    // Written by checkId on the receive thread, read by the GUI; under m_modelLock.
    QString m_model;
    mutable QMutex m_modelLock;
    QString m_name;
    const QString m_originalName; // the constructor's name; never changes
    MidiInPort m_midiIn;
    MidiOutPort m_midiOut;
    MidiInPort m_midiIn2;
    MidiOutPort m_midiOut2;
    MidiInPort m_auxIn;
    MidiOutPort m_auxOut;
    // Set true by the receive thread, false by disconnect; read anywhere.
    std::atomic<bool> m_connected{false};
    std::unique_ptr<Task_AutoConnector> m_autoConnector;
    std::unique_ptr<Task_Poller> m_poller;
    MapEx<QString, DeviceTable*> m_tables;
    // Registered clients. Changed on the GUI thread; walked by any thread that
    // sends (echoes) and by the GUI thread; under m_clientsLock.
    Vector<MidiClient*> m_clients;
    mutable QMutex m_clientsLock;
    XmlDocument m_xml;
    IniFile m_ini;
    QString m_dataFolder;
    MixParts m_parts;
    // The instrument's channel: set by the instrument on the GUI thread, read
    // by every thread that sends.
    std::atomic<int> m_channel{0};
    // Written by the GUI thread, read by the receive thread.
    std::atomic<int> m_auxChannel{-1};
    // Filled by the instrument's constructor, read by every thread that sends.
    Vector<unsigned int> m_noSendAddresses;
    // Written by the set-up dialog, read by any thread that transmits.
    std::atomic<int> m_delay{0};
    // Bank trackers: written and read by the receive thread(s).
    std::atomic<int> m_bankMsb{-1};
    std::atomic<int> m_bankLsb{-1};
    std::atomic<int> m_program{-1};
    std::unique_ptr<SysexSignal> m_signal;
    // (bank registry: fields go here)
    // Banks by bank word. Changed on the GUI thread (bank sets, definition
    // files), read by transfer jobs that rename patches; under m_banksLock.
    QMap<unsigned short, std::shared_ptr<DeviceBank>> m_banks;
    mutable QMutex m_banksLock;

private:
    // (send and receive path: private helpers go here)
    // One message on its way from the receive thread to the GUI thread.
    struct Received
    {
        int kind; // PostedShort, PostedSysex or PostedPatch
        MidiSource source;
        unsigned int value; // the packed short message or patch
        QByteArray bytes;   // the whole system-exclusive message
    };
    // Receive thread: queues the message, and posts a batch event unless one
    // is on its way already.
    void queueReceived(Received&& message);
    // GUI thread: adds messages to the hand-over and runs it, unless it runs
    // further up the stack already (a hook that runs an event loop must not
    // let later messages overtake the ones still waiting).
    void deliverReceived(std::vector<Received>&& messages);
    void deliver(const Received& message);
    // Any thread: hands what was just sent to the clients as SourceGUI, at
    // once on the GUI thread (short messages; sendSysex hands its own
    // message on there), through the receive queue from any other.
    void echoSent(Received&& message);

    bool isMainInput(const MidiInPort* port) const { return port == &m_midiIn; }
    // Hands the message on to the other side of the cable when it is of a kind
    // that is passed through. Receive thread.
    void passThrough(MidiMessage message, bool fromMain);
    // GUI thread: the oldest patch change waiting for its pause, handed on.
    void deliverPatchChange();
    // Patch changes (packed patch, source) waiting for their pause, oldest
    // first. Written and read on the GUI thread only.
    QList<QPair<unsigned int, int>> m_pendingPatches;

    // Messages handed on by the receive thread that the GUI thread has not
    // taken yet, oldest first, and whether a batch event is on its way to take
    // them. Written by the receive thread, taken by the GUI thread; under
    // m_receivedLock. The list swaps with m_delivering, so it keeps its room.
    std::vector<Received> m_received;
    bool m_batchPosted = false;
    // Under m_receivedLock, beside m_received: the system-exclusive bytes it
    // holds, and what arrived while it was full and was dropped.
    size_t m_receivedBytes = 0;
    quint64 m_receivedDropped = 0;
    // How much m_received may hold (messages, system-exclusive bytes); under
    // m_receivedLock. A burst fits many times over: only a peer that sends
    // faster than the clients take it in, for longer than a burst, fills it,
    // and without a limit the memory would go with it.
    size_t m_receivedLimit = size_t(1) << 20;
    size_t m_receivedByteLimit = size_t(64) << 20;
    QMutex m_receivedLock;
    // GUI thread only: the messages being handed to the hooks, the next one
    // of them, and whether the hand-over is running.
    std::vector<Received> m_delivering;
    size_t m_nextDelivery = 0;
    bool m_delivery = false;

    // GUI thread: tells every client to compare its state with the device's.
    void notifyClients();
};
