// A loaded panel on the wire: incoming messages reach exactly the controls
// that hold their addresses (and the instrument's sub-block windows), short
// messages reach every control, requests go out by group and only while
// connected, a new iterator re-points every kind of control, items tables
// change by address, and the panel reports only the user's changes.
#include "BusPanelRig.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiEgCtrl.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "MidiString.h"
#include "Panel.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskSysex.h"

#include <memory>

namespace {

// A message of the test instrument that counts the parameter look-ups made
// in it: the controls a message is handed to each look up their own.
class CountingSysex : public TestSysex
{
public:
    int getParameterData(const MidiParam& param) override
    {
        ++calls;
        return TestSysex::getParameterData(param);
    }
    int calls = 0;
};

std::unique_ptr<CountingSysex> counting(const QByteArray& bytes)
{
    auto message = std::make_unique<CountingSysex>();
    message->fromString(QString::fromLatin1(bytes.toHex()));
    return message;
}

QByteArray change(unsigned int address, int value, int size = 1)
{
    return TestInstrument::parameterChange(address, value, size);
}

QByteArray block(unsigned int address, const QByteArray& data)
{
    return QByteArray::fromHex(TestSysex::bulkDumpText(address, data).toLatin1());
}

// One control of every kind in block 30 00, sixteen bytes per instance (the
// iterator is the high digit of the low byte), an edit of block 31 00, and
// controls that read nothing.
const char* const EveryKind = R"(
    <string title="Name" address="3000x0" chars="4"/>
    <edit title="A" address="3000x4"/>
    <edit title="B" address="3000x5" request="2" group="2"/>
    <check title="Bit0" address="3000x6" bit="0" max="1"/>
    <check title="Bit1" address="3000x6" bit="1" max="1"/>
    <range title="Keys" low="3000x7" high="3000x8"/>
    <patch title="Voice" address="3000x9" banks="VOICES"/>
    <eg title="Env" nodes="A;A;address=3000xC max=99;address=3000xD max=99|R;R;;default=5"/>
    <edit title="Far" address="3100x0" group="2"/>
    <edit title="Quiet" address="3000xE" group="2" no_request="1"/>
    <label title="L"/>
    <button title="Go" sysex="F0 43 10 7F 00 00 00 00 00 F7"/>)";

class Wire
{
public:
    explicit Wire(const char* body = EveryKind, int iterator = 0, unsigned int base = 0xFFFFFFFF)
    {
        const QString xml = QStringLiteral(R"(<section title="T"><section name="W" title="Pxx">%1</section>
            <section name="V"><edit title="Other" address="300004"/></section></section>)")
                                .arg(QLatin1String(body));
        QVERIFY(rig.device.xml()->loadData(xml.toUtf8()));
        panel().init(&rig.window, QPoint(), true);
        panel().setBaseAddress(base);
        panel().loadSection(QStringLiteral("W"), iterator);
        rig.device.setConnected(true);
        rig.clearSent();
    }

    Panel& panel() { return *rig.panel; }
    template <class Ctrl = MidiCtrl>
    Ctrl* get(const QString& title)
    {
        return dynamic_cast<Ctrl*>(panel().getItem(title, -1, 0));
    }
    int edit(const QString& title) { return get<MidiEdit>(title)->value(); }
    // Hands bytes to the client as the instrument's; the look-ups made.
    int deliver(const QByteArray& bytes, MidiSource source = SourceDev)
    {
        auto message = counting(bytes);
        rig.client.OnSysex(message.get(), source);
        return message->calls;
    }

    BusPanelRig rig;
};

} // namespace

class TestPanelRouting : public QObject
{
    Q_OBJECT

private slots:
    // A parameter change costs the controls at its address and nothing else;
    // one address read by two bit-field boxes reaches both.
    void changeReachesItsAddressOnly()
    {
        Wire w;
        QCOMPARE(w.deliver(change(0x300004, 17)), 1);
        QCOMPARE(w.edit(QStringLiteral("A")), 17);
        QCOMPARE(w.edit(QStringLiteral("B")), -1);

        QCOMPARE(w.deliver(change(0x300006, 0x02)), 2);
        QCOMPARE(w.get<MidiCheckBox>(QStringLiteral("Bit0"))->value(), 0);
        QCOMPARE(w.get<MidiCheckBox>(QStringLiteral("Bit1"))->value(), 1);

        // No control of the panel holds it: nothing is asked, nothing shown.
        const QList<int> before = w.panel().getValues();
        QCOMPARE(w.deliver(change(0x3F0000, 5)), 0);
        QCOMPARE(w.deliver(change(0x30000F, 5)), 0); // past the block's last control
        QCOMPARE(w.panel().getValues(), before);

        // The program's own echoes never reach the panels.
        QCOMPARE(w.deliver(change(0x300004, 99), SourceGUI), 0);
        QCOMPARE(w.edit(QStringLiteral("A")), 17);

        // A cleared panel has left its client.
        w.panel().clear();
        QCOMPARE(w.deliver(change(0x300004, 3)), 0);
    }

    // A block reaches every control whose parameters lie in its data, each
    // once: a name its characters, a patch selector its three bytes, a range
    // both ends, an envelope its node values.
    void blockReachesEveryKind()
    {
        Wire w;
        QByteArray data(16, '\0');
        data.replace(0, 4, "Abcd");
        const char values[] = {10, 11, 0x03, 20, 30, 0x3F, 0x08, 5, 44, 55};
        data.replace(4, int(sizeof(values)), QByteArray(values, int(sizeof(values))));
        w.deliver(block(0x300000, data));
        QCOMPARE(w.get<MidiString>(QStringLiteral("Name"))->text(), QStringLiteral("Abcd"));
        QCOMPARE(w.edit(QStringLiteral("A")), 10);
        QCOMPARE(w.edit(QStringLiteral("B")), 11);
        QCOMPARE(w.get<MidiCheckBox>(QStringLiteral("Bit0"))->value(), 1);
        QCOMPARE(w.get<MidiCheckBox>(QStringLiteral("Bit1"))->value(), 1);
        QCOMPARE(w.get<MidiRange>(QStringLiteral("Keys"))->value(true), 20);
        QCOMPARE(w.get<MidiRange>(QStringLiteral("Keys"))->value(false), 30);
        QCOMPARE(w.get<MidiPatchEdit>(QStringLiteral("Voice"))->patch().toUInt(),
                 Patch(0x3F, 0x08, 5).toUInt());
        QCOMPARE(w.get<MidiEgCtrl>(QStringLiteral("Env"))->nodes().at(0).time.value, 44);
        QCOMPARE(w.get<MidiEgCtrl>(QStringLiteral("Env"))->nodes().at(0).level.value, 55);
        QCOMPARE(w.edit(QStringLiteral("Far")), -1);

        // A block that starts inside a name reaches the name for the rest.
        w.deliver(block(0x300002, QByteArray("XY")));
        QCOMPARE(w.get<MidiString>(QStringLiteral("Name"))->text(), QStringLiteral("AbXY"));
    }

    // The instrument's sub-block windows: a block at a window's base holds
    // the window's parameters, the block of the page before it does not,
    // though its data would reach that far.
    void instrumentWindows()
    {
        QWidget window;
        Vesk device;
        MidiClient client(QStringLiteral("Vesk Editor"), &device, &window);
        QVERIFY(device.xml()->loadData(R"(<section title="T"><section name="E">
            <edit title="Low" address="410010"/><edit title="High" address="410030"/></section></section>)"));
        Panel panel(&client);
        panel.init(&window, QPoint(), true);
        panel.loadSection(QStringLiteral("E"), -1);
        auto* low = dynamic_cast<MidiEdit*>(panel.getItem(QStringLiteral("Low"), -1, 0));
        auto* high = dynamic_cast<MidiEdit*>(panel.getItem(QStringLiteral("High"), -1, 0));

        const auto deliver = [&](unsigned int address, int size, char value) {
            VeskSysex message;
            message.prepareBulkDump(address, QString::fromLatin1(QByteArray(size, value).toHex(' ')));
            client.OnSysex(&message, SourceDev);
        };
        deliver(0x410000, 0x40, 0x11);
        QCOMPARE(low->value(), 0x11);
        QCOMPARE(high->value(), -1);
        deliver(0x410020, 0x1E, 0x22);
        QCOMPARE(low->value(), 0x11);
        QCOMPARE(high->value(), 0x22);
    }

    // Short messages reach every control: a controller-bound edit follows its
    // controller, a channel-bound patch selector bank select and program.
    void shortMessagesReachEveryControl()
    {
        Wire w(R"(<label title="L"/><edit title="Vol" controller="7" channel="x" no_title="1"/>
                  <patch title="Prg" channel="x" banks="VOICES"/>)",
               2);
        w.rig.client.OnMidiMessage(MidiMessage(0xB2, 7, 90), SourceDev);
        w.rig.client.OnMidiMessage(MidiMessage(0xB2, 0, 0x3F), SourceAux);
        w.rig.client.OnMidiMessage(MidiMessage(0xB2, 32, 0x08), SourceGUI);
        w.rig.client.OnMidiMessage(MidiMessage(0xC2, 9, 0), SourceDev);
        QCOMPARE(w.edit(QStringLiteral("Vol")), 90);
        QCOMPARE(w.get<MidiPatchEdit>(QStringLiteral("Prg"))->patch().toUInt(),
                 Patch(0x3F, 0x08, 9).toUInt());
    }

    void requests()
    {
        Wire w;
        const QStringList groupTwo = {BusPanelRig::request(0x300005), BusPanelRig::request(0x310000)};

        w.panel().requestGroup(0);
        QVERIFY(w.rig.sent().isEmpty());
        w.panel().requestGroup(2);
        QCOMPARE(w.rig.sent(), groupTwo);
        w.rig.clearSent();

        // Every control that asks for anything, in cell order.
        w.panel().MidiReceive();
        const QStringList sent = w.rig.sent();
        QCOMPARE(sent.size(), 4 + 1 + 1 + 2 + 2 + 3 + 2 + 1);
        QCOMPARE(sent.first(), BusPanelRig::request(0x300000));
        QCOMPARE(sent.last(), BusPanelRig::request(0x310000));
        QVERIFY(!sent.contains(BusPanelRig::request(0x30000E)));

        // Nothing while the instrument is not connected.
        w.rig.clearSent();
        w.rig.device.setConnected(false);
        w.panel().MidiReceive();
        w.panel().requestGroup(2);
        QVERIFY(w.rig.sent().isEmpty());
    }

    // A driving control that is also in its own group re-reads itself with
    // the group after the user's change; one without a request none.
    void groupAfterUserChange()
    {
        Wire w;
        w.get<MidiEdit>(QStringLiteral("B"))->changeValue(7);
        QCOMPARE(w.rig.sent(), (QStringList{BusPanelRig::change(0x300005, 7), BusPanelRig::request(0x300005),
                                            BusPanelRig::request(0x300005), BusPanelRig::request(0x310000)}));
        QCOMPARE(w.rig.panel->groupRequests, QList<int>{2});

        w.rig.clearSent();
        w.get<MidiEdit>(QStringLiteral("A"))->changeValue(7);
        QCOMPARE(w.rig.sent(),
                 (QStringList{BusPanelRig::change(0x300004, 7), BusPanelRig::request(0x300004)}));
    }

    // Only what the user changes is reported, before it is sent: a range's
    // high end as data 1; values from the instrument are not.
    void valueChangedOnlyForTheUser()
    {
        Wire w;
        struct Report
        {
            MidiCtrl* ctrl;
            int value;
            int data;
            qsizetype sentBefore;
        };
        QList<Report> reports;
        QObject::connect(&w.panel(), &Panel::valueChanged, [&](MidiCtrl* ctrl, int value, int data) {
            reports.append({ctrl, value, data, w.rig.sent().size()});
        });
        auto* edit = w.get<MidiEdit>(QStringLiteral("A"));
        auto* range = w.get<MidiRange>(QStringLiteral("Keys"));
        edit->changeValue(5);
        range->changeHighValue(60);
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[0].ctrl, static_cast<MidiCtrl*>(edit));
        QCOMPARE(reports[0].value, 5);
        QCOMPARE(reports[0].data, 0);
        QCOMPARE(reports[0].sentBefore, 0);
        QCOMPARE(reports[1].ctrl, static_cast<MidiCtrl*>(range));
        QCOMPARE(reports[1].value, 60);
        QCOMPARE(reports[1].data, 1);
        QCOMPARE(reports[1].sentBefore, 2); // the edit's change and request only

        w.deliver(change(0x300004, 9));
        w.deliver(change(0x300008, 9));
        QCOMPARE(w.edit(QStringLiteral("A")), 9);
        QCOMPARE(reports.size(), 2);
    }

    // A new iterator re-points the parameters of every kind of control and
    // the routing with them; a parameter given by its index under the base
    // address keeps its address. Nothing is sent.
    void newIterator()
    {
        Wire w(R"(<edit title="Ix" index="3"/><button title="Go" section="S"/>)", 1, 0x500000);
        const unsigned int indexed = w.rig.device.getIndexedAddress(0x500000, 3);
        QCOMPARE(w.get<MidiEdit>(QStringLiteral("Ix"))->editInfo().param.address(), indexed);
        w.panel().setIter(4);
        QCOMPARE(w.get<MidiEdit>(QStringLiteral("Ix"))->editInfo().param.address(), indexed);
        QCOMPARE(w.deliver(change(indexed, 1)), 1);
        QCOMPARE(w.panel().iterator(), 4);
        QCOMPARE(w.get(QStringLiteral("Go"))->gInfo()->iterator, 4);

        Wire e;
        e.panel().setIter(2);
        QVERIFY(e.rig.sent().isEmpty());
        for (int i = 0; i < e.panel().itemCount(); ++i)
            QCOMPARE(e.panel().itemAt(i)->gInfo()->iterator, 2);
        QCOMPARE(e.get<MidiString>(QStringLiteral("Name"))->stringInfo().param.address(), 0x300020u);
        QCOMPARE(e.get<MidiRange>(QStringLiteral("Keys"))->param(true)->address(), 0x300027u);
        QCOMPARE(e.get<MidiRange>(QStringLiteral("Keys"))->param(false)->address(), 0x300028u);
        QCOMPARE(e.get<MidiPatchEdit>(QStringLiteral("Voice"))->info.param.address(), 0x300029u);
        QCOMPARE(e.get<MidiEgCtrl>(QStringLiteral("Env"))->nodes().at(0).level.address(), 0x30002Du);
        QVERIFY(!e.get<MidiEgCtrl>(QStringLiteral("Env"))->nodes().at(1).level.hasAddress());

        // The old instance's messages no longer reach the panel; the new one's
        // reach every kind.
        QCOMPARE(e.deliver(change(0x300004, 1)), 0);
        QByteArray data(16, '\0');
        data.replace(0, 4, "Wxyz");
        data[9] = 0x3F;
        data[10] = 0x09;
        data[11] = 2;
        e.deliver(block(0x300020, data));
        QCOMPARE(e.get<MidiString>(QStringLiteral("Name"))->text(), QStringLiteral("Wxyz"));
        QCOMPARE(e.get<MidiPatchEdit>(QStringLiteral("Voice"))->patch().toUInt(),
                 Patch(0x3F, 0x09, 2).toUInt());
        QCOMPARE(e.edit(QStringLiteral("A")), 0);

        // Re-pointed to no instance and cleared: nothing shows, nothing is sent.
        e.panel().setIter(-1);
        e.panel().resetValues();
        QCOMPARE(e.panel().getValues(), QList<int>(8, -1));
        QCOMPARE(e.get<MidiEgCtrl>(QStringLiteral("Env"))->nodes().at(0).time.value, -1);
        QVERIFY(e.rig.sent().isEmpty());
    }

    // A row re-pointed at another part follows it in everything written
    // with "xx", not only in its addresses: the bit of a switch word that
    // holds one bit per part, the channel of a controller-bound edit, the
    // mixer part of a solo box.
    void newIteratorResolvesBitChannelAndPart()
    {
        Wire w(R"(<check title="Ins" address="300060" size="4" bit="xx" max="1"/>
                  <edit title="Vol" controller="7" channel="xx"/>
                  <check title="Solo" solo="1" part="xx"/>)");
        w.panel().setIter(2);
        auto* ins = w.get<MidiCheckBox>(QStringLiteral("Ins"));
        QCOMPARE(ins->checkInfo().param.bit, 2);
        w.deliver(change(0x300060, 1 << 2, 4));
        QCOMPARE(ins->value(), 1);
        w.deliver(change(0x300060, 1 << 0, 4));
        QCOMPARE(ins->value(), 0);

        w.get<MidiEdit>(QStringLiteral("Vol"))->changeValue(100);
        QCOMPARE(w.rig.sent(), QStringList{QStringLiteral("B2 07 64")});

        w.get<MidiCheckBox>(QStringLiteral("Solo"))->changeValue(1);
        QVERIFY(w.rig.device.mixPart(2)->solo);
        QVERIFY(!w.rig.device.mixPart(0)->solo);

        // No part: the row addresses nothing and switches no part.
        w.panel().setIter(-1);
        QVERIFY(!ins->checkInfo().param.hasBitField());
        QCOMPARE(w.get<MidiEdit>(QStringLiteral("Vol"))->editInfo().param.channel(), -1);
        QCOMPARE(w.get<MidiCheckBox>(QStringLiteral("Solo"))->checkInfo().part, -1);
    }

    // Every edit at the address takes the new table; a check box there keeps
    // its state, an edit elsewhere its table.
    void itemsByAddress()
    {
        Wire w(R"(<combo title="C1" address="300010" items="a|b|c|d|e|f"/>
                  <edit title="C2" address="300010" items="a|b|c|d|e|f"/>
                  <check title="K" address="300010"/>
                  <combo title="C3" address="300011" items="a|b|c|d|e|f"/>)");
        for (const char* title : {"C1", "C2", "C3"})
            w.get<MidiEdit>(QLatin1String(title))->setValue(5);
        w.get<MidiCheckBox>(QStringLiteral("K"))->setValue(1);
        w.rig.client.setAddressItems(0x300010, QStringLiteral("x|y|z"));
        QCOMPARE(w.edit(QStringLiteral("C1")), -1);
        QCOMPARE(w.edit(QStringLiteral("C2")), -1);
        QCOMPARE(w.get<MidiEdit>(QStringLiteral("C1"))->editInfo().param.max, 2);
        QCOMPARE(w.edit(QStringLiteral("C3")), 5);
        QCOMPARE(w.get<MidiCheckBox>(QStringLiteral("K"))->value(), 1);
        w.panel().setAddressItems(0x123456, QStringLiteral("q"));
        QCOMPARE(w.edit(QStringLiteral("C3")), 5);
    }
};

ORVANE_TEST_MAIN(TestPanelRouting)
#include "tst_panelrouting.moc"
