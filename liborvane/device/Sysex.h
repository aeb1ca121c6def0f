// System-exclusive messages and the template language that builds them.
#pragma once

#include "Buffer.h"
#include "MidiParam.h"
#include "VarArgs.h"

#include <QList>
#include <QString>
#include <QVariant>

class MidiDevice;

// One system-exclusive message, F0 to F7, plus what the instrument's analysis
// found in it: a type, an address, the data region and where the checksum
// starts. The framework owns the byte handling every instrument shares; the
// layout of one instrument's messages lives in its subclass (analyse() and the
// other pure operations). Messages are always made by the device
// (MidiDevice::createSysex), so each one is of the instrument's class.
//
// The data region is held as an index into the message bytes, so it stays
// valid when the bytes move. Every write into it masks to 7 bits, stays inside
// the region (never the header, the checksum or past the end) and keeps the
// checksum current.
class Sysex : public Buffer
{
public:
    Sysex() = default;
    ~Sysex() override = default;

    // Inline: every message of a library file is analysed as it is read.
    bool isSysex() const { return !isEmpty() && at(0) == 0xF0 && at(size() - 1) == 0xF7; }
    // A universal identity reply.
    bool isId() const;
    bool isValid() const { return m_type != -1; }
    int type() const { return m_type; }
    unsigned int address() const { return m_address; }
    // Index of the first data byte in the message; -1 without a data region.
    int dataStart() const { return m_dataStart; }
    // Index of the first byte the checksum covers; -1 without a checksum.
    int checksumStart() const { return m_checksumStart; }

    virtual QString modelId() = 0; // hex text passed for "%M"
    virtual bool isHeader() = 0;
    virtual bool isFooter() = 0;
    virtual bool isLastOfBulk() { return isFooter(); }
    // The message is part of a bulk dump (header, data block or footer), as
    // opposed to a parameter change the instrument sends on its own. An awaited
    // bulk reply takes only such messages. The instrument should override it:
    // the base cannot tell a data block from a parameter change.
    virtual bool isBulkDump() { return isHeader() || isFooter() || isLastOfBulk() || hasData(); }
    virtual bool hasName() = 0;
    virtual QString readName(MidiDevice* device) = 0;
    virtual bool hasCategory() = 0;
    virtual bool hasData() = 0;
    virtual void setAddress(unsigned int address) = 0;
    // The parameter's value read from the data region; -1 when the message
    // does not hold it.
    virtual int getParameterData(const MidiParam& param);
    // The addresses [first, end) at which parameters this message holds may
    // start: every parameter for which getParameterData gives a value lies
    // there. Panels look their controls up by it, so a message reaches only
    // the controls it can concern. False when the message holds no parameter
    // (no data, no address). The base takes the data region from the
    // message's address on, which is where a parameter change holds its
    // parameter and a bulk block its parameters; an instrument whose
    // messages place parameters otherwise overrides it.
    virtual bool parameterSpan(unsigned long long& first, unsigned long long& end);
    // "%08X : " and the data as hex text.
    virtual QString printAnalysis();
    virtual void prepareParameterRequest(const MidiParam& param) = 0;
    virtual void prepareParameterChange(const MidiParam& param, int value) = 0;
    // Index of the parameter in the data region, -1 when not held here.
    virtual int getParameterPos(const MidiParam& param) = 0;
    virtual void getBulkBaseAndOffset(unsigned int address, unsigned int& base, unsigned int& offset) = 0;
    // Classifies the bytes; sets type, address, data region and checksum start.
    virtual void analyse() = 0;

    int dataSize() const { return m_dataLength; }
    // The data byte at i; 255 (never a stored data byte) when there is none.
    int dataAt(int i) const;
    // Stores value & 0x7F and updates the checksum; nothing outside the region.
    void setDataAt(int i, int value);
    void copyDataToBuffer(int pos, Buffer* dst, int dstPos, int count) const;
    void copyDataFromBuffer(int pos, const Buffer* src, int srcPos, int count);
    // from -1: 0; to -1: the shorter of the two regions. Bytes src does not
    // have and positions past this region are left alone.
    void copyData(const Sysex* src, int from, int to);
    void dataToBuffer(Buffer* dst) const;
    QString dataToString() const;

    // Fixed-width text fields inside the data region. readDataText keeps
    // trailing blanks and zero bytes; callers trim.
    QString readDataText(int pos, int width) const;
    void storeDataText(const QString& text, int pos, int width, char pad);

    // The checksum makes the covered bytes and itself add up to a multiple of
    // 128; it is always the byte before the closing F7.
    static int CalculateChecksum(const Buffer* b, int start);
    static void SetChecksum(Buffer* b, int value);
    static void UpdateChecksum(Buffer* b, int start);
    void updateChecksum();

    // Builds a message as hex text from a template:
    //   %M   text argument (the model id) appended as it is
    //   %A<d> unsigned argument as d bytes, most significant first
    //   %D   text argument (data bytes) appended as it is
    //   #<d> the number of "%D" bytes as d 7-bit groups
    //   *<d> checksum over the finished message from byte index d up to the
    //        byte before it
    // Any other "%" code consumes one argument and prints nothing; every other
    // character is copied. A width or start that is not a digit 0-9 counts as
    // none: "%A" consumes its argument and prints nothing, "#" prints nothing,
    // and "*" writes a 00 checksum. The result is simplified (single blanks).
    static QString FormatSysexV(const QString& templ, const QList<QVariant>& args);
    static QString FormatSysex(const QString& templ, const QList<QVariant>& args)
    {
        return FormatSysexV(templ, args);
    }
    template <typename... A>
    static QString FormatSysex(const QString& templ, const A&... args)
    {
        const QList<QVariant> list{varargs_detail::toVariant(args)...};
        return FormatSysexV(templ, list);
    }

protected:
    // Re-analyses whenever the whole content was replaced; the fields start
    // from scratch so that bytes the instrument does not recognise leave the
    // message invalid, whatever it held before.
    void onNewData() override;
    void resetAnalysis();

    // Set by the instrument's analyse() and setAddress().
    int m_type = -1;
    unsigned int m_address = 0xFFFFFFFF;
    int m_dataStart = -1;
    int m_dataLength = 0;
    int m_checksumStart = -1;

private:
    // Message index of data byte i, or -1 when it is not inside the region
    // and the message bytes.
    int dataIndex(int i) const;
};
