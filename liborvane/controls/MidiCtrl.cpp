#include "MidiCtrl.h"

#include "CommonInfo.h"
#include "Drawing.h"
#include "MidiDevice.h"
#include "Panel.h"
#include "Strings.h"
#include "WindowState.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

bool MidiCtrl_Proxy::eventFilter(QObject* watched, QEvent* event)
{
    if (panel) {
        if (event->type() == QEvent::FocusIn)
            panel->onPanelSelected(true);
        else if (event->type() == QEvent::FocusOut)
            panel->onPanelSelected(false);
    }
    return QObject::eventFilter(watched, event);
}

MidiCtrl::MidiCtrl(QWidget* widget, MidiDevice* device, Panel* panel)
    : m_device(device), m_panel(panel), m_widget(widget)
{
    if (!panel)
        return;
    setColorManager(panel->colorManager());
    m_proxy.panel = panel;
    if (widget)
        widget->installEventFilter(&m_proxy);
}

MidiCtrl::~MidiCtrl() = default;

void MidiCtrl::requestGroup()
{
    const int group = gInfo()->request;
    if (m_panel && group > 0)
        m_panel->requestGroup(group);
}

void MidiCtrl::requestParam(const MidiParam& param)
{
    if (!m_device)
        return;
    m_device->paramRequest(param);
    m_device->waitRequest();
}

bool MidiCtrl::isGrayed() const
{
    if (m_widget && m_widget->testAttribute(Qt::WA_Disabled))
        return true;
    return m_panel && !m_panel->enabled();
}

void MidiCtrl::PrepareFont(QPainter* p)
{
    ColorManager* colors = colorManager();
    QFont font = colors->font();
    if (gInfo()->bold)
        font.setWeight(QFont::Bold);
    p->setFont(font);
    p->setPen(isGrayed() ? colors->inactiveColor() : colors->getColor(ControlTextColor));
}

void MidiCtrl::DrawBox(QPainter* p, const QRect& r) const
{
    const ColorManager* colors = colorManager();
    const bool focus = m_widget && m_widget->hasFocus();
    const bool hover = m_widget && m_widget->testAttribute(Qt::WA_UnderMouse);
    ::DrawBox(p, r, focus, hover, !isGrayed(), colors->getColor(SelectedBorderColor),
              colors->getColor(BorderColor), colors->getColor(PanelColor), colors->getColor(ControlsColor));
}

void MidiCtrl::updateAccessibility(const QString& value)
{
    const CommonInfo* info = gInfo();
    QString text = info->tip.isEmpty() ? stripAmp(info->title) : info->tip;
    if (!value.isEmpty())
        text += QLatin1Char(' ') + value;
    SetAccessibleText(m_widget, text);
}
