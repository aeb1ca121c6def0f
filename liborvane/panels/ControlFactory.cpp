#include "ControlFactory.h"

#include "MidiButton.h"
#include "MidiCheckBox.h"
#include "MidiCtrl.h"
#include "MidiEdit.h"
#include "MidiEgCtrl.h"
#include "MidiLabel.h"
#include "MidiPatchEdit.h"
#include "MidiRange.h"
#include "MidiString.h"
#include "Panel.h"
#include "Strings.h"

namespace {

template <class Ctrl, class Info>
MidiCtrl* make(Panel* panel, const CommonInfo& info)
{
    return new Ctrl(panel, static_cast<const Info&>(info));
}

// The one value an edit or a check box adds to the snapshot.
template <class Ctrl>
QList<int> oneValue(MidiCtrl* control)
{
    auto* ctrl = dynamic_cast<Ctrl*>(control);
    return ctrl ? QList<int>{ctrl->value()} : QList<int>{};
}

// A range adds its high end, then its low end.
QList<int> rangeValues(MidiCtrl* control)
{
    auto* range = dynamic_cast<MidiRange*>(control);
    return range ? QList<int>{range->value(false), range->value(true)} : QList<int>{};
}

using ParamSpans = QList<ControlFactory::ParamSpan>;

// The one record of an edit, a check box, a name or a patch selector, which
// keep it in their descriptor. A name reads a character from each address
// of its length, a patch selector its three bytes (whichever order reverse
// gives them, and whether or not no_banks sends the bank).
ControlFactory::ParamSpan span(ParamInfo& param, int count)
{
    return {&param, count, &param};
}

template <class Info>
ParamSpans oneRecord(MidiCtrl* control)
{
    return {span(static_cast<Info*>(control->gInfo())->param, 1)};
}

ParamSpans nameRecord(MidiCtrl* control)
{
    auto* info = static_cast<StringInfo*>(control->gInfo());
    return {span(info->param, qMax(0, info->chars))};
}

ParamSpans patchRecord(MidiCtrl* control)
{
    return {span(static_cast<PatchEditInfo*>(control->gInfo())->param, 3)};
}

ParamSpans rangeRecords(MidiCtrl* control)
{
    auto* info = static_cast<RangeInfo*>(control->gInfo());
    return {span(info->high, 1), span(info->low, 1)};
}

// An envelope keeps its records in its nodes, not in its descriptor.
ParamSpans nodeRecords(MidiCtrl* control)
{
    ParamSpans spans;
    if (auto* eg = dynamic_cast<MidiEgCtrl*>(control)) {
        for (EgNode& node : eg->nodes())
            spans << ControlFactory::ParamSpan{&node.time, 1, nullptr}
                  << ControlFactory::ParamSpan{&node.level, 1, nullptr};
    }
    return spans;
}

// One row per control element: the record the reader hands over for it, the
// class code of what it builds, how to build it, what a built control adds
// to the value snapshot and which parameter records it has (null: none).
struct Kind
{
    const char* element;
    ControlFactory::Record record;
    int type;
    MidiCtrl* (*create)(Panel*, const CommonInfo&);
    QList<int> (*values)(MidiCtrl*);
    ParamSpans (*params)(MidiCtrl*);
};

const Kind Kinds[] = {
    {"label", ControlFactory::LabelRecord, MidiCtrl::LabelType, make<MidiLabel, LabelInfo>, nullptr, nullptr},
    {"header", ControlFactory::LabelRecord, MidiCtrl::LabelType, make<MidiLabel, LabelInfo>, nullptr,
     nullptr},
    {"edit", ControlFactory::EditRecord, MidiCtrl::EditType, make<MidiEdit, EditInfo>, oneValue<MidiEdit>,
     oneRecord<EditInfo>},
    {"combo", ControlFactory::EditRecord, MidiCtrl::EditType, make<MidiEdit, EditInfo>, oneValue<MidiEdit>,
     oneRecord<EditInfo>},
    {"string", ControlFactory::StringRecord, MidiCtrl::StringType, make<MidiString, StringInfo>, nullptr,
     nameRecord},
    {"check", ControlFactory::CheckRecord, MidiCtrl::CheckType, make<MidiCheckBox, CheckInfo>,
     oneValue<MidiCheckBox>, oneRecord<CheckInfo>},
    {"button", ControlFactory::ButtonRecord, MidiCtrl::ButtonType, make<MidiButton, ButtonInfo>, nullptr,
     nullptr},
    {"range", ControlFactory::RangeRecord, MidiCtrl::RangeType, make<MidiRange, RangeInfo>, rangeValues,
     rangeRecords},
    {"patch", ControlFactory::PatchEditRecord, MidiCtrl::PatchEditType, make<MidiPatchEdit, PatchEditInfo>,
     nullptr, patchRecord},
    {"eg", ControlFactory::EgRecord, MidiCtrl::EgType, make<MidiEgCtrl, EgInfo>, nullptr, nodeRecords},
};

// The row of the control's kind: the first with its class code, which holds
// for both rows that share a code.
const Kind* kindOf(MidiCtrl* control)
{
    for (const Kind& kind : Kinds) {
        if (kind.type == control->type())
            return &kind;
    }
    return nullptr;
}

const Kind* findKind(const QString& element)
{
    for (const Kind& kind : Kinds) {
        if (element == QLatin1String(kind.element))
            return &kind;
    }
    return nullptr;
}

} // namespace

MidiCtrl* ControlFactory::build(Panel* panel, const QString& element, Record record, const CommonInfo& info)
{
    const Kind* kind = findKind(element);
    if (!kind || kind->record != record) {
        qWarning("No control is built for \"%s\" from this record", qPrintable(element));
        return nullptr;
    }
    return kind->create(panel, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const LabelInfo& info)
{
    return build(panel, element, LabelRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const EditInfo& info)
{
    return build(panel, element, EditRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const RangeInfo& info)
{
    return build(panel, element, RangeRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const StringInfo& info)
{
    return build(panel, element, StringRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const PatchEditInfo& info)
{
    return build(panel, element, PatchEditRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const CheckInfo& info)
{
    return build(panel, element, CheckRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const ButtonInfo& info)
{
    return build(panel, element, ButtonRecord, info);
}

MidiCtrl* ControlFactory::create(Panel* panel, const QString& element, const EgInfo& info)
{
    return build(panel, element, EgRecord, info);
}

QStringList ControlFactory::builtElements()
{
    QStringList list;
    for (const Kind& kind : Kinds)
        list << QLatin1String(kind.element);
    return list;
}

bool ControlFactory::isBuilt(const QString& element)
{
    return findKind(element) != nullptr;
}

QList<int> ControlFactory::snapshotValues(MidiCtrl* control)
{
    const Kind* kind = control ? kindOf(control) : nullptr;
    return kind && kind->values ? kind->values(control) : QList<int>{};
}

QList<ControlFactory::ParamSpan> ControlFactory::parameters(MidiCtrl* control)
{
    const Kind* kind = control ? kindOf(control) : nullptr;
    return kind && kind->params ? kind->params(control) : ParamSpans{};
}

void ControlFactory::readAddresses(MidiCtrl* control, QList<unsigned int>& out)
{
    for (const ParamSpan& span : parameters(control)) {
        if (!span.param->hasAddress())
            continue;
        const unsigned int first = span.param->address();
        for (int i = 0; i < span.count; ++i)
            out.append(first + unsigned(i));
    }
}

void ControlFactory::setIterator(MidiCtrl* control, MidiDevice* device, int iterator)
{
    if (!control)
        return;
    // Buttons and edits open their section windows for the new instance.
    control->gInfo()->iterator = iterator;
    for (const ParamSpan& span : parameters(control)) {
        // A parameter given by its index under the panel's base address (no
        // address text) stays: resolving it without that index would lose
        // it, and no iterator changes it.
        if (!span.param->addressText.isEmpty())
            span.param->parseAddress(device, iterator, 0xFFFFFFFF, -1);
        if (span.info)
            span.info->resolveIterator(iterator);
    }
    // The mixer part whose solo or mute a box of a part's row sets.
    if (control->type() == MidiCtrl::CheckType) {
        auto* info = static_cast<CheckInfo*>(control->gInfo());
        if (!info->partExpression.isEmpty())
            info->part = int(ParseIterator(info->partExpression, iterator));
    }
    // A bit field's byte as the old instance held it says nothing of the new
    // instance's: it is read again before a change goes out.
    if (auto* box = dynamic_cast<MidiCheckBox*>(control))
        box->forgetSharedData();
    else if (auto* edit = dynamic_cast<MidiEdit*>(control))
        edit->forgetSharedData();
}
