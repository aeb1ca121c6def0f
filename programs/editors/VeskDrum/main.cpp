// VeskDrum: the drum kit editor of the Vesk ES.
#include "VeskDrum.h"

int main(int argc, char** argv)
{
    return RunEditorProgram(argc, argv, VeskDrum::programInfo(), &VeskDrum::makeWindow);
}
