// Window helpers: remembered window positions, frameless windows, window
// icons, the text that assistive technology announces for a widget, and the
// clipboard. (The fixed-size
// window is SetFixedWindow in Dialog.h.) GUI thread only.
#pragma once

#include <QPoint>
#include <QString>

class QWidget;

// Moves the window to the position saved under name (StoreWindowState). With
// none saved, or one that lies on no screen any more (a monitor unplugged
// since), it goes to defaultPos; a null defaultPos (0, 0) leaves it where it
// is. Nothing for a null window.
void LoadWindowState(QWidget* window, const QString& name, const QPoint& defaultPos = QPoint());
// Saves the window's position under name in the profile. Nothing for a null
// window or an empty name.
void StoreWindowState(QWidget* window, const QString& name);

// Keeps a window, its frame included, inside the available area of the
// screen it is on (the one under its centre, else its own): a resizable
// window larger than the area shrinks to it (not below its minimum size),
// and a window put at a position of its own (Qt::WA_Moved) moves in by as
// little as it must. A window the system places itself keeps its place.
// Nothing for a null window.
void KeepOnScreen(QWidget* window);

// Shows the window without the system's frame and title bar.
void RemoveWindowFrame(QWidget* window);

// The text assistive technology announces for the widget (its accessible
// name). Nothing for a null widget.
void SetAccessibleText(QWidget* widget, const QString& text);

// The window's icon from an image name such as "core:searchfile.png". Nothing
// for a null window; an image that does not exist leaves the icon empty.
void SetWindowIcon(QWidget* window, const QString& image);

// The text becomes the clipboard's content (an empty text empties it).
void CopyToClipboard(const QString& text);
