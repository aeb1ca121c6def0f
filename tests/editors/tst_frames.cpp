// The five editor windows as built: where each panel and tool button stands
// by the layout's pixel rules, computed from the panels' own sizes, whatever
// the layout holds; the panel list order; that every panel paints in the
// window's colour scheme; the first tab chosen; and that each window
// connects to the simulated instrument once shown.
#include "EditorWindows.h"
#include "MidiEdit.h"
#include "Prompts.h"
#include "ToolButton.h"

namespace {

constexpr int ConnectMs = 10000;

// Every row of the tab shows its first tab's cells and the cells of no tab.
void verifyFirstTabShown(TabPanel& tab)
{
    QCOMPARE(tab.tabStrip()->selectedTab(), 0);
    for (int r = 0; r < tab.panelCount(); ++r) {
        Panel* row = tab.panel(r);
        QCOMPARE(row->currentTab(), 0);
        for (int i = 0; i < row->itemCount(); ++i) {
            const int itemTab = row->itemAt(i)->gInfo()->tab;
            if (itemTab > 0)
                QVERIFY2(row->widgetAt(i)->isHidden(), "a cell of a later tab shows");
        }
    }
}

// The rows' vertical steps: control height 19 and the row gap 2, plus the
// separators after each.
QList<int> rowSteps(TabPanel& tab)
{
    QList<int> steps;
    for (int r = 1; r < tab.panelCount(); ++r)
        steps.append(tab.panel(r)->y() - tab.panel(r - 1)->y());
    return steps;
}

void verifyScheme(MidiEditorWindow& window, const QList<AbstractPanel*>& panels, int scheme)
{
    for (AbstractPanel* panel : panels)
        QCOMPARE(panel->colorManager(), &window.colorManager());
    // No colours saved: the scheme's own.
    for (ColorTypes type : {CaptionColor, ButtonFaceColor})
        QCOMPARE(window.colorManager().getColor(type), ColorManager::GetSchemeColor(scheme, type));
}

struct PatchFrame
{
    Panel* sel;
    Panel* com;
    ToolButton* buttons;
    AbstractPanel* low; // the parts tab, or the second key panel
    int toolGap;
    int lowGap;
};

// The selection panel at the origin, the tool buttons in two rows of three
// centred under it, the common panel to its right, the low panel under the
// common panel; the size from the three: as wide as the panels above with
// the gap between them, or as the low panel when that is wider (a parts tab
// grows to show its widest tab), with 14 pixels on either side.
void verifyPatchFrame(MidiEditorWindow& window, const PatchFrame& f)
{
    const QRect client = window.clientRect();
    const QPoint origin(client.left() + 14, client.top() + 17);
    const QRect sel = f.sel->geometry();
    const QRect com = f.com->geometry();
    QCOMPARE(sel.topLeft(), origin);
    QCOMPARE(com.topLeft(), QPoint(sel.left() + sel.width() - 1 + 13, origin.y()));

    // Centred: half the difference to the rows' 234 pixels, truncated
    // toward zero when the panel is the narrower.
    const int diff = sel.width() - 234;
    const int left = origin.x() + (diff < 0 ? -(-diff / 2) : diff / 2);
    const int top = sel.top() + sel.height() - 1 + f.toolGap;
    const QStringList texts = {"Init", "Open", "Save", "Receive", "Store", "Store to"};
    const QList<int> commands = {9, 0, 1, 3, 5, 6};
    for (int i = 0; i < 6; ++i) {
        ToolButton& b = f.buttons[i];
        QCOMPARE(b.geometry(), QRect(left + (i % 3) * 79, top + (i / 3) * 27, 76, 24));
        QCOMPARE(b.text(), texts[i]);
        QCOMPARE(b.command(), commands[i]);
        QCOMPARE(b.parentWidget(), &window);
        QCOMPARE(b.colorManager(), &window.colorManager());
    }
    QCOMPARE(f.low->geometry().top(), com.top() + com.height() - 1 + f.lowGap);
    const int inner = qMax(sel.width() + com.width() + 12, f.low->geometry().width());
    QCOMPARE(window.size(), QSize(inner + 28, com.height() + f.low->geometry().height() + 68 + client.top()));
    QCOMPARE(window.minimumSize(), window.maximumSize());
}

// The parts tab is as wide as the panels above it and the gap between them,
// or as its widest tab's cells or its tabs need, whichever is wider.
void verifyPartsWidth(TabPanel& tab, int above)
{
    QCOMPARE(tab.width(), qMax(above, tab.contentWidth()));
    QVERIFY(tab.tabStrip()->tabRect(tab.tabStrip()->count() - 1).right() < tab.width());
}

} // namespace

class TestEditorFrames : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<EditorRig> rig;
    // The mix editor asks for a mix mode when the instrument is in none.
    std::unique_ptr<ScriptedPrompts> prompts;

    // Shown, the window keeps the client rectangle it was laid out in (the
    // menu bar takes the height it asked for) and connects.
    void verifyShownAndConnected(MidiEditorWindow& window)
    {
        const QRect client = window.clientRect();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.clientRect().top(), client.top());
        QTRY_VERIFY_WITH_TIMEOUT(window.isConnectedOnce(), ConnectMs);
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        rig = std::make_unique<EditorRig>(*bus);
        QVERIFY2(rig->sim->isLoaded(), qPrintable(rig->sim->error()));
    }

    void cleanup()
    {
        rig.reset();
        prompts.reset();
    }

    void voice()
    {
        auto w = rig->build<VeskVoice>();
        verifyPatchFrame(*w, {&w->selection(), &w->common(), w->toolButtons(), &w->parts(), 22, 14});
        verifyPartsWidth(w->parts(), w->selection().width() + w->common().width() + 12);
        QCOMPARE(w->parts().panelCount(), 4);
        QCOMPARE(rowSteps(w->parts()), QList<int>({22, 22, 22}));
        QCOMPARE(w->parts().panelTitle(), QStringLiteral("Voice Elements"));
        verifyFirstTabShown(w->parts());
        const QList<AbstractPanel*> order = {&w->selection(), &w->common(), &w->parts()};
        QCOMPARE(w->listedPanels(), order);
        verifyScheme(*w, order, 3);
        QCOMPARE(w->common().controlWidth(), 108);
        QCOMPARE(w->patchEdit(), w->selection().getPatchEdit(QStringLiteral("&Number"), 0));
        verifyShownAndConnected(*w);
    }

    void drumKit()
    {
        auto w = rig->build<VeskDrum>();
        verifyPatchFrame(*w, {&w->selection(), &w->common(), w->toolButtons(), &w->key2(), 10, 13});
        const QRect client = w->clientRect();
        const QRect sel = w->selection().geometry();
        const QRect com = w->common().geometry();
        QCOMPARE(w->keySelection().pos(), QPoint(client.left() + 14, sel.bottom() + 71));
        QCOMPARE(w->key().pos(), QPoint(client.left() + 23, com.bottom() + 36));
        QCOMPARE(w->key2().pos(), QPoint(client.left() + 14, com.bottom() + 13));
        // The key panel is flat and stays above the second key panel.
        QVERIFY(!w->key().caption());
        QVERIFY(w->key2().caption());
        QVERIFY(w->children().indexOf(&w->key2()) < w->children().indexOf(&w->key()));
        QCOMPARE(w->selection().paddingX(), 6);
        QCOMPARE(w->selection().controlWidth(), 140);
        QCOMPARE(w->key2().marginLeft(), 11);
        QCOMPARE(w->key2().controlWidth(), 85);
        QCOMPARE(w->keySelection().marginRight(), 10);
        QCOMPARE(w->selectedKey(), -1);
        const QList<AbstractPanel*> order = {&w->selection(), &w->common(), &w->keySelection(), &w->key(),
                                             &w->key2()};
        QCOMPARE(w->listedPanels(), order);
        verifyScheme(*w, order, 6);
        verifyShownAndConnected(*w);
    }

    void performance()
    {
        auto w = rig->build<VeskPerf>();
        verifyPatchFrame(*w, {&w->selection(), &w->common(), w->toolButtons(), &w->parts(), 18, 14});
        verifyPartsWidth(w->parts(), w->selection().width() + w->common().width() + 12);
        // Four parts with a pixel after each, six more before the three
        // plug-in parts, which follow one another.
        QCOMPARE(rowSteps(w->parts()), QList<int>({22, 22, 22, 28, 21, 21}));
        QCOMPARE(w->parts().panelTitle(), QStringLiteral("Performance Parts"));
        verifyFirstTabShown(w->parts());
        const QList<AbstractPanel*> order = {&w->selection(), &w->common(), &w->parts()};
        QCOMPARE(w->listedPanels(), order);
        verifyScheme(*w, order, 0);
        verifyShownAndConnected(*w);
    }

    void master()
    {
        auto w = rig->build<VeskMaster>();
        verifyPatchFrame(*w, {&w->selection(), &w->common(), w->toolButtons(), &w->parts(), 18, 13});
        QCOMPARE(rowSteps(w->parts()), QList<int>({22, 22, 22}));
        verifyPartsWidth(w->parts(), w->selection().width() + w->common().width() + 12);
        QCOMPARE(w->parts().panelTitle(), QStringLiteral("Master Parts"));
        QCOMPARE(w->selection().controlWidth(), 170);
        QCOMPARE(w->common().controlWidth(), 170);
        verifyFirstTabShown(w->parts());
        const QList<AbstractPanel*> order = {&w->selection(), &w->common(), &w->parts()};
        QCOMPARE(w->listedPanels(), order);
        verifyScheme(*w, order, 7);
        verifyShownAndConnected(*w);
    }

    void mix()
    {
        auto w = rig->build<VeskMix>();
        const QRect client = w->clientRect();
        const int bar = w->toolBarHeight(w->mainToolBar());
        QVERIFY(bar > 0);
        const QPoint origin(client.left() + 14, client.top() + bar + 16);
        QCOMPARE(w->parts().geometry().topLeft(), origin);
        // 751 wide unless its widest tab needs more; the common and system
        // panels 12 pixels to its right (at 777 for 751).
        verifyPartsWidth(w->parts(), 751);
        const int right = origin.x() + w->parts().width() + 12;
        const QRect com = w->common().geometry();
        QCOMPARE(com.topLeft(), QPoint(right, origin.y()));
        QCOMPARE(w->system().pos(), QPoint(right, com.bottom() + 13));
        QCOMPARE(w->size(), QSize(w->parts().width() + com.width() + 40, w->parts().height() + 55 + bar + client.top()));
        // Sixteen parts a pixel apart, five pixels before the plug-in parts.
        QList<int> steps(15, 22);
        steps << 26 << 21 << 21;
        QCOMPARE(rowSteps(w->parts()), steps);
        QCOMPARE(w->parts().panelTitle(), QStringLiteral("Mixing Parts"));
        // The system panel's bottom margin only (stored two larger).
        QCOMPARE(w->system().marginBottom(), 11);
        QCOMPARE(w->system().marginLeft(), w->common().marginLeft());
        QCOMPARE(w->system().controlWidth(), 116);
        // Each part's volume follows its mixer part; the plug-in parts' do not.
        for (int part = 0; part < 19; ++part) {
            MidiEdit* volume = w->parts().panel(part)->getEdit(QStringLiteral("Volume"), 0);
            QVERIFY(volume);
            QCOMPARE(volume->mixPart(), part < 16 ? rig->device->mixPart(part) : nullptr);
        }
        QCOMPARE(w->mode(), -1);
        QCOMPARE(w->selectedPart(), 0);
        verifyFirstTabShown(w->parts());
        const QList<AbstractPanel*> order = {&w->common(), &w->system(), &w->parts()};
        QCOMPARE(w->listedPanels(), order);
        verifyScheme(*w, order, 2);
        verifyShownAndConnected(*w);
    }
};

ORVANE_TEST_MAIN(TestEditorFrames)
#include "tst_frames.moc"
