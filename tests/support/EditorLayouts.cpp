#include "EditorLayouts.h"

#include "MidiCheckBox.h"
#include "MidiDevice.h"
#include "MidiEdit.h"
#include "MidiEgCtrl.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "MidiString.h"
#include "Panel.h"
#include "TabPanel.h"
#include "XmlDocument.h"

#include <QHash>
#include <QTest>

namespace {

// What a window gives its rows: cells 60 x 19 behind a 23-pixel caption.
constexpr int RowControlWidth = 60;
constexpr int RowControlHeight = 19;
constexpr int RowCaptionWidth = 23;

} // namespace

const QList<EditorLayout>& editorLayouts()
{
    static const QList<EditorLayout> list = {
        {QStringLiteral("VeskVoice"), QStringLiteral("resources/VeskVoice/data/VoiceEditor_ES.xml"),
         QStringLiteral("VoiceEditor"), 0, 0x0F00, 0, 0x3F00, false},
        {QStringLiteral("VeskDrum"), QStringLiteral("resources/VeskDrum/data/DrumEditor_ES.xml"),
         QStringLiteral("DrumEditor"), 1, 0x2F00, 0, 0x3F20, true},
        {QStringLiteral("VeskPerf"), QStringLiteral("resources/VeskPerf/data/PerformanceEditor_ES.xml"),
         QStringLiteral("PerformanceEditor"), 3, 0x4F00, 1, 0, true},
        {QStringLiteral("VeskMaster"), QStringLiteral("resources/VeskMaster/data/MasterEditor_ES.xml"),
         QStringLiteral("MasterEditor"), 5, 0x7F00, 4, 0, true},
        {QStringLiteral("VeskMix"), QStringLiteral("resources/VeskMix/data/MixEditor_ES.xml"),
         QStringLiteral("MixEditor"), 4, 0x5F00, 2, 0, false},
    };
    return list;
}

QString editorLayoutPath(const EditorLayout& layout)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/") + layout.file;
}

void addEditorRows()
{
    QTest::addColumn<int>("editor");
    for (int i = 0; i < editorLayouts().size(); ++i)
        QTest::newRow(qPrintable(editorLayouts().at(i).program)) << i;
}

QList<int> sectionIterators(const QString& section)
{
    const auto upTo = [](int count) {
        QList<int> list;
        for (int i = 0; i < count; ++i)
            list << i;
        return list;
    };
    if (section.startsWith(QLatin1String("Voice:Elem")) || section == QLatin1String("Perf:Part") ||
        section == QLatin1String("Master:Zone"))
        return upTo(4);
    if (section == QLatin1String("Perf:PLGPart") || section == QLatin1String("Mix:PLGPart"))
        return upTo(3);
    if (section == QLatin1String("Mix:Part"))
        return upTo(16);
    if (section.startsWith(QLatin1String("Drum:Key")) && section != QLatin1String("Drum:KeySelection"))
        return upTo(73);
    return {-1};
}

bool isPartRow(const QString& section)
{
    static const QStringList rows = {QStringLiteral("Voice:Elem"),   QStringLiteral("Perf:Part"),
                                     QStringLiteral("Perf:PLGPart"), QStringLiteral("Master:Zone"),
                                     QStringLiteral("Mix:Part"),     QStringLiteral("Mix:PLGPart")};
    return rows.contains(section);
}

bool isWindowPanel(const QString& section)
{
    return isPartRow(section) || section.endsWith(QLatin1String(":Selection")) ||
           section.endsWith(QLatin1String(":Common")) || section == QLatin1String("Mix:System1") ||
           section == QLatin1String("Drum:KeySelection") || section == QLatin1String("Drum:Key") ||
           section == QLatin1String("Drum:Key2");
}

int sectionControlWidth(const QString& section)
{
    // The windows' own panels as their constructors size them; the system
    // settings dialog at 114; every other dialog at the section window's 90.
    static const QHash<QString, int> widths = {
        {QStringLiteral("Voice:Common"), 108},     {QStringLiteral("Drum:Selection"), 140},
        {QStringLiteral("Drum:Common"), 104},      {QStringLiteral("Drum:Key"), 85},
        {QStringLiteral("Drum:Key2"), 85},         {QStringLiteral("Perf:Common"), 100},
        {QStringLiteral("Master:Selection"), 170}, {QStringLiteral("Master:Common"), 170},
        {QStringLiteral("Mix:Common"), 116},       {QStringLiteral("Mix:System1"), 116},
    };
    if (section.endsWith(QLatin1String(":System")))
        return 114;
    return widths.value(section, 90);
}

bool loadEditorLayout(MidiDevice* device, const EditorLayout& layout)
{
    return device->xml()->loadFile(editorLayoutPath(layout));
}

const XmlElement* layoutRoot(MidiDevice* device, const EditorLayout& layout)
{
    for (const XmlElement* file : device->xml()->root()->children()) {
        if (file->attribute(QStringLiteral("title")) == layout.rootTitle)
            return file;
    }
    return nullptr;
}

QList<const XmlElement*> layoutSections(const XmlElement* root)
{
    QList<const XmlElement*> list;
    if (!root)
        return list;
    for (const XmlElement* child : root->children()) {
        if (child->tagName() == QLatin1String("section"))
            list << child;
    }
    return list;
}

namespace {

ControlParam paramOf(const ParamInfo& p)
{
    return {p.address(), p.size, p.bit, p.bit == -1 ? 0 : p.bits};
}

} // namespace

QList<ControlParam> controlParams(MidiCtrl* control)
{
    QList<ControlParam> params;
    const auto add = [&params](const ParamInfo& p) {
        if (p.hasAddress())
            params << paramOf(p);
    };
    switch (control->type()) {
    case MidiCtrl::EditType:
        add(static_cast<MidiEdit*>(control)->editInfo().param);
        break;
    case MidiCtrl::CheckType:
        add(static_cast<MidiCheckBox*>(control)->checkInfo().param);
        break;
    case MidiCtrl::RangeType:
        add(*static_cast<MidiRange*>(control)->param(true));
        add(*static_cast<MidiRange*>(control)->param(false));
        break;
    case MidiCtrl::StringType: {
        const StringInfo& info = static_cast<MidiString*>(control)->stringInfo();
        if (info.param.hasAddress()) {
            for (int c = 0; c < info.chars; ++c)
                params << ControlParam{info.param.address() + unsigned(c), 1, -1, 0};
        }
        break;
    }
    case MidiCtrl::PatchEditType: {
        const ParamInfo& p = static_cast<MidiPatchEdit*>(control)->info.param;
        if (p.hasAddress()) {
            for (unsigned int b = 0; b < 3; ++b)
                params << ControlParam{p.address() + b, 1, -1, 0};
        }
        break;
    }
    case MidiCtrl::EgType:
        for (const EgNode& node : static_cast<MidiEgCtrl*>(control)->nodes()) {
            for (const EgValue* v : {&node.time, &node.level}) {
                if (v->adjust && v->hasAddress())
                    params << ControlParam{v->address(), v->size, -1, 0};
            }
        }
        break;
    default:
        break;
    }
    return params;
}

QString controlTitle(MidiCtrl* control)
{
    return control->gInfo()->title;
}

EditorPanels::EditorPanels(MidiDevice* device, const EditorLayout& layout, const QList<int>& keyIterators,
                           bool windowOnly)
    : MidiClient(layout.program, device, &editorWidget)
{
    editorWidget.resize(1200, 900);
    QHash<QString, TabPanel*> tabs;
    for (const XmlElement* section : layoutSections(layoutRoot(device, layout))) {
        const QString name = section->attribute(QStringLiteral("name"));
        if (windowOnly && !isWindowPanel(name))
            continue;
        QList<int> iterators = sectionIterators(name);
        if (name.startsWith(QLatin1String("Drum:Key")) && iterators.size() > 1)
            iterators = keyIterators;
        if (isPartRow(name)) {
            // The rows of one window share its tab: the performance's and
            // mix's board parts follow their parts.
            const QString tabKey = name.section(QLatin1Char(':'), 0, 0);
            TabPanel*& tab = tabs[tabKey];
            if (!tab) {
                m_tabs.push_back(std::make_unique<TabPanel>(this, &editorWidget));
                tab = m_tabs.back().get();
                tab->init(&editorWidget, tabKey + QStringLiteral(" Parts"), QPoint(0, 0), 760);
            }
            for (int i : iterators) {
                Panel* row =
                    tab->addPanel(name, i, RowControlWidth, RowControlHeight, RowCaptionWidth, QString(), 0);
                m_built.push_back({name, i, row});
            }
            continue;
        }
        for (int i : iterators) {
            m_owned.push_back(std::make_unique<Panel>(this, &editorWidget));
            Panel* panel = m_owned.back().get();
            panel->setControlWidth(sectionControlWidth(name));
            panel->init(&editorWidget, QPoint(0, 0), true);
            panel->loadSection(name, i);
            m_built.push_back({name, i, panel});
        }
    }
    for (auto& tab : m_tabs)
        tab->fit();
}

EditorPanels::~EditorPanels()
{
    m_tabs.clear();
    m_owned.clear();
}

QList<Panel*> EditorPanels::headerPanels() const
{
    QList<Panel*> list;
    for (const auto& tab : m_tabs)
        list << tab->headerPanel();
    return list;
}

int EditorPanels::controlCount() const
{
    int count = 0;
    for (const Built& b : m_built)
        count += b.panel->itemCount();
    return count;
}
