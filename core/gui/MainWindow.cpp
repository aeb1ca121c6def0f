#include "MainWindow.h"

MainWindow::MainWindow(QSize size, QWidget* parent) : QMainWindow(parent)
{
    if (size.isValid())
        resize(size);
}

MainWindow::~MainWindow() = default;

void MainWindow::updateStyleSheets() {}
