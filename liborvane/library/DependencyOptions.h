// How the library views treat the patches that use or are used by others:
// whether pasting brings the used patches along, and whether and in which
// colours the patch list marks them. The librarian keeps one record in its
// settings (VeskLib_Properties) and hands its address to every library view;
// the views read it and never free it. GUI thread only.
#pragma once

#include <QColor>

struct DependencyOptions
{
    // What PasteChildren asks for.
    enum Paste
    {
        PasteAlways = 0, // pasted patches bring the patches they use along
        PastePrompt = 1, // the user is asked each time
        PasteNever = 2   // so is any other value
    };

    int PasteChildren = PastePrompt;
    bool Colorize = true;
    QColor Color1{255, 0, 0};   // a child: a patch other patches use
    QColor Color2{0, 0, 255};   // a parent: a patch that uses others
    QColor Color3{255, 0, 255}; // both

    // The colour of a patch that is a child (others use it) and/or a parent
    // (it uses others); black for neither.
    QColor color(bool child, bool parent) const;

    // The profile section "Dependencies": "PasteChildren", "Colorize",
    // "Color1" to "Color3", each with the defaults above when absent. A bool
    // is read as a number, any non-zero one true, and written as 0 or 1.
    void load();
    void store() const;
};
