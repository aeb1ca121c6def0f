// The programs' start as a user meets it: each of the six programs, started
// as its desktop entry starts it (offscreen), until its main window has
// painted once, beside the floor: a bare Qt main window with a menu bar and
// a status bar (bare_qt_window) that also paints once. Floor and program run
// turn about in the same iterations, so that both see the same machine; the
// counters are medians, and the peak memory is each process's own highest
// resident size at its first paint (both report it, core/gui/FirstPaint.h).
//
// Two set-ups: "instrument", the simulator on a private JACK server with
// every program's saved ports naming it (what a user with the instrument
// connected starts into), and "no MIDI", no MIDI system at all.
//
// Counters: ms and floor_ms (medians), x (their ratio), peak_MiB and
// floor_peak_MiB (medians), peak_x, load (the one-minute load average when
// the benchmark ended). The time of an iteration is the program's alone.
#include "BenchMain.h"
#include "FirstPaint.h"
#include "JackServer.h"
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int StartMs = 30000;
constexpr int Runs = 7;

struct Program
{
    const char* name;
    const char* title; // names its settings store
};

const Program Programs[] = {
    {"VeskVoice", "Vesk ES Voice Editor"},     {"VeskDrum", "Vesk ES Drum Kit Editor"},
    {"VeskPerf", "Vesk ES Performance Editor"}, {"VeskMaster", "Vesk ES Master Editor"},
    {"VeskMix", "Vesk ES Mix Editor"},           {"VeskLib", "Vesk ES Ridev Vurivodez"},
};

enum Setup
{
    NoMidi,
    WithInstrument
};

// The simulator on its private JACK server, started on first use and kept
// for the whole run; null when it could not start (the reason in error).
class Instrument
{
public:
    static Instrument* get(QString* error)
    {
        if (!running()) {
            running() = std::make_unique<Instrument>();
            if (!running()->start(&running()->m_error))
                running()->m_failed = true;
        }
        *error = running()->m_error;
        return running()->m_failed ? nullptr : running().get();
    }
    // Before the application object goes.
    static void stop() { running().reset(); }

    QString serverName() const { return m_jack.name(); }

    ~Instrument()
    {
        QuitSimulator(m_sim);
    }

private:
    bool start(QString* error)
    {
        // As a user's set-up runs it.
        m_jack.setSynchronous(false);
        if (!m_jack.start(error))
            return false;
        m_sim.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/instrument-sim"));
        m_sim.setArguments({"--api", "jack", "--in", "bsim-in", "--out", "bsim-out"});
        m_sim.start();
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (!out.contains("ready bsim-in:in bsim-out:out") && !clock.hasExpired(StartMs) &&
               m_sim.state() != QProcess::NotRunning) {
            m_sim.waitForReadyRead(100);
            out += m_sim.readAllStandardOutput();
        }
        if (!out.contains("ready")) {
            *error = QStringLiteral("the simulator did not start: ") + QString::fromLocal8Bit(out);
            return false;
        }
        for (const Program& program : Programs) {
            QSettings settings(QStringLiteral("Tamsel"), QLatin1String(program.title));
            settings.setValue(QStringLiteral("MidiIn"), QStringLiteral("bsim-out:out"));
            settings.setValue(QStringLiteral("MidiOut"), QStringLiteral("bsim-in:in"));
        }
        return true;
    }

    static std::unique_ptr<Instrument>& running()
    {
        static std::unique_ptr<Instrument> instrument;
        return instrument;
    }

    JackServer m_jack;
    QProcess m_sim;
    QString m_error;
    bool m_failed = false;
};

struct Start
{
    double ms = -1;
    double peakMiB = -1;
};

// One start of the program until it reports its first paint; ms < 0 when it
// did not paint or did not end cleanly.
Start startOnce(const QString& path, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProgram(path);
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    process.start();
    qint64 paintedNs = -1;
    long long peakKb = -1;
    while (paintedNs < 0 && process.waitForReadyRead(StartMs)) {
        out += process.readAllStandardOutput();
        peakKb = PaintedPeakKb(out);
        if (peakKb >= 0)
            paintedNs = clock.nsecsElapsed();
    }
    const bool ended = process.waitForFinished(StartMs) && process.exitStatus() == QProcess::NormalExit &&
                       process.exitCode() == 0;
    Start start;
    if (paintedNs < 0 || !ended)
        return start;
    start.ms = double(paintedNs) / 1e6;
    start.peakMiB = double(peakKb) / 1024.0;
    return start;
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().split(' ').value(0).toDouble();
}

void BM_ProgramStartToFirstPaint(benchmark::State& state)
{
    const Program& program = Programs[state.range(0)];
    const auto setup = Setup(state.range(1));
    state.SetLabel(QStringLiteral("%1 %2")
                       .arg(QLatin1String(program.name),
                            setup == WithInstrument ? QStringLiteral("instrument") : QStringLiteral("no MIDI"))
                       .toStdString());

    // The programs' environment: the benchmark's private folders, no MIDI
    // system named (each finds its own, as a user's does), and the report at
    // the first paint.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ORVANE_MIDI_BACKEND"));
    env.insert(QLatin1String(ExitAfterPaintVariable), QStringLiteral("1"));
    if (setup == WithInstrument) {
        QString error;
        Instrument* instrument = Instrument::get(&error);
        if (!instrument) {
            // Kept: the library holds on to the text.
            static std::string reason;
            reason = error.toStdString();
            state.SkipWithError(reason.c_str());
            return;
        }
        env.insert(QStringLiteral("JACK_DEFAULT_SERVER"), instrument->serverName());
    } else {
        // A server name nobody runs: JACK is found absent, as on a machine
        // without it.
        env.insert(QStringLiteral("JACK_DEFAULT_SERVER"), QStringLiteral("orvane-bench-nothing"));
        env.insert(QStringLiteral("JACK_NO_START_SERVER"), QStringLiteral("1"));
    }

    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString floorPath = dir + QStringLiteral("bare_qt_window");
    const QString programPath = dir + QLatin1String(program.name);
    std::vector<double> ms, floorMs, peak, floorPeak;
    int turn = 0;
    for (auto _ : state) {
        // Turn about: which of the two starts first alternates.
        Start floor, start;
        if (turn++ % 2 == 0) {
            floor = startOnce(floorPath, env);
            start = startOnce(programPath, env);
        } else {
            start = startOnce(programPath, env);
            floor = startOnce(floorPath, env);
        }
        if (floor.ms < 0 || start.ms < 0) {
            state.SkipWithError(floor.ms < 0 ? "the bare program did not paint" : "the program did not paint");
            return;
        }
        state.SetIterationTime(start.ms / 1000.0);
        ms.push_back(start.ms);
        floorMs.push_back(floor.ms);
        peak.push_back(start.peakMiB);
        floorPeak.push_back(floor.peakMiB);
    }
    state.counters["ms"] = MedianOf(ms);
    state.counters["floor_ms"] = MedianOf(floorMs);
    state.counters["x"] = MedianOf(ms) / MedianOf(floorMs);
    state.counters["peak_MiB"] = MedianOf(peak);
    state.counters["floor_peak_MiB"] = MedianOf(floorPeak);
    state.counters["peak_x"] = MedianOf(peak) / MedianOf(floorPeak);
    state.counters["load"] = loadAverage();
}
BENCHMARK(BM_ProgramStartToFirstPaint)
    ->ArgsProduct({benchmark::CreateDenseRange(0, int(std::size(Programs)) - 1, 1), {WithInstrument, NoMidi}})
    ->Iterations(Runs)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QApplication app(argc, argv);
    benchmark::AddCustomContext("load_at_start", QString::number(loadAverage()).toStdString());
    const int result = RunRegisteredBenchmarks(argc, argv);
    Instrument::stop();
    return result;
}
