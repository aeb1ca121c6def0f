// Checks panel layouts against the panel data's vocabulary and the device's
// tables (tests/support/PanelLint.h says what it looks for).
//
//   panel_lint [--ini FILE]... [--disabled TAG]... [--bank-set NAME]... LAYOUT...
//
// The layouts are read into one document, as the programs read an editor's
// layout beside the instrument's effect panels; the generic device data is
// always there, --ini adds more (":/vesk/data/data_ES.ini" reads the compiled
// resource). --disabled accepts a tag that disables an element ("edit1"),
// --bank-set a bank set made at run time ("PLGxx"). Prints one line per
// finding; exits 0 when there is none, 1 when there are findings, 2 when a
// file cannot be read.
#include "PanelLint.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    // A profile of its own: the lint never touches the user's settings.
    TestEnvironment env;
    QCoreApplication app(argc, argv);

    QStringList layouts;
    QStringList inis;
    QStringList disabled;
    QStringList bankSets;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        QStringList* list = a == QLatin1String("--ini")        ? &inis
                            : a == QLatin1String("--disabled") ? &disabled
                            : a == QLatin1String("--bank-set") ? &bankSets
                                                               : nullptr;
        if (list && i + 1 < args.size())
            *list << args.at(++i);
        else if (!list && !a.startsWith(QLatin1String("--")))
            layouts << a;
        else {
            std::fprintf(stderr, "usage: panel_lint [--ini FILE]... [--disabled TAG]... [--bank-set NAME]... "
                                 "LAYOUT...\n");
            return 2;
        }
    }
    if (layouts.isEmpty()) {
        std::fprintf(stderr, "panel_lint: no layout given\n");
        return 2;
    }

    TestDevice device(QStringLiteral("Panel Lint"));
    for (const QString& ini : inis) {
        if (!device.ini()->loadFile(ini)) {
            std::fprintf(stderr, "panel_lint: cannot read %s\n", qPrintable(ini));
            return 2;
        }
    }
    for (const QString& layout : layouts) {
        if (!device.xml()->loadFile(layout)) {
            std::fprintf(stderr, "panel_lint: %s: %s\n", qPrintable(layout),
                         qPrintable(device.xml()->errorString()));
            return 2;
        }
    }

    PanelLint lint(&device);
    lint.allowDisabled(disabled);
    lint.allowBankSets(bankSets);
    const QStringList findings = lint.check();
    for (const QString& line : findings)
        std::printf("%s\n", qPrintable(line));
    return findings.isEmpty() ? 0 : 1;
}
