// A one-line text editor laid over a control, for editing a name in place.
//
// It is a child of the control it edits, so it never outlives it. An edit
// ends exactly once, and then the editor emits finished(ok, text, keepFocus)
// and deletes itself (later, through the event loop):
//   Return or Enter     ok, keepFocus: the text is accepted, the control
//                       should take the focus back;
//   Escape              not ok, keepFocus;
//   focus lost          ok, not keepFocus: a click elsewhere accepts, and
//                       the focus stays where the user put it (after the
//                       event that moved the focus has been handled);
//   stopEditing(k, a)   ok = a, keepFocus = k.
// An edit that ends because its parent is destroyed emits nothing: there is
// nobody left to tell. Hold the editor in a QPointer to know whether it is
// still open. GUI thread only.
#pragma once

#include <QLineEdit>
#include <QRect>
#include <QString>

class InlineEdit : public QLineEdit
{
    Q_OBJECT

public:
    // Shows the editor over rect (in parent's coordinates) holding text and
    // gives it the focus. selectAll: the whole text starts selected, so
    // typing replaces it; otherwise the cursor starts after the text, so
    // typing continues it. maxChars: the most characters it takes (0 or
    // less: no limit); a longer text is cut.
    InlineEdit(QWidget* parent, const QRect& rect, const QString& text, bool selectAll, int maxChars);
    ~InlineEdit() override;

    // Ends the edit from outside; nothing once it has ended.
    void stopEditing(bool keepFocus, bool accept);
    bool isFinished() const { return m_finished; }

signals:
    void finished(bool ok, const QString& text, bool keepFocus);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void finish(bool ok, bool keepFocus);

    bool m_finished = false;
};
