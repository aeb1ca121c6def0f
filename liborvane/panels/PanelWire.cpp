// The panel between its client and its controls: the traffic from the
// instrument, the requests for values, the iterator, the items tables by
// address and the enabling rules.
//
// Incoming system-exclusive messages are routed through PanelIndex: each
// control is indexed under every address it reads (an edit or check box its
// parameter, a range both ends, a name each character, a patch selector its
// three bytes, an envelope each node value with an address). A message names
// the addresses it can hold (Sysex::parameterSpan: a parameter change its
// address, a bulk block its data region from its address on), and only the
// controls indexed there are called, each once and in cell order, exactly
// those that can take a value from it. One lookup per message and panel;
// nothing is walked. The index is rebuilt on first use after a load, an
// added control, clear or setIter.
#include "ControlFactory.h"
#include "MidiClient.h"
#include "MidiCtrl.h"
#include "MidiDevice.h"
#include "MidiEdit.h"
#include "Panel.h"
#include "Strings.h"
#include "Sysex.h"

void Panel::itemsChanged()
{
    m_indexed = false;
    ++m_itemsGeneration;
}

const PanelIndex& Panel::routingIndex() const
{
    if (m_indexed)
        return m_index;
    m_index.clear();
    QList<unsigned int> addresses;
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        MidiCtrl* item = m_items.at(i);
        if (!item)
            continue;
        addresses.clear();
        ControlFactory::readAddresses(item, addresses);
        for (unsigned int address : std::as_const(addresses))
            m_index.addAddress(address, i);
        const QString& driver = item->gInfo()->enable;
        if (!driver.isEmpty())
            m_index.addDependant(driver, i);
    }
    m_index.finish();
    m_indexed = true;
    return m_index;
}

// --- incoming traffic ------------------------------------------------------------------

void Panel::OnSysex(Sysex* message)
{
    unsigned long long first = 0;
    unsigned long long end = 0;
    if (!message || !message->parameterSpan(first, end))
        return;
    QList<int> targets;
    routingIndex().itemsReading(first, end, targets);
    // A control's value may change the panel (a slot that reloads it); the
    // rest of the pass then has no items to call.
    const quint64 generation = m_itemsGeneration;
    for (int index : std::as_const(targets)) {
        if (m_itemsGeneration != generation)
            return;
        if (MidiCtrl* item = itemAt(index))
            item->OnSysex(message);
    }
}

void Panel::OnMidiMessage(const MidiMessage& message)
{
    // Short messages go to every control: learning edits and ranges take
    // note-ons, controller-bound edits their controller, channel-bound patch
    // selectors bank select and program change.
    const int count = itemCount();
    const quint64 generation = m_itemsGeneration;
    for (int i = 0; i < count && m_itemsGeneration == generation; ++i) {
        if (MidiCtrl* item = itemAt(i))
            item->OnMidiMessage(message);
    }
}

void Panel::onValueChanged(MidiCtrl* ctrl, int value, int data)
{
    emit valueChanged(ctrl, value, data);
}

// --- requests -------------------------------------------------------------------------------

void Panel::MidiReceive()
{
    requestGroup(-1);
}

void Panel::requestGroup(int group)
{
    MidiDevice* dev = device();
    if (!dev || !dev->isConnected())
        return;
    const int count = itemCount();
    const quint64 generation = m_itemsGeneration;
    for (int i = 0; i < count && m_itemsGeneration == generation; ++i) {
        MidiCtrl* item = itemAt(i);
        if (!item)
            continue;
        // A control with no_request set refuses the call itself.
        if (group == -1 || (item->gInfo()->group != 0 && item->gInfo()->group == group))
            item->MidiReceive();
    }
}

// --- iterator and values ----------------------------------------------------------------

void Panel::setIter(int iterator)
{
    m_iterator = iterator;
    MidiDevice* dev = device();
    const int count = itemCount();
    for (int i = 0; i < count; ++i)
        ControlFactory::setIterator(m_items.at(i), dev, iterator);
    itemsChanged();
    routingIndex();
}

void Panel::resetValues()
{
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        if (MidiCtrl* item = itemAt(i))
            item->resetValues();
    }
}

void Panel::setAddressItems(unsigned int address, const QString& items)
{
    const int count = itemCount();
    for (int i = 0; i < count; ++i) {
        auto* edit = dynamic_cast<MidiEdit*>(itemAt(i));
        if (edit && edit->type() == MidiCtrl::EditType && edit->editInfo().param.address() == address)
            edit->setItems(items, 0, -1);
    }
}

// --- enabling rules --------------------------------------------------------------------

void Panel::changeEnabling(MidiCtrl* driver)
{
    if (!driver || driver->gInfo()->title.isEmpty())
        return;
    if (driver->type() != MidiCtrl::EditType && driver->type() != MidiCtrl::CheckType)
        return;
    // Most controls drive nothing: they are done before their value is read.
    const QList<int> dependants = routingIndex().dependants(driver->gInfo()->title);
    if (dependants.isEmpty())
        return;
    const QList<int> values = ControlFactory::snapshotValues(driver);
    if (values.isEmpty() || values.first() == -1)
        return;
    const int value = values.first();
    // The driver's own item may be among them: it follows its own rule too.
    for (int index : dependants) {
        MidiCtrl* item = itemAt(index);
        if (!item || !item->widget())
            continue;
        const QString& list = item->gInfo()->enable_values;
        bool match = false;
        // An empty list counts as "1"; a piece that is no number (an empty
        // one of "0||1", a word) matches nothing, as -1 is never a value.
        for (const QString& piece : (list.isEmpty() ? QStringLiteral("1") : list).split(QLatin1Char('|'))) {
            if (StringToInt(piece, false, -1) == value) {
                match = true;
                break;
            }
        }
        item->widget()->setEnabled(match);
    }
}
