// Starting the editor programs: empty (the Editors commands) or with the
// current patch ("Edit"), which goes to the editor in a patch file: the bulk
// header of the patch type's edit buffer, the patch's messages from F0 to F7,
// the bulk footer, nothing between them. The editor sends the file to the
// instrument's edit buffer and edits it live.
//
// The editors are installed beside the librarian (bin/ of the install tree,
// bin/ of the build tree), under their program names. Each is started as a
// process of its own; a running editor takes the file over from the new
// start (its single instance). Until the editor runs, the librarian shows
// that it is starting; an editor that does not come up is reported.
#include "VeskLib.h"

#include "Instance.h"
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
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTimer>

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

namespace {

// How long an editor may take to come up before the librarian says it did
// not; how often it looks.
constexpr int EditorStartLimitMs = 30000;
constexpr int EditorLookMs = 200;

// Shows that an editor is starting (a busy cursor and the status line) until
// the editor answers as the running instance of its program, and says so
// when it does not within the limit. Goes with the window or when done.
class EditorStartWatch : public QObject
{
public:
    EditorStartWatch(VeskLib* window, const QString& title, const QString& path)
        : QObject(window), m_window(window), m_title(title), m_path(path)
    {
        m_text = QStringLiteral("Starting the %1...").arg(title);
        m_window->statusBar()->showMessage(m_text);
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, &EditorStartWatch::look);
        m_timer.start(EditorLookMs);
    }
    ~EditorStartWatch() override { QGuiApplication::restoreOverrideCursor(); }

private:
    void look()
    {
        if (Instance::isRunning(VeskLib::EditorOrganisation, m_title)) {
            if (m_window->statusBar()->currentMessage() == m_text)
                m_window->statusBar()->clearMessage();
            deleteLater();
            m_timer.stop();
            return;
        }
        if (!m_clock.hasExpired(EditorStartLimitMs))
            return;
        m_timer.stop();
        deleteLater();
        const QString failed = QStringLiteral("The %1 did not start").arg(m_title);
        m_window->statusBar()->showMessage(failed);
        warning(m_window, QStringLiteral("%1.\n\n%2").arg(failed, m_path));
    }

    VeskLib* m_window;
    QString m_title;
    QString m_path;
    QString m_text;
    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace

QString VeskLib::editorTitle(int type) const
{
    QString kind;
    switch (type) {
    case 0:
        kind = QStringLiteral("Voice");
        break;
    case 1:
        kind = QStringLiteral("Drum Kit");
        break;
    case 3:
        kind = QStringLiteral("Performance");
        break;
    case 4:
        kind = QStringLiteral("Mix");
        break;
    case 5:
        kind = QStringLiteral("Master");
        break;
    default:
        return QString();
    }
    return QStringLiteral("%1 %2 Editor").arg(midiDevice()->name(), kind);
}

void VeskLib::startEditor(int type, const QString& file)
{
    const QString program = editorProgram(type);
    if (program.isEmpty())
        return;
    QCoreApplication::processEvents();
    const QString path = editorFolder() + QLatin1Char('/') + program;
    if (!Execute(path, file)) {
        error(this, QStringLiteral("Cannot start the editor\n\n%1").arg(path));
        return;
    }
    // An editor takes a few seconds to show its window.
    new EditorStartWatch(this, editorTitle(type), path);
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
