#include "ColorManager_SetupDlg.h"

#include "ColorButton.h"
#include "ColorManager.h"
#include "MainWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>

ColorManager_SetupDlg::ColorManager_SetupDlg(ColorManager* manager, QWidget* parent)
    : Dialog(parent), m_schemes(new QComboBox), m_manager(manager), m_font(new FontCtrl)
{
    setWindowTitle(QStringLiteral("Appearance"));
    SetFixedWindow(this);
    setMargin(14, 2);
    setSpacing(12);

    auto* schemeRow = new QFormLayout;
    schemeRow->addRow(QStringLiteral("Color Scheme:"), m_schemes);
    addRow(schemeRow);
    for (int s = 0; s < OfferedSchemes; ++s)
        m_schemes->addItem(ColorManager::GetSchemeName(s));

    auto* colors = new DialogForm(QStringLiteral("Color Settings"), 20, 15, addHLayout(4));
    colors->form()->setHorizontalSpacing(10);
    colors->form()->setVerticalSpacing(1);
    colors->form()->setRowWrapPolicy(QFormLayout::DontWrapRows);
    for (int k = 0; k < ColorManager::ColorCount; ++k) {
        auto* button = new ColorButton;
        m_buttons.append(button);
        colors->addRow(ColorManager::GetColorLabel(ColorTypes(k)) + QLatin1Char(':'), button, -1);
    }
    for (int k = 0; k < ColorManager::ColorCount; ++k) {
        ColorButton* button = m_buttons.at(k);
        button->setColor(manager ? manager->getColor(ColorTypes(k)) : QColor());
        button->setText(ColorManager::GetColorLabel(ColorTypes(k)));
        button->setMaximumSize(58, 20);
        connect(button, &ColorButton::colorChanged, this, &ColorManager_SetupDlg::updateSchemeSelection);
    }

    if (manager)
        m_font->setFont(manager->font());
    m_font->setMinimumSize(240, 21);
    auto* fontRow = new QFormLayout;
    fontRow->setContentsMargins(0, 0, 0, 0);
    fontRow->setHorizontalSpacing(10);
    fontRow->setVerticalSpacing(3);
    fontRow->setRowWrapPolicy(QFormLayout::WrapAllRows);
    fontRow->addRow(QStringLiteral("Font:"), m_font);
    addRow(fontRow);

    addVButtons(5, true);

    // The first selection only shows what the colours are: it must not load
    // a scheme into the buttons.
    updateSchemeSelection();
    connect(m_schemes, &QComboBox::currentIndexChanged, this, &ColorManager_SetupDlg::onSchemeChanged);
}

ColorManager_SetupDlg::~ColorManager_SetupDlg() = default;

ColorButton* ColorManager_SetupDlg::colorButton(int type) const
{
    return m_buttons.value(type, nullptr);
}

void ColorManager_SetupDlg::onSchemeChanged(int index)
{
    if (index == -1)
        return;
    // One selection update for the whole scheme rather than one per button,
    // whose half-loaded states would each clear the combo.
    for (int k = 0; k < ColorManager::ColorCount; ++k) {
        const QSignalBlocker quiet(m_buttons.at(k));
        m_buttons.at(k)->setColor(ColorManager::GetSchemeColor(index, ColorTypes(k)));
    }
    updateSchemeSelection();
}

void ColorManager_SetupDlg::updateSchemeSelection()
{
    int match = -1;
    for (int s = 0; s < ColorManager::SchemeCount && match < 0; ++s) {
        bool equal = true;
        for (int k = 0; k < ColorManager::ColorCount && equal; ++k)
            equal = m_buttons.at(k)->color() == ColorManager::GetSchemeColor(s, ColorTypes(k));
        if (equal)
            match = s;
    }
    // Schemes past the combo's list select nothing.
    m_schemes->setCurrentIndex(match < m_schemes->count() ? match : -1);
}

void ColorManager_SetupDlg::apply()
{
    if (m_manager) {
        for (int k = 0; k < ColorManager::ColorCount; ++k)
            m_manager->setColor(k, m_buttons.at(k)->color());
        m_manager->setFont(m_font->font());
    }
    if (QWidget* parent = parentWidget()) {
        parent->update();
        if (auto* window = qobject_cast<MainWindow*>(parent))
            window->updateStyleSheets();
    }
}
