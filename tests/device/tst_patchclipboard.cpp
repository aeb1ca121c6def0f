#include "Library.h"
#include "LibraryView.h"
#include "PatchClipboard.h"
#include "PatchList.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <memory>

namespace {

const char* const ClipboardFixture = R"(
[VOICES]
Ridev=2
0=63,08,Clip ES USER1
1=63,09,  SPACED
)";

constexpr unsigned short ClipboardUser1 = 0x3F08;
constexpr unsigned short Spaced = 0x3F09;

PatchDump* voice(MidiDevice* device, const QString& name)
{
    auto* dump = new TestPatchDump(device, TestPatchDump::Voice);
    if (!name.isEmpty()) {
        dump->init();
        dump->setName(name);
    }
    return dump;
}

} // namespace

class TestPatchClipboard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDevice> m_device;
    // A library of one bank group mirroring USER1: "Lead", an empty slot,
    // "Hit,".
    std::unique_ptr<LibraryFolder> m_library;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void addBeforeInitDoesNothing();
    void addKeepsIndependentCopies();
    void skipsNullAndEmptyDumps();
    void secondInitDropsFirstCopies();
    void viewClosed();
    void patchListIsUnique();
    void patchListText_data();
    void patchListText();
};

void TestPatchClipboard::initTestCase()
{
    m_device = std::make_unique<TestDevice>(QStringLiteral("Clip ES"));
    m_device->ini()->loadText(QString::fromUtf8(ClipboardFixture));
    m_device->loadBankSet(QStringLiteral("VOICES"));
    m_library = std::make_unique<LibraryFolder>(m_device.get(), QStringLiteral("Ridev"));
    auto* group = new BankPatchGroup(m_device.get(), QStringLiteral("USER1"), 0, Bank(ClipboardUser1));
    for (const QString& name : QStringList{"Lead", "", "Hit,"})
        group->addPatchDump(voice(m_device.get(), name));
    m_library->children().append(group);
}

void TestPatchClipboard::cleanupTestCase()
{
    m_library.reset();
    m_device.reset();
}

void TestPatchClipboard::addBeforeInitDoesNothing()
{
    PatchClipboard clipboard;
    std::unique_ptr<PatchDump> source(voice(m_device.get(), QStringLiteral("Lead")));
    QVERIFY(!clipboard.add(source.get(), 0));
    QVERIFY(clipboard.dumps()->isEmpty());
    QVERIFY(clipboard.positions().isEmpty());

    // After a reset the group is gone again.
    TypePatchGroup group(m_device.get(), QStringLiteral("t"), 0);
    clipboard.init(nullptr, &group);
    clipboard.reset();
    QVERIFY(!clipboard.add(source.get(), 0));
    QVERIFY(clipboard.dumps()->isEmpty());

    // A group without a device has nobody to make the copy.
    TypePatchGroup orphan(nullptr, QStringLiteral("o"), 0);
    clipboard.init(nullptr, &orphan);
    QVERIFY(!clipboard.add(source.get(), 0));
    QVERIFY(clipboard.positions().isEmpty());
}

void TestPatchClipboard::addKeepsIndependentCopies()
{
    LibraryView view;
    PatchClipboard clipboard;
    {
        // The copies are made for the group's patch type.
        TypePatchGroup group(m_device.get(), QStringLiteral("plain"), TestPatchDump::Plain);
        group.addPatchDump(voice(m_device.get(), QStringLiteral("One")));
        group.addPatchDump(voice(m_device.get(), QStringLiteral("Two")));
        group.patchDumpAt(1)->setComment(QStringLiteral("note"));

        clipboard.init(&view, &group);
        QCOMPARE(clipboard.view(), &view);
        QCOMPARE(clipboard.patchGroup(), &group);
        QVERIFY(clipboard.add(group.patchDumpAt(1), 1));
        QVERIFY(clipboard.add(group.patchDumpAt(0), 0));
        QCOMPARE(clipboard.positions(), (ints{1, 0}));
        QCOMPARE(clipboard.dumps()->size(), 2);

        // Later changes of the source do not reach the copies...
        group.patchDumpAt(1)->setName(QStringLiteral("Changed"));
        QCOMPARE(clipboard.dumps()->at(0)->name(false), QStringLiteral("Two"));
        clipboard.init(&view, &group);
        QVERIFY(clipboard.add(group.patchDumpAt(0), 0));
        // ...nor does deleting the group.
    }
    PatchDump* copy = clipboard.dumps()->at(0);
    QCOMPARE(copy->name(false), QStringLiteral("One"));
    QCOMPARE(copy->type(), int(TestPatchDump::Plain));
    QCOMPARE(copy->size(), 3);

    PatchClipboard withComment;
    TypePatchGroup group(m_device.get(), QStringLiteral("voices"), TestPatchDump::Voice);
    group.addPatchDump(voice(m_device.get(), QStringLiteral("Noted")));
    group.patchDumpAt(0)->setComment(QStringLiteral("keep me"));
    withComment.init(nullptr, &group);
    QVERIFY(withComment.add(group.patchDumpAt(0), 0));
    QCOMPARE(withComment.dumps()->at(0)->comment(), QStringLiteral("keep me"));
}

void TestPatchClipboard::skipsNullAndEmptyDumps()
{
    TypePatchGroup group(m_device.get(), QStringLiteral("t"), 0);
    group.addPatchDump(voice(m_device.get(), QStringLiteral("Full")));
    group.addPatchDump(voice(m_device.get(), QString()));
    PatchClipboard clipboard;
    clipboard.init(nullptr, &group);
    QVERIFY(clipboard.add(group.patchDumpAt(0), 4));
    QVERIFY(!clipboard.add(group.patchDumpAt(1), 5));
    QVERIFY(!clipboard.add(nullptr, 6));
    QVERIFY(clipboard.add(group.patchDumpAt(0), 7));
    QCOMPARE(clipboard.positions(), (ints{4, 7}));
    QCOMPARE(clipboard.dumps()->size(), 2);
}

void TestPatchClipboard::secondInitDropsFirstCopies()
{
    LibraryView first;
    LibraryView second;
    TypePatchGroup a(m_device.get(), QStringLiteral("a"), 0);
    TypePatchGroup b(m_device.get(), QStringLiteral("b"), 0);
    a.addPatchDump(voice(m_device.get(), QStringLiteral("A")));
    b.addPatchDump(voice(m_device.get(), QStringLiteral("B")));

    PatchClipboard clipboard;
    clipboard.init(&first, &a);
    QVERIFY(clipboard.add(a.patchDumpAt(0), 0));
    QVERIFY(clipboard.add(a.patchDumpAt(0), 0));
    // The first copies are deleted here (the sanitizer build checks it).
    clipboard.init(&second, &b);
    QVERIFY(clipboard.dumps()->isEmpty());
    QVERIFY(clipboard.positions().isEmpty());
    QCOMPARE(clipboard.view(), &second);
    QCOMPARE(clipboard.patchGroup(), &b);
    QVERIFY(clipboard.add(b.patchDumpAt(0), 3));
    QCOMPARE(clipboard.dumps()->at(0)->name(false), QStringLiteral("B"));
}

void TestPatchClipboard::viewClosed()
{
    LibraryView source;
    LibraryView other;
    TypePatchGroup group(m_device.get(), QStringLiteral("t"), 0);
    group.addPatchDump(voice(m_device.get(), QStringLiteral("Kept")));
    PatchClipboard clipboard;
    clipboard.init(&source, &group);
    QVERIFY(clipboard.add(group.patchDumpAt(0), 2));

    clipboard.viewClosed(&other);
    clipboard.viewClosed(nullptr);
    QCOMPARE(clipboard.view(), &source);

    MdiView* closing = &source;
    clipboard.viewClosed(closing);
    QCOMPARE(clipboard.view(), nullptr);
    QCOMPARE(clipboard.patchGroup(), nullptr);
    QCOMPARE(clipboard.patchType(), 0);
    QCOMPARE(clipboard.positions(), ints{2});
    QCOMPARE(clipboard.dumps()->at(0)->name(false), QStringLiteral("Kept"));
}

void TestPatchClipboard::patchListIsUnique()
{
    PatchList list;
    QVERIFY(list.add(Patch(ClipboardUser1, 1)));
    QVERIFY(list.add(Patch(ClipboardUser1, 0)));
    for (int program = 2; program < 40; ++program)
        QVERIFY(list.add(Patch(ClipboardUser1, program)));
    QVERIFY(!list.add(Patch(ClipboardUser1, 1)));
    QVERIFY(!list.add(Patch(ClipboardUser1, 39)));
    QCOMPARE(list.size(), 40);
    QCOMPARE(list.at(0), Patch(ClipboardUser1, 1).toUInt());
    QCOMPARE(list.at(1), Patch(ClipboardUser1, 0).toUInt());
}

void TestPatchClipboard::patchListText_data()
{
    QTest::addColumn<QList<uint>>("patches");
    QTest::addColumn<bool>("withLibrary");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("expected");

    auto p = [](unsigned short word, int program) { return uint(Patch(word, program).toUInt()); };
    const uint invalid = 0xFFFFFFFF;

    QTest::newRow("empty list") << QList<uint>{} << true << "  "
                                << "\n"
                                << "";
    QTest::newRow("one patch, no separator after it") << QList<uint>{p(ClipboardUser1, 0)} << false << "  "
                                                      << "\n"
                                                      << "  USER1:001 (A01)";
    QTest::newRow("tool tip lines with names")
        << QList<uint>{p(ClipboardUser1, 0), p(ClipboardUser1, 1), p(0x4F01, 127)} << true << "  "
        << "\n"
        << "  USER1:001 (A01) Cat0:Lead\n  USER1:002 (A02) (empty)\n  079/001:128 (H16)";
    QTest::newRow("no library, numbers only") << QList<uint>{p(ClipboardUser1, 0), p(ClipboardUser1, 2)} << false << ""
                                              << ", "
                                              << "USER1:001 (A01), USER1:003 (A03)";
    QTest::newRow("program beyond the group") << QList<uint>{p(ClipboardUser1, 3)} << true << ""
                                              << "\n"
                                              << "USER1:004 (A04)";
    QTest::newRow("blanks of the printed form trimmed")
        << QList<uint>{p(Spaced, 0), p(ClipboardUser1, 0)} << true << "["
        << "]"
        << "[SPACED:001 (A01)][USER1:001 (A01) Cat0:Lead";
    QTest::newRow("invalid patch inside") << QList<uint>{p(ClipboardUser1, 0), invalid, p(ClipboardUser1, 2)} << false << "-"
                                          << "\n"
                                          << "-USER1:001 (A01)\n-\n-USER1:003 (A03)";
    QTest::newRow("repeated separator at the end")
        << QList<uint>{p(ClipboardUser1, 0), invalid, invalid} << false << ""
        << "; "
        << "USER1:001 (A01)";
    QTest::newRow("name ending in separator characters") << QList<uint>{p(ClipboardUser1, 2)} << true << ""
                                                         << ", "
                                                         << "USER1:003 (A03) Cat0:Hit,";
}

void TestPatchClipboard::patchListText()
{
    QFETCH(QList<uint>, patches);
    QFETCH(bool, withLibrary);
    QFETCH(QString, prefix);
    QFETCH(QString, separator);
    QFETCH(QString, expected);
    PatchList list;
    for (uint patch : patches)
        list.add(patch);
    QCOMPARE(list.toString(m_device.get(), withLibrary ? m_library.get() : nullptr, prefix, separator),
             expected);
    QCOMPARE(list.toString(nullptr, m_library.get(), prefix, separator), QString());
}

ORVANE_TEST_MAIN(TestPatchClipboard)
#include "tst_patchclipboard.moc"
