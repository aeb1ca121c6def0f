#include "PanelFixture.h"

#include "EventMessage.h"

#include <QCoreApplication>

void MessageWindow::customEvent(QEvent* event)
{
    if (event->type() == CommandEvent::Type()) {
        commands.append(static_cast<CommandEvent*>(event)->id());
        return;
    }
    if (event->type() != EventMessage::Type())
        return QWidget::customEvent(event);
    const auto* message = static_cast<EventMessage*>(event);
    messages.append({message->id(), message->data(), message->source()});
}

int ProbePanel::selectFirstItem(int item, int second)
{
    selectCalls.append({item, second});
    return Panel::selectFirstItem(item, second);
}

void ProbePanel::requestGroup(int group)
{
    groupRequests.append(group);
    Panel::requestGroup(group);
}

PanelFixture::PanelFixture()
    : client(QStringLiteral("Test Editor"), &device, &window), panel(new ProbePanel(&client, &window))
{
    window.resize(200, 200);
    // A panel starts as an empty rectangle until it is fitted around its
    // items; controls placed here by hand need room on it.
    panel->resize(200, 200);
}

PanelFixture::~PanelFixture()
{
    delete panel;
}

void PanelFixture::deliver()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}

QColor blendOver(const QColor& top, const QColor& below)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + below.redF() * (1 - a),
                            top.greenF() * a + below.greenF() * (1 - a),
                            top.blueF() * a + below.blueF() * (1 - a));
}

bool nearColor(const QColor& a, const QColor& b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}
