#include "MyCtrl.h"

#include "Colors.h"
#include "Drawing.h"
#include "EventMessage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace {

// Hands a posted message to the widget's onMessage; false for other events.
template <typename Widget>
bool deliverMessage(Widget* widget, QEvent* event)
{
    if (event->type() != EventMessage::Type())
        return false;
    const auto* message = static_cast<EventMessage*>(event);
    widget->onMessage(message->id(), message->data(), message->source());
    return true;
}

} // namespace

// --- MyCtrl ------------------------------------------------------------------------

MyCtrl::MyCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_Hover, true);
}

MyCtrl::~MyCtrl() = default;

void MyCtrl::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void MyCtrl::asyncSetTip(const QString& tip)
{
    QTimer::singleShot(0, this, [this, tip] { setToolTip(tip); });
}

void MyCtrl::paint(QPainter*, const QRect&) {}

void MyCtrl::onMessage(int, const QVariant&, const QVariant&) {}

void MyCtrl::onClick() {}

void MyCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(&painter, rect());
}

void MyCtrl::customEvent(QEvent* event)
{
    if (!deliverMessage(this, event))
        QWidget::customEvent(event);
}

void MyCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void MyCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        onClick();
}

// --- MyButton ----------------------------------------------------------------------

MyButton::MyButton(QWidget* parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_Hover, true);
    setAutoDefault(true);
    // A virtual call from a signal: the derived class's override runs, also
    // for clicks made while it is fully built.
    connect(this, &QAbstractButton::clicked, this, [this] { onClicked(); });
}

MyButton::~MyButton() = default;

void MyButton::setOption(Option option, bool on)
{
    if (on)
        m_options |= option;
    else
        m_options &= ~option;
    if (option == DefaultOnEnter) {
        setAutoDefault(on);
        if (!on)
            setDefault(false);
    }
    update();
}

void MyButton::setIcon(const QString& image)
{
    QPushButton::setIcon(image.isEmpty() ? QIcon() : QIcon(image));
}

void MyButton::drawAeroButton(QPainter* p, const QRect& r, const QColor& face)
{
    if (!p || !face.isValid() || !r.isValid())
        return;
    QColor top = GetColor(face, 0, 1.12);
    QColor bottom = GetColor(face, 0, 0.9);
    if (isDown() || isChecked()) {
        top = GetColor(face, 0, 0.82);
        bottom = GetColor(face, 0, 0.95);
    } else if (option(HoverFace) && testAttribute(Qt::WA_UnderMouse) && isEnabled()) {
        top = GetColor(face, 0, 1.2);
        bottom = GetColor(face, 0, 1.0);
    }
    if (!isEnabled()) {
        top = BlendColor(top, 128);
        bottom = BlendColor(bottom, 128);
    }
    FillGradient(p, r.adjusted(1, 1, -1, -1), top, bottom, true, -1);
    QColor frame = GetColor(face, 0, hasFocus() ? 0.45 : 0.62);
    if (!isEnabled())
        frame = BlendColor(frame, 128);
    // The corner pixels stay as they were, which rounds the button off.
    DrawHLine(p, r.top(), r.left() + 1, r.right() - 1, frame);
    DrawHLine(p, r.bottom(), r.left() + 1, r.right() - 1, frame);
    DrawVLine(p, r.left(), r.top() + 1, r.bottom() - 1, frame);
    DrawVLine(p, r.right(), r.top() + 1, r.bottom() - 1, frame);
}

void MyButton::drawButtonText(QPainter* p, const QRect& r, const QColor& color)
{
    if (!p || !r.isValid())
        return;
    QRect area = r.adjusted(3, 1, -3, -1);
    if (isDown())
        area.translate(0, 1);
    const QString label = text();
    const QIcon image = icon();
    const QSize size = image.isNull() ? QSize() : iconSize();
    const int gap = (!image.isNull() && !label.isEmpty()) ? 4 : 0;
    const int textWidth =
        label.isEmpty() ? 0 : p->fontMetrics().horizontalAdvance(QString(label).remove(QLatin1Char('&')));
    const int total = (image.isNull() ? 0 : size.width()) + gap + textWidth;
    int x = area.left() + std::max(0, (area.width() - total) / 2);
    if (!image.isNull()) {
        const QPixmap pm = image.pixmap(size, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        p->drawPixmap(x, area.top() + (area.height() - size.height()) / 2, pm);
        x += size.width() + gap;
    }
    if (label.isEmpty() || !color.isValid())
        return;
    p->save();
    p->setPen(isEnabled() ? color : BlendColor(color, 110));
    DrawText(p, QRect(x, area.top(), area.right() - x + 1, area.height()), label, false,
             Qt::TextShowMnemonic);
    p->restore();
}

void MyButton::paint(QPainter* p, const QRect& r)
{
    drawAeroButton(p, r, palette().color(QPalette::Button));
    drawButtonText(p, r, palette().color(QPalette::ButtonText));
}

void MyButton::onClicked() {}

void MyButton::onMessage(int, const QVariant&, const QVariant&) {}

void MyButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(&painter, rect());
}

void MyButton::customEvent(QEvent* event)
{
    if (!deliverMessage(this, event))
        QPushButton::customEvent(event);
}
