// The floor of the programs' start: a bare Qt main window with a menu bar
// and a status bar, nothing of ours. It is shown, and once it has painted
// it reports as our programs do when the start-up benchmark asks them
// ("painted <peak kB>" on its standard output, through the same header)
// and quits.
#include "FirstPaint.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."));
    file->addAction(QStringLiteral("E&xit"), &app, &QCoreApplication::quit);
    window.menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(800, 600);
    window.show();
    ExitAfterFirstPaintWhenAsked(&window);
    return app.exec();
}
