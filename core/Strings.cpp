#include "Strings.h"

#include <QStringDecoder>
#include <Qt>

#include <climits>
#include <cmath>

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Blanks around a number: spaces and tabs, and line ends from text files.
QStringView stripBlanks(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    auto blank = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    };
    while (from < to && blank(text.at(from)))
        ++from;
    while (to > from && blank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

// Digit runs padded to this width compare by value.
constexpr int NumberWidth = 12;

} // namespace

int StringToInt(const QString& text, bool hex, int def)
{
    QStringView t = stripBlanks(text);
    bool negative = false;
    if (!t.isEmpty() && (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t = t.mid(1);
    }
    if (hex && t.size() > 2 && t.at(0) == QLatin1Char('0') &&
        (t.at(1) == QLatin1Char('x') || t.at(1) == QLatin1Char('X')))
        t = t.mid(2);
    if (t.isEmpty())
        return def;
    const quint64 base = hex ? 16 : 10;
    // Hex text names bit patterns, so it may fill all 32 bits; decimal stays in int's range.
    const quint64 limit = hex ? quint64(UINT_MAX) : (negative ? quint64(INT_MAX) + 1 : quint64(INT_MAX));
    quint64 value = 0;
    for (QChar c : t) {
        const int d = hex ? HexDigitValue(c.unicode()) : (isAsciiDigit(c) ? c.unicode() - u'0' : -1);
        if (d < 0)
            return def;
        value = value * base + quint64(d);
        if (value > limit)
            return def;
    }
    const qint64 signedValue = hex ? qint64(qint32(quint32(value))) : qint64(value);
    return int(negative ? -signedValue : signedValue);
}

double StringToDouble(const QString& text, double def)
{
    bool ok = false;
    const double value = stripBlanks(text).toDouble(&ok);
    return ok ? value : def;
}

QString DecodeText(const QByteArray& data)
{
    QByteArrayView bytes(data);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

bool HasLetter(const QString& text)
{
    for (QChar c : text) {
        if (c.isLetter())
            return true;
    }
    return false;
}

bool HasDigit(const QString& text)
{
    for (QChar c : text) {
        if (isAsciiDigit(c))
            return true;
    }
    return false;
}

bool AllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

bool IsPrintable(int c)
{
    return c >= 0x20 && c <= 0x7E;
}

QString stripAmp(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            // "&&" stands for one ampersand; a lone one only marks the mnemonic.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += text.at(i);
    }
    return out;
}

void trim(QString& text, const QString& chars)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && chars.contains(text.at(from)))
        ++from;
    while (to > from && chars.contains(text.at(to - 1)))
        --to;
    text = text.mid(from, to - from);
}

QString trimmed(const QString& text, const QString& chars)
{
    QString copy = text;
    trim(copy, chars);
    return copy;
}

void trimRight(QString& text, const QString& chars)
{
    qsizetype to = text.size();
    while (to > 0 && chars.contains(text.at(to - 1)))
        --to;
    text.truncate(to);
}

void trimRight(QString& text, char c)
{
    trimRight(text, QString(QLatin1Char(c)));
}

QString TokensTail(const QStringList& fields, int n)
{
    if (n < -1)
        n = -1;
    return fields.mid(n + 1).join(QLatin1Char(','));
}

unsigned int ParseIterator(const QString& text, int iterator)
{
    const unsigned int invalid = 0xFFFFFFFF;
    const QStringView t = stripBlanks(text);
    if (t.isEmpty())
        return invalid;
    quint64 value = 0;
    int digits = 0;
    for (qsizetype i = 0; i < t.size();) {
        const QChar c = t.at(i);
        if (c == QLatin1Char('x') || c == QLatin1Char('X')) {
            qsizetype run = 0;
            while (i + run < t.size() &&
                   (t.at(i + run) == QLatin1Char('x') || t.at(i + run) == QLatin1Char('X')))
                ++run;
            // The iterator must fit the digits its run of "x" gives it.
            if (iterator < 0 || run > 8 || quint64(iterator) >= (quint64(1) << (4 * run)))
                return invalid;
            value = value << (4 * run) | quint64(iterator);
            digits += int(run);
            i += run;
        } else {
            const int d = HexDigitValue(c.unicode());
            if (d < 0)
                return invalid;
            value = value << 4 | quint64(d);
            ++digits;
            ++i;
        }
        if (digits > 8)
            return invalid;
    }
    return static_cast<unsigned int>(value);
}

int GetKeyFromString(const QString& name)
{
    const QStringView t = stripBlanks(name);
    if (t.size() < 2 || (t.front() != QLatin1Char('F') && t.front() != QLatin1Char('f')))
        return 0;
    const int n = StringToInt(t.mid(1).toString(), false, 0);
    if (!AllDigits(t.mid(1).toString()) || n < 1 || n > 35)
        return 0;
    return Qt::Key_F1 + (n - 1);
}

QString AlignNumbers(const QString& text)
{
    QString out;
    out.reserve(text.size() + NumberWidth);
    for (qsizetype i = 0; i < text.size();) {
        if (!isAsciiDigit(text.at(i))) {
            out += text.at(i++);
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && isAsciiDigit(text.at(end)))
            ++end;
        qsizetype start = i;
        while (start < end - 1 && text.at(start) == QLatin1Char('0'))
            ++start;
        const qsizetype len = end - start;
        if (len < NumberWidth)
            out += QString(NumberWidth - len, QLatin1Char('0'));
        out += QStringView(text).mid(start, len);
        i = end;
    }
    return out;
}

int CompareStrings(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QChar ca = a.at(i);
        const QChar cb = b.at(j);
        if (isAsciiDigit(ca) && isAsciiDigit(cb)) {
            // Runs of digits compare by value: "Voice 2" before "Voice 10".
            qsizetype ea = i;
            while (ea < a.size() && isAsciiDigit(a.at(ea)))
                ++ea;
            qsizetype eb = j;
            while (eb < b.size() && isAsciiDigit(b.at(eb)))
                ++eb;
            qsizetype sa = i;
            while (sa < ea - 1 && a.at(sa) == QLatin1Char('0'))
                ++sa;
            qsizetype sb = j;
            while (sb < eb - 1 && b.at(sb) == QLatin1Char('0'))
                ++sb;
            if (ea - sa != eb - sb)
                return ea - sa < eb - sb ? -1 : 1;
            const int c = QStringView(a).mid(sa, ea - sa).compare(QStringView(b).mid(sb, eb - sb));
            if (c != 0)
                return c < 0 ? -1 : 1;
            i = ea;
            j = eb;
            continue;
        }
        const char32_t fa = ca.toCaseFolded().unicode();
        const char32_t fb = cb.toCaseFolded().unicode();
        if (fa != fb)
            return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Equal but for case or leading zeros: still a fixed order.
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

double LogBase(double value, double base)
{
    return std::log(value) / std::log(base);
}

bool ParseInt32(QStringView text, int& out)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty() || text[0] == u'-' || text[0] == u'+')
        return false;
    bool ok = false;
    const qulonglong magnitude = text.toULongLong(&ok, base);
    if (!ok)
        return false;
    if (base == 16) {
        // Hex texts are bit patterns: 0xFFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return false;
        const quint32 bits = quint32(magnitude);
        out = negative ? int(0u - bits) : int(bits);
        return true;
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull))
        return false;
    out = negative ? int(-qint64(magnitude)) : int(magnitude);
    return true;
}
