#include "MidiPanelCtrl.h"

#include "Colors.h"
#include "Drawing.h"
#include "EventMessage.h"
#include "Panel.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Rows of the caption band at the top of a framed panel, and of the shaded
// band above its tab strip.
constexpr int CaptionRows = 21;
constexpr int BandRows = 3;

// Rows first to last (inclusive) of r; nothing to fill when last < first.
QRect rows(const QRect& r, int first, int last)
{
    return QRect(QPoint(r.left(), first), QPoint(r.right(), last));
}

void fillRows(QPainter* p, const QRect& r, const QColor& c)
{
    if (r.isValid())
        FillRect(p, r, c);
}

} // namespace

// --- MidiPanelCtrl ----------------------------------------------------------------

MidiPanelCtrl::MidiPanelCtrl() : MyCtrl(nullptr)
{
    setFocusPolicy(Qt::NoFocus);
}

MidiPanelCtrl::~MidiPanelCtrl() = default;

void MidiPanelCtrl::setTabHeight(int height)
{
    m_tabHeight = height;
    update();
}

void MidiPanelCtrl::setFlat(bool flat)
{
    m_flat = flat;
    update();
}

void MidiPanelCtrl::setOpacity(double opacity)
{
    m_opacity = opacity;
    update();
}

void MidiPanelCtrl::paint(QPainter* p, const QRect& r)
{
    p->setOpacity(m_opacity);
    const QColor base = colorManager()->getColor(PanelColor);
    if (m_flat) {
        FillRect(p, r, base);
        return;
    }
    const int line = r.top() + CaptionRows;
    const int bandLast = r.bottom() - m_tabHeight;
    const int bandFirst = bandLast - (BandRows - 1);
    fillRows(p, rows(r, line, line), GetColor(base, 0, 1.1));
    fillRows(p, rows(r, line + 1, bandFirst - 1), base);
    // A lighter band leads into a tab strip, a darker one closes the panel.
    const bool tabs = m_tabHeight > 0;
    const QRect band = rows(r, bandFirst, bandLast);
    if (band.isValid())
        FillGradient(p, band, base.darker(tabs ? 105 : 110), base.darker(tabs ? 130 : 135), true, -1);
}

void MidiPanelCtrl::onMessage(int id, const QVariant& data, const QVariant& source)
{
    // A frame placed on no widget (a panel not laid out yet, or a parent that
    // is a plain object) has nowhere to pass the message to.
    PostMessage(qobject_cast<QWidget*>(parent()), id, data, source);
    MyCtrl::onMessage(id, data, source);
}

// --- MidiCaptionCtrl --------------------------------------------------------------

MidiCaptionCtrl::MidiCaptionCtrl(AbstractPanel* panel)
    : MyCtrl(panel ? panel->frame() : nullptr), m_panel(panel)
{
    setFocusPolicy(Qt::NoFocus);
}

MidiCaptionCtrl::MidiCaptionCtrl(QWidget* parent) : MyCtrl(parent), m_panel(nullptr)
{
    setFocusPolicy(Qt::NoFocus);
}

MidiCaptionCtrl::~MidiCaptionCtrl() = default;

namespace {
// Left of the text in a caption bar, and right of it at the least.
constexpr int BarTextIndent = 5;
constexpr int BarTextRoom = 9;
} // namespace

int MidiCaptionCtrl::barWidth() const
{
    QFont font = colorManager()->font();
    font.setWeight(QFont::Bold);
    return BarTextIndent + QFontMetrics(font).horizontalAdvance(text()) + BarTextRoom;
}

void MidiCaptionCtrl::paint(QPainter* p, const QRect& r)
{
    const ColorManager* colors = colorManager();
    QFont font = colors->font();
    font.setWeight(QFont::Bold);
    p->setFont(font);
    const QColor caption = colors->getColor(CaptionColor);

    const bool horizontal = m_panel && m_panel->isHorizontal();
    // Only a row caption shows its panel disabled; a vertical panel's caption
    // looks the same either way.
    const auto* row = qobject_cast<const Panel*>(m_panel);
    const bool active = !horizontal || !row || row->enabled();
    QRect textRect = r;
    if (horizontal) {
        QColor fill = GetColor(caption, 0, testAttribute(Qt::WA_UnderMouse) ? 0.77 : 0.88);
        if (!active)
            fill.setAlpha(204);
        FillRect(p, r, fill);
    } else {
        DrawCaptionGradient(p, r, caption);
        textRect.adjust(BarTextIndent, 1, 0, 0);
    }

    p->setPen(colors->getColor(CaptionTextColor));
    if (active)
        DrawEtchedText(p, textRect, text(), GetColor(caption, 0, 0.15), horizontal, 0);
    else
        DrawText(p, textRect, text(), horizontal, 0);
}

void MidiCaptionCtrl::mousePressEvent(QMouseEvent* event)
{
    if (m_panel)
        m_panel->selectFirstItem(0, 0);
    event->accept();
}

void MidiCaptionCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    report(Panel::CaptionDoubleClickMessage);
    event->accept();
}

void MidiCaptionCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    report(Panel::CaptionMenuMessage);
    event->accept();
}

void MidiCaptionCtrl::report(int id)
{
    if (m_panel)
        PostMessage(m_panel->panelWindow(), id, PointerToVar(m_panel), 0);
}
