// A small test instrument: its system-exclusive messages and its device.
//
// Messages (model id 7F 00, device number in the low nibble of byte 2):
//   parameter change  F0 43 1n 7F 00 aa aa aa <data> F7          no checksum
//   parameter request F0 43 3n 7F 00 aa aa aa F7
//   bulk request      F0 43 2n 7F 00 aa aa aa F7
//   bulk dump         F0 43 0n 7F 00 cc cc aa aa aa <data> ss F7
// Addresses are three 8-bit bytes, high first. A bulk dump gives its data size
// in two 7-bit groups (cc cc) and a checksum (ss) over the bytes from the size
// up to the last data byte.
//
// Memory layout: a bulk block is the address with its low byte cleared, the low
// byte is the offset inside the block. A bulk dump at HeaderAddress opens a
// dump, one at FooterAddress closes it. Voice blocks (high byte VoiceBlock)
// carry a 10-character name at data 0..9 and a category byte at data 10.
#pragma once

#include "MidiDevice.h"
#include "PatchDump.h"
#include "Sysex.h"

#include <QByteArray>

class TestSysex : public Sysex
{
public:
    enum Type
    {
        ParameterChange = 0,
        ParameterRequest = 1,
        BulkRequest = 2,
        BulkDump = 3
    };

    static constexpr unsigned int HeaderAddress = 0x0E0000;
    static constexpr unsigned int FooterAddress = 0x0F0000;
    static constexpr unsigned int VoiceBlock = 0x10; // high byte of voice blocks
    static constexpr int NameSize = 10;
    static constexpr int CategoryPos = 10;

    static const char* const ParameterChangeTemplate;
    static const char* const ParameterRequestTemplate;
    static const char* const BulkRequestTemplate;
    static const char* const BulkDumpTemplate;

    // Hex text of messages of this instrument, device number 0.
    static QString bulkDumpText(unsigned int address, const QByteArray& data);
    static QString bulkRequestText(unsigned int address);
    // The instrument's answer to an identity request: F0 7E 0n 06 02, maker 43,
    // family 7F 00, member and version bytes.
    static QString identityReplyText(int deviceNumber = 0);
    // A voice block of size bytes named name (blank-padded), the rest zero.
    static QByteArray voiceData(const QString& name, int size = 16);

    // Fills this message with a bulk dump or a bulk request.
    void prepareBulkDump(unsigned int address, const QByteArray& data);
    void prepareBulkRequest(unsigned int address);

    int deviceNumber() const { return size() > 2 ? at(2) & 0x0F : -1; }
    bool isVoice() const { return m_type == BulkDump && (m_address >> 16) == VoiceBlock; }

    QString modelId() override { return QStringLiteral("7F 00"); }
    bool isHeader() override { return m_type == BulkDump && m_address == HeaderAddress; }
    bool isFooter() override { return m_type == BulkDump && m_address == FooterAddress; }
    bool hasName() override { return isVoice() && dataSize() >= NameSize; }
    QString readName(MidiDevice* device) override;
    bool hasCategory() override { return isVoice() && dataSize() > CategoryPos; }
    bool hasData() override { return m_type == ParameterChange || m_type == BulkDump; }
    bool isBulkDump() override { return m_type == BulkDump; }
    void setAddress(unsigned int address) override;
    void prepareParameterRequest(const MidiParam& param) override;
    void prepareParameterChange(const MidiParam& param, int value) override;
    int getParameterPos(const MidiParam& param) override;
    void getBulkBaseAndOffset(unsigned int address, unsigned int& base, unsigned int& offset) override;
    void analyse() override;

private:
    int addressIndex() const { return m_type == BulkDump ? 7 : 5; }
};

// A device of the test instrument. It counts the indexed-address look-ups
// so tests can tell whether the device was asked.
class TestDevice : public MidiDevice
{
    Q_OBJECT

public:
    explicit TestDevice(const QString& name = QStringLiteral("Test Instrument"), int delay = 0);
    // Its hooks answer the receive thread: traffic ends before they go.
    ~TestDevice() override { shutdown(); }

    Sysex* createSysex() override { return new TestSysex; }
    // A new, empty TestPatchDump of that kind.
    PatchDump* createPatchDump(int type) override;
    // Instance index of a block of 0x100 bytes each.
    unsigned int getIndexedAddress(unsigned int base, int index) override;
    // Accepts the identity reply of identityReplyText and names the model
    // ModelName.
    bool checkId(Sysex* message) override;
    // Sends the bulk request for the block at address.
    void bulkRequest(unsigned int address) override;

    static const char* const ModelName;

    int indexedAddressCalls = 0;
};

// A patch dump of the test instrument, for a device that may be null.
//
// Initial content of a Voice: three bulk blocks, 0x100000 (16 data bytes: the
// name "Init Voice" and category 0 at data 10), 0x100100 (8 bytes 0x40) and
// 0x100200 (4 bytes 0x7F). A Voice has a category when its first message is a
// voice block long enough to hold one; it prints as "Cat<n>".
// Initial content of a Plain dump: 0x200000 and 0x200100, 12 zero bytes each;
// it keeps every category default of the generic dump.
// The content does not depend on the model.
class TestPatchDump : public PatchDump
{
public:
    enum Kind
    {
        Voice = 0,
        Plain = 1
    };

    static constexpr unsigned int VoiceAddress = 0x100000;
    static constexpr unsigned int PlainAddress = 0x200000;

    explicit TestPatchDump(MidiDevice* device, int kind = Voice);

    void init() override;
    void buildInit(const QString& model) override;
    int type() override { return m_kind; }
    int maxNameSize() override { return TestSysex::NameSize; }
    bool hasCategory() override;
    int getCategoryData() override;
    QString printCategory(bool full) override;

    // Appends one bulk block of the test instrument.
    void addBlock(unsigned int address, const QByteArray& data);

private:
    MidiDevice* m_device;
    int m_kind;
};
