// Bank-select pairs, patches (a program in a bank) and note names.
#pragma once

#include <QString>
#include <QStringList>

// A bank-select pair: controller 0 (MSB) and controller 32 (LSB). Its 16-bit
// form, the bank word, is MSB << 8 | LSB.
class Bank
{
public:
    int msb = -1;
    int lsb = -1;

    Bank() = default;
    explicit Bank(unsigned short word) : msb(word >> 8), lsb(word & 0xFF) {}
    Bank(int msb, int lsb) : msb(msb), lsb(lsb) {}

    // ((msb << 8) + lsb) cut to 16 bits, so an LSB above 255 carries into the
    // high byte.
    unsigned short word() const { return static_cast<unsigned short>((unsigned(msb) << 8) + unsigned(lsb)); }
    operator unsigned short() const { return word(); }
    bool isValid() const { return unsigned(msb) <= 127 && unsigned(lsb) <= 127; }
    // "063/064"; not validated, so the reset bank prints its -1 values.
    QString toString() const;
};

// One program in one bank. The packed form (bank word << 8) + program travels
// in posted events, lists and library files; 0xFFFFFFFF stands for no patch.
class Patch
{
public:
    enum ProgramNumberType
    {
        ZeroBased = 0,      // 000..127
        OneBased = 1,       // 001..128
        Grouped = 2,        // A01..H16, sixteen programs a group
        OneBasedGrouped = 3 // "001 (A01)"
    };

    int program = -1;
    Bank bank;

    Patch() = default;
    Patch(int msb, int lsb, int program) : program(program), bank(msb, lsb) {}
    // The program is not range-checked: the sum is decoded as a packed value,
    // so a program of 256 or more carries into the bank LSB.
    Patch(unsigned short bank, int program) { fromUInt((unsigned(bank) << 8) + unsigned(program)); }
    explicit Patch(unsigned int packed) { fromUInt(packed); }

    void reset();
    bool isValid() const { return bank.isValid() && program >= 0 && program <= 127; }
    unsigned int toUInt() const;
    operator unsigned int() const { return toUInt(); }
    // Bits 24-31 are ignored; anything that decodes to an invalid patch resets.
    void fromUInt(unsigned int packed);

    static QString PrintProgram(int program, ProgramNumberType type);
    QString printProgram(ProgramNumberType type) const { return PrintProgram(program, type); }
    // "000/064:001"; empty text for an invalid patch.
    QString print(ProgramNumberType type) const;
    QString toString() const { return print(OneBased); }
};

// The note names of MIDI notes 0..127: sharps only, octave note / 12 - 2, so
// note 60 is "C3".
extern const QStringList& NOTENAMES;

class Note
{
public:
    // "(invalid note)" outside 0..127.
    static QString name(int note);
    // A note name ("C#3", "c# 3") or a number text; 0 when no name matches.
    static int parse(const QString& text);
};
