// The start-up every editor program shares: its main is one call of
// RunEditorProgram with the program's identity and its window class.
//
// The sequence: the application object; the identity record (title,
// "Tamsel", "2.8.0"); the single-instance test, after which a second start
// hands its first argument to the running editor and returns 0 having built
// nothing else; the instrument's device; the compiled-in resources (core,
// framework, instrument, then the program's own) and the program's image
// folder; the splash; the window, built on the device and shown; the event
// loop. Then the window, the device and the application object go, in that
// order, and main returns the event loop's result. A file named as the
// first argument is opened by the window at its first connection, not here.
//
// GUI thread only.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class MidiDevice;
class MidiEditorWindow;

struct EditorProgramInfo
{
    QString title;       // "Vesk ES Voice Editor"
    QString imagePrefix; // "VeskVoice": its images are "VeskVoice:<name>"
    QString imageFolder; // ":/VeskVoice/images"
    QString splash;      // "VeskVoice:splash_es.png"
    // The program's own resource registration (qInitResources_VeskVoice).
    int (*registerResources)() = nullptr;
};

inline const QString EditorOrganisation = QStringLiteral("Tamsel");
inline const QString EditorVersion = QStringLiteral("2.8.0");

using EditorWindowFactory = std::function<std::unique_ptr<MidiEditorWindow>(MidiDevice*)>;

// Registers the compiled-in resources, core first and the program's own
// last, and sets the program's image folder. What a window needs to be built
// outside RunEditorProgram (the tests build it so).
void RegisterEditorResources(const EditorProgramInfo& info);

// The whole run of an editor program. shown, when given, is called with the
// window right after it was shown, before the event loop runs.
int RunEditorProgram(int argc, char** argv, const EditorProgramInfo& info, const EditorWindowFactory& makeWindow,
                     const std::function<void(MidiEditorWindow*)>& shown = {});
