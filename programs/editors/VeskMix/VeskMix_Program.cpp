// The mix editor program's identity and resources.
#include "VeskMix.h"

int qInitResources_VeskMix();

EditorProgramInfo VeskMix::programInfo()
{
    return {QStringLiteral("Vesk ES Mix Editor"), QStringLiteral("VeskMix"), QStringLiteral(":/VeskMix/images"),
            QStringLiteral("VeskMix:splash_es.png"), &qInitResources_VeskMix};
}

std::unique_ptr<MidiEditorWindow> VeskMix::makeWindow(MidiDevice* device)
{
    return std::make_unique<VeskMix>(device);
}
