// The initial patch files: the generator's output is what is committed, and
// every file holds the instrument's memory image of its type, message by
// message. The bytes are read here directly, so a fault shared by the
// generator and the instrument library cannot hide.
#include "TestEnvironment.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

const QStringList InitTypes = {QStringLiteral("voice"), QStringLiteral("drum"),
                               QStringLiteral("plg"),   QStringLiteral("performance"),
                               QStringLiteral("mix"),   QStringLiteral("master")};

QString initSourcePath(const QString& relative)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/") + relative;
}

QByteArray readInitFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

struct InitBlock
{
    unsigned int address;
    int size;
};
using InitBlocks = QList<InitBlock>;

// `count` copies of blocks, copy i with i * step added to each address.
InitBlocks repeated(const InitBlocks& blocks, int count, unsigned int step)
{
    InitBlocks out;
    for (int i = 0; i < count; ++i) {
        for (const InitBlock& b : blocks)
            out.append({b.address + unsigned(i) * step, b.size});
    }
    return out;
}

// The instrument's blocks per patch type, in the order they are sent.
InitBlocks blockTable(const QString& type)
{
    if (type == QLatin1String("voice"))
        return InitBlocks{{0x407000, 82}, {0x400000, 17}, {0x400040, 4},  {0x400100, 36}, {0x400200, 37},
                          {0x400300, 34}, {0x400400, 34}, {0x400500, 30}, {0x400600, 38}} +
               repeated({{0x410000, 29},
                         {0x410020, 30},
                         {0x420000, 30},
                         {0x430000, 50},
                         {0x440000, 8},
                         {0x440040, 8},
                         {0x440050, 4}},
                        4, 0x100);
    if (type == QLatin1String("drum"))
        return InitBlocks{{0x467000, 82}, {0x460000, 8},  {0x460040, 4},  {0x460100, 36},
                          {0x460200, 37}, {0x460300, 34}, {0x460400, 34}, {0x460500, 30}} +
               repeated({{0x470000, 19}, {0x470020, 12}, {0x480000, 3}, {0x490000, 8}, {0x4A0000, 8}}, 73,
                        0x100);
    if (type == QLatin1String("plg"))
        return {{0x4C7000, 82}, {0x4C0000, 13}, {0x4C0100, 36}, {0x4C0200, 37}, {0x4C0300, 34},
                {0x4C0400, 34}, {0x4C0500, 10}, {0x4C1000, 35}, {0x4C2000, 68}};
    // Performance and mix: common, effects, EQ, master effect, 68-byte block,
    // parts, PLG parts, audio inputs.
    const bool mix = type == QLatin1String("mix");
    if (mix || type == QLatin1String("performance")) {
        const unsigned int b = mix ? 0x360000 : 0x300000;
        return InitBlocks{{b, 101},        {b + 0x100, 36},  {b + 0x200, 37},  {b + 0x300, 34},
                          {b + 0x400, 34}, {b + 0x1000, 20}, {b + 0x1100, 35}, {b + 0x2000, 68}} +
               repeated({{mix ? 0x370000u : 0x310000u, 58}}, mix ? 16 : 4, 0x100) +
               repeated({{mix ? 0x376000u : 0x316000u, 58}}, 3, 0x100) +
               repeated({{mix ? 0x384000u : 0x344000u, 8}}, 5, 0x100);
    }
    if (type == QLatin1String("master"))
        return InitBlocks{{0x330000, 19}} + repeated({{0x320000, 16}}, 4, 0x100);
    return {};
}

// Cuts a file into messages at each F7; a tail without F7 is a message too,
// so that it fails the checks.
QList<QByteArray> initMessages(const QByteArray& bytes)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (quint8(bytes[i]) == 0xF7) {
            out.append(bytes.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < bytes.size())
        out.append(bytes.mid(start));
    return out;
}

// Empty when the message is a well-formed bulk dump of device 0 at address
// with size data bytes; otherwise what is wrong.
QString bulkDumpFault(const QByteArray& m, unsigned int address, int size)
{
    if (m.size() < 12 || !m.startsWith(QByteArray::fromHex("F043007F00")) || quint8(m.back()) != 0xF7)
        return QStringLiteral("not a bulk dump of device 0");
    for (qsizetype i = 1; i < m.size() - 1; ++i) {
        if (quint8(m[i]) >= 0x80)
            return QStringLiteral("status byte inside at %1").arg(i);
    }
    const unsigned int a = unsigned(quint8(m[7])) << 16 | unsigned(quint8(m[8])) << 8 | quint8(m[9]);
    if (a != address)
        return QStringLiteral("address %1, expected %2").arg(a, 6, 16).arg(address, 6, 16);
    const int count = quint8(m[5]) << 7 | quint8(m[6]);
    if (count != m.size() - 12)
        return QStringLiteral("count %1 for %2 data bytes").arg(count).arg(m.size() - 12);
    if (count != size)
        return QStringLiteral("%1 data bytes at %2, expected %3").arg(count).arg(address, 6, 16).arg(size);
    int sum = 0;
    for (qsizetype i = 5; i < m.size() - 1; ++i)
        sum += quint8(m[i]);
    if (sum % 128 != 0)
        return QStringLiteral("bad checksum at %1").arg(address, 6, 16);
    return QString();
}

} // namespace

class TestInitData : public QObject
{
    Q_OBJECT

private slots:
    void regenerates()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to run the generator");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess gen;
        gen.start(python, {initSourcePath(QStringLiteral("tools/gen_init_dumps.py")), dir.path()});
        QVERIFY(gen.waitForFinished(60000));
        QVERIFY2(gen.exitStatus() == QProcess::NormalExit && gen.exitCode() == 0,
                 gen.readAllStandardError().constData());
        for (const QString& type : InitTypes) {
            const QByteArray generated = readInitFile(dir.filePath(type + QStringLiteral(".syx")));
            QVERIFY2(!generated.isEmpty(), qPrintable(type));
            QVERIFY2(
                generated ==
                    readInitFile(initSourcePath(QStringLiteral("resources/vesk/data/init/%1.syx").arg(type))),
                qPrintable(
                    QStringLiteral("the committed %1.syx differs from the generator's output").arg(type)));
        }
    }

    void memoryImage_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("name");

        QTest::newRow("voice") << "voice" << 37 << QByteArray("Init Voice");
        QTest::newRow("drum") << "drum" << 373 << QByteArray("Init Drum ");
        QTest::newRow("plg") << "plg" << 9 << QByteArray("----------");
        QTest::newRow("performance") << "performance" << 20 << QByteArray("Init Perf ");
        QTest::newRow("mix") << "mix" << 32 << QByteArray("Init Multi");
        QTest::newRow("master") << "master" << 5 << QByteArray("InitMaster");
    }

    void memoryImage()
    {
        QFETCH(QString, type);
        QFETCH(int, count);
        QFETCH(QByteArray, name);

        const QList<QByteArray> messages = initMessages(
            readInitFile(initSourcePath(QStringLiteral("resources/vesk/data/init/%1.syx").arg(type))));
        const InitBlocks blocks = blockTable(type);
        QCOMPARE(int(blocks.size()), count);
        QCOMPARE(int(messages.size()), count);
        for (int i = 0; i < count; ++i) {
            const QString fault = bulkDumpFault(messages.at(i), blocks.at(i).address, blocks.at(i).size);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("message %1: %2").arg(i).arg(fault)));
        }
        // The name is data 0-9 of the first block.
        QCOMPARE(messages.first().mid(10, 10), name);
    }

    void quotedMessages()
    {
        const QList<QByteArray> master =
            initMessages(readInitFile(initSourcePath(QStringLiteral("resources/vesk/data/init/master.syx"))));
        QVERIFY(master.size() > 2);
        // fromHex skips the blanks.
        QCOMPARE(master.at(0),
                 QByteArray::fromHex("F0 43 00 7F 00 00 13 33 00 00 49 6E 69 74 4D 61 73 74 65 72 "
                                     "00 00 00 00 00 00 00 00 02 38 F7"));
        QCOMPARE(master.at(2),
                 QByteArray::fromHex("F0 43 00 7F 00 00 10 32 01 00 00 40 40 00 7F 04 7F 64 40 00 "
                                     "00 00 67 7F 07 0A 20 F7"));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestInitData)
#include "tst_initdata.moc"
