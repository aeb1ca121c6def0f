// The descriptor records of panel elements: their defaults and how they copy.
#include "CommonInfo.h"
#include "DeviceTable.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

namespace {

// Every text field of the common part, by name.
QList<QString CommonInfo::*> commonTexts()
{
    return {&CommonInfo::value,     &CommonInfo::section, &CommonInfo::subsection, &CommonInfo::flag,
            &CommonInfo::condition, &CommonInfo::key,     &CommonInfo::enable,     &CommonInfo::enable_values,
            &CommonInfo::title,     &CommonInfo::tip};
}

void verifyDefaultParam(const ParamInfo& p)
{
    QCOMPARE(p.size, 1);
    QVERIFY(!p.nibbles);
    QVERIFY(!p.hasAddress());
    QCOMPARE(p.controller(), -1);
    QCOMPARE(p.channel(), -1);
    QVERIFY(!p.note && !p.velocity);
    QVERIFY(p.cat_sep.isEmpty() && p.metric.isEmpty());
    QCOMPARE(p.min, 0);
    QCOMPARE(p.max, -1);
    QCOMPARE(p.defaultVal, -1);
    QCOMPARE(p.offset, 0);
    QCOMPARE(p.divide, 1);
    QCOMPARE(p.multi, 1);
    QCOMPARE(p.numbers, 0);
    QCOMPARE(p.bit, -1);
    QCOMPARE(p.bits, 0);
    QVERIFY(!p.items);
    QCOMPARE(p.wholeData, 0);
}

} // namespace

class TestDescriptors : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        const CommonInfo c;
        QCOMPARE(c.iterator, -1);
        QCOMPARE(c.address_offset, 0);
        QCOMPARE(c.colwidth, 90);
        QVERIFY(!c.toolwindow && !c.modal && !c.frameless);
        QCOMPARE(c.tab, -1);
        QCOMPARE(c.width, 0);
        QCOMPARE(c.height, 0);
        QCOMPARE(c.x, 0);
        QCOMPARE(c.y, 0);
        QCOMPARE(c.cols, 1);
        QVERIFY(!c.wrap && !c.no_request && !c.no_title && !c.hidden && !c.bold);
        QCOMPARE(c.request, 0);
        QCOMPARE(c.group, 0);
        QCOMPARE(c.cc, 0);
        for (QString CommonInfo::*text : commonTexts())
            QVERIFY((c.*text).isEmpty());

        QVERIFY(!LabelInfo().header);

        const EditInfo edit;
        verifyDefaultParam(edit.param);
        QVERIFY(!edit.combo && !edit.tempo && !edit.piano && edit.image.isEmpty());

        const RangeInfo range;
        verifyDefaultParam(range.low);
        verifyDefaultParam(range.high);
        QCOMPARE(range.space, 0);
        QVERIFY(!range.piano && !range.classic && !range.no_reverse);

        const CheckInfo check;
        verifyDefaultParam(check.param);
        QVERIFY(!check.use && !check.solo && !check.mute);
        QCOMPARE(check.part, -1);

        const PatchEditInfo patch;
        verifyDefaultParam(patch.param);
        QVERIFY(!patch.no_names && !patch.numbers && !patch.no_banks && !patch.reverse &&
                !patch.change_on_byte);
        QVERIFY(patch.banks.isEmpty());

        const StringInfo string;
        verifyDefaultParam(string.param);
        QCOMPARE(string.chars, 10);
        QVERIFY(!string.bulk);

        QVERIFY(ButtonInfo().sysex.isEmpty());
        const EgInfo eg;
        QVERIFY(!eg.small && eg.nodes.isEmpty());
    }

    // The reader copies the common part into each element record: every
    // field is replaced, the record's own part is left alone.
    void commonPartCopies()
    {
        CommonInfo common;
        for (QString CommonInfo::*text : commonTexts())
            common.*text = QStringLiteral("from panel");
        common.iterator = 3;
        common.tab = 1;
        common.request = 2;
        common.bold = true;
        common.frameless = true;

        EditInfo edit;
        for (QString CommonInfo::*text : commonTexts())
            edit.*text = QStringLiteral("old");
        edit.cols = 4;
        edit.image = QStringLiteral(":/strip.png");
        edit.param.offset = -64;
        static_cast<CommonInfo&>(edit) = common;

        for (QString CommonInfo::*text : commonTexts())
            QCOMPARE(edit.*text, QStringLiteral("from panel"));
        QCOMPARE(edit.iterator, 3);
        QCOMPARE(edit.tab, 1);
        QCOMPARE(edit.request, 2);
        QCOMPARE(edit.cols, 1);
        QVERIFY(edit.bold && edit.frameless);
        QCOMPARE(edit.image, QStringLiteral(":/strip.png"));
        QCOMPARE(edit.param.offset, -64);
    }

    // Copies share the device's table but keep their own received data.
    void paramCopies()
    {
        TestDevice device;
        EditInfo a;
        a.param.loadItems(&device, QStringLiteral("NOTENAME"), 0, -1);
        EditInfo b = a;
        QCOMPARE(b.param.items, a.param.items);
        a.param.setWholeData(0x35);
        QCOMPARE(b.param.wholeData, 0);

        a.param.setValueText(60, QStringLiteral("Middle C"));
        QCOMPARE(b.param.displayValue(60), QStringLiteral("Middle C"));
    }

    // One parameter read for a range, copied into both ends; the ends differ
    // only in address.
    void rangeEnds()
    {
        TestDevice device;
        ParamInfo read;
        read.note = true;
        read.loadItems(&device, QStringLiteral("NOTENAME"), 0, -1);

        RangeInfo range;
        range.low = read;
        range.high = read;
        range.low.addressText = QStringLiteral("37xx07");
        range.low.parseAddress(&device, 2, 0xFFFFFFFF, -1);
        range.high.addressText = QStringLiteral("37xx08");
        range.high.parseAddress(&device, 2, 0xFFFFFFFF, -1);

        QCOMPARE(range.low.address(), 0x370207u);
        QCOMPARE(range.high.address(), 0x370208u);
        QCOMPARE(range.low.min, range.high.min);
        QCOMPARE(range.low.max, 127);
        QCOMPARE(range.high.max, 127);
        QVERIFY(range.low.items && range.low.items == range.high.items);
        QVERIFY(range.low.note && range.high.note);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestDescriptors)
#include "tst_descriptors.moc"
