// VeskPerf: the performance editor of the Vesk ES.
#include "VeskPerf.h"

int main(int argc, char** argv)
{
    return RunEditorProgram(argc, argv, VeskPerf::programInfo(), &VeskPerf::makeWindow);
}
