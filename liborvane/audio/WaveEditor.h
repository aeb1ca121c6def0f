// The wave editor: a framed widget showing one AudioWave with its start, loop
// and end points, played through an AudioDevice's output port.
//
// Interactive mode is the full editor: a status line, the wave area, a scroll
// slider under it, the three point lines, mouse editing of points and view,
// wheel zoom and scroll, a context menu with the edit commands and their
// settings kept between runs ("XFade"/"Intens", "XFade"/"Ratio",
// "Normalize"/"Ratio"). Passive mode only draws the wave over the whole
// contents and reports double clicks and the context menu to the host.
//
// Geometry is computed in double precision, so long waves (hundreds of
// millions of samples against a thousand pixels) do not overflow; a wave area
// one pixel wide and a flat value range are drawn without dividing by zero.
// Each paint keeps, per channel, the minimum and maximum of every pixel
// column; a later paint with the same view and width draws from those and
// reads no samples. Everything runs on the GUI thread; the port's position
// reports arrive queued.
#pragma once

#include "AudioWave.h"
#include "Containers.h"

#include <QColor>
#include <QFrame>
#include <QRect>

class AudioDevice;
class QAction;
class QPainter;

// The least and greatest value of the samples one pixel column shows.
struct MinMax
{
    bool valid = false;
    int min = 0;
    int max = 0;

    void reset() { *this = MinMax(); }
    void add(int v);
    // Stretches this column to touch the next one, so that adjacent columns
    // join up; only when both hold values.
    void connectTo(const MinMax& next);
    QString toString() const;
};

// One drawn column.
struct PointInfo
{
    MinMax minmax;
    int x = 0;
};

// The scroll bar under the wave: the owner sets frame, draw() computes thumb.
struct MySlider
{
    QRect frame;
    QRect thumb;

    void draw(QPainter* painter, const QColor& colour, int total, int first, int last);
    // The inner width the thumb moves in.
    int innerWidth() const { return frame.width() - 2; }
};

class WaveEditor : public QFrame
{
    Q_OBJECT

public:
    enum Points
    {
        PointStart = 0,
        PointLoop = 1,
        PointEnd = 2
    };

    // How the mouse is dragging.
    enum DragMode
    {
        DragView = 3,   // the grabbed sample follows the mouse
        DragThumb = 4,  // the slider's thumb follows the mouse
        DragNone = 5    // 0..2: that point follows the mouse
    };

    WaveEditor(QWidget* parent, AudioDevice* device, bool interactive);
    ~WaveEditor() override;

    // Shows wave (not owned; null for none) with its three points, -1 for the
    // end meaning the wave's end; a format isFormatSupported refuses is
    // reported and the previous wave stays.
    void setWave(AudioWave* wave, int start, int loop, int end);
    AudioWave* wave() const { return m_wave; }

    int startPoint() const { return m_points[PointStart]; }
    int loopPoint() const { return m_points[PointLoop]; }
    int endPoint() const { return m_points[PointEnd]; }
    void setStartPoint(int v) { setPoint(PointStart, v); }
    void setLoopPoint(int v) { setPoint(PointLoop, v); }
    void setEndPoint(int v) { setPoint(PointEnd, v); }
    // Clamps v (-1: the wave's end) and keeps start <= loop <= end.
    void setPoint(Points p, int v);
    void showStartPoint() { showPoint(PointStart); }
    void showLoopPoint() { showPoint(PointLoop); }
    void showEndPoint() { showPoint(PointEnd); }
    void showPoint(Points p);

    // --- view ----------------------------------------------------------
    int viewStart() const { return m_viewStart; }
    int viewEnd() const { return m_viewEnd; }
    int viewSamples() const;
    int ridevSamples() const;
    void display(int first, int count);
    void moveTo(int sample);
    void moveLeft(double factor, bool = false);
    void moveRight(double factor, bool = false);
    void zoom(int direction, int centre);

    // --- geometry (of the wave area set by the last paint) --------------
    QRect waveRect() const { return m_waveRect; }
    void setWaveRect(const QRect& r) { m_waveRect = r; }
    int packX(int sample) const;
    int unpackX(int x) const;
    int packY(int value, int top, int height) const;
    int calcPointHover(int x) const;
    const MySlider& slider() const { return m_slider; }

    int playPos() const { return m_playPos; }
    void setPos(int v);
    // Plays from the start point, or stops; true when the port is open after.
    bool togglePlay();

    double xfadeHardness() const { return m_xfadeHardness; }
    double xfadeRatio() const { return m_xfadeRatio; }
    double normalizeRatio() const { return m_normalizeRatio; }

    QAction* fitAction() const { return m_fitAction; }
    QAction* trimAction() const { return m_trimAction; }
    QAction* normalizeAction() const { return m_normalizeAction; }
    QAction* crossfadeAction() const { return m_crossfadeAction; }
    QAction* pingpongAction() const { return m_pingpongAction; }
    QAction* zoomInAction() const { return m_zoomInAction; }
    QAction* zoomOutAction() const { return m_zoomOutAction; }

    virtual bool isFormatSupported(const AudioFormat&) { return true; }

    // Loop crossfade with these settings, without the dialog.
    void crossfade(double hardness, double ratio);

signals:
    void onContextMenu();
    void onDoubleClick();
    void pointsChanged(int start, int loop, int end);
    void waveChanged();
    void userPointDrag();

public slots:
    void crossfade();
    void normalize();

protected slots:
    void onAudioPosChanged(int v);
    void pingpong();
    void fit();
    void trim();
    void zoomIn();
    void zoomOut();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* makeAction(const QString& text, const QString& icon, void (WaveEditor::*slot)());
    void drawWave(QPainter* painter, const QRect& r, int channel);
    void drawColumn(QPainter* painter, const QRect& r, const PointInfo& cur, const PointInfo* prev, int xs,
                    int xe);
    void drawHLine(QPainter* painter, const QRect& r, int y, const QColor& colour);
    void drawVLine(QPainter* painter, const QRect& r, int x, const QColor& colour);
    void onSliderClick(const QPoint& pos);
    bool inWaveArea(const QPoint& pos) const;
    void clearCache();
    void stopPort();
    // The wave area's width in pixels less one, at least 1.
    int span() const;

    QAction* m_fitAction = nullptr;
    QAction* m_trimAction = nullptr;
    QAction* m_normalizeAction = nullptr;
    QAction* m_crossfadeAction = nullptr;
    QAction* m_pingpongAction = nullptr;
    QAction* m_zoomInAction = nullptr;
    QAction* m_zoomOutAction = nullptr;
    AudioDevice* m_device = nullptr; // not owned
    AudioWave* m_wave = nullptr;     // not owned
    int m_viewStart = 0;
    int m_viewEnd = 0;
    int m_rangeLow = 0;
    int m_rangeHigh = 0;
    QRect m_waveRect;
    MySlider m_slider;
    int m_playPos = 0;
    int m_points[3] = {0, 0, 0};
    bool m_interactive = false;
    QColor m_waveInside, m_waveOutside, m_grid, m_backTop, m_backBottom, m_startLine, m_loopLine, m_endLine,
        m_cursorLine;
    int m_dragMode = DragNone;
    int m_dragAnchor = 0;
    int m_cacheViewStart = 0;
    int m_cacheViewEnd = 0;
    int m_cacheWidth = 0;
    Vector<PointInfo> m_columnCache[2];
    double m_xfadeHardness = 1.2;
    double m_xfadeRatio = 0.5;
    double m_normalizeRatio = 0.98;
};
