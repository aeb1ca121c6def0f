// The value control's value: what it sends to the instrument on the bus for a
// change by the user, what it shows of incoming messages without echo,
// learning a played note, bound variables and mixer records, its section
// window, and its painted looks.
#include "BusPanelRig.h"
#include "DeviceTable.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiMessage.h"
#include "TestEnvironment.h"
#include "Waiting.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QPainter>

namespace {

// A slider on the one-byte parameter 30 01 00, range 0..127.
EditInfo volumeInfo(unsigned int address = 0x300100)
{
    EditInfo info;
    info.title = QStringLiteral("Volume");
    info.param.setAddress(address);
    info.param.min = 0;
    info.param.max = 127;
    return info;
}

// A table whose entries carry data other than their index: 0x10, 0x20, 0x30.
void addSpacedTable(MidiDevice& device)
{
    auto* table = new DeviceTable;
    table->append(TableData(0x10, QStringLiteral("low")));
    table->append(TableData(0x20, QStringLiteral("mid")));
    table->append(TableData(0x30, QStringLiteral("high")));
    device.addTable(QStringLiteral("SPACED"), table);
}

const QString Change = QStringLiteral("F0 43 10 7F 00 30 01 00 %1 F7");
const QString EditRequest = QStringLiteral("F0 43 30 7F 00 30 01 00 F7");

// The value-changed reports of a panel.
struct ChangeLog
{
    explicit ChangeLog(Panel* panel)
    {
        QObject::connect(panel, &Panel::valueChanged, [this](MidiCtrl* ctrl, int value, int which) {
            entries << std::tuple(ctrl, value, which);
        });
    }
    QList<std::tuple<MidiCtrl*, int, int>> entries;
};

QImage paintEdit(MidiEdit& edit)
{
    QImage image(edit.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    edit.paint(&p, edit.rect());
    return image;
}

} // namespace

class TestMidiEdit : public QObject
{
    Q_OBJECT

private slots:
    // A change goes out as a parameter change of the mapped data, then a
    // request for the same parameter; the panel hears of it once, and the
    // request group is asked again.
    void changeSendsDataThenRequest_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("bit");
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("data");

        QTest::newRow("plain") << QString() << 1 << -1 << -1 << 100 << 100 << "64";
        QTest::newRow("clamped to max") << QString() << 1 << -1 << -1 << 300 << 127 << "7F";
        QTest::newRow("clamped to min") << QString() << 1 << -1 << -1 << -5 << 0 << "00";
        QTest::newRow("item data, not index") << "SPACED" << 1 << -1 << -1 << 2 << 2 << "30";
        QTest::newRow("bit field into received byte") << QString() << 1 << 4 << 0x35 << 5 << 5 << "55";
        QTest::newRow("two bytes") << QString() << 2 << -1 << -1 << 200 << 200 << "01 48";
    }
    void changeSendsDataThenRequest()
    {
        QFETCH(QString, items);
        QFETCH(int, size);
        QFETCH(int, bit);
        QFETCH(int, received);
        QFETCH(int, value);
        QFETCH(int, shown);
        QFETCH(QString, data);

        BusPanelRig rig;
        addSpacedTable(rig.device);
        EditInfo info = volumeInfo();
        info.request = 3;
        info.param.setSize(size);
        info.param.setBitField(bit, 3);
        if (!items.isEmpty())
            info.param.loadItems(&rig.device, items, 0, -1);
        else if (bit != -1)
            info.param.max = 7;
        else if (size == 2)
            info.param.max = 16383;
        MidiEdit edit(rig.panel, info);
        if (received != -1)
            edit.OnSysex(BusPanelRig::parameterChange(0x300100, received).get());
        rig.clearSent();
        ChangeLog log(rig.panel);

        edit.changeValue(value);
        QCOMPARE(edit.value(), shown);
        QCOMPARE(rig.sent(), QStringList({Change.arg(data), EditRequest}));
        QCOMPARE(log.entries.size(), 1);
        QCOMPARE(log.entries[0], std::tuple(static_cast<MidiCtrl*>(&edit), shown, 0));
        QCOMPARE(rig.panel->groupRequests, QList<int>{3});
    }

    // A bit field goes out inside its byte as last received or sent by any
    // control of the byte, check boxes included. A byte never seen is read
    // first and nothing changes without it; a panel re-pointed at another
    // instance knows none of its bytes, even the one it showed before.
    void bitFieldSharesItsByte()
    {
        BusPanelRig rig;
        EditInfo info = volumeInfo(0x300110);
        info.param.addressText = QStringLiteral("30xx10");
        info.param.setBitField(4, 3);
        info.param.max = 7;
        auto* edit = new MidiEdit(rig.panel, info);
        rig.panel->addControl(edit);
        CheckInfo boxInfo;
        boxInfo.title = QStringLiteral("B0");
        boxInfo.param = info.param;
        boxInfo.param.setBitField(0, 1);
        boxInfo.param.max = 1;
        auto* box = new MidiCheckBox(rig.panel, boxInfo);
        rig.panel->addControl(box);
        const QString read = BusPanelRig::request(0x300110);

        edit->changeValue(5); // the instrument does not answer
        QCOMPARE(edit->value(), -1);
        QCOMPARE(rig.sent(), QStringList{read});

        rig.clearSent();
        box->OnSysex(BusPanelRig::parameterChange(0x300110, 0x0B).get());
        edit->changeValue(2);
        box->click(); // before the read-back: into the edit's write
        QCOMPARE(rig.sent(), QStringList({BusPanelRig::change(0x300110, 0x2B), read,
                                          BusPanelRig::change(0x300110, 0x2A), read}));

        rig.clearSent();
        rig.instrument.setParameter(0x300210, 0x0F);
        rig.panel->setIter(2);
        edit->changeValue(3);
        rig.instrument.setParameter(0x300110, 0x01);
        rig.panel->setIter(1);
        edit->changeValue(4);
        QCOMPARE(rig.sent(), QStringList({BusPanelRig::request(0x300210), BusPanelRig::change(0x300210, 0x3F),
                                          BusPanelRig::request(0x300210), read,
                                          BusPanelRig::change(0x300110, 0x41), read}));
    }

    // Turning the control to what it shows already, and values from the
    // instrument, send nothing and report nothing.
    void noEchoAndNoRepeat()
    {
        BusPanelRig rig;
        MidiEdit edit(rig.panel, volumeInfo());
        // No value yet: nothing to send, not even when asked to.
        edit.updateSynth();
        QVERIFY(rig.sent().isEmpty());

        int mirror = 0;
        edit.setVariable(&mirror, sizeof mirror);
        ChangeLog log(rig.panel);

        edit.OnSysex(BusPanelRig::parameterChange(0x300100, 0x40).get());
        QCOMPARE(edit.value(), 64);
        QCOMPARE(edit.text(), QStringLiteral("64"));
        edit.changeValue(64);
        edit.OnSysex(BusPanelRig::parameterChange(0x300101, 0x10).get()); // another parameter
        edit.OnSysex(BusPanelRig::parameterChange(0x300100, 0x40).get());
        QCOMPARE(edit.value(), 64);
        QVERIFY(rig.sent().isEmpty());
        QVERIFY(log.entries.isEmpty());
        QCOMPARE(mirror, 0); // values from the instrument are not mirrored

        // A bulk dump holding the parameter at its offset in the block.
        QByteArray block(8, '\0');
        block[1] = 0x22;
        edit.OnSysex(
            BusPanelRig::message(QByteArray::fromHex(TestSysex::bulkDumpText(0x300100, block).toLatin1()))
                .get());
        QCOMPARE(edit.value(), 0);
        MidiEdit second(rig.panel, volumeInfo(0x300101));
        second.OnSysex(
            BusPanelRig::message(QByteArray::fromHex(TestSysex::bulkDumpText(0x300100, block).toLatin1()))
                .get());
        QCOMPARE(second.value(), 0x22);
        QVERIFY(rig.sent().isEmpty());

        edit.changeValue(70);
        QCOMPARE(mirror, 70);
    }

    // A parameter bound to a MIDI controller goes out as a control change of
    // its data byte; the instrument's own control changes show without echo.
    void controllerBound_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("sent");
        QTest::newRow("plain") << QString() << 1 << 100 << "B2 07 64";
        QTest::newRow("item data, not index") << "SPACED" << 1 << 1 << "B2 07 20";
        QTest::newRow("two-byte value kept in the data byte") << QString() << 2 << 300 << "B2 07 7F";
    }
    void controllerBound()
    {
        QFETCH(QString, items);
        QFETCH(int, size);
        QFETCH(int, value);
        QFETCH(QString, sent);

        BusPanelRig rig;
        addSpacedTable(rig.device);
        EditInfo info = volumeInfo();
        info.param.midiChannel = 2;
        info.param.controllerNumber = 7;
        info.param.setSize(size);
        info.param.loadItems(&rig.device, items, 0, -1);
        MidiEdit edit(rig.panel, info);

        edit.changeValue(value);
        QCOMPARE(rig.sent(), QStringList{sent});

        rig.clearSent();
        edit.OnMidiMessage(MidiMessage(0xB2, 7, 0x20));
        QCOMPARE(edit.value(), items.isEmpty() ? 0x20 : 1);
        edit.OnMidiMessage(MidiMessage(0xB3, 7, 0x10)); // another channel
        edit.OnMidiMessage(MidiMessage(0xB2, 8, 0x10)); // another controller
        QCOMPARE(edit.value(), items.isEmpty() ? 0x20 : 1);
        edit.OnMidiMessage(MidiMessage(0xB9, 121, 0)); // reset, any channel
        QCOMPARE(edit.value(), -1);
        QCOMPARE(edit.text(), QString());
        QVERIFY(rig.sent().isEmpty());
    }

    // A part's volume control keeps the part's volume while the part plays
    // and sends nothing while it is muted; the group is asked either way.
    void mutedPartVolume()
    {
        BusPanelRig rig;
        EditInfo info = volumeInfo();
        info.request = 2;
        MidiEdit edit(rig.panel, info);
        Part* part = rig.device.mixPart(3);
        QVERIFY(part);
        edit.setMixPart(part);

        edit.changeValue(100);
        QCOMPARE(part->volume, 100);
        QCOMPARE(rig.sent(), QStringList({Change.arg("64"), EditRequest}));

        rig.clearSent();
        part->muted = true;
        edit.changeValue(90);
        QCOMPARE(edit.value(), 90);
        QCOMPARE(part->volume, 100);
        QVERIFY(rig.sent().isEmpty());
        QCOMPARE(rig.panel->groupRequests, QList<int>({2, 2}));
    }

    // F2 arms learning; the next note-on played (velocity above 0) becomes
    // the value and is sent. The text blinks meanwhile, starting hidden.
    void learnsPlayedNote()
    {
        BusPanelRig rig;
        EditInfo info = volumeInfo();
        info.param.note = true;
        MidiEdit edit(rig.panel, info);

        QTest::keyClick(&edit, Qt::Key_F2);
        QVERIFY(edit.isWaiting());
        QVERIFY(!edit.isTextShown());
        QTRY_VERIFY_WITH_TIMEOUT(edit.isTextShown(), Waiting::EventMs);
        QTRY_VERIFY_WITH_TIMEOUT(!edit.isTextShown(), Waiting::EventMs);

        edit.OnMidiMessage(MidiMessage(0x95, 60, 0)); // a note-off in disguise
        QVERIFY(edit.isWaiting());
        QVERIFY(rig.sent().isEmpty());
        edit.OnMidiMessage(MidiMessage(0x95, 60, 90));
        QVERIFY(!edit.isWaiting());
        QCOMPARE(edit.value(), 60);
        QCOMPARE(rig.sent(), QStringList({Change.arg("3C"), EditRequest}));

        // Escape ends it and goes on to the window.
        QTest::keyClick(&edit, Qt::Key_F2);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&edit, &escape);
        QVERIFY(!edit.isWaiting());
        QVERIFY(!escape.isAccepted());

        // A velocity control takes the velocity.
        EditInfo velocityInfo = volumeInfo(0x300102);
        velocityInfo.param.velocity = true;
        MidiEdit velocity(rig.panel, velocityInfo);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(&velocity, &menu);
        QVERIFY(velocity.isWaiting());
        velocity.OnMidiMessage(MidiMessage(0x90, 60, 99));
        QCOMPARE(velocity.value(), 99);
    }

    void itemsAndVariables()
    {
        BusPanelRig rig;
        MidiEdit edit(rig.panel, volumeInfo());
        edit.OnSysex(BusPanelRig::parameterChange(0x300100, 100).get());
        edit.setItems(QString(), 0, 120);
        QCOMPARE(edit.value(), 100);
        edit.setItems(QString(), 0, 50);
        QCOMPARE(edit.value(), -1);
        QCOMPARE(edit.text(), QString());

        // A variable shows its value without sending it; a null one blanks
        // the control, which refuses values until a real one is bound.
        qint8 small = 20;
        edit.setVariable(&small, 1);
        QCOMPARE(edit.value(), 20);
        edit.setVariable(nullptr, 1);
        QCOMPARE(edit.value(), -1);
        QVERIFY(!edit.setValue(30));
        edit.changeValue(30);
        QCOMPARE(edit.value(), -1);
        QVERIFY(rig.sent().isEmpty());

        // The standalone list control of the category choosers.
        QWidget parent;
        MidiEdit category(&parent, &rig.device, true, QStringLiteral("Category"));
        QVERIFY(!category.panel());
        category.setItems(QStringLiteral("Piano|Organ|Strings"), 0, -1);
        category.selectTableData(QStringLiteral("Organ"));
        QCOMPARE(category.value(), 1);
        QCOMPARE(category.text(), QStringLiteral("Organ"));
        category.selectTableData(QStringLiteral("Brass"));
        QCOMPARE(category.value(), 1);
        category.changeData(-1);
        category.changeData(2);
        QCOMPARE(category.value(), 2);
        // Data no item holds is no value either: not the first item.
        category.changeData(7);
        QCOMPARE(category.value(), 2);
        QVERIFY(rig.sent().isEmpty()); // no address
    }

    // The context menu opens the section window, raises it while it shows,
    // and replaces it once closed; each value change re-targets it.
    void sectionWindow()
    {
        BusPanelRig rig;
        QVERIFY(rig.device.xml()->loadFile(
            QStringLiteral(ORVANE_SOURCE_DIR "/tests/panels/layouts/effects.xml")));
        EditInfo info = volumeInfo();
        info.section = QStringLiteral("Effects Parameters");
        info.subsection = QStringLiteral("hex");
        info.param.setSize(2);
        info.param.max = 16383;
        MidiEdit edit(rig.panel, info);
        edit.OnSysex(BusPanelRig::parameterChange(0x300100, 0x80, 2).get());

        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(&edit, &menu);
        QPointer<PanelDlg> first = edit.panelDlg();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QCOMPARE(edit.editInfo().value, QStringLiteral("0100"));

        QApplication::sendEvent(&edit, &menu);
        QCOMPARE(edit.panelDlg(), first.data());

        edit.changeValue(0xB0);
        QCOMPARE(first->windowTitle(), QStringLiteral("Plate"));

        first->hide();
        QApplication::sendEvent(&edit, &menu);
        QVERIFY(!first);
        QVERIFY(edit.panelDlg());
        QVERIFY(edit.panelDlg()->isVisible());
        delete edit.panelDlg();

        // Without a value there is no sub-section to pick: the window does
        // not open on the one of an earlier value, whose controls would get
        // no base address.
        edit.resetValues();
        edit.showPanelDlg();
        QCOMPARE(edit.editInfo().value, QString());
        delete edit.panelDlg();
    }

    void geometry()
    {
        QWidget parent;
        MidiEdit edit(&parent, nullptr, false, QStringLiteral("Cutoff"));
        edit.resize(90, 19);
        QCOMPARE(edit.sliderRect(), QRect(QPoint(3, 14), QPoint(86, 15)));
        QCOMPARE(edit.pianoRect(), QRect(QPoint(37, 3), QPoint(86, 15)));
        QCOMPARE(edit.arrowRect(), QRect(QPoint(80, 0), QPoint(89, 18)));
    }

    // A bipolar slider grows from its centre: red to the right above it,
    // green to the left below it, a mark at it; no value leaves the groove.
    void bipolarSlider()
    {
        BusPanelRig rig;
        EditInfo info = volumeInfo();
        info.param.offset = -64;
        MidiEdit edit(rig.panel, info);
        edit.resize(90, 19);
        const QColor groove = edit.colorManager()->lineColor();
        const int y = 15;
        auto redder = [](QColor c) { return c.red() > 150 && c.green() < 120; };
        auto greener = [](QColor c) { return c.green() > 150 && c.red() < 120; };

        QImage image = paintEdit(edit);
        QCOMPARE(image.pixelColor(20, y), groove);
        QCOMPARE(image.pixelColor(60, y), groove);

        edit.setValue(100); // centre at x 45, 100 about 24 pixels right of it
        image = paintEdit(edit);
        QVERIFY(redder(image.pixelColor(55, y)));
        QCOMPARE(image.pixelColor(35, y), groove);
        QCOMPARE(image.pixelColor(80, y), groove);

        edit.setValue(40); // 24 below: about 15 pixels left of the centre
        image = paintEdit(edit);
        QVERIFY(greener(image.pixelColor(38, y)));
        QCOMPARE(image.pixelColor(20, y), groove);
        QCOMPARE(image.pixelColor(55, y), groove);

        edit.setValue(64);
        image = paintEdit(edit);
        QCOMPARE(image.pixelColor(20, y), groove);
        QCOMPARE(image.pixelColor(60, y), groove);
        QVERIFY(image.pixelColor(45, y) != groove || image.pixelColor(44, y) != groove);
    }

    // A list shows no previous arrow without a value; a keyboard control
    // presses the key of its value, and stays inside its box.
    void arrowsAndKeys()
    {
        BusPanelRig rig;
        EditInfo listInfo = volumeInfo();
        listInfo.combo = true;
        MidiEdit list(rig.panel, listInfo);
        list.resize(90, 19);
        QImage image = paintEdit(list);
        const ColorManager* colors = list.colorManager();
        QCOMPARE(image.pixelColor(85, 3), colors->arrowColor(true, false));
        QCOMPARE(image.pixelColor(85, 15), colors->arrowColor(false, false));
        list.setValue(127);
        image = paintEdit(list);
        QCOMPARE(image.pixelColor(85, 3), colors->arrowColor(false, false));
        QCOMPARE(image.pixelColor(85, 15), colors->arrowColor(true, false));

        EditInfo keyInfo = volumeInfo();
        keyInfo.piano = true;
        keyInfo.param.note = true;
        keyInfo.param.min = 24;
        keyInfo.param.max = 96;
        MidiEdit keys(rig.panel, keyInfo);
        keys.resize(260, 19);
        auto pressedKeys = [&keys] {
            const QImage picture = paintEdit(keys);
            int count = 0;
            for (int x = 0; x < picture.width(); ++x) {
                for (int y = 0; y < picture.height(); ++y) {
                    if (picture.pixelColor(x, y) == QColor(255, 255, 224))
                        count += keys.pianoRect().contains(x, y) ? 1 : 1000;
                }
            }
            return count;
        };
        QCOMPARE(pressedKeys(), 0);
        keys.setValue(60);
        const int pressed = pressedKeys();
        QVERIFY(pressed > 0 && pressed < 1000);
    }
};

ORVANE_TEST_MAIN(TestMidiEdit)
#include "tst_midiedit.moc"
