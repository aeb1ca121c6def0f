#include "PanelDlg.h"

#include "Colors.h"
#include "MidiClient.h"
#include "WindowState.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

namespace {

// Room around the panel, and between the panel and a Close button.
constexpr int OuterMargin = 9;
constexpr int FramelessMargin = 1;
constexpr int RowSpacing = 4;
// Rows of the shadow under the top edge of the background.
constexpr int BackgroundBand = 6;
// The button set of addCloseButton that a modal window gets.
constexpr int CloseButtonSet = 3;

} // namespace

PanelDlg::PanelDlg(QWidget* parent, MidiClient* client, const LaunchInfo& info, unsigned int base)
    : PanelDlg(parent, client)
{
    init(info, base);
}

PanelDlg::PanelDlg(QWidget* parent, MidiClient* client) : Dialog(parent), m_sectionPanel(client)
{
    SetFixedWindow(this);
}

PanelDlg::~PanelDlg()
{
    if (isVisible())
        StoreWindowState(this, m_sectionPanel.internalName());
}

bool PanelDlg::init(const LaunchInfo& info, unsigned int base)
{
    m_launch = info;
    if (!m_launch.hasSection())
        return false;

    setWindowModality(m_launch.modal ? Qt::ApplicationModal : Qt::NonModal);
    int margin = OuterMargin;
    if (m_launch.frameless) {
        RemoveWindowFrame(this);
        margin = FramelessMargin;
    }
    setMargin(margin, 0);
    setSpacing(RowSpacing);

    m_sectionPanel.init(this, QPoint(0, 0), true);
    m_sectionPanel.setMargins(10, 9, 10, 9);
    m_sectionPanel.setPadding(8, 2);
    m_sectionPanel.setControlWidth(m_launch.colwidth);
    if (base != NoBase)
        m_sectionPanel.setBaseAddress(base + unsigned(m_launch.address_offset));

    if (!loadPanel()) {
        close();
        return false;
    }
    addRow(&m_sectionPanel);
    if (m_launch.modal)
        addCloseButton(CloseButtonSet);
    else
        show();
    return true;
}

bool PanelDlg::loadPanel()
{
    // The size the last load fixed would hold the panel's frame at the old
    // section's size: a larger section would be cut off, a smaller one
    // leave empty room.
    m_sectionPanel.setMinimumSize(0, 0);
    m_sectionPanel.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (m_launch.hasSubSection()) {
        // No value yet (the control had none): no sub-section to show.
        if (m_launch.value.isEmpty())
            m_sectionPanel.clear();
        else
            m_sectionPanel.loadSubSection(m_launch.section, QStringLiteral("value"), m_launch.value,
                                          m_launch.iterator, m_launch.flag);
    } else {
        m_sectionPanel.loadSection(m_launch.section, m_launch.iterator, m_launch.flag);
    }
    if (m_sectionPanel.isEmpty())
        return false;

    LoadWindowState(this, m_sectionPanel.internalName(), QPoint(0, 0));
    setWindowTitle(m_sectionPanel.title());
    m_sectionPanel.setFixedSize(m_sectionPanel.width(), m_sectionPanel.height());
    if (MidiClient* client = m_sectionPanel.liveClient())
        client->OnLoadPanel(&m_sectionPanel);
    m_sectionPanel.MidiReceive();
    return true;
}

void PanelDlg::changeSection(int data)
{
    if (MidiClient* client = m_sectionPanel.liveClient())
        client->removePanel(&m_sectionPanel);
    // A closed window only leaves the client; its control makes a new one
    // for the value current then.
    if (!isVisible())
        return;
    // Saved under the name the new sub-section shares when the window was
    // opened at a base address, so it stays where it is.
    StoreWindowState(this, m_sectionPanel.internalName());
    m_launch.setSectionValue(data);
    if (!loadPanel())
        close();
}

void PanelDlg::setTitle(const QString& text)
{
    setWindowTitle(text);
    m_sectionPanel.setTitle(text);
}

PanelDlg* PanelDlg::DoPanel(QWidget* parent, MidiClient* client, const QString& section, int width)
{
    LaunchInfo info;
    info.section = section;
    // 0 keeps the default width, as a layout's "colwidth" of 0 does.
    if (width)
        info.colwidth = width;
    auto* window = new PanelDlg(parent, client);
    // Set before the load: a section without controls closes the window
    // inside init, and nobody else holds it to delete it.
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->init(info, NoBase)) {
        delete window;
        return nullptr;
    }
    return window;
}

void PanelDlg::reject()
{
    close();
}

void PanelDlg::keyPressEvent(QKeyEvent* event)
{
    // Plain keys are the check boxes' shortcuts, as in the editor window.
    if (!(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        m_sectionPanel.onKey(event->key());
    if (event->key() == Qt::Key_F5) {
        m_sectionPanel.MidiReceive();
        event->accept();
        return;
    }
    Dialog::keyPressEvent(event);
}

void PanelDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_launch.frameless)
        FillRect(&painter, rect(), Qt::black);
    else
        m_sectionPanel.Colored::colorManager()->drawBackground(&painter, rect(), BackgroundBand);
}

void PanelDlg::closeEvent(QCloseEvent* event)
{
    // Only a window that was on screen has a position worth keeping: one
    // closed while it opens (its section had no control) would overwrite
    // the position its sub-sections share.
    if (isVisible())
        StoreWindowState(this, m_sectionPanel.internalName());
    m_sectionPanel.clear();
    event->accept();
}
