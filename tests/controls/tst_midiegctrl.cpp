// The envelope control: where nodes are drawn, what is requested and taken
// from the instrument, the drag (refused while a value is missing, sending
// only what changed), Space and the arrow keys, and copy and paste between
// envelopes of different ranges.
#include "BusPanelRig.h"
#include "MidiEgCtrl.h"
#include "Pointer.h"
#include "Prompts.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace {

using Kind = ScriptedPrompts::Kind;

// Amplitude: addresses 0x4102xx with iterator 2.
const char* const EgAmplitude =
    "Init;INIT; ;address=41xx28 default=0|Attack;ATK;address=41xx24 default=0;address=41xx29 default=127|"
    "Decay1;DCY1;address=41xx25 default=127;address=41xx2A default=127|Decay2;DCY2;address=41xx26 "
    "default=127;address=41xx2B default=127| ; ;default=127;watch=-1|Release;REL;address=41xx27 default=0";
// Filter: two-byte levels around 128, addresses 0x3102xx.
const char* const Filter =
    " ; ; ;max=255 offset=-128 size=2 watch=1|Hold;HOLD;address=31xx10;address=31xx11|"
    "Attack;ATK;address=31xx12;address=31xx13|Decay1;DCY1;address=31xx14;address=31xx15|"
    "Decay2;DCY2;address=31xx16;address=31xx17| ; "
    ";default=127;watch=-1|Release;REL;address=31xx18;address=31xx19";

EgInfo egInfo(const QString& nodes, bool small = false)
{
    EgInfo info;
    info.title = QStringLiteral("Amp Envelope");
    info.nodes = nodes;
    info.iterator = 2;
    info.small = small;
    return info;
}

// Times and levels of the amplitude nodes that the instrument holds.
void fillAmplitude(MidiEgCtrl& eg)
{
    const int values[6][2] = {{-1, 0}, {64, 127}, {127, 100}, {0, 80}, {-1, -1}, {32, -1}};
    for (int i = 0; i < 6; ++i) {
        if (values[i][0] != -1)
            eg.nodes()[i].time.value = values[i][0];
        if (values[i][1] != -1)
            eg.nodes()[i].level.value = values[i][1];
    }
}

QStringList amplitudeRequests()
{
    QStringList list;
    for (unsigned int a :
         {0x410228u, 0x410224u, 0x410229u, 0x410225u, 0x41022Au, 0x410226u, 0x41022Bu, 0x410227u})
        list << BusPanelRig::request(a);
    return list;
}

} // namespace

class TestMidiEgCtrl : public QObject
{
    Q_OBJECT

    std::unique_ptr<BusPanelRig> rig;

    MidiEgCtrl* make(const char* nodes, bool small = false)
    {
        auto* eg = new MidiEgCtrl(rig->panel, egInfo(QString::fromLatin1(nodes), small));
        eg->setGeometry(0, 0, 220, 140);
        rig->clearSent();
        return eg;
    }

private slots:
    void init()
    {
        rig = std::make_unique<BusPanelRig>();
        MidiEgCtrl::setClipboard(QString());
    }
    void cleanup() { rig.reset(); }

    // 220 x 140, six nodes: segments of 41 pixels from x 6, the level scale
    // of 83 pixels above y 89 over 126 steps.
    void drawPoints()
    {
        MidiEgCtrl* eg = make(EgAmplitude);
        fillAmplitude(*eg);
        eg->fixValues();
        QVERIFY(eg->allValid());
        const QList<QPoint> expected = {{6, 89}, {26, 6}, {67, 24}, {67, 37}, {108, 37}, {118, 89}};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(eg->getDrawPoint(i), expected.at(i));
        // The sustain node can not be picked; the node on top of another wins.
        QCOMPARE(eg->nodeOver(QPoint(108, 37)), -1);
        QCOMPARE(eg->nodeOver(QPoint(67, 37)), 3);
        QCOMPARE(eg->nodeOver(QPoint(22, 2)), 1);
        QCOMPARE(eg->nodeOver(QPoint(21, 2)), -1);
    }

    // The filter's zero line sits at level 128; the small look has its own
    // margins.
    void signedLevelsAndSmallLook()
    {
        MidiEgCtrl* eg = make(Filter);
        eg->nodes()[1].level.value = 128;
        QCOMPARE(eg->getDrawPoint(1).y(), 89 - (128 * 83) / 254);
        QCOMPARE(eg->nodes()[1].level.toString(), QStringLiteral("0"));

        MidiEgCtrl* small = make(EgAmplitude, true);
        small->resize(87, 19);
        fillAmplitude(*small);
        small->fixValues();
        // seg (87 - 6 - 1) / 5 = 16; Y = 15; scale 12.
        QCOMPARE(small->getDrawPoint(2), QPoint(3 + 8 + 16, 15 - (100 * 12) / 126));
        QImage image(small->size(), QImage::Format_ARGB32);
        QPainter p(&image);
        small->paint(&p, small->rect());
    }

    void receive()
    {
        MidiEgCtrl* eg = make(EgAmplitude);
        eg->MidiReceive();
        QCOMPARE(rig->sent(), amplitudeRequests());

        eg->OnSysex(BusPanelRig::parameterChange(0x410224, 64).get());
        QCOMPARE(eg->nodes()[1].time.value, 64);
        eg->OnSysex(BusPanelRig::parameterChange(0x410000, 5).get());
        eg->OnSysex(nullptr);

        MidiEgCtrl* filter = make(Filter);
        filter->OnSysex(BusPanelRig::parameterChange(0x310211, 300, 2).get());
        QCOMPARE(filter->nodes()[1].level.value, 255); // clamped
        filter->resetValues();
        QCOMPARE(filter->nodes()[1].level.value, -1);
        QVERIFY(rig->sent().isEmpty());
    }

    // A drag starts only once every adjustable value is known; it sends what
    // changed, without requests, and asks for everything at the end.
    void drag()
    {
        MidiEgCtrl* eg = make(EgAmplitude);
        QVERIFY(showAndActivate(rig->window));
        const QPoint attack(26, 6);
        QTest::mousePress(eg, Qt::LeftButton, Qt::NoModifier, attack);
        QVERIFY(!eg->isDragging());
        QTest::mouseRelease(eg, Qt::LeftButton, Qt::NoModifier, attack);

        fillAmplitude(*eg);
        const QPoint start = eg->mapToGlobal(attack);
        MoveMouse(start);
        QTest::mousePress(eg, Qt::LeftButton, Qt::NoModifier, attack);
        QVERIFY(eg->isDragging());
        QCOMPARE(eg->selected(), 1);
        QVERIFY(IsMouseHidden());
        for (int dx = 1; dx <= 10; ++dx) {
            MoveMouse(start + QPoint(dx, 0));
            QTest::mouseMove(eg, attack + QPoint(dx, 0));
        }
        // Two pixels a step: five changes of the time, the level never moved.
        QStringList expected;
        for (int t = 65; t <= 69; ++t)
            expected << BusPanelRig::change(0x410224, t);
        QCOMPARE(rig->sent(), expected);

        rig->clearSent();
        QTest::mouseRelease(eg, Qt::LeftButton, Qt::NoModifier, attack);
        QVERIFY(!eg->isDragging());
        QVERIFY(!IsMouseHidden());
        QCOMPARE(QCursor::pos(), eg->mapToGlobal(eg->getDrawPoint(1)));
        QCOMPARE(rig->sent(), amplitudeRequests());
    }

    // Space goes to the next node with something to adjust, and ends after
    // one round when there is none.
    void space()
    {
        MidiEgCtrl* filter = make(Filter);
        QTest::keyClick(filter, Qt::Key_Space);
        QCOMPARE(filter->selected(), 1);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(filter, Qt::Key_Space);
        QCOMPARE(filter->selected(), 1); // past Release and the unadjustable nodes

        MidiEgCtrl* fixed = make(" ; ;default=0;default=0|A;A;default=3");
        QTest::keyClick(fixed, Qt::Key_Space);
        QCOMPARE(fixed->selected(), -1);
    }

    void keys_data()
    {
        QTest::addColumn<int>("select");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("sent");
        const int none = Qt::NoModifier;
        QTest::newRow("Up at max") << 1 << int(Qt::Key_Up) << none << true
                                   << QStringList{BusPanelRig::change(0x410229, 127),
                                                  BusPanelRig::request(0x410229)};
        QTest::newRow("Down") << 1 << int(Qt::Key_Down) << none << true
                              << QStringList{BusPanelRig::change(0x410229, 126),
                                             BusPanelRig::request(0x410229)};
        QTest::newRow("Right") << 1 << int(Qt::Key_Right) << none << true
                               << QStringList{BusPanelRig::change(0x410224, 65),
                                              BusPanelRig::request(0x410224)};
        QTest::newRow("nothing selected") << -1 << int(Qt::Key_Up) << none << true << QStringList();
        QTest::newRow("fixed time") << 0 << int(Qt::Key_Left) << none << false << QStringList();
        QTest::newRow("with Shift") << 1 << int(Qt::Key_Up) << int(Qt::ShiftModifier) << false
                                    << QStringList();
        QTest::newRow("other key") << 1 << int(Qt::Key_A) << none << false << QStringList();
    }
    void keys()
    {
        QFETCH(int, select);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, accepted);
        QFETCH(QStringList, sent);
        MidiEgCtrl* eg = make(EgAmplitude);
        fillAmplitude(*eg);
        // Space from none picks node 0 (its level is adjustable), then node 1.
        for (int i = 0; i <= select; ++i)
            QTest::keyClick(eg, Qt::Key_Space);
        QCOMPARE(eg->selected(), select);
        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(eg, &event);
        QCOMPARE(event.isAccepted(), accepted);
        QCOMPARE(rig->sent(), sent);
    }

    // Amplitude to filter: the nodes are matched by short name and each
    // value clamped into its own range; INIT matches nothing and HOLD keeps
    // its values.
    void copyAndPaste()
    {
        MidiEgCtrl* amp = make(EgAmplitude);
        fillAmplitude(*amp);
        amp->copy();
        QCOMPARE(MidiEgCtrl::clipboard(),
                 QStringLiteral("INIT -1 0\nATK 64 127\nDCY1 127 100\nDCY2 0 80\nREL 32 -1\n"));

        MidiEgCtrl* filter = make(Filter);
        filter->nodes()[1].time.value = 9;
        filter->paste();
        QCOMPARE(filter->nodes()[1].time.value, 9);
        QCOMPARE(filter->nodes()[2].level.value, 127);
        QCOMPARE(filter->nodes()[3].time.value, 127);
        // Values missing in the copy (REL's level) are left alone, never sent
        // as the minimum.
        QCOMPARE(filter->nodes()[6].time.value, 32);
        QCOMPARE(filter->nodes()[6].level.value, -1);
        const QStringList sent = rig->sent();
        QCOMPARE(sent.size(), 14);
        QCOMPARE(sent.mid(0, 4),
                 (QStringList{BusPanelRig::change(0x310212, 64), BusPanelRig::request(0x310212),
                              BusPanelRig::change(0x310213, 127, 2), BusPanelRig::request(0x310213)}));
        QCOMPARE(sent.mid(12),
                 (QStringList{BusPanelRig::change(0x310218, 32), BusPanelRig::request(0x310218)}));

        // Short lines and unknown names are ignored.
        rig->clearSent();
        MidiEgCtrl::setClipboard(QStringLiteral("ATK 5\nXYZ 1 2\n\n"));
        filter->paste();
        QVERIFY(rig->sent().isEmpty());
    }

    void contextMenu()
    {
        ScriptedPrompts prompts;
        MidiEgCtrl* amp = make(EgAmplitude);
        fillAmplitude(*amp);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        // Nothing copied yet: Paste is offered disabled and cannot be picked.
        prompts.script(Kind::Popup, int(MidiEgCtrl::PasteEntry));
        QApplication::sendEvent(amp, &event);
        QVERIFY(rig->sent().isEmpty());
        prompts.script(Kind::Popup, int(MidiEgCtrl::CopyEntry));
        QApplication::sendEvent(amp, &event);
        QVERIFY(MidiEgCtrl::clipboard().startsWith(QLatin1String("INIT")));
        prompts.script(Kind::Popup, int(MidiEgCtrl::PasteEntry));
        QApplication::sendEvent(amp, &event);
        QCOMPARE(rig->sent().size(), 16);
    }

    // Ranges the drawing divides by are refused: no graph, no drag, no crash.
    void undrawableRanges()
    {
        MidiEgCtrl* eg = make("A;A;address=10 max=0;address=11|B;B;address=12;address=13");
        QVERIFY(!eg->isDrawable());
        for (EgNode& node : eg->nodes())
            node.time.value = node.level.value = 0;
        QCOMPARE(eg->nodeOver(eg->getDrawPoint(0)), -1);
        QImage image(eg->size(), QImage::Format_ARGB32);
        QPainter p(&image);
        eg->paint(&p, eg->rect());
        // The keys still reach the values.
        QTest::keyClick(eg, Qt::Key_Space);
        QTest::keyClick(eg, Qt::Key_Up);
        QCOMPARE(eg->nodes()[0].level.value, 1);
    }
};

ORVANE_TEST_MAIN(TestMidiEgCtrl)
#include "tst_midiegctrl.moc"
