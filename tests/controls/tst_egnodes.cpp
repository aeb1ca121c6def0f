// Envelope nodes: the nodes text read into values with what later nodes
// inherit, the value spec items, display texts, fixed and watched values,
// validity, and the ranges a graph cannot be drawn with.
#include "EgNode.h"
#include "TestEnvironment.h"

namespace {

const char* const Amplitude =
    "Init;INIT; ;address=41xx28 default=0|Attack;ATK;address=41xx24 default=0;address=41xx29 default=127|"
    "Decay1;DCY1;address=41xx25 default=127;address=41xx2A default=127|Decay2;DCY2;address=41xx26 "
    "default=127;address=41xx2B default=127| ; ;default=127;watch=-1|Release;REL;address=41xx27 default=0";
const char* const PitchStart =
    " ; ; ;max=255 offset=-128 size=2 watch=1|Hold;HOLD;address=41xx10;address=41xx11";
const char* const Drum = " ; ;default=0;default=0|Attack;ATK;address=47xx23 default=64;default=127|Decay;DCY;"
                         "address=47xx24 default=64;address=47xx29 default=127|Release;REL;address=47xx25 "
                         "default=127;default=0";

EgNodeList nodesOf(const char* text, int iterator = 2)
{
    EgNodeList list;
    list.fromString(QString::fromLatin1(text), iterator);
    return list;
}

} // namespace

class TestEgNodes : public QObject
{
    Q_OBJECT

private slots:
    void amplitude()
    {
        const EgNodeList nodes = nodesOf(Amplitude);
        QCOMPARE(nodes.size(), 6);
        QCOMPARE(nodes.countNodes(), 5);
        QCOMPARE(nodes[0].shortName, QStringLiteral("INIT"));
        QVERIFY(!nodes[0].time.adjust && !nodes[0].time.hasAddress());
        QCOMPARE(nodes[0].level.address(), 0x410228u);
        QCOMPARE(nodes[1].time.address(), 0x410224u);
        QCOMPARE(nodes[1].level.defaultValue, 127);
        QVERIFY(nodes[1].time.adjust && nodes[1].level.adjust);
        QCOMPARE(nodes[3].level.max, 127); // inherited from node 0
        // The unnamed sustain: fixed time 127, level watching the node before.
        QVERIFY(!nodes[4].hasName());
        QCOMPARE(nodes[4].time.defaultValue, 127);
        QCOMPARE(nodes[4].level.watch, -1);
        QVERIFY(!nodes[4].level.adjust);
        // Release has no level field: no address, the first node's default.
        QVERIFY(!nodes[5].level.hasAddress());
        QCOMPARE(nodes[5].level.defaultValue, 0);
        QCOMPARE(nodes[5].level.addressText, QString());
        QCOMPARE(nodes[1].time.addressText, QStringLiteral("41xx24"));
        QVERIFY(nodes.isDrawable());
    }

    void inheritedFromTheFirstNode()
    {
        const EgNodeList pitch = nodesOf(PitchStart);
        const EgValue& first = pitch[0].level;
        QCOMPARE(first.size, 2);
        QCOMPARE(first.max, 255);
        QCOMPARE(first.offset, -128);
        QCOMPARE(first.defaultValue, 128);
        QCOMPARE(first.watch, 1);
        const EgValue& hold = pitch[1].level;
        QCOMPARE(hold.size, 2);
        QCOMPARE(hold.max, 255);
        QCOMPARE(hold.offset, -128);
        QCOMPARE(hold.defaultValue, 128);
        QCOMPARE(hold.watch, 0); // watch is not inherited

        EgNodeList drum = nodesOf(Drum);
        drum.fixValues();
        QCOMPARE(drum[0].time.value, 0);
        QCOMPARE(drum[0].level.value, 0);
        QCOMPARE(drum[1].level.value, 127);
        QCOMPARE(drum[3].level.value, 0);
        QVERIFY(!drum.allValid());
    }

    void valueSpec_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("defaultValue");
        QTest::addColumn<int>("watch");
        QTest::addColumn<bool>("adjust");
        QTest::newRow("default then watch") << "default=5 watch=-1" << 1 << 0 << 5 << -1 << false;
        QTest::newRow("watch then default") << "watch=-1 default=5" << 1 << 0 << 5 << 0 << false;
        QTest::newRow("watch then address") << "watch=1 address=41xx20" << 1 << 0 << 0 << 0 << true;
        QTest::newRow("adjust") << "adjust=1" << 1 << 0 << 0 << 0 << true;
        QTest::newRow("offset before min") << "offset=-128 min=10" << 1 << 10 << 128 << 0 << false;
        QTest::newRow("offset after min") << "min=10 offset=-128" << 1 << 10 << 138 << 0 << false;
        QTest::newRow("size 0") << "size=0" << 1 << 0 << 0 << 0 << false;
        QTest::newRow("ignored items") << "size default=3=4 colour=2 size=2" << 2 << 0 << 0 << 0 << false;
        QTest::newRow("double blank") << "min=3  default=4" << 1 << 3 << 4 << 0 << false;
    }
    void valueSpec()
    {
        QFETCH(QString, spec);
        QFETCH(int, size);
        QFETCH(int, min);
        QFETCH(int, defaultValue);
        QFETCH(int, watch);
        QFETCH(bool, adjust);
        EgValue value;
        value.parseAddress(spec, 2);
        QCOMPARE(value.size, size);
        QCOMPARE(value.min, min);
        QCOMPARE(value.defaultValue, defaultValue);
        QCOMPARE(value.watch, watch);
        QCOMPARE(value.adjust, adjust);
    }

    void texts_data()
    {
        QTest::addColumn<bool>("adjust");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fixed") << false << 0 << 64 << "--";
        QTest::newRow("missing") << true << 0 << -1 << "??";
        QTest::newRow("plain") << true << 0 << 64 << "64";
        QTest::newRow("signed zero") << true << -128 << 128 << "0";
        QTest::newRow("signed top") << true << -128 << 255 << "+127";
        QTest::newRow("signed +64") << true << -128 << 192 << "+64";
        QTest::newRow("signed -64") << true << -128 << 64 << "-64";
        QTest::newRow("signed bottom") << true << -128 << 0 << "-128";
    }
    void texts()
    {
        QFETCH(bool, adjust);
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(QString, text);
        EgValue v;
        v.adjust = adjust;
        v.offset = offset;
        v.max = 255;
        v.value = value;
        QCOMPARE(v.toString(), text);
    }

    void valuesAndNames()
    {
        EgValue v;
        v.max = 255;
        v.setValue(300);
        QCOMPARE(v.value, 255);
        v.setValue(-1);
        QCOMPARE(v.value, 0);
        v.defaultValue = 400;
        v.setDefault();
        QCOMPARE(v.value, 400);

        EgNode node;
        node.fromString(QStringLiteral("Decay;;address=41xx25"), 2);
        QVERIFY(node.hasName());
        QCOMPARE(node.shortName, QString());

        const EgNodeList empty = nodesOf("");
        QCOMPARE(empty.size(), 1);
        QCOMPARE(empty.countNodes(), 0);
        QCOMPARE(nodesOf("a;A|").size(), 2);
    }

    // Forward pass: a copy from the node before sees its new value, one from
    // the node after its old one; a copy of a missing value gives min.
    void fixValues()
    {
        EgNodeList nodes =
            nodesOf(" ; ; ;watch=1|A;A;address=10 min=5;address=11|B;B; ;watch=-1| ; ; ;watch=-1");
        QVERIFY(!nodes.allValid());
        nodes.fixValues();
        QCOMPARE(nodes[0].level.value, 0); // node 1's level was missing
        QCOMPARE(nodes[1].time.value, -1); // adjustable: never defaulted
        nodes[1].level.value = 90;
        nodes[1].time.value = 7;
        nodes.fixValues();
        QCOMPARE(nodes[0].level.value, 90);
        QCOMPARE(nodes[2].level.value, 90);
        QCOMPARE(nodes[3].level.value, 90);
        QVERIFY(nodes.allValid());
    }

    void drawableRanges_data()
    {
        QTest::addColumn<QString>("nodes");
        QTest::addColumn<bool>("drawable");
        QTest::newRow("shipped") << QString::fromLatin1(Amplitude) << true;
        QTest::newRow("time max 0") << "A;A;address=10 max=0;address=11" << false;
        QTest::newRow("later time max 0") << "A;A;address=10;address=11|B;B;max=0" << false;
        QTest::newRow("level of one step") << " ; ; ;min=4 max=5" << false;
        QTest::newRow("level of two steps") << " ; ; ;min=4 max=6" << true;
    }
    void drawableRanges()
    {
        QFETCH(QString, nodes);
        QFETCH(bool, drawable);
        EgNodeList list;
        list.fromString(nodes, 0);
        QCOMPARE(list.isDrawable(), drawable);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestEgNodes)
#include "tst_egnodes.moc"
