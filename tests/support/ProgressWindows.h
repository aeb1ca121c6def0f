// The progress windows the programs show (ProgressDlg.h), as a test finds,
// reads and cancels them. Header-only.
#pragma once

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <memory>

// What a progress window showed.
struct ProgressSeen
{
    bool found = false; // a progress window was shown
    QString title;
    QString text;
    int value = -1;
    bool canceled = false; // its Cancel was pressed
};

// The progress window shown now; null when none is.
inline QWidget* shownProgress()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("progress") && window->isVisible())
            return window;
    }
    return nullptr;
}

inline ProgressSeen seeProgress(QWidget* window)
{
    ProgressSeen seen;
    if (!window)
        return seen;
    seen.found = true;
    seen.title = window->windowTitle();
    if (auto* label = window->findChild<QLabel*>(QStringLiteral("progressText")))
        seen.text = label->text();
    if (auto* bar = window->findChild<QProgressBar*>())
        seen.value = bar->value();
    return seen;
}

// Clicks the window's Cancel; false when it has none, or none enabled.
inline bool pressCancel(QWidget* window)
{
    auto* button = window ? window->findChild<QPushButton*>(QStringLiteral("cancel")) : nullptr;
    if (!button || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

// For work that holds the GUI thread: a click on Cancel, made while the work
// waits, reaches the progress window when the work next lets events run.
// Until a progress window shows (work may let events run before its window
// is due), the click waits for the next turn; after 60 s it gives up. The
// record says what the window showed then, and whether Cancel was pressed.
namespace ProgressWindowsDetail {
inline void cancelWhenShown(std::shared_ptr<ProgressSeen> seen, qint64 deadline)
{
    QMetaObject::invokeMethod(
        qApp,
        [seen, deadline] {
            QWidget* window = shownProgress();
            if (!window && QDateTime::currentMSecsSinceEpoch() < deadline) {
                cancelWhenShown(seen, deadline);
                return;
            }
            *seen = seeProgress(window);
            seen->canceled = pressCancel(window);
        },
        Qt::QueuedConnection);
}
} // namespace ProgressWindowsDetail

inline std::shared_ptr<ProgressSeen> cancelWhenShown()
{
    auto seen = std::make_shared<ProgressSeen>();
    ProgressWindowsDetail::cancelWhenShown(seen, QDateTime::currentMSecsSinceEpoch() + 60000);
    return seen;
}
