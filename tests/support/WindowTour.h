// A walk through what a program shows: its main window, then each section
// window that a button of a panel opens (and the buttons of those windows,
// in turn, once per section and title), then the windows and dialogs its
// commands open. Used by the geometry test and by the screenshot tool
// (tools/screenshots), so both look at the same windows.
//
// Each view is shown, given time to take the simulator's values (settle),
// handed to visit, and closed again. Modal dialogs come through the scripted
// prompts: visit sees each one shown, then the prompt rejects it. GUI thread
// only.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class MainWindow;
class ScriptedPrompts;
class QWidget;

namespace WindowTour {

// name: a file-name-like label of the view ("Voice:Common" for a window a
// button opens, "command &Keyboard" for a command's).
using Visit = std::function<void(QWidget* view, const QString& name)>;

// The commands whose windows the tour opens, by their menu texts; a command a
// program lacks is left out. None of them changes the instrument when its
// dialog is closed without OK.
QStringList commandTexts();

// Visits window (already shown and connected), its section windows and its
// commands' windows. settle waits until the instrument has answered what a
// newly opened window asked.
void tour(MainWindow* window, ScriptedPrompts& prompts, const std::function<void()>& settle, const Visit& visit);

// Waits until the simulator on the bus has been quiet for a while: every
// request sent has been answered and taken in. received() gives the count
// of messages the simulator has received so far.
void settleOn(const std::function<int()>& received);

} // namespace WindowTour
