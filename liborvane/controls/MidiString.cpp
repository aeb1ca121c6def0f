#include "MidiString.h"

#include "Drawing.h"
#include "MidiDevice.h"
#include "Panel.h"
#include "Strings.h"
#include "Sysex.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

constexpr int Blank = 32;
constexpr int Unknown = '?';

} // namespace

QPointer<InlineEdit> MidiString::m_edit;

MidiString::MidiString(Panel* panel, const StringInfo& descriptor)
    : MyCtrl(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(descriptor)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

MidiString::~MidiString() = default;

int MidiString::toSevenBit(QChar c)
{
    if (c.unicode() < 0x80)
        return c.unicode();
    // An accented letter keeps its plain letter.
    const QString plain = QString(c).normalized(QString::NormalizationForm_D);
    if (!plain.isEmpty() && IsPrintable(plain.at(0).unicode()))
        return plain.at(0).unicode();
    return Unknown;
}

// --- editing -----------------------------------------------------------------------------

void MidiString::edit(const QString& text, bool selectAll)
{
    QString name = text;
    trimRight(name, ' ');
    auto* editor = new InlineEdit(this, QRect(0, 0, width(), height()), name, selectAll, info.chars);
    editor->setFont(QFont(QString::fromLatin1(EditorFont), EditorFontSize));
    editor->setStyleSheet(QString::fromLatin1(EditorStyle));
    connect(editor, &InlineEdit::finished, this, &MidiString::onFinishedEdit);
    m_edit = editor;
}

void MidiString::stopEditing(bool ok)
{
    if (m_edit)
        m_edit->stopEditing(true, ok);
}

void MidiString::onFinishedEdit(bool ok, const QString& text, bool keepFocus)
{
    // Another control's editor may have opened meanwhile: only this one's
    // own ends here.
    if (m_edit == sender())
        m_edit = nullptr;
    if (keepFocus)
        setFocus(Qt::OtherFocusReason);
    if (ok)
        changeText(text);
}

void MidiString::mousePressEvent(QMouseEvent*)
{
    edit();
}

void MidiString::keyPressEvent(QKeyEvent* event)
{
    QString typed = event->text();
    trimRight(typed, ' ');
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) {
        event->accept();
        edit();
        return;
    }
    const int first = typed.isEmpty() ? 0 : typed.at(0).unicode();
    if (IsPrintable(first > 255 ? 0 : first)) {
        event->accept();
        edit(typed, false);
        return;
    }
    event->ignore();
}

// --- name ------------------------------------------------------------------------------------

void MidiString::changeText(const QString& text)
{
    QString name;
    name.reserve(text.size());
    for (QChar c : text)
        name += QChar(toSevenBit(c));
    trimRight(name, ' ');
    setText(name);
    updateAccessibility(name);
    updateSynth();
}

void MidiString::setChar(int index, int c)
{
    if (index < 0 || index >= info.chars)
        return;
    if (!IsPrintable(c))
        c = Blank;
    QString name = text().leftJustified(info.chars, QLatin1Char(' '));
    if (name.at(index).unicode() == c)
        return;
    name[index] = QChar(c);
    trimRight(name, ' ');
    setText(name);
    updateAccessibility(name);
}

void MidiString::updateSynth()
{
    MidiDevice* midi = device();
    if (!midi)
        return;
    const QString name = text();
    for (int i = 0; i < info.chars; ++i)
        midi->paramChange(info.param + i, i < name.size() ? toSevenBit(name.at(i)) : Blank);
    for (int i = 0; i < info.chars; ++i)
        midi->paramRequest(info.param + i);
}

void MidiString::MidiReceive()
{
    if (info.no_request)
        return;
    for (int i = 0; i < info.chars; ++i)
        requestParam(info.param + i);
}

void MidiString::OnSysex(Sysex* message)
{
    if (!message)
        return;
    for (int i = 0; i < info.chars; ++i) {
        const int data = message->getParameterData(info.param + i);
        if (data != -1)
            setChar(i, data & 0xFF);
    }
}

void MidiString::paint(QPainter* p, const QRect& r)
{
    DrawBox(p, r);
    PrepareFont(p);
    DrawText(p, QRect(QPoint(r.left() + 3, r.top() + 1), QPoint(r.right() - 2, r.bottom() - 1)), text(),
             false, 0);
}
