// A view of a document inside a program's main window. Every document window
// of the suite derives from it, first of all its bases, so a pointer to the
// view and to this base are the same address: whoever keeps a view pointer may
// compare it with the MdiView* a closing window reports.
#pragma once

#include <QWidget>

class MdiView : public QWidget
{
    Q_OBJECT

public:
    explicit MdiView(QWidget* parent = nullptr);
    ~MdiView() override;
};
