// A library loaded from its file keeps each patch's bytes in the file's block
// until they are needed: the edits of a librarian (renaming, changing data,
// commenting, copying, moving, sorting, emptying) give the same file as on a
// library that was never loaded; a damaged patch is told about and costs
// nothing of the others; undo steps share the patches and take the library
// back; the whole-group sort orders as the comparison does; the selection is
// read as the view reports it; and a load or save that takes long shows its
// progress.
#include "Archive.h"
#include "DelayedProgress.h"
#include "Library.h"
#include "LibraryView.h"
#include "MdiView.h"
#include "PatchSorter.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "TestSysex.h"
#include "VoicesListView.h"

#include <QDialog>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

class TestStoredLibrary : public QObject
{
    Q_OBJECT

    // Two banks of voices: USER1 (128 rows) and DR:USR (4 rows).
    class BankDevice : public TestDevice
    {
    public:
        BankDevice()
        {
            ini()->loadText(QStringLiteral("[VOICES]\nRidev=2\n0=63,08,USER1\n1=63,40,DR:USR\n\n[DR:USR]\nRidev=4\n"));
        }
        int bankType(unsigned short) override { return TestPatchDump::Voice; }
    };
    std::unique_ptr<BankDevice> m_device;

    // Bank groups (USER1, DR:USR) or type groups (two of voices).
    std::unique_ptr<LibraryFolder> tree(bool banks)
    {
        MidiDevice* device = m_device.get();
        auto made = std::make_unique<LibraryFolder>(device, QStringLiteral("Library"));
        if (banks) {
            made->addBankSet(QStringLiteral("VOICES"));
        } else {
            made->children().append(new TypePatchGroup(device, QStringLiteral("Normal Voices"), 0));
            made->children().append(new TypePatchGroup(device, QStringLiteral("Drum Kits"), 0));
        }
        return made;
    }
    static PatchGroup* groupOf(Library* tree, int i) { return static_cast<PatchGroup*>(tree->children().at(i)); }

    // A voice named name, its later blocks varied by seed, commented.
    PatchDump* voice(const QString& name, int seed, const QString& comment = QString())
    {
        auto* dump = new TestPatchDump(m_device.get());
        dump->init();
        dump->setName(name);
        dump->at(1)->setDataAt(seed % 8, seed & 0x7F);
        dump->setComment(comment);
        return dump;
    }
    // The first group of the tree filled with count voices (a bank group's
    // rows from 0 on, a type group's appended); a few names repeat.
    void fill(Library* tree, int count)
    {
        PatchGroup* group = groupOf(tree, 0);
        for (int i = 0; i < count; ++i) {
            PatchDump* dump = voice(QStringLiteral("V%1").arg((i * 7) % 11), i, i % 3 ? QString() : QStringLiteral("c%1").arg(i));
            if (group->type() == Library::BankGroup)
                group->setPatchDump(i, dump);
            else
                group->addPatchDump(dump);
        }
    }

    // A library of 24 voices made in memory, its file, and the library read
    // from that file.
    struct Loaded
    {
        std::unique_ptr<LibraryFolder> made;
        QByteArray file;
        std::unique_ptr<LibraryFolder> read;
    };
    Loaded madeAndLoaded(bool banks)
    {
        Loaded library{tree(banks), QByteArray(), tree(banks)};
        fill(library.made.get(), 24);
        library.file = saved(*library.made);
        if (!loaded(*library.read, library.file))
            library.read.reset();
        return library;
    }

    static QByteArray saved(Library& tree)
    {
        Buffer bytes;
        Archive ar(bytes);
        if (!tree.storeDocument(ar))
            return QByteArray();
        return bytes.bytes();
    }
    static bool loaded(Library& tree, const QByteArray& bytes)
    {
        Buffer data;
        data.setBytes(bytes);
        Archive ar(static_cast<const Buffer&>(data));
        return tree.loadDocument(ar);
    }
    static int storedDumps(Library* tree)
    {
        int n = 0;
        for (Library* child : tree->children()) {
            for (PatchDump* dump : static_cast<PatchGroup*>(child)->dumps())
                n += dump && dump->isStored();
        }
        return n;
    }

    // What a librarian does to a group: every kind of change the list and
    // the transfers make.
    void edit(PatchGroup* group)
    {
        MidiDevice* device = m_device.get();
        group->patchDumpAt(0)->setName(QStringLiteral("Renamed"));
        group->patchDumpAt(1)->at(2)->setDataAt(1, 0x55);
        group->patchDumpAt(2)->setComment(QStringLiteral("new comment"));
        // A copy into another row, as a paste does, then changed.
        PatchDump* copy = device->createPatchDump(group->patchType());
        copy->copyPatchDump(group->patchDumpAt(3), device);
        copy->setName(QStringLiteral("Copy"));
        group->setPatchDump(9, copy);
        group->patchDumpAt(3)->at(1)->setDataAt(0, 0x01);
        // A move, as a drop does, and a sort.
        int target = 0;
        ints rows{4, 1};
        group->reorganize(target, rows);
        QList<PatchDump*> order = group->dumps();
        PatchSorter(VoicesListView::NameColumn, true).sort(order);
        static_cast<QList<PatchDump*>&>(group->dumps()) = order;
        // Emptied, as a delete in a bank does.
        group->patchDumpAt(5)->clear();
    }

private slots:
    void initTestCase() { m_device = std::make_unique<BankDevice>(); }
    void cleanupTestCase() { m_device.reset(); }
    void init() { DelayedProgress::setDelay(500); }

    void editsGiveTheSameFile_data();
    void editsGiveTheSameFile();
    void aDamagedPatchCostsNothingElse();
    void undoStepsTakeTheLibraryBack_data();
    void undoStepsTakeTheLibraryBack();
    void nameSortOrdersAsTheComparison();
    void selectionAsTheViewReportsIt();
    void longLoadsAndSavesShowTheirProgress();
};

void TestStoredLibrary::editsGiveTheSameFile_data()
{
    QTest::addColumn<bool>("banks");
    QTest::newRow("bank groups") << true;
    QTest::newRow("type groups") << false;
}

void TestStoredLibrary::editsGiveTheSameFile()
{
    QFETCH(bool, banks);
    ScriptedPrompts prompts;
    Loaded library = madeAndLoaded(banks);
    QVERIFY(library.read);
    Library* read = library.read.get();
    Library* made = library.made.get();

    // Loaded, every patch keeps its bytes in the file's block, and a save
    // writes them back as they are.
    QCOMPARE(storedDumps(read), 24);
    QCOMPARE(saved(*read), library.file);
    QCOMPARE(storedDumps(read), 24);

    // The same edits on the library made in memory and on the loaded one
    // give the same file, and that file reads back to itself.
    edit(groupOf(made, 0));
    edit(groupOf(read, 0));
    QVERIFY(storedDumps(read) > 0);
    const QByteArray edited = saved(*made);
    QCOMPARE(saved(*read), edited);
    auto again = tree(banks);
    QVERIFY(loaded(*again, edited));
    QCOMPARE(saved(*again), edited);
    QCOMPARE(groupOf(again.get(), 0)->patchDumpAt(0)->name(false), groupOf(made, 0)->patchDumpAt(0)->name(false));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 0);
}

void TestStoredLibrary::aDamagedPatchCostsNothingElse()
{
    ScriptedPrompts prompts;
    auto made = tree(false);
    fill(made.get(), 5);
    QByteArray file = saved(*made);
    // Stray bytes inside the third patch's messages: after its first F7.
    Buffer third;
    groupOf(made.get(), 0)->patchDumpAt(2)->toBuffer(third);
    const qsizetype at = file.indexOf(third.bytes());
    QVERIFY(at > 0);
    const qsizetype firstF7 = file.indexOf('\xF7', at);
    // The damaged patch is read and told about...
    file[firstF7 + 1] = '\x01';
    auto read = tree(false);
    QVERIFY(loaded(*read, file));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
    QVERIFY(prompts.last(ScriptedPrompts::Kind::Warning).text.startsWith(QStringLiteral("1 patch held bytes")));
    PatchGroup* group = groupOf(read.get(), 0);
    PatchDump* damaged = group->patchDumpAt(2);
    QCOMPARE(damaged->size(), 2);
    QCOMPARE(damaged->name(false), groupOf(made.get(), 0)->patchDumpAt(2)->name(false));
    // ...and every other patch is whole, and still only stored.
    for (int row : {0, 1, 3, 4}) {
        PatchDump* dump = group->patchDumpAt(row);
        QVERIFY(dump->isStored());
        Buffer was;
        Buffer now;
        groupOf(made.get(), 0)->patchDumpAt(row)->toBuffer(was);
        dump->toBuffer(now);
        QCOMPARE(now.bytes(), was.bytes());
        QCOMPARE(dump->comment(), groupOf(made.get(), 0)->patchDumpAt(row)->comment());
    }
}

void TestStoredLibrary::undoStepsTakeTheLibraryBack_data()
{
    editsGiveTheSameFile_data();
}

void TestStoredLibrary::undoStepsTakeTheLibraryBack()
{
    QFETCH(bool, banks);
    ScriptedPrompts prompts;
    Loaded loadedLibrary = madeAndLoaded(banks);
    QVERIFY(loadedLibrary.read);
    LibraryFolder* library = loadedLibrary.read.get();
    const QByteArray first = saved(*library);

    MdiView view;
    view.setDocument(library);
    view.resetUndo();
    edit(groupOf(library, 0));
    view.undoCheck();
    const QByteArray second = saved(*library);
    groupOf(library, 0)->patchDumpAt(7)->setName(QStringLiteral("Third"));
    view.undoCheck();
    const QByteArray third = saved(*library);
    const QList<PatchDump*> objects = groupOf(library, 0)->dumps();

    view.undo();
    QCOMPARE(saved(*library), second);
    view.undo();
    QCOMPARE(saved(*library), first);
    QVERIFY(!view.canUndo());
    // The patches come back stored, sharing the step's bytes; a bank group's
    // rows keep the dump objects they hold, as at a load.
    QCOMPARE(storedDumps(library), 24);
    if (banks)
        QCOMPARE(groupOf(library, 0)->dumps(), objects);
    view.redo();
    view.redo();
    QCOMPARE(saved(*library), third);
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 0);

    // A step of another library is not taken, and changes nothing.
    auto other = tree(banks);
    QVERIFY(!library->restoreState(*other->saveState()));
    QCOMPARE(saved(*library), third);
}

void TestStoredLibrary::nameSortOrdersAsTheComparison()
{
    // Names that repeat, differ in case and leading zeros, hold numbers,
    // and empty slots; sorted whole, they stand as a stable sort with the
    // comparison would put them, in both directions.
    const QStringList pool{"Pad 2", "Pad 02", "pad 2", "Pad 10", "Pad", "bass", "Bass 1", "B", "Zz 9", "Pad 1a",
                           "Pad 1b", "10", "9"};
    QRandomGenerator random(49);
    std::vector<std::unique_ptr<PatchDump>> owned;
    QList<PatchDump*> dumps;
    for (int i = 0; i < 300; ++i) {
        auto* dump = new TestPatchDump(m_device.get());
        if (random.bounded(10) != 0) {
            dump->init();
            dump->setName(pool.at(random.bounded(int(pool.size()))));
        }
        owned.emplace_back(dump);
        dumps.append(dump);
    }
    dumps.append(nullptr);
    for (bool ascending : {true, false}) {
        const PatchSorter sorter(VoicesListView::NameColumn, ascending);
        QList<PatchDump*> expected = dumps;
        std::stable_sort(expected.begin(), expected.end(), sorter);
        QList<PatchDump*> sorted = dumps;
        sorter.sort(sorted);
        QCOMPARE(sorted, expected);
    }
}

void TestStoredLibrary::selectionAsTheViewReportsIt()
{
    auto library = tree(true);
    fill(library.get(), 10);
    LibraryView view(library.get());
    VoicesListView* list = view.voicesList();
    list->setLibrary(groupOf(library.get(), 0));
    // Rows 10 on are empty slots; selections made in several pieces, in an
    // order of their own.
    const QList<QList<QPair<int, int>>> selections{{},
                                                   {{3, 3}},
                                                   {{12, 15}},
                                                   {{8, 12}, {0, 2}},
                                                   {{20, 30}, {5, 5}, {1, 1}},
                                                   {{0, 127}}};
    for (const auto& ranges : selections) {
        list->clearSelection();
        for (const auto& [top, bottom] : ranges)
            list->selectionModel()->select(
                QItemSelection(list->model()->index(top, 0), list->model()->index(bottom, 3)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        // What the view itself reports.
        ints all;
        ints filled;
        for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
            PatchDump* dump = list->patchDumpAt(index.row());
            all << index.row();
            if (!dump->isEmpty())
                filled << index.row();
        }
        QCOMPARE(list->selectedItems(true), all);
        QCOMPARE(list->selectedItems(false), filled);
        QCOMPARE(list->validPatchSelected(), filled.size() > 0);
        QCOMPARE(list->validPatchesSelected(), filled.size() > 1);
    }
}

void TestStoredLibrary::longLoadsAndSavesShowTheirProgress()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("slow.vlib"));
    auto made = tree(false);
    fill(made.get(), 40);

    // The progress windows shown, by title and first line.
    QStringList shown;
    struct Watch : QObject
    {
        std::function<void(QObject*)> seen;
        bool eventFilter(QObject* object, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                seen(object);
            return false;
        }
    } watch;
    watch.seen = [&](QObject* object) {
        if (auto* dialog = qobject_cast<QDialog*>(object))
            shown << dialog->windowTitle();
    };
    qApp->installEventFilter(&watch);

    // Quick ones show nothing.
    QVERIFY(made->storeFile(path));
    auto read = tree(false);
    QVERIFY(read->loadFile(path));
    QCOMPARE(shown, QStringList());

    // Ones that take longer than the delay show the file's name.
    DelayedProgress::setDelay(0);
    QVERIFY(made->storeFile(path));
    QVERIFY(read->loadFile(path));
    qApp->removeEventFilter(&watch);
    QCOMPARE(shown, (QStringList{"slow.vlib", "slow.vlib"}));
    QCOMPARE(saved(*read), saved(*made));
}

ORVANE_TEST_MAIN(TestStoredLibrary)
#include "tst_storedlibrary.moc"
