// Standard MIDI files: a file of a million events (made by csvmidi, with
// running status as it writes by default) parsed into a document, side by
// side with midicsv reading the same file into /dev/null in the same run.
// Both are given as events per second.
#include "BenchMain.h"
#include "MIDI_Document.h"

#include <QFile>
#include <QTemporaryDir>

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

// Two tracks: tempo changes and markers in the first, the channel messages
// (notes mostly, in runs of one status) in the second. Empty when csvmidi
// is missing.
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
    QByteArray text = "0, 0, Header, 1, 2, 480\n1, 0, Start_track\n";
    for (int i = 0; i < 1000; ++i)
        text += "1, " + QByteArray::number(i * 960) + ", Tempo, " + QByteArray::number(400000 + i * 50) + "\n";
    text += "1, 960000, End_track\n2, 0, Start_track\n";
    quint32 x = 1;
    int tick = 0;
    for (int i = 0; i < Events - 1004; ++i) {
        x = x * 1664525u + 1013904223u;
        tick += int(x >> 28);
        const QByteArray at = "2, " + QByteArray::number(tick) + ", ";
        const QByteArray key = QByteArray::number(30 + int(x >> 8) % 60);
        if (i % 50 == 49)
            text += at + "Control_c, 0, 7, " + key + "\n";
        else
            text += at + "Note_on_c, 0, " + key + ", " + (i % 2 ? "0" : "100") + "\n";
    }
    text += "2, " + QByteArray::number(tick + 1) + ", End_track\n0, 0, End_of_file\n";
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

} // namespace

int main(int argc, char** argv)
{
    TestEnvironment env;
    QCoreApplication app(argc, argv);
    return RunRegisteredBenchmarks(argc, argv);
}
