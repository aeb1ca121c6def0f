// The import of the instrument's native all-data files, on files built here:
// a Ridev Library takes the user patches slot by slot into its user banks, a
// Voice Library appends voices and drum kits; files of the sibling model are
// converted; short entries, files without anything to import and files that
// are no native files change nothing they should not; an imported library
// stays untitled.
#include "LibrarianRig.h"
#include "LibraryFixture.h"

#include "ES_Document.h"
#include "Library.h"
#include "PatchDump.h"

#include <QTemporaryDir>

namespace {

// A native file: header, catalogue, then the chunks in the order added.
class NativeFile
{
public:
    explicit NativeFile(const QByteArray& header = QByteArrayLiteral("A0745 ALL DATA"))
        : m_bytes(ES_Document::CatalogueEnd, '\0')
    {
        m_bytes.replace(0, header.size(), header);
    }

    // A data chunk of the entries and its count chunk ("DNVC" and "ENVC").
    void data(const QByteArray& tag, const QList<QByteArray>& entries)
    {
        QByteArray body(32, '\0');
        body += uint32(48) + QByteArray(4, '\0');
        for (const QByteArray& entry : entries)
            body += entry;
        chunk(tag, body);
        chunk('E' + tag.mid(1), QByteArray(entries.size() * 32 + 24, '\0'));
    }

    bool write(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(m_bytes) == m_bytes.size();
    }

private:
    static QByteArray uint32(quint32 v)
    {
        QByteArray bytes(4, '\0');
        for (int k = 0; k < 4; ++k)
            bytes[k] = char(v >> (24 - 8 * k));
        return bytes;
    }
    void chunk(const QByteArray& tag, const QByteArray& body)
    {
        const int at = ES_Document::CatalogueOffset + m_listed++ * ES_Document::CatalogueEntrySize;
        m_bytes.replace(at, 4, tag);
        m_bytes.replace(at + 4, 4, uint32(quint32(m_bytes.size())));
        m_bytes += tag + uint32(quint32(body.size() + 8)) + body;
    }

    QByteArray m_bytes;
    int m_listed = 0;
};

QByteArray dataOf(PatchDump* dump)
{
    Buffer data;
    dump->toDataBuffer(data);
    return QByteArray(reinterpret_cast<const char*>(data.data()), data.size());
}

} // namespace

class TestNativeImport : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    QTemporaryDir dir;

    // The data of the device's initial patch of the type, named.
    QByteArray entry(VeskLib& window, int type, const QString& name, const QString& model = QStringLiteral("Vesk ES"))
    {
        std::unique_ptr<PatchDump> dump(window.midiDevice()->createPatchDump(type));
        dump->buildInit(model);
        dump->setName(name);
        return dataOf(dump.get());
    }

    QString path(const char* name) { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY(bus);
        QVERIFY(dir.isValid());
    }

    void ridevLibraryTakesTheUserBanks()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        NativeFile file;
        file.data("DNVC", {entry(*window, 0, QStringLiteral("Imp 1")), entry(*window, 0, QStringLiteral("Imp 2")),
                           entry(*window, 0, QStringLiteral("Imp 3"))});
        file.data("DDVC", {entry(*window, 1, QStringLiteral("Kit 1"))});
        QVERIFY(file.write(path("song.w7a")));

        window->newFile(0);
        LibraryView* view = window->currentLibraryView();
        Library* library = view->library();
        PatchDump* master = MakePatch(library->getBankPatchGroup(0x7F7F)->patchDumpAt(0), QStringLiteral("Kept"));
        library->getBankPatchGroup(0x3F08)->patchDumpAt(1)->setComment(QStringLiteral("old comment"));

        ScriptedPrompts prompts;
        prompts.script(ScriptedPrompts::Kind::FileOpen, path("song.w7a"));
        window->onCommand(VeskLib::cmdImportNative);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::FileOpen).title, QStringLiteral("Import Native File"));

        BankPatchGroup* user1 = library->getBankPatchGroup(0x3F08);
        QCOMPARE(user1->patchDumpAt(0)->name(false), QStringLiteral("Imp 1"));
        QCOMPARE(user1->patchDumpAt(2)->name(false), QStringLiteral("Imp 3"));
        QCOMPARE(user1->patchDumpAt(1)->comment(), QString());
        QVERIFY(user1->patchDumpAt(3)->isEmpty());
        QCOMPARE(library->getBankPatchGroup(0x3F28)->patchDumpAt(0)->name(false), QStringLiteral("Kit 1"));
        // No chunk of masters: the bank stays.
        QCOMPARE(master->name(false), QStringLiteral("Kept"));

        // Modified, one undo step, and untitled: Save asks where.
        QVERIFY(view->isWindowModified());
        QVERIFY(view->canUndo());
        QVERIFY(view->filePath().isEmpty());
        QCOMPARE(view->untitledName(), QStringLiteral("song"));
        prompts.script(ScriptedPrompts::Kind::FileSave, QString());
        QVERIFY(!view->save());
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::FileSave), 1);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::FileSave).start, QStringLiteral("song.all"));

        view->undo();
        QVERIFY(library->getBankPatchGroup(0x3F08)->patchDumpAt(0)->isEmpty());
    }

    void entriesBeyondTheBanksAreIgnored()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        QList<QByteArray> kits;
        for (int i = 0; i < 40; ++i) // the user drum bank holds 32
            kits << entry(*window, 1, QStringLiteral("Kit %1").arg(i));
        NativeFile file;
        file.data("DDVC", kits);
        QVERIFY(file.write(path("kits.w7a")));
        window->newFile(0);
        QVERIFY(window->ImportNativeFile_ES(path("kits.w7a")));
        BankPatchGroup* drums = window->currentLibraryView()->library()->getBankPatchGroup(0x3F28);
        QCOMPARE(drums->itemCount(), 32);
        QCOMPARE(drums->patchDumpAt(31)->name(false), QStringLiteral("Kit 31"));
    }

    void voiceLibraryAppends()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        NativeFile first;
        first.data("DNVC", {entry(*window, 0, QStringLiteral("A")), entry(*window, 0, QStringLiteral("B"))});
        first.data("DDVC", {entry(*window, 1, QStringLiteral("K"))});
        first.data("DPFM", {entry(*window, 3, QStringLiteral("Perf"))});
        QVERIFY(first.write(path("first.w7v")));
        NativeFile second;
        second.data("DNVC", {entry(*window, 0, QStringLiteral("C"))});
        QVERIFY(second.write(path("second.s7v")));

        window->newFile(1);
        LibraryView* view = window->currentLibraryView();
        ScriptedPrompts prompts;
        prompts.script(ScriptedPrompts::Kind::FilesOpen,
                       QStringList{path("first.w7v"), path("second.s7v"), path("first.w7v")});
        window->onCommand(VeskLib::cmdImportNative);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::FilesOpen).title, QStringLiteral("Import Native Files"));

        PatchGroup* voices = view->library()->getTypePatchGroup(0);
        QStringList names;
        for (PatchDump* dump : voices->dumps())
            names << dump->name(false);
        QCOMPARE(names, QStringList({"A", "B", "C", "A", "B"}));
        QCOMPARE(view->library()->getTypePatchGroup(1)->itemCount(), 2);
        QCOMPARE(view->untitledName(), QStringLiteral("first"));
        QVERIFY(view->isWindowModified());
    }

    void otherModelIsConverted()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        NativeFile file(QByteArrayLiteral(" 8E24 ALL DATA"));
        file.data("DNVC", {entry(*window, 0, QStringLiteral("Old One"), QStringLiteral("V90 ES"))});
        QVERIFY(file.write(path("old.w7a")));
        window->newFile(0);
        QVERIFY(window->ImportNativeFile_ES(path("old.w7a")));
        PatchDump* slot = window->currentLibraryView()->library()->getBankPatchGroup(0x3F08)->patchDumpAt(0);
        QCOMPARE(slot->name(false), QStringLiteral("Old One"));
        // In this instrument's layout.
        std::unique_ptr<PatchDump> own(window->midiDevice()->createPatchDump(0));
        own->buildInit(QStringLiteral("Vesk ES"));
        QCOMPARE(slot->size(), own->size());
        QCOMPARE(slot->getRidevDataSize(), own->getRidevDataSize());
    }

    void shortEntryFillsWhatItHolds()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        const QByteArray whole = entry(*window, 0, QStringLiteral("Shorty"));
        const QByteArray part = whole.left(20);
        // Entries of 20 bytes: the chunk's entry size is what the file says.
        NativeFile file;
        file.data("DNVC", {part, part});
        QVERIFY(file.write(path("short.w7a")));
        window->newFile(0);
        QVERIFY(window->ImportNativeFile_ES(path("short.w7a")));
        PatchDump* slot = window->currentLibraryView()->library()->getBankPatchGroup(0x3F08)->patchDumpAt(1);
        const QByteArray data = dataOf(slot);
        QCOMPARE(data.size(), whole.size());
        QCOMPARE(data.left(20), part);
        std::unique_ptr<PatchDump> fresh(window->midiDevice()->createPatchDump(0));
        fresh->buildInit(QStringLiteral("Vesk ES"));
        // The rest keeps the initial patch's values.
        QCOMPARE(data.mid(20), dataOf(fresh.get()).mid(20));
    }

    void nothingToImport()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        NativeFile onlyPerformances;
        onlyPerformances.data("DPFM", {entry(*window, 3, QStringLiteral("Perf"))});
        QVERIFY(onlyPerformances.write(path("perf.w7a")));

        // A Voice Library takes no performances: nothing changes, and it says so.
        window->newFile(1);
        LibraryView* view = window->currentLibraryView();
        ScriptedPrompts prompts;
        QVERIFY(!window->ImportNativeFile_ES(path("perf.w7a")));
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
        QVERIFY(prompts.last(ScriptedPrompts::Kind::Warning).text.startsWith(QLatin1String("Nothing was imported")));
        QVERIFY(!view->isWindowModified());
        QVERIFY(!view->canUndo());
        QCOMPARE(view->untitledName(), QStringLiteral("Voice Library 1"));
    }

    void refusedFilesChangeNothing()
    {
        LibrarianRig rig(*bus);
        auto window = rig.build();
        QFile other(path("notes.w7a"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(QByteArray(600, 'x'));
        other.close();
        window->newFile(0);
        LibraryView* view = window->currentLibraryView();
        ScriptedPrompts prompts;
        QVERIFY(!window->ImportNativeFile_ES(path("notes.w7a")));
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).text, QStringLiteral("Unknown format"));
        QVERIFY(!view->isWindowModified());

        // A cancelled prompt does nothing at all.
        prompts.clear();
        prompts.script(ScriptedPrompts::Kind::FileOpen, QString());
        window->onCommand(VeskLib::cmdImportNative);
        QCOMPARE(prompts.calls().size(), 1);
        QVERIFY(!view->isWindowModified());
    }
};

ORVANE_TEST_MAIN(TestNativeImport)
#include "tst_import.moc"
