// The librarian's "Preferences": what happens at start-up and the dependency
// options of the library views (colouring and its three colours, whether
// pasting also pastes child patches). Accepting writes the controls into the
// settings record at once; the views read it at their next paint and paste.
// Cancelling changes nothing. GUI thread only.
#pragma once

#include "Dialog.h"

class ColorButton;
class QCheckBox;
class QComboBox;
struct VeskLib_Properties;

class PreferencesDlg : public Dialog
{
    Q_OBJECT

public:
    explicit PreferencesDlg(VeskLib_Properties& properties);
    ~PreferencesDlg() override;

    QComboBox* startList() const { return m_start; }
    QComboBox* pasteList() const { return m_paste; }
    QCheckBox* colorizeBox() const { return m_colorize; }
    ColorButton* colorButton(int i) const { return m_colors[i]; }

    // The controls into the record (EditorsBar keeps its value).
    void apply() override;

private:
    VeskLib_Properties& m_properties;
    QComboBox* m_start;
    QComboBox* m_paste;
    QCheckBox* m_colorize;
    ColorButton* m_colors[3];
};
