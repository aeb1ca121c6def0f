// Standard MIDI files: reading (running status, escapes, odd headers and
// chunks), writing, agreement with midicsv/csvmidi, and the player: periods,
// seeks, loops and the events it sends into the virtual bus at the file's
// times.
#include "Archive.h"
#include "MIDI_Document.h"
#include "MidiEditor.h"
#include "MidiFilePlayer.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray chunk(const char* tag, const QByteArray& body)
{
    QByteArray out(tag, 4);
    const quint32 n = quint32(body.size());
    out.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return out + body;
}

QByteArray header(int format, int tracks, int division)
{
    QByteArray body;
    for (int v : {format, tracks, division})
        body.append(char(v >> 8)).append(char(v));
    return chunk("MThd", body);
}

QByteArray smf(const QList<QByteArray>& tracks, int division = 96)
{
    QByteArray out = header(1, int(tracks.size()), division);
    for (const QByteArray& t : tracks)
        out += chunk("MTrk", t);
    return out;
}

bool load(MIDI_Document& doc, const QByteArray& bytes)
{
    Buffer file;
    file.setBytes(bytes);
    Archive ar(static_cast<const Buffer&>(file));
    return doc.loadDocument(ar);
}

QByteArray store(MIDI_Document& doc)
{
    Buffer out;
    {
        Archive ar(out);
        doc.storeDocument(ar);
    }
    return out.bytes();
}

// Every event as "track:tick:status metaType data", ticks counted per track.
QStringList events(const MIDI_Document& doc)
{
    QStringList out;
    for (qsizetype t = 0; t < doc.tracks().size(); ++t) {
        qint64 tick = 0;
        for (const MidiEvent& e : doc.tracks().at(t).events) {
            tick += e.delta;
            const QString text = QStringLiteral("%1 %2 %3")
                                     .arg(int(e.status), 2, 16, QLatin1Char('0'))
                                     .arg(int(e.metaType), 2, 16, QLatin1Char('0'))
                                     .arg(e.data.toString());
            out << QStringLiteral("%1:%2:%3").arg(t).arg(tick).arg(text.toUpper().trimmed());
        }
    }
    return out;
}

// Our events in midicsv's notation, for the event types the checks use.
QStringList csvLines(const MIDI_Document& doc)
{
    QStringList out;
    for (qsizetype t = 0; t < doc.tracks().size(); ++t) {
        qint64 tick = 0;
        for (const MidiEvent& e : doc.tracks().at(t).events) {
            tick += e.delta;
            const QString at = QStringLiteral("%1, %2, ").arg(t + 1).arg(tick);
            const Buffer& d = e.data;
            const int ch = e.status & 0x0F;
            QString line;
            if (e.status == 0xFF) {
                switch (e.metaType) {
                case 0x01: line = QStringLiteral("Text_t, \"%1\"").arg(e.text()); break;
                case 0x03: line = QStringLiteral("Title_t, \"%1\"").arg(e.text()); break;
                case 0x06: line = QStringLiteral("Marker_t, \"%1\"").arg(e.text()); break;
                case 0x2F: line = QStringLiteral("End_track"); break;
                case 0x51: line = QStringLiteral("Tempo, %1").arg(d.readValue(0, 3)); break;
                case 0x58:
                    line = QStringLiteral("Time_signature, %1, %2, %3, %4").arg(int(d[0])).arg(int(d[1])).arg(int(d[2])).arg(int(d[3]));
                    break;
                default: line = QStringLiteral("Meta %1").arg(int(e.metaType));
                }
            } else if (e.status == 0xF0) {
                line = QStringLiteral("System_exclusive, %1").arg(d.size());
                for (int i = 0; i < d.size(); ++i)
                    line += QStringLiteral(", %1").arg(d[i]);
            } else {
                switch (e.status & 0xF0) {
                case 0x80: line = QStringLiteral("Note_off_c, %1, %2, %3").arg(ch).arg(int(d[0])).arg(int(d[1])); break;
                case 0x90: line = QStringLiteral("Note_on_c, %1, %2, %3").arg(ch).arg(int(d[0])).arg(int(d[1])); break;
                case 0xA0: line = QStringLiteral("Poly_aftertouch_c, %1, %2, %3").arg(ch).arg(int(d[0])).arg(int(d[1])); break;
                case 0xB0: line = QStringLiteral("Control_c, %1, %2, %3").arg(ch).arg(int(d[0])).arg(int(d[1])); break;
                case 0xC0: line = QStringLiteral("Program_c, %1, %2").arg(ch).arg(int(d[0])); break;
                case 0xD0: line = QStringLiteral("Channel_aftertouch_c, %1, %2").arg(ch).arg(int(d[0])); break;
                case 0xE0: line = QStringLiteral("Pitch_bend_c, %1, %2").arg(ch).arg(int(d[0]) | int(d[1]) << 7); break;
                default: line = QStringLiteral("Status %1").arg(int(e.status));
                }
            }
            out << at + line;
        }
    }
    return out;
}

// A file of two tracks in midicsv's notation: names, markers, tempo and
// signature changes in the first, every kind of channel message and a system
// exclusive message in the second, with runs of one status for running
// status to pay off.
QString generatedCsv(int notes)
{
    QStringList lines{QStringLiteral("0, 0, Header, 1, 2, 480"), QStringLiteral("1, 0, Start_track"),
                      QStringLiteral("1, 0, Title_t, \"Generated\""), QStringLiteral("1, 0, Tempo, 500000"),
                      QStringLiteral("1, 0, Time_signature, 6, 3, 24, 8"), QStringLiteral("1, 0, Marker_t, \"A\""),
                      QStringLiteral("1, 960, Tempo, 250000"), QStringLiteral("1, 1920, Marker_t, \"B\""),
                      QStringLiteral("1, 1920, Text_t, \"text\""), QStringLiteral("1, 3840, End_track"),
                      QStringLiteral("2, 0, Start_track"), QStringLiteral("2, 0, Program_c, 1, 5"),
                      QStringLiteral("2, 0, System_exclusive, 5, 67, 16, 0, 1, 247")};
    quint32 x = 7;
    int tick = 0;
    for (int i = 0; i < notes; ++i) {
        x = x * 1664525u + 1013904223u;
        tick += int(x >> 24) % 50;
        const int ch = int(x >> 8) % 3;
        const int key = 30 + int(x >> 12) % 60;
        switch (int(x >> 20) % 8) {
        case 0: lines << QStringLiteral("2, %1, Control_c, %2, 7, %3").arg(tick).arg(ch).arg(key); break;
        case 1: lines << QStringLiteral("2, %1, Pitch_bend_c, %2, %3").arg(tick).arg(ch).arg(key * 130); break;
        case 2: lines << QStringLiteral("2, %1, Channel_aftertouch_c, %2, %3").arg(tick).arg(ch).arg(key); break;
        case 3: lines << QStringLiteral("2, %1, Poly_aftertouch_c, %2, %3, 9").arg(tick).arg(ch).arg(key); break;
        case 4: lines << QStringLiteral("2, %1, Note_off_c, %2, %3, 64").arg(tick).arg(ch).arg(key); break;
        default: lines << QStringLiteral("2, %1, Note_on_c, %2, %3, %4").arg(tick).arg(ch).arg(key).arg(i % 3 ? 100 : 0);
        }
    }
    lines << QStringLiteral("2, %1, End_track").arg(tick + 10) << QStringLiteral("0, 0, End_of_file");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// midicsv's lines of a file, without the lines that carry no event.
QStringList midicsvLines(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("midicsv"), {path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("midicsv failed")};
    QStringList out;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.contains(QLatin1String("Header")) || line.contains(QLatin1String("Start_track")) ||
            line.contains(QLatin1String("End_of_file")))
            continue;
        out << line.trimmed();
    }
    return out;
}

// Records what the player sends, with the period it went out in.
struct Recorder : IMidiProcessor
{
    int period = 0;
    QList<QPair<int, MidiMessage>> sent;
    void process(MidiMessage& m) override { sent.append({period, m}); }
};

// An instrument on the bus and a device talking to it.
struct Rig
{
    explicit Rig(VirtualMidiBus& bus) : instrument(bus)
    {
        device.attach(instrument);
        bus.clearSent();
    }
    TestInstrument instrument;
    BusDevice device;
};

} // namespace

class TestMidiFile : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetBusAndPorts(); }

    // What a track chunk's bytes read as, and files the reader takes or
    // refuses; a file that loads must also end (no division or length makes
    // it loop).
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("running status") << smf({hex("00 90 3C 40 10 3E 40 10 3C 00 00 FF 2F 00")}) << true
                                        << QStringList{"0:0:90 00 3C 40", "0:16:90 00 3E 40",
                                                       "0:32:90 00 3C 00", "0:32:FF 2F"};
        QTest::newRow("running status across a meta event")
            << smf({hex("00 B0 07 64 00 FF 01 01 41 00 0A 50 00 FF 2F 00")}) << true
            << QStringList{"0:0:B0 00 07 64", "0:0:FF 01 41", "0:0:B0 00 0A 50", "0:0:FF 2F"};
        QTest::newRow("escape and system exclusive")
            << smf({hex("00 F0 03 43 10 F7 05 F7 02 F8 FA 00 C1 05 00 FF 2F 00")}) << true
            << QStringList{"0:0:F0 00 43 10 F7", "0:5:F7 00 F8 FA", "0:5:C1 00 05 00", "0:5:FF 2F"};
        QTest::newRow("meta length past the track is cut")
            << smf({hex("00 FF 01 7F 41 42")}) << true << QStringList{"0:0:FF 01 41 42"};
        QTest::newRow("event cut by the track end is dropped")
            << smf({hex("00 90 3C 40 00 90 3C")}) << true << QStringList{"0:0:90 00 3C 40"};
        QTest::newRow("data byte with no status") << smf({hex("00 3C 40")}) << false << QStringList{};
        QTest::newRow("header only") << header(1, 3, 96) << true << QStringList{};
        QTest::newRow("ends in a chunk header") << header(1, 0, 96) + QByteArray("MTrk\0\0", 6) << false
                                                << QStringList{};
        QTest::newRow("other chunks skipped")
            << header(0, 1, 96) + chunk("XFIH", "abc") + chunk("MTrk", hex("00 C0 01 00 FF 2F 00")) << true
            << QStringList{"0:0:C0 00 01 00", "0:0:FF 2F"};
        QTest::newRow("more tracks than the header says")
            << header(1, 1, 96) + chunk("MTrk", hex("00 FF 2F 00")) + chunk("MTrk", hex("00 C0 01"))
            << true << QStringList{"0:0:FF 2F", "1:0:C0 00 01 00"};
        // Each of these events takes twice its bytes in the file once read:
        // the most any event grows.
        QTest::newRow("running program changes and real-time bytes")
            << smf({hex("00 C0 01 00 02 00 03 00 F8 00 FE 00 F8")}) << true
            << QStringList{"0:0:C0 00 01 00", "0:0:C0 00 02 00", "0:0:C0 00 03 00", "0:0:F8 00 00 00",
                           "0:0:FE 00 00 00", "0:0:F8 00 00 00"};
        // The longest delta, and lengths of more than one byte.
        QTest::newRow("long deltas and lengths")
            << smf({hex("FF FF FF 7F FF 01 81 00") + QByteArray(128, 'a') + hex("00 F0 00 81 80 00 FF 2F 00")})
            << true
            << QStringList{"0:268435455:FF 01 " + QByteArray(128, 'a').toHex(' ').toUpper(), "0:268435455:F0 00",
                           "0:268451839:FF 2F"};
        QTest::newRow("division 0") << smf({hex("00 90 3C 40 83 60 80 3C 00 00 FF 2F 00")}, 0) << true
                                    << QStringList{"0:0:90 00 3C 40", "0:480:80 00 3C 00", "0:480:FF 2F"};
    }

    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, loads);
        QFETCH(QStringList, expected);
        MIDI_Document doc;
        QCOMPARE(load(doc, file), loads);
        if (!loads) {
            QVERIFY(!doc.docError().isEmpty());
            return;
        }
        QCOMPARE(events(doc), expected);
        QVERIFY(doc.tpqn() > 0);
    }

    // The header is kept raw; its words set the format, the track count and
    // the ticks per quarter note (SMPTE divisions give their low byte).
    void headers()
    {
        MIDI_Document doc;
        QVERIFY(load(doc, header(1, 3, 0xE728)));
        QCOMPARE(doc.tracks().size(), 3);
        QCOMPARE(doc.tpqn(), 40);
        QCOMPARE(doc.format(), 1);
        QVERIFY(doc.markers().isEmpty());

        // A second header starts the tracks again; later track chunks go on
        // from the index reached.
        QVERIFY(load(doc, header(1, 1, 96) + chunk("MTrk", hex("00 C0 01")) + header(1, 2, 120) +
                              chunk("MTrk", hex("00 C0 02"))));
        QCOMPARE(events(doc), QStringList{"1:0:C0 00 02 00"});
        QCOMPARE(doc.tpqn(), 120);

        // A header may declare more tracks than the file could hold: they
        // read as empty tracks, and nothing plays.
        QVERIFY(load(doc, header(1, 65535, 96) + chunk("MTrk", hex("00 C0 01 00 FF 2F 00"))));
        QCOMPARE(doc.tracks().size(), 65535);
        QCOMPARE(doc.tracks().at(0).events.size(), 2);
        QVERIFY(doc.tracks().at(65534).events.isEmpty());
        QCOMPARE(doc.eventCount(), 2);
        QVERIFY(!doc.playCurrentEvents(false));
        QCOMPARE(store(doc).size(), 14 + 15 + 65534 * 8);

        // A short header reads its missing words as 0.
        QVERIFY(load(doc, chunk("MThd", hex("00 01 00"))));
        QCOMPARE(doc.tracks().size(), 0);
        QCOMPARE(doc.tpqn(), 96);
    }

    // Markers come from the first track only, each at its own tick.
    void markers()
    {
        MIDI_Document doc;
        QVERIFY(load(doc, smf({hex("00 FF 06 01 41 83 00 FF 06 01 42 83 00 FF 2F 00"),
                               hex("00 FF 06 01 43 00 FF 2F 00")})));
        QCOMPARE(doc.markers().size(), 3);
        QCOMPARE(doc.markers().at(1).tick, 384);
        QCOMPARE(doc.markers().at(1).text, QStringLiteral("B"));
        QCOMPARE(doc.markers().at(2).text, QStringLiteral("End of track"));
        QCOMPARE(doc.markers().at(2).tick, 768);
    }

    // Writing gives every status byte: a file without running status comes
    // back byte for byte, one with it comes back as the same events.
    void writing()
    {
        const QByteArray plain = smf({hex("00 FF 03 02 41 42 00 F0 02 01 F7 00 90 3C 40 10 80 3C 00 00 FF 2F 00"),
                                      hex("00 C2 05 00 E2 00 40 00 FF 2F 00")});
        MIDI_Document doc;
        QVERIFY(load(doc, plain));
        QCOMPARE(store(doc), plain);

        QVERIFY(load(doc, smf({hex("00 90 3C 40 10 3E 40 00 FF 2F 00")})));
        const QStringList before = events(doc);
        QCOMPARE(store(doc), smf({hex("00 90 3C 40 10 90 3E 40 00 FF 2F 00")}));
        MIDI_Document back;
        QVERIFY(load(back, store(doc)));
        QCOMPARE(events(back), before);

        // Through a file and back.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.mid"));
        QVERIFY(doc.storeFile(path));
        QVERIFY(back.loadFile(path));
        QCOMPARE(events(back), before);
        QCOMPARE(back.path(), path);
    }

    // Files written by csvmidi, with and without running status, load with
    // the events midicsv prints; what we write, midicsv reads the same.
    void agreesWithMidicsv()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("csvmidi")).isEmpty())
            QSKIP("midicsv is not installed (tools/deps installs it)");
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("in.csv"));
        {
            QFile f(csv);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(generatedCsv(3000).toUtf8());
        }
        for (const bool everyStatus : {false, true}) {
            const QString mid = dir.filePath(everyStatus ? QStringLiteral("x.mid") : QStringLiteral("rs.mid"));
            QStringList args;
            if (everyStatus)
                args << QStringLiteral("-x");
            args << csv << mid;
            QCOMPARE(QProcess::execute(QStringLiteral("csvmidi"), args), 0);
            const QStringList theirs = midicsvLines(mid);
            QVERIFY(theirs.size() > 3000);

            MIDI_Document doc;
            QVERIFY2(doc.loadFile(mid), qPrintable(doc.docError()));
            QCOMPARE(csvLines(doc), theirs);

            const QString ours = dir.filePath(QStringLiteral("ours.mid"));
            QVERIFY(doc.storeFile(ours));
            QCOMPARE(midicsvLines(ours), theirs);
        }
    }

    void timing()
    {
        MIDI_Document doc;
        QCOMPARE(doc.ticksPerTimer(), 1.92);
        QVERIFY(std::abs(doc.tickMs() - 5.208333) < 1e-5);
        QVERIFY(!doc.isChannelUsed(16));
        QVERIFY(!doc.isChannelUsed(-1));

        // Tempo and signature reach the document when events are dispatched
        // with a device; a tempo of 500000 is 120 quarter notes a minute, and
        // with 6/8 it counts 240 eighths.
        Rig rig(*bus);
        doc.setDevice(&rig.device);
        QVERIFY(load(doc, smf({hex("00 FF 51 03 07 A1 20 00 90 3C 40 00 FF 2F 00")})));
        QCOMPARE(doc.mpqn(), 500000);
        QCOMPARE(doc.tempo(), 120.0);
        QVERIFY(doc.isChannelUsed(0));
        QVERIFY(!doc.isChannelUsed(1));
        doc.setSignature(6, 3, 24, 8);
        doc.setMPQN(500000);
        QCOMPARE(doc.tempo(), 240.0);
        doc.setMPQN(0);
        QCOMPARE(doc.mpqn(), 500000);
        // Events too short for their type change nothing.
        QVERIFY(load(doc, smf({hex("00 FF 51 02 07 A1 00 FF 58 01 06 00 90 3C 40 00 FF 2F 00")})));
        QCOMPARE(doc.mpqn(), 500000);
        QCOMPARE(doc.numerator(), 4);
    }

    // Periods, seeks and loops: which period sends which event.
    void periods()
    {
        Rig rig(*bus);
        MIDI_Document doc(&rig.device);
        Recorder rec;
        doc.setProcessor(&rec);
        // 2 ticks a period: 1000 ms x 96 / mpqn.
        doc.setTimerMs(10);
        QVERIFY(load(doc, smf({hex("00 FF 51 03 07 53 00 00 FF 2F 00"),
                               hex("00 90 3C 40 03 90 3E 40 02 90 40 40 00 90 41 40")})));
        QCOMPARE(doc.ticksPerTimer(), 2.0);

        doc.seek(0);
        QCOMPARE(doc.position(), 0.0);
        doc.seek(10);
        QCOMPARE(doc.position(), 10.0);
        doc.seek(11);
        QCOMPARE(doc.position(), 10.0);
        doc.setTimerMs(20);
        doc.seek(10);
        QCOMPARE(doc.position(), 8.0);
        doc.setTimerMs(10);

        rec.sent.clear();
        doc.seek(0);
        bool more = true;
        for (rec.period = 1; more && rec.period < 10; ++rec.period)
            more = doc.playCurrentEvents(true);
        QCOMPARE(rec.sent.size(), 3);
        QCOMPARE(rec.sent.at(0).first, 1);
        QCOMPARE(rec.sent.at(1).first, 2);
        QCOMPARE(rec.sent.at(2).first, 3);
        QCOMPARE(rec.sent.at(2).second.data1, 0x40);
        QVERIFY(doc.finished());

        // A single-event track sends nothing and is finished at once.
        QVERIFY(load(doc, smf({hex("00 90 3C 40")})));
        QVERIFY(doc.finished());
    }

    void loops()
    {
        Rig rig(*bus);
        MIDI_Document doc(&rig.device);
        QVERIFY(load(doc, smf({hex("00 FF 06 01 41 83 00 FF 06 01 42 83 00 FF 2F 00"), hex("00 C0 01 8F 00 C0 02 00 FF 2F 00")})));
        doc.play(QStringLiteral("B"), true);
        QCOMPARE(doc.loopStart(), 384.0);
        QCOMPARE(doc.loopEnd(), 768.0);
        QVERIFY(doc.isLooping());
        QVERIFY(doc.position() <= 384.0 && doc.position() > 384.0 - doc.ticksPerTimer());
        double highest = 0;
        for (int i = 0; i < 1000; ++i) {
            QVERIFY(doc.playCurrentEvents(true));
            highest = std::max(highest, doc.position());
            QVERIFY(doc.position() >= 384.0 - doc.ticksPerTimer());
        }
        QVERIFY(highest <= 768.0 && highest > 760.0);

        // A seek past the loop end while looping arrives (it used to jump
        // back on every pass and never end), and the loop stays on.
        doc.seek(2000);
        QVERIFY(doc.position() > 2000.0 - doc.ticksPerTimer() && doc.position() <= 2000.0);
        QVERIFY(doc.isLooping());

        // The last marker has none after it: no loop.
        doc.play(QStringLiteral("End of track"), true);
        QCOMPARE(doc.loopEnd(), -1.0);
        QVERIFY(!doc.isLooping());
        // Playing while playing does nothing; stop sends notes off then.
        doc.setPlaying(true);
        bus->clearSent();
        doc.play(0, false);
        QVERIFY(doc.position() > 380.0);
        doc.stop();
        QVERIFY(bus->waitIdle());
        QCOMPARE(bus->sentPackets(rig.instrument.destination()).size(), 32);
    }

    // The player sends the file's events into the bus at the file's times:
    // each goes out in the first period that ends at or after its time in the
    // tempo map, so with 1 ms periods it is at most 1 ms late, never early.
    void playsAtTheFilesTimes()
    {
        Rig rig(*bus);
        MIDI_Document doc(&rig.device);
        doc.setTimerMs(1);
        // Tempo 500000 until tick 96, then 250000: notes every 48 ticks.
        QVERIFY(load(doc, smf({hex("00 FF 51 03 07 A1 20 60 FF 51 03 03 D0 90 81 40 FF 2F 00"),
                               hex("00 90 3C 40 30 90 3D 40 30 90 3E 40 30 90 3F 40 30 90 40 40 30 90 41 40 "
                                   "30 FF 2F 00")})));
        const QList<double> times{0, 250, 500, 625, 750, 875};

        // In periods, exactly.
        Recorder rec;
        doc.setProcessor(&rec);
        doc.play(0, false);
        for (rec.period = 1; doc.playCurrentEvents(true); ++rec.period)
            ;
        QCOMPARE(rec.sent.size(), times.size());
        for (int i = 0; i < times.size(); ++i) {
            const double late = rec.sent.at(i).first - times.at(i);
            QVERIFY2(late >= -1e-6 && late <= 1.0 + 1e-6, qPrintable(QString::number(late)));
        }
        doc.setProcessor(nullptr);

        // Through the bus, in wall-clock time: in order, never early.
        QVERIFY(bus->waitIdle());
        QMutex mutex;
        QList<QPair<qint64, int>> arrived; // ns since the start, note
        QElapsedTimer clock;
        bus->setResponder(rig.instrument.destination(), [&](VirtualMidiBus&, const QByteArray& packet) {
            if (packet.size() == 3 && (quint8(packet[0]) & 0xF0) == 0x90) {
                QMutexLocker lock(&mutex);
                arrived.append({clock.nsecsElapsed(), packet[1]});
            }
        });
        MidiFilePlayer player(doc);
        QSignalSpy finished(&player, &MidiFilePlayer::finished);
        clock.start();
        QVERIFY(player.start(0, false));
        QVERIFY(!player.start(0, false));
        QVERIFY(finished.wait(10000));
        QVERIFY(!doc.playing());
        QVERIFY(bus->waitIdle());
        QMutexLocker lock(&mutex);
        QCOMPARE(arrived.size(), times.size());
        double latest = 0;
        for (int i = 0; i < times.size(); ++i) {
            QCOMPARE(arrived.at(i).second, 0x3C + i);
            const double late = arrived.at(i).first / 1e6 - times.at(i);
            QVERIFY2(late >= 0.0, qPrintable(QString::number(late)));
            latest = std::max(latest, late);
        }
        qDebug("latest note %.3f ms after its time", latest);
    }

    void view()
    {
        MIDI_Document doc;
        MidiEditor view(nullptr, doc);
        QCOMPARE(view.minimumSize(), QSize(158, 58));
        QCOMPARE(view.frameStyle(), int(QFrame::Box | QFrame::Sunken));
        QCOMPARE(view.focusPolicy(), Qt::StrongFocus);
        view.resize(200, 80);
        QImage image(view.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        view.render(&image);
        QVERIFY(image.pixelColor(100, 40).alpha() == 0 || image.pixelColor(100, 40) == view.palette().window().color());
    }
};

ORVANE_TEST_MAIN(TestMidiFile)
#include "tst_midifile.moc"
