// The name control: the characters it sends on the bus, the names it shows
// of dumps and single characters, the in-place editor it opens on clicks and
// keys, and characters the instrument cannot hold.
#include "BusPanelRig.h"
#include "MidiString.h"
#include "TestEnvironment.h"

#include <QPointer>

namespace {

StringInfo nameInfo(int chars = 10)
{
    StringInfo info;
    info.title = QStringLiteral("Name");
    info.param.setAddress(0x300000);
    info.chars = chars;
    info.bold = true;
    return info;
}

QStringList changes(const QList<int>& codes)
{
    QStringList list;
    for (int i = 0; i < codes.size(); ++i)
        list << QStringLiteral("F0 43 10 7F 00 30 00 %1 %2 F7")
                    .arg(i, 2, 16, QLatin1Char('0'))
                    .arg(codes[i], 2, 16, QLatin1Char('0'))
                    .toUpper();
    return list;
}

QStringList requests(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("F0 43 30 7F 00 30 00 %1 F7").arg(i, 2, 16, QLatin1Char('0')).toUpper();
    return list;
}

QList<int> codes(const QString& text, int chars)
{
    QList<int> list;
    for (int i = 0; i < chars; ++i)
        list << (i < text.size() ? text.at(i).unicode() : 32);
    return list;
}

bool showStringActive(QWidget& window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

} // namespace

class TestMidiString : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QTRY_VERIFY(!MidiString::editor()); }

    // An accepted name goes out whole, blank-padded, then is read back;
    // trailing blanks are not kept.
    void sendsTheWholeName()
    {
        BusPanelRig rig;
        MidiString name(rig.panel, nameInfo());
        QCOMPARE(name.type(), int(MidiCtrl::StringType));
        name.changeText(QStringLiteral("Piano   "));
        QCOMPARE(name.text(), QStringLiteral("Piano"));
        QCOMPARE(rig.sent(), changes(codes(QStringLiteral("Piano"), 10)) + requests(10));

        rig.clearSent();
        name.changeText(QStringLiteral("Piano")); // sent even when unchanged
        QCOMPARE(rig.sent().size(), 20);
    }

    // The instrument holds 7-bit characters: others go out as their plain
    // letter, else as "?", and show as sent.
    void sevenBitCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        QTest::newRow("ascii") << QStringLiteral("Bass 1") << QStringLiteral("Bass 1");
        QTest::newRow("accents") << QStringLiteral("Café Über") << QStringLiteral("Cafe Uber");
        QTest::newRow("latin-1 sign") << QStringLiteral("A°ß") << QStringLiteral("A??");
        QTest::newRow("outside latin-1") << QStringLiteral("Pad 日本") << QStringLiteral("Pad ??");
    }
    void sevenBitCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        BusPanelRig rig;
        MidiString name(rig.panel, nameInfo());
        name.changeText(typed);
        QCOMPARE(name.text(), sent);
        QCOMPARE(rig.sent(), changes(codes(sent, 10)) + requests(10));
    }

    // A dump fills every character; a parameter change one; characters that
    // are not printable show as blanks, trailing ones dropped.
    void showsReceivedCharacters()
    {
        BusPanelRig rig;
        MidiString name(rig.panel, nameInfo());
        name.OnSysex(BusPanelRig::message(
                         QByteArray::fromHex(TestSysex::bulkDumpText(0x300000, "Piano     ").toLatin1()))
                         .get());
        QCOMPARE(name.text(), QStringLiteral("Piano"));
        name.OnSysex(BusPanelRig::parameterChange(0x300002, 0x07).get());
        QCOMPARE(name.text(), QStringLiteral("Pi no"));
        name.OnSysex(BusPanelRig::parameterChange(0x300004, 0x20).get());
        QCOMPARE(name.text(), QStringLiteral("Pi n"));
        name.OnSysex(BusPanelRig::parameterChange(0x30000A, 0x41).get()); // past the name
        name.OnSysex(BusPanelRig::parameterChange(0x300009, 0x21).get());
        QCOMPARE(name.text(), QStringLiteral("Pi n     !"));
        name.resetValues();
        QCOMPARE(name.text(), QStringLiteral("Pi n     !"));
        QVERIFY(rig.sent().isEmpty());
    }

    void requestsEveryCharacter()
    {
        BusPanelRig rig;
        MidiString name(rig.panel, nameInfo(20));
        name.MidiReceive();
        QCOMPARE(rig.sent(), requests(20));

        rig.clearSent();
        StringInfo info = nameInfo();
        info.no_request = true;
        MidiString quiet(rig.panel, info);
        quiet.MidiReceive();
        QVERIFY(rig.sent().isEmpty());
        quiet.changeText(QStringLiteral("X"));
        QCOMPARE(rig.sent(), changes(codes(QStringLiteral("X"), 10)) + requests(10));
    }

    // A typed character opens the editor starting a new name with it;
    // Return or F2 open it on the current name; a bare Space does not.
    void keysOpenTheEditor()
    {
        BusPanelRig rig;
        MidiString name(rig.panel, nameInfo());
        name.resize(90, 19);
        name.changeText(QStringLiteral("Piano"));
        rig.clearSent();

        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&name, &space);
        QVERIFY(!space.isAccepted());
        QVERIFY(!MidiString::editor());

        QTest::keyClick(&name, Qt::Key_A, Qt::NoModifier);
        InlineEdit* editor = MidiString::editor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("a"));
        QVERIFY(!editor->hasSelectedText());
        QCOMPARE(editor->maxLength(), 10);
        QCOMPARE(editor->font().family(), QStringLiteral("Lucida Grande"));
        QCOMPARE(editor->styleSheet(), QString::fromLatin1(MidiString::EditorStyle));
        QTest::keyClicks(editor, QStringLiteral("rp"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(name.text(), QStringLiteral("arp"));
        QVERIFY(!MidiString::editor());
        QCOMPARE(rig.sent().size(), 20);

        QTest::keyClick(&name, Qt::Key_F2);
        QVERIFY(MidiString::editor());
        QCOMPARE(MidiString::editor()->selectedText(), QStringLiteral("arp"));
        QTest::keyClick(MidiString::editor(), Qt::Key_Escape);
        QCOMPARE(name.text(), QStringLiteral("arp"));

        QTest::mouseClick(&name, Qt::LeftButton);
        QVERIFY(MidiString::editor());
        QCOMPARE(MidiString::editor()->text(), QStringLiteral("arp"));
        MidiString::stopEditing(false);
    }

    // A click on the window background accepts the open edit.
    void stopEditingAccepts()
    {
        BusPanelRig rig;
        MidiString name(rig.panel, nameInfo());
        name.resize(90, 19);
        name.edit(QStringLiteral("Organ  "), true);
        QCOMPARE(MidiString::editor()->text(), QStringLiteral("Organ"));
        MidiString::stopEditing(true);
        QCOMPARE(name.text(), QStringLiteral("Organ"));
        QCOMPARE(rig.sent().size(), 20);
        QVERIFY(!MidiString::editor());
        MidiString::stopEditing(true); // nothing open: nothing happens
    }

    // A control that goes while its editor is open takes the editor along;
    // the program's reference to it goes too.
    void controlGoesWhileEditing()
    {
        BusPanelRig rig;
        auto* name = new MidiString(rig.panel, nameInfo());
        name->edit();
        QPointer<InlineEdit> editor = MidiString::editor();
        QVERIFY(editor);
        delete name;
        QVERIFY(!editor);
        QVERIFY(!MidiString::editor());
        MidiString::stopEditing(true);
        QVERIFY(rig.sent().isEmpty());
    }

    // A second control's editor opening ends the first one's edit (its focus
    // goes), and the program keeps the second as the open one.
    void secondEditorTakesOver()
    {
        BusPanelRig rig;
        MidiString first(rig.panel, nameInfo());
        MidiString second(rig.panel, nameInfo());
        first.resize(90, 19);
        second.setGeometry(0, 30, 90, 19);
        QVERIFY(showStringActive(rig.window));
        first.edit(QStringLiteral("One"), true);
        QTRY_VERIFY(MidiString::editor() && MidiString::editor()->hasFocus());
        second.edit(QStringLiteral("Two"), true);
        InlineEdit* open = MidiString::editor();
        QTRY_COMPARE(first.text(), QStringLiteral("One"));
        QCOMPARE(MidiString::editor(), open);
        QCOMPARE(open->parentWidget(), &second);
        MidiString::stopEditing(true);
        QCOMPARE(second.text(), QStringLiteral("Two"));
    }
};

ORVANE_TEST_MAIN(TestMidiString)
#include "tst_midistring.moc"
