// The check box: what a toggle sends on the bus, bit-field boxes of one byte
// packing into what the instrument holds, mixer-strip boxes, use boxes that
// grey their panel, keys, and its painted looks.
#include "BusPanelRig.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "VeskRig.h"
#include "VirtualMidiBus.h"

#include <QImage>
#include <QPainter>

namespace {

CheckInfo checkInfo(const QString& title, unsigned int address = 0x300110, int bit = -1)
{
    CheckInfo info;
    info.title = title;
    info.param.setAddress(address);
    info.param.setBitField(bit, 1);
    info.param.min = 0;
    info.param.max = 1;
    return info;
}

CheckInfo stripInfo(bool solo, int part)
{
    CheckInfo info;
    info.title = solo ? QStringLiteral("S") : QStringLiteral("M");
    info.solo = solo;
    info.mute = !solo;
    info.part = part;
    return info;
}

QString change(int data)
{
    return QStringLiteral("F0 43 10 7F 00 30 01 10 %1 F7").arg(data, 2, 16, QLatin1Char('0')).toUpper();
}
const QString BoxRequest = QStringLiteral("F0 43 30 7F 00 30 01 10 F7");

bool pressBox(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &event);
    return event.isAccepted();
}

QImage paintBox(MidiCheckBox& box)
{
    QImage image(box.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    box.paint(&p, box.rect());
    return image;
}

int countColor(const QImage& image, const QRect& area, const QColor& color)
{
    int count = 0;
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            count += image.pixelColor(x, y) == color ? 1 : 0;
    }
    return count;
}

} // namespace

class TestMidiCheckBox : public QObject
{
    Q_OBJECT

private slots:
    // A click turns an empty box on; data it already shows changes nothing;
    // any received value but 1 shows off, and a click then turns it on.
    void toggling()
    {
        BusPanelRig rig;
        CheckInfo info = checkInfo(QStringLiteral("Local Control"));
        info.request = 4;
        MidiCheckBox box(rig.panel, info);
        QCOMPARE(box.value(), -1);
        box.updateSynth(); // no value: not "off" either
        QVERIFY(rig.sent().isEmpty());

        box.click();
        QCOMPARE(box.value(), 1);
        QVERIFY(box.isChecked());
        QCOMPARE(rig.sent(), QStringList({change(1), BoxRequest}));
        QCOMPARE(rig.panel->groupRequests, QList<int>{4});

        rig.clearSent();
        QVERIFY(!box.setValue(1));
        box.OnSysex(BusPanelRig::parameterChange(0x300110, 1).get());
        QVERIFY(pressBox(&box, Qt::Key_Up)); // already on: nothing to send
        QVERIFY(rig.sent().isEmpty());

        box.OnSysex(BusPanelRig::parameterChange(0x300110, 2).get());
        QCOMPARE(box.value(), 2);
        QVERIFY(!box.isChecked());
        box.click();
        QCOMPARE(box.value(), 1);
        QCOMPARE(rig.sent(), QStringList({change(1), BoxRequest}));

        box.resetValues();
        QCOMPARE(box.value(), -1);
        QVERIFY(!box.isChecked());
    }

    // Boxes on bits 2 and 5 of one byte: each packs into the byte's last
    // known data, whichever box received it, and a second toggle before the
    // read-back keeps the first one's bit.
    void bitFieldBoxesShareTheByte()
    {
        BusPanelRig rig;
        MidiCheckBox bit2(rig.panel, checkInfo(QStringLiteral("B2"), 0x300110, 2));
        MidiCheckBox bit5(rig.panel, checkInfo(QStringLiteral("B5"), 0x300110, 5));
        MidiCheckBox other(rig.panel, checkInfo(QStringLiteral("O"), 0x300111, 5));
        bit2.OnSysex(BusPanelRig::parameterChange(0x300110, 0x44).get());
        QCOMPARE(bit2.value(), 1);
        QCOMPARE(bit5.sharedData(), 0x44);
        QCOMPARE(other.sharedData(), -1);

        bit5.click();
        bit2.click();
        QCOMPARE(rig.sent(), QStringList({change(0x64), BoxRequest, change(0x60), BoxRequest}));

        // The read-back shows in both.
        bit2.OnSysex(BusPanelRig::parameterChange(0x300110, 0x60).get());
        bit5.OnSysex(BusPanelRig::parameterChange(0x300110, 0x60).get());
        QCOMPARE(bit2.value(), 0);
        QCOMPARE(bit5.value(), 1);
    }

    // A bit-field box whose byte never arrived asks the instrument for it
    // first; without an answer it changes nothing.
    void unknownByteIsReadFirst()
    {
        BusPanelRig rig;
        MidiCheckBox box(rig.panel, checkInfo(QStringLiteral("B5"), 0x300110, 5));

        box.click();
        QCOMPARE(rig.sent(), QStringList{BoxRequest});
        QCOMPARE(box.value(), -1);
        QVERIFY(!box.isChecked());

        rig.clearSent();
        rig.instrument.setParameter(0x300110, 0x41);
        box.click();
        QCOMPARE(box.value(), 1);
        QCOMPARE(rig.sent(), QStringList({BoxRequest, change(0x61), BoxRequest}));
    }

    // Solo and mute boxes set their part's flags and have the device apply
    // them; no parameter change goes out.
    void mixerStripBoxes()
    {
        BusPanelRig rig;
        MidiCheckBox solo(rig.panel, stripInfo(true, 3));
        solo.click();
        QVERIFY(rig.device.mixPart(3)->solo);
        QStringList silenced; // volume 0 on the channel of every other part
        for (int part = 0; part < 16; ++part) {
            QCOMPARE(rig.device.mixPart(part)->muted, part != 3);
            if (part != 3)
                silenced << QStringLiteral("B%1 07 00").arg(part, 0, 16).toUpper();
        }
        QCOMPARE(rig.sent(), silenced);
        rig.clearSent();
        solo.click();
        QVERIFY(!rig.device.mixPart(3)->solo);
        QVERIFY(!rig.device.mixPart(5)->muted);

        // A device without plug-in parts has no record 17: nothing to set.
        rig.clearSent();
        MidiCheckBox missing(rig.panel, stripInfo(false, 17));
        missing.click();
        QCOMPARE(missing.value(), 1);
        QVERIFY(rig.sent().isEmpty());
    }

    // The instrument's device appends records 16 to 18 for the plug-in board
    // parts: the "M" box of plug-in part 2 ("1x" with iterator 1) mutes 17.
    void plugInPartBoxes()
    {
        resetVeskTest();
        VeskRig vesk(*testBus());
        ::Panel panel(&vesk.client);
        MidiCheckBox mute(&panel, stripInfo(false, 16 + 1));
        mute.click();
        Part* part = vesk.device.mixPart(17);
        QVERIFY(part && part->mute && part->muted);
        QVERIFY(!vesk.device.mixPart(16)->muted);
    }

    // A use box greys its panel while off; a titled box enables the controls
    // that name it.
    void enabling()
    {
        BusPanelRig rig;
        CheckInfo info = checkInfo(QStringLiteral("Use"));
        info.use = true;
        // The panel owns the controls it holds.
        auto& use = *new MidiCheckBox(rig.panel, info);
        EditInfo dependent;
        dependent.title = QStringLiteral("Depth");
        dependent.enable = QStringLiteral("Use");
        dependent.enable_values = QStringLiteral("1");
        auto& depth = *new MidiEdit(rig.panel, dependent);
        rig.panel->addControl(&use);
        rig.panel->addControl(&depth);

        use.OnSysex(BusPanelRig::parameterChange(0x300110, 0).get());
        QVERIFY(!rig.panel->enabled());
        QVERIFY(use.isGrayed());
        QVERIFY(!depth.isEnabled());
        use.OnSysex(BusPanelRig::parameterChange(0x300110, 1).get());
        QVERIFY(rig.panel->enabled());
        QVERIFY(depth.isEnabled());
        QVERIFY(!depth.isGrayed());
        use.resetValues();
        QVERIFY(rig.panel->enabled());
    }

    void keys_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("accepted");
        const int none = Qt::NoModifier;
        QTest::newRow("space toggles") << 0 << int(Qt::Key_Space) << none << 1 << true;
        QTest::newRow("return toggles") << 1 << int(Qt::Key_Return) << none << 0 << true;
        QTest::newRow("enter toggles") << -1 << int(Qt::Key_Enter) << none << 1 << true;
        QTest::newRow("up") << 0 << int(Qt::Key_Up) << none << 1 << true;
        QTest::newRow("right") << 0 << int(Qt::Key_Right) << none << 1 << true;
        QTest::newRow("plus") << 0 << int(Qt::Key_Plus) << none << 1 << true;
        QTest::newRow("down") << 1 << int(Qt::Key_Down) << none << 0 << true;
        QTest::newRow("left") << 1 << int(Qt::Key_Left) << none << 0 << true;
        QTest::newRow("minus") << 1 << int(Qt::Key_Minus) << none << 0 << true;
        QTest::newRow("shift up") << 0 << int(Qt::Key_Up) << int(Qt::ShiftModifier) << 0 << false;
        QTest::newRow("ctrl space") << 0 << int(Qt::Key_Space) << int(Qt::ControlModifier) << 0 << false;
        QTest::newRow("other key") << 0 << int(Qt::Key_A) << none << 0 << false;
    }
    void keys()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, expected);
        QFETCH(bool, accepted);
        BusPanelRig rig;
        MidiCheckBox box(rig.panel, checkInfo(QStringLiteral("Local Control")));
        box.setValue(start);
        QCOMPARE(pressBox(&box, key, Qt::KeyboardModifiers(mods)), accepted);
        QCOMPARE(box.value(), expected);
    }

    // The panel hands its keys to every control: the box named for one
    // toggles, the others stay.
    void panelKey()
    {
        BusPanelRig rig;
        CheckInfo info = checkInfo(QStringLiteral("Arp"));
        info.key = QStringLiteral("F7");
        MidiCheckBox box(rig.panel, info);
        box.onKey(Qt::Key_F6);
        QCOMPARE(box.value(), -1);
        box.onKey(Qt::Key_F7);
        QCOMPARE(box.value(), 1);
        box.onKey(Qt::Key_F7);
        QCOMPARE(box.value(), 0);
        MidiCheckBox keyless(rig.panel, checkInfo(QStringLiteral("None")));
        keyless.onKey(0);
        QCOMPARE(keyless.value(), -1);
    }

    // The title shows right of the box in vertical panels only; mixer boxes
    // show their letter in its colour.
    void painting()
    {
        BusPanelRig rig;
        MidiCheckBox box(rig.panel, checkInfo(QStringLiteral("Local Control")));
        box.resize(120, 19);
        const QColor label = box.colorManager()->getColor(LabelTextColor);
        const QRect titleArea(QPoint(19, 1), QPoint(119, 18));
        QVERIFY(countColor(paintBox(box), titleArea, label) > 0);
        QCOMPARE(box.boxRect(box.rect()), QRect(QPoint(0, 3), QPoint(13, 16)));

        rig.panel->setOrientation(0);
        QCOMPARE(countColor(paintBox(box), titleArea, label), 0);
        QCOMPARE(box.boxRect(box.rect()), QRect(QPoint(3, 2), QPoint(16, 15)));

        const QColor mark = box.colorManager()->getColor(ControlTextColor);
        const QRect inside = box.boxRect(box.rect()).adjusted(2, 2, -2, -2);
        QCOMPARE(countColor(paintBox(box), inside, mark), 0);
        box.setValue(1);
        QVERIFY(countColor(paintBox(box), inside, mark) > 0);

        MidiCheckBox mute(rig.panel, stripInfo(false, 2));
        mute.resize(20, 19);
        mute.setValue(1);
        QVERIFY(countColor(paintBox(mute), mute.boxRect(mute.rect()), QColor(255, 255, 0)) > 0);
        MidiCheckBox solo(rig.panel, stripInfo(true, 2));
        solo.resize(20, 19);
        solo.setValue(1);
        QVERIFY(countColor(paintBox(solo), solo.boxRect(solo.rect()), QColor(0, 255, 0)) > 0);
    }
};

ORVANE_TEST_MAIN(TestMidiCheckBox)
#include "tst_midicheckbox.moc"
