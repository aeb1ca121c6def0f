// A bare Qt widget program: it starts, shows a window and quits as soon as
// its event loop runs. The instrument model's benchmark starts it as the
// reference for what a program's start-up costs before any code of ours.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
