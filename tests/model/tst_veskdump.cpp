// The instrument's patch dumps: the device's initial patches read through
// them, init() and the other models' layouts, categories (read, printed,
// stored, picked from the menu) and the references of performances, mixes
// and masters to the patches they use.
#include "DeviceTable.h"
#include "PatchList.h"
#include "Prompts.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"
#include "VeskSysex.h"

#include <QFile>

#include <memory>

namespace {

QList<uint> dumpAddresses(const BulkDump& dump)
{
    QList<uint> list;
    for (const Sysex* message : dump)
        list.append(message->address());
    return list;
}

// Every message of the dump adds up, checksum included, to a multiple of 128.
bool checksumsRight(const BulkDump& dump)
{
    for (const Sysex* message : dump) {
        int sum = 0;
        for (int i = message->checksumStart(); i < message->size() - 1; ++i)
            sum += message->at(i);
        if (message->checksumStart() < 0 || sum % 128 != 0)
            return false;
    }
    return true;
}

// A voice dump whose first message is a common block with these category
// bytes, of dataSize bytes.
void voiceWithCategory(VeskDump& dump, int main, int sub, int dataSize = 82)
{
    dump.clear();
    QStringList bytes;
    for (int i = 0; i < dataSize; ++i)
        bytes << (i == 12   ? QStringLiteral("%1").arg(main, 2, 16, QLatin1Char('0'))
                  : i == 13 ? QStringLiteral("%1").arg(sub, 2, 16, QLatin1Char('0'))
                            : QStringLiteral("41"));
    dump.addBulkDump(0x407000, bytes.join(QLatin1Char(' ')).toLatin1().constData());
}

QByteArray resourceBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestVeskDump : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> device;

private slots:
    void initTestCase()
    {
        resetVeskTest();
        device = std::make_unique<Vesk>();
    }

    void cleanupTestCase() { device.reset(); }

    // The device's initial patch of every type, as its dump class reads it:
    // the stored messages unchanged, the name, the category and no patch of
    // a user bank.
    void initialPatches_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("count");
        QTest::addColumn<uint>("common");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("withCategory");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("full");

        QTest::newRow("voice") << 0 << "voice" << 37 << 0x407000u << "Init Voice"
                               << "--:Init Voice" << 0 << "--";
        QTest::newRow("drum kit") << 1 << "drum" << 373 << 0x467000u << "Init Drum"
                                  << "Dr:Init Drum" << 13 * 128 << "Dr";
        QTest::newRow("PLG voice") << 2 << "plg" << 9 << 0x4C7000u << "----------"
                                   << "--:----------" << 0 << "--";
        QTest::newRow("performance") << 3 << "performance" << 20 << 0x300000u << "Init Perf"
                                     << "--:Init Perf" << 0 << "--";
        QTest::newRow("mix") << 4 << "mix" << 32 << 0x360000u << "Init Multi"
                             << "Init Multi" << -1 << "";
        QTest::newRow("master") << 5 << "master" << 5 << 0x330000u << "InitMaster"
                                << "InitMaster" << -1 << "";
    }

    void initialPatches()
    {
        QFETCH(int, type);
        QFETCH(QString, file);
        QFETCH(int, count);
        QFETCH(uint, common);
        QFETCH(QString, name);
        QFETCH(QString, withCategory);
        QFETCH(int, category);
        QFETCH(QString, full);

        VeskDump* dump = device->initDump(type);
        QCOMPARE(dump->type(), type);
        QCOMPARE(int(dump->size()), count);
        QCOMPARE(dump->first()->address(), common);
        Buffer bytes;
        dump->toBuffer(bytes);
        QVERIFY(bytes.bytes() == resourceBytes(QStringLiteral(":/vesk/data/init/%1.syx").arg(file)));
        QVERIFY(checksumsRight(*dump));

        QCOMPARE(dump->name(false), name);
        QCOMPARE(dump->name(true), withCategory);
        QCOMPARE(dump->getCategoryData(), category);
        QCOMPARE(dump->printCategory(true), full);
        QCOMPARE(dump->printCategory(false), full);
        UserPatchList uses;
        dump->getUserPatches(&uses);
        QVERIFY(uses.isEmpty());
    }

    // init() takes the device's initial patch and keeps the comment.
    void initKeepsComment()
    {
        for (int type = 0; type < 6; ++type) {
            std::unique_ptr<PatchDump> dump(device->createPatchDump(type));
            dump->setComment(QStringLiteral("kept"));
            dump->addNew(device->initDump((type + 1) % 6)->first(), device.get());
            dump->init();
            QCOMPARE(dump->comment(), QStringLiteral("kept"));
            QCOMPARE(dump->bulkCompare(device->initDump(type)), 0);
        }
        // The device's own initial patch is left as it is.
        VeskDump* own = device->initDump(0);
        own->init();
        QCOMPARE(int(own->size()), 37);
    }

    // The family's other models lay some blocks out otherwise; only "Vesk ES"
    // is this device's own.
    void otherModels_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<uint>>("first");

        QTest::newRow("voice, MT") << 0 << "Vesk MT" << 37 << QList<uint>{0x407000, 0x400000, 0x400040};
        QTest::newRow("voice, rack") << 0 << "Vesk Rack ES" << 38
                                     << QList<uint>{0x407000, 0x400700, 0x400000};
        QTest::newRow("voice, other name") << 0 << "Vesk" << 9 << QList<uint>{0x407000, 0x400000, 0x400040};
        QTest::newRow("drum kit, rack")
            << 1 << "Vesk Rack ES" << 374 << QList<uint>{0x467000, 0x460600, 0x460000};
        QTest::newRow("drum kit, V90") << 1 << "V90 ES" << 373 << QList<uint>{0x467000, 0x460000, 0x460040};
        QTest::newRow("drum kit, other name") << 1 << "" << 8 << QList<uint>{0x467000, 0x460000, 0x460040};
        QTest::newRow("PLG voice, rack")
            << 2 << "Vesk Rack ES" << 10 << QList<uint>{0x4C7000, 0x4C0600, 0x4C0000};
        QTest::newRow("performance, V90") << 3 << "V90 ES" << 20 << QList<uint>{0x300000, 0x300100, 0x300200};
        QTest::newRow("performance, rack")
            << 3 << "Vesk Rack ES" << 11 << QList<uint>{0x300000, 0x300100, 0x300200};
        QTest::newRow("performance, MT") << 3 << "Vesk MT" << 9 << QList<uint>{0x300000, 0x300100, 0x300200};
        QTest::newRow("mix, rack") << 4 << "Vesk Rack ES" << 23 << QList<uint>{0x360000, 0x360100, 0x360200};
        QTest::newRow("mix, other name") << 4 << "XS" << 21 << QList<uint>{0x360000, 0x360100, 0x360200};
        QTest::newRow("master, other name") << 5 << "XS" << 5 << QList<uint>{0x330000, 0x320000, 0x320100};
    }

    void otherModels()
    {
        QFETCH(int, type);
        QFETCH(QString, model);
        QFETCH(int, count);
        QFETCH(QList<uint>, first);
        std::unique_ptr<PatchDump> dump(device->createPatchDump(type));
        dump->buildInit(model);
        QCOMPARE(int(dump->size()), count);
        QCOMPARE(dumpAddresses(*dump).mid(0, 3), first);
        QVERIFY(checksumsRight(*dump));
    }

    void otherModelLayouts()
    {
        // The rack sends the element blocks block by block.
        VoiceDump rack(device.get());
        rack.buildInit(QStringLiteral("Vesk Rack ES"));
        QCOMPARE(dumpAddresses(rack).mid(10, 6),
                 QList<uint>({0x410000, 0x410100, 0x410200, 0x410300, 0x410020, 0x410120}));
        QCOMPARE(rack.last()->address(), 0x440350u);
        QCOMPARE(rack.at(1)->dataToString(), QStringLiteral("00 00 40 40"));
        DrumDump drums(device.get());
        drums.buildInit(QStringLiteral("Vesk Rack ES"));
        QCOMPARE(dumpAddresses(drums).mid(9, 2), QList<uint>({0x470000, 0x470100}));
        QCOMPARE(drums.at(9 + 73)->address(), 0x470020u);

        // The V90 has one more byte in two element blocks.
        VoiceDump v90(device.get());
        v90.buildInit(QStringLiteral("V90 ES"));
        QCOMPARE(v90.getSysex(0x410200)->dataSize(), 30);
        QCOMPARE(v90.getSysex(0x410320)->dataSize(), 31);
        QCOMPARE(v90.getSysex(0x420000)->dataSize(), 30);

        // Built twice, every block is there twice.
        MasterDump twice(device.get());
        twice.buildInit(QStringLiteral("Vesk ES"));
        twice.buildInit(QStringLiteral("Vesk ES"));
        QCOMPARE(int(twice.size()), 10);
        QCOMPARE(twice.at(5)->address(), 0x330000u);
    }

    void categories_data()
    {
        QTest::addColumn<int>("main");
        QTest::addColumn<int>("sub");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("fullName");

        QTest::newRow("Ap 2") << 1 << 2 << 82 << 130 << "Ap"
                              << "Ap:E.GRAND";
        QTest::newRow("Dr 0") << 13 << 0 << 82 << 1664 << "Dr"
                              << "Dr";
        QTest::newRow("beyond the table") << 20 << 1 << 82 << 20 * 128 + 1 << "??"
                                          << "??";
        // A stored dump may carry a byte above 7 bits: main x 128 + sub
        // still, not the two joined (which would give 128).
        QTest::newRow("sub above 7 bits") << 1 << 0x80 << 82 << 256 << "Ap"
                                          << "Ap";
        QTest::newRow("14 data bytes") << 5 << 3 << 14 << 5 * 128 + 3 << "Ba"
                                       << "Ba:SYNTH";
        QTest::newRow("13 data bytes") << 5 << 3 << 13 << -1 << ""
                                       << "";
    }

    void categories()
    {
        QFETCH(int, main);
        QFETCH(int, sub);
        QFETCH(int, size);
        QFETCH(int, value);
        QFETCH(QString, shortName);
        QFETCH(QString, fullName);
        VoiceDump dump(device.get());
        voiceWithCategory(dump, main, sub, size);
        QCOMPARE(dump.getCategoryData(), value);
        QCOMPARE(dump.printCategory(false), shortName);
        QCOMPARE(dump.printCategory(true), fullName);
        const QString before = dump.first()->toString(-1);
        dump.setCategoryData(3 * 128 + 1);
        if (value == -1)
            QCOMPARE(dump.first()->toString(-1), before);
        else
            QCOMPARE(dump.getCategoryData(), 3 * 128 + 1);
        QVERIFY(checksumsRight(dump));
    }

    // A category is stored by its full name; a dump without category stores
    // none and says so.
    void setCategory_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("value");

        QTest::newRow("short name only") << 0 << "Ap" << false << 0;
        QTest::newRow("none") << 0 << "--" << true << 0;
        QTest::newRow("Ba:E.BASS") << 0 << "Ba:E.BASS" << true << 642;
        QTest::newRow("case matters") << 0 << "ba:e.bass" << false << 0;
        QTest::newRow("drum kit") << 1 << "Co:SEQ" << true << 16 * 128 + 2;
        QTest::newRow("performance") << 3 << "Ld:SOFT" << true << 9 * 128 + 2;
        QTest::newRow("mix") << 4 << "Ap:A.PIANO" << false << -1;
        QTest::newRow("master") << 5 << "Ap:A.PIANO" << false << -1;
    }

    void setCategory()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(bool, result);
        QFETCH(int, value);
        std::unique_ptr<PatchDump> dump(device->createPatchDump(type));
        dump->init();
        Buffer before;
        dump->toBuffer(before);
        QCOMPARE(dump->setCategory(text), result);
        QCOMPARE(dump->getCategoryData(), value);
        Buffer after;
        dump->toBuffer(after);
        if (!result)
            QVERIFY(before == after);
        QVERIFY(checksumsRight(*dump));
    }

    // The category menu offers the full names; the pick is stored, a closed
    // menu changes nothing, and a mix takes no pick.
    void selectCategory()
    {
        ScriptedPrompts prompts;
        QWidget parent;
        VoiceDump voice(device.get());
        voice.init();
        const DeviceTable* table = device->createTable(QStringLiteral("CATEGORIES_FULL"));
        const int bass = table->indexOf(QStringLiteral("Ba:E.BASS"));
        QVERIFY(bass > 0);

        prompts.script(ScriptedPrompts::Kind::Popup, bass);
        QVERIFY(voice.selectCategory(&parent, QPoint(10, 20)));
        QCOMPARE(voice.getCategoryData(), 642);
        QCOMPARE(prompts.last(ScriptedPrompts::Kind::Popup).pos, QPoint(10, 20));

        QVERIFY(!voice.selectCategory(&parent, QPoint()));
        QCOMPARE(voice.getCategoryData(), 642);
        QCOMPARE(prompts.count(ScriptedPrompts::Kind::Popup), 2);

        MixDump mix(device.get());
        mix.init();
        Buffer before;
        mix.toBuffer(before);
        prompts.script(ScriptedPrompts::Kind::Popup, bass);
        QVERIFY(!mix.selectCategory(&parent, QPoint()));
        Buffer after;
        mix.toBuffer(after);
        QVERIFY(before == after);
    }

    // Performances list the voices of the parts that are switched on, mixes
    // every part's voice, masters the patch they call up; each once, and only
    // from user banks. A reindex rewrites every reference to the old patch.
    void references()
    {
        const Patch user(63, 8, 5);
        const Patch moved(63, 9, 100);
        const auto point = [](VeskDump& dump, unsigned int address, const Patch& patch) {
            Sysex* part = dump.getSysex(address);
            part->setDataAt(0, patch.bank.msb);
            part->setDataAt(1, patch.bank.lsb);
            part->setDataAt(2, patch.program);
        };
        const auto uses = [](VeskDump& dump) {
            UserPatchList list;
            dump.getUserPatches(&list);
            QList<uint> packed;
            for (unsigned int p : list)
                packed.append(p);
            return packed;
        };

        // Part 1 is on, part 2 off; PLG part 3 switched on names a user PLG voice.
        PerformanceDump performance(device.get());
        performance.init();
        point(performance, 0x310000, user);
        point(performance, 0x310100, user);
        point(performance, 0x316200, Patch(63, 26, 1));
        performance.getSysex(0x316200)->setDataAt(31, 0x7F);
        QCOMPARE(uses(performance), QList<uint>({user.toUInt(), Patch(63, 26, 1).toUInt()}));
        performance.reindexPatch(user, moved);
        QCOMPARE(Patch(performance.getSysex(0x310000)->dataAt(0), performance.getSysex(0x310000)->dataAt(1),
                       performance.getSysex(0x310000)->dataAt(2)),
                 moved);
        QCOMPARE(performance.getSysex(0x310100)->dataAt(1), 8);
        QVERIFY(checksumsRight(performance));

        // Parts 1 and 5 name the same user voice, part 2 a preset voice; one
        // part block is missing.
        MixDump mix(device.get());
        mix.init();
        point(mix, 0x370000, user);
        point(mix, 0x370400, user);
        point(mix, 0x370100, Patch(63, 0, 7));
        delete mix.takeAt(mix.indexOf(mix.getSysex(0x370300)));
        QCOMPARE(uses(mix), QList<uint>{user.toUInt()});
        mix.reindexPatch(user, moved);
        mix.reindexPatch(Patch(63, 0, 7), Patch(63, 1, 8));
        QCOMPARE(uses(mix), QList<uint>{moved.toUInt()});
        QCOMPARE(mix.getSysex(0x370400)->dataAt(1), 9);
        QCOMPARE(mix.getSysex(0x370100)->dataAt(1), 1);
        QCOMPARE(mix.getSysex(0x370100)->dataAt(2), 8);
        QVERIFY(checksumsRight(mix));

        // The master's program, data 14-16 of its common block.
        MasterDump master(device.get());
        master.init();
        QVERIFY(uses(master).isEmpty());
        master.first()->setDataAt(14, 0x3F);
        master.first()->setDataAt(15, 0x40);
        master.first()->setDataAt(16, 3);
        QCOMPARE(uses(master), QList<uint>{Patch(63, 64, 3).toUInt()});
        master.reindexPatch(Patch(63, 64, 3), Patch(63, 64, 4));
        QCOMPARE(master.first()->dataAt(16), 4);

        // Voices refer to nothing; empty dumps neither.
        VoiceDump voice(device.get());
        voice.init();
        MasterDump empty(device.get());
        QVERIFY(uses(voice).isEmpty() && uses(empty).isEmpty());
        empty.reindexPatch(Patch(0, 0, 0), moved);
        QVERIFY(empty.isEmpty());
    }
};

ORVANE_TEST_MAIN(TestVeskDump)
#include "tst_veskdump.moc"
