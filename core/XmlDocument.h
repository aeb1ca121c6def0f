// A read-only XML document built from one or more files.
//
// Each loaded file adds its top element as one more child of the document's
// root, so a search from the root reaches every file, in load order; the
// instrument's effect file and an editor's panel file live in one document
// this way. Elements keep their children in document order.
//
// Panel files are written by hand and may hold a bare "&" in attribute values
// ("&Number"). An "&" that does not start a reference the parser knows ("&amp;",
// "&lt;", "&gt;", "&quot;", "&apos;", "&#...;") is read as a plain "&".
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>

class XmlElement
{
public:
    XmlElement(const QString& tagName, XmlElement* parent);
    ~XmlElement();
    XmlElement(const XmlElement&) = delete;
    XmlElement& operator=(const XmlElement&) = delete;

    const QString& tagName() const { return m_tag; }
    XmlElement* parent() const { return m_parent; }
    const QList<XmlElement*>& children() const { return m_children; }
    int childCount() const { return int(m_children.size()); }
    XmlElement* child(int i) const; // null out of range

    // The attribute's text with references decoded; "" when absent.
    QString attribute(const QString& name) const;
    bool hasAttribute(const QString& name) const;
    // Decimal with an optional sign ("-64") or hexadecimal after "0x" ("0x28",
    // "-0x10"); 0 when absent, empty or not a number. Hexadecimal texts are
    // 32-bit patterns, so "0xFFFFFFFF" gives -1.
    int intAttribute(const QString& name) const;
    const QList<QPair<QString, QString>>& attributes() const { return m_attributes; }
    // Character data directly inside this element (not its children's);
    // runs of white space between child elements are left out.
    const QString& text() const { return m_text; }

private:
    friend class XmlDocument;
    QString m_tag;
    XmlElement* m_parent;
    QList<XmlElement*> m_children; // owned
    QList<QPair<QString, QString>> m_attributes;
    QString m_text;
};

class XmlDocument
{
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Each adds one more file. A file that cannot be read or is not
    // well-formed gives false and leaves the document as it was.
    bool loadFile(const QString& path);
    bool loadResource(const QString& path);
    bool loadData(const QByteArray& data);
    // What made the last load fail; "" after a success.
    const QString& errorString() const { return m_error; }

    // The document's root: no tag of its own, the top element of every loaded
    // file as a child, in load order.
    XmlElement* root() const { return m_root; }
    bool isEmpty() const { return m_root->childCount() == 0; }
    void clear();

    // The first element, in document order across all files, with the tag
    // (any tag when empty) whose attribute attr equals value. An empty attr
    // matches any element; an empty value matches any element that has attr.
    // Null when none.
    // With tag, attr and value all given, the search goes through an index of
    // the tag's elements by attr, made at the first such search and kept
    // until the document changes: panels look their sections and templates
    // up by name on every load.
    XmlElement* findElement(const QString& tag, const QString& attr = QString(),
                            const QString& value = QString()) const;
    // The same search among the descendants of start (start itself excluded).
    // Null when start is null or nothing matches.
    static XmlElement* findSubElement(const XmlElement* start, const QString& tag,
                                      const QString& attr = QString(), const QString& value = QString());

    // Files larger than this are refused.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

private:
    // Drops the indexes of findElement: the document changed.
    void changed();

    XmlElement* m_root;
    QString m_error;
    // (tag, attribute) -> value -> the first element with it.
    mutable QHash<QPair<QString, QString>, QHash<QString, XmlElement*>> m_indexes;
    mutable QMutex m_indexLock;
};
