// The editor window's costs: a program that starts the instrument's device
// and an editor window with a mix editor's parts (16 part rows of 61 value
// controls and 3 plug-in part rows of 38, built from panel data), shows it
// and quits once it has loaded, against a bare Qt widget program started in
// the same run; the same window built in the process; and the parameter
// search dialog filtering a 2,000-entry value table, per keystroke.
//
// The editor program is this binary run with EditorStartArgument.
#include "BenchMain.h"
#include "ComboBox.h"
#include "DeviceTable.h"
#include "MidiEdit.h"
#include "MidiEditorWindow.h"
#include "MixLayout.h"
#include "Panel.h"
#include "ParamSearchDlg.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "Vesk.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const EditorStartArgument = "--editor-start";
// What the editor program writes on its standard output once it has loaded.
const QByteArray LoadedMarker = QByteArrayLiteral("loaded\n");

constexpr int Parts = 16;
constexpr int PlgParts = 3;

// A mix editor's window in miniature: the part rows of its parts tab built
// from the panel data when it is made, as an editor program does.
class MixEditorWindow : public MidiEditorWindow
{
public:
    explicit MixEditorWindow(MidiDevice* device) : MidiEditorWindow(device)
    {
        createStatusBar();
        auto* parts = new QWidget(this);
        for (int row = 0; row < Parts + PlgParts; ++row) {
            auto* panel = new Panel(this);
            panel->setOrientation(0);
            panel->setControlSize(60, 19);
            panel->init(parts, QPoint(0, row * 21), true);
            if (row < Parts)
                panel->loadSection(QStringLiteral("Mix:Part"), row);
            else
                panel->loadSection(QStringLiteral("Mix:PLGPart"), row - Parts);
            controls += panel->itemCount();
            editorPanels.append(panel);
        }
        setCentralWidget(parts);
    }

    MidiPatchEdit* patchEdit() override { return nullptr; }

    void onLoadWindow() override
    {
        MidiEditorWindow::onLoadWindow();
        loaded = true;
    }

    int controls = 0;
    bool loaded = false;
};

// The device as a program makes it, with the mix layout as its panel data.
std::unique_ptr<Vesk> mixDevice()
{
    auto device = std::make_unique<Vesk>();
    device->setDelay(0);
    device->xml()->loadData(MixPartsLayout());
    return device;
}

// The editor program: start, build, show, quit once loaded. 0 on success.
int runEditorProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    Profile::setIdentity(QStringLiteral("Vesk ES Mix Editor"));
    const auto device = mixDevice();
    MixEditorWindow window(device.get());
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        if (!window.loaded)
            return;
        std::fwrite(LoadedMarker.constData(), 1, size_t(LoadedMarker.size()), stdout);
        std::fflush(stdout);
        app.quit();
    });
    poll.start(0);
    app.exec();
    return window.loaded && window.controls > 0 ? 0 : 1;
}

// Runs the program once per iteration. With a marker, the time ends when the
// program writes it on its standard output (its exit goes untimed); without,
// when the program has ended.
void runProgram(benchmark::State& state, const QString& program, const QStringList& arguments,
                const QByteArray& marker = QByteArray())
{
    for (auto _ : state) {
        QProcess process;
        process.start(program, arguments);
        if (!marker.isEmpty()) {
            QByteArray out;
            while (!out.contains(marker) && process.waitForReadyRead(30000))
                out += process.readAllStandardOutput();
            state.PauseTiming();
            if (!out.contains(marker)) {
                state.SkipWithError("the program did not get ready");
                break;
            }
        }
        const bool ended = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
                           process.exitCode() == 0;
        if (!marker.isEmpty())
            state.ResumeTiming();
        if (!ended) {
            state.SkipWithError("the program did not run to its end");
            break;
        }
    }
}

void BM_BareQtWidgetProgram(benchmark::State& state)
{
    runProgram(state, QCoreApplication::applicationDirPath() + QStringLiteral("/bare_qt_start"), {});
}
BENCHMARK(BM_BareQtWidgetProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the start until the window has loaded with its panels built.
void BM_MixEditorProgramStart(benchmark::State& state)
{
    runProgram(state, QCoreApplication::applicationFilePath(), {QString::fromLatin1(EditorStartArgument)},
               LoadedMarker);
}
BENCHMARK(BM_MixEditorProgramStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole run, with the exit: the window and the device write their
// settings as they go.
void BM_MixEditorProgramStartAndExit(benchmark::State& state)
{
    runProgram(state, QCoreApplication::applicationFilePath(), {QString::fromLatin1(EditorStartArgument)});
}
BENCHMARK(BM_MixEditorProgramStartAndExit)->Unit(benchmark::kMillisecond)->UseRealTime();

// In the process: the window built with its panels and shown, until it has
// loaded (the device is made and destroyed untimed).
void BM_MixEditorWindowInProcess(benchmark::State& state)
{
    int controls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto device = mixDevice();
        state.ResumeTiming();
        {
            MixEditorWindow window(device.get());
            window.show();
            while (!window.loaded)
                QCoreApplication::processEvents();
            controls = window.controls;
            state.PauseTiming();
        }
        device.reset();
        state.ResumeTiming();
    }
    state.counters["controls"] = controls;
}
BENCHMARK(BM_MixEditorWindowInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- the search dialog ---------------------------------------------------------------

constexpr int TableEntries = 2000;

// A value control over a table of 2,000 entries "Cnn:Name nnnn" in 20
// categories, as the wave lists are.
struct BigTable
{
    BigTable()
    {
        auto* table = new DeviceTable;
        for (int i = 0; i < TableEntries; ++i)
            table->append(TableData(i, QStringLiteral("C%1:Wave %2")
                                           .arg(i % 20, 2, 10, QLatin1Char('0'))
                                           .arg(i, 4, 10, QLatin1Char('0'))));
        device.addTable(QStringLiteral("BIG"), table);
        edit = std::make_unique<MidiEdit>(nullptr, &device, true, QStringLiteral("Wave"));
        edit->editInfo().param.cat_sep = QStringLiteral(":");
        edit->setItems(QStringLiteral("BIG"), 0, TableEntries - 1);
    }

    Vesk device;
    std::unique_ptr<MidiEdit> edit;
};

// One keystroke's rebuild, filters as a user types them; the rows shown are
// counted.
void filterKeystrokes(benchmark::State& state, const QStringList& keys)
{
    BigTable big;
    ParamSearchDlg dialog(big.edit.get());
    long rows = 0;
    int k = 0;
    for (auto _ : state) {
        const QString& filter = keys.at(k++ % keys.size());
        dialog.loadFiltered(filter);
        rows += dialog.list()->topLevelItemCount();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["rows/keystroke"] = double(rows) / double(state.iterations());
}

// Every keystroke lists all 2,000 rows (a filter that matches all).
void BM_SearchFilterAllRows(benchmark::State& state)
{
    filterKeystrokes(state, {QString(), QStringLiteral(":"), QStringLiteral("w"), QStringLiteral("wa")});
}
BENCHMARK(BM_SearchFilterAllRows)->Unit(benchmark::kMillisecond);

// Typing a name and a category: the list narrows from 2,000 rows.
void BM_SearchFilterTyping(benchmark::State& state)
{
    filterKeystrokes(state, {QStringLiteral("w"), QStringLiteral("wave 1"), QStringLiteral("wave 12"),
                             QStringLiteral("c1"), QStringLiteral("c1:"), QStringLiteral("c12:wave 1")});
}
BENCHMARK(BM_SearchFilterTyping)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    if (argc > 1 && std::strcmp(argv[1], EditorStartArgument) == 0)
        return runEditorProgram(argc, argv);
    TestEnvironment env;
    QApplication app(argc, argv);
    return RunRegisteredBenchmarks(argc, argv);
}
