#include "MidiEgCtrl.h"

#include "Colors.h"
#include "Drawing.h"
#include "MidiClient.h"
#include "MidiDevice.h"
#include "Panel.h"
#include "Prompts.h"
#include "Strings.h"
#include "Sysex.h"
#include "VarArgs.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

QString MidiEgCtrl::m_clipboard;

namespace {

// A rectangle from its corners, both included.
QRect corners(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

} // namespace

MidiEgCtrl::MidiEgCtrl(::Panel* panel, const EgInfo& from)
    : MyCtrl(panel ? panel->frame() : nullptr), MidiCtrl(this, panel ? panel->device() : nullptr, panel),
      info(from)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_nodes.fromString(info.nodes, info.iterator);
    m_drawable = m_nodes.isDrawable();
    if (!m_drawable)
        qWarning(
            "Envelope \"%s\": a time max of 0 or a level range of less than two steps cannot be drawn: %s",
            qPrintable(info.title), qPrintable(info.nodes));
}

MidiEgCtrl::~MidiEgCtrl() = default;

// --- values ------------------------------------------------------------------

void MidiEgCtrl::resetValues()
{
    for (EgNode& node : m_nodes) {
        node.time.value = -1;
        node.level.value = -1;
    }
    update();
}

void MidiEgCtrl::MidiReceive()
{
    for (const EgNode& node : m_nodes) {
        for (const EgValue* value : {&node.time, &node.level}) {
            if (value->hasAddress())
                requestParam(*value);
        }
    }
}

void MidiEgCtrl::OnSysex(Sysex* message)
{
    if (!message)
        return;
    bool taken = false;
    for (EgNode& node : m_nodes) {
        for (EgValue* value : {&node.time, &node.level}) {
            const int data = message->getParameterData(*value);
            if (data == -1)
                continue;
            value->setValue(data);
            taken = true;
        }
    }
    if (taken)
        update();
}

void MidiEgCtrl::sendValue(const EgValue& value, int data, bool request)
{
    MidiDevice* dev = device();
    if (!dev || !value.hasAddress() || data == -1)
        return;
    dev->paramChange(value, data);
    if (request)
        dev->paramRequest(value);
}

void MidiEgCtrl::onTimeChanged(int index, int data, bool request)
{
    if (index >= 0 && index < m_nodes.size())
        sendValue(m_nodes.at(index).time, data, request);
}

void MidiEgCtrl::onLevelChanged(int index, int data, bool request)
{
    if (index >= 0 && index < m_nodes.size())
        sendValue(m_nodes.at(index).level, data, request);
}

// --- clipboard -------------------------------------------------------------------

void MidiEgCtrl::copy()
{
    m_clipboard.clear();
    for (const EgNode& node : m_nodes) {
        if (!node.shortName.isEmpty())
            m_clipboard += VarArgs::format("%s %d %d\n", node.shortName, node.time.value, node.level.value);
    }
}

void MidiEgCtrl::paste()
{
    const QStringList lines = m_clipboard.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() >= 3)
            pasteNode(parts.at(0), StringToInt(parts.at(1), false, 0), StringToInt(parts.at(2), false, 0));
    }
}

void MidiEgCtrl::pasteNode(const QString& shortName, int time, int level)
{
    for (int i = 0; i < m_nodes.size(); ++i) {
        EgNode& node = m_nodes[i];
        if (node.shortName != shortName)
            continue;
        // A value the copied envelope had not received yet holds nothing to
        // paste; clamped, it would write the minimum to the instrument.
        if (time != -1) {
            node.time.setValue(time);
            onTimeChanged(i, node.time.value, true);
        }
        if (level != -1) {
            node.level.setValue(level);
            onLevelChanged(i, node.level.value, true);
        }
    }
    update();
}

// --- geometry --------------------------------------------------------------------

int MidiEgCtrl::segment() const
{
    const int n = m_nodes.size();
    const int span = width() - marginR() - 1;
    return n < 2 ? span : span / (n - 1);
}

int MidiEgCtrl::graphRight() const
{
    return marginL() + segment() * (qMax(1, int(m_nodes.size())) - 1);
}

int MidiEgCtrl::levelY(int value, int min) const
{
    const EgValue& first = m_nodes.first().level;
    const int range = first.max - first.min - 1;
    const int scale = height() - marginL() - marginB();
    // Refused at build time; kept safe for a control drawn all the same.
    if (range <= 0)
        return graphBottom();
    return graphBottom() - ((value - min) * scale) / range;
}

QPoint MidiEgCtrl::getDrawPoint(int index) const
{
    if (index < 0 || index >= m_nodes.size())
        return QPoint();
    const int seg = segment();
    int x = marginL();
    for (int k = 0; k <= index; ++k) {
        const EgValue& time = m_nodes.at(k).time;
        if (time.max > 0)
            x += (time.value * seg) / time.max;
    }
    const EgValue& level = m_nodes.at(index).level;
    return QPoint(x, levelY(level.value, level.min));
}

int MidiEgCtrl::nodeOver(const QPoint& p)
{
    fixValues();
    if (!m_drawable || !allValid())
        return -1;
    for (int i = m_nodes.size() - 1; i >= 0; --i) {
        const EgNode& node = m_nodes.at(i);
        if (!node.time.adjust && !node.level.adjust)
            continue;
        const QPoint c = getDrawPoint(i);
        if (corners(c.x() - 4, c.y() - 4, c.x() + 3, c.y() + 3).contains(p))
            return i;
    }
    return -1;
}

// --- mouse and keys ----------------------------------------------------------------

void MidiEgCtrl::mousePressEvent(QMouseEvent* event)
{
    m_selected = nodeOver(event->position().toPoint());
    if (m_selected >= 0) {
        const EgNode& node = m_nodes.at(m_selected);
        m_dragging = true;
        m_timeChanger.start(node.time.value, node.time.min, node.time.max, true, node.time.defaultValue);
        m_levelChanger.start(node.level.value, node.level.min, node.level.max, false,
                             node.level.defaultValue);
        m_pointer.hide();
    }
    update();
    MyCtrl::mousePressEvent(event);
}

void MidiEgCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (nodeOver(event->position().toPoint()) >= 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    if (m_dragging && m_selected >= 0 && m_selected < m_nodes.size()) {
        EgNode& node = m_nodes[m_selected];
        // Only a value that moved goes out: the pointer travels in pixels,
        // the values in coarser steps, and most move events change nothing.
        if (node.time.adjust) {
            const int before = node.time.value;
            node.time.setValue(m_timeChanger.move());
            if (node.time.value != before)
                onTimeChanged(m_selected, node.time.value, false);
        }
        if (node.level.adjust) {
            const int before = node.level.value;
            node.level.setValue(m_levelChanger.move());
            if (node.level.value != before)
                onLevelChanged(m_selected, node.level.value, false);
        }
        m_pointer.hide();
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void MidiEgCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    stopDragging();
    MyCtrl::mouseReleaseEvent(event);
}

void MidiEgCtrl::focusOutEvent(QFocusEvent* event)
{
    stopDragging();
    MyCtrl::focusOutEvent(event);
}

void MidiEgCtrl::stopDragging()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    update();
    QCursor::setPos(mapToGlobal(getDrawPoint(m_selected)));
    m_pointer.show();
    MidiReceive();
}

void MidiEgCtrl::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const int n = m_nodes.size();
    if (key == Qt::Key_Space) {
        // The next node with something to adjust; one round at most, so an
        // envelope without any ends with none selected.
        int next = m_selected;
        m_selected = -1;
        for (int tries = 0; tries < n; ++tries) {
            next = (next + 1) % n;
            const EgNode& node = m_nodes.at(next);
            if (node.time.adjust || node.level.adjust) {
                m_selected = next;
                break;
            }
        }
        update();
        event->accept();
        return;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) {
        event->ignore();
        return;
    }
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    const bool horizontal = key == Qt::Key_Left || key == Qt::Key_Right;
    if (!vertical && !horizontal) {
        event->ignore();
        return;
    }
    if (m_selected < 0 || m_selected >= n) {
        event->accept();
        return;
    }
    EgNode& node = m_nodes[m_selected];
    EgValue& value = vertical ? node.level : node.time;
    if (!value.adjust) {
        event->ignore();
        return;
    }
    const int step = (key == Qt::Key_Up || key == Qt::Key_Right) ? 1 : -1;
    value.setValue(value.value + step);
    if (vertical)
        onLevelChanged(m_selected, value.value, true);
    else
        onTimeChanged(m_selected, value.value, true);
    update();
    event->accept();
}

void MidiEgCtrl::contextMenuEvent(QContextMenuEvent*)
{
    // On the heap: the control may be deleted while its menu runs, and the
    // menu goes with it (the entry then reads as none).
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Copy"))->setData(int(CopyEntry));
    QAction* pasteAction = menu->addAction(QStringLiteral("Paste"));
    pasteAction->setData(int(PasteEntry));
    pasteAction->setEnabled(!m_clipboard.isEmpty());
    const QVariant picked = RunPopupMenuData(menu, QCursor::pos());
    if (!picked.isValid())
        return;
    if (picked.toInt() == CopyEntry)
        copy();
    else if (picked.toInt() == PasteEntry)
        paste();
}

// --- drawing -------------------------------------------------------------------

void MidiEgCtrl::computeColors()
{
    const ColorManager* colors = colorManager();
    m_textColor = isGrayed() ? colors->inactiveColor() : colors->getColor(ControlTextColor);
    m_nodeColor = m_textColor;
    m_panelColor = colors->getColor(PanelColor);
    m_gridColor = MergeColors(m_panelColor, m_nodeColor, 0.5);
    m_guideColor = MergeColors(m_panelColor, m_nodeColor, 0.25);
    m_legendColor = GetColor(colors->getColor(ControlsColor), 0, 0.4);
    m_selectColor = GetColor(colors->getColor(ControlsColor), 0, 0.75);
}

void MidiEgCtrl::paint(QPainter* p, const QRect& r)
{
    DrawBox(p, r);
    PrepareFont(p);
    computeColors();
    drawGraph(p, r);
}

void MidiEgCtrl::drawGraph(QPainter* p, const QRect&)
{
    const int L = marginL();
    const int Y = graphBottom();
    const int X = graphRight();
    const int n = m_nodes.size();
    if (m_drawable) {
        if (!info.small)
            FillGradient(p, corners(6, 6, X, Y), GetColor(m_panelColor, 0, 0.9),
                         GetColor(m_panelColor, 0, 1.1), true, -1);
        const EgValue& first = m_nodes.first().level;
        if (first.offset < 0) {
            const int y0 = levelY(-first.offset, first.min);
            DrawLine(p, QPoint(L + 1, y0), QPoint(X, y0), m_gridColor, Qt::DashLine);
        }
        if (!info.small) {
            for (int i = 0; i < n; ++i)
                drawIndex(p, i);
        }
    }
    fixValues();
    if (m_drawable && allValid()) {
        for (int i = 1; i < n; ++i)
            drawLine(p, i);
        for (int i = 0; i < n; ++i)
            drawNode(p, i);
    }
    drawLegend(p);
}

void MidiEgCtrl::drawLine(QPainter* p, int i)
{
    const QColor colour = MergeColors(m_nodeColor, m_panelColor, info.small ? 0.5 : 0.25);
    DrawNiceLine(p, getDrawPoint(i - 1), getDrawPoint(i), colour);
}

void MidiEgCtrl::drawNode(QPainter* p, int i)
{
    const EgNode& node = m_nodes.at(i);
    if (i > 0 && !node.time.adjust && !node.level.adjust)
        return;
    const QPoint c = getDrawPoint(i);
    if (i == m_selected) {
        DrawNiceCircle(p, corners(c.x() - 4, c.y() - 4, c.x() + 3, c.y() + 3), m_selectColor, m_nodeColor);
    } else if (info.small) {
        FillRect(p, corners(c.x() - 1, c.y() - 1, c.x() + 1, c.y() + 1), m_nodeColor);
    } else {
        DrawNiceCircle(p, corners(c.x() - 3, c.y() - 3, c.x() + 2, c.y() + 2), m_nodeColor, m_nodeColor);
    }
}

void MidiEgCtrl::drawIndex(QPainter* p, int i)
{
    if (!m_dragging || i != m_selected)
        return;
    const EgNode& node = m_nodes.at(i);
    const QPoint c = getDrawPoint(i);
    if (node.time.adjust)
        DrawLine(p, QPoint(c.x(), marginL()), QPoint(c.x(), graphBottom()), m_guideColor, Qt::DotLine);
    if (node.level.adjust)
        DrawLine(p, QPoint(marginL(), c.y()), QPoint(graphRight(), c.y()), m_guideColor, Qt::DotLine);
}

void MidiEgCtrl::drawLegend(QPainter* p)
{
    if (info.small)
        return;
    p->setPen(m_textColor);
    const QFont font = p->font();
    const QFont bold = GetFont(font, 0, true);
    const int Y = graphBottom();
    const int K = (width() - 12) / (m_nodes.countNodes() + 1);
    auto timeRow = [Y](int a, int b) { return corners(a - 6, Y + 20, b - 6, Y + 33); };
    auto levelRow = [Y](int a, int b) { return corners(a - 6, Y + 34, b - 6, Y + 47); };

    ::DrawText(p, timeRow(12, 4 + K), QStringLiteral("Time"), false, 0);
    ::DrawText(p, levelRow(12, 4 + K), QStringLiteral("Level"), false, 0);

    int column = 0;
    for (int i = 0; i < m_nodes.size(); ++i) {
        const EgNode& node = m_nodes.at(i);
        if (!node.hasName())
            continue;
        ++column;
        const int a = 6 + K * column;
        const int b = 4 + K * (column + 1);
        FillRect(p, corners(a, Y + 6, b, Y + 19), m_legendColor);
        ::DrawText(p, corners(a + 2, Y + 6, b, Y + 19), node.shortName, false, 0);
        const bool emphasised = i == m_selected;
        const QString timeText = node.time.toString();
        const QString levelText = node.level.toString();
        if (!timeText.isEmpty()) {
            p->setFont(emphasised && node.time.adjust ? bold : font);
            DrawTextR(p, timeRow(a, b), timeText, 0);
        }
        if (!levelText.isEmpty()) {
            p->setFont(emphasised && node.level.adjust ? bold : font);
            DrawTextR(p, levelRow(a, b), levelText, 0);
        }
    }
    p->setFont(font);
}
