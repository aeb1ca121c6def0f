#include "DeviceTable.h"
#include "IniFile.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Lines as the instrument's resources write them, and the odd shapes a
// hand-edited or damaged file may hold.
const char* const TableFixture = R"(; tables of a test instrument
[PAN]
Size=1
Ridev=128
64=C

[GM]
Ridev=1
0=Ap:ConcertGnd

[CONTROLLERS]
Size=1
Ridev=2
1=01 ModWheel

[OUTPUT]
Size=1
Ridev=26
25=127,Drums

[FILTERS]
Size=1
Ridev=10
9=10,BPFw

[CATEGORIES_FULL]
Size=2
Ridev=2
1=01,01,Ap|Ap:A.PIANO

[VOICES]
Size=2
Ridev=10
9=127,00,DR:GM

[REVERB_TYPES]
Size=2
Hex=1
Ridev=2
1=01,08,Large Hall

[CHORUS_TYPES]
Size=2
Hex=1
Ridev=2
1=01,00,Reverb|Hall 1

[INSFX_TYPES]
Size=2
Hex=1
Ridev=117
116=0F,78,Misc|DynamFilter

[Detune]
Size=2
Hex=1
Ridev=256
255=00,FF,12.7

[ARPType]
Size=2
Hex=1
Ridev=2044
2043=3FFF,none

[WaveList]
Size=2
Hex=1
Ridev=2
1=0001,Ap|Ap GrndStSw1

[Odd]
Size=1
Ridev=8
0=,x,y
1=300,Big
2=7F,Decimal section
3=a||b
4=a|b|
5=1,Two,Parts
7=Seven

[Wide]
Size=2
Ridev=2
0=1000,Wave
1=10,20,Decimal pair

[Board]
Name=VER150-AN
Size=1
Ridev=1
0=01,02,Board bank

[SizeZero]
Size=0
Ridev=1
0=200,Size one

[HexOne]
Size=1
Hex=1
Ridev=1
0=FF,Max

[SizeThree]
Size=3
Ridev=2
0=5,Unreadable
1=No comma
)";

QString sourcePath(const QString& relative)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/") + relative;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

const QStringList GenericSections = {QStringLiteral("BankNo"), QStringLiteral("ProgramNo"),
                                     QStringLiteral("off127"), QStringLiteral("PAN"),
                                     QStringLiteral("NOTENAME")};

// The text each generic table gives entry i, written out from the rules.
QString genericText(const QString& section, int i)
{
    if (section == QLatin1String("BankNo"))
        return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
    if (section == QLatin1String("ProgramNo"))
        return QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'));
    if (section == QLatin1String("off127"))
        return i == 0 ? QStringLiteral("off") : QString::number(i);
    if (section == QLatin1String("PAN")) {
        if (i < 64)
            return QStringLiteral("L%1").arg(64 - i);
        return i == 64 ? QStringLiteral("C") : QStringLiteral("R%1").arg(i - 64);
    }
    static const QStringList names = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const QString name = names[i % 12];
    const int octave = i / 12 - 2;
    const bool tight = name.endsWith(QLatin1Char('#')) && octave < 0;
    return name + (tight ? QString() : QStringLiteral(" ")) + QString::number(octave);
}

} // namespace

class TestDeviceTable : public QObject
{
    Q_OBJECT

private:
    IniFile m_ini;

private slots:
    void initTestCase() { m_ini.loadText(QString::fromLatin1(TableFixture)); }

    void entry()
    {
        const TableData none;
        QCOMPARE(none.value, -1);
        QCOMPARE(int(none), -1);
        QVERIFY(none.text.isEmpty() && none.path.isEmpty());

        TableData hall(136, QStringLiteral("Hall 1"));
        QCOMPARE(int(hall), 136);
        QCOMPARE(hall.fullPathName(), QStringLiteral("Hall 1"));
        QCOMPARE(hall.toString(), QStringLiteral("136 = Hall 1"));
        hall.path = QStringLiteral("Reverb|Large");
        QCOMPARE(hall.fullPathName(), QStringLiteral("Reverb|Large|Hall 1"));

        // Parsing resets the entry, also when there is nothing to read.
        hall.ParseIniLine(nullptr, 0, 1, 0);
        QCOMPARE(hall.value, -1);
        QVERIFY(hall.text.isEmpty() && hall.path.isEmpty());
    }

    void lines_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");

        QTest::newRow("plain text, size 1") << "PAN" << 64 << 64 << "C"
                                            << "";
        QTest::newRow("no size key") << "GM" << 0 << 0 << "Ap:ConcertGnd"
                                     << "";
        QTest::newRow("number inside the text") << "CONTROLLERS" << 1 << 1 << "01 ModWheel"
                                                << "";
        QTest::newRow("size 1 field") << "OUTPUT" << 25 << 127 << "Drums"
                                      << "";
        QTest::newRow("size 1 field, not the key") << "FILTERS" << 9 << 10 << "BPFw"
                                                   << "";
        QTest::newRow("size 2 decimal, path") << "CATEGORIES_FULL" << 1 << 129 << "Ap:A.PIANO"
                                              << "Ap";
        QTest::newRow("size 2 decimal") << "VOICES" << 9 << 16256 << "DR:GM"
                                        << "";
        QTest::newRow("size 2 hex") << "REVERB_TYPES" << 1 << 136 << "Large Hall"
                                    << "";
        QTest::newRow("size 2 hex, path") << "CHORUS_TYPES" << 1 << 128 << "Hall 1"
                                          << "Reverb";
        QTest::newRow("size 2 hex, high byte") << "INSFX_TYPES" << 116 << 2040 << "DynamFilter"
                                               << "Misc";
        QTest::newRow("low byte not cut to 7 bits") << "Detune" << 255 << 255 << "12.7"
                                                    << "";
        QTest::newRow("4-char field") << "ARPType" << 2043 << 16383 << "none"
                                      << "";
        QTest::newRow("4-char field, path") << "WaveList" << 1 << 1 << "Ap GrndStSw1"
                                            << "Ap";

        QTest::newRow("leading comma is text") << "Odd" << 0 << 0 << ",x,y"
                                               << "";
        QTest::newRow("size 1 masked to a byte") << "Odd" << 1 << 44 << "Big"
                                                 << "";
        QTest::newRow("not a number gives 0") << "Odd" << 2 << 0 << "Decimal section"
                                              << "";
        QTest::newRow("empty part kept") << "Odd" << 3 << 3 << "b"
                                         << "a|";
        QTest::newRow("trailing bar") << "Odd" << 4 << 4 << ""
                                      << "a|b";
        QTest::newRow("comma kept in the rest") << "Odd" << 5 << 1 << "Two,Parts"
                                                << "";
        QTest::newRow("missing line") << "Odd" << 6 << -1 << ""
                                      << "";
        QTest::newRow("no comma, key value") << "Odd" << 7 << 7 << "Seven"
                                             << "";
        QTest::newRow("4-char field is hex without Hex") << "Wide" << 0 << 4096 << "Wave"
                                                         << "";
        QTest::newRow("size 2 without Hex is decimal") << "Wide" << 1 << 1300 << "Decimal pair"
                                                       << "";
        QTest::newRow("Name forces size 2") << "Board" << 0 << 130 << "Board bank"
                                            << "";
        QTest::newRow("size 0 counts as 1") << "SizeZero" << 0 << 200 << "Size one"
                                            << "";
        QTest::newRow("size 1 hex") << "HexOne" << 0 << 255 << "Max"
                                    << "";
        QTest::newRow("unknown size, comma") << "SizeThree" << 0 << -1 << ""
                                             << "";
        QTest::newRow("unknown size, no comma") << "SizeThree" << 1 << 1 << "No comma"
                                                << "";
    }

    void lines()
    {
        QFETCH(QString, section);
        QFETCH(int, index);
        QFETCH(int, value);
        QFETCH(QString, text);
        QFETCH(QString, path);

        DeviceTable table;
        table.loadTable(&m_ini, section);
        QCOMPARE(int(table.size()), m_ini.section(section)->intValue(QStringLiteral("Ridev")));
        const TableData& entry = table.at(index);
        QCOMPARE(entry.value, value);
        QCOMPARE(entry.text, text);
        QCOMPARE(entry.path, path);
    }

    void entryCount_data()
    {
        QTest::addColumn<QString>("ridev");
        QTest::addColumn<int>("count");

        QTest::newRow("missing") << QString() << 0;
        QTest::newRow("zero") << "Ridev=0" << 0;
        QTest::newRow("negative") << "Ridev=-5" << 0;
        QTest::newRow("not a number") << "Ridev=many" << 0;
        QTest::newRow("more than the lines") << "Ridev=4" << 4;
        QTest::newRow("damaged file") << "Ridev=2000000000" << int(DeviceTable::MaxEntries);
    }

    void entryCount()
    {
        QFETCH(QString, ridev);
        QFETCH(int, count);

        IniFile ini;
        ini.loadText(QStringLiteral("[T]\n%1\n0=a\n2=c\n").arg(ridev));
        DeviceTable table;
        table.loadTokens(QStringLiteral("left|over"));
        table.loadTable(&ini, QStringLiteral("T"));
        QCOMPARE(int(table.size()), count);
        if (count > 0) {
            QCOMPARE(table.at(0).text, QStringLiteral("a"));
            QCOMPARE(table.indexOf(-1), 1); // the first missing line
            QCOMPARE(table.last().value, count > 2 ? -1 : 2);
        }
    }

    void missingSource()
    {
        DeviceTable table;
        const auto refill = [&table] { table.loadTokens(QStringLiteral("x|y")); };

        refill();
        table.loadTable(&m_ini, QString());
        QVERIFY(table.isEmpty());
        refill();
        table.loadTable(&m_ini, QStringLiteral("NoSuchSection"));
        QVERIFY(table.isEmpty());
        refill();
        table.loadTable(static_cast<IniFile*>(nullptr), QStringLiteral("PAN"));
        QVERIFY(table.isEmpty());
        refill();
        table.loadTable(static_cast<MidiDevice*>(nullptr), QStringLiteral("PAN"));
        QVERIFY(table.isEmpty());
        // Section names are compared exactly.
        table.loadTable(&m_ini, QStringLiteral("pan"));
        QVERIFY(table.isEmpty());
    }

    void tokens()
    {
        DeviceTable table(nullptr, QStringLiteral("sync-off|off|on"));
        QCOMPARE(int(table.size()), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(table.at(i).value, i);
            QVERIFY(table.at(i).path.isEmpty());
        }
        QCOMPARE(table.at(0).text, QStringLiteral("sync-off"));
        QCOMPARE(table.at(2).text, QStringLiteral("on"));

        table.loadTokens(QStringLiteral("|a|"));
        QCOMPARE(int(table.size()), 3);
        QCOMPARE(table.at(0).text, QString());
        QCOMPARE(table.at(1).text, QStringLiteral("a"));
        QCOMPARE(table.at(2).text, QString());

        table.loadTokens(QString());
        QVERIFY(table.isEmpty());

        table.init(nullptr, QStringLiteral("off|on"));
        QCOMPARE(table.toString(), QStringLiteral("0 = off\n1 = on\n"));
        QCOMPARE(DeviceTable().toString(), QString());
    }

    void lookup()
    {
        IniFile ini;
        ini.loadText(QStringLiteral("[T]\nSize=1\nRidev=5\n0=5,Hall|Room\n1=5,Room\n2=7,room\n4=9,Room\n"));
        DeviceTable table;
        table.loadTable(&ini, QStringLiteral("T"));

        QCOMPARE(table.indexOf(5), 0);
        QCOMPARE(table.indexOf(9), 4);
        QCOMPARE(table.indexOf(-1), 3);
        QCOMPARE(table.indexOf(8), -1);
        // Texts match exactly, whatever path they are under; the first wins.
        QCOMPARE(table.indexOf(QStringLiteral("Room")), 0);
        QCOMPARE(table.indexOf(QStringLiteral("room")), 2);
        QCOMPARE(table.indexOf(QStringLiteral("Hall|Room")), -1);

        table.setItemText(1, QStringLiteral("Studio"));
        table.setItemText(-1, QStringLiteral("bad"));
        table.setItemText(5, QStringLiteral("bad"));
        QCOMPARE(table.at(1).text, QStringLiteral("Studio"));
        QCOMPARE(table.at(1).value, 5);
        QCOMPARE(table.indexOf(QStringLiteral("bad")), -1);
        QCOMPARE(int(table.size()), 5);
    }

    void genericDataRegenerates()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to run the resource generator");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("data.ini"));

        QProcess gen;
        gen.start(python, {sourcePath(QStringLiteral("tools/gen_data_ini.py")), out});
        QVERIFY(gen.waitForFinished(-1));
        QVERIFY2(gen.exitStatus() == QProcess::NormalExit && gen.exitCode() == 0,
                 gen.readAllStandardError().constData());

        const QByteArray generated = readAll(out);
        QVERIFY(!generated.isEmpty());
        QVERIFY2(generated == readAll(sourcePath(QStringLiteral("resources/orvane/data/data.ini"))),
                 "the committed data.ini differs from the generator's output");
        QVERIFY2(generated == readAll(QStringLiteral(":/orvane/data/data.ini")),
                 "the built-in data.ini differs from the generator's output");
    }

    void genericDataForm()
    {
        const QByteArray bytes = readAll(QStringLiteral(":/orvane/data/data.ini"));
        QVERIFY(!bytes.isEmpty());
        for (const char c : bytes)
            QVERIFY2((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n', "not printable ASCII");
        QCOMPARE(bytes.count('\r'), bytes.count('\n'));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QVERIFY(bytes.endsWith("\r\n"));

        QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        QVERIFY(lines.size() > 4);
        QCOMPARE(lines.mid(0, 3), QStringList({"", "; GENERIC DATA", ""}));
        QVERIFY(lines.at(3).startsWith(QLatin1Char('[')));

        // Walk the sections: each holds Size=1, Ridev=128 and lines 0..127 in order.
        QStringList titles;
        QStringList controls;
        int next = 0;
        const auto current = [&titles] { return titles.isEmpty() ? QString() : titles.last(); };
        const auto closeSection = [&] {
            if (titles.isEmpty())
                return true;
            controls.sort();
            return next == 128 && controls == QStringList({"Ridev=128", "Size=1"});
        };
        for (const QString& line : lines.mid(3)) {
            if (line.isEmpty())
                continue;
            if (line.startsWith(QLatin1Char('['))) {
                QVERIFY2(closeSection(), qPrintable(current()));
                QVERIFY(line.endsWith(QLatin1Char(']')));
                titles.append(line.mid(1, line.size() - 2));
                controls.clear();
                next = 0;
                continue;
            }
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            QVERIFY2(eq > 0, qPrintable(line));
            bool numbered = false;
            const int key = line.left(eq).toInt(&numbered);
            if (!numbered) {
                controls.append(line);
                continue;
            }
            QVERIFY2(key == next, qPrintable(line));
            QVERIFY2(!line.contains(QLatin1Char(',')), qPrintable(line));
            ++next;
        }
        QVERIFY2(closeSection(), qPrintable(current()));
        QCOMPARE(titles, GenericSections);

        // Read back as tables: the value is the key and the text follows the rule.
        IniFile ini;
        QVERIFY(ini.loadResource(QStringLiteral(":/orvane/data/data.ini")));
        QCOMPARE(ini.size(), GenericSections.size());
        for (const QString& name : GenericSections) {
            DeviceTable table;
            table.loadTable(&ini, name);
            QCOMPARE(int(table.size()), 128);
            for (int i = 0; i < 128; ++i) {
                const TableData& entry = table.at(i);
                QCOMPARE(entry.value, i);
                QCOMPARE(entry.text, genericText(name, i));
                QVERIFY(entry.path.isEmpty());
            }
        }
    }

    void genericDataEntries_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");

        QTest::newRow("BankNo 0") << "BankNo" << 0 << "000";
        QTest::newRow("BankNo 127") << "BankNo" << 127 << "127";
        QTest::newRow("ProgramNo 0") << "ProgramNo" << 0 << "001";
        QTest::newRow("ProgramNo 127") << "ProgramNo" << 127 << "128";
        QTest::newRow("off127 0") << "off127" << 0 << "off";
        QTest::newRow("off127 1") << "off127" << 1 << "1";
        QTest::newRow("off127 127") << "off127" << 127 << "127";
        QTest::newRow("PAN 0") << "PAN" << 0 << "L64";
        QTest::newRow("PAN 63") << "PAN" << 63 << "L1";
        QTest::newRow("PAN 64") << "PAN" << 64 << "C";
        QTest::newRow("PAN 65") << "PAN" << 65 << "R1";
        QTest::newRow("PAN 127") << "PAN" << 127 << "R63";
        QTest::newRow("NOTENAME 0") << "NOTENAME" << 0 << "C -2";
        QTest::newRow("NOTENAME 1") << "NOTENAME" << 1 << "C#-2";
        QTest::newRow("NOTENAME 11") << "NOTENAME" << 11 << "B -2";
        QTest::newRow("NOTENAME 13") << "NOTENAME" << 13 << "C#-1";
        QTest::newRow("NOTENAME 23") << "NOTENAME" << 23 << "B -1";
        QTest::newRow("NOTENAME 24") << "NOTENAME" << 24 << "C 0";
        QTest::newRow("NOTENAME 25") << "NOTENAME" << 25 << "C# 0";
        QTest::newRow("NOTENAME 60") << "NOTENAME" << 60 << "C 3";
        QTest::newRow("NOTENAME 63") << "NOTENAME" << 63 << "D# 3";
        QTest::newRow("NOTENAME 75") << "NOTENAME" << 75 << "D# 4";
        QTest::newRow("NOTENAME 127") << "NOTENAME" << 127 << "G 8";
    }

    void genericDataEntries()
    {
        QFETCH(QString, section);
        QFETCH(int, index);
        QFETCH(QString, text);

        IniFile ini;
        QVERIFY(ini.loadResource(QStringLiteral(":/orvane/data/data.ini")));
        DeviceTable table;
        table.loadTable(&ini, section);
        QCOMPARE(int(table.size()), 128);
        QCOMPARE(table.at(index).text, text);
        QCOMPARE(table.at(index).value, index);
        QCOMPARE(table.indexOf(text), index);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestDeviceTable)
#include "tst_devicetable.moc"
