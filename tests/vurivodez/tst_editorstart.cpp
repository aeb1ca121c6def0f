// Starting the editor programs from the librarian: the Editors commands start
// each editor empty; "Edit" writes the current patch into a patch file (the
// bulk header of its type's edit buffer, its messages, the bulk footer) and
// starts its type's editor with it. Failed starts are reported. The
// launcher is replaced, so nothing really starts.
#include "LibrarianRig.h"
#include "LibraryFixture.h"

#include "Library.h"
#include "PatchDump.h"
#include "Sysex.h"

#include <QCoreApplication>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray bytesOf(PatchDump* dump)
{
    QByteArray bytes;
    for (Sysex* message : *dump)
        bytes.append(reinterpret_cast<const char*>(message->data()), message->size());
    return bytes;
}

// A Ridev Library in front whose slot of the bank holds a named patch, the
// slot's row current.
PatchDump* editable(VeskLib& window, unsigned short bank, const QString& name)
{
    window.newFile(0);
    LibraryView* view = window.currentLibraryView();
    BankPatchGroup* group = view->library()->getBankPatchGroup(bank);
    if (!group)
        return nullptr;
    PatchDump* dump = MakePatch(group->patchDumpAt(3), name);
    view->updateView(false);
    view->selectPatch(Patch(bank, 3));
    return dump;
}

} // namespace

class TestEditorStart : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY(bus);
    }

    void editorsStartEmpty()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        RecordingLauncher launcher;
        const QList<QPair<int, const char*>> editors = {{VeskLib::cmdVoiceEditor, "VeskVoice"},
                                                         {VeskLib::cmdDrumEditor, "VeskDrum"},
                                                         {VeskLib::cmdPerformanceEditor, "VeskPerf"},
                                                         {VeskLib::cmdMixEditor, "VeskMix"},
                                                         {VeskLib::cmdMasterEditor, "VeskMaster"}};
        // With and without a document.
        for (bool document : {false, true}) {
            if (document)
                window->newFile(0);
            launcher.starts.clear();
            for (const auto& [id, program] : editors)
                window->onCommand(id);
            QCOMPARE(launcher.starts.size(), 5);
            for (int i = 0; i < 5; ++i) {
                // Beside the librarian, in the build tree as in the install.
                QCOMPARE(launcher.starts[i].program,
                         QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(editors[i].second));
                QVERIFY(launcher.starts[i].arguments.isEmpty());
            }
        }
        // The editors really are beside the test, as beside the librarian.
        for (const auto& [id, program] : editors)
            QVERIFY(QFileInfo(VeskLib::editorFolder() + QLatin1Char('/') + QLatin1String(program)).isExecutable());
    }

    void editWritesThePatchFile_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("footer");
        QTest::newRow("voice") << 0x3F08 << "VeskVoice" << hex("F0 43 00 7F 00 00 00 0E 0F 00 63 F7")
                               << hex("F0 43 00 7F 00 00 00 0F 0F 00 62 F7");
        QTest::newRow("drum kit") << 0x3F28 << "VeskDrum" << hex("F0 43 00 7F 00 00 00 0E 2F 00 43 F7")
                                  << hex("F0 43 00 7F 00 00 00 0F 2F 00 42 F7");
        QTest::newRow("performance") << 0x3F40 << "VeskPerf" << hex("F0 43 00 7F 00 00 00 0E 4F 00 23 F7")
                                     << hex("F0 43 00 7F 00 00 00 0F 4F 00 22 F7");
        QTest::newRow("master") << 0x7F7F << "VeskMaster" << hex("F0 43 00 7F 00 00 00 0E 7F 00 73 F7")
                                << hex("F0 43 00 7F 00 00 00 0F 7F 00 72 F7");
    }

    void editWritesThePatchFile()
    {
        QFETCH(int, bank);
        QFETCH(QString, program);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, footer);
        LibrarianRig rig(*bus);
        auto window = rig.build();
        RecordingLauncher launcher;
        PatchDump* dump = editable(*window, quint16(bank), QStringLiteral("Edited"));
        QVERIFY(dump);
        window->onUpdateUi();
        QVERIFY(window->command(VeskLib::cmdEdit)->isEnabled());
        window->onCommand(VeskLib::cmdEdit);

        QCOMPARE(launcher.starts.size(), 1);
        const RecordingLauncher::Start& start = launcher.starts.first();
        QCOMPARE(start.program, VeskLib::editorFolder() + QLatin1Char('/') + program);
        QCOMPARE(start.arguments, QStringList{window->patchFilePath()});
        QCOMPARE(start.fileBytes, header + bytesOf(dump) + footer);
        QVERIFY(!bytesOf(dump).isEmpty());
    }

    void plgVoiceWritesAFileButStartsNothing()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        RecordingLauncher launcher;
        ScriptedPrompts prompts;
        PatchDump* dump = editable(*window, 0x3F18, QStringLiteral("Plg"));
        QVERIFY(dump);
        window->onCommand(VeskLib::cmdEdit);
        QVERIFY(launcher.starts.isEmpty());
        QVERIFY(prompts.calls().isEmpty());
        QFile file(window->patchFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), hex("F0 43 00 7F 00 00 00 0E 1F 00 53 F7") + bytesOf(dump) +
                                     hex("F0 43 00 7F 00 00 00 0F 1F 00 52 F7"));
    }

    void eachEditGetsItsOwnFile()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        RecordingLauncher launcher;
        PatchDump* dump = editable(*window, 0x3F08, QStringLiteral("First"));
        window->onCommand(VeskLib::cmdEdit);
        const QString first = window->patchFilePath();
        dump->setName(QStringLiteral("Second"));
        window->onCommand(VeskLib::cmdEdit);
        QCOMPARE(launcher.starts.size(), 2);
        QVERIFY(launcher.starts[1].arguments.first() != first);
        // The first file ended with the second Edit; the second is whole.
        QVERIFY(!QFile::exists(first));
        QVERIFY(launcher.starts[1].fileBytes.contains("Second"));
        QVERIFY(!launcher.starts[0].fileBytes.contains("Second"));
    }

    void nothingToEdit()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        RecordingLauncher launcher;
        window->newFile(0);
        // The current row is an empty slot.
        window->currentLibraryView()->selectPatch(Patch(0x3F08, 0));
        window->onUpdateUi();
        QVERIFY(!window->command(VeskLib::cmdEdit)->isEnabled());
        window->onCommand(VeskLib::cmdEdit);
        QVERIFY(launcher.starts.isEmpty());
        QVERIFY(window->patchFilePath().isEmpty());
    }

    void failedStartIsReported()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        RecordingLauncher launcher;
        launcher.refuse << QStringLiteral("VeskVoice");
        ScriptedPrompts prompts;
        window->onCommand(VeskLib::cmdDrumEditor);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 0);
        window->onCommand(VeskLib::cmdVoiceEditor);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
        QVERIFY(prompts.last(ScriptedPrompts::Kind::Error).text.contains(QLatin1String("VeskVoice")));

        // The real launcher, with no such program.
        Launcher system;
        QVERIFY(!system.execute(QStringLiteral("/nonexistent/VeskVoice"), {}));
    }
};

ORVANE_TEST_MAIN(TestEditorStart)
#include "tst_editorstart.moc"
