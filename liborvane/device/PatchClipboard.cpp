#include "PatchClipboard.h"

#include "Library.h"
#include "LibraryView.h"
#include "MidiDevice.h"
#include "PatchDump.h"

PatchClipboard::PatchClipboard()
{
    reset();
}

PatchClipboard::~PatchClipboard()
{
    reset();
}

void PatchClipboard::reset()
{
    m_view = nullptr;
    m_group = nullptr;
    m_patchType = -1;
    for (PatchDump* dump : std::as_const(m_dumps))
        delete dump;
    m_dumps.clear();
    m_positions.clear();
}

void PatchClipboard::init(LibraryView* view, PatchGroup* group)
{
    reset();
    m_view = view;
    m_group = group;
    m_patchType = group ? group->patchType() : -1;
}

bool PatchClipboard::add(PatchDump* dump, int row)
{
    if (!dump || dump->isEmpty() || !m_group)
        return false;
    MidiDevice* device = m_group->device();
    PatchDump* copy = device ? device->createPatchDump(m_group->patchType()) : nullptr;
    if (!copy)
        return false;
    copy->copyPatchDump(dump, device);
    m_dumps.append(copy);
    m_positions.append(row);
    return true;
}

void PatchClipboard::viewClosed(MdiView* view)
{
    if (m_view && static_cast<MdiView*>(m_view) == view) {
        // The group goes with the view's document.
        m_view = nullptr;
        m_group = nullptr;
    }
}
