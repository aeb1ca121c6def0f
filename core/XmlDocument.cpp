#include "XmlDocument.h"
#include "Paths.h"
#include "Strings.h"

#include <QStringConverter>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace {

// Deeper nesting than any panel file needs; it bounds the recursion of the
// element destructor on hostile input.
constexpr int MaxDepth = 1000;

int codeAt(const QByteArray& s, qsizetype i)
{
    return static_cast<unsigned char>(s.at(i));
}

int codeAt(const QString& s, qsizetype i)
{
    return s.at(i).unicode();
}

bool isNameStart(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool isNameChar(int c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

template <typename S>
bool startsWithAt(const S& s, qsizetype i, const char* what)
{
    for (qsizetype k = 0; what[k]; ++k) {
        if (i + k >= s.size() || codeAt(s, i + k) != static_cast<unsigned char>(what[k]))
            return false;
    }
    return true;
}

template <typename S>
qsizetype indexOfAscii(const S& s, const char* what, qsizetype from)
{
    for (qsizetype i = from; i < s.size(); ++i) {
        if (startsWithAt(s, i, what))
            return i;
    }
    return -1;
}

// Length of the reference starting with the "&" at i, or 0 when the parser
// would not take it: then the "&" is meant as text. Named references other
// than the five predefined ones only count when the text declares a DTD.
template <typename S>
qsizetype referenceLength(const S& s, qsizetype i, bool namedEntitiesDeclared)
{
    qsizetype k = i + 1;
    if (k < s.size() && codeAt(s, k) == '#') {
        ++k;
        const bool hex = k < s.size() && codeAt(s, k) == 'x';
        if (hex)
            ++k;
        const qsizetype digits = k;
        while (k < s.size() && (hex ? HexDigitValue(char16_t(codeAt(s, k))) >= 0
                                    : (codeAt(s, k) >= '0' && codeAt(s, k) <= '9')))
            ++k;
        return k > digits && k < s.size() && codeAt(s, k) == ';' ? k + 1 - i : 0;
    }
    if (k >= s.size() || !isNameStart(codeAt(s, k)))
        return 0;
    while (k < s.size() && isNameChar(codeAt(s, k)))
        ++k;
    if (k >= s.size() || codeAt(s, k) != ';')
        return 0;
    if (namedEntitiesDeclared)
        return k + 1 - i;
    static const char* const predefined[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
    for (const char* name : predefined) {
        if (qsizetype(qstrlen(name)) == k + 1 - i && startsWithAt(s, i, name))
            return k + 1 - i;
    }
    return 0;
}

// Copies the text with every "&" that starts no reference written as "&amp;".
// Comments, CDATA sections, processing instructions and the DTD are copied
// as they are.
template <typename S>
S escapeBareAmpersands(const S& in)
{
    if (indexOfAscii(in, "&", 0) < 0)
        return in;
    const bool doctype = indexOfAscii(in, "<!DOCTYPE", 0) >= 0;
    S out;
    out.reserve(in.size() + 64);
    qsizetype i = 0;
    auto copyThrough = [&](const char* end) {
        const qsizetype at = indexOfAscii(in, end, i);
        const qsizetype stop = at < 0 ? in.size() : at + qsizetype(qstrlen(end));
        out.append(in.mid(i, stop - i));
        i = stop;
    };
    while (i < in.size()) {
        const int c = codeAt(in, i);
        if (c == '<' && startsWithAt(in, i, "<!--")) {
            copyThrough("-->");
        } else if (c == '<' && startsWithAt(in, i, "<![CDATA[")) {
            copyThrough("]]>");
        } else if (c == '<' && startsWithAt(in, i, "<?")) {
            copyThrough("?>");
        } else if (c == '<' && startsWithAt(in, i, "<!DOCTYPE")) {
            // An internal subset is a "[" before the declaration's ">". The
            // look stops at whichever comes first: searching the whole rest
            // of the text for each declaration made a damaged file with many
            // of them take quadratic time.
            qsizetype k = i;
            while (k < in.size() && codeAt(in, k) != '[' && codeAt(in, k) != '>')
                ++k;
            if (k < in.size() && codeAt(in, k) == '[')
                copyThrough("]");
            copyThrough(">");
        } else if (c == '&') {
            const qsizetype length = referenceLength(in, i, doctype);
            if (length > 0) {
                out.append(in.mid(i, length));
                i += length;
            } else {
                out.append(S("&amp;"));
                ++i;
            }
        } else {
            // Plain text up to the next markup or reference, in one piece: a
            // copy per character made large panel files slow to open.
            qsizetype stop = i + 1;
            while (stop < in.size() && codeAt(in, stop) != '<' && codeAt(in, stop) != '&')
                ++stop;
            out.append(in.mid(i, stop - i));
            i = stop;
        }
    }
    return out;
}

bool matches(const XmlElement* e, const QString& tag, const QString& attr, const QString& value)
{
    if (!tag.isEmpty() && e->tagName() != tag)
        return false;
    if (attr.isEmpty())
        return true;
    if (value.isEmpty())
        return e->hasAttribute(attr);
    return e->attribute(attr) == value;
}

} // namespace

// XmlElement ---------------------------------------------------------------

XmlElement::XmlElement(const QString& tagName, XmlElement* parent) : m_tag(tagName), m_parent(parent) {}

XmlElement::~XmlElement()
{
    qDeleteAll(m_children);
}

XmlElement* XmlElement::child(int i) const
{
    return i >= 0 && i < m_children.size() ? m_children.at(i) : nullptr;
}

QString XmlElement::attribute(const QString& name) const
{
    for (const auto& a : m_attributes) {
        if (a.first == name)
            return a.second;
    }
    return QString();
}

bool XmlElement::hasAttribute(const QString& name) const
{
    for (const auto& a : m_attributes) {
        if (a.first == name)
            return true;
    }
    return false;
}

int XmlElement::intAttribute(const QString& name) const
{
    int result = 0;
    return ParseInt32(attribute(name), result) ? result : 0;
}

// XmlDocument --------------------------------------------------------------

XmlDocument::XmlDocument() : m_root(new XmlElement(QString(), nullptr)) {}

XmlDocument::~XmlDocument()
{
    delete m_root;
}

void XmlDocument::clear()
{
    qDeleteAll(m_root->m_children);
    m_root->m_children.clear();
    m_error.clear();
    changed();
}

void XmlDocument::changed()
{
    QMutexLocker lock(&m_indexLock);
    m_indexes.clear();
}

bool XmlDocument::loadFile(const QString& path)
{
    QByteArray data;
    if (!ReadFileBytes(path, MaxFileSize, data)) {
        m_error = QStringLiteral("Cannot read file %1").arg(path);
        return false;
    }
    return loadData(data);
}

bool XmlDocument::loadResource(const QString& path)
{
    return loadFile(path);
}

bool XmlDocument::loadData(const QByteArray& data)
{
    QXmlStreamReader reader;
    reader.setNamespaceProcessing(false);
    // Texts with a UTF-16 or UTF-32 byte order mark are decoded first, so that
    // the "&" scan works on characters rather than on bytes.
    const auto bom = QStringConverter::encodingForData(data);
    if (bom && *bom != QStringConverter::Utf8) {
        QStringDecoder decoder(*bom);
        QString text = decoder.decode(data);
        if (decoder.hasError()) {
            m_error = QStringLiteral("Invalid text encoding");
            return false;
        }
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        reader.addData(escapeBareAmpersands(text));
    } else {
        reader.addData(escapeBareAmpersands(data));
    }

    XmlElement* top = nullptr;
    XmlElement* current = nullptr;
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (++depth > MaxDepth) {
                reader.raiseError(QStringLiteral("Elements nested too deeply"));
                break;
            }
            if (!current && top) {
                reader.raiseError(QStringLiteral("More than one top element"));
                break;
            }
            auto* e = new XmlElement(reader.qualifiedName().toString(), current);
            const QXmlStreamAttributes attributes = reader.attributes();
            e->m_attributes.reserve(attributes.size());
            for (const QXmlStreamAttribute& a : attributes)
                e->m_attributes.append({a.qualifiedName().toString(), a.value().toString()});
            if (current)
                current->m_children.append(e);
            else
                top = e;
            current = e;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            if (current)
                current = current->m_parent;
            break;
        case QXmlStreamReader::Characters:
            if (current && (reader.isCDATA() || !reader.isWhitespace()))
                current->m_text += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError() || !top) {
        m_error = reader.hasError() ? QStringLiteral("%1 (line %2, column %3)")
                                          .arg(reader.errorString())
                                          .arg(reader.lineNumber())
                                          .arg(reader.columnNumber())
                                    : QStringLiteral("No element");
        delete top;
        return false;
    }
    top->m_parent = m_root;
    m_root->m_children.append(top);
    m_error.clear();
    changed();
    return true;
}

XmlElement* XmlDocument::findElement(const QString& tag, const QString& attr, const QString& value) const
{
    if (tag.isEmpty() || attr.isEmpty() || value.isEmpty())
        return findSubElement(m_root, tag, attr, value);
    QMutexLocker lock(&m_indexLock);
    const QPair<QString, QString> key(tag, attr);
    auto index = m_indexes.find(key);
    if (index == m_indexes.end()) {
        QHash<QString, XmlElement*> byValue;
        // Depth first, children in order, as findSubElement: the first of
        // each value in document order.
        QList<XmlElement*> stack(m_root->children().crbegin(), m_root->children().crend());
        while (!stack.isEmpty()) {
            XmlElement* e = stack.takeLast();
            if (e->tagName() == tag && e->hasAttribute(attr)) {
                const QString v = e->attribute(attr);
                if (!byValue.contains(v))
                    byValue.insert(v, e);
            }
            for (qsizetype i = e->children().size() - 1; i >= 0; --i)
                stack.append(e->children().at(i));
        }
        index = m_indexes.insert(key, byValue);
    }
    return index->value(value);
}

XmlElement* XmlDocument::findSubElement(const XmlElement* start, const QString& tag, const QString& attr,
                                        const QString& value)
{
    if (!start)
        return nullptr;
    // Depth first, children in order: the first match in document order.
    QList<const XmlElement*> stack;
    for (qsizetype i = start->children().size() - 1; i >= 0; --i)
        stack.append(start->children().at(i));
    while (!stack.isEmpty()) {
        const XmlElement* e = stack.takeLast();
        if (matches(e, tag, attr, value))
            return const_cast<XmlElement*>(e);
        for (qsizetype i = e->children().size() - 1; i >= 0; --i)
            stack.append(e->children().at(i));
    }
    return nullptr;
}
