// Each editor's panels, built from its layout on the instrument's device
// against the simulated instrument, show the instrument's edit buffer after
// one receive, as the editor window receives it: the edit buffer asked for
// with one bulk request and each message handed to the panels, the system
// settings (no patch holds them) asked for parameter by parameter. Every
// control that reads a parameter then holds the value the instrument holds,
// none is left without one; the effect panels of the types the buffer holds
// show their parameters too.
#include "../sim/VeskOnSim.h"
#include "BulkDump.h"
#include "EditorLayouts.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiEgCtrl.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "MidiString.h"
#include "Panel.h"
#include "Simulator.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VirtualMidiBus.h"

#include <memory>

namespace {

constexpr int AnswerMs = 10000;

// A big-endian value of 7-bit bytes.
int value7(const QByteArray& bytes)
{
    int v = 0;
    for (char b : bytes)
        v = v * 128 + (quint8(b) & 0x7F);
    return v;
}

bool isSystemPanel(const QString& section)
{
    return section.endsWith(QLatin1String(":System")) || section == QLatin1String("Mix:System1");
}

} // namespace

class TestLayoutReceive : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;
    std::unique_ptr<Sim::BusSimulator> sim;
    std::unique_ptr<Vesk> device;

    // What the instrument holds at a parameter: a system parameter, or the
    // bytes of its edit buffer.
    QByteArray held(unsigned int address, int size)
    {
        return (*sim)->inspect([address, size](const Sim::Instrument& instrument) {
            const QByteArray system = instrument.systemBytes(address);
            if (!system.isEmpty())
                return system.left(size);
            Sim::PatchType type;
            int block = 0;
            int offset = 0;
            if (!instrument.memory().locate(address, type, block, offset))
                return QByteArray();
            const Sim::Layout::Block& b = instrument.memory().layout(type).blocks[size_t(block)];
            return instrument.image(Sim::editBuffer(type))
                .mid(b.offset + offset, qMin(size, b.size - offset));
        });
    }

    int heldValue(const ParamInfo& p) { return p.dataToValue(value7(held(p.address(), p.size))); }

    // Why a control does not show what the instrument holds, or "".
    QString mismatch(MidiCtrl* c)
    {
        const auto differs = [](int shown, int expected) {
            return shown == expected && shown != -1
                       ? QString()
                       : QStringLiteral("shows %1, the instrument %2").arg(shown).arg(expected);
        };
        switch (c->type()) {
        case MidiCtrl::EditType: {
            auto* edit = static_cast<MidiEdit*>(c);
            return edit->editInfo().param.hasAddress()
                       ? differs(edit->value(), heldValue(edit->editInfo().param))
                       : QString();
        }
        case MidiCtrl::CheckType: {
            auto* check = static_cast<MidiCheckBox*>(c);
            return check->checkInfo().param.hasAddress()
                       ? differs(check->value(), heldValue(check->checkInfo().param))
                       : QString();
        }
        case MidiCtrl::RangeType: {
            auto* range = static_cast<MidiRange*>(c);
            const QString low = differs(range->value(true), heldValue(*range->param(true)));
            return low.isEmpty() ? differs(range->value(false), heldValue(*range->param(false))) : low;
        }
        case MidiCtrl::StringType: {
            auto* string = static_cast<MidiString*>(c);
            QByteArray bytes;
            for (int i = 0; i < string->stringInfo().chars; ++i)
                bytes += held(string->stringInfo().param.address() + unsigned(i), 1);
            const auto trimmed = [](QString text) {
                while (text.endsWith(QLatin1Char(' ')))
                    text.chop(1);
                return text;
            };
            const QString name = trimmed(QString::fromLatin1(bytes));
            return trimmed(string->text()) == name && !name.isEmpty()
                       ? QString()
                       : QStringLiteral("shows \"%1\", the instrument \"%2\"").arg(string->text(), name);
        }
        case MidiCtrl::PatchEditType: {
            auto* patch = static_cast<MidiPatchEdit*>(c);
            const QByteArray bytes = held(patch->info.param.address(), 1) +
                                     held(patch->info.param.address() + 1, 1) +
                                     held(patch->info.param.address() + 2, 1);
            const Patch shown = patch->patch();
            if (bytes.size() != 3)
                return QStringLiteral("the instrument holds no patch there");
            return shown.bank.msb == bytes[0] && shown.bank.lsb == bytes[1] && shown.program == bytes[2]
                       ? QString()
                       : QStringLiteral("shows patch %1/%2/%3")
                             .arg(shown.bank.msb)
                             .arg(shown.bank.lsb)
                             .arg(shown.program);
        }
        case MidiCtrl::EgType:
            for (const EgNode& node : static_cast<MidiEgCtrl*>(c)->nodes()) {
                for (const EgValue* v : {&node.time, &node.level}) {
                    if (!v->adjust || !v->hasAddress())
                        continue;
                    const QString why = differs(v->value, value7(held(v->address(), v->size)));
                    if (!why.isEmpty())
                        return QStringLiteral("node %1: %2").arg(node.shortName, why);
                }
            }
            return QString();
        default:
            return QString();
        }
    }

    QStringList mismatches(Panel* panel, const QString& where)
    {
        QStringList list;
        for (int i = 0; i < panel->itemCount(); ++i) {
            MidiCtrl* c = panel->itemAt(i);
            if (c->type() == MidiCtrl::PatchEditType &&
                !static_cast<MidiPatchEdit*>(c)->info.param.hasAddress())
                continue;
            if (c->type() == MidiCtrl::StringType &&
                !static_cast<MidiString*>(c)->stringInfo().param.hasAddress())
                continue;
            const QString why = mismatch(c);
            if (!why.isEmpty())
                list << QStringLiteral("%1 \"%2\": %3").arg(where, controlTitle(c), why);
        }
        return list;
    }

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init()
    {
        resetBusAndPorts();
        sim = std::make_unique<Sim::BusSimulator>(*bus, QStringLiteral("Vesk Sim"));
        QVERIFY2(sim->isLoaded(), qPrintable(sim->error()));
        device = SimVesk::deviceOn(*sim);
        device->connect(true);
        QTRY_VERIFY_WITH_TIMEOUT(device->isConnected(), 10000);
    }

    void cleanup()
    {
        device.reset();
        sim.reset();
    }

    void showsEditBuffer_data() { addEditorRows(); }

    void showsEditBuffer()
    {
        QFETCH(int, editor);
        const EditorLayout& layout = editorLayouts().at(editor);
        (*sim)->selectMode(layout.mode);
        if (layout.bank)
            (*sim)->selectPatch(layout.bank, 0);
        QVERIFY(bus->waitIdle(AnswerMs));
        QVERIFY(loadEditorLayout(device.get(), layout));
        EditorPanels panels(device.get(), layout, {0, 72});

        BulkDump dump;
        QVERIFY(device->syncBulkRequest(layout.editBuffer, dump, AnswerMs));
        QVERIFY(!dump.isEmpty());
        for (Sysex* message : dump)
            panels.OnSysex(message, SourceDev);
        for (const EditorPanels::Built& b : panels.panels()) {
            if (isSystemPanel(b.section))
                b.panel->MidiReceive();
        }
        QVERIFY(bus->waitIdle(AnswerMs));

        const auto all = [&] {
            QStringList list;
            for (const EditorPanels::Built& b : panels.panels())
                list += mismatches(b.panel, QStringLiteral("%1 %2").arg(b.section).arg(b.iterator));
            return list;
        };
        (void)QTest::qWaitFor([&] { return all().isEmpty(); }, AnswerMs);
        const QStringList wrong = all();
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));

        // The effect panels of the types the buffer holds, opened on their
        // blocks as the type controls open them.
        int effects = 0;
        for (const EditorPanels::Built& b : panels.panels()) {
            for (int i = 0; i < b.panel->itemCount(); ++i) {
                MidiCtrl* c = b.panel->itemAt(i);
                if (c->type() != MidiCtrl::EditType ||
                    c->gInfo()->section != QLatin1String("Effects Parameters"))
                    continue;
                auto* type = static_cast<MidiEdit*>(c);
                const QString key =
                    QStringLiteral("%1").arg(Data7to8(type->getData()), 4, 16, QLatin1Char('0')).toUpper();
                Panel window(&panels, panels.editorWindow());
                window.setBaseAddress(type->editInfo().param.address());
                window.init(panels.editorWindow(), QPoint(0, 0), true);
                window.loadSubSection(QStringLiteral("Effects Parameters"), QStringLiteral("value"), key,
                                      b.iterator, c->gInfo()->flag);
                if (window.isEmpty())
                    continue;
                ++effects;
                if (isSystemPanel(b.section)) {
                    window.MidiReceive();
                    QVERIFY(bus->waitIdle(AnswerMs));
                    (void)QTest::qWaitFor([&] { return mismatches(&window, key).isEmpty(); }, AnswerMs);
                } else {
                    for (Sysex* message : dump)
                        window.OnSysex(message);
                }
                const QStringList wrong = mismatches(&window, QStringLiteral("%1 on %2").arg(key, b.section));
                QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
            }
        }
        if (layout.program != QLatin1String("VeskMaster"))
            QVERIFY(effects > 0);
    }
};

ORVANE_TEST_MAIN(TestLayoutReceive)
#include "tst_layoutreceive.moc"
