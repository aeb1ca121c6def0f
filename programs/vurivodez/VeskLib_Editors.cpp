// Starting the editor programs: empty (the Editors commands) or with the
// current patch ("Edit"), which goes to the editor in a patch file: the bulk
// header of the patch type's edit buffer, the patch's messages from F0 to F7,
// the bulk footer, nothing between them. The editor sends the file to the
// instrument's edit buffer and edits it live.
//
// The editors are installed beside the librarian (bin/ of the install tree,
// bin/ of the build tree), under their program names. Each is started as a
// process of its own; a running editor takes the file over from the new
// start (its single instance).
#include "VeskLib.h"

#include "Launcher.h"
#include "LibraryView.h"
#include "PatchDump.h"
#include "Prompts.h"
#include "Sysex.h"
#include "Vesk.h"
#include "VeskSysex.h"
#include "VoicesListView.h"
#include "WaitCursor.h"

#include <QCoreApplication>

QString VeskLib::editorProgram(int type)
{
    switch (type) {
    case 0:
        return QStringLiteral("VeskVoice");
    case 1:
        return QStringLiteral("VeskDrum");
    case 3:
        return QStringLiteral("VeskPerf");
    case 4:
        return QStringLiteral("VeskMix");
    case 5:
        return QStringLiteral("VeskMaster");
    default: // PLG voices have no editor of their own
        return QString();
    }
}

QString VeskLib::editorFolder()
{
    return QCoreApplication::applicationDirPath();
}

void VeskLib::startEditor(int type, const QString& file)
{
    const QString program = editorProgram(type);
    if (program.isEmpty())
        return;
    QCoreApplication::processEvents();
    const QString path = editorFolder() + QLatin1Char('/') + program;
    if (!Execute(path, file))
        error(this, QStringLiteral("Cannot start the editor\n\n%1").arg(path));
}

Buffer VeskLib::patchFileBytes(PatchDump* dump)
{
    Buffer bytes;
    const int address = Vesk::getEditBuffer(dump->type());
    if (address < 0)
        return bytes;
    VeskSysex header;
    header.prepareBulkHeader(unsigned(address));
    VeskSysex footer;
    footer.prepareBulkFooter(unsigned(address));
    Archive ar(bytes);
    ar << static_cast<const Buffer&>(header);
    for (Sysex* message : *dump)
        ar << static_cast<const Buffer&>(*message);
    ar << static_cast<const Buffer&>(footer);
    ar.close();
    return bytes;
}

void VeskLib::editCurrentPatch()
{
    LibraryView* view = currentLibraryView();
    if (!view)
        return;
    WaitCursor wait;
    VoicesListView* list = view->voicesList();
    // The instrument plays the patch while its editor starts.
    list->sendProgramChange();
    PatchDump* dump = list->currentDump();
    if (!dump || dump->isEmpty())
        return;
    const Buffer bytes = patchFileBytes(dump);
    if (bytes.isEmpty())
        return;
    // The previous patch file ends here; the editor it went to read it when
    // it started.
    m_tempArchive.close();
    const QString path = m_tempArchive.openTempFile(QStringLiteral("pe"));
    if (path.isEmpty()) {
        error(this, QStringLiteral("Cannot create the patch file for the editor."));
        return;
    }
    m_tempArchive << bytes;
    if (!m_tempArchive.ok() || !m_tempArchive.seek(0)) {
        m_tempArchive.close();
        error(this, QStringLiteral("Cannot write the patch file for the editor\n\n%1").arg(path));
        return;
    }
    m_patchFilePath = path;
    startEditor(dump->type(), path);
}
