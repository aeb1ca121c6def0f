// The range, patch and envelope elements of the panel data build their own
// controls, with the iterator of the section in their addresses, and a
// range's values join the panel's snapshot high end first.
#include "LayoutRig.h"
#include "MidiEgCtrl.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "Panel.h"
#include "TestEnvironment.h"

class TestRangeKinds : public QObject
{
    Q_OBJECT

private slots:
    void builtFromPanelData()
    {
        LayoutRig rig;
        rig.device.ini()->loadText(QStringLiteral("[SET]\nRidev=1\n0=63,00,PRE1\n"));
        QVERIFY(rig.load(R"(<section><section name="S">
            <range title="Keys" low="31xx07" high="31xx08" no_title="1" no_reverse="1"/>
            <patch title="Voice" address="31xx10" banks="SET" no_title="1"/>
            <eg title="AEG" nodes="A;A;address=41xx24;address=41xx29" no_title="1"/>
            </section></section>)"));
        Panel panel(&rig.client);
        panel.init(&rig.window, QPoint(), true);
        panel.loadSection(QStringLiteral("S"), 2);
        QCOMPARE(panel.itemCount(), 3);

        auto* range = dynamic_cast<MidiRange*>(panel.itemAt(0));
        QVERIFY(range);
        QCOMPARE(range->param(true)->address(), 0x310207u);
        QVERIFY(range->info.no_reverse);
        range->setHighValue(70);
        range->setLowValue(20);
        QCOMPARE(panel.getValues(), (QList<int>{70, 20}));

        auto* patch = dynamic_cast<MidiPatchEdit*>(panel.itemAt(1));
        QVERIFY(patch);
        QCOMPARE(patch->programParam().address(), 0x310212u);
        QCOMPARE(patch->bankSet().size(), 1);
        QCOMPARE(patch->device(), &rig.device);

        auto* eg = dynamic_cast<MidiEgCtrl*>(panel.itemAt(2));
        QVERIFY(eg);
        QCOMPARE(eg->nodes().first().level.address(), 0x410229u);
    }
};

ORVANE_TEST_MAIN(TestRangeKinds)
#include "tst_rangekinds.moc"
