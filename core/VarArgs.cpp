#include "VarArgs.h"

#include <QByteArray>
#include <QChar>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

struct Conversion
{
    bool left = false;  // '-'
    bool plus = false;  // '+'
    bool space = false; // ' '
    bool zero = false;  // '0'
    bool alt = false;   // '#'
    int width = -1;
    int precision = -1;
    char16_t type = 0;
};

// An argument seen as a number, keeping what printf would know from its type.
struct Number
{
    bool isFloat = false;
    bool isUnsigned = false;
    bool wide = false; // 64 bits; otherwise negative values wrap at 32 bits for %u and %x
    qint64 s = 0;
    quint64 u = 0;
    double d = 0.0;
};

Number numberOf(const QVariant& v)
{
    Number n;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        n.isFloat = true;
        n.d = v.toDouble();
        break;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        n.isUnsigned = true;
        n.u = v.toULongLong();
        break;
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        n.isUnsigned = true;
        n.wide = true;
        n.u = v.toULongLong();
        break;
    case QMetaType::Long:
    case QMetaType::LongLong:
        n.wide = true;
        n.s = v.toLongLong();
        break;
    case QMetaType::Bool:
        n.s = v.toBool() ? 1 : 0;
        break;
    case QMetaType::QChar:
        n.s = v.value<QChar>().unicode();
        break;
    case QMetaType::Char16:
        n.s = v.value<char16_t>();
        break;
    case QMetaType::Char32:
        n.s = qint64(v.value<char32_t>());
        break;
    default: {
        bool ok = false;
        n.s = v.toLongLong(&ok);
        if (!ok) {
            const double d = v.toDouble(&ok);
            if (ok && d != std::trunc(d)) {
                n.isFloat = true;
                n.d = d;
            } else {
                n.s = ok ? qint64(d) : 0;
            }
        }
        break;
    }
    }
    return n;
}

// %d of a floating value cuts toward zero, clipped to the 64-bit range.
qint64 truncated(double d)
{
    if (std::isnan(d))
        return 0;
    const double t = std::trunc(d);
    if (t >= 9223372036854775807.0)
        return std::numeric_limits<qint64>::max();
    if (t <= -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return qint64(t);
}

QString pad(const QString& text, const Conversion& c)
{
    if (c.width <= text.size())
        return text;
    const QString fill(c.width - text.size(), QLatin1Char(' '));
    return c.left ? text + fill : fill + text;
}

// Sign or prefix, zero padding and then the digits, as printf lays them out.
QString layOut(const QString& prefix, QString digits, const Conversion& c, bool zeroAllowed)
{
    if (c.zero && !c.left && zeroAllowed) {
        const qsizetype total = prefix.size() + digits.size();
        if (c.width > total)
            digits.prepend(QString(c.width - total, QLatin1Char('0')));
    }
    return pad(prefix + digits, c);
}

QString formatInteger(const QVariant& arg, const Conversion& c)
{
    const Number n = numberOf(arg);
    const char16_t t = c.type;
    const bool isSigned = t == u'd' || t == u'i' || t == u'b';
    bool negative = false;
    quint64 magnitude = 0;
    if (t == u'b') {
        magnitude = (n.isFloat ? n.d != 0.0 : (n.isUnsigned ? n.u != 0 : n.s != 0)) ? 1 : 0;
    } else if (n.isFloat) {
        const qint64 v = truncated(n.d);
        negative = isSigned && v < 0;
        magnitude = negative ? 0 - quint64(v) : quint64(v);
    } else if (n.isUnsigned) {
        // A value above INT_MAX stays unsigned under %d.
        magnitude = n.u;
    } else if (isSigned) {
        negative = n.s < 0;
        magnitude = negative ? 0 - quint64(n.s) : quint64(n.s);
    } else {
        // %u and %x of a negative value show its two's complement pattern.
        magnitude = n.wide ? quint64(n.s) : quint64(quint32(qint32(n.s)));
    }

    const int base = (t == u'x' || t == u'X') ? 16 : (t == u'o' ? 8 : 10);
    QString digits = QString::number(magnitude, base);
    if (t == u'X')
        digits = digits.toUpper();
    if (c.precision == 0 && magnitude == 0)
        digits.clear();
    if (c.precision > digits.size())
        digits.prepend(QString(c.precision - digits.size(), QLatin1Char('0')));

    QString prefix;
    if (isSigned) {
        if (negative)
            prefix = QStringLiteral("-");
        else if (c.plus)
            prefix = QStringLiteral("+");
        else if (c.space)
            prefix = QStringLiteral(" ");
    }
    if (c.alt) {
        if (t == u'o' && !digits.startsWith(QLatin1Char('0')))
            digits.prepend(QLatin1Char('0'));
        else if ((t == u'x' || t == u'X') && magnitude != 0)
            prefix = t == u'x' ? QStringLiteral("0x") : QStringLiteral("0X");
    }
    return layOut(prefix, digits, c, c.precision < 0);
}

QString formatFloat(const QVariant& arg, const Conversion& c)
{
    const Number n = numberOf(arg);
    const double d = n.isFloat ? n.d : (n.isUnsigned ? double(n.u) : double(n.s));
    const char16_t t = c.type;
    const bool upper = t == u'F' || t == u'E' || t == u'G';
    QString prefix;
    if (std::signbit(d) && !std::isnan(d))
        prefix = QStringLiteral("-");
    else if (c.plus)
        prefix = QStringLiteral("+");
    else if (c.space)
        prefix = QStringLiteral(" ");

    const double magnitude = std::fabs(d);
    QString digits;
    if (std::isnan(d) || std::isinf(d)) {
        digits = std::isnan(d) ? QStringLiteral("nan") : QStringLiteral("inf");
    } else {
        const char format = (t == u'e' || t == u'E') ? 'e' : ((t == u'g' || t == u'G') ? 'g' : 'f');
        int precision = c.precision < 0 ? 6 : c.precision;
        if (format == 'g' && precision == 0)
            precision = 1;
        digits = QString::number(magnitude, format, precision);
        if (c.alt && format == 'f' && precision == 0)
            digits += QLatin1Char('.');
    }
    if (upper)
        digits = digits.toUpper();
    return layOut(prefix, digits, c, std::isfinite(d));
}

QString textOf(const QVariant& arg)
{
    switch (arg.typeId()) {
    case QMetaType::QString:
        return arg.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(arg.toByteArray());
    case QMetaType::QStringList:
        return arg.toStringList().join(QStringLiteral(", "));
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QString(QChar(char16_t(static_cast<unsigned char>(arg.toInt()))));
    default:
        break;
    }
    QString text = arg.toString();
    // A colour converts to "#rrggbb", or "#aarrggbb" when translucent; the
    // colour name the callers want is always the six-digit form.
    if (arg.metaType().name() == QByteArrayView("QColor") && text.size() == 9 &&
        text.startsWith(QLatin1Char('#')))
        text = QLatin1Char('#') + text.mid(3);
    return text;
}

QString formatText(const QVariant& arg, const Conversion& c)
{
    QString text = textOf(arg);
    if (c.precision >= 0 && c.precision < text.size())
        text.truncate(c.precision);
    return pad(text, c);
}

QString formatChar(const QVariant& arg, const Conversion& c)
{
    QString text;
    if (arg.typeId() == QMetaType::QString) {
        text = arg.toString().left(1);
    } else {
        const Number n = numberOf(arg);
        const qint64 code =
            n.isFloat ? truncated(n.d) : (n.isUnsigned ? qint64(qMin<quint64>(n.u, 0x110000)) : n.s);
        // NUL has no place in a text; codes outside Unicode print nothing.
        if (code > 0 && code <= 0x10FFFF) {
            const char32_t u = char32_t(code);
            text = QString::fromUcs4(&u, 1);
        }
    }
    return pad(text, c);
}

} // namespace

QString VarArgs::formatList(const QString& fmt, const QList<QVariant>& args)
{
    QString out;
    out.reserve(fmt.size() + 16);
    qsizetype next = 0; // index of the next unused argument
    const qsizetype len = fmt.size();
    auto takeArg = [&](QVariant& arg) {
        if (next >= args.size())
            return false;
        arg = args.at(next++);
        return true;
    };

    for (qsizetype i = 0; i < len; ++i) {
        const QChar ch = fmt.at(i);
        if (ch != QLatin1Char('%')) {
            out += ch;
            continue;
        }
        const qsizetype start = i;
        ++i;
        if (i >= len) {
            out += ch;
            break;
        }
        if (fmt.at(i) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            continue;
        }

        Conversion c;
        for (; i < len; ++i) {
            const char16_t f = fmt.at(i).unicode();
            if (f == u'-')
                c.left = true;
            else if (f == u'+')
                c.plus = true;
            else if (f == u' ')
                c.space = true;
            else if (f == u'0')
                c.zero = true;
            else if (f == u'#')
                c.alt = true;
            else
                break;
        }
        if (i < len && fmt.at(i) == QLatin1Char('*')) {
            QVariant w;
            if (takeArg(w)) {
                const qint64 width = numberOf(w).s;
                if (width < 0)
                    c.left = true;
                c.width = int(qMin<qint64>(qAbs(width), 4096));
            }
            ++i;
        } else {
            while (i < len && fmt.at(i).isDigit() && fmt.at(i).unicode() < 0x80) {
                c.width = qMin(qMax(c.width, 0) * 10 + (fmt.at(i).unicode() - u'0'), 4096);
                ++i;
            }
        }
        if (i < len && fmt.at(i) == QLatin1Char('.')) {
            ++i;
            c.precision = 0;
            if (i < len && fmt.at(i) == QLatin1Char('*')) {
                QVariant p;
                if (takeArg(p)) {
                    const qint64 precision = numberOf(p).s;
                    c.precision = precision < 0 ? -1 : int(qMin<qint64>(precision, 4096));
                }
                ++i;
            } else {
                while (i < len && fmt.at(i).isDigit() && fmt.at(i).unicode() < 0x80) {
                    c.precision = qMin(c.precision * 10 + (fmt.at(i).unicode() - u'0'), 4096);
                    ++i;
                }
            }
        }
        // Length modifiers say nothing that the typed argument does not.
        while (i < len && QStringView(u"hlLqjzt").contains(fmt.at(i)))
            ++i;
        if (i >= len) {
            out += QStringView(fmt).mid(start);
            break;
        }
        c.type = fmt.at(i).unicode();

        QString piece;
        bool known = true;
        QVariant arg;
        switch (c.type) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
        case u'b':
            if (takeArg(arg))
                piece = formatInteger(arg, c);
            break;
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
            if (takeArg(arg))
                piece = formatFloat(arg, c);
            break;
        case u's':
            if (takeArg(arg))
                piece = formatText(arg, c);
            break;
        case u'c':
            if (takeArg(arg))
                piece = formatChar(arg, c);
            break;
        default:
            known = false;
            break;
        }
        if (known)
            out += piece;
        else
            out += QStringView(fmt).mid(start, i - start + 1); // not a conversion: shown as written
    }
    return out;
}
