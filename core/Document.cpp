#include "Document.h"

#include "Archive.h"
#include "Paths.h"
#include "VarArgs.h"

Document::~Document() = default;

bool Document::loadFile(const QString& path)
{
    m_docError.clear();
    Archive archive;
    if (!archive.readFile(path)) {
        m_docError = VarArgs::format(QStringLiteral("Cannot open file\n\n%s"), GetCompactPath(path));
        return false;
    }
    const bool ok = loadDocument(archive);
    archive.close();
    return ok;
}

bool Document::storeFile(const QString& path)
{
    m_docError.clear();
    Archive archive;
    const QString cannotSave =
        VarArgs::format(QStringLiteral("Cannot save file\n\n%s"), GetCompactPath(path));
    if (!archive.writeFile(path)) {
        m_docError = cannotSave;
        return false;
    }
    if (!storeDocument(archive)) {
        archive.discard();
        if (m_docError.isEmpty())
            m_docError = cannotSave;
        return false;
    }
    if (!archive.close()) {
        m_docError = cannotSave;
        return false;
    }
    return true;
}

void Document::newDocument(int type)
{
    Q_UNUSED(type);
    clearDocument();
}

bool Document::loadDocument(Archive& archive)
{
    Q_UNUSED(archive);
    return false;
}

bool Document::storeDocument(Archive& archive)
{
    Q_UNUSED(archive);
    return false;
}

namespace {

// The default undo step: the stored form.
struct StoredState : DocumentState
{
    Buffer bytes;
};

} // namespace

std::shared_ptr<const DocumentState> Document::saveState()
{
    auto state = std::make_shared<StoredState>();
    Archive ar(state->bytes);
    storeDocument(ar);
    ar.close();
    return state;
}

bool Document::restoreState(const DocumentState& state)
{
    const auto* stored = dynamic_cast<const StoredState*>(&state);
    if (!stored)
        return false;
    Archive ar(stored->bytes);
    return loadDocument(ar);
}
