#include "PanelLint.h"

#include "DeviceTable.h"
#include "IniFile.h"
#include "MidiDevice.h"
#include "PanelXml.h"
#include "Strings.h"
#include "XmlDocument.h"

#include <QHash>

#include <functional>

namespace {

// What names an element in a path: its name, value or title.
QString label(const XmlElement& e)
{
    for (const char* attr : {"name", "value", "title"}) {
        const QString text = e.attribute(QLatin1String(attr));
        if (!text.isEmpty())
            return QStringLiteral("%1[%2]").arg(e.tagName(), text);
    }
    return e.tagName();
}

bool isStructural(const QString& tag)
{
    return tag == QLatin1String("tab") || tag == QLatin1String("include") || tag == QLatin1String("template");
}

// Hexadecimal digits and runs of "x", eight digits at most.
bool isIteratorExpression(const QString& text)
{
    if (text.isEmpty() || text.size() > 8)
        return false;
    for (QChar c : text) {
        if (c != QLatin1Char('x') && c != QLatin1Char('X') && HexDigitValue(c.unicode()) < 0)
            return false;
    }
    return true;
}

// Every template of the document below e, by name, first one first.
void collectTemplates(const XmlElement& e, QHash<QString, const XmlElement*>& out, QStringList& duplicates)
{
    for (const XmlElement* child : e.children()) {
        if (child->tagName() == QLatin1String("template")) {
            const QString name = child->attribute(QStringLiteral("name"));
            if (out.contains(name))
                duplicates << name;
            else
                out.insert(name, child);
        }
        collectTemplates(*child, out, duplicates);
    }
}

// The templates included anywhere below e.
void collectIncludes(const XmlElement& e, QStringList& out)
{
    for (const XmlElement* child : e.children()) {
        if (child->tagName() == QLatin1String("include"))
            out << child->attribute(QStringLiteral("template"));
        collectIncludes(*child, out);
    }
}

} // namespace

PanelLint::PanelLint(MidiDevice* device) : m_device(device) {}

void PanelLint::allowDisabled(const QStringList& tags)
{
    for (const QString& tag : tags)
        m_disabled.insert(tag);
}

void PanelLint::allowBankSets(const QStringList& names)
{
    for (const QString& name : names)
        m_bankSets.insert(name);
}

QStringList PanelLint::check()
{
    m_findings.clear();
    const XmlElement* root = m_device->xml()->root();
    for (const XmlElement* file : root->children())
        checkElement(*file, label(*file));

    // Names the searches find by: the first of two is the only one reached.
    QHash<QString, const XmlElement*> templates;
    QStringList duplicates;
    collectTemplates(*root, templates, duplicates);
    for (const QString& name : duplicates)
        report(QStringLiteral("template[%1]").arg(name), QStringLiteral("a second template of this name"));
    checkIncludeCycles();
    return m_findings;
}

void PanelLint::report(const QString& path, const QString& text)
{
    m_findings << path + QStringLiteral(": ") + text;
}

void PanelLint::checkElement(const XmlElement& e, const QString& path)
{
    const QString& tag = e.tagName();
    if (m_disabled.contains(tag)) {
        // A disabled element builds nothing itself; its children do.
    } else if (!IsPanelCommonElement(tag) && !isStructural(tag)) {
        report(path, QStringLiteral("unknown element \"%1\"").arg(tag));
    } else {
        checkAttributes(e, path);
        checkForms(e, path);
        checkReferences(e, path);
        if (IsPanelCommonElement(tag))
            checkRanges(e, path);
    }
    for (const XmlElement* child : e.children())
        checkElement(*child, path + QLatin1Char('/') + label(*child));
}

void PanelLint::checkAttributes(const XmlElement& e, const QString& path)
{
    const QString& tag = e.tagName();
    QStringList known = PanelOwnAttributes(tag);
    if (IsPanelCommonElement(tag))
        known += PanelCommonAttributes() + PanelParamAttributes();
    if (tag == QLatin1String("section"))
        known += PanelIgnoredSectionAttributes();
    for (const auto& attribute : e.attributes()) {
        if (!known.contains(attribute.first))
            report(path, QStringLiteral("unknown attribute \"%1\"").arg(attribute.first));
    }
}

void PanelLint::checkForms(const XmlElement& e, const QString& path)
{
    for (const auto& [name, text] : e.attributes()) {
        int number = 0;
        if (IsPanelIntegerAttribute(name) && !ParseInt32(text.trimmed(), number))
            report(path, QStringLiteral("\"%1\" is not a number: \"%2\"").arg(name, text));
        if (IsPanelIteratorAttribute(name) && !isIteratorExpression(text))
            report(path, QStringLiteral("\"%1\" is not a hexadecimal expression: \"%2\"").arg(name, text));
    }
    const QString key = e.attribute(QStringLiteral("key"));
    if (!key.isEmpty() && GetKeyFromString(key) == 0)
        report(path, QStringLiteral("no key is named \"%1\"").arg(key));
}

void PanelLint::checkReferences(const XmlElement& e, const QString& path)
{
    const XmlDocument* doc = m_device->xml();
    const QString items = e.attribute(QStringLiteral("items"));
    if (!items.isEmpty() && !items.contains(QLatin1Char('|')) && !m_device->ini()->section(items))
        report(path, QStringLiteral("no table \"%1\" in the device data").arg(items));
    const QString banks = e.attribute(QStringLiteral("banks"));
    if (!banks.isEmpty() && !m_bankSets.contains(banks) && !m_device->ini()->section(banks))
        report(path, QStringLiteral("no bank set \"%1\" in the device data").arg(banks));

    if (e.tagName() == QLatin1String("include")) {
        const QString name = e.attribute(QStringLiteral("template"));
        if (name.isEmpty())
            report(path, QStringLiteral("include without a template"));
        else if (!doc->findElement(QStringLiteral("template"), QStringLiteral("name"), name))
            report(path, QStringLiteral("no template \"%1\"").arg(name));
    }
    if (e.tagName() == QLatin1String("section")) {
        const QString name = e.attribute(QStringLiteral("name"));
        if (!name.isEmpty() &&
            doc->findElement(QStringLiteral("section"), QStringLiteral("name"), name) != &e)
            report(path, QStringLiteral("a second section named \"%1\"").arg(name));
    } else {
        const QString opens = e.attribute(QStringLiteral("section"));
        if (!opens.isEmpty() && !doc->findElement(QStringLiteral("section"), QStringLiteral("name"), opens) &&
            !doc->findElement(QStringLiteral("section"), QStringLiteral("title"), opens))
            report(path, QStringLiteral("opens a section the layouts lack: \"%1\"").arg(opens));
    }
}

void PanelLint::checkRanges(const XmlElement& e, const QString& path)
{
    if (!e.attribute(QStringLiteral("bits")).isEmpty() && e.attribute(QStringLiteral("bit")).isEmpty())
        report(path, QStringLiteral("\"bits\" without \"bit\""));
    if (e.tagName() == QLatin1String("string") && e.attribute(QStringLiteral("chars")).isEmpty())
        report(path, QStringLiteral("a string without \"chars\""));

    // The value controls take -1 for "no value": a range reaching below 0
    // could never step onto -1.
    if (const int min = e.intAttribute(QStringLiteral("min")); min < 0)
        report(path, QStringLiteral("min %1 below 0: the value controls take -1 for no value").arg(min));

    // The range as the reader settles it, with the iterator at 0 and no base
    // address: addresses do not matter here.
    const ParamInfo p = ReadParamInfo(e, m_device, 0, 0xFFFFFFFF);
    const QString items = e.attribute(QStringLiteral("items"));
    if (p.hasTable() && !e.attribute(QStringLiteral("max")).isEmpty() && p.max > p.tableSize() - 1)
        report(path, QStringLiteral("max %1 past the last entry (%2) of \"%3\"")
                         .arg(p.max)
                         .arg(p.tableSize() - 1)
                         .arg(items));
    if (p.defaultVal != -1 && (p.defaultVal < p.min || p.defaultVal > p.max))
        report(path, QStringLiteral("default %1 outside %2..%3").arg(p.defaultVal).arg(p.min).arg(p.max));
}

void PanelLint::checkIncludeCycles()
{
    QHash<QString, const XmlElement*> templates;
    QStringList duplicates;
    collectTemplates(*m_device->xml()->root(), templates, duplicates);
    QHash<QString, QStringList> includes;
    for (auto it = templates.cbegin(); it != templates.cend(); ++it)
        collectIncludes(*it.value(), includes[it.key()]);

    // Depth-first over the include graph; a template met again while it is
    // still being expanded closes a cycle.
    enum State
    {
        Open,
        Expanding,
        Done
    };
    QHash<QString, State> state;
    std::function<void(const QString&, QStringList&)> visit = [&](const QString& name, QStringList& chain) {
        state[name] = Expanding;
        chain << name;
        for (const QString& next : includes.value(name)) {
            if (!templates.contains(next))
                continue;
            if (state.value(next, Open) == Expanding)
                report(QStringLiteral("template[%1]").arg(next),
                       QStringLiteral("includes itself: %1")
                           .arg((chain.mid(chain.indexOf(next)) << next).join(QStringLiteral(" > "))));
            else if (state.value(next, Open) == Open)
                visit(next, chain);
        }
        chain.removeLast();
        state[name] = Done;
    };
    QStringList names = templates.keys();
    names.sort();
    for (const QString& name : names) {
        if (state.value(name, Open) == Open) {
            QStringList chain;
            visit(name, chain);
        }
    }
}
