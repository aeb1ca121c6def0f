// VeskVoice: the voice editor of the Vesk ES.
#include "VeskVoice.h"

int main(int argc, char** argv)
{
    return RunEditorProgram(argc, argv, VeskVoice::programInfo(), &VeskVoice::makeWindow);
}
