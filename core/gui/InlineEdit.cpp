#include "InlineEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

InlineEdit::InlineEdit(QWidget* parent, const QRect& rect, const QString& text, bool selectAll, int maxChars)
    : QLineEdit(parent)
{
    if (maxChars > 0)
        setMaxLength(maxChars);
    setText(maxChars > 0 ? text.left(maxChars) : text);
    setGeometry(rect);
    if (selectAll)
        this->selectAll();
    else
        end(false);
    show();
    setFocus(Qt::OtherFocusReason);
}

InlineEdit::~InlineEdit() = default;

void InlineEdit::stopEditing(bool keepFocus, bool accept)
{
    finish(accept, keepFocus);
}

void InlineEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(true, true);
        return;
    case Qt::Key_Escape:
        finish(false, true);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void InlineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A menu or another window taking the focus for a moment does not end
    // the edit; the focus comes back.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    // Ended on the next turn of the event loop, not here: the focus also
    // goes when the parent is being destroyed, and then the receiver of
    // finished is half gone. A destroyed editor drops the call.
    QTimer::singleShot(0, this, [this] {
        if (!hasFocus())
            finish(true, false);
    });
}

void InlineEdit::finish(bool ok, bool keepFocus)
{
    if (m_finished)
        return;
    // Marked first: hiding moves the focus away, and the focus-out that
    // brings must not end the edit a second time.
    m_finished = true;
    const QString result = text();
    QPointer<InlineEdit> self(this);
    hide();
    emit finished(ok, result, keepFocus);
    // The receiver may have destroyed the parent, and this editor with it.
    if (self)
        deleteLater();
}
