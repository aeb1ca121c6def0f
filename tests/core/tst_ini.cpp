#include "IniFile.h"
#include "TestEnvironment.h"

#include <QSaveFile>
#include <QTemporaryDir>

class TestIni : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            return QString();
        return path;
    }

private slots:
    void grammar()
    {
        // The shapes found in device resources and instrument definition files.
        const QByteArray text = "text before any section is ignored\r\n"
                                "; GENERIC DATA\r\n"
                                "\r\n"
                                "[PAN]\r\n"
                                "Size=1\r\n"
                                "Ridev = 128\r\n"
                                "  64 =  C  \r\n"
                                "; a comment inside a section\r\n"
                                "a line without separator\r\n"
                                "0=L64\r\n"
                                "Empty=\r\n"
                                "Tail=a=b\r\n"
                                ".Patch Names\n"
                                "[Pianos]\n"
                                "0=Grand\n"
                                ".Instrument Definitions\n"
                                "[Model B]\n"
                                "Patch[8193]=Strings\n"
                                "Patch[*]=1..128\n"
                                "[ Model A ]\n"
                                "Patch[0]=Pianos";
        IniFile ini;
        ini.loadData(text);

        QCOMPARE(ini.size(), 4);
        IniSection* pan = ini.section(QStringLiteral("PAN"));
        QVERIFY(pan);
        QCOMPARE(pan->types(), QStringList({"Size", "Ridev", "64", "0", "Empty", "Tail"}));
        QCOMPARE(pan->intValue(QStringLiteral("Ridev")), 128);
        QCOMPARE(pan->value(QStringLiteral("64")), QStringLiteral("C"));
        QCOMPARE(pan->value(QStringLiteral("Empty")), QString());
        QVERIFY(pan->findLine(QStringLiteral("Empty")));
        QCOMPARE(pan->value(QStringLiteral("Tail")), QStringLiteral("a=b"));
        QCOMPARE(pan->group(), QString());

        IniSection* b = ini.section(QStringLiteral("Model B"));
        QVERIFY(b);
        QCOMPARE(b->types(), QStringList({"Patch[8193]", "Patch[*]"}));
        QCOMPARE(b->value(QStringLiteral("Patch[8193]")), QStringLiteral("Strings"));
        // A title keeps its blanks; the last line needs no line end.
        QCOMPARE(ini.section(QStringLiteral(" Model A "))->value(QStringLiteral("Patch[0]")),
                 QStringLiteral("Pianos"));

        QCOMPARE(ini.getSectionNames(QStringLiteral("Instrument Definitions")),
                 QStringList({"Model B", " Model A "}));
        QCOMPARE(ini.getSectionNames(QStringLiteral("Patch Names")), QStringList({"Pianos"}));
        QCOMPARE(ini.getSectionNames(QStringLiteral("Nothing")), QStringList());
    }

    // The same escaped text read both ways: verbatim, every backslash stays
    // and the first "=" ends the key.
    void verbatimKeepsBackslashes()
    {
        const QString text = QStringLiteral("[A\\sB]\nk\\=ey=back\\slash\\\\n\n");
        IniFile decoded;
        decoded.loadText(text);
        QCOMPARE(decoded.section(QStringLiteral("A B"))->value(QStringLiteral("k=ey")),
                 QStringLiteral("back lash\\n"));
        IniFile verbatim;
        verbatim.loadText(text, IniFile::Verbatim);
        QVERIFY(!verbatim.section(QStringLiteral("A B")));
        QCOMPARE(verbatim.section(QStringLiteral("A\\sB"))->value(QStringLiteral("k\\")),
                 QStringLiteral("ey=back\\slash\\\\n"));
    }

    void sectionReadAgainReplacesTheOldOneWhole()
    {
        IniFile ini;
        ini.loadText(
            QStringLiteral("[PLG2]\nName=VER150-AN\nRidev=5\n0=63,25,P2-USER\n[A]\nx=1\n[A]\ny=2\n"));
        QCOMPARE(ini.section(QStringLiteral("A"))->types(), QStringList({"y"}));

        // A later file holding only the header empties the section.
        const QString path = writeFile(QStringLiteral("plg2.ini"), "[PLG2]\n");
        QVERIFY(ini.loadFile(path));
        IniSection* plg = ini.section(QStringLiteral("PLG2"));
        QVERIFY(plg);
        QCOMPARE(plg->count(), 0);
        QCOMPARE(plg->value(QStringLiteral("Name")), QString());
        QCOMPARE(plg->intValue(QStringLiteral("Ridev")), 0);
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::newRow("latin-1") << QByteArray("[B]\n0=Caf\xE9 \xC6ther\n") << QStringLiteral("Café Æther");
        QTest::newRow("utf-8") << QByteArray("[B]\n0=Caf\xC3\xA9 \xC3\x86ther\n")
                               << QStringLiteral("Café Æther");
        QTest::newRow("utf-8 with mark")
            << QByteArray("\xEF\xBB\xBF[B]\n0=\xE2\x82\xAC\n") << QStringLiteral("€");
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        IniFile ini;
        QVERIFY(ini.loadFile(writeFile(QStringLiteral("enc.ini"), bytes)));
        QVERIFY(ini.section(QStringLiteral("B")));
        QCOMPARE(ini.section(QStringLiteral("B"))->numValue(0), name);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("equals") << QStringLiteral("a=b");
        QTest::newRow("comment mark") << QStringLiteral(";x");
        QTest::newRow("section mark") << QStringLiteral("[y]");
        QTest::newRow("group mark") << QStringLiteral(".Patch Names");
        QTest::newRow("leading blank") << QStringLiteral(" lead");
        QTest::newRow("trailing blank") << QStringLiteral("trail ");
        QTest::newRow("blanks only") << QStringLiteral("  ");
        QTest::newRow("tabs at ends") << QStringLiteral("\tx\t");
        QTest::newRow("line feed") << QStringLiteral("two\nlines");
        QTest::newRow("carriage return") << QStringLiteral("a\rb\r\n");
        QTest::newRow("backslash") << QStringLiteral("back\\slash");
        QTest::newRow("escape look-alikes") << QStringLiteral("\\n\\s\\=\\\\ \\");
        QTest::newRow("closing bracket") << QStringLiteral("a] b]");
        QTest::newRow("accented") << QStringLiteral("é");
        QTest::newRow("empty") << QString();
    }

    // Whatever a patch name holds, a user bank file written with printTitle
    // and printLine reads back to the same title, keys and values.
    void roundTrip()
    {
        QFETCH(QString, text);
        IniSection section(text);
        section.add(new IniLine(QStringLiteral("Ridev"), 2));
        section.add(new IniLine(0, text));
        section.add(new IniLine(text, QStringLiteral("value of ") + text));
        const QString written = section.printTitle() + section.printLine(QStringLiteral("Ridev")) +
                                section.printLine(0) + section.printLine(text);

        IniFile ini;
        QVERIFY(ini.loadFile(writeFile(QStringLiteral("3F08.ini"), written.toUtf8())));
        QCOMPARE(ini.keys(), QStringList({text}));
        IniSection* read = ini.section(text);
        QCOMPARE(read->intValue(QStringLiteral("Ridev")), 2);
        QCOMPARE(read->numValue(0), text);
        QCOMPARE(read->value(text), QStringLiteral("value of ") + text);
        QCOMPARE(read->types(), section.types());
    }

    void ordinaryLinesAreWrittenAsTheyStand()
    {
        IniSection section(QStringLiteral("VOICES"));
        section.add(new IniLine(7, QStringLiteral("63,08,USER1")));
        section.add(new IniLine(QStringLiteral("Patch[12]"), QStringLiteral("C#-2; A=B [x]")));
        QCOMPARE(section.printTitle(), QStringLiteral("[VOICES]\n"));
        QCOMPARE(section.printLine(7), QStringLiteral("7=63,08,USER1\n"));
        QCOMPARE(section.printLine(QStringLiteral("Patch[12]")), QStringLiteral("Patch[12]=C#-2; A=B [x]\n"));
        QCOMPARE(section.printLine(8), QString());

        // A backslash written by hand before anything but an escape letter stays.
        IniFile ini;
        ini.loadText(QStringLiteral("[P]\nPath=C:\\Data\\Voices\\\n"));
        QCOMPARE(ini.section(QStringLiteral("P"))->value(QStringLiteral("Path")),
                 QStringLiteral("C:\\Data\\Voices\\"));
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("decimal") << QStringLiteral("128") << 128;
        QTest::newRow("negative") << QStringLiteral("-64") << -64;
        QTest::newRow("hex") << QStringLiteral("0x1F") << 31;
        QTest::newRow("blanks") << QStringLiteral(" 12 ") << 12;
        QTest::newRow("not a number") << QStringLiteral("12abc") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("too large") << QStringLiteral("99999999999") << 0;
    }

    void lookups()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        IniSection section(QStringLiteral("T"));
        section.add(new IniLine(QStringLiteral("n"), text));
        QCOMPARE(section.intValue(QStringLiteral("n")), number);
        QCOMPARE(section.intValue(QStringLiteral("absent")), 0);
    }

    void numberedLinesAndOrder()
    {
        IniFile ini;
        ini.loadText(QStringLiteral("[T]\nRidev=3\n2=two\n03=three\n0=zero\n2=TWO\n"));
        IniSection* t = ini.section(QStringLiteral("T"));
        QCOMPARE(t->numValue(0), QStringLiteral("zero"));
        QCOMPARE(t->numValue(2), QStringLiteral("TWO")); // the later line wins
        QVERIFY(!t->findLine(3));                        // "03" is not the decimal text of 3
        QCOMPARE(t->numValue(3), QString());
        QCOMPARE(t->findLine(2)->key(), QStringLiteral("2"));
        // A replaced key keeps its first place.
        QCOMPARE(t->types(), QStringList({"Ridev", "2", "03", "0"}));
        QVERIFY(!t->add(nullptr));
    }

    void createCopyIsDeep()
    {
        auto* original = new IniSection(QStringLiteral("Pianos"), QStringLiteral("Patch Names"));
        original->add(new IniLine(0, QStringLiteral("Grand")));
        original->add(new IniLine(1, QStringLiteral("Upright")));
        IniSection* copy = original->createCopy();
        original->findLine(0)->setValue(QStringLiteral("changed"));
        original->add(new IniLine(2, QStringLiteral("added")));
        delete original; // the copy must not share a line with it

        QCOMPARE(copy->title(), QStringLiteral("Pianos"));
        QCOMPARE(copy->group(), QStringLiteral("Patch Names"));
        QCOMPARE(copy->types(), QStringList({"0", "1"}));
        QCOMPARE(copy->numValue(0), QStringLiteral("Grand"));
        delete copy;
    }

    void unreadableFileChangesNothing()
    {
        IniFile ini;
        ini.loadText(QStringLiteral("[Keep]\nk=v\n"));
        QVERIFY(!ini.loadFile(m_dir.filePath(QStringLiteral("missing.ini"))));
        QVERIFY(!ini.loadFile(m_dir.path()));
        QVERIFY(!ini.loadFile(QString()));
        QCOMPARE(ini.keys(), QStringList({"Keep"}));
        QCOMPARE(ini.section(QStringLiteral("Keep"))->value(QStringLiteral("k")), QStringLiteral("v"));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestIni)
#include "tst_ini.moc"
