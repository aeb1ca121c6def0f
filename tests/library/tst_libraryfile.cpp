// Library files: what a tree writes and reads back, how records find their
// groups, files of another model, and files that are damaged or of another
// kind, which are refused whole.
#include "Archive.h"
#include "Library.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>
#include <memory>

namespace {

const char* const FileFixture = R"(
[VOICES]
Ridev=2
0=63,08,USER1
1=63,40,DR:USR

[DR:USR]
Ridev=4
)";

constexpr unsigned short FileUser1 = 0x3F08;
constexpr unsigned short DrUsr = 0x3F28;

// Every bank holds voices.
class FileDevice : public TestDevice
{
public:
    explicit FileDevice(const QString& name) : TestDevice(name) { ini()->loadText(QString::fromUtf8(FileFixture)); }
    int bankType(unsigned short) override { return TestPatchDump::Voice; }
};

PatchDump* fileVoice(MidiDevice* device, const QString& name, const QString& comment = QString())
{
    auto* dump = new TestPatchDump(device, TestPatchDump::Voice);
    dump->init();
    dump->setName(name);
    dump->setComment(comment);
    return dump;
}

// USER1 (128 rows) and DR:USR (4 rows).
std::unique_ptr<LibraryFolder> bankTree(MidiDevice* device)
{
    auto tree = std::make_unique<LibraryFolder>(device, QStringLiteral("Ridev"));
    tree->addBankSet(QStringLiteral("VOICES"));
    return tree;
}

std::unique_ptr<LibraryFolder> typeTree(MidiDevice* device)
{
    auto tree = std::make_unique<LibraryFolder>(device, QStringLiteral("Voice Library"));
    tree->children().append(new TypePatchGroup(device, QStringLiteral("Normal Voices"), 0));
    tree->children().append(new TypePatchGroup(device, QStringLiteral("Drum Kits"), 1));
    return tree;
}

PatchGroup* group(Library* tree, int i)
{
    return static_cast<PatchGroup*>(tree->children().at(i));
}

QByteArray save(Library& tree)
{
    Buffer bytes;
    Archive ar(bytes);
    if (!tree.storeDocument(ar))
        return QByteArray();
    return bytes.bytes();
}

bool load(Library& tree, const QByteArray& bytes)
{
    Buffer data;
    data.setBytes(bytes);
    Archive ar(static_cast<const Buffer&>(data));
    return tree.loadDocument(ar);
}

QStringList fileNames(const PatchGroup* group)
{
    QStringList list;
    for (PatchDump* dump : group->dumps())
        list.append(dump->name(false));
    return list;
}

QByteArray messages(PatchDump* dump)
{
    Buffer bytes;
    dump->toBuffer(bytes);
    delete dump;
    return bytes.bytes();
}

// A file written by hand: a model, then records of raw dumps (messages and
// comment).
class FileWriter
{
public:
    explicit FileWriter(const QString& model) { m_ar << model; }

    using Dump = QPair<QByteArray, QString>;
    FileWriter& bank(unsigned short word, const QList<Dump>& dumps)
    {
        m_ar << word;
        return records(dumps);
    }
    FileWriter& type(const QString& name, const QList<Dump>& dumps)
    {
        m_ar << name;
        return records(dumps);
    }
    QByteArray bytes() const { return m_bytes.bytes(); }

private:
    FileWriter& records(const QList<Dump>& dumps)
    {
        m_ar << int(dumps.size());
        for (const Dump& dump : dumps) {
            m_ar << int(dump.first.size());
            m_ar.writeRaw(dump.first.constData(), dump.first.size());
            m_ar << dump.second;
        }
        return *this;
    }

    Buffer m_bytes;
    Archive m_ar{m_bytes};
};

} // namespace

class TestLibraryFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FileDevice> m_device;
    std::unique_ptr<FileDevice> m_other;
    FileWriter::Dump named(const QString& name, const QString& comment = QString())
    {
        return {messages(fileVoice(m_device.get(), name)), comment};
    }

private slots:
    void initTestCase()
    {
        m_device = std::make_unique<FileDevice>(QStringLiteral("Lib ES"));
        m_other = std::make_unique<FileDevice>(QStringLiteral("Other ES"));
    }
    void cleanupTestCase()
    {
        m_device.reset();
        m_other.reset();
    }
    void roundTrip();
    void recordsFindTheirGroups();
    void normalVoicesTakeTheFirstOfTheTwoNames();
    void damagedFilesAreRefusedWhole_data();
    void damagedFilesAreRefusedWhole();
    void everyCutIsRefused();
    void otherModelIsConverted();
    void bytesThatAreNoMessagesAreCounted();
    void failedSaveKeepsTheOldFile();
};

void TestLibraryFile::roundTrip()
{
    ScriptedPrompts prompts;
    MidiDevice* dev = m_device.get();
    QTemporaryDir dir;

    auto banks = bankTree(dev);
    group(banks.get(), 0)->setPatchDump(0, fileVoice(dev, QStringLiteral("First"), QStringLiteral("a comment")));
    group(banks.get(), 0)->setPatchDump(127, fileVoice(dev, QStringLiteral("Last")));
    group(banks.get(), 1)->setPatchDump(2, fileVoice(dev, QStringLiteral("Kit")));
    const QByteArray bankBytes = save(*banks);
    // The file starts with the device's name.
    Buffer head;
    head.setBytes(bankBytes);
    Archive headAr(static_cast<const Buffer&>(head));
    QString model;
    headAr >> model;
    QCOMPARE(model, QStringLiteral("Lib ES"));

    // Through a file and back: every slot, empty ones included, and comments.
    const QString path = dir.filePath(QStringLiteral("ridev.all"));
    QVERIFY(banks->storeFile(path));
    auto banksBack = bankTree(dev);
    group(banksBack.get(), 1)->setPatchDump(0, fileVoice(dev, QStringLiteral("Stale")));
    QVERIFY(banksBack->loadFile(path));
    QCOMPARE(save(*banksBack), bankBytes);
    QCOMPARE(banksBack->nonEmptyPatchesCount(), 3);
    QCOMPARE(group(banksBack.get(), 0)->patchDumpAt(0)->comment(), QStringLiteral("a comment"));
    QCOMPARE(group(banksBack.get(), 1)->patchDumpAt(0)->isEmpty(), true);

    auto types = typeTree(dev);
    for (const QString& name : {"b", "a", "c"})
        group(types.get(), 0)->addPatchDump(fileVoice(dev, name, name + QStringLiteral(" says é")));
    group(types.get(), 0)->addPatchDump(nullptr); // an empty dump is a row all the same
    group(types.get(), 1)->addPatchDump(fileVoice(dev, QStringLiteral("kit")));
    const QByteArray typeBytes = save(*types);
    auto typesBack = typeTree(dev);
    QVERIFY(load(*typesBack, typeBytes));
    QCOMPARE(fileNames(group(typesBack.get(), 0)), (QStringList{"b", "a", "c", "(empty)"}));
    QCOMPARE(group(typesBack.get(), 0)->patchDumpAt(1)->comment(), QStringLiteral("a says é"));
    QCOMPARE(save(*typesBack), typeBytes);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 0);
}

void TestLibraryFile::recordsFindTheirGroups()
{
    ScriptedPrompts prompts;
    MidiDevice* dev = m_device.get();
    // Records in another order than the tree's, one for a bank the tree does
    // not have, USER1 twice (the first is read), and DR:USR with more dumps
    // than rows.
    const QByteArray file = FileWriter(QStringLiteral("Lib ES"))
                                .bank(DrUsr, {named("k0"), named("k1"), named("k2"), named("k3"), named("k4")})
                                .bank(0x1234, {named("stray")})
                                .bank(FileUser1, {named("u0"), {QByteArray(), QStringLiteral("empty")}, named("u2")})
                                .bank(FileUser1, {named("second")})
                                .bytes();
    auto tree = bankTree(dev);
    QVERIFY(load(*tree, file));
    QCOMPARE(fileNames(group(tree.get(), 1)), (QStringList{"k0", "k1", "k2", "k3"}));
    QCOMPARE(fileNames(group(tree.get(), 0)).mid(0, 4), (QStringList{"u0", "(empty)", "u2", "(empty)"}));
    QCOMPARE(group(tree.get(), 0)->patchDumpAt(1)->comment(), QStringLiteral("empty"));
    QCOMPARE(tree->nonEmptyPatchesCount(), 6);

    // A group whose record is missing ends up empty; a count of 0 empties too.
    QVERIFY(load(*tree, FileWriter(QStringLiteral("Lib ES")).bank(FileUser1, {}).bytes()));
    QCOMPARE(tree->nonEmptyPatchesCount(), 0);
    QCOMPARE(tree->ridevPatchesCount(), 132);

    auto types = typeTree(dev);
    group(types.get(), 1)->addPatchDump(fileVoice(dev, QStringLiteral("old kit")));
    QVERIFY(load(*types, FileWriter(QStringLiteral("Lib ES")).type(QStringLiteral("Normal Voices"), {named("v")}).bytes()));
    QCOMPARE(fileNames(group(types.get(), 0)), QStringList{"v"});
    QCOMPARE(group(types.get(), 1)->itemCount(), 0);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 0);
}

void TestLibraryFile::normalVoicesTakeTheFirstOfTheTwoNames()
{
    MidiDevice* dev = m_device.get();
    auto tree = typeTree(dev);
    QVERIFY(load(*tree, FileWriter(QStringLiteral("Lib ES"))
                            .type(QStringLiteral("Voices"), {named("older")})
                            .type(QStringLiteral("Normal Voices"), {named("newer")})
                            .bytes()));
    QCOMPARE(fileNames(group(tree.get(), 0)), QStringList{"older"});
    QVERIFY(load(*tree, FileWriter(QStringLiteral("Lib ES"))
                            .type(QStringLiteral("Normal Voices"), {named("newer")})
                            .type(QStringLiteral("Voices"), {named("older")})
                            .bytes()));
    QCOMPARE(fileNames(group(tree.get(), 0)), QStringList{"newer"});
}

void TestLibraryFile::damagedFilesAreRefusedWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("banks");

    const QByteArray kit = messages(fileVoice(m_device.get(), QStringLiteral("kit")));
    auto withInt = [](const QByteArray& prefix, int value, const QByteArray& rest = QByteArray()) {
        Buffer bytes;
        Archive ar(bytes);
        ar.writeRaw(prefix.constData(), prefix.size());
        ar << value;
        ar.writeRaw(rest.constData(), rest.size());
        return bytes.bytes();
    };
    const QByteArray model = FileWriter(QStringLiteral("Lib ES")).bytes();
    const QByteArray bankHead = model + QByteArray("\x3F\x08", 2);
    const QByteArray typeHead = FileWriter(QStringLiteral("Lib ES")).bytes() + QByteArray("\0\0\0\x09", 4) +
                                QByteArray("Drum Kits");

    QTest::newRow("a count beyond the file") << withInt(bankHead, 0x7FFFFFFF) << true;
    QTest::newRow("a negative count") << withInt(bankHead, -1) << true;
    QTest::newRow("a negative size") << withInt(withInt(typeHead, 1), -5) << false;
    QTest::newRow("a size beyond the file") << withInt(withInt(typeHead, 1), 1 << 30, kit) << false;
    QTest::newRow("a comment longer than the file")
        << withInt(withInt(withInt(bankHead, 1), int(kit.size()), kit), 1000, "abc") << true;
    QTest::newRow("bytes after the last record")
        << FileWriter(QStringLiteral("Lib ES")).bank(FileUser1, {named("u")}).bytes() + QByteArray(1, '\0') << true;
    QTest::newRow("a file of type groups")
        << FileWriter(QStringLiteral("Lib ES")).type(QStringLiteral("Normal Voices"), {named("v")}).bytes()
        << true;
    QTest::newRow("a file of bank groups")
        << FileWriter(QStringLiteral("Lib ES")).bank(FileUser1, {named("u")}).bytes() << false;
    QTest::newRow("no library") << QByteArray("[VOICES]\nRidev=2\n0=63,08,USER1\n") << true;
    QTest::newRow("a model name longer than the file") << QByteArray("\0\0\1\0Lib ES", 10) << false;
    QTest::newRow("nothing") << QByteArray() << true;
}

void TestLibraryFile::damagedFilesAreRefusedWhole()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, banks);
    ScriptedPrompts prompts;
    MidiDevice* dev = m_device.get();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.all"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();

    std::unique_ptr<LibraryFolder> tree = banks ? bankTree(dev) : typeTree(dev);
    PatchGroup* first = group(tree.get(), 0);
    if (banks)
        first->setPatchDump(3, fileVoice(dev, QStringLiteral("kept")));
    else
        first->addPatchDump(fileVoice(dev, QStringLiteral("kept")));
    const QByteArray before = save(*tree);

    QVERIFY(!tree->loadFile(path));
    QVERIFY(tree->docError().startsWith(QStringLiteral("Cannot open file\n\n")));
    QVERIFY(tree->docError().endsWith(QStringLiteral("damaged.all")));
    QCOMPARE(save(*tree), before);
    QCOMPARE(prompts.calls().size(), 0);
}

void TestLibraryFile::everyCutIsRefused()
{
    // Cut anywhere but between two records, the file is refused and the tree
    // keeps what it held; cut between records, the records before load.
    MidiDevice* dev = m_device.get();
    FileWriter writer(QStringLiteral("Lib ES"));
    writer.bank(FileUser1, {named("u0", QStringLiteral("c")), {QByteArray(), QString()}});
    const qsizetype firstEnd = writer.bytes().size();
    const QByteArray file = writer.bank(DrUsr, {named("k0")}).bytes();
    const qsizetype modelEnd = FileWriter(QStringLiteral("Lib ES")).bytes().size();

    for (qsizetype n = 0; n < file.size(); ++n) {
        auto tree = bankTree(dev);
        group(tree.get(), 1)->setPatchDump(3, fileVoice(dev, QStringLiteral("kept")));
        const QByteArray before = save(*tree);
        const bool boundary = n == modelEnd || n == firstEnd;
        QCOMPARE(load(*tree, file.left(n)), boundary);
        if (!boundary)
            QCOMPARE(save(*tree), before);
    }
    auto tree = bankTree(dev);
    QVERIFY(load(*tree, file));
    QCOMPARE(tree->nonEmptyPatchesCount(), 2);
}

void TestLibraryFile::otherModelIsConverted()
{
    ScriptedPrompts prompts;
    MidiDevice* dev = m_device.get();
    // A voice of the other model converts (the same blocks); a dump whose
    // only block has no place in ours cannot be, and is left out, in a type
    // group without ending the group's load and in a bank group as an empty
    // slot.
    auto* odd = new TestPatchDump(m_other.get(), TestPatchDump::Plain);
    odd->init();
    const FileWriter::Dump unconvertible{messages(odd), QStringLiteral("lost")};
    const FileWriter::Dump good{messages(fileVoice(m_other.get(), QStringLiteral("Theirs"))), QStringLiteral("kept")};

    auto types = typeTree(dev);
    QVERIFY(load(*types, FileWriter(QStringLiteral("Other ES"))
                             .type(QStringLiteral("Normal Voices"), {good, unconvertible, good})
                             .bytes()));
    QCOMPARE(fileNames(group(types.get(), 0)), (QStringList{"Theirs", "Theirs"}));
    QCOMPARE(group(types.get(), 0)->patchDumpAt(0)->comment(), QStringLiteral("kept"));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 2);
    const ScriptedPrompts::Call first = prompts.calls().at(0);
    QCOMPARE(first.title, QStringLiteral("Other ES File"));
    QCOMPARE(first.text,
             QStringLiteral("This library is for the Other ES!\r\nRidev Vurivodez will convert it to Lib ES format."));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).title, QStringLiteral("Other ES File"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).text,
             QStringLiteral("1 patch could not be converted to Lib ES format and was left out."));

    prompts.clear();
    auto banks = bankTree(dev);
    QVERIFY(load(*banks, FileWriter(QStringLiteral("Other ES"))
                             .bank(FileUser1, {unconvertible, good, unconvertible})
                             .bytes()));
    QCOMPARE(fileNames(group(banks.get(), 0)).mid(0, 3), (QStringList{"(empty)", "Theirs", "(empty)"}));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).text,
             QStringLiteral("2 patches could not be converted to Lib ES format and were left out."));

    // A file without a model name warns, but converts nothing.
    prompts.clear();
    QVERIFY(load(*banks, FileWriter(QString()).bank(FileUser1, {unconvertible}).bytes()));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).title, QStringLiteral(" File"));
    QCOMPARE(group(banks.get(), 0)->patchDumpAt(0)->comment(), QStringLiteral("lost"));
}

void TestLibraryFile::bytesThatAreNoMessagesAreCounted()
{
    ScriptedPrompts prompts;
    const FileWriter::Dump whole = named("whole");
    FileWriter::Dump junk = named("junk");
    junk.first.insert(0, "\x01\x02", 2);
    junk.first.append("\xF0\x43", 2);
    auto tree = bankTree(m_device.get());
    QVERIFY(load(*tree, FileWriter(QStringLiteral("Lib ES")).bank(FileUser1, {whole, junk}).bytes()));
    // The messages that are whole stay.
    QCOMPARE(fileNames(group(tree.get(), 0)).mid(0, 2), (QStringList{"whole", "(empty)"}));
    QCOMPARE(group(tree.get(), 0)->patchDumpAt(1)->size(), 2);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).title, QStringLiteral("Lib ES File"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).text,
             QStringLiteral("1 patch held bytes that are no messages of the Lib ES; those bytes were left out."));
}

void TestLibraryFile::failedSaveKeepsTheOldFile()
{
    MidiDevice* dev = m_device.get();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.all"));
    auto tree = bankTree(dev);
    QVERIFY(tree->storeFile(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray old = file.readAll();
    file.close();

    // The disk refuses the write half-way: files may grow to 1 kB only.
    for (int row = 0; row < 128; ++row)
        group(tree.get(), 0)->setPatchDump(row, fileVoice(dev, QStringLiteral("v%1").arg(row)));
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool stored = tree->storeFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!stored);
    QVERIFY(tree->docError().startsWith(QStringLiteral("Cannot save file\n\n")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    file.close();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.all"});

    // A folder that does not exist takes nothing either.
    QVERIFY(!tree->storeFile(dir.filePath(QStringLiteral("no/such/folder.all"))));
}

ORVANE_TEST_GUILESS_MAIN(TestLibraryFile)
#include "tst_libraryfile.moc"
