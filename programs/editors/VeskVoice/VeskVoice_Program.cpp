// The voice editor program's identity and resources.
#include "VeskVoice.h"

int qInitResources_VeskVoice();

EditorProgramInfo VeskVoice::programInfo()
{
    return {QStringLiteral("Vesk ES Voice Editor"), QStringLiteral("VeskVoice"), QStringLiteral(":/VeskVoice/images"),
            QStringLiteral("VeskVoice:splash_es.png"), &qInitResources_VeskVoice};
}

std::unique_ptr<MidiEditorWindow> VeskVoice::makeWindow(MidiDevice* device)
{
    return std::make_unique<VeskVoice>(device);
}
