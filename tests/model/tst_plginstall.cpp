// Installing plug-in boards into the slots: the bank translation, the
// installed copy byte for byte, the boards refused before anything is
// written, and reloading while bank sets are held.
#include "DeviceBank.h"
#include "IniFile.h"
#include "PlgBoards.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "Vesk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

QString shippedBoard(const QString& code)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/resources/vesk/plg/VER150-%1.ini").arg(code);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList bankWordsAndNames(const BankSet& set)
{
    QStringList list;
    for (int i = 0; i < set.size(); ++i)
        list << QStringLiteral("%1 %2")
                    .arg(set.bankAt(i)->bankWord(), 4, 16, QLatin1Char('0'))
                    .arg(set.bankAt(i)->name());
    return list;
}

} // namespace

class TestPlgInstall : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDevice> m_device;
    QTemporaryDir m_boards;

    QString board(const char* name, const QByteArray& text)
    {
        const QString path = m_boards.filePath(QString::fromLatin1(name));
        writeBytes(path, text);
        return path;
    }

private slots:
    void init()
    {
        m_device = std::make_unique<TestDevice>(QStringLiteral("Board ES"));
        QDir(m_device->dataFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(m_device->dataFolder()));
    }

    void cleanup() { m_device.reset(); }

    void translation_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("result");
        QTest::newRow("USER 0") << "USER" << 0 << "63,24,P1-USER";
        QTest::newRow("USER 2") << "USER" << 2 << "63,26,P3-USER";
        QTest::newRow("PRE1 0") << "PRE1" << 0 << "63,70,P1-PRE1";
        QTest::newRow("PRE2 1") << "PRE2" << 1 << "63,74,P2-PRE2";
        QTest::newRow("PRE3 2") << "PRE3" << 2 << "63,78,P3-PRE3";
        for (int s = 0; s < 3; ++s) {
            QTest::addRow("user %d", s) << "user" << s << "user";
            QTest::addRow("PRE4 %d", s) << "PRE4" << s << "PRE4";
            QTest::addRow("direct %d", s) << "36,00,036/000" << s << "36,00,036/000";
            QTest::addRow("padded %d", s) << " USER" << s << " USER";
        }
    }

    void translation()
    {
        QFETCH(QString, entry);
        QFETCH(int, slot);
        QFETCH(QString, result);
        QCOMPARE(PlgBoards::translatePLGBankName(entry, slot), result);
    }

    void installedCopyOfTheShippedBoard()
    {
        const QString an = shippedBoard(QStringLiteral("AN"));
        QString error;
        QVERIFY2(PlgBoards::createPLGFile(m_device.get(), 1, an, &error), qPrintable(error));
        QCOMPARE(PlgBoards::plgFileName(m_device.get(), 1),
                 m_device->dataFolder() + QStringLiteral("/plg2.ini"));

        // The expected copy, with the voice names read from the board.
        IniFile source;
        QVERIFY(source.loadFile(an));
        QByteArray expected = "[PLG2]\nName=VER150-AN\nRidev=5\n0=63,25,P2-USER\n1=63,73,P2-PRE1\n"
                              "2=36,00,036/000\n3=36,01,036/001\n4=36,02,036/002\n\n"
                              "[P2-USER]\nRidev=64\n\n";
        const QList<QPair<const char*, QString>> named = {
            {"[P2-PRE1]\nRidev=64\n", QStringLiteral("PRE1")},
            {"[036/000]\nRidev=128\n", QStringLiteral("036/000")},
            {"[036/001]\nRidev=128\n", QStringLiteral("036/001")}};
        for (const auto& [head, title] : named) {
            expected += head;
            const IniSection* names = source.section(title);
            QVERIFY(names);
            const int count = names->intValue(QStringLiteral("Ridev"));
            for (int j = 0; j < count; ++j)
                expected += QByteArray::number(j) + '=' + names->numValue(j).toLatin1() + '\n';
            expected += '\n';
        }
        QCOMPARE(bytesOf(PlgBoards::plgFileName(m_device.get(), 1)), expected);
    }

    void folderWithAPercentSign()
    {
        QTemporaryDir home;
        const QByteArray before = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/50%2off")).toLocal8Bit());
        TestDevice device(QStringLiteral("Board ES"));
        qputenv("XDG_DATA_HOME", before);
        QVERIFY(device.dataFolder().contains(QStringLiteral("/50%2off/")));
        QCOMPARE(PlgBoards::plgFileName(&device, 2), device.dataFolder() + QStringLiteral("/plg3.ini"));
    }

    void smallBoards_data()
    {
        QTest::addColumn<QByteArray>("boardText");
        QTest::addColumn<QByteArray>("installed");
        QTest::newRow("no banks") << QByteArray("[PLG]\r\nName=VER150-XX\r\nRidev=0\r\n")
                                  << QByteArray("[PLG1]\nName=VER150-XX\nRidev=0\n\n");
        // Names keep their keys, gaps where a voice has none; a three-digit
        // MSB is looked up as section ",X", an entry starting with a comma as
        // itself: neither is copied.
        QTest::newRow("gaps and odd entries")
            << QByteArray("[PLG]\nName=B\nRidev=4\n0=PRE2\n1=127,00,X\n2=,abc\n3=32,00,NAMED\n"
                          "[PRE2]\nRidev=4\n0=Ap:One\n2=\n3=Ap:Four\n[X]\nRidev=1\n0=x\n"
                          "[NAMED]\nRidev=1\n0=Pd:Pad\n")
            << QByteArray("[PLG1]\nName=B\nRidev=4\n0=63,71,P1-PRE2\n1=127,00,X\n2=,abc\n3=32,00,NAMED\n\n"
                          "[P1-PRE2]\nRidev=4\n0=Ap:One\n3=Ap:Four\n\n[NAMED]\nRidev=1\n0=Pd:Pad\n\n");
        // Backslashes are the board's own characters, never escapes.
        QTest::newRow("backslashes") << QByteArray("[PLG]\nName=VER150-\\S\nRidev=1\n0=36,00,A\\sB\n"
                                                   "[A\\sB]\nRidev=2\n0=back\\slash\n1=tab\\t\\\\\n")
                                     << QByteArray("[PLG1]\nName=VER150-\\S\nRidev=1\n0=36,00,A\\sB\n\n"
                                                   "[A\\sB]\nRidev=2\n0=back\\slash\n1=tab\\t\\\\\n\n");
        QTest::newRow("empty name") << QByteArray("[PLG]\nName=\nRidev=1\n0=USER\n")
                                    << QByteArray("[PLG1]\nName=\nRidev=1\n0=63,24,P1-USER\n\n");
        QTest::newRow("no name key") << QByteArray("[PLG]\nRidev=1\n0=USER\n")
                                     << QByteArray("[PLG1]\nName=\nRidev=1\n0=63,24,P1-USER\n\n");
        QTest::newRow("Latin-1 names") << QByteArray("[PLG]\nName=Caf\xc3\xa9\nRidev=0\n")
                                       << QByteArray("[PLG1]\nName=Caf\xe9\nRidev=0\n\n");
    }

    void smallBoards()
    {
        QFETCH(QByteArray, boardText);
        QFETCH(QByteArray, installed);
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 0, board("small.ini", boardText)));
        QCOMPARE(bytesOf(PlgBoards::plgFileName(m_device.get(), 0)), installed);
    }

    // The installed copies reach the tables as the board file wrote them: a
    // backslash is no escape there either, and a board without a name
    // installs its banks under a slot that reads as empty.
    void namesReachTheTablesAsWritten()
    {
        QVERIFY(
            PlgBoards::createPLGFile(m_device.get(), 0,
                                     board("slash.ini", "[PLG]\nName=VER150-\\S\nRidev=1\n0=36,00,A\\sB\n"
                                                        "[A\\sB]\nRidev=2\n0=back\\slash\n1=tab\\t\\\\\n")));
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 1,
                                         board("nameless.ini", "[PLG]\nName=\nRidev=1\n0=USER\n")));
        PlgBoards::loadPLG(m_device.get());
        QCOMPARE(PlgBoards::plgName(m_device.get(), 0), QStringLiteral("VER150-\\S"));
        QCOMPARE(bankWordsAndNames(BankSet(m_device.get(), QStringLiteral("PLG1"))),
                 QStringList{QStringLiteral("2400 A\\sB")});
        const IniSection* names = m_device->ini()->section(QStringLiteral("A\\sB"));
        QVERIFY(names);
        QCOMPARE(names->numValue(0), QStringLiteral("back\\slash"));
        QCOMPARE(names->numValue(1), QStringLiteral("tab\\t\\\\"));
        QCOMPARE(PlgBoards::plgName(m_device.get(), 1), QString());
        QCOMPARE(bankWordsAndNames(BankSet(m_device.get(), QStringLiteral("PLG2"))),
                 QStringList{QStringLiteral("3f19 P2-USER")});
    }

    void emptyAndNone()
    {
        const QString file = PlgBoards::plgFileName(m_device.get(), 0);
        // "" writes nothing where there is nothing, and keeps what is there.
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 0, QString()));
        QVERIFY(!QFile::exists(file));
        QVERIFY(writeBytes(file, "kept as it is\r\n"));
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 0, QString()));
        QCOMPARE(bytesOf(file), QByteArray("kept as it is\r\n"));

        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 0, QStringLiteral("(none)")));
        QCOMPARE(bytesOf(file), QByteArray("[PLG1]\nName=\nRidev=0\n"));
        PlgBoards::loadPLG(m_device.get());
        QCOMPARE(PlgBoards::plgName(m_device.get(), 0), QString());
        QVERIFY(m_device->ini()->section(QStringLiteral("PLG1")));
        QCOMPARE(BankSet(m_device.get(), QStringLiteral("PLG1")).size(), 0);
    }

    void refusedBoardsKeepTheOldCopy_data()
    {
        QTest::addColumn<QByteArray>("boardText");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << "File not found";
        QTest::newRow("no PLG section") << QByteArray("[USER]\nRidev=64\n") << "no [PLG] section";
        QTest::newRow("bank count") << QByteArray("[PLG]\nName=B\nRidev=2000000000\n") << "0 to 128";
        QTest::newRow("negative bank count") << QByteArray("[PLG]\nName=B\nRidev=-1\n") << "0 to 128";
        QTest::newRow("voice count") << QByteArray("[PLG]\nName=B\nRidev=1\n0=USER\n[USER]\nRidev=129\n")
                                     << "Bank [USER] lists 129 voices";
        QTest::newRow("voice count of a bank with a percent sign")
            << QByteArray("[PLG]\nName=B\nRidev=1\n0=36,00,A%2B\n[A%2B]\nRidev=129\n")
            << "Bank [A%2B] lists 129 voices; a bank has 0 to 128.";
        // A bank section is loaded over the device's section of that title:
        // the voice bank set, a table, another slot, a slot's user bank.
        QTest::newRow("bank named after a bank set")
            << QByteArray("[PLG]\nName=B\nRidev=1\n0=36,00,VOICES\n[VOICES]\nRidev=1\n0=Ap:One\n")
            << "Bank [VOICES] has the name of one of the instrument's own tables";
        QTest::newRow("bank named after a table")
            << QByteArray("[PLG]\nName=B\nRidev=1\n0=CATEGORIES\n[CATEGORIES]\nRidev=1\n0=x\n")
            << "Bank [CATEGORIES] has the name";
        QTest::newRow("bank named after a slot")
            << QByteArray("[PLG]\nName=B\nRidev=1\n0=36,00,PLG1\n[PLG1]\nRidev=1\n0=x\n")
            << "Bank [PLG1] has the name";
        QTest::newRow("bank named after a slot's bank")
            << QByteArray("[PLG]\nName=B\nRidev=1\n0=36,00,P1-PRE2\n[P1-PRE2]\nRidev=1\n0=x\n")
            << "Bank [P1-PRE2] has the name";
    }

    void refusedBoardsKeepTheOldCopy()
    {
        QFETCH(QByteArray, boardText);
        QFETCH(QString, reason);
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 2, shippedBoard(QStringLiteral("AP"))));
        const QByteArray before = bytesOf(PlgBoards::plgFileName(m_device.get(), 2));
        QVERIFY(!before.isEmpty());

        const QString path = boardText.isEmpty() ? m_boards.filePath(QStringLiteral("absent.ini"))
                                                 : board("bad.ini", boardText);
        QString error;
        QVERIFY(!PlgBoards::createPLGFile(m_device.get(), 2, path, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(error.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(bytesOf(PlgBoards::plgFileName(m_device.get(), 2)), before);
        PlgBoards::loadPLG(m_device.get());
        QCOMPARE(PlgBoards::plgName(m_device.get(), 2), QStringLiteral("VER150-AP"));
    }

    void unwritableCopyIsReported()
    {
        // A folder where the copy should go: it cannot be replaced.
        QVERIFY(QDir().mkpath(PlgBoards::plgFileName(m_device.get(), 0)));
        QString error;
        QVERIFY(!PlgBoards::createPLGFile(m_device.get(), 0, shippedBoard(QStringLiteral("PF")), &error));
        QVERIFY2(error.startsWith(QStringLiteral("Cannot save file")), qPrintable(error));
    }

    void loadingBuildsTheSlotBankSets()
    {
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 1, shippedBoard(QStringLiteral("AN"))));
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 2, shippedBoard(QStringLiteral("AN"))));
        PlgBoards::loadPLG(m_device.get());
        QCOMPARE(PlgBoards::plgName(m_device.get(), 0), QString());
        QCOMPARE(PlgBoards::plgName(m_device.get(), 1), QStringLiteral("VER150-AN"));

        const BankSet plg2(m_device.get(), QStringLiteral("PLG2"));
        QCOMPARE(bankWordsAndNames(plg2), (QStringList{"3f19 P2-USER", "3f49 P2-PRE1", "2400 036/000",
                                                       "2401 036/001", "2402 036/002"}));
        const BankSet plg3(m_device.get(), QStringLiteral("PLG3"));
        QCOMPARE(plg3.bankAt(1)->name(), QStringLiteral("P3-PRE1"));
        QCOMPARE(plg3.bankAt(1)->bankWord(), 0x3F4C);
        QCOMPARE(plg2.bankAt(0)->count(), 64);
        QCOMPARE(plg2.bankAt(1)->patchName(0), QStringLiteral("Ap:AN P1 001"));
        QCOMPARE(plg2.bankAt(2)->patchName(127), QStringLiteral("Co:AN B1 128"));
    }

    // The instrument's own members, with the board built into the library.
    void instrumentMembers()
    {
        Vesk vesk;
        QDir(vesk.dataFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(vesk.dataFolder()));
        QCOMPARE(Vesk::translatePLGBankName(QStringLiteral("PRE3"), 2), QStringLiteral("63,78,P3-PRE3"));
        QString error;
        QVERIFY2(vesk.createPLGFile(1, QStringLiteral(":/vesk/data/VER150-AN.ini"), &error),
                 qPrintable(error));
        // The same copy as from the board's source file.
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 1, shippedBoard(QStringLiteral("AN"))));
        QCOMPARE(bytesOf(vesk.plgFileName(1)), bytesOf(PlgBoards::plgFileName(m_device.get(), 1)));
        vesk.loadPLG();
        QCOMPARE(vesk.plgName(1), QStringLiteral("VER150-AN"));
        const BankSet plg2(&vesk, QStringLiteral("PLG2"));
        QCOMPARE(plg2.size(), 5);
        // The slot's banks are the instrument's PLG banks.
        QCOMPARE(vesk.bankType(plg2.bankAt(0)->bankWord()), 2);
        QVERIFY(vesk.isUserBank(plg2.bankAt(0)->bankWord()));
        QCOMPARE(vesk.bankType(plg2.bankAt(1)->bankWord()), 2);
        // The device's own set of the PLG user banks names the same bank.
        const BankSet users(&vesk, QStringLiteral("PLG_USER"));
        QCOMPARE(users.bankAt(1), plg2.bankAt(0));
    }

    void reloadingKeepsHeldBanksAlive()
    {
        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 0, shippedBoard(QStringLiteral("AN"))));
        PlgBoards::loadPLG(m_device.get());
        // What an open patch control holds while the set-up dialog reloads.
        const BankSet held(m_device.get(), QStringLiteral("PLG1"));
        const DeviceBank* pre1 = held.bankAt(1);
        QCOMPARE(pre1->patchName(0), QStringLiteral("Ap:AN P1 001"));

        QVERIFY(PlgBoards::createPLGFile(m_device.get(), 0, shippedBoard(QStringLiteral("PF"))));
        PlgBoards::loadPLG(m_device.get());
        PlgBoards::loadPLG(m_device.get());
        // The held banks are as they were; the rebuilt set has the new board.
        QCOMPARE(held.size(), 5);
        QCOMPARE(pre1->patchName(0), QStringLiteral("Ap:AN P1 001"));
        QCOMPARE(held.bankAt(4)->name(), QStringLiteral("036/002"));
        const BankSet fresh(m_device.get(), QStringLiteral("PLG1"));
        QCOMPARE(bankWordsAndNames(fresh), (QStringList{"3f18 P1-USER", "3f46 P1-PRE1", "2000 032/000"}));
        QCOMPARE(fresh.bankAt(1)->patchName(0), QStringLiteral("Ap:PF P1 001"));
        QVERIFY(fresh.bankAt(1) != pre1);
    }
};

ORVANE_TEST_MAIN(TestPlgInstall)
#include "tst_plginstall.moc"
