// The master editor program's identity and resources.
#include "VeskMaster.h"

int qInitResources_VeskMaster();

EditorProgramInfo VeskMaster::programInfo()
{
    return {QStringLiteral("Vesk ES Master Editor"), QStringLiteral("VeskMaster"), QStringLiteral(":/VeskMaster/images"),
            QStringLiteral("VeskMaster:splash_es.png"), &qInitResources_VeskMaster};
}

std::unique_ptr<MidiEditorWindow> VeskMaster::makeWindow(MidiDevice* device)
{
    return std::make_unique<VeskMaster>(device);
}
