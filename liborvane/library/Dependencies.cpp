#include "Dependencies.h"

#include "DeviceBank.h"
#include "Library.h"
#include "MidiDevice.h"
#include "PatchDump.h"
#include "Strings.h"
#include "VarArgs.h"

#include <QSet>
#include <QVarLengthArray>

#include <memory>

namespace {

// Bank words a reference can be parked on while references are rewritten:
// seven-bit bytes, as the dumps store them, no bank the device knows and none
// of the banks being rewritten, one for each bank word of taken.
QList<unsigned short> standInBanks(MidiDevice* device, const QList<unsigned short>& taken)
{
    QList<unsigned short> banks;
    for (int msb = 0x7F; msb >= 0 && banks.size() < taken.size(); --msb) {
        for (int lsb = 0x7F; lsb >= 0 && banks.size() < taken.size(); --lsb) {
            const auto word = static_cast<unsigned short>(msb << 8 | lsb);
            if (taken.contains(word))
                continue;
            if (device && (device->bankType(word) != -1 || device->isUserBank(word) || device->getBank(word)))
                continue;
            banks.append(word);
        }
    }
    return banks;
}

} // namespace

void Dependencies::calculate(Library* library)
{
    m_children.clear();
    m_parents.clear();
    if (!library)
        return;
    const BankSet banks(library);
    for (const auto& bank : banks) {
        if (!bank)
            continue;
        const unsigned short word = bank->bankWord();
        for (int program = 0; program < bank->count(); ++program) {
            const Patch patch(word, program);
            PatchDump* dump = library->getPatchDump(patch);
            if (!dump || dump->isEmpty())
                continue;
            auto list = std::make_unique<UserPatchList>();
            dump->getUserPatches(list.get());
            if (list->isEmpty())
                continue;
            const unsigned int parent = patch.toUInt();
            for (unsigned int child : std::as_const(*list)) {
                PatchList* parents = m_parents.value(child);
                if (!parents) {
                    parents = new PatchList;
                    m_parents.insert(child, parents);
                }
                parents->add(parent);
            }
            m_children.add(parent, list.release());
        }
    }
}

PatchList* Dependencies::getChildren(Patch patch) const
{
    return m_children.value(patch.toUInt());
}

PatchList* Dependencies::getParents(Patch patch) const
{
    return m_parents.value(patch.toUInt());
}

void Dependencies::walk(const PatchMap& map, Patch patch, PatchList* out)
{
    if (!out)
        return;
    // Depth-first with a stack of its own: each list is followed from its
    // next entry once the patch before it has been followed to its end.
    struct Step
    {
        const PatchList* list;
        qsizetype next;
    };
    QVarLengthArray<Step, 32> path;
    if (const PatchList* first = map.value(patch.toUInt()))
        path.append({first, 0});
    while (!path.isEmpty()) {
        Step& step = path.last();
        if (step.next >= step.list->size()) {
            path.removeLast();
            continue;
        }
        const unsigned int next = step.list->at(step.next++);
        // Only a patch this walk lists for the first time is followed.
        if (!out->add(next))
            continue;
        if (const PatchList* further = map.value(next))
            path.append({further, 0});
    }
}

void Dependencies::getAllChildren(Patch patch, PatchList* out) const
{
    walk(m_children, patch, out);
}

void Dependencies::getAllParents(Patch patch, PatchList* out) const
{
    walk(m_parents, patch, out);
}

QString Dependencies::tipText(Patch patch, Library* library) const
{
    MidiDevice* device = library ? library->device() : nullptr;
    const QString prefix = QStringLiteral("  ");
    const QString suffix = QStringLiteral("\n");
    QString text;
    PatchList uses;
    getAllChildren(patch, &uses);
    if (!uses.isEmpty())
        text += VarArgs::format(QStringLiteral("Uses:\n%s\n"), uses.toString(device, library, prefix, suffix));
    PatchList usedBy;
    getAllParents(patch, &usedBy);
    if (!usedBy.isEmpty())
        text += VarArgs::format(QStringLiteral("Used by:\n%s\n"), usedBy.toString(device, library, prefix, suffix));
    if (uses.isEmpty() && usedBy.isEmpty())
        text += QStringLiteral("No dependencies");
    trim(text, QStringLiteral(" \n"));
    return text;
}

void Dependencies::updateParents(BankPatchGroup* group, Library* library)
{
    if (!group || !library)
        return;
    const unsigned short word = group->bank().word();
    const ints& moved = group->moveMap();
    const int rows = qMin(group->itemCount(), int(moved.size()));
    QList<Patch> from;
    QList<Patch> to;
    PatchList parents;
    for (int row = 0; row < rows; ++row) {
        if (moved.at(row) == row)
            continue;
        from.append(Patch(word, row));
        to.append(Patch(word, moved.at(row)));
        if (const PatchList* users = getParents(Patch(word, row))) {
            for (unsigned int user : *users)
                parents.add(user);
        }
    }
    if (from.isEmpty())
        return;
    // A parent inside the group moved too: its dump is found at its new row.
    PatchList found;
    for (unsigned int parent : std::as_const(parents)) {
        const Patch p(parent);
        if (p.bank.word() == word && p.program < rows)
            found.add(Patch(word, moved.at(p.program)).toUInt());
        else
            found.add(parent);
    }
    repoint(library, found, from, to);
}

void Dependencies::updateParents(BankPatchGroup* group1, ints* rows1, BankPatchGroup* group2, ints* rows2,
                                 Library* library)
{
    if (!group1 || !group2 || !rows1 || !rows2 || !library)
        return;
    const unsigned short word1 = group1->bank().word();
    const unsigned short word2 = group2->bank().word();
    const qsizetype n = qMin(rows1->size(), rows2->size());
    QList<Patch> from;
    QList<Patch> to;
    PatchList parents;
    auto collect = [&](const Patch& patch) {
        if (const PatchList* users = getParents(patch)) {
            for (unsigned int user : *users)
                parents.add(user);
        }
    };
    for (qsizetype k = 0; k < n; ++k) {
        const Patch one(word1, rows1->at(k));
        const Patch two(word2, rows2->at(k));
        collect(one);
        collect(two);
        from << one << two;
        to << two << one;
    }
    // A parent among the exchanged patches is found where its dump went.
    PatchList found;
    for (unsigned int parent : std::as_const(parents)) {
        qsizetype k = 0;
        while (k < from.size() && from.at(k).toUInt() != parent)
            ++k;
        found.add(k < from.size() ? to.at(k).toUInt() : parent);
    }
    repoint(library, found, from, to);
}

void Dependencies::redirect(Patch from, Patch to, Library* library) const
{
    const PatchList* users = library ? getParents(from) : nullptr;
    if (!users || from.toUInt() == to.toUInt())
        return;
    for (unsigned int user : *users) {
        if (PatchDump* dump = library->getPatchDump(Patch(user)))
            dump->reindexPatch(from, to);
    }
}

void Dependencies::repoint(Library* library, const PatchList& parents, const QList<Patch>& from,
                           const QList<Patch>& to) const
{
    QList<unsigned short> taken;
    for (const Patch& p : from + to) {
        if (!taken.contains(p.bank.word()))
            taken.append(p.bank.word());
    }
    // One stand-in bank per bank being rewritten: a patch keeps its program
    // while it is parked.
    QList<unsigned short> fromBanks;
    for (const Patch& p : from) {
        if (!fromBanks.contains(p.bank.word()))
            fromBanks.append(p.bank.word());
    }
    const QList<unsigned short> standIns = standInBanks(library->device(), taken);
    if (standIns.size() < fromBanks.size())
        return;
    QList<Patch> parked;
    for (const Patch& p : from)
        parked.append(Patch(standIns.at(fromBanks.indexOf(p.bank.word())), p.program));

    QList<PatchDump*> dumps;
    for (unsigned int parent : parents) {
        PatchDump* dump = library->getPatchDump(Patch(parent));
        if (dump && !dumps.contains(dump))
            dumps.append(dump);
    }
    for (PatchDump* dump : std::as_const(dumps)) {
        for (qsizetype k = 0; k < from.size(); ++k)
            dump->reindexPatch(from.at(k), parked.at(k));
    }
    for (PatchDump* dump : std::as_const(dumps)) {
        for (qsizetype k = 0; k < from.size(); ++k)
            dump->reindexPatch(parked.at(k), to.at(k));
    }
}
