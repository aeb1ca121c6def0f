// The five editors by name, for the wire tests' tables: how to build each
// window, and the simulator state in which its edit buffer answers.
// Header-only.
#pragma once

#include "WireRig.h"

#include <QString>

#include <memory>

namespace Wire {

struct Kind
{
    const char* name;
    int dumpType;
    unsigned int editBuffer;
};

inline Kind kind(const QString& name)
{
    if (name == QLatin1String("voice"))
        return {"voice", 0, 0x0F00};
    if (name == QLatin1String("drum"))
        return {"drum", 1, 0x2F00};
    if (name == QLatin1String("perf"))
        return {"perf", 3, 0x4F00};
    if (name == QLatin1String("master"))
        return {"master", 5, 0x7F00};
    return {"mix", 4, 0x5F00};
}

inline std::unique_ptr<MidiEditorWindow> build(EditorRig& rig, const QString& name)
{
    if (name == QLatin1String("voice"))
        return rig.build<VeskVoice>();
    if (name == QLatin1String("drum"))
        return rig.build<VeskDrum>();
    if (name == QLatin1String("perf"))
        return rig.build<VeskPerf>();
    if (name == QLatin1String("master"))
        return rig.build<VeskMaster>();
    return rig.build<VeskMix>();
}

// The simulator in the mode whose edit buffer the editor reads (for the
// drum kit editor, a drum kit selected in Voice mode).
inline void answerFor(Sim::BusSimulator& sim, const QString& name)
{
    if (name == QLatin1String("drum"))
        sim->selectPatch(0x3F28, 0);
    else if (name == QLatin1String("perf"))
        sim->selectMode(Sim::PerformanceMode);
    else if (name == QLatin1String("master"))
        sim->selectMode(Sim::MasterMode);
    else if (name == QLatin1String("mix"))
        sim->selectMode(Sim::SongMode);
}

// A mode in which the editor's edit buffer does not answer.
inline int wrongMode(const QString& name)
{
    return name == QLatin1String("voice") || name == QLatin1String("drum") ? Sim::PerformanceMode
                                                                             : Sim::VoiceMode;
}

// Shows the window and waits until its first connection has ended.
inline bool showConnected(MidiEditorWindow& window, int timeoutMs = 30000)
{
    window.show();
    return QTest::qWaitFor([&window] { return window.isConnectedOnce(); }, timeoutMs);
}

} // namespace Wire
