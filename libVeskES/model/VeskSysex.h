// The instrument's system-exclusive messages: their four kinds, how they are
// read and built, and where a parameter sits inside a bulk block.
//
// Wire forms (n is the device number nibble; we always build with n = 0 and
// MidiDevice::sendSysex puts the configured number in on sending):
//   bulk dump          F0 43 0n 7F 00 cH cL aH aM aL <data> ck F7
//                      cH cL = data size in two 7-bit groups; ck = checksum
//                      over bytes 5 .. size-3
//   parameter change   F0 43 1n 7F 00 aH aM aL <data> F7   (no checksum)
//   bulk request       F0 43 2n 7F 00 aH aM aL F7
//   parameter request  F0 43 3n 7F 00 aH aM aL F7
// Addresses are three whole bytes. Every block of the instrument's memory is
// framed by an empty bulk dump at its bulk address + 0x0E0000 (header) and one
// at + 0x0F0000 (footer); a bulk request names a block by its header.
//
// Everything here is a pure function of the message bytes: nothing locks, and
// a message may be read on any thread that owns it. Nothing throws; a message
// that is not the instrument's stays invalid (type -1) and answers every query
// with false, -1 or empty text.
#pragma once

#include "Sysex.h"

class VeskSysex : public Sysex
{
public:
    // Message kinds, from the high nibble of byte 2.
    enum Kind
    {
        KindBulkDump = 0x00,
        KindParameterChange = 0x10,
        KindBulkRequest = 0x20,
        KindParameterRequest = 0x30
    };

    static constexpr unsigned int HeaderOffset = 0x0E0000;
    static constexpr unsigned int FooterOffset = 0x0F0000;
    // Characters of a patch name, data bytes 0..9 of a common block.
    static constexpr int NameSize = 10;
    // Data bytes of a common block holding the main and sub category.
    static constexpr int MainCategoryPos = 12;
    static constexpr int SubCategoryPos = 13;

    VeskSysex() = default;
    ~VeskSysex() override = default;

    QString modelId() override;
    bool isHeader() override;
    bool isFooter() override;
    // Only bulk dump messages belong to a block: a parameter change that the
    // instrument sends while a block is awaited (the user turning a knob) goes
    // to the clients, not into the block.
    bool isBulkDump() override { return m_type == KindBulkDump; }
    bool hasName() override;
    // The ten name characters of a common block; with a category, the short
    // category name of data byte 12 and ":" in front ("Ap:Init Voice").
    QString readName(MidiDevice* device) override;
    // A bulk dump of a common block that carries a category.
    bool hasCategory() override;
    // True for every bulk dump (an empty header or footer too) and for a
    // parameter change that carries at least one data byte.
    bool hasData() override;
    bool isParameterChange() const { return m_type == KindParameterChange; }
    // Re-addresses a valid message (a bulk dump in practice) and renews its
    // checksum; an invalid message, or one already at that address, is left
    // alone.
    void setAddress(unsigned int address) override;
    int getParameterData(const MidiParam& param) override;
    QString printAnalysis() override;
    void prepareParameterRequest(const MidiParam& param) override;
    void prepareParameterChange(const MidiParam& param, int value) override;
    // Position of the parameter in the data region when the whole value lies
    // inside it; -1 otherwise.
    int getParameterPos(const MidiParam& param) override;
    // The address of the bulk message that holds address, and the offset of
    // address inside that message's data. Most blocks are one message from low
    // byte 0 on; a few sub-blocks (the sub-block windows) are messages of
    // their own that start at a non-zero low byte.
    void getBulkBaseAndOffset(unsigned int address, unsigned int& base, unsigned int& offset) override;
    void analyse() override;

    // Builders; each replaces the whole message (and so re-analyses it).
    void prepareBulkRequest(unsigned int bulkAddress);
    // data: hex text of the data bytes ("00 40 40"); empty gives the 12-byte
    // empty dump.
    void prepareBulkDump(unsigned int address, const QString& data);
    void prepareBulkHeader(unsigned int bulkAddress);
    void prepareBulkFooter(unsigned int bulkAddress);

    // The sub-block window holding address: true with its base and length, or
    // false when address lies in no window.
    static bool findWindow(unsigned int address, unsigned int& base, unsigned int& length);

private:
    // Index of the first address byte; -1 for a message that is not valid.
    int addressIndex() const;
};
