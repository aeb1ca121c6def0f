// The performance editor program's identity and resources.
#include "VeskPerf.h"

int qInitResources_VeskPerf();

EditorProgramInfo VeskPerf::programInfo()
{
    return {QStringLiteral("Vesk ES Performance Editor"), QStringLiteral("VeskPerf"), QStringLiteral(":/VeskPerf/images"),
            QStringLiteral("VeskPerf:splash_es.png"), &qInitResources_VeskPerf};
}

std::unique_ptr<MidiEditorWindow> VeskPerf::makeWindow(MidiDevice* device)
{
    return std::make_unique<VeskPerf>(device);
}
