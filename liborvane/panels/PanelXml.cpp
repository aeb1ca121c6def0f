#include "PanelXml.h"

#include "ControlFactory.h"
#include "MidiDevice.h"
#include "Panel.h"
#include "Patch.h"
#include "Strings.h"
#include "VarArgs.h"
#include "XmlDocument.h"

#include <QHash>
#include <QSet>

const char* const TapTempoTip = "Tap Tempo (Space)";

namespace {

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Own attributes of each element, as the reader takes them.
const QHash<QString, QStringList>& ownAttributes()
{
    static const QHash<QString, QStringList> table = [] {
        QHash<QString, QStringList> t;
        const QStringList edit = words("tempo piano image header");
        t.insert(QStringLiteral("edit"), edit);
        t.insert(QStringLiteral("combo"), edit);
        t.insert(QStringLiteral("range"), words("low high piano no_reverse space classic header"));
        t.insert(QStringLiteral("string"), words("chars bulk header"));
        t.insert(QStringLiteral("patch"),
                 words("banks no_names numbers no_banks reverse change_on_byte header"));
        t.insert(QStringLiteral("check"), words("use solo mute part"));
        t.insert(QStringLiteral("button"), words("sysex"));
        t.insert(QStringLiteral("eg"), words("nodes small header"));
        t.insert(QStringLiteral("section"), words("name value type offset"));
        t.insert(QStringLiteral("tab"), words("title"));
        t.insert(QStringLiteral("include"), words("template"));
        t.insert(QStringLiteral("template"), words("name"));
        return t;
    }();
    return table;
}

} // namespace

// --- vocabulary ------------------------------------------------------------------

const QStringList& PanelCommonElements()
{
    static const QStringList list =
        words("section column col separator sep label header br p button hyperlink "
              "edit range string patch combo check eg");
    return list;
}

const QStringList& PanelCaptionedElements()
{
    static const QStringList list = words("string edit combo range patch eg");
    return list;
}

bool IsPanelCommonElement(const QString& tag)
{
    static const QSet<QString> set(PanelCommonElements().cbegin(), PanelCommonElements().cend());
    return set.contains(tag);
}

bool IsPanelCaptionedElement(const QString& tag)
{
    return PanelCaptionedElements().contains(tag);
}

const QStringList& PanelCommonAttributes()
{
    static const QStringList list = words(
        "condition key width height flag address_offset section subsection colwidth toolwindow no_request "
        "no_title cc request group x y cols wrap hidden bold enable enable_values title tip");
    return list;
}

const QStringList& PanelParamAttributes()
{
    static const QStringList list =
        words("controller channel nibbles size note velocity cat_sep address index "
              "metric numbers multi divide offset bit bits min max default items");
    return list;
}

QStringList PanelOwnAttributes(const QString& tag)
{
    return ownAttributes().value(tag);
}

const QStringList& PanelIgnoredSectionAttributes()
{
    static const QStringList list = words("copypaste center selectable");
    return list;
}

bool IsPanelIteratorAttribute(const QString& name)
{
    static const QSet<QString> set = [] {
        const QStringList l = words("address low high bit part channel");
        return QSet<QString>(l.cbegin(), l.cend());
    }();
    return set.contains(name);
}

bool IsPanelIntegerAttribute(const QString& name)
{
    static const QSet<QString> set = [] {
        const QStringList l = words(
            // common
            "width height address_offset colwidth toolwindow no_request no_title cc request group x y cols "
            "wrap "
            "hidden bold "
            // parameter
            "controller nibbles size note velocity index numbers multi divide offset bits min max default "
            // own
            "tempo piano header space classic no_reverse chars bulk no_names no_banks reverse change_on_byte "
            "use "
            "solo mute small");
        return QSet<QString>(l.cbegin(), l.cend());
    }();
    return set.contains(name);
}

// --- reading forms ---------------------------------------------------------------

bool ReadFlag(const XmlElement& e, const QString& name)
{
    return e.intAttribute(name) != 0;
}

int ReadIterator(const XmlElement& e, const QString& name, int iterator)
{
    return int(ParseIterator(e.attribute(name), iterator));
}

// --- the common step -----------------------------------------------------------------

bool PassesCondition(const XmlElement& e, const QString& conditions)
{
    const QString condition = e.attribute(QStringLiteral("condition"));
    return condition.isEmpty() || conditions.contains(condition);
}

CommonInfo ReadCommonInfo(const XmlElement& e, int iterator, int tab)
{
    CommonInfo c;
    c.condition = e.attribute(QStringLiteral("condition"));
    c.key = e.attribute(QStringLiteral("key"));
    c.tab = tab;
    c.width = e.intAttribute(QStringLiteral("width"));
    c.height = e.intAttribute(QStringLiteral("height"));
    c.iterator = iterator;
    c.flag = e.attribute(QStringLiteral("flag"));
    c.address_offset = e.intAttribute(QStringLiteral("address_offset"));
    c.section = e.attribute(QStringLiteral("section"));
    c.subsection = e.attribute(QStringLiteral("subsection"));
    // A section window is never given a control width of 0.
    if (const int colwidth = e.intAttribute(QStringLiteral("colwidth")))
        c.colwidth = colwidth;
    c.toolwindow = ReadFlag(e, QStringLiteral("toolwindow"));
    c.no_request = ReadFlag(e, QStringLiteral("no_request"));
    c.no_title = ReadFlag(e, QStringLiteral("no_title"));
    c.cc = e.intAttribute(QStringLiteral("cc"));
    c.request = e.intAttribute(QStringLiteral("request"));
    c.group = e.intAttribute(QStringLiteral("group"));
    c.x = e.intAttribute(QStringLiteral("x"));
    c.y = e.intAttribute(QStringLiteral("y"));
    // Absent reads as 0, not as the record's 1; any span given, even of one
    // column, keeps the item out of its column's width.
    c.cols = e.intAttribute(QStringLiteral("cols"));
    c.wrap = c.cols != 0 || ReadFlag(e, QStringLiteral("wrap"));
    c.hidden = ReadFlag(e, QStringLiteral("hidden"));
    c.bold = ReadFlag(e, QStringLiteral("bold"));
    c.enable = e.attribute(QStringLiteral("enable"));
    c.enable_values = e.attribute(QStringLiteral("enable_values"));
    // A driver named alone enables at its value 1: the usual on/off switch.
    if (c.enable_values.isEmpty() && !c.enable.isEmpty())
        c.enable_values = QStringLiteral("1");
    c.title = e.attribute(QStringLiteral("title"));
    c.tip = e.attribute(QStringLiteral("tip"));
    return c;
}

// --- the parameter step ----------------------------------------------------------

ParamInfo ReadParamInfo(const XmlElement& e, MidiDevice* device, int iterator, unsigned int baseAddress)
{
    ParamInfo p;
    if (!e.attribute(QStringLiteral("controller")).isEmpty())
        p.controllerNumber = e.intAttribute(QStringLiteral("controller"));
    // Size and nibbles first: the range below depends on them.
    p.nibbles = ReadFlag(e, QStringLiteral("nibbles"));
    p.setSize(e.intAttribute(QStringLiteral("size")));
    p.note = ReadFlag(e, QStringLiteral("note"));
    p.velocity = ReadFlag(e, QStringLiteral("velocity"));
    p.cat_sep = e.attribute(QStringLiteral("cat_sep"));
    p.addressText = e.attribute(QStringLiteral("address"));
    p.parseAddress(device, iterator, baseAddress, e.intAttribute(QStringLiteral("index")));
    p.metric = e.attribute(QStringLiteral("metric"));
    p.numbers = e.intAttribute(QStringLiteral("numbers"));
    p.multi = e.intAttribute(QStringLiteral("multi"));
    p.divide = e.intAttribute(QStringLiteral("divide"));
    p.offset = e.intAttribute(QStringLiteral("offset"));
    // The bit number and the channel are iterator expressions, so
    // hexadecimal: "13" is bit 19. A width without a bit number would shift
    // by -1 when the value is taken out of the data; setBitField takes it as
    // no bit field. Both are kept as written for another iterator.
    p.bitExpression = e.attribute(QStringLiteral("bit"));
    p.bitWidth = e.intAttribute(QStringLiteral("bits"));
    p.channelExpression = e.attribute(QStringLiteral("channel"));
    p.resolveIterator(iterator);
    const int min = e.intAttribute(QStringLiteral("min"));
    // "-1" is the same as no max: the range ends where the table or the
    // parameter's size ends.
    const int max = e.attribute(QStringLiteral("max")).isEmpty() ? -1 : e.intAttribute(QStringLiteral("max"));
    if (!e.attribute(QStringLiteral("default")).isEmpty())
        p.defaultVal = e.intAttribute(QStringLiteral("default"));
    if (device)
        p.loadItems(device, e.attribute(QStringLiteral("items")), min, max);
    return p;
}

// --- the descriptors of the cells ---------------------------------------------

LabelInfo ReadCaptionInfo(const XmlElement& e, const CommonInfo& common, int controlHeight)
{
    LabelInfo label;
    static_cast<CommonInfo&>(label) = common;
    label.height = controlHeight;
    // The caption's weight is the element's "header"; its "bold" stays with
    // the control.
    label.bold = ReadFlag(e, QStringLiteral("header"));
    return label;
}

LabelInfo ReadLabelInfo(const XmlElement& e, const CommonInfo& common)
{
    LabelInfo label;
    static_cast<CommonInfo&>(label) = common;
    if (e.tagName() == QLatin1String("header")) {
        label.bold = true;
        label.header = true;
    }
    return label;
}

EditInfo ReadEditInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param)
{
    EditInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.param = param;
    info.combo = e.tagName() == QLatin1String("combo");
    info.tempo = ReadFlag(e, QStringLiteral("tempo"));
    if (info.tempo)
        info.tip = QString::fromLatin1(TapTempoTip);
    info.piano = ReadFlag(e, QStringLiteral("piano"));
    info.image = e.attribute(QStringLiteral("image"));
    return info;
}

RangeInfo ReadRangeInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param,
                        MidiDevice* device, int iterator)
{
    RangeInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.low = param;
    info.low.addressText = e.attribute(QStringLiteral("low"));
    info.low.parseAddress(device, iterator, 0xFFFFFFFF, -1);
    info.high = param;
    info.high.addressText = e.attribute(QStringLiteral("high"));
    info.high.parseAddress(device, iterator, 0xFFFFFFFF, -1);
    info.piano = ReadFlag(e, QStringLiteral("piano"));
    info.no_reverse = ReadFlag(e, QStringLiteral("no_reverse"));
    info.space = e.intAttribute(QStringLiteral("space"));
    info.classic = ReadFlag(e, QStringLiteral("classic"));
    return info;
}

StringInfo ReadStringInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param)
{
    StringInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.param = param;
    info.chars = e.intAttribute(QStringLiteral("chars"));
    info.bulk = ReadFlag(e, QStringLiteral("bulk"));
    return info;
}

PatchEditInfo ReadPatchEditInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param)
{
    PatchEditInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.param = param;
    info.banks = e.attribute(QStringLiteral("banks"));
    info.no_names = ReadFlag(e, QStringLiteral("no_names"));
    info.numbers = ReadFlag(e, QStringLiteral("numbers"));
    info.no_banks = ReadFlag(e, QStringLiteral("no_banks"));
    info.reverse = ReadFlag(e, QStringLiteral("reverse"));
    info.change_on_byte = ReadFlag(e, QStringLiteral("change_on_byte"));
    return info;
}

CheckInfo ReadCheckInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param, int iterator)
{
    CheckInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.param = param;
    info.use = ReadFlag(e, QStringLiteral("use"));
    info.solo = ReadFlag(e, QStringLiteral("solo"));
    // A box is a solo or a mute switch, never both.
    info.mute = !info.solo && ReadFlag(e, QStringLiteral("mute"));
    info.partExpression = e.attribute(QStringLiteral("part"));
    info.part = ReadIterator(e, QStringLiteral("part"), iterator);
    return info;
}

ButtonInfo ReadButtonInfo(const XmlElement& e, const CommonInfo& common)
{
    ButtonInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.sysex = e.attribute(QStringLiteral("sysex"));
    return info;
}

EgInfo ReadEgInfo(const XmlElement& e, const CommonInfo& common)
{
    EgInfo info;
    static_cast<CommonInfo&>(info) = common;
    info.nodes = e.attribute(QStringLiteral("nodes"));
    info.small = ReadFlag(e, QStringLiteral("small"));
    return info;
}

LabelInfo SeparatorInfo(const CommonInfo& common)
{
    LabelInfo label;
    static_cast<CommonInfo&>(label) = common;
    label.title = QStringLiteral(" ");
    return label;
}

LabelInfo LineGapInfo(const CommonInfo& common)
{
    LabelInfo label;
    static_cast<CommonInfo&>(label) = common;
    label.width = 1;
    return label;
}

LabelInfo FillerInfo()
{
    LabelInfo label;
    label.width = 1;
    return label;
}

// --- Panel: the section walk -----------------------------------------------------------

namespace {

// Includes nested deeper than this are refused: no layout comes near it, and
// a chain of templates must not exhaust the stack.
constexpr int MaxIncludeDepth = 32;

} // namespace

void Panel::loadSection(const QString& section, int iterator, const QString& conditions)
{
    clear();
    loadXmlSection(QString(), QStringLiteral("name"), section, iterator, conditions);
    fit();
}

void Panel::loadSubSection(const QString& scope, const QString& attribute, const QString& value, int iterator,
                           const QString& conditions)
{
    clear();
    loadXmlSection(scope, attribute, value, iterator, conditions);
    fit();
}

void Panel::loadXmlSection(const QString& scope, const QString& attribute, const QString& value, int iterator,
                           const QString& conditions)
{
    MidiDevice* dev = device();
    if (!dev)
        return;
    // A section window opened at an address is known by its scope and
    // address, whatever sub-section it shows.
    if (m_baseAddress == 0xFFFFFFFF)
        m_internalName = VarArgs::format(QStringLiteral("%s|%d"), value, iterator);
    else
        m_internalName = VarArgs::format(QStringLiteral("%s|%d|%06X"), scope, iterator, m_baseAddress);

    deleteItems();
    m_tabNames.clear();
    m_header = false;
    m_iterator = iterator;
    setTitle(QString());
    m_loadErrors.clear();
    m_includes.clear();

    const XmlDocument* doc = dev->xml();
    const XmlElement* scopeElement = doc->root();
    if (!scope.isEmpty()) {
        scopeElement = doc->findElement(QStringLiteral("section"), QStringLiteral("name"), scope);
        if (!scopeElement)
            scopeElement = doc->findElement(QStringLiteral("section"), QStringLiteral("title"), scope);
    }
    // A scope the document lacks holds no sub-section: the search is not
    // widened to the whole document.
    const XmlElement* target = scopeElement;
    if (!attribute.isEmpty())
        target = XmlDocument::findSubElement(scopeElement, QStringLiteral("section"), attribute, value);
    loadXmlElement(target, conditions);
}

void Panel::loadXmlElement(const XmlElement* element, const QString& conditions)
{
    // A first walk only counts the elements, levels and cells the section
    // would give, so a section past a limit costs its count and builds
    // nothing at all; the second walk builds what the first one counted.
    const qsizetype errorsBefore = m_loadErrors.size();
    m_walkCounting = true;
    m_countedCells = itemCount();
    m_walkedElements = 0;
    m_loadStopped = false;
    walkElement(element, conditions, 0);
    m_walkCounting = false;
    if (!m_loadStopped) {
        // The build meets the same refused includes and reports them itself.
        m_loadErrors.resize(errorsBefore);
        m_walkedElements = 0;
        walkElement(element, conditions, 0);
        Q_ASSERT(m_loadStopped || itemCount() == m_countedCells);
    }
    if (m_loadStopped) {
        // Part of a section would show as if it were the whole.
        deleteItems();
        m_tabNames.clear();
        setTitle(QString());
    }
}

void Panel::stopLoad(const QString& reason)
{
    m_loadStopped = true;
    m_loadErrors << reason;
    qWarning("%s", qPrintable(reason));
}

void Panel::walkElement(const XmlElement* element, const QString& conditions, int depth)
{
    if (!element || m_loadStopped)
        return;
    if (++m_walkedElements > MaxSectionElements) {
        stopLoad(VarArgs::format(QStringLiteral("The section expands to more than %d elements (templates "
                                                "including others over and over?); nothing is built"),
                                 MaxSectionElements));
        return;
    }
    if (depth >= MaxSectionDepth) {
        stopLoad(
            VarArgs::format(QStringLiteral("Sections and templates nested deeper than %d; nothing is built"),
                            MaxSectionDepth));
        return;
    }
    const QString& tag = element->tagName();
    // Tabs and includes are never dropped by a condition; every other element
    // outside the vocabulary (a disabled "_edit", a "template") adds nothing
    // itself but its children are read.
    if (tag == QLatin1String("tab")) {
        if (!m_walkCounting)
            m_tabNames.append(element->attribute(QStringLiteral("title")));
    } else if (tag == QLatin1String("include")) {
        loadInclude(*element, conditions, depth);
    } else if (IsPanelCommonElement(tag) && PassesCondition(*element, conditions)) {
        if (m_walkCounting)
            countCells(*element);
        else
            loadCells(*element);
    }
    if (m_loadStopped)
        return;
    // A column break alone fills a column: cells may outgrow elements.
    if ((m_walkCounting ? m_countedCells : itemCount()) > MaxSectionCells) {
        stopLoad(VarArgs::format(QStringLiteral("The section builds more than %d cells; nothing is built"),
                                 MaxSectionCells));
        return;
    }

    const int count = element->childCount();
    for (int i = 0; i < count; ++i)
        walkElement(element->child(i), conditions, depth + 1);
}

void Panel::loadInclude(const XmlElement& element, const QString& conditions, int depth)
{
    const QString name = element.attribute(QStringLiteral("template"));
    MidiDevice* dev = device();
    if (name.isEmpty() || !dev)
        return;
    const XmlElement* tmpl =
        dev->xml()->findElement(QStringLiteral("template"), QStringLiteral("name"), name);
    if (!tmpl)
        return;
    // Both walks meet these; the build's warnings are the ones shown.
    if (m_includes.contains(tmpl)) {
        m_loadErrors << VarArgs::format(QStringLiteral("Template \"%s\" includes itself"), name);
        if (!m_walkCounting)
            qWarning("%s", qPrintable(m_loadErrors.last()));
        return;
    }
    if (m_includes.size() >= MaxIncludeDepth) {
        m_loadErrors << VarArgs::format(QStringLiteral("Templates nested deeper than %d at \"%s\""),
                                        MaxIncludeDepth, name);
        if (!m_walkCounting)
            qWarning("%s", qPrintable(m_loadErrors.last()));
        return;
    }
    m_includes.append(tmpl);
    walkElement(tmpl, conditions, depth + 1);
    m_includes.removeLast();
}

void Panel::loadCells(const XmlElement& e)
{
    const QString& tag = e.tagName();
    const CommonInfo common = ReadCommonInfo(e, m_iterator, tabCount() - 1);

    if (IsPanelCaptionedElement(tag) && !common.title.isEmpty() && !common.no_title)
        CreateLabel(ReadCaptionInfo(e, common, m_controlHeight));
    if (tag == QLatin1String("header") || tag == QLatin1String("label"))
        CreateLabel(ReadLabelInfo(e, common));

    MidiDevice* dev = device();
    const ParamInfo param = ReadParamInfo(e, dev, m_iterator, m_baseAddress);
    if (tag == QLatin1String("edit") || tag == QLatin1String("combo")) {
        addControl(ControlFactory::create(this, tag, ReadEditInfo(e, common, param)));
    } else if (tag == QLatin1String("patch")) {
        addControl(ControlFactory::create(this, tag, ReadPatchEditInfo(e, common, param)));
    } else if (tag == QLatin1String("range")) {
        addControl(ControlFactory::create(this, tag, ReadRangeInfo(e, common, param, dev, m_iterator)));
    } else if (tag == QLatin1String("string")) {
        addControl(ControlFactory::create(this, tag, ReadStringInfo(e, common, param)));
    } else if (tag == QLatin1String("check")) {
        addControl(ControlFactory::create(this, tag, ReadCheckInfo(e, common, param, m_iterator)));
    } else if (tag == QLatin1String("button")) {
        addControl(ControlFactory::create(this, tag, ReadButtonInfo(e, common)));
    } else if (tag == QLatin1String("eg")) {
        addControl(ControlFactory::create(this, tag, ReadEgInfo(e, common)));
    } else if (tag == QLatin1String("section")) {
        loadCaption(e, common);
    } else if (tag == QLatin1String("column") || tag == QLatin1String("col")) {
        // Fill the current column so the next cell starts a new one; an
        // empty column is left as it is.
        const int used = itemCount() % m_rowsPerColumn;
        for (int i = used ? used : m_rowsPerColumn; i < m_rowsPerColumn; ++i)
            CreateLabel(FillerInfo());
    } else if (tag == QLatin1String("p")) {
        CreateLabel(FillerInfo());
        CreateLabel(FillerInfo());
    } else if (tag == QLatin1String("br")) {
        CreateLabel(LineGapInfo(common));
    } else if (tag == QLatin1String("separator") || tag == QLatin1String("sep")) {
        CreateLabel(SeparatorInfo(common));
    }
}

void Panel::countCells(const XmlElement& e)
{
    // loadCells without building: every label CreateLabel would add, and one
    // cell per control element.
    const QString& tag = e.tagName();
    const auto label = [this](const QString& title) {
        if (!isHorizontal() || m_header || title == QLatin1String(" "))
            ++m_countedCells;
    };
    const QString title = e.attribute(QStringLiteral("title"));
    if (IsPanelCaptionedElement(tag) && !title.isEmpty() && !ReadFlag(e, QStringLiteral("no_title")))
        label(title);
    if (tag == QLatin1String("header") || tag == QLatin1String("label") || tag == QLatin1String("br")) {
        label(title);
    } else if (ControlFactory::isBuilt(tag)) {
        ++m_countedCells;
    } else if (tag == QLatin1String("column") || tag == QLatin1String("col")) {
        const int used = m_countedCells % m_rowsPerColumn;
        for (int i = used ? used : m_rowsPerColumn; i < m_rowsPerColumn; ++i)
            label(QString());
    } else if (tag == QLatin1String("p")) {
        label(QString());
        label(QString());
    } else if (tag == QLatin1String("separator") || tag == QLatin1String("sep")) {
        label(QStringLiteral(" "));
    }
}

void Panel::loadCaption(const XmlElement& e, const CommonInfo& common)
{
    QString type = e.attribute(QStringLiteral("type"));
    if (type.isEmpty())
        type = QStringLiteral("Part");
    const int offset = e.intAttribute(QStringLiteral("offset"));
    QString caption = common.title;
    if (m_iterator != -1) {
        const QString number = QString::number(m_iterator + 1);
        if (caption.isEmpty())
            caption = number;
        else if (caption.contains(QLatin1String("xx")))
            caption.replace(QLatin1String("xx"), number);
        else if (isVertical() && type == QLatin1String("Key"))
            caption = VarArgs::format(QStringLiteral("%s %s - %s"), type, Note::name(offset + m_iterator),
                                      common.title);
        else if (isVertical())
            caption =
                VarArgs::format(QStringLiteral("%s %d - %s"), type, offset + m_iterator + 1, common.title);
    }
    if (m_caption)
        m_sectionType = type;
    setTitle(caption);
}
