#include "Containers.h"
#include "TestEnvironment.h"

namespace {

// Records its own deletion, and whether the map it sits in still listed it.
struct Tracked
{
    explicit Tracked(const QString& name, const QMap<QString, Tracked*>* home = nullptr)
        : name(name), home(home)
    {
    }
    virtual ~Tracked()
    {
        deleted.append(name);
        if (home)
            listedWhenDeleted.append(home->contains(name));
    }
    QString name;
    const QMap<QString, Tracked*>* home;

    static QStringList deleted;
    static QList<bool> listedWhenDeleted;
    static void reset()
    {
        deleted.clear();
        listedWhenDeleted.clear();
    }
};
QStringList Tracked::deleted;
QList<bool> Tracked::listedWhenDeleted;

// A list that keeps extra state and drops it in onClear.
class Recording : public Vector<int>
{
public:
    ~Recording() override { ++destructions; }
    void onClear() override
    {
        ++clears;
        sizeAtClear = int(size());
    }
    int clears = 0;
    int sizeAtClear = -1;
    static int destructions;
};
int Recording::destructions = 0;

} // namespace

class TestContainers : public QObject
{
    Q_OBJECT

private slots:
    void init() { Tracked::reset(); }

    void listsNeverDeleteTheirElements()
    {
        Tracked a(QStringLiteral("a"));
        Tracked b(QStringLiteral("b"));
        {
            Vector<Tracked*> panels;
            panels << &a << &b;
            auto* banks = new VectorEx<Tracked*>;
            banks->append(&a);
            Vector<Tracked*>* base = banks;
            delete base; // through the base, as owners of derived lists do
            panels.clear();
        }
        {
            Map<QString, Tracked*> plain;
            plain.add(QStringLiteral("a"), &a);
            plain.add(QStringLiteral("a"), &b); // forgotten, not deleted
            QCOMPARE(plain.value(QStringLiteral("a")), &b);
        }
        QVERIFY(Tracked::deleted.isEmpty());
    }

    void ownedMapDeletesInKeyOrderWhileStillListed()
    {
        auto* tables = new MapEx<QString, Tracked*>;
        for (const QString& name :
             {QStringLiteral("WaveList"), QStringLiteral("ARPType"), QStringLiteral("PAN")})
            tables->add(name, new Tracked(name, tables));
        tables->add(QStringLiteral("Empty"), nullptr); // skipped, not a crash
        Map<QString, Tracked*>* base = tables;
        delete base;
        QCOMPARE(Tracked::deleted, QStringList({"ARPType", "PAN", "WaveList"}));
        QCOMPARE(Tracked::listedWhenDeleted, QList<bool>({true, true, true}));
    }

    void replacingAValueInAnOwnedMap()
    {
        MapEx<QString, Tracked*> sections;
        auto* first = new Tracked(QStringLiteral("first"));
        sections.add(QStringLiteral("VOICES"), first);
        sections.add(QStringLiteral("VOICES"), first); // the same value again stays alive
        QVERIFY(Tracked::deleted.isEmpty());

        auto* second = new Tracked(QStringLiteral("second"));
        sections.add(QStringLiteral("VOICES"), second);
        QCOMPARE(Tracked::deleted, QStringList({"first"}));
        QCOMPARE(sections.size(), 1);
        QCOMPARE(sections.value(QStringLiteral("VOICES")), second);
    }

    void deleteAllEmptiesAndCanBeRepeated()
    {
        MapEx<int, Tracked*> banks;
        banks.deleteAll(); // empty: nothing happens
        banks.add(2, new Tracked(QStringLiteral("2")));
        banks.add(1, new Tracked(QStringLiteral("1")));
        banks.deleteAll();
        QVERIFY(banks.isEmpty());
        QCOMPARE(Tracked::deleted, QStringList({"1", "2"}));
        banks.deleteAll();
        QCOMPARE(Tracked::deleted.size(), 2);

        banks.add(3, new Tracked(QStringLiteral("3"))); // refilled, deleted with the map
    }

    void clearCallsOnClearOnceAfterEmptying()
    {
        Recording::destructions = 0;
        {
            Recording list;
            list << 1 << 2 << 3;
            list.clear();
            QCOMPARE(list.clears, 1);
            QCOMPARE(list.sizeAtClear, 0);
            list << 4;
        }
        QCOMPARE(Recording::destructions, 1);

        // Destroyed through the base, the derived part goes too.
        auto* list = new Recording;
        *list << 5;
        Vector<int>* base = list;
        delete base;
        QCOMPARE(Recording::destructions, 2);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestContainers)
#include "tst_containers.moc"
