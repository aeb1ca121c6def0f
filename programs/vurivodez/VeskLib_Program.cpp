#include "VeskLib_Program.h"

#include "Application.h"
#include "FirstPaint.h"
#include "Images.h"
#include "Instance.h"
#include "ProgressDlg.h"
#include "VeskLib.h"
#include "Vesk.h"

#include <memory>

int qInitResources_orvane();
int qInitResources_Vesk();
int qInitResources_VeskLib();

void RegisterLibrarianResources()
{
    qInitResources_core();
    qInitResources_orvane();
    qInitResources_Vesk();
    qInitResources_VeskLib();
    Application::setImageFolder(QStringLiteral("vesklib"), QStringLiteral(":/VeskLib/images"));
}

int RunVeskLib(int argc, char** argv)
{
    Application app(argc, argv);
    app.readVersion(VeskLib::Title, QStringLiteral("Tamsel"), QStringLiteral("2.8.0"));
    if (IsApplicationRunning()) {
        MainWindow::PassToInstance(Application::arg(0));
        return 0;
    }
    // Every transfer shows its progress and its end here.
    TaskDisplay tasks;
    auto device = std::make_unique<Vesk>();
    RegisterLibrarianResources();
    Application::showSplash(QStringLiteral("vesklib:splash_es.png"));
    auto window = std::make_unique<VeskLib>(device.get());
    window->setStartFile(Application::arg(0));
    window->setVisible(true);
    ExitAfterFirstPaintWhenAsked(window.get());
    const int result = app.exec();
    window.reset();
    device.reset();
    return result;
}
