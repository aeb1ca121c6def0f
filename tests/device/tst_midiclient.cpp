// The device's clients: registration, the connection notice, the fan-out of
// messages to the window's panels, and the panels' own registration.
#include "EventMessage.h"
#include "MidiClient.h"
#include "MidiDevice.h"
#include "MidiMessage.h"
#include "Panel.h"
#include "PanelDlg.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace {

// Everything the clients and panels of one test are told, in order.
using Log = QStringList;

// A panel as the editor builds them, recording what its client hands it.
class RecordingPanel : public Panel
{
public:
    RecordingPanel(const QString& name, MidiClient* client, Log* log, QWidget* parent = nullptr)
        : Panel(client, parent), m_name(name), m_log(log)
    {
    }

    void OnSysex(Sysex* message) override
    {
        m_log->append(m_name + QStringLiteral(" sysex ") + addressOf(message));
    }
    void OnMidiMessage(const MidiMessage& message) override
    {
        m_log->append(m_name + QStringLiteral(" short ") + QString::number(unsigned(message), 16));
    }
    void setAddressItems(unsigned int address, const QString& items) override
    {
        m_log->append(m_name + QStringLiteral(" items ") + QString::number(address, 16) + QLatin1Char(' ') +
                      items);
    }

    static QString addressOf(const void* p) { return QString::number(quintptr(p), 16); }

private:
    QString m_name;
    Log* m_log;
};

// A window whose client records its hooks; the messages reach its panels
// through the base.
class Window : public QWidget, public MidiClient
{
public:
    Window(const QString& name, MidiDevice* device, Log* log)
        : QWidget(nullptr), MidiClient(name, device, this), m_log(log)
    {
    }

    void OnConnect() override
    {
        ++connects;
        seenStates.append(midiDevice()->isConnected());
        connectThreads.append(QThread::currentThread());
    }
    void OnMidiMessage(const MidiMessage& message, MidiSource source) override
    {
        m_log->append(clientName() + QStringLiteral(" short"));
        if (victim) {
            // Closing another window from inside a handler.
            delete victim;
            victim = nullptr;
        }
        MidiClient::OnMidiMessage(message, source);
    }
    void OnSysex(Sysex* message, MidiSource source) override
    {
        m_log->append(clientName() + QStringLiteral(" sysex"));
        MidiClient::OnSysex(message, source);
    }
    void OnPatchChange(Patch, MidiSource) override { m_log->append(clientName() + QStringLiteral(" patch")); }

    int connects = 0;
    QList<bool> seenStates;
    QList<QThread*> connectThreads;
    int noticesSeenByWindow = 0;
    Window* victim = nullptr;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == EventMessage::Type())
            ++noticesSeenByWindow;
        return QWidget::event(e);
    }

private:
    Log* m_log;
};

// Lets every queued notice reach its window.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestMidiClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Profile::setIdentity(QStringLiteral("Vesk ES Ridev Vurivodez"), QStringLiteral("Tamsel"),
                             QStringLiteral("2.8.0"));
    }

    void init()
    {
        m_log.clear();
        m_device = std::make_unique<MidiDevice>(QStringLiteral("Vesk ES"), 10);
    }
    void cleanup() { m_device.reset(); }

    // Each change of the device's state is one notice per client, handled by
    // OnConnect and never seen by the window itself.
    void connectionNotice_data()
    {
        QTest::addColumn<bool>("connectedBefore");
        QTest::addColumn<QList<bool>>("changes");
        QTest::addColumn<int>("notices");
        QTest::newRow("built on a connected device") << true << QList<bool>{} << 1;
        QTest::newRow("built on a disconnected device") << false << QList<bool>{} << 0;
        QTest::newRow("connected twice") << false << QList<bool>{true, true} << 1;
        QTest::newRow("disconnected while not connected") << false << QList<bool>{false} << 0;
        QTest::newRow("on and off before handling") << false << QList<bool>{true, false} << 2;
    }
    void connectionNotice()
    {
        QFETCH(bool, connectedBefore);
        QFETCH(QList<bool>, changes);
        QFETCH(int, notices);
        m_device->setConnected(connectedBefore);
        settle();
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        QCOMPARE(window.connects, 0); // only from the event loop
        for (bool state : changes)
            m_device->setConnected(state);
        settle();
        QCOMPARE(window.connects, notices);
        QCOMPARE(window.noticesSeenByWindow, 0);
        QCOMPARE(window.reportedConnected(), m_device->isConnected());
        // The notice carries no state: the handler sees the state of its moment.
        for (bool seen : window.seenStates)
            QCOMPARE(seen, m_device->isConnected());
    }

    // An identity reply connects the device on the receive thread; OnConnect
    // still runs on the GUI thread.
    void connectionFromAnotherThread()
    {
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        std::thread receiver([this] { m_device->setConnected(true); });
        receiver.join();
        QTRY_COMPARE(window.connects, 1);
        QCOMPARE(window.connectThreads.first(), QThread::currentThread());
        settle();
        QCOMPARE(window.connects, 1);
    }

    // Teardown lets go of the clients before it disconnects: a window must not
    // be sent to OnConnect by a device that is going.
    void teardownTellsNoClient()
    {
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        m_device->setConnected(true);
        settle();
        QCOMPARE(window.connects, 1);

        m_device->shutdown();
        QCOMPARE(m_device->clientCount(), 0);
        QVERIFY(window.reportedConnected());
        settle();
        QCOMPARE(window.connects, 1);
    }

    void panelRegistry()
    {
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        RecordingPanel a(QStringLiteral("A"), &window, &m_log);
        RecordingPanel b(QStringLiteral("B"), &window, &m_log);
        RecordingPanel stranger(QStringLiteral("S"), &window, &m_log);

        window.addPanel(&a);
        window.addPanel(&b);
        window.addPanel(&a);
        QCOMPARE(window.panelList().list(), (QList<Panel*>{&a, &b}));
        window.removePanel(&stranger);
        QCOMPARE(window.panelList().list(), (QList<Panel*>{&a, &b}));
        window.removePanel(&a);
        QCOMPARE(window.panelList().list(), (QList<Panel*>{&b}));

        window.addPanel(&a);
        window.removePanels();
        QVERIFY(window.panelList().isEmpty());
        QCOMPARE(a.client(), &window); // the panels are not touched
    }

    void isPanelValid_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("valid");
        // Entries: 0 a panel of the client, 1 a null entry, 2 a panel without client.
        QTest::newRow("attached panel") << 0 << true;
        QTest::newRow("null entry") << 1 << false;
        QTest::newRow("panel without client") << 2 << false;
        QTest::newRow("before the first") << -1 << false;
        QTest::newRow("past the last") << 3 << false;
    }
    void isPanelValid()
    {
        QFETCH(int, index);
        QFETCH(bool, valid);
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        RecordingPanel attached(QStringLiteral("A"), &window, &m_log);
        RecordingPanel detached(QStringLiteral("D"), nullptr, &m_log);
        window.addPanel(&attached);
        window.addPanel(nullptr);
        window.addPanel(&detached);
        QCOMPARE(window.panelList().size(), 3);
        QCOMPARE(window.isPanelValid(index), valid);
    }

    // The program's own system-exclusive echo stays away from the panels;
    // short messages of every source reach them; a panel without client is
    // skipped. setAddressItems reaches every panel.
    void fanOutToPanels_data()
    {
        QTest::addColumn<bool>("sysex");
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("reachesPanels");
        QTest::newRow("short from the instrument") << false << int(SourceDev) << true;
        QTest::newRow("short from aux") << false << int(SourceAux) << true;
        QTest::newRow("short echo") << false << int(SourceGUI) << true;
        QTest::newRow("sysex from the instrument") << true << int(SourceDev) << true;
        QTest::newRow("sysex from aux") << true << int(SourceAux) << true;
        QTest::newRow("sysex echo") << true << int(SourceGUI) << false;
    }
    void fanOutToPanels()
    {
        QFETCH(bool, sysex);
        QFETCH(int, source);
        QFETCH(bool, reachesPanels);
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        RecordingPanel second(QStringLiteral("P2"), &window, &m_log);
        RecordingPanel detached(QStringLiteral("D"), nullptr, &m_log);
        RecordingPanel first(QStringLiteral("P1"), &window, &m_log);
        second.fit();
        window.addPanel(&detached);
        first.fit();

        TestSysex message;
        const MidiMessage note(0x90, 0x3C, 0x40);
        if (sysex)
            m_device->OnSysex(&message, MidiSource(source));
        else
            m_device->OnMidiMessage(note, MidiSource(source));

        Log expected{sysex ? QStringLiteral("w sysex") : QStringLiteral("w short")};
        if (reachesPanels) {
            const QString what = sysex ? QStringLiteral(" sysex ") + RecordingPanel::addressOf(&message)
                                       : QStringLiteral(" short 403c90");
            expected << QStringLiteral("P2") + what << QStringLiteral("P1") + what;
        }
        QCOMPARE(m_log, expected);

        m_log.clear();
        window.setAddressItems(0x300010, QStringLiteral("off|on"));
        QCOMPARE(m_log, (Log{"P2 items 300010 off|on", "D items 300010 off|on", "P1 items 300010 off|on"}));
    }

    // Panels that leave, come back, go or arrive while the client walks its
    // panels: the walk follows the list as it stood when the message came,
    // and a panel gets the message only when it is still listed at its turn.
    // A section window switching its section leaves the list and joins
    // again at the end; the panel after it must still get the message.
    void panelListChangesDuringFanOut_data()
    {
        QTest::addColumn<bool>("sysex");
        QTest::newRow("short") << false;
        QTest::newRow("sysex") << true;
    }
    void panelListChangesDuringFanOut()
    {
        QFETCH(bool, sysex);
        // Runs its action when it is handed a message.
        class ActingPanel : public RecordingPanel
        {
        public:
            using RecordingPanel::RecordingPanel;
            void OnSysex(Sysex* message) override
            {
                RecordingPanel::OnSysex(message);
                act();
            }
            void OnMidiMessage(const MidiMessage& message) override
            {
                RecordingPanel::OnMidiMessage(message);
                act();
            }
            std::function<void()> action;

        private:
            void act()
            {
                if (auto run = std::exchange(action, nullptr))
                    run();
            }
        };
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        ActingPanel rejoining(QStringLiteral("R"), &window, &m_log);
        RecordingPanel next(QStringLiteral("N"), &window, &m_log);
        ActingPanel killer(QStringLiteral("K"), &window, &m_log);
        auto* victim = new RecordingPanel(QStringLiteral("V"), &window, &m_log);
        ActingPanel leaving(QStringLiteral("L"), &window, &m_log);
        RecordingPanel left(QStringLiteral("X"), &window, &m_log);
        RecordingPanel last(QStringLiteral("Z"), &window, &m_log);
        RecordingPanel newcomer(QStringLiteral("C"), &window, &m_log);
        for (Panel* panel :
             std::initializer_list<Panel*>{&rejoining, &next, &killer, victim, &leaving, &left, &last})
            panel->fit();
        rejoining.action = [&] {
            rejoining.clear();
            rejoining.fit();
        };
        killer.action = [&] { delete victim; };
        leaving.action = [&] {
            left.clear();
            newcomer.fit();
        };

        TestSysex message;
        if (sysex)
            window.OnSysex(&message, SourceDev);
        else
            window.OnMidiMessage(MidiMessage(0xB0, 7, 100), SourceDev);

        QStringList reached;
        for (const QString& line : std::as_const(m_log).mid(1))
            reached << line.section(QLatin1Char(' '), 0, 0);
        QCOMPARE(reached, (QStringList{"R", "N", "K", "L", "Z"}));
        QCOMPARE(window.panelList().list(),
                 (QList<Panel*>{&next, &killer, &leaving, &last, &rejoining, &newcomer}));
    }

    // The device tells its clients in the order they registered; a client that
    // goes keeps the others in order.
    void clientOrder()
    {
        auto w1 = std::make_unique<Window>(QStringLiteral("w1"), m_device.get(), &m_log);
        auto w2 = std::make_unique<Window>(QStringLiteral("w2"), m_device.get(), &m_log);
        auto w3 = std::make_unique<Window>(QStringLiteral("w3"), m_device.get(), &m_log);
        m_device->addClient(w1.get());
        QCOMPARE(m_device->clientCount(), 3);

        TestSysex message;
        m_device->OnMidiMessage(MidiMessage(0x90, 60, 1), SourceDev);
        m_device->OnSysex(&message, SourceDev);
        m_device->OnPatchChange(Patch(), SourceDev);
        QCOMPARE(m_log, (Log{"w1 short", "w2 short", "w3 short", "w1 sysex", "w2 sysex", "w3 sysex",
                             "w1 patch", "w2 patch", "w3 patch"}));

        w2.reset();
        QCOMPARE(m_device->clientCount(), 2);
        m_log.clear();
        m_device->OnMidiMessage(MidiMessage(0x90, 60, 1), SourceDev);
        QCOMPARE(m_log, (Log{"w1 short", "w3 short"}));

        m_device->removeClient(w2.get()); // not registered any more: nothing
        m_device->removeClient(w1.get());
        QCOMPARE(m_device->clientCount(), 1);
    }

    // A handler that closes another window: the device must not call the
    // window that is gone.
    void clientDestroyedDuringFanOut()
    {
        auto w1 = std::make_unique<Window>(QStringLiteral("w1"), m_device.get(), &m_log);
        auto* w2 = new Window(QStringLiteral("w2"), m_device.get(), &m_log);
        auto w3 = std::make_unique<Window>(QStringLiteral("w3"), m_device.get(), &m_log);
        w1->victim = w2;
        m_device->OnMidiMessage(MidiMessage(0x90, 60, 1), SourceDev);
        QCOMPARE(m_log, (Log{"w1 short", "w3 short"}));
        QCOMPARE(m_device->clientCount(), 2);
    }

    // A panel registers when laid out unless it is a header or has no client,
    // and leaves when cleared, when its dialog changes section, or when it is
    // destroyed.
    void panelRegistration_data()
    {
        QTest::addColumn<bool>("withClient");
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("registers");
        QTest::newRow("panel") << true << false << true;
        QTest::newRow("header") << true << true << false;
        QTest::newRow("no client") << false << false << false;
    }
    void panelRegistration()
    {
        QFETCH(bool, withClient);
        QFETCH(bool, header);
        QFETCH(bool, registers);
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        RecordingPanel owner(QStringLiteral("O"), &window, &m_log);
        RecordingPanel panel(QStringLiteral("P"), withClient ? &window : nullptr, &m_log);
        if (header)
            panel.loadAsHeader(&owner);
        panel.fit();
        panel.fit();
        QCOMPARE(window.panelList().count(&panel), registers ? 1 : 0);
        panel.clear();
        QVERIFY(window.panelList().isEmpty());
    }

    void panelDialogChangesSection()
    {
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        PanelDlg dialog(&window, &window);
        dialog.panel()->fit();
        QCOMPARE(window.panelList().list(), (QList<Panel*>{dialog.panel()}));
        dialog.changeSection(2);
        QVERIFY(window.panelList().isEmpty());
    }

    void destroyedPanelLeavesItsClient()
    {
        Window window(QStringLiteral("w"), m_device.get(), &m_log);
        auto* dialog = new PanelDlg(&window, &window);
        auto* panel = new RecordingPanel(QStringLiteral("P"), &window, &m_log, &window);
        auto* kept = new RecordingPanel(QStringLiteral("K"), &window, &m_log, &window);
        dialog->panel()->fit();
        panel->fit();
        kept->fit();
        delete dialog;
        delete panel;
        QCOMPARE(window.panelList().list(), (QList<Panel*>{kept}));
        window.OnMidiMessage(MidiMessage(0xB0, 7, 100), SourceDev);
        QCOMPARE(m_log, (Log{"w short", "K short 6407b0"}));
    }

    // A window that is a client owns its panels as child widgets: they are
    // destroyed after the client part of the window is gone, and so are panels
    // that outlive their client.
    void panelsOutliveTheirClient()
    {
        auto* window = new Window(QStringLiteral("w"), m_device.get(), &m_log);
        auto* child = new RecordingPanel(QStringLiteral("C"), window, &m_log, window);
        child->fit();
        auto* header = new RecordingPanel(QStringLiteral("H"), window, &m_log, window);
        header->loadAsHeader(child);
        header->fit();
        auto orphan = std::make_unique<RecordingPanel>(QStringLiteral("O"), window, &m_log);
        orphan->fit();
        QPointer<QWidget> childWatch(child);
        delete window;
        QVERIFY(childWatch.isNull());
        QCOMPARE(m_device->clientCount(), 0);
        orphan.reset();
    }

    void printMidiSource_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("text");
        QTest::newRow("device") << 0 << QStringLiteral("SourceDev");
        QTest::newRow("aux") << 1 << QStringLiteral("SourceAux");
        QTest::newRow("program") << 2 << QStringLiteral("SourceGUI");
        QTest::newRow("unknown") << 7 << QStringLiteral("7");
        QTest::newRow("negative") << -1 << QStringLiteral("-1");
    }
    void printMidiSource()
    {
        QFETCH(int, source);
        QFETCH(QString, text);
        QCOMPARE(PrintMidiSource(MidiSource(source)), text);
    }

private:
    Log m_log;
    std::unique_ptr<MidiDevice> m_device;
};

ORVANE_TEST_MAIN(TestMidiClient)
#include "tst_midiclient.moc"
