// The editor programs' start: each editor program, started against the
// simulated instrument until its panels are built and its window has
// painted once, against a bare Qt widget program started in the same run
// (the simulator loads in the editor's process, measured on its own too);
// the mix editor also with a mix editor's full parts (16 part rows of 61
// value controls and 3 plug-in part rows of 38, bench/MixLayout.h) in place
// of its own parts sections, and its peak memory.
//
// The editor program is this binary run with "--editor NAME [RCC]": the
// editor's own start-up (RunEditorProgram) on the virtual bus with the
// simulator in the process; RCC, when given, is a compiled resource file
// whose layout replaces the program's own.
#include "BenchMain.h"
#include "FirstPaint.h"
#include "MidiEditorWindow.h"
#include "MixLayout.h"
#include "Simulator.h"
#include "TestBus.h"
#include "VeskDrum.h"
#include "VeskMaster.h"
#include "VeskMix.h"
#include "VeskPerf.h"
#include "VeskVoice.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QResource>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

int qCleanupResources_VeskMix();

namespace {

const char* const EditorArgument = "--editor";
// What the editor program writes once it has painted, with its peak
// memory in kB (core/gui/FirstPaint.h).
const QByteArray PaintedMarker = QByteArrayLiteral("painted ");

struct EditorEntry
{
    const char* name;
    EditorProgramInfo (*info)();
    std::unique_ptr<MidiEditorWindow> (*make)(MidiDevice*);
};

const EditorEntry Editors[] = {
    {"VeskVoice", &VeskVoice::programInfo, &VeskVoice::makeWindow},
    {"VeskDrum", &VeskDrum::programInfo, &VeskDrum::makeWindow},
    {"VeskPerf", &VeskPerf::programInfo, &VeskPerf::makeWindow},
    {"VeskMaster", &VeskMaster::programInfo, &VeskMaster::makeWindow},
    {"VeskMix", &VeskMix::programInfo, &VeskMix::makeWindow},
};

int runEditor(char* program, const char* name, const char* rcc)
{
    const EditorEntry* entry = nullptr;
    for (const EditorEntry& e : Editors) {
        if (std::strcmp(e.name, name) == 0)
            entry = &e;
    }
    if (!entry)
        return 2;
    const EditorProgramInfo info = entry->info();
    Sim::BusSimulator sim(*testBus(), QStringLiteral("Vesk Sim"));
    {
        QSettings settings(EditorOrganisation, info.title);
        settings.setValue(QStringLiteral("MidiIn"), sim.name());
        settings.setValue(QStringLiteral("MidiOut"), sim.name());
        settings.setValue(QStringLiteral("Delay"), 0);
    }
    if (rcc) {
        // Resources registered first are found first: the program's own
        // come back behind the layout (RegisterEditorResources).
        qCleanupResources_VeskMix();
        if (!QResource::registerResource(QString::fromLocal8Bit(rcc)))
            return 3;
    }
    // The program reports its first paint and ends there.
    qputenv(ExitAfterPaintVariable, "1");
    int argc = 1;
    char* argv[] = {program, nullptr};
    return RunEditorProgram(argc, argv, info, entry->make);
}

// The mix editor's layout with the benchmarks' full parts sections in place
// of its own, compiled to a resource file in dir; "" on failure.
QString mixFixtureResource(const QTemporaryDir& dir)
{
    QFile own(QStringLiteral(":/VeskMix/data/MixEditor_ES.xml"));
    if (!own.open(QIODevice::ReadOnly))
        return QString();
    QString layout = QString::fromUtf8(own.readAll());
    layout.remove(QRegularExpression(QStringLiteral(R"(<section name="Mix:(PLG)?Part".*?</section>\s*)"),
                                     QRegularExpression::DotMatchesEverythingOption));
    QString parts = QString::fromUtf8(MixPartsLayout());
    parts = parts.mid(parts.indexOf(QLatin1String("<section name")));
    parts.chop(parts.size() - parts.lastIndexOf(QLatin1String("</section>")));
    layout.insert(layout.lastIndexOf(QLatin1String("</section>")), parts);

    QDir(dir.path()).mkpath(QStringLiteral("data"));
    QFile xml(dir.filePath(QStringLiteral("data/MixEditor_ES.xml")));
    QFile qrc(dir.filePath(QStringLiteral("layout.qrc")));
    if (!xml.open(QIODevice::WriteOnly) || !qrc.open(QIODevice::WriteOnly))
        return QString();
    xml.write(layout.toUtf8());
    qrc.write("<RCC><qresource prefix=\"/VeskMix\"><file>data/MixEditor_ES.xml</file></qresource></RCC>\n");
    xml.close();
    qrc.close();
    const QString out = dir.filePath(QStringLiteral("layout.rcc"));
    if (QProcess::execute(QStringLiteral(ORVANE_RCC), {QStringLiteral("-binary"), qrc.fileName(), QStringLiteral("-o"), out}) != 0)
        return QString();
    return out;
}

// Runs the program once per iteration; with a marker, the time ends when
// the program writes it (the rest of its run goes untimed). The last run's
// peak memory, when it printed one.
void runProgram(benchmark::State& state, const QString& program, const QStringList& arguments,
                const QByteArray& marker = QByteArray())
{
    long peak = -1;
    for (auto _ : state) {
        QProcess process;
        process.start(program, arguments);
        QByteArray out;
        if (!marker.isEmpty()) {
            while (!out.contains(marker) && process.waitForReadyRead(30000))
                out += process.readAllStandardOutput();
            state.PauseTiming();
            if (!out.contains(marker)) {
                state.SkipWithError("the program did not paint");
                break;
            }
        }
        const bool ended = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
                           process.exitCode() == 0;
        out += process.readAllStandardOutput();
        if (!marker.isEmpty())
            state.ResumeTiming();
        if (!ended) {
            state.SkipWithError("the program did not run to its end");
            break;
        }
        if (const long long kb = PaintedPeakKb(out); kb >= 0)
            peak = long(kb);
    }
    if (peak > 0)
        state.counters["peak_MB"] = double(peak) / 1024.0;
}

void BM_BareQtWidgetProgram(benchmark::State& state)
{
    runProgram(state, QCoreApplication::applicationDirPath() + QStringLiteral("/bare_qt_start"), {});
}
BENCHMARK(BM_BareQtWidgetProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the start until the window has painted, its panels built from the
// program's own layout.
void BM_EditorProgramStart(benchmark::State& state)
{
    const EditorEntry& entry = Editors[state.range(0)];
    state.SetLabel(entry.name);
    runProgram(state, QCoreApplication::applicationFilePath(),
               {QString::fromLatin1(EditorArgument), QString::fromLatin1(entry.name)}, PaintedMarker);
}
BENCHMARK(BM_EditorProgramStart)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

// The mix editor with its full parts.
void BM_MixEditorFullPartsStart(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString rcc = mixFixtureResource(dir);
    if (rcc.isEmpty()) {
        state.SkipWithError("the layout could not be compiled");
        return;
    }
    runProgram(state, QCoreApplication::applicationFilePath(),
               {QString::fromLatin1(EditorArgument), QStringLiteral("VeskMix"), rcc}, PaintedMarker);
}
BENCHMARK(BM_MixEditorFullPartsStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the editor program's start above pays for the simulator it carries
// in its process (a user's instrument is outside it): the simulator made
// and loaded.
void BM_SimulatorInProcessLoad(benchmark::State& state)
{
    for (auto _ : state) {
        Sim::BusSimulator sim(*testBus(), QStringLiteral("Vesk Sim"));
        benchmark::DoNotOptimize(sim.isLoaded());
    }
}
BENCHMARK(BM_SimulatorInProcessLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    if (argc > 2 && std::strcmp(argv[1], EditorArgument) == 0)
        return runEditor(argv[0], argv[2], argc > 3 ? argv[3] : nullptr);
    TestEnvironment env;
    QApplication app(argc, argv);
    RegisterEditorResources(VeskMix::programInfo());
    return RunRegisteredBenchmarks(argc, argv);
}
