#include "ElementPanels.h"

#include "DeviceTable.h"
#include "MidiDevice.h"
#include "MidiEdit.h"
#include "MidiParam.h"
#include "Panel.h"
#include "Sysex.h"
#include "XmlDocument.h"

namespace ElementPanels {

namespace {

constexpr int TypeRequestMs = 500;

void loadParams(const XmlDocument& xml, const XmlElement* element, QVector<QString>& titles,
                QSet<const XmlElement*>& expanding)
{
    QString heading;
    for (const XmlElement* child : element->children()) {
        const QString& tag = child->tagName();
        if (tag == QLatin1String("include")) {
            const XmlElement* inner = xml.findElement(QStringLiteral("template"), QStringLiteral("name"),
                                                      child->attribute(QStringLiteral("template")));
            // A template already being expanded above this one would recurse
            // for ever.
            if (inner && !expanding.contains(inner)) {
                expanding.insert(inner);
                loadParams(xml, inner, titles, expanding);
                expanding.remove(inner);
            }
        } else if (tag == QLatin1String("header")) {
            heading = child->attribute(QStringLiteral("title"));
        } else {
            const int i = child->intAttribute(QStringLiteral("index")) - 1;
            if (i >= 0 && i < titles.size()) {
                const QString title = child->attribute(QStringLiteral("title"));
                titles[i] = heading.isEmpty() ? title : heading + u':' + title;
            }
        }
    }
}

} // namespace

bool followWaveMemory(Sysex* message, unsigned int memAddress, Panel* panel, const WaveLists& lists)
{
    if (!message || !panel)
        return false;
    const int mem = message->getParameterData(MidiParam(memAddress, 1, false, false));
    if (mem < 0)
        return false;
    MidiEdit* wave = panel->getEdit(QString::fromLatin1(lists.waveTitle), 0);
    if (!wave)
        return false;
    if (mem == lists.presetValue)
        wave->setItems(QString::fromLatin1(lists.presetTable), 1, -1);
    else if (mem == lists.userValue)
        wave->setItems(QString::fromLatin1(lists.userTable), 0, -1);
    wave->MidiReceive();
    return true;
}

void changeTableTexts(MidiDevice* device, const QString& table, unsigned int address, const QString& prefix,
                      int first, int count)
{
    if (!device || first < 0 || count <= 0)
        return;
    const int type = device->syncParamRequest(MidiParam(address, 2, false, false), TypeRequestMs);
    // A failed request (-1) gives the key 7F7F, which no section has.
    const QString key = QString::number(Data7to8(type) & 0xFFFF, 16).toUpper().rightJustified(4, u'0');
    const XmlElement* section =
        device->xml()->findElement(QStringLiteral("section"), QStringLiteral("value"), key);
    if (!section)
        return;
    QVector<QString> titles(count);
    loadElementParams(*device->xml(), section, &titles);
    DeviceTable* entries = device->getTable(table);
    if (!entries)
        return;
    const int last = std::min(first + count, int(entries->size()));
    for (int i = 0; first + i < last; ++i) {
        entries->setItemText(first + i, titles[i].isEmpty() ? QStringLiteral("%1-P%2").arg(prefix).arg(i + 1)
                                                            : prefix + u'-' + titles[i]);
    }
}

void loadElementParams(const XmlDocument& xml, const XmlElement* element, QVector<QString>* titles)
{
    if (!element || !titles)
        return;
    QSet<const XmlElement*> expanding{element};
    loadParams(xml, element, *titles, expanding);
}

} // namespace ElementPanels
