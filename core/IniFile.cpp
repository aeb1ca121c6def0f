#include "IniFile.h"
#include "Paths.h"
#include "Strings.h"

namespace {

const QString LineEnd = QStringLiteral("\n");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Blanks and tabs only: other white space may belong to a name, and the
// writer escapes exactly these two at the ends of a text.
QStringView trimBlanks(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

// Escapes backslashes and line breaks everywhere, blanks and tabs at the ends.
void escapeInto(QString& out, QStringView text, bool escapeEquals, bool escapeLeader)
{
    qsizetype lead = 0;
    while (lead < text.size() && isBlank(text[lead]))
        ++lead;
    qsizetype trail = text.size();
    while (trail > lead && isBlank(text[trail - 1]))
        --trail;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool edge = i < lead || i >= trail;
        const bool leader = escapeLeader && i == 0 && (c == u';' || c == u'[' || c == u'.');
        if (c == u'\\' || leader || (escapeEquals && c == u'='))
            out.append(u'\\').append(c);
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (edge && c == u' ')
            out += QStringLiteral("\\s");
        else if (edge && c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
}

// Position of the first "=" not escaped by a backslash, or -1.
qsizetype findSeparator(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}

} // namespace

QString IniEscapeTitle(const QString& title)
{
    QString out;
    out.reserve(title.size());
    // Blanks inside the brackets are kept by the reader, so only backslashes
    // and line breaks need escaping; the reader takes the last "]" as the end.
    for (const QChar c : title) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString IniEscapeKey(const QString& key)
{
    QString out;
    out.reserve(key.size());
    escapeInto(out, key, true, true);
    return out;
}

QString IniEscapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    escapeInto(out, value, false, false);
    return out;
}

QString IniUnescape(const QString& text)
{
    if (!text.contains(u'\\'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[i + 1];
        switch (next.unicode()) {
        case u'\\':
        case u'=':
        case u';':
        case u'[':
        case u'.':
            out += next;
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u's':
            out += u' ';
            break;
        case u't':
            out += u'\t';
            break;
        default:
            // Not one of ours: a backslash written by hand stays as it is.
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

// IniLine ------------------------------------------------------------------

IniLine::IniLine(const QString& key, const QString& value) : m_key(key), m_value(value) {}

IniLine::IniLine(const QString& key, int value) : m_key(key), m_value(QString::number(value)) {}

IniLine::IniLine(int key, const QString& value) : m_key(QString::number(key)), m_value(value) {}

// IniSection ---------------------------------------------------------------

IniSection::IniSection(const QString& title, const QString& group) : m_title(title), m_group(group) {}

QString IniSection::value(const QString& key) const
{
    const IniLine* line = findLine(key);
    return line ? line->value() : QString();
}

int IniSection::intValue(const QString& key) const
{
    int result = 0;
    if (const IniLine* line = findLine(key); line && ParseInt32(line->value(), result))
        return result;
    return 0;
}

QString IniSection::numValue(int k) const
{
    return value(QString::number(k));
}

IniLine* IniSection::findLine(const QString& key) const
{
    return m_lines.value(key, nullptr);
}

IniLine* IniSection::findLine(int k) const
{
    return findLine(QString::number(k));
}

bool IniSection::add(IniLine* line)
{
    if (!line)
        return false;
    // One look-up per line, whose place is also where a new key goes: the
    // device tables run to thousands of lines and are read at every program
    // start.
    const auto it = m_lines.lowerBound(line->key());
    if (it == m_lines.end() || it.key() != line->key()) {
        m_order.append(line->key());
        m_lines.insert(it, line->key(), line);
    } else if (it.value() != line) {
        m_lines.deleteValue(it.value());
        it.value() = line;
    }
    return true;
}

IniSection* IniSection::createCopy() const
{
    auto* copy = new IniSection(m_title, m_group);
    for (const QString& key : m_order) {
        if (const IniLine* line = findLine(key))
            copy->add(new IniLine(line->key(), line->value()));
    }
    return copy;
}

QString IniSection::printTitle() const
{
    return QChar(u'[') + IniEscapeTitle(m_title) + QChar(u']') + LineEnd;
}

QString IniSection::printLine(const QString& key) const
{
    const IniLine* line = findLine(key);
    if (!line)
        return QString();
    return IniEscapeKey(line->key()) + QChar(u'=') + IniEscapeValue(line->value()) + LineEnd;
}

QString IniSection::printLine(int key) const
{
    return printLine(QString::number(key));
}

// IniFile ------------------------------------------------------------------

bool IniFile::loadFile(const QString& path, Escapes escapes)
{
    QByteArray data;
    if (!ReadFileBytes(path, MaxFileSize, data))
        return false;
    loadData(data, escapes);
    return true;
}

bool IniFile::loadResource(const QString& path)
{
    return loadFile(path);
}

void IniFile::loadData(const QByteArray& data, Escapes escapes)
{
    loadText(DecodeText(data), escapes);
}

void IniFile::clear()
{
    MapEx<QString, IniSection*>::clear();
    m_otherGroups.clear();
    m_order.clear();
    m_ordered.clear();
}

void IniFile::store(IniSection* section)
{
    const QString& title = section->title();
    const GroupTitle key(section->group(), title);
    if (!m_ordered.contains(key)) {
        m_order.append(key);
        m_ordered.insert(key);
    }
    // One of the same group and title read before is replaced whole; one of
    // the same title under another group stays, beside this one.
    if (IniSection* old = m_otherGroups.value(key, nullptr)) {
        m_otherGroups.remove(key);
        delete old;
    }
    IniSection* current = value(title, nullptr);
    if (current && current->group() != section->group()) {
        QMap<QString, IniSection*>::remove(title);
        m_otherGroups.add(GroupTitle(current->group(), title), current);
    }
    add(title, section);
}

void IniFile::loadText(const QString& text, Escapes escapes)
{
    const bool decode = escapes == Decoded;
    const auto read = [decode](QStringView part) {
        return decode ? IniUnescape(part.toString()) : part.toString();
    };
    QString group;
    IniSection* current = nullptr;
    // A section is stored once it is complete, so that a title read twice in
    // one text replaces the first whole.
    auto finish = [this](IniSection* section) {
        if (section)
            store(section);
    };

    const QStringView all(text);
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = trimBlanks(line);
        if (line.isEmpty() || line[0] == u';')
            continue;
        if (line[0] == u'.') {
            finish(current);
            current = nullptr;
            group = trimBlanks(line.mid(1)).toString();
            continue;
        }
        if (line[0] == u'[') {
            finish(current);
            const qsizetype close = line.lastIndexOf(u']');
            // An unclosed title is not a section; its lines are dropped rather
            // than given to the section before it.
            current = close > 0 ? new IniSection(read(line.mid(1, close - 1)), group) : nullptr;
            continue;
        }
        if (!current)
            continue;
        const qsizetype sep = decode ? findSeparator(line) : line.indexOf(u'=');
        if (sep < 0)
            continue;
        const QString key = read(trimBlanks(line.left(sep)));
        const QString value = read(trimBlanks(line.mid(sep + 1)));
        current->add(new IniLine(key, value));
    }
    finish(current);
}

IniSection* IniFile::section(const QString& title) const
{
    return value(title, nullptr);
}

IniSection* IniFile::section(const QString& title, const QString& group) const
{
    const QString wanted = group.startsWith(u'.') ? group.mid(1) : group;
    IniSection* s = section(title);
    if (s && s->group() == wanted)
        return s;
    return m_otherGroups.value(GroupTitle(wanted, title), nullptr);
}

QStringList IniFile::getSectionNames(const QString& group) const
{
    const QString wanted = group.startsWith(u'.') ? group.mid(1) : group;
    QStringList names;
    QSet<QString> listed;
    for (const GroupTitle& read : m_order) {
        const QString& title = read.second;
        if (read.first == wanted && section(title, wanted) && !listed.contains(title)) {
            names.append(title);
            listed.insert(title);
        }
    }
    // Sections stored by code rather than read from text come after, by title.
    for (auto it = cbegin(); it != cend(); ++it) {
        if (it.value() && it.value()->group() == wanted && !listed.contains(it.key())) {
            names.append(it.key());
            listed.insert(it.key());
        }
    }
    return names;
}
