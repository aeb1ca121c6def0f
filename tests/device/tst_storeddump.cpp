// Dumps that keep their bytes in a shared block and make their messages on
// first use: they answer as the same bytes split at once do, before and after
// their messages are made; edits, copies, swaps and kept contents stay their
// own and never write into the block; the messages are made once however
// many threads ask.
#include "Archive.h"
#include "BulkDump.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>


class TestStoredDump : public QObject
{
    Q_OBJECT

    TestDevice dev;

    static QByteArray rawOf(const QStringList& messages)
    {
        Buffer b;
        b.fromString(messages.join(QLatin1Char(' ')));
        return b.bytes();
    }
    static QStringList hexList(const BulkDump& dump)
    {
        QStringList out;
        for (const Sysex* msg : dump)
            out << msg->toString(-1);
        return out;
    }
    static QByteArray bytesOf(const BulkDump& dump)
    {
        Buffer b;
        dump.toBuffer(b);
        return b.bytes();
    }
    static QByteArray archived(BulkDump& dump)
    {
        Buffer b;
        Archive ar(b);
        dump.toArchive(ar);
        ar.close();
        return b.bytes();
    }
    // A named voice block, and two more blocks of a voice.
    static QString named(const char* name)
    {
        return TestSysex::bulkDumpText(0x100000, TestSysex::voiceData(QString::fromLatin1(name), 16));
    }
    const QString Name = named("Stored");
    const QString B = TestSysex::bulkDumpText(0x100100, QByteArray(8, '\x40'));
    const QString C = TestSysex::bulkDumpText(0x100200, QByteArray(4, '\x7F'));

    // A voice stored from the middle of a larger block, as a library file
    // holds it; the block is returned for checks that it never changes.
    std::unique_ptr<TestPatchDump> stored(QByteArray& block, QStringList messages = {})
    {
        if (messages.isEmpty())
            messages = {Name, B, C};
        const QByteArray dump = rawOf(messages);
        block = QByteArray("\x11\x22\x33", 3) + dump + QByteArray("\x44", 1);
        auto made = std::make_unique<TestPatchDump>(&dev);
        made->fromStoredBlock(block, 3, dump.size(), &dev);
        return made;
    }

private slots:
    void answersAsSplitAtOnce_data();
    void answersAsSplitAtOnce();
    void editsStayTheDumps();
    void copiesAndSwapsAreIndependent();
    void contentsComeBack();
    void madeOnceAcrossThreads();
};

void TestStoredDump::answersAsSplitAtOnce_data()
{
    QTest::addColumn<QString>("stream");
    QTest::addColumn<bool>("keptStored");

    QTest::newRow("whole messages") << Name + " " + B + " " + C << true;
    QTest::newRow("one message") << Name << true;
    QTest::newRow("stray bytes in front") << "11 22 " + Name + " " + B << false;
    QTest::newRow("stray bytes between") << Name + " 11 " + B << false;
    QTest::newRow("bytes after the last F7") << Name + " " + B + " F0 43" << false;
    QTest::newRow("a request among them") << Name + " " + TestSysex::bulkRequestText(0x100000) << true;
    QTest::newRow("nothing") << QString() << false;
}

void TestStoredDump::answersAsSplitAtOnce()
{
    QFETCH(QString, stream);
    QFETCH(bool, keptStored);

    Buffer raw;
    QVERIFY(raw.fromString(stream));
    const QByteArray block = QByteArray("\xF7\x01", 2) + raw.bytes() + QByteArray("\xF0", 1);
    TestPatchDump split(&dev);
    TestPatchDump lazy(&dev);
    const qsizetype splitLeft = split.fromBlock(block, 2, raw.size(), &dev, false);
    QCOMPARE(lazy.fromStoredBlock(block, 2, raw.size(), &dev), splitLeft);
    QCOMPARE(lazy.isStored(), keptStored);

    // Everything the list, the library and the editors ask before the
    // messages are made...
    QCOMPARE(lazy.size(), split.size());
    QCOMPARE(lazy.isEmpty(), split.isEmpty());
    QCOMPARE(lazy.name(false), split.name(false));
    QCOMPARE(lazy.getCategoryData(), split.getCategoryData());
    QCOMPARE(lazy.getRidevSize(), split.getRidevSize());
    QCOMPARE(bytesOf(lazy), bytesOf(split));
    QCOMPARE(archived(lazy), archived(split));
    if (!split.isEmpty())
        QCOMPARE(lazy.first()->toString(-1), split.first()->toString(-1));
    QCOMPARE(lazy.isStored(), keptStored);
    // ...and the messages themselves.
    QCOMPARE(hexList(lazy), hexList(split));
    QVERIFY(!lazy.isStored());
    QCOMPARE(lazy.getRidevDataSize(), split.getRidevDataSize());
}

void TestStoredDump::editsStayTheDumps()
{
    QByteArray block;
    auto dump = stored(block);
    const QByteArray before = block;

    // A new name is written into the first message alone: nothing else is
    // made, and the stored form carries it.
    dump->setName(QStringLiteral("Renamed"));
    dump->setComment(QStringLiteral("kept"));
    QVERIFY(dump->isStored());
    QCOMPARE(dump->name(false), QStringLiteral("Renamed"));
    TestPatchDump expected(&dev);
    QVERIFY(expected.fromString(QStringList{named("Renamed"), B, C}.join(' '), &dev));
    QCOMPARE(bytesOf(*dump), bytesOf(expected));

    // A change further in makes the messages, the renamed one first.
    dump->at(1)->setDataAt(0, 0x11);
    expected.at(1)->setDataAt(0, 0x11);
    QVERIFY(!dump->isStored());
    QCOMPARE(hexList(*dump), hexList(expected));
    QCOMPARE(dump->comment(), QStringLiteral("kept"));
    // The block other dumps share was never written.
    QCOMPARE(block, before);

    // Refilled or cleared, nothing of the stored form is left.
    auto again = stored(block);
    again->clear();
    QVERIFY(again->isEmpty());
    QVERIFY(!again->isStored());
    QCOMPARE(again->getRidevSize(), 0);
}

void TestStoredDump::copiesAndSwapsAreIndependent()
{
    QByteArray block;
    auto original = stored(block);
    original->setComment(QStringLiteral("first"));
    const QStringList was = QStringList{Name, B, C};

    TestPatchDump copy(&dev);
    copy.copyPatchDump(original.get(), &dev);
    QVERIFY(copy.isStored());
    QCOMPARE(copy.comment(), QStringLiteral("first"));
    copy.setName(QStringLiteral("Copy"));
    QCOMPARE(original->name(false), QStringLiteral("Stored"));
    copy.at(2)->setDataAt(0, 0x01);
    QCOMPARE(hexList(*original), was);
    original->at(1)->setDataAt(0, 0x02);
    QCOMPARE(copy.at(1)->toString(-1), B);

    // A swap exchanges the contents as they are, stored or made.
    QByteArray other;
    auto second = stored(other, {named("Second")});
    const QStringList originalNow = hexList(*original);
    original->swapMessages(*second);
    QVERIFY(original->isStored());
    QVERIFY(!second->isStored());
    QCOMPARE(original->name(false), QStringLiteral("Second"));
    QCOMPARE(hexList(*second), originalNow);
    QCOMPARE(original->size(), 1);
}

void TestStoredDump::contentsComeBack()
{
    QByteArray block;
    auto dump = stored(block);
    dump->setName(QStringLiteral("Kept"));
    const BulkDump::Content kept = dump->content();
    QVERIFY(dump->isStored()); // taking a content makes nothing
    const QByteArray keptBytes = bytesOf(*dump);

    dump->at(0)->setDataAt(0, 'X');
    delete dump->takeAt(2);
    dump->setContent(kept, &dev);
    QVERIFY(dump->isStored());
    QCOMPARE(bytesOf(*dump), keptBytes);
    QCOMPARE(dump->size(), 3);

    // The content of made messages comes back checked as a file's bytes
    // are: what is no message of the device is left out.
    TestPatchDump made(&dev);
    made.fromString(QStringList{Name, B}.join(' '), &dev);
    Sysex* junk = dev.createSysex();
    junk->fromString(QStringLiteral("01 02 F7"));
    made.append(junk);
    TestPatchDump back(&dev);
    back.setContent(made.content(), &dev);
    QCOMPARE(hexList(back), (QStringList{Name, B}));

    TestPatchDump empty(&dev);
    back.setContent(empty.content(), &dev);
    QVERIFY(back.isEmpty());
}

void TestStoredDump::madeOnceAcrossThreads()
{
    // A dump of many messages, read by jobs and the GUI thread at the same
    // moment.
    QStringList messages{Name};
    for (int i = 0; i < 3000; ++i)
        messages << TestSysex::bulkDumpText(0x100100 + unsigned(i % 0x70), QByteArray(8, char(i & 0x7F)));
    for (int round = 0; round < 10; ++round) {
        QByteArray block;
        auto dump = stored(block, messages);
        constexpr int Readers = 3;
        QList<Sysex*> seen[Readers + 1];
        std::atomic<int> ready{0};
        std::atomic<bool> go{false};
        std::unique_ptr<QThread> readers[Readers];
        for (int t = 0; t < Readers; ++t) {
            readers[t].reset(QThread::create([&, t] {
                ++ready;
                while (!go.load())
                    ;
                seen[t] = dump->list();
            }));
            readers[t]->start();
        }
        QTRY_COMPARE_WITH_TIMEOUT(ready.load(), Readers, 30000);
        go = true;
        seen[Readers] = dump->list();
        for (auto& reader : readers)
            QVERIFY(reader->wait(30000));
        QCOMPARE(dump->size(), messages.size());
        for (const QList<Sysex*>& list : seen)
            QCOMPARE(list, seen[Readers]);
        QCOMPARE(hexList(*dump), messages);
    }
}

ORVANE_TEST_GUILESS_MAIN(TestStoredDump)
#include "tst_storeddump.moc"
