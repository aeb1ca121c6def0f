// The application object of every program of the suite: a QApplication that
// also carries the per-user profile (Profile), so that
// Application::readProfileInt and the rest reach the program's settings store.
// The colour and font entries of the profile live in the same store, as text:
// a colour as "#rrggbb" ("#aarrggbb" when it is translucent), a font in the
// form of QFont::toString().
//
// The profile functions are static and need no Application object: a test
// with a plain QApplication, or a tool without any, reads the same store.
//
// SIGTERM and SIGINT end the event loop as a quit does, so that a program
// ended by the desktop session still closes its windows and writes its
// settings.
#pragma once

#include "Profile.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QString>

class Application : public QApplication, public Profile
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);
    ~Application() override;

    // The running Application, or null when the program's application object
    // is of another class (or there is none yet).
    static Application* instance();

    // Records the program's identity (for example "Vesk ES Voice Editor",
    // "Tamsel", "2.8.0"), which names its settings store. Call it first.
    void readVersion(const QString& title, const QString& organisation, const QString& version);

    // Shows the image (for example "VeskVoice:splash_es.png") centred on the
    // screen until closeSplash; a second call replaces the first splash. An
    // image that cannot be read shows nothing.
    static void showSplash(const QString& image);
    // Closes the splash, if one shows; later calls do nothing.
    static void closeSplash();
    static bool isSplashShown();

    // The program's about box, over the active window: its title, version and
    // maker beside the image (for example "VeskVoice:VeskVoice.png"; none
    // when it cannot be read). Runs through the prompts in force.
    static void about(const QString& image);

    // The program's images: "<prefix>:<name>" finds <name> in folder (a
    // resource folder such as ":/VeskVoice/images"). Sets Qt's search path
    // of the prefix to that one folder and keeps the prefix as the
    // program's (imagePrefix), through which Win_SetIcon finds the icons.
    static void setImageFolder(const QString& prefix, const QString& folder);
    static QString imagePrefix();

    // The i-th command-line argument after the program name; "" when the
    // program got fewer arguments.
    static QString arg(int i);

    // The stored colour; def when the key is absent or its text is not a colour.
    static QColor readProfileColor(const QString& section, const QString& key, const QColor& def = QColor());
    // An invalid colour is stored as an empty text, which reads back as the
    // reader's default. False when the store could not be written.
    static bool writeProfileColor(const QString& section, const QString& key, const QColor& value);

    // The stored font; def when the key is absent or its text is not a font.
    static QFont readProfileFont(const QString& section, const QString& key, const QFont& def = QFont());
    static bool writeProfileFont(const QString& section, const QString& key, const QFont& value);

private:
    void watchTerminationSignals();
};

// Gives the window the program's icon number id: the image "icon<id>.png"
// of the program's image folder (Application::setImageFolder). Without an
// image folder, or without that image, the window keeps its icon.
void Win_SetIcon(QWidget* window, unsigned int id);
