// The instrument's two library documents: their trees, their files with the
// instrument's own patches, the other kind's file refused, and a library of
// the instrument's older sibling converted.
#include "Archive.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskDump.h"
#include "VeskRig.h"

#include <QTemporaryDir>

#include <memory>

namespace {

struct GroupShape
{
    QString folder;
    QString name;
    unsigned short bank;
    int rows;
    int patchType;
};

QByteArray save(Library& tree)
{
    Buffer bytes;
    Archive ar(bytes);
    tree.storeDocument(ar);
    return bytes.bytes();
}

} // namespace

class TestVeskLibrary : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;

private slots:
    void initTestCase()
    {
        resetVeskTest();
        m_device = std::make_unique<Vesk>();
    }
    void cleanupTestCase() { m_device.reset(); }

    void ridevTree()
    {
        const QList<GroupShape> shape{
            {"Voices", "USER1", 0x3F08, 128, 0},       {"Voices", "USER2", 0x3F09, 128, 0},
            {"Voices", "DR:USR", 0x3F28, 32, 1},       {"Voices", "P1-USER", 0x3F18, 64, 2},
            {"Voices", "P2-USER", 0x3F19, 64, 2},      {"Voices", "P3-USER", 0x3F1A, 64, 2},
            {"Performances", "PERF", 0x3F40, 128, 3}, {"Masters", "MASTER", 0x7F7F, 128, 5},
        };
        std::unique_ptr<LibraryFolder> tree(CreateVeskLibrary(0, m_device.get()));
        QVERIFY(dynamic_cast<VeskAll_Library*>(tree.get()));
        QCOMPARE(tree->name(), QStringLiteral("Ridev Library"));
        QCOMPARE(tree->type(), 0);
        QStringList folders;
        for (Library* folder : tree->children()) {
            folders.append(folder->name());
            QCOMPARE(folder->type(), 2);
        }
        QCOMPARE(folders, (QStringList{"Voices", "Performances", "Masters"}));
        QList<GroupShape> found;
        for (Library* folder : tree->children()) {
            for (Library* node : folder->children()) {
                auto* group = static_cast<BankPatchGroup*>(node);
                found.append({folder->name(), group->name(), group->bank().word(), group->itemCount(),
                              group->patchType()});
                QVERIFY(group->trackMoves());
                QCOMPARE(group->patchDumpAt(0)->type(), group->patchType());
                QCOMPARE(group->nonEmptyPatchesCount(), 0);
            }
        }
        QCOMPARE(found.size(), shape.size());
        for (int i = 0; i < shape.size(); ++i) {
            QCOMPARE(found.at(i).folder, shape.at(i).folder);
            QCOMPARE(found.at(i).name, shape.at(i).name);
            QCOMPARE(found.at(i).bank, shape.at(i).bank);
            QCOMPARE(found.at(i).rows, shape.at(i).rows);
            QCOMPARE(found.at(i).patchType, shape.at(i).patchType);
        }
    }

    void voiceLibraryTree()
    {
        std::unique_ptr<LibraryFolder> tree(CreateVeskLibrary(1, m_device.get()));
        QCOMPARE(tree->name(), QStringLiteral("Voice Library"));
        QCOMPARE(tree->type(), 1);
        QCOMPARE(tree->itemCount(), 2);
        auto* voices = static_cast<TypePatchGroup*>(tree->children().at(0));
        auto* kits = static_cast<TypePatchGroup*>(tree->children().at(1));
        QVERIFY(dynamic_cast<NormalVoiceGroup*>(voices));
        QCOMPARE(voices->name(), QStringLiteral("Normal Voices"));
        QCOMPARE(kits->name(), QStringLiteral("Drum Kits"));
        QCOMPARE(voices->patchType(), 0);
        QCOMPARE(kits->patchType(), 1);
        QVERIFY(!voices->trackMoves() && !kits->trackMoves());
        QCOMPARE(tree->ridevPatchesCount(), 0);
        QCOMPARE(CreateVeskLibrary(2, m_device.get()), nullptr);
        QCOMPARE(QString::fromLatin1(VeskLibraryKinds[1].extension), QStringLiteral("vlib"));
    }

    // Both kinds keep every patch of the instrument through their files; a
    // file of the one kind is no file of the other.
    void filesOfBothKinds()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        Vesk* dev = m_device.get();
        VeskAll_Library ridev(dev);
        int n = 0;
        for (Library* folder : ridev.children()) {
            for (Library* node : folder->children()) {
                auto* group = static_cast<PatchGroup*>(node);
                PatchDump* dump = group->patchDumpAt(group->itemCount() - 1);
                dump->init();
                dump->setName(QStringLiteral("Patch %1").arg(++n));
                dump->setComment(QStringLiteral("row %1").arg(group->itemCount()));
            }
        }
        VeskVLib_Library vlib(dev);
        for (int type : {0, 1, 0}) {
            PatchDump* dump = dev->createPatchDump(type);
            dump->init();
            dump->setName(QStringLiteral("T%1").arg(type));
            vlib.getTypePatchGroup(type)->addPatchDump(dump);
        }
        const QString all = dir.filePath(QStringLiteral("banks.all"));
        const QString vl = dir.filePath(QStringLiteral("voices.vlib"));
        QVERIFY(ridev.storeFile(all));
        QVERIFY(vlib.storeFile(vl));

        VeskAll_Library ridevBack(dev);
        QVERIFY(ridevBack.loadFile(all));
        QCOMPARE(save(ridevBack), save(ridev));
        QCOMPARE(ridevBack.nonEmptyPatchesCount(), 8);
        VeskVLib_Library vlibBack(dev);
        QVERIFY(vlibBack.loadFile(vl));
        QCOMPARE(save(vlibBack), save(vlib));

        QVERIFY(!ridevBack.loadFile(vl));
        QVERIFY(ridevBack.docError().startsWith(QStringLiteral("Cannot open file")));
        QVERIFY(!vlibBack.loadFile(all));
        QCOMPARE(save(ridevBack), save(ridev));
        QCOMPARE(save(vlibBack), save(vlib));
        QCOMPARE(prompts.calls().size(), 0);
    }

    // A library of the sibling model, with its group under the older name
    // "Voices": the user is told, and every voice comes over into this
    // model's layout with its name.
    void siblingLibraryIsConverted()
    {
        ScriptedPrompts prompts;
        Vesk* dev = m_device.get();
        VoiceDump sibling(dev);
        sibling.buildInit(QStringLiteral("V90 ES"));
        sibling.setName(QStringLiteral("Old Piano"));
        Buffer file;
        {
            Archive ar(file);
            ar << QStringLiteral("V90 ES") << QStringLiteral("Voices") << 1;
            sibling.toArchive(ar);
        }
        VeskVLib_Library vlib(dev);
        Archive in(static_cast<const Buffer&>(file));
        QVERIFY(vlib.loadDocument(in));
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).title, QStringLiteral("V90 ES File"));
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).text,
                 QStringLiteral("This library is for the V90 ES!\r\nRidev Vurivodez will convert it to Vesk ES format."));
        PatchGroup* voices = vlib.getTypePatchGroup(0);
        QCOMPARE(voices->itemCount(), 1);
        PatchDump* converted = voices->patchDumpAt(0);
        QCOMPARE(converted->name(false), QStringLiteral("Old Piano"));
        VoiceDump ours(dev);
        ours.init();
        QCOMPARE(converted->size(), ours.size());
        QCOMPARE(converted->getRidevSize(), ours.getRidevSize());
    }
};

ORVANE_TEST_MAIN(TestVeskLibrary)
#include "tst_vesklibrary.moc"
