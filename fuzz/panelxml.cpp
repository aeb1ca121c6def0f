// Panel layouts: any bytes as a layout file added to a device's document,
// then its sections built through the section loader the way the editors
// build them: the first named sections into panels, each with the iterator
// of its place and the conditions of the first button that opens a section
// window; a sub-section picked by value into a panel at a base address, as a
// section window opens one; the first section as the rows of a tabbed panel.
// Each panel is then pointed at another iterator. A device serves a thousand
// runs (making one takes longer than most runs; the tables it makes for the
// items texts it meets keep growing), its document emptied each run; a
// fresh window and client each run.
#include "FuzzSupport.h"
#include "LayoutRig.h"
#include "MidiCtrl.h"
#include "Panel.h"
#include "TabPanel.h"
#include "XmlDocument.h"

#include <QWidget>

#include <memory>
#include <vector>

namespace {

// Sections built from one input; enough to reach every branch of a layout.
constexpr int MaxSections = 4;

// The elements of the document in document order, the way its searches
// visit them.
void collect(const XmlElement* e, std::vector<const XmlElement*>& out)
{
    for (const XmlElement* child : e->children()) {
        out.push_back(child);
        collect(child, out);
    }
}

// What every load promises: a load stopped by a limit builds nothing, and
// no load builds past the cell limit.
void checkLoad(const Panel& panel)
{
    FUZZ_CHECK(panel.itemCount() <= Panel::MaxSectionCells);
    for (const QString& error : panel.loadErrors()) {
        FUZZ_CHECK(!error.isEmpty());
        if (error.endsWith(QLatin1String("nothing is built")))
            FUZZ_CHECK(panel.itemCount() == 0 && panel.tabCount() == 0);
    }
    for (int i = 0; i < panel.itemCount(); ++i)
        FUZZ_CHECK(panel.itemAt(i) && panel.itemAt(i)->gInfo());
}

void build(Panel& panel, int iterator)
{
    checkLoad(panel);
    const int items = panel.itemCount();
    FUZZ_CHECK(panel.getValues().size() <= 2 * items);
    panel.setIter(iterator + 1);
    FUZZ_CHECK(panel.itemCount() == items);
    panel.resetValues();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP_WIDGETS();
    // Kept past the process's end, as the shared device is.
    static LayoutDevice* device = nullptr;
    static int runs = 0;
    if (runs++ % 1000 == 0) {
        delete device;
        device = new LayoutDevice;
    }
    XmlDocument* doc = device->xml();
    doc->clear();
    if (!doc->loadData(Fuzz::bytes(data, size))) {
        FUZZ_CHECK(doc->isEmpty());
        return 0;
    }
    // The editor window in miniature.
    struct Rig
    {
        explicit Rig(MidiDevice* device) : client(QStringLiteral("Fuzz Editor"), device, &window) {}
        QWidget window;
        MidiClient client;
    };
    auto rig = std::make_unique<Rig>(device);

    std::vector<const XmlElement*> elements;
    collect(doc->root(), elements);
    QStringList sections;
    QString conditions;
    bool haveConditions = false;
    const XmlElement* subSection = nullptr;
    for (const XmlElement* e : elements) {
        const QString& tag = e->tagName();
        if (tag == QLatin1String("section")) {
            const QString name = e->attribute(QStringLiteral("name"));
            if (!name.isEmpty() && !sections.contains(name) && sections.size() < MaxSections)
                sections << name;
            const XmlElement* scope = e->parent();
            if (!subSection && e->hasAttribute(QStringLiteral("value")) && scope &&
                scope->tagName() == QLatin1String("section") &&
                !scope->attribute(QStringLiteral("name")).isEmpty())
                subSection = e;
        } else if (tag == QLatin1String("button") && !haveConditions) {
            conditions = e->attribute(QStringLiteral("flag"));
            haveConditions = true;
        }
    }

    // The panels go before the device and its client.
    for (int i = 0; i < sections.size(); ++i) {
        Panel panel(&rig->client, &rig->window);
        panel.init(&rig->window, QPoint(), i % 2 == 0);
        panel.loadSection(sections.at(i), i - 1, conditions);
        build(panel, i);
    }

    if (subSection) {
        Panel panel(&rig->client, &rig->window);
        panel.init(&rig->window, QPoint(), true);
        panel.setBaseAddress(0x400000);
        panel.loadSubSection(subSection->parent()->attribute(QStringLiteral("name")), QStringLiteral("value"),
                             subSection->attribute(QStringLiteral("value")), -1, conditions);
        build(panel, 0);
    }

    if (!sections.isEmpty()) {
        TabPanel tabs(&rig->client, &rig->window);
        tabs.init(&rig->window, QStringLiteral("Rows"), QPoint(), 400);
        for (int row = 0; row < 2; ++row) {
            Panel* panel = tabs.addPanel(sections.first(), row, 60, 19, 23, conditions, 0);
            FUZZ_CHECK(panel);
            checkLoad(*panel);
        }
        tabs.fit();
        tabs.selectTab(1);
    }
    return 0;
}
