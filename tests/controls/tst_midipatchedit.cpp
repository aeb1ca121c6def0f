// The patch selector: what each kind of target sends and follows, invalid
// patches kept off the wire, its texts and tip, the keys, wheel, arrows and
// bank menu with its pause, and the patch browser's preview, OK and Cancel.
#include "BusPanelRig.h"
#include "MidiMessage.h"
#include "MidiPatchEdit.h"
#include "ParamSearchDlg.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "Waiting.h"
#include "VeskRig.h"

#include <QTreeWidget>

#include <memory>

namespace {

using Kind = ScriptedPrompts::Kind;

constexpr unsigned int PatchAddress = 0x400010;

const char* const SelectorBanks = R"(
[SET]
Ridev=3
0=63,00,PRE1
1=63,01,PRE2
2=63,02,SMALL

[OTHER]
Ridev=1
0=63,05,PRE6

[PRE1]
0=Ap:Grand
17=Pd:Warm Pad
18=---

[SMALL]
Ridev=64
0=Sq:Lead
)";

PatchEditInfo patchInfo(int kind)
{
    PatchEditInfo info;
    info.title = QStringLiteral("Voice");
    info.banks = QStringLiteral("SET");
    if (kind == 1)
        info.param.setAddress(PatchAddress);
    else if (kind == 2)
        info.param.midiChannel = 3;
    return info;
}

enum Target
{
    DevicePatch = 0,
    Addressed = 1,
    ChannelBound = 2
};

} // namespace

class TestMidiPatchEdit : public QObject
{
    Q_OBJECT

    std::unique_ptr<BusPanelRig> rig;
    std::unique_ptr<RecordingClient> recorder;

    MidiPatchEdit* make(int target, Patch start = Patch()) { return make(patchInfo(target), start); }
    MidiPatchEdit* make(const PatchEditInfo& info, Patch start = Patch())
    {
        auto* edit = new MidiPatchEdit(rig->panel, info);
        edit->setGeometry(0, 0, 120, 19);
        edit->setPatch(start);
        rig->clearSent();
        recorder->clear();
        return edit;
    }
    QStringList patchChanges() const
    {
        return recorder->texts(RecordingClient::Event::PatchChange, SourceGUI);
    }

private slots:
    void init()
    {
        rig = std::make_unique<BusPanelRig>();
        rig->device.ini()->loadText(QString::fromUtf8(SelectorBanks));
        recorder = std::make_unique<RecordingClient>(&rig->device);
    }
    void cleanup()
    {
        recorder.reset();
        rig.reset();
    }

    // The three bytes go out in the order MSB, LSB, program, then their
    // requests, at the addresses reverse and no_banks choose.
    void addressedSends_data()
    {
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<bool>("noBanks");
        QTest::addColumn<QStringList>("sent");
        const unsigned int a = PatchAddress;
        QTest::newRow("plain") << false << false
                               << QStringList{BusPanelRig::change(a, 63),     BusPanelRig::change(a + 1, 1),
                                              BusPanelRig::change(a + 2, 17), BusPanelRig::request(a),
                                              BusPanelRig::request(a + 1),    BusPanelRig::request(a + 2)};
        QTest::newRow("reverse") << true << false
                                 << QStringList{BusPanelRig::change(a + 2, 63), BusPanelRig::change(a + 1, 1),
                                                BusPanelRig::change(a, 17),     BusPanelRig::request(a + 2),
                                                BusPanelRig::request(a + 1),    BusPanelRig::request(a)};
        QTest::newRow("no banks") << false << true
                                  << QStringList{BusPanelRig::change(a + 2, 17), BusPanelRig::request(a + 2)};
        QTest::newRow("no banks, reverse")
            << true << true << QStringList{BusPanelRig::change(a, 17), BusPanelRig::request(a)};
    }
    void addressedSends()
    {
        QFETCH(bool, reverse);
        QFETCH(bool, noBanks);
        QFETCH(QStringList, sent);
        PatchEditInfo info = patchInfo(Addressed);
        info.reverse = reverse;
        info.no_banks = noBanks;
        info.request = 4;
        MidiPatchEdit* edit = make(info);
        edit->changePatch(Patch(63, 1, 17), true);
        QCOMPARE(rig->sent(), sent);
        QCOMPARE(rig->panel->groupRequests, QList<int>{4});
        QVERIFY(patchChanges().isEmpty());

        rig->clearSent();
        edit->MidiReceive();
        QCOMPARE(rig->sent(), sent.mid(sent.size() / 2));
    }

    // No patch is no data: nothing goes out for it, on any path, and no
    // group is requested.
    void invalidPatchIsNeverSent_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("noBanks");
        QTest::newRow("addressed") << int(Addressed) << false;
        QTest::newRow("addressed, no banks") << int(Addressed) << true;
        QTest::newRow("channel") << int(ChannelBound) << false;
        QTest::newRow("device patch") << int(DevicePatch) << false;
    }
    void invalidPatchIsNeverSent()
    {
        QFETCH(int, target);
        QFETCH(bool, noBanks);
        PatchEditInfo info = patchInfo(target);
        info.no_banks = noBanks;
        info.request = 2;
        MidiPatchEdit* edit = make(info, Patch(63, 0, 5));
        edit->changePatch(Patch(), true);
        edit->changePatch(Patch(63, 0, -1), true);
        QVERIFY(rig->sent().isEmpty());
        QVERIFY(patchChanges().isEmpty());
        QVERIFY(rig->panel->groupRequests.isEmpty());
        QCOMPARE(edit->text(), QString());
    }

    void devicePatch()
    {
        rig->device.setChannel(2);
        MidiPatchEdit* edit = make(DevicePatch);
        edit->changePatch(Patch(63, 1, 2), false);
        QCOMPARE(rig->sent(), (QStringList{"B2 00 3F", "B2 20 01", "C2 02"}));
        QVERIFY(patchChanges().isEmpty());
        edit->changePatch(Patch(63, 1, 3), true);
        QCOMPARE(patchChanges(), QStringList{Patch(63, 1, 3).toString()});

        // Switched off, the change is still announced but not sent.
        rig->clearSent();
        edit->enablePatchChange(false);
        edit->changePatch(Patch(63, 1, 4), true);
        QVERIFY(rig->sent().isEmpty());
        QCOMPARE(patchChanges().size(), 2);
    }

    void channelBound()
    {
        MidiPatchEdit* edit = make(ChannelBound);
        edit->changePatch(Patch(0, 0, 5), true);
        QCOMPARE(rig->sent(), (QStringList{"B3 00 00", "B3 20 00", "C3 05"}));
        QCOMPARE(patchChanges().size(), 1);
    }

    // A selector outside any panel only shows; one on a panel without a
    // window has no device and no banks, and asks nothing of either.
    void withoutPanelOrDevice()
    {
        MidiPatchEdit alone(&rig->window, &rig->device, QStringLiteral("SET"));
        QCOMPARE(alone.bankSet().size(), 3);
        alone.changePatch(Patch(63, 0, 0), true);
        QCOMPARE(alone.text(), QStringLiteral("PRE1:Ap:Grand"));
        QVERIFY(rig->sent().isEmpty());
        QVERIFY(patchChanges().isEmpty());

        Panel loose(nullptr);
        MidiPatchEdit orphan(&loose, patchInfo(Addressed));
        QVERIFY(!orphan.device());
        QVERIFY(orphan.bankSet().isEmpty());
        orphan.MidiReceive();
        orphan.changePatch(Patch(63, 0, 1), true);
        QCOMPARE(orphan.text(), QStringLiteral("063/000:002 (A02)"));
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&orphan, &right); // an empty set: nothing to step to
        QCOMPARE(orphan.patch().program, 1);
        QVERIFY(rig->sent().isEmpty());
    }

    // The three bytes may come in separate messages; without change_on_byte
    // each patch needs all three again.
    void incomingBytes_data()
    {
        QTest::addColumn<bool>("changeOnByte");
        QTest::addColumn<int>("afterProgramOnly");
        QTest::newRow("all three each time") << false << 17;
        QTest::newRow("change on byte") << true << 20;
    }
    void incomingBytes()
    {
        QFETCH(bool, changeOnByte);
        QFETCH(int, afterProgramOnly);
        PatchEditInfo info = patchInfo(Addressed);
        info.change_on_byte = changeOnByte;
        MidiPatchEdit* edit = make(info);
        edit->OnSysex(BusPanelRig::parameterChange(PatchAddress, 63).get());
        edit->OnSysex(BusPanelRig::parameterChange(PatchAddress + 1, 0).get());
        QVERIFY(!edit->patch().isValid());
        edit->OnSysex(BusPanelRig::parameterChange(0x500000, 1).get());
        edit->OnSysex(nullptr);
        edit->OnSysex(BusPanelRig::parameterChange(PatchAddress + 2, 17).get());
        QCOMPARE(edit->patch(), Patch(63, 0, 17));
        edit->OnSysex(BusPanelRig::parameterChange(PatchAddress + 2, 20).get());
        QCOMPARE(edit->patch().program, afterProgramOnly);
        QVERIFY(rig->sent().isEmpty());
    }

    void incomingShortMessages()
    {
        MidiPatchEdit* edit = make(ChannelBound);
        edit->OnMidiMessage(MidiMessage(0xC3, 5, 0));
        QCOMPARE(edit->patch(), Patch(0, 0, 5));
        edit->OnMidiMessage(MidiMessage(0xB3, 0, 63));
        edit->OnMidiMessage(MidiMessage(0xB3, 32, 0));
        edit->OnMidiMessage(MidiMessage(0xC3, 2, 0));
        QCOMPARE(edit->patch(), Patch(63, 0, 2));
        // Other channels and other controllers change nothing.
        edit->OnMidiMessage(MidiMessage(0xC4, 9, 0));
        edit->OnMidiMessage(MidiMessage(0xB3, 7, 100));
        QCOMPARE(edit->patch(), Patch(63, 0, 2));
        // Reset all controllers on any channel blanks the selector.
        edit->OnMidiMessage(MidiMessage(0xB9, 121, 0));
        QVERIFY(!edit->patch().isValid());
        QCOMPARE(edit->text(), QString());
        QVERIFY(rig->sent().isEmpty());
    }

    void texts_data()
    {
        QTest::addColumn<bool>("noNames");
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<Patch>("patch");
        QTest::addColumn<QString>("text");
        QTest::newRow("name") << false << false << Patch(63, 0, 17) << "PRE1:Pd:Warm Pad";
        QTest::newRow("unnamed slot") << false << false << Patch(63, 0, 18) << "PRE1:019 (B03)";
        QTest::newRow("letters") << true << false << Patch(63, 0, 17) << "PRE1:B02";
        QTest::newRow("numbers") << true << true << Patch(63, 0, 17) << "PRE1:018";
        QTest::newRow("bank outside the set") << false << false << Patch(63, 10, 17) << "063/010:018 (B02)";
        QTest::newRow("bank outside, letters") << true << false << Patch(63, 10, 17) << "063/010:B02";
        QTest::newRow("no patch") << false << false << Patch() << "";
    }
    void texts()
    {
        QFETCH(bool, noNames);
        QFETCH(bool, numbers);
        QFETCH(Patch, patch);
        QFETCH(QString, text);
        PatchEditInfo info = patchInfo(Addressed);
        info.no_names = noNames;
        info.numbers = numbers;
        MidiPatchEdit* edit = make(info, patch);
        QCOMPARE(edit->text(), text);
    }

    void toolTip()
    {
        MidiPatchEdit* edit = make(Addressed, Patch(63, 0, 0));
        QTRY_COMPARE(edit->toolTip(), QStringLiteral("063/000:001 (A01)"));
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<Patch>("from");
        QTest::addColumn<Patch>("to");
        QTest::addColumn<bool>("accepted");
        const int none = Qt::NoModifier;
        const int keypad = Qt::KeypadModifier;
        const Patch p(63, 0, 100);
        QTest::newRow("Right") << int(Qt::Key_Right) << none << p << Patch(63, 0, 101) << true;
        QTest::newRow("Down") << int(Qt::Key_Down) << none << p << Patch(63, 0, 101) << true;
        QTest::newRow("+") << int(Qt::Key_Plus) << none << p << Patch(63, 0, 101) << true;
        QTest::newRow("keypad +") << int(Qt::Key_Plus) << keypad << p << Patch(63, 0, 101) << true;
        QTest::newRow("Shift +") << int(Qt::Key_Plus) << int(Qt::ShiftModifier) << p << p << false;
        QTest::newRow("Left") << int(Qt::Key_Left) << none << p << Patch(63, 0, 99) << true;
        QTest::newRow("-") << int(Qt::Key_Minus) << none << p << Patch(63, 0, 99) << true;
        QTest::newRow("Home") << int(Qt::Key_Home) << none << p << Patch(63, 0, 0) << true;
        QTest::newRow("End") << int(Qt::Key_End) << none << p << Patch(63, 0, 127) << true;
        QTest::newRow("End outside the set")
            << int(Qt::Key_End) << none << Patch(63, 9, 5) << Patch(63, 9, 127) << true;
        QTest::newRow("PageDown into 64")
            << int(Qt::Key_PageDown) << none << Patch(63, 1, 100) << Patch(63, 2, 63) << true;
        QTest::newRow("PageUp wraps") << int(Qt::Key_PageUp) << none << p << Patch(63, 2, 63) << true;
        QTest::newRow("past the last")
            << int(Qt::Key_Right) << none << Patch(63, 2, 63) << Patch(63, 0, 0) << true;
        QTest::newRow("from no patch") << int(Qt::Key_Right) << none << Patch() << Patch(63, 0, 0) << true;
        QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << int(Qt::ControlModifier) << p << p << false;
        QTest::newRow("Shift+Down") << int(Qt::Key_Down) << int(Qt::ShiftModifier) << p << p << false;
        QTest::newRow("other") << int(Qt::Key_A) << none << p << p << false;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(Patch, from);
        QFETCH(Patch, to);
        QFETCH(bool, accepted);
        MidiPatchEdit* edit = make(Addressed, from);
        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(edit, &event);
        QCOMPARE(edit->patch(), to);
        QCOMPARE(event.isAccepted(), accepted);
        QCOMPARE(rig->sent().size(), from == to ? 0 : 6);
    }

    // Alt+Down opens the menu (grouped with Shift); the patch picked is sent.
    void bankMenu()
    {
        ScriptedPrompts prompts;
        MidiPatchEdit* edit = make(Addressed, Patch(63, 0, 0));
        prompts.script(Kind::Popup, Patch(63, 0, 17).toUInt());
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(edit->patch(), Patch(63, 0, 17));
        QCOMPARE(rig->sent().size(), 6);
        QCOMPARE(prompts.last(Kind::Popup).items, (QStringList{"PRE1", "PRE2", "SMALL"}));

        // Waits for the pause after the menu to end.
        QTRY_VERIFY_WITH_TIMEOUT(!edit->isDropDownGuarded(), Waiting::EventMs);
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(prompts.count(Kind::Popup), 2);
        QCOMPARE(prompts.last(Kind::Popup).items, (QStringList{"Ap", "Sq"}));
    }

    // A press right after a menu closed (the press that closed it, landing
    // on the control) opens no second one; the guard goes with its control.
    void menuPause()
    {
        ScriptedPrompts prompts;
        MidiPatchEdit* edit = make(Addressed, Patch(63, 0, 0));
        QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        QCOMPARE(prompts.count(Kind::Popup), 1);
        QVERIFY(edit->isDropDownGuarded());
        QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        QCOMPARE(prompts.count(Kind::Popup), 1);
        QTRY_VERIFY(!edit->isDropDownGuarded());
        QTest::mousePress(edit, Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 10));
        QCOMPARE(prompts.count(Kind::Popup), 2);
        QCOMPARE(prompts.last(Kind::Popup).items, (QStringList{"Ap", "Sq"}));
        QVERIFY(edit->patch() == Patch(63, 0, 0));

        // Gone while its pause runs: nothing is left to touch it.
        delete edit;
        // Waits past the pause's time: nothing may touch the deleted control.
        QVERIFY(Waiting::passTimers(DropDownGuard::PauseMs * 2));
    }

    void arrowsAndWheel()
    {
        MidiPatchEdit* edit = make(Addressed, Patch(63, 0, 10));
        QVERIFY(showAndActivate(rig->window));
        const int h = edit->height();
        const int x = edit->width() - 5;
        QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, QPoint(x, h / 2));
        QCOMPARE(edit->pressedArrow(), int(MidiPatchEdit::UpperArrow));
        QCOMPARE(edit->patch().program, 10);
        QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(x, h / 2));
        QCOMPARE(edit->patch().program, 9);
        QCOMPARE(edit->pressedArrow(), int(MidiPatchEdit::NoArrow));
        QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, QPoint(x, h / 2 + 1));
        QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(x, h / 2 + 1));
        QCOMPARE(edit->patch().program, 10);
        QTest::mouseClick(edit, Qt::BackButton);
        QCOMPARE(edit->patch().program, 9);

        QWheelEvent wheel(QPointF(5, 5), edit->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit, &wheel);
        QCOMPARE(edit->patch().program, 10);
        QVERIFY(edit->hasFocus());
    }

    void reloadBanks()
    {
        PatchEditInfo info = patchInfo(Addressed);
        MidiPatchEdit* edit = make(info, Patch(63, 5, 3));
        QCOMPARE(edit->text(), QStringLiteral("063/005:004 (A04)"));
        edit->reloadBanks(QStringLiteral("OTHER"));
        QCOMPARE(edit->bankSet().size(), 1);
        QCOMPARE(edit->patch(), Patch(63, 5, 3));
        edit->reloadBanks(QString());
        QCOMPARE(edit->bankSet().size(), 3);
    }

    // Moving through the browser previews each patch (sent, windows not
    // told); OK sends the choice once more and tells them.
    void browserPreviewAndOk()
    {
        MidiPatchEdit* edit = make(DevicePatch, Patch(63, 0, 0));
        ScriptedPrompts prompts;
        QStringList rows;
        prompts.onDialog([&](QDialog* dialog) {
            auto* search = qobject_cast<ParamSearchDlg*>(dialog);
            if (!search)
                return;
            QTreeWidget* list = search->list();
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                rows << list->topLevelItem(i)->text(0);
            list->setCurrentItem(list->topLevelItem(1));
        });
        prompts.script(Kind::Dialog, int(QDialog::Accepted));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(edit, &menu);
        QCOMPARE(prompts.count(Kind::Dialog), 1);
        QCOMPARE(prompts.last(Kind::Dialog).text, QStringLiteral("ParamSearchDlg"));
        QCOMPARE(prompts.last(Kind::Dialog).title, QStringLiteral("Patch Browser"));
        QCOMPARE(rows, (QStringList{"Grand", "Warm Pad", "Lead"}));
        QCOMPARE(edit->patch(), Patch(63, 0, 17));
        QCOMPARE(rig->sent(),
                 (QStringList{"B0 00 3F", "B0 20 00", "C0 11", "B0 00 3F", "B0 20 00", "C0 11"}));
        QCOMPARE(patchChanges(), QStringList{Patch(63, 0, 17).toString()});
    }

    // Cancel goes back to the opening patch and sends it; a selector that
    // had none keeps the previewed patch, and never sends a -1.
    void browserCancel_data()
    {
        QTest::addColumn<Patch>("opening");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<Patch>("after");
        QTest::addColumn<int>("messages");
        QTest::newRow("restores") << Patch(63, 0, 0) << true << Patch(63, 0, 0) << 12;
        QTest::newRow("restores unpreviewed") << Patch(63, 0, 0) << false << Patch(63, 0, 0) << 6;
        QTest::newRow("no opening patch") << Patch() << true << Patch(63, 2, 0) << 12;
        QTest::newRow("nothing at all") << Patch() << false << Patch() << 0;
    }
    void browserCancel()
    {
        QFETCH(Patch, opening);
        QFETCH(bool, preview);
        QFETCH(Patch, after);
        QFETCH(int, messages);
        MidiPatchEdit* edit = make(Addressed, opening);
        ScriptedPrompts prompts;
        prompts.onDialog([&](QDialog* dialog) {
            auto* search = qobject_cast<ParamSearchDlg*>(dialog);
            if (!search)
                return;
            QTreeWidget* list = search->list();
            if (preview)
                list->setCurrentItem(list->topLevelItem(2));
        });
        prompts.script(Kind::Dialog, int(QDialog::Rejected));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(prompts.count(Kind::Dialog), 1);
        QCOMPARE(edit->patch(), after);
        const QStringList sent = rig->sent();
        QCOMPARE(sent.size(), messages);
        for (const QString& message : sent)
            QVERIFY2(!message.contains(QLatin1String(" 7F F7")), qPrintable(message));
    }
};

ORVANE_TEST_MAIN(TestMidiPatchEdit)
#include "tst_midipatchedit.moc"
