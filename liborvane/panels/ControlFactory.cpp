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

// One row per control element: the record the reader hands over for it, the
// class code of what it builds, how to build it, and what a built control
// adds to the value snapshot (null: nothing).
struct Kind
{
    const char* element;
    ControlFactory::Record record;
    int type;
    MidiCtrl* (*create)(Panel*, const CommonInfo&);
    QList<int> (*values)(MidiCtrl*);
};

const Kind Kinds[] = {
    {"label", ControlFactory::LabelRecord, MidiCtrl::LabelType, make<MidiLabel, LabelInfo>, nullptr},
    {"header", ControlFactory::LabelRecord, MidiCtrl::LabelType, make<MidiLabel, LabelInfo>, nullptr},
    {"edit", ControlFactory::EditRecord, MidiCtrl::EditType, make<MidiEdit, EditInfo>, oneValue<MidiEdit>},
    {"combo", ControlFactory::EditRecord, MidiCtrl::EditType, make<MidiEdit, EditInfo>, oneValue<MidiEdit>},
    {"string", ControlFactory::StringRecord, MidiCtrl::StringType, make<MidiString, StringInfo>, nullptr},
    {"check", ControlFactory::CheckRecord, MidiCtrl::CheckType, make<MidiCheckBox, CheckInfo>,
     oneValue<MidiCheckBox>},
    {"button", ControlFactory::ButtonRecord, MidiCtrl::ButtonType, make<MidiButton, ButtonInfo>, nullptr},
    {"range", ControlFactory::RangeRecord, MidiCtrl::RangeType, make<MidiRange, RangeInfo>, rangeValues},
    {"patch", ControlFactory::PatchEditRecord, MidiCtrl::PatchEditType, make<MidiPatchEdit, PatchEditInfo>,
     nullptr},
    {"eg", ControlFactory::EgRecord, MidiCtrl::EgType, make<MidiEgCtrl, EgInfo>, nullptr},
};

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
    if (!control)
        return {};
    for (const Kind& kind : Kinds) {
        if (kind.type == control->type() && kind.values)
            return kind.values(control);
    }
    return {};
}
