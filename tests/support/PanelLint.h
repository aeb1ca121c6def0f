// A lint of panel layouts: it walks every element of a device's document
// (editor layouts and effect templates alike, included or not) and reports
// what the panel reader would silently take as nothing, or take wrongly:
//   - an element or attribute outside the panel data's vocabulary (PanelXml.h);
//   - an integer attribute that is not a number, an iterator expression that
//     is not hexadecimal with runs of "x", a key name no key has;
//   - an items table or a bank set the device's data lacks;
//   - an include without a template, one naming a template the document
//     lacks, and templates that include themselves;
//   - two templates or two sections of one name;
//   - a bit width without a bit, a max past the last entry of the items
//     table, a negative min, a default outside the range, a string without
//     "chars";
//   - a section a control opens that the document lacks.
// Each finding is one line, "<element path>: <what>", where the path names
// the elements from the top by tag and name, value or title.
//
// Used by the tests of the layouts and by tools/panel_lint.cpp.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class MidiDevice;
class XmlElement;

class PanelLint
{
public:
    // device: its document holds the layouts, its INI data the tables and
    // bank sets; it must outlive the lint.
    explicit PanelLint(MidiDevice* device);

    // Tags that stand in layouts to disable an element ("edit1"): accepted,
    // with whatever attributes they carry.
    void allowDisabled(const QStringList& tags);
    // Bank sets made at run time rather than read from the data ("PLGxx").
    void allowBankSets(const QStringList& names);

    // Every finding over the whole document, in document order.
    QStringList check();

private:
    void checkElement(const XmlElement& e, const QString& path);
    void checkAttributes(const XmlElement& e, const QString& path);
    void checkForms(const XmlElement& e, const QString& path);
    void checkReferences(const XmlElement& e, const QString& path);
    void checkRanges(const XmlElement& e, const QString& path);
    void checkIncludeCycles();
    void report(const QString& path, const QString& text);

    MidiDevice* m_device;
    QSet<QString> m_disabled;
    QSet<QString> m_bankSets;
    QStringList m_findings;
};
