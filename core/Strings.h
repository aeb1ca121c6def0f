// Small text and number helpers shared by every layer.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Decimal with an optional sign, or hexadecimal when hex is set (an optional
// "0x" is accepted). Surrounding blanks are ignored; anything that does not
// parse whole gives def.
int StringToInt(const QString& text, bool hex = false, int def = 0);
// Decimal with an optional sign, or hexadecimal after "0x" (a 32-bit pattern:
// "0xFFFFFFFF" is -1). False when the text is not a whole number that fits.
bool ParseInt32(QStringView text, int& out);
double StringToDouble(const QString& text, double def = 0.0);

// The value of a hexadecimal digit of either case; -1 for any other character.
inline int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

// Text read from a file: UTF-8 when it decodes cleanly, else Latin-1 (older
// definition files and the plug-in board files). A UTF-8 byte order mark is
// dropped.
QString DecodeText(const QByteArray& data);

bool HasLetter(const QString& text);
bool HasDigit(const QString& text);
bool AllDigits(const QString& text);   // non-empty and only 0-9
bool IsPrintable(int c);               // 0x20..0x7E
QString stripAmp(const QString& text); // drops mnemonic "&" ("&&" keeps one)

// Cut the given characters off both ends (trim) or the end (trimRight), in
// place; the value forms return the result.
void trim(QString& text, const QString& chars = QStringLiteral(" \t\r\n"));
QString trimmed(const QString& text, const QString& chars = QStringLiteral(" \t\r\n"));
void trimRight(QString& text, const QString& chars = QStringLiteral(" \t\r\n"));
void trimRight(QString& text, char c);

// The fields after index n, joined again with ",".
QString TokensTail(const QStringList& fields, int n);

// Hex address text in which each run of "x" stands for the iterator written in
// that many hex digits: "31xx21" with 2 gives 0x310221. "" gives -1 (as
// 0xFFFFFFFF); text that is not hex, more than eight digits, or a run of "x"
// with an iterator below 0 or too wide for it gives -1 too. Text without "x"
// is read whatever the iterator.
unsigned int ParseIterator(const QString& text, int iterator);

// "F1".."F35" give the matching Qt key code; 0 for anything else.
int GetKeyFromString(const QString& name);

// Sort key of a name in which runs of digits compare by value.
QString AlignNumbers(const QString& text);
// Three-way comparison of names, case-insensitive, digit runs by value.
int CompareStrings(const QString& a, const QString& b);

// Base of the sort functors: the column and direction, copied into the sort.
struct Sorter
{
    Sorter(int column = 0, bool ascending = true) : m_column(column), m_ascending(ascending) {}
    int m_column;
    bool m_ascending;
};

double LogBase(double value, double base);
