// Text formatting, number parsing, string helpers and paths.
#include "Paths.h"
#include "Strings.h"
#include "TestEnvironment.h"
#include "VarArgs.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void format_data();
    void format();
    void formatColour();
    void formatListForm();
    void formatFromManyThreads();
    void stringToInt_data();
    void stringToInt();
    void parseIterator_data();
    void parseIterator();
    void trimming_data();
    void trimming();
    void smallHelpers();
    void keyNames();
    void naturalOrder();
    void extensions_data();
    void extensions();
    void fileNames();
    void folders();
    void textFiles();
};

void TestText::format_data()
{
    QTest::addColumn<QString>("fmt");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("expected");

    // Forms the suite's own texts use.
    QTest::newRow("patch label") << "%03d (%c%02d)" << QVariantList{1, 'A' + 0, 1} << "001 (A01)";
    QTest::newRow("six hex digits") << "%06X" << QVariantList{0x37000Du} << "37000D";
    QTest::newRow("hex byte and blank") << "%02X " << QVariantList{5} << "05 ";
    QTest::newRow("file word") << "%s/%04X.ini" << QVariantList{QStringLiteral("/d"), 0x3F08}
                               << "/d/3F08.ini";
    QTest::newRow("address") << "%08X : %s" << QVariantList{0x0E0000u, QStringLiteral("01 02")}
                             << "000E0000 : 01 02";
    QTest::newRow("percent") << "100%% sure" << QVariantList{} << "100% sure";
    QTest::newRow("percent at end") << "50%" << QVariantList{} << "50%";
    QTest::newRow("not a conversion") << "%y%d" << QVariantList{4} << "%y4";

    // Integers.
    QTest::newRow("negative") << "%d" << QVariantList{-5} << "-5";
    QTest::newRow("plus") << "%+d %+d" << QVariantList{5, -5} << "+5 -5";
    QTest::newRow("space") << "% d" << QVariantList{5} << " 5";
    QTest::newRow("width") << "[%4d]" << QVariantList{42} << "[  42]";
    QTest::newRow("left") << "[%-4d]" << QVariantList{42} << "[42  ]";
    QTest::newRow("zero negative") << "%04d" << QVariantList{-42} << "-042";
    QTest::newRow("precision") << "%.3d|%.0d" << QVariantList{5, 0} << "005|";
    QTest::newRow("hex lower") << "%x %#x %#X" << QVariantList{255, 255, 255} << "ff 0xff 0XFF";
    QTest::newRow("octal") << "%o %#o" << QVariantList{8, 8} << "10 010";
    QTest::newRow("wide zero pad") << "%08X %04X" << QVariantList{0x1234, 0xBEEF} << "00001234 BEEF";
    QTest::newRow("unsigned of negative") << "%u %X" << QVariantList{-1, -1} << "4294967295 FFFFFFFF";
    QTest::newRow("64-bit") << "%lld %llX" << QVariantList{qint64(-5000000000), qint64(-1)}
                            << "-5000000000 FFFFFFFFFFFFFFFF";
    QTest::newRow("d of large unsigned") << "%d" << QVariantList{3000000000u} << "3000000000";
    QTest::newRow("d of double") << "%d %d" << QVariantList{2.9, -2.9} << "2 -2";
    QTest::newRow("d of bool") << "%d" << QVariantList{true} << "1";
    QTest::newRow("length modifiers") << "%ld %hu %zd" << QVariantList{1, 2, 3} << "1 2 3";
    QTest::newRow("star width") << "[%*d][%-*d]" << QVariantList{5, 42, 3, 7} << "[   42][7  ]";
    QTest::newRow("negative star width") << "[%*d]" << QVariantList{-3, 7} << "[7  ]";
    QTest::newRow("b") << "%b%b%b" << QVariantList{true, 0, 7} << "101";

    // Characters and texts.
    QTest::newRow("c of int") << "%c%c" << QVariantList{'A' + 2, 0x263A} << "C☺";
    QTest::newRow("c of char") << "%c" << QVariantList{QVariant::fromValue('x')} << "x";
    QTest::newRow("c width") << "[%3c]" << QVariantList{'x' + 0} << "[  x]";
    QTest::newRow("c of zero") << "[%c]" << QVariantList{0} << "[]";
    QTest::newRow("s width") << "[%12s]" << QVariantList{QStringLiteral("Piano")} << "[       Piano]";
    QTest::newRow("s left") << "[%-6s]" << QVariantList{QStringLiteral("ab")} << "[ab    ]";
    QTest::newRow("s precision") << "%.2s" << QVariantList{QStringLiteral("abcdef")} << "ab";
    QTest::newRow("s of int") << "%s" << QVariantList{42} << "42";
    QTest::newRow("s of latin-1 bytes") << "%s" << QVariantList{QByteArray("Voice")} << "Voice";

    // Floating point.
    QTest::newRow("f") << "%f" << QVariantList{1.5} << "1.500000";
    QTest::newRow("f precisions") << "%.1f %.2f %.5f" << QVariantList{2.26, 3.14159, 1.0 / 3}
                                  << "2.3 3.14 0.33333";
    QTest::newRow("f width") << "[%8.3f][%08.3f]" << QVariantList{3.14159, -3.14159}
                             << "[   3.142][-003.142]";
    QTest::newRow("f of int") << "%.1f" << QVariantList{3} << "3.0";
    QTest::newRow("f plus") << "%+.1f" << QVariantList{0.5} << "+0.5";
    QTest::newRow("e") << "%e" << QVariantList{12345.678} << "1.234568e+04";
    QTest::newRow("g") << "%g %g %G" << QVariantList{0.0001, 1e6, 1e-10} << "0.0001 1e+06 1E-10";
    QTest::newRow("star precision") << "%.*f" << QVariantList{2, 3.14159} << "3.14";

    // Arguments that are missing print nothing; extra ones are ignored.
    QTest::newRow("missing") << "a%db%sc" << QVariantList{} << "abc";
    QTest::newRow("missing second") << "%d-%d" << QVariantList{1} << "1-";
    QTest::newRow("extra") << "%d" << QVariantList{1, 2} << "1";
    QTest::newRow("empty") << "" << QVariantList{1} << "";
}

void TestText::format()
{
    QFETCH(QString, fmt);
    QFETCH(QVariantList, args);
    QFETCH(QString, expected);
    QCOMPARE(VarArgs::formatList(fmt, args), expected);
}

void TestText::formatColour()
{
    QCOMPARE(VarArgs::format("%s", QColor(0x12, 0xAB, 0xEF)), QStringLiteral("#12abef"));
    QCOMPARE(VarArgs::format("%s", QVariant::fromValue(QColor(1, 2, 3, 4))), QStringLiteral("#010203"));
    QCOMPARE(VarArgs::format("background: %s;", QColor(Qt::white)), QStringLiteral("background: #ffffff;"));
}

void TestText::formatListForm()
{
    VarArgs args(QStringLiteral("%s=%d (%c)"));
    args << "Level" << 100 << QChar(u'L');
    QCOMPARE(args.format(), QStringLiteral("Level=100 (L)"));
    QCOMPARE(VarArgs::format("%s connected", QStringLiteral("Vesk ES6")),
             QStringLiteral("Vesk ES6 connected"));
    QCOMPARE(VarArgs::format("%d:%d:%s", 1, 2, "Name"), QStringLiteral("1:2:Name"));
}

void TestText::formatFromManyThreads()
{
    // The receive and task threads format at the same time as the GUI thread.
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 2000; ++i) {
                const QString expected =
                    QStringLiteral("%1 %2 x").arg(t).arg(i, 4, 16, QLatin1Char('0')).toUpper();
                if (VarArgs::format("%d %04X x", t, i).toUpper() != expected)
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(wrong.load(), 0);
}

void TestText::stringToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("def");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "42" << false << -1 << 42;
    QTest::newRow("minus") << "-64" << false << 0 << -64;
    QTest::newRow("plus") << "+7" << false << 0 << 7;
    QTest::newRow("blanks around") << " \t12 " << false << 0 << 12;
    QTest::newRow("int min") << "-2147483648" << false << 0 << INT_MIN;
    QTest::newRow("too large") << "2147483648" << false << -1 << -1;
    QTest::newRow("trailing letter") << "12a" << false << -1 << -1;
    QTest::newRow("blank inside") << "1 2" << false << -1 << -1;
    QTest::newRow("empty") << "" << false << -1 << -1;
    QTest::newRow("sign only") << "-" << false << -3 << -3;
    QTest::newRow("hex text as decimal") << "FF" << false << -1 << -1;
    QTest::newRow("hex") << "FF" << true << 0 << 255;
    QTest::newRow("hex lower") << "7f" << true << 0 << 127;
    QTest::newRow("hex zeros") << "00" << true << -1 << 0;
    QTest::newRow("hex prefix") << "0x28" << true << 0 << 40;
    QTest::newRow("hex all bits") << "FFFFFFFF" << true << 0 << -1;
    QTest::newRow("hex too wide") << "100000000" << true << -1 << -1;
    QTest::newRow("not hex") << "G1" << true << -1 << -1;
}

void TestText::stringToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, hex);
    QFETCH(int, def);
    QFETCH(int, expected);
    QCOMPARE(StringToInt(text, hex, def), expected);
}

void TestText::parseIterator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("iterator");
    QTest::addColumn<uint>("expected");
    const uint none = 0xFFFFFFFF;
    QTest::newRow("address") << "31xx21" << 2 << 0x310221u;
    QTest::newRow("address 10") << "37xx0D" << 10 << 0x370A0Du;
    QTest::newRow("address 0") << "31xx1F" << 0 << 0x31001Fu;
    QTest::newRow("1x") << "1x" << 2 << 0x12u;
    QTest::newRow("6x") << "6x" << 5 << 0x65u;
    QTest::newRow("xx") << "xx" << 15 << 0x0Fu;
    QTest::newRow("upper X") << "1X" << 3 << 0x13u;
    QTest::newRow("plain number") << "13" << 7 << 0x13u;
    QTest::newRow("plain number, no iterator") << "5" << -1 << 5u;
    QTest::newRow("blanks around") << " 4x " << 1 << 0x41u;
    QTest::newRow("empty") << "" << 2 << none;
    QTest::newRow("iterator -1") << "xx" << -1 << none;
    QTest::newRow("iterator wider than x") << "1x" << 16 << none;
    QTest::newRow("not hex") << "3g" << 0 << none;
    QTest::newRow("nine digits") << "123456789" << 0 << none;
    QTest::newRow("eight digits") << "FFFFFFFE" << 0 << 0xFFFFFFFEu;
}

void TestText::parseIterator()
{
    QFETCH(QString, text);
    QFETCH(int, iterator);
    QFETCH(uint, expected);
    QCOMPARE(ParseIterator(text, iterator), expected);
}

void TestText::trimming_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("chars");
    QTest::addColumn<QString>("both");
    QTest::addColumn<QString>("right");
    QTest::newRow("white space") << " \tname \r\n"
                                 << " \t\r\n"
                                 << "name"
                                 << " \tname";
    QTest::newRow("repeated separator") << ",a,b,,,"
                                        << ","
                                        << "a,b"
                                        << ",a,b";
    QTest::newRow("mixed separators") << "a, ,\n"
                                      << " ,\n"
                                      << "a"
                                      << "a";
    QTest::newRow("only separators") << ",,,"
                                     << ","
                                     << ""
                                     << "";
    QTest::newRow("nothing to cut") << "a b"
                                    << " "
                                    << "a b"
                                    << "a b";
}

void TestText::trimming()
{
    QFETCH(QString, text);
    QFETCH(QString, chars);
    QFETCH(QString, both);
    QFETCH(QString, right);
    QString t = text;
    trim(t, chars);
    QCOMPARE(t, both);
    QCOMPARE(trimmed(text, chars), both);
    QString r = text;
    trimRight(r, chars);
    QCOMPARE(r, right);
    if (chars.size() == 1) {
        QString c = text;
        trimRight(c, char(chars.at(0).toLatin1()));
        QCOMPARE(c, right);
    }
}

void TestText::smallHelpers()
{
    QCOMPARE(TokensTail({"PAN", "00", "7F", "L63", "R63"}, 2), QStringLiteral("L63,R63"));
    QCOMPARE(TokensTail({"a", "b"}, 1), QString());
    QCOMPARE(TokensTail({"a", "b"}, -1), QStringLiteral("a,b"));
    QCOMPARE(StringToDouble(QStringLiteral(" -1.5 ")), -1.5);
    QCOMPARE(StringToDouble(QStringLiteral("x"), 7.0), 7.0);
    QVERIFY(HasLetter(QStringLiteral("12a")) && !HasLetter(QStringLiteral("12-")));
    QVERIFY(HasDigit(QStringLiteral("a1")) && !HasDigit(QStringLiteral("ab")));
    QVERIFY(AllDigits(QStringLiteral("0123")) && !AllDigits(QString()) && !AllDigits(QStringLiteral("1a")));
    QVERIFY(IsPrintable('A') && !IsPrintable(0x1F) && !IsPrintable(0x7F));
    QCOMPARE(stripAmp(QStringLiteral("&File && Edit")), QStringLiteral("File & Edit"));
    QCOMPARE(LogBase(100.0, 10.0), 2.0);
    QCOMPARE(LogBase(8.0, 2.0), 3.0);
}

void TestText::keyNames()
{
    QCOMPARE(GetKeyFromString(QStringLiteral("F6")), int(Qt::Key_F6));
    QCOMPARE(GetKeyFromString(QStringLiteral("F9")), int(Qt::Key_F9));
    QCOMPARE(GetKeyFromString(QStringLiteral("f1")), int(Qt::Key_F1));
    QCOMPARE(GetKeyFromString(QStringLiteral("F35")), int(Qt::Key_F35));
    QCOMPARE(GetKeyFromString(QStringLiteral("F36")), 0);
    QCOMPARE(GetKeyFromString(QStringLiteral("F")), 0);
    QCOMPARE(GetKeyFromString(QStringLiteral("F-1")), 0);
    QCOMPARE(GetKeyFromString(QStringLiteral("Esc")), 0);
}

void TestText::naturalOrder()
{
    const QStringList ordered = {"Bass 1", "bass 2", "Bass 10", "Bass10b", "Brass", "Brass 002", "Brass 3"};
    for (int i = 0; i < ordered.size(); ++i) {
        for (int j = 0; j < ordered.size(); ++j) {
            const int expected = i < j ? -1 : (i > j ? 1 : 0);
            QCOMPARE(CompareStrings(ordered.at(i), ordered.at(j)), expected);
        }
    }
    // Names differing only in case or leading zeros still have a fixed order.
    QVERIFY(CompareStrings(QStringLiteral("Pad"), QStringLiteral("pad")) != 0);
    QCOMPARE(CompareStrings(QStringLiteral("Pad"), QStringLiteral("pad")),
             -CompareStrings(QStringLiteral("pad"), QStringLiteral("Pad")));

    QCOMPARE(AlignNumbers(QStringLiteral("Voice 2")), AlignNumbers(QStringLiteral("Voice 2")));
    QVERIFY(AlignNumbers(QStringLiteral("Voice 2")) < AlignNumbers(QStringLiteral("Voice 10")));
    QVERIFY(AlignNumbers(QStringLiteral("A9B")) < AlignNumbers(QStringLiteral("A10A")));
}

void TestText::extensions_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("changed");
    QTest::newRow("replace") << "/m/mix.mix"
                             << "all"
                             << "/m/mix.all";
    QTest::newRow("add") << "/m/mix"
                         << "txt"
                         << "/m/mix.txt";
    QTest::newRow("dotted ext") << "/m/mix.mix"
                                << ".txt"
                                << "/m/mix.txt";
    QTest::newRow("dot in folder") << "/m.d/mix"
                                   << "txt"
                                   << "/m.d/mix.txt";
    QTest::newRow("hidden file") << "/m/.mix"
                                 << "txt"
                                 << "/m/.mix.txt";
    QTest::newRow("never saved") << ""
                                 << "txt"
                                 << "Untitled.txt";
}

void TestText::extensions()
{
    QFETCH(QString, path);
    QFETCH(QString, ext);
    QFETCH(QString, changed);
    QCOMPARE(ChangeExtension(path, ext), changed);
    QVERIFY(CheckExtension(changed, ext));
    QVERIFY(CheckExtension(changed.toUpper(), ext));
    QVERIFY(!CheckExtension(changed + QStringLiteral(".bak"), ext));
    QVERIFY(CheckExtensions(changed, {QStringLiteral("aif"), ext}));
    QVERIFY(!CheckExtensions(changed, {QStringLiteral("aif"), QStringLiteral("aiff")}));
}

void TestText::fileNames()
{
    QString name = QStringLiteral(" Lead/Pad: \"A\"?* ");
    MakeValidFilename(name);
    QCOMPARE(name, QStringLiteral("Lead_Pad_ _A___"));
    QString dots = QStringLiteral("..");
    MakeValidFilename(dots);
    QCOMPARE(dots, QStringLiteral("_"));
    QString empty;
    MakeValidFilename(empty);
    QCOMPARE(empty, QStringLiteral("_"));

    QCOMPARE(SafeFolderName(QStringLiteral("../a/b\\c")), QStringLiteral("abc"));
    QCOMPARE(SafeFolderName(QStringLiteral("Vesk ES")), QStringLiteral("Vesk ES"));
    QCOMPARE(SafeFolderName(QStringLiteral("..")), QStringLiteral("_"));

    const QString shortPath = QStringLiteral("/home/user/mix.mix");
    QCOMPARE(GetCompactPath(shortPath), shortPath);
    const QString longPath =
        QStringLiteral("/home/user/Documents/Sounds/Libraries/Vesk/2024/Projects/Live Set/"
                       "final mix.mix");
    const QString compact = GetCompactPath(longPath);
    QVERIFY(compact.size() <= 60);
    QVERIFY(compact.startsWith(QStringLiteral("/home/")));
    QVERIFY(compact.contains(QStringLiteral("...")));
    QVERIFY(compact.endsWith(QStringLiteral("/Live Set/final mix.mix")));
    QVERIFY(GetCompactPath(longPath, 200) == longPath);
}

void TestText::folders()
{
    const QString tamsel = GetTamselFolder();
    QCOMPARE(tamsel, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/Tamsel"));
    QVERIFY(QDir(tamsel).exists());

    QTemporaryDir dir;
    const QString base = dir.path();
    const QString device = CreatePath(base, QStringLiteral("CMidiDevice/Vesk ES"));
    QCOMPARE(device, base + QStringLiteral("/CMidiDevice/Vesk ES"));
    QVERIFY(QDir(device).exists());
    // Untrusted parts never lead out of base.
    QCOMPARE(CreatePath(base, QStringLiteral("../../etc")), base + QStringLiteral("/etc"));
    QCOMPARE(CreatePath(base, QStringLiteral("/abs//x/./y")), base + QStringLiteral("/abs/x/y"));
    QCOMPARE(CreatePath(base + QLatin1Char('/'), QStringLiteral("a\\..\\b")), base + QStringLiteral("/a/b"));
    QCOMPARE(CreatePath(base, QString()), base);
}

void TestText::textFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("3F08.ini"));
    const QString text = QStringLiteral("[USER1]\nRidev=128\n5=Grand Ä ♪\n");
    QVERIFY(StringToFile(text, path));
    QCOMPARE(FileToString(path), text);
    QVERIFY(StringToFile(QStringLiteral("again"), path));
    QCOMPARE(FileToString(path), QStringLiteral("again"));
    QVERIFY(!StringToFile(text, dir.filePath(QStringLiteral("missing/x.ini"))));
    QCOMPARE(FileToString(dir.filePath(QStringLiteral("missing.ini"))), QString());

    // Older files written as Latin-1 still read.
    QFile latin(dir.filePath(QStringLiteral("old.ini")));
    QVERIFY(latin.open(QIODevice::WriteOnly));
    latin.write("Caf\xE9");
    latin.close();
    QCOMPARE(FileToString(latin.fileName()), QStringLiteral("Café"));
}

ORVANE_TEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
