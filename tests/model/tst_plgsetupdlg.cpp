// The "PLG Setup" dialog, driven through its buttons with scripted prompts.
#include "IniFile.h"
#include "PlgBoards.h"
#include "PlgSetupDlg.h"
#include "Profile.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace {

using PromptKind = ScriptedPrompts::Kind;

QString shipped(const char* code)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/resources/vesk/plg/VER150-%1.ini").arg(QLatin1String(code));
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

QPushButton* loadButton(PlgSetupDlg& dlg, int slot)
{
    for (QPushButton* b : dlg.findChildren<QPushButton*>(QString::number(slot))) {
        if (b != dlg.deleteButton(slot))
            return b;
    }
    return nullptr;
}

} // namespace

class TestPlgSetupDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> m_device;
    QTemporaryDir m_boards;

    QByteArray installed(int slot) const { return contentOf(PlgBoards::plgFileName(m_device.get(), slot)); }
    QList<QByteArray> allInstalled() const
    {
        return {contentOf(PlgBoards::plgFileName(m_device.get(), 0)),
                contentOf(PlgBoards::plgFileName(m_device.get(), 1)),
                contentOf(PlgBoards::plgFileName(m_device.get(), 2))};
    }

private slots:
    void init()
    {
        m_device = std::make_unique<TestDevice>(QStringLiteral("Setup ES"));
        QDir(m_device->dataFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(m_device->dataFolder()));
        // No folder remembered from an earlier prompt.
        Profile::settings()->remove(QStringLiteral("Folders"));
        // Slot 2 holds a board already.
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 1, shipped("AN")));
    }

    void cleanup() { m_device.reset(); }

    void showsTheInstalledBoards()
    {
        PlgSetupDlg dlg(m_device.get());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("PLG Setup"));
        QStringList labels;
        QStringList deletes;
        QStringList loads;
        for (int s = 0; s < 3; ++s) {
            labels << dlg.nameLabel(s)->text();
            deletes << dlg.deleteButton(s)->accessibleName();
            QVERIFY(dlg.deleteButton(s)->text().isEmpty());
            QPushButton* load = loadButton(dlg, s);
            QVERIFY(load);
            loads << load->accessibleName();
            QCOMPARE(dlg.chosenFile(s), QString());
        }
        QCOMPARE(labels, (QStringList{"<b>(none)</b>", "<b>VER150-AN</b>", "<b>(none)</b>"}));
        QCOMPARE(deletes, (QStringList{"Delete PLG1", "Delete VER150-AN", "Delete PLG3"}));
        QCOMPARE(loads, (QStringList{"Load PLG1", "Load PLG2", "Load PLG3"}));
    }

    void cancelAndUntouchedAcceptWriteNothing_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("cancel after changes") << false;
        QTest::newRow("accept untouched") << true;
    }

    void cancelAndUntouchedAcceptWriteNothing()
    {
        QFETCH(bool, accept);
        const QList<QByteArray> before = allInstalled();
        ScriptedPrompts prompts;
        prompts.script(PromptKind::FileOpen, shipped("PF"));
        prompts.onDialog([accept](QDialog* dialog) {
            auto* dlg = qobject_cast<PlgSetupDlg*>(dialog);
            if (!dlg || accept)
                return;
            loadButton(*dlg, 0)->click();
            dlg->deleteButton(1)->click();
        });
        prompts.script(PromptKind::Dialog, int(accept ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(RunPlgSetup(m_device.get(), nullptr), accept);
        QCOMPARE(prompts.last(PromptKind::Dialog).text, QStringLiteral("PlgSetupDlg"));
        QCOMPARE(prompts.count(PromptKind::FileOpen), accept ? 0 : 1);
        QCOMPARE(allInstalled(), before);
    }

    void loadAndDeleteChoices()
    {
        PlgSetupDlg dlg(m_device.get());
        ScriptedPrompts prompts;

        // Load into slot 1: the prompt, then the board's name shown.
        prompts.script(PromptKind::FileOpen, shipped("PF"));
        loadButton(dlg, 0)->click();
        const ScriptedPrompts::Call call = prompts.last(PromptKind::FileOpen);
        QCOMPARE(call.title, QStringLiteral("Load PLG Board Definition"));
        QCOMPARE(call.filter, QStringLiteral("Ini Files (*.ini)"));
        QCOMPARE(call.start, PlgBoards::boardFolder());
        QCOMPARE(dlg.chosenFile(0), shipped("PF"));
        QCOMPARE(dlg.nameLabel(0)->text(), QStringLiteral("<b>VER150-PF</b>"));
        QCOMPARE(dlg.deleteButton(0)->accessibleName(), QStringLiteral("Delete VER150-PF"));

        // A cancelled prompt keeps the earlier choice.
        loadButton(dlg, 0)->click();
        QCOMPARE(dlg.chosenFile(0), shipped("PF"));

        // Delete, then load: the file. Load, then delete: no board.
        dlg.deleteButton(2)->click();
        QCOMPARE(dlg.chosenFile(2), QStringLiteral("(none)"));
        QCOMPARE(dlg.nameLabel(2)->text(), QStringLiteral("<b>(none)</b>"));
        QCOMPARE(dlg.deleteButton(2)->accessibleName(), QStringLiteral("Delete PLG3"));
        prompts.script(PromptKind::FileOpen, shipped("DX"));
        loadButton(dlg, 2)->click();
        prompts.script(PromptKind::FileOpen, shipped("VL"));
        loadButton(dlg, 1)->click();
        dlg.deleteButton(1)->click();
        QCOMPARE(dlg.deleteButton(1)->accessibleName(), QStringLiteral("Delete PLG2"));

        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(PlgBoards::plgName(m_device.get(), 0), QStringLiteral("VER150-PF"));
        QCOMPARE(PlgBoards::plgName(m_device.get(), 1), QString());
        QCOMPARE(PlgBoards::plgName(m_device.get(), 2), QStringLiteral("VER150-DX"));
        QCOMPARE(installed(1), QByteArray("[PLG2]\nName=\nRidev=0\n"));
    }

    void unusableBoardsAreRefusedWhenPicked_data()
    {
        QTest::addColumn<QByteArray>("boardText");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no PLG section") << QByteArray("[USER]\nRidev=64\n") << "no [PLG] section";
        QTest::newRow("unreadable") << QByteArray() << "File not found";
    }

    void unusableBoardsAreRefusedWhenPicked()
    {
        QFETCH(QByteArray, boardText);
        QFETCH(QString, reason);
        const QString path = m_boards.filePath(QStringLiteral("board.ini"));
        QFile::remove(path);
        if (!boardText.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(boardText);
        }
        const QList<QByteArray> before = allInstalled();

        PlgSetupDlg dlg(m_device.get());
        ScriptedPrompts prompts;
        prompts.script(PromptKind::FileOpen, path);
        loadButton(dlg, 1)->click();
        QCOMPARE(prompts.count(PromptKind::Error), 1);
        QVERIFY2(prompts.last(PromptKind::Error).text.contains(reason), qPrintable(prompts.last(PromptKind::Error).text));
        // The slot is as it was: label, description and choice.
        QCOMPARE(dlg.chosenFile(1), QString());
        QCOMPARE(dlg.nameLabel(1)->text(), QStringLiteral("<b>VER150-AN</b>"));
        QCOMPARE(dlg.deleteButton(1)->accessibleName(), QStringLiteral("Delete VER150-AN"));
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(allInstalled(), before);
    }

    void failedWriteKeepsTheDialogOpen()
    {
        PlgSetupDlg dlg(m_device.get());
        ScriptedPrompts prompts;
        prompts.script(PromptKind::FileOpen, shipped("PC"));
        loadButton(dlg, 0)->click();
        prompts.script(PromptKind::FileOpen, shipped("DR"));
        loadButton(dlg, 2)->click();
        // Slot 3's copy cannot be replaced: a folder stands in its place.
        QVERIFY(QDir().mkpath(PlgBoards::plgFileName(m_device.get(), 2)));

        dlg.accept();
        QVERIFY(dlg.result() != int(QDialog::Accepted));
        QCOMPARE(prompts.count(PromptKind::Error), 1);
        QVERIFY(prompts.last(PromptKind::Error).text.startsWith(QStringLiteral("Slot 3: Cannot save file")));
        // Slot 1 went in and is not written again; slot 3 keeps its choice.
        QCOMPARE(PlgBoards::plgName(m_device.get(), 0), QStringLiteral("VER150-PC"));
        QCOMPARE(dlg.chosenFile(0), QString());
        QCOMPARE(dlg.chosenFile(2), shipped("DR"));
        QCOMPARE(dlg.nameLabel(2)->text(), QStringLiteral("<b>VER150-DR</b>"));
    }
};

ORVANE_TEST_MAIN(TestPlgSetupDlg)
#include "tst_plgsetupdlg.moc"
