#include "Patch.h"

#include "Strings.h"
#include "VarArgs.h"

namespace {
const QStringList& noteNameTable()
{
    static const QStringList names = [] {
        static const char* const classes[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                "F#", "G",  "G#", "A",  "A#", "B"};
        QStringList list;
        list.reserve(128);
        for (int note = 0; note < 128; ++note)
            list.append(QString::fromLatin1(classes[note % 12]) + QString::number(note / 12 - 2));
        return list;
    }();
    return names;
}
} // namespace

const QStringList& NOTENAMES = noteNameTable();

QString Bank::toString() const
{
    return VarArgs::format(QStringLiteral("%03d/%03d"), msb, lsb);
}

void Patch::reset()
{
    program = -1;
    bank = Bank();
}

unsigned int Patch::toUInt() const
{
    if (!isValid())
        return 0xFFFFFFFF;
    return (unsigned(bank.word()) << 8) + unsigned(program);
}

void Patch::fromUInt(unsigned int packed)
{
    program = int(packed & 0xFF);
    bank = Bank(static_cast<unsigned short>((packed >> 8) & 0xFFFF));
    if (!isValid())
        reset();
}

QString Patch::PrintProgram(int program, ProgramNumberType type)
{
    const int letter = 'A' + program / 16;
    const int number = program % 16 + 1;
    switch (type) {
    case ZeroBased:
        return VarArgs::format(QStringLiteral("%03d"), program);
    case OneBased:
        return VarArgs::format(QStringLiteral("%03d"), program + 1);
    case Grouped:
        return VarArgs::format(QStringLiteral("%c%02d"), letter, number);
    case OneBasedGrouped:
        return VarArgs::format(QStringLiteral("%03d (%c%02d)"), program + 1, letter, number);
    }
    return VarArgs::format(QStringLiteral("%d"), program);
}

QString Patch::print(ProgramNumberType type) const
{
    if (!isValid())
        return QString();
    return VarArgs::format(QStringLiteral("%s:%s"), bank.toString(), printProgram(type));
}

QString Note::name(int note)
{
    if (unsigned(note) > 127)
        return QStringLiteral("(invalid note)");
    return noteNameTable().at(note);
}

int Note::parse(const QString& text)
{
    QString key = text.simplified().toLower();
    key.replace(QLatin1Char(' '), QString());
    if (!HasLetter(key))
        return StringToInt(key, false, 0);
    const QStringList& names = noteNameTable();
    for (int note = 0; note < names.size(); ++note) {
        if (names.at(note).simplified().toLower() == key)
            return note;
    }
    return 0;
}
