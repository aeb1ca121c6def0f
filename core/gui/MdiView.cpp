#include "MdiView.h"

MdiView::MdiView(QWidget* parent) : QWidget(parent) {}

MdiView::~MdiView() = default;

QObject* MdiView::mdiParent() const
{
    return window();
}

void MdiView::undoCheck()
{
    emit documentChanged();
}
