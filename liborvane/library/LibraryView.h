// The view of one library document: its folder tree beside the patch list of
// the selected node. MdiView is its first base, so the two pointers are equal.
#pragma once

#include "MdiView.h"

class LibraryView : public MdiView
{
    Q_OBJECT

public:
    explicit LibraryView(QWidget* parent = nullptr) : MdiView(parent) {}
    ~LibraryView() override = default;
};
