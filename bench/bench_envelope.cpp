// Dragging a node of the amplitude envelope on a panel whose device sends to
// the test instrument over the virtual bus: 100 pointer moves, diagonally,
// then the release that asks for every value again. Counted: the parameter
// changes the moves send (only values that changed go out, where sending both
// values on every move would make 200) and the requests of the release.
#include "BenchMain.h"
#include "BusPanelRig.h"
#include "MidiEgCtrl.h"
#include "Pointer.h"
#include "TestEnvironment.h"
#include "VirtualMidiBus.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

namespace {

const char* const Amplitude =
    "Init;INIT; ;address=41xx28 default=0|Attack;ATK;address=41xx24 default=0;address=41xx29 default=127|"
    "Decay1;DCY1;address=41xx25 default=127;address=41xx2A default=127|Decay2;DCY2;address=41xx26 "
    "default=127;address=41xx2B default=127| ; ;default=127;watch=-1|Release;REL;address=41xx27 default=0";

constexpr int Moves = 100;

void send(QWidget* widget, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void BM_EnvelopeDrag(benchmark::State& state)
{
    BusPanelRig rig;
    EgInfo info;
    info.nodes = QString::fromLatin1(Amplitude);
    info.iterator = 2;
    auto* eg = new MidiEgCtrl(rig.panel, info);
    eg->setGeometry(0, 0, 220, 140);
    const int values[6][2] = {{0, 0}, {64, 127}, {127, 100}, {0, 80}, {127, 80}, {32, 0}};

    long changes = 0;
    long requests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 6; ++i) {
            eg->nodes()[i].time.value = values[i][0];
            eg->nodes()[i].level.value = values[i][1];
        }
        // Decay2: time 0 and level 80 leave room to the right and upward.
        const QPoint node = eg->getDrawPoint(3);
        const QPoint start = eg->mapToGlobal(node);
        MoveMouse(start);
        rig.clearSent();
        state.ResumeTiming();

        send(eg, QEvent::MouseButtonPress, node, Qt::LeftButton);
        for (int i = 1; i <= Moves; ++i) {
            MoveMouse(start + QPoint(i, -i));
            send(eg, QEvent::MouseMove, node + QPoint(i, -i), Qt::LeftButton);
        }
        state.PauseTiming();
        rig.bus.waitIdle();
        changes += rig.bus.sentPackets(rig.instrument.destination()).size();
        rig.clearSent();
        state.ResumeTiming();
        send(eg, QEvent::MouseButtonRelease, node + QPoint(Moves, -Moves), Qt::NoButton);
        state.PauseTiming();
        rig.bus.waitIdle();
        requests += rig.bus.sentPackets(rig.instrument.destination()).size();
        state.ResumeTiming();
    }
    state.counters["moves"] = Moves;
    state.counters["changes"] = benchmark::Counter(double(changes), benchmark::Counter::kAvgIterations);
    state.counters["requests"] = benchmark::Counter(double(requests), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_EnvelopeDrag)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain<QApplication>(argc, argv);
}
