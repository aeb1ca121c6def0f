// printf-style formatting over typed arguments.
#pragma once

#include "Containers.h"

#include <QVariant>

namespace varargs_detail {
inline QVariant toVariant(const char* s)
{
    return QString::fromUtf8(s);
}
inline QVariant toVariant(char* s)
{
    return QString::fromUtf8(s);
}
inline QVariant toVariant(const QString& s)
{
    return s;
}
inline QVariant toVariant(const QVariant& v)
{
    return v;
}
template <typename T>
QVariant toVariant(const T& v)
{
    return QVariant::fromValue(v);
}
} // namespace varargs_detail

// The argument list of a formatted text. Conversions: %d %i %u %x %X %o %c %s
// %f %e %g %b %%, with flags "-+ 0#", width and precision (digits or "*" taking
// an int argument), and the length modifiers h l ll z which are ignored.
// %s prints any argument as text (a colour as "#rrggbb"), %c an int as that
// character, %d of an unsigned value prints it unsigned, %d of a floating value
// cuts toward zero, %b prints 0 or 1. A missing argument prints nothing.
class VarArgs : public Vector<QVariant>
{
public:
    VarArgs() = default;
    explicit VarArgs(const QString& fmt) : m_format(fmt) {}

    template <typename T>
    VarArgs& operator<<(const T& value)
    {
        append(varargs_detail::toVariant(value));
        return *this;
    }

    void setFormat(const QString& fmt) { m_format = fmt; }
    QString format() const { return formatList(m_format, *this); }

    template <typename... A>
    static QString format(const QString& fmt, const A&... args)
    {
        const QList<QVariant> list{varargs_detail::toVariant(args)...};
        return formatList(fmt, list);
    }

    static QString formatList(const QString& fmt, const QList<QVariant>& args);

private:
    QString m_format;
};
