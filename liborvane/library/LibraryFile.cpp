// The library file: writing a tree, checking and reading a file, and each
// node's own record.
#include "LibraryFile.h"

#include "DelayedProgress.h"
#include "Library.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "PatchDump.h"
#include "PatchGroupList.h"
#include "Paths.h"
#include "Prompts.h"
#include "VarArgs.h"
#include "WaitCursor.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

// The name a file is written under and compared with: the name the device
// was built with (a loaded instrument definition renames the device after
// another model, and the patches are still ours).
QString deviceModel(MidiDevice* device)
{
    return device ? device->originalName() : QString();
}

// Every dump record takes at least its size and its comment's length.
constexpr qint64 MinDumpRecord = 8;

// A load's progress in thousandths: reading the file takes most of it.
constexpr qint64 ProgressSteps = 1000;
constexpr qint64 ReadingSteps = 800;

// The progress window's title: the file's name.
QString progressTitle(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QStringLiteral("Library") : name;
}

// The save under way on this thread, which each group's record reports to
// as its dumps go out.
struct SaveProgress
{
    DelayedProgress* progress = nullptr;
    qint64 dumps = 0;
};
thread_local SaveProgress t_saving;

// The records a tree reads: those of its first group's kind.
LibraryReader::Records recordsOf(Library* tree)
{
    const PatchGroupList groups(tree);
    if (groups.isEmpty())
        return LibraryReader::Records::Any;
    return groups.first()->type() == Library::BankGroup ? LibraryReader::Records::Bank
                                                         : LibraryReader::Records::Type;
}

} // namespace

// LibraryReader ------------------------------------------------------------------

LibraryReader::LibraryReader(MidiDevice* device) : m_device(device) {}

bool LibraryReader::open(const QByteArray& bytes, Records kind)
{
    m_data.setBytes(bytes);
    bool ok;
    if (kind == Records::Any)
        ok = check(Records::Bank) || check(Records::Type);
    else
        ok = check(kind);
    if (!ok) {
        m_banks.clear();
        m_types.clear();
        return false;
    }
    m_foreign = !m_model.isEmpty() && m_model != deviceModel(m_device);
    return true;
}

bool LibraryReader::check(Records kind)
{
    m_banks.clear();
    m_types.clear();
    m_dumpRecords = 0;
    m_ar.openBuffer(static_cast<const Buffer&>(m_data));
    m_ar.setMFC();
    m_ar >> m_model;
    if (m_ar.failed())
        return false;
    while (!m_ar.eof()) {
        if (kind == Records::Bank) {
            const unsigned short word = m_ar.readWORD();
            if (m_ar.failed())
                return false;
            // The first record of a bank is the one read.
            if (!m_banks.contains(word))
                m_banks.insert(word, m_ar.pos());
        } else {
            QString name;
            m_ar >> name;
            if (m_ar.failed())
                return false;
            if (!m_types.contains(name))
                m_types.insert(name, m_ar.pos());
        }
        const qint64 record = m_ar.pos();
        m_dumpRecords += qMax(0, m_ar.readInt());
        m_ar.seek(record);
        if (!PatchGroup::skipGroup(m_ar))
            return false;
    }
    return !m_ar.failed();
}

void LibraryReader::setProgress(DelayedProgress* progress)
{
    m_progress = progress;
    m_dumpsRead = 0;
}

void LibraryReader::dumpPassed()
{
    // Every thousandth of the file's dumps or so: the window's bar moves in
    // hundredths.
    if (m_progress && m_dumpRecords > 0 && (++m_dumpsRead & 255) == 0)
        m_progress->setDone(ReadingSteps + (ProgressSteps - ReadingSteps) * m_dumpsRead / m_dumpRecords);
}

int LibraryReader::readCount()
{
    return m_ar.readInt();
}

bool LibraryReader::readDump(PatchDump* dump)
{
    dumpPassed();
    const int size = m_ar.readInt();
    const qint64 at = m_ar.pos();
    if (size < 0 || size > m_ar.remaining()) {
        // Not in a checked file; a damaged one is never read this far.
        m_ar.skip(m_ar.remaining());
        dump->clear();
        return false;
    }
    // The dump keeps its bytes in the file's block and makes its messages
    // when they are first asked for; a file of another model is converted
    // below, which makes them at once.
    const qsizetype left = dump->fromStoredBlock(m_data.bytes(), at, size, m_device);
    m_ar.skip(size);
    QString comment;
    m_ar >> comment;
    dump->setComment(comment);
    if (m_foreign && !dump->translateDump(m_device, nullptr)) {
        dump->clear();
        ++m_notConverted;
        return false;
    }
    if (left > 0)
        ++m_trimmed;
    return true;
}

void LibraryReader::skipDump()
{
    dumpPassed();
    const int size = m_ar.readInt();
    m_ar.skip(qBound(qint64(0), qint64(size), m_ar.remaining()));
    const qint64 comment = m_ar.readUINT();
    m_ar.skip(qMin(comment, m_ar.remaining()));
}

// The document --------------------------------------------------------------------

bool Library::storeDocument(Archive& ar)
{
    DelayedProgress progress(progressTitle(ar.filename()), QStringLiteral("Writing the library"),
                             ridevPatchesCount());
    const SaveProgress outer = t_saving;
    t_saving = {&progress, 0};
    ar.setMFC();
    ar << deviceModel(m_device);
    toArchive(ar);
    t_saving = outer;
    return !ar.failed();
}

bool Library::loadDocument(Archive& ar)
{
    clearDocument();
    ar.setMFC();
    const QString path = ar.filename();
    const qint64 size = ar.remaining();
    DelayedProgress progress(progressTitle(path), QStringLiteral("Reading the library"), ProgressSteps);
    // Read in pieces, so that a slow disk shows how far it is.
    QByteArray bytes(size, Qt::Uninitialized);
    constexpr qint64 Piece = 4 << 20;
    bool read = true;
    for (qint64 done = 0; read && done < size;) {
        const qint64 n = qMin(Piece, size - done);
        read = ar.readRaw(bytes.data() + done, n);
        done += n;
        progress.setDone(ReadingSteps * done / size);
    }
    LibraryReader file(m_device);
    if (!read || !file.open(bytes, recordsOf(this))) {
        setDocError(VarArgs::format(QStringLiteral("Cannot open file\n\n%s"), GetCompactPath(path)));
        return false;
    }
    bytes = QByteArray(); // the reader holds the only copy
    file.setProgress(&progress);

    const QString ours = deviceModel(m_device);
    const QString title = VarArgs::format(QStringLiteral("%s File"), file.model());
    if (file.model() != ours) {
        // The box is a question of its own, not part of a wait.
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::restoreOverrideCursor();
        Prompts::current()->warning(
            nullptr,
            VarArgs::format(QStringLiteral("This library is for the %s!\r\nRidev Vurivodez will convert it to %s format."),
                            file.model(), ours),
            title);
    }
    {
        WaitCursor wait;
        fromArchive(file);
    }

    QStringList losses;
    if (const int n = file.notConverted())
        losses.append(VarArgs::format(QStringLiteral("%s could not be converted to %s format and %s left out."),
                                      strPatches(n, true), ours, n == 1 ? "was" : "were"));
    if (const int n = file.trimmed())
        losses.append(VarArgs::format(
            QStringLiteral("%s held bytes that are no messages of the %s; those bytes were left out."),
            strPatches(n, true), ours));
    if (!losses.isEmpty())
        Prompts::current()->warning(nullptr, losses.join(QStringLiteral("\r\n")), title);
    return true;
}

// Undo steps -------------------------------------------------------------------------

namespace {

struct LibraryState : DocumentState
{
    struct Dump
    {
        BulkDump::Content content;
        QString comment;
    };
    struct Group
    {
        PatchGroup* group;
        QList<Dump> dumps; // a null dump of the tree keeps an empty entry
    };
    QList<Group> groups; // every group of the tree, in tree order
};

} // namespace

std::shared_ptr<const DocumentState> Library::saveState()
{
    auto state = std::make_shared<LibraryState>();
    const PatchGroupList groups(this);
    state->groups.reserve(groups.size());
    for (PatchGroup* group : groups) {
        LibraryState::Group& kept = state->groups.emplaceBack();
        kept.group = group;
        kept.dumps.reserve(group->dumps().size());
        for (const PatchDump* dump : std::as_const(group->dumps())) {
            if (dump)
                kept.dumps.append({dump->content(), dump->comment()});
            else
                kept.dumps.append(LibraryState::Dump());
        }
    }
    return state;
}

bool Library::restoreState(const DocumentState& state)
{
    const auto* saved = dynamic_cast<const LibraryState*>(&state);
    const PatchGroupList groups(this);
    if (!saved || saved->groups.size() != groups.size())
        return false;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        if (saved->groups.at(i).group != groups.at(i))
            return false;
    }
    for (const LibraryState::Group& kept : saved->groups) {
        PatchGroup* group = kept.group;
        MidiDevice* device = group->device();
        group->clear();
        if (group->type() == BankGroup) {
            // The rows stay; each takes back what it held.
            const qsizetype rows = qMin(kept.dumps.size(), group->dumps().size());
            for (qsizetype row = 0; row < rows; ++row) {
                if (PatchDump* dump = group->dumps().at(row)) {
                    dump->setContent(kept.dumps.at(row).content, device);
                    dump->setComment(kept.dumps.at(row).comment);
                }
            }
            continue;
        }
        static_cast<TypePatchGroup*>(group)->onLoadName();
        group->dumps().reserve(kept.dumps.size());
        for (const LibraryState::Dump& was : kept.dumps) {
            PatchDump* dump = device ? device->createPatchDump(group->patchType()) : nullptr;
            if (!dump)
                continue;
            dump->setContent(was.content, device);
            dump->setComment(was.comment);
            group->dumps().append(dump);
        }
    }
    return true;
}

// Records of each node -------------------------------------------------------------

bool LibraryFolder::fromArchive(LibraryReader& file)
{
    // Every group is reached, so none keeps what it held before the load.
    bool ok = true;
    for (Library* child : std::as_const(m_children)) {
        if (child && !child->fromArchive(file))
            ok = false;
    }
    return ok;
}

void LibraryFolder::toArchive(Archive& ar)
{
    for (Library* child : std::as_const(m_children)) {
        if (child)
            child->toArchive(ar);
    }
}

bool PatchGroup::skipGroup(Archive& ar)
{
    const int count = ar.readInt();
    if (ar.failed() || count < 0 || count > ar.remaining() / MinDumpRecord)
        return false;
    for (int i = 0; i < count; ++i) {
        const int size = ar.readInt();
        if (ar.failed() || size < 0 || size > ar.remaining())
            return false;
        ar.skip(size);
        const unsigned int comment = ar.readUINT();
        if (ar.failed() || comment > ar.remaining())
            return false;
        ar.skip(comment);
    }
    return !ar.failed();
}

void PatchGroup::writeRecord(Archive& ar)
{
    ar << int(m_dumps.size());
    // The dumps are laid out in memory and go to the file in pieces of about
    // a megabyte: a file written message by message costs a call per message.
    constexpr qint64 Piece = 1 << 20;
    Buffer piece;
    Archive out(piece);
    const auto flush = [&] {
        ar.writeRaw(piece.data(), out.pos());
        out.seek(0);
    };
    for (PatchDump* dump : std::as_const(m_dumps)) {
        if (dump) {
            dump->toArchive(out);
        } else {
            // Keeps the count true: an empty slot.
            out << 0 << QString();
        }
        if (out.pos() >= Piece) {
            flush();
            if (t_saving.progress)
                t_saving.progress->setDone(t_saving.dumps);
        }
        ++t_saving.dumps;
    }
    flush();
}

bool BankPatchGroup::fromArchive(LibraryReader& file)
{
    clear();
    const qint64 record = file.bankRecord(m_bank.word());
    if (record < 0 || !file.seek(record))
        return true;
    return loadGroup(file);
}

void BankPatchGroup::toArchive(Archive& ar)
{
    ar << m_bank.word();
    writeRecord(ar);
}

bool BankPatchGroup::loadGroup(LibraryReader& file)
{
    const int count = file.readCount();
    // Rows beyond the record stay empty; records beyond the rows are left.
    const int rows = qMin(count, int(m_dumps.size()));
    for (int row = 0; row < rows; ++row) {
        if (PatchDump* dump = m_dumps.at(row))
            file.readDump(dump);
        else
            file.skipDump();
    }
    return true;
}

bool TypePatchGroup::fromArchive(LibraryReader& file)
{
    clear();
    qint64 record = file.typeRecord(m_name);
    if (m_name == QLatin1String("Normal Voices")) {
        const qint64 older = file.typeRecord(QStringLiteral("Voices"));
        if (older >= 0 && (record < 0 || older < record))
            record = older;
    }
    if (record < 0 || !file.seek(record))
        return true;
    onLoadName();
    return loadGroup(file);
}

void TypePatchGroup::toArchive(Archive& ar)
{
    ar << m_name;
    writeRecord(ar);
}

bool TypePatchGroup::loadGroup(LibraryReader& file)
{
    const int count = file.readCount();
    if (count < 1)
        return true;
    m_dumps.reserve(m_dumps.size() + count);
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        PatchDump* dump = m_device ? m_device->createPatchDump(m_patchType) : nullptr;
        if (!dump) {
            // A type the device cannot hold: the record is passed over.
            file.skipDump();
            ok = false;
            continue;
        }
        if (file.readDump(dump))
            m_dumps.append(dump);
        else
            delete dump;
    }
    return ok;
}
