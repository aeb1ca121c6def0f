// Reading one element of a panel layout into its descriptor records: the
// common attributes, the parameter attributes with their address, bit field
// and range rules, and each control element's own attributes.
#include "DeviceTable.h"
#include "LayoutRig.h"
#include "PanelXml.h"
#include "TestEnvironment.h"
#include "XmlDocument.h"

namespace {

// One element parsed from its text; the document keeps it alive.
class OneElement
{
public:
    explicit OneElement(const QString& xml)
    {
        QVERIFY2(m_doc.loadData(xml.toUtf8()), qPrintable(m_doc.errorString()));
    }
    const XmlElement& operator*() const { return *m_doc.root()->child(0); }

private:
    XmlDocument m_doc;
};

} // namespace

class TestPanelAttributes : public QObject
{
    Q_OBJECT

private slots:
    void conditions_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<bool>("passes");
        QTest::newRow("named") << "insfx"
                               << "insfx" << true;
        QTest::newRow("not named") << "insfx"
                                   << "" << false;
        QTest::newRow("none") << ""
                              << "" << true;
        QTest::newRow("inside a longer word") << "fx"
                                              << "x-insfx-y" << true;
        QTest::newRow("other case") << "INSFX"
                                    << "insfx" << false;
    }
    void conditions()
    {
        QFETCH(QString, condition);
        QFETCH(QString, conditions);
        QFETCH(bool, passes);
        const OneElement e(QStringLiteral("<edit condition=\"%1\"/>").arg(condition));
        QCOMPARE(PassesCondition(*e, conditions), passes);
    }

    void commonRecord()
    {
        const OneElement e(QStringLiteral(
            R"(<edit condition="insfx" key="F8" width="110" height="0x15" flag="insfx" address_offset="-2"
                     section="Effects Parameters" subsection="hex" colwidth="114" toolwindow="1" no_request="1"
                     no_title="1" cc="74" request="3" group="-1" x="0x28" y="-64" hidden="1" bold="2"
                     enable="Mode" enable_values="0|2" title="&amp;Number" tip="Tip"/>)"));
        const CommonInfo c = ReadCommonInfo(*e, 7, 2);
        QCOMPARE(c.condition, QStringLiteral("insfx"));
        QCOMPARE(c.key, QStringLiteral("F8"));
        QCOMPARE(c.tab, 2);
        QCOMPARE(c.iterator, 7);
        QCOMPARE(c.width, 110);
        QCOMPARE(c.height, 21);
        QCOMPARE(c.flag, QStringLiteral("insfx"));
        QCOMPARE(c.address_offset, -2);
        QCOMPARE(c.section, QStringLiteral("Effects Parameters"));
        QCOMPARE(c.subsection, QStringLiteral("hex"));
        QCOMPARE(c.colwidth, 114);
        QVERIFY(c.toolwindow && c.no_request && c.no_title && c.hidden && c.bold);
        QCOMPARE(c.cc, 74);
        QCOMPARE(c.request, 3);
        QCOMPARE(c.group, -1);
        QCOMPARE(c.x, 40);
        QCOMPARE(c.y, -64);
        QCOMPARE(c.cols, 0);
        QVERIFY(!c.wrap);
        QCOMPARE(c.enable, QStringLiteral("Mode"));
        QCOMPARE(c.enable_values, QStringLiteral("0|2"));
        QCOMPARE(c.title, QStringLiteral("&Number"));
        QCOMPARE(c.tip, QStringLiteral("Tip"));
        QVERIFY(!c.modal && !c.frameless && c.value.isEmpty());
    }

    // Attributes whose value depends on others or on their absence.
    void commonRules()
    {
        auto read = [](const char* xml) {
            return ReadCommonInfo(*OneElement(QString::fromLatin1(xml)), -1, -1);
        };
        QCOMPARE(read("<edit/>").colwidth, 90);
        QCOMPARE(read("<edit colwidth=\"0\"/>").colwidth, 90);

        QVERIFY(read("<edit cols=\"1\"/>").wrap);
        QVERIFY(read("<edit cols=\"2\" wrap=\"0\"/>").wrap);
        QVERIFY(read("<edit wrap=\"1\"/>").wrap);
        const CommonInfo plain = read("<edit/>");
        QVERIFY(!plain.wrap);
        QCOMPARE(plain.cols, 0);

        QCOMPARE(read("<edit enable=\"Mode\"/>").enable_values, QStringLiteral("1"));
        const CommonInfo valuesOnly = read("<edit enable_values=\"0|1\"/>");
        QVERIFY(valuesOnly.enable.isEmpty());
        QCOMPARE(valuesOnly.enable_values, QStringLiteral("0|1"));
        QVERIFY(plain.enable_values.isEmpty());
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("tableSize"); // -1: no table
        QTest::newRow("one byte") << "" << 1 << 0 << 127 << -1;
        QTest::newRow("two bytes") << "size=\"2\"" << 2 << 0 << 16383 << -1;
        QTest::newRow("two nibbles") << "size=\"2\" nibbles=\"1\"" << 2 << 0 << 255 << -1;
        QTest::newRow("size 0") << "size=\"0\"" << 1 << 0 << 127 << -1;
        QTest::newRow("hex bounds") << "min=\"0x28\" max=\"0x58\"" << 1 << 40 << 88 << -1;
        QTest::newRow("max 0") << "max=\"0\"" << 1 << 0 << 0 << -1;
        QTest::newRow("max -1") << "max=\"-1\"" << 1 << 0 << 127 << -1;
        QTest::newRow("inline list") << "items=\"mono|stereo\"" << 1 << 0 << 1 << 2;
        QTest::newRow("device table") << "items=\"NOTENAME\"" << 1 << 0 << 127 << 128;
        QTest::newRow("missing table") << "items=\"NO_SUCH_TABLE\"" << 1 << 0 << -1 << 0;
        QTest::newRow("max past the table") << "items=\"a|b|c\" max=\"9\"" << 1 << 0 << 9 << 3;
    }
    void ranges()
    {
        QFETCH(QString, attributes);
        QFETCH(int, size);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, tableSize);
        LayoutDevice device;
        const ParamInfo p =
            ReadParamInfo(*OneElement(QStringLiteral("<edit %1/>").arg(attributes)), &device, -1, 0xFFFFFFFF);
        QCOMPARE(p.size, size);
        QCOMPARE(p.min, min);
        QCOMPARE(p.max, max);
        QCOMPARE(p.items ? int(p.items->size()) : -1, tableSize);
    }

    // A max beyond the items table is kept as written, but no value up to it
    // sends data the table does not name.
    void maxPastTheTableSendsTableData()
    {
        LayoutDevice device;
        const ParamInfo p = ReadParamInfo(*OneElement(QStringLiteral(R"(<edit items="a|b|c" max="9"/>)")),
                                          &device, -1, 0xFFFFFFFF);
        QCOMPARE(p.valueToData(9), 2);
        QCOMPARE(p.valueToData(1), 1);
    }

    void bitFields_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("iterator");
        QTest::addColumn<int>("bit");
        QTest::addColumn<int>("bits");
        QTest::newRow("none") << "" << 0 << -1 << 0;
        QTest::newRow("bit alone") << "bit=\"0\"" << 0 << 0 << 1;
        QTest::newRow("bit and width") << "bit=\"0\" bits=\"4\"" << 0 << 0 << 4;
        QTest::newRow("hexadecimal bit") << "bit=\"13\"" << 0 << 19 << 1;
        QTest::newRow("iterator bit") << "bit=\"xx\"" << 3 << 3 << 1;
        QTest::newRow("plug-in part bit") << "bit=\"1x\"" << 2 << 18 << 1;
        // A width without a bit would shift by -1: no bit field at all.
        QTest::newRow("width without bit") << "bits=\"4\"" << 0 << -1 << 0;
    }
    void bitFields()
    {
        QFETCH(QString, attributes);
        QFETCH(int, iterator);
        QFETCH(int, bit);
        QFETCH(int, bits);
        const ParamInfo p = ReadParamInfo(*OneElement(QStringLiteral("<check %1/>").arg(attributes)), nullptr,
                                          iterator, 0xFFFFFFFF);
        QCOMPARE(p.bit, bit);
        QCOMPARE(p.bits, bits);
        if (bit == -1)
            QCOMPARE(p.dataToValue(0x5A), 0x5A);
    }

    void addresses_data()
    {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("iterator");
        QTest::addColumn<uint>("base");
        QTest::addColumn<uint>("address");
        QTest::addColumn<int>("deviceCalls");
        QTest::newRow("iterator") << "address=\"41xx20\"" << 3 << 0xFFFFFFFFu << 0x410320u << 0;
        QTest::newRow("iterator 10") << "address=\"37xx0D\"" << 10 << 0xFFFFFFFFu << 0x370A0Du << 0;
        QTest::newRow("index") << "index=\"12\"" << -1 << 0x300100u << 0x300118u << 1;
        QTest::newRow("no index") << "" << -1 << 0x300100u << 0x300100u << 1;
        QTest::newRow("address over index")
            << "address=\"31xx1F\" index=\"3\"" << 0 << 0x300100u << 0x31001Fu << 0;
        QTest::newRow("index without base") << "index=\"12\"" << -1 << 0xFFFFFFFFu << 0xFFFFFFFFu << 0;
    }
    void addresses()
    {
        QFETCH(QString, attributes);
        QFETCH(int, iterator);
        QFETCH(uint, base);
        QFETCH(uint, address);
        QFETCH(int, deviceCalls);
        LayoutDevice device;
        const ParamInfo p =
            ReadParamInfo(*OneElement(QStringLiteral("<edit %1/>").arg(attributes)), &device, iterator, base);
        QCOMPARE(p.address(), address);
        QCOMPARE(device.indexedAddressCalls, deviceCalls);
    }

    // The worked example of a part's pan, and the controller binding.
    void panAndController()
    {
        LayoutDevice device;
        const ParamInfo p = ReadParamInfo(
            *OneElement(QStringLiteral(
                R"(<edit title="Pan" address="31xx0E" min="1" items="PAN" offset="-64" width="46"/>)")),
            &device, 2, 0xFFFFFFFF);
        QCOMPARE(p.address(), 0x31020Eu);
        QCOMPARE(p.size, 1);
        QVERIFY(!p.hasChannel());
        QCOMPARE(p.controller(), -1);
        QCOMPARE(p.min, 1);
        QCOMPARE(p.max, 127);
        QCOMPARE(p.defaultVal, -1);
        QCOMPARE(p.defaultValue(), 64);
        QCOMPARE(p.items->at(p.defaultValue()).text, QStringLiteral("C"));
        QCOMPARE(p.offset, -64);
        QCOMPARE(p.multi, 0);
        QCOMPARE(p.divide, 0);

        const ParamInfo noDefault = ReadParamInfo(
            *OneElement(QStringLiteral(R"(<edit default="-1" max="10"/>)")), &device, -1, 0xFFFFFFFF);
        QCOMPARE(noDefault.defaultValue(), 5);

        const ParamInfo cc =
            ReadParamInfo(*OneElement(QStringLiteral(R"(<edit controller="7" cat_sep=":" metric="Hz"/>)")),
                          &device, -1, 0xFFFFFFFF);
        QCOMPARE(cc.controller(), 7);
        QVERIFY(!cc.hasChannel());
        QCOMPARE(cc.cat_sep, QStringLiteral(":"));
        QCOMPARE(cc.metric, QStringLiteral("Hz"));
        const ParamInfo channel = ReadParamInfo(
            *OneElement(QStringLiteral(R"(<edit controller="7" channel="xx" note="1" velocity="1"/>)")),
            &device, 5, 0xFFFFFFFF);
        QCOMPARE(channel.channel(), 5);
        QVERIFY(channel.note && channel.velocity);
    }

    // Without a device there is neither table nor range.
    void withoutDevice()
    {
        const ParamInfo p =
            ReadParamInfo(*OneElement(QStringLiteral(R"(<edit items="PAN" min="1" max="9" index="3"/>)")),
                          nullptr, -1, 0x300100);
        QVERIFY(!p.items);
        QCOMPARE(p.min, 0);
        QCOMPARE(p.max, -1);
        QVERIFY(!p.hasAddress());
    }

    void controlElements()
    {
        LayoutDevice device;
        const OneElement tempo(
            QStringLiteral(R"(<edit title="Tempo" tempo="1" tip="Own" piano="1" image=":/i.png"/>)"));
        const CommonInfo common = ReadCommonInfo(*tempo, -1, -1);
        const EditInfo edit = ReadEditInfo(*tempo, common, ParamInfo());
        QCOMPARE(edit.tip, QStringLiteral("Tap Tempo (Space)"));
        QVERIFY(!edit.combo && edit.tempo && edit.piano);
        QCOMPARE(edit.image, QStringLiteral(":/i.png"));
        // The caption is built before the tip is replaced.
        QCOMPARE(ReadCaptionInfo(*tempo, common, 19).tip, QStringLiteral("Own"));
        QVERIFY(ReadEditInfo(*OneElement(QStringLiteral("<combo/>")), common, ParamInfo()).combo);

        const OneElement both(QStringLiteral(R"(<check solo="1" mute="1" part="1x" use="1"/>)"));
        const CheckInfo solo = ReadCheckInfo(*both, ReadCommonInfo(*both, 2, -1), ParamInfo(), 2);
        QVERIFY(solo.solo && !solo.mute && solo.use);
        QCOMPARE(solo.part, 0x12);
        const OneElement mute(QStringLiteral(R"(<check mute="1"/>)"));
        const CheckInfo muteBox = ReadCheckInfo(*mute, ReadCommonInfo(*mute, 0, -1), ParamInfo(), 0);
        QVERIFY(muteBox.mute);
        QCOMPARE(muteBox.part, -1);

        const OneElement range(QStringLiteral(
            R"(<range low="31xx07" high="31xx08" address="300000" index="4" items="NOTENAME" space="23"
                      piano="1" classic="1" no_reverse="1"/>)"));
        const ParamInfo param = ReadParamInfo(*range, &device, 1, 0x400100);
        const RangeInfo r = ReadRangeInfo(*range, ReadCommonInfo(*range, 1, -1), param, &device, 1);
        QCOMPARE(r.low.address(), 0x310107u);
        QCOMPARE(r.high.address(), 0x310108u);
        QCOMPARE(r.low.items, param.items);
        QCOMPARE(r.high.max, 127);
        QCOMPARE(r.space, 23);
        QVERIFY(r.piano && r.classic && r.no_reverse);
        const OneElement open(QStringLiteral("<range high=\"10\"/>"));
        QVERIFY(!ReadRangeInfo(*open, CommonInfo(), ParamInfo(), &device, 0).low.hasAddress());

        const OneElement string(QStringLiteral("<string bulk=\"1\"/>"));
        const StringInfo s = ReadStringInfo(*string, CommonInfo(), ParamInfo());
        QCOMPARE(s.chars, 0);
        QVERIFY(s.bulk);

        const OneElement patch(QStringLiteral(
            R"(<patch banks="VOICES" no_names="1" numbers="1" no_banks="1" reverse="1" change_on_byte="1"/>)"));
        const PatchEditInfo pe =
            ReadPatchEditInfo(*patch, CommonInfo(), ReadParamInfo(*patch, &device, -1, 0));
        QCOMPARE(pe.banks, QStringLiteral("VOICES"));
        QVERIFY(pe.no_names && pe.numbers && pe.no_banks && pe.reverse && pe.change_on_byte);
        QCOMPARE(pe.param.numbers, 1);

        const OneElement button(QStringLiteral(R"(<button sysex="F0 43 10 F7"/>)"));
        QCOMPARE(ReadButtonInfo(*button, CommonInfo()).sysex, QStringLiteral("F0 43 10 F7"));
        const OneElement eg(QStringLiteral(R"(<eg nodes="a;b" small="1"/>)"));
        QCOMPARE(ReadEgInfo(*eg, CommonInfo()).nodes, QStringLiteral("a;b"));
        QVERIFY(ReadEgInfo(*eg, CommonInfo()).small);
    }

    void labels()
    {
        const OneElement header(QStringLiteral(R"(<header title="Amp"/>)"));
        const LabelInfo h = ReadLabelInfo(*header, ReadCommonInfo(*header, -1, -1));
        QVERIFY(h.header && h.bold);
        const OneElement label(QStringLiteral(R"(<label title="Type" bold="1"/>)"));
        const LabelInfo l = ReadLabelInfo(*label, ReadCommonInfo(*label, -1, -1));
        QVERIFY(!l.header && l.bold);

        // A titled control's caption is bold by "header", never by "bold".
        const OneElement boldOnly(QStringLiteral(R"(<edit title="A" bold="1" width="46" key="F6"/>)"));
        const LabelInfo plainCaption = ReadCaptionInfo(*boldOnly, ReadCommonInfo(*boldOnly, -1, -1), 23);
        QVERIFY(!plainCaption.bold && !plainCaption.header);
        QCOMPARE(plainCaption.height, 23);
        QCOMPARE(plainCaption.width, 46);
        QCOMPARE(plainCaption.key, QStringLiteral("F6"));
        const OneElement headed(QStringLiteral(R"(<edit title="A" header="1"/>)"));
        QVERIFY(ReadCaptionInfo(*headed, ReadCommonInfo(*headed, -1, -1), 19).bold);

        const CommonInfo gap =
            ReadCommonInfo(*OneElement(QStringLiteral(R"(<br height="7" hidden="1"/>)")), -1, 1);
        const LabelInfo g = LineGapInfo(gap);
        QCOMPARE(g.width, 1);
        QCOMPARE(g.height, 7);
        QCOMPARE(g.tab, 1);
        QVERIFY(g.hidden);
        QCOMPARE(SeparatorInfo(gap).title, QStringLiteral(" "));
        const LabelInfo filler = FillerInfo();
        QCOMPARE(filler.width, 1);
        QCOMPARE(filler.tab, -1);
        QCOMPARE(filler.cols, 1);
        QVERIFY(filler.title.isEmpty() && !filler.wrap);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestPanelAttributes)
#include "tst_panelattributes.moc"
