#include "WindowTour.h"

#include "MainWindow.h"
#include "MidiButton.h"
#include "MidiEdit.h"
#include "PanelDlg.h"
#include "Prompts.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QSet>
#include <QTimer>
#include <QtTest>

namespace WindowTour {

namespace {

// Quiet this long: every answer due has come.
constexpr int QuietMs = 300;
constexpr int PollMs = 25;
// Gives up waiting for quiet after this long (a flood of requests).
constexpr int SettleLimitMs = 20000;

QList<QWidget*> visibleWindows()
{
    QList<QWidget*> list;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            list.append(w);
    }
    return list;
}

QAction* commandAction(MainWindow* window, const QString& text)
{
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text() == text && !action->menu())
            return action;
    }
    return nullptr;
}

class Tour
{
public:
    Tour(const std::function<void()>& settle, const Visit& visit) : m_settle(settle), m_visit(visit) {}

    // The view, then every section window one of its buttons opens (hidden
    // buttons too: those of the tabs not shown).
    void visitTree(QWidget* view, const QString& name)
    {
        m_visit(view, name);
        for (MidiButton* button : view->findChildren<MidiButton*>()) {
            if (!button->buttonInfo().hasSection() || !button->isEnabled())
                continue;
            button->click();
            PanelDlg* opened = button->sectionWindow();
            if (!opened || !opened->isVisible() || opened == view)
                continue;
            // A section once (each element's own window looks the same);
            // the effect windows once per effect type.
            const QString section = button->buttonInfo().section;
            const bool effect = section == QLatin1String("Effects Parameters");
            const QString key = effect ? section + QLatin1Char('|') + opened->windowTitle() : section;
            if (m_seen.contains(key)) {
                opened->close();
                continue;
            }
            m_seen.insert(key);
            if (!QTest::qWaitForWindowExposed(opened))
                continue;
            m_settle();
            visitTree(opened, effect ? opened->windowTitle() : section);
            opened->close();
        }
    }

private:
    std::function<void()> m_settle;
    Visit m_visit;
    QSet<QString> m_seen;
};

} // namespace

QStringList commandTexts()
{
    return {QStringLiteral("&System Settings..."), QStringLiteral("&Keyboard"),
            QStringLiteral("&MIDI Setup..."),      QStringLiteral("&Appearance..."),
            QStringLiteral("PLG Setup..."),        QStringLiteral("&Voice Copier...")};
}

void tour(MainWindow* window, ScriptedPrompts& prompts, const std::function<void()>& settle, const Visit& visit)
{
    Tour walk(settle, visit);
    walk.visitTree(window, QStringLiteral("main"));

    for (const QString& text : commandTexts()) {
        QAction* action = commandAction(window, text);
        if (!action || !action->isEnabled())
            continue;
        QString name = QStringLiteral("command ") + text;
        name.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
        prompts.onDialog([&](QDialog* dialog) {
            dialog->show();
            if (QTest::qWaitForWindowExposed(dialog))
                walk.visitTree(dialog, name);
            dialog->hide();
        });
        // A dialog that runs its own event loop rather than through the
        // prompts is seen once it is the active modal window, then closed.
        QTimer modal;
        modal.setInterval(5);
        QObject::connect(&modal, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            modal.stop();
            if (QTest::qWaitForWindowExposed(dialog))
                walk.visitTree(dialog, name);
            dialog->reject();
        });
        modal.start();
        const QList<QWidget*> before = visibleWindows();
        action->trigger();
        modal.stop();
        prompts.onDialog(nullptr);
        for (QWidget* opened : visibleWindows()) {
            if (before.contains(opened))
                continue;
            if (!QTest::qWaitForWindowExposed(opened))
                continue;
            settle();
            walk.visitTree(opened, name);
            opened->close();
        }
    }
}

void settleOn(const std::function<int()>& received)
{
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer quiet;
    quiet.start();
    int last = received();
    while (!clock.hasExpired(SettleLimitMs)) {
        QTest::qWait(PollMs);
        const int now = received();
        if (now != last) {
            last = now;
            quiet.restart();
        } else if (quiet.hasExpired(QuietMs)) {
            return;
        }
    }
}

} // namespace WindowTour
