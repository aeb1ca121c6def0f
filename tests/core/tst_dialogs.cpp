// The dialog building blocks, the prompts every program asks through (the
// scripted ones that tests answer, and Qt's real boxes driven by keys), the
// file filters and remembered folders, and the core's images.
#include "Dialog.h"
#include "Images.h"
#include "Profile.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "WhenModal.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

namespace {

using Kind = ScriptedPrompts::Kind;

// A dialog that counts how often its apply() ran.
class ApplyCounter : public Dialog
{
public:
    int applied = 0;
    void apply() override { ++applied; }
};

void pressKey(QWidget* w, Qt::Key key)
{
    QTest::keyClick(w, key);
}

QStringList rowLabels(const DialogForm* form)
{
    QStringList labels;
    for (int r = 0; r < form->form()->rowCount(); ++r) {
        if (QLayoutItem* item = form->form()->itemAt(r, QFormLayout::LabelRole))
            labels << qobject_cast<QLabel*>(item->widget())->text();
    }
    return labels;
}

// The names the programs ask "core:" for.
const QStringList SuiteImages = {
    QStringLiteral("open"),         QStringLiteral("save"),
    QStringLiteral("save2"),        QStringLiteral("new"),
    QStringLiteral("receive"),      QStringLiteral("store"),
    QStringLiteral("delete"),       QStringLiteral("dup"),
    QStringLiteral("searchfile"),   QStringLiteral("midi"),
    QStringLiteral("midi2"),        QStringLiteral("piano"),
    QStringLiteral("properties"),   QStringLiteral("copy2"),
    QStringLiteral("paste2"),       QStringLiteral("from"),
    QStringLiteral("to"),           QStringLiteral("zoomin"),
    QStringLiteral("zoomout"),      QStringLiteral("misc/up"),
    QStringLiteral("misc/down"),    QStringLiteral("sl2/undo"),
    QStringLiteral("sl2/redo"),     QStringLiteral("gnu/cc-new2"),
    QStringLiteral("gnu/cc-open2"), QStringLiteral("gnu/gn-undo"),
    QStringLiteral("gnu/nv-find"),  QStringLiteral("nuvola/options"),
    QStringLiteral("nuvola/pdf"),   QStringLiteral("tango/colors"),
};

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { Profile::settings()->remove(QStringLiteral("Folders")); }

    // --- Dialog ---------------------------------------------------------------

    void dialogEndings_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("applied");
        QTest::newRow("OK button") << "ok" << 1 << 1;
        QTest::newRow("Enter") << "enter" << 1 << 1;
        QTest::newRow("Cancel button") << "cancel" << 0 << 0;
        QTest::newRow("Escape") << "escape" << 0 << 0;
        QTest::newRow("window closed") << "close" << 0 << 0;
    }

    void dialogEndings()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(int, applied);

        ApplyCounter dlg;
        auto* edit = new QLineEdit(&dlg);
        dlg.addRow(edit);
        QDialogButtonBox* box = dlg.addHButtons(5, false);
        QCOMPARE(dlg.buttons(), box);
        whenModal<QWidget>([&](QWidget* w) {
            QCOMPARE(w, static_cast<QWidget*>(&dlg));
            if (how == QLatin1String("ok"))
                box->button(QDialogButtonBox::Ok)->click();
            else if (how == QLatin1String("cancel"))
                box->button(QDialogButtonBox::Cancel)->click();
            else if (how == QLatin1String("enter"))
                pressKey(edit, Qt::Key_Return);
            else if (how == QLatin1String("escape"))
                pressKey(edit, Qt::Key_Escape);
            else
                dlg.close();
        });
        QCOMPARE(dlg.exec(), result);
        QCOMPARE(dlg.applied, applied);
    }

    void otherButtonSets()
    {
        ApplyCounter column;
        QDialogButtonBox* box = column.addVButtons(5, true);
        QCOMPARE(box->orientation(), Qt::Vertical);
        box->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(column.result(), 1);
        QCOMPARE(column.applied, 1);

        ApplyCounter closing;
        QDialogButtonBox* close = closing.addCloseButton(3);
        QVERIFY(!close->button(QDialogButtonBox::Ok));
        closing.setResult(-1);
        close->button(QDialogButtonBox::Close)->click();
        QCOMPARE(closing.result(), 0);
        QCOMPARE(closing.applied, 0);
    }

    void rowsInOrder()
    {
        Dialog dlg;
        dlg.setMargin(8, -3);
        dlg.setSpacing(4);
        auto* first = new QLineEdit(&dlg);
        dlg.addRow(first);
        QLabel* label = dlg.addRow(QStringLiteral("Enter Name:"));
        dlg.addSpacer(3);
        QHBoxLayout* row = dlg.addHLayout(10);
        auto* form = new QFormLayout;
        dlg.addRow(form);
        dlg.addHButtons(1, false);

        QVBoxLayout* rows = dlg.rows();
        QCOMPARE(rows->count(), 6);
        QCOMPARE(rows->itemAt(0)->widget(), first);
        QCOMPARE(rows->itemAt(1)->widget(), label);
        QCOMPARE(label->text(), QStringLiteral("Enter Name:"));
        QVERIFY(rows->itemAt(2)->spacerItem());
        QCOMPARE(rows->itemAt(3)->layout(), row);
        QCOMPARE(row->spacing(), 10);
        QCOMPARE(rows->itemAt(4)->layout(), form);
        QCOMPARE(rows->itemAt(5)->widget(), dlg.buttons());
        QCOMPARE(rows->contentsMargins(), QMargins(8, 0, 8, 0));
        QCOMPARE(rows->spacing(), 4);
    }

    void fixedWindowFollowsItsRows()
    {
        SetFixedWindow(nullptr);

        Dialog dlg;
        SetFixedWindow(&dlg);
        dlg.addRow(QStringLiteral("short"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        const int before = dlg.width();

        auto* wide = new QWidget(&dlg);
        wide->setMinimumWidth(before + 200);
        dlg.addRow(wide);
        wide->show();
        dlg.layout()->activate();
        QVERIFY(dlg.width() >= before + 200);
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    }

    // --- DialogForm -----------------------------------------------------------

    void formWithIcon()
    {
        Dialog dlg;
        QHBoxLayout* row = dlg.addHLayout(4);
        auto* form = new DialogForm(QStringLiteral("Vesk ES Setup"), QStringLiteral("core:midi.png"), 7, row);
        QCOMPARE(form->parentWidget(), &dlg);
        QCOMPARE(row->indexOf(form), 0);
        QCOMPARE(form->title(), QStringLiteral("Vesk ES Setup"));
        QCOMPARE(form->iconName(), QStringLiteral("core:midi.png"));
        QVERIFY(form->iconLabel());
        QVERIFY(!form->iconLabel()->pixmap().isNull());

        auto* field = new QLineEdit;
        QLabel* label = form->addRow(QStringLiteral("MIDI &In"), field, 230);
        QCOMPARE(label->buddy(), field);
        QCOMPARE(field->minimumWidth(), 230);
        QCOMPARE(form->rowLabel(field), label);
        QVERIFY(!form->addRow(QStringLiteral("nothing"), nullptr, -1));
    }

    void formWithoutIcon()
    {
        QVBoxLayout outer;
        auto* form = new DialogForm(QStringLiteral("Parameters"), 5, 15, &outer);
        QCOMPARE(outer.indexOf(form), 0);
        QVERIFY(!form->iconLabel());
        QCOMPARE(form->form()->verticalSpacing(), 15);

        auto* slider = new QLineEdit;
        auto* other = new QLineEdit;
        form->addRow(QStringLiteral("hi"), slider, -1);
        form->addSpacer(4);
        form->addRow(QStringLiteral("hi"), other, 200);
        QCOMPARE(slider->minimumWidth(), 0);
        QCOMPARE(form->form()->rowCount(), 3);

        // Row labels are replaced later by the dialogs that show values in them.
        QVERIFY(form->setRowLabel(slider, QStringLiteral("Curve Hardness: 120%")));
        QCOMPARE(rowLabels(form),
                 (QStringList{QStringLiteral("Curve Hardness: 120%"), QStringLiteral("hi")}));
        QLineEdit stranger;
        QVERIFY(!form->setRowLabel(&stranger, QStringLiteral("x")));
        QVERIFY(!form->rowLabel(nullptr));
        delete form;
    }

    // --- CheckListWidget --------------------------------------------------------

    void checkList()
    {
        CheckListWidget list;
        QCOMPARE(list.add(QStringLiteral("USER1"), true), 0);
        QCOMPARE(list.add(QStringLiteral("USER2"), false), 1);
        QCOMPARE(list.add(QStringLiteral("USER3"), true), 2);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.item(1)->text(), QStringLiteral("USER2"));
        QVERIFY(list.checked(0));
        QVERIFY(!list.checked(1));

        list.setChecked(0, false);
        list.setChecked(1, true);
        QVERIFY(!list.checked(0));
        QVERIFY(list.checked(1));

        // A tick the user makes is what checked() reports.
        QVERIFY(list.item(2)->flags() & Qt::ItemIsUserCheckable);
        list.item(2)->setCheckState(Qt::Unchecked);
        QVERIFY(!list.checked(2));

        for (int bad : {-1, 3, 100}) {
            list.setChecked(bad, true);
            QVERIFY(!list.checked(bad));
        }
        QCOMPARE(list.count(), 3);
    }

    // --- The scripted prompts ------------------------------------------------------

    void scriptedAnswers()
    {
        ScriptedPrompts prompts;
        QWidget parent;

        error(&parent, QStringLiteral("Cannot open file."), QStringLiteral("Error"));
        warning(&parent, QStringLiteral("Bad file."), QStringLiteral("Native File"));
        info(nullptr, QStringLiteral("Done."), QString());
        // Message boxes take (parent, text, title).
        const ScriptedPrompts::Call err = prompts.last(Kind::Error);
        QCOMPARE(err.parent.data(), &parent);
        QCOMPARE(err.text, QStringLiteral("Cannot open file."));
        QCOMPARE(err.title, QStringLiteral("Error"));
        QCOMPARE(prompts.last(Kind::Warning).title, QStringLiteral("Native File"));
        QCOMPARE(prompts.last(Kind::Info).text, QStringLiteral("Done."));

        prompts.script(Kind::YesNo, true);
        prompts.script(Kind::YesNo, false);
        QVERIFY(yesNo(&parent, QStringLiteral("Overwrite USER1:001?"), QString()));
        QVERIFY(!yesNo(&parent, QStringLiteral("Overwrite USER1:002?"), QString()));
        QCOMPARE(prompts.last(Kind::YesNo).text, QStringLiteral("Overwrite USER1:002?"));

        prompts.script(Kind::OkCancel, true);
        QVERIFY(okCancel(&parent, QStringLiteral("Load them now?"), QStringLiteral("Load User Voices")));

        prompts.script(Kind::Choice, QStringLiteral("Pattern"));
        QCOMPARE(choice(&parent, QStringLiteral("Select which mode you want to work with."),
                        QStringLiteral("Mix Mode Needed"), QStringLiteral("Song"), QStringLiteral("Pattern")),
                 QStringLiteral("Pattern"));
        QCOMPARE(prompts.last(Kind::Choice).items,
                 (QStringList{QStringLiteral("Song"), QStringLiteral("Pattern")}));

        prompts.script(Kind::Save, int(PromptSaveDiscard));
        QCOMPARE(promptSave(&parent, QStringLiteral("/tmp/a.mix"), QString()), int(PromptSaveDiscard));
        QCOMPARE(prompts.last(Kind::Save).text, QStringLiteral("/tmp/a.mix"));

        const QStringList models = {QStringLiteral("Model A"), QStringLiteral("Model B")};
        prompts.script(Kind::Item, QStringLiteral("Model B"));
        QCOMPARE(ChoseItem(nullptr, QStringLiteral("Select model"), QStringLiteral("Instrument model:"),
                           models, -1),
                 QStringLiteral("Model B"));
        const ScriptedPrompts::Call item = prompts.last(Kind::Item);
        QVERIFY(!item.parent);
        QCOMPARE(item.title, QStringLiteral("Select model"));
        QCOMPARE(item.text, QStringLiteral("Instrument model:"));
        QCOMPARE(item.items, models);
        QCOMPARE(item.initial, -1);

        prompts.script(Kind::FileOpen, QStringLiteral("/x/a.ins"));
        QCOMPARE(PromptFileOpen(nullptr, QStringLiteral("Instrument Definition Files (*.ins)"),
                                QStringLiteral("Select Instrument Definition File"), QString(),
                                QStringLiteral("ins")),
                 QStringLiteral("/x/a.ins"));
        prompts.script(Kind::FilesOpen, QStringList{QStringLiteral("/x/a.w7v"), QStringLiteral("/x/b.w7v")});
        QCOMPARE(PromptFilesOpen(nullptr, QStringLiteral("Native Files (*.w7v);;"), QStringLiteral("Import")),
                 (QStringList{QStringLiteral("/x/a.w7v"), QStringLiteral("/x/b.w7v")}));
        prompts.script(Kind::FileSave, QStringLiteral("/x/out.txt"));
        QCOMPARE(PromptFileSave(nullptr, QStringLiteral("Text Files (*.txt)"), QStringLiteral("Export"),
                                QStringLiteral("out.txt")),
                 QStringLiteral("/x/out.txt"));

        QCOMPARE(prompts.calls().size(), 12);
        QCOMPARE(prompts.count(Kind::YesNo), 2);
    }

    // Without a scripted answer a prompt answers as if the user closed it.
    void unscriptedAnswersCancel()
    {
        ScriptedPrompts prompts;
        QVERIFY(!yesNo(nullptr, QStringLiteral("q"), QString()));
        QVERIFY(!okCancel(nullptr, QStringLiteral("q"), QString()));
        QCOMPARE(choice(nullptr, QStringLiteral("q"), QString(), QStringLiteral("A"), QStringLiteral("B")),
                 QString());
        QCOMPARE(promptSave(nullptr, QStringLiteral("/tmp/a.mix"), QString()), int(PromptSaveCancel));
        QCOMPARE(ChoseItem(nullptr, QString(), QString(), {QStringLiteral("A")}, 0), QString());
        QCOMPARE(PromptFileOpen(nullptr, QString(), QString()), QString());
        QCOMPARE(PromptFilesOpen(nullptr, QString(), QString()), QStringList());
        QCOMPARE(PromptFileSave(nullptr, QString(), QString()), QString());

        // Answers go to their own kind only, in order; clear() drops the rest.
        prompts.script(Kind::OkCancel, true);
        QVERIFY(!yesNo(nullptr, QStringLiteral("q"), QString()));
        prompts.script(Kind::OkCancel, true);
        prompts.clear();
        QVERIFY(prompts.calls().isEmpty());
        QVERIFY(!okCancel(nullptr, QStringLiteral("q"), QString()));
    }

    void scriptedChoosersAndMenus()
    {
        ScriptedPrompts prompts;
        QFont font(QStringLiteral("Serif"), 9);
        QVERIFY(!ChooseColor(nullptr, Qt::red, QStringLiteral("Border")).isValid());
        QVERIFY(!ChooseFont(nullptr, font, QString()));
        QCOMPARE(font.family(), QStringLiteral("Serif"));
        prompts.script(Kind::Color, QColor(Qt::blue));
        QCOMPARE(ChooseColor(nullptr, Qt::red, QStringLiteral("Border")), QColor(Qt::blue));
        QCOMPARE(prompts.last(Kind::Color).color, QColor(Qt::red));
        prompts.script(Kind::Font, QFont(QStringLiteral("Monospace"), 11));
        QVERIFY(ChooseFont(nullptr, font, QString()));
        QCOMPARE(font.family(), QStringLiteral("Monospace"));

        // A menu is answered by the data of an entry: the first enabled one,
        // sub-menus searched in menu order.
        QWidget owner;
        QMenu menu(&owner);
        QAction* off = menu.addAction(QStringLiteral("off"));
        off->setData(7);
        off->setEnabled(false);
        QMenu* sub = menu.addMenu(QStringLiteral("Sub"));
        QAction* inner = sub->addAction(QStringLiteral("inner"));
        inner->setData(7);
        QAction* outer = menu.addAction(QStringLiteral("outer"));
        outer->setData(7u);
        prompts.script(Kind::Popup, 7u);
        QCOMPARE(RunPopupMenu(&menu, QPoint(3, 4)), inner);
        const ScriptedPrompts::Call call = prompts.last(Kind::Popup);
        QCOMPARE(call.parent.data(), &owner);
        QCOMPARE(call.items, (QStringList{"off", "Sub", "outer"}));
        QCOMPARE(call.pos, QPoint(3, 4));
        prompts.script(Kind::Popup, 8);
        QCOMPARE(RunPopupMenu(&menu, QPoint()), nullptr);
        QCOMPARE(RunPopupMenu(&menu, QPoint()), nullptr);
    }

    void installingAndRestoring()
    {
        Prompts* real = Prompts::current();
        QVERIFY(dynamic_cast<QtPrompts*>(real));
        {
            ScriptedPrompts outer;
            QCOMPARE(Prompts::current(), &outer);
            {
                ScriptedPrompts inner;
                QCOMPARE(Prompts::current(), &inner);
                error(nullptr, QStringLiteral("inner"), QString());
                QCOMPARE(inner.count(Kind::Error), 1);
            }
            QCOMPARE(Prompts::current(), &outer);
            QCOMPARE(outer.count(Kind::Error), 0);
        }
        QCOMPARE(Prompts::current(), real);

        ScriptedPrompts explicitOne;
        QCOMPARE(Prompts::install(nullptr), &explicitOne);
        QCOMPARE(Prompts::current(), real);
        QCOMPARE(Prompts::install(&explicitOne), nullptr);
    }

    // --- File prompts --------------------------------------------------------------

    void filterConversion_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("native files") << "Native Files (*.w7a;*.w7v;*.w7e;*.s7a;*.s7v;*.s7e;*.m7a);;"
                                      << "Native Files (*.w7a *.w7v *.w7e *.s7a *.s7v *.s7e *.m7a)";
        QTest::newRow("trailing separator") << "Voice Files (*.voi);;"
                                            << "Voice Files (*.voi)";
        QTest::newRow("already Qt's") << "Ini Files (*.ini)"
                                      << "Ini Files (*.ini)";
        QTest::newRow("two filters, blanks, empties") << "Voice Files (*.voi);;Mix Files ( *.mix; *.mx2 );;;;"
                                                      << "Voice Files (*.voi);;Mix Files (*.mix *.mx2)";
        QTest::newRow("bare patterns") << "*.a;*.b"
                                       << "*.a *.b";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only separators") << ";;;;"
                                         << "";
    }

    void filterConversion()
    {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(QtFileFilter(filter), expected);
    }

    void filePromptsGetQtFilters()
    {
        ScriptedPrompts prompts;
        PromptFileOpen(nullptr, QStringLiteral("Native Files (*.w7a;*.w7v);;"),
                       QStringLiteral("Import Native File"), QString(), QStringLiteral("NativeFolder"));
        QCOMPARE(prompts.last(Kind::FileOpen).filter, QStringLiteral("Native Files (*.w7a *.w7v)"));
        QCOMPARE(prompts.last(Kind::FileOpen).title, QStringLiteral("Import Native File"));
        PromptFilesOpen(nullptr, QStringLiteral("Native Files (*.w7a;*.w7v);;"), QString());
        QCOMPARE(prompts.last(Kind::FilesOpen).filter, QStringLiteral("Native Files (*.w7a *.w7v)"));
        PromptFileSave(nullptr, QStringLiteral("Text Files (*.txt);;"), QString());
        QCOMPARE(prompts.last(Kind::FileSave).filter, QStringLiteral("Text Files (*.txt)"));
    }

    void rememberedFolders()
    {
        QTemporaryDir given;
        QTemporaryDir chosen;
        QVERIFY(given.isValid() && chosen.isValid());
        const QString key = QStringLiteral("NativeFolder");
        ScriptedPrompts prompts;

        // Nothing remembered yet: the caller's folder.
        prompts.script(Kind::FileOpen, chosen.filePath(QStringLiteral("a.w7v")));
        PromptFileOpen(nullptr, QString(), QString(), given.path(), key);
        QCOMPARE(prompts.last(Kind::FileOpen).start, given.path());
        QCOMPARE(RememberedFolder(key), chosen.path());

        // From now on the remembered folder wins; a cancelled prompt keeps it.
        PromptFileOpen(nullptr, QString(), QString(), given.path(), key);
        QCOMPARE(prompts.last(Kind::FileOpen).start, chosen.path());
        QCOMPARE(RememberedFolder(key), chosen.path());

        // The proposed name keeps its file name in the remembered folder.
        PromptFileSave(nullptr, QString(), QString(), given.filePath(QStringLiteral("Untitled.mix")), key);
        QCOMPARE(prompts.last(Kind::FileSave).start, chosen.filePath(QStringLiteral("Untitled.mix")));

        // Without a key nothing is read or remembered.
        prompts.script(Kind::FileSave, given.filePath(QStringLiteral("x.txt")));
        PromptFileSave(nullptr, QString(), QString(), QStringLiteral("x.txt"), QString());
        QCOMPARE(prompts.last(Kind::FileSave).start, QStringLiteral("x.txt"));
        QCOMPARE(RememberedFolder(key), chosen.path());

        // Several files remember the folder of the first.
        prompts.script(Kind::FilesOpen, QStringList{given.filePath(QStringLiteral("1.w7v"))});
        PromptFilesOpen(nullptr, QString(), QString(), QString(), key);
        QCOMPARE(RememberedFolder(key), given.path());

        // A remembered folder that is gone is ignored.
        const QString gone = chosen.path();
        chosen.remove();
        Profile::writeProfileString(QStringLiteral("Folders"), key, gone);
        QCOMPARE(RememberedFolder(key), QString());
        PromptFileOpen(nullptr, QString(), QString(), given.path(), key);
        QCOMPARE(prompts.last(Kind::FileOpen).start, given.path());
    }

    // --- Qt's real boxes, answered with keys and clicks -----------------------------

    void realSavePrompt_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::newRow("Save") << "save" << int(PromptSaveSave);
        QTest::newRow("Discard") << "discard" << int(PromptSaveDiscard);
        QTest::newRow("Cancel") << "cancel" << int(PromptSaveCancel);
        QTest::newRow("Escape") << "escape" << int(PromptSaveCancel);
        QTest::newRow("window closed") << "close" << int(PromptSaveCancel);
    }

    void realSavePrompt()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        QVERIFY(dynamic_cast<QtPrompts*>(Prompts::current()));
        whenModal<QWidget>([how](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QVERIFY(box->text().contains(QStringLiteral("a.mix")));
            if (how == QLatin1String("save"))
                box->button(QMessageBox::Save)->click();
            else if (how == QLatin1String("discard"))
                box->button(QMessageBox::Discard)->click();
            else if (how == QLatin1String("cancel"))
                box->button(QMessageBox::Cancel)->click();
            else if (how == QLatin1String("escape"))
                pressKey(box, Qt::Key_Escape);
            else
                box->close();
        });
        QCOMPARE(promptSave(nullptr, QStringLiteral("/tmp/a.mix"), QString()), answer);
    }

    void realBoxesEscape()
    {
        whenModal<QWidget>([](QWidget* w) { pressKey(w, Qt::Key_Escape); });
        QVERIFY(!yesNo(nullptr, QStringLiteral("Overwrite?"), QString()));
        whenModal<QWidget>([](QWidget* w) { pressKey(w, Qt::Key_Return); });
        QVERIFY(yesNo(nullptr, QStringLiteral("Overwrite?"), QString()));
        whenModal<QWidget>([](QWidget* w) { w->close(); });
        QVERIFY(!okCancel(nullptr, QStringLiteral("Load?"), QString()));

        whenModal<QWidget>([](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Oops"));
            QCOMPARE(box->text(), QStringLiteral("Cannot read."));
            pressKey(box, Qt::Key_Escape);
        });
        error(nullptr, QStringLiteral("Cannot read."), QStringLiteral("Oops"));
    }

    void realChoice()
    {
        const QString song = QStringLiteral("Song");
        const QString pattern = QStringLiteral("Pattern");
        whenModal<QWidget>([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == pattern)
                    b->click();
            }
        });
        QCOMPARE(choice(nullptr, QStringLiteral("Which mode?"), QString(), song, pattern), pattern);
        whenModal<QWidget>([](QWidget* w) { pressKey(w, Qt::Key_Escape); });
        QCOMPARE(choice(nullptr, QStringLiteral("Which mode?"), QString(), song, pattern), QString());
    }

    void realChooser()
    {
        const QStringList banks = {QStringLiteral("USR"), QStringLiteral("FL1"), QStringLiteral("FL2")};
        whenModal<QWidget>([](QWidget* w) {
            QVERIFY(qobject_cast<QInputDialog*>(w));
            qobject_cast<QDialog*>(w)->accept();
        });
        QCOMPARE(
            ChoseItem(nullptr, QStringLiteral("Bank"), QStringLiteral("Chose destination bank"), banks, 2),
            QStringLiteral("FL2"));
        whenModal<QWidget>([](QWidget* w) { qobject_cast<QDialog*>(w)->accept(); });
        QCOMPARE(ChoseItem(nullptr, QString(), QString(), banks, -1), QStringLiteral("USR"));
        whenModal<QWidget>([](QWidget* w) { pressKey(w, Qt::Key_Escape); });
        QCOMPARE(ChoseItem(nullptr, QString(), QString(), banks, 0), QString());
        // Nothing to choose from: no window at all.
        QCOMPARE(ChoseItem(nullptr, QString(), QString(), QStringList(), 0), QString());
    }

    // --- Images --------------------------------------------------------------------

    void coreImages()
    {
        QCOMPARE(qInitResources_core(), 1);
        QVERIFY(!QImage(QStringLiteral("core:midi.png")).isNull());
        QVERIFY(!QImage(QStringLiteral("core:piano.png")).isNull());

        const QStringList names = CoreImageNames();
        QList<QImage> seen;
        for (const QString& name : SuiteImages) {
            const QString file = name + QStringLiteral(".png");
            QVERIFY2(names.contains(file), qPrintable(file));
            const QImage image(QStringLiteral("core:") + file);
            QVERIFY2(!image.isNull(), qPrintable(file));
            // Every image is a drawing of its own.
            for (const QImage& other : seen)
                QVERIFY2(image != other, qPrintable(file));
            seen << image;
        }
    }
};

ORVANE_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
