// VeskMaster: the master editor of the Vesk ES.
#include "VeskMaster.h"

int main(int argc, char** argv)
{
    return RunEditorProgram(argc, argv, VeskMaster::programInfo(), &VeskMaster::makeWindow);
}
