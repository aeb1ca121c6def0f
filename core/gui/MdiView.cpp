#include "MdiView.h"

MdiView::MdiView(QWidget* parent) : QWidget(parent) {}

MdiView::~MdiView() = default;
