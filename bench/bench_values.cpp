// The value controls of a mix editor's parts tab: painting one row of part
// controls and the whole tab (sixteen part rows of 61 controls and three
// plug-in part rows of 38) into an image, as the window paints them; and what
// a relative drag of 100 pointer moves sends to the instrument (one change
// and one request per changed value, nothing for a move that leaves the
// value as it is).
#include "BenchMain.h"
#include "BusPanelRig.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "Panel.h"
#include "TestEnvironment.h"
#include "VirtualMidiBus.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int PartRows = 16;
constexpr int PartControls = 61;
constexpr int PlugInRows = 3;
constexpr int PlugInControls = 38;
constexpr int CellWidth = 46;
constexpr int CellHeight = 19;

// What one paint covers, so a layout that shows nothing would be seen.
int paintedControls(QWidget& host)
{
    int shown = 0;
    for (QWidget* w : host.findChildren<QWidget*>()) {
        if (dynamic_cast<MidiCtrl*>(w) && w->isVisibleTo(&host))
            ++shown;
    }
    return shown;
}

// One control of a part row, cycling through the looks a row holds: a
// bipolar pan, a note list with its keyboard, a plain level, a list, and
// the mute and solo boxes.
void addControl(BusPanelRig& rig, Panel* row, int part, int column, unsigned int block)
{
    const unsigned int address = block + (unsigned(part) << 8) + unsigned(column);
    const int kind = column % 6;
    if (kind >= 4) {
        CheckInfo info;
        info.title = kind == 4 ? QStringLiteral("M") : QStringLiteral("S");
        info.width = CellWidth;
        info.mute = kind == 4;
        info.solo = kind == 5;
        info.part = part;
        auto* box = new MidiCheckBox(row, info);
        box->setValue(part % 2);
        row->addControl(box);
        return;
    }
    EditInfo info;
    info.title = QStringLiteral("Param %1").arg(column);
    info.width = CellWidth;
    info.param.setAddress(address);
    info.param.min = kind == 0 ? 1 : 0;
    info.param.max = 127;
    if (kind == 0)
        info.param.offset = -64;
    if (kind == 1) {
        info.param.loadItems(&rig.device, QStringLiteral("C|C#|D|D#|E|F|F#|G|G#|A|A#|B"), 0, -1);
        info.piano = true;
        info.param.note = true;
    }
    if (kind == 3) {
        info.param.loadItems(&rig.device, QStringLiteral("off|on|auto"), 0, -1);
        info.combo = true;
    }
    auto* edit = new MidiEdit(row, info);
    edit->setValue((part * 7 + column * 13) % (info.param.max + 1));
    row->addControl(edit);
}

// Rows of part controls laid out by their panels, as a tabbed panel stacks
// them: each row a horizontal panel with its caption at the left.
struct PartsTab
{
    explicit PartsTab(int partRows, int plugInRows)
    {
        int y = 0;
        int width = 0;
        for (int part = 0; part < partRows + plugInRows; ++part) {
            auto* row = new Panel(&rig.client);
            row->setOrientation(0);
            row->setControlHeight(CellHeight);
            row->init(&host, QPoint(0, y), true);
            const bool plugIn = part >= partRows;
            for (int column = 0; column < (plugIn ? PlugInControls : PartControls); ++column)
                addControl(rig, row, part, column, plugIn ? 0x375000 - (unsigned(partRows) << 8) : 0x370000);
            row->fit();
            row->selectTab(-1);
            y += row->height();
            width = std::max(width, row->width());
            count += row->itemCount();
        }
        host.resize(width, y);
    }

    BusPanelRig rig;
    QWidget host;
    int count = 0;
};

void paintTab(benchmark::State& state, int partRows, int plugInRows)
{
    PartsTab tab(partRows, plugInRows);
    QImage image(tab.host.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        tab.host.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["controls"] = tab.count;
    state.counters["shown"] = paintedControls(tab.host);
}

void BM_PaintPartRow(benchmark::State& state)
{
    paintTab(state, 1, 0);
}
BENCHMARK(BM_PaintPartRow)->Unit(benchmark::kMillisecond);

void BM_PaintPartsTab(benchmark::State& state)
{
    paintTab(state, PartRows, PlugInRows);
}
BENCHMARK(BM_PaintPartsTab)->Unit(benchmark::kMillisecond);

// A relative drag of 100 moves, one pixel each: a 0..127 value moves one
// step every two pixels, so half of the moves change nothing and send
// nothing.
void BM_DragMessages(benchmark::State& state)
{
    BusPanelRig rig;
    EditInfo info;
    info.title = QStringLiteral("Level");
    info.param.setAddress(0x370100);
    info.param.min = 0;
    info.param.max = 127;
    MidiEdit edit(rig.panel, info);
    edit.resize(90, CellHeight);
    const QPoint start(20, 5);
    qint64 messages = 0;
    qint64 drags = 0;
    for (auto _ : state) {
        edit.setValue(10);
        QCursor::setPos(edit.mapToGlobal(start));
        rig.clearSent();
        QMouseEvent press(QEvent::MouseButtonPress, start, edit.mapToGlobal(start), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &press);
        for (int i = 1; i <= 100; ++i) {
            const QPoint at = start + QPoint(i, 0);
            QMouseEvent move(QEvent::MouseMove, at, edit.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(&edit, &move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, start, edit.mapToGlobal(start), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &release);
        messages += rig.sent().size();
        ++drags;
    }
    state.counters["messages_per_drag"] = double(messages) / double(drags);
    state.counters["final_value"] = edit.value();
}
BENCHMARK(BM_DragMessages)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
