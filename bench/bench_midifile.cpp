// Standard MIDI files: a file of 64 tracks and a million events (made by
// csvmidi, with running status as it writes by default) parsed into a
// document, side by side with midicsv reading the same file into /dev/null in
// the same run; both as events per second, and ours as the heap the document
// keeps per event once loaded and the peak growth of the process per event
// while it loads. And a header that declares 65,535 tracks in a file of 26
// bytes: what the document holds once it is loaded.
#include "BenchMain.h"
#include "MIDI_Document.h"
#include "PeakMemory.h"

#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace {

constexpr int Events = 1000000;

bool run(const QStringList& args)
{
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr int Tracks = 64;

// Bytes the allocator has handed out and not had back.
qint64 heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
}

// 64 tracks: tempo changes in the first, channel messages (notes mostly, in
// runs of one status) in the others, each on a channel of its own. Empty
// when csvmidi is missing.
QString bigFile()
{
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    const QString csv = dir.filePath(QStringLiteral("big.csv"));
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QByteArray text = "0, 0, Header, 1, " + QByteArray::number(Tracks) + ", 480\n1, 0, Start_track\n";
    for (int i = 0; i < 1000; ++i)
        text += "1, " + QByteArray::number(i * 960) + ", Tempo, " + QByteArray::number(400000 + i * 50) + "\n";
    text += "1, 960000, End_track\n";
    // Every track's End_track is an event too.
    const int perTrack = (Events - 1001) / (Tracks - 1) - 1;
    quint32 x = 1;
    for (int t = 2; t <= Tracks; ++t) {
        const QByteArray track = QByteArray::number(t) + ", ";
        const QByteArray channel = QByteArray::number((t - 2) % 16);
        text += track + "0, Start_track\n";
        int tick = 0;
        for (int i = 0; i < perTrack; ++i) {
            x = x * 1664525u + 1013904223u;
            tick += int(x >> 28);
            const QByteArray at = track + QByteArray::number(tick) + ", ";
            const QByteArray key = QByteArray::number(30 + int(x >> 8) % 60);
            if (i % 50 == 49)
                text += at + "Control_c, " + channel + ", 7, " + key + "\n";
            else
                text += at + "Note_on_c, " + channel + ", " + key + ", " + (i % 2 ? "0" : "100") + "\n";
        }
        text += track + QByteArray::number(tick + 1) + ", End_track\n";
    }
    text += "0, 0, End_of_file\n";
    f.write(text);
    f.close();
    const QString mid = dir.filePath(QStringLiteral("big.mid"));
    if (!run({QStringLiteral("csvmidi"), csv, mid}))
        return QString();
    path = mid;
    return path;
}

void BM_Parse(benchmark::State& state)
{
    const QString path = bigFile();
    if (path.isEmpty()) {
        state.SkipWithError("csvmidi is not installed (tools/deps)");
        return;
    }
    int events = 0;
    for (auto _ : state) {
        MIDI_Document doc;
        if (!doc.loadFile(path)) {
            state.SkipWithError("the file does not load");
            return;
        }
        events = doc.eventCount();
    }
    state.counters["events"] = events;
    state.counters["events_per_s"] = benchmark::Counter(double(events) * state.iterations(), benchmark::Counter::kIsRate);

    // Once more, for the memory: what the document keeps, and the peak.
    MIDI_Document doc;
    malloc_trim(0);
    const qint64 before = heapInUse();
    const qint64 peak = PeakGrowth([&] { doc.loadFile(path); });
    state.counters["tracks"] = double(doc.tracks().size());
    state.counters["heap_bytes_per_event"] = double(heapInUse() - before) / doc.eventCount();
    state.counters["peak_rss_bytes_per_event"] = double(peak) / doc.eventCount();
}

// "MThd", its length, format 1, 65535 tracks, 96 ticks, and one track chunk
// of an end-of-track event: 26 bytes that hold one track made and 65,534
// declared. The peak growth of the process while one is loaded.
void BM_HeaderOfManyTracks(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.mid"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(QByteArray::fromHex("4D546864000000060001FFFF00604D54726B0000000400FF2F00")) != 26 || !f.flush()) {
        state.SkipWithError("cannot write the file");
        return;
    }
    f.close();
    for (auto _ : state) {
        MIDI_Document doc;
        if (!doc.loadFile(path) || doc.tracks().size() != 65535) {
            state.SkipWithError("the file does not load as 65535 tracks");
            return;
        }
    }
    // The resident size: a few small blocks are below what it shows, the
    // tracks of the whole count would not be.
    const qint64 grown = PeakGrowth([&] {
        MIDI_Document doc;
        doc.loadFile(path);
    });
    state.counters["file_bytes"] = 26;
    state.counters["peak_rss_growth_bytes"] = double(grown);
}

void BM_Midicsv(benchmark::State& state)
{
    const QString path = bigFile();
    if (path.isEmpty()) {
        state.SkipWithError("csvmidi is not installed (tools/deps)");
        return;
    }
    for (auto _ : state)
        if (!run({QStringLiteral("midicsv"), path})) {
            state.SkipWithError("midicsv failed");
            return;
        }
    state.counters["events_per_s"] = benchmark::Counter(double(Events) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Midicsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_HeaderOfManyTracks)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    return RunRegisteredBenchmarks(argc, argv);
}
