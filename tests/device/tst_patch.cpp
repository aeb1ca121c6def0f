#include "Patch.h"
#include "TestEnvironment.h"

#include <QtTest>

class TestPatch : public QObject
{
    Q_OBJECT

private slots:
    void bank_data();
    void bank();
    void packing_data();
    void packing();
    void printing();
    void printProgram_data();
    void printProgram();
    void noteNames();
    void noteParse_data();
    void noteParse();
};

void TestPatch::bank_data()
{
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<uint>("word");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("text");

    const Bank fromWord(static_cast<unsigned short>(0x3F40));
    QTest::newRow("from word") << fromWord.msb << fromWord.lsb << 0x3F40u << true << "063/064";
    const Bank high(static_cast<unsigned short>(0x8000));
    QTest::newRow("msb 128") << high.msb << high.lsb << 0x8000u << false << "128/000";
    QTest::newRow("lsb carries") << 1 << 300 << 0x022Cu << false << "001/300";
    QTest::newRow("reset") << Bank().msb << Bank().lsb << 0xFEFFu << false << "-01/-01";
    QTest::newRow("negative msb") << -2 << 5 << 0xFE05u << false << "-02/005";
}

void TestPatch::bank()
{
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(uint, word);
    QFETCH(bool, valid);
    QFETCH(QString, text);

    const Bank b(msb, lsb);
    QCOMPARE(uint(b.word()), word);
    QCOMPARE(uint(static_cast<unsigned short>(b)), word);
    QCOMPARE(b.isValid(), valid);
    QCOMPARE(b.toString(), text);
}

void TestPatch::packing_data()
{
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<int>("program");
    QTest::addColumn<uint>("packed");

    auto row = [](const char* name, const Patch& p, uint packed) {
        QTest::newRow(name) << p.bank.msb << p.bank.lsb << p.program << packed;
    };
    row("three values", Patch(0, 64, 5), 0x4005u);
    row("top bank", Patch(63, 0, 127), 0x3F007Fu);
    row("word and program", Patch(static_cast<unsigned short>(0x3F00), 5), 0x3F0005u);
    row("program 128 is invalid", Patch(static_cast<unsigned short>(0x3F00), 128), 0xFFFFFFFFu);
    row("program 256 carries", Patch(static_cast<unsigned short>(0x3F00), 256), 0x3F0100u);
    row("negative program borrows", Patch(static_cast<unsigned short>(0x3F01), -129), 0x3F007Fu);
    row("high byte ignored", Patch(0x01000005u), 0x000005u);
    row("no patch", Patch(0xFFFFFFFFu), 0xFFFFFFFFu);
    row("msb 128 unpacks invalid", Patch(0x800000u), 0xFFFFFFFFu);
    row("reset", Patch(), 0xFFFFFFFFu);
    row("program above 127", Patch(0, 0, 128), 0xFFFFFFFFu);
}

void TestPatch::packing()
{
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(int, program);
    QFETCH(uint, packed);

    const Patch p(msb, lsb, program);
    QCOMPARE(p.toUInt(), packed);
    QCOMPARE(unsigned(p), packed);
    QCOMPARE(p.isValid(), packed != 0xFFFFFFFFu);

    // The packed form reads back; an invalid one reads back as the reset patch.
    const Patch back(packed);
    QCOMPARE(back.toUInt(), packed);
    if (!p.isValid()) {
        QCOMPARE(back.program, -1);
        QCOMPARE(back.bank.msb, -1);
        QCOMPARE(back.bank.lsb, -1);
    }
}

void TestPatch::printing()
{
    const Patch p(0, 64, 0);
    QCOMPARE(p.toString(), QStringLiteral("000/064:001"));
    QCOMPARE(p.print(Patch::Grouped), QStringLiteral("000/064:A01"));
    QCOMPARE(Patch().print(Patch::OneBased), QString());
    QCOMPARE(Patch().toString(), QString());
    // printProgram does not check validity.
    QCOMPARE(Patch().printProgram(Patch::ZeroBased), QStringLiteral("-01"));
}

void TestPatch::printProgram_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("texts"); // programs 0, 15, 16, 127

    QTest::newRow("zero based") << 0 << QStringList{"000", "015", "016", "127"};
    QTest::newRow("one based") << 1 << QStringList{"001", "016", "017", "128"};
    QTest::newRow("grouped") << 2 << QStringList{"A01", "A16", "B01", "H16"};
    QTest::newRow("one based grouped")
        << 3 << QStringList{"001 (A01)", "016 (A16)", "017 (B01)", "128 (H16)"};
    QTest::newRow("other type") << 7 << QStringList{"0", "15", "16", "127"};
    QTest::newRow("negative type") << -1 << QStringList{"0", "15", "16", "127"};
}

void TestPatch::printProgram()
{
    QFETCH(int, type);
    QFETCH(QStringList, texts);
    const int programs[] = {0, 15, 16, 127};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(Patch::PrintProgram(programs[i], Patch::ProgramNumberType(type)), texts.at(i));
}

void TestPatch::noteNames()
{
    QCOMPARE(NOTENAMES.size(), 128);
    const QList<QPair<int, QString>> names{{0, "C-2"}, {11, "B-2"}, {12, "C-1"}, {24, "C0"},
                                           {60, "C3"}, {61, "C#3"}, {127, "G8"}};
    for (const auto& [note, name] : names) {
        QCOMPARE(Note::name(note), name);
        QCOMPARE(NOTENAMES.at(note), name);
    }
    QCOMPARE(Note::name(128), QStringLiteral("(invalid note)"));
    QCOMPARE(Note::name(-1), QStringLiteral("(invalid note)"));
    // Every name parses back to its own number.
    for (int note = 0; note < 128; ++note)
        QCOMPARE(Note::parse(Note::name(note)), note);
}

void TestPatch::noteParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("note");

    QTest::newRow("lower case") << "c#3" << 61;
    QTest::newRow("inner blank") << "C# 3" << 61;
    QTest::newRow("outer blanks") << " C#3 " << 61;
    QTest::newRow("top") << "G8" << 127;
    QTest::newRow("blank before negative octave") << "C -2" << 0;
    QTest::newRow("flat matches nothing") << "Db3" << 0;
    QTest::newRow("digits") << "61" << 61;
    QTest::newRow("negative number") << "-5" << -5;
    QTest::newRow("empty") << "" << 0;
}

void TestPatch::noteParse()
{
    QFETCH(QString, text);
    QFETCH(int, note);
    QCOMPARE(Note::parse(text), note);
}

ORVANE_TEST_GUILESS_MAIN(TestPatch)
#include "tst_patch.moc"
