// VeskMix: the mix editor of the Vesk ES.
#include "VeskMix.h"

int main(int argc, char** argv)
{
    return RunEditorProgram(argc, argv, VeskMix::programInfo(), &VeskMix::makeWindow);
}
