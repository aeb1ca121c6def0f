// The seven shipped plug-in board definitions: the generator gives the files
// as committed, and each holds the board's banks and voice counts.
#include "IniFile.h"
#include "PlgBoards.h"
#include "TestEnvironment.h"
#include "Vesk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QStringList BoardCodes = {"AN", "AP", "DR", "DX", "PC", "PF", "VL"};

QString boardSourcePath(const QString& code)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/resources/vesk/plg/VER150-%1.ini").arg(code);
}

QByteArray boardBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// "title ridev/named" for each bank section, in the order of section PLG.
struct BoardShape
{
    QString name;
    QStringList banks;
    QStringList sections;
};

BoardShape shapeOfBoard(const QByteArray& bytes)
{
    IniFile ini;
    ini.loadData(bytes);
    BoardShape shape;
    IniSection* plg = ini.section(QStringLiteral("PLG"));
    if (!plg)
        return shape;
    shape.name = plg->value(QStringLiteral("Name"));
    const int count = plg->intValue(QStringLiteral("Ridev"));
    for (int i = 0; i < count; ++i) {
        const QString entry = plg->numValue(i);
        shape.banks << entry;
        const QString title = entry.indexOf(u',') > 0 ? entry.mid(6) : entry;
        IniSection* names = ini.section(title);
        if (!names)
            continue;
        const int voices = names->intValue(QStringLiteral("Ridev"));
        int named = 0;
        for (int j = 0; j < voices; ++j) {
            if (!names->numValue(j).isEmpty())
                ++named;
        }
        shape.sections << QStringLiteral("%1 %2/%3").arg(title).arg(voices).arg(named);
    }
    return shape;
}

} // namespace

class TestPlgBoards : public QObject
{
    Q_OBJECT

private slots:
    void generatorGivesTheCommittedFiles()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to run the board file generator");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess gen;
        gen.start(python, {QStringLiteral(ORVANE_SOURCE_DIR "/tools/gen_plg_boards.py"), dir.path()});
        QVERIFY(gen.waitForFinished(-1));
        QVERIFY2(gen.exitStatus() == QProcess::NormalExit && gen.exitCode() == 0,
                 gen.readAllStandardError().constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), BoardCodes.size());
        for (const QString& code : BoardCodes) {
            const QByteArray generated = boardBytes(dir.filePath(QStringLiteral("VER150-%1.ini").arg(code)));
            QVERIFY(!generated.isEmpty());
            QVERIFY2(
                generated == boardBytes(boardSourcePath(code)),
                qPrintable(QStringLiteral("the committed VER150-%1.ini differs from the generator's output")
                               .arg(code)));
        }
    }

    void boardsAreBuiltIn()
    {
        for (const QString& code : BoardCodes)
            QCOMPARE(boardBytes(QStringLiteral(":/vesk/data/VER150-%1.ini").arg(code)),
                     boardBytes(boardSourcePath(code)));
    }

    // The sections a board brings into the device's tables, in any slot, are
    // the slot's own or the board's direct banks: none may stand for a table
    // or bank of the device data, but the user bank sections, which the data
    // holds as the boards write them.
    void boardSectionsDoNotClashWithTheTables()
    {
        Vesk device;
        const IniFile* tables = device.ini();
        QVERIFY(tables->section(QStringLiteral("PLG_USER")));
        for (const QString& code : BoardCodes) {
            IniFile board;
            QString name;
            QString error;
            QVERIFY2(PlgBoards::readBoard(boardSourcePath(code), board, &name, &error), qPrintable(error));
            for (int slot = 0; slot < PlgBoards::SlotCount; ++slot) {
                IniFile installed;
                installed.loadData(PlgBoards::installedText(&board, slot));
                for (const QString& title : installed.keys()) {
                    const IniSection* own = tables->section(title);
                    if (title == QStringLiteral("P%1-USER").arg(slot + 1)) {
                        QVERIFY(own);
                        QCOMPARE(own->intValue(QStringLiteral("Ridev")), 64);
                        QCOMPARE(own->count(), installed.section(title)->count());
                        continue;
                    }
                    QVERIFY2(!own, qPrintable(code + QStringLiteral(": section ") + title));
                }
            }
        }
    }

    void boardsStandWhereThePromptStarts()
    {
        for (const QString& code : BoardCodes) {
            const QString copy = PlgBoards::boardFolder() + QStringLiteral("VER150-%1.ini").arg(code);
            QVERIFY2(QFile::exists(copy), qPrintable(copy));
            QCOMPARE(boardBytes(copy), boardBytes(boardSourcePath(code)));
        }
    }

    void boardStructure_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("banks");
        QTest::addColumn<QStringList>("sections");
        QTest::addColumn<int>("voiceNames");
        QTest::newRow("AN") << "AN"
                            << QStringList{"USER", "PRE1", "36,00,036/000", "36,01,036/001", "36,02,036/002"}
                            << QStringList{"USER 64/0", "PRE1 64/64", "036/000 128/128", "036/001 128/128"}
                            << 320;
        QTest::newRow("AP") << "AP" << QStringList{"USER", "PRE1", "32,01,032/001"}
                            << QStringList{"USER 64/0", "PRE1 64/64", "032/001 64/64"} << 128;
        QTest::newRow("DR") << "DR" << QStringList{"USER", "PRE1", "47,00,047/000", "79,00,079/000"}
                            << QStringList{"USER 64/0", "PRE1 64/64", "047/000 8/0", "079/000 80/80"} << 144;
        QTest::newRow("DX") << "DX"
                            << QStringList{"USER", "PRE1", "35,00,035/000", "35,01,035/001", "35,02,035/002"}
                            << QStringList{"USER 64/0", "PRE1 64/64", "035/000 64/0", "035/001 128/128",
                                           "035/002 64/64"}
                            << 256;
        QTest::newRow("PC") << "PC" << QStringList{"USER", "PRE1", "79,01,079/001"}
                            << QStringList{"USER 64/0", "PRE1 64/64", "079/001 80/79"} << 143;
        QTest::newRow("PF") << "PF" << QStringList{"USER", "PRE1", "32,00,032/000"}
                            << QStringList{"USER 64/0", "PRE1 64/64", "032/000 128/128"} << 192;
        QTest::newRow("VL") << "VL"
                            << QStringList{"USER",          "PRE1",          "PRE2",          "PRE3",
                                           "33,00,033/000", "33,01,033/001", "33,02,033/002", "33,03,033/003"}
                            << QStringList{"USER 64/0",   "PRE1 64/64",      "PRE2 64/64",
                                           "PRE3 64/64",  "033/000 128/128", "033/001 128/128",
                                           "033/002 6/6", "033/003 64/64"}
                            << 518;
    }

    void boardStructure()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, banks);
        QFETCH(QStringList, sections);
        QFETCH(int, voiceNames);

        const QByteArray bytes = boardBytes(boardSourcePath(code));
        QVERIFY(!bytes.isEmpty());
        // Plain ASCII, every line ended by CR LF.
        for (const char c : bytes)
            QVERIFY2((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n', "not printable ASCII");
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QCOMPARE(bytes.count('\r'), bytes.count('\n'));
        QVERIFY(bytes.endsWith("\r\n"));

        const BoardShape shape = shapeOfBoard(bytes);
        QCOMPARE(shape.name, QStringLiteral("VER150-") + code);
        QCOMPARE(shape.banks, banks);
        QCOMPARE(shape.sections, sections);
        int named = 0;
        for (const QString& s : shape.sections)
            named += s.section(u'/', -1).toInt();
        QCOMPARE(named, voiceNames);
    }
};

ORVANE_TEST_MAIN(TestPlgBoards)
#include "tst_plgboards.moc"
