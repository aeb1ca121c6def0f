// Every parameter the editors' panels address, as the built controls address
// it with each iterator of their section: it lies in the instrument's memory
// (a block of the editor's initial patch, found through the instrument's own
// sub-block windows, or the system area) with all its bytes inside; no two
// controls of a panel claim overlapping bits of one byte unless they show the
// same parameter; every effect block a type control opens holds its sixteen
// parameters; and the simulator, which takes its sizes from the same data,
// answers every parameter request with as many bytes as the control reads.
#include "EditorLayouts.h"
#include "MidiEdit.h"
#include "Panel.h"
#include "SimInstrument.h"
#include "SimProtocol.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskDump.h"
#include "VeskRig.h"
#include "VeskSysex.h"

#include <QFile>
#include <QMap>

#include <memory>

namespace {

// The system area as the layouts' generator and the simulator read it:
// address -> bytes.
QMap<unsigned int, int> systemArea()
{
    QMap<unsigned int, int> area;
    QFile file(QStringLiteral(ORVANE_SOURCE_DIR "/tools/data/system_ES.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return area;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QList<QByteArray> f =
            raw.left(raw.indexOf('#') < 0 ? raw.size() : raw.indexOf('#')).simplified().split(' ');
        if (f.size() >= 3)
            area.insert(f.at(0).toUInt(nullptr, 16), f.at(1).toInt());
    }
    return area;
}

QString where(const EditorPanels::Built& b, MidiCtrl* control, const ControlParam& p)
{
    return QStringLiteral("%1 %2 \"%3\" %4")
        .arg(b.section)
        .arg(b.iterator)
        .arg(controlTitle(control))
        .arg(p.address, 6, 16, QLatin1Char('0'));
}

// Two claims on one parameter byte that a layout means: the same parameter
// shown twice (a check box and a value control on one bit field among them),
// or a value control on one byte of a patch selector's three.
bool meant(const ControlParam& a, int typeA, const ControlParam& b, int typeB)
{
    if (a == b)
        return true;
    const auto byteOfPatch = [](const ControlParam& byte, int type, int other) {
        return other == MidiCtrl::PatchEditType && type == MidiCtrl::EditType && byte.size == 1 &&
               byte.bit == -1;
    };
    return byteOfPatch(a, typeA, typeB) || byteOfPatch(b, typeB, typeA);
}

bool overlap(const ControlParam& a, const ControlParam& b)
{
    if (a.address + unsigned(a.size) <= b.address || b.address + unsigned(b.size) <= a.address)
        return false;
    // Bit fields of one value are apart when their bits are.
    if (a.address == b.address && a.size == b.size && a.bit != -1 && b.bit != -1)
        return a.bit < b.bit + b.bits && b.bit < a.bit + a.bits;
    return true;
}

// The effect blocks: the type controls that open the effect panels.
QList<unsigned int> effectBlocks(Panel* panel)
{
    QList<unsigned int> blocks;
    for (int i = 0; i < panel->itemCount(); ++i) {
        MidiCtrl* c = panel->itemAt(i);
        if (c->type() == MidiCtrl::EditType && c->gInfo()->section == QLatin1String("Effects Parameters"))
            blocks << static_cast<MidiEdit*>(c)->editInfo().param.address();
    }
    return blocks;
}

} // namespace

class TestLayoutAddresses : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> vesk;
    QMap<unsigned int, int> system;

    // Why the parameter is not in the editor's memory, or "".
    QString outsideMemory(int dumpType, const ControlParam& p)
    {
        if (system.contains(p.address))
            return p.size <= system.value(p.address) ? QString()
                                                     : QStringLiteral("wider than the system parameter");
        unsigned int base = 0;
        unsigned int offset = 0;
        VeskSysex().getBulkBaseAndOffset(p.address, base, offset);
        const Sysex* block = vesk->initDump(dumpType)->getSysex(base);
        if (!block)
            return QStringLiteral("no block at %1").arg(base, 6, 16, QLatin1Char('0'));
        if (int(offset) + p.size > block->dataSize())
            return QStringLiteral("past the %1 bytes of its block").arg(block->dataSize());
        return QString();
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        vesk = std::make_unique<Vesk>();
        system = systemArea();
        QVERIFY(system.contains(0x002100));
        for (const EditorLayout& layout : editorLayouts())
            QVERIFY(loadEditorLayout(vesk.get(), layout));
    }

    void cleanupTestCase() { vesk.reset(); }

    void inMemory_data() { addEditorRows(); }

    void inMemory()
    {
        QFETCH(int, editor);
        const EditorLayout& layout = editorLayouts().at(editor);
        EditorPanels panels(vesk.get(), layout, {0, 72});
        QStringList problems;
        int params = 0;
        for (const EditorPanels::Built& b : panels.panels()) {
            for (int i = 0; i < b.panel->itemCount(); ++i) {
                MidiCtrl* c = b.panel->itemAt(i);
                for (const ControlParam& p : controlParams(c)) {
                    ++params;
                    // What the instrument never takes from an editor.
                    if (p.address == 0x302000 || p.address == 0x0A0000 || p.address == 0x0A0001 ||
                        p.address == 0x0D0000)
                        problems << where(b, c, p) + QStringLiteral(": an address the editors never send");
                    const QString why = outsideMemory(layout.dumpType, p);
                    if (!why.isEmpty())
                        problems << where(b, c, p) + QStringLiteral(": ") + why;
                }
            }
            for (unsigned int block : effectBlocks(b.panel)) {
                for (int index = 1; index <= 16; ++index) {
                    const ControlParam p{block + 2u * unsigned(index), 2, -1, 0};
                    const QString why = outsideMemory(layout.dumpType, p);
                    if (!why.isEmpty())
                        problems << QStringLiteral("%1: effect parameter %2 at %3: %4")
                                        .arg(b.section)
                                        .arg(index)
                                        .arg(p.address, 6, 16, QLatin1Char('0'))
                                        .arg(why);
                }
            }
        }
        QVERIFY(params > 0);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void noOverlaps_data() { addEditorRows(); }

    void noOverlaps()
    {
        QFETCH(int, editor);
        EditorPanels panels(vesk.get(), editorLayouts().at(editor), {0, 72});
        QStringList problems;
        for (const EditorPanels::Built& b : panels.panels()) {
            QList<QPair<MidiCtrl*, ControlParam>> claims;
            for (int i = 0; i < b.panel->itemCount(); ++i) {
                for (const ControlParam& p : controlParams(b.panel->itemAt(i)))
                    claims.append({b.panel->itemAt(i), p});
            }
            for (int i = 0; i < claims.size(); ++i) {
                for (int j = i + 1; j < claims.size(); ++j) {
                    const auto& [ca, a] = claims.at(i);
                    const auto& [cb, b2] = claims.at(j);
                    if (ca != cb && overlap(a, b2) && !meant(a, ca->type(), b2, cb->type()))
                        problems << where(b, ca, a) + QStringLiteral(" and \"") + controlTitle(cb) +
                                        QLatin1Char('"');
                }
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The simulator asked for every parameter a control reads answers with
    // the control's number of bytes.
    void simulatorSizes_data() { addEditorRows(); }

    void simulatorSizes()
    {
        QFETCH(int, editor);
        const EditorLayout& layout = editorLayouts().at(editor);
        Sim::Instrument instrument;
        QString error;
        QVERIFY2(instrument.load(Sim::Options(), &error), qPrintable(error));
        EditorPanels panels(vesk.get(), layout, {0, 72});
        QStringList problems;
        QSet<unsigned int> asked;
        const auto ask = [&](const QString& what, unsigned int address, int size) {
            if (asked.contains(address))
                return;
            asked.insert(address);
            if (Sim::Instrument::parameterSize(address) != size)
                problems << QStringLiteral("%1: the simulator's size is %2")
                                .arg(what)
                                .arg(Sim::Instrument::parameterSize(address));
            QList<Sim::Reply> replies;
            QByteArray request = QByteArray::fromHex("F043307F00");
            request += char(address >> 16);
            request += char((address >> 8) & 0x7F);
            request += char(address & 0x7F);
            request += char(0xF7);
            instrument.receive(request, replies);
            const Sim::Message answer = replies.size() == 1 && replies.first().messages.size() == 1
                                            ? Sim::Message::parse(replies.first().messages.first())
                                            : Sim::Message();
            if (answer.kind != Sim::Message::ParameterChange || answer.address != address ||
                answer.data.size() != size)
                problems << QStringLiteral("%1: answered with %2 bytes").arg(what).arg(answer.data.size());
        };
        for (const EditorPanels::Built& b : panels.panels()) {
            for (int i = 0; i < b.panel->itemCount(); ++i) {
                MidiCtrl* c = b.panel->itemAt(i);
                for (const ControlParam& p : controlParams(c))
                    ask(where(b, c, p), p.address, p.size);
            }
            for (unsigned int block : effectBlocks(b.panel)) {
                for (int index = 1; index <= 16; ++index)
                    ask(QStringLiteral("%1 effect parameter %2").arg(b.section).arg(index),
                        block + 2u * unsigned(index), 2);
            }
        }
        QVERIFY(!asked.isEmpty());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

ORVANE_TEST_MAIN(TestLayoutAddresses)
#include "tst_layoutaddresses.moc"
