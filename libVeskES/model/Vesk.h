// The instrument: the one concrete device of the suite.
//
// Vesk knows the instrument's banks and the memory block each maps to, its
// edit buffers, its identity reply, its modes, its program change (which for
// masters and multis is no MIDI program change), its block transfers and its
// six initial patches. Every program makes one at start and drives it through
// MidiDevice's virtual operations; the editors call some members directly.
//
// Threads. Everything fixed at construction (bank map, category tables, init
// dumps) is only read afterwards, from any thread. The current mode is written
// by whoever sends a mode change (the GUI, or a transfer task that switches
// modes before it requests) and by the echo or report of one, so it is atomic.
// Sends run on the caller's thread; received messages arrive on the GUI thread
// through the framework. Nothing here throws; failures are return values.
#pragma once

#include "MidiDevice.h"
#include "VeskDump.h"

#include <QMutex>

#include <atomic>

class BulkDump;
class VeskSysex;
class VoiceCopierInfo;
class QWidget;

class Vesk : public MidiDevice
{
    Q_OBJECT

public:
    // No block: an unknown patch or edit buffer.
    static constexpr unsigned int NoBulkAddress = 0xFFFFFFFF;

    // Bank words the device treats specially.
    static constexpr unsigned short MixVoiceBank = 0x3F3C;
    static constexpr unsigned short MultiBank = 0x7F7E;
    static constexpr unsigned short MasterBank = 0x7F7F;

    // Instrument addresses of single parameters.
    static constexpr unsigned int ModeAddress = 0x0A0001;
    static constexpr unsigned int MasterSelectAddress = 0x0A0000;
    static constexpr unsigned int ReceiveChannelAddress = 0x00000A;
    static constexpr unsigned int LocalControlAddress = 0x000009;
    // The performance block the instrument must never be sent.
    static constexpr unsigned int NeverSendAddress = 0x302000;

    Vesk();
    ~Vesk() override;

    // --- messages and dumps ------------------------------------------------
    // A new, empty VeskSysex; the caller owns it.
    Sysex* createSysex() override;
    // A new, empty dump of the type (0 voice .. 5 master) bound to this
    // device, or null for another type; the caller owns it.
    PatchDump* createPatchDump(int type) override;
    // The device's own initial dump of the type, or null; the device keeps it.
    VeskDump* initDump(int type);

    // --- banks (bank words; none reads the device's state) -----------------
    static bool isUserVoiceBank(unsigned short bank);
    static bool isUserDrumBank(unsigned short bank);
    static bool isMixVoiceBank(unsigned short bank);
    static bool isUserPLGBank(unsigned short bank);
    static bool isPerformanceBank(unsigned short bank);
    static bool isMultiBank(unsigned short bank);
    static bool isMasterBank(unsigned short bank);
    static bool isVoiceBank(unsigned short bank);
    static bool isDrumBank(unsigned short bank);
    static bool isPLGBank(unsigned short bank);
    bool isUserBank(unsigned short bank) override;
    // 0 voices (and mixing voices), 1 drum kits, 2 PLG voices,
    // 3 performances, 4 multis, 5 masters; -1 for any other bank.
    int bankType(unsigned short bank) override;
    QString bankTypeName(int type) override;
    // "" for multis and masters, which show no bank number.
    QString bankNumber(unsigned short bank) override;

    // --- addresses -------------------------------------------------------------
    // The edit buffer of a dump type, -1 for another type.
    static int getEditBuffer(int type);
    // The block of a patch location; NoBulkAddress for an invalid patch or a
    // bank without blocks (multis, mixing voices, PLG presets).
    unsigned int getBulkControl(Patch patch) const;
    // Re-addresses the bulk header and footer that a received block carries to
    // the block of patch, so the block goes there when it is sent. A dump
    // without them (a stripped dump, as the library keeps it) is left alone:
    // its own messages carry the block's internal addresses.
    void setBulkControls(BulkDump& dump, Patch patch);
    // Indexed parameters lie two bytes apart.
    unsigned int getIndexedAddress(unsigned int address, int index) override;

    // --- identity and capabilities ---------------------------------------------
    // Accepts the identity reply of an ES6, ES7 or ES8 and names the model.
    bool checkId(Sysex* reply) override;
    bool hasKeyboard() override { return true; }
    bool hasDeviceId() override { return true; }
    bool hasSecondaryPorts() override { return false; }
    void setSecondaryPorts() override;
    // When both main port names hold `from` after their first character, the
    // secondary ports are named after them with every `from` replaced by `to`.
    void replacePortNames(const QString& from, const QString& to);

    // --- categories ------------------------------------------------------------
    // The short name of a main category; "??" outside the table.
    QString printCategory(int main) const;
    // The full name of main and sub category, or the short name when the pair
    // has none.
    QString printCategory(int main, int sub) const;

    // --- the message monitor -----------------------------------------------------
    // A parameter change, byte by byte, coloured by the role of each byte, as
    // rich text; "" for every other message and for mode and master reports.
    QString displaySysex(Sysex* message) override;

    // --- requests and block transmission (VeskTransfer.cpp) --------------------
    // Asks for a block (by its header address); nothing for NoBulkAddress.
    void bulkRequest(unsigned int block) override;
    // Asks for a patch's block without waiting, switching to the patch's mode
    // first when setMode is set.
    void patchRequest(Patch patch, bool setMode) override;
    // The synchronous block requests below take a block only when it came
    // whole: its header, every block of its type's memory image once with its
    // size and checksum right, and its footer. On success dump holds the block,
    // header and footer included; on failure dump is left as it was and
    // transferError() says why.
    // A patch's block (3000 ms); false at once for a patch without a block.
    bool syncPatchRequest(Patch patch, BulkDump& dump, bool setMode) override;
    // The edit buffer of a dump type; false at once for another type.
    bool syncEditBufferRequest(int type, BulkDump& dump, int timeoutMs) override;
    // Why the last synchronous block request failed, for the user to read
    // ("Receive timeout!", "Checksum error in block 0x410000", "Block 0x470300
    // missing"); "" after one that succeeded.
    QString transferError() const;
    QString syncReplyError() const override { return transferError(); }
    // "" when received is the whole block (its header, every block of its
    // type's memory image once with its size and checksum right, and its
    // footer), else what is wrong with it.
    QString checkBlock(unsigned int block, const BulkDump& received);
    // Requests need no pause of their own.
    void waitRequest() override {}
    // A bulk dump of hex-text data (null: none) at the address, sent; what
    // sendSysex gives (0: nothing to send, -1: the port did not take it).
    int sendBulkBuffer(unsigned int address, const char* data);
    // Header, every message of dump, footer, each followed by the device's
    // pause; the header and footer tell the instrument where the block goes.
    // A message the port does not take ends it there, without the footer.
    void bulkTransmit(unsigned int block, BulkDump* dump) override;
    // The dump to a patch location; nothing for an empty dump or a patch
    // without a block.
    void patchTransmit(Patch patch, BulkDump* dump, bool setMode) override;
    // The dump to the edit buffer of its type; nothing for an empty dump.
    void toEditBuffer(PatchDump* dump) override;
    // Drops the header and footer of a received block (its first and last
    // message); a dump of fewer than two messages stays as it is.
    void strip(BulkDump* dump) override;
    // Copies the data of each of the count altered messages into the dump's
    // message of the same address, then sends the dump message by message as
    // it stands. False when a message found no place in the dump (the rest
    // goes out all the same).
    bool bulkTransmitAltered(BulkDump* dump, const VeskSysex* altered, int count);
    // Receives the block, alters it and sends it back with its own header and
    // footer. False when the block did not come whole (nothing is sent; the
    // reason is in transferError()) or an altered message found no place in
    // it (the block goes out as received but for the others).
    bool bulkTransmitAltered(unsigned int block, const Sysex* altered, int timeoutMs);
    bool bulkTransmitAltered(unsigned int block, const VeskSysex* altered, int count, int timeoutMs);
    // The store-all message, then 2500 ms for the instrument to write.
    void storeAllPatches() override;
    void storePatch(Patch) override {}
    void storeGlobal() override {}
    // The initial patches: voices, drum kits and PLG voices to a given block,
    // the others to their edit buffers.
    void initVoice(unsigned int block);
    void initDrumVoice(unsigned int block);
    void initPlgVoice(unsigned int block);
    void initPerformance();
    void initMix();
    void initMaster();

    // --- modes (VeskModes.cpp) -------------------------------------------------
    // "Voice", "Performance", "Pattern", "Song", "Master"; "" for others.
    static QString modeName(int mode);
    // Pattern, song and the mode 5 of the family's larger models.
    static bool isMixMode(int mode);
    // The mode last set or reported; -1 before any.
    int mode() const { return m_mode.load(); }
    // Sends the mode and waits 350 ms for the instrument to switch.
    void setMode(int mode) override;
    // The mode owning a bank type; sends nothing when the instrument is in it.
    void setModeByType(int bankType) override;
    // Mixing voices always switch to song mode; other banks by their type.
    void setModeByBank(unsigned short bank) override;
    // Asks the instrument for its mode; -1 when no answer came in time.
    int syncGetMode(int timeoutMs);
    void setMixPart(int) {}

    // --- program change ----------------------------------------------------------
    using MidiDevice::patchChange;
    // Masters are selected by a parameter change, multis by Song Select,
    // every other bank by bank select and program change on the channel.
    void patchChange(Patch patch, int channel) override;
    // Type 0: the first user voice; type 1: the first user drum kit.
    void patchChangeByType(int type) override;

    // --- incoming messages ---------------------------------------------------------
    // Mode and master reports are noted first; from the auxiliary input only
    // parameter changes go on to the clients.
    void OnSysex(Sysex* message, MidiSource source) override;
    // A Song Select (not from the auxiliary input) reports the multi it
    // selected as a patch change first.
    void OnMidiMessage(const MidiMessage& message, MidiSource source) override;
    void OnPatchChange(Patch patch, MidiSource source) override;

    // --- system settings -----------------------------------------------------------
    // Asks the instrument for its receive channel (500 ms) and makes it the
    // device's channel; no answer, or one above 15, gives channel 0.
    void updateRcvChannel();
    void setLocalOn(bool on);
    // Mixing part volume of parts 0-15 and the PLG parts 16-18; nothing for
    // volume -1 or a part beyond the mixer.
    void setPartVolume(int part, int volume) override;
    // Names the sixteen mixing voices "--" in the device's user bank.
    void resetMixVoices();
    void readUserWaveforms(const QString&) {}

    // --- plug-in boards (PlgBoards.cpp) ---------------------------------------------
    // Slots 0-2; see PlgBoards.h.
    QString plgFileName(int slot);
    QString plgName(int slot);
    void loadPLG();
    static QString translatePLGBankName(const QString& entry, int slot);
    // False, with the reason in error and the slot's old file kept, when the
    // board is refused or cannot be installed.
    bool createPLGFile(int slot, const QString& path, QString* error = nullptr);
    // The "PLG Setup" dialog; true when it was accepted.
    bool plgSetup(QWidget* parent);

    // --- the voice copier (VoiceCopier.cpp) ------------------------------------------
    // Copies the voice of dump into the part of the performance (kind 1) or
    // mix (any other kind) that info names, as parameter changes. A drum kit
    // bank is copied as a drum kit by either; any other bank as a voice by
    // CopyVoiceES and as a drum kit by CopyDrumES. False, with nothing sent
    // and the reason in error, when the copy cannot be made whole.
    bool CopyVoiceES(BulkDump* dump, VoiceCopierInfo* info, int kind, QString* error = nullptr);
    bool CopyDrumES(BulkDump* dump, VoiceCopierInfo* info, int kind, QString* error = nullptr);

private:
    void buildInitDumps();

    // Requests the block and checks what came (see syncPatchRequest); records
    // the outcome for transferError().
    bool receiveBlock(unsigned int block, BulkDump& dump, int timeoutMs);
    // The dump type of a patch location or edit buffer; -1 for another block.
    int blockType(unsigned int block);
    void setTransferError(const QString& error);

    // Written by whoever sends or echoes a mode change, or by a report from
    // the instrument (GUI thread); read anywhere.
    std::atomic<int> m_mode{-1};
    // Bank word -> bulk address of program 0. Filled by the constructor, then
    // only read.
    Map<unsigned short, unsigned int> m_bankMap;
    // The category tables, built by the constructor and owned by the table
    // store; only read afterwards, so any thread may print a category.
    DeviceTable* m_categories = nullptr;
    DeviceTable* m_categoriesFull = nullptr;
    // The initial patches, built by the constructor and only read afterwards.
    // Declared in type order: destroyed master first.
    VoiceDump m_initVoice;
    DrumDump m_initDrum;
    PLGDump m_initPlg;
    PerformanceDump m_initPerformance;
    MixDump m_initMix;
    MasterDump m_initMaster;
    // Written by the thread that runs a block request (the GUI, or a transfer
    // task), read by whoever shows its failure; under m_transferErrorLock.
    QString m_transferError;
    mutable QMutex m_transferErrorLock;
};

// Parameter base of an element's sub-block of a voice (element 0-3, kind
// 0-6); element << 8 alone for another kind.
unsigned int VOICE_ELM_PART(int element, int kind);
// Parameter base of a key's sub-block of a drum kit (key 0-72, kind 0-4); -1
// for another kind.
int DRUM_KEY_PART(int key, int kind);
