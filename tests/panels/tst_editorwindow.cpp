// The editor window base: how it starts the connection (its own ports, the
// librarian's, none), what it does when the connection is reported (also
// while hidden), the monitor of sent messages, the patch file it is handed,
// the pause after a patch was selected, the status bar, its style and
// painting, the keyboard window and what it keeps in the settings.
#include "Application.h"
#include "BulkDump.h"
#include "ColorManager.h"
#include "Colors.h"
#include "DeviceBank.h"
#include "EventMessage.h"
#include "KeyboardDlg.h"
#include "MidiCheckBox.h"
#include "MidiEditorWindow.h"
#include "MidiPatchEdit.h"
#include "MidiString.h"
#include "MidiTabCtrl.h"
#include "Panel.h"
#include "Paths.h"
#include "Profile.h"
#include "Prompts.h"
#include "TabPanel.h"
#include "Task_Poller.h"
#include "Task_ReceiveBanks.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "VarArgs.h"
#include "VeskRig.h"
#include "VeskSysex.h"
#include "VirtualMidiBus.h"
#include "Waiting.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace {

// An editor with no panels of its own: it counts what the base asks of it.
class ProbeEditor : public MidiEditorWindow
{
public:
    using MidiEditorWindow::MidiEditorWindow;

    MidiPatchEdit* patchEdit() override { return nullptr; }
    void initDevice() override { calls.append(QStringLiteral("init")); }
    void MidiReceive() override
    {
        MidiEditorWindow::MidiReceive();
        calls.append(QStringLiteral("receive"));
    }
    void openFile(const QString& path) override
    {
        calls.append(QStringLiteral("open:") + path);
        MidiEditorWindow::openFile(path);
    }
    int count(const QString& call) const { return int(calls.count(call)); }
    void addEditorPanel(AbstractPanel* panel) { editorPanels.append(panel); }
    void onBanksReceived() override { calls.append(QStringLiteral("banks")); }
    // The messages of panels that reach the editor, each with the panel it
    // names (only compared, never followed).
    void onMessage(int id, const QVariant& data, const QVariant& source) override
    {
        if (id >= AbstractPanel::PanelSelectedMessage && id <= AbstractPanel::CaptionMenuMessage)
            panelMessages.append({id, VarToPointer(data)});
        MidiEditorWindow::onMessage(id, data, source);
    }

    QStringList calls;
    QList<QPair<int, const void*>> panelMessages;
};

// Panels whose focus is one mark shared among them: what the window asks of
// a panel for focus moves, without controls that take the focus.
struct FocusRing
{
    AbstractPanel* focused = nullptr;
};

class RingPanel : public Panel
{
public:
    RingPanel(MidiClient* client, QWidget* parent, FocusRing* ring) : Panel(client, parent), ring(ring) {}
    bool hasFocus() const override { return ring->focused == this; }
    void setFocus(int index) override
    {
        ring->focused = this;
        indices.append(index);
    }

    FocusRing* ring;
    QList<int> indices; // of each setFocus
};

// An editor with a patch selector of the device's bank set "SET".
class SelectorEditor : public ProbeEditor
{
public:
    explicit SelectorEditor(MidiDevice* device)
        : ProbeEditor(device), selector(new MidiPatchEdit(this, device, QStringLiteral("SET")))
    {
    }
    MidiPatchEdit* patchEdit() override { return selector; }

    MidiPatchEdit* selector;
};

// Rows of parts with two tabs, and a panel of one value control.
const char* const TabsLayout = R"(<section title="Tabs">
  <section name="Tabs:Part" title="Pxx">
    <tab title="Voice"/>
    <edit title="Volume" address="31xx01"/>
    <tab title="Zone"/>
    <edit title="Note" address="31xx02"/>
  </section>
  <section name="Tabs:Common" title="Common"><edit title="Tempo" address="300000"/></section>
</section>)";

// A bulk dump message of the instrument without data, as a block's header or
// footer.
QByteArray veskFrame(unsigned int address)
{
    VeskSysex message;
    message.prepareBulkDump(address, QString());
    return QByteArray::fromHex(message.toString(-1).toLatin1());
}

// The librarian of the test instrument's device keeps its ports under this
// name.
const QString LibrarianName = QStringLiteral("Test Instrument Ridev Vurivodez");

void setLibrarianPorts(const QString& in, const QString& out)
{
    QSettings librarian(QStringLiteral("Tamsel"), LibrarianName);
    librarian.clear();
    if (!in.isNull())
        librarian.setValue(QStringLiteral("MidiIn"), in);
    if (!out.isNull())
        librarian.setValue(QStringLiteral("MidiOut"), out);
}

// The instrument's identity reply for an ES6, so that the instrument's device
// connects to the test instrument.
const QByteArray VeskIdentity = QByteArray::fromHex("F07E000602430000690500000000F7");

} // namespace

class TestEditorWindow : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<TestInstrument> instrument;
    std::unique_ptr<BusDevice> device;
    std::unique_ptr<ProbeEditor> window;
    // No test waits on a message box (the program's argument may name a file).
    std::unique_ptr<ScriptedPrompts> prompts;

    // The device is made after the settings a case writes, as a program's
    // device reads its ports when it is made.
    void start()
    {
        device = std::make_unique<BusDevice>();
        window = std::make_unique<ProbeEditor>(device.get());
    }

    void showAndLoad()
    {
        window->show();
        QTRY_VERIFY(window->isLoaded());
    }

    QString tempFile(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("f%1.syx").arg(++files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

    QTemporaryDir dir;
    int files = 0;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        resetBusAndPorts();
        instrument = std::make_unique<TestInstrument>(*bus);
        setLibrarianPorts(QString(), QString());
        prompts = std::make_unique<ScriptedPrompts>();
        Profile::settings()->remove(QStringLiteral("ShowKeyboard"));
    }

    void cleanup()
    {
        window.reset();
        device.reset();
        instrument.reset();
        prompts.reset();
    }

    // --- connection start ------------------------------------------------------------

    void connectionStart_data()
    {
        QTest::addColumn<QString>("ownIn");
        QTest::addColumn<QString>("ownOut");
        QTest::addColumn<QString>("librarianIn"); // null: the librarian saved none
        QTest::addColumn<QString>("librarianOut");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QString>("storedIn"); // the editor's "MidiIn" afterwards

        const QString sim = QStringLiteral("Test Instrument");
        const QString none = QStringLiteral("(none)");
        const QString null;
        QTest::newRow("own ports") << sim << sim << null << null << true << sim;
        QTest::newRow("own ports before the librarian's")
            << sim << sim << QStringLiteral("Other") << QStringLiteral("Other") << true << sim;
        QTest::newRow("librarian's taken") << ""
                                           << "" << sim << sim << true << sim;
        // Nothing is stored when the librarian has no pair: its ports are
        // taken as soon as it has some.
        QTest::newRow("no ports anywhere") << ""
                                           << "" << null << null << false << "";
        QTest::newRow("librarian's (none)") << ""
                                            << "" << none << none << false << "";
        QTest::newRow("librarian has one port") << ""
                                                << "" << sim << null << false << "";
        QTest::newRow("(none) stored earlier") << none << none << sim << sim << true << sim;
        // One port named: the user sets the other; nothing is tried.
        QTest::newRow("input only") << sim << "" << sim << sim << false << sim;
        QTest::newRow("input and (none)") << sim << none << sim << sim << false << sim;
    }

    void connectionStart()
    {
        QFETCH(QString, ownIn);
        QFETCH(QString, ownOut);
        QFETCH(QString, librarianIn);
        QFETCH(QString, librarianOut);
        QFETCH(bool, connects);
        QFETCH(QString, storedIn);

        Profile::writeProfileString(QString(), QStringLiteral("MidiIn"), ownIn);
        Profile::writeProfileString(QString(), QStringLiteral("MidiOut"), ownOut);
        setLibrarianPorts(librarianIn, librarianOut);
        start();
        showAndLoad();

        if (connects) {
            QTRY_VERIFY(device->isConnected());
            QTRY_COMPARE(window->connectionLabel()->text(),
                         VarArgs::format("%s connected", TestDevice::ModelName));
        } else {
            // No poll or search runs and no port is open: no identity request
            // can follow.
            QVERIFY(!device->poller()->isRunning());
            QVERIFY(!device->isAutoConnecting());
            QVERIFY(!device->midiOut()->isOpened());
            QVERIFY(!device->isConnected());
            QCOMPARE(instrument->identityRequests(), 0);
            QCOMPARE(window->connectionLabel()->text(), QStringLiteral("Not connected"));
        }
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiIn")), storedIn);
    }

    // A first start without ports anywhere, then the librarian is given
    // ports: the next start takes them.
    void librarianPortsFoundLater()
    {
        start();
        window.reset();
        device.reset();
        QVERIFY(Profile::readProfileString(QString(), QStringLiteral("MidiIn")).isEmpty());

        setLibrarianPorts(instrument->name(), instrument->name());
        start();
        showAndLoad();
        QTRY_VERIFY(device->isConnected());
        QCOMPARE(Profile::readProfileString(QString(), QStringLiteral("MidiOut")), instrument->name());
    }

    // --- the connection notice ----------------------------------------------------------

    void connectReadsAndOpensOnce()
    {
        start();
        showAndLoad();
        device->setConnected(true);
        QTRY_VERIFY(window->isConnectedOnce());
        // Device prepared, edit buffer read, then the argument file once.
        QCOMPARE(window->calls, QStringList({QStringLiteral("init"), QStringLiteral("receive"),
                                             QStringLiteral("open:") + Application::arg(0)}));

        window->calls.clear();
        device->setConnected(false);
        QTRY_COMPARE(window->connectionLabel()->text(), QStringLiteral("Not connected"));
        QVERIFY(window->calls.isEmpty());
        device->setConnected(true);
        QTRY_COMPARE(window->calls, QStringList({QStringLiteral("init"), QStringLiteral("receive")}));
    }

    // A notice that comes while the window is hidden waits for it to show.
    void connectWhileHidden()
    {
        start();
        window->connectionLabel()->setText(QStringLiteral("before"));
        device->setConnected(true);
        // Waits for the posted notice to have been handled.
        QVERIFY(Waiting::drainPosted());
        QVERIFY(window->calls.isEmpty());
        QCOMPARE(window->connectionLabel()->text(), QStringLiteral("before"));
        QVERIFY(!window->isConnectedOnce());

        window->show();
        QTRY_VERIFY(window->isConnectedOnce());
        QCOMPARE(window->count(QStringLiteral("receive")), 1);
        QCOMPARE(window->count(QStringLiteral("open:") + Application::arg(0)), 1);
    }

    // --- the monitor ------------------------------------------------------------------------

    void monitorShowsSentOnly()
    {
        // The rig has an instrument of its own by the same name.
        instrument.reset();
        resetBusAndPorts();
        VeskRig rig(*bus);
        rig.instrument.setIdentityReply(VeskIdentity);
        ProbeEditor editor(&rig.device);
        editor.show();
        QTRY_VERIFY(rig.device.isConnected());
        QTRY_VERIFY(editor.isConnectedOnce());

        // A parameter change sent: its analysis shows, its hex text is kept.
        rig.device.paramChange(MidiParam(0x300011, 1, false, false), 0x40);
        QVERIFY(editor.monitorLabel()->text().contains(QStringLiteral("PARAM CHANGE")) ||
                editor.monitorLabel()->text().contains(QStringLiteral("<font")));
        QCOMPARE(editor.lastSysexText(), QStringLiteral("F0 43 10 7F 00 30 00 11 40 F7"));
        QCOMPARE(editor.monitorLabel()->accessibleName(), editor.lastSysexText());
        const QString shown = editor.monitorLabel()->text();

        // Sent with no analysis (a request), or received: nothing changes.
        rig.device.bulkRequest(0x3F0000);
        rig.instrument.sendHex(QStringLiteral("F0431F7F0030001122F7"));
        // Waits for the received message to reach the editor.
        QVERIFY(Waiting::deliverAll(*bus));
        QCOMPARE(editor.monitorLabel()->text(), shown);
        QCOMPARE(editor.lastSysexText(), QStringLiteral("F0 43 10 7F 00 30 00 11 40 F7"));

        editor.copySysexToClipboard();
        QCOMPARE(QGuiApplication::clipboard()->text(), editor.lastSysexText());

        // A worker's send is shown too, through the event queue.
        QThread* worker =
            QThread::create([&rig]() { rig.device.paramChange(MidiParam(0x300012, 1, false, false), 5); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QTRY_COMPARE(editor.lastSysexText(), QStringLiteral("F0 43 10 7F 00 30 00 12 05 F7"));
    }

    void clipboardBeforeAnySend()
    {
        start();
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        window->copySysexToClipboard();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    // --- the patch file --------------------------------------------------------------------

    void openFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal"); // "" when the file is sent

        const QByteArray a = QByteArray::fromHex("F043107F00100000 05F7");
        const QByteArray b = QByteArray::fromHex("F043107F00100001 06F7");
        QTest::newRow("one message") << a << "";
        QTest::newRow("two messages") << a + b << "";
        QTest::newRow("empty") << QByteArray() << "empty";
        QTest::newRow("maker byte second, no F0") << QByteArray::fromHex("4143107F00F7") << "does not start";
        QTest::newRow("one byte F0") << QByteArray::fromHex("F0") << "cut short";
        QTest::newRow("no final F7") << a + QByteArray::fromHex("F04310") << "cut short";
        QTest::newRow("data after the messages") << a + "\n"
                                                 << "other data";
        QTest::newRow("status byte inside a message") << QByteArray::fromHex("F0439010F7") << "broken";
    }

    void openFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);

        // Ports opened without the identity poll, whose requests would mix
        // with what the file sends.
        start();
        device->attach(*instrument);
        bus->waitIdle();
        bus->clearSent();
        const QString path = tempFile(bytes);
        QVERIFY(!path.isEmpty());

        ScriptedPrompts scripted;
        window->openFile(path);
        bus->waitIdle();
        const QByteArray sent = bus->sentBytes(instrument->destination());
        if (refusal.isEmpty()) {
            QCOMPARE(scripted.count(ScriptedPrompts::Kind::Error), 0);
            QCOMPARE(sent, bytes);
            QCOMPARE(window->calls.last(), QStringLiteral("receive"));
        } else {
            QCOMPARE(scripted.count(ScriptedPrompts::Kind::Error), 1);
            const QString text = scripted.last(ScriptedPrompts::Kind::Error).text;
            QVERIFY2(text.startsWith(QStringLiteral("Illegal file\n\n")), qPrintable(text));
            QVERIFY2(text.contains(refusal), qPrintable(text));
            QVERIFY(sent.isEmpty());
            QCOMPARE(window->count(QStringLiteral("receive")), 0);
        }
    }

    void openFileRefusals()
    {
        start();
        ScriptedPrompts scripted;
        window->openFile(QString());
        window->openFile(QStringLiteral("edit"));
        QCOMPARE(scripted.calls().size(), 0);

        const QString missing = dir.filePath(QStringLiteral("missing.syx"));
        window->openFile(missing);
        QCOMPARE(scripted.last(ScriptedPrompts::Kind::Error).text,
                 QStringLiteral("File not found\n\n") + GetCompactPath(missing, -1));
        QVERIFY(scripted.last(ScriptedPrompts::Kind::Error).title.isEmpty());

        // Too large to be a patch file: refused before it is read.
        QByteArray big;
        big.fill('\x10', MidiEditorWindow::MaxSysexFileSize);
        big.prepend('\xF0');
        big.append('\xF7');
        window->openFile(tempFile(big));
        QVERIFY(scripted.last(ScriptedPrompts::Kind::Error).text.contains(QStringLiteral("too large")));
        QCOMPARE(window->count(QStringLiteral("receive")), 0);
    }

    // --- selecting a patch -------------------------------------------------------------------

    // Each call restarts the pause: one read, a pause after the last call.
    void selectPatchRestartsPause()
    {
        start();
        QCOMPARE(window->selectDelay(), MidiEditorWindow::SelectDelayMs);
        // The first pause held: no stall can end it before the second call.
        window->setSelectDelay(Waiting::HoldMs);
        window->selectPatch(Patch(0x3F, 0, 1));
        QVERIFY(window->isSelectPending());
        QCOMPARE(window->count(QStringLiteral("receive")), 0);
        window->setSelectDelay(MidiEditorWindow::SelectDelayMs);
        QElapsedTimer clock;
        clock.start();
        window->selectPatch(Patch(0x3F, 0, 2));
        QVERIFY(window->isSelectPending());
        // Waits for the restarted pause to end.
        QTRY_VERIFY_WITH_TIMEOUT(!window->isSelectPending(), Waiting::EventMs);
        QVERIFY2(clock.elapsed() >= MidiEditorWindow::SelectDelayMs - 20,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(window->count(QStringLiteral("receive")), 1);
    }

    void selectPatchShowsOnSelector()
    {
        device = std::make_unique<BusDevice>();
        device->ini()->loadText(QStringLiteral("[SET]\nRidev=1\n0=63,0,PRE1\n"));
        {
            SelectorEditor editor(device.get());
            // Opened after the window, so no identity poll runs.
            device->attach(*instrument);
            bus->waitIdle();
            bus->clearSent();
            editor.selectPatch(Patch(63, 0, 5));
            QCOMPARE(editor.selector->patch(), Patch(63, 0, 5));
            QCOMPARE(editor.selectedPatch(), Patch(63, 0, 5));
            bus->waitIdle();
            QVERIFY(bus->sentBytes(instrument->destination()).isEmpty()); // shown only
            QVERIFY(editor.isSelectPending());
        }
        start();
        QVERIFY(!window->selectedPatch().isValid());
    }

    // --- focus and keys ---------------------------------------------------------------

    void nextPanelWraps_data()
    {
        QTest::addColumn<int>("panels");
        QTest::addColumn<int>("focused"); // -1: none
        QTest::addColumn<bool>("back");
        QTest::addColumn<int>("target"); // -1: nothing moves
        QTest::newRow("no panels") << 0 << -1 << false << -1;
        QTest::newRow("none focused, forward") << 3 << -1 << false << 0;
        QTest::newRow("none focused, back") << 3 << -1 << true << 0;
        QTest::newRow("forward") << 3 << 0 << false << 1;
        QTest::newRow("back from the first") << 3 << 0 << true << 2;
        QTest::newRow("forward from the last") << 3 << 2 << false << 0;
        QTest::newRow("one panel") << 1 << 0 << true << 0;
    }

    void nextPanelWraps()
    {
        QFETCH(int, panels);
        QFETCH(int, focused);
        QFETCH(bool, back);
        QFETCH(int, target);
        start();
        FocusRing ring;
        QList<RingPanel*> list;
        for (int i = 0; i < panels; ++i) {
            list.append(new RingPanel(window.get(), window.get(), &ring));
            window->addEditorPanel(list.last());
        }
        if (focused != -1)
            ring.focused = list.at(focused);
        QCOMPARE(window->nextPanel(back), target);
        if (target == -1)
            return;
        QCOMPARE(window->activePanel(), list.at(target));
        QCOMPARE(list.at(target)->indices.last(), 0);
    }

    // A panel deleted while its messages are still queued: they never reach
    // the editor, and the window's focus ring forgets the panel. The
    // messages of live panels, in the ring or registered with the client
    // (the rows of a tabbed panel), still arrive; a panel never placed in the
    // window posts none.
    void deletedPanelsMessagesDropped()
    {
        start();
        FocusRing ring;
        auto* gone = new RingPanel(window.get(), window.get(), &ring);
        auto* kept = new RingPanel(window.get(), window.get(), &ring);
        auto* row = new Panel(window.get(), window.get());
        window->addEditorPanel(gone);
        window->addEditorPanel(kept);
        for (Panel* panel : {static_cast<Panel*>(gone), static_cast<Panel*>(kept), row})
            panel->init(window.get(), QPoint(), false);
        // Registered with the client but never placed in a window by init:
        // its selection goes nowhere.
        auto* unplaced = new Panel(window.get(), window.get());
        unplaced->fit();
        const void* goneAddress = gone;

        unplaced->onPanelSelected(true);
        gone->onPanelSelected(true);
        PostMessage(window.get(), AbstractPanel::CaptionMenuMessage, PointerToVar(gone), 0);
        kept->onPanelSelected(true);
        row->onPanelSelected(false);
        PostMessage(window.get(), AbstractPanel::CaptionDoubleClickMessage, PointerToVar(&ring), 0);
        ring.focused = gone;
        delete gone;
        QCOMPARE(window->activePanel(), nullptr);
        QCoreApplication::sendPostedEvents(window.get());

        using Seen = QList<QPair<int, const void*>>;
        QCOMPARE(window->panelMessages, (Seen{{AbstractPanel::PanelSelectedMessage, kept},
                                              {AbstractPanel::PanelSelectedMessage, row}}));
        QCOMPARE(window->knownPanel(PointerToVar(const_cast<void*>(goneAddress))), nullptr);
        QCOMPARE(window->knownPanel(PointerToVar(row)), row);
        QCOMPARE(window->nextPanel(false), 0);
        QCOMPARE(window->activePanel(), kept);
    }

    // Ctrl+Tab and Ctrl+Shift+Tab move the focus; keys without Ctrl, Alt and
    // Shift reach the controls' own shortcuts; others do not.
    void keyMap()
    {
        start();
        FocusRing ring;
        auto* first = new RingPanel(window.get(), window.get(), &ring);
        auto* second = new RingPanel(window.get(), window.get(), &ring);
        window->addEditorPanel(first);
        window->addEditorPanel(second);
        CheckInfo info;
        info.title = QStringLiteral("Arp");
        info.key = QStringLiteral("F6");
        auto* arp = new MidiCheckBox(second, info);
        second->addControl(arp);
        first->fit();
        second->fit();
        QVERIFY(window->isPanelValid(1));

        QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->activePanel(), first);
        QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->activePanel(), second);
        QTest::keyClick(window.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window->activePanel(), first);

        arp->setValue(0);
        QTest::keyClick(window.get(), Qt::Key_F6, Qt::ShiftModifier);
        QTest::keyClick(window.get(), Qt::Key_F6, Qt::AltModifier);
        QTest::keyClick(window.get(), Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(arp->value(), 0);
        QTest::keyClick(window.get(), Qt::Key_F6);
        QCOMPARE(arp->value(), 1);
        QTest::keyClick(window.get(), Qt::Key_F6, Qt::KeypadModifier);
        QCOMPARE(arp->value(), 0);
    }

    // With a tabbed panel focused: Alt+digit picks its tab (other Alt keys
    // go on untouched), Ctrl keys move between its rows first, and
    // Ctrl+Tab, which it does not take, moves to the next panel.
    void tabPanelKeys()
    {
        start();
        QVERIFY(device->xml()->loadData(TabsLayout));
        auto* common = new Panel(window.get(), window.get());
        common->init(window.get(), QPoint(5, 5), true);
        common->loadSection(QStringLiteral("Tabs:Common"), -1);
        auto* tabs = new TabPanel(window.get(), window.get());
        tabs->init(window.get(), QStringLiteral("Parts"), QPoint(5, 120), 400);
        for (int row = 0; row < 12; ++row)
            tabs->addPanel(QStringLiteral("Tabs:Part"), row, 60, 19, 23, QString(), 0);
        tabs->fit();
        window->addEditorPanel(common);
        window->addEditorPanel(tabs);
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(window->nextPanel(true), 1);
        QCOMPARE(window->activePanel(), tabs);
        QCOMPARE(tabs->selectedPanel(), 0);

        QTest::keyClick(window.get(), Qt::Key_2, Qt::AltModifier);
        QCOMPARE(tabs->tabStrip()->selectedTab(), 1);
        QTest::keyClick(window.get(), Qt::Key_9, Qt::AltModifier); // no ninth tab
        QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
        QTest::keyClick(window.get(), Qt::Key_0, Qt::AltModifier);
        QCOMPARE(tabs->tabStrip()->selectedTab(), 1);
        QTest::keyClick(window.get(), Qt::Key_1, Qt::AltModifier);
        QCOMPARE(tabs->tabStrip()->selectedTab(), 0);

        QTest::keyClick(window.get(), Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(tabs->selectedPanel(), 2);
        QTest::keyClick(window.get(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(tabs->selectedPanel(), 1);

        // Keys as X11 reports them, by symbol and key code: the digit row is
        // found by its key codes (10 is "1", 19 is "0") whatever it prints.
        const struct
        {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            quint32 scanCode;
            const char* text;
            int row;
        } keys[] = {
            {Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier, 10, "!", 10}, // Ctrl+Shift+1
            {Qt::Key_Ampersand, Qt::ControlModifier, 10, "&", 0},                   // 1 on a French keyboard
            {Qt::Key_ParenRight, Qt::ControlModifier | Qt::ShiftModifier, 19, ")", 0}, // twentieth: none
            {Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, 11, "@", 11},        // Ctrl+Shift+2
            {Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier, 38, "!", 11},    // not on the digit row
        };
        for (const auto& k : keys) {
            QKeyEvent event(QEvent::KeyPress, k.key, k.modifiers, k.scanCode, quint32(k.key), 0,
                            QString::fromLatin1(k.text));
            QApplication::sendEvent(window.get(), &event);
            QCOMPARE(tabs->selectedPanel(), k.row);
        }
        QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(tabs->selectedPanel(), 1);
        QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(window->activePanel(), common);
    }

    // The names of a set of banks are received on a job; the window hears
    // when every patch came. A set without patches starts nothing.
    void receiveBanksTellsWindow()
    {
        instrument.reset();
        resetBusAndPorts();
        VeskRig rig(*bus);
        rig.instrument.setIdentityReply(VeskIdentity);
        BulkDump initial;
        QVERIFY(initial.fromFile(QStringLiteral(":/vesk/data/init/voice.syx"), &rig.device));
        QList<QByteArray> voice;
        for (int i = 0; i < initial.size(); ++i)
            voice << QByteArray::fromHex(initial.at(i)->toString(-1).toLatin1());
        rig.instrument.setBulkScript([voice](unsigned int header) {
            const unsigned int block = header - VeskSysex::HeaderOffset;
            return QList<QByteArray>{veskFrame(header)} + voice +
                   QList<QByteArray>{veskFrame(block + VeskSysex::FooterOffset)};
        });
        constexpr unsigned short User = 0x3F09;
        QFile::remove(rig.device.getUserBankFile(User));
        rig.device.deleteBank(User);
        BankSet set;
        set.append(rig.device.createSharedBank(QStringLiteral("USER2"), User, 3));

        ProbeEditor editor(&rig.device);
        QCOMPARE(editor.receiveBanks(BankSet(), false), nullptr);
        QPointer<Task_ReceiveBanks> job = editor.receiveBanks(set, false);
        QVERIFY(job);
        QTRY_COMPARE_WITH_TIMEOUT(editor.count(QStringLiteral("banks")), 1, 10000);
        QTRY_VERIFY(!job);
        QCOMPARE(rig.device.getBank(User)->patchName(2), QStringLiteral("--:Init Voice"));
    }

    // A click on the window accepts the name being typed.
    void clickEndsNameEditing()
    {
        start();
        auto* panel = new Panel(window.get(), window.get());
        StringInfo info;
        info.param.setAddress(0x100000);
        info.chars = 4;
        auto* name = new MidiString(panel, info);
        panel->addControl(name);
        panel->fit();
        window->show();
        name->edit(QStringLiteral("Abc"), true);
        QVERIFY(MidiString::editor());
        MidiString::editor()->setText(QStringLiteral("Wxyz"));
        QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(!MidiString::editor());
        QCOMPARE(name->text(), QStringLiteral("Wxyz"));
    }

    // --- status bar, style, painting -----------------------------------------------------------

    void statusBarAfterLoad()
    {
        start();
        window->createStatusBar();
        showAndLoad();
        QStatusBar* bar = window->statusBar();
        QCOMPARE(bar->height(), MidiEditorWindow::StatusBarHeight);
        QCOMPARE(bar->styleSheet(), QStringLiteral("QStatusBar::item {border-right: 1px solid #c4c4c4; }"));
        QCOMPARE(window->connectionLabel()->parentWidget(), bar);
        QCOMPARE(window->monitorLabel()->parentWidget(), bar);
        QVERIFY(window->statusWidget()->isHidden());
        QCOMPARE(window->connectionLabel()->text(), QStringLiteral("Not connected"));
        QCOMPARE(window->connectionLabel()->textFormat(), Qt::RichText);
    }

    void menuBarStyle()
    {
        QCOMPARE(MidiEditorWindow::menuBarStyleSheet(QColor(0x12, 0xAB, 0xEF), QColor(1, 2, 3)),
                 QStringLiteral(
                     " QMenuBar { padding: 0px; background: transparent; }  QMenuBar::item { spacing: 0px; "
                     "padding: 4px 10px; background: transparent; border-radius: 0px; }  "
                     "QMenuBar::item:selected { background: #12abef; }  "
                     "QMenuBar::item:pressed { background: #010203; } "));
        start();
        window->updateStyleSheets();
        ColorManager& colors = window->colorManager();
        const QColor face = colors.getColor(ButtonFaceColor);
        QVERIFY(window->menuBar()->styleSheet().startsWith(
            MidiEditorWindow::menuBarStyleSheet(GetColor2(face, 1.0, 0.91),
                                                MergeColors(face, colors.getColor(CaptionColor), 0.4))));
    }

    // The strip under the status bar: 22 rows at the bottom, the top 4 of them
    // shaded.
    void paintsStrip()
    {
        start();
        window->resize(400, 300);
        QImage image(400, 300, QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        window->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        const QColor face = window->colorManager().getColor(ButtonFaceColor);
        const auto nearFace = [&](int y) {
            const QColor c = image.pixelColor(200, y);
            return qAbs(c.red() - face.red()) <= 6 && qAbs(c.green() - face.green()) <= 6 &&
                   qAbs(c.blue() - face.blue()) <= 6;
        };
        QVERIFY(nearFace(283));
        QVERIFY(nearFace(299));
        QVERIFY(!nearFace(278)); // shadow
        QVERIFY(image.pixelColor(200, 278).lightness() < image.pixelColor(200, 283).lightness());
        QVERIFY(image.pixelColor(200, 150) != QColor(Qt::magenta));
    }

    // --- keyboard window and settings ------------------------------------------------------------

    void keyboardToggles()
    {
        start();
        window->setKeyboardChannel(5); // no window yet: lost
        window->showKeyboard();
        KeyboardDlg* keyboard = window->keyboard();
        QVERIFY(keyboard && keyboard->isVisible());
        QCOMPARE(keyboard->channel(), -1);
        window->setKeyboardChannel(3);
        QCOMPARE(keyboard->channel(), 3);

        window->showKeyboard();
        QVERIFY(!keyboard->isVisible());
        // Opened again, it is the same window: no hidden one is left behind.
        window->showKeyboard();
        QCOMPARE(window->keyboard(), keyboard);
        QVERIFY(keyboard->isVisible());
        QCOMPARE(window->findChildren<KeyboardDlg*>().size(), 1);
    }

    void keyboardStateKept_data()
    {
        QTest::addColumn<int>("toggles");
        QTest::addColumn<bool>("stored");
        QTest::newRow("never opened") << 0 << false;
        QTest::newRow("open at close") << 1 << true;
        QTest::newRow("closed before") << 2 << false;
    }

    void keyboardStateKept()
    {
        QFETCH(int, toggles);
        QFETCH(bool, stored);
        start();
        showAndLoad();
        for (int i = 0; i < toggles; ++i)
            window->showKeyboard();
        window->colorManager().loadScheme(2);
        // Closed by the user first, as a program's window is.
        window->close();
        window.reset();
        QCOMPARE(Profile::settings()->value(QStringLiteral("ShowKeyboard")).toBool(), stored);
        // The scheme is stored with it.
        ColorManager read;
        read.fromRegistry(ColorManager::BasicScheme);
        QCOMPARE(read.toString(), [] {
            ColorManager m;
            m.loadScheme(2);
            return m.toString();
        }());

        // The next window opens the keyboard again when it showed.
        start();
        showAndLoad();
        QCOMPARE(window->keyboard() && window->keyboard()->isVisible(), stored);
    }
};

ORVANE_TEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
