#include "PreferencesDlg.h"

#include "ColorButton.h"
#include "VeskLib_Properties.h"

#include <QCheckBox>
#include <QComboBox>

PreferencesDlg::PreferencesDlg(VeskLib_Properties& properties) : Dialog(nullptr), m_properties(properties)
{
    setWindowTitle(QStringLiteral("Preferences"));
    SetFixedWindow(this);
    const DependencyOptions& options = properties.dependencyOptions;

    m_start = new QComboBox;
    m_start->addItems({QStringLiteral("Show empty environment"), QStringLiteral("Create empty Ridev Library"),
                       QStringLiteral("Create empty Voice Library"), QStringLiteral("Load last loaded library")});
    m_start->setCurrentIndex(properties.OnStart);
    m_colorize = new QCheckBox(QStringLiteral("Enable Dependency Coloring"));
    m_colorize->setChecked(options.Colorize);
    const QColor colors[] = {options.Color1, options.Color2, options.Color3};
    const char* const texts[] = {"Child", "Parent", "Parent/Child"};
    for (int i = 0; i < 3; ++i) {
        m_colors[i] = new ColorButton;
        m_colors[i]->setColor(colors[i]);
        m_colors[i]->setText(QString::fromLatin1(texts[i]));
        m_colors[i]->setMaximumSize(40, 19);
    }
    m_paste = new QComboBox;
    m_paste->addItems({QStringLiteral("Always"), QStringLiteral("Prompt"), QStringLiteral("Never")});
    m_paste->setCurrentIndex(options.PasteChildren);

    auto* startup = new DialogForm(QStringLiteral("Startup Options"), 36, 14, addHLayout(4));
    startup->addRow(QStringLiteral("When the application starts:"), m_start, 260);
    auto* dependencies = new DialogForm(QStringLiteral("Dependency Options"), 36, 14, addHLayout(4));
    dependencies->addRow(QString(), m_colorize, -1);
    dependencies->addRow(QStringLiteral("Patch is a Child (is used by other Patches)"), m_colors[0], -1);
    dependencies->addRow(QStringLiteral("Patch is a Parent (uses other Patches)"), m_colors[1], -1);
    dependencies->addRow(QStringLiteral("Patch is both Child and Parent"), m_colors[2], -1);
    dependencies->addRow(QStringLiteral("Paste Child Patches"), m_paste, 160);
    addHButtons(1, false);
}

PreferencesDlg::~PreferencesDlg() = default;

void PreferencesDlg::apply()
{
    m_properties.OnStart = m_start->currentIndex();
    DependencyOptions& options = m_properties.dependencyOptions;
    options.PasteChildren = m_paste->currentIndex();
    options.Colorize = m_colorize->isChecked();
    options.Color1 = m_colors[0]->color();
    options.Color2 = m_colors[1]->color();
    options.Color3 = m_colors[2]->color();
}
