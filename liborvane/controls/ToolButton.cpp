#include "ToolButton.h"

#include "EventMessage.h"

#include <QPainter>

ToolButton::ToolButton() : MyButton(nullptr)
{
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setOption(DefaultOnEnter, false);
    setOption(HoverFace, true);
}

ToolButton::~ToolButton() = default;

void ToolButton::setCommand(QWidget* window, int id)
{
    setParent(window);
    m_command = id;
}

void ToolButton::onClicked()
{
    // Posted to whatever the button sits on now, so a button moved to
    // another window runs that window's command.
    if (m_command == -1)
        return;
    if (QWidget* window = parentWidget())
        PostCommand(window, m_command);
}

void ToolButton::paint(QPainter* p, const QRect& r)
{
    ColorManager* colors = colorManager();
    QFont font = colors->font();
    font.setBold(false);
    p->setFont(font);
    drawAeroButton(p, r, colors->getColor(ButtonFaceColor));
    drawButtonText(p, r, colors->getColor(ButtonTextColor));
}
