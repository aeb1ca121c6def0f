#include "ColorButton.h"

#include "Prompts.h"

#include <QKeyEvent>
#include <QPainter>

// --- ColorButton ---------------------------------------------------------------------

ColorButton::ColorButton(QWidget* parent) : MyCtrl(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

ColorButton::~ColorButton() = default;

void ColorButton::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    emit colorChanged();
}

void ColorButton::choose()
{
    const QColor chosen = ChooseColor(this, m_color, text());
    if (chosen.isValid())
        setColor(chosen);
}

QSize ColorButton::sizeHint() const
{
    return QSize(58, 20);
}

void ColorButton::paint(QPainter* p, const QRect& whole)
{
    const QRect r = whole.adjusted(0, 0, -1, -1);
    p->fillRect(r, palette().button());
    const QRect swatch = r.adjusted(3, 3, -3, -3);
    // An invalid colour (a scheme read from damaged settings) shows as a
    // crossed box rather than as black.
    if (m_color.isValid()) {
        p->fillRect(swatch, m_color);
    } else {
        p->setPen(palette().color(QPalette::Mid));
        p->drawLine(swatch.topLeft(), swatch.bottomRight());
        p->drawLine(swatch.bottomLeft(), swatch.topRight());
    }
    const bool lit = hasFocus() || testAttribute(Qt::WA_UnderMouse);
    p->setPen(palette().color(lit ? QPalette::Highlight : QPalette::Mid));
    p->drawRect(r);
    p->setPen(palette().color(QPalette::Dark));
    p->drawRect(swatch);
}

void ColorButton::onClick()
{
    choose();
}

void ColorButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose();
        break;
    default:
        MyCtrl::keyPressEvent(event);
    }
}

// --- FontCtrl ----------------------------------------------------------------------------

FontCtrl::FontCtrl(QWidget* parent) : QPushButton(parent)
{
    setText(describe(font()));
    connect(this, &QPushButton::clicked, this, &FontCtrl::choose);
}

FontCtrl::~FontCtrl() = default;

QString FontCtrl::describe(const QFont& font)
{
    const qreal points = font.pointSizeF();
    if (points > 0)
        return QStringLiteral("%1, %2pt").arg(font.family()).arg(points);
    return QStringLiteral("%1, %2px").arg(font.family()).arg(font.pixelSize());
}

void FontCtrl::choose()
{
    QFont chosen = font();
    if (ChooseFont(this, chosen, QStringLiteral("Font")))
        setFont(chosen);
}

void FontCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        setText(describe(font()));
    QPushButton::changeEvent(event);
}
