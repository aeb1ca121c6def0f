#include "WaitCursor.h"

#include <QGuiApplication>

WaitCursor::WaitCursor()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_shown = true;
}

WaitCursor::~WaitCursor()
{
    // Someone may have restored every override cursor meanwhile; restoring
    // with none left does nothing, so this stays harmless.
    if (m_shown && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}
