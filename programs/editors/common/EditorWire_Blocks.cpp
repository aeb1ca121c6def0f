// Copy, paste and swap of a patch's sub-units (elements, drum keys, parts,
// zones) and of its effect blocks, and the context menu of a sub-unit row's
// caption.
//
// Everything goes through the instrument: the edit buffer is read, blocks
// are taken out of it or written into a fresh copy of it, and the whole edit
// buffer goes back. A block's address is high byte, sub-unit index, low
// byte, so the middle byte of a buffered block (byte 8 of the message) names
// the sub-unit it came from.
//
// Nothing is sent from a buffer that does not hold a whole sub-unit (every
// block, of one sub-unit, each at its block's address), nor from a kept
// effect message that holds no block; a copy whose answer lacks a block
// keeps the buffer as it was.
#include "EditorWire.h"

#include "BulkDump.h"
#include "MidiEditorWindow.h"
#include "MidiParam.h"
#include "Panel.h"
#include "Prompts.h"
#include "Strings.h"
#include "Vesk.h"
#include "VeskSysex.h"
#include "WaitCursor.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <array>
#include <optional>
#include <vector>

namespace {

constexpr int PasteOffset = 1000;
constexpr int SwapOffset = 1500;
// The mix part's receive channel: data byte 3 of its block.
constexpr int ChannelByte = 3;
constexpr int ChannelTimeoutMs = 500;
// Byte 8 of a bulk dump: the middle byte of its address.
constexpr int AddressMiddleByte = 8;

} // namespace

// --- sub-units ---------------------------------------------------------------------

bool EditorWire::takeBlocks(const BulkDump& dump, int i, VeskSysex* into) const
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    std::vector<const Sysex*> found;
    for (int j = 0; j < units.blocks; ++j) {
        const Sysex* message = dump.getSysex(units.block(i, j));
        if (!message)
            return false;
        found.push_back(message);
    }
    for (int j = 0; j < units.blocks; ++j)
        into[j].copy(found[size_t(j)], 0, -1);
    return true;
}

int EditorWire::bufferUnit(const VeskSysex* buffer) const
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    if (!buffer || units.blocks <= 0 || !buffer[0].isValid())
        return -1;
    const int unit = buffer[0].at(AddressMiddleByte);
    if (unit >= units.count)
        return -1;
    for (int j = 0; j < units.blocks; ++j) {
        const VeskSysex& block = buffer[j];
        if (!block.isValid() || block.type() != VeskSysex::KindBulkDump || block.dataSize() <= 0 ||
            block.address() != units.block(unit, j))
            return -1;
    }
    return unit;
}

bool EditorWire::hasCopy() const
{
    return bufferUnit(m_copy) >= 0;
}

void EditorWire::enablePastes(bool enable)
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    if (units.firstCopyId < 0) {
        m_window->enableCommand(units.pasteId, enable);
        m_window->enableCommand(units.swapId, enable);
        return;
    }
    for (int i = 0; i < units.count; ++i) {
        m_window->enableCommand(units.firstCopyId + i + PasteOffset, enable);
        m_window->enableCommand(units.firstCopyId + i + SwapOffset, enable);
    }
}

int EditorWire::readChannel(int part) const
{
    const MidiParam channel(m_traits.subUnits.block(part, 0) + ChannelByte, 1, false, false);
    return device()->syncParamRequest(channel, ChannelTimeoutMs);
}

void EditorWire::copySubUnit(int i)
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    if (i < 0 || i >= units.count || !m_copy)
        return;
    std::optional<WaitCursor> wait;
    if (units.waitCursorOnCopy)
        wait.emplace();
    BulkDump dump;
    if (!requestEditBuffer(dump, units.timeoutMs) || !takeBlocks(dump, i, m_copy))
        return;
    enablePastes(true);
}

bool EditorWire::pasteBuffers(const VeskSysex* buffer, int i)
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    if (i < 0 || i >= units.count || bufferUnit(buffer) < 0)
        return false;
    WaitCursor wait;
    std::vector<VeskSysex> altered(size_t(units.blocks));
    for (int j = 0; j < units.blocks; ++j) {
        altered[size_t(j)].copy(&buffer[j], 0, -1);
        altered[size_t(j)].setAddress(units.block(i, j));
    }
    // The target part keeps the channel it receives on.
    if (units.keepsChannel) {
        const int channel = readChannel(i);
        if (channel != -1 && altered[0].dataSize() > ChannelByte)
            altered[0].setDataAt(ChannelByte, channel);
    }
    Vesk* dev = device();
    const bool placed = dev->bulkTransmitAltered(unsigned(Vesk::getEditBuffer(m_traits.dumpType)), altered.data(),
                                                 units.blocks, units.timeoutMs);
    // False also when a block found no place in the answer; the edit buffer
    // still came and went back.
    return placed || dev->transferError().isEmpty();
}

void EditorWire::pasteSubUnit(int i)
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    if (i < 0 || i >= units.count || !hasCopy())
        return;
    const bool sent = pasteBuffers(m_copy, i);
    // The buffer now names the paste target, so the next swap exchanges
    // with it; a paste that sent nothing leaves the buffer as copied.
    if (sent) {
        for (int j = 0; j < units.blocks; ++j)
            m_copy[j].setAddress(units.block(i, j));
    }
    if (sent || units.rereadAfterFailedPaste)
        m_window->MidiReceive();
}

void EditorWire::swapSubUnit(int i)
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    const int source = bufferUnit(m_copy);
    if (i < 0 || i >= units.count || source < 0 || !m_swap)
        return;
    std::optional<WaitCursor> wait;
    if (units.waitCursorOnSwap)
        wait.emplace();
    BulkDump dump;
    if (!requestEditBuffer(dump, units.timeoutMs) || !takeBlocks(dump, i, m_swap))
        return;
    // The copy goes to the target and the target's blocks to the buffer's
    // sub-unit, applied in this order: when both are the same sub-unit, its
    // own blocks come last and it stays as it is.
    std::vector<VeskSysex> altered(size_t(2 * units.blocks));
    for (int j = 0; j < units.blocks; ++j) {
        VeskSysex& toTarget = altered[size_t(2 * j)];
        VeskSysex& toSource = altered[size_t(2 * j + 1)];
        toTarget.copy(&m_copy[j], 0, -1);
        toTarget.setAddress(units.block(i, j));
        toSource.copy(&m_swap[j], 0, -1);
        toSource.setAddress(units.block(source, j));
    }
    if (units.keepsChannel) {
        const int targetChannel = readChannel(i);
        const int sourceChannel = readChannel(source);
        if (targetChannel != -1 && altered[0].dataSize() > ChannelByte)
            altered[0].setDataAt(ChannelByte, targetChannel);
        if (sourceChannel != -1 && altered[1].dataSize() > ChannelByte)
            altered[1].setDataAt(ChannelByte, sourceChannel);
    }
    device()->bulkTransmitAltered(&dump, altered.data(), int(altered.size()));
    m_window->MidiReceive();
}

// --- effect blocks ---------------------------------------------------------------------

bool EditorWire::effectCommand(int id)
{
    const EditorTraits::EffectBlock* block = nullptr;
    bool paste = false;
    for (const EditorTraits::EffectBlock& e : m_traits.effects) {
        if (id == e.copyId || id == e.copyId + PasteOffset) {
            block = &e;
            paste = id != e.copyId;
            break;
        }
    }
    if (!block || !m_effects)
        return false;
    VeskSysex& kept = m_effects[block->kept];
    Vesk* dev = device();
    const unsigned int editBuffer = unsigned(Vesk::getEditBuffer(m_traits.dumpType));
    WaitCursor wait;
    if (!paste) {
        BulkDump dump;
        if (!dev->syncEditBufferRequest(m_traits.dumpType, dump, block->copyTimeoutMs))
            return true;
        const Sysex* message = dump.getSysex(block->address);
        if (!message)
            return true;
        kept.copy(message, 0, -1);
        for (const EditorTraits::EffectBlock& e : m_traits.effects) {
            if (e.kept == block->kept)
                m_window->enableCommand(e.copyId + PasteOffset, true);
        }
        return true;
    }
    // Only a block of this kept message's kind goes back.
    bool known = false;
    for (const EditorTraits::EffectBlock& e : m_traits.effects)
        known = known || (e.kept == block->kept && kept.address() == e.address);
    if (!known || kept.type() != VeskSysex::KindBulkDump || kept.dataSize() <= 0)
        return true;
    if (block->pasteReaddresses)
        kept.setAddress(block->address);
    const bool placed = dev->bulkTransmitAltered(editBuffer, &kept, block->pasteTimeoutMs);
    if (placed || dev->transferError().isEmpty())
        m_window->MidiReceive();
    return true;
}

// --- the caption context menu -------------------------------------------------------------

bool EditorWire::captionMenu(const QVariant& value)
{
    const EditorTraits::SubUnits& units = m_traits.subUnits;
    auto* panel = dynamic_cast<Panel*>(m_window->knownPanel(value));
    int unit = -1;
    switch (m_traits.captionNumber) {
    case EditorTraits::CaptionNumber::None:
        return true;
    case EditorTraits::CaptionNumber::Iterator:
        // A caption that names no sub-unit ends here.
        if (!panel || panel->iterator() < 0)
            return false;
        unit = panel->iterator();
        break;
    case EditorTraits::CaptionNumber::Title:
        if (panel && panel->internalName().section(u'|', 0, 0) == QLatin1String(m_traits.unitSection))
            unit = StringToInt(panel->title(), false, 0) - 1;
        break;
    }
    if (unit < 0 || unit >= units.count || units.firstCopyId < 0)
        return true;

    const int copyId = units.firstCopyId + unit;
    const std::array<int, 3> ids = {copyId, copyId + PasteOffset, copyId + SwapOffset};
    const std::array<QString, 3> texts = {QStringLiteral("Copy"), QStringLiteral("Paste"), QStringLiteral("Swap")};
    const std::array<QKeySequence, 3> keys = {QKeySequence(QKeySequence::Copy), QKeySequence(QKeySequence::Paste),
                                              QKeySequence(QMenu::tr("Ctrl+B"))};
    std::array<QAction*, 3> actions{};
    std::array<QString, 3> kept;
    for (size_t k = 0; k < ids.size(); ++k) {
        actions[k] = m_window->command(ids[k]);
        if (!actions[k])
            return true;
    }

    QMenu menu;
    bool ran = false;
    std::array<QMetaObject::Connection, 3> watches;
    for (size_t k = 0; k < actions.size(); ++k) {
        kept[k] = actions[k]->text();
        actions[k]->setText(texts[k]);
        if (m_traits.captionShortcuts)
            actions[k]->setShortcut(keys[k]);
        menu.addAction(actions[k]);
        watches[k] = QObject::connect(actions[k], &QAction::triggered, &menu, [&ran]() { ran = true; });
    }
    // A menu on the screen runs the chosen command itself; one answered
    // without a window only names it.
    QAction* chosen = RunPopupMenu(&menu, QCursor::pos());
    if (chosen && !ran)
        chosen->trigger();
    for (size_t k = 0; k < actions.size(); ++k) {
        QObject::disconnect(watches[k]);
        actions[k]->setText(kept[k]);
        if (m_traits.captionShortcuts)
            actions[k]->setShortcut(QKeySequence());
    }
    return true;
}
