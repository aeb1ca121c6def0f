// Every program window whole on a 1366x768 screen: the five editors and the
// librarian, built as their programs build them and connected to the
// simulated instrument, with every section window their buttons open and
// every window and dialog of their set-up commands (tests/support/
// WindowTour.h). Each view is walked by the geometry check (tests/support/
// WindowGeometry.h): every widget inside its parent and its window, no two
// overlapping, no text cut, every tab reachable and every tab's cells shown,
// every window inside the screen. The patch selectors are also shown with
// the last patch of each of their banks, the widest number they can show.
//
// ctest runs this file on the offscreen platform with a 1366x768 screen
// (tests/editors/screen-1366x768.json).
#include "EditorWindows.h"
#include "LibrarianRig.h"
#include "MidiPatchEdit.h"
#include "Prompts.h"
#include "Waiting.h"
#include "WindowGeometry.h"
#include "WindowTour.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr int GeometryConnectMs = 15000;
const QSize LaptopScreen(1366, 768);

// The patch selectors of the view with the last patch of each bank they
// offer; each shows its own patch again afterwards.
QStringList widestPatches(QWidget* view)
{
    QStringList problems;
    for (MidiPatchEdit* edit : view->findChildren<MidiPatchEdit*>()) {
        if (!edit->isVisibleTo(view))
            continue;
        const Patch shown = edit->patch();
        const BankSet& banks = edit->bankSet();
        for (int i = 0; DeviceBank* bank = banks.bankAt(i); ++i) {
            edit->setPatch(banks.lastPatchOfBank(bank->bankWord()));
            problems += WindowGeometry::textsCut(edit);
        }
        edit->setPatch(shown);
    }
    return problems;
}

// What the tour finds wrong, view by view.
class Findings
{
public:
    void visit(QWidget* view, const QString& name)
    {
        QStringList found = WindowGeometry::check(view);
        found += widestPatches(view);
        for (const QString& line : std::as_const(found))
            m_lines.append(name + QStringLiteral(": ") + line);
        ++m_views;
    }
    int views() const { return m_views; }
    bool whole() const { return m_lines.isEmpty(); }
    QByteArray report() const { return m_lines.join(QLatin1Char('\n')).toLocal8Bit(); }

private:
    QStringList m_lines;
    int m_views = 0;
};

} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

    // Tours the shown, connected window and checks each view it shows: the
    // main window, its section windows and its commands' windows.
    void verifyWhole(MainWindow* window, ScriptedPrompts& prompts, Sim::BusSimulator& sim, int minimumViews)
    {
        // Waits for the simulator to hear nothing new while nothing is on its
        // way: each count is taken once the bus has delivered what it holds.
        const auto settle = [&] {
            WindowTour::settleOn([&] {
                Waiting::deliverAll(*bus);
                return int(sim.sim().received().size());
            });
        };
        settle();
        Findings findings;
        WindowTour::tour(window, prompts, settle,
                         [&](QWidget* view, const QString& name) { findings.visit(view, name); });
        QVERIFY2(findings.whole(), findings.report().constData());
        QVERIFY2(findings.views() >= minimumViews, qPrintable(QString::number(findings.views())));
    }

    template <class Window>
    void tourEditor(int minimumViews)
    {
        ScriptedPrompts prompts;
        // The mix editor asks for a mode when the instrument is in none.
        prompts.script(ScriptedPrompts::Kind::Choice, QStringLiteral("Song"));
        EditorRig rig(*bus);
        QVERIFY2(rig.sim->isLoaded(), qPrintable(rig.sim->error()));
        auto window = rig.build<Window>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(window->isConnectedOnce(), GeometryConnectMs);
        verifyWhole(window.get(), prompts, *rig.sim, minimumViews);
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
        QVERIFY2(QGuiApplication::primaryScreen()->availableGeometry().size() == LaptopScreen,
                 "the test runs on a 1366x768 screen (QT_QPA_PLATFORM=offscreen:configfile=...)");
    }

    void voice() { tourEditor<VeskVoice>(20); }
    void drumKit() { tourEditor<VeskDrum>(12); }
    void performance() { tourEditor<VeskPerf>(15); }
    void master() { tourEditor<VeskMaster>(5); }
    void mix() { tourEditor<VeskMix>(15); }

    void librarian()
    {
        ScriptedPrompts prompts;
        LibrarianRig rig(*bus);
        auto window = rig.build();
        QVERIFY(showLoaded(*window));
        QVERIFY(waitConnected(*window));
        // A library open: its tree and its list of folders in view.
        window->newFile(0);
        verifyWhole(window.get(), prompts, *rig.sim, 2);
    }
};

ORVANE_TEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
