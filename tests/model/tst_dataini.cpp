// The instrument's table resource: it is what its generator writes, every
// section is well formed and of the size the instrument needs, the bank sets
// agree with each other and with the bank name sections, the lines the
// instrument's data fixes stand as written, and the effect document parses.
#include "DeviceBank.h"
#include "DeviceTable.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"
#include "XmlDocument.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <memory>

namespace {

QString sourceFile(const QString& relative)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/") + relative;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One section as the file writes it: control keys and numbered lines in
// file order.
struct RawSection
{
    QString title;
    QMap<QString, QString> controls;  // Size, Hex, Ridev, Name
    QList<QPair<int, QString>> lines; // key, value
    QStringList badLines;             // neither control nor numbered line
};

QList<RawSection> rawSections(const QByteArray& bytes)
{
    QList<RawSection> sections;
    for (const QString& line : QString::fromLatin1(bytes).split(QStringLiteral("\r\n"))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append(RawSection{line.mid(1, line.size() - 2), {}, {}, {}});
            continue;
        }
        if (sections.isEmpty())
            return {};
        RawSection& s = sections.last();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        bool number = false;
        const int key = eq > 0 ? line.left(eq).toInt(&number) : -1;
        if (number)
            s.lines.append({key, line.mid(eq + 1)});
        else if (eq > 0 && QStringList({"Size", "Hex", "Ridev", "Name"}).contains(line.left(eq)))
            s.controls.insert(line.left(eq), line.mid(eq + 1));
        else
            s.badLines.append(line);
    }
    return sections;
}

const QRegularExpression& decimalByte()
{
    static const QRegularExpression re(QStringLiteral("^\\d{2,3}$"));
    return re;
}

const QRegularExpression& hexByte()
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-F]{2}$"));
    return re;
}

// The numeric fields of a table line are what the section's Size and Hex
// say, and its text holds no comma (the reader would take it for a field).
bool wellFormedTableLine(const QString& value, int size, bool hex)
{
    const QStringList fields = value.split(QLatin1Char(','));
    if (fields.size() == 1)
        return !value.isEmpty();
    const QRegularExpression& byte = hex ? hexByte() : decimalByte();
    if (size == 1)
        return fields.size() == 2 &&
               fields.at(0).contains(QRegularExpression(hex ? "^[0-9A-F]{1,2}$" : "^\\d{1,3}$"));
    if (fields.at(0).size() == 4)
        return fields.size() == 2 &&
               fields.at(0).contains(QRegularExpression(QStringLiteral("^[0-9A-F]{4}$")));
    return fields.size() == 3 && fields.at(0).contains(byte) && fields.at(1).contains(byte);
}

enum Kind
{
    Table,      // a value table
    SetOfBanks, // banks by MSB, LSB and name
    BankNames,  // the patch names of a preset bank
    BankSize    // a user bank: its size only
};

// The value of a table entry written "HH,LL" in hex.
constexpr int typeValue(int hh, int ll)
{
    return hh * 128 + ll;
}

// Every section of the file with its kind and size. min -1: exactly count
// entries; otherwise at least min. banks: the banks the set must hold, in
// order, where the instrument fixes them. values: values the table must offer.
struct Described
{
    QString section;
    Kind kind;
    int count;
    int min;
    QStringList banks;
    QList<int> values;
};

QList<Described> describedSections()
{
    QList<Described> list;
    const auto table = [&list](const char* name, int count, int min = -1, QList<int> values = {}) {
        list.append({QString::fromLatin1(name), Table, count, min, {}, values});
    };
    table("MODES", 4, -1, {0, 1, 2, 3});
    table("CHANNELS", 17, -1, {0, 15});
    table("CATEGORIES", 17);
    table("CATEGORIES_FULL", 49);
    table("WaveTypes", 2, -1, {0, 1});
    table("WaveTypes2", 2, -1, {0, 2});
    table("WaveList", 1860);
    table("DrumWaveList", 1860);
    table("UserWaveList", 1024, -1, {0x0000, 0x03FF});
    table("CTRL_DEST", 69);
    table("ARPType", -1, 2044, {0x3FFF});
    table("Detune", 256, -1, {0, 255});
    table("CONTROLLERS", -1, 2);
    table("OUTPUT", -1, 26);
    table("FILTERS", -1, 10);
    // With the effect types the initial patches hold: reverb 01 02, chorus
    // 05 00, no insertion effect, master effect 02 48.
    table("REVERB_TYPES", -1, 2,
          {typeValue(0x01, 0x02), typeValue(0x01, 0x00), typeValue(0x01, 0x30), typeValue(0x01, 0x40)});
    table("CHORUS_TYPES", -1, 2, {typeValue(0x05, 0x00)});
    table("INSFX_TYPES", -1, 117, {0, typeValue(0x01, 0x00), typeValue(0x02, 0x00), typeValue(0x0A, 0x40)});
    table("MASTER_FX_TYPES", -1, 2, {typeValue(0x02, 0x48)});
    // The value lists of the panel layouts.
    for (int n = 1; n <= 27; ++n)
        table(qPrintable(QStringLiteral("TABLE_%1").arg(n)), -1, 2);

    const auto set = [&list](const char* name, QStringList banks, int count = -1) {
        list.append({QString::fromLatin1(name),
                     SetOfBanks,
                     banks.isEmpty() ? count : int(banks.size()),
                     -1,
                     banks,
                     {}});
    };
    set("VOICES", {"PRE1", "PRE2", "PRE3", "PRE4", "PRE5", "PRE6", "GM", "USER1", "USER2", "DR:GM", "DR:PRE",
                   "DR:USR"});
    set("VOICES_USER", {"USER1", "USER2"});
    set("DRUMS_USER", {"DR:USR"});
    set("PLG_USER", {"P1-USER", "P2-USER", "P3-USER"});
    set("PERFORMANCES", {"PERF"});
    set("MASTERS", {"MASTER"});
    set("VOICES_USER_ALL", {"USER1", "USER2", "DR:USR", "P1-USER", "P2-USER", "P3-USER"});
    set("USER_BANKS", {}, 8);
    set("MULTIS", {}, 1);
    set("VOICES_NODRUM", {}, 9);
    set("DRUMS", {}, 3);
    set("MIX_VOICES", {}, 13);

    const auto bank = [&list](const char* name, Kind kind, int count) {
        list.append({QString::fromLatin1(name), kind, count, -1, {}, {}});
    };
    for (const char* name : {"PRE1", "PRE2", "PRE3", "PRE4", "PRE5", "PRE6", "GM", "DR:GM", "DR:PRE"})
        bank(name, BankNames, 128);
    for (const char* name : {"USER1", "USER2", "PERF", "MASTER", "MIX"})
        bank(name, BankSize, 128);
    bank("DR:USR", BankSize, 32);
    for (const char* name : {"P1-USER", "P2-USER", "P3-USER"})
        bank(name, BankSize, 64);
    bank("MIX VOICE", BankSize, 16);
    return list;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestDataIni : public QObject
{
    Q_OBJECT

    QList<RawSection> generic;
    QList<RawSection> instrument;
    std::unique_ptr<Vesk> vesk;

private slots:
    void initTestCase()
    {
        generic = rawSections(fileBytes(QStringLiteral(":/orvane/data/data.ini")));
        instrument = rawSections(fileBytes(QStringLiteral(":/vesk/data/data_ES.ini")));
        QVERIFY(!generic.isEmpty());
        QVERIFY(!instrument.isEmpty());
        resetVeskTest();
        vesk = std::make_unique<Vesk>();
    }

    void cleanupTestCase() { vesk.reset(); }

    void regenerates()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to run the resource generator");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("data_ES.ini"));
        QProcess gen;
        gen.start(python, {sourceFile(QStringLiteral("tools/gen_data_es_ini.py")), out});
        QVERIFY(gen.waitForFinished(-1));
        QVERIFY2(gen.exitStatus() == QProcess::NormalExit && gen.exitCode() == 0,
                 gen.readAllStandardError().constData());
        const QByteArray generated = fileBytes(out);
        QVERIFY(!generated.isEmpty());
        QVERIFY2(generated == fileBytes(sourceFile(QStringLiteral("resources/vesk/data/data_ES.ini"))),
                 "the committed data_ES.ini differs from the generator's output");
        QVERIFY2(generated == fileBytes(QStringLiteral(":/vesk/data/data_ES.ini")),
                 "the built-in data_ES.ini differs from the generator's output");
        for (const char c : generated)
            QVERIFY2((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n', "not printable ASCII");
        QCOMPARE(generated.count("\r\n"), generated.count('\n'));
    }

    void crossCheck_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("min");
        QTest::addColumn<QStringList>("banks");
        QTest::addColumn<QList<int>>("values");
        for (const Described& d : describedSections())
            QTest::newRow(d.section.toLatin1().constData())
                << d.section << d.kind << d.count << d.min << d.banks << d.values;
    }

    void crossCheck()
    {
        QFETCH(QString, section);
        QFETCH(Kind, kind);
        QFETCH(int, count);
        QFETCH(int, min);
        QFETCH(QStringList, banks);
        QFETCH(QList<int>, values);

        // Once across both files: a second section of the name would replace
        // the first whole.
        QList<const RawSection*> found;
        for (const QList<RawSection>* file : {&generic, &instrument}) {
            for (const RawSection& s : *file) {
                if (s.title == section)
                    found.append(&s);
            }
        }
        QCOMPARE(found.size(), 1);
        const RawSection& s = *found.first();
        QVERIFY2(s.badLines.isEmpty(), qPrintable(s.badLines.join(QLatin1Char('\n'))));

        // Keys 0..Ridev-1, each once, in order.
        const int ridev = s.controls.value(QStringLiteral("Ridev")).toInt();
        if (min == -1)
            QCOMPARE(ridev, count);
        else
            QVERIFY(ridev >= min);
        QCOMPARE(int(s.lines.size()), kind == BankSize ? 0 : ridev);
        for (int i = 0; i < s.lines.size(); ++i)
            QCOMPARE(s.lines.at(i).first, i);

        Vesk& device = *vesk;
        const QStringList shorts = [&device] {
            QStringList list;
            for (const TableData& entry : *device.createTable(QStringLiteral("CATEGORIES")))
                list << entry.text;
            return list;
        }();

        if (kind == Table) {
            const int size = qMax(1, s.controls.value(QStringLiteral("Size")).toInt());
            const bool hex = s.controls.value(QStringLiteral("Hex")).toInt() != 0;
            for (const auto& line : s.lines)
                QVERIFY2(wellFormedTableLine(line.second, size, hex), qPrintable(line.second));
            // Read by our own reader: one entry per line, values distinct.
            const DeviceTable* t = device.createTable(section);
            QCOMPARE(int(t->size()), ridev);
            QSet<int> seen;
            for (const TableData& entry : *t) {
                QVERIFY2(!seen.contains(entry.value), qPrintable(entry.text));
                seen.insert(entry.value);
                QVERIFY(!entry.text.isEmpty());
            }
            for (int value : values)
                QVERIFY2(seen.contains(value), qPrintable(QString::number(value, 16)));
        } else if (kind == SetOfBanks) {
            QStringList names;
            for (const auto& line : s.lines) {
                const QStringList fields = line.second.split(QLatin1Char(','));
                QCOMPARE(fields.size(), 3);
                QVERIFY(fields.at(0).contains(decimalByte()) && fields.at(1).contains(decimalByte()));
                names << fields.at(2);
            }
            if (!banks.isEmpty())
                QCOMPARE(names, banks);
            // Every bank of every set has one name and one word, and a
            // section of its own.
            const ::BankSet loaded(&device, section);
            const QList<Described> list = describedSections();
            QCOMPARE(int(loaded.size()), ridev);
            for (const auto& b : loaded) {
                for (const RawSection& other : instrument) {
                    const bool isSet = std::any_of(list.cbegin(), list.cend(), [&other](const Described& d) {
                        return d.kind == SetOfBanks && d.section == other.title;
                    });
                    if (!isSet)
                        continue;
                    for (const auto& line : other.lines) {
                        const QStringList f = line.second.split(QLatin1Char(','));
                        if (f.size() != 3 || !f.at(0).contains(decimalByte()))
                            continue;
                        const unsigned short word =
                            static_cast<unsigned short>(f.at(0).toInt() << 8 | f.at(1).toInt());
                        if (word == b->bankWord())
                            QCOMPARE(f.at(2), b->name());
                        else
                            QVERIFY2(f.at(2) != b->name(), qPrintable(other.title + ": " + f.at(2)));
                    }
                }
                QVERIFY2(std::count_if(instrument.cbegin(), instrument.cend(),
                                       [&b](const RawSection& r) { return r.title == b->name(); }) == 1,
                         qPrintable(b->name()));
            }
            if (section == QLatin1String("VOICES_USER_ALL"))
                QCOMPARE(loaded.ridevPatchesCount(), 480);
            if (section == QLatin1String("USER_BANKS"))
                QCOMPARE(loaded.ridevPatchesCount(), 736);
        } else if (kind == BankNames) {
            for (const auto& line : s.lines) {
                const qsizetype colon = line.second.indexOf(QLatin1Char(':'));
                QVERIFY2(colon > 0, qPrintable(line.second));
                QVERIFY2(shorts.contains(line.second.left(colon)), qPrintable(line.second));
                const QString name = line.second.mid(colon + 1);
                QVERIFY2(!name.isEmpty() && name.size() <= 10 && !name.contains(QLatin1Char(',')),
                         qPrintable(line.second));
            }
        }
    }

    // No section is left undescribed, and none stands twice in the two files.
    void everySectionDescribed()
    {
        QStringList described;
        for (const Described& d : describedSections())
            described << d.section;
        QStringList titles;
        for (const RawSection& s : instrument)
            titles << s.title;
        QStringList sorted = titles;
        sorted.sort();
        described.sort();
        QCOMPARE(sorted, described);
        for (const RawSection& s : generic)
            titles << s.title;
        QCOMPARE(titles.removeDuplicates(), 0);
    }

    // What the instrument's data gives word for word.
    void givenLines_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("line");

        const char* const lines[][2] = {
            {"GM", "0=Ap:ConcertGnd"},
            {"CONTROLLERS", "1=01 ModWheel"},
            {"OUTPUT", "25=127,Drums"},
            {"FILTERS", "9=10,BPFw"},
            {"CATEGORIES_FULL", "0=00,00,--"},
            {"CATEGORIES_FULL", "1=01,01,Ap|Ap:A.PIANO"},
            {"CATEGORIES_FULL", "14=05,02,Ba|Ba:E.BASS"},
            {"CATEGORIES_FULL", "36=12,03,Cp|Cp:PERC."},
            {"CATEGORIES_FULL", "48=16,03,Co|Co:OTHER"},
            {"VOICES", "7=63,08,USER1"},
            {"VOICES", "9=127,00,DR:GM"},
            {"PLG_USER", "0=63,24,P1-USER"},
            {"REVERB_TYPES", "1=01,08,Large Hall"},
            {"CHORUS_TYPES", "1=01,00,Reverb|Hall 1"},
            {"INSFX_TYPES", "116=0F,78,Misc|DynamFilter"},
            {"Detune", "255=00,FF,12.7"},
            {"ARPType", "2043=3FFF,none"},
            {"WaveList", "0=0000,-- SinTest"},
            {"WaveList", "1=0001,Ap|Ap GrndStSw1"},
            {"DrumWaveList", "0=0000,-- SinTest"},
            {"UserWaveList", "1023=03FF,User 1024"},
            {"WaveTypes2", "1=2,USR"},
            {"CTRL_DEST", "4=0004,InsA-P1"},
            {"CTRL_DEST", "35=0023,InsB-P16"},
        };
        for (const auto& l : lines)
            QTest::newRow(QStringLiteral("%1 %2").arg(l[0], l[1]).toLatin1().constData()) << l[0] << l[1];
    }

    void givenLines()
    {
        QFETCH(QString, section);
        QFETCH(QString, line);
        for (const RawSection& s : instrument) {
            if (s.title != section)
                continue;
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            const int key = line.left(eq).toInt();
            QVERIFY(key < s.lines.size());
            QCOMPARE(s.lines.at(key).second, line.mid(eq + 1));
            return;
        }
        QFAIL("no such section");
    }

    void categories()
    {
        Vesk& device = *vesk;
        QStringList texts;
        for (const TableData& entry : *device.createTable(QStringLiteral("CATEGORIES")))
            texts << entry.text;
        QCOMPARE(texts, QStringList({"--", "Ap", "Kb", "Or", "Gt", "Ba", "St", "Br", "Rp", "Ld", "Pd", "Sc",
                                     "Cp", "Dr", "Se", "Me", "Co"}));
        // Each full name is filed under its short name.
        for (const TableData& entry : *device.createTable(QStringLiteral("CATEGORIES_FULL"))) {
            const int main = entry.value / 128;
            if (entry.value == 0)
                continue;
            QCOMPARE(entry.path, texts.at(main));
            QVERIFY(entry.text.startsWith(texts.at(main) + QLatin1Char(':')));
            QVERIFY(entry.value % 128 >= 1 && entry.value % 128 <= 3);
        }
    }

    void effectDocument()
    {
        const QByteArray bytes = fileBytes(QStringLiteral(":/vesk/data/effects_ES.xml"));
        XmlDocument ours;
        QVERIFY2(ours.loadData(bytes), qPrintable(ours.errorString()));
        QVERIFY(ours.findElement(QStringLiteral("section"), QStringLiteral("name"),
                                 QStringLiteral("Effects Parameters")));
        QXmlStreamReader standard(bytes);
        while (!standard.atEnd())
            standard.readNext();
        QVERIFY2(!standard.hasError(), qPrintable(standard.errorString()));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestDataIni)
#include "tst_dataini.moc"
