// The start every benchmark program shares: a private settings and data
// folder (nothing of the user's is read or written), the in-process MIDI bus
// and windows that are never shown unless the caller chose otherwise, and
// Google Benchmark's own command-line options.
#pragma once

#include "TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

// The median of times a benchmark took itself (a figure and its floor run
// in turn); 0 for none.
inline double MedianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs every registered benchmark; call once the application object exists.
inline int RunRegisteredBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Before the MIDI system is first used: the in-process bus, and the
// offscreen platform unless one was given.
inline void UseVirtualBusOffscreen()
{
    qputenv("ORVANE_MIDI_BACKEND", "virtual");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The whole main of a benchmark on the virtual bus: App is QApplication for
// anything with widgets, QCoreApplication otherwise.
template <class App>
int BenchMain(int argc, char** argv)
{
    UseVirtualBusOffscreen();
    TestEnvironment env;
    App app(argc, argv);
    return RunRegisteredBenchmarks(argc, argv);
}
