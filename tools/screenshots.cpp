// Pictures of every program window, so anyone can look at what a user sees:
// the five editors and the librarian, each built as its program builds it,
// connected to the simulated instrument on the in-process virtual MIDI bus,
// then (editors) every section window their buttons open and the windows
// and dialogs of their set-up commands (tests/support/WindowTour.h).
//
//   screenshots OUTDIR light|dark [PROGRAM]...
//
// Writes OUTDIR/<palette>/<program>-<view>.png, one per view, and prints
// each view's size, where its panels stand, and what the geometry check
// (tests/support/WindowGeometry.h) finds in it, one line a problem. Exits 0 when every view is whole, 1 when a
// problem was found, 2 on bad arguments. tools/screenshots runs it on a
// 1366x768 screen under both palettes.
#include "DesktopPalettes.h"
#include "EditorWindows.h"
#include "Panel.h"
#include "LibrarianRig.h"
#include "TestEnvironment.h"
#include "WindowGeometry.h"
#include "WindowTour.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStyleFactory>

#include <cstdio>

namespace {

class Shooter
{
public:
    Shooter(const QString& folder, const QString& program) : m_folder(folder), m_program(program) {}

    int problems = 0;

    void shoot(QWidget* view, const QString& name)
    {
        QString file = m_program + QLatin1Char('-') + name;
        file.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]+")), QStringLiteral("_"));
        view->grab().save(m_folder + QLatin1Char('/') + file + QStringLiteral(".png"));
        const QStringList found = WindowGeometry::check(view);
        problems += int(found.size());
        std::printf("%s %s: %dx%d, %d problem(s)\n", qPrintable(m_program), qPrintable(name), view->width(),
                    view->height(), int(found.size()));
        // Where the window's own panels stand, for comparing layouts.
        for (QObject* child : view->children()) {
            auto* panel = qobject_cast<AbstractPanel*>(child);
            if (panel && panel->isVisible())
                std::printf("  panel '%s' at %d,%d %dx%d\n", qPrintable(panel->title()), panel->x(), panel->y(),
                            panel->width(), panel->height());
        }
        for (const QString& line : found)
            std::printf("  %s\n", qPrintable(line));
        std::fflush(stdout);
    }

private:
    QString m_folder;
    QString m_program;
};

template <class Window>
int shootEditor(VirtualMidiBus& bus, const QString& folder, const char* program)
{
    ScriptedPrompts prompts;
    // The mix editor asks for a mode when the instrument is in none.
    prompts.script(ScriptedPrompts::Kind::Choice, QStringLiteral("Song"));
    EditorRig rig(bus);
    auto window = rig.build<Window>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()) ||
        !QTest::qWaitFor([&] { return window->isConnectedOnce(); }, 15000)) {
        std::printf("%s: did not connect\n", program);
        return 1;
    }
    const auto settle = [&] { WindowTour::settleOn([&] { return int(rig.sim->sim().received().size()); }); };
    settle();
    Shooter shooter(folder, QString::fromLatin1(program));
    WindowTour::tour(window.get(), prompts, settle,
                     [&](QWidget* view, const QString& name) { shooter.shoot(view, name); });
    return shooter.problems;
}

int shootLibrarian(VirtualMidiBus& bus, const QString& folder)
{
    ScriptedPrompts prompts;
    LibrarianRig rig(bus);
    auto window = rig.build();
    if (!showLoaded(*window) || !waitConnected(*window)) {
        std::printf("VeskLib: did not connect\n");
        return 1;
    }
    // A library open, its folders listed.
    window->newFile(0);
    const auto settle = [&] { WindowTour::settleOn([&] { return int(rig.sim->sim().received().size()); }); };
    settle();
    Shooter shooter(folder, QStringLiteral("VeskLib"));
    WindowTour::tour(window.get(), prompts, settle,
                     [&](QWidget* view, const QString& name) { shooter.shoot(view, name); });
    return shooter.problems;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    // A profile of its own: the pictures never touch the user's settings.
    TestEnvironment env;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || (args[1] != QLatin1String("light") && args[1] != QLatin1String("dark"))) {
        std::fprintf(stderr, "usage: screenshots OUTDIR light|dark [PROGRAM]...\n");
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (args[1] == QLatin1String("dark"))
        QApplication::setPalette(DarkDesktopPalette());
    const QString folder = args[0] + QLatin1Char('/') + args[1];
    QDir().mkpath(folder);
    const QStringList wanted = args.mid(2);
    const auto chosen = [&](const char* name) { return wanted.isEmpty() || wanted.contains(QLatin1String(name)); };

    VirtualMidiBus* bus = testBus();
    if (!bus) {
        std::fprintf(stderr, "no virtual MIDI bus\n");
        return 2;
    }
    int problems = 0;
    if (chosen("VeskVoice"))
        problems += shootEditor<VeskVoice>(*bus, folder, "VeskVoice");
    if (chosen("VeskDrum"))
        problems += shootEditor<VeskDrum>(*bus, folder, "VeskDrum");
    if (chosen("VeskPerf"))
        problems += shootEditor<VeskPerf>(*bus, folder, "VeskPerf");
    if (chosen("VeskMaster"))
        problems += shootEditor<VeskMaster>(*bus, folder, "VeskMaster");
    if (chosen("VeskMix"))
        problems += shootEditor<VeskMix>(*bus, folder, "VeskMix");
    if (chosen("VeskLib"))
        problems += shootLibrarian(*bus, folder);
    return problems ? 1 : 0;
}
