// The one place that knows which control class each control element of the
// panel data builds: a table keyed by the element name. A new kind of
// control is its class and one row here (ControlFactory.cpp); the panel's
// reader and the panel itself never name a control class.
//
// The element's descriptor record is read by the panel's reader
// (PanelXml.h) and handed over as the record the element calls for: a
// LabelInfo for "label" and "header", an EditInfo for "edit" and "combo", and
// so on. A row builds its class from that record; a record of the wrong kind
// for the element builds nothing.
//
// The table also says what each kind adds to a panel's value snapshot, and
// which parameter records a control reads and sends through: the panel
// re-points them for another iterator and indexes incoming messages by the
// addresses they cover. GUI thread only.
#pragma once

#include "CommonInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

class MidiCtrl;
class MidiDevice;
class MidiParam;
class Panel;

class ControlFactory
{
public:
    // The record kinds the reader hands over.
    enum Record
    {
        LabelRecord,
        EditRecord,
        RangeRecord,
        StringRecord,
        PatchEditRecord,
        CheckRecord,
        ButtonRecord,
        EgRecord
    };

    // A new control of panel for the element, built from its record. The
    // caller adds it to the panel (Panel::addControl). Null for an element
    // without a row or a record of the wrong kind.
    static MidiCtrl* create(Panel* panel, const QString& element, const LabelInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const EditInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const RangeInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const StringInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const PatchEditInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const CheckInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const ButtonInfo& info);
    static MidiCtrl* create(Panel* panel, const QString& element, const EgInfo& info);

    // The elements that build a control of their own class, in table order.
    static QStringList builtElements();
    static bool isBuilt(const QString& element);

    // What the control adds to its panel's value snapshot: one value of an
    // edit or a check box, the high then the low value of a range, nothing
    // for the other kinds.
    static QList<int> snapshotValues(MidiCtrl* control);

    // One parameter record of a control, and how many consecutive addresses
    // from the record's address the control reads through it: one for most,
    // a name one per character, a patch selector its bank MSB, LSB and
    // program bytes.
    struct ParamSpan
    {
        MidiParam* param; // the control's own record; never null
        int count;
        ParamInfo* info = nullptr; // the same record when it is a ParamInfo (not an envelope value)
    };
    // The control's parameter records, in the order the panel re-points them
    // (a range its high end, then its low end; an envelope each node's time,
    // then its level). None for labels and buttons.
    static QList<ParamSpan> parameters(MidiCtrl* control);
    // Appends the addresses from which the control takes values of incoming
    // system-exclusive messages: every address the spans of its records
    // with an address cover.
    static void readAddresses(MidiCtrl* control, QList<unsigned int>& out);
    // Re-points the control at another instance of its panel's repeated
    // block: the descriptor's iterator, and everything the panel data wrote
    // as an iterator expression: every address, bit field and channel of its
    // records and a check box's mixer part. What was not written so (an
    // address given by its index under the panel's base address, a record
    // built in code) keeps its value. device resolves nothing itself; it
    // may be null.
    static void setIterator(MidiCtrl* control, MidiDevice* device, int iterator);

private:
    static MidiCtrl* build(Panel* panel, const QString& element, Record record, const CommonInfo& info);
};
