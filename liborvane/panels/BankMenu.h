// The pop-up menu from which the user picks one patch of a bank set.
//
// Each entry's data is the packed patch ((bank word << 8) + program). Two
// layouts:
//   plain    one sub-menu per bank, titled with the bank's name, holding its
//            programs as "001  name" (a set of one bank puts them straight
//            into the menu);
//   grouped  one sub-menu per name group, the part of a patch name before its
//            first ":" ("Ap" of "Ap:Grand"), holding "BANK:Ap:Grand" for the
//            patches of every bank in that group. A bank contributes its
//            patches up to its first name without a group.
// The current patch, and the sub-menu that holds it, carry the check mark.
// Every "&" of a patch name is doubled, so no character becomes a keyboard
// mnemonic. The menu runs through the prompts in force (RunPopupMenu), so a
// test answers it without a window. GUI thread only.
#pragma once

#include "Patch.h"

#include <QMenu>

class BankSet;

class BankMenu : public QMenu
{
public:
    explicit BankMenu(QWidget* parent = nullptr);
    ~BankMenu() override;

    // Builds the menu in the grouped or the plain layout and runs it: below
    // parent's left edge, or at the mouse pointer when parent is null. The
    // patch picked; the invalid Patch when the menu was closed or empty.
    static Patch getPatch(QWidget* parent, const BankSet& banks, Patch current, bool grouped);

    // Clears the menu and fills it in the plain layout.
    void loadBanks(Patch current, const BankSet& banks);
    // Adds the grouped layout to the menu (the menu is expected to be empty).
    void loadBanks2(Patch current, const BankSet& banks);
};
