// instrument-sim: the simulated instrument on two virtual MIDI ports of the
// system (the ALSA sequencer or JACK), so that the suite can be tried and
// tested without the instrument.
//
// The suite sends to "<in client>:in" and receives from "<out client>:out"
// (JACK names; ALSA lists the same names). Once both ports are open the
// program prints "ready <in port> <out port>" on a line of its own. The
// console (standard input) takes commands, one a line; "help" lists them.
// It ends on "quit", SIGINT or SIGTERM.
//
// Threads: RtMidi's receive thread only copies each message and posts it to
// the main thread, which runs the simulator and sends its replies when due.
#include "MidiSystems.h"
#include "Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <RtMidi.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>

#include <unistd.h>

namespace {

std::atomic<bool> stopRequested{false};

void onSignal(int)
{
    stopRequested = true;
}

const QMap<QString, Sim::ReplyKind> ReplyKinds = {{QStringLiteral("identity"), Sim::IdentityReply},
                                                  {QStringLiteral("bulk"), Sim::BulkReply},
                                                  {QStringLiteral("parameter"), Sim::ParameterReply},
                                                  {QStringLiteral("report"), Sim::Report}};
const QMap<QString, Sim::Fault> Faults = {{QStringLiteral("none"), Sim::Fault::None},
                                          {QStringLiteral("drop"), Sim::Fault::Drop},
                                          {QStringLiteral("delay"), Sim::Fault::Delay},
                                          {QStringLiteral("truncate"), Sim::Fault::Truncate},
                                          {QStringLiteral("checksum"), Sim::Fault::BadChecksum},
                                          {QStringLiteral("garbage"), Sim::Fault::Garbage},
                                          {QStringLiteral("twice"), Sim::Fault::Twice},
                                          {QStringLiteral("disconnect"), Sim::Fault::Disconnect},
                                          {QStringLiteral("omit"), Sim::Fault::Omit},
                                          {QStringLiteral("hollow"), Sim::Fault::Hollow}};

const char* const Help =
    "commands:\n"
    "  mode N                 the front panel switches to mode N (0 Voice ... 4 Master)\n"
    "  master N | multi N     the front panel selects master or multi N\n"
    "  patch MSB LSB PROGRAM  the front panel selects a patch\n"
    "  param ADDRESS HEX...   the front panel changes a parameter (hex address)\n"
    "  block ADDRESS          the front panel sends a block (hex bulk address)\n"
    "  note N [VELOCITY]      the front panel plays a note on the receive channel\n"
    "  pace on|off            wire-rate pacing\n"
    "  fault KIND FAULT [VALUE [TIMES [AFTER]]]\n"
    "                         KIND identity|bulk|parameter|report, FAULT none|drop|delay|\n"
    "                         truncate|checksum|garbage|twice|disconnect|omit|hollow;\n"
    "                         AFTER replies of the kind pass first\n"
    "  online                 plug the cable in again\n"
    "  status                 mode, counters and what was refused\n"
    "  received               the messages received since the last time asked, in hex\n"
    "  quit\n";

// The replies waiting for their time, sent from the main thread.
class OutputQueue : public QObject
{
public:
    explicit OutputQueue(RtMidiOut* out) : m_out(out)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { flush(); });
        m_clock.start();
    }

    void add(const QByteArray& packet, int delayMs)
    {
        m_queue.emplace(m_clock.elapsed() + delayMs, packet);
        flush();
    }

private:
    void flush()
    {
        const qint64 now = m_clock.elapsed();
        while (!m_queue.empty() && m_queue.begin()->first <= now) {
            const QByteArray packet = m_queue.begin()->second;
            m_queue.erase(m_queue.begin());
            try {
                m_out->sendMessage(reinterpret_cast<const unsigned char*>(packet.constData()),
                                   size_t(packet.size()));
            } catch (const RtMidiError& e) {
                std::fprintf(stderr, "instrument-sim: send failed: %s\n", e.what());
            }
        }
        if (!m_queue.empty())
            m_timer.start(int(m_queue.begin()->first - now));
    }

    RtMidiOut* m_out;
    QTimer m_timer;
    QElapsedTimer m_clock;
    // Due time (ms) -> packet; packets due at the same time keep the order
    // in which they were added.
    std::multimap<qint64, QByteArray> m_queue;
};

// The MIDI system the ports go on: the one --api names, else the suite's
// rule (ORVANE_MIDI_BACKEND's alsa or jack, else the ALSA sequencer if it
// opens, else JACK if a server runs), so that the simulator meets the suite
// on the same system. False, with the reason in error, when there is none.
// option is alsa, jack or empty.
bool apiFor(const QString& option, RtMidi::Api& api, QString& error)
{
    QString name = option.trimmed().toLower();
    if (name.isEmpty()) {
        name = qEnvironmentVariable("ORVANE_MIDI_BACKEND").trimmed().toLower();
        // The tests' in-process bus cannot reach another process.
        if (name == QLatin1String("virtual"))
            name.clear();
    }
    const MidiSystemChoice choice = chooseMidiSystem(name, *MidiSystems::current());
    switch (choice.system) {
    case MidiSystem::Alsa:
        api = RtMidi::LINUX_ALSA;
        return true;
    case MidiSystem::Jack:
        api = RtMidi::UNIX_JACK;
        return true;
    case MidiSystem::None:
    case MidiSystem::Virtual:
        break;
    }
    error =
        QStringLiteral("no MIDI system: the ALSA sequencer is not available and no JACK server is running. "
                       "Start a JACK server (to try the suite without sound hardware: jackd -d dummy) or "
                       "load the ALSA sequencer (modprobe snd-seq), then start instrument-sim again.");
    return false;
}

bool parseInt(const QString& text, int& value, int base = 10)
{
    bool ok = false;
    value = text.toInt(&ok, base);
    return ok;
}

// One console command; false when it is not understood.
bool runCommand(Sim::Simulator& sim, const QStringList& words, QTextStream& out)
{
    if (words.isEmpty())
        return true;
    const QString& cmd = words.first();
    int a = 0, b = 0, c = 0;
    if (cmd == QLatin1String("help")) {
        out << Help;
    } else if (cmd == QLatin1String("mode") && words.size() == 2 && parseInt(words[1], a)) {
        sim.selectMode(a);
    } else if (cmd == QLatin1String("master") && words.size() == 2 && parseInt(words[1], a)) {
        sim.selectMaster(a);
    } else if (cmd == QLatin1String("multi") && words.size() == 2 && parseInt(words[1], a)) {
        sim.selectMulti(a);
    } else if (cmd == QLatin1String("patch") && words.size() == 4 && parseInt(words[1], a) &&
               parseInt(words[2], b) && parseInt(words[3], c)) {
        sim.selectPatch(static_cast<unsigned short>(a << 8 | b), c);
    } else if (cmd == QLatin1String("param") && words.size() >= 3 && parseInt(words[1], a, 16)) {
        sim.editParameter(unsigned(a), QByteArray::fromHex(words.mid(2).join(QString()).toLatin1()));
    } else if (cmd == QLatin1String("block") && words.size() == 2 && parseInt(words[1], a, 16)) {
        if (!sim.sendBlock(unsigned(a)))
            out << "no block " << words[1] << "\n";
    } else if (cmd == QLatin1String("note") && (words.size() == 2 || words.size() == 3) &&
               parseInt(words[1], a) && (words.size() == 2 || parseInt(words[2], b))) {
        sim.playNote(a, words.size() == 3 ? b : 100);
    } else if (cmd == QLatin1String("received") && words.size() == 1) {
        for (const QByteArray& m : sim.received())
            out << m.toHex(' ').toUpper() << "\n";
        sim.clearReceived();
    } else if (cmd == QLatin1String("pace") && words.size() == 2) {
        sim.setPacing(words[1] == QLatin1String("on"));
    } else if (cmd == QLatin1String("fault") && words.size() >= 3 && ReplyKinds.contains(words[1]) &&
               Faults.contains(words[2])) {
        int value = -1, times = -1, after = 0;
        if ((words.size() > 3 && !parseInt(words[3], value)) ||
            (words.size() > 4 && !parseInt(words[4], times)) || (words.size() > 5 && !parseInt(words[5], after)))
            return false;
        sim.setFault(ReplyKinds.value(words[1]), Faults.value(words[2]), value, times, after);
    } else if (cmd == QLatin1String("online")) {
        sim.setOnline(true);
    } else if (cmd == QLatin1String("status")) {
        const Sim::Instrument::Counters n = sim.counters();
        out << "mode " << sim.mode() << (sim.isOnline() ? "" : " offline") << "; requests: identity "
            << n.identityRequests << ", bulk " << n.bulkRequests << ", parameter " << n.parameterRequests
            << "; received: parameter changes " << n.parameterChanges << ", bulk dumps " << n.bulkDumps
            << ", writes " << n.writes << ", store-all " << n.storeAll << ", GM on " << n.gmOn << "\n";
        for (const QString& r : sim.refusals())
            out << "  refused: " << r << "\n";
    } else {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("instrument-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated instrument on two virtual MIDI ports, for trying and testing the suite."));
    parser.addHelpOption();
    const QCommandLineOption inOption(
        QStringLiteral("in"), QStringLiteral("Client of the port the suite sends to (default: vesk-sim-in)."),
        QStringLiteral("name"), QStringLiteral("vesk-sim-in"));
    const QCommandLineOption outOption(
        QStringLiteral("out"),
        QStringLiteral("Client of the port the suite receives from (default: vesk-sim-out)."),
        QStringLiteral("name"), QStringLiteral("vesk-sim-out"));
    const QCommandLineOption apiOption(
        QStringLiteral("api"),
        QStringLiteral("alsa or jack (default: as the suite chooses: ORVANE_MIDI_BACKEND, else the ALSA "
                       "sequencer if it opens, else JACK if a server is running)."),
        QStringLiteral("api"));
    const QCommandLineOption modelOption(QStringLiteral("model"),
                                         QStringLiteral("Model byte: 69, 6A or 6B (hex)."),
                                         QStringLiteral("byte"), QStringLiteral("69"));
    const QCommandLineOption deviceOption(QStringLiteral("device"), QStringLiteral("Device number 0-15."),
                                          QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption paceOption(QStringLiteral("pace"),
                                        QStringLiteral("Send at the MIDI wire rate."));
    const QCommandLineOption dataOption(
        QStringLiteral("data"), QStringLiteral("Folder of the initial patch files (default: built in)."),
        QStringLiteral("folder"));
    parser.addOptions({inOption, outOption, apiOption, modelOption, deviceOption, paceOption, dataOption});
    parser.process(app);

    Sim::Options options;
    bool okModel = false, okDevice = false;
    options.model = parser.value(modelOption).toInt(&okModel, 16);
    options.device = parser.value(deviceOption).toInt(&okDevice);
    if (!okModel || options.model < 0 || options.model > 0x7F || !okDevice || options.device < 0 ||
        options.device > 15) {
        std::fprintf(stderr, "instrument-sim: bad --model or --device\n");
        return 2;
    }
    if (parser.isSet(dataOption))
        options.initFolder = parser.value(dataOption);

    const QString apiName = parser.value(apiOption).trimmed().toLower();
    if (!apiName.isEmpty() && apiName != QLatin1String("alsa") && apiName != QLatin1String("jack")) {
        std::fprintf(stderr, "instrument-sim: --api takes alsa or jack\n");
        return 2;
    }
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    QString apiError;
    if (!apiFor(apiName, api, apiError)) {
        std::fprintf(stderr, "instrument-sim: %s\n", qPrintable(apiError));
        return 1;
    }
    const std::string inClient = parser.value(inOption).toStdString();
    const std::string outClient = parser.value(outOption).toStdString();
    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    try {
        in = std::make_unique<RtMidiIn>(api, inClient, 1000);
        out = std::make_unique<RtMidiOut>(api, outClient);
        in->ignoreTypes(false, false, false);
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "instrument-sim: no MIDI client: %s\n", e.what());
        return 1;
    }

    OutputQueue queue(out.get());
    Sim::Simulator sim([&queue](const QByteArray& packet, int delayMs) { queue.add(packet, delayMs); });
    QString error;
    if (!sim.load(options, &error)) {
        std::fprintf(stderr, "instrument-sim: %s\n", qPrintable(error));
        return 1;
    }
    sim.setPacing(parser.isSet(paceOption));

    // RtMidi's thread: the message goes to the main thread as it is.
    struct Receiver
    {
        Sim::Simulator* sim;
        QObject* context;
    } receiver{&sim, &queue};
    in->setCallback(
        [](double, std::vector<unsigned char>* message, void* user) {
            auto* r = static_cast<Receiver*>(user);
            const QByteArray bytes(reinterpret_cast<const char*>(message->data()),
                                   qsizetype(message->size()));
            QMetaObject::invokeMethod(
                r->context,
                [sim = r->sim, bytes] {
                    sim->receive(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                 int(bytes.size()));
                },
                Qt::QueuedConnection);
        },
        &receiver);
    try {
        in->openVirtualPort("in");
        out->openVirtualPort("out");
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "instrument-sim: no MIDI port: %s\n", e.what());
        return 1;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, &app, [] {
        if (stopRequested)
            QCoreApplication::quit();
    });
    stopCheck.start(50);

    QTextStream console(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[4096];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof(line));
        if (n <= 0) {
            // No console any more (a closed pipe): keep simulating.
            input.setEnabled(false);
            return;
        }
        static QByteArray pending;
        pending.append(line, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString text = QString::fromLocal8Bit(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (words.value(0) == QLatin1String("quit")) {
                QCoreApplication::quit();
                return;
            }
            if (!runCommand(sim, words, console))
                console << "not understood: " << text << " (\"help\" lists the commands)\n";
            console.flush();
        }
    });

    console << "ready " << QString::fromStdString(inClient) << ":in " << QString::fromStdString(outClient)
            << ":out\n";
    console.flush();

    const int result = app.exec();
    in->cancelCallback();
    in->closePort();
    out->closePort();
    // Replies still queued are dropped with the queue.
    sim.detach();
    return result;
}
