#include "EditorProgram.h"

#include "Application.h"
#include "FirstPaint.h"
#include "Images.h"
#include "Instance.h"
#include "MainWindow.h"
#include "MidiEditorWindow.h"
#include "ProgressDlg.h"
#include "Vesk.h"

#include <QtGlobal>

// The framework's and the instrument library's resource registrations (their
// libraries also run them when they are loaded).
int qInitResources_orvane();
int qInitResources_Vesk();

void RegisterEditorResources(const EditorProgramInfo& info)
{
    qInitResources_core();
    qInitResources_orvane();
    qInitResources_Vesk();
    if (info.registerResources)
        info.registerResources();
    Application::setImageFolder(info.imagePrefix, info.imageFolder);
}

int RunEditorProgram(int argc, char** argv, const EditorProgramInfo& info, const EditorWindowFactory& makeWindow,
                     const std::function<void(MidiEditorWindow*)>& shown)
{
    Application app(argc, argv);
    app.readVersion(info.title, EditorOrganisation, EditorVersion);
    if (IsApplicationRunning()) {
        // The text goes over whether or not there was an argument: the
        // running editor comes to the front either way.
        MainWindow::PassToInstance(Application::arg(0));
        return 0;
    }

    // Every job the editor runs (bank names, the mix's voices, the
    // auto-connector) shows its progress and its end here.
    TaskDisplay tasks;
    auto device = std::make_unique<Vesk>();
    RegisterEditorResources(info);
    Application::showSplash(info.splash);
    std::unique_ptr<MidiEditorWindow> window = makeWindow(device.get());
    window->show();
    ExitAfterFirstPaintWhenAsked(window.get());
    if (shown)
        shown(window.get());
    const int result = app.exec();
    window.reset();
    device.reset();
    return result;
}
