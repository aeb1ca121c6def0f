// The "Appearance" dialog over a ColorManager: what it shows, how the scheme
// combo follows the colour buttons, and that only accepting writes.
#include "ColorButton.h"
#include "ColorManager.h"
#include "ColorManager_SetupDlg.h"
#include "MainWindow.h"
#include "Prompts.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace {

using Kind = ScriptedPrompts::Kind;

QList<QColor> managerColors(const ColorManager& m)
{
    QList<QColor> list;
    for (int k = 0; k < ColorManager::ColorCount; ++k)
        list << m.getColor(ColorTypes(k));
    return list;
}

QList<QColor> buttonColors(const ColorManager_SetupDlg& dlg)
{
    QList<QColor> list;
    for (int k = 0; k < ColorManager::ColorCount; ++k)
        list << dlg.colorButton(k)->color();
    return list;
}

QList<QColor> schemeOf(int scheme)
{
    QList<QColor> list;
    for (int k = 0; k < ColorManager::ColorCount; ++k)
        list << ColorManager::GetSchemeColor(scheme, ColorTypes(k));
    return list;
}

// A main window that counts how often it was asked to rebuild its style.
class StyledWindow : public MainWindow
{
public:
    int rebuilt = 0;
    void updateStyleSheets() override { ++rebuilt; }
};

} // namespace

class TestAppearance : public QObject
{
    Q_OBJECT

private slots:
    void showsTheManager()
    {
        ColorManager manager;
        manager.loadScheme(3);
        QFont font(QStringLiteral("Serif"), 13);
        manager.setFont(font);
        ColorManager_SetupDlg dlg(&manager);

        QCOMPARE(dlg.windowTitle(), QStringLiteral("Appearance"));
        QComboBox* combo = dlg.schemeCombo();
        QStringList names;
        for (int i = 0; i < combo->count(); ++i)
            names << combo->itemText(i);
        QCOMPARE(names, (QStringList{"Green", "Sage Green", "Blue", "Deep Blue", "Cyan", "Rose", "Brown",
                                     "Gray", "Light Gray"}));
        QCOMPARE(combo->currentText(), QStringLiteral("Deep Blue"));
        QCOMPARE(buttonColors(dlg), managerColors(manager));
        QCOMPARE(dlg.colorButton(0)->text(), QStringLiteral("Workspace"));
        QCOMPARE(dlg.colorButton(10)->text(), QStringLiteral("Button Text"));
        QCOMPARE(dlg.fontCtrl()->font().family(), font.family());
        QCOMPARE(dlg.fontCtrl()->font().pointSize(), 13);

        // The colour rows are labelled after their types, in type order.
        const auto* form = dlg.colorButton(0)->parentWidget()->findChild<QFormLayout*>();
        QVERIFY(form);
        QStringList labels;
        for (int r = 0; r < form->rowCount(); ++r)
            labels << qobject_cast<QLabel*>(form->itemAt(r, QFormLayout::LabelRole)->widget())->text();
        QCOMPARE(labels.size(), 11);
        QCOMPARE(labels.first(), QStringLiteral("Workspace:"));
        QCOMPARE(labels.last(), QStringLiteral("Button Text:"));
    }

    void comboFollowsEveryScheme_data()
    {
        QTest::addColumn<int>("scheme");
        QTest::addColumn<int>("index");
        for (int s = 0; s < ColorManager::SchemeCount; ++s)
            QTest::addRow("%s", qPrintable(ColorManager::GetSchemeName(s))) << s << (s < 9 ? s : -1);
    }

    void comboFollowsEveryScheme()
    {
        QFETCH(int, scheme);
        QFETCH(int, index);
        ColorManager manager;
        manager.loadScheme(scheme);
        ColorManager_SetupDlg dlg(&manager);
        QCOMPARE(dlg.schemeCombo()->currentIndex(), index);

        // The same through the buttons: start from elsewhere, then set the
        // scheme's colours one by one.
        dlg.schemeCombo()->setCurrentIndex(scheme == 0 ? 1 : 0);
        for (int k = 0; k < ColorManager::ColorCount; ++k)
            dlg.colorButton(k)->setColor(ColorManager::GetSchemeColor(scheme, ColorTypes(k)));
        QCOMPARE(dlg.schemeCombo()->currentIndex(), index);
    }

    void choosingASchemeFillsTheButtons()
    {
        ColorManager manager;
        ColorManager_SetupDlg dlg(&manager);
        QCOMPARE(dlg.schemeCombo()->currentIndex(), -1);
        dlg.schemeCombo()->setCurrentIndex(5);
        QCOMPARE(buttonColors(dlg), schemeOf(5));
        QCOMPARE(dlg.schemeCombo()->currentText(), QStringLiteral("Rose"));

        // One colour away from the scheme clears the combo; back selects it.
        const QColor caption = dlg.colorButton(CaptionColor)->color();
        dlg.colorButton(CaptionColor)->setColor(Qt::red);
        QCOMPARE(dlg.schemeCombo()->currentIndex(), -1);
        QCOMPARE(dlg.colorButton(WorkspaceColor)->color(), schemeOf(5).first());
        dlg.colorButton(CaptionColor)->setColor(caption);
        QCOMPARE(dlg.schemeCombo()->currentIndex(), 5);
        // Nothing reached the manager.
        QCOMPARE(managerColors(manager), schemeOf(9));
    }

    void cancelWritesNothing()
    {
        ColorManager manager;
        manager.loadScheme(1);
        const QFont before = manager.font();
        ScriptedPrompts prompts;
        prompts.script(Kind::Font, QFont(QStringLiteral("Monospace"), 21));
        prompts.onDialog([](QDialog* d) {
            auto* dlg = qobject_cast<ColorManager_SetupDlg*>(d);
            QVERIFY(dlg);
            dlg->schemeCombo()->setCurrentIndex(5);
            dlg->fontCtrl()->click();
        });
        // No answer scripted: the dialog is cancelled.
        QVERIFY(!manager.setup(nullptr));
        QCOMPARE(prompts.count(Kind::Font), 1);
        QCOMPARE(managerColors(manager), schemeOf(1));
        QCOMPARE(manager.font(), before);
    }

    void acceptStoresColoursAndFont()
    {
        ColorManager manager;
        manager.loadScheme(2);
        StyledWindow window;
        ScriptedPrompts prompts;
        prompts.script(Kind::Color, QColor(0x12, 0x34, 0x56));
        prompts.script(Kind::Font, QFont(QStringLiteral("Monospace"), 21));
        int shownIndex = -2;
        prompts.script(Kind::Dialog, int(QDialog::Accepted));
        prompts.onDialog([&shownIndex](QDialog* d) {
            auto* dlg = qobject_cast<ColorManager_SetupDlg*>(d);
            QVERIFY(dlg);
            ColorButton* border = dlg->colorButton(BorderColor);
            QTest::mouseClick(border, Qt::LeftButton, {}, border->rect().center());
            shownIndex = dlg->schemeCombo()->currentIndex();
            dlg->fontCtrl()->click();
        });
        QVERIFY(manager.setup(&window));

        // The chooser was opened on the button's colour, titled by its label.
        QCOMPARE(prompts.last(Kind::Color).color, ColorManager::GetSchemeColor(2, BorderColor));
        QCOMPARE(prompts.last(Kind::Color).title, QStringLiteral("Border"));
        QCOMPARE(shownIndex, -1);
        QList<QColor> expected = schemeOf(2);
        expected[BorderColor] = QColor(0x12, 0x34, 0x56);
        QCOMPARE(managerColors(manager), expected);
        QCOMPARE(manager.font().family(), QStringLiteral("Monospace"));
        QCOMPARE(manager.font().pointSize(), 21);
        QCOMPARE(window.rebuilt, 1);
    }

    void cancelledChooserKeepsTheColour()
    {
        ColorManager manager;
        ColorManager_SetupDlg dlg(&manager);
        ScriptedPrompts prompts;
        QSignalSpy changed(dlg.colorButton(PanelColor), &ColorButton::colorChanged);
        dlg.colorButton(PanelColor)->choose();
        QCOMPARE(prompts.count(Kind::Color), 1);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(dlg.colorButton(PanelColor)->color(), QColor(Qt::white));
    }
};

ORVANE_TEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
