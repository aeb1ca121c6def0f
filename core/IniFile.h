// INI text in memory: titled sections of key and value lines.
//
// The reader takes the device data resources, instrument definition files,
// plug-in board files and the user bank files this suite writes itself:
//   - line ends LF or CR LF; a UTF-8 byte order mark is skipped;
//   - the text is UTF-8 when it decodes as such, Latin-1 otherwise;
//   - blank lines and lines starting with ";" are skipped;
//   - a line starting with "." opens a group (".Instrument Definitions");
//     every section up to the next group line belongs to it;
//   - "[title]" opens a section; the title is everything between the "[" and
//     the last "]" of the line, blanks included;
//   - "key=value" adds a line to the current section; blanks and tabs around
//     the first "=" and at both ends of the line are dropped, and keys such as
//     "Patch[12]" are kept whole;
//   - lines before the first section, and lines without "=", are ignored.
// A section read again (in the same text or a later load) replaces the old one
// whole, so a later file always supplies every key of its sections. Sections
// of the same title under different groups are different sections and are all
// kept (instrument definition files name a model and the patch names of its
// bank alike); the title alone finds the one read last.
//
// Escapes. printTitle() and printLine() write any text so that the reader
// gives it back exactly. They use backslash escapes, written only where the
// text needs them, so ordinary files ("0,63,PRESET1", "C#-2") stay as they are:
//   \\  backslash (always escaped by the writer)
//   \=  "=" (escaped in keys)
//   \;  \[  \.  ";", "[" or "." at the start of a key
//   \s  \t  a blank or tab at either end of a key or value
//   \n  \r  line feed and carriage return, anywhere
// The reader decodes these everywhere (titles, keys and values); a backslash
// before any other character is kept as written, so a hand-written file with a
// lone backslash reads as before. Files other programs write (plug-in board
// definitions) are read Verbatim instead: every backslash stays as written,
// and a key ends at the first "=", so "back\slash" stays "back\slash".
#pragma once

#include "Containers.h"

#include <QByteArray>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

class IniLine
{
public:
    IniLine(const QString& key, const QString& value);
    IniLine(const QString& key, int value); // value as decimal text
    IniLine(int key, const QString& value); // key as decimal text
    virtual ~IniLine() = default;

    const QString& key() const { return m_key; }
    const QString& value() const { return m_value; }
    void setValue(const QString& value) { m_value = value; }

private:
    QString m_key;
    QString m_value;
};

// The lines of a section by exact key; owns them.
class IniLines : public MapEx<QString, IniLine*>
{
};

class IniSection
{
public:
    explicit IniSection(const QString& title, const QString& group = QString());
    virtual ~IniSection() = default;
    IniSection(const IniSection&) = delete;
    IniSection& operator=(const IniSection&) = delete;

    const QString& title() const { return m_title; }
    // The group (text after ".") the section was read under; "" for none.
    const QString& group() const { return m_group; }

    // The value text of key; "" when the section has no such line.
    QString value(const QString& key) const;
    // The value as a number: decimal with a sign, or hexadecimal after "0x";
    // 0 when the line is absent or does not hold a number.
    int intValue(const QString& key) const;
    // The value text of the line keyed with the decimal text of k.
    QString numValue(int k) const;
    IniLine* findLine(const QString& key) const;
    IniLine* findLine(int k) const; // the line keyed with the decimal text of k
    bool contains(const QString& key) const { return m_lines.contains(key); }

    // The keys in the order they were first added (file order).
    QStringList types() const { return m_order; }
    int count() const { return int(m_order.size()); }
    const IniLines& lines() const { return m_lines; }

    // Takes ownership of line. A line of the same key is deleted and replaced;
    // the key keeps its place in types(). A null line is refused (false).
    bool add(IniLine* line);
    // A deep copy: same title, group and lines, in the same order.
    IniSection* createCopy() const;

    // "[title]" and a line end.
    QString printTitle() const;
    // "key=value" and a line end; "" when the section has no such line.
    QString printLine(const QString& key) const;
    QString printLine(int key) const;

private:
    QString m_title;
    QString m_group;
    IniLines m_lines;
    QStringList m_order;
};

// Owned sections by exact title (for a title read under several groups, the
// one read last); the others are found by title and group.
class IniFile : public MapEx<QString, IniSection*>
{
public:
    IniFile() = default;

    // Deletes every section, those of other groups too.
    void clear();

    // How a text's backslashes are read.
    enum Escapes
    {
        Decoded = 0, // the escapes above are decoded
        Verbatim = 1 // nothing is decoded: every character stays as written
    };

    // Adds the sections of the file (or resource, ":/..." paths) at path.
    // False when it cannot be read; then nothing changes.
    bool loadFile(const QString& path, Escapes escapes = Decoded);
    bool loadResource(const QString& path);
    // Adds the sections of INI text given as bytes (decoded as above) or as text.
    void loadData(const QByteArray& data, Escapes escapes = Decoded);
    void loadText(const QString& text, Escapes escapes = Decoded);

    // The section titled title, or null.
    IniSection* section(const QString& title) const;
    // The section titled title that was read under the group line "." +
    // group ("" for none), or null. A leading "." in group is ignored.
    IniSection* section(const QString& title, const QString& group) const;
    // Titles of the sections read under the group line "." + group, in the
    // order they first appeared. A leading "." in group is ignored.
    QStringList getSectionNames(const QString& group) const;

    // Files larger than this are refused: no INI text of the suite comes near.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

private:
    using GroupTitle = QPair<QString, QString>; // group, then title

    // Stores a section just read: it replaces one of the same group and title,
    // and moves one of the same title under another group aside.
    void store(IniSection* section);

    // Sections read under another group than the section stored under their
    // title in the map itself; owned.
    MapEx<GroupTitle, IniSection*> m_otherGroups;
    // Group and title of the sections in the order they were first read, and
    // the same as a set.
    QList<GroupTitle> m_order;
    QSet<GroupTitle> m_ordered;
};

// The escape forms described above, shared by the writer and the reader.
QString IniEscapeTitle(const QString& title);
QString IniEscapeKey(const QString& key);
QString IniEscapeValue(const QString& value);
QString IniUnescape(const QString& text);
