// One running instance of each program per user, and the hand-over of a
// second start's text (its file argument) to the instance that runs.
//
// The instance listens on a local socket named after the program's identity
// (organisation and title) in the user's runtime folder (XDG_RUNTIME_DIR,
// else the temporary folder with the user's id in the name), so two programs
// of the suite, or two users, never share one. The first start claims the
// name; a later start finds it answered, hands its text over and ends.
//
// What the instance is handed goes to its instance window (the first
// MainWindow made, see MainWindow::onInstanceData) from the event loop; text
// that comes before that window exists waits for it. On the wire a hand-over
// is the text in UTF-8 behind its length (four bytes, big-endian); a
// connection that closes before a whole text came hands nothing over.
//
// GUI thread only; nothing here throws.
#pragma once

#include <QString>

class MainWindow;

// True when an instance of this program already runs for this user. When
// none runs, this process becomes the instance: it listens from now on (a
// name left behind by an instance that crashed is taken over). Call it after
// the application object and the program's identity exist.
bool IsApplicationRunning();

namespace Instance {

// The socket name of this program and user.
QString socketName();
// The socket name of the program of that identity, for this user.
QString socketName(const QString& organisation, const QString& title);
// True when the program of that identity runs for this user (its instance
// answers); the probe hands nothing over.
bool isRunning(const QString& organisation, const QString& title);
// Hands text to the running instance. A relative path naming an existing
// file is made absolute first: the running instance has a working folder of
// its own. False when no instance took the text.
bool passText(const QString& text);
// The window that receives the texts handed over; the first MainWindow made
// registers itself, and leaves when it is destroyed.
void attachWindow(MainWindow* window);
void detachWindow(MainWindow* window);
// This process listens as the instance.
bool isListening();
// Texts taken in and not yet handed to the window.
int waitingTexts();

} // namespace Instance
