// The drum kit editor program's identity and resources.
#include "VeskDrum.h"

int qInitResources_VeskDrum();

EditorProgramInfo VeskDrum::programInfo()
{
    return {QStringLiteral("Vesk ES Drum Kit Editor"), QStringLiteral("VeskDrum"), QStringLiteral(":/VeskDrum/images"),
            QStringLiteral("VeskDrum:splash_es.png"), &qInitResources_VeskDrum};
}

std::unique_ptr<MidiEditorWindow> VeskDrum::makeWindow(MidiDevice* device)
{
    return std::make_unique<VeskDrum>(device);
}
