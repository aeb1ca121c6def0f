// The "Appearance" dialog: the colour scheme, the eleven colours and the font
// of an editor window's ColorManager.
//
// The buttons and the font control start as copies of the manager's values;
// the manager changes only when the dialog is accepted (apply), never when it
// is cancelled. Choosing a scheme in the combo fills all eleven buttons with
// its colours; whenever the buttons' colours equal one of the schemes the
// combo offers, it shows that scheme, otherwise nothing. Only schemes 0 to 8
// are offered: colours equal to "Basic" or "Red & Blue" show nothing.
#pragma once

#include "Dialog.h"

class ColorButton;
class ColorManager;
class FontCtrl;
class QComboBox;

class ColorManager_SetupDlg : public Dialog
{
    Q_OBJECT

public:
    // Schemes 0 to OfferedSchemes - 1 are listed in the combo.
    static constexpr int OfferedSchemes = 9;

    ColorManager_SetupDlg(ColorManager* manager, QWidget* parent = nullptr);
    ~ColorManager_SetupDlg() override;

    // Writes the buttons' colours and the font into the manager; then the
    // parent, if any, repaints and, when it is a MainWindow, rebuilds its
    // style sheets.
    void apply() override;

    QComboBox* schemeCombo() const { return m_schemes; }
    ColorButton* colorButton(int type) const;
    FontCtrl* fontCtrl() const { return m_font; }

protected slots:
    // Loads the scheme into the buttons; nothing for -1.
    void onSchemeChanged(int index);
    // Selects the first scheme whose eleven colours equal the buttons', or
    // nothing.
    void updateSchemeSelection();

private:
    QComboBox* m_schemes = nullptr;
    ColorManager* m_manager = nullptr;
    FontCtrl* m_font = nullptr;
    QList<ColorButton*> m_buttons;
};
