#include "PlgSetupDlg.h"

#include "IniFile.h"
#include "PlgBoards.h"
#include "Prompts.h"
#include "Strings.h"
#include "WindowState.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A button with only an icon: its descriptive text is what assistive
// technologies read and what its tool tip shows.
void describe(QPushButton* button, const QString& text)
{
    SetAccessibleText(button, text);
    button->setToolTip(text);
}

QString boldName(const QString& name)
{
    return QStringLiteral("<b>%1</b>").arg(name);
}

} // namespace

PlgSetupDlg::PlgSetupDlg(MidiDevice* device, QWidget* parent) : Dialog(parent), m_device(device)
{
    setWindowTitle(QStringLiteral("PLG Setup"));
    SetFixedWindow(this);

    // Show what is installed on disk now, whatever was loaded before.
    PlgBoards::loadPLG(device);

    auto* group = new QGroupBox(QStringLiteral("Installed PLG Boards"), this);
    auto* rows = new QVBoxLayout(group);
    rows->setContentsMargins(40, 10, 10, 10);
    for (int s = 0; s < PlgBoards::SlotCount; ++s) {
        m_files.append(QString());
        auto* row = new QHBoxLayout;
        rows->addLayout(row, 0);
        row->addWidget(new QLabel(QStringLiteral("Slot %1:").arg(s + 1)), 0);

        auto* name = new QLabel;
        name->setStyleSheet(
            QStringLiteral("QLabel {border: 1px solid black; background-color: white; color: black }"));
        name->setFixedSize(100, 21);
        m_labels.append(name);
        row->addWidget(name, 0);

        auto* load = new QPushButton;
        describe(load, QStringLiteral("Load PLG%1").arg(s + 1));
        load->setIcon(QIcon(QStringLiteral("core:open.png")));
        load->setObjectName(QString::number(s));
        connect(load, &QPushButton::clicked, this, &PlgSetupDlg::loadFile);
        row->addWidget(load, 0);

        auto* remove = new QPushButton;
        remove->setIcon(QIcon(QStringLiteral("core:delete.png")));
        remove->setObjectName(QString::number(s));
        connect(remove, &QPushButton::clicked, this, &PlgSetupDlg::deleteFile);
        m_deleteButtons.append(remove);
        row->addWidget(remove, 0);

        showBoard(s, PlgBoards::plgName(device, s));
    }
    addRow(group);
    addHButtons(1, false);
}

PlgSetupDlg::~PlgSetupDlg() = default;

void PlgSetupDlg::showBoard(int slot, const QString& name)
{
    const bool empty = name.isEmpty();
    m_labels.at(slot)->setText(boldName(empty ? PlgBoards::noBoard() : name));
    describe(m_deleteButtons.at(slot),
             QStringLiteral("Delete %1").arg(empty ? QStringLiteral("PLG%1").arg(slot + 1) : name));
}

int PlgSetupDlg::senderSlot() const
{
    const QObject* button = sender();
    if (!button)
        return -1;
    const int slot = StringToInt(button->objectName(), false, -1);
    return slot >= 0 && slot < PlgBoards::SlotCount ? slot : -1;
}

void PlgSetupDlg::loadFile()
{
    const int slot = senderSlot();
    if (slot < 0)
        return;
    const QString path =
        PromptFileOpen(this, QStringLiteral("Ini Files (*.ini)"), QStringLiteral("Load PLG Board Definition"),
                       PlgBoards::boardFolder(), QStringLiteral("PLG"));
    if (path.isEmpty())
        return;
    IniFile board;
    QString name;
    QString why;
    if (!PlgBoards::readBoard(path, board, &name, &why)) {
        // The slot keeps its earlier choice.
        error(this, why, QStringLiteral("Load PLG Board Definition"));
        return;
    }
    showBoard(slot, name);
    m_files[slot] = path;
}

void PlgSetupDlg::deleteFile()
{
    const int slot = senderSlot();
    if (slot < 0)
        return;
    showBoard(slot, QString());
    m_files[slot] = PlgBoards::noBoard();
}

void PlgSetupDlg::accept()
{
    QStringList failures;
    for (int s = 0; s < PlgBoards::SlotCount; ++s) {
        QString why;
        if (PlgBoards::createPLGFile(m_device, s, m_files.at(s), &why)) {
            // Installed: accepting again must not write it a second time.
            m_files[s].clear();
        } else {
            failures << QStringLiteral("Slot %1: %2").arg(s + 1).arg(why);
        }
    }
    PlgBoards::loadPLG(m_device);
    if (!failures.isEmpty()) {
        for (int s = 0; s < PlgBoards::SlotCount; ++s) {
            if (m_files.at(s).isEmpty())
                showBoard(s, PlgBoards::plgName(m_device, s));
        }
        error(this, failures.join(QStringLiteral("\n\n")), QStringLiteral("PLG Setup"));
        return;
    }
    QDialog::accept();
}

bool RunPlgSetup(MidiDevice* device, QWidget* parent)
{
    PlgSetupDlg dialog(device, parent);
    return RunDialog(&dialog) == QDialog::Accepted;
}
