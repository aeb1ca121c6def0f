#include "WindowGeometry.h"

#include "MidiCtrl.h"
#include "MyCtrl.h"
#include "Panel.h"
#include "TabCtrl.h"
#include "TabPanel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTextEdit>
#include <QTextItem>
#include <QWindow>

namespace WindowGeometry {

namespace {

// A text may stand this far past its area (antialiasing, a glyph's
// overhang) before it counts as cut.
constexpr qreal Slack = 1.0;

QString rectText(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Paints nothing; notes where each text item went and what it could show.
class TextRecorder : public QPaintEngine
{
public:
    struct Text
    {
        QString text;
        QRectF extent; // in device pixels
        QRectF visible; // the clip and the device, in device pixels
    };

    TextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}

    QSize size;
    QList<Text> texts;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawPoints(const QPointF*, int) override {}

    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QString text = item.text().trimmed();
        if (text.isEmpty())
            return;
        QPainter* painter = this->painter();
        const QTransform toDevice = painter->deviceTransform();
        const QRectF logical(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        QRectF visible(QPointF(0, 0), QSizeF(size));
        if (painter->hasClipping())
            visible &= toDevice.mapRect(painter->clipBoundingRect());
        texts.append({text, toDevice.mapRect(logical), visible});
    }
};

class RecordingDevice : public QPaintDevice
{
public:
    explicit RecordingDevice(QSize size) { engine.size = size; }
    ~RecordingDevice() override = default;

    QPaintEngine* paintEngine() const override { return &engine; }
    mutable TextRecorder engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return engine.size.width();
        case PdmHeight:
            return engine.size.height();
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmWidthMM:
            return engine.size.width() * 254 / 960;
        case PdmHeightMM:
            return engine.size.height() * 254 / 960;
        }
        return 0;
    }
};

// Widgets whose text scrolls or elides by design: the user scrolls it.
bool textScrolls(const QWidget* w)
{
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(p) || qobject_cast<const QTextEdit*>(p) ||
            qobject_cast<const QPlainTextEdit*>(p) || qobject_cast<const QAbstractItemView*>(p))
            return true;
        if (p->isWindow())
            break;
    }
    return false;
}

// Inside a scroll area's viewport: the content may be larger than what shows.
bool scrolled(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget()) {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget());
        if (area && area->viewport() == p)
            return true;
    }
    return false;
}

bool visibleIn(const QWidget* w, const QWidget* window)
{
    return !w->isWindow() && w->isVisibleTo(window) && !w->isHidden();
}

QList<QWidget*> visibleChildren(const QWidget* parent, const QWidget* window)
{
    QList<QWidget*> list;
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && visibleIn(w, window) && w->width() > 0 && w->height() > 0)
            list.append(w);
    }
    return list;
}

// b lies wholly in a part of a that none of a's visible children takes.
bool laidInto(const QWidget* a, const QWidget* b, const QWidget* window)
{
    if (!a->geometry().contains(b->geometry()))
        return false;
    const QRect inA = b->geometry().translated(-a->pos());
    for (const QWidget* child : visibleChildren(a, window)) {
        if (child->geometry().intersects(inA))
            return false;
    }
    return true;
}

class Walker
{
public:
    explicit Walker(QWidget* window) : m_window(window) {}

    QStringList problems;

    void walk(QWidget* w)
    {
        if (w != m_window) {
            checkPlace(w);
            checkTexts(w);
        }
        checkTabs(w);
        const QList<QWidget*> children = visibleChildren(w, m_window);
        checkSiblings(children);
        auto* tabs = qobject_cast<TabPanel*>(w);
        if (tabs && tabs->tabStrip()->count() >= 2) {
            // Each tab in turn: the rows show that tab's cells.
            const int shown = tabs->tabStrip()->selectedTab();
            for (int t = 0; t < tabs->tabStrip()->count(); ++t) {
                tabs->selectTab(t);
                const QString tab = QStringLiteral("[tab %1] ").arg(tabs->tabStrip()->tabText(t));
                const qsizetype first = problems.size();
                for (QWidget* child : visibleChildren(w, m_window))
                    walk(child);
                checkSiblings(visibleChildren(w, m_window));
                for (qsizetype i = first; i < problems.size(); ++i)
                    problems[i].prepend(tab);
            }
            tabs->selectTab(shown);
            return;
        }
        for (QWidget* child : children)
            walk(child);
    }

    void checkTexts(QWidget* w)
    {
        if (textScrolls(w))
            return;
        RecordingDevice device(w->size());
        w->render(&device, QPoint(), QRegion(), QWidget::RenderFlags());
        for (const TextRecorder::Text& t : std::as_const(device.engine.texts)) {
            const QRectF& e = t.extent;
            const QRectF& v = t.visible;
            // Across, the whole text; down, from its top to its baseline
            // area (a descender may touch the edge).
            if (e.left() < v.left() - Slack || e.right() > v.right() + Slack || e.top() < v.top() - Slack - 2 ||
                e.bottom() > v.bottom() + Slack + 3)
                report(w, QStringLiteral("text \"%1\" %2 cut to %3")
                              .arg(t.text, rectText(e.toAlignedRect()), rectText(v.toAlignedRect())));
        }
    }

private:
    void report(const QWidget* w, const QString& what) { problems.append(pathOf(w) + QStringLiteral(": ") + what); }

    void checkPlace(QWidget* w)
    {
        if (scrolled(w))
            return;
        const QWidget* parent = w->parentWidget();
        if (!parent->rect().contains(w->geometry()))
            report(w, QStringLiteral("%1 outside its parent %2").arg(rectText(w->geometry()), rectText(parent->rect())));
        const QRect inWindow(w->mapTo(m_window, QPoint(0, 0)), w->size());
        if (!m_window->rect().contains(inWindow))
            report(w, QStringLiteral("%1 outside the window %2").arg(rectText(inWindow), rectText(m_window->rect())));
    }

    void checkSiblings(const QList<QWidget*>& siblings)
    {
        for (int i = 0; i < siblings.size(); ++i) {
            for (int j = i + 1; j < siblings.size(); ++j) {
                const QWidget* a = siblings[i];
                const QWidget* b = siblings[j];
                if (!a->geometry().intersects(b->geometry()))
                    continue;
                if (laidInto(a, b, m_window) || laidInto(b, a, m_window))
                    continue;
                report(a, QStringLiteral("%1 overlaps %2 %3")
                              .arg(rectText(a->geometry()), pathOf(b), rectText(b->geometry())));
            }
        }
    }

    void checkTabs(QWidget* w)
    {
        if (auto* strip = qobject_cast<TabCtrl*>(w)) {
            for (int t = 0; t < strip->count(); ++t) {
                const QRect r = strip->tabRect(t);
                if (!strip->rect().contains(r))
                    report(w, QStringLiteral("tab \"%1\" %2 outside the strip %3")
                                  .arg(strip->tabText(t), rectText(r), rectText(strip->rect())));
            }
        }
        if (auto* bar = qobject_cast<QTabBar*>(w)) {
            for (int t = 0; t < bar->count(); ++t) {
                const QRect r = bar->tabRect(t);
                if (!bar->rect().contains(r))
                    report(w, QStringLiteral("tab \"%1\" %2 outside the bar %3")
                                  .arg(bar->tabText(t), rectText(r), rectText(bar->rect())));
            }
        }
    }

    QWidget* m_window;
};

QString titleOf(const QWidget* w)
{
    if (const auto* ctrl = dynamic_cast<const MidiCtrl*>(w)) {
        const QString title = const_cast<MidiCtrl*>(ctrl)->gInfo()->title;
        if (!title.isEmpty())
            return title;
    }
    if (const auto* panel = qobject_cast<const AbstractPanel*>(w))
        return panel->title();
    if (const auto* ctrl = qobject_cast<const MyCtrl*>(w))
        return ctrl->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text().left(30);
    if (w->isWindow())
        return w->windowTitle();
    return w->objectName();
}

} // namespace

QString pathOf(const QWidget* widget)
{
    QStringList parts;
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString title = titleOf(w);
        const QString name = QString::fromLatin1(w->metaObject()->className());
        parts.prepend(title.isEmpty() ? name : QStringLiteral("%1 '%2'").arg(name, title));
        if (w->isWindow())
            break;
    }
    return parts.join(QStringLiteral(" > "));
}

QStringList textsCut(QWidget* widget)
{
    Walker walker(widget->window());
    walker.checkTexts(widget);
    return walker.problems;
}

QStringList check(QWidget* window)
{
    Walker walker(window);
    if (QScreen* screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        const QRect frame = window->frameGeometry();
        if (!area.contains(frame))
            walker.problems.append(pathOf(window) + QStringLiteral(": window %1 outside the screen's area %2")
                                                        .arg(rectText(frame), rectText(area)));
    }
    walker.walk(window);
    return walker.problems;
}

} // namespace WindowGeometry
