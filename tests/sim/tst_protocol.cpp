// The simulator's own protocol, without a transport: what the instrument
// answers to each message, what it takes into its memory, and what the cable
// does to its replies.
#include "SimInstrument.h"
#include "SimProtocol.h"
#include "SimWire.h"
#include "TestEnvironment.h"

namespace {

QByteArray simHex(const QString& hex)
{
    return QByteArray::fromHex(hex.toLatin1());
}

QString simText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// What the instrument sent, in short: a framed block as its location, message
// count and name; other messages as their hex bytes.
QString summary(const QList<Sim::Reply>& replies)
{
    QStringList out;
    for (const Sim::Reply& r : replies) {
        const QList<QByteArray>& m = r.messages;
        const Sim::Message first = Sim::Message::parse(m.value(0));
        const Sim::Message last = Sim::Message::parse(m.value(m.size() - 1));
        if (m.size() > 2 && first.kind == Sim::Message::BulkDump && (first.address >> 16) == 0x0E &&
            last.address == first.address + 0x010000) {
            out << QStringLiteral("block %1: %2 messages, %3")
                       .arg(QString::number(first.address & 0xFFFF, 16)
                                .toUpper()
                                .rightJustified(4, QLatin1Char('0')))
                       .arg(m.size())
                       .arg(
                           QString::fromLatin1(Sim::Message::parse(m[1]).data.left(Sim::NameSize)).trimmed());
            continue;
        }
        for (const QByteArray& b : m)
            out << simText(b);
    }
    return out.join(QStringLiteral(" | "));
}

Sim::Instrument loadedInstrument(const Sim::Options& options = Sim::Options())
{
    Sim::Instrument instrument;
    QString error;
    if (!instrument.load(options, &error))
        qWarning("%s", qPrintable(error));
    return instrument;
}

// Messages in; the replies of the last one.
QList<Sim::Reply> feed(Sim::Instrument& instrument, const QList<QByteArray>& messages)
{
    QList<Sim::Reply> replies;
    for (const QByteArray& m : messages) {
        replies.clear();
        instrument.receive(m, replies);
    }
    return replies;
}

// A location's blocks as the host sends them: header, blocks, footer.
QList<QByteArray> framedWrite(unsigned int block, const Sim::Layout& layout, const QByteArray& image)
{
    QList<QByteArray> out{Sim::bulkDump(block + Sim::HeaderOffset, {})};
    for (const Sim::Layout::Block& b : layout.blocks)
        out << Sim::bulkDump(b.address, image.mid(b.offset, b.size));
    out << Sim::bulkDump(block + Sim::FooterOffset, {});
    return out;
}

QByteArray renamed(QByteArray image, const QByteArray& name)
{
    image.replace(0, Sim::NameSize, name.leftJustified(Sim::NameSize, ' '));
    return image;
}

const QString ModeVoice = QStringLiteral("F0 43 10 7F 00 0A 00 01 00 F7");
const QString ModePerformance = QStringLiteral("F0 43 10 7F 00 0A 00 01 01 F7");
const QString ModeSong = QStringLiteral("F0 43 10 7F 00 0A 00 01 03 F7");
const QString ModeMaster = QStringLiteral("F0 43 10 7F 00 0A 00 01 04 F7");

} // namespace

class TestSimProtocol : public QObject
{
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");

        const QString identity = QStringLiteral("F0 7E 00 06 02 43 00 41 69 05 00 00 00 01 F7");
        QTest::newRow("identity, own device") << QStringList() << "F0 7E 00 06 01 F7" << identity;
        QTest::newRow("identity, any device") << QStringList() << "F0 7E 7F 06 01 F7" << identity;
        QTest::newRow("identity, other device") << QStringList() << "F0 7E 03 06 01 F7"
                                                << "";

        // Every location kind, in its mode.
        QTest::newRow("preset voice") << QStringList() << "F0 43 20 7F 00 0E 00 00 F7"
                                      << "block 0000: 39 messages, SimV 0000";
        QTest::newRow("GM voice") << QStringList() << "F0 43 20 7F 00 0E 06 7F F7"
                                  << "block 067F: 39 messages, SimV 067F";
        QTest::newRow("user voice") << QStringList() << "F0 43 20 7F 00 0E 08 03 F7"
                                    << "block 0803: 39 messages, SimV 0803";
        QTest::newRow("PLG user voice, last") << QStringList() << "F0 43 20 7F 00 0E 1A 3F F7"
                                              << "block 1A3F: 11 messages, SimG 1A3F";
        QTest::newRow("PLG user voice 65") << QStringList() << "F0 43 20 7F 00 0E 18 40 F7"
                                           << "";
        QTest::newRow("preset drum kit") << QStringList() << "F0 43 20 7F 00 0E 20 05 F7"
                                         << "block 2005: 375 messages, SimD 2005";
        QTest::newRow("GM drum kit") << QStringList() << "F0 43 20 7F 00 0E 21 00 F7"
                                     << "block 2100: 375 messages, SimD 2100";
        QTest::newRow("user drum kit, last") << QStringList() << "F0 43 20 7F 00 0E 28 1F F7"
                                             << "block 281F: 375 messages, SimD 281F";
        QTest::newRow("user drum kit 33") << QStringList() << "F0 43 20 7F 00 0E 28 20 F7"
                                          << "";
        QTest::newRow("performance") << QStringList{ModePerformance} << "F0 43 20 7F 00 0E 40 05 F7"
                                     << "block 4005: 22 messages, SimP 4005";
        QTest::newRow("master") << QStringList{ModeMaster} << "F0 43 20 7F 00 0E 70 7F F7"
                                << "block 707F: 7 messages, SimS 707F";
        QTest::newRow("no kind (0A00)") << QStringList() << "F0 43 20 7F 00 0E 0A 00 F7"
                                        << "";
        QTest::newRow("not a header address") << QStringList() << "F0 43 20 7F 00 00 08 03 F7"
                                              << "";
        QTest::newRow("other device number") << QStringList() << "F0 43 23 7F 00 0E 08 03 F7"
                                             << "";

        // The mode owns the patch type.
        QTest::newRow("performance in Voice mode") << QStringList() << "F0 43 20 7F 00 0E 40 05 F7"
                                                   << "";
        QTest::newRow("voice in Performance mode")
            << QStringList{ModePerformance} << "F0 43 20 7F 00 0E 08 03 F7"
            << "";
        QTest::newRow("master in Song mode") << QStringList{ModeSong} << "F0 43 20 7F 00 0E 70 00 F7"
                                             << "";

        // Edit buffers.
        QTest::newRow("voice edit buffer") << QStringList() << "F0 43 20 7F 00 0E 0F 00 F7"
                                           << "block 0F00: 39 messages, SimV 0F00";
        QTest::newRow("drum edit buffer, voice selected") << QStringList() << "F0 43 20 7F 00 0E 2F 00 F7"
                                                          << "";
        QTest::newRow("drum edit buffer, kit selected")
            << QStringList{"B0 00 3F", "B0 20 28", "C0 02"} << "F0 43 20 7F 00 0E 2F 00 F7"
            << "block 2F00: 375 messages, SimD 2802";
        QTest::newRow("voice edit buffer, kit selected")
            << QStringList{"B0 00 3F", "B0 20 28", "C0 02"} << "F0 43 20 7F 00 0E 0F 00 F7"
            << "";
        QTest::newRow("voice selected on another channel")
            << QStringList{"B1 00 3F", "B1 20 08", "C1 07"} << "F0 43 20 7F 00 0E 0F 00 F7"
            << "block 0F00: 39 messages, SimV 0F00";
        QTest::newRow("voice selected after a kit")
            << QStringList{"B0 00 3F", "B0 20 28", "C0 02", "B0 00 3F", "B0 20 08", "C0 07"}
            << "F0 43 20 7F 00 0E 0F 00 F7"
            << "block 0F00: 39 messages, SimV 0807";
        QTest::newRow("PLG edit buffer") << QStringList() << "F0 43 20 7F 00 0E 1F 00 F7"
                                         << "block 1F00: 11 messages, SimG 1F00";
        QTest::newRow("performance edit buffer, selected")
            << QStringList{ModePerformance, "B0 00 3F", "B0 20 40", "C0 09"} << "F0 43 20 7F 00 0E 4F 00 F7"
            << "block 4F00: 22 messages, SimP 4009";
        QTest::newRow("performance selected in Voice mode")
            << QStringList{"B0 00 3F", "B0 20 40", "C0 09", ModePerformance} << "F0 43 20 7F 00 0E 4F 00 F7"
            << "block 4F00: 22 messages, SimP 4F00";
        QTest::newRow("mix edit buffer, multi selected")
            << QStringList{ModeSong, "F3 05"} << "F0 43 20 7F 00 0E 5F 00 F7"
            << "block 5F00: 34 messages, SimM S005";
        QTest::newRow("mix edit buffer in Voice mode") << QStringList{"F3 05"} << "F0 43 20 7F 00 0E 5F 00 F7"
                                                       << "";
        QTest::newRow("master edit buffer, selected")
            << QStringList{ModeMaster, "F0 43 10 7F 00 0A 00 00 03 F7"} << "F0 43 20 7F 00 0E 7F 00 F7"
            << "block 7F00: 7 messages, SimS 7003";
        QTest::newRow("back in Voice mode")
            << QStringList{ModeMaster, ModeVoice} << "F0 43 20 7F 00 0E 0F 00 F7"
            << "block 0F00: 39 messages, SimV 0F00";

        // Parameter requests: the current bytes at exactly that address.
        QTest::newRow("mode") << QStringList{ModeSong} << "F0 43 30 7F 00 0A 00 01 F7"
                              << "F0 43 10 7F 00 0A 00 01 03 F7";
        QTest::newRow("no mode 5") << QStringList{ModeSong, "F0 43 10 7F 00 0A 00 01 05 F7"}
                                   << "F0 43 30 7F 00 0A 00 01 F7"
                                   << "F0 43 10 7F 00 0A 00 01 03 F7";
        QTest::newRow("receive channel")
            << QStringList{"F0 43 10 7F 00 00 00 0A 05 F7"} << "F0 43 30 7F 00 00 00 0A F7"
            << "F0 43 10 7F 00 00 00 0A 05 F7";
        QTest::newRow("two-byte system parameter") << QStringList() << "F0 43 30 7F 00 00 21 00 F7"
                                                   << "F0 43 10 7F 00 00 21 00 00 00 F7";
        QTest::newRow("block byte") << QStringList{"F0 43 10 7F 00 40 00 00 11 F7"}
                                    << "F0 43 30 7F 00 40 00 00 F7"
                                    << "F0 43 10 7F 00 40 00 00 11 F7";
        QTest::newRow("sub-block byte")
            << QStringList{"F0 43 10 7F 00 41 01 3D 22 F7"} << "F0 43 30 7F 00 41 01 3D F7"
            << "F0 43 10 7F 00 41 01 3D 22 F7";
        QTest::newRow("two-byte block parameter") << QStringList() << "F0 43 30 7F 00 30 11 00 F7"
                                                  << "F0 43 10 7F 00 30 11 00 02 48 F7";
        QTest::newRow("a change runs to the block's end")
            << QStringList{"F0 43 10 7F 00 40 00 40 01 02 03 04 05 06 F7"} << "F0 43 30 7F 00 40 00 43 F7"
            << "F0 43 10 7F 00 40 00 43 04 F7";
        QTest::newRow("past a block") << QStringList() << "F0 43 30 7F 00 40 00 44 F7"
                                      << "";
        QTest::newRow("no such parameter") << QStringList() << "F0 43 30 7F 00 50 00 00 F7"
                                           << "";
        QTest::newRow("other device's change")
            << QStringList{"F0 43 12 7F 00 40 00 00 11 F7"} << "F0 43 30 7F 00 40 00 00 F7"
            << "F0 43 10 7F 00 40 00 00 03 F7";
    }

    void answers()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, in);
        QFETCH(QString, out);
        Sim::Instrument instrument = loadedInstrument();
        QVERIFY(instrument.isLoaded());
        QList<QByteArray> messages;
        for (const QString& m : before)
            messages << simHex(m);
        feed(instrument, messages);
        QCOMPARE(summary(feed(instrument, {simHex(in)})), out);
    }

    // A block's messages are the type's initial patch under the location's
    // name, framed, with the instrument's device number.
    void blockContent()
    {
        Sim::Options options;
        options.device = 5;
        Sim::Instrument instrument = loadedInstrument(options);
        QVERIFY(feed(instrument, {simHex("F0 43 25 7F 00 0E 70 03 F7")}).isEmpty()); // Voice mode
        feed(instrument, {simHex("F0 43 15 7F 00 0A 00 01 04 F7")});
        const QList<QByteArray> block =
            feed(instrument, {simHex("F0 43 25 7F 00 0E 70 03 F7")}).value(0).messages;

        QFile file(QStringLiteral(ORVANE_SOURCE_DIR "/resources/vesk/data/init/master.syx"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> init = file.readAll().split(char(0xF7)).mid(0, 5);
        QCOMPARE(block.size(), 7);
        QCOMPARE(simText(block.first()).left(29), QStringLiteral("F0 43 05 7F 00 00 00 0E 70 03"));
        QCOMPARE(Sim::Message::parse(block.last()).address, 0x0F7003u);
        for (int i = 0; i < 5; ++i) {
            const Sim::Message m = Sim::Message::parse(block[i + 1]);
            const Sim::Message expected = Sim::Message::parse(init[i] + char(0xF7));
            QVERIFY(m.checksumOk && m.countOk);
            QCOMPARE(m.device, 5);
            QCOMPARE(m.address, expected.address);
            QCOMPARE(m.data, i == 0 ? QByteArray(expected.data).replace(0, 10, "SimS 7003 ") : expected.data);
        }
    }

    void writes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");    // of 0x0803 afterwards
        QTest::addColumn<QString>("refusal"); // part of the last refusal; empty for none
        QTest::newRow("framed") << 0 << "Written   "
                                << "";
        QTest::newRow("bad checksum") << 1 << "SimV 0803 "
                                      << "write to 0803 dropped: bad checksum in block 400100";
        QTest::newRow("wrong size") << 2 << "SimV 0803 "
                                    << "block 400040 holds 3 bytes, not 4";
        QTest::newRow("foreign block") << 3 << "SimV 0803 "
                                       << "block 460000 does not belong to 0803";
        QTest::newRow("footer of another block") << 4 << "SimV 0803 "
                                                 << "its footer names 0804";
        QTest::newRow("no footer, new header") << 5 << "SimV 0803 "
                                               << "a header came before its footer";
        QTest::newRow("broken header") << 6 << "SimV 0803 "
                                       << "its header was broken";
        QTest::newRow("other device") << 7 << "SimV 0803 "
                                      << "";
        QTest::newRow("preset location") << 8 << "SimV 0803 "
                                         << "write to 0003 dropped: a preset location";
    }

    // A write lands only when whole and correct; nothing else changes memory.
    void writes()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        Sim::Instrument instrument = loadedInstrument();
        const Sim::Layout& layout = instrument.memory().layout(Sim::Voice);
        const QByteArray image = renamed(instrument.image(0x0803), "Written");
        QList<QByteArray> in = framedWrite(0x0803, layout, image);
        switch (kind) {
        case 1:
            in[4][in[4].size() - 2] = char(in[4][in[4].size() - 2] ^ 1);
            break;
        case 2:
            in[3] = Sim::bulkDump(0x400040, simHex("01 7F 7F"));
            break;
        case 3:
            in.insert(5, Sim::bulkDump(0x460000, QByteArray(8, 0)));
            break;
        case 4:
            in.last() = Sim::bulkDump(0x0F0804, {});
            break;
        case 5:
            in.removeLast();
            in << Sim::bulkDump(0x0E0804, {}) << Sim::bulkDump(0x0F0804, {});
            break;
        case 6:
            in[0][in[0].size() - 2] = char(in[0][in[0].size() - 2] ^ 1);
            break;
        case 7:
            for (QByteArray& m : in)
                m[2] = 0x01;
            break;
        case 8:
            in.first() = Sim::bulkDump(0x0E0003, {});
            in.last() = Sim::bulkDump(0x0F0003, {});
            break;
        default:
            break;
        }
        const QByteArray editBuffer = instrument.image(0x0F00);
        feed(instrument, in);
        QCOMPARE(instrument.name(0x0803), name);
        QCOMPARE(instrument.name(0x0003), QStringLiteral("SimV 0003 "));
        // The blocks of a dropped write do not land in the edit buffer either.
        QCOMPARE(instrument.image(0x0F00), editBuffer);
        QVERIFY(!instrument.isWriteOpen());
        QCOMPARE(instrument.refusals().value(instrument.refusals().size() - 1).contains(refusal), true);
        QCOMPARE(instrument.refusals().isEmpty(), refusal.isEmpty());
        QCOMPARE(instrument.unstored().contains(0x0803), kind == 0);
    }

    void storeAllAndUnframedBlocks()
    {
        Sim::Instrument instrument = loadedInstrument();
        const Sim::Layout& layout = instrument.memory().layout(Sim::Voice);
        feed(instrument, framedWrite(0x0901, layout, renamed(instrument.image(0x0901), "Kept")));
        QCOMPARE(instrument.unstored(), QSet<unsigned int>{0x0901});
        feed(instrument, {Sim::bulkDump(Sim::StoreAllAddress, {})});
        QCOMPARE(instrument.counters().storeAll, 1);
        QVERIFY(instrument.unstored().isEmpty());
        QCOMPARE(instrument.name(0x0901), QStringLiteral("Kept      "));

        // A block without header and footer goes to its type's edit buffer.
        QByteArray common = instrument.image(0x2F00).left(82);
        common.replace(0, 10, "Loose Kit ");
        feed(instrument, {Sim::bulkDump(0x467000, common)});
        QCOMPARE(instrument.name(0x2F00), QStringLiteral("Loose Kit "));
        QCOMPARE(instrument.name(0x2800), QStringLiteral("SimD 2800 "));

        // A block the host leaves out (it never sends 0x302000) keeps what the
        // location held.
        const Sim::Layout& performance = instrument.memory().layout(Sim::Performance);
        QByteArray image = renamed(instrument.image(0x4001), "Perf");
        const Sim::Layout::Block& kept = performance.blocks[size_t(performance.blockAt(0x302000))];
        image.replace(kept.offset, kept.size, QByteArray(kept.size, 0x11));
        QList<QByteArray> in = framedWrite(0x4001, performance, image);
        in.removeAt(1 + performance.blockAt(0x302000));
        feed(instrument, in);
        QCOMPARE(instrument.name(0x4001), QStringLiteral("Perf      "));
        QCOMPARE(instrument.image(0x4001).mid(kept.offset, kept.size), QByteArray(kept.size, 0));
        QVERIFY(instrument.refusals().isEmpty());
    }

    void wire_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("packets"); // per packet: delay, size, checksum state
        QTest::addColumn<bool>("online");

        // A reply of three 12-byte messages: header, empty block, footer.
        QTest::newRow("clean") << int(Sim::Fault::None) << -1 << QStringList{"0 12 ok", "0 12 ok", "0 12 ok"}
                               << true;
        QTest::newRow("drop") << int(Sim::Fault::Drop) << -1 << QStringList() << true;
        QTest::newRow("delay") << int(Sim::Fault::Delay) << 700
                               << QStringList{"700 12 ok", "700 12 ok", "700 12 ok"} << true;
        QTest::newRow("truncate") << int(Sim::Fault::Truncate) << -1
                                  << QStringList{"0 12 ok", "0 6 -", "0 12 ok"} << true;
        QTest::newRow("truncate the last")
            << int(Sim::Fault::Truncate) << 2 << QStringList{"0 12 ok", "0 12 ok", "0 6 -"} << true;
        QTest::newRow("checksum") << int(Sim::Fault::BadChecksum) << 0
                                  << QStringList{"0 12 bad", "0 12 ok", "0 12 ok"} << true;
        QTest::newRow("garbage") << int(Sim::Fault::Garbage) << -1
                                 << QStringList{"0 2 -", "0 1 -",   "0 5 -", "0 12 ok", "0 2 -", "0 1 -",
                                                "0 5 -", "0 12 ok", "0 2 -", "0 1 -",   "0 5 -", "0 12 ok"}
                                 << true;
        QTest::newRow("twice") << int(Sim::Fault::Twice) << -1 << QStringList{"0 12 ok", "0 12 ok", "0 12 ok",
                                                                              "0 12 ok", "0 12 ok", "0 12 ok"}
                               << true;
        QTest::newRow("disconnect") << int(Sim::Fault::Disconnect) << -1 << QStringList{"0 12 ok"} << false;
        QTest::newRow("omit the footer") << int(Sim::Fault::Omit) << 2 << QStringList{"0 12 ok", "0 12 ok"} << true;
        QTest::newRow("hollow") << int(Sim::Fault::Hollow) << -1 << QStringList{"0 12 ok", "0 12 ok"} << true;
    }

    void wire()
    {
        QFETCH(int, fault);
        QFETCH(int, value);
        QFETCH(QStringList, packets);
        QFETCH(bool, online);
        const Sim::Reply reply{
            Sim::BulkReply,
            {Sim::bulkDump(0x0E0803, {}), Sim::bulkDump(0x400000, {}), Sim::bulkDump(0x0F0803, {})}};
        Sim::Wire wire;
        wire.setFault(Sim::BulkReply, {Sim::Fault(fault), value, 1});
        // Faults are per kind.
        const Sim::Reply parameter{Sim::ParameterReply, {Sim::parameterChange(0x0A0001, simHex("00"))}};
        QCOMPARE(wire.schedule(parameter, 0).size(), 1);

        QStringList out;
        for (const Sim::Packet& p : wire.schedule(reply, 1000000)) {
            const Sim::Message m = Sim::Message::parse(p.bytes);
            out << QStringLiteral("%1 %2 %3")
                       .arg(p.delayMs)
                       .arg(p.bytes.size())
                       .arg(m.kind != Sim::Message::BulkDump ? "-"
                            : m.checksumOk                   ? "ok"
                                                             : "bad");
        }
        QCOMPARE(out, packets);
        QCOMPARE(wire.isOnline(), online);
        // The fault was for one reply only; a pulled cable stays pulled.
        QCOMPARE(wire.schedule(reply, 2000000).size(), online ? 3 : 0);
    }

    // A fault set to let two replies pass hits the third, as often as asked.
    void faultAfterReplies()
    {
        const Sim::Reply reply{Sim::BulkReply, {Sim::bulkDump(0x0E0803, {}), Sim::bulkDump(0x0F0803, {})}};
        Sim::Wire wire;
        wire.setFault(Sim::BulkReply, {Sim::Fault::Drop, -1, 1, 2});
        QList<qsizetype> sizes;
        for (int i = 0; i < 4; ++i)
            sizes << wire.schedule(reply, i * 1000000).size();
        QCOMPARE(sizes, (QList<qsizetype>{2, 2, 0, 2}));
    }

    // At the wire rate a whole drum kit takes about 2.7 s, within the drum
    // editor's 3.5 s; replies keep their order behind one held back.
    void pacing()
    {
        Sim::Instrument instrument = loadedInstrument();
        const QList<Sim::Reply> kit = feed(instrument, {simHex("F0 43 20 7F 00 0E 28 00 F7")});
        QCOMPARE(kit.size(), 1);
        qsizetype bytes = 0;
        for (const QByteArray& m : kit[0].messages)
            bytes += m.size();
        QCOMPARE(bytes, 8415);

        Sim::Wire wire;
        wire.setPacing(true);
        const QList<Sim::Packet> packets = wire.schedule(kit[0], 0);
        QCOMPARE(packets.size(), 375);
        QCOMPARE(packets.first().delayMs, 4);   // 12 bytes: 3.84 ms
        QCOMPARE(packets.last().delayMs, 2693); // 8415 bytes: 2692.8 ms
        for (qsizetype i = 1; i < packets.size(); ++i)
            QVERIFY(packets[i].delayMs >= packets[i - 1].delayMs);

        // Asked again 1 s later, the second copy follows the first.
        QCOMPARE(wire.schedule(kit[0], 1000000).first().delayMs, 1697);

        Sim::Wire unpaced;
        unpaced.setFault(Sim::BulkReply, {Sim::Fault::Delay, 300, 1});
        QCOMPARE(unpaced.schedule(kit[0], 0).last().delayMs, 300);
        QCOMPARE(unpaced.schedule(kit[0], 100000).first().delayMs, 200);
    }

    void stream_data()
    {
        QTest::addColumn<QStringList>("packets");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("one packet, two messages")
            << QStringList{"F0 7E 00 06 01 F7 C0 05"} << QStringList{"F0 7E 00 06 01 F7", "C0 05"};
        QTest::newRow("sysex over packets")
            << QStringList{"F0 43", "20 7F 00", "0E 08 03 F7"} << QStringList{"F0 43 20 7F 00 0E 08 03 F7"};
        QTest::newRow("real-time bytes inside")
            << QStringList{"F0 43 F8 20 7F 00 0E FE 08 03 F7"} << QStringList{"F0 43 20 7F 00 0E 08 03 F7"};
        QTest::newRow("sysex cut by a status")
            << QStringList{"F0 43 20 7F B0 00 3F"} << QStringList{"B0 00 3F"};
        QTest::newRow("sysex cut by a new sysex")
            << QStringList{"F0 43 20 7F F0 7E 00 06 01 F7"} << QStringList{"F0 7E 00 06 01 F7"};
        QTest::newRow("no running status") << QStringList{"B0 00 3F 20 08"} << QStringList{"B0 00 3F"};
        QTest::newRow("short message over packets") << QStringList{"B0 00", "3F"} << QStringList();
        QTest::newRow("stray bytes") << QStringList{"12 34 F7 F3 02"} << QStringList{"F3 02"};
    }

    void stream()
    {
        QFETCH(QStringList, packets);
        QFETCH(QStringList, messages);
        Sim::Stream stream;
        QList<QByteArray> out;
        for (const QString& p : packets) {
            const QByteArray bytes = simHex(p);
            stream.feed(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()), out);
        }
        QStringList texts;
        for (const QByteArray& m : out)
            texts << simText(m);
        QCOMPARE(texts, messages);
    }

    void loadFailures()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Sim::Options options;
        options.initFolder = dir.path();
        Sim::Instrument instrument;
        QString error;
        QVERIFY(!instrument.load(options, &error));
        QVERIFY2(error.startsWith(QStringLiteral("cannot read")), qPrintable(error));

        for (const char* type : {"voice", "drum", "plg", "performance", "mix", "master"})
            QVERIFY(QFile::copy(QStringLiteral(":/instrument-sim/init/%1.syx").arg(QLatin1String(type)),
                                dir.filePath(QStringLiteral("%1.syx").arg(QLatin1String(type)))));
        QVERIFY2(instrument.load(options, &error), qPrintable(error));

        QFile plg(dir.filePath(QStringLiteral("plg.syx")));
        QVERIFY(plg.setPermissions(plg.permissions() | QFileDevice::WriteOwner));
        QVERIFY(plg.open(QIODevice::Append));
        plg.write(simHex("F0 43 00 7F 00 00 01 4C 00 00 05 00 F7")); // bad checksum
        plg.close();
        QVERIFY(!instrument.load(options, &error));
        QCOMPARE(error, QStringLiteral("plg.syx: message 9 is not a bulk dump of a new block"));
        QVERIFY(!instrument.isLoaded());
        QList<Sim::Reply> replies;
        instrument.receive(simHex("F0 7E 00 06 01 F7"), replies);
        QVERIFY(replies.isEmpty());
    }
};

ORVANE_TEST_GUILESS_MAIN(TestSimProtocol)
#include "tst_protocol.moc"
