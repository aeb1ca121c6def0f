// The library on screen, over a Voice Library of 100,000 patches
// (FillVoiceLibrary: voices and drum kits, about 5,000 exact copies):
// searching its duplicates and building their table, removing the 5,000
// copies, sorting the voices by name, opening a view on the voices to its
// first paint, and updating the view after one edit. Then the librarian's
// window with the library opened from its file (the memory the opening
// takes, against the file's size): "Sort by Name" over every row of the
// voices, from the command to the window painted again, beside the bare
// sort of the same rows in the same run.
#include "BenchMain.h"
#include "DuplicatePatchesDlg.h"
#include "Duplicates.h"
#include "LibraryGenerator.h"
#include "LibraryView.h"
#include "PatchDump.h"
#include "PatchSorter.h"
#include "PeakMemory.h"
#include "Profile.h"
#include "Prompts.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskLib.h"
#include "VeskLib_Program.h"
#include "VoicesListView.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int Patches = 100000;

// A title that can show the modified mark, as the main window gives one.
const QString Title = QStringLiteral("Library[*]");

Vesk* device = nullptr;

std::unique_ptr<VeskVLib_Library> generate()
{
    auto library = std::make_unique<VeskVLib_Library>(device);
    FillVoiceLibrary(*library, Patches);
    return library;
}

// One library for the benchmarks that leave it as it was (or sorted).
VeskVLib_Library& shared()
{
    static std::unique_ptr<VeskVLib_Library> library = generate();
    return *library;
}

PatchGroup* voicesOf(VeskVLib_Library& library)
{
    return library.getTypePatchGroup(0);
}

// The whole-library search and the table the dialog shows.
void BM_DuplicateSearchAndTable(benchmark::State& state)
{
    VeskVLib_Library& library = shared(); // made outside the timing
    int rows = 0;
    for (auto _ : state) {
        Duplicates<PatchDumpItem> table;
        library.calcDuplicates(table);
        DuplicatePatchesDlg dialog;
        dialog.listView()->setData(table);
        rows = dialog.listView()->rows();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_DuplicateSearchAndTable)->Unit(benchmark::kMillisecond);

// Accepting the dialog with every copy ticked (each emptied, its messages
// freed) and the rows closing up. A fresh library each time, made outside
// the timing.
void BM_RemoveDuplicates(benchmark::State& state)
{
    ScriptedPrompts prompts;
    int removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<VeskVLib_Library> library = generate();
        Duplicates<PatchDumpItem> table;
        library->calcDuplicates(table);
        auto dialog = std::make_unique<DuplicatePatchesDlg>();
        dialog->setData(table);
        const int before = library->nonEmptyPatchesCount();
        prompts.script(ScriptedPrompts::Kind::YesNo, true);
        state.ResumeTiming();

        dialog->accept();
        library->removeEmptyPatches();

        state.PauseTiming();
        removed = before - library->nonEmptyPatchesCount();
        dialog.reset();
        library.reset();
        state.ResumeTiming();
    }
    state.counters["removed"] = removed;
}
BENCHMARK(BM_RemoveDuplicates)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first sort by name in the process: every name's sort key is made.
void BM_SortByNameFirst(benchmark::State& state)
{
    LibraryView view(&shared());
    view.setWindowTitle(Title);
    view.voicesList()->setLibrary(voicesOf(shared()));
    for (auto _ : state)
        view.voicesList()->sort(0, true);
    state.counters["rows"] = voicesOf(shared())->itemCount();
}
BENCHMARK(BM_SortByNameFirst)->Unit(benchmark::kMillisecond)->Iterations(1);

// Sorting the whole group by name, the direction changing every time; the
// view marks itself modified and refreshes.
void BM_SortByName(benchmark::State& state)
{
    LibraryView view(&shared());
    view.setWindowTitle(Title);
    view.voicesList()->setLibrary(voicesOf(shared()));
    bool ascending = false;
    for (auto _ : state) {
        view.voicesList()->sort(0, ascending);
        ascending = !ascending;
    }
    state.counters["rows"] = voicesOf(shared())->itemCount();
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);

// A new view, showing the voices, painted once.
void BM_OpenViewFirstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        auto view = std::make_unique<LibraryView>(&shared());
        view->setWindowTitle(Title);
        view->show();
        view->selectPatch(QStringLiteral("Normal Voices"), 0);
        const QPixmap painted = view->grab();
        benchmark::DoNotOptimize(painted.cacheKey());
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenViewFirstPaint)->Unit(benchmark::kMillisecond);

// One patch renamed, then the view brought up to date and painted.
void BM_UpdateAfterOneEdit(benchmark::State& state)
{
    LibraryView view(&shared());
    view.setWindowTitle(Title);
    view.show();
    view.selectPatch(QStringLiteral("Normal Voices"), 10);
    view.grab();
    PatchDump* dump = voicesOf(shared())->patchDumpAt(10);
    int n = 0;
    for (auto _ : state) {
        dump->setName(QStringLiteral("Edit %1").arg(++n % 100));
        view.setWindowModified(true);
        view.undoCheck();
        view.updateView(false);
        const QPixmap painted = view.voicesList()->viewport()->grab();
        benchmark::DoNotOptimize(painted.cacheKey());
    }
}
BENCHMARK(BM_UpdateAfterOneEdit)->Unit(benchmark::kMillisecond);

// "Sort by Name" as the user gives it: the librarian's window, the Voice
// Library opened from its file, the voices shown and every row selected.
// Each iteration puts the voices back in the order they were made (not
// timed), sorts that order bare (PatchSorter over the dump pointers, the
// floor), puts it back again, and then times the command until the window
// has painted. The counters give the medians of both and their ratio; the
// benchmark's own time is the command's.
void BM_SortByNameCommand(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("voices.vlib"));
    if (!generate()->storeFile(path)) {
        state.SkipWithError("the library could not be written");
        return;
    }
    Profile::setIdentity(VeskLib::Title, QStringLiteral("Tamsel"), QStringLiteral("2.8.0"));
    Profile::writeProfileInt(QString(), QStringLiteral("OnStart"), 0);
    RegisterLibrarianResources();
    VeskLib window(device);
    window.show();
    QCoreApplication::processEvents();
    // Opening the file to the window painted, as the user meets it: the
    // memory it takes against the file's size.
    const qint64 opened = PeakGrowth([&] {
        window.openFile(path);
        QCoreApplication::processEvents();
    });
    LibraryView* view = window.currentLibraryView();
    if (!view) {
        state.SkipWithError("the library did not open");
        return;
    }
    view->selectPatch(QStringLiteral("Normal Voices"), 0);
    PatchGroup* voices = static_cast<PatchGroup*>(view->voicesList()->library());
    window.command(VeskLib::cmdSelectAll)->trigger();
    QCoreApplication::processEvents();
    QAction* sortByName = window.command(VeskLib::cmdSortByName);
    const QList<PatchDump*> made = voices->dumps();

    const auto restore = [&] {
        static_cast<QList<PatchDump*>&>(voices->dumps()) = made;
        view->updateView(false);
        QCoreApplication::processEvents();
    };
    std::vector<double> floors;
    std::vector<double> commands;
    QElapsedTimer timer;
    for (auto _ : state) {
        state.PauseTiming();
        QList<PatchDump*> order = made;
        timer.start();
        PatchSorter(VoicesListView::NameColumn, true).sort(order);
        floors.push_back(timer.nsecsElapsed() / 1e6);
        benchmark::DoNotOptimize(order.data());
        restore();
        state.ResumeTiming();

        timer.start();
        sortByName->trigger();
        QCoreApplication::processEvents();
        commands.push_back(timer.nsecsElapsed() / 1e6);

        state.PauseTiming();
        if (voices->dumps() != order)
            state.SkipWithError("the command sorted otherwise than the bare sort");
        state.ResumeTiming();
    }
    state.counters["rows"] = double(made.size());
    state.counters["floor_ms"] = MedianOf(floors);
    state.counters["command_ms"] = MedianOf(commands);
    state.counters["per_floor"] = MedianOf(commands) / MedianOf(floors);
    state.counters["open_peak_per_file"] = double(opened) / double(QFileInfo(path).size());
}
BENCHMARK(BM_SortByNameCommand)->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

int main(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    QApplication app(argc, argv);
    Vesk vesk;
    device = &vesk;
    return RunRegisteredBenchmarks(argc, argv);
}
