// The simulated instrument run as a program of its own (instrument-sim), as
// the program tests and the start-up benchmark start it. Header-only.
#pragma once

#include <QProcess>

// Ends a running simulator as its console asks ("quit"), so it closes its
// ports cleanly; one that does not end in time is killed.
inline void QuitSimulator(QProcess& sim)
{
    if (sim.state() != QProcess::Running)
        return;
    sim.write("quit\n");
    if (!sim.waitForFinished(10000)) {
        sim.kill();
        sim.waitForFinished(5000);
    }
}
