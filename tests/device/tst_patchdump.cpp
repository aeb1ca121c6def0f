#include "Archive.h"
#include "PatchDump.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QScopeGuard>
#include <QtTest>

#include <memory>

namespace {
QStringList dumpHexList(const BulkDump& dump)
{
    QStringList out;
    for (const Sysex* msg : dump)
        out << msg->toString(-1);
    return out;
}

// The data bytes 0..n-1 of a message.
QByteArray dataOf(const Sysex* msg, int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += char(msg->dataAt(i));
    return out;
}

bool dumpChecksumHolds(const Sysex* s)
{
    int sum = 0;
    for (int i = s->checksumStart(); i <= s->size() - 2; ++i)
        sum += s->at(i);
    return sum % 128 == 0;
}

QByteArray voiceBlock(const QByteArray& name, int category)
{
    QByteArray data = name.leftJustified(TestSysex::NameSize, ' ', true);
    data += char(category);
    data += QByteArray(5, '\0');
    return data;
}
} // namespace

class TestPatchDumps : public QObject
{
    Q_OBJECT

    TestDevice dev;

    std::unique_ptr<TestPatchDump> make(int kind = TestPatchDump::Voice)
    {
        std::unique_ptr<TestPatchDump> dump(static_cast<TestPatchDump*>(dev.createPatchDump(kind)));
        dump->init();
        return dump;
    }

    static Buffer stored(PatchDump& dump)
    {
        Buffer bytes;
        Archive out(bytes);
        dump.toArchive(out);
        return bytes;
    }

    // The initial content of a voice as hex texts.
    QStringList initVoice() { return dumpHexList(*make()); }

private slots:
    void name_data();
    void name();
    void noName();
    void setName_data();
    void setName();
    void storedForm();
    void truncatedStream_data();
    void truncatedStream();
    void modelTranslation();
    void renamedDeviceKeepsItsDumps();
    void addressMap();
    void copiesAndComment();
    void fromDataBuffer();
    void genericDefaults();
};

void TestPatchDumps::name_data()
{
    QTest::addColumn<QByteArray>("nameBytes");
    QTest::addColumn<bool>("withCategory");
    QTest::addColumn<QString>("expected");

    QTest::newRow("six letters, four blanks") << QByteArray("Strngs    ") << false << "Strngs";
    QTest::newRow("with category") << QByteArray("Strngs    ") << true << "Cat5:Strngs";
    QTest::newRow("zero byte at 4") << QByteArray("Pian\0o    ", 10) << false << "Pian";
    QTest::newRow("inner blanks kept") << QByteArray("A  B      ") << false << "A  B";
    QTest::newRow("all blanks") << QByteArray(10, ' ') << false << "";
}

void TestPatchDumps::name()
{
    QFETCH(QByteArray, nameBytes);
    QFETCH(bool, withCategory);
    QFETCH(QString, expected);

    TestPatchDump dump(&dev);
    dump.addBlock(TestPatchDump::VoiceAddress, voiceBlock(nameBytes, 5));
    QCOMPARE(dump.name(withCategory), expected);
}

void TestPatchDumps::noName()
{
    TestPatchDump empty(&dev);
    QCOMPARE(empty.name(true), QStringLiteral("(empty)"));
    empty.setName(QStringLiteral("Nothing"));
    QVERIFY(empty.isEmpty());

    // A first message no longer than the name holds no name.
    TestPatchDump shortDump(&dev);
    shortDump.addBlock(TestPatchDump::VoiceAddress, QByteArray("Exactly 10"));
    const QString before = shortDump.toString();
    QCOMPARE(shortDump.name(false), QStringLiteral("(empty)"));
    shortDump.setName(QStringLiteral("Other"));
    QCOMPARE(shortDump.toString(), before);
}

void TestPatchDumps::setName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("short text padded") << "abc" << QByteArray("abc       ");
    QTest::newRow("long text cut") << "ABCDEFGHIJKL" << QByteArray("ABCDEFGHIJ");
    QTest::newRow("empty text") << "" << QByteArray(10, ' ');
    QTest::newRow("Latin-1 masked to 7 bits") << QStringLiteral("\u00C4x") << QByteArray("Dx        ");
    QTest::newRow("beyond Latin-1 is zero") << QStringLiteral("a\u20ACb") << QByteArray("a\0b       ", 10);
}

void TestPatchDumps::setName()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);

    auto dump = make();
    dump->first()->setDataAt(TestSysex::CategoryPos, 9);
    dump->setName(text);
    QCOMPARE(dataOf(dump->first(), TestSysex::NameSize), expected);
    QCOMPARE(dump->first()->dataAt(TestSysex::CategoryPos), 9);
    QVERIFY(dumpChecksumHolds(dump->first()));
    QCOMPARE(dump->size(), 3);
}

void TestPatchDumps::storedForm()
{
    auto first = make();
    first->setName(QStringLiteral("Brass"));
    first->setComment(QStringLiteral("warm, \u00E9clat"));
    auto second = make(TestPatchDump::Plain);

    // The bulk form, then the comment; two patches stand one after the other.
    Buffer bytes;
    {
        Archive out(bytes);
        first->toArchive(out);
        second->toArchive(out);
    }
    Buffer raw;
    first->toBuffer(raw);
    {
        Archive check(static_cast<const Buffer&>(bytes));
        int total = 0;
        check >> total;
        QCOMPARE(total, raw.size());
        Buffer body(total);
        check >> body;
        QCOMPARE(body.bytes(), raw.bytes());
        QString comment;
        check >> comment;
        QCOMPARE(comment, first->comment());
    }

    Archive in(static_cast<const Buffer&>(bytes));
    TestPatchDump a(&dev), b(&dev, TestPatchDump::Plain);
    QVERIFY(a.fromArchive(in, &dev, QString()));
    QVERIFY(b.fromArchive(in, &dev, dev.name()));
    QVERIFY(in.ok() && in.eof());
    QCOMPARE(dumpHexList(a), dumpHexList(*first));
    QCOMPARE(a.comment(), first->comment());
    QCOMPARE(a.name(false), QStringLiteral("Brass"));
    QCOMPARE(dumpHexList(b), dumpHexList(*second));
    QCOMPARE(b.comment(), QString());
}

void TestPatchDumps::truncatedStream_data()
{
    QTest::addColumn<int>("cut"); // bytes taken off the end of the stored form

    auto dump = make();
    dump->setComment(QStringLiteral("kept"));
    const int total = stored(*dump).size();
    QTest::newRow("inside the comment text") << 2;
    QTest::newRow("inside the comment length") << 4 + 2;
    QTest::newRow("inside the message bytes") << 4 + 4 + 5;
    QTest::newRow("inside the total") << total - 2;
}

void TestPatchDumps::truncatedStream()
{
    QFETCH(int, cut);

    auto dump = make();
    dump->setComment(QStringLiteral("kept"));
    const Buffer whole = stored(*dump);
    Buffer bytes;
    bytes.copy(&whole, 0, whole.size() - cut);

    TestPatchDump back(&dev);
    back.init();
    back.setComment(QStringLiteral("old"));
    Archive in(static_cast<const Buffer&>(bytes));
    QVERIFY(!back.fromArchive(in, &dev, QString()));
    QVERIFY(in.failed());
    QVERIFY(back.isEmpty());
    QCOMPARE(back.comment(), QString());
}

void TestPatchDumps::modelTranslation()
{
    const QString model = QStringLiteral("Other Model");
    // Stored for another model: one block shares an address with the initial
    // content (and is shorter), one does not.
    TestPatchDump other(nullptr);
    other.addBlock(0x100100, QByteArray(3, '\x11'));
    other.addBlock(0x300000, QByteArray(4, '\x22'));
    other.setComment(QStringLiteral("from elsewhere"));

    const Buffer otherBytes = stored(other);
    Archive in(otherBytes);
    TestPatchDump dump(&dev);
    QVERIFY(dump.fromArchive(in, &dev, model));
    QVERIFY(in.ok() && in.eof());
    QCOMPARE(dump.comment(), QStringLiteral("from elsewhere"));
    QCOMPARE(dump.size(), 3);
    QCOMPARE(dump.at(0)->toString(), make()->at(0)->toString());
    QCOMPARE(dataOf(dump.at(1), 8), QByteArray("\x11\x11\x11\x40\x40\x40\x40\x40"));
    QVERIFY(dumpChecksumHolds(dump.at(1)));
    QCOMPARE(dump.getSysex(0x300000), nullptr);

    // Nothing in common: the initial content and the stored comment, false.
    TestPatchDump stranger(nullptr);
    stranger.addBlock(0x300000, QByteArray(4, '\x22'));
    stranger.setComment(QStringLiteral("lost"));
    const Buffer strangerBytes = stored(stranger);
    Archive in2(strangerBytes);
    QVERIFY(!dump.fromArchive(in2, &dev, model));
    QCOMPARE(dumpHexList(dump), initVoice());
    QCOMPARE(dump.comment(), QStringLiteral("lost"));

    // An empty stored dump stays empty.
    TestPatchDump none(nullptr);
    const Buffer noneBytes = stored(none);
    Archive in3(noneBytes);
    QVERIFY(dump.fromArchive(in3, &dev, model));
    QVERIFY(dump.isEmpty());
}

void TestPatchDumps::renamedDeviceKeepsItsDumps()
{
    // A definition file names the device after its model; dumps stored under
    // the name the device was built with are still its own and stay as they
    // are (translating this one would leave only the initial content).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.ins"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(".Patch Names\n[Other Names]\n0=First\n.Instrument Definitions\n"
               "[Other Synth]\nPatch[0]=Other Names\n");
    file.close();
    TestDevice renamed;
    auto forgetFile = qScopeGuard([] { Profile::settings()->remove(QStringLiteral("MidiDevice")); });
    QVERIFY(renamed.loadInsFile(path, QString()));
    QCOMPARE(renamed.name(), QStringLiteral("Other Synth"));
    QCOMPARE(renamed.originalName(), QStringLiteral("Test Instrument"));

    TestPatchDump own(nullptr);
    own.addBlock(0x300000, QByteArray(4, '\x22'));
    const Buffer bytes = stored(own);
    Archive in(bytes);
    TestPatchDump back(&renamed);
    QVERIFY(back.fromArchive(in, &renamed, QStringLiteral("Test Instrument")));
    QCOMPARE(dumpHexList(back), dumpHexList(own));

    // Under the model's name it is a dump of another model.
    Archive again(bytes);
    QVERIFY(!back.fromArchive(again, &renamed, QStringLiteral("Other Synth")));
    QCOMPARE(dumpHexList(back), initVoice());
}

void TestPatchDumps::addressMap()
{
    // The map leads from the new layout's addresses to the old ones.
    TestPatchDump dump(&dev);
    dump.addBlock(0x300000, QByteArray("\x01\x02\x03\x04", 4));
    dump.addBlock(0x100000, voiceBlock("Mapped", 0));
    AddressMap map;
    map.add(0x100200, 0x300000);
    QVERIFY(dump.translateDump(&dev, &map));
    QCOMPARE(dump.size(), 3);
    QCOMPARE(dataOf(dump.getSysex(0x100200), 4), QByteArray("\x01\x02\x03\x04", 4));
    QCOMPARE(dump.name(false), QStringLiteral("Mapped"));
    QCOMPARE(dataOf(dump.getSysex(0x100100), 8), QByteArray(8, '\x40'));
}

void TestPatchDumps::copiesAndComment()
{
    auto source = make();
    source->setName(QStringLiteral("Source"));
    source->setComment(QStringLiteral("theirs"));

    auto dump = make(TestPatchDump::Plain);
    dump->setComment(QStringLiteral("mine"));
    dump->copyDump(source.get(), &dev);
    QCOMPARE(dumpHexList(*dump), dumpHexList(*source));
    QCOMPARE(dump->comment(), QStringLiteral("mine"));

    dump->copyPatchDump(source.get(), &dev);
    QCOMPARE(dump->comment(), QStringLiteral("theirs"));
    dump->copyPatchDump(nullptr, &dev);
    QCOMPARE(dump->comment(), QStringLiteral("theirs"));
    QCOMPARE(dump->name(false), QStringLiteral("Source"));

    // init keeps the comment; a refill through the bulk operations empties it.
    dump->init();
    QCOMPARE(dumpHexList(*dump), dumpHexList(*make(TestPatchDump::Plain)));
    QCOMPARE(dump->comment(), QStringLiteral("theirs"));
    QVERIFY(dump->fromString(source->toString(), &dev));
    QCOMPARE(dump->comment(), QString());
}

void TestPatchDumps::fromDataBuffer()
{
    auto dump = make();
    dump->setComment(QStringLiteral("gone"));
    const QStringList before = dumpHexList(*dump);
    const int need = dump->getRidevDataSize();
    QCOMPARE(need, 28);

    // Short or missing sources change nothing.
    Buffer shortData(need - 1);
    QVERIFY(!dump->fromDataBuffer(&shortData));
    QVERIFY(!dump->fromDataBuffer(nullptr));
    QCOMPARE(dumpHexList(*dump), before);
    QCOMPARE(dump->comment(), QStringLiteral("gone"));

    Buffer data(need + 3);
    for (int i = 0; i < data.size(); ++i)
        data.setAt(i, 0x80 | i);
    QVERIFY(dump->fromDataBuffer(&data));
    QCOMPARE(dump->comment(), QString());
    QCOMPARE(dump->size(), 3);
    Buffer back;
    dump->toDataBuffer(back);
    QCOMPARE(back.size(), need);
    for (int i = 0; i < need; ++i)
        QCOMPARE(back.at(i), i & 0x7F);
    for (const Sysex* msg : std::as_const(*dump))
        QVERIFY(dumpChecksumHolds(msg));
}

void TestPatchDumps::genericDefaults()
{
    std::unique_ptr<PatchDump> fresh(dev.createPatchDump(TestPatchDump::Plain));
    QVERIFY(fresh->isEmpty());
    QCOMPARE(fresh->type(), int(TestPatchDump::Plain));

    fresh->init();
    const QString before = fresh->toString();
    QCOMPARE(fresh->iconIndex(), 3);
    QCOMPARE(fresh->categorySection(), QStringLiteral("CATEGORIES_FULL"));
    QVERIFY(!fresh->hasCategory());
    QCOMPARE(fresh->getCategoryData(), 0);
    QCOMPARE(fresh->printCategory(true), QString());
    QVERIFY(!fresh->setCategory(QStringLiteral("Piano")));
    QVERIFY(!fresh->selectCategory(nullptr, QPoint(3, 4)));
    QCOMPARE(fresh->toString(), before);
    // Without a category the name has no prefix.
    fresh->setName(QStringLiteral("Plain"));
    QCOMPARE(fresh->name(true), QStringLiteral("Plain"));
}

ORVANE_TEST_GUILESS_MAIN(TestPatchDumps)
#include "tst_patchdump.moc"
